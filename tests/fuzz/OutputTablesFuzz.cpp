// Fuzz target for the lamp and text display routines, which read the fields of Tavrel.cfg
// and the texts of the flight record: the bytes are a Tavrel.cfg file, and the same bytes
// fill the flight record (numbers of any value, texts of any character). Every table runs
// through its routines against virtual boards and grids laid out as start-up lays them out.
// Besides not crashing or hanging: lamp cells hold "*" or nothing, LED brightness stays the
// slider's, and every built display has one CR per 26 characters with nothing below 32.
// The EPIC table goes through the transfer to the open virtual card, and its grid shows
// what the table holds.
#include "core/ConfigReader.h"
#include "core/Convert.h"
#include "core/Error.h"
#include "core/Grid.h"
#include "core/GridBuilders.h"
#include "epic/EpicTransfer.h"
#include "epic/VirtualEpicCard.h"
#include "phidget/LampOutputs.h"
#include "phidget/TextDisplays.h"
#include "phidget/VirtualBoard.h"

#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace tavrel;

namespace {

constexpr std::int32_t kSlider = 37;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void checkDisplay(const QString &text, qsizetype sourceLength)
{
    check(text.count(u'\r') == std::min<qsizetype>(sourceLength, 130) / 26);
    for (QChar ch : text)
        check(ch == u'\r' || ch.unicode() >= 32);
    for (int n = 0; n <= 6; ++n) {
        const QStringView line = GetLine(text, n);
        check(!line.contains(u'\r') && !line.startsWith(u' ') && !line.endsWith(u' '));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString text;
    text.reserve(qsizetype(size));
    for (std::size_t i = 0; i < size; ++i)
        text += QChar(convert::fromWindows1252(data[i]));
    ConfigReadResult read = readConfiguration(text);
    auto &tables = read.config.tables;

    FlightData record{};
    std::memcpy(&record, data, std::min(size, sizeof record));

    const auto noYield = [] {};
    const auto report = [](const Error &) { check(false); }; // nothing here can fail
    QString display;
    for (const FlightText *field : {&record.DEDLines, &record.PFLLines}) {
        BuildDisplay(QStringView(*field, kTextFieldLength), display, noYield, report);
        checkDisplay(display, kTextFieldLength);
    }

    const LampInputs in{record, record.SpeedBrake > 0.0f, true, [] { return kSlider; }, noYield};
    const std::pair<int, DeviceSection> lamps[] = {{0, DeviceSection::PLED64_1},
                                                   {2, DeviceSection::P01616_1},
                                                   {5, DeviceSection::P01616_2}};
    for (const auto &[index, section] : lamps) {
        VirtualBoard board(index == 0 ? VirtualBoard::Kind::Led64 : VirtualBoard::Kind::InterfaceKit, 1);
        Grid grid;
        const ConfigTable &table = tables[std::size_t(section)];
        grids::portList(grid, table, {});
        DriveDiscreteOutputs(index, table, &board, grid, in);
        for (int r = 1; r < grid.rows(); ++r)
            check(grid.text(r, 2).isEmpty() || grid.text(r, 2) == QLatin1String("*"));
        for (int i = 0; index == 0 && i < VirtualBoard::kLedCount; ++i)
            check(board.discreteLED(i) == 0 || board.discreteLED(i) == kSlider);
    }

    for (DeviceSection section : {DeviceSection::PTLED_1, DeviceSection::PTLCD_1}) {
        const bool lcd = section == DeviceSection::PTLCD_1;
        ConfigTable &table = tables[std::size_t(section)];
        VirtualBoard board(lcd ? VirtualBoard::Kind::TextLcd : VirtualBoard::Kind::TextLed, 2);
        Grid grid;
        grids::portList(grid, table, {});
        if (lcd) {
            grids::lineColumns(grid, table);
            const auto pfl = [&](QString &out) {
                BuildDisplay(QStringView(record.PFLLines, kTextFieldLength), out, noYield, report);
            };
            BuildTextLcdContent(table, record, pfl, display);
            attempt([&] { WriteTextLcd(table, &board, grid, true, noYield); });
        } else {
            grids::variableColumns(grid, table);
            BuildTextLedContent(table, record);
            attempt([&] { WriteTextLed(table, &board, grid, true, noYield); });
        }
    }
    ConfigTable &epic = tables[std::size_t(DeviceSection::EPICAnalogs)];
    Grid epicGrid;
    grids::pigeonholeList(epicGrid, epic);
    VirtualEpicCard card;
    SendEpicData(epic, record, &card, epicGrid, true, noYield);
    for (int i = 0; i < configEntries(epic); ++i)
        check(epicGrid.text(i + 1, 3) == epic[i][3]);

    LampTest(true, true, BoardSlots{}, tables[std::size_t(DeviceSection::PTLED_1)],
             tables[std::size_t(DeviceSection::PTLED_2)], kSlider);
    return 0;
}
