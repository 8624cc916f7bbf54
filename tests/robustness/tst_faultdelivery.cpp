// Faults in how replies arrive, on every route, end to end through the main
// window: replies cut into one-byte reads and into random pieces with gaps,
// several replies in one read, replies far too long, and a line of a
// mebibyte without a line end. Replies are put together again from whatever
// pieces the channel hands over. Each case checks what the user sees, that
// the device received only the requests the test caused, and that the next
// good reply is handled.

#include "devicetest.h"
#include "testsupport.h"

#include "devinfo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QStatusBar>
#include <QtTest>

using namespace DeviceTest;

namespace {

// The page shows the odd record of the tool's route.
void verifyRecordShown(const Tool &tool)
{
    QCOMPARE(tool.page.index(Setting::Baud, Port::Rs485), 8);
    QCOMPARE(tool.page.index(Setting::Mode, Port::Rs485), 3);
    QCOMPARE(tool.page.index(Setting::DataBits, Port::Rs485), 0);
    QCOMPARE(tool.page.index(Setting::StopBits, Port::Rs485), 1);
    QCOMPARE(tool.page.index(Setting::Baud, Port::Rs232), 4);
    QCOMPARE(tool.page.index(Setting::Parity, Port::Rs232), 1);
    QVERIFY(tool.page.infoResponse()->isChecked());
    if (isDataPort(tool.route))
        QCOMPARE(tool.page.apn()->text(), QStringLiteral("apn.example"));
}

enum class Cut
{
    OneByte,
    RandomWithGaps
};

// Splits bytes into pieces of 1 to maxPiece bytes, the same way for the same
// seed.
QList<QByteArray> randomPieces(const QByteArray &bytes, int maxPiece, quint32 seed)
{
    QList<QByteArray> pieces;
    for (int at = 0; at < bytes.size();) {
        seed = seed * 1664525u + 1013904223u;
        const int length = 1 + int((seed >> 16) % quint32(maxPiece));
        pieces << bytes.mid(at, length);
        at += length;
    }
    return pieces;
}

// Sends a frame as the device would, cut into several writes with pauses
// between them (each write reaches the tool as a read notification of its
// own). The pauses stay well below the one-second limit for a partial frame.
void sendCut(devsim::DeviceSimulator &device, Endpoint endpoint, const QByteArray &frame, Cut cut,
             quint32 seed)
{
    const QList<QByteArray> pieces =
        cut == Cut::OneByte ? randomPieces(frame, 1, seed) : randomPieces(frame, 9, seed);
    for (const QByteArray &piece : pieces) {
        device.sendRaw(endpoint, piece);
        seed = seed * 1103515245u + 12345u;
        QTest::qWait(cut == Cut::OneByte ? 3 : int((seed >> 16) % 120));
    }
}

} // namespace

Q_DECLARE_METATYPE(Cut)

class TestFaultDelivery : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSupport::clearSettings(); }
    void cleanup() { closeAll<DevInfo>(); }

    void splitReplies_data()
    {
        QTest::addColumn<CommSettings::eRoute_t>("route");
        QTest::addColumn<Cut>("cut");
        for (const NamedRoute &r : Routes) {
            QTest::newRow(qPrintable(QStringLiteral("%1, one byte per read").arg(QLatin1String(r.name))))
                << r.route << Cut::OneByte;
            QTest::newRow(
                qPrintable(QStringLiteral("%1, random pieces with gaps").arg(QLatin1String(r.name))))
                << r.route << Cut::RandomWithGaps;
        }
    }

    // Every reply is put together again, however it was cut: the device's own
    // record on connecting (its first byte completes the handshake), the
    // acknowledgement of a write, then an information record and a port
    // record.
    void splitReplies()
    {
        QFETCH(CommSettings::eRoute_t, route);
        QFETCH(Cut, cut);
        TestSupport::MessageBoxAnswerer boxes;
        devsim::Faults faults;
        if (cut == Cut::OneByte) {
            faults.chunkSize = 1;
            faults.chunkGapMs = 2;
        } else {
            faults.chunkSize = 5;
            faults.chunkGapMs = 40;
        }
        Session s(route, faults);
        QVERIFY(s.ready);
        QVERIFY(s.tool.routeUp());
        QVERIFY(s.tool.pageEnabled());

        s.tool.page.click(Setting::ApplyButton); // unchanged: no question
        QTRY_COMPARE(s.device->received(s.endpoint).size(), 2);
        const QByteArray written = s.device->received(s.endpoint).at(1);
        QVERIFY(written.startsWith("AT+WRITEALL="));
        QVERIFY(s.tool.waitForStatus(QStringLiteral("Successfully written")));

        sendCut(*s.device, s.endpoint, InfoRecord, cut, 7);
        QTRY_COMPARE(topLevel<DevInfo>().size(), 1);
        QCOMPARE(infoTexts(*topLevel<DevInfo>().first()), InfoTexts);

        sendCut(*s.device, s.endpoint, portRecord(oddValuesFor(route)), cut, 11);
        QTRY_COMPARE(s.tool.page.index(Setting::Baud, Port::Rs485), 8);
        verifyRecordShown(s.tool);

        QTest::qWait(1200); // nothing is left over to be dropped later
        QCOMPARE(s.tool.errorTexts(), QStringList());
        QCOMPARE(topLevel<DevInfo>().size(), 1);
        QCOMPARE(s.device->received(s.endpoint), (Frames{ReadAll, written}));
        QVERIFY(boxes.seen().isEmpty());
    }

    void severalRepliesInOneRead_data() { addRouteRows("several replies in one read"); }

    // Replies that arrive together are handled one after the other, and the
    // start of a reply at the end of a read waits for the rest.
    void severalRepliesInOneRead()
    {
        QFETCH(CommSettings::eRoute_t, route);
        TestSupport::MessageBoxAnswerer boxes;
        Session s(route);
        QVERIFY(s.ready);

        s.device->sendRaw(s.endpoint,
                          "+PING\r\n" + InfoRecord + "+OK\r\n" + portRecord(oddValuesFor(route)) + "+PI");
        QTRY_VERIFY(s.tool.sawStatus(QStringLiteral("Successfully written")));
        QTest::qWait(100);
        s.device->sendRaw(s.endpoint, "NG\r\n");
        QTRY_COMPARE(s.tool.statusCount(QStringLiteral("Ping -> OK")), 2);
        const int firstPing = int(s.tool.statusLog.indexOf(QStringLiteral("Ping -> OK")));
        QVERIFY(firstPing < s.tool.statusLog.indexOf(QStringLiteral("Successfully written")));
        QCOMPARE(topLevel<DevInfo>().size(), 1);
        QCOMPARE(infoTexts(*topLevel<DevInfo>().first()), InfoTexts);
        verifyRecordShown(s.tool);

        // The device itself holding two replies and writing them together:
        // two information records, then the current address (a ping on a
        // data port) with the device's record.
        devsim::Faults coalesced;
        coalesced.coalesce = 2;
        s.device->setFaults(coalesced);
        s.tool.trigger(Command::GetInfo);
        s.tool.trigger(Command::GetInfo);
        QTRY_COMPARE(topLevel<DevInfo>().size(), 3);

        s.tool.statusBar->clearMessage(); // so that "Ping -> OK" shown again is logged again
        if (isDataPort(route))
            s.tool.trigger(Command::Ping);
        else
            s.tool.panel.click(Panel::CurrentAddressButton);
        s.tool.page.click(Setting::ReadButton);
        QTRY_COMPARE(s.tool.page.index(Setting::Baud, Port::Rs485), 2);
        if (isDataPort(route))
            QTRY_COMPARE(s.tool.statusCount(QStringLiteral("Ping -> OK")), 3);
        else
            QCOMPARE(s.tool.panel.entry(Panel::CurrentAddress)->text(), QStringLiteral("192.168.1.100"));

        QCOMPARE(s.tool.errorTexts(), QStringList());
        const QByteArray pingOrAddress = isDataPort(route) ? "AT+PING\r\n" : "AT+CURRENT_IP\r\n";
        QCOMPARE(s.device->received(s.endpoint),
                 (Frames{ReadAll, ReadInfo, ReadInfo, pingOrAddress, ReadAll}));
        QVERIFY(boxes.seen().isEmpty());
    }

    void oversizedReplies_data() { addRouteRows("oversized replies"); }

    // A reply far longer than any the device sends is dropped as soon as it
    // outgrows the limit, reported once, and the reply after it in the same
    // read is intact. After a line of megabytes the route goes on working.
    void oversizedReplies()
    {
        QFETCH(CommSettings::eRoute_t, route);
        TestSupport::MessageBoxAnswerer boxes;
        Session s(route);
        QVERIFY(s.ready);
        const QStringList pageBefore = s.tool.pageState();
        const QString endError = receiveError(route, QStringLiteral("err_EndChr"));

        s.device->sendRaw(s.endpoint, '+' + QByteArray(6000, 'X') + "\r\n+OK\r\n");
        QVERIFY(s.tool.waitForStatus(QStringLiteral("Successfully written")));
        // Dropped as it outgrew the limit, before the reply after it was
        // handled (not a second later by the partial-frame timer).
        QCOMPARE(s.tool.errorTexts(), QStringList{endError});
        QVERIFY(s.tool.statusLog.indexOf(endError) < s.tool.statusLog.indexOf("Successfully written"));
        QTest::qWait(1200);
        QCOMPARE(s.tool.errorTexts(), QStringList{endError});
        s.tool.statusLog.clear();

        // A line of four mebibytes, at once and then in writes of 256 KiB: one
        // report, and the PING after it is answered. What the tool keeps of
        // such a line is bounded in tst_frameassembler.
        s.device->sendRaw(s.endpoint, QByteArray(4 * 1024 * 1024, 'X') + "\r\n+PING\r\n");
        QVERIFY(s.tool.waitForStatus(QStringLiteral("Ping -> OK"), 20000));
        QCOMPARE(s.tool.statusCount(endError), 1);
        const QByteArray quarter(256 * 1024, 'X');
        s.tool.statusLog.clear();
        for (int i = 0; i < 16; ++i)
            s.device->sendRaw(s.endpoint, quarter);
        s.device->sendRaw(s.endpoint, "\r\n+PING\r\n");
        QVERIFY(s.tool.waitForStatus(QStringLiteral("Ping -> OK"), 20000));

        QCOMPARE(s.tool.statusCount(endError), 1);
        QCOMPARE(s.tool.pageState(), pageBefore);
        QVERIFY(s.tool.routeUp());

        s.device->sendRaw(s.endpoint, portRecord(oddValuesFor(route)));
        QTRY_COMPARE(s.tool.page.index(Setting::Baud, Port::Rs485), 8);
        verifyRecordShown(s.tool);
        QTest::qWait(1200);
        QCOMPARE(s.tool.statusCount(endError), 1);
        QCOMPARE(s.device->received(s.endpoint), Frames{ReadAll});
        QVERIFY(boxes.seen().isEmpty());
    }
};

TELVOR_TEST_MAIN(TestFaultDelivery)
#include "tst_faultdelivery.moc"
