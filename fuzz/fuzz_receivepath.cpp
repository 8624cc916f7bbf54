// The main window's receive path, driven through its real channels: a device
// on loopback TCP writes the input to the window's socket in read
// notifications, the socket's read handler hands what it reads to the
// route's frame assembler and every complete frame to the reply handler,
// with the page, the panel, the information windows and (optionally) an
// open network window live. After the last notification a partial frame the
// assembler still holds is dropped by its own expiry, as its one-second timer
// would drop it. The windows are built and connected once per route and kept
// for the whole run; the network windows and the information windows a reply
// opens are kept off the screen (FuzzSupport::OffScreen).
//
// Input: byte 0 chooses the route (bits 0-1: 0 and 1 the configuration
// service, 2 the RS-232 data port, 3 the RS-485 data port) and whether the
// network window is open (bit 2). USB runs the same path on a
// pseudo-terminal, whose delivery cannot be waited for exactly; its row in
// the route table differs only in its texts. Byte 1 chooses the read
// notifications: 0 delivers everything at once, 1-127 cuts it into pieces of
// that many bytes, 128-255 into pieces of pseudo-random length from 1 to
// (byte & 127) + 1, the 64th piece taking the rest. The rest is what the
// device sent.
//
// What the protocol says, checked against what the user sees (the texts are
// typed out here, not taken from the tool):
// - a frame (the bytes up to CR LF) of more than 4096 bytes is reported as
//   "<route>DataReceived Error :err_EndChr", and with no such frame that
//   text does not appear;
// - the bytes after the last CR LF, when there are any and no more than
//   4096 (a final CR not counted), are reported the same way when they
//   expire; a longer tail was reported when it outgrew the limit, and its
//   expiry adds nothing;
// - a reply makes the tool send nothing and opens no network window;
// - no modal box appears (the user did nothing);
// - the page changes only when a READALL reply came;
// - the panel's current address is a dotted IPv4 address or unchanged;
// - at most one information window per frame, none left after closing.
// Those checks hold while the route stays up; a reply that ends the route
// (the restart acknowledgement on the configuration service) takes what came
// after it along, and the input is only checked for crashes and boxes.

#include "fuzzsupport.h"

#include "commsettings.h"
#include "link/link.h"
#include "devicemodel.h"
#include "devinfo.h"
#include "protocol/frameassembler.h"
#include "staticipconfig.h"
#include "telvorconfigurator.h"
#include "transparentconfig.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTcpServer>
#include <QTcpSocket>

#include <sys/ioctl.h>

#include <cstddef>
#include <cstdint>
#include <memory>

// Reaches what the window keeps private: its sockets, its assemblers and
// their expiry, the active route and the network window.
struct ReceivePathProbe
{
    static Link &link(TelvorConfigurator &window, CommSettings::eRoute_t route) { return window.Links.link(route); }
    static QTcpSocket *socket(TelvorConfigurator &window, CommSettings::eRoute_t route)
    {
        return link(window, route).socket();
    }
    static CommSettings::eRoute_t activeRoute(const TelvorConfigurator &window) { return window.ConnectionStatus; }
    static StaticIpConfig *networkWindow(const TelvorConfigurator &window) { return window.pStaticIpWindow; }
    static bool partialTimerRunning(TelvorConfigurator &window, CommSettings::eRoute_t route)
    {
        return link(window, route).m_frames.m_timer.isActive();
    }
    // What the timer's expiry does, now.
    static void expirePartial(TelvorConfigurator &window, CommSettings::eRoute_t route)
    {
        FrameAssembler &frames = link(window, route).m_frames;
        frames.m_timer.stop();
        frames.expire();
    }
};

namespace {

constexpr int FrameLimit = 4096;

struct RouteChoice
{
    CommSettings::eRoute_t route;
    eDeviceModel_t model;
    const char *failurePrefix; // the route's text for a failed reply
    QByteArray resetRecord;
};

const RouteChoice &routeChoice(int index)
{
    static const QByteArray ethernet(
        "+READALL=1,502,0,8,0,1,5,8,400,100,0,1,503,0,8,0,1,5,8,400,100,0,0\r\n");
    static const QByteArray gsm("+READALL=1,502,0,8,0,1,5,8,400,100,0,0,100,120,1,503,0,8,0,1,5,8,400,"
                                "100,0,0,100,120,internet,0\r\n");
    static const RouteChoice choices[] = {
        {CommSettings::TCP, eEthernetModem, "TCPDataReceived Error :",
         ethernet},
        {CommSettings::TCP, eEthernetModem, "TCPDataReceived Error :",
         ethernet},
        {CommSettings::TCP232, eGsmModem, "TCP232DataReceived Error :",
         gsm},
        {CommSettings::TCP485, eGsmModem, "TCP485DataReceived Error :",
         gsm},
    };
    return choices[index];
}

bool isDottedIpv4(const QString &text)
{
    static const QRegularExpression dotted(
        QStringLiteral("^([0-9]{1,3})\\.([0-9]{1,3})\\.([0-9]{1,3})\\.([0-9]{1,3})$"));
    const QRegularExpressionMatch match = dotted.match(text);
    if (!match.hasMatch())
        return false;
    for (int i = 1; i <= 4; ++i) {
        if (match.captured(i).toInt() > 255)
            return false;
    }
    return true;
}

// Each notification is a round trip through the event loop; past the
// sixty-fourth, the rest of the input comes as one.
constexpr int MaxNotifications = 64;

QList<QByteArray> readNotifications(const QByteArray &stream, quint8 mode)
{
    if (mode == 0 || stream.isEmpty())
        return {stream};
    QList<QByteArray> pieces;
    quint32 seed = 2166136261u ^ mode ^ quint32(stream.size());
    for (int at = 0; at < stream.size();) {
        if (pieces.size() == MaxNotifications - 1) {
            pieces << stream.mid(at);
            break;
        }
        int length = mode;
        if (mode >= 128) {
            seed = seed * 1664525u + 1013904223u;
            length = 1 + int((seed >> 16) % quint32((mode & 127) + 1));
        }
        pieces << stream.mid(at, length);
        at += length;
    }
    return pieces;
}

// What the protocol says of a stream's frames: whether one of them is over
// the limit, and the bytes after the last CR LF.
struct StreamShape
{
    bool oversizedFrame = false;
    QByteArray tail;
    int frames = 0;
};

StreamShape shapeOf(const QByteArray &stream)
{
    StreamShape shape;
    int start = 0;
    for (int end = stream.indexOf("\r\n"); end >= 0; end = stream.indexOf("\r\n", start)) {
        shape.oversizedFrame = shape.oversizedFrame || end - start > FrameLimit;
        ++shape.frames;
        start = end + 2;
    }
    shape.tail = stream.mid(start);
    const int tailContent = shape.tail.size() - (shape.tail.endsWith('\r') ? 1 : 0);
    shape.oversizedFrame = shape.oversizedFrame || tailContent > FrameLimit;
    return shape;
}

bool tailIsReportedOnExpiry(const QByteArray &tail)
{
    const int content = tail.size() - (tail.endsWith('\r') ? 1 : 0);
    return !tail.isEmpty() && content <= FrameLimit;
}

int pendingBytes(QTcpSocket *socket)
{
    int inKernel = 0;
    if (socket->socketDescriptor() >= 0 && ::ioctl(int(socket->socketDescriptor()), FIONREAD, &inKernel) != 0)
        inKernel = 0;
    return inKernel + int(socket->bytesAvailable());
}

// One main window with its route up to a device on loopback, kept for the
// whole run.
class RouteHarness
{
public:
    RouteHarness(const RouteChoice &choice, bool withNetworkWindow)
        : choice(choice), withNetworkWindow(withNetworkWindow), window(nullptr, int(choice.model))
    {
        FUZZ_CHECK(server.listen(QHostAddress::LocalHost), "no loopback port to listen on");
        page = window.findChild<TransparentConfig *>();
        currentIp = window.findChild<QLineEdit *>(QStringLiteral("lineEdit_CurrentIpAddr"));
        FUZZ_CHECK(page && currentIp, "the main window lacks its page or panel");
        pageState = std::make_unique<FuzzSupport::FormState>(page);
        // The window's read handler stays connected to its socket; a counter
        // of what each read notification brings goes in front of it, so that
        // a delivery is known to be read whole.
        QTcpSocket *socket = ReceivePathProbe::socket(window, choice.route);
        // The bytes are counted before the route's link reads them.
        Link &link = ReceivePathProbe::link(window, choice.route);
        FUZZ_CHECK(QObject::disconnect(socket, &QTcpSocket::readyRead, &link, &Link::dataArrived),
                   "the socket's read handler was not connected");
        QObject::connect(socket, &QTcpSocket::readyRead, &counter, [this, socket] { taken += pendingBytes(socket); });
        QObject::connect(socket, &QTcpSocket::readyRead, &link, &Link::dataArrived);
        QObject::connect(window.statusBar(), &QStatusBar::messageChanged, window.statusBar(),
                         [this](const QString &text) {
                             if (!text.isEmpty())
                                 statusLog << text;
                         });
        connectRoute();
        if (withNetworkWindow) {
            window.OpenStaticIpConfigScreen();
            StaticIpConfig *network = ReceivePathProbe::networkWindow(window);
            FUZZ_CHECK(network != nullptr, "the network window did not open");
            networkState = std::make_unique<FuzzSupport::FormState>(network);
            networkOpened = networkState->read();
            drainRequests();
        }
    }

    bool routeUp()
    {
        QTcpSocket *socket = ReceivePathProbe::socket(window, choice.route);
        return ReceivePathProbe::activeRoute(window) == choice.route && peer &&
               peer->state() == QAbstractSocket::ConnectedState &&
               socket->state() == QAbstractSocket::ConnectedState;
    }

    // Opens the route as the panel does and lets the device answer the first
    // request with the reset record.
    void connectRoute()
    {
        if (peer)
            peer->abort();
        delete peer;
        received.clear();
        switch (choice.route) {
        case CommSettings::TCP:
            window.OpenTcpCommunication(QStringLiteral("127.0.0.1"), server.serverPort());
            break;
        case CommSettings::TCP232:
            window.OpenTcp232Communication(QStringLiteral("127.0.0.1"), server.serverPort());
            break;
        default:
            window.OpenTcp485Communication(QStringLiteral("127.0.0.1"), server.serverPort());
            break;
        }
        QElapsedTimer waited;
        waited.start();
        while (!server.hasPendingConnections() && waited.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        peer = server.nextPendingConnection();
        FUZZ_CHECK(peer != nullptr, "the route did not connect");
        // Each delivery leaves at once, not after the last one's ACK.
        peer->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        // Every route asks for the port record first; a data port half a
        // second after it connected.
        while (!received.contains("READALL") && waited.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            received += peer->readAll();
        }
        FUZZ_CHECK(received.contains("READALL"), "the route did not ask for the record: " + received);
        deliver(choice.resetRecord);
        FUZZ_CHECK(routeUp(), "the route did not come up");
        received.clear();
    }

    // Writes the bytes as one write of the device and waits until the
    // window's read handler has taken them all (or its socket closed).
    // False if they did not arrive whole in time: a loaded machine, not a
    // fault of the tool, so the input goes unchecked.
    bool deliver(const QByteArray &bytes)
    {
        QTcpSocket *socket = ReceivePathProbe::socket(window, choice.route);
        const qint64 target = taken + bytes.size();
        peer->write(bytes);
        peer->flush();
        QElapsedTimer waited;
        waited.start();
        while (taken < target && socket->state() == QAbstractSocket::ConnectedState) {
            if (waited.elapsed() > 5000)
                return false;
            QCoreApplication::processEvents();
        }
        taken = target;
        return true;
    }

    void drainRequests()
    {
        QCoreApplication::processEvents();
        if (peer)
            received += peer->readAll();
    }

    const RouteChoice &choice;
    const bool withNetworkWindow;
    TelvorConfigurator window;
    QTcpServer server;
    QPointer<QTcpSocket> peer;
    QObject counter;
    qint64 taken = 0; // bytes the window's read handler has been given
    QByteArray received; // what the window sent to the device
    QStringList statusLog;
    TransparentConfig *page = nullptr;
    QLineEdit *currentIp = nullptr;
    std::unique_ptr<FuzzSupport::FormState> pageState;
    std::unique_ptr<FuzzSupport::FormState> networkState;
    FuzzSupport::FormState::Values networkOpened;
};

RouteHarness &harness(int routeIndex, bool withNetworkWindow)
{
    // The network windows are shown, as the tool shows them, but get no
    // platform window and no paint: no check reads their pixels.
    static FuzzSupport::OffScreen networkWindows(StaticIpConfig::staticMetaObject);
    // Built on first use and kept until the process ends, like the
    // application object.
    static RouteHarness *harnesses[4][2] = {};
    RouteHarness *&slot = harnesses[routeIndex][withNetworkWindow ? 1 : 0];
    if (!slot)
        slot = new RouteHarness(routeChoice(routeIndex), withNetworkWindow);
    return *slot;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::startApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const bool withNetworkWindow = (data[0] & 4) != 0;
    RouteHarness &h = harness(data[0] & 3, withNetworkWindow);
    const QByteArray stream(reinterpret_cast<const char *>(data) + 2, int(size - 2));
    const CommSettings::eRoute_t route = h.choice.route;
    const QString endError = QLatin1String(h.choice.failurePrefix) + QLatin1String("err_EndChr");

    FuzzSupport::ModalWatch modal;
    static FuzzSupport::OffScreen informationWindows(DevInfo::staticMetaObject);

    // Every input starts from the same page: the reset record sets every
    // field of the record.
    if (!h.routeUp())
        h.connectRoute();
    bool delivered = h.deliver(h.choice.resetRecord);
    h.drainRequests();
    h.received.clear();
    h.window.statusBar()->clearMessage();
    h.statusLog.clear();
    const FuzzSupport::FormState::Values pageBefore = h.pageState->read();
    const QString addressBefore = h.currentIp->text();
    const int windowsAtStart = informationWindows.alive();

    for (const QByteArray &notification : readNotifications(stream, data[1])) {
        delivered = h.deliver(notification) && delivered;
        if (!h.routeUp())
            break;
    }
    const bool stayedUp = h.routeUp() && delivered;
    const StreamShape shape = shapeOf(stream);

    FUZZ_CHECK(modal.boxes.isEmpty(), modal.boxes.join(QLatin1Char('\n')).toUtf8());
    if (stayedUp) {
        FUZZ_CHECK(h.statusLog.contains(endError) == shape.oversizedFrame,
                   "oversized frame " + QByteArray(shape.oversizedFrame ? "" : "not ") + "reported: " +
                       h.statusLog.join(QLatin1String(" | ")).toUtf8());
        FUZZ_CHECK(informationWindows.alive() - windowsAtStart <= shape.frames, "more windows than frames");

        // The partial-frame timer runs exactly while bytes after the last
        // CR LF are held; its expiry reports them unless they were over
        // the limit.
        FUZZ_CHECK(ReceivePathProbe::partialTimerRunning(h.window, route) == !shape.tail.isEmpty(),
                   "partial-frame timer and tail disagree: " + shape.tail.left(64));
        h.window.statusBar()->clearMessage();
        ReceivePathProbe::expirePartial(h.window, route);
        FUZZ_CHECK((h.window.statusBar()->currentMessage() == endError) == tailIsReportedOnExpiry(shape.tail),
                   "tail of " + QByteArray::number(shape.tail.size()) + " bytes, shown: " +
                       h.window.statusBar()->currentMessage().toUtf8());

        h.drainRequests();
        FUZZ_CHECK(h.received.isEmpty(), "a reply made the tool send: " + h.received);
        if (!stream.contains("READALL")) {
            const FuzzSupport::FormState::Values after = h.pageState->read();
            FUZZ_CHECK(after == pageBefore, h.pageState->describe(pageBefore, after));
        }
        const QString address = h.currentIp->text();
        FUZZ_CHECK(address == addressBefore || isDottedIpv4(address), address.toUtf8());
    }

    // Close what the input opened, so that memory stays bounded over a run.
    if (informationWindows.alive() != windowsAtStart)
        FuzzSupport::closeTopLevel<DevInfo>();
    if (withNetworkWindow) {
        StaticIpConfig *network = ReceivePathProbe::networkWindow(h.window);
        FUZZ_CHECK(network != nullptr, "the network window was lost");
        h.networkState->restore(h.networkOpened);
    }
    FuzzSupport::runPostedEvents();
    FUZZ_CHECK(informationWindows.alive() == 0 && FuzzSupport::countTopLevel<DevInfo>() == 0,
               "information windows left open");
    return 0;
}
