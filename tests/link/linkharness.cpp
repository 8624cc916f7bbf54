#include "linkharness.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QStatusBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace LinkHarness {

const QString Loopback = QStringLiteral("127.0.0.1");
const QByteArray ReadAll = QByteArrayLiteral("AT+READALL\r\n");

int modelFor(CommSettings::eRoute_t route)
{
    return route == CommSettings::TCP232 || route == CommSettings::TCP485 ? 2 : 1;
}

devsim::Endpoint endpointFor(CommSettings::eRoute_t route)
{
    switch (route) {
    case CommSettings::USB:
        return devsim::Endpoint::Usb;
    case CommSettings::TCP232:
        return devsim::Endpoint::Rs232;
    case CommSettings::TCP485:
        return devsim::Endpoint::Rs485;
    default:
        return devsim::Endpoint::ConfigService;
    }
}

Tool::Tool(int model) : window(nullptr, model)
{
    panel = window.findChild<CommSettings *>();
    page = window.findChild<TransparentConfig *>();
    statusBar = window.findChild<QStatusBar *>();
    if (!panel || !page || !statusBar)
        fail(QStringLiteral("panel, page or status bar"));
    connect(statusBar, &QStatusBar::messageChanged, this, [this](const QString &text) {
        if (!text.isEmpty())
            statusLog.append(text);
    });
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        qWarning("The main window was not exposed");
}

Tool::~Tool() = default;

void Tool::fail(const QString &name)
{
    qFatal("The main window has no widget \"%s\"", qPrintable(name));
}

void Tool::click(const QString &buttonName)
{
    QTest::mouseClick(find<QAbstractButton>(buttonName), Qt::LeftButton);
}

void Tool::type(const QString &lineEditName, const QString &text)
{
    auto *edit = find<QLineEdit>(lineEditName);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

void Tool::typeNumber(const QString &spinBoxName, int value)
{
    auto *box = find<QSpinBox>(spinBoxName);
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, QString::number(value));
    QTest::keyClick(box, Qt::Key_Return);
}

void Tool::choose(const QString &comboBoxName, int index)
{
    find<QComboBox>(comboBoxName)->setCurrentIndex(index);
}

QString Tool::status() const
{
    return statusBar->currentMessage();
}

bool Tool::waitForStatus(const QString &text, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!sawStatus(text) && !deadline.hasExpired())
        QTest::qWait(10);
    return sawStatus(text);
}

void Tool::connectEthernet(quint16 port)
{
    type(QStringLiteral("lineEdit_ServerIp"), Loopback);
    type(QStringLiteral("lineEdit_ServerPort"), QString::number(port));
    click(QStringLiteral("pushButton_TcpConnect"));
}

void Tool::connectDataPort(CommSettings::eRoute_t route, quint16 port)
{
    type(QStringLiteral("lineEdit_TcpServerIp"), Loopback);
    if (route == CommSettings::TCP232) {
        type(QStringLiteral("lineEdit_ServerPort232"), QString::number(port));
        click(QStringLiteral("pushButton_232Connect"));
    } else {
        type(QStringLiteral("lineEdit_ServerPort485"), QString::number(port));
        click(QStringLiteral("pushButton_485Connect"));
    }
}

void Tool::connectRoute(CommSettings::eRoute_t route, quint16 port)
{
    if (route == CommSettings::TCP)
        connectEthernet(port);
    else
        connectDataPort(route, port);
}

void Tool::connectTo(CommSettings::eRoute_t route, devsim::DeviceSimulator &device)
{
    switch (route) {
    case CommSettings::USB:
        window.openSerialPort(device.usbPath());
        break;
    case CommSettings::TCP232:
        connectDataPort(route, device.port232());
        break;
    case CommSettings::TCP485:
        connectDataPort(route, device.port485());
        break;
    default:
        connectEthernet(device.configPort());
        break;
    }
}

QComboBox *Tool::baudBox(CommSettings::eRoute_t route) const
{
    return find<QComboBox>(route == CommSettings::TCP232 ? QStringLiteral("comboBox_Baud_232")
                                                         : QStringLiteral("comboBox_Baud_485"));
}

bool Tool::waitForFactoryRecord(CommSettings::eRoute_t route, int timeoutMs) const
{
    QComboBox *baud = baudBox(route);
    return QTest::qWaitFor([baud] { return baud->currentIndex() == 5; }, timeoutMs);
}

bool Tool::commandsEnabled(bool restart, bool info, bool ping) const
{
    return action(QStringLiteral("actionRESTART_DEVICE"))->isEnabled() == restart &&
           action(QStringLiteral("actionGET_INFO"))->isEnabled() == info &&
           action(QStringLiteral("actionPING"))->isEnabled() == ping;
}

bool Tool::modelActionsEnabled() const
{
    const bool ethernet = action(QStringLiteral("actionEthernet_Modem"))->isEnabled();
    const bool gsm = action(QStringLiteral("actionGSM_Modem"))->isEnabled();
    if (ethernet != gsm)
        qWarning("The two model actions disagree");
    return ethernet && gsm;
}

bool Tool::isIdle() const
{
    return !page->isEnabled() && commandsEnabled(false, false, false) && modelActionsEnabled();
}

ScriptedPeer::ScriptedPeer() : m_server(new QTcpServer(this))
{
    m_server->listen(QHostAddress::LocalHost);
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server->nextPendingConnection()) {
            m_connection = socket;
            connect(socket, &QTcpSocket::readyRead, this, &ScriptedPeer::takeBytes);
        }
    });
}

quint16 ScriptedPeer::port() const
{
    return m_server->serverPort();
}

bool ScriptedPeer::hasConnection() const
{
    return m_connection && m_connection->state() == QAbstractSocket::ConnectedState;
}

bool ScriptedPeer::waitForConnection(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!hasConnection() && !deadline.hasExpired())
        QTest::qWait(10);
    return hasConnection();
}

void ScriptedPeer::takeBytes()
{
    m_pending += m_connection->readAll();
    for (int end = m_pending.indexOf("\r\n"); end >= 0; end = m_pending.indexOf("\r\n")) {
        const QByteArray frame = m_pending.left(end + 2);
        m_pending.remove(0, end + 2);
        received.append(frame);
        if (replies.contains(frame))
            m_connection->write(replies.value(frame));
    }
}

std::unique_ptr<devsim::DeviceSimulator> startDevice(bool usb, const devsim::Faults &faults)
{
    devsim::DeviceSimulator::Options options;
    options.model = devsim::Model::Both;
    options.usb = usb;
    options.restartMs = 300;
    options.faults = faults;
    auto device = std::make_unique<devsim::DeviceSimulator>(options);
    QString error;
    if (!device->start(&error)) {
        qWarning("The simulated device does not start: %s", qPrintable(error));
        return nullptr;
    }
    return device;
}

bool Link::open(CommSettings::eRoute_t route, const devsim::Faults &faults, bool withUsb)
{
    device = startDevice(withUsb || route == CommSettings::USB, faults);
    if (!device)
        return false;
    tool = std::make_unique<Tool>(modelFor(route));
    tool->connectTo(route, *device);
    return tool->waitForFactoryRecord(route);
}

QWidgetList visibleWindows(const char *className)
{
    QWidgetList found;
    const auto widgets = QApplication::topLevelWidgets();
    for (QWidget *widget : widgets) {
        if (widget->inherits(className) && widget->isVisible())
            found << widget;
    }
    return found;
}

quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

} // namespace LinkHarness
