// The tool's traces over a whole route life (connect, first record, disconnect)
// against the simulated device: the rule "telvor.*.debug=false" leaves the
// tool without a single message, in Qt's default category neither, and the
// wire trace names the route of the request sent and of the reply received.

#include "devicetest.h"
#include "testsupport.h"

#include <QLoggingCategory>
#include <QtTest>

#include <algorithm>

using DeviceTest::Tool;

namespace {

QStringList collected;

void collect(QtMsgType, const QMessageLogContext &context, const QString &text)
{
    collected << QString::fromLatin1(context.category ? context.category : "?") + QStringLiteral(": ") + text;
}

// Opens the route from the panel under the given logging rules, waits for the
// device's record, closes the route with the same button and returns every
// message written meanwhile, as "category: text". The message handler is the
// test's own only while the route lives.
bool routeLife(CommSettings::eRoute_t route, const QString &rules, QStringList &messages)
{
    auto device = DeviceTest::startDevice({}, DeviceTest::Record::Factory);
    if (!device)
        return false;
    Tool tool(route);
    QLoggingCategory::setFilterRules(rules);
    collected.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collect);
    tool.connectTo(route, *device);
    const bool recordShown = tool.waitForRecord(DeviceTest::Record::Factory);
    if (recordShown)
        tool.disconnect();
    const bool idle = recordShown && QTest::qWaitFor([&tool] { return tool.isIdle(); }, 5000);
    qInstallMessageHandler(previous);
    // Back to the rules every test program starts with, not Qt's own.
    TestSupport::quietTraces();
    messages = collected;
    if (!idle)
        qWarning("The route did not come up and go down again");
    return idle;
}

} // namespace

class TestTraces : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSupport::clearSettings(); }

    void routes_data()
    {
        QTest::addColumn<CommSettings::eRoute_t>("route");
        QTest::addColumn<QString>("name");
        QTest::newRow("configuration service") << CommSettings::TCP << QStringLiteral("TCP");
        QTest::newRow("USB") << CommSettings::USB << QStringLiteral("USB");
        QTest::newRow("RS-232 data port") << CommSettings::TCP232 << QStringLiteral("TCP232");
        QTest::newRow("RS-485 data port") << CommSettings::TCP485 << QStringLiteral("TCP485");
    }

    void silentWhenTelvorTracesAreOff_data() { routes_data(); }
    void silentWhenTelvorTracesAreOff()
    {
        QFETCH(CommSettings::eRoute_t, route);
        TestSupport::MessageBoxAnswerer boxes;
        QStringList messages;
        QVERIFY(routeLife(route, QStringLiteral("telvor.*.debug=false"), messages));
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join(QLatin1Char('\n'))));
        QVERIFY(boxes.unexpected().isEmpty());
    }

    void wireTraceNamesTheRoute_data() { routes_data(); }
    void wireTraceNamesTheRoute()
    {
        QFETCH(CommSettings::eRoute_t, route);
        QFETCH(QString, name);
        TestSupport::MessageBoxAnswerer boxes;
        QStringList messages;
        QVERIFY(routeLife(route, QStringLiteral("telvor.*.debug=false\ntelvor.wire.debug=true"), messages));
        // The frames as qDebug shows a byte array: in quotes, CR LF escaped.
        const QString wire = QStringLiteral("telvor.wire: ") + name;
        QVERIFY2(messages.contains(wire + QStringLiteral(" sent \"AT+READALL\\r\\n\"")),
                 qPrintable(messages.join(QLatin1Char('\n'))));
        // The reply's first chunk, wherever the channel cut it.
        const QString reply = wire + QStringLiteral(" received \"+READALL=");
        QVERIFY2(std::any_of(messages.cbegin(), messages.cend(),
                             [&reply](const QString &line) { return line.startsWith(reply); }),
                 qPrintable(messages.join(QLatin1Char('\n'))));
        QVERIFY(boxes.unexpected().isEmpty());
    }
};

TELVOR_TEST_MAIN(TestTraces)
#include "tst_traces.moc"
