// How the main window's device link fails: refused connections, devices that
// never answer (the ten-second supervision of every route), a request without
// a route, serial-port failures, and the names of the platform's errors.

#include "devicetest.h"
#include "testsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

using namespace DeviceTest;

class TestLinkSupervision : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSupport::clearSettings(); }

    void refusedConnect_data()
    {
        QTest::addColumn<CommSettings::eRoute_t>("route");
        QTest::addColumn<bool>("warned");
        QTest::newRow("configuration service: the error name only") << CommSettings::TCP << false;
        QTest::newRow("RS-232 data port: name and warning") << CommSettings::TCP232 << true;
        QTest::newRow("RS-485 data port: name and warning") << CommSettings::TCP485 << true;
    }

    void refusedConnect()
    {
        QFETCH(CommSettings::eRoute_t, route);
        QFETCH(bool, warned);

        TestSupport::MessageBoxAnswerer boxes;
        if (warned)
            boxes.expect(QMessageBox::Ok, QStringLiteral("Uyarı !"));
        Tool tool(modelFor(route));
        tool.connectRoute(route, closedPort());

        QVERIFY(tool.waitForStatus(QStringLiteral("ConnectionRefusedError")));
        QElapsedTimer shown;
        shown.start();
        if (warned) {
            QVERIFY(boxes.waitForBoxes(1));
            QCOMPARE(boxes.seen().first().text,
                     QStringLiteral("Bağlantı Sağlanamadı. IP ve Port Adresinizi Kontrol Edin."));
            const QAbstractButton *button = tool.panel.button(Panel::buttonOf(route));
            QVERIFY(button->isEnabled());
            QCOMPARE(button->text(), QStringLiteral("Connect"));
            QCOMPARE(tool.panel.control(Panel::DataHeader)->styleSheet(),
                     QStringLiteral("background-color:red"));
        }
        QTest::qWait(qMax(0, 2000 - int(shown.elapsed())));
        QCOMPARE(tool.status(), QStringLiteral("ConnectionRefusedError"));
        QTRY_COMPARE_WITH_TIMEOUT(tool.status(), QString(), 2500);
        QCOMPARE(boxes.seen().size(), warned ? 1 : 0);
        QVERIFY(tool.isIdle());
    }

    // Devices that never answer, supervised side by side: the configuration
    // service is dropped, USB is closed, and a data port stays up with one
    // warning. A USB port that failed and was closed meanwhile is not
    // supervised any more.
    void silentDevices()
    {
        TestSupport::MessageBoxAnswerer boxes;
        boxes.expect(QMessageBox::Ok, QStringLiteral("Critical Error"));
        boxes.expect(QMessageBox::Ok, QStringLiteral("Uyarı !"));
        ScriptedPeer service;
        devsim::Faults silent;
        silent.silentAfter = 0;
        auto usbDevice = startDevice(silent);
        auto failingUsbDevice = startDevice(silent);
        auto gsmDevice = startDevice(silent);
        QVERIFY(usbDevice && failingUsbDevice && gsmDevice);
        Tool ethernet(eEthernetModem);
        Tool usb(eEthernetModem);
        Tool failingUsb(eEthernetModem);
        Tool gsm(eGsmModem);

        QElapsedTimer clock;
        clock.start();
        ethernet.connectEthernet(service.port());
        usb.window.openSerialPort(usbDevice->usbPath());
        failingUsb.window.openSerialPort(failingUsbDevice->usbPath());
        gsm.connectDataPort(CommSettings::TCP232, gsmDevice->port232());
        QTRY_COMPARE(service.received, Frames{ReadAll});
        QCOMPARE(usbDevice->received(Endpoint::Usb), Frames{ReadAll});
        QCOMPARE(failingUsbDevice->received(Endpoint::Usb), Frames{ReadAll});
        QTRY_COMPARE(gsmDevice->received(Endpoint::Rs232), Frames{ReadAll});
        QVERIFY(service.hasConnection());
        failingUsbDevice->stop();
        QVERIFY(boxes.waitForBoxes(1));
        QVERIFY(failingUsb.sawStatus(QStringLiteral("Disconnected from USB")));

        QVERIFY(boxes.waitForBoxes(2, 12000));
        QVERIFY2(clock.elapsed() >= 9500, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(boxes.seen().at(1).text, QStringLiteral("Cihazdan veri alınamadı !"));
        QTRY_VERIFY(!service.hasConnection());
        QTRY_VERIFY(usb.sawStatus(QStringLiteral("Cannot connect over USB")));
        QTest::qWait(500);
        QCOMPARE(boxes.seen().size(), 2);
        QVERIFY(!failingUsb.sawStatus(QStringLiteral("Cannot connect over USB")));

        // The configuration service was aborted; the route never came up.
        QVERIFY(!service.hasConnection());
        QVERIFY(ethernet.sawStatus(QStringLiteral("Disconnected from TCP")));
        QVERIFY(!ethernet.sawStatus(QStringLiteral("Tcp Connected")));
        QVERIFY(ethernet.isIdle());

        // USB was closed: what the device sends now reaches nobody.
        usbDevice->sendRaw(Endpoint::Usb, "+OK\r\n");
        QTest::qWait(200);
        QVERIFY(!usb.sawStatus(QStringLiteral("Successfully written")));
        QVERIFY(usb.commandsEnabled(false, false, false));
        QVERIFY(!usb.pageEnabled());

        // The data port stayed up all along.
        QVERIFY(gsm.sawStatus(QStringLiteral("Connected Succesfully")));
        QCOMPARE(gsmDevice->connectionCount(Endpoint::Rs232), 1);
        QVERIFY(gsm.commandsEnabled(true, true, true));
    }

    // A request while no route is up goes nowhere, and the user is told to
    // connect first until another text replaces it.
    void requestWithoutRoute()
    {
        TestSupport::MessageBoxAnswerer boxes;
        Tool tool(eEthernetModem);
        tool.panel.click(Panel::CurrentAddressButton);
        QCOMPARE(tool.status(), QStringLiteral("Önce bağlantı sağlayın !! "));
        QTest::qWait(1500);
        QCOMPARE(tool.status(), QStringLiteral("Önce bağlantı sağlayın !! "));
        QCOMPARE(boxes.seen().size(), 0);
    }

    // A port that hangs up keeps failing on every read attempt. The tool
    // closes it and says so in one box.
    void serialFailureReportedOnce()
    {
        TestSupport::MessageBoxAnswerer boxes;
        auto device = startDevice({}, Record::Factory);
        QVERIFY(device);
        Tool tool(eEthernetModem);
        tool.window.openSerialPort(device->usbPath());
        QTRY_VERIFY(tool.commandsEnabled(true, true, false));

        boxes.expect(QMessageBox::Ok, QStringLiteral("Critical Error"));
        device->stop();
        QVERIFY(boxes.waitForBoxes(1));
        QTest::qWait(1000);
        QCOMPARE(boxes.seen().size(), 1);
        QVERIFY(!boxes.seen().first().text.isEmpty());

        const int closedAt = tool.statusLog.indexOf(QStringLiteral("Disconnected from USB"));
        QVERIFY(closedAt >= 0);
        const QString errorName = tool.statusLog.value(closedAt + 1);
        QVERIFY2(errorName == QLatin1String("ReadError") || errorName == QLatin1String("ResourceError"),
                 qPrintable(errorName));
        QVERIFY(tool.isIdle());
        QCOMPARE(tool.panel.control(Panel::UsbHeader)->styleSheet(), QStringLiteral("background-color:red"));
    }

    void serialOpenFailure()
    {
        TestSupport::MessageBoxAnswerer boxes;
        boxes.expect(QMessageBox::Ok, QStringLiteral("Critical Error"));
        Tool tool(eEthernetModem);
        tool.window.openSerialPort(QStringLiteral("/dev/telvor-no-such-port"));
        QVERIFY(boxes.waitForBoxes(1));
        QCOMPARE(tool.status(), QStringLiteral("DeviceNotFoundError"));
        QVERIFY(!tool.pageEnabled());
        QVERIFY(tool.commandsEnabled(false, false, false));
    }

    void socketErrorNames_data()
    {
        QTest::addColumn<CommSettings::eRoute_t>("route");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("text");
        QTest::newRow("service, network error") << CommSettings::TCP << 7 << "Connection closed by server.";
        QTest::newRow("RS-232, network error") << CommSettings::TCP232 << 7 << "NetworkError";
        QTest::newRow("RS-485, network error") << CommSettings::TCP485 << 7 << "NetworkError";
        QTest::newRow("service, first entry") << CommSettings::TCP << 0 << "ConnectionRefusedError";
        QTest::newRow("RS-485, last entry") << CommSettings::TCP485 << 22 << "TemporaryError";
        QTest::newRow("service, unknown") << CommSettings::TCP << -1 << "UnknownSocketError";
        QTest::newRow("RS-232, unknown") << CommSettings::TCP232 << -1 << "UnknownSocketError";
        QTest::newRow("service, past the table") << CommSettings::TCP << 24 << "UnknownSocketError";
        QTest::newRow("RS-232, far past the table") << CommSettings::TCP232 << 100000 << "UnknownSocketError";
        QTest::newRow("RS-485, below the table") << CommSettings::TCP485 << -7 << "UnknownSocketError";
    }

    void socketErrorNames()
    {
        QFETCH(CommSettings::eRoute_t, route);
        QFETCH(int, error);
        QFETCH(QString, text);

        TestSupport::MessageBoxAnswerer boxes;
        Tool tool(eEthernetModem);
        const auto err = QAbstractSocket::SocketError(error);
        if (route == CommSettings::TCP)
            tool.window.TcpError(err);
        else if (route == CommSettings::TCP232)
            tool.window.Tcp232Error(err);
        else
            tool.window.Tcp485Error(err);
        QCOMPARE(tool.status(), text);
        QCOMPARE(boxes.seen().size(), 0);
    }

    // Serial errors are named from their table; a value outside it is an
    // unknown error. The first failure opens the box, later ones until the
    // next open only name themselves.
    void serialErrorNames()
    {
        TestSupport::MessageBoxAnswerer boxes;
        Tool tool(eEthernetModem);
        tool.window.SerialErrorHandle(QSerialPort::NoError);
        QCOMPARE(tool.status(), QStringLiteral("NoError"));
        QCOMPARE(boxes.seen().size(), 0);

        boxes.expect(QMessageBox::Ok, QStringLiteral("Critical Error"));
        tool.window.SerialErrorHandle(QSerialPort::SerialPortError(99));
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(tool.status(), QStringLiteral("UnknownError"));

        tool.window.SerialErrorHandle(QSerialPort::NotOpenError);
        QCOMPARE(tool.status(), QStringLiteral("NotOpenError"));
        tool.window.SerialErrorHandle(QSerialPort::SerialPortError(-1));
        QCOMPARE(tool.status(), QStringLiteral("UnknownError"));
        QCOMPARE(boxes.seen().size(), 1);
    }
};

TELVOR_TEST_MAIN(TestLinkSupervision)
#include "tst_linksupervision.moc"
