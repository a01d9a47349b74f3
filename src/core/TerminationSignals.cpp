#include "core/TerminationSignals.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
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
#else
    Q_UNUSED(context);
    Q_UNUSED(handler);
#endif
}

} // namespace tavrel
