#pragma once

// Plain functions over reply frames: no widgets, so they can be tested and
// fuzzed on their own.
//
// readEvent turns one frame into a typed device event:
//   readReply (checkFrame -> frameBody -> replyHead -> findReplyId -> kind:
//   which reply is it) -> replyValues / splitRecord -> parsePortRecord,
//   parseNetworkRecord, readInt32 / decodeCurrentIp (what does it say).
// Views subscribe to the events they show; nothing here touches a widget.
// Every function accepts any bytes: device data is checked, never trusted or
// asserted.

#include "protocol/commandset.h"
#include "protocol/records.h"

#include <QByteArray>
#include <QList>
#include <QString>

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

// ---- port record ----

// Reads a port record of the given set. When it holds fewer values than
// required, or is the other command set's record, only received and required
// are set; nothing else is read. Ranges come from the field schema.
PortRecord parsePortRecord(const QList<QByteArray> &values, CommandSet::Kind set);

// ---- network record ----

NetworkRecord parseNetworkRecord(const QList<QByteArray> &values);
// The same from the record's bytes (a reply's values), split at every ",".
NetworkRecord parseNetworkRecord(const QByteArray &values);

// ---- typed events ----

// One reply, checked and read: what the device said, with the record it
// carries already parsed. Only the member of the event's kind is filled.
struct Event
{
    FrameStatus status = FrameStatus::Ok;
    ReplyKind kind = ReplyKind::None;
    QByteArray body;       // the frame without its CR LF
    PortRecord portRecord; // PortRecord
    NetworkRecord network; // NetworkRecord
    QByteArray currentIp;  // CurrentIp: the dotted address
    InfoRecord info;       // DeviceInfo
    QByteArray detail;     // Error: the text after "=", or the whole reply
};

// Reads one frame on a command set (None: no route yet, so no reply is
// named). A port record is read whole or not at all (see parsePortRecord).
Event readEvent(const QByteArray &frame, CommandSet::Kind set);

// True for exactly four decimal octets of one to three digits, each 0 to 255,
// separated by single dots, with nothing before, between or after.
bool isDottedIpv4(const QString &text);

} // namespace ReplyParser
