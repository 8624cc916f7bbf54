// Windows and routes opened and closed many times leave nothing behind:
// after each round no network or information window exists any more, and the
// main window holds as many objects and the application as many top-level
// widgets as before the first. Run under LeakSanitizer (scripts/test-sanitized)
// the program also fails on any allocation lost on the way.

#include "devicetest.h"
#include "testsupport.h"

#include "devinfo.h"
#include "staticipconfig.h"

#include <QLineEdit>
#include <QMap>
#include <QPointer>
#include <QtTest>

#include <memory>

using namespace DeviceTest;

namespace {

const int WindowRounds = 20;
const int RouteRounds = 12;

// The main window's objects by class. The status bar's own timer comes and
// goes with timed texts, so timers are left out.
QMap<QString, int> objectCounts(const QObject &root)
{
    QMap<QString, int> counts;
    for (const QObject *object : root.findChildren<QObject *>()) {
        if (!object->inherits("QTimer"))
            ++counts[QLatin1String(object->metaObject()->className())];
    }
    return counts;
}

int readAllCount(const devsim::DeviceSimulator &device, Endpoint endpoint)
{
    return int(device.received(endpoint).count(ReadAll));
}

} // namespace

class TestLeakCycles : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSupport::clearSettings(); }

    void windowsOpenedAndClosed_data()
    {
        QTest::addColumn<CommSettings::eRoute_t>("route");
        QTest::newRow("configuration service") << CommSettings::TCP;
        QTest::newRow("USB") << CommSettings::USB;
    }

    // The network window and information windows, opened from the page and
    // the menu, filled by the device and closed by the user, round after
    // round; several information windows are open at once in between.
    void windowsOpenedAndClosed()
    {
        QFETCH(CommSettings::eRoute_t, route);
        TestSupport::MessageBoxAnswerer boxes;
        Session s(route);
        QVERIFY(s.ready);
        QMap<QString, int> objectsBefore;
        int topLevelBefore = 0;

        for (int round = 0; round < WindowRounds; ++round) {
            s.tool.page.click(Setting::StaticIpButton);
            QTRY_COMPARE(topLevel<StaticIpConfig>().size(), 1);
            auto *mac = NetworkWindow(*topLevel<StaticIpConfig>().first()).entry(NetworkWindow::MacAddress);
            QTRY_VERIFY(!mac->text().isEmpty());
            topLevel<StaticIpConfig>().first()->close();
            QTRY_VERIFY(topLevel<StaticIpConfig>().isEmpty());

            const int open = 1 + round % 4;
            for (int i = 0; i < open; ++i)
                s.tool.trigger(Command::GetInfo);
            QTRY_COMPARE(topLevel<DevInfo>().size(), open);
            closeAll<DevInfo>();
            QVERIFY(topLevel<DevInfo>().isEmpty());
            // The first round builds what Qt creates once and keeps.
            if (round == 0) {
                objectsBefore = objectCounts(s.tool.window);
                topLevelBefore = int(QApplication::topLevelWidgets().size());
            }
        }

        QCOMPARE(objectCounts(s.tool.window), objectsBefore);
        QCOMPARE(int(QApplication::topLevelWidgets().size()), topLevelBefore);
        QCOMPARE(s.device->received(s.endpoint).count(ReadNetwork), WindowRounds);
        QVERIFY(boxes.seen().isEmpty());
    }

    // The main window going while a network window and information windows
    // are open takes them along: they are top-level, and nothing else would
    // ever delete them.
    void mainWindowGoesWithWindowsOpen()
    {
        TestSupport::MessageBoxAnswerer boxes;
        auto device = startDevice();
        QVERIFY(device);
        auto tool = std::make_unique<Tool>(CommSettings::USB);
        tool->connectTo(*device);
        QVERIFY(tool->waitForRecord());
        tool->page.click(Setting::StaticIpButton);
        tool->trigger(Command::GetInfo);
        tool->trigger(Command::GetInfo);
        QTRY_COMPARE(topLevel<DevInfo>().size(), 2);
        QCOMPARE(topLevel<StaticIpConfig>().size(), 1);
        QPointer<StaticIpConfig> network = topLevel<StaticIpConfig>().first();
        QPointer<DevInfo> info = topLevel<DevInfo>().first();

        tool.reset();
        QVERIFY(network.isNull());
        QVERIFY(info.isNull());
        QVERIFY(topLevel<DevInfo>().isEmpty());
        QVERIFY(topLevel<StaticIpConfig>().isEmpty());
        QVERIFY(boxes.seen().isEmpty());
    }

    void routesConnectedAndClosed_data() { addRouteRows(); }

    // Each route connected, answered and closed again, round after round.
    void routesConnectedAndClosed()
    {
        QFETCH(CommSettings::eRoute_t, route);
        TestSupport::MessageBoxAnswerer boxes;
        auto device = startDevice();
        QVERIFY(device);
        const Endpoint endpoint = endpointFor(route);
        Tool tool(route);
        QMap<QString, int> objectsBefore;
        int topLevelBefore = 0;

        for (int round = 0; round < RouteRounds; ++round) {
            tool.connectTo(*device);
            QTRY_VERIFY(tool.routeUp());
            QTRY_COMPARE(readAllCount(*device, endpoint), round + 1);
            QVERIFY(tool.waitForRecord());
            tool.statusLog.clear();
            tool.disconnect();
            QTRY_VERIFY(!tool.routeUp());
            QTRY_VERIFY(!tool.statusLog.filter(QStringLiteral("Disconnected from")).isEmpty());
            if (isDataPort(route))
                QTRY_COMPARE(device->connectionCount(endpoint), 0);
            if (round == 0) {
                objectsBefore = objectCounts(tool.window);
                topLevelBefore = int(QApplication::topLevelWidgets().size());
            }
        }

        QCOMPARE(objectCounts(tool.window), objectsBefore);
        QCOMPARE(int(QApplication::topLevelWidgets().size()), topLevelBefore);
        QCOMPARE(readAllCount(*device, endpoint), RouteRounds);
        QVERIFY(boxes.seen().isEmpty());
    }
};

TELVOR_TEST_MAIN(TestLeakCycles)
#include "tst_leakcycles.moc"
