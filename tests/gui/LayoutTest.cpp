#include "cockpit/Cockpit.h"
#include "support/ScriptedServer.h"
#include "support/TestPlatform.h"
#include "ui/FrmTavrel.h"
#include "ui/GridView.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;

// The window with the demo cockpit's configuration, so every grid has rows.
class LayoutTest : public ::testing::Test
{
protected:
    LayoutTest()
    {
        QFile demo(QStringLiteral(TAVREL_SOURCE_DIR "/demo/Tavrel.cfg"));
        if (demo.open(QIODevice::ReadOnly))
            platform.writeFile(u"Tavrel.cfg"_s, demo.readAll());
        cockpit.startUp();
        window.show();
        QCoreApplication::processEvents();
    }

    std::shared_ptr<test::ServerScript> script = std::make_shared<test::ServerScript>();
    test::TestPlatform platform;
    Cockpit cockpit{platform, test::scriptedFactory(script)};
    FrmTavrel window{cockpit};
};

constexpr int kStretchedFrames[] = {7, 8, 2, 9, 11, 0, 19, 12, 13};
constexpr int kNarrowGrids[] = {0, 1, 2, 5};     // 300 twips shorter than their frame
constexpr int kWideGrids[] = {4, 7, 8, 9, 10};   // 400 twips shorter

bool stretched(int frame)
{
    return std::find(std::begin(kStretchedFrames), std::end(kStretchedFrames), frame) != std::end(kStretchedFrames);
}

TEST_F(LayoutTest, ResizeRuleStretchesTheNineFramesAndTheirGrids)
{
    const FrmTavrel::Placement design = window.placement();
    struct Case
    {
        const char *name;
        int outerHeight;
        int tabHeight;
        int frameHeight;
    };
    const Case cases[] = {
        {"the window of the design", 7110, 5610, 4810},
        {"1000 taller", 8110, 6610, 5810},
        {"back again", 7110, 5610, 4810},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        window.Form_Resize(11415, c.outerHeight);
        const FrmTavrel::Placement &p = window.placement();
        EXPECT_EQ(p.tabStrip.width, 11115);
        EXPECT_EQ(p.tabStrip.height, c.tabHeight);
        for (int i = 0; i < 21; ++i) {
            const auto &f = p.frames[std::size_t(i)];
            const auto &d = design.frames[std::size_t(i)];
            EXPECT_EQ(f.height, stretched(i) ? c.frameHeight : d.height) << "frame " << i;
            EXPECT_EQ(std::tie(f.left, f.top, f.width), std::tie(d.left, d.top, d.width)) << "frame " << i;
        }
        for (int i : kNarrowGrids)
            EXPECT_EQ(p.grids[std::size_t(i)].height, c.frameHeight - 300) << "grid " << i;
        for (int i : kWideGrids)
            EXPECT_EQ(p.grids[std::size_t(i)].height, c.frameHeight - 400) << "grid " << i;
        for (int i : {3, 6, 11, 12})
            EXPECT_EQ(p.grids[std::size_t(i)].height, design.grids[std::size_t(i)].height) << "grid " << i;
    }
}

// A window too small for a length leaves that length as it was; the rest goes on.
TEST_F(LayoutTest, LengthsBelowZeroArePassedOver)
{
    window.Form_Resize(11415, 7110);
    window.Form_Resize(11415, 2600); // tab strip 1100, frames 300: the wide grids would be -100
    const FrmTavrel::Placement &p = window.placement();
    EXPECT_EQ(p.tabStrip.height, 1100);
    for (int i : kStretchedFrames)
        EXPECT_EQ(p.frames[std::size_t(i)].height, 300) << "frame " << i;
    for (int i : kNarrowGrids)
        EXPECT_EQ(p.grids[std::size_t(i)].height, 0) << "grid " << i;
    for (int i : kWideGrids)
        EXPECT_EQ(p.grids[std::size_t(i)].height, 4410) << "grid " << i << " keeps its height";

    window.Form_Resize(200, 1000); // nothing fits: everything keeps its length
    EXPECT_EQ(p.tabStrip.height, 1100);
    EXPECT_EQ(p.tabStrip.width, 11115);
    EXPECT_EQ(p.frames[7].height, 300);
}

TEST_F(LayoutTest, MinimizedChangesNothingAndRestoringRecomputes)
{
    window.Form_Resize(11415, 7110);
    window.setWindowState(Qt::WindowMinimized);
    window.Form_Resize(11415, 9110);
    EXPECT_EQ(window.placement().tabStrip.height, 5610);

    window.setWindowState(Qt::WindowNoState);
    QCoreApplication::processEvents();
    const int outer = window.height() + window.frameExtents().top() + window.frameExtents().bottom();
    EXPECT_NEAR(window.placement().tabStrip.height, qRound(outer * 1440.0 / window.logicalDpiY()) - 1500, 1);
}

// At the starting size the outer height counts a frame, the reported one or, where none
// is reported (offscreen), the standard one: every frame fits on its tab and the tab
// strip ends just above the status bar.
TEST_F(LayoutTest, AtTheStartingSizeEveryFrameFitsAndTheTabStripReachesTheStatusBar)
{
    const auto twips = [this](int pixels) { return qRound(pixels * 1440.0 / window.logicalDpiY()); };
    for (const QMargins frame : {QMargins(), QMargins(1, 20, 1, 5)}) { // none; a window manager's thin one
        const QSize outer = window.size().grownBy(frame);
        frame.isNull() ? window.Form_Resize() : window.Form_Resize(twips(outer.width()), twips(outer.height()));
        QTabWidget *tabs = window.tabStrip();
        const int band = window.statusBar()->y() - tabs->mapTo(&window, QPoint(0, tabs->height())).y();
        EXPECT_TRUE(band >= 0 && twips(band) <= 300) << band << " pixels; the design leaves 270 twips";
        for (auto *box : tabs->findChildren<QGroupBox *>()) // every page has the current one's size
            EXPECT_TRUE(tabs->currentWidget()->rect().contains(box->geometry())) << box->title().toStdString();
    }
}

// The widgets stand where the placement says, in this screen's pixels; the grids lie in
// their frames and the frames on their tabs.
TEST_F(LayoutTest, WidgetsStandAtTheirTwips)
{
    const qreal dpi = window.logicalDpiY();
    const auto px = [dpi](int twips) { return qRound(twips * dpi / 1440.0); };
    const FrmTavrel::Placement &p = window.placement();
    EXPECT_EQ(window.tabStrip()->geometry(), QRect(px(p.tabStrip.left), px(p.tabStrip.top), px(p.tabStrip.width),
                                                   px(p.tabStrip.height)));
    const QPoint pageOrigin = window.tabStrip()->widget(0)->mapTo(window.tabStrip(), QPoint());
    for (int i = 0; i < 21; ++i) {
        const auto &f = p.frames[std::size_t(i)];
        EXPECT_EQ(window.frame(i)->geometry(),
                  QRect(px(f.left), px(f.top), px(f.width), px(f.height)).translated(-pageOrigin))
            << "frame " << i;
    }
    // A grid ends at its twips and starts below its frame's border line; its columns fill it.
    for (int i = 0; i < 13; ++i) {
        const auto &g = p.grids[std::size_t(i)];
        GridView *grid = window.grid(i);
        const int bottom = px(g.top + g.height) - (i == 10 ? pageOrigin.y() : 0); // grid 10 lies on its tab
        EXPECT_EQ(QPoint(grid->width(), grid->geometry().bottom() + 1), QPoint(px(g.width), bottom)) << "grid " << i;
        EXPECT_EQ(grid->parentWidget()->inherits("QGroupBox"), i != 10) << "grid " << i;
        EXPECT_GE(grid->y(), grid->parentWidget()->contentsRect().top()) << "grid " << i;
        EXPECT_GE(grid->horizontalHeader()->length(), grid->viewport()->width()) << "grid " << i;
    }
}

// Every caption can be read whole: no check box, option, button, label or frame title is
// squeezed below the room its text needs, and every usable tab fits the tab row.
TEST_F(LayoutTest, NoCaptionIsClipped)
{
    for (int tab = 0; tab < window.tabStrip()->count(); ++tab) {
        if (!window.tabStrip()->isTabVisible(tab))
            continue;
        window.tabStrip()->setCurrentIndex(tab);
        QCoreApplication::processEvents();
        QWidget *page = window.tabStrip()->widget(tab);
        for (auto *button : page->findChildren<QAbstractButton *>())
            EXPECT_GE(button->width(), button->sizeHint().width())
                << "tab " << tab << ": " << button->text().toStdString();
        for (auto *label : page->findChildren<QLabel *>()) {
            if (label->text().isEmpty() || !label->pixmap().isNull())
                continue;
            if (label->wordWrap())
                EXPECT_GE(label->height(), label->heightForWidth(label->width()))
                    << "tab " << tab << ": " << label->text().toStdString();
            else
                EXPECT_GE(label->width(), label->sizeHint().width())
                    << "tab " << tab << ": " << label->text().toStdString();
        }
        for (auto *frame : page->findChildren<QGroupBox *>())
            EXPECT_GE(frame->width(), frame->fontMetrics().horizontalAdvance(frame->title()) + 12)
                << frame->title().toStdString();
    }
    QTabBar *bar = window.tabStrip()->tabBar();
    EXPECT_LE(bar->sizeHint().width(), window.tabStrip()->width()) << "the tab row scrolls";
}

TEST_F(LayoutTest, DeviceTablesShowTheirConfiguration)
{
    GridView *leds = window.grid(0);
    ASSERT_GT(leds->model()->rowCount(), 0);
    EXPECT_EQ(leds->model()->headerData(0, Qt::Horizontal).toString(), u"Port"_s);
    EXPECT_EQ(leds->model()->headerData(1, Qt::Horizontal).toString(), u"Description"_s);
    EXPECT_EQ(leds->model()->index(0, 1).data().toString(), cockpit.table(DeviceSection::PLED64_1)[0][1]);
    EXPECT_EQ(leds->columnWidth(1), qRound(3200 * window.logicalDpiX() / 1440.0));

    EXPECT_EQ(window.grid(8)->model()->rowCount(), 20) << "the MFD button lists";
    EXPECT_EQ(window.grid(7)->model()->columnCount(), 7) << "the gauge table with its servo columns";
    const QAbstractItemModel *devices = window.grid(4)->model();
    ASSERT_TRUE(QTest::qWaitFor([&] { return devices->rowCount() > 0; }, 10000));
    EXPECT_TRUE(devices->index(0, 3).data(Qt::ToolTipRole).toString().startsWith(u"Attached at "_s));
}

} // namespace
} // namespace tavrel
