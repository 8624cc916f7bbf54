// The tool under load from its device, end to end through the main window:
// a flood of information records, a flood of answers in one stream, many
// connections each closed by the device, and a write while the device
// streams. Counts and bounds are asserted, never timings; the time the event
// loop is kept busy is a benchmark figure (bench/load).
//
// Memory is the C heap in use (the allocator's own count), which a leak or
// an unbounded pile of windows moves and the process's page cache does not.

#include "devicetest.h"
#include "testsupport.h"

#include "devinfo.h"

#include <QDir>
#include <QTimer>
#include <QtTest>

#if defined(__SANITIZE_ADDRESS__)
#include <cstddef>
// The AddressSanitizer runtime's own count of the heap in use (declared in
// <sanitizer/allocator_interface.h>, which GCC does not ship).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#elif defined(__GLIBC__)
#include <malloc.h>
#endif

using namespace DeviceTest;

namespace {

const QString TooManyWindows =
    QStringLiteral("Too many information windows: close one to see new device information");
const QString PingText = QStringLiteral("Ping -> OK");
const QByteArray PingAnswer = QByteArrayLiteral("+PING\r\n");
const int MaxInfoWindows = 10;
const int InfoFloodRecords = 2000;
const int ReplyFloodAnswers = 50000;
const int ChurnCycles = 150;
const int ChurnWarmup = 10;
// Ten information windows take a few MiB (mostly their backing stores); a
// window for each of the 2,000 records took more than a GiB.
const qint64 InfoFloodHeapBound = 24LL << 20;
// What a flood of small answers or a churn of connections may leave behind:
// far less than one information window, or than a reply kept per answer.
const qint64 ReplyFloodHeapBound = 2LL << 20;
const qint64 ChurnHeapBound = 512LL << 10;

// A second information record, with other values than InfoRecord's.
const QByteArray OtherInfoRecord = "+DEVINFO=SN-0777,00:1A:2B:3C:4D:77,TRP-GSM,RS232,3,1,TB-02,2,0,14\r\n";
const QStringList OtherInfoTexts = {
    "SN-0777", "00:1A:2B:3C:4D:77", "TRP-GSM", "RS232", "3", "1", "TB-02", "2", "0", "14"};

qint64 heapInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return qint64(__sanitizer_get_current_allocated_bytes());
#elif defined(__GLIBC__)
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks) + qint64(info.hblkhd);
#else
    return 0;
#endif
}

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

// The values the page shows in the RS-485 baud box once the odd record is on
// it (see devicetest.cpp).
const int OddBaud485Index = 8;

void addFloodRows()
{
    QTest::addColumn<CommSettings::eRoute_t>("route");
    QTest::newRow("configuration service") << CommSettings::TCP;
    QTest::newRow("RS-485 data port") << CommSettings::TCP485;
}

} // namespace

class TestLoad : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSupport::clearSettings(); }

    void informationFlood_data() { addFloodRows(); }

    // 2,000 information records in one write open ten windows and no more,
    // the user is told once, memory stays bounded, and the port record sent
    // after the flood still fills the page. Closing a window makes room for
    // the next record; a new burst is reported again.
    void informationFlood()
    {
        QFETCH(CommSettings::eRoute_t, route);
        TestSupport::MessageBoxAnswerer boxes;
        Session s(route);
        QVERIFY(s.ready);
        // The first window builds what Qt keeps for every later one.
        s.device->sendRaw(s.endpoint, InfoRecord);
        QTRY_COMPARE(topLevel<DevInfo>().size(), 1);
        closeAll<DevInfo>();
        const qint64 heapBefore = heapInUse();
        // The status bar logs a text only when it changes; the page's own
        // signal tells every time the text is given.
        int reported = 0;
        connect(s.tool.page.widget(), &TransparentConfig::WriteStatusBar, this, [&](const QString &text, int ms) {
            if (text == TooManyWindows) {
                ++reported;
                QCOMPARE(ms, 3000);
            }
        });

        s.device->sendRaw(s.endpoint, InfoRecord.repeated(InfoFloodRecords) + portRecord(oddValuesFor(route)));
        QTRY_COMPARE_WITH_TIMEOUT(s.tool.page.baud(Port::Rs485), OddBaud485Index,
                                  60000);
        const QList<DevInfo *> windows = topLevel<DevInfo>();
        QCOMPARE(windows.size(), MaxInfoWindows);
        for (const DevInfo *window : windows) {
            QVERIFY(window->isVisible());
            QCOMPARE(infoTexts(*window), InfoTexts);
        }
        QCOMPARE(reported, 1);
        QVERIFY(s.tool.sawStatus(TooManyWindows));
        QCOMPARE(s.tool.errorTexts(), QStringList());
        const qint64 growth = heapInUse() - heapBefore;
        QVERIFY2(growth < InfoFloodHeapBound, qPrintable(QStringLiteral("heap grew by %1 KiB").arg(growth >> 10)));

        // More records in the same burst are not reported again.
        s.device->sendRaw(s.endpoint, InfoRecord.repeated(5) + portRecord(withValue(oddValuesFor(route), 6, "3")));
        QTRY_COMPARE(s.tool.page.baud(Port::Rs485), 3);
        QCOMPARE(reported, 1);

        // The user closes one: the next record opens a window, the one after
        // that is refused and reported as a new burst.
        windows.first()->close();
        QTRY_COMPARE(topLevel<DevInfo>().size(), MaxInfoWindows - 1);
        s.device->sendRaw(s.endpoint, OtherInfoRecord + InfoRecord);
        QTRY_COMPARE(reported, 2);
        const QList<DevInfo *> after = topLevel<DevInfo>();
        QCOMPARE(after.size(), MaxInfoWindows);
        int showingOther = 0;
        for (const DevInfo *window : after)
            showingOther += infoTexts(*window) == OtherInfoTexts;
        QCOMPARE(showingOther, 1);

        closeAll<DevInfo>();
        QVERIFY(topLevel<DevInfo>().isEmpty());
        QVERIFY(boxes.seen().isEmpty());
    }

    void replyFlood_data() { addFloodRows(); }

    // 50,000 ping answers in one stream: every one is handled, memory is
    // flat, and the route still works afterwards.
    void replyFlood()
    {
        QFETCH(CommSettings::eRoute_t, route);
        TestSupport::MessageBoxAnswerer boxes;
        Session s(route);
        QVERIFY(s.ready);
        int handled = 0;
        connect(s.tool.page.widget(), &TransparentConfig::WriteStatusBar, this, [&](const QString &text, int) {
            handled += text == PingText;
        });
        // A first, smaller flood lets the buffers on the way reach their size.
        s.device->sendRaw(s.endpoint, PingAnswer.repeated(ReplyFloodAnswers / 10));
        QTRY_COMPARE_WITH_TIMEOUT(handled, ReplyFloodAnswers / 10, 60000);
        QTest::qWait(100);
        handled = 0;
        const qint64 heapBefore = heapInUse();

        s.device->sendRaw(s.endpoint, PingAnswer.repeated(ReplyFloodAnswers));
        QTRY_COMPARE_WITH_TIMEOUT(handled, ReplyFloodAnswers, 120000);
        QTest::qWait(100);
        QCOMPARE(handled, ReplyFloodAnswers);
        const qint64 growth = heapInUse() - heapBefore;
        QVERIFY2(growth < ReplyFloodHeapBound, qPrintable(QStringLiteral("heap grew by %1 KiB").arg(growth >> 10)));
        QCOMPARE(s.tool.errorTexts(), QStringList());
        QVERIFY(s.tool.routeUp());

        s.device->sendRaw(s.endpoint, portRecord(oddValuesFor(route)));
        QTRY_COMPARE(s.tool.page.baud(Port::Rs485), OddBaud485Index);
        QVERIFY(boxes.seen().isEmpty());
    }

    // 150 connections to the configuration service, each asked for its
    // record and then closed by the device: after a warm-up, every cycle
    // gives back its descriptor and its memory.
    void connectionChurn()
    {
        TestSupport::MessageBoxAnswerer boxes;
        ScriptedPeer device;
        device.replies.insert(ReadAll, portRecord(OddEthernetValues));
        device.closeAfterReply = true;
        Tool tool(CommSettings::TCP);
        tool.panel.type(Panel::EthernetAddress, Loopback);
        tool.panel.type(Panel::EthernetPort, QString::number(device.port()));
        const QString disconnected = disconnectedText(CommSettings::TCP);
        int descriptorsBefore = 0;
        qint64 heapBefore = 0;

        for (int cycle = 0; cycle < ChurnCycles; ++cycle) {
            if (cycle == ChurnWarmup) {
                descriptorsBefore = openDescriptors();
                heapBefore = heapInUse();
            }
            tool.panel.click(Panel::EthernetButton);
            QTRY_COMPARE(tool.statusCount(disconnected), cycle + 1);
            QTRY_VERIFY(!device.hasConnection());
            QVERIFY(!tool.routeUp());
            // The record was read before the device closed.
            if (cycle == 0)
                QCOMPARE(tool.page.baud(Port::Rs485), OddBaud485Index);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        QCOMPARE(device.connectionsAccepted, ChurnCycles);
        QCOMPARE(int(device.received.count(ReadAll)), ChurnCycles);
        QCOMPARE(tool.statusCount(QStringLiteral("Tcp Connected")), ChurnCycles);
        QCOMPARE(tool.errorTexts(), QStringList());
        QCOMPARE(openDescriptors(), descriptorsBefore);
        const qint64 growth = heapInUse() - heapBefore;
        QVERIFY2(growth < ChurnHeapBound, qPrintable(QStringLiteral("heap grew by %1 KiB").arg(growth >> 10)));
        QVERIFY(boxes.seen().isEmpty());
    }

    void writeDuringStream_data() { addFloodRows(); }

    // While the device sends an answer every millisecond, the user writes
    // the whole record with one change: the device receives it once, with
    // the change, stores it, and its "+OK" reaches the user.
    void writeDuringStream()
    {
        QFETCH(CommSettings::eRoute_t, route);
        TestSupport::MessageBoxAnswerer boxes;
        Session s(route);
        QVERIFY(s.ready);
        s.device->sendRaw(s.endpoint, portRecord(oddValuesFor(route)));
        QTRY_COMPARE(s.tool.page.baud(Port::Rs485), OddBaud485Index);

        QTimer stream;
        stream.setTimerType(Qt::PreciseTimer);
        int streamed = 0;
        connect(&stream, &QTimer::timeout, this, [&] {
            s.device->sendRaw(s.endpoint, PingAnswer);
            ++streamed;
        });
        stream.start(1);
        QTRY_VERIFY(s.tool.sawStatus(PingText));

        s.tool.page.setBaud(Port::Rs485, 7);
        const QByteArray values = withValue(oddValuesFor(route), 6, "7");
        boxes.expect(QMessageBox::Yes, QStringLiteral("Dikkat !"));
        s.tool.statusLog.clear();
        s.tool.page.clickApply();
        QVERIFY(s.tool.waitForStatus(QStringLiteral("Successfully written")));
        // Still streaming: nothing is sent again.
        const int streamedAtAnswer = streamed;
        QTRY_VERIFY(streamed > streamedAtAnswer + 100);
        stream.stop();

        QCOMPARE(s.device->received(s.endpoint), (Frames{ReadAll, "AT+WRITEALL=" + values + "\r\n"}));
        QCOMPARE(s.device->portRecord(s.endpoint), values);
        QCOMPARE(s.tool.statusCount(QStringLiteral("Successfully written")), 1);
        QCOMPARE(s.tool.errorTexts(), QStringList());
        QCOMPARE(boxes.seen().size(), 1);
        QVERIFY(boxes.unexpected().isEmpty());
    }
};

TELVOR_TEST_MAIN(TestLoad)
#include "tst_load.moc"
