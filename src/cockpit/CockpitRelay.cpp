// The relay receiver: what the cockpit does with each arrival on the relay socket.
#include "cockpit/Cockpit.h"

#include "core/Error.h"
#include "core/Convert.h"
#include "sources/RelayWire.h"

namespace tavrel {

namespace {
// Made once, like the other message-line texts, so a record never allocates.
const QString kReceiving = QStringLiteral("Receiving");
} // namespace

// Runs with errors ignored, statement by statement. Nothing buffers: each arrival is one
// whole answer, a boolean while "X" is pending and a record otherwise, whatever it holds.
void Cockpit::sktTavrel_DataArrival(qint64 /*bytesTotal*/)
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
    noteRecord();
    outputs_->yieldToEvents();
}

} // namespace tavrel
