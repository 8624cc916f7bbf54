// The connection controller; see linkcontroller.h. One path for all four
// routes; the route table says where they differ.

#include "link/linkcontroller.h"

#include "logging.h"
#include "statustimes.h"

#include <QCoreApplication>
#include <QMetaEnum>
#include <QTcpSocket>
#include <QTimer>

#include <iterator>

namespace {

QString translated(const char *text)
{
    return QCoreApplication::translate("TelvorConfigurator", text);
}

} // namespace

const QString LinkController::SocketErrorNames[24] = {
    QStringLiteral("ConnectionRefusedError"),
    QStringLiteral("RemoteHostClosedError"),
    QStringLiteral("HostNotFoundError"),
    QStringLiteral("SocketAccessError"),
    QStringLiteral("SocketResourceError"),
    QStringLiteral("SocketTimeoutError"),
    QStringLiteral("DatagramTooLargeError"),
    QStringLiteral("NetworkError"),
    QStringLiteral("AddressInUseError"),
    QStringLiteral("SocketAddressNotAvailableError"),
    QStringLiteral("UnsupportedSocketOperationError"),
    QStringLiteral("UnfinishedSocketOperationError"),
    QStringLiteral("ProxyAuthenticationRequiredError"),
    QStringLiteral("SslHandshakeFailedError"),
    QStringLiteral("ProxyConnectionRefusedError"),
    QStringLiteral("ProxyConnectionClosedError"),
    QStringLiteral("ProxyConnectionTimeoutError"),
    QStringLiteral("ProxyNotFoundError"),
    QStringLiteral("ProxyProtocolError"),
    QStringLiteral("OperationError"),
    QStringLiteral("SslInternalError"),
    QStringLiteral("SslInvalidUserDataError"),
    QStringLiteral("TemporaryError"),
    QStringLiteral("UnknownSocketError"),
};

const QString LinkController::SerialErrorNames[14] = {
    QStringLiteral("NoError"),       QStringLiteral("DeviceNotFoundError"),       QStringLiteral("PermissionError"), QStringLiteral("OpenError"),   QStringLiteral("ParityError"),
    QStringLiteral("FramingError"),  QStringLiteral("BreakConditionError"),       QStringLiteral("WriteError"),      QStringLiteral("ReadError"),   QStringLiteral("ResourceError"),
    QStringLiteral("UnsupportedOperationError"), QStringLiteral("UnknownError"), QStringLiteral("TimeoutError"),    QStringLiteral("NotOpenError"),
};

QString LinkController::socketErrorName(QAbstractSocket::SocketError error)
{
    // Values outside the table (a newer Qt, or the unknown error -1) get the
    // generic name.
    const int index = int(error);
    if (index < 0 || index >= int(std::size(SocketErrorNames)))
        return QStringLiteral("UnknownSocketError");
    return SocketErrorNames[index];
}

QString LinkController::serialErrorName(QSerialPort::SerialPortError error)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    // Qt 6 dropped the parity, framing and break errors, so its values no
    // longer index the table: the enumerator's own name is the same text.
    const char *name = QMetaEnum::fromType<QSerialPort::SerialPortError>().valueToKey(int(error));
    return name ? QString::fromLatin1(name) : QStringLiteral("UnknownError");
#else
    const int index = int(error);
    if (index < 0 || index >= int(std::size(SerialErrorNames)))
        return QStringLiteral("UnknownError");
    return SerialErrorNames[index];
#endif
}

LinkController::LinkController(QObject *parent)
    : QObject(parent), m_readingTimer(new QTimer), m_serverFullTimer(new QTimer), m_writeAnswerTimer(new QTimer)
{
    // Queued connections and signal spies find the route by either name.
    qRegisterMetaType<RouteId>("RouteId");
    qRegisterMetaType<RouteId>("CommSettings::eRoute_t");
    for (int r = RouteIds::TCP; r < RouteIds::Max; ++r) {
        const RouteId route = RouteId(r);
        m_links[route].reset(new Link(route));
        Link *link = m_links[route].get();
        connect(link, &Link::opened, this, [this, route] { channelOpened(route); });
        connect(link, &Link::closed, this, [this, route] { channelClosed(route); });
        connect(link, &Link::dataArrived, this, [this, route] { dataArrived(route); });
        connect(link, &Link::silent, this, [this, route] { answerTimeout(route); });
        connect(link, &Link::frameReceived, this, [this, route](const QByteArray &f) { handleFrame(route, f); });
        connect(link, &Link::receiveFailed, this,
                [this, route](DeviceProtocol::TrpErr_t result) { reportReceiveFailure(route, result); });
        connect(link, &Link::socketError, this,
                [this, route](QAbstractSocket::SocketError e) { socketError(route, e); });
        connect(link, &Link::socketStateChanged, this,
                [this, route](QAbstractSocket::SocketState s) { socketStateChanged(route, s); });
        connect(link, &Link::serialError, this, &LinkController::serialError);
    }
    // The configuration service and USB start with their flag set: it only
    // tells a silent channel from one that has answered. A data port's flag
    // is set when its socket connects.
    for (auto &link : m_links)
        link->setAnswered(!link->profile().upWhenConnected);

    connect(m_readingTimer.get(), &QTimer::timeout, this, &LinkController::readingTimeout);
    connect(m_serverFullTimer.get(), &QTimer::timeout, this, &LinkController::serverFullTimeout);
    // Started by each record write, stopped by its answer or a route going
    // down. A coarse timer may fire up to 5 % early; the device gets its full
    // time.
    m_writeAnswerTimer->setSingleShot(true);
    m_writeAnswerTimer->setTimerType(Qt::PreciseTimer);
    connect(m_writeAnswerTimer.get(), &QTimer::timeout, this, &LinkController::writeUnanswered);
}

LinkController::~LinkController()
{
    // The links go first: a socket that still reports its disconnect while
    // being deleted must find nobody listening.
    for (auto &link : m_links)
        link->disconnect(this);
    m_readingTimer->disconnect(this);
    m_serverFullTimer->disconnect(this);
}

void LinkController::showText(const RouteText &text, const QString &argument)
{
    if (!text.text)
        return;
    QString shown = translated(text.text);
    if (!argument.isNull())
        shown = shown.arg(argument);
    emit statusText(shown, text.ms);
}

void LinkController::setAnswered(RouteId route, bool answered)
{
    m_links[route]->setAnswered(answered);
    emit answeredChanged(route, answered);
}

// --- the life of a route ----------------------------------------------------

// The channel is open: the configuration service and USB ask for the port
// record and wait for the answer; a data port is up at once and is asked half
// a second later.
void LinkController::channelOpened(RouteId route)
{
    Link &link = *m_links[route];
    link.clearFrames();
    setAnswered(route, true);
    if (link.profile().upWhenConnected) {
        if (m_active != route)
            routeBecameUp(route);
        m_readingTimer->start(SEND_READING_DATA);
        m_serverCheckRoute = route;
        m_serverFullTimer->start(SERVER_FULL_TIMEOUT_MS);
    } else {
        sendOn(route, RequestBuilder::command(link.profile().commands, CommandSet::Command::ReadAll));
        emit routeOpened(route);
        emit actionStates(link.profile().atOpen);
    }
    link.answerTimer()->start(CONNECTION_TIMEOUT_MS);
}

void LinkController::routeBecameUp(RouteId route)
{
    Link &link = *m_links[route];
    if (link.profile().dropsWhenUp != RouteIds::Max)
        m_links[link.profile().dropsWhenUp]->abort();
    link.answerTimer()->stop();
    m_active = route;
    showText(link.profile().up, link.serial() ? link.serial()->portName() : QString());
    emit routeUp(route);
    emit actionStates(link.profile().atUp);
    qCDebug(lcRoute) << link.profile().name << "is the active route";
}

void LinkController::dataArrived(RouteId route)
{
    Link &link = *m_links[route];
    qCDebug(lcRoute) << link.profile().answeredTrace << link.answered();
    if (link.profile().upWhenConnected)
        link.answerTimer()->stop(); // on a data port any data counts as an answer
    else if (link.answered() && m_active != route)
        routeBecameUp(route); // before the reply is read, so the page knows its route
    link.receive();
}

void LinkController::answerTimeout(RouteId route)
{
    Link &link = *m_links[route];
    qCDebug(lcRoute) << link.profile().noAnswerTrace;
    link.answerTimer()->stop();
    if (link.profile().upWhenConnected) {
        // A silent data port stays connected: the user is told and decides.
        emit dataPortSilent(route);
        return;
    }
    showText(link.profile().noAnswer);
    setAnswered(route, false);
    link.abort();
    link.clearFrames();
}

void LinkController::channelClosed(RouteId route)
{
    Link &link = *m_links[route];
    link.clearFrames();
    // A closed channel waits for no answer; a late time-out would end the
    // next connection attempt.
    link.answerTimer()->stop();
    m_writeAnswerTimer->stop();
    // A data port's flag tells a failed attempt from a disconnect.
    if (link.profile().upWhenConnected)
        setAnswered(route, false);
    m_active = RouteIds::Max;
    emit routeDown(route);
    showText(link.profile().down);
    emit actionStates(link.profile().atDown);
}

// --- opening and closing ------------------------------------------------------

void LinkController::openSerial(const QString &systemLocation)
{
    Link &link = *m_links[RouteIds::USB];
    QSerialPort *port = link.serial();
    if (RouteRules::mayOpen(RouteIds::USB, m_active)) {
        // A port still waiting for its first answer is opened anew.
        if (port->isOpen())
            port->close();
        link.clearFrames();
        m_serialFailureReported = false;
        port->setPortName(systemLocation);
        port->setBaudRate(QSerialPort::Baud115200, QSerialPort::AllDirections);
        // What the device sent while the port was closed is no answer to
        // this connection's first request: it would bring the route up.
        if (port->open(QIODevice::ReadWrite))
            port->clear(QSerialPort::Input);
    }
    // A failed open is reported through serialError.
    if (port->isOpen())
        channelOpened(RouteIds::USB);
}

void LinkController::closeSerial()
{
    // Closing a port that is not open would itself raise an error.
    QSerialPort *port = m_links[RouteIds::USB]->serial();
    if (port->isOpen())
        port->close();
    channelClosed(RouteIds::USB);
}

void LinkController::serialError(QSerialPort::SerialPortError error)
{
    // A failing port (a pulled cable, a hung-up line) keeps reporting errors
    // while it is open: close it first, then tell the user once. Later errors
    // only name themselves on the status bar until the port is opened again.
    QSerialPort *port = m_links[RouteIds::USB]->serial();
    if (error != QSerialPort::NoError && !m_serialFailureReported) {
        m_serialFailureReported = true;
        const QString description = port->errorString();
        if (port->isOpen())
            closeSerial();
        emit serialFailed(description);
    }
    emit statusText(serialErrorName(error), STATUS_BRIEF_MS);
}

void LinkController::openTcp(RouteId route, const QString &ip, int port)
{
    Link &link = *m_links[route];
    QTcpSocket *socket = link.socket();
    qCDebug(lcRoute) << QStringLiteral("ConnectionStatus:%1 pTcpSocket->state:%2")
                            .arg(int(m_active))
                            .arg(int(socket->state()))
                     << ip << port;
    if (!RouteRules::mayOpen(route, m_active))
        return;
    if (socket->state() == QAbstractSocket::ConnectedState) {
        channelOpened(route);
        return;
    }
    socket->abort();
    link.clearFrames();
    socket->connectToHost(ip, quint16(port), QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
}

void LinkController::closeTcp(RouteId route)
{
    stopServerCheck(route);
    QTcpSocket *socket = m_links[route]->socket();
    socket->disconnectFromHost();
    socket->close();
}

void LinkController::socketError(RouteId route, QAbstractSocket::SocketError error)
{
    const char *networkErrorText = m_links[route]->profile().networkErrorText;
    if (error == QAbstractSocket::NetworkError && networkErrorText)
        emit statusText(translated(networkErrorText), STATUS_PROBLEM_MS);
    else
        emit statusText(socketErrorName(error), STATUS_PROBLEM_MS);
}

void LinkController::socketStateChanged(RouteId route, QAbstractSocket::SocketState state)
{
    if (!m_links[route]->profile().upWhenConnected)
        return;
    if (state == QAbstractSocket::ConnectedState) {
        qCDebug(lcRoute) << "Bağlantı başarılı.";
    } else if (state == QAbstractSocket::UnconnectedState && !m_links[route]->answered()) {
        // Unconnected without ever having connected: the attempt failed. A
        // normal disconnect arrives here while the flag is still set.
        qCDebug(lcRoute) << "Bağlantı başarısız.";
        emit dataPortFailed(route);
    }
}

void LinkController::closeOtherDataPort(RouteId closedRoute)
{
    stopServerCheck(closedRoute);
    const RouteProfile &closed = m_links[closedRoute]->profile();
    qCDebug(lcRoute) << closed.closedTrace;
    sendOn(closed.twin, RequestBuilder::command(m_links[closed.twin]->profile().commands, closed.closeCommand));
    showText(closed.closedText);
}

// --- supervision timers -----------------------------------------------------------

void LinkController::readingTimeout()
{
    // The record is asked for only if a data port is still the active route.
    if (m_active != RouteIds::Max && m_links[m_active]->profile().upWhenConnected) {
        qCDebug(lcRoute) << m_links[m_active]->profile().readingTrace;
        sendOn(m_active, RequestBuilder::command(m_links[m_active]->profile().commands,
                                                 CommandSet::Command::ReadAll));
    }
    m_readingTimer->stop();
}

void LinkController::stopServerCheck(RouteId closedRoute)
{
    // A port the user closes is no sign of a full server.
    if (closedRoute != m_serverCheckRoute)
        return;
    m_serverFullTimer->stop();
    m_serverCheckRoute = RouteIds::Max;
}

void LinkController::serverFullTimeout()
{
    // A device whose data port is taken accepts the connection and closes it
    // at once; eight seconds on, the route tells which happened.
    if (m_active == RouteIds::Max)
        emit statusText(translated(QT_TRANSLATE_NOOP("TelvorConfigurator", "Server can have connection Check server")),
                        STATUS_BRIEF_MS);
    else
        emit statusText(translated(QT_TRANSLATE_NOOP("TelvorConfigurator", "Connected Succesfully")),
                        STATUS_BRIEF_MS);
    m_serverFullTimer->stop();
    m_serverCheckRoute = RouteIds::Max;
}

// --- send path ------------------------------------------------------------------

void LinkController::send(const RequestBuilder::Request &request)
{
    qCDebug(lcRoute) << "Sta:" << m_active << "Transmit_Callback: " << request.frame;
    if (m_active == RouteIds::Max)
        emit statusText(translated(QT_TRANSLATE_NOOP("TelvorConfigurator", "Önce bağlantı sağlayın !! ")),
                        STATUS_UNTIL_REPLACED);
    else
        sendOn(m_active, request);
}

void LinkController::sendCommand(CommandSet::Command command, bool sendOnSerial)
{
    // Without a route the command goes to the serial port, open or not, so
    // that the send path reports it.
    const RouteId route = m_active == RouteIds::Max ? RouteIds::USB : m_active;
    if (m_links[route]->profile().isSerial && !sendOnSerial)
        return;
    sendOn(route, RequestBuilder::command(m_links[route]->profile().commands, command));
}

void LinkController::requestNetworkRecord()
{
    const RouteId route = m_active == RouteIds::TCP ? RouteIds::TCP : RouteIds::USB;
    sendOn(route, RequestBuilder::command(m_links[route]->profile().commands, CommandSet::Command::ReadNetworkCfg));
}

void LinkController::sendOn(RouteId route, const RequestBuilder::Request &request)
{
    Link &link = *m_links[route];
    if (link.isOpen() && request.purpose == RequestBuilder::Purpose::RecordWrite)
        m_writeAnswerTimer->start(WRITE_ANSWER_TIMEOUT_MS);
    if (!link.send(request.frame))
        emit statusText(translated(link.profile().writeFailure), STATUS_UNTIL_REPLACED);
}

void LinkController::writeAnswered()
{
    m_writeAnswerTimer->stop();
}

void LinkController::writeUnanswered()
{
    qCDebug(lcRoute) << "No answer to the write within" << WRITE_ANSWER_TIMEOUT_MS << "ms";
    emit statusText(translated(QT_TRANSLATE_NOOP("TelvorConfigurator",
                                                 "No answer to the write: the device may not have stored it")),
                    STATUS_LONG_MS);
}

// --- receive path -------------------------------------------------------------------

void LinkController::handleFrame(RouteId route, const QByteArray &frame)
{
    if (!m_handler)
        return;
    QByteArray reply = frame;
    const DeviceProtocol::TrpErr_t result = m_handler(route, reply);
    if (result != DeviceProtocol::err_OK)
        reportReceiveFailure(route, result);
}

void LinkController::reportReceiveFailure(RouteId route, DeviceProtocol::TrpErr_t result)
{
    Q_ASSERT(result > DeviceProtocol::err_OK && result < DeviceProtocol::err_Max);
    showText(m_links[route]->profile().receiveFailure, DeviceProtocol::TrpErrString[result]);
}
