// What the page writes is what it shows, through the real main window and the
// simulated GSM device:
// - a retry count changed without finishing its edit (as a screen reader or
//   the wheel changes it) no longer sends the command interval in the other
//   unit: Apply first brings the interval into its count's unit, the way the
//   finished edit would have;
// - moving the focus through an unchanged retry count keeps the command
//   interval that was read;
// - after a model switch from an Ethernet route to a data port the APN can
//   be edited and written;
// - the tool's traces stay off unless a logging rule turns them on.
//
// The GSM record (14 values per port, RS-485 first, then APN and the
// information response) carries the retry count at position 11 of a port's
// block and the command interval, in milliseconds, at position 12.

#include "devicetest.h"
#include "logging.h"
#include "testsupport.h"
#include "transparentconfig.h"

#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QProcess>
#include <QSpinBox>
#include <QtTest>

using namespace DeviceTest;

namespace {

// The simulated device's own GSM record: retry count 0, interval 100 ms,
// ping interval 120 s on both ports, APN "internet".
const QByteArray FactoryGsm("1,502,0,8,0,1,5,8,400,100,0,0,100,120,"
                            "1,503,0,8,0,1,5,8,400,100,0,0,100,120,internet,0");
constexpr int RetryCount485 = 11;
constexpr int Interval485 = 12;
constexpr int Apn = 28;

QByteArray gsmRecord(std::initializer_list<std::pair<int, QByteArray>> changes)
{
    QByteArray values = FactoryGsm;
    for (const auto &change : changes)
        values = withValue(values, change.first, change.second);
    return values;
}

// A device on the RS-485 data port whose record starts with the given
// changes, and a GSM tool showing that record.
struct GsmSession
{
    explicit GsmSession(std::initializer_list<std::pair<int, QByteArray>> changes)
        : device(startDevice({}, Record::Factory)), tool(CommSettings::TCP485)
    {
        if (!device)
            return;
        const QByteArray values = gsmRecord(changes);
        const QList<QByteArray> list = values.split(',');
        for (int i = 0; i < list.size(); ++i)
            device->setPortRecordValue(Endpoint::Rs485, i, list.at(i));
        if (device->portRecord(Endpoint::Rs485) != values)
            return;
        tool.connectTo(*device);
        ready = tool.waitForRecord(Record::Factory);
    }

    QSpinBox *retries() const { return tool.page.spinBox(Setting::RetryCount, Port::Rs485); }
    QSpinBox *interval() const { return tool.page.spinBox(Setting::CommandInterval, Port::Rs485); }
    QString intervalShown() const { return interval()->text().simplified(); }
    Frames received() const { return device->received(Endpoint::Rs485); }

    std::unique_ptr<SimulatedDevice> device;
    Tool tool;
    bool ready = false;
};

// Moves the keyboard focus into a box and on with Tab, as a user tabbing
// through the page does; the box's edit is finished on the way out.
void tabThrough(Tool &tool, QWidget *box)
{
    QApplication::setActiveWindow(&tool.window);
    box->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(box->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_VERIFY(!box->hasFocus());
}

QStringList collectedTraces;
void collectTrace(QtMsgType, const QMessageLogContext &context, const QString &text)
{
    if (context.category && QByteArray(context.category).startsWith("telvor."))
        collectedTraces << QString::fromLatin1(context.category) + QStringLiteral(": ") + text;
}

} // namespace

class TestWrittenAsShown : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSupport::clearSettings(); }

    // A count set without finishing its edit leaves the interval in the
    // other unit; Apply converts it by the retry-count rule before it builds
    // the record, and the page shows what was sent.
    void unfinishedRetryCountIsWrittenAsShown_data()
    {
        QTest::addColumn<QByteArray>("readRetries");
        QTest::addColumn<QByteArray>("readInterval");
        QTest::addColumn<int>("newRetries");
        QTest::addColumn<QString>("shownBefore");
        QTest::addColumn<QByteArray>("writtenInterval");
        QTest::addColumn<QString>("shownAfter");
        // 0 -> 2: the millisecond form would send 100 as 100000.
        QTest::newRow("milliseconds to seconds") << QByteArray("0") << QByteArray("100") << 2
                                                 << QStringLiteral("100 ms") << QByteArray("3000")
                                                 << QStringLiteral("3 s");
        // 2 -> 0: the seconds form would send 5 s as 5 ms.
        QTest::newRow("seconds to milliseconds") << QByteArray("2") << QByteArray("5000") << 0
                                                 << QStringLiteral("5 s") << QByteArray("100")
                                                 << QStringLiteral("100 ms");
        // 2 -> 3: the form already fits; nothing changes.
        QTest::newRow("unit already fits") << QByteArray("2") << QByteArray("5000") << 3
                                           << QStringLiteral("5 s") << QByteArray("5000")
                                           << QStringLiteral("5 s");
    }

    void unfinishedRetryCountIsWrittenAsShown()
    {
        QFETCH(QByteArray, readRetries);
        QFETCH(QByteArray, readInterval);
        QFETCH(int, newRetries);
        QFETCH(QString, shownBefore);
        QFETCH(QByteArray, writtenInterval);
        QFETCH(QString, shownAfter);

        TestSupport::MessageBoxAnswerer boxes;
        GsmSession s({{RetryCount485, readRetries}, {Interval485, readInterval}});
        QVERIFY(s.ready);
        QCOMPARE(s.intervalShown(), shownBefore);

        s.retries()->setValue(newRetries);
        QCOMPARE(s.intervalShown(), shownBefore);

        boxes.expect(QMessageBox::Yes, QStringLiteral("Dikkat !"));
        s.tool.page.clickApply();
        const QByteArray written =
            gsmRecord({{RetryCount485, QByteArray::number(newRetries)}, {Interval485, writtenInterval}});
        QTRY_COMPARE(s.received(), (Frames{ReadAll, "AT+WRITEALL=" + written + "\r\n"}));
        QCOMPARE(s.intervalShown(), shownAfter);
        QVERIFY(s.tool.waitForStatus(QStringLiteral("Successfully written")));
        QCOMPARE(s.device->portRecord(Endpoint::Rs485), written);
        QCOMPARE(boxes.seen().size(), 1);
    }

    // Tabbing through an unchanged retry count keeps the interval read from
    // the device, and Apply writes the record as read (no change question).
    void tabbingThroughKeepsTheIntervalRead_data()
    {
        QTest::addColumn<QByteArray>("retries");
        QTest::addColumn<QByteArray>("interval");
        QTest::addColumn<QString>("shown");
        QTest::newRow("seconds") << QByteArray("2") << QByteArray("5000") << QStringLiteral("5 s");
        QTest::newRow("milliseconds") << QByteArray("0") << QByteArray("2000") << QStringLiteral("2000 ms");
    }

    void tabbingThroughKeepsTheIntervalRead()
    {
        QFETCH(QByteArray, retries);
        QFETCH(QByteArray, interval);
        QFETCH(QString, shown);

        TestSupport::MessageBoxAnswerer boxes;
        GsmSession s({{RetryCount485, retries}, {Interval485, interval}});
        QVERIFY(s.ready);
        QCOMPARE(s.intervalShown(), shown);

        tabThrough(s.tool, s.retries());
        QCOMPARE(s.intervalShown(), shown);
        tabThrough(s.tool, s.retries());
        QCOMPARE(s.intervalShown(), shown);

        s.tool.page.clickApply();
        const QByteArray written = gsmRecord({{RetryCount485, retries}, {Interval485, interval}});
        QTRY_COMPARE(s.received(), (Frames{ReadAll, "AT+WRITEALL=" + written + "\r\n"}));
        QCOMPARE(boxes.seen().size(), 0);
    }

    // A changed count still runs the rule when its edit is finished, and once
    // only: tabbing through afterwards keeps an interval entered since.
    void changedRetryCountStillRunsTheRule()
    {
        TestSupport::MessageBoxAnswerer boxes;
        GsmSession s({{RetryCount485, "2"}, {Interval485, "5000"}});
        QVERIFY(s.ready);

        s.tool.typeNumber(Setting::RetryCount, Port::Rs485, 3);
        QCOMPARE(s.intervalShown(), QStringLiteral("3 s"));
        s.tool.typeNumber(Setting::CommandInterval, Port::Rs485, 7);
        tabThrough(s.tool, s.retries());
        QCOMPARE(s.intervalShown(), QStringLiteral("7 s"));

        s.tool.typeNumber(Setting::RetryCount, Port::Rs485, 0);
        QCOMPARE(s.intervalShown(), QStringLiteral("100 ms"));
        QVERIFY(boxes.unexpected().isEmpty());
    }

    // The route operations of the page: an Ethernet route locks the APN and
    // the GSM rows' captions, a data-port route opens them again.
    void dataPortRouteOpensTheApn()
    {
        TransparentConfig page;
        const Page driver(page);
        const QList<Setting> settings{Setting::Apn, Setting::ApnLabel, Setting::RetryCountLabel,
                                      Setting::CommandIntervalLabel, Setting::PingIntervalLabel};
        const auto allEnabled = [&page, &driver, &settings](bool enabled) {
            for (Setting setting : settings) {
                if (driver.control(setting)->isEnabledTo(&page) != enabled)
                    return false;
            }
            return true;
        };

        page.SetETHSettings(true);
        QVERIFY(allEnabled(false));
        page.Set232Settings(true);
        QVERIFY(allEnabled(true));
        page.Set232Settings(false); // the RS-232 route going down leaves them
        QVERIFY(allEnabled(true));
        page.SetUSBSettings(true);
        QVERIFY(allEnabled(false));
        page.Set485Settings(true);
        QVERIFY(allEnabled(true));
    }

    // End to end: Ethernet route, disconnect, "GSM Modem", a data port: the
    // APN is open and the edited APN reaches the device.
    void apnAfterModelSwitchIsWritten()
    {
        TestSupport::MessageBoxAnswerer boxes;
        auto device = startDevice({}, Record::Factory);
        QVERIFY(device);
        Tool tool(CommSettings::TCP);
        tool.connectTo(CommSettings::TCP, *device);
        QVERIFY(tool.waitForRecord(Record::Factory));
        QVERIFY(!tool.page.apn()->isEnabled());
        tool.disconnect();
        QTRY_VERIFY(tool.isIdle());

        tool.trigger(Command::GsmModel);
        tool.connectDataPort(CommSettings::TCP485, device->port485());
        QLineEdit *apn = tool.page.apn();
        QTRY_COMPARE(apn->text(), QStringLiteral("internet"));
        QVERIFY(apn->isEnabled());
        for (Setting caption : {Setting::ApnLabel, Setting::RetryCountLabel, Setting::CommandIntervalLabel,
                                Setting::PingIntervalLabel})
            QVERIFY2(tool.page.label(caption)->isEnabled(), qPrintable(Page::nameOf(caption)));

        boxes.expect(QMessageBox::Ok, QStringLiteral("Uyarı !")); // the APN change warning
        typeInto(tool.page.apn(), QStringLiteral("m2m.telvor"));
        QTRY_COMPARE(boxes.seen().size(), 1);
        boxes.expect(QMessageBox::Yes, QStringLiteral("Dikkat !"));
        tool.page.clickApply();
        const QByteArray written = gsmRecord({{Apn, "m2m.telvor"}});
        QTRY_COMPARE(device->received(Endpoint::Rs485), (Frames{ReadAll, "AT+WRITEALL=" + written + "\r\n"}));
        QCOMPARE(device->portRecord(Endpoint::Rs485), written);
        QCOMPARE(boxes.seen().size(), 2);
    }

    // Without a logging rule the tool writes no trace while a route comes up,
    // reads and goes down; the guide's rule turns the wire trace on.
    void tracesAreOffUnlessTurnedOn()
    {
        auto device = startDevice({}, Record::Factory);
        QVERIFY(device);
        const auto routeLife = [&device](const QString &rules) {
            Tool tool(CommSettings::TCP);
            QLoggingCategory::setFilterRules(rules);
            collectedTraces.clear();
            const QtMessageHandler previous = qInstallMessageHandler(collectTrace);
            tool.connectTo(CommSettings::TCP, *device);
            const bool shown = tool.waitForRecord(Record::Factory);
            tool.disconnect();
            const bool idle = QTest::qWaitFor([&tool] { return tool.isIdle(); }, 5000);
            qInstallMessageHandler(previous);
            QLoggingCategory::setFilterRules(QStringLiteral("telvor.*.debug=false"));
            return shown && idle;
        };

        QVERIFY(routeLife(QString()));
        QVERIFY2(collectedTraces.isEmpty(), qPrintable(collectedTraces.join(QLatin1Char('\n'))));

        QVERIFY(routeLife(QStringLiteral("telvor.wire.debug=true")));
        QVERIFY(collectedTraces.contains(QStringLiteral("telvor.wire: TCP sent \"AT+READALL\\r\\n\"")));
    }

    // The same through the environment, as the guide tells a technician: a
    // fresh process of this program reports which categories are on.
    void environmentRuleTurnsTracesOn_data()
    {
        QTest::addColumn<QString>("rules");
        QTest::addColumn<QString>("enabled");
        QTest::newRow("no rule") << QString() << QStringLiteral("");
        QTest::newRow("wire") << QStringLiteral("telvor.wire.debug=true") << QStringLiteral("telvor.wire");
        QTest::newRow("all") << QStringLiteral("telvor.*.debug=true")
                             << QStringLiteral("telvor.wire telvor.route telvor.page telvor.panel telvor.app");
    }

    void environmentRuleTurnsTracesOn()
    {
        QFETCH(QString, rules);
        QFETCH(QString, enabled);
        QProcess probe;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_LOGGING_RULES"));
        if (!rules.isEmpty())
            environment.insert(QStringLiteral("QT_LOGGING_RULES"), rules);
        probe.setProcessEnvironment(environment);
        probe.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--trace-categories")});
        QVERIFY(probe.waitForFinished(10000));
        QCOMPARE(probe.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(probe.readAllStandardOutput()).trimmed(), enabled);
    }
};

// "--trace-categories": prints the tool's categories whose debug level is on,
// as the environment's rules leave them, and exits.
static int printTraceCategories()
{
    QStringList on;
    for (const QLoggingCategory *category : {&lcWire(), &lcRoute(), &lcPage(), &lcPanel(), &lcApp()}) {
        if (category->isDebugEnabled())
            on << QString::fromLatin1(category->categoryName());
    }
    printf("%s\n", qPrintable(on.join(QLatin1Char(' '))));
    return 0;
}

int main(int argc, char **argv)
{
    if (argc == 2 && qstrcmp(argv[1], "--trace-categories") == 0)
        return printTraceCategories();
    return TestSupport::runTestProgram<TestWrittenAsShown>(argc, argv);
}

#include "tst_writtenasshown.moc"
