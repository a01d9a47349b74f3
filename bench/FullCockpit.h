#pragma once

#include "cockpit/Cockpit.h"
#include "phidget/VirtualBoard.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <array>
#include <cstdint>

namespace tavrel::bench {

// Virtual boards in the cockpit's slots and no library behind them: both LED-64 boards,
// interface kits, text LED and text LCD boards, and with `servos` the four servo boards.
inline void plugVirtualBoards(Cockpit &cockpit, bool servos)
{
    using Kind = BoardKind;
    cockpit.roster().setManager(nullptr);
    auto &s = cockpit.roster().slots();
    std::int32_t serial = 1;
    const auto board = [&](Kind kind) { return std::make_shared<VirtualBoard>(kind, serial++); };
    s.pViperLED_1 = board(Kind::Led64), s.pViperLED_2 = board(Kind::Led64);
    s.pViper01616_1 = board(Kind::InterfaceKit), s.pViper01616_2 = board(Kind::InterfaceKit);
    s.pViperTextLED_1 = board(Kind::TextLed), s.pViperTextLED_2 = board(Kind::TextLed);
    s.pViperTextLCD_1 = board(Kind::TextLcd), s.pViperTextLCD_2 = board(Kind::TextLcd);
    if (servos) {
        s.pViperServo_1 = board(Kind::Servo), s.pViperServo_2 = board(Kind::Servo);
        s.pViper4Servo_1 = board(Kind::MultiServo), s.pViper4Servo_2 = board(Kind::MultiServo);
    }
}

// The EPIC card's table: every keyword once, each to a pigeonhole of its own.
inline QByteArray epicAnalogs()
{
    static constexpr std::array<const char *, 28> kKeywords = {
        "LIGHTBITS",   "LIGHTBITS2", "LIGHTBITS3", "RPM",     "RPM2",     "OILPRESSURE",  "OILPRESSURE2",
        "CHAFFCOUNT",  "FLARECOUNT", "PITCH",      "ROLL",    "TOTAL",    "INTERNALFUEL", "EXTERNALFUEL",
        "INTWINGFUEL", "INTRESFUEL", "MACH",       "KIAS",    "GS",       "NOZZLE",       "NOZZZLE2",
        "FTIT",        "FTIT2",      "SPEEDBRAKE", "EPUFUEL", "FUELFLOW", "UFC",          "AUX"};
    QByteArray section = "[EPICAnalogs]\r\n";
    for (std::size_t i = 0; i < kKeywords.size(); ++i)
        section += QByteArray::number(int(i) + 1) + ",Value," + kKeywords[i] + ",0\r\n";
    return section;
}

// The full cockpit: both LED-64 boards with 64 lamps, both interface kits with 16, every
// built-in rule and bit word among them, four text LED lines on each text LED board, the
// fault list on text LCD 1 and the countermeasures page on text LCD 2, 20 gauges (every
// keyword and three fixed ones) with eight needles on the two four-motor boards, the
// G-suit on both one-motor boards, and all 28 EPIC values.
inline QByteArray fullConfiguration()
{
    static constexpr std::array<const char *, 7> kRules = {
        "HSI - Outer Marker Beacon",        "HSI - Middle Marker Beacon",  "HSI - Inner Marker Beacon",
        "Left Console - Speed Brake (Bit)", "Gear - Left Gear Down (Bit)", "Gear - Right Gear Down (Bit)",
        "Gear - Nose Gear Down (Bit)"};
    QByteArray cfg;
    const auto lamps = [&](const char *section, int count) {
        cfg += QByteArray("[") + section + "]\r\n";
        for (int i = 0; i < count; ++i) {
            if (i % 9 == 8) {
                cfg += QByteArray::number(i) + ',' + kRules[std::size_t(i / 9 % 7)] + ",0,0\r\n";
            } else {
                const std::int32_t mask = static_cast<std::int32_t>(1u << (i % 32));
                cfg += QByteArray::number(i) + ",Lamp," + QByteArray::number(mask) + ',' + QByteArray::number(i % 4 + 1)
                       + "\r\n";
            }
        }
    };
    lamps("PLED64-1", 64);
    lamps("PLED64-2", 64);
    lamps("P01616-1", 16);
    lamps("P01616-2", 16);
    cfg += "[PTLED-1]\r\n0,a,FUELFLOW,0\r\n1,b,TOTALIZER,0\r\n2,c,AUXTCHAN,0\r\n3,d,UFCTCHAN,0\r\n"
           "[PTLED-2]\r\n0,a,CMDS1,0\r\n1,b,CMDS2,0\r\n2,c,FUELFLOW,0\r\n3,d,UFCTCHAN,0\r\n"
           "[PTLCD-1]\r\n1,a,PFD,\r\n2,b,PFD,\r\n"
           "[PTLCD-2]\r\n0,a,CMDS,\r\n1,b,CMDS,\r\n";
    // The needles sit on gauges whose values stay within the servo's range all flight.
    static constexpr std::array<const char *, 20> kGauges = {
        "RPM",  "OILPRES", "NOZPOS", "SPEEDBRAKE", "AOA",      "ATTITUDE", "EPUFuel", "TRIM",    "KIAS",  "ALT",
        "RALT", "CPALT",   "VVI",    "FTIT",       "FUELFLOW", "FUELINT",  "FUELEXT", "FUELTOT", "CLOCK", "FLAPS"};
    cfg += "[GAUGES]\r\n";
    for (std::size_t i = 0; i < kGauges.size(); ++i)
        cfg += QByteArray::number(i + 1) + ",Gauge," + kGauges[i] + ",90\r\n";
    cfg += "[P4SERVO-1]\r\n0,a,,1\r\n1,b,,2\r\n2,c,,3\r\n3,d,,4\r\n"
           "[P4SERVO-2]\r\n0,a,,5\r\n1,b,,6\r\n2,c,,7\r\n3,d,,8\r\n";
    cfg += epicAnalogs();
    return cfg;
}

// Chooses TCP/IP towards a peer on 127.0.0.1:`port` and waits up to 10 s for the
// connection; false when it did not come.
inline bool connectToPeer(tavrel::Cockpit &cockpit, quint16 port)
{
    auto &controls = cockpit.controls();
    controls.fldGlimra[0].setText(QStringLiteral("127.0.0.1"));
    controls.fldGlimra[1].setText(QString::number(port));
    controls.optConnectType[0].select();
    QElapsedTimer patience;
    patience.start();
    while (cockpit.relay().socket().state() != tavrel::WinsockClient::Connected && patience.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    return cockpit.relay().socket().state() == tavrel::WinsockClient::Connected;
}

} // namespace tavrel::bench
