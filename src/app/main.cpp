#include "cockpit/Cockpit.h"
#include "core/Version.h"
#include "ui/FrmTavrel.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(tavrel::versionRecord().productName);

    tavrel::Cockpit cockpit;
    tavrel::FrmTavrel window(cockpit);
    QObject::connect(&window, &tavrel::FrmTavrel::shutdownRequested, &app, [&cockpit] {
        cockpit.shutdown();
        QCoreApplication::exit(0);
    });

    window.show();
    cockpit.startUp();
    return app.exec();
}
