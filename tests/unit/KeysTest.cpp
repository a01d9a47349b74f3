// The keystroke routine against the key journal, and the scan-code table.
#include "input/F4Lib.h"
#include "input/KeyJournal.h"
#include "input/ScanCodes.h"
#include "support/QtPrinters.h"
#include "support/TestPlatform.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {
using namespace Qt::StringLiterals;

TEST(KeysTest, KeyRoutineSendsTheKeysDownThenUpEachBatchInArgumentOrder)
{
    const auto batch = [](std::initializer_list<int> keys) {
        QStringList lines = {u"batch\t%1"_s.arg(keys.size())};
        for (int k : keys)
            lines << u"down\t0\t%1\t8"_s.arg(k);
        lines << u"batch\t%1"_s.arg(keys.size());
        for (int k : keys)
            lines << u"up\t%1\t%1\t10"_s.arg(k);
        return lines;
    };
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
        EXPECT_EQ(QString::fromLatin1(folder.readFile(u"keys"_s)).split(u'\n', Qt::SkipEmptyParts), c.journal)
            << int(c.keys[0]) << "," << int(c.keys[1]);
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

} // namespace
} // namespace tavrel
