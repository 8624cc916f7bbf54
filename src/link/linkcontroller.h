#pragma once

// The connection controller: the four links and the one record of which
// route is active.
//
// It opens and closes routes on request, by one rule (RouteRules::mayOpen);
// follows each route through its life (opened, up, data received, silent,
// down); sends frames on the active route and watches record writes for an
// answer; and runs the supervision timers of the data ports (first read,
// server check). It knows no window: the panel, the page and the main window
// learn about routes from its signals, and frames go to the handler the main
// window sets.

#include "link/link.h"
#include "protocol/requestbuilder.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <memory>

class QTimer;

class LinkController : public QObject
{
    Q_OBJECT

public:
    static constexpr int CONNECTION_TIMEOUT_MS = 10000;
    static constexpr int SERVER_FULL_TIMEOUT_MS = 8000;
    static constexpr int SEND_READING_DATA = 500;
    static constexpr int WRITE_ANSWER_TIMEOUT_MS = 5000;

    explicit LinkController(QObject *parent = nullptr);
    ~LinkController() override;

    Link &link(RouteId route) { return *m_links[route]; }
    RouteId active() const { return m_active; }
    QTimer *readingTimer() const { return m_readingTimer.get(); }
    QTimer *serverFullTimer() const { return m_serverFullTimer.get(); }

    // Applies one frame; returns its result. The main window hands frames to
    // the page's reply handler through this.
    using FrameHandler = std::function<DeviceProtocol::TrpErr_t(RouteId, QByteArray &)>;
    void setFrameHandler(FrameHandler handler) { m_handler = std::move(handler); }

    // --- requests from the panel, the page and the menu ---
    void openSerial(const QString &systemLocation);
    void closeSerial();
    void openTcp(RouteId route, const QString &ip, int port);
    void closeTcp(RouteId route);
    // Abort on a data port: the device closes that port on request over the
    // other one.
    void closeOtherDataPort(RouteId closedRoute);
    // A frame on the active route; without one the user is told to connect.
    void send(const RequestBuilder::Request &request);
    // A device command from the menu: on the active route, or on the serial
    // port when there is none (so that the send path reports it). Commands
    // that mean nothing on USB are not sent there.
    void sendCommand(CommandSet::Command command, bool sendOnSerial);
    // The network record is read over the configuration service when that is
    // the route, otherwise over the serial port.
    void requestNetworkRecord();
    // The device answered a write ("+OK" or "+ERR").
    void writeAnswered();

    // --- a route's life; the links' events come here ---
    void channelOpened(RouteId route);
    void channelClosed(RouteId route);
    void dataArrived(RouteId route);
    void answerTimeout(RouteId route);
    void socketError(RouteId route, QAbstractSocket::SocketError error);
    void socketStateChanged(RouteId route, QAbstractSocket::SocketState state);
    void serialError(QSerialPort::SerialPortError error);
    void readingTimeout();
    void serverFullTimeout();

    // Names of the platform's error values, indexed by them.
    static const QString SocketErrorNames[24];
    static const QString SerialErrorNames[14];
    static QString socketErrorName(QAbstractSocket::SocketError error);
    static QString serialErrorName(QSerialPort::SerialPortError error);

signals:
    // The channel of a route that comes up on its first answer is open and
    // the port record has been asked for.
    void routeOpened(RouteId route);
    void routeUp(RouteId route);
    void routeDown(RouteId route);
    void answeredChanged(RouteId route, bool answered);
    void statusText(const QString &text, int timeoutMs);
    void actionStates(ActionStates states);
    // A data port that never connected, or that stays silent: the user is
    // told by a warning and decides.
    void dataPortFailed(RouteId route);
    void dataPortSilent(RouteId route);
    // A serial port failure, with the platform's description; reported once
    // until the port is opened again.
    void serialFailed(const QString &description);

private:
    void routeBecameUp(RouteId route);
    void setAnswered(RouteId route, bool answered);
    void sendOn(RouteId route, const RequestBuilder::Request &request);
    void handleFrame(RouteId route, const QByteArray &frame);
    void reportReceiveFailure(RouteId route, DeviceProtocol::TrpErr_t result);
    void showText(const RouteText &text, const QString &argument = QString());
    void writeUnanswered();
    // The user closed a data port: its server check ends unreported.
    void stopServerCheck(RouteId closedRoute);

    std::array<std::unique_ptr<Link>, RouteIds::Max> m_links;
    RouteId m_active = RouteIds::Max;
    // Plain timers, stopped by their own handlers, like the answer timers.
    std::unique_ptr<QTimer> m_readingTimer;
    std::unique_ptr<QTimer> m_serverFullTimer;
    std::unique_ptr<QTimer> m_writeAnswerTimer;
    FrameHandler m_handler;
    // A serial failure is reported by one box until the port is opened again.
    bool m_serialFailureReported = false;
    // The data port whose connect started the server check; Max when the
    // check is not running or the user has closed that port.
    RouteId m_serverCheckRoute = RouteIds::Max;
};
