#pragma once

// Plain functions over reply frames: no widgets, so they can be tested and
// fuzzed on their own.
//
// Receive_Callback runs a frame through them in this order:
//   readReply (checkFrame -> frameBody -> replyHead -> findReplyId -> kind:
//   which reply is it) -> replyValues / splitRecord -> parsePortRecord,
//   parseNetworkRecord, readInt32 / decodeCurrentIp (what does it say)
// and only then touches the page, the windows and the signals. Every function
// here accepts any bytes: device data is checked, never trusted or asserted.
// The unit conversions of the GSM intervals sit here too, so that filling the
// page from a record and writing the record back use the same arithmetic.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

namespace ReplyParser {

// ---- framing ----

enum class FrameStatus
{
    Ok,
    MissingLineEnd, // the bytes do not end with CR LF
    MissingPlus,    // the bytes before CR LF do not begin with "+"
};

FrameStatus checkFrame(const QByteArray &frame);

// The frame without its final CR LF (unchanged when it has none).
QByteArray frameBody(const QByteArray &frame);

// ---- identification ----

// The part of a reply (CR LF removed) that names it: the bytes before the first
// "=", or the whole reply when it has none. Values never identify a reply.
QByteArray replyHead(const QByteArray &reply);

// The first id from 1 up to and including endMarker whose keyword occurs in
// head (case-sensitive substring test); -1 when none does. Id 0 is never
// matched. table must hold endMarker + 1 keywords.
int findReplyId(const QByteArray &head, const QString *table, int endMarker);

// What a reply asks for; the same on both command sets.
enum class ReplyKind
{
    None, // no keyword of the table, no route yet, or a keyword without action
    PortRecord,
    NetworkRecord,
    CurrentIp,
    Restart,
    Ping,
    Close232,
    Close485,
    DeviceInfo,
    Ok,
    Error,
};

// The kind of the reply whose keyword is the given table entry. Shared
// commands are spelled alike in both tables, so the keyword alone decides.
ReplyKind replyKind(const QString &keyword);

struct Reply
{
    FrameStatus status = FrameStatus::Ok;
    QByteArray body; // the frame without its final CR LF
    ReplyKind kind = ReplyKind::None;
};

// Checks a frame and names it by the keyword table of the command set in
// force (table null: no route yet, so nothing is named). The kind is only
// looked for in a frame whose status is Ok.
Reply readReply(const QByteArray &frame, const QString *table, int endMarker);

// ---- values ----

// Everything after the first "=" of a reply; the whole reply when it has none.
QByteArray replyValues(const QByteArray &reply);

// The values of a record reply: the bytes after the first "=" split at every
// ",", empty values kept ("+X=" holds one empty value). A reply without "="
// carries no record and gives an empty list.
QList<QByteArray> splitRecord(const QByteArray &reply);

// Reads a base-10 signed 32-bit integer. Accepted: an optional "+" or "-"
// followed by one or more ASCII digits, and nothing else: no blanks before or
// after, no hexadecimal, no thousands separators. Anything else, and any
// number outside -2147483648..2147483647, reads as 0 and clears *ok.
qint32 readInt32(const QByteArray &field, bool *ok = nullptr);

// The CURRENT_IP value: a signed 32-bit integer whose bytes, least significant
// first, are the octets of the dotted address. Not a number: "0.0.0.0".
QByteArray decodeCurrentIp(const QByteArray &field);

// ---- units ----

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

// ---- port record ----

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

// The valid ranges of the ranged fields; the page fills one from its own
// limits and passes it with every record.
struct PortRecordLimits
{
    int enableMax;
    int trpModMax;
    int databitMin;
    int databitMax;
    int paritybitMax;
    int stopbitMin;
    int stopbitMax;
    int baudMax;
    int waitingChrMin;
    int waitingChrMax;
    int waitingMsMin;
    int waitingMsMax;
};

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
    bool complete() const { return received >= required; }

    std::array<PortBlock, 2> port; // [0] RS-485, [1] RS-232
    QByteArray apn;                // GSM only, bytes as received
    qint32 infoResponse = 0;
    bool infoResponseValid = false;

    QStringList texts;     // the record's value texts (UTF-8); extra values dropped
    QList<int> outOfRange; // record positions of the values outside their range
};

// Index of a port block's field inside the record (0-based), or -1 for a
// GSM-only field of an Ethernet record. port: 0 = RS-485, 1 = RS-232.
int portRecordPosition(bool gsm, int port, PortField field);

// Reads a port record. When it holds fewer values than required only
// received and required are set; nothing else is read.
PortRecord parsePortRecord(const QList<QByteArray> &values, bool gsm, const PortRecordLimits &limits);

// ---- network record ----

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

NetworkRecord parseNetworkRecord(const QList<QByteArray> &values);
// The same from the record's bytes (a reply's values), split at every ",".
NetworkRecord parseNetworkRecord(const QByteArray &values);

// True for exactly four decimal octets of one to three digits, each 0 to 255,
// separated by single dots, with nothing before, between or after.
bool isDottedIpv4(const QString &text);

} // namespace ReplyParser
