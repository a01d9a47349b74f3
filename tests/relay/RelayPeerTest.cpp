// The real tavrel-relay binary on loopback: served by a plain socket client as the
// cockpit does, started with bad command lines, and recording another copy of itself.
#include "FlightSource.h"
#include "Recording.h"

#include "core/Convert.h"
#include "sources/RelayWire.h"
#include "support/RelayProcess.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <cstring>

namespace tavrel::relay {
namespace {

using namespace Qt::StringLiterals;

constexpr int kPatienceMs = test::RelayProcess::kPatienceMs;

QString decoded(const QByteArray &bytes) { return convert::decodeWindows1252(bytes); }

bool flagOf(const QByteArray &record)
{
    FlightData ignored{};
    return parseRecord(decoded(record), ignored);
}

using RelayPeer = test::RelayProcess;

// The cockpit's side of the link: one request at a time, whole answers back.
class Client
{
public:
    bool connectTo(quint16 port)
    {
        socket_.connectToHost(QHostAddress::LocalHost, port);
        return socket_.waitForConnected(kPatienceMs);
    }
    void send(const QByteArray &requests) { socket_.write(requests); }
    // The next `size` bytes, or what came before the patience ran out.
    QByteArray take(qsizetype size)
    {
        (void)QTest::qWaitFor([&] { return gather() >= size; }, kPatienceMs);
        const QByteArray taken = buffer_.left(size);
        buffer_.remove(0, taken.size());
        return taken;
    }
    QByteArray takeRecord()
    {
        (void)QTest::qWaitFor([&] { return gather() > 0 && completeRecordLength(buffer_) > 0; }, kPatienceMs);
        return take(completeRecordLength(buffer_));
    }
    QByteArray ask(char request) // "X" gives 2 bytes, "Y" a record
    {
        send(QByteArray(1, request));
        return request == kLivenessRequest ? take(2) : takeRecord();
    }
    qsizetype gather()
    {
        buffer_ += socket_.readAll();
        return buffer_.size();
    }
    void close() { socket_.disconnectFromHost(); }

private:
    QTcpSocket socket_;
    QByteArray buffer_;
};

const QByteArray kActive = "\xff\xff";
const QByteArray kInactive = QByteArray(2, '\0');

// Asks "X" until the answer is FF FF; false when it never came.
bool waitUntilActive(Client &client)
{
    return QTest::qWaitFor([&] { return client.ask(kLivenessRequest) == kActive; }, kPatienceMs);
}

TEST(RelayPeer, SimulatorComesUpAfterTheStartAndRecordsCarryTheSameFlag)
{
    QElapsedTimer sinceStart; // started before the program's own clock
    sinceStart.start();
    RelayPeer peer({u"--port"_s, u"0"_s});
    const quint16 port = peer.waitUntilListening();
    ASSERT_NE(port, 0) << peer.err().toStdString();
    Client client;
    ASSERT_TRUE(client.connectTo(port));

    const QByteArray firstAnswer = client.ask(kLivenessRequest);
    if (sinceStart.elapsed() < SimulatedSource::kStartMs) {
        EXPECT_EQ(firstAnswer, kInactive) << "the simulator is not up before 2 s";
    }
    const QByteArray earlyRecord = client.ask(kRecordRequest);
    if (sinceStart.elapsed() < SimulatedSource::kStartMs) {
        EXPECT_FALSE(flagOf(earlyRecord));
    }

    QList<QByteArray> answers;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        answers.append(client.ask(kLivenessRequest));
        return answers.last() == kActive;
    }, kPatienceMs));
    for (const QByteArray &answer : answers)
        EXPECT_TRUE(answer == kInactive || answer == kActive) << answer.toHex().toStdString();

    const QByteArray record = client.ask(kRecordRequest);
    EXPECT_TRUE(flagOf(record));
    EXPECT_EQ(record.count('\r'), kFieldCount);
    EXPECT_EQ(client.ask(kLivenessRequest), kActive) << "it stays up";
    EXPECT_EQ(peer.endWith(SIGTERM), 0);
}

TEST(RelayPeer, RequestsInOneWriteAreAnsweredInOrderAndEachIsLogged)
{
    RelayPeer peer({u"--port"_s, u"0"_s, u"--verbose"_s});
    const quint16 port = peer.waitUntilListening();
    ASSERT_NE(port, 0) << peer.err().toStdString();
    Client client;
    ASSERT_TRUE(client.connectTo(port));
    ASSERT_TRUE(waitUntilActive(client));
    const qsizetype linesBefore = peer.out().count('\n');

    client.send("XYzX\r\nY"_ba);
    EXPECT_EQ(client.take(2), kActive);
    EXPECT_TRUE(flagOf(client.takeRecord()));
    EXPECT_EQ(client.take(2), kActive);
    EXPECT_TRUE(flagOf(client.takeRecord()));
    client.send("X");
    EXPECT_EQ(client.take(2), kActive) << "nothing stray came before it";

    ASSERT_TRUE(QTest::qWaitFor([&] { return peer.out().count('\n') >= linesBefore + 5; }, kPatienceMs));
    const QList<QByteArray> lines = peer.out().trimmed().split('\n').mid(linesBefore);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_TRUE(lines[0].endsWith(" X -> FF FF")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains(" Y -> ") && lines[1].endsWith("flag 1")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].endsWith(" X -> FF FF")) << lines[2].toStdString();
    EXPECT_TRUE(lines[0].startsWith("127.0.0.1:")) << "the client is named";
    EXPECT_EQ(peer.endWith(SIGINT), 0);
}

TEST(RelayPeer, ClientsAreServedOneAfterAnother)
{
    RelayPeer peer({u"--port"_s, u"0"_s});
    const quint16 port = peer.waitUntilListening();
    ASSERT_NE(port, 0) << peer.err().toStdString();

    Client first;
    ASSERT_TRUE(first.connectTo(port));
    const QByteArray firstAnswer = first.ask(kLivenessRequest);
    ASSERT_EQ(firstAnswer.size(), 2);

    Client second, third;
    ASSERT_TRUE(second.connectTo(port)) << "a waiting client is let in by the kernel";
    ASSERT_TRUE(third.connectTo(port));
    second.send("X");
    third.send("Y");
    // The first client is still served; a full round trip lets the peer see the others.
    EXPECT_EQ(first.ask(kRecordRequest).count('\r'), kFieldCount);
    EXPECT_EQ(first.ask(kLivenessRequest).size(), 2);
    EXPECT_EQ(second.gather(), 0) << "served while the first is still connected";
    EXPECT_EQ(third.gather(), 0) << "served while the first is still connected";

    first.close();
    EXPECT_EQ(second.take(2).size(), 2) << "served once the first has gone";
    EXPECT_EQ(second.ask(kRecordRequest).count('\r'), kFieldCount);
    EXPECT_EQ(third.gather(), 0) << "served while the second is still connected";
    second.close();
    EXPECT_EQ(third.takeRecord().count('\r'), kFieldCount);
    EXPECT_EQ(third.ask(kLivenessRequest).size(), 2);
    EXPECT_EQ(peer.endWith(SIGTERM), 0);
}

struct BadCommandLine
{
    QStringList arguments;
    QString says;
};

TEST(RelayPeer, BadCommandLinesEndWithCodeTwoAndSayWhy)
{
    const BadCommandLine cases[] = {
        {{u"--port"_s, u"65536"_s}, u"--port '65536': expected a port from 0 to 65535"_s},
        {{u"--port"_s, u"eighty"_s}, u"--port 'eighty'"_s},
        {{u"--port"_s}, u"Missing value after '--port'"_s},
        {{u"--colour"_s}, u"Unknown option 'colour'"_s},
        {{u"--listen"_s, u"somewhere"_s}, u"--listen 'somewhere': expected an IP address"_s},
        {{u"--record"_s, u"out.rec"_s}, u"--record needs --from HOST:PORT"_s},
        {{u"--replay"_s, u"a.rec"_s, u"--record"_s, u"b.rec"_s, u"--from"_s, u"127.0.0.1:1"_s},
         u"--replay and --record cannot be used together"_s},
        {{u"--from"_s, u"127.0.0.1:8091"_s}, u"--from and --interval are for recording"_s},
        {{u"--record"_s, u"out.rec"_s, u"--from"_s, u"127.0.0.1"_s}, u"--from '127.0.0.1': expected HOST:PORT"_s},
        {{u"--record"_s, u"out.rec"_s, u"--from"_s, u"h:1"_s, u"--interval"_s, u"0"_s}, u"--interval '0'"_s},
        {{u"--record"_s, u"out.rec"_s, u"--from"_s, u"h:1"_s, u"--port"_s, u"1"_s},
         u"--listen and --port are for serving"_s},
        {{u"--port"_s, u"1"_s, u"--port"_s, u"2"_s}, u"--port given more than once"_s},
        {{u"--from-start"_s}, u"--from-start is for --replay"_s},
    };
    const QTemporaryDir dir; // nothing may be created in it
    for (const BadCommandLine &c : cases) {
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(QStringLiteral(TAVREL_RELAY_BINARY), c.arguments);
        ASSERT_TRUE(process.waitForFinished(kPatienceMs)) << c.arguments.join(u' ').toStdString();
        const QString err = QString::fromLocal8Bit(process.readAllStandardError());
        EXPECT_EQ(process.exitCode(), 2) << c.arguments.join(u' ').toStdString();
        EXPECT_TRUE(err.contains(c.says)) << err.toStdString();
        EXPECT_TRUE(process.readAllStandardOutput().isEmpty()) << c.arguments.join(u' ').toStdString();
    }
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST(RelayPeer, PortInUseEndsWithCodeTwoAndSaysSo)
{
    RelayPeer first({u"--port"_s, u"0"_s});
    const quint16 port = first.waitUntilListening();
    ASSERT_NE(port, 0) << first.err().toStdString();
    RelayPeer second({u"--port"_s, QString::number(port)});
    EXPECT_EQ(second.exitCode(), 2);
    EXPECT_TRUE(second.err().contains(u"cannot listen on 127.0.0.1:%1: address in use"_s.arg(port)))
        << second.err().toStdString();
    EXPECT_TRUE(second.out().isEmpty());
    EXPECT_EQ(first.endWith(SIGTERM), 0);
}

TEST(RelayPeer, UnreadableRecordingsAreRefusedByName)
{
    const QTemporaryDir dir;
    const QString missing = dir.filePath(u"missing.rec"_s);
    const QString malformed = dir.filePath(u"malformed.rec"_s);
    const QString empty = dir.filePath(u"empty.rec"_s);
    const auto write = [](const QString &path, const QByteArray &bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    ASSERT_TRUE(write(malformed, kRecordingHeader.toByteArray() + "0 1 3\nR\r1\n20 1 9\nR\r1\n"));
    ASSERT_TRUE(write(empty, kRecordingHeader.toByteArray()));
    const struct
    {
        QString file;
        QString says;
    } cases[] = {
        {missing, u"cannot read %1"_s.arg(missing)},
        {malformed, u"%1: line 6 (byte 40): the record is cut short: 9 bytes announced, 4 there"_s.arg(malformed)},
        {empty, u"%1 holds no records"_s.arg(empty)},
    };
    for (const auto &c : cases) {
        RelayPeer peer({u"--port"_s, u"0"_s, u"--replay"_s, c.file});
        EXPECT_EQ(peer.exitCode(), 2) << c.file.toStdString();
        EXPECT_TRUE(peer.err().contains(c.says)) << peer.err().toStdString();
        EXPECT_FALSE(peer.out().contains("listening")) << "refused before listening";
    }
}

// Read as the cockpit reads them: each record parsed over the one before it.
QList<FlightData> flightDataOf(const QList<QByteArray> &records)
{
    QList<FlightData> sequence;
    FlightData staging{};
    for (const QByteArray &record : records) {
        parseRecord(decoded(record), staging);
        sequence.append(staging);
    }
    return sequence;
}

bool same(const FlightData &a, const FlightData &b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(RelayPeer, RecordingAnotherPeerAndReplayingItGivesTheSameFlightData)
{
    const QTemporaryDir dir;
    const QString path = dir.filePath(u"flight.rec"_s);
    QList<RecordingEntry> recorded;
    {
        RelayPeer source({u"--port"_s, u"0"_s});
        const quint16 port = source.waitUntilListening();
        ASSERT_NE(port, 0) << source.err().toStdString();
        RelayPeer recorder({u"--record"_s, path, u"--from"_s, u"127.0.0.1:%1"_s.arg(port), u"--interval"_s, u"50"_s});
        // The file is whole after every record, so it can be read while it grows.
        ASSERT_TRUE(QTest::qWaitFor([&] {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                return false;
            const RecordingReadResult read = readRecording(file.readAll());
            return read.ok() && read.entries.size() >= 8;
        }, kPatienceMs)) << recorder.err().toStdString();
        EXPECT_EQ(recorder.endWith(SIGINT), 0);
        EXPECT_TRUE(recorder.err().contains(u"holds"_s)) << recorder.err().toStdString();
        EXPECT_EQ(source.endWith(SIGTERM), 0);

        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const RecordingReadResult read = readRecording(file.readAll());
        ASSERT_TRUE(read.ok()) << read.error->describe(path).toStdString();
        recorded = read.entries;
    }
    ASSERT_GE(recorded.size(), 8);
    EXPECT_EQ(recorded.first().ms, 0) << "times run from the first record";
    QList<QByteArray> recordedRecords;
    for (const RecordingEntry &entry : recorded) {
        EXPECT_TRUE(entry.active) << "recorded once the simulator was up";
        EXPECT_EQ(flagOf(entry.record), entry.active);
        EXPECT_EQ(completeRecordLength(entry.record), entry.record.size()) << "one whole record per entry";
        recordedRecords.append(entry.record);
    }
    const QList<FlightData> expected = flightDataOf(recordedRecords);

    // The replay goes at the recorded pace; a client asking more often than that sees
    // each record one or more times, and one it asked too late for not at all.
    RelayPeer replay({u"--port"_s, u"0"_s, u"--replay"_s, path, u"--from-start"_s});
    const quint16 port = replay.waitUntilListening();
    ASSERT_NE(port, 0) << replay.err().toStdString();
    Client client;
    ASSERT_TRUE(client.connectTo(port));
    EXPECT_EQ(client.ask(kLivenessRequest), kActive);
    QList<QByteArray> served;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        served.append(client.ask(kRecordRequest));
        return served.last() == recordedRecords.last();
    }, kPatienceMs)) << "the last record is served within one round of the recording";
    EXPECT_EQ(replay.endWith(SIGTERM), 0);

    // Every record read is one recorded, in the order recorded.
    qsizetype at = 0;
    qsizetype distinct = 0;
    for (const FlightData &data : flightDataOf(served)) {
        const auto found = std::find_if(expected.cbegin() + at, expected.cend(), [&](const FlightData &e) {
            return same(e, data);
        });
        ASSERT_NE(found, expected.cend()) << "a record out of order or never recorded, after entry " << at;
        distinct += (found - expected.cbegin()) != at || distinct == 0;
        at = found - expected.cbegin();
    }
    EXPECT_EQ(at, expected.size() - 1);
    EXPECT_GE(distinct, 2) << "the replay moved on through the recording";
}

TEST(RelayPeer, RecordingEndsWholeWhenThePeerGoesAway)
{
    const QTemporaryDir dir;
    const QString path = dir.filePath(u"flight.rec"_s);
    RelayPeer source({u"--port"_s, u"0"_s});
    const quint16 port = source.waitUntilListening();
    ASSERT_NE(port, 0) << source.err().toStdString();
    RelayPeer recorder({u"--record"_s, path, u"--from"_s, u"127.0.0.1:%1"_s.arg(port), u"--verbose"_s});
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.out().contains("Y -> "); }, kPatienceMs))
        << recorder.err().toStdString();
    EXPECT_EQ(source.endWith(SIGTERM), 0);

    EXPECT_EQ(recorder.exitCode(), 0);
    EXPECT_TRUE(recorder.err().contains(u"127.0.0.1:%1 went away"_s.arg(port))) << recorder.err().toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const RecordingReadResult read = readRecording(file.readAll());
    ASSERT_TRUE(read.ok()) << read.error->describe(path).toStdString();
    EXPECT_GE(read.entries.size(), 1);
    EXPECT_TRUE(recorder.err().contains(u"holds %1 records"_s.arg(read.entries.size())));
}

TEST(RelayPeer, RecordingFromAPeerThatIsNotThereEndsWithCodeTwoAndNoFile)
{
    quint16 closedPort = 0;
    {
        QTcpServer probe; // a port that was free a moment ago, and is closed again
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    const QTemporaryDir dir;
    const QString path = dir.filePath(u"flight.rec"_s);
    RelayPeer recorder({u"--record"_s, path, u"--from"_s, u"127.0.0.1:%1"_s.arg(closedPort)});
    EXPECT_EQ(recorder.exitCode(), 2);
    EXPECT_TRUE(recorder.err().contains(u"cannot reach 127.0.0.1:%1"_s.arg(closedPort))) << recorder.err().toStdString();
    EXPECT_FALSE(QFile::exists(path));
}

} // namespace
} // namespace tavrel::relay
