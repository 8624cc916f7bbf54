// Plain functions over reply frames: no widgets, so they can be tested and
// fuzzed on their own.
#include "replyparser.h"

#include "requestbuilder.h"
#include "transparentconfig.h"

#include <limits>

namespace ReplyParser {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool inRange(qint32 v, int min, int max)
{
    return v >= min && v <= max;
}

// The replies that have an action, with their ids in the Ethernet and the
// GSM table (-1: the set has no such reply).
struct KindRow
{
    ReplyKind kind;
    int ethernetId;
    int gsmId;
};

using T = TransparentConfig;
const KindRow KindRows[] = {
    {ReplyKind::PortRecord, T::eIdReadAll, T::eIdGSMReadAll},
    {ReplyKind::NetworkRecord, T::eIdReadNetworkCfg, T::eIdGSMReadNetworkCfg},
    {ReplyKind::CurrentIp, T::eIdCurrentIPAddr, T::eIdGSMCurrentIPAddr},
    {ReplyKind::Restart, T::eIdDeviceRestart, T::eIdGSMDeviceRestart},
    {ReplyKind::Ping, T::eIdDevicePing, T::eIdGSMDevicePing},
    {ReplyKind::Close232, -1, T::eId232ComClose},
    {ReplyKind::Close485, -1, T::eId485ComClose},
    {ReplyKind::DeviceInfo, T::eIdDeviceInfo, T::eIdGSMDeviceInfo},
    {ReplyKind::Ok, T::eIdRetOK, T::eIdGSMRetOK},
    {ReplyKind::Error, T::eIdRetERR, T::eIdGSMRetERR},
};

struct Range
{
    qint32 min;
    qint32 max;
};

// The valid range of each field of a port block, in PortField order.
std::array<Range, PortFieldCount> fieldRanges(const PortRecordLimits &l)
{
    const Range any{std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()};
    return {{
        {0, l.enableMax},                   // Enable
        {0, 65535},                         // ETHPort
        {0, l.trpModMax},                   // TrpMode
        {l.databitMin, l.databitMax},       // Databit
        {0, l.paritybitMax},                // Paritybit
        {l.stopbitMin, l.stopbitMax},       // Stopbit
        {0, l.baudMax},                     // Baud
        {l.waitingChrMin, l.waitingChrMax}, // WaitingChr
        {l.waitingMsMin, l.waitingMsMax},   // WaitingMs
        any,                                // Tmout
        any,                                // EthTmout
        any,                                // RetryCnt
        any,                                // IntVal
        any,                                // PingIntVal
    }};
}

} // namespace

FrameStatus checkFrame(const QByteArray &frame)
{
    if (!frame.endsWith(RequestBuilder::lineEnd()))
        return FrameStatus::MissingLineEnd;
    if (!frame.startsWith('+'))
        return FrameStatus::MissingPlus;
    return FrameStatus::Ok;
}

QByteArray frameBody(const QByteArray &frame)
{
    const QByteArray &lineEnd = RequestBuilder::lineEnd();
    return frame.endsWith(lineEnd) ? frame.left(frame.size() - lineEnd.size()) : frame;
}

QByteArray replyHead(const QByteArray &reply)
{
    const int eq = reply.indexOf('=');
    return eq < 0 ? reply : reply.left(eq);
}

int findReplyId(const QByteArray &head, const QString *table, int endMarker)
{
    for (int id = 1; id <= endMarker; ++id) {
        if (head.contains(table[id].toUtf8()))
            return id;
    }
    return -1;
}

ReplyKind replyKind(const QString &keyword)
{
    for (const KindRow &row : KindRows) {
        if ((row.ethernetId >= 0 && TrpCfgCmdTexts[row.ethernetId] == keyword) ||
            TrpCfgCmdGSMTexts[row.gsmId] == keyword)
            return row.kind;
    }
    return ReplyKind::None;
}

Reply readReply(const QByteArray &frame, const QString *table, int endMarker)
{
    Reply reply;
    reply.status = checkFrame(frame);
    reply.body = frameBody(frame);
    if (reply.status != FrameStatus::Ok || table == nullptr)
        return reply;
    const int id = findReplyId(replyHead(reply.body), table, endMarker);
    if (id >= 0)
        reply.kind = replyKind(table[id]);
    return reply;
}

QByteArray replyValues(const QByteArray &reply)
{
    const int eq = reply.indexOf('=');
    return eq < 0 ? reply : reply.mid(eq + 1);
}

QList<QByteArray> splitRecord(const QByteArray &reply)
{
    const int eq = reply.indexOf('=');
    if (eq < 0)
        return {};
    return reply.mid(eq + 1).split(',');
}

qint32 readInt32(const QByteArray &field, bool *ok)
{
    if (ok)
        *ok = false;
    int i = 0;
    bool negative = false;
    if (i < field.size() && (field.at(i) == '+' || field.at(i) == '-')) {
        negative = field.at(i) == '-';
        ++i;
    }
    if (i == field.size())
        return 0;
    // The magnitude is bounded by 2^31 before every step, so it never
    // overflows a 64-bit integer.
    const qint64 limit = negative ? qint64(1) << 31 : (qint64(1) << 31) - 1;
    qint64 magnitude = 0;
    for (; i < field.size(); ++i) {
        const char c = field.at(i);
        if (!isDigit(c))
            return 0;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > limit)
            return 0;
    }
    if (ok)
        *ok = true;
    return static_cast<qint32>(negative ? -magnitude : magnitude);
}

QByteArray decodeCurrentIp(const QByteArray &field)
{
    const quint32 n = static_cast<quint32>(readInt32(field));
    return QByteArray::number(n & 0xFF) + '.' + QByteArray::number((n >> 8) & 0xFF) + '.' +
           QByteArray::number((n >> 16) & 0xFF) + '.' + QByteArray::number((n >> 24) & 0xFF);
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

int portRecordPosition(bool gsm, int port, PortField field)
{
    if (port < 0 || port > 1 || field < 0 || field >= PortFieldCount)
        return -1;
    const int blockSize = gsm ? GsmBlockSize : EthernetBlockSize;
    if (field >= blockSize)
        return -1;
    return port * blockSize + field;
}

PortRecord parsePortRecord(const QList<QByteArray> &values, bool gsm, const PortRecordLimits &limits)
{
    PortRecord record;
    record.received = values.size();
    record.required = gsm ? GsmPortRecordSize : EthernetPortRecordSize;
    if (!record.complete())
        return record;

    for (int i = 0; i < record.required; ++i)
        record.texts.append(QString::fromUtf8(values.at(i)));

    const std::array<Range, PortFieldCount> ranges = fieldRanges(limits);
    const int blockSize = gsm ? GsmBlockSize : EthernetBlockSize;
    for (int port = 0; port < 2; ++port) {
        PortBlock &block = record.port[port];
        block.valid.fill(true); // the GSM-only fields of an Ethernet record stay 0 and valid
        for (int field = 0; field < blockSize; ++field) {
            const int pos = port * blockSize + field;
            const qint32 v = readInt32(values.at(pos));
            block.value[field] = v;
            block.valid[field] = inRange(v, ranges[field].min, ranges[field].max);
            if (!block.valid[field])
                record.outOfRange.append(pos);
        }
    }

    int pos = 2 * blockSize;
    if (gsm)
        record.apn = values.at(pos++);
    record.infoResponse = readInt32(values.at(pos));
    record.infoResponseValid = inRange(record.infoResponse, 0, limits.enableMax);
    if (!record.infoResponseValid)
        record.outOfRange.append(pos);
    return record;
}

NetworkRecord parseNetworkRecord(const QList<QByteArray> &values)
{
    NetworkRecord record;
    record.received = values.size();
    if (values.size() != NetworkRecordSize)
        return record;
    record.complete = true;
    record.mac = values.at(0);
    record.dhcp = readInt32(values.at(1)) == 0;
    for (int group = 0; group < 5; ++group) {
        const int first = 2 + 4 * group;
        record.addresses[group] = values.at(first) + '.' + values.at(first + 1) + '.' + values.at(first + 2) +
                                  '.' + values.at(first + 3);
    }
    return record;
}

NetworkRecord parseNetworkRecord(const QByteArray &values)
{
    return parseNetworkRecord(values.split(','));
}

bool isDottedIpv4(const QString &text)
{
    const QStringList octets = text.split(QLatin1Char('.'));
    if (octets.size() != 4)
        return false;
    for (const QString &octet : octets) {
        if (octet.isEmpty() || octet.size() > 3)
            return false;
        int value = 0;
        for (const QChar c : octet) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
            value = value * 10 + (c.unicode() - '0');
        }
        if (value > 255)
            return false;
    }
    return true;
}

} // namespace ReplyParser
