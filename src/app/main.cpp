#include "cockpit/Cockpit.h"
#include "core/CommandLine.h"
#include "core/EventLoop.h"
#include "core/Log.h"
#include "core/TerminationSignals.h"
#include "core/Version.h"
#include "ui/DesktopPlatform.h"
#include "ui/FrmTavrel.h"

#include <QApplication>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

// The variables a cockpit builder sets for the program, as --help lists them.
const char16_t kEnvironment[] =
    u"Environment:\n"
    u"  TAVREL_VIRTUAL_PHIDGETS     the virtual boards to attach, TYPE:SERIAL,... (used where the\n"
    u"                              vendor's phidget21 library is not installed)\n"
    u"  TAVREL_PHIDGET_JOURNAL      a file the virtual boards write every output to\n"
    u"  TAVREL_PHIDGET_CONTROL      a file whose appended lines attach, detach or fail virtual boards\n"
    u"  TAVREL_EPIC_LIBRARY         the EPIC card's driver library file (default EFReader)\n"
    u"  TAVREL_EPIC_JOURNAL         a file the virtual EPIC card writes every call to\n"
    u"  TAVREL_EPIC_CARD=absent     the virtual EPIC card is not there (\"Epic Not Detected\")\n"
    u"  TAVREL_KEY_JOURNAL          a file the keys go to instead of the simulator\n"
    u"  TAVREL_SWITCHES_TAB=1       the gear test's \"Switches\" tab can be used\n"
    u"  TAVREL_DATA_SERVER_JOURNAL  a file the built-in simulated data server writes its calls to\n"
    u"  QT_LOGGING_RULES            more or less in the log, e.g. \"tavrel.relay.info=false\";\n"
    u"                              categories tavrel.config, .boards, .relay, .source, .epic, .keys";

} // namespace

int main(int argc, char **argv)
{
    tavrel::CommandLine commandLine(
        QStringLiteral("tavrel"),
        QStringLiteral("Drives the lamps, text displays, gauges and EPIC card of a home-built cockpit from "
                       "the simulator's flight data. Reads Tavrel.cfg in the working folder."));
    const QString defaultLog = tavrel::log::defaultFile();
    const QCommandLineOption config(u"config"_s,
                                    u"Reads FILE instead of Tavrel.cfg in the working folder; an older Glimra.cfg "
                                    u"is looked for beside FILE."_s,
                                    u"FILE"_s);
    const QCommandLineOption log(u"log"_s,
                                 u"Writes the log to FILE (appended) instead of %1."_s.arg(
                                     defaultLog.isEmpty() ? u"standard error"_s : defaultLog),
                                 u"FILE"_s);
    const QCommandLineOption quiet(u"quiet"_s, u"Logs warnings and errors only."_s);
    commandLine.parser().addOptions({config, log, quiet});
    commandLine.setEpilogue(QString::fromUtf16(kEnvironment));
    // --help and --version before the application object, so they need no display.
    if (const auto code = commandLine.parse(tavrel::argumentsOf(argc, argv),
                                            tavrel::CommandLine::Mode::OnlyHelpAndVersion))
        return *code;
    // The log from here on, so that what Qt says while it starts goes there too.
    const QString logFile = commandLine.parser().isSet(log) ? commandLine.parser().value(log) : defaultLog;
    QString logError;
    if (!tavrel::log::install(logFile, commandLine.parser().isSet(quiet), &logError))
        qCWarning(tavrel::lcConfig).noquote()
            << u"the log cannot be written to %1 (%2): it goes to standard error"_s.arg(logFile, logError);

    tavrel::preferPlainEventDispatcher();
    QApplication app(argc, argv);
    QApplication::setApplicationName(tavrel::versionRecord().productName);
    // The rest once Qt has taken its own options (-platform and the like) off the line.
    if (const auto code = commandLine.parse(QApplication::arguments()))
        return *code;
    // The program ends through its shutdown only, never because a message box closed.
    QApplication::setQuitOnLastWindowClosed(false);

    tavrel::DesktopPlatform platform;
    tavrel::Cockpit cockpit(platform);
    if (commandLine.parser().isSet(config))
        cockpit.setConfigFile(QFileInfo(commandLine.parser().value(config)).absoluteFilePath());
    tavrel::FrmTavrel window(cockpit.controls());
    const auto shutdown = [&cockpit] { cockpit.shutdown(); };
    QObject::connect(&window, &tavrel::FrmTavrel::shutdownRequested, &cockpit, shutdown);
    // SIGTERM and SIGINT run the same shutdown as closing the window: the lamps go out.
    tavrel::onTerminationSignal(&cockpit, shutdown);

    cockpit.startUp();
    window.show();
    return app.exec();
}
