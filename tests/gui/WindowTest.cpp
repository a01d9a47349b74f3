#include "cockpit/Cockpit.h"
#include "support/ScriptedServer.h"
#include "support/TestPlatform.h"
#include "ui/FrmTavrel.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDate>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;

class WindowTest : public ::testing::Test
{
protected:
    WindowTest()
    {
        script->properties.insert(u"Ostrely"_s, false);
        window.show();
        cockpit.startUp();
    }
    template <typename W> W *find(const QString &name)
    {
        auto *w = window.findChild<W *>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }

    std::shared_ptr<test::ServerScript> script = std::make_shared<test::ServerScript>();
    test::TestPlatform platform;
    Cockpit cockpit{platform, test::scriptedFactory(script)};
    FrmTavrel window{cockpit};
};

TEST_F(WindowTest, CaptionTabsAndFramesAreInPlace)
{
    EXPECT_EQ(window.windowTitle(), u"Tavrel Version 0.80"_s);
    QTabWidget *tabs = window.tabStrip();
    const QStringList expected = {u"Control"_s, u"PhidgetLED-64"_s, u"Phidget 0/16/16"_s, u"Text Displays"_s,
                                  u"Gauges"_s,  u"G-Suit"_s,        u"MFDs"_s,            u"HUD"_s,
                                  u"EPIC (USB)"_s, u"Switches"_s};
    ASSERT_EQ(tabs->count(), expected.size());
    for (int i = 0; i < tabs->count(); ++i)
        EXPECT_EQ(tabs->tabText(i), expected[i]);
    for (int frame : {0, 1, 3, 14, 15, 20})
        EXPECT_EQ(window.frame(frame)->parentWidget(), tabs->widget(0)) << "frame " << frame << " on Control";
    EXPECT_EQ(window.frame(1)->title(), u"Communication"_s);
    EXPECT_EQ(window.frame(3)->title(), u"Lighting Options"_s);
    EXPECT_EQ(window.frame(14)->title(), u"Program Control"_s);

    for (int tab = 0; tab < tabs->count(); ++tab) {
        const bool usable = tabs->isTabVisible(tab) && tabs->isTabEnabled(tab);
        EXPECT_EQ(usable, tab != 6 && tab != 7 && tab != 9) << "tab " << tab;
    }
    EXPECT_FALSE(tabs->isTabVisible(6));
    EXPECT_TRUE(tabs->isTabVisible(9)) << "Switches stays in sight, greyed";
    EXPECT_FALSE(window.frame(20)->isEnabled());
}

// Start-up places the window near the right edge of the screen, 1000 twips down.
TEST_F(WindowTest, WindowSitsWhereStartUpPutItAndReportsItsSize)
{
    const Form &form = cockpit.controls().frmTavrel;
    const qreal dpi = window.logicalDpiY();
    // Its size is the outer one, frame included.
    const auto outerWidth = [&] { return window.size().grownBy(window.frameExtents()).width(); };
    EXPECT_EQ(form.width(), qRound(outerWidth() * 1440.0 / window.logicalDpiX()));
    EXPECT_EQ(window.pos().y(), qRound(1000 * dpi / 1440.0));
    EXPECT_EQ(window.pos().x(), qRound((platform.screenWidth - form.width() - 100) * dpi / 1440.0));

    window.resize(window.width() + 150, window.height());
    EXPECT_EQ(form.width(), qRound(outerWidth() * 1440.0 / window.logicalDpiX()));
}

// The keyboard passes over the hidden tabs ("MFDs", "HUD") and the greyed "Switches".
TEST_F(WindowTest, KeyboardPassesOverHiddenAndGreyedTabs)
{
    QTabWidget *tabs = window.tabStrip();
    for (const auto &[from, key, modifiers, to] : {std::tuple(5, Qt::Key_Tab, Qt::ControlModifier, 8),
                                                  std::tuple(8, Qt::Key_Tab, Qt::ControlModifier, 0),
                                                  std::tuple(5, Qt::Key_Right, Qt::NoModifier, 8)}) {
        tabs->setCurrentIndex(from);
        QTest::keyClick(key == Qt::Key_Tab ? static_cast<QWidget *>(tabs) : tabs->tabBar(), key, modifiers);
        EXPECT_EQ(tabs->currentIndex(), to) << "from " << from;
    }
}

TEST_F(WindowTest, StatusPanelTwoFollowsTheDataServer)
{
    auto *panel2 = find<QLabel>(u"sbStatusBarPanel2"_s);
    auto *panel1 = find<QLabel>(u"sbStatusBarPanel1"_s);
    EXPECT_EQ(panel2->text(), u"Falcon Inactive"_s);
    EXPECT_TRUE(panel1->text().endsWith(u'-' + QString::number(QDate::currentDate().year()))) << panel1->text().toStdString();

    script->properties.insert(u"Ostrely"_s, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel2->text() == u"Ostrel"_s; }, 5000)) << "the liveness timer ticks";
}

TEST_F(WindowTest, OperatorInputReachesTheHandlersAndProgramChangesShow)
{
    auto *rate = find<QSlider>(u"sldGlimra_1"_s);
    auto *rateLabel = find<QLabel>(u"lblTimerValue"_s);
    EXPECT_EQ(rate->minimum(), 1);
    EXPECT_EQ(rate->maximum(), 250);
    EXPECT_EQ(rateLabel->text(), u"100"_s);
    rate->setValue(1);
    EXPECT_EQ(cockpit.pollingTimer().interval(), 1);
    EXPECT_EQ(rateLabel->text(), u"1"_s);

    auto *noScreen = find<QCheckBox>(u"chkGlimra_0"_s);
    EXPECT_EQ(find<QLabel>(u"chkGlimra_0_caption"_s)->text(), u"Update Lights/Gauges - Not Screen"_s);
    noScreen->click();
    EXPECT_FALSE(cockpit.flags().ScreenUpdate);

    auto *dcom = find<QRadioButton>(u"optConnectType_1"_s);
    auto *tcp = find<QRadioButton>(u"optConnectType_0"_s);
    auto *address = find<QLineEdit>(u"fldGlimra_0"_s);
    EXPECT_TRUE(dcom->isChecked());
    EXPECT_FALSE(address->isEnabled()) << "no relay address in data server mode";
    tcp->click();
    EXPECT_TRUE(cockpit.controls().optConnectType[0].value());
    EXPECT_FALSE(dcom->isChecked());
    ASSERT_TRUE(address->isEnabled());
    QTest::keyClicks(address, u"127.0.0.1"_s);
    EXPECT_EQ(cockpit.controls().fldGlimra[0].text(), u"127.0.0.1"_s);

    cockpit.controls().lblTCPIPMsg.setCaption(u"No Connection"_s);
    EXPECT_EQ(find<QLabel>(u"lblTCPIPMsg"_s)->text(), u"No Connection"_s);
}

TEST_F(WindowTest, TheDedAndFaultListShowOneLineUnderTheOtherInAFixedPitchFont)
{
    auto &labels = cockpit.controls().lblGlimra;
    for (int index : {0, 2}) {
        QLabel *label = find<QLabel>(u"lblGlimra_%1"_s.arg(index));
        ASSERT_NE(label, nullptr);
        labels[std::size_t(index)].setCaption(u"UHF 292.30\r\rCOM2\r"_s);
        EXPECT_EQ(label->text(), u"UHF 292.30\n\nCOM2\n"_s);
        labels[std::size_t(index)].setCaption(u"A\rB\r"_s);
        EXPECT_EQ(label->text(), u"A\nB\n"_s) << "the second buffer shows the next text";
        const QFontMetrics metrics(label->font());
        EXPECT_EQ(metrics.horizontalAdvance(u"iiii"_s), metrics.horizontalAdvance(u"WWWW"_s)) << "fixed pitch";
    }
}

} // namespace
} // namespace tavrel
