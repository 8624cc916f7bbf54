// One link per route and the connection controller, through their own
// interfaces: a link against a loopback TCP peer and a pseudo-terminal, the
// controller's one-route rule, its write watch and its server check.

#include "devicetest.h"
#include "link/linkcontroller.h"
#include "pseudoterminal.h"
#include "testsupport.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

using DeviceTest::ScriptedPeer;
using Press = RouteRules::Press;

namespace {

// A loopback peer that accepts one connection and lets the test write to it.
struct Peer
{
    QTcpServer server;
    QPointer<QTcpSocket> socket;
    Peer()
    {
        server.listen(QHostAddress::LocalHost);
        QObject::connect(&server, &QTcpServer::newConnection, [this] { socket = server.nextPendingConnection(); });
    }
    bool accepted() { return QTest::qWaitFor([this] { return !socket.isNull(); }, 5000); }
};

// A link whose arriving data is read at once, as the controller reads it.
void readOnArrival(Link &link)
{
    QObject::connect(&link, &Link::dataArrived, &link, &Link::receive);
}

QStringList texts(const QSignalSpy &spy)
{
    QStringList out;
    for (const QList<QVariant> &arguments : spy)
        out << arguments.at(0).toString();
    return out;
}

} // namespace

class TestLinkController : public QObject
{
    Q_OBJECT

private slots:
    // Frames come out whole and in order however the bytes arrive; a partial
    // frame that never completes is a failed frame; the peer's close is the
    // link's close.
    void tcpLinkFrames()
    {
        Peer peer;
        Link link(RouteIds::TCP232);
        readOnArrival(link);
        QSignalSpy opened(&link, &Link::opened), frames(&link, &Link::frameReceived),
            failed(&link, &Link::receiveFailed), closed(&link, &Link::closed);
        link.socket()->connectToHost(QHostAddress::LocalHost, peer.server.serverPort());
        QVERIFY(peer.accepted());
        QTRY_COMPARE(opened.count(), 1);

        peer.socket->write("+PI");
        peer.socket->flush();
        QTest::qWait(50);
        peer.socket->write("NG\r\n+OK\r\n+ER");
        QTRY_COMPARE(frames.count(), 2);
        QCOMPARE(frames.at(0).at(0).toByteArray(), QByteArray("+PING\r\n"));
        QCOMPARE(frames.at(1).at(0).toByteArray(), QByteArray("+OK\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, FrameAssembler::PartialTimeoutMs * 3);
        QCOMPARE(failed.at(0).at(0).value<DeviceProtocol::TrpErr_t>(), DeviceProtocol::err_EndChr);
        QCOMPARE(frames.count(), 2);

        QByteArray fromLink;
        connect(peer.socket, &QTcpSocket::readyRead, this, [&] { fromLink += peer.socket->readAll(); });
        QVERIFY(link.send("AT+READALL\r\n"));
        QTRY_COMPARE(fromLink, QByteArray("AT+READALL\r\n"));
        peer.socket->disconnectFromHost();
        QTRY_COMPARE(closed.count(), 1);
        QVERIFY(!link.send("AT+PING\r\n"));
    }

    // A frame that ends the channel (a restart acknowledgement does) ends the
    // read: what came with it goes with the channel.
    void frameThatClosesEndsTheRead()
    {
        Peer peer;
        Link link(RouteIds::TCP);
        readOnArrival(link);
        QList<QByteArray> frames;
        connect(&link, &Link::frameReceived, &link, [&](const QByteArray &frame) {
            frames << frame;
            link.abort();
        });
        link.socket()->connectToHost(QHostAddress::LocalHost, peer.server.serverPort());
        QVERIFY(peer.accepted());
        peer.socket->write("+RESTART\r\n+PING\r\n+OK\r\n");
        QTRY_COMPARE(frames.size(), 1);
        QTest::qWait(100);
        QCOMPARE(frames, QList<QByteArray>{"+RESTART\r\n"});
    }

    // The serial route's link over a pseudo-terminal: both directions.
    void serialLinkFrames()
    {
        devsim::PseudoTerminal pty;
        QString error;
        QVERIFY2(pty.open(&error), qPrintable(error));
        QByteArray fromLink;
        connect(&pty, &devsim::PseudoTerminal::dataReceived, this, [&](const QByteArray &b) { fromLink += b; });

        Link link(RouteIds::USB);
        QVERIFY(link.serial() && !link.socket());
        readOnArrival(link);
        QSignalSpy frames(&link, &Link::frameReceived);
        link.serial()->setPortName(pty.slavePath());
        QVERIFY(link.serial()->open(QIODevice::ReadWrite));

        QVERIFY(link.send("AT+DEVINFO\r\n"));
        QTRY_COMPARE(fromLink, QByteArray("AT+DEVINFO\r\n"));
        pty.write("+DEVINFO=1,2\r");
        pty.write("\n+OK\r\n");
        QTRY_COMPARE(frames.count(), 2);
        QCOMPARE(frames.at(0).at(0).toByteArray(), QByteArray("+DEVINFO=1,2\r\n"));
        link.abort();
        QVERIFY(!link.isOpen());
    }

    // The panel's rule: the configuration service and USB block each other;
    // any route blocks a data port; a route that is up disconnects.
    void panelRule_data()
    {
        QTest::addColumn<int>("pressed");
        QTest::addColumn<int>("up"); // the route that is up, or Max
        QTest::addColumn<int>("press");
        const int Max = RouteIds::Max;
        QTest::newRow("ETHERNET, none up") << int(RouteIds::TCP) << Max << int(Press::Connect);
        QTest::newRow("ETHERNET, itself up") << int(RouteIds::TCP) << int(RouteIds::TCP) << int(Press::Disconnect);
        QTest::newRow("ETHERNET, USB up") << int(RouteIds::TCP) << int(RouteIds::USB) << int(Press::Ignore);
        QTest::newRow("ETHERNET, a data port up")
            << int(RouteIds::TCP) << int(RouteIds::TCP485) << int(Press::Connect);
        QTest::newRow("USB, ETHERNET up") << int(RouteIds::USB) << int(RouteIds::TCP) << int(Press::Ignore);
        QTest::newRow("PORT 232, PORT 485 up")
            << int(RouteIds::TCP232) << int(RouteIds::TCP485) << int(Press::Ignore);
        QTest::newRow("PORT 232, USB up") << int(RouteIds::TCP232) << int(RouteIds::USB) << int(Press::Ignore);
        QTest::newRow("PORT 485, itself up")
            << int(RouteIds::TCP485) << int(RouteIds::TCP485) << int(Press::Disconnect);
    }
    void panelRule()
    {
        QFETCH(int, pressed);
        QFETCH(int, up);
        QFETCH(int, press);
        bool routeUp[RouteIds::Max] = {};
        if (up != RouteIds::Max)
            routeUp[up] = true;
        QCOMPARE(int(RouteRules::press(RouteId(pressed), routeUp)), press);
    }

    // While a route is active the controller opens no other TCP route: the
    // second peer never sees a connection, and the active route stays.
    void oneRouteAtATime()
    {
        LinkController links;
        ScriptedPeer dataPort, service;
        QSignalSpy up(&links, &LinkController::routeUp);
        links.openTcp(RouteIds::TCP485, DeviceTest::Loopback, dataPort.port());
        QTRY_COMPARE(up.count(), 1);
        QCOMPARE(links.active(), RouteIds::TCP485);

        links.openTcp(RouteIds::TCP, DeviceTest::Loopback, service.port());
        links.openTcp(RouteIds::TCP232, DeviceTest::Loopback, service.port());
        QTest::qWait(300);
        QVERIFY(!service.hasConnection());
        QCOMPARE(links.active(), RouteIds::TCP485);
        QCOMPARE(up.count(), 1);
    }

    // A record write waits for its answer; an answer ends the wait, a route
    // going down cancels it, and other requests arm nothing.
    void writeWatch()
    {
        LinkController links;
        links.setFrameHandler([](RouteId, QByteArray &) { return DeviceProtocol::err_OK; });
        ScriptedPeer peer;
        QSignalSpy status(&links, &LinkController::statusText);
        links.openTcp(RouteIds::TCP232, DeviceTest::Loopback, peer.port());
        QTRY_COMPARE(links.active(), RouteIds::TCP232);
        const QString unanswered = QStringLiteral("No answer to the write: the device may not have stored it");

        links.send({"AT+READALL\r\n", RequestBuilder::Purpose::Other});
        links.send({"AT+WRITEALL=1\r\n", RequestBuilder::Purpose::RecordWrite});
        QTest::qWait(1000);
        links.writeAnswered();
        QTest::qWait(LinkController::WRITE_ANSWER_TIMEOUT_MS);
        QVERIFY(!texts(status).contains(unanswered));

        links.send({"AT+WRITEALL=2\r\n", RequestBuilder::Purpose::RecordWrite});
        QTRY_VERIFY_WITH_TIMEOUT(texts(status).contains(unanswered), LinkController::WRITE_ANSWER_TIMEOUT_MS + 2000);
        // The data port also asked for its record itself, half a second after connecting.
        QCOMPARE(peer.received.count("AT+READALL\r\n"), 2);
        QList<QByteArray> writes;
        for (const QByteArray &frame : qAsConst(peer.received))
            if (frame.startsWith("AT+WRITEALL"))
                writes << frame;
        QCOMPARE(writes, (QList<QByteArray>{"AT+WRITEALL=1\r\n", "AT+WRITEALL=2\r\n"}));
    }

    // The server check runs for 8 s after a data port connects. A port the
    // user closes (or aborts) ends it: it is no full server. A port the
    // device closes is still checked.
    void serverCheckAfterClose()
    {
        for (const bool byUser : {true, false}) {
            LinkController links;
            Peer peer;
            QSignalSpy down(&links, &LinkController::routeDown);
            links.openTcp(RouteIds::TCP232, DeviceTest::Loopback, peer.server.serverPort());
            QVERIFY(peer.accepted());
            QTRY_COMPARE(links.active(), RouteIds::TCP232);
            QVERIFY(links.serverFullTimer()->isActive());
            if (byUser)
                links.closeTcp(RouteIds::TCP232);
            else
                peer.socket->disconnectFromHost();
            QTRY_COMPARE(down.count(), 1);
            QCOMPARE(links.serverFullTimer()->isActive(), !byUser);
        }
    }
};

TELVOR_TEST_MAIN(TestLinkController)
#include "tst_linkcontroller.moc"
