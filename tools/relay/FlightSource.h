#pragma once

#include "Recording.h"

#include "sources/RelayAssembler.h"
#include "sources/SimulatedFlight.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <functional>

// What tavrel-relay serves, and how it answers the cockpit's one-letter requests.
namespace tavrel::relay {

// Milliseconds since the program started.
using Clock = std::function<qint64()>;

// Where the answers come from, read at the moment of each request.
class FlightSource
{
public:
    virtual ~FlightSource() = default;
    // Whether the simulator is up: the answer to "X".
    virtual bool isActive() = 0;
    // One whole record with its flag: the answer to "Y".
    virtual QByteArray record() = 0;
    // A new client is being served from now on.
    virtual void clientTaken() {}
};

// The built-in simulated flight: the simulator comes up kStartMs after the start, and
// each record is the flight at the time since the start.
class SimulatedSource final : public FlightSource
{
public:
    static constexpr qint64 kStartMs = 2000;

    explicit SimulatedSource(Clock clock);
    bool isActive() override;
    QByteArray record() override;

private:
    Clock clock_;
    SimulatedFlight flight_;
};

// A recording served again at its own pace: replay time starts at the first entry's
// time; each entry stands from its time until the next one's; after the last entry has
// stood as long as the gap before it, the recording starts over. The flag of "X" and
// "Y" alike is the entry's; the record goes out byte for byte as it was recorded.
// Replay time runs from the start of the program, or, `fromStartPerClient`, from the
// moment each client is taken, so that every client sees the recording from its start.
class ReplaySource final : public FlightSource
{
public:
    // `entries` must not be empty.
    ReplaySource(QList<RecordingEntry> entries, Clock clock, bool fromStartPerClient = false);
    bool isActive() override;
    QByteArray record() override;
    void clientTaken() override;

private:
    qint64 elapsed() const { return clock_() - origin_; }

    QList<RecordingEntry> entries_;
    Clock clock_;
    bool fromStartPerClient_;
    qint64 origin_ = 0;
};

// The entry of a non-empty recording that stands `elapsedMs` after the replay began.
qsizetype entryAt(const QList<RecordingEntry> &entries, qint64 elapsedMs);
// How long one round of a non-empty recording lasts, in ms (at least 1).
qint64 loopLength(const QList<RecordingEntry> &entries);

// Answers every request in `requests`, in order: "X" and "Y" from the source, any other
// byte ignored. `served` (when set) hears each request answered with its answer.
QByteArray answerRequests(QByteArrayView requests, FlightSource &source,
                          const std::function<void(char request, const QByteArray &answer)> &served = {});

} // namespace tavrel::relay
