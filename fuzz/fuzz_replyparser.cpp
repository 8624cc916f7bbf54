// The plain reply functions with any bytes, each checked against what the
// protocol says it must do (the oracles below are written from the protocol,
// not from the functions).
//
// Input: any bytes, taken as one frame (CR LF included or not), as one value
// field and as a record.

#include "fuzzsupport.h"

#include "protocol/portschema.h"
#include "protocol/replyparser.h"
#include "transparentconfig.h"

#include <cstddef>
#include <cstdint>

namespace {

using namespace ReplyParser;


// A base-10 signed 32-bit integer: optional sign, one or more ASCII digits,
// nothing else, within -2^31..2^31-1. Worked out on the digits without
// leading zeros, unlike the parser.
bool referenceInt32(const QByteArray &field, qint64 *value)
{
    int i = 0;
    bool negative = false;
    if (!field.isEmpty() && (field[0] == '+' || field[0] == '-')) {
        negative = field[0] == '-';
        i = 1;
    }
    if (i == field.size())
        return false;
    for (int j = i; j < field.size(); ++j) {
        if (field[j] < '0' || field[j] > '9')
            return false;
    }
    while (i < field.size() - 1 && field[i] == '0')
        ++i;
    const QByteArray digits = field.mid(i);
    if (digits.size() > 10)
        return false;
    qint64 magnitude = 0;
    for (char c : digits)
        magnitude = magnitude * 10 + (c - '0');
    const qint64 v = negative ? -magnitude : magnitude;
    if (v < -2147483648LL || v > 2147483647LL)
        return false;
    *value = v;
    return true;
}

void checkFraming(const QByteArray &frame)
{
    const FrameStatus status = checkFrame(frame);
    const bool hasLineEnd =
        frame.size() >= 2 && frame.at(frame.size() - 2) == '\r' && frame.at(frame.size() - 1) == '\n';
    FUZZ_CHECK((status == FrameStatus::MissingLineEnd) == !hasLineEnd, frame);
    if (hasLineEnd)
        FUZZ_CHECK((status == FrameStatus::MissingPlus) == (frame.at(0) != '+'), frame);

    const QByteArray body = frameBody(frame);
    FUZZ_CHECK(body == (hasLineEnd ? frame.left(frame.size() - 2) : frame), frame);

    const QByteArray head = replyHead(body);
    const QByteArray values = replyValues(body);
    const int eq = body.indexOf('=');
    if (eq < 0) {
        FUZZ_CHECK(head == body && values == body, body);
        FUZZ_CHECK(splitRecord(body).isEmpty(), body);
    } else {
        FUZZ_CHECK(!head.contains('=') && head + '=' + values == body, body);
        const QList<QByteArray> record = splitRecord(body);
        FUZZ_CHECK(record.size() == values.count(',') + 1, body);
        FUZZ_CHECK(record.join(',') == values, body);
    }
}

void checkIdentification(const QByteArray &head, const QString *table, int endMarker)
{
    const int id = findReplyId(head, table, endMarker);
    FUZZ_CHECK(id == -1 || (id >= 1 && id <= endMarker), head);
    // The first keyword from id 1 on that occurs in the head names it.
    int expected = -1;
    for (int i = 1; i <= endMarker && expected < 0; ++i) {
        if (head.contains(table[i].toUtf8()))
            expected = i;
    }
    FUZZ_CHECK(id == expected, head);
}

void checkNumber(const QByteArray &field)
{
    bool ok = true;
    const qint32 v = readInt32(field, &ok);
    qint64 reference = 0;
    const bool valid = referenceInt32(field, &reference);
    FUZZ_CHECK(ok == valid, field);
    FUZZ_CHECK(v == (valid ? reference : 0), field);
    FUZZ_CHECK(readInt32(field) == v, field);

    // The address's four bytes, least significant first, in dotted form.
    const quint32 n = quint32(v);
    const QByteArray dotted = QByteArray::number(n & 0xFF) + '.' + QByteArray::number((n >> 8) & 0xFF) + '.' +
                              QByteArray::number((n >> 16) & 0xFF) + '.' + QByteArray::number(n >> 24);
    FUZZ_CHECK(decodeCurrentIp(field) == dotted, field);
}

void checkPortRecord(const QList<QByteArray> &values, bool gsm)
{
    const int required = gsm ? 30 : 23;
    const int blockSize = gsm ? 14 : 11;
    const PortRecord record = parsePortRecord(values, gsm ? CommandSet::Gsm : CommandSet::Ethernet);
    FUZZ_CHECK(record.received == values.size() && record.required == required,
               QByteArray::number(values.size()));
    // The GSM record's length on the Ethernet set is the other set's record,
    // refused like a short one.
    const bool otherSet = !gsm && values.size() == 30;
    FUZZ_CHECK(record.complete() == (values.size() >= required && !otherSet), QByteArray::number(values.size()));
    if (!record.complete()) {
        FUZZ_CHECK(record.texts.isEmpty() && record.outOfRange.isEmpty(), "an incomplete record was read");
        return;
    }
    FUZZ_CHECK(record.texts.size() == required, "texts of a whole record");
    for (int i = 0; i < required; ++i)
        FUZZ_CHECK(record.texts.at(i) == QString::fromUtf8(values.at(i)), values.at(i));

    struct Range
    {
        PortField field;
        int min;
        int max;
    };
    const Range ranges[] = {{Enable, 0, 1},  {TrpMode, 0, 4}, {Databit, 7, 8},      {Paritybit, 0, 2},
                            {Stopbit, 1, 2}, {Baud, 0, 9},    {WaitingChr, 4, 128}, {WaitingMs, 10, 5000}};
    QList<int> outOfRange;
    for (int port = 0; port < 2; ++port) {
        const PortBlock &block = record.port[port];
        for (int field = 0; field < blockSize; ++field) {
            const int pos = port * blockSize + field;
            FUZZ_CHECK(PortSchema::position(gsm ? CommandSet::Gsm : CommandSet::Ethernet, port, PortField(field)) == pos, "position");
            qint64 v = 0;
            if (!referenceInt32(values.at(pos), &v))
                v = 0;
            FUZZ_CHECK(block.value[field] == v, values.at(pos));
            bool valid = true;
            for (const Range &range : ranges) {
                if (range.field == field)
                    valid = v >= range.min && v <= range.max;
            }
            if (field == ETHPort)
                valid = v >= 0 && v <= 65535;
            FUZZ_CHECK(block.valid[field] == valid, values.at(pos));
            if (!valid)
                outOfRange << pos;
        }
        for (int field = blockSize; field < PortFieldCount; ++field)
            FUZZ_CHECK(PortSchema::position(gsm ? CommandSet::Gsm : CommandSet::Ethernet, port, PortField(field)) == -1, "GSM-only field on Ethernet");
    }
    int pos = 2 * blockSize;
    if (gsm) {
        FUZZ_CHECK(record.apn == values.at(pos), values.at(pos));
        ++pos;
    }
    qint64 info = 0;
    if (!referenceInt32(values.at(pos), &info))
        info = 0;
    FUZZ_CHECK(record.infoResponse == info, values.at(pos));
    FUZZ_CHECK(record.infoResponseValid == (info == 0 || info == 1), values.at(pos));
    if (!record.infoResponseValid)
        outOfRange << pos;
    FUZZ_CHECK(record.outOfRange == outOfRange, "out-of-range positions");
}

void checkNetworkRecord(const QList<QByteArray> &values)
{
    const NetworkRecord record = parseNetworkRecord(values);
    FUZZ_CHECK(record.complete == (values.size() == 22), QByteArray::number(values.size()));
    if (!record.complete)
        return;
    FUZZ_CHECK(record.mac == values.at(0), values.at(0));
    qint64 flag = 0;
    FUZZ_CHECK(record.dhcp == (!referenceInt32(values.at(1), &flag) || flag == 0), values.at(1));
    for (int group = 0; group < 5; ++group) {
        const QList<QByteArray> octets = values.mid(2 + 4 * group, 4);
        FUZZ_CHECK(record.addresses[group] == octets.join('.'), record.addresses[group]);
    }
}

void checkDottedAddress(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    bool expected = parts.size() == 4;
    for (const QString &part : parts) {
        bool digits = !part.isEmpty() && part.size() <= 3;
        for (const QChar c : part)
            digits = digits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
        expected = expected && digits && part.toInt() <= 255;
    }
    FUZZ_CHECK(isDottedIpv4(text) == expected, text.toUtf8());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));

    checkFraming(bytes);
    const QByteArray head = replyHead(frameBody(bytes));
    checkIdentification(head, TrpCfgCmdTexts, TransparentConfig::eTrpCfgCmd_Max);
    checkIdentification(head, TrpCfgCmdGSMTexts, TransparentConfig::eTrpCfgCmdGSM_Max);

    checkNumber(bytes);
    const QList<QByteArray> record = splitRecord(frameBody(bytes));
    for (const QByteArray &field : record)
        checkNumber(field);
    checkPortRecord(record, false);
    checkPortRecord(record, true);
    checkNetworkRecord(record);
    checkDottedAddress(QString::fromUtf8(bytes));
    return 0;
}
