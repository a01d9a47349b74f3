#include "cockpit/Cockpit.h"
#include "core/Version.h"
#include "ui/DesktopPlatform.h"
#include "ui/FrmTavrel.h"

#include <QApplication>
#include <QSocketNotifier>

#include <functional>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int terminationPipe[2] = {-1, -1};

extern "C" void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(terminationPipe[1], &byte, 1);
}

// SIGTERM and SIGINT (the session ending, Ctrl+C in a terminal) run the same shutdown as
// closing the window, so the cockpit's lamps go out: the signal handler only writes a
// byte, the event loop picks it up.
void onTermination(QObject *context, std::function<void()> handler)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, terminationPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(terminationPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, std::move(handler));
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(tavrel::versionRecord().productName);
    // The program ends through its shutdown only, never because a message box closed.
    QApplication::setQuitOnLastWindowClosed(false);

    tavrel::DesktopPlatform platform;
    tavrel::Cockpit cockpit(platform);
    tavrel::FrmTavrel window(cockpit);
    const auto shutdown = [&cockpit] { cockpit.shutdown(); };
    QObject::connect(&window, &tavrel::FrmTavrel::shutdownRequested, &cockpit, shutdown);
    onTermination(&cockpit, shutdown);

    cockpit.startUp();
    window.show();
    return app.exec();
}
