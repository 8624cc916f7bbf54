// The tool's traces, through the real main window and a simulated device on
// loopback: the rule "telvor.*.debug=false" leaves the tool without a single
// message over a whole connect, read and disconnect, and the wire trace names
// the route of every frame sent and every chunk received.

#include "commsettings.h"
#include "devicemodel.h"
#include "devicesimulator.h"
#include "telvorconfigurator.h"
#include "testsupport.h"
#include "transparentconfig.h"

#include <QComboBox>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPushButton>
#include <QtTest>

#include <algorithm>
#include <memory>

Q_DECLARE_METATYPE(CommSettings::eRoute_t)

namespace {

struct Message
{
    QString category;
    QString text;
};

QList<Message> collected;

void collect(QtMsgType, const QMessageLogContext &context, const QString &text)
{
    collected.append({QString::fromLatin1(context.category ? context.category : "?"), text});
}

// Takes every message of the process while it lives; the test only counts.
class MessageCollector
{
public:
    MessageCollector()
    {
        collected.clear();
        m_previous = qInstallMessageHandler(collect);
    }
    ~MessageCollector() { qInstallMessageHandler(m_previous); }

    static QStringList lines()
    {
        QStringList lines;
        for (const Message &message : qAsConst(collected))
            lines << message.category + QStringLiteral(": ") + message.text;
        return lines;
    }

private:
    QtMessageHandler m_previous;
};

// One route of a simulated device opened and closed the way the user does it:
// from the panel (USB by the port's location, as the panel resolves it).
class RouteDriver
{
public:
    explicit RouteDriver(CommSettings::eRoute_t route)
        : m_route(route), m_window(nullptr, isDataPort(route) ? eGsmModem : eEthernetModem)
    {
        devsim::DeviceSimulator::Options options;
        options.usb = route == CommSettings::USB;
        m_device = std::make_unique<devsim::DeviceSimulator>(options);
        QString error;
        m_started = m_device->start(&error);
        if (!m_started)
            qWarning("The simulated device does not start: %s", qPrintable(error));
    }

    bool started() const { return m_started; }

    void open()
    {
        switch (m_route) {
        case CommSettings::USB:
            m_window.openSerialPort(m_device->usbPath());
            return;
        case CommSettings::TCP:
            enter("lineEdit_ServerIp", "127.0.0.1");
            enter("lineEdit_ServerPort", QString::number(m_device->configPort()));
            break;
        case CommSettings::TCP232:
            enter("lineEdit_TcpServerIp", "127.0.0.1");
            enter("lineEdit_ServerPort232", QString::number(m_device->port232()));
            break;
        default:
            enter("lineEdit_TcpServerIp", "127.0.0.1");
            enter("lineEdit_ServerPort485", QString::number(m_device->port485()));
            break;
        }
        m_window.findChild<QPushButton *>(connectButton())->click();
    }

    // The device's factory record runs its ports at 9600 baud (index 5).
    bool waitForRecord()
    {
        auto *baud = m_window.findChild<QComboBox *>(m_route == CommSettings::TCP232 ? "comboBox_Baud_232"
                                                                                     : "comboBox_Baud_485");
        return QTest::qWaitFor([baud] { return baud->currentIndex() == 5; }, 8000);
    }

    // The connect button of a connected route disconnects it.
    bool close()
    {
        m_window.findChild<QPushButton *>(connectButton())->click();
        auto *page = m_window.findChild<TransparentConfig *>();
        return QTest::qWaitFor([page] { return !page->isEnabled(); }, 5000);
    }

private:
    static bool isDataPort(CommSettings::eRoute_t route)
    {
        return route == CommSettings::TCP232 || route == CommSettings::TCP485;
    }

    const char *connectButton() const
    {
        static const char *const buttons[] = {"pushButton_TcpConnect", "pushButton_UsbConnect",
                                              "pushButton_232Connect", "pushButton_485Connect"};
        return buttons[m_route];
    }

    void enter(const char *lineEdit, const QString &text)
    {
        auto *edit = m_window.findChild<QLineEdit *>(lineEdit);
        edit->setText(text);
        emit edit->editingFinished();
    }

    CommSettings::eRoute_t m_route;
    TelvorConfigurator m_window;
    std::unique_ptr<devsim::DeviceSimulator> m_device;
    bool m_started = false;
};

} // namespace

class TestTraces : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSupport::clearSettings(); }
    void cleanup() { QLoggingCategory::setFilterRules(QString()); }

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
        QLoggingCategory::setFilterRules(QStringLiteral("telvor.*.debug=false"));
        TestSupport::MessageBoxAnswerer boxes;
        RouteDriver driver(route);
        QVERIFY(driver.started());
        QStringList lines;
        {
            MessageCollector collector;
            driver.open();
            const bool recordShown = driver.waitForRecord();
            const bool closed = recordShown && driver.close();
            lines = MessageCollector::lines();
            QVERIFY(recordShown);
            QVERIFY(closed);
        }
        QVERIFY2(lines.isEmpty(), qPrintable(lines.join(QLatin1Char('\n'))));
        QVERIFY(boxes.unexpected().isEmpty());
    }

    void wireTraceNamesTheRoute_data() { routes_data(); }
    void wireTraceNamesTheRoute()
    {
        QFETCH(CommSettings::eRoute_t, route);
        QFETCH(QString, name);
        QLoggingCategory::setFilterRules(QStringLiteral("telvor.*.debug=false\ntelvor.wire.debug=true"));
        TestSupport::MessageBoxAnswerer boxes;
        RouteDriver driver(route);
        QVERIFY(driver.started());
        QStringList wire;
        {
            MessageCollector collector;
            driver.open();
            const bool recordShown = driver.waitForRecord();
            for (const Message &message : qAsConst(collected)) {
                if (message.category == QLatin1String("telvor.wire"))
                    wire << message.text;
            }
            QVERIFY(recordShown);
        }
        // The request as qDebug shows a byte array: CR LF escaped, in quotes.
        QVERIFY2(wire.contains(name + QStringLiteral(" sent \"AT+READALL\\r\\n\"")),
                 qPrintable(wire.join('\n')));
        // The reply's first chunk, whichever way the channel cut it.
        const QString reply = name + QStringLiteral(" received \"+READALL=");
        const auto replyLine = std::find_if(wire.begin(), wire.end(),
                                            [&](const QString &line) { return line.startsWith(reply); });
        QVERIFY2(replyLine != wire.end(), qPrintable(wire.join('\n')));
        QVERIFY(driver.close());
        QVERIFY(boxes.unexpected().isEmpty());
    }
};

TELVOR_TEST_MAIN(TestTraces)
#include "tst_traces.moc"
