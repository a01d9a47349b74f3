// The recording file format: what is written reads back byte for byte, and every way a
// file can be malformed is refused with its place.
#include "Recording.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace tavrel::relay {
namespace {

using namespace Qt::StringLiterals;

QByteArray fileOf(const QList<RecordingEntry> &entries)
{
    QByteArray bytes = kRecordingHeader.toByteArray();
    for (const RecordingEntry &entry : entries)
        bytes += formatRecordingEntry(entry);
    return bytes;
}

TEST(Recording, EntriesReadBackAsWrittenWhateverTheRecordHolds)
{
    const QList<RecordingEntry> entries = {
        {0, false, "R1\r2\r0"},
        {0, true, "two at the same time"},
        {100, true, "CR LF\r\n inside\n\nand a NUL \0 too"_ba},
        {250, true, ""},
        {251, false, "\n"},
        {kMaxRecordingMs, true, QByteArray(kMaxRecordBytes, '\r')},
    };
    const QByteArray bytes = fileOf(entries);
    const RecordingReadResult result = readRecording(bytes);
    ASSERT_TRUE(result.ok()) << result.error->message.toStdString();
    EXPECT_EQ(result.entries, entries);
    EXPECT_EQ(fileOf(result.entries), bytes);
}

TEST(Recording, HeaderAloneIsARecordingWithoutRecords)
{
    const RecordingReadResult result = readRecording(kRecordingHeader);
    EXPECT_TRUE(result.ok());
    EXPECT_TRUE(result.entries.isEmpty());
}

TEST(Recording, EntryLayoutIsTimeFlagCountThenTheBytes)
{
    EXPECT_EQ(formatRecordingEntry({1500, true, "a\rb"}), "1500 1 3\na\rb\n"_ba);
    EXPECT_EQ(formatRecordingEntry({0, false, ""}), "0 0 0\n\n"_ba);
}

struct Malformed
{
    const char *name;
    QByteArray bytes;
    qsizetype line;
    qsizetype offset;
    const char *says;
};

void PrintTo(const Malformed &m, std::ostream *os) { *os << m.name; }

class RecordingRejects : public ::testing::TestWithParam<Malformed>
{
};

TEST_P(RecordingRejects, WithItsPlace)
{
    const Malformed &m = GetParam();
    const RecordingReadResult result = readRecording(m.bytes);
    ASSERT_FALSE(result.ok());
    EXPECT_TRUE(result.entries.isEmpty()) << "a malformed file gives no entries";
    EXPECT_EQ(result.error->line, m.line);
    EXPECT_EQ(result.error->offset, m.offset);
    EXPECT_TRUE(result.error->message.contains(QString::fromUtf8(m.says))) << result.error->message.toStdString();
}

const QByteArray kHead = kRecordingHeader.toByteArray(); // 19 bytes, line 1

INSTANTIATE_TEST_SUITE_P(
    Recording, RecordingRejects,
    ::testing::Values(
        Malformed{"EmptyFile", "", 1, 0, "not a recording"},
        Malformed{"OtherFile", "[COMPREF]\r\nDCOM\r\n", 1, 0, "first line must be 'TAVREL-RECORDING 1'"},
        Malformed{"NewerVersion", "TAVREL-RECORDING 2\n0 1 1\na\n", 1, 17, "unsupported recording version '2'"},
        Malformed{"BinaryVersionShownEscaped", "TAVREL-RECORDING \x01\xff\n", 1, 17, "'\\x01\\xFF'"},
        Malformed{"HeaderConvertedToCrLf", "TAVREL-RECORDING 1\r\n", 1, 18, "CR LF"},
        Malformed{"HeaderWithoutLineEnd", "TAVREL-RECORDING 1", 1, 18, "no line end"},
        Malformed{"TwoFields", kHead + "0 1\nab\n", 2, 19, "bad entry line '0 1'"},
        Malformed{"FourFields", kHead + "0 1 1 1\na\n", 2, 19, "bad entry line"},
        Malformed{"DoubleSpace", kHead + "0  1 1\na\n", 2, 19, "bad entry line"},
        Malformed{"TimeWithLeadingZero", kHead + "01 1 1\na\n", 2, 19, "bad time '01'"},
        Malformed{"NegativeTime", kHead + "-1 1 1\na\n", 2, 19, "bad time '-1'"},
        Malformed{"TimeBeyondLimit", kHead + "1000000000000000 1 1\na\n", 2, 19, "bad time"},
        Malformed{"TimeGoingBack", kHead + "900 1 1\na\n500 1 1\nb\n", 4, 29, "earlier than the entry before it (900 ms)"},
        Malformed{"FlagTwo", kHead + "0 2 1\na\n", 2, 21, "bad active flag '2'"},
        Malformed{"FlagWord", kHead + "0 true 1\na\n", 2, 21, "bad active flag 'true'"},
        Malformed{"CountBeyondRecordLimit", kHead + "0 1 32768\n", 2, 23, "bad byte count '32768'"},
        Malformed{"CountWithSign", kHead + "0 1 +1\na\n", 2, 23, "bad byte count"},
        Malformed{"CountWithCr", kHead + "0 1 1\r\na\n", 2, 23, "bad byte count '1\\x0D'"},
        Malformed{"EntryLineCutOff", kHead + "0 1 5", 2, 24, "no line end"},
        Malformed{"RecordCutShort", kHead + "0 1 5\nab", 3, 27, "5 bytes announced, 2 there"},
        Malformed{"RecordLongerThanCounted", kHead + "0 1 1\nab\n", 3, 26, "line end after the 1 bytes"},
        Malformed{"NoLineEndAfterLastRecord", kHead + "0 1 2\nab", 3, 27, "line end after the 2 bytes"},
        // Line numbers count the LFs inside records too, as an editor shows the file.
        Malformed{"GarbageAfterRecordWithLineEnds", kHead + "0 1 3\n\n\n\n\ntail\n", 7, 29, "bad entry line 'tail'"}),
    [](const ::testing::TestParamInfo<Malformed> &info) { return std::string(info.param.name); });

TEST(Recording, ErrorNamesFileLineAndByte)
{
    const RecordingReadResult result = readRecording(kHead + "0 1 1\na\nx\n");
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error->describe(u"flight.rec"_s),
              u"flight.rec: line 4 (byte 27): bad entry line 'x': expected '<ms> <active 0/1> <byte count>'"_s);
}

} // namespace
} // namespace tavrel::relay
