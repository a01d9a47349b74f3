#pragma once

#include "cockpit/CockpitControls.h"
#include "core/FlightData.h"
#include "sources/RelayAssembler.h"
#include "sources/WinsockClient.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <limits>

namespace tavrel {

// The relay peer as a data source: the socket, the staging record each arrival is read
// into, the liveness question "X" and the record request "Y", and with [TCPIP-RECOVER]
// TRUE the rules that mend the link. Without recovery each arrival is taken for one
// whole answer and nothing is ever stale.
//
// With recovery, answers are gathered across arrivals and only whole ones are read, as
// soon as they are in; one request is out at a time (asked again after kAnswerWaitMs); a
// record that is not plausible as one is dropped like silence; no record from before the
// simulator came or went reaches the outputs; a connection that closed or failed is made
// again every kReconnectMs, and a source silent for more than kStaleMs shows "Stale n s"
// and, after kDarkMs, puts the outputs dark as at shutdown until fresh data comes.
class RelayLink : public QObject
{
    Q_OBJECT
public:
    // What the link asks of the cockpit around it.
    struct Host
    {
        std::function<void()> yieldToEvents;
        std::function<void()> darken;            // lamps and displays dark, as at shutdown
        std::function<void()> restoreDisplays;   // after darkness, the displays lit again
        std::function<void()> recordCame;        // a record from the source, just now
        std::function<void()> askAfterSimulator; // the liveness timer runs again
    };

    static constexpr int kAnswerWaitMs = 500;
    static constexpr int kReconnectMs = 2000;
    static constexpr int kStaleMs = 2000;
    static constexpr int kDarkMs = 5000;
    static constexpr int kDropReportMs = 1000;

    // Records go to `flightData`, one whole copy per record.
    RelayLink(CockpitControls &controls, CockpitFlags &flags, FlightData &flightData, Host host);
    ~RelayLink() override;

    WinsockClient &socket() { return sktTavrel_; }
    FlightData &stagingRecord() { return relayRecord_; }

    bool recovery() const { return recovery_.on; }
    void setRecovery(bool on) { recovery_.on = on; }
    // Whether the outputs are dark because the relay data went stale.
    bool isDark() const { return recovery_.dark; }
    // Answers shaped like a record that were no record, dropped since start-up.
    int droppedRecords() const { return recovery_.droppedRecords; }
    // Whether the outputs must wait: with recovery, until a record has come since the
    // link began or the simulator came and went, so old data is never written as live.
    bool awaitingRecord() const;
    bool isStale() const;

    // Milliseconds on a clock that never goes back, read by the recovery rules; a test
    // puts its own in place.
    using Clock = std::function<qint64()>;
    void setClock(Clock clock) { clock_ = std::move(clock); }
    qint64 now() const { return clock_(); }
    QTimer &reconnectTimer() { return tmrReconnect_; }

    // The address and port from their boxes, then Connect, whatever state the socket is in.
    void connectRelay();
    void close();
    // A new start for the link: by the operator's choice of source, or a new connection.
    void resetRecovery();

    // The cycle's request for a record, and the check of a silent source.
    void requestRecord();
    // The liveness timer's question, while the simulator is not known to be active.
    void askLiveness();

    // An arrival: the answer to "X" while LivenessPending, else a record, parsed into the
    // staging record and copied whole over the flight data.
    void sktTavrel_DataArrival(qint64 bytesTotal);
    // The reconnection timer's tick; it runs all the time and acts only in relay mode
    // with recovery on.
    void tmrReconnect_Timer();

private:
    bool relaySelected() const { return controls_.optConnectType[OptTcpIp].value() != 0; }
    void setMessage(const QString &text) { controls_.lblTCPIPMsg.setCaption(text); }
    bool mayAsk();
    void checkStaleness();
    void showStale(qint64 seconds);
    void recoveryArrival();
    bool takeRecoveryAnswer();
    bool takeLivenessAnswer();
    bool takeRecord();
    void dropRecord();
    void leaveDarkness();

    CockpitControls &controls_;
    CockpitFlags &flags_;
    FlightData &flightData_;
    Host host_;
    WinsockClient sktTavrel_;
    FlightData relayRecord_{};
    // The last answer to "X" (true only for -1), and the bytes and text of the last
    // arrival, kept so that their room is reused.
    bool LivenessReply_ = false;
    QByteArray relayBytes_;
    QString RelayText_;
    struct Recovery
    {
        bool on = false;
        bool asked = false; // a request is out and its answer not yet whole
        qint64 askedAt = 0;
        qint64 lastData = 0; // when the source last said something that counts
        bool dark = false;
        bool haveRecord = false;   // a record came since the link began or the simulator came or went
        int droppedRecords = 0;    // record-shaped answers that were no record
        int droppedUnreported = 0; // of them, not logged yet
        qint64 dropReportedAt = std::numeric_limits<qint64>::min() / 2; // logged at most once a second
        int waitingTicks = 0; // reconnection ticks a connection attempt has been pending
        qint64 staleShown = -1;
        QString staleText;
        relay::RecordAssembler assembler;
        QByteArray record;
    } recovery_;
    Clock clock_;
    QTimer tmrReconnect_;
};

} // namespace tavrel
