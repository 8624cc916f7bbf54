// The Windows build end to end: the real main window, cross-built and running
// under Wine, talks over loopback TCP to the device simulator running natively
// on Linux, on every TCP route: the configuration service (Ethernet command
// set) and the RS-232 and RS-485 data ports (GSM command set). e2e.sh starts
// the simulator and hands its ports over in TELVOR_E2E_CONFIG_PORT,
// TELVOR_E2E_PORT232 and TELVOR_E2E_PORT485; afterwards it checks the
// simulator's own log for what it received on each endpoint.
//
// Self-contained on purpose: the Linux link harness runs the simulator in
// process, which needs POSIX; this one only drives the window.

#include "commsettings.h"
#include "telvorconfigurator.h"
#include "testsupport.h"
#include "transparentconfig.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QSpinBox>
#include <QStatusBar>
#include <QtTest>

namespace {

// Under Wine a widget-heavy step takes far longer than natively.
constexpr int Patience = 60000;
const QString Loopback = QStringLiteral("127.0.0.1");

quint16 portFromEnvironment(const char *name)
{
    bool ok = false;
    const int port = qEnvironmentVariableIntValue(name, &ok);
    if (!ok || port <= 0 || port > 65535)
        qFatal("%s names no TCP port: start this test through windows/tests/e2e.sh", name);
    return quint16(port);
}

// The main window as the start window opens it for a model (1 Ethernet modem,
// 2 GSM modem), driven the way a user drives it.
class Tool : public QObject
{
public:
    explicit Tool(int model) : window(nullptr, model)
    {
        statusBar = window.findChild<QStatusBar *>();
        page = window.findChild<TransparentConfig *>();
        if (!statusBar || !page)
            qFatal("The main window has no status bar or page");
        connect(statusBar, &QStatusBar::messageChanged, this, [this](const QString &text) {
            if (!text.isEmpty())
                statusLog.append(text);
        });
        window.show();
        if (!QTest::qWaitForWindowExposed(&window, Patience))
            qWarning("The main window was not exposed");
    }

    template <class T = QWidget> T *find(const QString &name) const
    {
        T *child = window.findChild<T *>(name);
        if (!child)
            qFatal("The main window has no widget \"%s\"", qPrintable(name));
        return child;
    }

    void click(const QString &button) { QTest::mouseClick(find<QAbstractButton>(button), Qt::LeftButton); }

    void type(const QString &lineEdit, const QString &text)
    {
        auto *edit = find<QLineEdit>(lineEdit);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    bool waitForStatus(const QString &text)
    {
        return QTest::qWaitFor([&] { return statusLog.contains(text); }, Patience);
    }

    bool waitForBaud(const QString &comboBox, int index)
    {
        auto *box = find<QComboBox>(comboBox);
        return QTest::qWaitFor([box, index] { return box->currentIndex() == index; }, Patience);
    }

    TelvorConfigurator window;
    QStatusBar *statusBar = nullptr;
    TransparentConfig *page = nullptr;
    QStringList statusLog;
};

} // namespace

class TestWineEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_configPort = portFromEnvironment("TELVOR_E2E_CONFIG_PORT");
        m_port232 = portFromEnvironment("TELVOR_E2E_PORT232");
        m_port485 = portFromEnvironment("TELVOR_E2E_PORT485");
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
            Tool tool(1);
            tool.type(QStringLiteral("lineEdit_ServerIp"), Loopback);
            tool.type(QStringLiteral("lineEdit_ServerPort"), QString::number(m_configPort));
            tool.click(QStringLiteral("pushButton_TcpConnect"));
            QVERIFY(tool.waitForStatus(QStringLiteral("Tcp Connected")));
            // The factory record: 9600 baud (index 5), TCP ports 502 and 503.
            QVERIFY(tool.waitForBaud(QStringLiteral("comboBox_Baud_485"), 5));
            QCOMPARE(tool.find<QSpinBox>(QStringLiteral("spinBox_Port_485"))->value(), 502);
            QCOMPARE(tool.find<QSpinBox>(QStringLiteral("spinBox_Port_232"))->value(), 503);
            QVERIFY(tool.page->isEnabled());

            tool.find<QComboBox>(QStringLiteral("comboBox_Baud_485"))->setCurrentIndex(7); // 38400
            boxes.expect(QMessageBox::Yes, QStringLiteral("Dikkat !"));
            tool.click(QStringLiteral("pushButton_ConfigurationApply"));
            QVERIFY(tool.waitForStatus(QStringLiteral("Successfully written")));

            tool.click(QStringLiteral("pushButton_TcpConnect"));
            QVERIFY(tool.waitForStatus(QStringLiteral("Disconnected from TCP")));
        }
        Tool reader(1);
        QCOMPARE(reader.find<QLineEdit>(QStringLiteral("lineEdit_ServerPort"))->text(),
                 QString::number(m_configPort)); // from the registry
        reader.click(QStringLiteral("pushButton_TcpConnect"));
        QVERIFY(reader.waitForStatus(QStringLiteral("Tcp Connected")));
        QVERIFY(reader.waitForBaud(QStringLiteral("comboBox_Baud_485"), 7));
        reader.click(QStringLiteral("pushButton_TcpConnect"));
        QVERIFY(reader.waitForStatus(QStringLiteral("Disconnected from TCP")));

        Tool dataPortReader(2);
        dataPortReader.type(QStringLiteral("lineEdit_TcpServerIp"), Loopback);
        dataPortReader.type(QStringLiteral("lineEdit_ServerPort485"), QString::number(m_port485));
        dataPortReader.click(QStringLiteral("pushButton_485Connect"));
        QVERIFY(dataPortReader.waitForStatus(QStringLiteral("Tcp 485 Port Connected")));
        QVERIFY(dataPortReader.waitForBaud(QStringLiteral("comboBox_Baud_485"), 7));
        dataPortReader.click(QStringLiteral("pushButton_485Connect"));
        QVERIFY(dataPortReader.waitForStatus(QStringLiteral("Disconnected from TCP 485 Port")));

        // The device as it was: the next test case starts from its factory record.
        Tool restorer(1);
        restorer.click(QStringLiteral("pushButton_TcpConnect"));
        QVERIFY(restorer.waitForBaud(QStringLiteral("comboBox_Baud_485"), 7));
        restorer.find<QComboBox>(QStringLiteral("comboBox_Baud_485"))->setCurrentIndex(5);
        boxes.expect(QMessageBox::Yes, QStringLiteral("Dikkat !"));
        restorer.click(QStringLiteral("pushButton_ConfigurationApply"));
        QVERIFY(restorer.waitForStatus(QStringLiteral("Successfully written")));
        restorer.click(QStringLiteral("pushButton_TcpConnect"));
        QVERIFY(restorer.waitForStatus(QStringLiteral("Disconnected from TCP")));
        QVERIFY(boxes.unexpected().isEmpty());
        QCOMPARE(boxes.seen().size(), 2);
    }

    // Each data port, on its own: the route comes up, the device's GSM record
    // (its factory one) fills the page, the device answers a ping, and the
    // route goes down on the button.
    void dataPort_data()
    {
        QTest::addColumn<QString>("portEntry");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("connectedText");
        QTest::addColumn<QString>("disconnectedText");
        QTest::newRow("RS-232") << "lineEdit_ServerPort232"
                                << "pushButton_232Connect"
                                << "Tcp 232 Port Connected"
                                << "Disconnected from TCP 232 Port";
        QTest::newRow("RS-485") << "lineEdit_ServerPort485"
                                << "pushButton_485Connect"
                                << "Tcp 485 Port Connected"
                                << "Disconnected from TCP 485 Port";
    }

    void dataPort()
    {
        QFETCH(QString, portEntry);
        QFETCH(QString, button);
        QFETCH(QString, connectedText);
        QFETCH(QString, disconnectedText);
        const quint16 port = portEntry.endsWith(QLatin1String("232")) ? m_port232 : m_port485;

        TestSupport::MessageBoxAnswerer boxes;
        Tool tool(2);
        tool.type(QStringLiteral("lineEdit_TcpServerIp"), Loopback);
        tool.type(portEntry, QString::number(port));
        tool.click(button);
        QVERIFY(tool.waitForStatus(connectedText));
        QTRY_COMPARE_WITH_TIMEOUT(tool.find<QLineEdit>(QStringLiteral("lineEdit_APN"))->text(),
                                  QStringLiteral("internet"), Patience);
        // Both ports at the factory's 9600 baud.
        QCOMPARE(tool.find<QComboBox>(QStringLiteral("comboBox_Baud_485"))->currentIndex(), 5);
        QCOMPARE(tool.find<QComboBox>(QStringLiteral("comboBox_Baud_232"))->currentIndex(), 5);

        tool.find<QAction>(QStringLiteral("actionPING"))->trigger();
        QVERIFY(tool.waitForStatus(QStringLiteral("Ping -> OK")));

        tool.click(button);
        QVERIFY(tool.waitForStatus(disconnectedText));
        QVERIFY(!tool.page->isEnabled());
        QVERIFY(boxes.unexpected().isEmpty());
    }

private:
    quint16 m_configPort = 0;
    quint16 m_port232 = 0;
    quint16 m_port485 = 0;
};

TELVOR_TEST_MAIN(TestWineEndToEnd)
#include "tst_wine_e2e.moc"
