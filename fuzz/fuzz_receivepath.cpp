// The receive path as the main window runs it: the bytes of one route, cut
// into read notifications, go through the route's FrameAssembler, and every
// complete frame into TransparentConfig::Receive_Callback with a live page,
// optionally an open network window, and the information windows a reply
// opens. The pages and network windows are built once and reused (see
// RoutePage); the information windows the tool opens are shown, but kept off
// the screen (FuzzSupport::OffScreen), since no check reads their pixels.
//
// Input: byte 0 chooses the route (bits 0-1: 0 configuration service, 1 USB,
// 2 RS-232 data port, 3 RS-485 data port) and whether the network window is
// open (bit 2). Byte 1 chooses the read notifications: 0 delivers everything
// at once, 1-127 cuts it into pieces of that many bytes, 128-255 into pieces
// of pseudo-random length from 1 to (byte & 127) + 1. The rest is what the
// device sent.
//
// Besides crashes, leaks and undefined behaviour, a finding is:
// - a reply that makes the page send anything, or ask for the network window;
// - a modal box raised by a reply (the user did not do anything);
// - a result other than the four the handler may return;
// - a change to the page from anything but a port-record reply carrying at
//   least the whole record (23 values on the Ethernet command set, 30 on the
//   GSM one), or from a rejected frame;
// - a current address that is not a dotted IPv4 address;
// - more than one information window per frame, or a window left behind
//   after all were closed.

#include "fuzzsupport.h"

#include "commsettings.h"
#include "devinfo.h"
#include "protocol/frameassembler.h"
#include "staticipconfig.h"
#include "transparentconfig.h"

#include <QRegularExpression>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

struct Route
{
    CommSettings::eRoute_t route;
    int recordValues; // values of a whole port record on this route's command set
};

const Route Routes[] = {
    {CommSettings::TCP, 23},
    {CommSettings::USB, 23},
    {CommSettings::TCP232, 30},
    {CommSettings::TCP485, 30},
};

void prepareRoute(TransparentConfig &page, CommSettings::eRoute_t route)
{
    page.setEnabled(true);
    switch (route) {
    case CommSettings::TCP:
        page.SetETHSettings(true);
        break;
    case CommSettings::USB:
        page.SetUSBSettings(true);
        break;
    case CommSettings::TCP232:
        page.Set232Settings(true);
        break;
    default:
        page.Set485Settings(true);
        break;
    }
}

// Whether a frame may change the page: a READALL reply carrying at least the
// whole record after its first "=".
bool mayFillPage(const QByteArray &frame, int recordValues)
{
    const int eq = frame.indexOf('=');
    if (eq < 0 || !frame.left(eq).contains("READALL"))
        return false;
    const QByteArray values = frame.mid(eq + 1, frame.size() - eq - 3); // without CR LF
    return values.count(',') + 1 >= recordValues;
}

bool isDottedIpv4(const QByteArray &text)
{
    static const QRegularExpression dotted(
        QStringLiteral("^([0-9]{1,3})\\.([0-9]{1,3})\\.([0-9]{1,3})\\.([0-9]{1,3})$"));
    const QRegularExpressionMatch match = dotted.match(QString::fromLatin1(text.constData(), text.size()));
    if (!match.hasMatch())
        return false;
    for (int i = 1; i <= 4; ++i) {
        if (match.captured(i).toInt() > 255)
            return false;
    }
    return true;
}

QList<QByteArray> readNotifications(const QByteArray &stream, quint8 mode)
{
    if (mode == 0 || stream.isEmpty())
        return {stream};
    QList<QByteArray> pieces;
    quint32 seed = 2166136261u ^ mode ^ quint32(stream.size());
    for (int at = 0; at < stream.size();) {
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

// One page per route, built once: building the page's form for every input
// would be most of the work. Each input starts from the same page state,
// because a whole port record is applied first (it sets every field of the
// record), so an input found to break an invariant breaks it again alone.
// The network window of a route is built once as well, kept hidden (the
// handler only fills it) and put back to its opening state after each input
// that used it.
struct RoutePage
{
    TransparentConfig page;
    QByteArray resetRecord;
    std::unique_ptr<FuzzSupport::FormState> state;
    std::unique_ptr<StaticIpConfig> network;
    std::unique_ptr<FuzzSupport::FormState> networkState;
    FuzzSupport::FormState::Values networkOpened;
};

RoutePage &routePage(int index)
{
    static RoutePage pages[4];
    static bool prepared = false;
    if (!prepared) {
        prepared = true;
        for (int i = 0; i < 4; ++i) {
            RoutePage &p = pages[i];
            prepareRoute(p.page, Routes[i].route);
            p.resetRecord =
                Routes[i].recordValues == 23
                    ? QByteArrayLiteral(
                          "+READALL=1,502,0,8,0,1,5,8,400,100,0,1,503,0,8,0,1,5,8,400,100,0,0\r\n")
                    : QByteArrayLiteral(
                          "+READALL=1,502,0,8,0,1,5,8,400,100,0,0,100,120,1,503,0,8,0,1,5,8,400,"
                          "100,0,0,100,120,internet,0\r\n");
            p.state = std::make_unique<FuzzSupport::FormState>(&p.page);
            p.network = std::make_unique<StaticIpConfig>(Routes[i].route);
            p.networkState = std::make_unique<FuzzSupport::FormState>(p.network.get());
            p.networkOpened = p.networkState->read();
        }
    }
    return pages[index];
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
    const Route &route = Routes[data[0] & 3];
    const bool networkWindowOpen = (data[0] & 4) != 0;
    const QByteArray stream(reinterpret_cast<const char *>(data) + 2, int(size - 2));

    FuzzSupport::ModalWatch modal;
    static FuzzSupport::OffScreen informationWindows(DevInfo::staticMetaObject);
    RoutePage &routePageState = routePage(data[0] & 3);
    TransparentConfig &page = routePageState.page;
    const FuzzSupport::FormState &pageState = *routePageState.state;
    QByteArray reset = routePageState.resetRecord;
    FUZZ_CHECK(page.Receive_Callback(reset, nullptr) == TransparentConfig::err_OK,
               "the reset record was refused");

    QObject watcher;
    QObject::connect(&page, &TransparentConfig::WriteData, &watcher,
                     [](const QByteArray &frame) { FuzzSupport::fail("a reply made the page send", frame); });
    QObject::connect(&page, &TransparentConfig::OpenStaticIpWindow, &watcher,
                     [] { FuzzSupport::fail("a reply opened the network window"); });
    QObject::connect(&page, &TransparentConfig::SetCurrentIpAddr, &watcher,
                     [](const QByteArray &address) { FUZZ_CHECK(isDottedIpv4(address), address); });

    StaticIpConfig *network = networkWindowOpen ? routePageState.network.get() : nullptr;

    const int windowsAtStart = informationWindows.alive();
    FrameAssembler assembler;
    for (const QByteArray &notification : readNotifications(stream, data[1])) {
        const QList<Framing::Piece> pieces = assembler.append(notification);
        for (const Framing::Piece &piece : pieces) {
            if (piece.kind == Framing::Piece::Dropped)
                continue;
            FUZZ_CHECK(piece.bytes.endsWith("\r\n"), piece.bytes);

            const FuzzSupport::FormState::Values before = pageState.read();
            const int windowsBefore = informationWindows.alive();
            QByteArray frame = piece.bytes;
            const TransparentConfig::TrpErr_t result = page.Receive_Callback(frame, network);

            FUZZ_CHECK(result >= TransparentConfig::err_OK && result < TransparentConfig::err_Max,
                       piece.bytes);
            FUZZ_CHECK(modal.boxes.isEmpty(), modal.boxes.join(QLatin1Char('\n')).toUtf8());
            FUZZ_CHECK(informationWindows.alive() - windowsBefore <= 1, piece.bytes);
            if (result != TransparentConfig::err_OK || !mayFillPage(piece.bytes, route.recordValues)) {
                const FuzzSupport::FormState::Values after = pageState.read();
                FUZZ_CHECK(after == before, piece.bytes + "\n" + pageState.describe(before, after));
            }
        }
    }

    // Close what the input opened, so that memory stays bounded over a run.
    if (informationWindows.alive() != windowsAtStart)
        FuzzSupport::closeTopLevel<DevInfo>();
    if (network) {
        routePageState.networkState->restore(routePageState.networkOpened);
        FUZZ_CHECK(routePageState.networkState->read() == routePageState.networkOpened,
                   "the network window did not return to its opening state");
    }
    FuzzSupport::runPostedEvents();
    FUZZ_CHECK(informationWindows.alive() == 0 && FuzzSupport::countTopLevel<DevInfo>() == 0,
               "information windows left open");
    FUZZ_CHECK(FuzzSupport::countTopLevel<StaticIpConfig>() == 4, "a network window was added or lost");
    return 0;
}
