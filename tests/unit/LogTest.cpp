// The log: each event in its layer's category, and the errors a cycle skips counted and
// logged at most once a second per kind.
#include "core/Error.h"
#include "core/SharedLibrary.h"
#include "epic/EpicLink.h"
#include "epic/VirtualEpicCard.h"
#include "phidget/PhidgetLibrary.h"
#include "sources/ProgIdRegistry.h"
#include "support/CockpitHarness.h"
#include "support/JournalBoards.h"
#include "support/LogCapture.h"
#include "support/RelayPeer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>

using namespace tavrel;
using namespace Qt::StringLiterals;

namespace {

struct LogTest : ::testing::Test
{
    LogTest() { h.noBoards(); }

    test::CockpitHarness h;
    test::JournalBoards boards;
    test::LogCapture log;
};

// Library headers: a 32-bit ELF one (Linux), and a PE one (Windows) of either width.
const QByteArray kElf32 = QByteArray("\x7f\x45LF\x01").leftJustified(0x100, '\0');
QByteArray peHeader(int bits)
{
    const QByteArray pe = QByteArray("PE\0\0", 4) + (bits == 32 ? "\x4c\x01" : "\x64\x86");
    return (QByteArray("MZ").leftJustified(0x3c, '\0') + '\x80').leftJustified(0x80, '\0') + pe;
}

} // namespace

// Each event, and the line it leaves: its category, level and what it says.
TEST_F(LogTest, EachEventInItsCategory)
{
    const auto led = boards.add(BoardKind::Led64, 1001);
    const QString narrow = h.platform.dir.filePath(u"libphidget21.so"_s);
    h.platform.writeFile(u"libphidget21.so"_s, kElf32);
    test::RelayPeer peer;
    const QString relay = u"127.0.0.1 port %1"_s.arg(peer.port());

    const std::pair<std::function<void()>, QString> events[] = {
        {[&] { h.attach(led); }, u"tavrel.boards info: attached: PhidgetLED serial 1001 in slot PLED64-1"_s},
        {[&] { h.fail(led, u"overcurrent"_s, 9); },
         u"tavrel.boards warning: board error: PhidgetLED serial 1001 in slot PLED64-1: overcurrent (code 9)"_s},
        {[&] { h.detach(led); }, u"tavrel.boards warning: detached: PhidgetLED serial 1001"_s},
        {[&] { createPhidgetManager(nullptr, narrow); },
         u"tavrel.boards info: board library: the built-in virtual boards (%1 is a 32-bit library and this program "
         u"is 64-bit"_s.arg(narrow)},
        {[&] { createPhidgetManager(nullptr, QStringLiteral(TAVREL_FAKE_PHIDGET21)); },
         u"tavrel.boards info: board library: "_s
             + QFileInfo(QStringLiteral(TAVREL_FAKE_PHIDGET21)).absoluteFilePath()},
        {[&] {
             h.socket().setRemoteHost(u"127.0.0.1"_s);
             h.socket().setRemotePort(peer.port());
             h.socket().connectToPeer();
             ASSERT_TRUE(test::waitUntil([&] { return peer.client && !log.with(u"connected to"_s).isEmpty(); }));
             peer.client->close();
             (void)test::waitUntil([&] { return !log.with(u"dropped"_s).isEmpty(); });
         },
         u"tavrel.relay warning: dropped: the relay peer at %1 closed the connection"_s.arg(relay)},
        {[&] {
             VirtualEpicCard absent(false, QString());
             bool open = false;
             ConnectEpic(
                 absent, open, [] {}, [] {});
         },
         u"tavrel.epic warning: EPIC card not found: OpenEpic answered 0 (virtual card)"_s},
        {[&] { EXPECT_THROW(createObject(u"No.Server"), Error); },
         u"tavrel.source warning: data server No.Server cannot be created"_s},
        {[&] {
             h.platform.removeFile(u"Tavrel.cfg"_s);
             h.startUp();
         },
         u"tavrel.config error: Tavrel.cfg is missing, and there is no Glimra.cfg beside it in "_s
             + QDir::toNativeSeparators(h.platform.dir.path())},
    };
    for (const auto &[event, expected] : events) {
        log.lines.clear();
        event();
        EXPECT_EQ(log.lines.filter(expected).size(), 1) << expected.toStdString() << "\nin\n"
                                                        << log.lines.join(u'\n').toStdString();
        // A line made whole: Qt did not complain of a text it could not fill in.
        EXPECT_EQ(log.with(u"QString::arg"_s), QStringList()) << expected.toStdString();
    }
}

// The board library's width read from a Windows library's header.
TEST(LibraryBits, FromThePeHeader)
{
    EXPECT_EQ(libraryBits(peHeader(32)), 32);
    EXPECT_EQ(libraryBits(peHeader(64)), 64);
}

// A pulled board fails every write of every cycle: the first error is logged at once,
// then one line a second with the count, however many cycles run in between.
TEST_F(LogTest, ACycleErrorIsLoggedAtMostOnceASecond)
{
    qint64 now = 0;
    h.setClock([&] { return now; });
    h.startUp();
    h.cockpit.applyConfiguration(readConfiguration(u"[PLED64-1]\r\n0,a,1,1\r\n"_s).config);
    const auto led = boards.add(BoardKind::Led64, 1001);
    led->setAttached(false);
    h.slot(u"PLED64-1") = led;
    log.lines.clear();
    for (; now < 3500; now += 100) // 35 cycles in 3.5 s
        h.cockpit.UpdateCycle();
    const QStringList lines = log.with(u"PLED64-1: Phidget error 5"_s);
    ASSERT_EQ(lines.size(), 4) << lines.join(u'\n').toStdString(); // at 0, 1, 2 and 3 s
    EXPECT_TRUE(lines[0].startsWith(u"tavrel.boards warning: "_s)) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains(u"repeats are counted"_s)) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith(u"skipped 10 times in the last 1.0 s"_s)) << lines[1].toStdString();
}

// The log file: every line with its time, appended; --quiet keeps warnings and errors only;
// a file grown past 1 MiB is kept as FILE.old and a new one begun.
TEST(LogFile, TimeStampedLinesAppendedQuietLeavesInformationOut)
{
    const test::TestPlatform folder;
    const QString file = folder.dir.filePath(u"tavrel.log"_s);
    QFile big(file);
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(QByteArray((1 << 20) + 1, 'x'));
    big.close();
    const QtMessageHandler previous = qInstallMessageHandler(nullptr);
    ASSERT_TRUE(log::install(file, true));
    qCInfo(lcRelay) << "connected";
    qCWarning(lcRelay) << "dropped";
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());

    EXPECT_EQ(QFileInfo(file + u".old"_s).size(), (1 << 20) + 1);
    QFile log(file);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(
        QRegularExpression(u"^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} tavrel\\.relay warning: dropped$"_s)
            .match(lines[0])
            .hasMatch())
        << lines[0].toStdString();
}
