#include "core/TerminationSignals.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN
#include <QPointer>

#include <windows.h>
#endif

namespace tavrel {

#ifdef Q_OS_UNIX
namespace {

int terminationPipe[2] = {-1, -1};

extern "C" void writeTerminationByte(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(terminationPipe[1], &byte, 1);
}

} // namespace
#endif

#ifdef Q_OS_WIN
namespace {

// The console's events arrive on a thread of their own; the handler runs on the loop of
// its context. Set once, before any event can come.
QPointer<QObject> terminationContext;
std::function<void()> terminationHandler;
HANDLE terminationDone = nullptr;

BOOL WINAPI onConsoleEvent(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        break;
    default:
        return FALSE;
    }
    QObject *context = terminationContext.data();
    if (!context)
        return FALSE;
    QMetaObject::invokeMethod(
        context,
        [] {
            terminationHandler();
            SetEvent(terminationDone);
        },
        Qt::QueuedConnection);
    // Once this returns from a closing console, the system ends the process at once:
    // let the loop finish the way out first (the system allows 5 seconds).
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        WaitForSingleObject(terminationDone, 4000);
    return TRUE;
}

} // namespace
#endif

void onTerminationSignal(QObject *context, std::function<void()> handler)
{
#ifdef Q_OS_UNIX
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, terminationPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(terminationPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, std::move(handler));
    struct sigaction action = {};
    action.sa_handler = writeTerminationByte;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
#elif defined(Q_OS_WIN)
    terminationContext = context;
    terminationHandler = std::move(handler);
    terminationDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
#else
    Q_UNUSED(context);
    Q_UNUSED(handler);
#endif
}

} // namespace tavrel
