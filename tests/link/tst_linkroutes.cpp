// Each route's life through the real main window, against the simulated
// device: connecting from the panel, the first answer, what the user may do
// while connected, and the way back to idle. Also one route at a time, and
// the device commands and abort buttons on every route.

#include "devicetest.h"
#include "testsupport.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTcpSocket>
#include <QtTest>

using namespace DeviceTest;
// The supervision timers are ordinary (coarse) Qt timers, which may fire up
// to 5 % early.
static const qint64 CoarseEight = 8000 * 95 / 100;

// Both ports of the simulated device's factory record are enabled, on TCP
// ports 502 and 503, at 9600 baud (index 5); the GSM record's APN is
// "internet" and its ping interval 120 s (shown as 2 minutes).
static void verifyFactoryRecordShown(Tool &tool, bool gsm)
{
    QVERIFY(tool.waitForRecord(Record::Factory));
    QCOMPARE(tool.page.index(Setting::Enable, Port::Rs232), 1);
    QCOMPARE(tool.page.value(Setting::TcpPort, Port::Rs485), 502);
    QCOMPARE(tool.page.value(Setting::TcpPort, Port::Rs232), 503);
    if (gsm)
        QCOMPARE(tool.page.apn()->text(), QStringLiteral("internet"));
}

static QString headerSheet(Tool &tool, Panel::Control header)
{
    return tool.panel.label(header)->styleSheet();
}

static int visibleInformationWindows()
{
    return visibleWindows("DevInfo").size();
}

class TestLinkRoutes : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSupport::clearSettings(); }
    void cleanup()
    {
        for (QWidget *window : visibleWindows("DevInfo"))
            window->close();
    }

    void ethernetRouteLife()
    {
        TestSupport::MessageBoxAnswerer boxes;
        auto device = startDevice({}, Record::Factory);
        QVERIFY(device);
        Tool tool(eEthernetModem);
        QVERIFY(tool.isIdle());

        tool.connectEthernet(device->configPort());
        QVERIFY(tool.waitForStatus(QStringLiteral("Tcp Connected")));
        QCOMPARE(device->received(Endpoint::ConfigService), Frames{ReadAll});
        verifyFactoryRecordShown(tool, false);
        QVERIFY(tool.pageEnabled());
        QVERIFY(tool.commandsEnabled(true, true, true));
        QVERIFY(!tool.modelActionsEnabled());
        QCOMPARE(headerSheet(tool, Panel::EthernetHeader), QStringLiteral("background-color:green"));
        QVERIFY(!tool.panel.control(Panel::ComPorts)->isEnabled());
        QVERIFY(tool.panel.button(Panel::CurrentAddressButton)->isEnabled());

        tool.panel.click(Panel::EthernetButton);
        QVERIFY(tool.waitForStatus(QStringLiteral("Disconnected from TCP")));
        QTRY_COMPARE(device->connectionCount(Endpoint::ConfigService), 0);
        QVERIFY(tool.isIdle());
        QCOMPARE(headerSheet(tool, Panel::EthernetHeader), QStringLiteral("background-color:red"));
        QVERIFY(tool.panel.control(Panel::ComPorts)->isEnabled());

        // Idle again: the same button connects anew and reads the record again.
        tool.panel.click(Panel::EthernetButton);
        QTRY_COMPARE(device->received(Endpoint::ConfigService), (Frames{ReadAll, ReadAll}));
        QTRY_VERIFY(tool.commandsEnabled(true, true, true));
        QCOMPARE(boxes.seen().size(), 0);
    }

    void usbRouteLife()
    {
        TestSupport::MessageBoxAnswerer boxes;
        auto device = startDevice({}, Record::Factory);
        QVERIFY(device);
        QVERIFY(device->usbPath().startsWith(QStringLiteral("/dev/")));
        Tool tool(eEthernetModem);

        // The port listed by its name under /dev (pts/N), as the machine
        // names its ports: the button opens it there.
        const QString portName = device->usbPath().mid(int(qstrlen("/dev/")));
        tool.panel.connectUsb(portName);
        QVERIFY(tool.waitForStatus(QStringLiteral("NoError"))); // the port's own report of the open
        QVERIFY(tool.waitForStatus(QStringLiteral("Connected %1").arg(portName)));
        QCOMPARE(device->received(Endpoint::Usb), Frames{ReadAll});
        verifyFactoryRecordShown(tool, false);
        QVERIFY(tool.pageEnabled());
        QVERIFY(tool.commandsEnabled(true, true, false));
        QVERIFY(!tool.modelActionsEnabled());
        QCOMPARE(headerSheet(tool, Panel::UsbHeader), QStringLiteral("background-color:green"));
        QVERIFY(!tool.panel.entry(Panel::EthernetAddress)->isEnabled());

        tool.panel.click(Panel::UsbButton);
        QVERIFY(tool.waitForStatus(QStringLiteral("Disconnected from USB")));
        QVERIFY(tool.isIdle());
        QCOMPARE(headerSheet(tool, Panel::UsbHeader), QStringLiteral("background-color:red"));
        QVERIFY(tool.panel.entry(Panel::EthernetAddress)->isEnabled());

        // The port is closed: what the device sends now reaches nobody, not
        // even the port opened again, whose first answer is the record.
        device->sendRaw(Endpoint::Usb, "+PING\r\n");
        tool.statusLog.clear();
        tool.connectTo(CommSettings::USB, *device);
        QVERIFY(tool.waitForStatus(QStringLiteral("Connected %1").arg(portName)));
        QTRY_COMPARE(device->received(Endpoint::Usb), (Frames{ReadAll, ReadAll}));
        QVERIFY(!tool.sawStatus(QStringLiteral("Ping -> OK")));
        QCOMPARE(tool.errorTexts(), QStringList());
        QCOMPARE(boxes.seen().size(), 0);
    }

    // The first answer over USB drops a connection of the configuration
    // service that is still waiting for its first answer.
    void usbTakesOverFromEthernetAttempt()
    {
        TestSupport::MessageBoxAnswerer boxes;
        ScriptedPeer service; // answers nothing
        auto device = startDevice({}, Record::Factory);
        QVERIFY(device);
        Tool tool(eEthernetModem);

        tool.connectEthernet(service.port());
        QVERIFY(service.waitForConnection());
        QTRY_COMPARE(service.received, Frames{ReadAll});
        QVERIFY(tool.commandsEnabled(false, false, false));

        tool.window.openSerialPort(device->usbPath());
        QTRY_VERIFY(!service.hasConnection());
        QVERIFY(tool.sawStatus(QStringLiteral("Connected %1").arg(device->usbPath().mid(5))));
        QCOMPARE(headerSheet(tool, Panel::UsbHeader), QStringLiteral("background-color:green"));
        QVERIFY(tool.commandsEnabled(true, true, false));
        QVERIFY(tool.pageEnabled());
        QCOMPARE(boxes.seen().size(), 0);
    }

    void dataPortRouteLife_data()
    {
        QTest::addColumn<CommSettings::eRoute_t>("route");
        QTest::addColumn<Panel::Control>("button");
        QTest::addColumn<QString>("connectedText");
        QTest::addColumn<QString>("disconnectedText");
        QTest::newRow("RS-232") << CommSettings::TCP232 << Panel::Button232 << "Tcp 232 Port Connected"
                                << "Disconnected from TCP 232 Port";
        QTest::newRow("RS-485") << CommSettings::TCP485 << Panel::Button485 << "Tcp 485 Port Connected"
                                << "Disconnected from TCP 485 Port";
    }

    void dataPortRouteLife()
    {
        QFETCH(CommSettings::eRoute_t, route);
        QFETCH(Panel::Control, button);
        QFETCH(QString, connectedText);
        QFETCH(QString, disconnectedText);

        TestSupport::MessageBoxAnswerer boxes;
        auto device = startDevice({}, Record::Factory);
        QVERIFY(device);
        const Endpoint endpoint = endpointFor(route);
        Tool tool(eGsmModem);
        QElapsedTimer sinceConnect;
        tool.connectTo(route, *device);
        sinceConnect.start();

        // Active as soon as the socket connects, before any answer.
        QVERIFY(tool.waitForStatus(connectedText));
        QVERIFY(tool.commandsEnabled(true, true, true));
        QVERIFY(!tool.modelActionsEnabled());
        QVERIFY(tool.pageEnabled());
        QCOMPARE(tool.panel.button(button)->text(), QStringLiteral("Disconnect"));
        QVERIFY(device->received(endpoint).isEmpty());

        // The record is asked for half a second later.
        QTRY_COMPARE(device->received(endpoint), Frames{ReadAll});
        QVERIFY2(sinceConnect.elapsed() >= 450, qPrintable(QString::number(sinceConnect.elapsed())));
        verifyFactoryRecordShown(tool, true);

        QVERIFY(tool.waitForStatus(QStringLiteral("Connected Succesfully"), 10000));
        QVERIFY2(sinceConnect.elapsed() >= CoarseEight, qPrintable(QString::number(sinceConnect.elapsed())));

        tool.panel.click(button);
        QVERIFY(tool.waitForStatus(disconnectedText));
        QTRY_COMPARE(device->connectionCount(endpoint), 0);
        QVERIFY(tool.isIdle());
        QCOMPARE(tool.panel.button(button)->text(), QStringLiteral("Connect"));
        QVERIFY(tool.panel.button(button)->isEnabled());
        QCOMPARE(headerSheet(tool, Panel::DataHeader), QStringLiteral("background-color:red"));
        QCOMPARE(boxes.seen().size(), 0);
    }

    void oneRouteAtATime()
    {
        TestSupport::MessageBoxAnswerer boxes;
        auto device = startDevice({}, Record::Factory);
        QVERIFY(device);
        Tool tool(eEthernetModem);
        tool.connectEthernet(device->configPort());
        QVERIFY(tool.waitForStatus(QStringLiteral("Tcp Connected")));
        const QStringList logBefore = tool.statusLog;

        tool.window.OpenTcp232Communication(Loopback, device->port232());
        tool.window.OpenTcp485Communication(Loopback, device->port485());
        tool.window.OpenTcpCommunication(Loopback, device->configPort());
        tool.window.openSerialPort(device->usbPath());
        // A round trip on the route in use: the refused routes would have
        // reached the device by the time its answer is back.
        tool.trigger(Command::Ping);
        QVERIFY(tool.waitForStatus(QStringLiteral("Ping -> OK")));
        QCOMPARE(device->connectionCount(Endpoint::Rs232), 0);
        QCOMPARE(device->connectionCount(Endpoint::Rs485), 0);
        QCOMPARE(device->connectionCount(Endpoint::ConfigService), 1);
        QCOMPARE(device->received(Endpoint::ConfigService), (Frames{ReadAll, "AT+PING\r\n"}));
        QVERIFY(device->received(Endpoint::Usb).isEmpty());
        QCOMPARE(tool.statusLog, logBefore + QStringList{"Ping -> OK"});
        QCOMPARE(headerSheet(tool, Panel::EthernetHeader), QStringLiteral("background-color:green"));
        QCOMPARE(boxes.seen().size(), 0);
    }

    void deviceCommands_data() { addRouteRows(); }

    // Each menu command writes its frame on the active route's channel only;
    // the replies come back to the user. PING has no meaning over USB.
    void deviceCommands()
    {
        QFETCH(CommSettings::eRoute_t, route);
        const Endpoint endpoint = endpointFor(route);

        TestSupport::MessageBoxAnswerer boxes;
        auto device = startDevice({}, Record::Factory);
        QVERIFY(device);
        Tool tool(modelFor(route));
        tool.connectTo(route, *device);
        QTRY_COMPARE(device->received(endpoint), Frames{ReadAll});
        verifyFactoryRecordShown(tool, isDataPort(route));

        tool.action(Command::GetInfo)->trigger();
        QTRY_COMPARE(visibleInformationWindows(), 1);
        Frames expected{ReadAll, ReadInfo};
        QCOMPARE(device->received(endpoint), expected);

        // The slot itself: the action is disabled over USB. What went out
        // over USB shows with the restart request below.
        tool.window.Ping_Triggered();
        if (route != CommSettings::USB) {
            expected << "AT+PING\r\n";
            QVERIFY(tool.waitForStatus(QStringLiteral("Ping -> OK")));
            QCOMPARE(device->received(endpoint), expected);
        }

        tool.action(Command::Restart)->trigger();
        expected << "AT+RESTART\r\n";
        QVERIFY(tool.waitForStatus(QStringLiteral("Device Restarted!")));
        QCOMPARE(device->received(endpoint), expected);

        // Nothing went anywhere else.
        for (Endpoint other : {Endpoint::ConfigService, Endpoint::Usb, Endpoint::Rs232, Endpoint::Rs485}) {
            if (other != endpoint)
                QVERIFY(device->received(other).isEmpty());
        }
        QCOMPARE(boxes.seen().size(), 0);
    }

    // The restart acknowledgement on the configuration service makes the tool
    // close that connection itself; on a data port it closes nothing.
    void restartAcknowledgement_data()
    {
        QTest::addColumn<CommSettings::eRoute_t>("route");
        QTest::addColumn<bool>("closed");
        QTest::newRow("configuration service") << CommSettings::TCP << true;
        QTest::newRow("RS-232 data port") << CommSettings::TCP232 << false;
    }

    void restartAcknowledgement()
    {
        QFETCH(CommSettings::eRoute_t, route);
        QFETCH(bool, closed);

        TestSupport::MessageBoxAnswerer boxes;
        ScriptedPeer device; // acknowledges and leaves the connection open
        device.replies.insert(ReadAll, "+OK\r\n");
        device.replies.insert("AT+RESTART\r\n", "+RESTART\r\n");
        Tool tool(modelFor(route));
        tool.connectRoute(route, device.port());
        QTRY_VERIFY(tool.commandsEnabled(true, true, true));
        QTRY_COMPARE(device.received, Frames{ReadAll});

        tool.action(Command::Restart)->trigger();
        QVERIFY(tool.waitForStatus(QStringLiteral("Device Restarted!")));
        if (closed) {
            QTRY_VERIFY(!device.hasConnection());
        } else {
            // The connection still carries requests.
            device.replies.insert("AT+PING\r\n", "+PING\r\n");
            tool.trigger(Command::Ping);
            QVERIFY(tool.waitForStatus(QStringLiteral("Ping -> OK")));
            QVERIFY(device.hasConnection());
        }
        QCOMPARE(device.received.mid(0, 2), (Frames{ReadAll, "AT+RESTART\r\n"}));
        QCOMPARE(tool.sawStatus(QStringLiteral("Disconnected from TCP")), closed);
        QCOMPARE(tool.commandsEnabled(false, false, false), closed);
        QCOMPARE(boxes.seen().size(), 0);
    }

    void abortButtons_data()
    {
        QTest::addColumn<CommSettings::eRoute_t>("route");
        QTest::addColumn<Panel::Control>("abortButton");
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QString>("statusText");
        QTest::addColumn<QString>("acknowledgement");
        QTest::newRow("RS-485 closed over RS-232") << CommSettings::TCP232 << Panel::Abort485
                                                   << QByteArray("AT+485CLOSE\r\n") << "Tcp 485 Port Closed"
                                                   << "485 Closed";
        QTest::newRow("RS-232 closed over RS-485") << CommSettings::TCP485 << Panel::Abort232
                                                   << QByteArray("AT+232CLOSE\r\n") << "Tcp 232 Port Closed"
                                                   << "232 Closed";
    }

    // The device closes a data port on request over the other one; the
    // connection that carried the request stays up.
    void abortButtons()
    {
        QFETCH(CommSettings::eRoute_t, route);
        QFETCH(Panel::Control, abortButton);
        QFETCH(QByteArray, frame);
        QFETCH(QString, statusText);
        QFETCH(QString, acknowledgement);

        TestSupport::MessageBoxAnswerer boxes;
        auto device = startDevice({}, Record::Factory);
        QVERIFY(device);
        const Endpoint endpoint = endpointFor(route);
        Tool tool(eGsmModem);
        tool.connectTo(route, *device);
        QTRY_COMPARE(device->received(endpoint), Frames{ReadAll});

        QVERIFY(tool.panel.button(abortButton)->isEnabled());
        tool.panel.click(abortButton);
        QVERIFY(tool.sawStatus(statusText));
        QTRY_COMPARE(device->received(endpoint), (Frames{ReadAll, frame}));
        QVERIFY(tool.waitForStatus(acknowledgement));
        QCOMPARE(device->connectionCount(endpoint), 1);
        QVERIFY(tool.commandsEnabled(true, true, true));
        QCOMPARE(boxes.seen().size(), 0);
    }

    // Without the other data port's connection the request cannot go out;
    // the user is told so and still sees the abort text.
    void abortWithoutCarrier()
    {
        TestSupport::MessageBoxAnswerer boxes;
        Tool tool(eGsmModem);
        tool.panel.click(Panel::Abort232);
        QCOMPARE(tool.statusLog, (QStringList{"Cannot write via TCP", "Tcp 232 Port Closed"}));
        tool.panel.click(Panel::Abort485);
        QCOMPARE(tool.statusLog.mid(2), (QStringList{"Cannot write via TCP", "Tcp 485 Port Closed"}));
        QCOMPARE(boxes.seen().size(), 0);
    }

    void restartAcknowledgementWithMoreReplies_data()
    {
        QTest::addColumn<CommSettings::eRoute_t>("route");
        QTest::addColumn<bool>("closed");
        QTest::newRow("configuration service") << CommSettings::TCP << true;
        QTest::newRow("RS-485 data port") << CommSettings::TCP485 << false;
    }

    // Replies that come in the same read as a restart acknowledgement: on
    // the configuration service the acknowledgement closes the connection
    // and they go with it; on a data port, which stays open, each is
    // handled.
    void restartAcknowledgementWithMoreReplies()
    {
        QFETCH(CommSettings::eRoute_t, route);
        QFETCH(bool, closed);

        TestSupport::MessageBoxAnswerer boxes;
        ScriptedPeer device;
        device.replies.insert(ReadAll, "+OK\r\n");
        device.replies.insert("AT+RESTART\r\n", "+RESTART\r\n+PING\r\n+232CLOSE\r\n");
        Tool tool(modelFor(route));
        tool.connectRoute(route, device.port());
        QTRY_VERIFY(tool.commandsEnabled(true, true, true));
        QTRY_COMPARE(device.received, Frames{ReadAll});

        tool.trigger(Command::Restart);
        QVERIFY(tool.waitForStatus(QStringLiteral("Device Restarted!")));
        if (closed) {
            QTRY_VERIFY(!device.hasConnection());
            QVERIFY(tool.sawStatus(QStringLiteral("Disconnected from TCP")));
            QVERIFY(!tool.sawStatus(QStringLiteral("Ping -> OK")));
            QVERIFY(!tool.sawStatus(QStringLiteral("232 Closed")));
            QVERIFY(tool.isIdle());
        } else {
            QVERIFY(tool.waitForStatus(QStringLiteral("232 Closed")));
            QVERIFY(tool.sawStatus(QStringLiteral("Ping -> OK")));
            QVERIFY(tool.routeUp());
        }
        QCOMPARE(tool.errorTexts(), QStringList());
        QCOMPARE(boxes.seen().size(), 0);
    }

    // USB opened again while it waits for its first answer: the port is
    // closed and opened anew, each open asks for the record once, and the
    // route comes up once, on the answer to the last request.
    void usbReopenedWhileWaiting()
    {
        TestSupport::MessageBoxAnswerer boxes;
        devsim::Faults silent;
        silent.silentAfter = 0;
        auto device = startDevice(silent, Record::Factory);
        QVERIFY(device);
        Tool tool(eEthernetModem);
        const QString connected = QStringLiteral("Connected %1").arg(device->usbPath().mid(5));

        tool.connectTo(CommSettings::USB, *device);
        QTRY_COMPARE(device->received(Endpoint::Usb), Frames{ReadAll});
        QVERIFY(!tool.routeUp());
        tool.panel.click(Panel::UsbButton); // the panel asks again: not connected yet
        tool.connectTo(CommSettings::USB, *device);
        QTRY_COMPARE(device->received(Endpoint::Usb), (Frames{ReadAll, ReadAll}));
        QVERIFY(!tool.sawStatus(connected));

        device->setFaults({});
        tool.connectTo(CommSettings::USB, *device);
        QVERIFY(tool.waitForStatus(connected));
        QVERIFY(tool.waitForRecord(Record::Factory));
        QCOMPARE(device->received(Endpoint::Usb), (Frames{ReadAll, ReadAll, ReadAll}));
        QCOMPARE(tool.statusCount(connected), 1);
        QVERIFY(tool.routeUp());
        QCOMPARE(tool.errorTexts(), QStringList());
        QCOMPARE(boxes.seen().size(), 0);
    }

    // ETHERNET pressed again while the tool waits for the device's first
    // answer: the connection in hand is kept and asked again, and the one
    // answer that comes brings the route up once.
    void ethernetPressedAgainWhileConnecting()
    {
        TestSupport::MessageBoxAnswerer boxes;
        ScriptedPeer device; // answers nothing yet
        Tool tool(eEthernetModem);
        tool.connectEthernet(device.port());
        QVERIFY(device.waitForConnection());
        QTRY_COMPARE(device.received, Frames{ReadAll});
        QVERIFY(!tool.routeUp());

        tool.panel.click(Panel::EthernetButton);
        QTRY_COMPARE(device.received, (Frames{ReadAll, ReadAll}));
        QVERIFY(device.hasConnection());
        QVERIFY(!tool.routeUp());

        device.replies.insert("AT+PING\r\n", "+PING\r\n");
        device.replies.insert(ReadAll, "+OK\r\n");
        tool.panel.click(Panel::EthernetButton);
        QVERIFY(tool.waitForStatus(QStringLiteral("Tcp Connected")));
        QCOMPARE(tool.statusCount(QStringLiteral("Tcp Connected")), 1);
        QVERIFY(tool.routeUp());
        tool.trigger(Command::Ping);
        QVERIFY(tool.waitForStatus(QStringLiteral("Ping -> OK")));
        QCOMPARE(device.received, (Frames{ReadAll, ReadAll, ReadAll, "AT+PING\r\n"}));
        QCOMPARE(boxes.seen().size(), 0);
    }
};

TELVOR_TEST_MAIN(TestLinkRoutes)
#include "tst_linkroutes.moc"
