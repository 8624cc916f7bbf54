#include "devicetest.h"

#include "devinfo.h"

#include <QLineEdit>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace DeviceTest {

const QByteArray ReadAll = QByteArrayLiteral("AT+READALL\r\n");
const QByteArray ReadNetwork = QByteArrayLiteral("AT+READ_NETWORKCFG\r\n");
const QByteArray ReadInfo = QByteArrayLiteral("AT+DEVINFO\r\n");

const QByteArray OddEthernetValues = "1,502,3,7,2,2,8,16,600,200,5,0,503,1,8,1,1,4,8,400,100,0,1";
const QByteArray OddGsmValues =
    "1,502,3,7,2,2,8,16,600,200,5,2,5000,120,1,503,1,8,1,1,4,8,400,100,0,0,100,180,apn.example,1";

const QByteArray InfoRecord = "+DEVINFO=SN-0042,00:1A:2B:3C:4D:5E,TRP-ETH,RS485,2,7,TB-01,1,3,12\r\n";
const QStringList InfoTexts = {
    "SN-0042", "00:1A:2B:3C:4D:5E", "TRP-ETH", "RS485", "2", "7", "TB-01", "1", "3", "12"};

const NamedRoute Routes[4] = {{CommSettings::TCP, "configuration service"},
                              {CommSettings::USB, "USB"},
                              {CommSettings::TCP232, "RS-232 data port"},
                              {CommSettings::TCP485, "RS-485 data port"}};

namespace {

// Position of the RS-485 baud index in the port record, on both command sets.
const int Baud485Position = 6;
const QByteArray MarkedBaudIndex = "2";

} // namespace

const QByteArray &oddValuesFor(CommSettings::eRoute_t route)
{
    return isDataPort(route) ? OddGsmValues : OddEthernetValues;
}

QByteArray portRecord(const QByteArray &values)
{
    return "+READALL=" + values + "\r\n";
}

QByteArray withValue(const QByteArray &values, int position, const QByteArray &value)
{
    QList<QByteArray> list = values.split(',');
    list[position] = value;
    return list.join(',');
}

QStringList infoTexts(const DevInfo &window)
{
    return InfoWindow(window).texts();
}

void addRouteRows(const char *what)
{
    QTest::addColumn<CommSettings::eRoute_t>("route");
    for (const NamedRoute &r : Routes) {
        QString name = QLatin1String(r.name);
        if (what)
            name += QLatin1String(": ") + QLatin1String(what);
        QTest::newRow(qPrintable(name)) << r.route;
    }
}

eDeviceModel_t modelFor(CommSettings::eRoute_t route)
{
    return Tool::modelFor(route);
}

bool isDataPort(CommSettings::eRoute_t route)
{
    return route == CommSettings::TCP232 || route == CommSettings::TCP485;
}

Endpoint endpointFor(CommSettings::eRoute_t route)
{
    switch (route) {
    case CommSettings::USB:
        return Endpoint::Usb;
    case CommSettings::TCP232:
        return Endpoint::Rs232;
    case CommSettings::TCP485:
        return Endpoint::Rs485;
    default:
        return Endpoint::ConfigService;
    }
}

QString receiveError(CommSettings::eRoute_t route, const QString &errorName)
{
    switch (route) {
    case CommSettings::USB:
        return QStringLiteral("SerialReceived Error : ") + errorName;
    case CommSettings::TCP232:
        return QStringLiteral("TCP232DataReceived Error :") + errorName;
    case CommSettings::TCP485:
        return QStringLiteral("TCP485DataReceived Error :") + errorName;
    default:
        return QStringLiteral("TCPDataReceived Error :") + errorName;
    }
}

QString disconnectedText(CommSettings::eRoute_t route)
{
    switch (route) {
    case CommSettings::USB:
        return QStringLiteral("Disconnected from USB");
    case CommSettings::TCP232:
        return QStringLiteral("Disconnected from TCP 232 Port");
    case CommSettings::TCP485:
        return QStringLiteral("Disconnected from TCP 485 Port");
    default:
        return QStringLiteral("Disconnected from TCP");
    }
}

DeviceAddress SimulatedDevice::address() const
{
    DeviceAddress address;
    address.configPort = configPort();
    address.port232 = port232();
    address.port485 = port485();
    address.usbPath = usbPath();
    return address;
}

std::unique_ptr<SimulatedDevice> startDevice(const devsim::Faults &faults, Record record)
{
    devsim::DeviceSimulator::Options options;
    options.model = devsim::Model::Both;
    options.usb = true;
    options.restartMs = 300;
    options.faults = faults;
    auto device = std::make_unique<SimulatedDevice>(options);
    QString error;
    if (!device->start(&error)) {
        qWarning("The simulated device does not start: %s", qPrintable(error));
        return nullptr;
    }
    // USB shares the configuration service's record, RS-485 the RS-232 port's.
    if (record == Record::Marked) {
        for (Endpoint endpoint : {Endpoint::ConfigService, Endpoint::Rs232})
            device->setPortRecordValue(endpoint, Baud485Position, MarkedBaudIndex);
    }
    return device;
}

Session::Session(CommSettings::eRoute_t route, const devsim::Faults &faults, Record record)
    : device(startDevice(faults, record)), endpoint(endpointFor(route)), tool(route)
{
    if (device) {
        tool.connectTo(*device);
        ready = tool.waitForRecord(record);
    }
}

ScriptedPeer::ScriptedPeer() : m_server(new QTcpServer(this))
{
    m_server->listen(QHostAddress::LocalHost);
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server->nextPendingConnection()) {
            m_connection = socket;
            ++connectionsAccepted;
            // A connection the device closed goes with its socket.
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
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
    return QTest::qWaitFor([this] { return hasConnection(); }, timeoutMs);
}

void ScriptedPeer::takeBytes()
{
    m_pending += m_connection->readAll();
    for (int end = m_pending.indexOf("\r\n"); end >= 0; end = m_pending.indexOf("\r\n")) {
        // A copy of its own: a frame that is all of one read would otherwise
        // keep that read's whole buffer alive in `received`.
        const QByteArray frame(m_pending.constData(), end + 2);
        m_pending.remove(0, end + 2);
        received.append(frame);
        if (replies.contains(frame)) {
            m_connection->write(replies.value(frame));
            if (closeAfterReply) {
                m_pending.clear();
                m_connection->disconnectFromHost();
                return;
            }
        }
    }
}

quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
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

QStringList lineEditTexts(const QWidget &window)
{
    QStringList texts;
    for (const QLineEdit *edit : window.findChildren<QLineEdit *>())
        texts << edit->objectName() + QLatin1Char('=') + edit->text();
    return texts;
}

} // namespace DeviceTest
