#include "cockpit/Cockpit.h"
#include "core/CommandLine.h"
#include "core/TerminationSignals.h"
#include "core/Version.h"
#include "ui/DesktopPlatform.h"
#include "ui/FrmTavrel.h"

#include <QApplication>

int main(int argc, char **argv)
{
    tavrel::CommandLine commandLine(
        QStringLiteral("tavrel"),
        QStringLiteral("Drives the lamps, text displays, gauges and EPIC card of a home-built cockpit from "
                       "the simulator's flight data. Reads Tavrel.cfg in the working folder."));
    // --help and --version before the application object, so they need no display.
    if (const auto code = commandLine.parse(tavrel::argumentsOf(argc, argv),
                                            tavrel::CommandLine::Mode::OnlyHelpAndVersion))
        return *code;

    QApplication app(argc, argv);
    QApplication::setApplicationName(tavrel::versionRecord().productName);
    // The rest once Qt has taken its own options (-platform and the like) off the line.
    if (const auto code = commandLine.parse(QApplication::arguments()))
        return *code;
    // The program ends through its shutdown only, never because a message box closed.
    QApplication::setQuitOnLastWindowClosed(false);

    tavrel::DesktopPlatform platform;
    tavrel::Cockpit cockpit(platform);
    tavrel::FrmTavrel window(cockpit);
    const auto shutdown = [&cockpit] { cockpit.shutdown(); };
    QObject::connect(&window, &tavrel::FrmTavrel::shutdownRequested, &cockpit, shutdown);
    // SIGTERM and SIGINT run the same shutdown as closing the window: the lamps go out.
    tavrel::onTerminationSignal(&cockpit, shutdown);

    cockpit.startUp();
    window.show();
    return app.exec();
}
