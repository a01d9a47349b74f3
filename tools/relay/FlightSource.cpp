#include "FlightSource.h"

#include "sources/RelayWire.h"

#include <algorithm>

namespace tavrel::relay {

SimulatedSource::SimulatedSource(Clock clock) : clock_(std::move(clock))
{
}

bool SimulatedSource::isActive()
{
    return clock_() >= kStartMs;
}

QByteArray SimulatedSource::record()
{
    const qint64 now = clock_();
    FlightData data;
    flight_.sample(static_cast<double>(now) / 1000.0, data);
    return formatRecord(data, now >= kStartMs);
}

ReplaySource::ReplaySource(QList<RecordingEntry> entries, Clock clock, bool fromStartPerClient)
    : entries_(std::move(entries))
    , clock_(std::move(clock))
    , fromStartPerClient_(fromStartPerClient)
{
    Q_ASSERT(!entries_.isEmpty());
}

bool ReplaySource::isActive()
{
    return entries_[entryAt(entries_, elapsed())].active;
}

QByteArray ReplaySource::record()
{
    return entries_[entryAt(entries_, elapsed())].record;
}

void ReplaySource::clientTaken()
{
    if (fromStartPerClient_)
        origin_ = clock_();
}

qint64 loopLength(const QList<RecordingEntry> &entries)
{
    const qint64 span = entries.last().ms - entries.first().ms;
    const qint64 lastGap = entries.size() < 2 ? 0 : entries.last().ms - entries[entries.size() - 2].ms;
    return span + std::max<qint64>(lastGap, 1);
}

qsizetype entryAt(const QList<RecordingEntry> &entries, qint64 elapsedMs)
{
    const qint64 into = std::max<qint64>(elapsedMs, 0) % loopLength(entries);
    const qint64 at = entries.first().ms + into;
    // The last entry whose time has come: past every entry at or before `at`, one back.
    const auto after = std::upper_bound(entries.begin(), entries.end(), at,
                                        [](qint64 t, const RecordingEntry &e) { return t < e.ms; });
    return (after - entries.begin()) - 1;
}

QByteArray answerRequests(QByteArrayView requests, FlightSource &source,
                          const std::function<void(char, const QByteArray &)> &served)
{
    QByteArray answers;
    for (const char request : requests) {
        QByteArray answer;
        if (request == kLivenessRequest)
            answer = livenessAnswer(source.isActive());
        else if (request == kRecordRequest)
            answer = source.record();
        else
            continue;
        if (served)
            served(request, answer);
        answers += answer;
    }
    return answers;
}

} // namespace tavrel::relay
