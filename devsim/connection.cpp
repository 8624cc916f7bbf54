#include "connection.h"

#include "pseudoterminal.h"

#include <QTcpSocket>

namespace devsim {

Connection::Connection(Endpoint endpoint, QObject *parent) : QObject(parent), m_endpoint(endpoint)
{
    m_wait.setSingleShot(true);
    m_wait.setTimerType(Qt::PreciseTimer); // a coarse timer may fire 5% early
    connect(&m_wait, &QTimer::timeout, this, &Connection::pump);
}

void Connection::sendReply(const QByteArray &reply, const Delivery &delivery, std::function<void()> afterSent)
{
    m_held.append(reply);
    if (afterSent)
        m_heldActions.append(std::move(afterSent));
    if (delivery.coalesce > 1 && m_held.size() < delivery.coalesce && !delivery.closeAfter)
        return;
    releaseHeld(delivery);
}

void Connection::sendRaw(const QByteArray &bytes)
{
    Piece piece;
    piece.bytes = bytes;
    m_queue.enqueue(piece);
    pump();
}

void Connection::releaseHeld(const Delivery &delivery)
{
    if (m_held.isEmpty())
        return;
    const QByteArray bytes = m_held.join();
    const int chunk = delivery.chunkSize > 0 ? delivery.chunkSize : qMax(1, bytes.size());
    int offset = 0;
    do {
        Piece piece;
        piece.bytes = bytes.mid(offset, chunk);
        piece.delayMs = offset == 0 ? delivery.delayMs : delivery.chunkGapMs;
        m_queue.enqueue(piece);
        offset += chunk;
    } while (offset < bytes.size());
    Piece &last = m_queue.last();
    last.replies = m_held;
    last.actions = m_heldActions;
    last.closeAfter = delivery.closeAfter;
    m_held.clear();
    m_heldActions.clear();
    pump();
}

void Connection::reset()
{
    m_assembler.clear();
    m_queue.clear();
    m_wait.stop();
    m_held.clear();
    m_heldActions.clear();
}

void Connection::receive(const QByteArray &bytes)
{
    if (m_closing)
        return;
    for (const QByteArray &frame : m_assembler.feed(bytes)) {
        if (m_closing)
            return;
        emit frameReceived(frame);
    }
}

void Connection::pump()
{
    while (!m_queue.isEmpty() && !m_wait.isActive()) {
        Piece &head = m_queue.head();
        if (head.delayMs > 0) {
            m_wait.start(head.delayMs);
            head.delayMs = 0;
            return;
        }
        const Piece piece = m_queue.dequeue();
        if (!piece.bytes.isEmpty())
            writeBytes(piece.bytes);
        for (const QByteArray &reply : piece.replies)
            emit replyWritten(reply);
        for (const std::function<void()> &action : piece.actions)
            action();
        if (piece.closeAfter) {
            close();
            return;
        }
    }
}

TcpConnection::TcpConnection(Endpoint endpoint, QTcpSocket *socket, QObject *parent)
    : Connection(endpoint, parent), m_socket(socket)
{
    socket->setParent(this);
    connect(socket, &QTcpSocket::readyRead, this, [this] { receive(m_socket->readAll()); });
    connect(socket, &QTcpSocket::disconnected, this, &Connection::closed);
    // Requests that came while the connection waited to be served.
    if (socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(
            this, [this] { receive(m_socket->readAll()); }, Qt::QueuedConnection);
}

void TcpConnection::close()
{
    reset();
    m_closing = true;
    // Sends what is already written, then the FIN; emits disconnected.
    if (m_socket->state() != QAbstractSocket::UnconnectedState)
        m_socket->disconnectFromHost();
}

void TcpConnection::writeBytes(const QByteArray &bytes)
{
    m_socket->write(bytes);
    m_socket->flush();
}

PtyConnection::PtyConnection(PseudoTerminal *pty, QObject *parent)
    : Connection(Endpoint::Usb, parent), m_pty(pty)
{
    connect(pty, &PseudoTerminal::dataReceived, this, &PtyConnection::receive);
}

void PtyConnection::close()
{
    reset();
}

void PtyConnection::writeBytes(const QByteArray &bytes)
{
    m_pty->write(bytes);
}

} // namespace devsim
