// The simulator program as a device under test for the GUI driver: started
// beside the test program by SimulatorProcess, its announced endpoints become
// the address the main window is driven to, over loopback TCP and its
// pseudo-terminal. The same address handed over as known ports (the Windows
// tests' way) reaches the same device.

#include "deviceundertest.h"
#include "testsupport.h"
#include "tool.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace Driver;

class TestSimulatorProcess : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSupport::clearSettings(); }

    // Every endpoint announced, on loopback, distinct, and the USB path the
    // link that was asked for, pointing at a terminal.
    void announcesItsEndpoints()
    {
        QTemporaryDir dir;
        SimulatorProcess device;
        SimulatorProcess::Options options;
        options.ptyLink = dir.filePath(QStringLiteral("usb"));
        QString error;
        QVERIFY2(device.start(QStringLiteral(DEVICESIM_PROGRAM), options, &error), qPrintable(error));
        QVERIFY(device.isRunning());
        const DeviceAddress address = device.address();
        QCOMPARE(address.host, QStringLiteral("127.0.0.1"));
        QVERIFY(address.hasTcpPorts());
        QCOMPARE(QSet<quint16>({address.configPort, address.port232, address.port485}).size(), 3);
        QCOMPARE(address.usbPath, options.ptyLink);
        QVERIFY(QFileInfo(address.usbPath).isSymLink());
        QVERIFY(QFileInfo(address.usbPath).symLinkTarget().startsWith(QLatin1String("/dev/pts/")));

        device.stop();
        QVERIFY(!device.isRunning());
    }

    // The main window connects on each route to the process's endpoints and
    // shows the factory record it reads there (9600 baud, index 5).
    void toolReachesItOnEveryRoute_data()
    {
        QTest::addColumn<CommSettings::eRoute_t>("route");
        QTest::newRow("configuration service") << CommSettings::TCP;
        QTest::newRow("USB") << CommSettings::USB;
        QTest::newRow("RS-232 data port") << CommSettings::TCP232;
        QTest::newRow("RS-485 data port") << CommSettings::TCP485;
    }

    void toolReachesItOnEveryRoute()
    {
        QFETCH(CommSettings::eRoute_t, route);
        QTemporaryDir dir;
        SimulatorProcess device;
        SimulatorProcess::Options options;
        options.ptyLink = dir.filePath(QStringLiteral("usb"));
        QVERIFY(device.start(QStringLiteral(DEVICESIM_PROGRAM), options));

        TestSupport::MessageBoxAnswerer boxes;
        Tool tool(route);
        tool.connectTo(device);
        QVERIFY(tool.waitForRecord(Record::Factory));
        QVERIFY(tool.sawRouteUp());
        QVERIFY(tool.routeUp());
        tool.disconnect();
        QTRY_VERIFY(tool.isIdle());
        QVERIFY(boxes.seen().isEmpty());
    }

    // Handed over as known ports, the same process is the same device: a
    // baud rate written through one window is read back through another.
    void knownPortsReachTheSameDevice()
    {
        SimulatorProcess device;
        SimulatorProcess::Options options;
        options.usb = false;
        QVERIFY(device.start(QStringLiteral(DEVICESIM_PROGRAM), options));
        QVERIFY(device.address().usbPath.isEmpty());

        TestSupport::MessageBoxAnswerer boxes;
        {
            Tool writer(CommSettings::TCP);
            writer.connectTo(device);
            QVERIFY(writer.waitForRecord(Record::Factory));
            writer.page.setBaud(Port::Rs485, 7); // 38400
            boxes.expect(QMessageBox::Yes, QStringLiteral("Dikkat !"));
            writer.page.clickApply();
            QVERIFY(writer.waitForStatus(QStringLiteral("Successfully written")));
            writer.disconnect();
            QTRY_VERIFY(writer.isIdle());
        }
        const KnownDevice known(device.address());
        Tool reader(CommSettings::TCP);
        reader.connectTo(known);
        QVERIFY(reader.waitForBaud(Port::Rs485, 7));
        QCOMPARE(boxes.seen().size(), 1);
        QVERIFY(boxes.unexpected().isEmpty());
    }

    // A program that cannot start, or one that announces nothing, leaves no
    // address and no process behind, and says why.
    void failureLeavesNothing_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no such program") << QStringLiteral("/nonexistent/devicesim") << "cannot start";
        QTest::newRow("announces nothing") << QStringLiteral("/bin/true") << "did not announce";
    }

    void failureLeavesNothing()
    {
        QFETCH(QString, program);
        QFETCH(QString, reason);
        SimulatorProcess device;
        QString error;
        QVERIFY(!device.start(program, SimulatorProcess::Options(), &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        QVERIFY(!device.isRunning());
        QVERIFY(!device.address().hasTcpPorts());
        QVERIFY(device.address().usbPath.isEmpty());
    }
};

TELVOR_TEST_MAIN(TestSimulatorProcess)
#include "tst_simulatorprocess.moc"
