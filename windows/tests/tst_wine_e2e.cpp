// The Windows build end to end: the real main window, cross-built and running
// under Wine, talks over loopback TCP to the device simulator running natively
// on Linux, on every TCP route: the configuration service (Ethernet command
// set) and the RS-232 and RS-485 data ports (GSM command set). e2e.sh starts
// the simulator and hands its ports over in TELVOR_E2E_CONFIG_PORT,
// TELVOR_E2E_PORT232 and TELVOR_E2E_PORT485; afterwards it checks the
// simulator's own log for what it received on each endpoint.
//
// The device under test is the simulator process that e2e.sh started: a
// KnownDevice for the same drivers (tests/support) that the Linux tests use.

#include "page.h"
#include "panel.h"
#include "testsupport.h"
#include "tool.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QtTest>

using namespace Driver;

namespace {

// Under Wine a widget-heavy step takes far longer than natively.
constexpr int Patience = 60000;

} // namespace

class TestWineEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // e2e.sh names the simulator's ports; run without it, the program ends
        // naming the variable.
        m_device =
            KnownDevice::fromEnvironment("TELVOR_E2E_CONFIG_PORT", "TELVOR_E2E_PORT232", "TELVOR_E2E_PORT485")
                .address();
        TestSupport::clearSettings();
    }

    // The configuration service: the factory record fills the page, a change
    // is written to the device, and a second window reads it back, over the
    // configuration service and over the RS-485 data port: the device keeps
    // one port record.
    void configurationService()
    {
        TestSupport::MessageBoxAnswerer boxes;
        {
            Tool tool(eEthernetModem, Patience);
            tool.connectTo(CommSettings::TCP, KnownDevice(m_device));
            QVERIFY(tool.waitForStatus(QStringLiteral("Tcp Connected"), Patience));
            // The factory record: 9600 baud (index 5), TCP ports 502 and 503.
            QVERIFY(tool.waitForBaud(Port::Rs485, 5, Patience));
            QCOMPARE(tool.page.value(Setting::TcpPort, Port::Rs485), 502);
            QCOMPARE(tool.page.value(Setting::TcpPort, Port::Rs232), 503);
            QVERIFY(tool.pageEnabled());

            tool.page.setBaud(Port::Rs485, 7); // 38400
            boxes.expect(QMessageBox::Yes, QStringLiteral("Dikkat !"));
            tool.page.clickApply();
            QVERIFY(tool.waitForStatus(QStringLiteral("Successfully written"), Patience));

            tool.panel.click(Panel::EthernetButton);
            QVERIFY(tool.waitForStatus(QStringLiteral("Disconnected from TCP"), Patience));
        }
        Tool reader(eEthernetModem, Patience);
        QCOMPARE(reader.panel.text(Panel::EthernetPort),
                 QString::number(m_device.configPort)); // from the registry
        reader.panel.click(Panel::EthernetButton);
        QVERIFY(reader.waitForStatus(QStringLiteral("Tcp Connected"), Patience));
        QVERIFY(reader.waitForBaud(Port::Rs485, 7, Patience));
        reader.panel.click(Panel::EthernetButton);
        QVERIFY(reader.waitForStatus(QStringLiteral("Disconnected from TCP"), Patience));

        Tool dataPortReader(eGsmModem, Patience);
        dataPortReader.connectTo(CommSettings::TCP485, KnownDevice(m_device));
        QVERIFY(dataPortReader.waitForStatus(QStringLiteral("Tcp 485 Port Connected"), Patience));
        QVERIFY(dataPortReader.waitForBaud(Port::Rs485, 7, Patience));
        dataPortReader.panel.click(Panel::Button485);
        QVERIFY(dataPortReader.waitForStatus(QStringLiteral("Disconnected from TCP 485 Port"), Patience));

        // The device as it was: the next test case starts from its factory record.
        Tool restorer(eEthernetModem, Patience);
        restorer.panel.click(Panel::EthernetButton);
        QVERIFY(restorer.waitForBaud(Port::Rs485, 7, Patience));
        restorer.page.comboBox(Setting::Baud, Port::Rs485)->setCurrentIndex(5);
        boxes.expect(QMessageBox::Yes, QStringLiteral("Dikkat !"));
        restorer.page.clickApply();
        QVERIFY(restorer.waitForStatus(QStringLiteral("Successfully written"), Patience));
        restorer.panel.click(Panel::EthernetButton);
        QVERIFY(restorer.waitForStatus(QStringLiteral("Disconnected from TCP"), Patience));
        QVERIFY(boxes.unexpected().isEmpty());
        QCOMPARE(boxes.seen().size(), 2);
    }

    // Each data port, on its own: the route comes up, the device's GSM record
    // (its factory one) fills the page, the device answers a ping, and the
    // route goes down on the button.
    void dataPort_data()
    {
        QTest::addColumn<CommSettings::eRoute_t>("route");
        QTest::addColumn<QString>("connectedText");
        QTest::addColumn<QString>("disconnectedText");
        QTest::newRow("RS-232") << CommSettings::TCP232 << "Tcp 232 Port Connected"
                                << "Disconnected from TCP 232 Port";
        QTest::newRow("RS-485") << CommSettings::TCP485 << "Tcp 485 Port Connected"
                                << "Disconnected from TCP 485 Port";
    }

    void dataPort()
    {
        QFETCH(CommSettings::eRoute_t, route);
        QFETCH(QString, connectedText);
        QFETCH(QString, disconnectedText);

        TestSupport::MessageBoxAnswerer boxes;
        Tool tool(eGsmModem, Patience);
        tool.connectTo(route, KnownDevice(m_device));
        QVERIFY(tool.waitForStatus(connectedText, Patience));
        QTRY_COMPARE_WITH_TIMEOUT(tool.page.apn()->text(), QStringLiteral("internet"), Patience);
        // Both ports at the factory's 9600 baud.
        QCOMPARE(tool.page.baud(Port::Rs485), 5);
        QCOMPARE(tool.page.baud(Port::Rs232), 5);

        tool.trigger(Command::Ping);
        QVERIFY(tool.waitForStatus(QStringLiteral("Ping -> OK"), Patience));

        tool.panel.click(Panel::buttonOf(route));
        QVERIFY(tool.waitForStatus(disconnectedText, Patience));
        QVERIFY(!tool.pageEnabled());
        QVERIFY(boxes.unexpected().isEmpty());
    }

private:
    DeviceAddress m_device;
};

TELVOR_TEST_MAIN(TestWineEndToEnd)
#include "tst_wine_e2e.moc"
