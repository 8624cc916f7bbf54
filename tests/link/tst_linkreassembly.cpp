// Replies are reassembled on every route, whatever pieces the channel hands
// over: a reply split into one-byte notifications is one reply, two replies
// in one notification are two, a partial reply that stops is dropped after a
// second, and an oversized one is dropped at once.

#include "linkharness.h"
#include "testsupport.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QtTest>

using devsim::Endpoint;
using LinkHarness::Tool;

class TestLinkReassembly : public QObject
{
    Q_OBJECT

private:
    static void routeRows()
    {
        QTest::addColumn<CommSettings::eRoute_t>("route");
        QTest::addColumn<QString>("failureText");
        QTest::newRow("configuration service") << CommSettings::TCP << "TCPDataReceived Error :%1";
        QTest::newRow("USB") << CommSettings::USB << "SerialReceived Error : %1";
        QTest::newRow("RS-232 data port") << CommSettings::TCP232 << "TCP232DataReceived Error :%1";
        QTest::newRow("RS-485 data port") << CommSettings::TCP485 << "TCP485DataReceived Error :%1";
    }

    static QStringList failures(const Tool &tool)
    {
        QStringList found;
        for (const QString &text : tool.statusLog) {
            if (text.contains(QLatin1String("Received Error")))
                found << text;
        }
        return found;
    }

private slots:
    void init() { TestSupport::clearSettings(); }

    void repliesSplitIntoBytes_data() { routeRows(); }

    // Every reply comes one byte per notification: the first byte completes
    // the handshake, the record fills the page, and the acknowledgement of a
    // write, "+OK" with its CR LF in later notifications, is a success.
    void repliesSplitIntoBytes()
    {
        QFETCH(CommSettings::eRoute_t, route);
        const Endpoint endpoint = LinkHarness::endpointFor(route);

        TestSupport::MessageBoxAnswerer boxes;
        devsim::Faults bytewise;
        bytewise.chunkSize = 1;
        bytewise.chunkGapMs = 3;
        LinkHarness::Link link;
        QVERIFY(link.open(route, bytewise));
        auto &[device, tool] = link;
        QVERIFY(tool->page->isEnabled());
        QVERIFY(tool->action(QStringLiteral("actionGET_INFO"))->isEnabled());

        tool->click(QStringLiteral("pushButton_ConfigurationApply")); // unchanged: no question
        QTRY_COMPARE(device->received(endpoint).size(), 2);
        QVERIFY(device->received(endpoint).at(1).startsWith("AT+WRITEALL="));
        QVERIFY(tool->waitForStatus(QStringLiteral("Successfully written")));
        QCOMPARE(failures(*tool), QStringList());
        QCOMPARE(boxes.seen().size(), 0);
    }

    void twoRepliesInOneNotification_data() { routeRows(); }

    // Two requests whose replies arrive together: both replies take effect.
    void twoRepliesInOneNotification()
    {
        QFETCH(CommSettings::eRoute_t, route);
        const Endpoint endpoint = LinkHarness::endpointFor(route);

        TestSupport::MessageBoxAnswerer boxes;
        LinkHarness::Link link;
        QVERIFY(link.open(route));
        auto &[device, tool] = link;

        devsim::Faults together;
        together.coalesce = 2;
        device->setFaults(together);
        tool->choose(tool->baudBox(route)->objectName(), 0);
        const bool dataPort = route == CommSettings::TCP232 || route == CommSettings::TCP485;
        if (dataPort)
            tool->action(QStringLiteral("actionPING"))->trigger();
        else
            tool->click(QStringLiteral("pushButton_GetIpAddr"));
        tool->click(QStringLiteral("pushButton_ReadConfiguration"));

        QTRY_COMPARE(tool->baudBox(route)->currentIndex(), 5);
        if (dataPort)
            QVERIFY(tool->waitForStatus(QStringLiteral("Ping -> OK")));
        else
            QCOMPARE(tool->find<QLineEdit>(QStringLiteral("lineEdit_CurrentIpAddr"))->text(),
                     QStringLiteral("192.168.1.100"));
        QCOMPARE(device->received(endpoint).size(), 3);
        QCOMPARE(failures(*tool), QStringList());
        QCOMPARE(boxes.seen().size(), 0);
    }

    void partialReplyDropped_data() { routeRows(); }

    // A reply that stops before its CR LF is dropped a second after its last
    // byte and reported with the route's text; what comes later starts afresh.
    void partialReplyDropped()
    {
        QFETCH(CommSettings::eRoute_t, route);
        const Endpoint endpoint = LinkHarness::endpointFor(route);
        QFETCH(QString, failureText);

        TestSupport::MessageBoxAnswerer boxes;
        LinkHarness::Link link;
        QVERIFY(link.open(route));
        auto &[device, tool] = link;
        const QString endMissing = failureText.arg(QStringLiteral("err_EndChr"));

        QElapsedTimer sinceLastByte;
        device->sendRaw(endpoint, "+O");
        sinceLastByte.start();
        QTest::qWait(400);
        device->sendRaw(endpoint, "K");
        sinceLastByte.start();
        QVERIFY(tool->waitForStatus(endMissing, 3000));
        QVERIFY2(sinceLastByte.elapsed() >= 900, qPrintable(QString::number(sinceLastByte.elapsed())));
        QVERIFY(!tool->sawStatus(QStringLiteral("Successfully written")));

        // The dropped "+OK" does not join a CR LF that comes later.
        device->sendRaw(endpoint, "\r\n");
        QVERIFY(tool->waitForStatus(failureText.arg(QStringLiteral("err_BeginChr"))));
        device->sendRaw(endpoint, "+OK\r\n");
        QVERIFY(tool->waitForStatus(QStringLiteral("Successfully written")));
        QCOMPARE(failures(*tool).count(endMissing), 1);
        QCOMPARE(boxes.seen().size(), 0);
    }

    void oversizedReplyDropped_data() { routeRows(); }

    // A reply far longer than any the device sends is dropped as soon as it
    // outgrows the limit, reported once, and the reply after it is intact.
    void oversizedReplyDropped()
    {
        QFETCH(CommSettings::eRoute_t, route);
        const Endpoint endpoint = LinkHarness::endpointFor(route);
        QFETCH(QString, failureText);

        TestSupport::MessageBoxAnswerer boxes;
        LinkHarness::Link link;
        QVERIFY(link.open(route));
        auto &[device, tool] = link;

        QElapsedTimer clock;
        clock.start();
        device->sendRaw(endpoint, '+' + QByteArray(6000, 'X') + "\r\n+OK\r\n");
        QVERIFY(tool->waitForStatus(QStringLiteral("Successfully written")));
        QVERIFY(clock.elapsed() < 900);
        QCOMPARE(failures(*tool), QStringList{failureText.arg(QStringLiteral("err_EndChr"))});
        QTest::qWait(1200);
        QCOMPARE(failures(*tool).size(), 1);
        QCOMPARE(boxes.seen().size(), 0);
    }
};

TELVOR_TEST_MAIN(TestLinkReassembly)
#include "tst_linkreassembly.moc"
