#include "core/EventLoop.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include "support/LogCapture.h"

// Tests of the layers below the window run with a core application, so timers, sockets
// and queued events work as they do in the program.
int main(int argc, char **argv)
{
    tavrel::preferPlainEventDispatcher(); // the event loop the program runs
    QCoreApplication app(argc, argv);
    tavrel::test::leaveOutProgramLog();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
