#pragma once

// The three records the device protocol carries, as plain values: the port
// record (two port blocks, the APN on the GSM set, the information response),
// the network record and the information record. The reply parser fills them
// from replies; the page reads a port record into its widgets and builds one
// back for a write. Where each field sits and what range it has is the field
// schema's (portschema.h).

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

namespace ReplyParser {

// Position of a field inside one port's block of the record.
enum PortField
{
    Enable = 0,
    ETHPort,
    TrpMode,
    Databit,
    Paritybit,
    Stopbit,
    Baud,
    WaitingChr,
    WaitingMs,
    Tmout,
    EthTmout,
    RetryCnt,   // GSM only
    IntVal,     // GSM only
    PingIntVal, // GSM only
    PortFieldCount
};

constexpr int EthernetBlockSize = EthTmout + 1;                   // 11
constexpr int GsmBlockSize = PingIntVal + 1;                      // 14
constexpr int EthernetPortRecordSize = 2 * EthernetBlockSize + 1; // + info response: 23
constexpr int GsmPortRecordSize = 2 * GsmBlockSize + 2;           // + APN, info response: 30

// One port's values as they travel (data bits 7 or 8, stop bits 1 or 2, the
// command interval in milliseconds, the ping interval in seconds).
struct PortBlock
{
    std::array<qint32, PortFieldCount> value{};
    // False for a field outside its valid range (fields without a range, and
    // the GSM-only fields of an Ethernet record, are always valid).
    std::array<bool, PortFieldCount> valid{};
};

struct PortRecord
{
    int received = 0; // values in the reply
    int required = 0; // values the record needs: 23 (Ethernet) or 30 (GSM)
    // A record of exactly the GSM set's length on the Ethernet set is the
    // other set's record: its blocks have other layouts, so reading it would
    // put values into the wrong fields. It is refused like a short one.
    bool otherSet() const { return required == EthernetPortRecordSize && received == GsmPortRecordSize; }
    bool complete() const { return received >= required && !otherSet(); }

    std::array<PortBlock, 2> port; // [0] RS-485, [1] RS-232
    QByteArray apn;                // GSM only, bytes as received
    qint32 infoResponse = 0;
    bool infoResponseValid = false;

    QStringList texts;     // the record's value texts (UTF-8); extra values dropped
    QList<int> outOfRange; // record positions of the values outside their range
};

constexpr int NetworkRecordSize = 22; // MAC, static flag, five addresses of four octets

struct NetworkRecord
{
    int received = 0;      // values in the record
    bool complete = false; // exactly NetworkRecordSize values
    QByteArray mac;
    bool dhcp = false; // the static flag read 0 (or not a number)
    // The five addresses in record order (address, mask, gateway, first and
    // second DNS), each the four octets joined by "." byte for byte.
    std::array<QByteArray, 5> addresses;
};

// The information record: serial number, MAC or IMEI, product and board
// types, versions, as the device sent them (the window shows what there is).
struct InfoRecord
{
    QList<QByteArray> values;
};

} // namespace ReplyParser
