// The device simulator seen from its peers: loopback sockets to the
// configuration service and the data ports, and the pseudo-terminal slave
// opened as a serial port at 115200 8N1, as the configurator does. Request
// and reply frames are typed out byte for byte.

#include "devicesimulator.h"
#include "testsupport.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSerialPort>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using devsim::DeviceSimulator;
using devsim::Endpoint;

namespace {

const QByteArray EthernetFactory = "1,502,0,8,0,1,5,8,400,100,0,1,503,0,8,0,1,5,8,400,100,0,0";
const QByteArray GsmFactory =
    "1,502,0,8,0,1,5,8,400,100,0,0,100,120,1,503,0,8,0,1,5,8,400,100,0,0,100,120,internet,0";
const QByteArray NetworkFactory =
    "00:1E:C0:4A:7B:21,1,192,168,1,100,255,255,255,0,192,168,1,1,8,8,8,8,8,8,4,4";
const QByteArray EthernetInfo = "TE2301000123,00:1E:C0:4A:7B:21,TRP-ETH,RS232-RS485,2,7,TB-01,1,3,12";
const QByteArray GsmInfo = "TG2301000456,356938035643809,TRP-GSM,RS232-RS485,2,7,TB-02,1,3,12";

// Runs the event loop until the condition holds. Unlike QTest::qWaitFor it
// never sleeps, so a megabyte through the pseudo-terminal takes no longer
// than the transfer itself.
template <typename Condition> bool waitUntil(Condition condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    QTimer tick; // wakes the loop when nothing else does
    tick.start(5);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// One peer of an endpoint, reading what the device sends into a buffer and
// noting each piece as it arrives.
class Peer
{
public:
    explicit Peer(std::unique_ptr<QIODevice> device) : m_device(std::move(device))
    {
        QObject::connect(m_device.get(), &QIODevice::readyRead, m_device.get(), [this] {
            const QByteArray piece = m_device->readAll();
            m_pieces.append(piece);
            m_buffer += piece;
        });
    }

    void send(const QByteArray &bytes) { m_device->write(bytes); }

    // The next line up to and including CR LF, or whatever came before the
    // time ran out.
    QByteArray line(int timeoutMs = 3000)
    {
        static_cast<void>(waitUntil([this] { return m_buffer.contains("\r\n"); }, timeoutMs));
        const int end = m_buffer.indexOf("\r\n");
        const QByteArray line = end < 0 ? m_buffer : m_buffer.left(end + 2);
        m_buffer.remove(0, line.size());
        return line;
    }
    QByteArray exchange(const QByteArray &request)
    {
        send(request);
        return line();
    }
    QByteArray collect(int ms)
    {
        QTest::qWait(ms);
        const QByteArray all = m_buffer;
        m_buffer.clear();
        return all;
    }
    bool waitForBytes(int count, int timeoutMs = 5000)
    {
        return waitUntil([&] { return m_buffer.size() >= count; }, timeoutMs);
    }
    bool waitClosed()
    {
        auto *socket = qobject_cast<QTcpSocket *>(m_device.get());
        return socket &&
               waitUntil([socket] { return socket->state() == QAbstractSocket::UnconnectedState; }, 3000);
    }
    QList<QByteArray> &pieces() { return m_pieces; }

private:
    std::unique_ptr<QIODevice> m_device;
    QByteArray m_buffer;
    QList<QByteArray> m_pieces;
};

int valueCount(const QByteArray &reply)
{
    return reply.mid(reply.indexOf('=') + 1).chopped(2).split(',').size();
}

} // namespace

class TestDeviceSimulator : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DeviceSimulator> m_sim;

    std::unique_ptr<DeviceSimulator> makeSimulator(DeviceSimulator::Options options = {})
    {
        options.restartMs = 600;
        auto sim = std::make_unique<DeviceSimulator>(options);
        QString error;
        if (!sim->start(&error))
            qWarning() << "simulator did not start:" << error;
        return sim;
    }

    quint16 portOf(Endpoint endpoint) const
    {
        return endpoint == Endpoint::ConfigService ? m_sim->configPort()
               : endpoint == Endpoint::Rs232       ? m_sim->port232()
                                                   : m_sim->port485();
    }

    // Connects like the tool; for a TCP endpoint also waits until the device
    // has taken the connection on, unless it is expected to drop it.
    std::unique_ptr<Peer> open(Endpoint endpoint, bool awaitAccept = true)
    {
        if (endpoint == Endpoint::Usb) {
            auto port = std::make_unique<QSerialPort>(m_sim->usbPath());
            port->setBaudRate(QSerialPort::Baud115200);
            if (!port->open(QIODevice::ReadWrite))
                return nullptr;
            return std::make_unique<Peer>(std::move(port));
        }
        const int before = m_sim->connectionCount(endpoint);
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QHostAddress::LocalHost, portOf(endpoint));
        if (!socket->waitForConnected(2000))
            return nullptr;
        if (awaitAccept && !waitUntil([&] { return m_sim->connectionCount(endpoint) > before; }, 2000))
            return nullptr;
        return std::make_unique<Peer>(std::move(socket));
    }

    void setFaults(void (*change)(devsim::Faults &))
    {
        devsim::Faults faults = m_sim->faults();
        change(faults);
        m_sim->setFaults(faults);
    }

private slots:
    void init() { m_sim = makeSimulator(); }
    void cleanup() { m_sim.reset(); }

    void replies_data()
    {
        QTest::addColumn<Endpoint>("endpoint");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("reply");
        const Endpoint eth[] = {Endpoint::ConfigService, Endpoint::Usb};
        const Endpoint gsm[] = {Endpoint::Rs232, Endpoint::Rs485};
        for (Endpoint e : eth) {
            const QByteArray n = devsim::endpointName(e).toUtf8();
            QTest::newRow(n + " READALL")
                << e << QByteArray("AT+READALL\r\n") << "+READALL=" + EthernetFactory + "\r\n";
            QTest::newRow(n + " DEVINFO")
                << e << QByteArray("AT+DEVINFO\r\n") << "+DEVINFO=" + EthernetInfo + "\r\n";
            QTest::newRow(n + " 232CLOSE is GSM only")
                << e << QByteArray("AT+232CLOSE\r\n") << QByteArray("+ERR=UNKNOWN COMMAND\r\n");
        }
        for (Endpoint e : gsm) {
            const QByteArray n = devsim::endpointName(e).toUtf8();
            QTest::newRow(n + " READALL")
                << e << QByteArray("AT+READALL\r\n") << "+READALL=" + GsmFactory + "\r\n";
            QTest::newRow(n + " DEVINFO")
                << e << QByteArray("AT+DEVINFO\r\n") << "+DEVINFO=" + GsmInfo + "\r\n";
        }
        for (Endpoint e : {Endpoint::ConfigService, Endpoint::Usb, Endpoint::Rs232, Endpoint::Rs485}) {
            const QByteArray n = devsim::endpointName(e).toUtf8();
            QTest::newRow(n + " READ_NETWORKCFG")
                << e << QByteArray("AT+READ_NETWORKCFG\r\n") << "+READ_NETWORKCFG=" + NetworkFactory + "\r\n";
            QTest::newRow(n + " CURRENT_IP") << e << QByteArray("AT+CURRENT_IP\r\n")
                                             << QByteArray("+CURRENT_IP=1677830336\r\n"); // 192.168.1.100
            QTest::newRow(n + " PING") << e << QByteArray("AT+PING\r\n") << QByteArray("+PING\r\n");
        }
        QTest::newRow("unknown keyword")
            << Endpoint::Rs232 << QByteArray("AT+FOO\r\n") << QByteArray("+ERR=UNKNOWN COMMAND\r\n");
        QTest::newRow("no AT+ prefix") << Endpoint::ConfigService << QByteArray("at+ping\r\n")
                                       << QByteArray("+ERR=NOT AN AT COMMAND\r\n");
        QTest::newRow("READALL with values") << Endpoint::ConfigService << QByteArray("AT+READALL=1\r\n")
                                             << QByteArray("+ERR=UNEXPECTED VALUES\r\n");
        QTest::newRow("WRITEALL without values")
            << Endpoint::Rs485 << QByteArray("AT+WRITEALL\r\n") << QByteArray("+ERR=VALUES MISSING\r\n");
    }
    void replies()
    {
        QFETCH(Endpoint, endpoint);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, reply);
        auto peer = open(endpoint);
        QVERIFY(peer);
        QCOMPARE(peer->exchange(request), reply);
        QCOMPARE(peer->collect(50), QByteArray());
        QCOMPARE(m_sim->received(endpoint), QList<QByteArray>{request});
    }

    void currentIpEncoding_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("192.168.0.1") << "192.168.0.1" << QByteArray("+CURRENT_IP=16820416\r\n");
        QTest::newRow("last octet >= 128") << "10.0.0.200" << QByteArray("+CURRENT_IP=-939524086\r\n");
        QTest::newRow("all ones") << "255.255.255.255" << QByteArray("+CURRENT_IP=-1\r\n");
        QTest::newRow("zero") << "0.0.0.0" << QByteArray("+CURRENT_IP=0\r\n");
    }
    void currentIpEncoding()
    {
        QFETCH(QString, address);
        QFETCH(QByteArray, reply);
        QVERIFY(m_sim->setCurrentIp(address));
        auto peer = open(Endpoint::ConfigService);
        QCOMPARE(peer->exchange("AT+CURRENT_IP\r\n"), reply);
    }

    void writeThenRead_data()
    {
        QTest::addColumn<Endpoint>("writeOn");
        QTest::addColumn<Endpoint>("readOn");
        QTest::addColumn<QByteArray>("write");
        QTest::addColumn<QByteArray>("read");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray eth = "0,4001,4,7,2,2,9,128,5000,65535,255,1,4002,3,8,1,1,0,4,10,0,0,1";
        const QByteArray gsm =
            "0,4001,4,7,2,2,9,128,5000,65535,255,5,10000,7200,1,4002,3,8,1,1,0,4,10,0,0,0,0,0,"
            "my.apn,1";
        const QByteArray ethPage = "0,0,0,8,0,1,0,8,400,100,0,0,0,0,8,0,1,0,8,400,100,0,0";
        const QByteArray gsmPage = "0,0,0,8,0,1,0,8,400,100,0,0,10,120,0,0,0,8,0,1,0,8,400,100,0,0,10,120,,0";
        QTest::newRow("config WRITEALL")
            << Endpoint::ConfigService << Endpoint::ConfigService << "AT+WRITEALL=" + eth + "\r\n"
            << QByteArray("AT+READALL\r\n") << "+READALL=" + eth + "\r\n";
        QTest::newRow("usb fresh page") << Endpoint::Usb << Endpoint::Usb << "AT+WRITEALL=" + ethPage + "\r\n"
                                        << QByteArray("AT+READALL\r\n") << "+READALL=" + ethPage + "\r\n";
        QTest::newRow("rs232 WRITEALL") << Endpoint::Rs232 << Endpoint::Rs232 << "AT+WRITEALL=" + gsm + "\r\n"
                                        << QByteArray("AT+READALL\r\n") << "+READALL=" + gsm + "\r\n";
        QTest::newRow("rs485 fresh page")
            << Endpoint::Rs485 << Endpoint::Rs485 << "AT+WRITEALL=" + gsmPage + "\r\n"
            << QByteArray("AT+READALL\r\n") << "+READALL=" + gsmPage + "\r\n";
        // One device: the Ethernet record is the GSM record without the GSM-only fields.
        QTest::newRow("Ethernet write, GSM read")
            << Endpoint::ConfigService << Endpoint::Rs232 << "AT+WRITEALL=" + eth + "\r\n"
            << QByteArray("AT+READALL\r\n")
            << QByteArray("+READALL=0,4001,4,7,2,2,9,128,5000,65535,255,0,100,120,"
                          "1,4002,3,8,1,1,0,4,10,0,0,0,100,120,internet,1\r\n");
        QTest::newRow("GSM write, Ethernet read")
            << Endpoint::Rs485 << Endpoint::Usb << "AT+WRITEALL=" + gsm + "\r\n"
            << QByteArray("AT+READALL\r\n") << "+READALL=" + eth + "\r\n";
        QTest::newRow("usb static network")
            << Endpoint::Usb << Endpoint::ConfigService
            << QByteArray("AT+WRITE_NETWORKCFG=1,192,168,1,50,255,255,255,0,192,168,1,1,8,8,8,8,8,8,4,4\r\n")
            << QByteArray("AT+READ_NETWORKCFG\r\n")
            << QByteArray(
                   "+READ_NETWORKCFG=00:1E:C0:4A:7B:21,1,192,168,1,50,255,255,255,0,192,168,1,1,8,8,8,8,8,8,"
                   "4,4\r\n");
        QTest::newRow("rs232 DHCP network")
            << Endpoint::Rs232 << Endpoint::Rs232
            << QByteArray("AT+WRITE_NETWORKCFG=0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n")
            << QByteArray("AT+READ_NETWORKCFG\r\n")
            << QByteArray("+READ_NETWORKCFG=00:1E:C0:4A:7B:21,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n");
    }
    void writeThenRead()
    {
        QFETCH(Endpoint, writeOn);
        QFETCH(Endpoint, readOn);
        QFETCH(QByteArray, write);
        QFETCH(QByteArray, read);
        QFETCH(QByteArray, expected);
        auto writer = open(writeOn);
        QVERIFY(writer);
        QCOMPARE(writer->exchange(write), QByteArray("+OK\r\n"));
        auto reader = writeOn == readOn ? std::move(writer) : open(readOn);
        QVERIFY(reader);
        QCOMPARE(reader->exchange(read), expected);
    }

    void rejectedWrite_data()
    {
        QTest::addColumn<Endpoint>("endpoint");
        QTest::addColumn<QByteArray>("values");
        QTest::addColumn<QByteArray>("reply");
        const QByteArray eth = "AT+WRITEALL=";
        auto row = [](const char *name, Endpoint e, const QByteArray &frame, const char *reply) {
            QTest::newRow(name) << e << frame << QByteArray(reply);
        };
        const Endpoint c = Endpoint::ConfigService, r = Endpoint::Rs485;
        row("22 values", c, eth + "1,502,0,8,0,1,5,8,400,100,0,1,503,0,8,0,1,5,8,400,100,0\r\n",
            "+ERR=VALUE COUNT 22 EXPECTED 23\r\n");
        row("24 values", c, eth + EthernetFactory + ",0\r\n", "+ERR=VALUE COUNT 24 EXPECTED 23\r\n");
        row("Ethernet record on GSM", r, eth + EthernetFactory + "\r\n",
            "+ERR=VALUE COUNT 23 EXPECTED 30\r\n");
        row("enable 2", c, eth + "2,502,0,8,0,1,5,8,400,100,0,1,503,0,8,0,1,5,8,400,100,0,0\r\n",
            "+ERR=485EN OUT OF RANGE\r\n");
        row("port 65536", c, eth + "1,65536,0,8,0,1,5,8,400,100,0,1,503,0,8,0,1,5,8,400,100,0,0\r\n",
            "+ERR=485PORT OUT OF RANGE\r\n");
        row("mode 5", c, eth + "1,502,0,8,0,1,5,8,400,100,0,1,503,5,8,0,1,5,8,400,100,0,0\r\n",
            "+ERR=232MOD OUT OF RANGE\r\n");
        row("data bits 6", c, eth + "1,502,0,6,0,1,5,8,400,100,0,1,503,0,8,0,1,5,8,400,100,0,0\r\n",
            "+ERR=485DATAB OUT OF RANGE\r\n");
        row("parity 3", c, eth + "1,502,0,8,3,1,5,8,400,100,0,1,503,0,8,0,1,5,8,400,100,0,0\r\n",
            "+ERR=485PARB OUT OF RANGE\r\n");
        row("stop bits 0", c, eth + "1,502,0,8,0,1,5,8,400,100,0,1,503,0,8,0,0,5,8,400,100,0,0\r\n",
            "+ERR=232STPB OUT OF RANGE\r\n");
        row("baud 10", c, eth + "1,502,0,8,0,1,5,8,400,100,0,1,503,0,8,0,1,10,8,400,100,0,0\r\n",
            "+ERR=232BAUD OUT OF RANGE\r\n");
        row("wait chars 3", c, eth + "1,502,0,8,0,1,5,3,400,100,0,1,503,0,8,0,1,5,8,400,100,0,0\r\n",
            "+ERR=485WAITCHR OUT OF RANGE\r\n");
        row("wait ms 5001", c, eth + "1,502,0,8,0,1,5,8,5001,100,0,1,503,0,8,0,1,5,8,400,100,0,0\r\n",
            "+ERR=485WAITMS OUT OF RANGE\r\n");
        row("eth timeout 256", c, eth + "1,502,0,8,0,1,5,8,400,100,256,1,503,0,8,0,1,5,8,400,100,0,0\r\n",
            "+ERR=485ETHTMOUT OUT OF RANGE\r\n");
        row("info response 2", c, eth + "1,502,0,8,0,1,5,8,400,100,0,1,503,0,8,0,1,5,8,400,100,0,2\r\n",
            "+ERR=INFORESPONSE OUT OF RANGE\r\n");
        row("not a number", c, eth + "1,50x,0,8,0,1,5,8,400,100,0,1,503,0,8,0,1,5,8,400,100,0,0\r\n",
            "+ERR=485PORT NOT A NUMBER\r\n");
        row("negative", c, eth + "1,502,0,8,0,1,5,8,400,-1,0,1,503,0,8,0,1,5,8,400,100,0,0\r\n",
            "+ERR=485TMOUT NOT A NUMBER\r\n");
        row("empty number", c, eth + "1,502,0,8,0,1,5,8,400,100,0,1,503,0,8,0,1,5,8,400,100,,0\r\n",
            "+ERR=232ETHTMOUT NOT A NUMBER\r\n");
        row("retry 6", r,
            eth + "1,502,0,8,0,1,5,8,400,100,0,6,100,120,1,503,0,8,0,1,5,8,400,100,0,0,100,120,x,0\r\n",
            "+ERR=485RETRYCNT OUT OF RANGE\r\n");
        row("interval 10001", r,
            eth + "1,502,0,8,0,1,5,8,400,100,0,0,100,120,1,503,0,8,0,1,5,8,400,100,0,0,10001,120,x,0\r\n",
            "+ERR=232INTTMOUT OUT OF RANGE\r\n");
        row("ping 7201", r,
            eth + "1,502,0,8,0,1,5,8,400,100,0,0,100,7201,1,503,0,8,0,1,5,8,400,100,0,0,100,120,x,0\r\n",
            "+ERR=485PINGTMOUT OUT OF RANGE\r\n");
        row("APN with a comma", r, eth + QByteArray(GsmFactory).replace("internet", "inter,net") + "\r\n",
            "+ERR=VALUE COUNT 31 EXPECTED 30\r\n");
        const QByteArray net = "AT+WRITE_NETWORKCFG=";
        row("network 20 values", c, net + "1,192,168,1,50,255,255,255,0,192,168,1,1,8,8,8,8,8,8,4\r\n",
            "+ERR=VALUE COUNT 20 EXPECTED 21\r\n");
        row("network octet 256", r, net + "1,192,168,1,256,255,255,255,0,192,168,1,1,8,8,8,8,8,8,4,4\r\n",
            "+ERR=OCTET 4 OUT OF RANGE\r\n");
        row("network static flag 2", c, net + "2,192,168,1,50,255,255,255,0,192,168,1,1,8,8,8,8,8,8,4,4\r\n",
            "+ERR=STATICIPEN OUT OF RANGE\r\n");
    }
    void rejectedWrite()
    {
        QFETCH(Endpoint, endpoint);
        QFETCH(QByteArray, values);
        QFETCH(QByteArray, reply);
        auto peer = open(endpoint);
        QVERIFY(peer);
        QCOMPARE(peer->exchange(values), reply);
        const QByteArray record = endpoint == Endpoint::Rs485 ? GsmFactory : EthernetFactory;
        QCOMPARE(peer->exchange("AT+READALL\r\n"), "+READALL=" + record + "\r\n");
        QCOMPARE(peer->exchange("AT+READ_NETWORKCFG\r\n"), "+READ_NETWORKCFG=" + NetworkFactory + "\r\n");
    }

    void requestInPieces_data()
    {
        QTest::addColumn<Endpoint>("endpoint");
        for (Endpoint e : {Endpoint::ConfigService, Endpoint::Usb, Endpoint::Rs232, Endpoint::Rs485})
            QTest::newRow(devsim::endpointName(e).toUtf8()) << e;
    }
    void requestInPieces()
    {
        QFETCH(Endpoint, endpoint);
        auto peer = open(endpoint);
        QVERIFY(peer);
        for (char byte : QByteArray("AT+PING\r\n")) {
            peer->send(QByteArray(1, byte));
            QTest::qWait(5);
        }
        QCOMPARE(peer->line(), QByteArray("+PING\r\n"));
        // Two requests in one write are two requests.
        peer->send("AT+PING\r\nAT+CURRENT_IP\r\n");
        QCOMPARE(peer->line(), QByteArray("+PING\r\n"));
        QCOMPARE(peer->line(), QByteArray("+CURRENT_IP=1677830336\r\n"));
        QCOMPARE(peer->collect(50), QByteArray());
        QCOMPARE(m_sim->received(endpoint),
                 (QList<QByteArray>{"AT+PING\r\n", "AT+PING\r\n", "AT+CURRENT_IP\r\n"}));
    }

    void overlongRequestIsDropped()
    {
        auto peer = open(Endpoint::ConfigService);
        peer->send(QByteArray(100 * 1024, 'A'));
        peer->send("\r\nAT+PING\r\n");
        QCOMPARE(peer->line(), QByteArray("+PING\r\n"));
        QCOMPARE(peer->collect(50), QByteArray());
        QCOMPARE(m_sim->received(Endpoint::ConfigService), QList<QByteArray>{"AT+PING\r\n"});
    }

    void dataPortServesOnePeer_data()
    {
        QTest::addColumn<Endpoint>("endpoint");
        QTest::newRow("rs232") << Endpoint::Rs232;
        QTest::newRow("rs485") << Endpoint::Rs485;
    }
    void dataPortServesOnePeer()
    {
        QFETCH(Endpoint, endpoint);
        auto first = open(endpoint);
        QVERIFY(first);
        auto second = open(endpoint, false);
        QVERIFY(second);
        QVERIFY(second->waitClosed());
        QCOMPARE(first->exchange("AT+PING\r\n"), QByteArray("+PING\r\n"));
        // A peer that reconnects at once after closing is served again.
        first.reset();
        auto third = open(endpoint, false);
        QVERIFY(third);
        QCOMPARE(third->exchange("AT+PING\r\n"), QByteArray("+PING\r\n"));
    }

    void closeOtherDataPort_data()
    {
        QTest::addColumn<Endpoint>("sender");
        QTest::addColumn<Endpoint>("victim");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("ack");
        QTest::newRow("232CLOSE on rs485") << Endpoint::Rs485 << Endpoint::Rs232
                                           << QByteArray("AT+232CLOSE\r\n") << QByteArray("+232CLOSE\r\n");
        QTest::newRow("485CLOSE on rs232") << Endpoint::Rs232 << Endpoint::Rs485
                                           << QByteArray("AT+485CLOSE\r\n") << QByteArray("+485CLOSE\r\n");
    }
    void closeOtherDataPort()
    {
        QFETCH(Endpoint, sender);
        QFETCH(Endpoint, victim);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, ack);
        auto from = open(sender);
        auto closed = open(victim);
        QVERIFY(from && closed);
        QCOMPARE(from->exchange(request), ack);
        QVERIFY(closed->waitClosed());
        QCOMPARE(closed->collect(0), QByteArray());
        QCOMPARE(from->exchange("AT+PING\r\n"), QByteArray("+PING\r\n"));
    }

    void restart_data()
    {
        QTest::addColumn<Endpoint>("origin");
        QTest::newRow("from config-service") << Endpoint::ConfigService;
        QTest::newRow("from usb") << Endpoint::Usb;
        QTest::newRow("from rs232") << Endpoint::Rs232;
    }
    void restart()
    {
        QFETCH(Endpoint, origin);
        // A static address written before the restart is in use after it.
        auto config = open(Endpoint::ConfigService);
        QVERIFY(config);
        QCOMPARE(config->exchange("AT+WRITE_NETWORKCFG=1,10,0,0,200,255,0,0,0,10,0,0,1,8,8,8,8,8,8,4,4\r\n"),
                 QByteArray("+OK\r\n"));
        QCOMPARE(config->exchange("AT+CURRENT_IP\r\n"), QByteArray("+CURRENT_IP=1677830336\r\n"));
        auto rs232 = open(Endpoint::Rs232);
        auto rs485 = open(Endpoint::Rs485);
        auto usb = open(Endpoint::Usb);
        QVERIFY(rs232 && rs485 && usb);
        Peer *requester = origin == Endpoint::ConfigService ? config.get()
                          : origin == Endpoint::Usb         ? usb.get()
                                                            : rs232.get();
        QCOMPARE(requester->exchange("AT+RESTART\r\n"), QByteArray("+RESTART\r\n"));
        QElapsedTimer sinceAck;
        sinceAck.start();

        QVERIFY(config->waitClosed());
        QVERIFY(rs232->waitClosed());
        QVERIFY(rs485->waitClosed());
        for (quint16 port : {m_sim->configPort(), m_sim->port232(), m_sim->port485()}) {
            QTcpSocket refused;
            refused.connectToHost(QHostAddress::LocalHost, port);
            QVERIFY(!refused.waitForConnected(1000));
            QCOMPARE(refused.error(), QAbstractSocket::ConnectionRefusedError);
        }
        usb->send("AT+PING\r\n");
        QCOMPARE(usb->collect(100), QByteArray());

        QVERIFY(waitUntil([this] { return !m_sim->isRestarting(); }, 3000));
        QVERIFY2(sinceAck.elapsed() >= 500, "the device came back before its restart time");
        auto again = open(Endpoint::ConfigService);
        QVERIFY(again);
        QCOMPARE(again->exchange("AT+CURRENT_IP\r\n"), QByteArray("+CURRENT_IP=-939524086\r\n"));
        auto data = open(Endpoint::Rs485);
        QVERIFY(data);
        QCOMPARE(data->exchange("AT+PING\r\n"), QByteArray("+PING\r\n"));
        QCOMPARE(usb->exchange("AT+PING\r\n"), QByteArray("+PING\r\n"));
    }

    void replyDelay()
    {
        setFaults([](devsim::Faults &f) { f.replyDelayMs = 300; });
        auto peer = open(Endpoint::ConfigService);
        QElapsedTimer timer;
        timer.start();
        peer->send("AT+PING\r\n");
        QCOMPARE(peer->collect(150), QByteArray());
        QCOMPARE(peer->line(), QByteArray("+PING\r\n"));
        QVERIFY(timer.elapsed() >= 300);
    }

    void chunkedReply()
    {
        setFaults([](devsim::Faults &f) {
            f.chunkSize = 16;
            f.chunkGapMs = 40;
        });
        auto peer = open(Endpoint::Rs232);
        const QByteArray expected = "+READALL=" + GsmFactory + "\r\n"; // 97 bytes: 7 chunks
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(peer->exchange("AT+READALL\r\n"), expected);
        QVERIFY(timer.elapsed() >= 6 * 40);
        // Each chunk is one write, so a read returns whole chunks (several if
        // the test was slow), never a piece cut elsewhere.
        const QList<QByteArray> pieces = peer->pieces();
        QVERIFY(pieces.size() >= 2);
        for (int i = 0; i + 1 < pieces.size(); ++i)
            QVERIFY2(pieces.at(i).size() % 16 == 0, pieces.at(i));
    }

    void coalescedReplies()
    {
        setFaults([](devsim::Faults &f) { f.coalesce = 3; });
        auto peer = open(Endpoint::ConfigService);
        peer->send("AT+PING\r\n");
        QCOMPARE(peer->collect(100), QByteArray());
        peer->send("AT+CURRENT_IP\r\n");
        QCOMPARE(peer->collect(100), QByteArray());
        peer->send("AT+DEVINFO\r\n");
        QVERIFY(peer->waitForBytes(1));
        const QByteArray all = "+PING\r\n+CURRENT_IP=1677830336\r\n+DEVINFO=" + EthernetInfo + "\r\n";
        QCOMPARE(peer->pieces(), QList<QByteArray>{all});
        QCOMPARE(peer->collect(0), all);
        // Switching coalescing off releases what is held.
        peer->send("AT+PING\r\n");
        QCOMPARE(peer->collect(200), QByteArray());
        setFaults([](devsim::Faults &f) { f.coalesce = 0; });
        QCOMPARE(peer->line(), QByteArray("+PING\r\n"));
    }

    void silence_data()
    {
        QTest::addColumn<int>("silentAfter");
        QTest::addColumn<int>("answered");
        QTest::newRow("never answers") << 0 << 0;
        QTest::newRow("answers the first two") << 2 << 2;
    }
    void silence()
    {
        QFETCH(int, silentAfter);
        QFETCH(int, answered);
        devsim::Faults faults;
        faults.silentAfter = silentAfter;
        m_sim->setFaults(faults);
        auto peer = open(Endpoint::Rs485);
        for (int i = 0; i < 3; ++i)
            peer->send("AT+PING\r\n");
        QCOMPARE(peer->collect(300), QByteArray("+PING\r\n").repeated(answered));
        QCOMPARE(m_sim->received(Endpoint::Rs485).size(), 3);
    }

    void closeMidReply()
    {
        setFaults([](devsim::Faults &f) { f.closeMidReply = true; });
        auto peer = open(Endpoint::ConfigService);
        const QByteArray full = "+READALL=" + EthernetFactory + "\r\n";
        peer->send("AT+READALL\r\n");
        QVERIFY(peer->waitClosed());
        QCOMPARE(peer->collect(0), full.left(full.size() / 2));
        // The switch breaks one reply only.
        QVERIFY(!m_sim->faults().closeMidReply);
        auto next = open(Endpoint::ConfigService);
        QCOMPARE(next->exchange("AT+READALL\r\n"), full);
    }

    void garbageReply()
    {
        setFaults([](devsim::Faults &f) { f.garbageReply = true; });
        auto peer = open(Endpoint::Usb);
        const QByteArray line = peer->exchange("AT+PING\r\n");
        QVERIFY2(line.endsWith("\r\n") && line.size() > 2 && !line.startsWith('+'), line);
    }

    void oversizedReply_data()
    {
        QTest::addColumn<Endpoint>("endpoint");
        QTest::newRow("config-service") << Endpoint::ConfigService;
        QTest::newRow("usb") << Endpoint::Usb;
    }
    void oversizedReply()
    {
        QFETCH(Endpoint, endpoint);
        setFaults([](devsim::Faults &f) { f.oversizedReplyBytes = 1 << 20; });
        auto peer = open(endpoint);
        peer->send("AT+PING\r\n");
        QVERIFY(peer->waitForBytes(1 << 20, 10000));
        const QByteArray bytes = peer->collect(100);
        QCOMPARE(bytes.size(), 1 << 20);
        QVERIFY(!bytes.contains('\r') && !bytes.contains('\n'));
    }

    void recordValueDelta_data()
    {
        QTest::addColumn<Endpoint>("endpoint");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("count");
        QTest::newRow("Ethernet port record -1")
            << Endpoint::ConfigService << QByteArray("AT+READALL\r\n") << -1 << 22;
        QTest::newRow("GSM port record +2") << Endpoint::Rs232 << QByteArray("AT+READALL\r\n") << 2 << 32;
        QTest::newRow("network record -3")
            << Endpoint::Usb << QByteArray("AT+READ_NETWORKCFG\r\n") << -3 << 19;
        QTest::newRow("info record +1") << Endpoint::Rs485 << QByteArray("AT+DEVINFO\r\n") << 1 << 11;
    }
    void recordValueDelta()
    {
        QFETCH(Endpoint, endpoint);
        QFETCH(QByteArray, request);
        QFETCH(int, delta);
        QFETCH(int, count);
        devsim::Faults faults;
        faults.recordValueDelta = delta;
        m_sim->setFaults(faults);
        auto peer = open(endpoint);
        const QByteArray reply = peer->exchange(request);
        QVERIFY2(reply.startsWith('+' + request.mid(3).chopped(2) + '=') && reply.endsWith("\r\n"), reply);
        QCOMPARE(valueCount(reply), count);
    }

    void outOfRangeValues_data()
    {
        QTest::addColumn<Endpoint>("endpoint");
        QTest::addColumn<int>("blockSize");
        QTest::addColumn<int>("count");
        QTest::newRow("Ethernet") << Endpoint::ConfigService << 11 << 23;
        QTest::newRow("GSM") << Endpoint::Rs485 << 14 << 30;
    }
    void outOfRangeValues()
    {
        QFETCH(Endpoint, endpoint);
        QFETCH(int, blockSize);
        QFETCH(int, count);
        setFaults([](devsim::Faults &f) { f.outOfRangeValues = true; });
        auto peer = open(endpoint);
        const QByteArray reply = peer->exchange("AT+READALL\r\n");
        QCOMPARE(valueCount(reply), count);
        const QList<QByteArray> values = reply.mid(9).chopped(2).split(',');
        // Valid ranges of the block fields that have one (enable, mode, data
        // bits, parity, stop bits, baud index, silent interval in characters
        // and in milliseconds) and of the info response, the last value.
        const int fields[] = {0, 2, 3, 4, 5, 6, 7, 8};
        const int min[] = {0, 0, 7, 0, 1, 0, 4, 10};
        const int max[] = {1, 4, 8, 2, 2, 9, 128, 5000};
        for (int block : {0, blockSize}) {
            for (int i = 0; i < 8; ++i) {
                const int v = values.at(block + fields[i]).toInt();
                QVERIFY2(v < min[i] || v > max[i], reply);
            }
        }
        QVERIFY(values.last().toInt() > 1);
    }

    void errOnWrite_data()
    {
        QTest::addColumn<QByteArray>("write");
        QTest::newRow("WRITEALL") << QByteArray(
            "AT+WRITEALL=0,0,0,8,0,1,0,8,400,100,0,0,0,0,8,0,1,0,8,400,100,0,0\r\n");
        QTest::newRow("WRITE_NETWORKCFG")
            << QByteArray("AT+WRITE_NETWORKCFG=0,1,2,3,4,255,255,255,0,1,2,3,1,8,8,8,8,8,8,4,4\r\n");
    }
    void errOnWrite()
    {
        QFETCH(QByteArray, write);
        setFaults([](devsim::Faults &f) { f.errOnWrite = true; });
        auto peer = open(Endpoint::Usb);
        const QByteArray reply = peer->exchange(write);
        QVERIFY2(reply.startsWith("+ERR=") && reply.endsWith("\r\n"), reply);
        QCOMPARE(peer->exchange("AT+READALL\r\n"), "+READALL=" + EthernetFactory + "\r\n");
        QCOMPARE(peer->exchange("AT+READ_NETWORKCFG\r\n"), "+READ_NETWORKCFG=" + NetworkFactory + "\r\n");
    }

    void closeOnAccept()
    {
        setFaults([](devsim::Faults &f) { f.closeOnAccept = true; });
        for (Endpoint endpoint : {Endpoint::Rs232, Endpoint::Rs485}) {
            auto peer = open(endpoint, false);
            QVERIFY(peer);
            QVERIFY(peer->waitClosed());
            QCOMPARE(peer->collect(0), QByteArray());
        }
        auto config = open(Endpoint::ConfigService);
        QCOMPARE(config->exchange("AT+PING\r\n"), QByteArray("+PING\r\n"));
    }

    void sendRaw()
    {
        auto peer = open(Endpoint::Rs485);
        auto other = open(Endpoint::Rs232);
        m_sim->sendRaw(Endpoint::Rs485, "+PING\r\nhalf");
        QVERIFY(peer->waitForBytes(11));
        QCOMPARE(peer->collect(50), QByteArray("+PING\r\nhalf"));
        QCOMPARE(other->collect(0), QByteArray());
    }

    void usbPortOpensAgainAndLinks()
    {
        m_sim.reset();
        QTemporaryDir dir;
        DeviceSimulator::Options options;
        options.model = devsim::Model::Ethernet;
        options.ptyLink = dir.filePath(QStringLiteral("ttyDEVICE"));
        m_sim = makeSimulator(options);
        QCOMPARE(m_sim->port232(), quint16(0));
        QVERIFY(m_sim->configPort() != 0);
        QCOMPARE(QFileInfo(options.ptyLink).symLinkTarget(), m_sim->usbPath());
        for (int round = 0; round < 2; ++round) {
            QSerialPort port(options.ptyLink);
            port.setBaudRate(QSerialPort::Baud115200);
            QVERIFY(port.open(QIODevice::ReadWrite));
            port.write("AT+PING\r\n");
            QVERIFY(waitUntil([&] { return port.bytesAvailable() >= 7; }, 2000));
            QCOMPARE(port.readAll(), QByteArray("+PING\r\n"));
        }
        m_sim->stop();
        QVERIFY(!QFileInfo(options.ptyLink).isSymLink());
    }

    void stateFileKeepsSettings()
    {
        QTemporaryDir dir;
        DeviceSimulator::Options options;
        options.model = devsim::Model::Gsm;
        options.stateFile = dir.filePath(QStringLiteral("device.json"));
        const QByteArray record =
            "0,4001,4,7,2,2,9,128,5000,65535,255,5,10000,7200,1,4002,3,8,1,1,0,4,10,0,0,0,0,0,"
            "my.apn,1";
        const QByteArray network = "0,10,1,2,3,255,255,0,0,10,1,2,1,1,1,1,1,9,9,9,9";
        m_sim = makeSimulator(options);
        QVERIFY(m_sim->usbPath().isEmpty());
        {
            auto peer = open(Endpoint::Rs232);
            QCOMPARE(peer->exchange("AT+WRITEALL=" + record + "\r\n"), QByteArray("+OK\r\n"));
            QCOMPARE(peer->exchange("AT+WRITE_NETWORKCFG=" + network + "\r\n"), QByteArray("+OK\r\n"));
        }
        m_sim = makeSimulator(options);
        auto peer = open(Endpoint::Rs485);
        QCOMPARE(peer->exchange("AT+READALL\r\n"), "+READALL=" + record + "\r\n");
        QCOMPARE(peer->exchange("AT+READ_NETWORKCFG\r\n"),
                 "+READ_NETWORKCFG=00:1E:C0:4A:7B:21," + network + "\r\n");
    }

    void refusesNonLoopbackHost()
    {
        DeviceSimulator::Options options;
        options.host = QHostAddress(QStringLiteral("192.0.2.1"));
        DeviceSimulator sim(options);
        QString error;
        QVERIFY(!sim.start(&error));
        QVERIFY(error.contains(QStringLiteral("loopback")));
        QCOMPARE(sim.configPort(), quint16(0));
    }
};

TELVOR_TEST_MAIN(TestDeviceSimulator)
#include "tst_devsim.moc"
