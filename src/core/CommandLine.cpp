#include "core/CommandLine.h"

#include <QCoreApplication>

#include <cstdio>

namespace tavrel {

using namespace Qt::StringLiterals;

namespace {

void print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

QString versionString()
{
    return QStringLiteral(TAVREL_VERSION);
}

QString versionText(const QString &command)
{
    return command + u' ' + versionString();
}

CommandLine::CommandLine(const QString &command, const QString &description)
    : command_(command)
    , help_({u"h"_s, u"help"_s}, u"Shows this help and ends."_s)
    , version_(u"version"_s, u"Shows the version and ends."_s)
{
    QCoreApplication::setApplicationName(command);
    QCoreApplication::setApplicationVersion(versionString());
    parser_.setApplicationDescription(description);
    parser_.addOption(help_);
    parser_.addOption(version_);
}

std::optional<int> CommandLine::parse(const QStringList &arguments, Mode mode)
{
    const bool parsed = parser_.parse(arguments);
    if (parsed || mode == Mode::OnlyHelpAndVersion) {
        if (parser_.isSet(help_)) {
            print(stdout, helpText());
            return 0;
        }
        if (parser_.isSet(version_)) {
            print(stdout, versionText());
            return 0;
        }
        return std::nullopt;
    }
    print(stderr, command_ + u": "_s + parser_.errorText() + u"\n(see "_s + command_ + u" --help)"_s);
    return kUsageError;
}

QString CommandLine::helpText() const
{
    // Qt names the program by the path it was started with, or not at all before the
    // application object exists; the usage line names the command instead.
    QString text = parser_.helpText().trimmed();
    const QString usage = u"Usage: "_s;
    const qsizetype options = text.indexOf(u" [options]"_s);
    if (text.startsWith(usage) && options > 0)
        text.replace(usage.size(), options - usage.size(), command_);
    return text;
}

QString CommandLine::versionText() const
{
    return tavrel::versionText(command_);
}

QStringList argumentsOf(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments += QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace tavrel
