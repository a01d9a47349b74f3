// The relay link's recovery rules, on with [TCPIP-RECOVER] TRUE, and the darkness they
// share with shutdown. As designed, the link trusts the peer to answer each request with
// one whole answer in one arrival, and never mends itself; with recovery the cockpit
// gathers answers until they are whole, keeps one request out at a time, connects again
// by itself and goes dark rather than show old data as new.
#include "cockpit/Cockpit.h"

#include "core/Convert.h"
#include "core/Error.h"
#include "core/Log.h"
#include "phidget/LampOutputs.h"
#include "sources/RelayWire.h"

#include <algorithm>
#include <array>

namespace tavrel {

namespace {
const QString kStale = QStringLiteral("Stale ");
} // namespace

// Whether a request may go out now; with recovery, only when none is out or the last one
// has waited its time unanswered, and then what is left of its answer is dropped.
bool Cockpit::mayAsk()
{
    auto &r = recovery_;
    if (!r.on)
        return true;
    const qint64 now = clock_();
    if (r.asked && now - r.askedAt < kAnswerWaitMs)
        return false;
    r.assembler.clear();
    r.asked = true;
    r.askedAt = now;
    return true;
}

bool Cockpit::isStale() const
{
    return recovery_.on && flags_.SimActive && controls_.optConnectType[0].value()
           && clock_() - recovery_.lastData > kStaleMs;
}

// The cycle's check of a running source: silent for more than kStaleMs it shows
// "Stale n s"; for more than kDarkMs it puts the outputs dark.
void Cockpit::checkStaleness()
{
    auto &r = recovery_;
    if (!isStale())
        return;
    const qint64 silent = clock_() - r.lastData;
    if (r.staleShown < 0)
        qCWarning(lcRelay) << "stale: no answer from the relay peer for" << silent / 1000 << "s";
    showStale(silent / 1000);
    if (silent > kDarkMs && !r.dark) {
        qCWarning(lcRelay) << "outputs dark: no answer from the relay peer for" << silent / 1000 << "s";
        r.dark = true;
        darkenCockpit();
    }
}

// "Stale n s", shown whatever the screen switch says; made anew only when n changes.
void Cockpit::showStale(qint64 seconds)
{
    auto &r = recovery_;
    if (seconds != r.staleShown) {
        r.staleShown = seconds;
        r.staleText = kStale + QString::number(seconds) + QStringLiteral(" s");
    }
    setMessage(r.staleText);
}

// An arrival with recovery on. Whole answers are read for as long as bytes come: one
// that comes in while this handler yields (a cycle in that yield asks again, and the
// answer is quick) brings no arrival of its own, since the socket does not signal again
// inside its own handler, so it is read here rather than left for the re-ask.
void Cockpit::recoveryArrival()
{
    do {
        relayBytes_.resize(0);
        attempt([&] { sktTavrel_.getText(relayBytes_); });
        recovery_.assembler.append(relayBytes_);
        if (!takeRecoveryAnswer())
            return;
        outputs_->yieldToEvents();
    } while (sktTavrel_.bytesAvailable() > 0);
}

// Only a whole answer to the request that is out counts; anything else waits for the
// rest of its answer or, asked for by nobody, is dropped. True when an answer was taken.
bool Cockpit::takeRecoveryAnswer()
{
    auto &r = recovery_;
    if (!r.asked) {
        r.assembler.clear();
        return false;
    }
    if (flags_.LivenessPending) {
        std::int16_t answer = 0;
        if (!r.assembler.takeBoolean(answer))
            return false;
        LivenessReply_ = answer == -1;
        if (flags_.SimActive != LivenessReply_)
            r.haveRecord = false; // what the record holds is from before the change
        flags_.SimActive = LivenessReply_;
        flags_.LivenessPending = false;
        r.lastData = clock_();
    } else {
        if (!r.assembler.takeRecord(r.record))
            return false;
        RelayText_.resize(0);
        convert::decodeWindows1252(r.record, RelayText_);
        if (!relay::isPlausibleRecord(RelayText_)) {
            // Garbage shaped like a record: dropped, and the source counts as silent.
            ++r.droppedRecords;
            ++r.droppedUnreported;
            if (const qint64 now = clock_(); now - r.dropReportedAt >= kDropReportMs) {
                qCWarning(lcRelay).nospace() << "dropped " << r.droppedUnreported
                                             << " answer(s) shaped like a record that were no record";
                r.droppedUnreported = 0;
                r.dropReportedAt = now;
            }
            r.asked = false;
            r.assembler.clear();
            return false;
        }
        if (const std::optional<bool> active = relay::readRecord(RelayText_, relayRecord_))
            flags_.SimActive = *active;
        flightData_ = relayRecord_;
        r.haveRecord = true;
        noteRecord();
        r.lastData = clock_();
        if (r.staleShown >= 0) { // fresh data: the stale notice goes
            qCInfo(lcRelay) << "records again after" << r.staleShown << "s";
            r.staleShown = -1;
            setMessage(QString());
        }
        if (r.dark) {
            r.dark = false;
            attempt([&] {
                RestoreDisplays(boards_, controls_.sldGlimra[CockpitControls::kBrightness].value());
            });
        }
        // A simulator that stopped is asked after again, once a second, until it is back.
        if (!flags_.SimActive)
            setTimerEnabled(tmrOstrel_, true);
    }
    r.asked = false;
    r.assembler.clear(); // whatever came after the answer was asked for by nobody
    return true;
}

// Whether the outputs must wait: with recovery, until a record has come since the link
// began or the simulator came and went, so old data is never written as live.
bool Cockpit::awaitingRecord() const
{
    return recovery_.on && controls_.optConnectType[0].value() && !recovery_.haveRecord;
}

// A new start for the link: by the operator's choice of source, or a new connection.
void Cockpit::resetRecovery()
{
    auto &r = recovery_;
    r.asked = false;
    r.assembler.clear();
    r.waitingTicks = 0;
    r.lastData = clock_();
    r.staleShown = -1;
    r.haveRecord = false;
    if (r.dark) {
        r.dark = false;
        attempt([&] { RestoreDisplays(boards_, controls_.sldGlimra[CockpitControls::kBrightness].value()); });
    }
}

// Every kReconnectMs: a connection that closed or failed is made again, and so is one
// still not made after a whole period.
void Cockpit::tmrReconnect_Timer()
{
    auto &r = recovery_;
    if (!r.on || !controls_.optConnectType[0].value())
        return;
    const int state = sktTavrel_.state();
    if (state == WinsockClient::Connected) {
        r.waitingTicks = 0;
        return;
    }
    const bool ended = state == WinsockClient::Closed || state == WinsockClient::Closing
                       || state == WinsockClient::Error;
    if (!ended && ++r.waitingTicks < 2)
        return;
    r.waitingTicks = 0;
    CloseSockets();
    flags_.LivenessPending = false;
    r.asked = false;
    r.assembler.clear();
    connectRelay();
    if (flags_.ScreenUpdate && !isStale())
        setMessage(WinsockClient::stateText(sktTavrel_.state()).toString());
}

void Cockpit::darkenCockpit()
{
    attempt([&] { outputs_->LampTest(false, true); });
    const BoardSlots &b = boards_;
    const std::array<const Board *, 12> slots = {
        &b.pViper01616_1,   &b.pViper01616_2,   &b.pViperLED_1,    &b.pViperLED_2,
        &b.pViperTextLED_1, &b.pViperTextLED_2, &b.pViperTextLCD_1, &b.pViperTextLCD_2,
        &b.pViperServo_1,   &b.pViperServo_2,   &b.pViper4Servo_1, &b.pViper4Servo_2};
    QList<PhidgetBoard *> others;
    for (const Board &board : attached_)
        if (std::none_of(slots.begin(), slots.end(), [&](const Board *slot) { return *slot == board; }))
            others << board.get();
    attempt([&] { DarkenBoards(others); });
}

} // namespace tavrel
