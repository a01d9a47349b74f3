// Takes a picture of every tab of the real window with the demo cockpit's configuration,
// on whatever display it is given (the suite runs it under Xvfb, at 96 and at 144 dpi),
// and saves them as PNG files into the folder named on the command line, for a person to
// look at. Fails when a picture cannot be taken or comes out blank.
#include "cockpit/Cockpit.h"
#include "support/TestPlatform.h"
#include "ui/FrmTavrel.h"
#include "ui/Layout.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTabWidget>

#include <cstdio>

namespace {

void runEventsFor(int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// A picture with fewer than a handful of colours shows nothing.
bool looksBlank(const QImage &image)
{
    QList<QRgb> seen;
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7)
            if (!seen.contains(image.pixel(x, y)) && (seen.append(image.pixel(x, y)), seen.size() >= 5))
                return false;
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot make %s\n", argv[1]);
        return 2;
    }

    tavrel::test::TestPlatform platform;
    QFile demo(QStringLiteral(TAVREL_SOURCE_DIR "/demo/Tavrel.cfg"));
    if (!demo.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "no demo configuration\n");
        return 2;
    }
    platform.writeFile(QStringLiteral("Tavrel.cfg"), demo.readAll());
    tavrel::Cockpit cockpit(platform); // the built-in simulated flight
    tavrel::FrmTavrel window(cockpit);
    cockpit.startUp();
    window.show();
    runEventsFor(300);
    // The window at the design's outer size (11415 x 7110 twips), whatever frame the
    // display puts around it (Xvfb puts none).
    const QSize decoration = window.frameGeometry().size() - window.size();
    window.resize(tavrel::layout::toPixels(11415, window.logicalDpiX()) - decoration.width(),
                  tavrel::layout::toPixels(7110, window.logicalDpiY()) - decoration.height());
    runEventsFor(2500); // the simulated flight comes up after 2 s

    int failures = 0;
    QTabWidget *tabs = window.tabStrip();
    for (int tab = 0; tab < tabs->count(); ++tab) {
        // The hidden and greyed tabs are shown for their picture only.
        tabs->setTabVisible(tab, true);
        tabs->setTabEnabled(tab, true);
        tabs->setCurrentIndex(tab);
        runEventsFor(150);
        const QImage image = window.grab().toImage();
        QString name = tabs->tabText(tab).toLower();
        name.replace(QLatin1Char('/'), QLatin1Char('-')).replace(QLatin1Char(' '), QLatin1Char('-'));
        const QString file = out.filePath(QStringLiteral("tab-%1-%2.png").arg(tab).arg(name.remove(QLatin1Char('('))
                                                                                        .remove(QLatin1Char(')'))));
        if (image.isNull() || looksBlank(image) || !image.save(file)) {
            std::fprintf(stderr, "tab %d: no picture\n", tab);
            ++failures;
        } else {
            std::printf("%s (%dx%d at %d dpi)\n", qPrintable(file), image.width(), image.height(),
                        window.logicalDpiY());
        }
    }
    return failures == 0 ? 0 : 1;
}
