#pragma once

// One route's link to the device: its channel (a TCP socket, or the serial
// port for USB), its frame assembler and its answer timer, with the route's
// row of the route table. Whatever its kind, a link reports the same events
// (opened, closed, data arrived, a frame, a failed frame, silence), and
// LinkController decides what they mean for the tool.
//
// Receive path: channel -> receive() -> FrameAssembler -> frameReceived, one
// frame at a time; a frame that closes the channel (a restart
// acknowledgement) ends the read, and what came with it goes with the channel.

#include "link/route.h"
#include "protocol/deviceprotocol.h"
#include "protocol/frameassembler.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QObject>
#include <QSerialPort>

#include <memory>

class QIODevice;
class QTcpSocket;
class QTimer;

class Link : public QObject
{
    Q_OBJECT

public:
    explicit Link(RouteId route, QObject *parent = nullptr);
    ~Link() override;

    RouteId route() const { return m_route; }
    const RouteProfile &profile() const { return routeProfile(m_route); }

    QIODevice *channel() const;
    QTcpSocket *socket() const { return m_socket; } // null for USB
    QSerialPort *serial() const { return m_serial; } // null for the TCP routes
    QTimer *answerTimer() const { return m_answerTimer.get(); }
    bool isOpen() const;

    // The route's answered flag: on the configuration service and USB the
    // device has answered since the channel opened; on a data port the
    // socket has connected since the attempt began.
    bool answered() const { return m_answered; }
    void setAnswered(bool answered) { m_answered = answered; }

    // Writes a frame; false when the channel is not open or the write failed.
    bool send(const QByteArray &frame);
    // Reads everything that arrived and hands on each complete frame.
    void receive();
    // Forgets any partial frame, without reporting it.
    void clearFrames();
    // Ends the channel at once (a socket aborts, the serial port closes).
    void abort();

signals:
    void opened();
    void closed();
    void dataArrived();
    void frameReceived(const QByteArray &frame);
    // A frame that could not be read: its result (a partial frame that never
    // completed, or an oversized one, is err_EndChr).
    void receiveFailed(DeviceProtocol::TrpErr_t result);
    void silent();
    void socketError(QAbstractSocket::SocketError error);
    void socketStateChanged(QAbstractSocket::SocketState state);
    void serialError(QSerialPort::SerialPortError error);

private:
    // The receive-path fuzz target reads the route's frame assembler and
    // fires its partial-frame timer without waiting for it.
    friend struct ReceivePathProbe;

    RouteId m_route;
    // Owned; no Qt parent, so the destructor decides the order: the channel
    // is told to stop signalling before it goes.
    QTcpSocket *m_socket = nullptr;
    QSerialPort *m_serial = nullptr;
    std::unique_ptr<QTimer> m_answerTimer;
    FrameAssembler m_frames;
    bool m_answered = false;
};
