#pragma once

// The four routes to the device, and the one table of what tells them apart.
//
// The connection panel inherits RouteIds, so its long-standing names
// (CommSettings::eRoute_t, CommSettings::TCP, ...) are these.

#include "protocol/commandset.h"

#include <QMetaType>

struct RouteIds
{
    enum eRoute_t { TCP = 0, USB, TCP232, TCP485, Max };
};

using RouteId = RouteIds::eRoute_t;
Q_DECLARE_METATYPE(RouteIds::eRoute_t)

// A status-bar text (untranslated, in the "TelvorConfigurator" context; null
// for none) and how long it stays up.
struct RouteText
{
    const char *text;
    int ms;
};

// What a route event does to a menu action: leave it, enable it, disable it.
enum class Switch
{
    Keep,
    On,
    Off
};

// The menu states one route event leaves: commands are RESTART DEVICE and
// GET INFO, models the two model actions.
struct ActionStates
{
    Switch commands;
    Switch ping;
    Switch models;
};

// One row per route: everything that tells the four routes apart.
struct RouteProfile
{
    const char *name; // in traces
    bool isSerial;    // the USB virtual COM port; the others are TCP sockets
    // A data port is up as soon as its socket connects, and then asks for the
    // port record half a second later; the configuration service and USB ask
    // at once and come up on the first answer.
    bool upWhenConnected;
    // The page's own settings of the route are reset when it goes down.
    bool resetsPageWhenDown;
    CommandSet::Kind commands;
    RouteText up, down, receiveFailure, noAnswer;
    const char *networkErrorText; // null: the error's own name
    const char *writeFailure;     // shown until replaced when a frame cannot be written
    ActionStates atOpen, atUp, atDown;
    const char *answeredTrace, *noAnswerTrace;
    // The route this one drops when it comes up (Max: none): the USB
    // handshake ends a connection (or attempt) of the configuration service.
    RouteIds::eRoute_t dropsWhenUp;
    // A data port's twin, and the command that asks the device, over the
    // twin, to close this port (Abort); Max and unused elsewhere.
    RouteIds::eRoute_t twin;
    CommandSet::Command closeCommand;
    const char *readingTrace; // a data port's first read
    RouteText closedText;     // after an Abort of this port
    const char *closedTrace;
};

const RouteProfile &routeProfile(RouteId route);

// The one-route-at-a-time rules, kept side by side. The panel decides from
// the routes it shows as up what a connect button asks for; the window
// decides from the active route whether a requested route may open.
namespace RouteRules {

enum class Press
{
    Connect,
    Disconnect,
    Ignore
};

// routeUp[r]: the panel shows route r as up.
Press press(RouteId pressed, const bool (&routeUp)[RouteIds::Max]);

// Whether a requested route may open its channel while `active` is the
// active route (Max: none).
bool mayOpen(RouteId requested, RouteId active);

} // namespace RouteRules
