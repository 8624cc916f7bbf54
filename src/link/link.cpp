// One route's link; see link.h.

#include "link/link.h"

#include "logging.h"

#include <QTcpSocket>
#include <QTimer>

Link::Link(RouteId route, QObject *parent) : QObject(parent), m_route(route), m_answerTimer(new QTimer)
{
    // Plain timer, started with an explicit interval and stopped by whoever
    // handles its expiry, so it fires once per start.
    connect(m_answerTimer.get(), &QTimer::timeout, this, &Link::silent);
    connect(&m_frames, &FrameAssembler::partialFrameDropped, this,
            [this] { emit receiveFailed(DeviceProtocol::err_EndChr); });

    if (profile().isSerial) {
        m_serial = new QSerialPort;
        connect(m_serial, &QSerialPort::readyRead, this, &Link::dataArrived);
        connect(m_serial, &QSerialPort::errorOccurred, this, &Link::serialError);
        return;
    }
    m_socket = new QTcpSocket;
    connect(m_socket, &QTcpSocket::connected, this, &Link::opened);
    connect(m_socket, &QTcpSocket::disconnected, this, &Link::closed);
    connect(m_socket, &QTcpSocket::readyRead, this, &Link::dataArrived);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &Link::socketError);
    connect(m_socket, &QTcpSocket::stateChanged, this, &Link::socketStateChanged);
    connect(m_socket, &QTcpSocket::bytesWritten, this,
            [](qint64 bytes) { qCDebug(lcRoute) << bytes << " Byte Data transmitted "; });
    connect(m_socket, &QTcpSocket::aboutToClose, this, [] { qCDebug(lcRoute) << "Connection lost."; });
}

Link::~Link()
{
    // Deleting a connected socket reports its disconnect; the link is then
    // half destroyed and must no longer hear it.
    channel()->disconnect(this);
    m_answerTimer->disconnect(this);
    delete m_socket;
    delete m_serial;
}

QIODevice *Link::channel() const
{
    if (m_socket)
        return m_socket;
    return m_serial;
}

bool Link::isOpen() const
{
    return channel()->isOpen();
}

bool Link::send(const QByteArray &frame)
{
    if (!isOpen())
        return false;
    qCDebug(lcWire) << profile().name << "sent" << frame;
    const qint64 written = channel()->write(frame);
    if (m_serial)
        qCDebug(lcRoute) << "Write status:" << written;
    return written != -1;
}

void Link::receive()
{
    QIODevice *source = channel();
    const QByteArray bytes = source->readAll();
    qCDebug(lcWire) << profile().name << "received" << bytes;
    const QList<Framing::Piece> pieces = m_frames.append(bytes);
    for (const Framing::Piece &piece : pieces) {
        // A reply may close the channel (a restart acknowledgement does): what
        // came with it goes with the channel.
        if (!source->isOpen())
            break;
        if (piece.kind == Framing::Piece::Dropped)
            emit receiveFailed(DeviceProtocol::err_EndChr);
        else
            emit frameReceived(piece.bytes);
    }
}

void Link::clearFrames()
{
    m_frames.clear();
}

void Link::abort()
{
    if (m_socket)
        m_socket->abort();
    else if (m_serial->isOpen())
        m_serial->close();
}
