#pragma once

// The simulated device's memory: the port record of both serial ports, the
// network record, the information record and the address in use.
//
// The port record is kept once, in the GSM layout (30 values), which holds
// every field; the Ethernet record (23 values) is a projection of it, so a
// write on one command set reads back on the other wherever the fields
// overlap. Records go in and out as lists of value texts, exactly as they
// travel on the wire; a write is checked completely before anything is
// stored, so a rejected write leaves the state untouched.

#include <QByteArray>
#include <QList>
#include <QVector>

#include <array>
#include <optional>

namespace devsim {

enum class CommandSet
{
    Ethernet,
    Gsm
};

constexpr int NetworkRecordSize = 22;
constexpr int NetworkWriteSize = 21;
constexpr int InfoRecordSize = 10;

int portRecordSize(CommandSet set);

// A decimal number made only of digits (no sign, no blanks), or nothing.
std::optional<int> parseDecimal(const QByteArray &text);
// Four decimal octets separated by dots.
std::optional<std::array<quint8, 4>> parseDottedAddress(const QByteArray &dotted);

class DeviceState
{
public:
    DeviceState(); // factory settings

    QList<QByteArray> portRecord(CommandSet set) const;
    // A record of the set's length whose every number lies just past its
    // field's valid range.
    QList<QByteArray> outOfRangePortRecord(CommandSet set) const;
    // Stores a complete record; returns a short reason and stores nothing
    // when the count or any value is wrong.
    std::optional<QByteArray> writePortRecord(CommandSet set, const QList<QByteArray> &values);
    // Stores one value unchecked (index in the set's layout); false if the
    // index is outside the record.
    bool setPortValue(CommandSet set, int index, const QByteArray &value);

    QList<QByteArray> networkRecord() const;
    // The 21 values of a network write: static flag, then 20 octets.
    std::optional<QByteArray> writeNetworkConfig(const QList<QByteArray> &values);

    QList<QByteArray> infoRecord(CommandSet set) const;

    std::array<quint8, 4> currentIp() const { return m_currentIp; }
    void setCurrentIp(const std::array<quint8, 4> &octets) { m_currentIp = octets; }
    // The address as one signed 32-bit number whose bytes, least
    // significant first, are the octets, first octet first.
    qint32 currentIpCode() const;
    // What a restart does: a static address configured before comes into use.
    void applyNetworkConfig();

    QByteArray toJson() const;
    // Replaces the state with a saved one after checking it completely.
    std::optional<QByteArray> loadJson(const QByteArray &json);

private:
    QVector<QByteArray> m_port; // GSM layout
    QByteArray m_mac;
    QVector<int> m_network; // static flag and 20 octets
    std::array<quint8, 4> m_currentIp{};
};

} // namespace devsim
