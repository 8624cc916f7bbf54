#pragma once

// Request frames, built in one place from a keyword and its values:
//   "AT+" keyword [ "=" value { "," value } ] CR LF, as UTF-8 bytes.
// The builders below say what each request is for, so that the link need not
// read a frame again to know that it wrote a record and must wait for the
// device's answer. Wire bytes never pass through the translation lookup.

#include "protocol/commandset.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QStringList>

namespace RequestBuilder {

// What a request is for, as far as its sender's supervision cares: a record
// write must be answered with "+OK" or "+ERR".
enum class Purpose
{
    Other,
    RecordWrite,
};

struct Request
{
    QByteArray frame;
    Purpose purpose = Purpose::Other;
};

// The frame of a request. No values: "AT+", the keyword, CR LF. Values: each
// as written, joined by "," (an empty value stays an empty field), after
// "=". No escaping: a value holding "," or CR LF changes the record.
QByteArray frame(const QString &keyword, const QStringList &values = {});

// A keyword-only request of a command set (READALL, PING, RESTART, ...); an
// empty frame when the set lacks the command or is None.
Request command(CommandSet::Kind set, CommandSet::Command command);
// The record writes: the port record (WRITEALL) and the network record
// (WRITE_NETWORKCFG), with their values in record order.
Request writePortRecord(CommandSet::Kind set, const QStringList &values);
Request writeNetworkRecord(CommandSet::Kind set, const QStringList &values);

// The bytes that end every request and every reply (DeviceProtocol::AT_CRLF).
const QByteArray &lineEnd();

} // namespace RequestBuilder

Q_DECLARE_METATYPE(RequestBuilder::Purpose)
