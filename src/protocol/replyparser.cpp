// Plain functions over reply frames: no widgets, so they can be tested and
// fuzzed on their own.
#include "protocol/replyparser.h"

#include "protocol/portschema.h"
#include "protocol/requestbuilder.h"

namespace ReplyParser {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The kind of reply each command is.
ReplyKind kindOf(CommandSet::Command command)
{
    using C = CommandSet::Command;
    switch (command) {
    case C::ReadAll:
        return ReplyKind::PortRecord;
    case C::ReadNetworkCfg:
        return ReplyKind::NetworkRecord;
    case C::CurrentIp:
        return ReplyKind::CurrentIp;
    case C::Restart:
        return ReplyKind::Restart;
    case C::Ping:
        return ReplyKind::Ping;
    case C::Close232:
        return ReplyKind::Close232;
    case C::Close485:
        return ReplyKind::Close485;
    case C::DeviceInfo:
        return ReplyKind::DeviceInfo;
    case C::Ok:
        return ReplyKind::Ok;
    case C::Error:
        return ReplyKind::Error;
    case C::WriteAll:
    case C::WriteNetworkCfg:
        break;
    }
    return ReplyKind::None;
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

namespace {

// Whether the head holds the keyword's UTF-8 bytes. The keywords are ASCII
// and compared in place: a UTF-8 copy of every keyword for every reply was
// most of the cost of a flood of short replies.
bool holdsKeyword(const QByteArray &head, const QString &keyword)
{
    const QChar *k = keyword.constData();
    const int n = keyword.size();
    for (int i = 0; i < n; ++i) {
        if (k[i].unicode() > 0x7F)
            return head.contains(keyword.toUtf8());
    }
    for (int from = 0; from + n <= head.size(); ++from) {
        int i = 0;
        while (i < n && uchar(head.at(from + i)) == k[i].unicode())
            ++i;
        if (i == n)
            return true;
    }
    return false;
}

} // namespace

int findReplyId(const QByteArray &head, const QString *table, int endMarker)
{
    for (int id = 1; id <= endMarker; ++id) {
        if (holdsKeyword(head, table[id]))
            return id;
    }
    return -1;
}

ReplyKind replyKind(const QString &keyword)
{
    // Shared commands are spelled alike in both sets, so either set's table
    // names the command.
    for (CommandSet::Kind set : {CommandSet::Ethernet, CommandSet::Gsm}) {
        const QString *table = CommandSet::keywordTable(set);
        for (int id = 0; id < CommandSet::endMarker(set); ++id) {
            CommandSet::Command command;
            if (table[id] == keyword && CommandSet::commandOf(set, id, &command))
                return kindOf(command);
        }
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

PortRecord parsePortRecord(const QList<QByteArray> &values, CommandSet::Kind set)
{
    PortRecord record;
    record.received = values.size();
    record.required = CommandSet::portRecordSize(set);
    if (set == CommandSet::None || !record.complete())
        return record;

    for (int i = 0; i < record.required; ++i)
        record.texts.append(deviceText(values.at(i)));

    const int blockSize = PortSchema::blockSize(set);
    for (int port = 0; port < 2; ++port) {
        PortBlock &block = record.port[port];
        block.valid.fill(true); // the GSM-only fields of an Ethernet record stay 0 and valid
        for (int field = 0; field < blockSize; ++field) {
            const int pos = PortSchema::position(set, port, PortField(field));
            const qint32 v = readInt32(values.at(pos));
            block.value[field] = v;
            block.valid[field] = PortSchema::inRange(PortSchema::field(PortField(field)), v);
            if (!block.valid[field])
                record.outOfRange.append(pos);
        }
    }

    if (PortSchema::apnPosition(set) >= 0)
        record.apn = values.at(PortSchema::apnPosition(set));
    const int pos = PortSchema::infoResponsePosition(set);
    record.infoResponse = readInt32(values.at(pos));
    record.infoResponseValid =
        record.infoResponse >= PortSchema::InfoResponseMin && record.infoResponse <= PortSchema::InfoResponseMax;
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

QString deviceText(const QByteArray &bytes)
{
    const int nul = bytes.indexOf('\0');
    return QString::fromUtf8(nul < 0 ? bytes : bytes.left(nul));
}

Event readEvent(const QByteArray &frame, CommandSet::Kind set)
{
    const Reply reply = readReply(frame, CommandSet::keywordTable(set), CommandSet::endMarker(set));
    Event event;
    event.status = reply.status;
    event.kind = reply.kind;
    event.body = reply.body;
    switch (reply.kind) {
    case ReplyKind::PortRecord:
        event.portRecord = parsePortRecord(splitRecord(reply.body), set);
        break;
    case ReplyKind::NetworkRecord:
        event.network = parseNetworkRecord(splitRecord(reply.body));
        break;
    case ReplyKind::CurrentIp:
        event.currentIp = decodeCurrentIp(replyValues(reply.body));
        break;
    case ReplyKind::DeviceInfo:
        event.info.values = splitRecord(reply.body);
        break;
    case ReplyKind::Error:
        event.detail = replyValues(reply.body);
        break;
    default:
        break;
    }
    return event;
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
