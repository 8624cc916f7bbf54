#include "devicestate.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace devsim {

namespace {

struct Field
{
    QByteArray keyword;
    int min;
    int max;
    bool text;
};

constexpr int BlockSize = 14;         // fields per serial port in the GSM layout
constexpr int EthernetBlockSize = 11; // the first 11 of them exist on Ethernet
constexpr int InfoResponseIndex = 29;
constexpr int GsmRecordSize = 30;

// The port record in the GSM layout: the RS-485 block, the RS-232 block,
// the APN and the info response, with the valid range of every number.
const QVector<Field> &portFields()
{
    static const QVector<Field> fields = [] {
        struct BlockField
        {
            const char *name;
            int min;
            int max;
        };
        static const BlockField block[BlockSize] = {
            {"EN", 0, 1},           {"PORT", 0, 65535},    {"MOD", 0, 4},        {"DATAB", 7, 8},
            {"PARB", 0, 2},         {"STPB", 1, 2},        {"BAUD", 0, 9},       {"WAITCHR", 4, 128},
            {"WAITMS", 10, 5000},   {"TMOUT", 0, 65535},   {"ETHTMOUT", 0, 255}, {"RETRYCNT", 0, 5},
            {"INTTMOUT", 0, 10000}, {"PINGTMOUT", 0, 7200}};
        QVector<Field> all;
        for (const char *port : {"485", "232"}) {
            for (const BlockField &field : block)
                all.append({QByteArray(port) + field.name, field.min, field.max, false});
        }
        all.append({QByteArrayLiteral("APN"), 0, 0, true});
        all.append({QByteArrayLiteral("INFORESPONSE"), 0, 1, false});
        return all;
    }();
    return fields;
}

// Positions in the GSM layout of the values of a set's record, in wire order.
const QVector<int> &layout(CommandSet set)
{
    static const QVector<int> gsm = [] {
        QVector<int> positions;
        for (int i = 0; i < GsmRecordSize; ++i)
            positions.append(i);
        return positions;
    }();
    static const QVector<int> ethernet = [] {
        QVector<int> positions;
        for (int block : {0, BlockSize}) {
            for (int i = 0; i < EthernetBlockSize; ++i)
                positions.append(block + i);
        }
        positions.append(InfoResponseIndex);
        return positions;
    }();
    return set == CommandSet::Gsm ? gsm : ethernet;
}

QList<QByteArray> splitValues(const QByteArray &joined)
{
    return joined.split(',');
}

QByteArray joinValues(const QList<QByteArray> &values)
{
    QByteArray joined;
    for (int i = 0; i < values.size(); ++i) {
        if (i > 0)
            joined += ',';
        joined += values.at(i);
    }
    return joined;
}

} // namespace

std::optional<std::array<quint8, 4>> parseDottedAddress(const QByteArray &dotted)
{
    const QList<QByteArray> parts = dotted.split('.');
    if (parts.size() != 4)
        return std::nullopt;
    std::array<quint8, 4> octets{};
    for (int i = 0; i < 4; ++i) {
        const std::optional<int> value = parseDecimal(parts.at(i));
        if (!value || *value > 255)
            return std::nullopt;
        octets[size_t(i)] = quint8(*value);
    }
    return octets;
}

int portRecordSize(CommandSet set)
{
    return layout(set).size();
}

std::optional<int> parseDecimal(const QByteArray &text)
{
    // Nine digits cannot overflow an int; no field needs more.
    if (text.isEmpty() || text.size() > 9)
        return std::nullopt;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
    }
    return text.toInt();
}

DeviceState::DeviceState()
{
    const QList<QByteArray> block485 = splitValues("1,502,0,8,0,1,5,8,400,100,0,0,100,120");
    const QList<QByteArray> block232 = splitValues("1,503,0,8,0,1,5,8,400,100,0,0,100,120");
    m_port = (block485 + block232).toVector();
    m_port.append(QByteArrayLiteral("internet"));
    m_port.append(QByteArrayLiteral("0"));

    m_mac = QByteArrayLiteral("00:1E:C0:4A:7B:21");
    m_network = {1, 192, 168, 1, 100, 255, 255, 255, 0, 192, 168, 1, 1, 8, 8, 8, 8, 8, 8, 4, 4};
    m_currentIp = {192, 168, 1, 100};
}

QList<QByteArray> DeviceState::portRecord(CommandSet set) const
{
    QList<QByteArray> values;
    for (int position : layout(set))
        values.append(m_port.at(position));
    return values;
}

QList<QByteArray> DeviceState::outOfRangePortRecord(CommandSet set) const
{
    QList<QByteArray> values;
    for (int position : layout(set)) {
        const Field &field = portFields().at(position);
        values.append(field.text ? m_port.at(position) : QByteArray::number(field.max + 1));
    }
    return values;
}

std::optional<QByteArray> DeviceState::writePortRecord(CommandSet set, const QList<QByteArray> &values)
{
    const QVector<int> &positions = layout(set);
    if (values.size() != positions.size())
        return QByteArray("VALUE COUNT %1 EXPECTED %2")
            .replace("%1", QByteArray::number(values.size()))
            .replace("%2", QByteArray::number(positions.size()));

    QVector<QByteArray> checked = m_port;
    for (int i = 0; i < positions.size(); ++i) {
        const Field &field = portFields().at(positions.at(i));
        if (field.text) {
            checked[positions.at(i)] = values.at(i);
            continue;
        }
        const std::optional<int> value = parseDecimal(values.at(i));
        if (!value)
            return field.keyword + " NOT A NUMBER";
        if (*value < field.min || *value > field.max)
            return field.keyword + " OUT OF RANGE";
        checked[positions.at(i)] = QByteArray::number(*value);
    }
    m_port = checked;
    return std::nullopt;
}

bool DeviceState::setPortValue(CommandSet set, int index, const QByteArray &value)
{
    const QVector<int> &positions = layout(set);
    if (index < 0 || index >= positions.size())
        return false;
    m_port[positions.at(index)] = value;
    return true;
}

QList<QByteArray> DeviceState::networkRecord() const
{
    QList<QByteArray> values{m_mac};
    for (int value : m_network)
        values.append(QByteArray::number(value));
    return values;
}

std::optional<QByteArray> DeviceState::writeNetworkConfig(const QList<QByteArray> &values)
{
    if (values.size() != NetworkWriteSize)
        return QByteArray("VALUE COUNT %1 EXPECTED %2")
            .replace("%1", QByteArray::number(values.size()))
            .replace("%2", QByteArray::number(NetworkWriteSize));
    QVector<int> checked;
    for (int i = 0; i < values.size(); ++i) {
        const std::optional<int> value = parseDecimal(values.at(i));
        const int max = i == 0 ? 1 : 255;
        const QByteArray name = i == 0 ? QByteArrayLiteral("STATICIPEN") : "OCTET " + QByteArray::number(i);
        if (!value)
            return name + " NOT A NUMBER";
        if (*value > max)
            return name + " OUT OF RANGE";
        checked.append(*value);
    }
    m_network = checked;
    return std::nullopt;
}

QList<QByteArray> DeviceState::infoRecord(CommandSet set) const
{
    // Serial number, MAC address or IMEI, product type and sub-type,
    // application version, board type and version, parameter version.
    if (set == CommandSet::Gsm)
        return splitValues("TG2301000456,356938035643809,TRP-GSM,RS232-RS485,2,7,TB-02,1,3,12");
    return splitValues("TE2301000123," + m_mac + ",TRP-ETH,RS232-RS485,2,7,TB-01,1,3,12");
}

qint32 DeviceState::currentIpCode() const
{
    const quint32 code = quint32(m_currentIp[0]) | quint32(m_currentIp[1]) << 8 |
                         quint32(m_currentIp[2]) << 16 | quint32(m_currentIp[3]) << 24;
    return qint32(code);
}

void DeviceState::applyNetworkConfig()
{
    if (m_network.at(0) == 1)
        m_currentIp = {quint8(m_network.at(1)), quint8(m_network.at(2)), quint8(m_network.at(3)),
                       quint8(m_network.at(4))};
}

QByteArray DeviceState::toJson() const
{
    QJsonObject object;
    object.insert(QStringLiteral("portRecord"), QString::fromUtf8(joinValues(m_port.toList())));
    object.insert(QStringLiteral("networkRecord"), QString::fromUtf8(joinValues(networkRecord())));
    object.insert(QStringLiteral("currentIp"), QStringLiteral("%1.%2.%3.%4")
                                                   .arg(m_currentIp[0])
                                                   .arg(m_currentIp[1])
                                                   .arg(m_currentIp[2])
                                                   .arg(m_currentIp[3]));
    return QJsonDocument(object).toJson();
}

std::optional<QByteArray> DeviceState::loadJson(const QByteArray &json)
{
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    if (object.isEmpty())
        return QByteArrayLiteral("not a JSON object");

    DeviceState loaded;
    const QByteArray portText = object.value(QStringLiteral("portRecord")).toString().toUtf8();
    if (std::optional<QByteArray> error = loaded.writePortRecord(CommandSet::Gsm, splitValues(portText)))
        return "port record: " + *error;

    QList<QByteArray> network =
        splitValues(object.value(QStringLiteral("networkRecord")).toString().toUtf8());
    loaded.m_mac = network.takeFirst();
    if (std::optional<QByteArray> error = loaded.writeNetworkConfig(network))
        return "network record: " + *error;

    const std::optional<std::array<quint8, 4>> ip =
        parseDottedAddress(object.value(QStringLiteral("currentIp")).toString().toUtf8());
    if (!ip)
        return QByteArrayLiteral("current address is not a dotted IPv4 address");
    loaded.m_currentIp = *ip;

    *this = loaded;
    return std::nullopt;
}

} // namespace devsim
