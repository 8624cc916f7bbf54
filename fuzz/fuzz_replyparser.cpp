// The plain reply functions with any bytes, each checked against what the
// protocol says it must do: oracles written from the protocol (numbers, the
// frame), invariants the functions cannot restate, and round trips through
// the simulated device, which implements the device's side of the protocol
// on its own: a request built by the request builder, answered by the
// simulator, must be identified as the reply it is; a port record the
// simulator accepted and sends back must be read whole and in range; an
// address the simulator encodes must decode to its octets.
//
// Input: any bytes, taken as one frame (CR LF included or not), as one value
// field and as a record; byte 0 also chooses a request keyword and bytes 0-3
// an address for the round trips.

#include "fuzzsupport.h"

#include "protocol/portschema.h"
#include "protocol/replyparser.h"
#include "protocol/requestbuilder.h"
#include "transparentconfig.h"

#include "deviceprotocol.h"
#include "devicestate.h"

#include <array>
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

// The simulated device as it leaves the factory, built once.
const devsim::DeviceState &factoryState()
{
    static const devsim::DeviceState factory;
    return factory;
}

// Any head: an id names a keyword that occurs in the head, and no id means
// no keyword of the table occurs in it.
void checkIdentification(const QByteArray &head, const QString *table, int endMarker)
{
    const int id = findReplyId(head, table, endMarker);
    FUZZ_CHECK(id == -1 || (id >= 1 && id <= endMarker), head);
    if (id >= 1) {
        FUZZ_CHECK(head.contains(table[id].toUtf8()), head);
        return;
    }
    for (int i = 1; i <= endMarker; ++i)
        FUZZ_CHECK(!head.contains(table[i].toUtf8()), head + " holds " + table[i].toUtf8());
}

// A request of the table's keyword `pick`, with the input's values, answered
// by the simulated device: the reply's head is identified as the keyword it
// carries.
void checkReplyRoundTrip(quint8 pick, const QList<QByteArray> &values, bool gsm)
{
    const QString *table = gsm ? TrpCfgCmdGSMTexts : TrpCfgCmdTexts;
    const int endMarker = gsm ? TransparentConfig::eTrpCfgCmdGSM_Max : TransparentConfig::eTrpCfgCmd_Max;
    const QString &keyword = table[pick % endMarker];
    QStringList texts;
    for (const QByteArray &value : values)
        texts << QString::fromLatin1(value);
    devsim::DeviceState state = factoryState();
    const devsim::Response response =
        devsim::respond(state, gsm ? devsim::CommandSet::Gsm : devsim::CommandSet::Ethernet,
                        RequestBuilder::frame(keyword, values.isEmpty() ? QStringList() : texts));
    if (response.frame.isEmpty())
        return;
    FUZZ_CHECK(checkFrame(response.frame) == FrameStatus::Ok, response.frame);
    const QByteArray head = replyHead(frameBody(response.frame));
    const QByteArray replyKeyword = head.mid(1);
    int named = -1;
    // The acknowledgements stand in the tables with their "+".
    for (int i = 1; i <= endMarker && named < 0; ++i) {
        if (table[i].toUtf8() == replyKeyword || table[i].toUtf8() == head)
            named = i;
    }
    FUZZ_CHECK(named >= 1, "the simulator answered with a keyword the table lacks: " + head);
    FUZZ_CHECK(findReplyId(head, table, endMarker) == named, head);
}

// A port record of values taken from the input, written to the simulated
// device: when the device accepts it, the record it sends back is whole, in
// range, and carries the values written.
void checkPortRecordRoundTrip(const QList<QByteArray> &values, bool gsm)
{
    devsim::DeviceState state = factoryState();
    const devsim::CommandSet set = gsm ? devsim::CommandSet::Gsm : devsim::CommandSet::Ethernet;
    if (state.writePortRecord(set, values))
        return; // refused: nothing was stored
    const QList<QByteArray> sent = state.portRecord(set);
    const PortRecord record = parsePortRecord(sent, gsm ? CommandSet::Gsm : CommandSet::Ethernet);
    FUZZ_CHECK(record.complete(), "a record the device accepted was not read whole");
    FUZZ_CHECK(record.outOfRange.isEmpty(), "a record the device accepted has values out of range");
    for (int i = 0; i < sent.size(); ++i)
        FUZZ_CHECK(record.texts.value(i) == QString::fromUtf8(sent.at(i)), sent.at(i));
}

// An address as the simulated device encodes it decodes to its octets.
void checkAddressRoundTrip(const QByteArray &bytes)
{
    std::array<quint8, 4> octets{};
    for (int i = 0; i < 4; ++i)
        octets[size_t(i)] = i < bytes.size() ? quint8(bytes.at(i)) : quint8(0);
    devsim::DeviceState state = factoryState();
    state.setCurrentIp(octets);
    const QByteArray dotted = QByteArray::number(octets[0]) + '.' + QByteArray::number(octets[1]) + '.' +
                              QByteArray::number(octets[2]) + '.' + QByteArray::number(octets[3]);
    FUZZ_CHECK(decodeCurrentIp(QByteArray::number(state.currentIpCode())) == dotted, dotted);
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

    // Whatever the field, the address is four octets; a field that is no
    // number is the address 0.0.0.0.
    const QByteArray address = decodeCurrentIp(field);
    FUZZ_CHECK(isDottedIpv4(QString::fromLatin1(address)), address);
    if (!valid)
        FUZZ_CHECK(address == "0.0.0.0", field);
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

    const quint8 pick = bytes.isEmpty() ? 0 : quint8(bytes.at(0));
    const QList<QByteArray> values = bytes.isEmpty() ? QList<QByteArray>() : bytes.mid(1).split(',');
    checkReplyRoundTrip(pick, values, false);
    checkReplyRoundTrip(pick, values, true);
    checkPortRecordRoundTrip(bytes.split(','), false);
    checkPortRecordRoundTrip(bytes.split(','), true);
    checkAddressRoundTrip(bytes);
    return 0;
}
