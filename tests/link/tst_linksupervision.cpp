// How the main window's device link fails: refused connections, a request
// without a route, serial-port failures, and the names of the platform's
// errors. Devices that never answer are in tst_faulttiming.

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

        // The moment the text is shown and the moment it goes, as the status
        // bar reports them: a slow test loop cannot shorten what it measures.
        QElapsedTimer shown;
        qint64 shownFor = -1;
        connect(tool.statusBar, &QStatusBar::messageChanged, this, [&](const QString &text) {
            if (text == QLatin1String("ConnectionRefusedError"))
                shown.start();
            else if (shown.isValid() && shownFor < 0)
                shownFor = shown.elapsed();
        });
        tool.connectRoute(route, closedPort());

        QVERIFY(tool.waitForStatus(QStringLiteral("ConnectionRefusedError")));
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
        // Shown for its three seconds, then cleared, not replaced. The status
        // bar's coarse timer may end it 5 % early, and it starts that timer
        // just before it reports the text: 2,849 ms was seen under load.
        QTRY_VERIFY_WITH_TIMEOUT(shownFor >= 0, 8000);
        QVERIFY2(shownFor >= 2800, qPrintable(QString::number(shownFor)));
        QCOMPARE(tool.status(), QString());
        QCOMPARE(boxes.seen().size(), warned ? 1 : 0);
        QVERIFY(tool.isIdle());
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
        tool.connectTo(CommSettings::USB, *device);
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
        // A listed port that has gone by the time the button is pressed.
        tool.panel.connectUsb(QStringLiteral("telvor-no-such-port"));
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
