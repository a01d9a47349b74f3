#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>

// Framing of the relay peer's answers, for a client that must not take a piece of an
// answer for the whole of it.
namespace tavrel::relay {

// The length of the complete record at the start of `received` (the leading character,
// 84 fields each ended by a CR, the flag character), or 0 while it is not all there.
qsizetype completeRecordLength(QByteArrayView received);

// Gathers what arrives from the peer across arrivals and hands on only whole answers: a
// record once its leading character, 84 fields and flag are all there, a boolean once
// its two bytes are. What it holds beyond kMaxPending bytes without a whole record in
// them is no record and is dropped. Once warm, it takes and hands on without allocating.
class RecordAssembler
{
public:
    // Far beyond any record a peer sends (about 1 KB), and beyond what a record may hold
    // to be read at all (32,767 characters).
    static constexpr qsizetype kMaxPending = 65536;

    void append(QByteArrayView bytes);
    // The whole record at the front into `record` (its contents replaced, its room
    // reused), taken away; false while there is none.
    bool takeRecord(QByteArray &record);
    // The answer to "X" at the front, two bytes as a 16-bit little-endian value, taken
    // away; false while fewer have come.
    bool takeBoolean(std::int16_t &value);
    void clear();
    qsizetype pending() const { return buffer_.size(); }

private:
    QByteArray buffer_;
    qsizetype scanned_ = 1; // bytes of buffer_ looked through for carriage returns
    int returns_ = 0;       // carriage returns among them, after the leading character
};

} // namespace tavrel::relay
