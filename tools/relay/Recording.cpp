#include "Recording.h"

#include <QFile>

namespace tavrel::relay {

using namespace Qt::StringLiterals;

namespace {

constexpr QByteArrayView kHeaderWord = "TAVREL-RECORDING ";
constexpr QByteArrayView kEntryShape = "'<ms> <active 0/1> <byte count>'";

// A piece of the file as it may be shown in a message: printable ASCII as it is, every
// other byte as \xNN, cut after 40 bytes.
QString shown(QByteArrayView bytes)
{
    constexpr qsizetype kMaxShown = 40;
    QString text;
    for (qsizetype i = 0; i < bytes.size() && i < kMaxShown; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte >= 0x20 && byte < 0x7F)
            text += QChar(char16_t(byte));
        else
            text += u"\\x"_s + QString::number(byte, 16).rightJustified(2, u'0').toUpper();
    }
    if (bytes.size() > kMaxShown)
        text += u"..."_s;
    return text;
}

// Plain decimal digits without a leading zero ("0" itself aside), up to `max`.
std::optional<qint64> plainNumber(QByteArrayView text, qint64 max)
{
    if (text.isEmpty() || text.size() > 15 || (text.size() > 1 && text[0] == '0'))
        return std::nullopt;
    qint64 value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > max)
        return std::nullopt;
    return value;
}

class Reader
{
public:
    explicit Reader(QByteArrayView bytes) : bytes_(bytes) {}

    RecordingReadResult read()
    {
        RecordingReadResult result;
        if (!readHeader()) {
            result.error = error_;
            return result;
        }
        while (pos_ < bytes_.size()) {
            RecordingEntry entry;
            if (!readEntry(result.entries.isEmpty() ? nullptr : &result.entries.last(), entry)) {
                result.error = error_;
                result.entries.clear();
                return result;
            }
            result.entries.append(std::move(entry));
        }
        return result;
    }

private:
    bool fail(qsizetype at, const QString &message)
    {
        error_.offset = at;
        error_.line = bytes_.first(at).count('\n') + 1;
        error_.message = message;
        return false;
    }

    bool readHeader()
    {
        if (bytes_.startsWith(kRecordingHeader)) {
            pos_ = kRecordingHeader.size();
            return true;
        }
        const qsizetype end = bytes_.indexOf('\n');
        const QByteArrayView line = end < 0 ? bytes_ : bytes_.first(end);
        if (line.startsWith(kHeaderWord)) {
            const QByteArrayView version = line.sliced(kHeaderWord.size());
            if (version == QByteArrayView("1"))
                return fail(line.size(), u"the header line has no line end"_s);
            if (version == QByteArrayView("1\r"))
                return fail(line.size() - 1, u"the header line ends in CR LF: the file's line ends were converted, "
                                             u"and a recording must keep its bytes as written"_s);
            return fail(kHeaderWord.size(),
                        u"unsupported recording version '%1' (this program reads version %2)"_s.arg(shown(version))
                            .arg(kRecordingVersion));
        }
        return fail(0, u"not a recording: the first line must be 'TAVREL-RECORDING %1'"_s.arg(kRecordingVersion));
    }

    bool readEntry(const RecordingEntry *previous, RecordingEntry &entry)
    {
        const qsizetype start = pos_;
        const qsizetype end = bytes_.indexOf('\n', start);
        const QByteArrayView line = bytes_.sliced(start, (end < 0 ? bytes_.size() : end) - start);
        const qsizetype firstSpace = line.indexOf(' ');
        const qsizetype secondSpace = firstSpace < 0 ? -1 : line.indexOf(' ', firstSpace + 1);
        if (secondSpace < 0 || line.indexOf(' ', secondSpace + 1) >= 0)
            return fail(start,
                        u"bad entry line '%1': expected %2"_s.arg(shown(line), QString::fromLatin1(kEntryShape)));

        const QByteArrayView msText = line.first(firstSpace);
        const QByteArrayView activeText = line.sliced(firstSpace + 1, secondSpace - firstSpace - 1);
        const QByteArrayView countText = line.sliced(secondSpace + 1);

        const std::optional<qint64> ms = plainNumber(msText, kMaxRecordingMs);
        if (!ms)
            return fail(start, u"bad time '%1': expected milliseconds as plain digits"_s.arg(shown(msText)));
        if (previous && *ms < previous->ms)
            return fail(start, u"time %1 ms is earlier than the entry before it (%2 ms)"_s.arg(*ms).arg(previous->ms));
        if (activeText != QByteArrayView("0") && activeText != QByteArrayView("1"))
            return fail(start + firstSpace + 1, u"bad active flag '%1': expected 0 or 1"_s.arg(shown(activeText)));
        const std::optional<qint64> count = plainNumber(countText, kMaxRecordBytes);
        if (!count)
            return fail(
                start + secondSpace + 1,
                u"bad byte count '%1': expected 0 to %2 as plain digits"_s.arg(shown(countText)).arg(kMaxRecordBytes));
        if (end < 0)
            return fail(bytes_.size(), u"the entry line has no line end"_s);

        const qsizetype recordStart = end + 1;
        const qsizetype there = bytes_.size() - recordStart;
        if (there < *count)
            return fail(bytes_.size(),
                        u"the record is cut short: %1 bytes announced, %2 there"_s.arg(*count).arg(there));
        const qsizetype recordEnd = recordStart + *count;
        if (recordEnd >= bytes_.size() || bytes_[recordEnd] != '\n')
            return fail(recordEnd, u"expected a line end after the %1 bytes of the record"_s.arg(*count));

        entry.ms = *ms;
        entry.active = activeText == QByteArrayView("1");
        entry.record = bytes_.sliced(recordStart, *count).toByteArray();
        pos_ = recordEnd + 1;
        return true;
    }

    QByteArrayView bytes_;
    qsizetype pos_ = 0;
    RecordingError error_;
};

} // namespace

QString RecordingError::describe(const QString &fileName) const
{
    return u"%1: line %2 (byte %3): %4"_s.arg(fileName).arg(line).arg(offset).arg(message);
}

RecordingReadResult readRecording(QByteArrayView bytes)
{
    return Reader(bytes).read();
}

QByteArray formatRecordingEntry(const RecordingEntry &entry)
{
    QByteArray bytes;
    bytes.reserve(entry.record.size() + 32);
    bytes += QByteArray::number(entry.ms);
    bytes += entry.active ? " 1 " : " 0 ";
    bytes += QByteArray::number(entry.record.size());
    bytes += '\n';
    bytes += entry.record;
    bytes += '\n';
    return bytes;
}

RecordingLoad loadRecording(const QString &path)
{
    RecordingLoad load;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        load.error = u"cannot read %1: %2"_s.arg(path, file.errorString());
        return load;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        load.error = u"cannot read %1: %2"_s.arg(path, file.errorString());
        return load;
    }
    RecordingReadResult result = readRecording(bytes);
    if (!result.ok())
        load.error = result.error->describe(path);
    else
        load.entries = std::move(result.entries);
    return load;
}

} // namespace tavrel::relay
