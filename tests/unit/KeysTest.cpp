// The keystroke routine against the key journal, and the scan-code table.
#include "input/F4Lib.h"
#include "input/KeyJournal.h"
#include "input/ScanCodes.h"
#include "support/CockpitHarness.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;

// The key journal of one press: the keys down, then up, each batch in argument order.
QStringList batch(std::initializer_list<int> keys)
{
    QStringList lines = {u"batch\t%1"_s.arg(keys.size())};
    for (int k : keys)
        lines << u"down\t0\t%1\t8"_s.arg(k);
    lines << u"batch\t%1"_s.arg(keys.size());
    for (int k : keys)
        lines << u"up\t%1\t%1\t10"_s.arg(k);
    return lines;
}

TEST(KeysTest, KeyRoutineSendsTheKeysDownThenUpEachBatchInArgumentOrder)
{
    struct Case
    {
        std::array<std::uint8_t, 4> keys;
        QStringList journal;
    };
    const Case cases[] = {
        {{36, 0, 0, 0}, batch({36})},
        {{56, 42, 0, 48}, batch({56, 42})}, // a key after the first zero one is ignored
        {{56, 42, 157, 48}, batch({56, 42, 157, 48})},
        {{0, 0, 30, 0}, batch({0})}, // the first key always counts, even when zero
    };
    for (const Case &c : cases) {
        test::TestPlatform folder;
        int yields = 0;
        F4Lib lib([&] { ++yields; });
        lib.setInjector(std::make_unique<KeyJournal>(folder.dir.filePath(u"keys"_s)));
        EXPECT_EQ(lib.PressKeys(c.keys[0], c.keys[1], c.keys[2], c.keys[3]), (c.journal.size() - 2) / 2);
        EXPECT_EQ(folder.readLines(u"keys"_s), c.journal) << int(c.keys[0]) << "," << int(c.keys[1]);
        EXPECT_EQ(yields, 1);
    }
}

TEST(KeysTest, ScanCodesMapToTheXKeyCodesOfTheirKeys)
{
    // X key codes of the evdev keymap; 0 for a code that no key sends.
    const std::pair<int, int> cases[] = {
        {0x01, 9},   {0x1E, 38},  {0x30, 56},  {0x24, 44},  // Esc, A, B, J
        {0x2A, 50},  {0x38, 64},  {0x9D, 105}, {0xB8, 108}, // left Shift, left Alt, right Control, right Alt
        {0x3B, 67},  {0x57, 95},  {0x58, 96},               // F1, F11, F12
        {0x52, 90},  {0x9C, 104}, {0xB5, 106},              // keypad 0, Enter, /
        {0xC8, 111}, {0xD3, 119}, {0xDB, 133}, {0xC5, 127}, // Up, Delete, left Windows, Pause
        {0x00, 0},   {0x54, 0},   {0x59, 0},   {0x80, 0},   {0xFF, 0},
    };
    for (const auto &[scan, x] : cases)
        EXPECT_EQ(scancodes::xKeyCode(std::uint8_t(scan)), x) << "scan code " << scan;
}

// "Gear Up" and "Gear Down", then the gear test: "Timer Enabled" starts a timer of 5 s whose
// first tick presses gear down, the next gear up, each with a beep; clearing it stops it.
TEST(KeysTest, TheGearButtonsAndTheGearTestTimer)
{
    test::CockpitHarness h;
    h.cockpit.keys().setInjector(std::make_unique<KeyJournal>(h.platform.dir.filePath(u"keys"_s)));
    QTimer &timer = h.cockpit.gearTestTimer();
    const std::tuple<const char *, std::function<void()>, QStringList, int> steps[] = {
        {"Gear Up", [&] { h.controls().Command1.press(); }, batch({56, 42, 157, 48}), 0},
        {"Gear Down", [&] { h.controls().Command2.press(); }, batch({36}), 0},
        {"Timer Enabled", [&] { h.controls().Check1.setValue(1); }, {}, 0},
        {"first tick", [&] { h.cockpit.Timer1_Timer(); }, batch({36}), 1},
        {"second tick", [&] { h.cockpit.Timer1_Timer(); }, batch({56, 42, 157, 48}), 2},
        {"third tick", [&] { h.cockpit.Timer1_Timer(); }, batch({36}), 3}};
    for (const auto &[name, step, keys, beeps] : steps) {
        const qsizetype before = h.platform.readLines(u"keys"_s).size();
        step();
        EXPECT_EQ(h.platform.readLines(u"keys"_s).mid(before), keys) << name;
        EXPECT_EQ(h.platform.events.count(u"beep"_s), beeps) << name;
    }
    EXPECT_EQ(timer.isActive(), true);
    EXPECT_EQ(timer.interval(), 5000);
    h.controls().Check1.setValue(0);
    EXPECT_EQ(timer.isActive(), false);
}

} // namespace
} // namespace tavrel
