#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>

namespace tavrel::bench {

// The full cockpit: both LED-64 boards with 64 lamps, both interface kits with 16, every
// built-in rule and bit word among them, four text LED lines on each text LED board, the
// fault list on text LCD 1 and the countermeasures page on text LCD 2.
inline QByteArray fullConfiguration()
{
    static constexpr std::array<const char *, 7> kRules = {
        "HSI - Outer Marker Beacon", "HSI - Middle Marker Beacon", "HSI - Inner Marker Beacon",
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
                cfg += QByteArray::number(i) + ",Lamp," + QByteArray::number(mask) + ','
                       + QByteArray::number(i % 4 + 1) + "\r\n";
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
    return cfg;
}

} // namespace tavrel::bench
