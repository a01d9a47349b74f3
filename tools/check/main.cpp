// tavrel-check: checks a Tavrel.cfg and names the line of every problem, in the form
// compilers use so that editors can jump to it.
#include "check/ConfigCheck.h"
#include "core/CommandLine.h"

#include <QString>
#include <QStringList>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

void printLine(std::FILE *stream, const QString &line)
{
    const QByteArray bytes = line.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

} // namespace

int main(int argc, char *argv[])
{
    tavrel::CommandLine commandLine(
        u"tavrel-check"_s,
        u"Checks a Tavrel configuration file by the program's own rules and prints FILE:LINE: error|warning: ... "
        u"for each finding, then a summary."_s);
    QCommandLineParser &parser = commandLine.parser();
    const QCommandLineOption quiet({u"q"_s, u"quiet"_s}, u"Leaves the summary out."_s);
    parser.addOption(quiet);
    parser.addPositionalArgument(u"FILE"_s, u"The file to check (default: Tavrel.cfg in the working folder)."_s,
                                 u"[FILE]"_s);
    commandLine.setEpilogue(u"Exit code: 0 clean, 1 warnings only, 2 errors or a file that cannot be read."_s);
    if (const auto code = commandLine.parse(tavrel::argumentsOf(argc, argv)))
        return *code;
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        printLine(stderr, u"tavrel-check: one FILE at most\n(see tavrel-check --help)"_s);
        return tavrel::CommandLine::kUsageError;
    }
    const QString file = files.isEmpty() ? u"Tavrel.cfg"_s : files.first();

    const QList<tavrel::check::Finding> findings = tavrel::check::checkFile(file);
    for (const tavrel::check::Finding &finding : findings)
        printLine(stdout, tavrel::check::formatFinding(file, finding));
    if (!parser.isSet(quiet))
        printLine(stdout, tavrel::check::summary(file, findings));
    std::fflush(stdout);
    return tavrel::check::exitCode(findings);
}
