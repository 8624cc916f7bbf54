#pragma once

// The device's two command sets and the one keyword table behind them.
//
// The Ethernet set (USB and the configuration service) carries a 23-value
// port record and the network record; the GSM set (the two data ports)
// carries a 30-value port record and can close the other data port. A
// keyword both sets know is spelled the same in both, so the table holds each
// keyword once, with its id in each set (or none). Which set a route speaks
// is the link's business (link/route.h); this header knows no route.

#include "protocol/deviceprotocol.h"

#include <QString>

namespace CommandSet {

enum Kind { None, Ethernet, Gsm };

// The requests and replies the tool itself sends or acts upon, by meaning
// rather than by a set's id.
enum class Command
{
    ReadAll,
    WriteAll,
    ReadNetworkCfg,
    WriteNetworkCfg,
    CurrentIp,
    Restart,
    Ping,
    Close232,
    Close485,
    DeviceInfo,
    Ok,
    Error,
};

// The keyword of a command in a set; empty for None, or when the set lacks
// the command (the Ethernet set cannot close a data port).
QString keyword(Kind set, Command command);

// The command a set's keyword id stands for; false when the id names a
// record field or the end marker.
bool commandOf(Kind set, int id, Command *command);

// Values of a port record on that set (0 for None).
int portRecordSize(Kind set);

// The set's keyword table and its end marker (nullptr and 0 for None).
const QString *keywordTable(Kind set);
int endMarker(Kind set);

} // namespace CommandSet
