#include "devicesimulator.h"

#include "connection.h"
#include "deviceprotocol.h"
#include "devicestate.h"
#include "pseudoterminal.h"

#include <QFile>
#include <QSaveFile>
#include <QTcpServer>
#include <QTcpSocket>

namespace devsim {

namespace {

const Endpoint TcpEndpoints[] = {Endpoint::ConfigService, Endpoint::Rs232, Endpoint::Rs485};

CommandSet commandSet(Endpoint endpoint)
{
    return endpoint == Endpoint::Rs232 || endpoint == Endpoint::Rs485 ? CommandSet::Gsm
                                                                      : CommandSet::Ethernet;
}

QByteArray joinValues(const QList<QByteArray> &values)
{
    QByteArray joined;
    for (int i = 0; i < values.size(); ++i)
        joined += (i > 0 ? "," : "") + values.at(i);
    return joined;
}

Delivery deliveryOf(const Faults &faults)
{
    Delivery delivery;
    delivery.delayMs = faults.replyDelayMs;
    delivery.chunkSize = faults.chunkSize;
    delivery.chunkGapMs = faults.chunkGapMs;
    delivery.coalesce = faults.coalesce;
    return delivery;
}

const QByteArray GarbageLine = QByteArrayLiteral("#%&GARBAGE*?~\r\n");
constexpr int BusyGraceMs = 50;

} // namespace

QString endpointName(Endpoint endpoint)
{
    switch (endpoint) {
    case Endpoint::ConfigService:
        return QStringLiteral("config-service");
    case Endpoint::Usb:
        return QStringLiteral("usb");
    case Endpoint::Rs232:
        return QStringLiteral("rs232");
    case Endpoint::Rs485:
        return QStringLiteral("rs485");
    }
    return QString();
}

DeviceSimulator::DeviceSimulator(const Options &options, QObject *parent)
    : QObject(parent), m_options(options), m_faults(options.faults), m_state(std::make_unique<DeviceState>())
{
    qRegisterMetaType<devsim::Endpoint>();
    m_restartTimer.setSingleShot(true);
    m_restartTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_restartTimer, &QTimer::timeout, this, &DeviceSimulator::endRestart);
}

DeviceSimulator::~DeviceSimulator()
{
    stop();
}

bool DeviceSimulator::serves(Endpoint endpoint) const
{
    if (endpoint == Endpoint::ConfigService || endpoint == Endpoint::Usb) {
        const bool ethernet = m_options.model != Model::Gsm;
        return endpoint == Endpoint::Usb ? ethernet && m_options.usb : ethernet;
    }
    return m_options.model != Model::Ethernet;
}

bool DeviceSimulator::start(QString *error)
{
    QString ignored;
    QString &reason = error ? *error : ignored;
    stop();
    if (!m_options.host.isLoopback()) {
        reason = QStringLiteral("%1 is not a loopback address").arg(m_options.host.toString());
        return false;
    }
    if (!m_options.stateFile.isEmpty() && QFile::exists(m_options.stateFile)) {
        QFile file(m_options.stateFile);
        if (!file.open(QIODevice::ReadOnly)) {
            reason = QStringLiteral("cannot read %1").arg(m_options.stateFile);
            return false;
        }
        if (const std::optional<QByteArray> problem = m_state->loadJson(file.readAll())) {
            reason = QStringLiteral("%1: %2").arg(m_options.stateFile, QString::fromUtf8(*problem));
            return false;
        }
    }

    const QHash<Endpoint, quint16> requested = {{Endpoint::ConfigService, m_options.configPort},
                                                {Endpoint::Rs232, m_options.port232},
                                                {Endpoint::Rs485, m_options.port485}};
    for (Endpoint endpoint : TcpEndpoints) {
        if (serves(endpoint) && !listen(endpoint, requested.value(endpoint), &reason)) {
            stop();
            return false;
        }
    }
    if (serves(Endpoint::Usb)) {
        m_pty = new PseudoTerminal(this);
        if (!m_pty->open(&reason) ||
            (!m_options.ptyLink.isEmpty() && !m_pty->makeLink(m_options.ptyLink, &reason))) {
            stop();
            return false;
        }
        m_usb = new PtyConnection(m_pty, this);
        adopt(m_usb);
    }
    return true;
}

void DeviceSimulator::stop()
{
    m_restartTimer.stop();
    m_restarting = false;
    qDeleteAll(m_servers);
    m_servers.clear();
    m_ports.clear();
    // Deleting a connection deletes its socket, which aborts it.
    const QList<Connection *> connections = m_connections;
    m_connections.clear();
    qDeleteAll(connections);
    delete m_usb;
    m_usb = nullptr;
    delete m_pty;
    m_pty = nullptr;
}

bool DeviceSimulator::listen(Endpoint endpoint, quint16 port, QString *error)
{
    auto *server = new QTcpServer(this);
    if (!server->listen(m_options.host, port)) {
        *error = QStringLiteral("%1: cannot listen on port %2: %3")
                     .arg(endpointName(endpoint))
                     .arg(port)
                     .arg(server->errorString());
        delete server;
        return false;
    }
    connect(server, &QTcpServer::newConnection, this, [this, endpoint] { acceptConnections(endpoint); });
    m_servers.insert(endpoint, server);
    m_ports.insert(endpoint, server->serverPort());
    return true;
}

void DeviceSimulator::acceptConnections(Endpoint endpoint)
{
    QTcpServer *server = m_servers.value(endpoint);
    while (QTcpSocket *socket = server->nextPendingConnection()) {
        const bool dataPort = endpoint != Endpoint::ConfigService;
        if (dataPort && m_faults.closeOnAccept) {
            drop(endpoint, socket, QStringLiteral("connection closed on accept"));
        } else if (dataPort && connectionCount(endpoint) > 0) {
            // A data port serves one peer at a time. The previous peer may
            // have closed an instant ago without the close having been read
            // yet, so look again shortly before turning this one away.
            QTimer::singleShot(BusyGraceMs, socket, [this, endpoint, socket] {
                if (connectionCount(endpoint) > 0)
                    drop(endpoint, socket, QStringLiteral("busy: second connection closed"));
                else
                    serve(endpoint, socket);
            });
        } else {
            serve(endpoint, socket);
        }
    }
}

void DeviceSimulator::drop(Endpoint endpoint, QTcpSocket *socket, const QString &reason)
{
    emit notice(endpoint, reason);
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    socket->disconnectFromHost();
    if (socket->state() == QAbstractSocket::UnconnectedState)
        socket->deleteLater();
}

void DeviceSimulator::serve(Endpoint endpoint, QTcpSocket *socket)
{
    if (socket->state() != QAbstractSocket::ConnectedState) {
        socket->deleteLater();
        return;
    }
    emit notice(endpoint, QStringLiteral("connection from %1:%2")
                              .arg(socket->peerAddress().toString())
                              .arg(socket->peerPort()));
    auto *connection = new TcpConnection(endpoint, socket, this);
    m_connections.append(connection);
    adopt(connection);
}

void DeviceSimulator::adopt(Connection *connection)
{
    const Endpoint endpoint = connection->endpoint();
    connect(connection, &Connection::frameReceived, this,
            [this, connection](const QByteArray &frame) { handleRequest(connection, frame); });
    connect(connection, &Connection::replyWritten, this,
            [this, endpoint](const QByteArray &reply) { emit replySent(endpoint, reply); });
    connect(connection, &Connection::closed, this, [this, connection, endpoint] {
        m_connections.removeOne(connection);
        connection->deleteLater();
        emit notice(endpoint, QStringLiteral("connection closed"));
    });
}

void DeviceSimulator::handleRequest(Connection *connection, const QByteArray &frame)
{
    const Endpoint endpoint = connection->endpoint();
    if (m_restarting) {
        emit notice(endpoint, QStringLiteral("restarting: request dropped"));
        return;
    }
    m_received[endpoint].append(frame);
    emit requestReceived(endpoint, frame);
    if (m_faults.silentAfter >= 0 && m_answered >= m_faults.silentAfter) {
        emit notice(endpoint, QStringLiteral("silent: request not answered"));
        return;
    }
    ++m_answered;

    ContentFaults content;
    content.recordValueDelta = m_faults.recordValueDelta;
    content.outOfRangeValues = m_faults.outOfRangeValues;
    content.errOnWrite = m_faults.errOnWrite;
    const Response response = respond(*m_state, commandSet(endpoint), frame, content);
    if (response.stateChanged)
        saveState();

    QByteArray reply = response.frame;
    if (m_faults.oversizedReplyBytes > 0)
        reply = QByteArray(m_faults.oversizedReplyBytes, 'X');
    else if (m_faults.garbageReply)
        reply = GarbageLine;
    Delivery delivery = deliveryOf(m_faults);
    if (m_faults.closeMidReply) {
        m_faults.closeMidReply = false;
        reply.truncate(reply.size() / 2);
        delivery.closeAfter = true;
    }
    std::function<void()> afterSent;
    switch (response.action) {
    case DeviceAction::Restart:
        afterSent = [this, endpoint] { beginRestart(endpoint); };
        break;
    case DeviceAction::Close232:
        afterSent = [this] { closeEndpoint(Endpoint::Rs232); };
        break;
    case DeviceAction::Close485:
        afterSent = [this] { closeEndpoint(Endpoint::Rs485); };
        break;
    case DeviceAction::None:
        break;
    }
    connection->sendReply(reply, delivery, std::move(afterSent));
}

void DeviceSimulator::closeEndpoint(Endpoint endpoint)
{
    const QList<Connection *> connections = m_connections;
    for (Connection *connection : connections) {
        if (connection->endpoint() == endpoint)
            connection->close();
    }
}

void DeviceSimulator::beginRestart(Endpoint origin)
{
    if (m_restarting)
        return;
    emit notice(origin, QStringLiteral("restarting for %1 ms").arg(m_options.restartMs));
    m_restarting = true;
    m_restartOrigin = origin;
    for (Endpoint endpoint : TcpEndpoints)
        closeEndpoint(endpoint);
    // Closed servers refuse connections; the ports are taken again afterwards.
    qDeleteAll(m_servers);
    m_servers.clear();
    // The USB port stays open, but what arrives during the restart is lost.
    if (m_usb)
        m_usb->reset();
    m_state->applyNetworkConfig();
    saveState();
    m_restartTimer.start(qMax(0, m_options.restartMs));
}

void DeviceSimulator::endRestart()
{
    m_restarting = false;
    const QHash<Endpoint, quint16> ports = m_ports;
    for (auto it = ports.cbegin(); it != ports.cend(); ++it) {
        QString error;
        if (!listen(it.key(), it.value(), &error))
            emit notice(it.key(), error);
    }
    if (m_usb)
        m_usb->reset();
    emit notice(m_restartOrigin, QStringLiteral("restart complete"));
}

void DeviceSimulator::saveState()
{
    if (m_options.stateFile.isEmpty())
        return;
    QSaveFile file(m_options.stateFile);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(m_state->toJson());
        file.commit();
    }
}

quint16 DeviceSimulator::configPort() const
{
    return m_ports.value(Endpoint::ConfigService);
}

quint16 DeviceSimulator::port232() const
{
    return m_ports.value(Endpoint::Rs232);
}

quint16 DeviceSimulator::port485() const
{
    return m_ports.value(Endpoint::Rs485);
}

QString DeviceSimulator::usbPath() const
{
    return m_pty ? m_pty->slavePath() : QString();
}

Faults DeviceSimulator::faults() const
{
    return m_faults;
}

void DeviceSimulator::setFaults(const Faults &faults)
{
    m_faults = faults;
    m_answered = 0;
    if (m_faults.coalesce <= 1) {
        const Delivery delivery = deliveryOf(m_faults);
        for (Connection *connection : m_connections)
            connection->releaseHeld(delivery);
        if (m_usb)
            m_usb->releaseHeld(delivery);
    }
}

QList<QByteArray> DeviceSimulator::received(Endpoint endpoint) const
{
    return m_received.value(endpoint);
}

void DeviceSimulator::clearReceived()
{
    m_received.clear();
}

int DeviceSimulator::connectionCount(Endpoint endpoint) const
{
    if (endpoint == Endpoint::Usb)
        return m_usb && !m_restarting ? 1 : 0;
    int count = 0;
    for (const Connection *connection : m_connections)
        count += connection->endpoint() == endpoint ? 1 : 0;
    return count;
}

QByteArray DeviceSimulator::portRecord(Endpoint endpoint) const
{
    return joinValues(m_state->portRecord(commandSet(endpoint)));
}

QByteArray DeviceSimulator::networkRecord() const
{
    return joinValues(m_state->networkRecord());
}

QByteArray DeviceSimulator::infoRecord(Endpoint endpoint) const
{
    return joinValues(m_state->infoRecord(commandSet(endpoint)));
}

void DeviceSimulator::setPortRecordValue(Endpoint endpoint, int index, const QByteArray &value)
{
    if (m_state->setPortValue(commandSet(endpoint), index, value))
        saveState();
}

bool DeviceSimulator::setCurrentIp(const QString &dotted)
{
    const std::optional<std::array<quint8, 4>> octets = parseDottedAddress(dotted.toUtf8());
    if (!octets)
        return false;
    m_state->setCurrentIp(*octets);
    saveState();
    return true;
}

void DeviceSimulator::sendRaw(Endpoint endpoint, const QByteArray &bytes)
{
    if (endpoint == Endpoint::Usb) {
        if (m_usb)
            m_usb->sendRaw(bytes);
        return;
    }
    for (Connection *connection : m_connections) {
        if (connection->endpoint() == endpoint)
            connection->sendRaw(bytes);
    }
}

} // namespace devsim
