#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>

namespace tavrel {

// The one version the build sets, "0.8.0".
QString versionString();

// What --version prints: "tavrel-check 0.8.0".
QString versionText(const QString &command);

// A program's command line: --help and --version on every program, its own options added
// to parser() beside them. Names the program and gives it the version on
// QCoreApplication's statics, which hold before the application object exists.
class CommandLine
{
public:
    // Exit code of a refused command line.
    static constexpr int kUsageError = 2;

    CommandLine(const QString &command, const QString &description);

    QCommandLineParser &parser() { return parser_; }
    // Text that --help shows after the options (the environment variables, say).
    void setEpilogue(const QString &text) { epilogue_ = text; }

    // Reads the arguments (the program's own path first). Prints what --help or --version
    // asks for on stdout, or why the line is refused on stderr, and returns the code the
    // program ends with then; returns nothing when the program goes on.
    // OnlyHelpAndVersion acts on those two alone and leaves the rest (Qt's own options
    // among it) to a later parse.
    enum class Mode { Strict, OnlyHelpAndVersion };
    std::optional<int> parse(const QStringList &arguments, Mode mode = Mode::Strict);

    QString helpText() const;    // "Usage: tavrel [options]" and the option table
    QString versionText() const; // "tavrel 0.8.0"

private:
    QString command_;
    QCommandLineParser parser_;
    QCommandLineOption help_;
    QCommandLineOption version_;
    QString epilogue_;
};

// argv as QCoreApplication::arguments() would give it, for use before the application
// object exists.
QStringList argumentsOf(int argc, char **argv);

} // namespace tavrel
