#include "cockpit/Cockpit.h"
#include "core/EventLoop.h"
#include "core/TerminationSignals.h"
#include "core/Version.h"
#include "ui/DesktopPlatform.h"
#include "ui/FrmTavrel.h"

#include <QApplication>

int main(int argc, char **argv)
{
    tavrel::preferPlainEventDispatcher();
    QApplication app(argc, argv);
    QApplication::setApplicationName(tavrel::versionRecord().productName);
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
