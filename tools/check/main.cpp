// tavrel-check: checks a Tavrel.cfg and names the line of every problem, in the form
// compilers use so that editors can jump to it.
#include "ConfigCheck.h"
#include "core/CommandLine.h"

#include <QString>
#include <QStringList>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int kUsageError = 2;

void printLine(const QString &line)
{
    const QByteArray bytes = line.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

const char kUsage[] = "usage: tavrel-check [--quiet] [FILE] | --version\n"
                      "Checks a Tavrel configuration file (default: Tavrel.cfg in the working folder).\n"
                      "Prints FILE:LINE: error|warning: ... for each finding, then a summary (not with --quiet).\n"
                      "Exit code: 0 clean, 1 warnings only, 2 errors or a file that cannot be read.\n";

} // namespace

int main(int argc, char *argv[])
{
    bool quiet = false;
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == u"--quiet"_s || arg == u"-q"_s) {
            quiet = true;
        } else if (arg == u"--help"_s || arg == u"-h"_s) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == u"--version"_s) {
            printLine(tavrel::versionText(u"tavrel-check"_s));
            return 0;
        } else if (arg.startsWith(u'-') && arg != u"-"_s) {
            std::fprintf(stderr, "tavrel-check: unknown option %s\n%s", argv[i], kUsage);
            return kUsageError;
        } else {
            files += arg;
        }
    }
    if (files.size() > 1) {
        std::fputs(kUsage, stderr);
        return kUsageError;
    }
    const QString file = files.isEmpty() ? u"Tavrel.cfg"_s : files.first();

    const QList<tavrel::check::Finding> findings = tavrel::check::checkFile(file);
    for (const tavrel::check::Finding &finding : findings)
        printLine(tavrel::check::formatFinding(file, finding));
    if (!quiet)
        printLine(tavrel::check::summary(file, findings));
    std::fflush(stdout);
    return tavrel::check::exitCode(findings);
}
