// Configuring a device end to end through the main window: reading the port
// record, editing both ports on the page, confirming, and reading back from
// the simulated device exactly what was written, on the Ethernet and on the
// GSM command set; the confirmations that stop or redirect a write; and the
// network window over the link.

#include "devicetest.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QtTest>

using namespace DeviceTest;
// The simulated device's factory record on the Ethernet command set.
static const QByteArray FactoryEthernetRecord("1,502,0,8,0,1,5,8,400,100,0,1,503,0,8,0,1,5,8,400,100,0,0");

static QWidget *networkWindow()
{
    return visibleWindows("StaticIpConfig").value(0);
}

// The network window on screen, driven; ends the program when none shows.
static NetworkWindow shownNetworkWindow()
{
    QWidget *window = networkWindow();
    if (!window)
        qFatal("No network window is shown");
    return NetworkWindow(*window);
}

// Applies the edited page with Yes to the change question: the device receives
// the record's values as written and stores them, and the user is told.
static void applyConfirmed(Session &s, TestSupport::MessageBoxAnswerer &boxes, const QByteArray &written)
{
    boxes.expect(QMessageBox::Yes, QStringLiteral("Dikkat !"));
    s.tool.page.click(Setting::ApplyButton);
    QTRY_COMPARE(s.device->received(s.endpoint), (Frames{ReadAll, "AT+WRITEALL=" + written + "\r\n"}));
    QVERIFY(s.tool.waitForStatus(QStringLiteral("Successfully written")));
    QCOMPARE(s.device->portRecord(s.endpoint), written);
}

class TestLinkConfig : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSupport::clearSettings(); }

    void ethernetRoundTrip()
    {
        TestSupport::MessageBoxAnswerer boxes;
        Session s(CommSettings::TCP, {}, Record::Factory);
        QVERIFY(s.ready);

        s.tool.page.choose(Setting::Baud, Port::Rs485, 7);            // 38400
        s.tool.typeNumber(Setting::ModbusTimeout, Port::Rs485, 1250); // ms
        s.tool.page.choose(Setting::Parity, Port::Rs232, 2);          // even
        s.tool.page.choose(Setting::Mode, Port::Rs232, 4); // full transparent: silent interval in ms
        s.tool.typeNumber(Setting::SilentInterval, Port::Rs232, 1234); // to the 10 ms step
        s.tool.typeNumber(Setting::EthTimeout, Port::Rs232, 5);        // min
        QTest::keyClick(s.tool.page.infoResponse(), Qt::Key_Space);
        QCOMPARE(s.tool.page.value(Setting::SilentInterval, Port::Rs232), 1230);

        applyConfirmed(s, boxes, "1,502,0,8,0,1,7,8,400,1250,0,1,503,4,8,2,1,5,8,1230,100,5,1");
        if (QTest::currentTestFailed())
            return;

        // A second tool reads back what the first one wrote.
        s.tool.panel.click(Panel::EthernetButton);
        QVERIFY(s.tool.waitForStatus(QStringLiteral("Disconnected from TCP")));
        Tool reader(eEthernetModem);
        reader.connectEthernet(s.device->configPort());
        QTRY_COMPARE(reader.page.index(Setting::Baud, Port::Rs485), 7);
        QCOMPARE(reader.page.value(Setting::ModbusTimeout, Port::Rs485), 1250);
        QCOMPARE(reader.page.index(Setting::Parity, Port::Rs232), 2);
        QCOMPARE(reader.page.index(Setting::Mode, Port::Rs232), 4);
        QCOMPARE(reader.page.value(Setting::SilentInterval, Port::Rs232), 1230);
        QCOMPARE(reader.page.value(Setting::EthTimeout, Port::Rs232), 5);
        QVERIFY(reader.page.infoResponse()->isChecked());
        QCOMPARE(boxes.seen().size(), 1);
    }

    void gsmRoundTrip()
    {
        TestSupport::MessageBoxAnswerer boxes;
        Session s(CommSettings::TCP232, {}, Record::Factory);
        QVERIFY(s.ready);
        QTRY_COMPARE(s.tool.page.apn()->text(), QStringLiteral("internet"));

        // On the RS-232 data port its own serial settings are open; of the
        // RS-485 port only the enable and the TCP port.
        s.tool.page.choose(Setting::Baud, Port::Rs232, 9);           // 115200
        s.tool.typeNumber(Setting::RetryCount, Port::Rs232, 2);      // the interval is now in seconds
        s.tool.typeNumber(Setting::CommandInterval, Port::Rs232, 5); // 5 s
        s.tool.typeNumber(Setting::PingInterval, Port::Rs232, 10);   // 10 min
        s.tool.typeNumber(Setting::TcpPort, Port::Rs485, 1502);
        boxes.expect(QMessageBox::Ok, QStringLiteral("Uyarı !")); // the APN change warning
        typeInto(s.tool.page.apn(), QStringLiteral("telvor.apn"));
        QTRY_COMPARE(boxes.seen().size(), 1);

        applyConfirmed(s, boxes,
                       "1,1502,0,8,0,1,5,8,400,100,0,0,100,120,"
                       "1,503,0,8,0,1,9,8,400,100,0,2,5000,600,telvor.apn,0");
        if (QTest::currentTestFailed())
            return;

        // Read back over the other data port.
        s.tool.panel.click(Panel::Button232);
        QVERIFY(s.tool.waitForStatus(QStringLiteral("Disconnected from TCP 232 Port")));
        Tool reader(eGsmModem);
        reader.connectDataPort(CommSettings::TCP485, s.device->port485());
        QTRY_COMPARE(reader.page.apn()->text(), QStringLiteral("telvor.apn"));
        QCOMPARE(reader.page.value(Setting::TcpPort, Port::Rs485), 1502);
        QCOMPARE(reader.page.index(Setting::Baud, Port::Rs232), 9);
        QCOMPARE(reader.page.value(Setting::RetryCount, Port::Rs232), 2);
        QCOMPARE(reader.page.value(Setting::CommandInterval, Port::Rs232), 5);
        QCOMPARE(reader.page.value(Setting::PingInterval, Port::Rs232), 10);
        QCOMPARE(boxes.seen().size(), 2);
    }

    // A page never filled from the device writes the form's own values, after
    // the change question; the device here only acknowledges.
    void writeAllOfUnfilledPage_data()
    {
        QTest::addColumn<CommSettings::eRoute_t>("route");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("configuration service")
            << CommSettings::TCP
            << QByteArray("AT+WRITEALL=0,0,0,8,0,1,0,8,400,100,0,0,0,0,8,0,1,0,8,400,100,0,0\r\n");
        QTest::newRow("RS-232 data port") << CommSettings::TCP232
                                          << QByteArray("AT+WRITEALL=0,0,0,8,0,1,0,8,400,100,0,0,10,120,0,0,"
                                                        "0,8,0,1,0,8,400,100,0,0,10,120,,0\r\n");
    }

    void writeAllOfUnfilledPage()
    {
        QFETCH(CommSettings::eRoute_t, route);
        QFETCH(QByteArray, frame);

        TestSupport::MessageBoxAnswerer boxes;
        ScriptedPeer device;
        device.replies.insert(ReadAll, "+OK\r\n");
        Tool tool(modelFor(route));
        tool.connectRoute(route, device.port());
        QTRY_COMPARE(device.received, Frames{ReadAll});
        QVERIFY(tool.waitForStatus(QStringLiteral("Successfully written")));

        boxes.expect(QMessageBox::Yes, QStringLiteral("Dikkat !"));
        tool.page.click(Setting::ApplyButton);
        QTRY_COMPARE(device.received, (Frames{ReadAll, frame}));
        QCOMPARE(boxes.seen().size(), 1);
    }

    // Apply right after a read writes the record as read, without asking.
    void applyRightAfterRead()
    {
        TestSupport::MessageBoxAnswerer boxes;
        Session s(CommSettings::USB, {}, Record::Factory);
        QVERIFY(s.ready);

        s.tool.page.click(Setting::ApplyButton);
        QTRY_COMPARE(s.device->received(Endpoint::Usb),
                     (Frames{ReadAll, "AT+WRITEALL=" + FactoryEthernetRecord + "\r\n"}));
        QVERIFY(s.tool.waitForStatus(QStringLiteral("Successfully written")));
        QCOMPARE(boxes.seen().size(), 0);
    }

    // No to the change question discards the edits: the record is read again
    // and refills the page.
    void declinedChangeReadsAgain()
    {
        TestSupport::MessageBoxAnswerer boxes;
        Session s(CommSettings::TCP, {}, Record::Factory);
        QVERIFY(s.ready);

        s.tool.page.choose(Setting::Baud, Port::Rs485, 2);
        boxes.expect(QMessageBox::No, QStringLiteral("Dikkat !"));
        s.tool.page.click(Setting::ApplyButton);
        QTRY_COMPARE(s.device->received(Endpoint::ConfigService), (Frames{ReadAll, ReadAll}));
        QVERIFY(s.tool.waitForRecord(Record::Factory));
        QCOMPARE(s.device->portRecord(Endpoint::ConfigService), FactoryEthernetRecord);
        QCOMPARE(boxes.seen().size(), 1);
    }

    // Seven data bits without parity ask per port; one No stops the write
    // even when the other port's warning is answered Yes.
    void sevenBitWarningStopsWrite()
    {
        TestSupport::MessageBoxAnswerer boxes;
        Session s(CommSettings::TCP, {}, Record::Factory);
        QVERIFY(s.ready);

        for (const Port port : {Port::Rs485, Port::Rs232}) {
            s.tool.page.choose(Setting::DataBits, port, 0);
            s.tool.page.choose(Setting::Parity, port, 0);
        }
        boxes.expect(QMessageBox::No, QStringLiteral("RS485 Config Warning"));
        boxes.expect(QMessageBox::Yes, QStringLiteral("RS232 Config Warning"));
        boxes.expect(QMessageBox::Yes, QStringLiteral("Dikkat !"));
        s.tool.page.click(Setting::ApplyButton);
        QVERIFY(boxes.waitForBoxes(3));
        QCOMPARE(boxes.seen().at(0).text,
                 QStringLiteral("7bit Parity None olarak devam etmek istiyor musunuz ?"));
        // A read after the refused write: had the write gone out, it would
        // stand between the two reads.
        s.tool.page.click(Setting::ReadButton);
        QTRY_COMPARE(s.device->received(Endpoint::ConfigService).size(), 2);
        QCOMPARE(s.device->received(Endpoint::ConfigService), (Frames{ReadAll, ReadAll}));
        QCOMPARE(s.device->portRecord(Endpoint::ConfigService), FactoryEthernetRecord);
    }

    // Opening the network window reads the network record once and shows it;
    // over USB a write reaches the device and reads back.
    void networkWindowOverUsb()
    {
        TestSupport::MessageBoxAnswerer boxes;
        Session s(CommSettings::USB, {}, Record::Factory);
        QVERIFY(s.ready);
        QVERIFY(s.tool.pageEnabled());
        QTRY_COMPARE(s.device->received(Endpoint::Usb), Frames{ReadAll});

        s.tool.page.click(Setting::StaticIpButton);
        QTRY_COMPARE(s.device->received(Endpoint::Usb), (Frames{ReadAll, ReadNetwork}));
        QVERIFY(networkWindow());
        QTRY_COMPARE(shownNetworkWindow().entry(NetworkWindow::Address)->text(),
                     QStringLiteral("192.168.1.100"));
        QCOMPARE(shownNetworkWindow().entry(NetworkWindow::MacAddress)->text(),
                 QStringLiteral("00:1E:C0:4A:7B:21"));
        QCOMPARE(shownNetworkWindow().entry(NetworkWindow::SubnetMask)->text(),
                 QStringLiteral("255.255.255.0"));
        QCOMPARE(shownNetworkWindow().entry(NetworkWindow::Gateway)->text(), QStringLiteral("192.168.1.1"));
        QVERIFY(!shownNetworkWindow().dhcp()->isChecked());

        // A second request while it is open changes nothing: the window's
        // own Read is the next frame the device gets.
        s.tool.page.click(Setting::StaticIpButton);
        shownNetworkWindow().entry(NetworkWindow::Address)->clear();
        QTest::mouseClick(shownNetworkWindow().readButton(), Qt::LeftButton);
        QTRY_COMPARE(shownNetworkWindow().entry(NetworkWindow::Address)->text(), QStringLiteral("192.168.1.100"));
        QCOMPARE(s.device->received(Endpoint::Usb), (Frames{ReadAll, ReadNetwork, ReadNetwork}));
        QCOMPARE(visibleWindows("StaticIpConfig").size(), 1);

        auto *address = shownNetworkWindow().entry(NetworkWindow::Address);
        address->selectAll();
        QTest::keyClicks(address, QStringLiteral("10.0.0.50"));
        auto *gateway = shownNetworkWindow().entry(NetworkWindow::Gateway);
        gateway->selectAll();
        QTest::keyClicks(gateway, QStringLiteral("10.0.0.1"));
        shownNetworkWindow().clickApply();
        const QByteArray written("1,10,0,0,50,255,255,255,0,10,0,0,1,8,8,8,8,8,8,4,4");
        QTRY_COMPARE(s.device->received(Endpoint::Usb).value(3), "AT+WRITE_NETWORKCFG=" + written + "\r\n");
        QVERIFY(s.tool.waitForStatus(QStringLiteral("Successfully written")));
        QCOMPARE(s.device->networkRecord(), "00:1E:C0:4A:7B:21," + written);
        QTRY_VERIFY(!networkWindow());

        // Opened again, it reads again and shows what was written.
        s.tool.page.click(Setting::StaticIpButton);
        QTRY_COMPARE(s.device->received(Endpoint::Usb).size(), 5);
        QCOMPARE(s.device->received(Endpoint::Usb).value(4), ReadNetwork);
        QTRY_COMPARE(shownNetworkWindow().entry(NetworkWindow::Address)->text(), QStringLiteral("10.0.0.50"));
        networkWindow()->close();
        QTRY_VERIFY(!networkWindow());
        QCOMPARE(boxes.seen().size(), 0);
    }

    // Over the configuration service the window reads on that connection and
    // only shows the record.
    void networkWindowOverEthernet()
    {
        TestSupport::MessageBoxAnswerer boxes;
        Session s(CommSettings::TCP, {}, Record::Factory);
        QVERIFY(s.ready);
        QVERIFY(s.tool.pageEnabled());

        s.tool.page.click(Setting::StaticIpButton);
        QTRY_COMPARE(s.device->received(Endpoint::ConfigService), (Frames{ReadAll, ReadNetwork}));
        QTRY_COMPARE(shownNetworkWindow().entry(NetworkWindow::Address)->text(),
                     QStringLiteral("192.168.1.100"));
        QVERIFY(shownNetworkWindow().entry(NetworkWindow::Address)->isReadOnly());
        QVERIFY(s.device->received(Endpoint::Usb).isEmpty());
        networkWindow()->close();
        QTRY_VERIFY(!networkWindow());
        QCOMPARE(boxes.seen().size(), 0);
    }

    void networkWindowAfterItsRoute_data()
    {
        QTest::addColumn<bool>("lost");
        QTest::newRow("USB closed by the user") << false;
        QTest::newRow("USB lost") << true;
    }

    // A network window opened over USB only shows the record once USB has
    // gone down, and stays so when the configuration service comes up: an
    // Apply there would change the address of the connection in use. Its
    // Read still works on the new route; the page's button opens a fresh
    // window only once this one is closed.
    void networkWindowAfterItsRoute()
    {
        QFETCH(bool, lost);
        TestSupport::MessageBoxAnswerer boxes;
        Session s(CommSettings::USB, {}, Record::Factory);
        QVERIFY(s.ready);
        auto service = startDevice({}, Record::Factory);
        QVERIFY(service);
        s.tool.page.click(Setting::StaticIpButton);
        QTRY_VERIFY(networkWindow());
        QTRY_COMPARE(shownNetworkWindow().entry(NetworkWindow::Address)->text(), QStringLiteral("192.168.1.100"));
        auto *apply = shownNetworkWindow().applyButton();
        const QList<NetworkWindow::Entry> addresses = NetworkWindow::addressEntries();
        QVERIFY(apply->isEnabled());
        for (const NetworkWindow::Entry entry : addresses)
            QVERIFY2(!shownNetworkWindow().entry(entry)->isReadOnly(), qPrintable(NetworkWindow::nameOf(entry)));

        if (lost) {
            boxes.expect(QMessageBox::Ok, QStringLiteral("Critical Error"));
            s.device->stop();
            QVERIFY(boxes.waitForBoxes(1));
        } else {
            s.tool.disconnect();
        }
        QVERIFY(s.tool.waitForStatus(QStringLiteral("Disconnected from USB")));
        QVERIFY(!apply->isEnabled());
        QVERIFY(apply->toolTip().contains(QStringLiteral("USB")));
        QVERIFY(!shownNetworkWindow().dhcp()->isEnabled());
        for (const NetworkWindow::Entry entry : addresses)
            QVERIFY2(shownNetworkWindow().entry(entry)->isReadOnly(), qPrintable(NetworkWindow::nameOf(entry)));

        s.tool.connectTo(CommSettings::TCP, *service);
        QVERIFY(s.tool.waitForStatus(QStringLiteral("Tcp Connected")));
        QVERIFY(networkWindow());
        QVERIFY(!apply->isEnabled());
        QVERIFY(shownNetworkWindow().entry(NetworkWindow::Address)->isReadOnly());
        QTest::mouseClick(apply, Qt::LeftButton);
        QTest::keyClick(apply, Qt::Key_Space);
        s.tool.page.click(Setting::StaticIpButton);
        QCOMPARE(visibleWindows("StaticIpConfig").size(), 1);
        // The window's Read goes out on the new route; nothing else did.
        QTest::mouseClick(shownNetworkWindow().readButton(), Qt::LeftButton);
        QTRY_COMPARE(service->received(Endpoint::ConfigService).size(), 2);
        QCOMPARE(service->received(Endpoint::ConfigService), (Frames{ReadAll, ReadNetwork}));
        QVERIFY(!apply->isEnabled());

        // Closed, the page's button opens a window of the new route's kind.
        networkWindow()->close();
        QTRY_VERIFY(!networkWindow());
        s.tool.page.click(Setting::StaticIpButton);
        QTRY_VERIFY(networkWindow());
        QTRY_COMPARE(service->received(Endpoint::ConfigService).size(), 3);
        QVERIFY(shownNetworkWindow().entry(NetworkWindow::Address)->isReadOnly());
        QVERIFY(!shownNetworkWindow().applyButton()->isEnabled());
        networkWindow()->close();
        QTRY_VERIFY(!networkWindow());
        QCOMPARE(boxes.seen().size(), lost ? 1 : 0);
        QCOMPARE(boxes.unexpected().size(), 0);
    }
};

TELVOR_TEST_MAIN(TestLinkConfig)
#include "tst_linkconfig.moc"
