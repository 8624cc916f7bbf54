// The port record's field schema; see portschema.h.

#include "protocol/portschema.h"

#include <limits>

namespace PortSchema {

namespace {

using namespace ReplyParser;
constexpr qint32 Lowest = std::numeric_limits<qint32>::min();
constexpr qint32 Highest = std::numeric_limits<qint32>::max();

// In PortField order, which is the order of the fields in a block.
// clang-format off
const Field Fields[PortFieldCount] = {
    {Enable, false, true,  0,      1,       Unit::Index},
    {ETHPort, false, true,  0,      65535,   Unit::Plain},
    {TrpMode, false, true,  0,      4,       Unit::Index},
    {Databit, false, true,  7,      8,       Unit::Index},
    {Paritybit, false, true,  0,      2,       Unit::Index},
    {Stopbit, false, true,  1,      2,       Unit::Index},
    {Baud, false, true,  0,      9,       Unit::Index},
    {WaitingChr, false, true,  4,      128,     Unit::Plain},
    {WaitingMs, false, true,  10,     5000,    Unit::Plain},
    {Tmout, false, false, Lowest, Highest, Unit::Plain},
    {EthTmout, false, false, Lowest, Highest, Unit::Plain},
    {RetryCnt, true,  false, Lowest, Highest, Unit::Plain},
    {IntVal, true,  false, Lowest, Highest, Unit::CommandInterval},
    {PingIntVal, true,  false, Lowest, Highest, Unit::PingInterval},
};
// clang-format on

} // namespace

const Field &field(PortField f)
{
    Q_ASSERT(f >= 0 && f < PortFieldCount);
    return Fields[f];
}

int blockSize(CommandSet::Kind set)
{
    int size = 0;
    for (const Field &f : Fields) {
        if (set != CommandSet::None && (!f.gsmOnly || set == CommandSet::Gsm))
            ++size;
    }
    return size;
}

int position(CommandSet::Kind set, int port, PortField f)
{
    if (port < 0 || port > 1 || f < 0 || f >= PortFieldCount || f >= blockSize(set))
        return -1;
    return port * blockSize(set) + f;
}

int apnPosition(CommandSet::Kind set)
{
    return set == CommandSet::Gsm ? 2 * blockSize(set) : -1;
}

int infoResponsePosition(CommandSet::Kind set)
{
    return set == CommandSet::None ? -1 : CommandSet::portRecordSize(set) - 1;
}

QString keywordAt(CommandSet::Kind set, int pos)
{
    if (pos < 0 || pos >= CommandSet::portRecordSize(set))
        return QString();
    // The port record's keywords run in record order in both tables, from
    // each set's first port-record id on.
    const int first = set == CommandSet::Gsm ? DeviceProtocol::GSM_AT_CMD_FIRST_ID : DeviceProtocol::AT_CMD_FIRST_ID;
    return CommandSet::keywordTable(set)[first + pos];
}

bool inRange(const Field &f, qint32 value)
{
    return !f.ranged || (value >= f.min && value <= f.max);
}

bool commandIntervalInSeconds(int retryCount)
{
    return retryCount > 0;
}

int commandIntervalToWire(int shown, int retryCount)
{
    return commandIntervalInSeconds(retryCount) ? shown * 1000 : shown;
}

int commandIntervalFromWire(qint32 milliseconds, int retryCount)
{
    return commandIntervalInSeconds(retryCount) ? milliseconds / 1000 : milliseconds;
}

int pingIntervalToWire(int minutes)
{
    return minutes * 60;
}

int pingIntervalFromWire(qint32 seconds)
{
    return seconds >= 1 ? seconds / 60 : seconds;
}

} // namespace PortSchema
