// The window: the resize rule's table, every frame on its tab at the starting size, the
// device tables over their grid models, and the widgets bound to the control models.
#include "support/CockpitHarness.h"
#include "ui/FrmTavrel.h"
#include "ui/GridView.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

using namespace tavrel;
using namespace Qt::StringLiterals;

// The window with the demo cockpit's configuration, so every grid has rows.
class LayoutTest : public ::testing::Test
{
protected:
    LayoutTest()
    {
        QFile demo(QStringLiteral(TAVREL_SOURCE_DIR "/demo/Tavrel.cfg"));
        if (demo.open(QIODevice::ReadOnly))
            h.platform.writeFile(u"Tavrel.cfg"_s, demo.readAll());
        h.startUp();
        window.show();
        QCoreApplication::processEvents();
    }
    QWidget *find(const char *name) { return window.findChild<QWidget *>(QLatin1String(name)); }
    int twips(int pixels) { return qRound(pixels * 1440.0 / window.logicalDpiY()); }

    test::CockpitHarness h;
    FrmTavrel window{h.controls()};
};

constexpr int kStretchedFrames[] = {7, 8, 2, 9, 11, 0, 19, 12, 13};
constexpr int kNarrowGrids[] = {0, 1, 2, 5};   // 300 twips shorter than their frame
constexpr int kWideGrids[] = {4, 7, 8, 9, 10}; // 400 twips shorter

// A length below zero is passed over (the rest goes on); minimized changes nothing.
TEST_F(LayoutTest, ResizeRuleStretchesTheNineFramesAndTheirGrids)
{
    const FrmTavrel::Placement design = window.placement();
    const FrmTavrel::Placement &p = window.placement();
    // clang-format off
    for (const auto &c : {std::tuple{"the window of the design", 7110, 5610, 4810}, {"1000 taller", 8110, 6610, 5810},
                          {"back again", 7110, 5610, 4810}, {"the wide grids below zero", 2600, 1100, 300}}) {
        // clang-format on
        const auto &[name, outerHeight, tabHeight, frameHeight] = c;
        SCOPED_TRACE(name);
        window.Form_Resize(11415, outerHeight);
        EXPECT_EQ(std::tie(p.tabStrip.width, p.tabStrip.height), std::tuple(11115, tabHeight));
        for (int i = 0; i < 21; ++i) {
            const auto &f = p.frames[std::size_t(i)];
            const auto &d = design.frames[std::size_t(i)];
            const bool stretched = std::count(std::begin(kStretchedFrames), std::end(kStretchedFrames), i);
            EXPECT_EQ(f.height, stretched ? frameHeight : d.height) << "frame " << i;
            EXPECT_EQ(std::tie(f.left, f.top, f.width), std::tie(d.left, d.top, d.width)) << "frame " << i;
        }
        for (int i : kNarrowGrids)
            EXPECT_EQ(p.grids[std::size_t(i)].height, frameHeight - 300) << "grid " << i;
        for (int i : kWideGrids)
            EXPECT_EQ(p.grids[std::size_t(i)].height, frameHeight < 400 ? 4410 : frameHeight - 400) << i;
        for (int i : {3, 6, 11, 12})
            EXPECT_EQ(p.grids[std::size_t(i)].height, design.grids[std::size_t(i)].height) << "grid " << i;
    }
    window.setWindowState(Qt::WindowMinimized);
    window.Form_Resize(11415, 9110);
    EXPECT_EQ(p.tabStrip.height, 1100);
    window.setWindowState(Qt::WindowNoState); // restoring recomputes
    QCoreApplication::processEvents();
    const int outer = window.height() + window.frameExtents().top() + window.frameExtents().bottom();
    EXPECT_NEAR(p.tabStrip.height, twips(outer) - 1500, 1);
}

// At the starting size the outer height counts a frame, the reported one or, where none
// is reported (offscreen), the standard one: every frame fits on its tab and the tab
// strip ends just above the status bar.
TEST_F(LayoutTest, AtTheStartingSizeEveryFrameFitsAndTheTabStripReachesTheStatusBar)
{
    for (const QMargins frame : {QMargins(), QMargins(1, 20, 1, 5)}) { // none; a window manager's thin one
        const QSize outer = window.size().grownBy(frame);
        frame.isNull() ? window.Form_Resize() : window.Form_Resize(twips(outer.width()), twips(outer.height()));
        QTabWidget *tabs = window.tabStrip();
        const int band = window.statusBar()->y() - tabs->mapTo(&window, QPoint(0, tabs->height())).y();
        EXPECT_GE(band, 0);
        EXPECT_LE(twips(band), 300) << band << " pixels; the design leaves 270 twips";
        for (auto *box : tabs->findChildren<QGroupBox *>()) // every page has the current one's size
            EXPECT_TRUE(tabs->currentWidget()->rect().contains(box->geometry())) << box->title().toStdString();
    }
}

// The device tables over their grid models: row 0 is the header, the widths the grid's.
TEST_F(LayoutTest, TheDeviceTablesShowTheirGrids)
{
    const QAbstractItemModel *leds = window.grid(0)->model();
    EXPECT_EQ(leds->headerData(1, Qt::Horizontal).toString(), u"Description"_s);
    EXPECT_EQ(leds->index(0, 1).data().toString(), h.cockpit.table(DeviceSection::PLED64_1)[0][1]);
    EXPECT_EQ(window.grid(0)->columnWidth(1), qRound(3200 * window.logicalDpiX() / 1440.0));
    h.controls().grdTavrel[0].setText(1, 2, u"*"_s);
    EXPECT_EQ(leds->index(0, 2).data().toString(), u"*"_s);
    const QAbstractItemModel *devices = window.grid(4)->model();
    ASSERT_TRUE(test::waitUntil([&] { return devices->rowCount() > 0; }));
    EXPECT_TRUE(devices->index(0, 3).data(Qt::ToolTipRole).toString().startsWith(u"Attached at "_s));
}

// A hidden tab is greyed as well: Ctrl+Tab and the arrow keys pass over greyed tabs only.
TEST_F(LayoutTest, TheTabsAndFramesAsStartUpLeavesThem)
{
    QStringList tabs;
    for (int i = 0; i < window.tabStrip()->count(); ++i)
        tabs << window.tabStrip()->tabText(i) + (window.tabStrip()->isTabVisible(i) ? u""_s : u" hidden"_s)
                    + (window.tabStrip()->isTabEnabled(i) ? u""_s : u" greyed"_s);
    EXPECT_EQ(tabs.join(u", "_s), u"Control, PhidgetLED-64, Phidget 0/16/16, Text Displays, Gauges, G-Suit, "
                                  u"MFDs hidden greyed, HUD hidden greyed, EPIC (USB), Switches greyed"_s);
    EXPECT_EQ(window.frame(1)->title(), u"Communication"_s);
    EXPECT_FALSE(window.frame(20)->isEnabled());
}

TEST_F(LayoutTest, TheFormsSizeIsTheOuterOneFrameIncluded)
{
    EXPECT_EQ(h.controls().frmTavrel.width(), twips(window.size().grownBy(window.frameExtents()).width()));
}

// The operator's hand on the widgets reaches the control models and their handlers.
TEST_F(LayoutTest, TheWidgetsReachTheHandlers)
{
    static_cast<QSlider *>(find("sldGlimra_1"))->setValue(1);
    EXPECT_EQ(h.pollingTimer().interval(), 1);
    EXPECT_EQ(static_cast<QLabel *>(find("lblTimerValue"))->text(), u"1"_s);
    static_cast<QCheckBox *>(find("chkGlimra_0"))->click();
    EXPECT_FALSE(h.flags().ScreenUpdate);
    EXPECT_FALSE(find("fldGlimra_0")->isEnabled()) << "no relay address in data server mode";
    static_cast<QRadioButton *>(find("optConnectType_0"))->click();
    EXPECT_TRUE(h.controls().optConnectType[0].value());
    QTest::keyClicks(find("fldGlimra_0"), u"9"_s);
    EXPECT_EQ(h.controls().fldGlimra[0].text(), u"127.0.0.19"_s);
}
