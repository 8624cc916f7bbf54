// Faults in time, end to end through the main window: a device that never
// answers, a reply that stops half way, a connection that breaks in the
// middle of a reply, a write that gets no answer, and data ports that the
// device closes as soon as it has accepted them. The time limits are part of
// the design (10 s for the first answer, 8 s for the data-port check, 5 s for
// a write's answer, 1 s for a partial reply), so cases that wait for the same
// limit wait side by side.

#include "devicetest.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QStatusBar>
#include <QElapsedTimer>
#include <QtTest>

using namespace DeviceTest;

namespace {

int baud485(const Tool &tool)
{
    return tool.page.index(Setting::Baud, Port::Rs485);
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
    // the device answers again every route works. A USB port that failed and
    // was closed meanwhile is not supervised any more.
    void silenceAfterConnect()
    {
        TestSupport::MessageBoxAnswerer boxes;
        boxes.expect(QMessageBox::Ok, QStringLiteral("Critical Error"));
        boxes.expect(QMessageBox::Ok, QStringLiteral("Uyarı !"));
        boxes.expect(QMessageBox::Ok, QStringLiteral("Uyarı !"));
        devsim::Faults silent;
        silent.silentAfter = 0;
        auto device = startDevice(silent);
        auto failingUsbDevice = startDevice(silent);
        QVERIFY(device && failingUsbDevice);
        Tool service(CommSettings::TCP);
        Tool usb(CommSettings::USB);
        Tool failingUsb(CommSettings::USB);
        Tool rs232(CommSettings::TCP232);
        Tool rs485(CommSettings::TCP485);

        QElapsedTimer clock;
        clock.start();
        for (Tool *tool : {&service, &usb, &rs232, &rs485})
            tool->connectTo(*device);
        failingUsb.connectTo(*failingUsbDevice);
        QTRY_COMPARE(failingUsbDevice->received(Endpoint::Usb), Frames{ReadAll});
        failingUsbDevice->stop();
        QVERIFY(boxes.waitForBoxes(1));
        QCOMPARE(boxes.seen().first().title, QStringLiteral("Critical Error"));
        QVERIFY(failingUsb.waitForStatus(QStringLiteral("Disconnected from USB")));

        QVERIFY(boxes.waitForBoxes(3, 13000));
        QVERIFY2(clock.elapsed() >= 9500, qPrintable(QString::number(clock.elapsed())));
        for (const TestSupport::SeenBox &box : boxes.seen().mid(1))
            QCOMPARE(box.text, QStringLiteral("Cihazdan veri alınamadı !"));
        QVERIFY(service.waitForStatus(QStringLiteral("Disconnected from TCP")));
        QVERIFY(usb.waitForStatus(QStringLiteral("Cannot connect over USB")));
        // The failed port's own supervision would end at the same time as
        // the other USB port's: it has not.
        QVERIFY(!failingUsb.sawStatus(QStringLiteral("Cannot connect over USB")));

        QVERIFY(!service.sawRouteUp());
        QVERIFY(service.isIdle());
        QVERIFY(!usb.sawRouteUp());
        QVERIFY(!usb.routeUp() && !usb.pageEnabled());
        QVERIFY(usb.commandsEnabled(false, false, false));
        for (Tool *tool : {&rs232, &rs485}) {
            QVERIFY(tool->routeUp());
            QVERIFY(tool->commandsEnabled(true, true, true));
            QVERIFY(tool->statusLog.contains(QStringLiteral("Connected Succesfully")));
            QCOMPARE(device->connectionCount(endpointFor(tool->route)), 1);
        }
        for (Tool *tool : {&service, &usb, &rs232, &rs485}) {
            QCOMPARE(device->received(endpointFor(tool->route)), Frames{ReadAll});
            QCOMPARE(tool->errorTexts(), QStringList());
        }

        device->setFaults({});
        service.connectTo(*device);
        usb.connectTo(*device);
        rs232.page.click(Setting::ReadButton);
        rs485.page.click(Setting::ReadButton);
        for (Tool *tool : {&service, &usb, &rs232, &rs485}) {
            QVERIFY(tool->waitForRecord());
            QVERIFY(tool->routeUp());
            QCOMPARE(device->received(endpointFor(tool->route)), (Frames{ReadAll, ReadAll}));
        }
        // No further warning came while the routes worked again.
        QCOMPARE(boxes.seen().size(), 3);
        QVERIFY(!failingUsb.sawStatus(QStringLiteral("Cannot connect over USB")));
    }

    void silenceInTheMiddleOfAReply_data() { addRouteRows(); }

    // A reply that stops half way is dropped a second after its last byte
    // and reported with the route's own text; what comes after it is a frame
    // of its own, and the next whole reply is applied.
    void silenceInTheMiddleOfAReply()
    {
        QFETCH(CommSettings::eRoute_t, route);
        TestSupport::MessageBoxAnswerer boxes;
        Session s(route);
        QVERIFY(s.ready);
        const QStringList pageBefore = s.tool.pageState();
        const QString endError = receiveError(route, QStringLiteral("err_EndChr"));

        QElapsedTimer sinceLastByte;
        s.device->sendRaw(s.endpoint, "+READALL=1,502,3,7,2,2,9");
        QTest::qWait(400);
        s.device->sendRaw(s.endpoint, ",8");
        sinceLastByte.start();
        QVERIFY(s.tool.waitForStatus(endError, 3000));
        QVERIFY2(sinceLastByte.elapsed() >= 950, qPrintable(QString::number(sinceLastByte.elapsed())));
        QCOMPARE(s.tool.pageState(), pageBefore);

        // The rest of the broken reply arrives late: it has no "+" of its own.
        s.device->sendRaw(s.endpoint, ",16,600\r\n");
        QVERIFY(s.tool.waitForStatus(receiveError(route, QStringLiteral("err_BeginChr"))));
        QCOMPARE(s.tool.pageState(), pageBefore);

        s.device->sendRaw(s.endpoint, portRecord(oddValuesFor(route)));
        QTRY_COMPARE(baud485(s.tool), 8);
        QTest::qWait(1200);
        QCOMPARE(s.tool.statusCount(endError), 1);
        QVERIFY(s.tool.routeUp());
        QCOMPARE(s.device->received(s.endpoint), Frames{ReadAll});
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
        Session s(route);
        QVERIFY(s.ready);
        const QStringList pageBefore = s.tool.pageState();

        // The RS-485 baud index is the seventh value, well inside the half
        // that is sent.
        s.device->setPortRecordValue(s.endpoint, 6, "9");
        devsim::Faults broken;
        broken.closeMidReply = true;
        s.device->setFaults(broken);
        s.tool.page.click(Setting::ReadButton);

        if (route == CommSettings::USB) {
            QVERIFY(s.tool.waitForStatus(receiveError(route, QStringLiteral("err_EndChr")), 3000));
            QVERIFY(s.tool.routeUp());
        } else {
            QVERIFY(s.tool.waitForStatus(disconnectedText(route)));
            QTRY_VERIFY(!s.tool.routeUp());
            QTest::qWait(1200);
            QCOMPARE(s.tool.errorTexts(), QStringList());
        }
        QCOMPARE(s.tool.pageState(), pageBefore);
        QCOMPARE(s.device->received(s.endpoint), (Frames{ReadAll, ReadAll}));

        if (route == CommSettings::USB)
            s.tool.page.click(Setting::ReadButton);
        else
            s.tool.connectTo(*s.device);
        QTRY_COMPARE(baud485(s.tool), 9);
        QVERIFY(s.tool.routeUp());
        QCOMPARE(s.device->received(s.endpoint), (Frames{ReadAll, ReadAll, ReadAll}));
        QVERIFY(boxes.seen().isEmpty());
    }

    void unansweredWrites_data()
    {
        QTest::addColumn<CommSettings::eRoute_t>("route");
        QTest::addColumn<bool>("network"); // WRITE_NETWORKCFG instead of WRITEALL
        QTest::addColumn<bool>("closeRoute");
        QTest::newRow("WRITEALL, configuration service") << CommSettings::TCP << false << false;
        QTest::newRow("WRITEALL, RS-485 data port") << CommSettings::TCP485 << false << false;
        QTest::newRow("WRITE_NETWORKCFG, USB") << CommSettings::USB << true << false;
        QTest::newRow("route closed while waiting, RS-232 data port") << CommSettings::TCP232 << false << true;
    }

    // A record write that the device never answers is reported five seconds
    // after it was sent, and an answer that comes later is still handled. An
    // answered write is not reported, and a route that closes ends the wait.
    void unansweredWrites()
    {
        QFETCH(CommSettings::eRoute_t, route);
        QFETCH(bool, network);
        QFETCH(bool, closeRoute);
        const QString noAnswer = QStringLiteral("No answer to the write: the device may not have stored it");
        TestSupport::MessageBoxAnswerer boxes;
        Session s(route);
        QVERIFY(s.ready);
        // Applied unchanged, each write goes out without a question.
        // The clock starts when the write goes out.
        QElapsedTimer sinceWrite;
        auto write = [&] {
            const int sent = s.device->received(s.endpoint).size();
            if (network) {
                s.tool.page.click(Setting::StaticIpButton);
                QTRY_VERIFY(!visibleWindows("StaticIpConfig").isEmpty());
                QTRY_COMPARE(s.device->received(s.endpoint).size(), sent + 1);
                const NetworkWindow window(*visibleWindows("StaticIpConfig").first());
                QTRY_VERIFY(!window.text(NetworkWindow::Address).isEmpty());
                sinceWrite.start();
                window.applyButton()->click();
                QTRY_COMPARE(s.device->received(s.endpoint).size(), sent + 2);
                QVERIFY(s.device->received(s.endpoint).last().startsWith("AT+WRITE_NETWORKCFG="));
            } else {
                sinceWrite.start();
                s.tool.page.click(Setting::ApplyButton);
                QTRY_COMPARE(s.device->received(s.endpoint).size(), sent + 1);
                QVERIFY(s.device->received(s.endpoint).last().startsWith("AT+WRITEALL="));
            }
        };

        write();
        QVERIFY(s.tool.waitForStatus(QStringLiteral("Successfully written")));
        QTest::qWait(1000);

        devsim::Faults silent;
        silent.silentAfter = 0;
        s.device->setFaults(silent);
        s.tool.statusLog.clear();
        write();
        if (closeRoute) {
            s.tool.disconnect();
            QTRY_VERIFY(!s.tool.routeUp());
            QTest::qWait(6000 - int(sinceWrite.elapsed()));
            QVERIFY(!s.tool.sawStatus(noAnswer));
        } else {
            QVERIFY(s.tool.waitForStatus(noAnswer, 8000));
            // Not earlier: neither the answered write nor this one before its time.
            QVERIFY2(sinceWrite.elapsed() >= 4900, qPrintable(QString::number(sinceWrite.elapsed())));
            QCOMPARE(s.tool.statusBar->currentMessage(), noAnswer);
            s.device->sendRaw(s.endpoint, "+OK\r\n");
            QVERIFY(s.tool.waitForStatus(QStringLiteral("Successfully written")));
            QCOMPARE(s.tool.statusLog.count(noAnswer), 1);
        }
        QCOMPARE(s.tool.errorTexts(), QStringList());
        QVERIFY(boxes.seen().isEmpty());
    }

    // Both data ports closed by the device right after it accepted them: the
    // route comes up, goes down without a warning and before the record is
    // asked for, and eight seconds after the connect the user reads that the
    // server may be taken. No silence warning follows, since the route has
    // ended. A data port the user closes within those eight seconds is no
    // full server: nothing is reported for it, whether the user pressed its
    // button while it was up or its Abort once the device had closed it.
    void dataPortsClosedOnAccept()
    {
        TestSupport::MessageBoxAnswerer boxes;
        devsim::Faults closing;
        closing.closeOnAccept = true;
        auto device = startDevice(closing);
        auto open = startDevice();
        QVERIFY(device && open);
        Tool rs232(CommSettings::TCP232);
        Tool rs485(CommSettings::TCP485);
        Tool closedByUser(CommSettings::TCP232);
        Tool aborted(CommSettings::TCP232);
        const QString full = QStringLiteral("Server can have connection Check server");

        QElapsedTimer clock;
        clock.start();
        closedByUser.connectTo(*open);
        aborted.connectTo(*device);
        rs232.connectTo(*device);
        rs485.connectTo(*device);
        QVERIFY(closedByUser.waitForStatus(QStringLiteral("Tcp 232 Port Connected")));
        closedByUser.disconnect();
        QVERIFY(closedByUser.waitForStatus(QStringLiteral("Disconnected from TCP 232 Port")));
        QVERIFY(aborted.waitForStatus(QStringLiteral("Disconnected from TCP 232 Port")));
        aborted.panel.click(Panel::Abort232);
        QVERIFY(aborted.sawStatus(QStringLiteral("Tcp 232 Port Closed")));

        QVERIFY(rs232.waitForStatus(full, 10000));
        QVERIFY(rs485.waitForStatus(full, 1000));
        QVERIFY2(clock.elapsed() >= 7500, qPrintable(QString::number(clock.elapsed())));

        QVERIFY(rs232.sawStatus(QStringLiteral("Tcp 232 Port Connected")));
        QVERIFY(rs232.statusLog.contains(QStringLiteral("Disconnected from TCP 232 Port")));
        QVERIFY(rs485.statusLog.contains(QStringLiteral("Disconnected from TCP 485 Port")));
        QVERIFY(rs232.panel.button(Panel::Button232)->isEnabled());
        // Past the end of the ten-second supervision of the first answer: no
        // silence warning for the ended routes, no report for those the user
        // closed.
        QTest::qWait(int(qMax<qint64>(0, 10500 - clock.elapsed())));
        for (Tool *tool : {&rs232, &rs485}) {
            QVERIFY(!tool->routeUp());
            QVERIFY(tool->commandsEnabled(false, false, false));
            QVERIFY(!tool->pageEnabled());
            QVERIFY(!tool->statusLog.contains(QStringLiteral("Connected Succesfully")));
            QCOMPARE(tool->statusCount(full), 1);
            QCOMPARE(device->received(endpointFor(tool->route)), Frames{});
        }
        for (Tool *tool : {&closedByUser, &aborted}) {
            QVERIFY2(!tool->sawStatus(full), qPrintable(tool->statusLog.join(QLatin1String(" | "))));
            QVERIFY(!tool->sawStatus(QStringLiteral("Connected Succesfully")));
        }
        QVERIFY(boxes.seen().isEmpty());

        device->setFaults({});
        rs232.connectTo(*device);
        rs485.connectTo(*device);
        QVERIFY(rs232.waitForRecord());
        QVERIFY(rs485.waitForRecord());
        QCOMPARE(device->received(Endpoint::Rs232), Frames{ReadAll});
        QCOMPARE(device->received(Endpoint::Rs485), Frames{ReadAll});
        QVERIFY(boxes.seen().isEmpty());
    }

    // A refused write ("+ERR") is an answer: the device's refusal is shown
    // and the five-second watch for an unanswered write ends with it.
    void refusedWriteEndsTheWatch()
    {
        TestSupport::MessageBoxAnswerer boxes;
        Session s(CommSettings::TCP);
        QVERIFY(s.ready);
        devsim::Faults refusing;
        refusing.errOnWrite = true;
        s.device->setFaults(refusing);
        s.tool.statusLog.clear();

        QElapsedTimer sinceWrite;
        sinceWrite.start();
        s.tool.page.click(Setting::ApplyButton);
        QTRY_COMPARE(s.device->received(s.endpoint).size(), 2);
        QVERIFY(s.device->received(s.endpoint).last().startsWith("AT+WRITEALL="));
        QVERIFY(s.tool.waitForStatus(QStringLiteral("TCPDataReceived Error :err_Unknown")));
        QVERIFY(!s.tool.statusLog.filter(QStringLiteral("Receive_Callback Error : ")).isEmpty());
        // Past the watch's five seconds.
        QTest::qWait(int(qMax<qint64>(0, 5600 - sinceWrite.elapsed())));
        QVERIFY(!s.tool.sawStatus(QStringLiteral("No answer to the write: the device may not have stored it")));
        QVERIFY(boxes.seen().isEmpty());
    }
};

TELVOR_TEST_MAIN(TestFaultTiming)
#include "tst_faulttiming.moc"
