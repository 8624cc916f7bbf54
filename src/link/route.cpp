// The route table and the one-route rules; see route.h.

#include "link/route.h"

#include "statustimes.h"

#include <QtGlobal>

namespace {

using S = Switch;
constexpr ActionStates Untouched = {S::Keep, S::Keep, S::Keep};
constexpr ActionStates AllDown = {S::Off, S::Off, S::On};
constexpr RouteText None = {nullptr, 0};
const char *const WriteTcp = QT_TRANSLATE_NOOP("TelvorConfigurator", "Cannot write via TCP");

// Columns: name, serial, up when connected, page reset when down, command
// set; status texts when up, when down, on a failed reply, on no answer; the
// network-error text; the write-failure text; action states when opened, up and down; traces of the
// answered flag and of no answer.
// clang-format off
const RouteProfile Profiles[RouteIds::Max] = {
    {"TCP", false, false, false, CommandSet::Ethernet,
     {QT_TRANSLATE_NOOP("TelvorConfigurator", "Tcp Connected"), STATUS_BRIEF_MS},
     {QT_TRANSLATE_NOOP("TelvorConfigurator", "Disconnected from TCP"), STATUS_BRIEF_MS},
     {QT_TRANSLATE_NOOP("TelvorConfigurator", "TCPDataReceived Error :%1"), STATUS_PROBLEM_MS}, None,
     // Only the configuration service names a network error as a closed server.
     QT_TRANSLATE_NOOP("TelvorConfigurator", "Connection closed by server."), WriteTcp,
     {S::Keep, S::Keep, S::Off}, {S::On, S::On, S::Keep}, AllDown, "TcpConnectionSucceed:", " TCP false",
     RouteIds::Max, RouteIds::Max, CommandSet::Command::ReadAll, nullptr, None, nullptr},
    // Ping means nothing on USB: the route neither enables nor disables it.
    {"USB", true, false, false, CommandSet::Ethernet,
     {QT_TRANSLATE_NOOP("TelvorConfigurator", "Connected %1"), STATUS_LONG_MS},
     {QT_TRANSLATE_NOOP("TelvorConfigurator", "Disconnected from USB"), STATUS_BRIEF_MS},
     {QT_TRANSLATE_NOOP("TelvorConfigurator", "SerialReceived Error : %1"), STATUS_BRIEF_MS},
     {QT_TRANSLATE_NOOP("TelvorConfigurator", "Cannot connect over USB"), STATUS_BRIEF_MS}, nullptr,
     QT_TRANSLATE_NOOP("TelvorConfigurator", "Cannot write via USB"),
     Untouched, {S::On, S::Keep, S::Off}, {S::Off, S::Keep, S::On}, "UsbConnectionSucceed:", "Usb:false",
     RouteIds::TCP, RouteIds::Max, CommandSet::Command::ReadAll, nullptr, None, nullptr},
    // The page's RS-232 settings are reset when its port goes down; the
    // RS-485 settings stay until the next route prepares the page.
    {"TCP232", false, true, true, CommandSet::Gsm,
     {QT_TRANSLATE_NOOP("TelvorConfigurator", "Tcp 232 Port Connected"), STATUS_BRIEF_MS},
     {QT_TRANSLATE_NOOP("TelvorConfigurator", "Disconnected from TCP 232 Port"), STATUS_BRIEF_MS},
     {QT_TRANSLATE_NOOP("TelvorConfigurator", "TCP232DataReceived Error :%1"), STATUS_PROBLEM_MS}, None, nullptr, WriteTcp,
     Untouched, {S::On, S::On, S::Off}, AllDown, "Tcp232ConnectionSucceed:", " TCP 232 false",
     RouteIds::Max, RouteIds::TCP485, CommandSet::Command::Close232, "Data send from 232",
     {QT_TRANSLATE_NOOP("TelvorConfigurator", "Tcp 232 Port Closed"), STATUS_BRIEF_MS}, "232 Port Closed"},
    {"TCP485", false, true, false, CommandSet::Gsm,
     {QT_TRANSLATE_NOOP("TelvorConfigurator", "Tcp 485 Port Connected"), STATUS_BRIEF_MS},
     {QT_TRANSLATE_NOOP("TelvorConfigurator", "Disconnected from TCP 485 Port"), STATUS_BRIEF_MS},
     {QT_TRANSLATE_NOOP("TelvorConfigurator", "TCP485DataReceived Error :%1"), STATUS_PROBLEM_MS}, None, nullptr, WriteTcp,
     Untouched, {S::On, S::On, S::Off}, AllDown, "Tcp485ConnectionSucceed:", " TCP 485 false",
     RouteIds::Max, RouteIds::TCP232, CommandSet::Command::Close485, "Data send from 485",
     {QT_TRANSLATE_NOOP("TelvorConfigurator", "Tcp 485 Port Closed"), STATUS_BRIEF_MS}, "485 Port Closed"},
};
// clang-format on

} // namespace

const RouteProfile &routeProfile(RouteId route)
{
    Q_ASSERT(route >= RouteIds::TCP && route < RouteIds::Max);
    return Profiles[route];
}

namespace RouteRules {

Press press(RouteId pressed, const bool (&routeUp)[RouteIds::Max])
{
    // The configuration service and USB block each other; a data port is
    // blocked by any route.
    const bool dataPort = routeProfile(pressed).upWhenConnected;
    bool blocked = routeUp[RouteIds::TCP] || routeUp[RouteIds::USB];
    if (dataPort)
        blocked = blocked || routeUp[RouteIds::TCP232] || routeUp[RouteIds::TCP485];
    if (!blocked)
        return Press::Connect;
    return routeUp[pressed] ? Press::Disconnect : Press::Ignore;
}

bool mayOpen(RouteId requested, RouteId active)
{
    // A TCP route opens only when no route is active. The serial port opens
    // unless the configuration service or USB itself is the active route: a
    // port still waiting for its first answer is opened anew.
    if (routeProfile(requested).isSerial)
        return active != RouteIds::TCP && active != RouteIds::USB;
    return active == RouteIds::Max;
}

} // namespace RouteRules
