// Faults in time, end to end through the main window: a device that never
// answers, a reply that stops half way, a connection that breaks in the
// middle of a reply, and data ports that the device closes as soon as it has
// accepted them. The time limits are part of the design (10 s for the first
// answer, 8 s for the data-port check, 1 s for a partial reply), so cases
// that wait for the same limit wait side by side.

#include "faultharness.h"
#include "testsupport.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QtTest>

using namespace Fault;

namespace {

const QByteArray EthernetRecord = "+READALL=1,502,3,7,2,2,8,16,600,200,5,0,503,1,8,1,1,4,8,400,100,0,1\r\n";
const QByteArray GsmRecord = "+READALL=1,502,3,7,2,2,8,16,600,200,5,2,5000,120,1,503,1,8,1,1,4,8,400,100,0,0,"
                             "100,180,apn.example,1\r\n";

int baud485(const Tool &tool)
{
    return tool.find<QComboBox>(QStringLiteral("comboBox_Baud_485"))->currentIndex();
}

void addRouteRows()
{
    QTest::addColumn<CommSettings::eRoute_t>("route");
    QTest::newRow("configuration service") << CommSettings::TCP;
    QTest::newRow("USB") << CommSettings::USB;
    QTest::newRow("RS-232 data port") << CommSettings::TCP232;
    QTest::newRow("RS-485 data port") << CommSettings::TCP485;
}

} // namespace

class TestFaultTiming : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSupport::clearSettings(); }

    // A device that never answers, on all four routes at once. The
    // configuration service is dropped without a text of its own, USB is
    // closed with "Cannot connect over USB", and each data port stays up
    // with one warning box. Nothing but the first request was sent, and once
    // the device answers again every route works.
    void silenceAfterConnect()
    {
        TestSupport::MessageBoxAnswerer boxes;
        boxes.expect(QMessageBox::Ok, QStringLiteral("Uyarı !"));
        boxes.expect(QMessageBox::Ok, QStringLiteral("Uyarı !"));
        devsim::Faults silent;
        silent.silentAfter = 0;
        auto device = startDevice(silent);
        QVERIFY(device);
        Tool service(CommSettings::TCP);
        Tool usb(CommSettings::USB);
        Tool rs232(CommSettings::TCP232);
        Tool rs485(CommSettings::TCP485);

        QElapsedTimer clock;
        clock.start();
        for (Tool *tool : {&service, &usb, &rs232, &rs485})
            tool->connectTo(*device);

        QVERIFY(boxes.waitForBoxes(2, 13000));
        QVERIFY2(clock.elapsed() >= 9500, qPrintable(QString::number(clock.elapsed())));
        for (const TestSupport::SeenBox &box : boxes.seen())
            QCOMPARE(box.text, QStringLiteral("Cihazdan veri alınamadı !"));
        QVERIFY(service.waitForStatus(QStringLiteral("Disconnected from TCP")));
        QVERIFY(usb.waitForStatus(QStringLiteral("Cannot connect over USB")));
        QTest::qWait(300);
        QCOMPARE(boxes.seen().size(), 2);

        QVERIFY(!service.sawRouteUp());
        QVERIFY(!service.routeUp() && !service.page->isEnabled());
        QVERIFY(!usb.sawRouteUp());
        QVERIFY(!usb.routeUp() && !usb.page->isEnabled());
        for (Tool *tool : {&rs232, &rs485}) {
            QVERIFY(tool->routeUp());
            QVERIFY(tool->statusLog.contains(QStringLiteral("Connected Succesfully")));
        }
        for (Tool *tool : {&service, &usb, &rs232, &rs485}) {
            QCOMPARE(device->received(endpointOf(tool->route)), Frames{ReadAllRequest});
            for (const QString &text : tool->statusLog)
                QVERIFY2(!text.contains(QStringLiteral("Error :")), qPrintable(text));
        }

        device->setFaults({});
        service.connectTo(*device);
        usb.connectTo(*device);
        rs232.click(QStringLiteral("pushButton_ReadConfiguration"));
        rs485.click(QStringLiteral("pushButton_ReadConfiguration"));
        for (Tool *tool : {&service, &usb, &rs232, &rs485}) {
            QVERIFY(tool->waitForRecord());
            QVERIFY(tool->routeUp());
            QCOMPARE(device->received(endpointOf(tool->route)), (Frames{ReadAllRequest, ReadAllRequest}));
        }
        QCOMPARE(boxes.seen().size(), 2);
    }

    void silenceInTheMiddleOfAReply_data() { addRouteRows(); }

    // A reply that stops half way is dropped after a second and reported
    // with the route's own text; what comes after it is a frame of its own,
    // and the next whole reply is applied.
    void silenceInTheMiddleOfAReply()
    {
        QFETCH(CommSettings::eRoute_t, route);
        TestSupport::MessageBoxAnswerer boxes;
        auto device = startDevice();
        QVERIFY(device);
        const Endpoint endpoint = endpointOf(route);
        Tool tool(route);
        tool.connectTo(*device);
        QVERIFY(tool.waitForRecord());
        const QStringList pageBefore = tool.pageState();
        const QString endError = receiveError(route, QStringLiteral("err_EndChr"));

        QElapsedTimer clock;
        clock.start();
        device->sendRaw(endpoint, "+READALL=1,502,3,7,2,2,9");
        QVERIFY(tool.waitForStatus(endError, 3000));
        QVERIFY2(clock.elapsed() >= 950, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(tool.pageState(), pageBefore);

        // The rest of the broken reply arrives late: it has no "+" of its own.
        device->sendRaw(endpoint, ",16,600\r\n");
        QVERIFY(tool.waitForStatus(receiveError(route, QStringLiteral("err_BeginChr"))));
        QCOMPARE(tool.pageState(), pageBefore);

        device->sendRaw(endpoint, isDataPort(route) ? GsmRecord : EthernetRecord);
        QTRY_COMPARE(baud485(tool), 8);
        QTest::qWait(1200);
        QCOMPARE(tool.statusCount(endError), 1);
        QVERIFY(tool.routeUp());
        QCOMPARE(device->received(endpoint), Frames{ReadAllRequest});
        QVERIFY(boxes.seen().isEmpty());
    }

    void connectionBrokenInTheMiddleOfAReply_data() { addRouteRows(); }

    // The device writes half of its record and hangs up. Nothing of the half
    // reaches the page: a socket route ends with its disconnect text, and on
    // USB (a port does not hang up) the half is dropped after a second.
    // Connecting again, or reading again on USB, brings the whole record.
    void connectionBrokenInTheMiddleOfAReply()
    {
        QFETCH(CommSettings::eRoute_t, route);
        TestSupport::MessageBoxAnswerer boxes;
        auto device = startDevice();
        QVERIFY(device);
        const Endpoint endpoint = endpointOf(route);
        Tool tool(route);
        tool.connectTo(*device);
        QVERIFY(tool.waitForRecord());
        const QStringList pageBefore = tool.pageState();

        // The RS-485 baud index is the seventh value, well inside the half
        // that is sent.
        device->setPortRecordValue(endpoint, 6, "9");
        devsim::Faults broken;
        broken.closeMidReply = true;
        device->setFaults(broken);
        tool.click(QStringLiteral("pushButton_ReadConfiguration"));

        if (route == CommSettings::USB) {
            QVERIFY(tool.waitForStatus(receiveError(route, QStringLiteral("err_EndChr")), 3000));
            QVERIFY(tool.routeUp());
        } else {
            const QString closed = route == CommSettings::TCP ? QStringLiteral("Disconnected from TCP")
                                   : route == CommSettings::TCP232
                                       ? QStringLiteral("Disconnected from TCP 232 Port")
                                       : QStringLiteral("Disconnected from TCP 485 Port");
            QVERIFY(tool.waitForStatus(closed));
            QTRY_VERIFY(!tool.routeUp());
            QTest::qWait(1200);
            for (const QString &text : tool.statusLog)
                QVERIFY2(!text.contains(QStringLiteral("Error :")), qPrintable(text));
        }
        QCOMPARE(tool.pageState(), pageBefore);
        QCOMPARE(device->received(endpoint), (Frames{ReadAllRequest, ReadAllRequest}));

        if (route == CommSettings::USB)
            tool.click(QStringLiteral("pushButton_ReadConfiguration"));
        else
            tool.connectTo(*device);
        QTRY_COMPARE(baud485(tool), 9);
        QVERIFY(tool.routeUp());
        QCOMPARE(device->received(endpoint), (Frames{ReadAllRequest, ReadAllRequest, ReadAllRequest}));
        QVERIFY(boxes.seen().isEmpty());
    }

    // Both data ports closed by the device right after it accepted them: the
    // connection ends before the record is asked for, and eight seconds after
    // the connect the user reads that the server may be taken.
    void dataPortsClosedOnAccept()
    {
        TestSupport::MessageBoxAnswerer boxes;
        devsim::Faults closing;
        closing.closeOnAccept = true;
        auto device = startDevice(closing);
        QVERIFY(device);
        Tool rs232(CommSettings::TCP232);
        Tool rs485(CommSettings::TCP485);

        QElapsedTimer clock;
        clock.start();
        rs232.connectTo(*device);
        rs485.connectTo(*device);
        const QString full = QStringLiteral("Server can have connection Check server");
        QVERIFY(rs232.waitForStatus(full, 10000));
        QVERIFY(rs485.waitForStatus(full, 1000));
        QVERIFY2(clock.elapsed() >= 7500, qPrintable(QString::number(clock.elapsed())));

        QVERIFY(rs232.statusLog.contains(QStringLiteral("Disconnected from TCP 232 Port")));
        QVERIFY(rs485.statusLog.contains(QStringLiteral("Disconnected from TCP 485 Port")));
        for (Tool *tool : {&rs232, &rs485}) {
            QVERIFY(!tool->routeUp());
            QVERIFY(!tool->page->isEnabled());
            QVERIFY(!tool->statusLog.contains(QStringLiteral("Connected Succesfully")));
            QCOMPARE(device->received(endpointOf(tool->route)), Frames{});
        }
        QVERIFY(boxes.seen().isEmpty());

        device->setFaults({});
        rs232.connectTo(*device);
        rs485.connectTo(*device);
        QVERIFY(rs232.waitForRecord());
        QVERIFY(rs485.waitForRecord());
        QCOMPARE(device->received(Endpoint::Rs232), Frames{ReadAllRequest});
        QCOMPARE(device->received(Endpoint::Rs485), Frames{ReadAllRequest});
        QVERIFY(boxes.seen().isEmpty());
    }
};

TELVOR_TEST_MAIN(TestFaultTiming)
#include "tst_faulttiming.moc"
