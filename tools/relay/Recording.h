#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

// Recordings of a relay link: what a peer answered, record by record, with the time each
// record arrived, so that tavrel-relay can serve it again later at the same pace.
//
// The file is 8-bit and line-based only around the records, whose bytes are copied
// verbatim (records hold CRs, and may hold anything else):
//
//     TAVREL-RECORDING 1<LF>
//     <ms> <active> <count><LF>
//     <count bytes of the record><LF>
//     ...one entry like the above per record...
//
// <ms> is the time of the record in milliseconds from the start of the recording, never
// less than the entry before it; <active> is 1 when the simulator was active (the
// record's flag) and 0 otherwise; <count> is the record's length in bytes, at most
// kMaxRecordBytes. The numbers are plain decimal digits without leading zeros, fields
// are separated by exactly one space and every line ends with a lone LF. A file with the
// header line only is a recording with no records. Nothing else may follow the last
// entry.
namespace tavrel::relay {

inline constexpr QByteArrayView kRecordingHeader = "TAVREL-RECORDING 1\n";
inline constexpr int kRecordingVersion = 1;
// The longest record the cockpit can read, and so the longest a recording holds.
inline constexpr qsizetype kMaxRecordBytes = 32767;
// Times run up to 10^15 - 1 ms (over 30,000 years), so no sum of two overflows.
inline constexpr qint64 kMaxRecordingMs = 999'999'999'999'999;

struct RecordingEntry
{
    qint64 ms = 0;
    bool active = false;
    QByteArray record;

    friend bool operator==(const RecordingEntry &, const RecordingEntry &) = default;
};

struct RecordingError
{
    qsizetype offset = 0; // bytes from the start of the file
    qsizetype line = 1;   // counted from 1: one more than the LFs before `offset`
    QString message;

    // "FILE: line L (byte B): message"
    QString describe(const QString &fileName) const;
};

struct RecordingReadResult
{
    QList<RecordingEntry> entries;
    std::optional<RecordingError> error; // the one fault that stopped the read

    bool ok() const { return !error.has_value(); }
};

// Reads a whole recording. Never throws; a malformed file gives no entries and the first
// fault with its place.
RecordingReadResult readRecording(QByteArrayView bytes);

// The bytes of one entry as it stands in the file (after kRecordingHeader).
QByteArray formatRecordingEntry(const RecordingEntry &entry);

// Reads the file at `path`: the entries, or an error text naming the file.
struct RecordingLoad
{
    QList<RecordingEntry> entries;
    QString error;
};
RecordingLoad loadRecording(const QString &path);

} // namespace tavrel::relay
