#pragma once

// The field schema of the port record: for each field of a port block its
// position, the command set that carries it, its valid range and the unit it
// is shown in. The reply parser checks ranges with it, the page binds its
// widgets with it, the write builds its values in its order, and the
// out-of-range report names fields with it: the record's layout is written
// down here and nowhere else.

#include "protocol/commandset.h"
#include "protocol/records.h"

#include <QString>

namespace PortSchema {

using ReplyParser::PortField;

// How a field is shown on the page.
enum class Unit
{
    Index,           // a list: the index is the value less the range's minimum
    Plain,           // a number box or a stored value, as it travels
    CommandInterval, // milliseconds on the wire; seconds while the port retries
    PingInterval,    // seconds on the wire, minutes on the page
};

struct Field
{
    PortField field;
    bool gsmOnly;
    bool ranged;
    qint32 min;
    qint32 max;
    Unit unit;
};

const Field &field(PortField field);

// The range of the information response (a yes / no list).
constexpr qint32 InfoResponseMin = 0;
constexpr qint32 InfoResponseMax = 1;

// Fields of one port block on a set, and their positions in the record
// (port 0 = RS-485, 1 = RS-232); -1 for a field the set does not carry.
int blockSize(CommandSet::Kind set);
int position(CommandSet::Kind set, int port, PortField field);
// The APN (GSM only; -1 on Ethernet) and the information response.
int apnPosition(CommandSet::Kind set);
int infoResponsePosition(CommandSet::Kind set);

// The keyword of the value at a record position, as the set's keyword table
// spells it ("485BAUD", "APN", "INFORESPONSE").
QString keywordAt(CommandSet::Kind set, int position);

bool inRange(const Field &field, qint32 value);

// The command interval travels in milliseconds. While the port retries
// (retry count above 0) the page shows it in seconds, otherwise in
// milliseconds as it travels.
bool commandIntervalInSeconds(int retryCount);
int commandIntervalToWire(int shown, int retryCount);
int commandIntervalFromWire(qint32 milliseconds, int retryCount);

// The ping interval travels in seconds and is shown in minutes; a value below
// one second is shown as it travels (the box then limits it).
int pingIntervalToWire(int minutes);
int pingIntervalFromWire(qint32 seconds);

} // namespace PortSchema
