#pragma once

#include "FlightSource.h"

#include "core/FlightData.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <memory>

// The simulator's own publication of its flight data: two named shared-memory areas,
// "FalconSharedMemoryArea" (the flight data block) and "FalconSharedMemoryArea2" (its
// second block), and the record the relay makes of them.
namespace tavrel::relay {

// How the first area lays out its fields, told by its size and version number.
enum class SimLayout {
    Unknown, // smaller than any layout below
    Compact, // 1280 bytes: second engine inline, radar-warning arrays of 20
    Inline,  // 1904 bytes (or 1920 with an older version): second engine inline, arrays of 40
    Split,   // 1920 bytes or more, version 110 on: second engine in the second area,
             // "Flying" in the HSI bit word
};

struct SimReading
{
    SimLayout layout = SimLayout::Unknown;
    qsizetype size = 0;       // of the first area
    std::int32_t version = 0; // its version number, 0 where the layout has none
    bool active = false;      // the answer to "X": a known layout, flying where it can tell
};

// Converts the two areas, as copied at one moment, into `out` field by field: floats
// and integers as they are (bit words as signed 32-bit integers), texts as 130
// Windows-1252 characters with NUL and CR turned into spaces. Fields neither area holds
// (the validity words) read all valid, -1. The reserved block is left alone. An area too
// small for any layout changes nothing; a missing or short second area leaves the
// second-engine values at 0 where they live there.
SimReading convertSharedMemory(QByteArrayView flightData, QByteArrayView flightData2, FlightData &out);

// The two areas as they are at this moment.
class SharedMemoryAreas
{
public:
    virtual ~SharedMemoryAreas() = default;
    // Copies both areas into the buffers (their room reused); false, with both emptied,
    // while the first area is not there. A missing second area leaves its buffer empty.
    virtual bool read(QByteArray &flightData, QByteArray &flightData2) = 0;
};

// The named areas of this machine (Windows only).
std::unique_ptr<SharedMemoryAreas> systemSharedMemoryAreas();

// Serves what the simulator publishes, read afresh at every request: "X" is true while
// the area is there in a known layout and, where the layout tells, the player is flying;
// "Y" is the last record read, with that flag. Changes of that state are told to `log`
// ("waiting for the simulator's shared memory", and what was found).
class SharedMemorySource final : public FlightSource
{
public:
    SharedMemorySource(std::unique_ptr<SharedMemoryAreas> areas, std::function<void(const QString &)> log);
    bool isActive() override;
    QByteArray record() override;
    // Reads the areas now; also run once a second, so that the console follows the
    // simulator while no cockpit asks.
    void refresh();

private:
    std::unique_ptr<SharedMemoryAreas> areas_;
    std::function<void(const QString &)> log_;
    QByteArray flightData_;
    QByteArray flightData2_;
    QByteArray answer_;
    FlightData record_{};
    SimReading reading_;
    QString said_;
};

} // namespace tavrel::relay
