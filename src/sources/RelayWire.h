#pragma once

#include "core/FlightData.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// The relay link's wire format, both ways: the client's one-letter requests, the peer's
// answer to "X" (a 16-bit boolean) and its answer to "Y" (one record of text: a leading
// character, 84 fields each ended by CR, one flag character), 8-bit Windows-1252 text.
namespace tavrel::relay {

inline constexpr char kRecordRequest = 'Y';
inline constexpr char kLivenessRequest = 'X';
inline constexpr int kFieldCount = 84;

// The answer to "X": true is the 16-bit value -1, FF FF; false is 00 00.
QByteArray livenessAnswer(bool active);

// Parses one record (the whole text of one arrival, already decoded from Windows-1252)
// into `record`, exactly as the receiver has always read it: the 16-bit parse position,
// short records falling back to the start of the text, fields 71 to 76 skipped, the
// number rule, half-to-even integers that keep their value when out of range, text
// fields of 130 characters. Fields the wire does not carry, and fields whose text cannot
// be taken, keep what `record` held. Returns the flag: whether the simulator is active.
bool parseRecord(QStringView text, FlightData &record);

// The same parse for the receiver, which must tell an inactive flag from one that cannot
// be read at all: in a record of more than 32,767 characters the position can come to
// stand where 16 bits no longer reach the flag. That gives an empty result, and the
// window's flag keeps its value (parseRecord counts it inactive).
std::optional<bool> readRecord(QStringView text, FlightData &record);

// Whether a whole record (as the assembler hands it on, decoded) is plausible as one: 84
// fields each ended by a CR, every number field a number by the number rule with nothing
// left over, and the flag "0" or "1" as the last character. A peer that sends records
// never fails this; record-shaped garbage does.
bool isPlausibleRecord(QStringView text) noexcept;

// One record for the peer to send: the leading character, every carried field in wire
// order in its shortest decimal form (text fields as their 130 characters), six empty
// fields for 71 to 76, and the flag digit. Windows-1252 bytes.
// A float whose 7-digit shortest form would read back as a neighbouring float gets the 8
// or 9 digits that read back as itself, so a record survives the trip through parseRecord
// unchanged. A text character the code page lacks goes as "?", and a carriage return
// inside a text field as a space, so that the record stays whole.
QByteArray formatRecord(const FlightData &record, bool active, char leading = 'R');
// The same into `out` (its contents replaced, its room reused), for a peer that answers
// every request without allocating.
void formatRecordInto(QByteArray &out, const FlightData &record, bool active, char leading = 'R');

} // namespace tavrel::relay
