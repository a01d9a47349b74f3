// Fuzz target for the lamp and text display routines, which read the fields of Tavrel.cfg
// and the texts of the flight record: the bytes are a Tavrel.cfg file, and the same bytes
// fill the flight record. Every table runs through its routines against virtual boards and
// grids laid out as start-up lays them out. Lamp cells hold "*" or nothing, LED brightness
// stays the slider's, and every built display has one CR per 26 characters, no control code.
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

#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace tavrel;
using Kind = BoardKind;

static void check(bool condition)
{
    if (!condition)
        std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    auto tables = readConfiguration(convert::decodeWindows1252(QByteArrayView(data, qsizetype(size)))).config.tables;
    const auto table = [&](DeviceSection section) -> ConfigTable & { return tables[std::size_t(section)]; };
    FlightData record{};
    std::memcpy(&record, data, std::min(size, sizeof record));
    const auto noYield = [] {};
    QString display;
    const auto pfl = [&](QString &out) {
        BuildDisplay(view(record.PFLLines), out, noYield, [](const Error &) { std::abort(); });
    };
    pfl(display);
    const auto control = [](QChar c) { return c < u' ' && c != u'\r'; };
    check(display.count(u'\r') == 5 && std::none_of(display.begin(), display.end(), control));

    Grid grid;
    VirtualBoard leds(Kind::Led64, 1), kit(Kind::InterfaceKit, 1), lcd(Kind::TextLcd, 2), textLed(Kind::TextLed, 2);
    const LampInputs in{record, record.SpeedBrake > 0.0f, true, [] { return 37; }, noYield};
    for (const auto &[index, section, board] :
         {std::tuple{0, DeviceSection::PLED64_1, &leds}, std::tuple{2, DeviceSection::P01616_1, &kit}}) {
        grids::portList(grid, table(section), {});
        DriveDiscreteOutputs(index, table(section), board, grid, in);
        for (int r = 1; r < grid.rows(); ++r)
            check(grid.text(r, 2).isEmpty() || grid.text(r, 2) == QLatin1String("*"));
    }
    for (int i = 0; i < boardKind(BoardKind::Led64).channels; ++i)
        check(leds.discreteLED(i) == 0 || leds.discreteLED(i) == 37);
    BuildTextLcdContent(table(DeviceSection::PTLCD_1), record, pfl, display);
    BuildTextLedContent(table(DeviceSection::PTLED_1), record);
    attempt([&] { WriteTextLcd(table(DeviceSection::PTLCD_1), &lcd, grid, true, noYield); });
    attempt([&] { WriteTextLed(table(DeviceSection::PTLED_1), &textLed, grid, true, noYield); });

    ConfigTable &epic = table(DeviceSection::EPICAnalogs);
    grids::pigeonholeList(grid, epic);
    VirtualEpicCard card;
    SendEpicData(epic, record, &card, grid, true, noYield);
    for (int i = 0; i < configEntries(epic); ++i)
        check(grid.text(i + 1, 3) == epic[i][3]);
    return 0;
}
