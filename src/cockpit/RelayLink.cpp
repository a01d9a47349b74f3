// The relay link: what the cockpit sends the relay peer and does with each arrival, and
// the recovery rules, on with [TCPIP-RECOVER] TRUE. As designed, the link trusts the peer
// to answer each request with one whole answer in one arrival, and never mends itself;
// with recovery the cockpit gathers answers until they are whole, keeps one request out at
// a time, connects again by itself and goes dark rather than show old data as new.
#include "cockpit/RelayLink.h"

#include "core/Convert.h"
#include "core/Error.h"
#include "core/Log.h"
#include "sources/RelayWire.h"

#include <QElapsedTimer>

#include <memory>

namespace tavrel {

namespace {

// Texts of the message line, made once so that a record never allocates.
const QString kSending = QStringLiteral("Sending");
const QString kReceiving = QStringLiteral("Receiving");
const QString kNoConnection = QStringLiteral("No Connection");
const QString kFalconCheck = QStringLiteral("Falcon Check");
const QString kStale = QStringLiteral("Stale ");

// Leading and trailing blanks go; tabs and other white space stay part of the text.
QString trimBlanks(QStringView text)
{
    while (text.startsWith(u' '))
        text = text.sliced(1);
    while (text.endsWith(u' '))
        text.chop(1);
    return text.toString();
}

} // namespace

RelayLink::RelayLink(CockpitControls &controls, CockpitFlags &flags, FlightData &flightData, Host host)
    : controls_(controls)
    , flags_(flags)
    , flightData_(flightData)
    , host_(std::move(host))
{
    connect(&sktTavrel_, &WinsockClient::dataArrival, this, &RelayLink::sktTavrel_DataArrival);
    tmrReconnect_.setInterval(kReconnectMs);
    connect(&tmrReconnect_, &QTimer::timeout, this, &RelayLink::tmrReconnect_Timer);
    auto uptime = std::make_shared<QElapsedTimer>();
    uptime->start();
    clock_ = [uptime] { return uptime->elapsed(); };
    tmrReconnect_.start();
}

RelayLink::~RelayLink() = default;

void RelayLink::connectRelay()
{
    sktTavrel_.setRemoteHost(trimBlanks(controls_.fldGlimra[FldRelayAddress].text()));
    attempt([&] {
        const auto port = convert::checkedInt32(controls_.fldGlimra[FldRelayPort].text());
        if (!port)
            throw Error::standard(Error::TypeMismatch);
        sktTavrel_.setRemotePort(*port);
    });
    attempt([&] { sktTavrel_.connectToPeer(); });
}

void RelayLink::close()
{
    attempt([&] { sktTavrel_.close(); });
}

// Without recovery a request goes out on every cycle and nothing is ever stale.
void RelayLink::requestRecord()
{
    const bool stale = isStale();
    if (sktTavrel_.state() == WinsockClient::Connected) {
        if (mayAsk()) {
            attempt([&] { sktTavrel_.sendData(u"Y"); });
            if (flags_.ScreenUpdate && !stale)
                setMessage(kSending);
        }
    } else if (!stale) {
        setMessage(kNoConnection);
    }
    checkStaleness();
}

void RelayLink::askLiveness()
{
    const bool connected = sktTavrel_.state() == WinsockClient::Connected;
    controls_.optConnectType[OptTcpIp].setBold(connected);
    if (connected && !flags_.SimActive && mayAsk()) {
        flags_.LivenessPending = true;
        attempt([&] { sktTavrel_.sendData(u"X"); });
        if (flags_.ScreenUpdate)
            setMessage(kFalconCheck);
    }
}

// Runs with errors ignored, statement by statement. Without recovery nothing buffers: each
// arrival is one whole answer, a boolean while "X" is pending and a record otherwise,
// whatever it holds.
void RelayLink::sktTavrel_DataArrival(qint64 /*bytesTotal*/)
{
    if (flags_.ScreenUpdate && !isStale())
        setMessage(kReceiving);
    if (recovery_.on) {
        recoveryArrival();
        return;
    }

    if (flags_.LivenessPending) {
        // A read that fails (fewer than two bytes waiting) leaves the last answer, and the
        // bytes stay for the next arrival.
        attempt([&] { LivenessReply_ = sktTavrel_.getBoolean() == -1; });
        flags_.SimActive = LivenessReply_;
        flags_.LivenessPending = false;
        return; // no copy, and no other event runs in between
    }

    RelayText_.resize(0);
    attempt([&] {
        sktTavrel_.getText(relayBytes_);
        convert::decodeWindows1252(relayBytes_, RelayText_);
    });
    // Fields whose text cannot be taken keep what the staging record held; a flag that
    // cannot be reached leaves SimActive as it was.
    if (const std::optional<bool> active = relay::readRecord(RelayText_, relayRecord_))
        flags_.SimActive = *active;
    // One whole-record copy: every step of the cycle sees one record or the next.
    flightData_ = relayRecord_;
    host_.recordCame();
    host_.yieldToEvents();
}

// Whether a request may go out now; with recovery, only when none is out or the last one
// has waited its time unanswered, and then what is left of its answer is dropped.
bool RelayLink::mayAsk()
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

bool RelayLink::isStale() const
{
    return recovery_.on && flags_.SimActive && relaySelected() && clock_() - recovery_.lastData > kStaleMs;
}

// Silent for more than kStaleMs the source shows "Stale n s"; for more than kDarkMs it
// puts the outputs dark.
void RelayLink::checkStaleness()
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
        host_.darken();
    }
}

// "Stale n s", shown whatever the screen switch says; made anew only when n changes.
void RelayLink::showStale(qint64 seconds)
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
void RelayLink::recoveryArrival()
{
    do {
        relayBytes_.resize(0);
        attempt([&] { sktTavrel_.getText(relayBytes_); });
        recovery_.assembler.append(relayBytes_);
        if (!takeRecoveryAnswer())
            return;
        host_.yieldToEvents();
    } while (sktTavrel_.bytesAvailable() > 0);
}

// Only a whole answer to the request that is out counts; anything else waits for the
// rest of its answer or, asked for by nobody, is dropped. True when an answer was taken.
bool RelayLink::takeRecoveryAnswer()
{
    auto &r = recovery_;
    if (!r.asked) {
        r.assembler.clear();
        return false;
    }
    if (!(flags_.LivenessPending ? takeLivenessAnswer() : takeRecord()))
        return false;
    r.asked = false;
    r.assembler.clear(); // whatever came after the answer was asked for by nobody
    return true;
}

bool RelayLink::takeLivenessAnswer()
{
    auto &r = recovery_;
    std::int16_t answer = 0;
    if (!r.assembler.takeBoolean(answer))
        return false;
    LivenessReply_ = answer == -1;
    if (flags_.SimActive != LivenessReply_)
        r.haveRecord = false; // what the record holds is from before the change
    flags_.SimActive = LivenessReply_;
    flags_.LivenessPending = false;
    r.lastData = clock_();
    return true;
}

bool RelayLink::takeRecord()
{
    auto &r = recovery_;
    if (!r.assembler.takeRecord(r.record))
        return false;
    RelayText_.resize(0);
    convert::decodeWindows1252(r.record, RelayText_);
    if (!relay::isPlausibleRecord(RelayText_)) {
        dropRecord();
        return false;
    }
    if (const std::optional<bool> active = relay::readRecord(RelayText_, relayRecord_))
        flags_.SimActive = *active;
    flightData_ = relayRecord_;
    r.haveRecord = true;
    host_.recordCame();
    r.lastData = clock_();
    if (r.staleShown >= 0) { // fresh data: the stale notice goes
        qCInfo(lcRelay) << "records again after" << r.staleShown << "s";
        r.staleShown = -1;
        setMessage(QString());
    }
    leaveDarkness();
    // A simulator that stopped is asked after again, once a second, until it is back.
    if (!flags_.SimActive)
        host_.askAfterSimulator();
    return true;
}

// Garbage shaped like a record: dropped, and the source counts as silent.
void RelayLink::dropRecord()
{
    auto &r = recovery_;
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
}

void RelayLink::leaveDarkness()
{
    if (!recovery_.dark)
        return;
    recovery_.dark = false;
    attempt([&] { host_.restoreDisplays(); });
}

bool RelayLink::awaitingRecord() const
{
    return recovery_.on && relaySelected() && !recovery_.haveRecord;
}

void RelayLink::resetRecovery()
{
    auto &r = recovery_;
    r.asked = false;
    r.assembler.clear();
    r.waitingTicks = 0;
    r.lastData = clock_();
    r.staleShown = -1;
    r.haveRecord = false;
    leaveDarkness();
}

// Every kReconnectMs: a connection that closed or failed is made again, and so is one
// still not made after a whole period.
void RelayLink::tmrReconnect_Timer()
{
    auto &r = recovery_;
    if (!r.on || !relaySelected())
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
    close();
    flags_.LivenessPending = false;
    r.asked = false;
    r.assembler.clear();
    connectRelay();
    if (flags_.ScreenUpdate && !isStale())
        setMessage(WinsockClient::stateText(sktTavrel_.state()).toString());
}

} // namespace tavrel
