#include "linkharness.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QStatusBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace LinkHarness {

const QString Loopback = QStringLiteral("127.0.0.1");

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

quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

} // namespace LinkHarness
