#pragma once

// A stand-in for the serial-to-network gateway device, for tests and for
// trying the configuration tool without hardware.
//
// One simulated device serves up to four endpoints on loopback: the
// configuration service (TCP) and the USB virtual COM port (a pseudo-terminal)
// speak the Ethernet command set; the RS-232 and RS-485 data ports (TCP)
// speak the GSM command set. Bytes from a peer go through a line assembler to
// the protocol, which answers from and updates one device state; replies then
// pass through the fault switches (delays, chunking, coalescing, silence,
// broken or garbled replies) on their way back.

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class QTcpServer;
class QTcpSocket;

namespace devsim {

class Connection;
class DeviceState;
class PseudoTerminal;

enum class Model
{
    Ethernet,
    Gsm,
    Both
};
enum class Endpoint
{
    ConfigService,
    Usb,
    Rs232,
    Rs485
};

inline uint qHash(Endpoint endpoint, uint seed = 0)
{
    return ::qHash(int(endpoint), seed);
}

// "config-service", "usb", "rs232", "rs485": the names used on output.
QString endpointName(Endpoint endpoint);

struct Faults
{
    int replyDelayMs = 0;          // wait before each reply
    int chunkSize = 0;             // >0: write replies in chunks of this many bytes
    int chunkGapMs = 0;            // gap between chunks
    int coalesce = 0;              // >1: hold replies and send this many together in one write
    int silentAfter = -1;          // -1 never; 0 never answer; K answer the first K requests only
    bool closeMidReply = false;    // write half of the next reply, then close the connection
    bool garbageReply = false;     // answer with a garbage line instead of the reply
    int oversizedReplyBytes = 0;   // >0: answer with this many bytes without CR LF
    int recordValueDelta = 0;      // records sent with this many values more (+) or fewer (-)
    bool outOfRangeValues = false; // port records carry out-of-range values
    bool errOnWrite = false;       // answer writes with "+ERR=..." and store nothing
    bool closeOnAccept = false;    // data ports: close every connection right after accepting it
};

class DeviceSimulator : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        Model model = Model::Both;
        QHostAddress host = QHostAddress::LocalHost;      // loopback addresses only
        quint16 configPort = 0, port232 = 0, port485 = 0; // 0: chosen by the system
        bool usb = true;
        QString ptyLink;   // if set, a symbolic link to the pty slave is made there
        QString stateFile; // if set, the device's settings are loaded from and saved to it (JSON)
        int restartMs = 3000;
        Faults faults;
    };

    explicit DeviceSimulator(const Options &options, QObject *parent = nullptr);
    ~DeviceSimulator() override;

    bool start(QString *error = nullptr);
    void stop();

    // Ports actually served (0 when the endpoint is not served).
    quint16 configPort() const;
    quint16 port232() const;
    quint16 port485() const;
    QString usbPath() const; // slave path of the pty, empty without USB

    Faults faults() const;
    // Takes effect for the next request; a closeMidReply switch is used up
    // by the reply it breaks, and the silentAfter count starts anew.
    void setFaults(const Faults &faults);

    // Every request frame received there, CR LF included, in order.
    QList<QByteArray> received(Endpoint endpoint) const;
    void clearReceived();
    // Open connections; for Usb 1 while the virtual COM port is served and
    // not restarting, since the simulator cannot tell whether the tool holds
    // the slave open.
    int connectionCount(Endpoint endpoint) const;
    bool isRestarting() const { return m_restarting; }

    // The current records as the device would send them (values only).
    QByteArray portRecord(Endpoint endpoint) const; // 23 values on ConfigService/Usb, 30 on Rs232/Rs485
    QByteArray networkRecord() const;               // 22 values
    // 10 values: the Ethernet model's (with the MAC address) on
    // ConfigService/Usb, the GSM model's (with the IMEI) on the data ports.
    QByteArray infoRecord(Endpoint endpoint) const;
    // Stores one port-record value unchecked (index in the endpoint's
    // record), to prepare records a valid write could not produce.
    void setPortRecordValue(Endpoint endpoint, int index, const QByteArray &value);
    // False if the text is not a dotted IPv4 address.
    bool setCurrentIp(const QString &dotted);
    // Unsolicited bytes to the open connection(s) there, written as given.
    void sendRaw(Endpoint endpoint, const QByteArray &bytes);

signals:
    void requestReceived(devsim::Endpoint endpoint, const QByteArray &frame);
    void replySent(devsim::Endpoint endpoint, const QByteArray &frame);
    // Connections opened, refused and closed, restarts: for the log.
    void notice(devsim::Endpoint endpoint, const QString &text);

private:
    bool serves(Endpoint endpoint) const;
    bool listen(Endpoint endpoint, quint16 port, QString *error);
    void acceptConnections(Endpoint endpoint);
    void serve(Endpoint endpoint, QTcpSocket *socket);
    void drop(Endpoint endpoint, QTcpSocket *socket, const QString &reason);
    void adopt(Connection *connection);
    void handleRequest(Connection *connection, const QByteArray &frame);
    void closeEndpoint(Endpoint endpoint);
    void beginRestart(Endpoint origin);
    void endRestart();
    void saveState();

    Options m_options;
    Faults m_faults;
    int m_answered = 0;
    std::unique_ptr<DeviceState> m_state;
    QHash<Endpoint, QTcpServer *> m_servers;
    QHash<Endpoint, quint16> m_ports;
    PseudoTerminal *m_pty = nullptr;
    Connection *m_usb = nullptr;
    QList<Connection *> m_connections; // TCP connections
    QHash<Endpoint, QList<QByteArray>> m_received;
    bool m_restarting = false;
    Endpoint m_restartOrigin = Endpoint::ConfigService;
    QTimer m_restartTimer;
};

} // namespace devsim

Q_DECLARE_METATYPE(devsim::Endpoint)
