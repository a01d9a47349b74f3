#include "core/EventLoop.h"
#include "support/LogCapture.h"

#ifdef TAVREL_GUI_TESTS
#include <QApplication>
#else
#include <QCoreApplication>
#endif

#include <gtest/gtest.h>

// The test programs' main. Tests of the layers below the window run with a core
// application, so timers, sockets and queued events work as they do in the program; the
// window tests (built with TAVREL_GUI_TESTS) with a widget application, on the offscreen
// platform unless the caller chose another (Xvfb).
int main(int argc, char **argv)
{
#ifdef TAVREL_GUI_TESTS
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    using Application = QApplication;
#else
    using Application = QCoreApplication;
#endif
    tavrel::preferPlainEventDispatcher(); // the event loop the program runs
    Application app(argc, argv);
    tavrel::test::leaveOutProgramLog();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
