#include "core/EventLoop.h"

#include <QApplication>

#include <gtest/gtest.h>

#include "support/LogCapture.h"

// Window tests run on the offscreen platform unless the caller chose another (Xvfb).
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    tavrel::preferPlainEventDispatcher(); // the event loop the program runs
    QApplication app(argc, argv);
    tavrel::test::leaveOutProgramLog();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
