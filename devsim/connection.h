#pragma once

// One open connection of an endpoint: a TCP socket accepted by a server, or
// the pseudo-terminal of the USB port. Incoming bytes are assembled into
// request frames; outgoing replies pass through the delivery faults:
// coalescing (replies held and written together), a delay before each
// write, chunking with gaps, and closing after a (possibly cut) reply.
// Writes leave in order through one queue, so a delayed or chunked reply is
// never overtaken by the next one.

#include "devicesimulator.h"
#include "lineassembler.h"

#include <QQueue>
#include <QTimer>

#include <functional>

namespace devsim {

class PseudoTerminal;

struct Delivery
{
    int delayMs = 0;
    int chunkSize = 0;
    int chunkGapMs = 0;
    int coalesce = 0;
    bool closeAfter = false;
};

class Connection : public QObject
{
    Q_OBJECT

public:
    Connection(Endpoint endpoint, QObject *parent);

    Endpoint endpoint() const { return m_endpoint; }

    // afterSent runs once the reply's last byte has been handed to the
    // connection (an acknowledgement goes out before its action).
    void sendReply(const QByteArray &reply, const Delivery &delivery, std::function<void()> afterSent = {});
    void sendRaw(const QByteArray &bytes);
    // Writes the replies held for coalescing now.
    void releaseHeld(const Delivery &delivery);
    // Forgets queued output, held replies and a partly received request.
    void reset();
    // Ends the connection after what has already been written is sent.
    virtual void close() = 0;

signals:
    void frameReceived(const QByteArray &frame);
    void replyWritten(const QByteArray &reply);
    void closed();

protected:
    void receive(const QByteArray &bytes);
    virtual void writeBytes(const QByteArray &bytes) = 0;

    bool m_closing = false;

private:
    struct Piece
    {
        QByteArray bytes;
        int delayMs = 0;
        QList<QByteArray> replies;
        QList<std::function<void()>> actions;
        bool closeAfter = false;
    };
    void pump();

    Endpoint m_endpoint;
    LineAssembler m_assembler;
    QQueue<Piece> m_queue;
    QTimer m_wait;
    QList<QByteArray> m_held;
    QList<std::function<void()>> m_heldActions;
};

class TcpConnection : public Connection
{
    Q_OBJECT

public:
    // Takes ownership of the socket.
    TcpConnection(Endpoint endpoint, QTcpSocket *socket, QObject *parent);
    void close() override;

protected:
    void writeBytes(const QByteArray &bytes) override;

private:
    QTcpSocket *m_socket;
};

// The USB port cannot hang up like a socket: closing it only drops what is
// queued, and the port stays served.
class PtyConnection : public Connection
{
    Q_OBJECT

public:
    PtyConnection(PseudoTerminal *pty, QObject *parent);
    void close() override;

protected:
    void writeBytes(const QByteArray &bytes) override;

private:
    PseudoTerminal *m_pty;
};

} // namespace devsim
