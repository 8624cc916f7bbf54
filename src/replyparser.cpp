// Plain functions over reply frames: no widgets, so they can be tested and
// fuzzed on their own.
#include "replyparser.h"

namespace ReplyParser {

namespace {

const char LineEnd[] = "\r\n";

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool inRange(qint32 v, int min, int max)
{
    return v >= min && v <= max;
}

} // namespace

FrameStatus checkFrame(const QByteArray &frame)
{
    if (!frame.endsWith(LineEnd))
        return FrameStatus::MissingLineEnd;
    if (!frame.startsWith('+'))
        return FrameStatus::MissingPlus;
    return FrameStatus::Ok;
}

QByteArray frameBody(const QByteArray &frame)
{
    return frame.endsWith(LineEnd) ? frame.left(frame.size() - 2) : frame;
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

    const int blockSize = gsm ? GsmBlockSize : EthernetBlockSize;
    for (int port = 0; port < 2; ++port) {
        PortBlock &block = record.port[port];
        for (int field = 0; field < PortFieldCount; ++field) {
            block.valid[field] = true;
            if (field >= blockSize)
                continue;
            const int pos = port * blockSize + field;
            const qint32 v = readInt32(values.at(pos));
            block.value[field] = v;
            bool valid = true;
            switch (field) {
            case Enable:
                valid = inRange(v, 0, limits.enableMax);
                break;
            case ETHPort:
                valid = inRange(v, 0, 65535);
                break;
            case TrpMode:
                valid = inRange(v, 0, limits.trpModMax);
                break;
            case Databit:
                valid = inRange(v, limits.databitMin, limits.databitMax);
                break;
            case Paritybit:
                valid = inRange(v, 0, limits.paritybitMax);
                break;
            case Stopbit:
                valid = inRange(v, limits.stopbitMin, limits.stopbitMax);
                break;
            case Baud:
                valid = inRange(v, 0, limits.baudMax);
                break;
            case WaitingChr:
                valid = inRange(v, limits.waitingChrMin, limits.waitingChrMax);
                break;
            case WaitingMs:
                valid = inRange(v, limits.waitingMsMin, limits.waitingMsMax);
                break;
            default:
                break;
            }
            block.valid[field] = valid;
            if (!valid)
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
