#include "sources/RelayAssembler.h"

#include "sources/RelayWire.h"

#include <cstring>

namespace tavrel::relay {

qsizetype completeRecordLength(QByteArrayView received)
{
    // The leading character may be anything, a CR included: the fields start after it.
    int fields = 0;
    for (qsizetype i = 1; i < received.size(); ++i) {
        if (fields == kFieldCount)
            return i + 1; // the flag character
        if (received[i] == '\r')
            ++fields;
    }
    return 0;
}

void RecordAssembler::append(QByteArrayView bytes)
{
    buffer_.append(bytes.data(), bytes.size());
}

bool RecordAssembler::takeRecord(QByteArray &record)
{
    // Each byte is looked at once, however many arrivals a record takes.
    qsizetype length = 0;
    for (; scanned_ < buffer_.size(); ++scanned_) {
        if (returns_ == kFieldCount) {
            length = scanned_ + 1; // the flag character
            break;
        }
        if (buffer_[scanned_] == '\r')
            ++returns_;
    }
    if (length == 0) {
        if (buffer_.size() > kMaxPending)
            clear();
        return false;
    }
    record.resize(length);
    std::memcpy(record.data(), buffer_.constData(), std::size_t(length));
    buffer_.remove(0, length);
    scanned_ = 1;
    returns_ = 0;
    return true;
}

bool RecordAssembler::takeBoolean(std::int16_t &value)
{
    if (buffer_.size() < 2)
        return false;
    const auto low = static_cast<unsigned char>(buffer_[0]);
    const auto high = static_cast<unsigned char>(buffer_[1]);
    value = static_cast<std::int16_t>(low | (high << 8));
    buffer_.remove(0, 2);
    scanned_ = 1;
    returns_ = 0;
    return true;
}

void RecordAssembler::clear()
{
    buffer_.resize(0); // keeps its room
    scanned_ = 1;
    returns_ = 0;
}

} // namespace tavrel::relay
