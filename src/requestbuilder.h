#pragma once

// Request frames, built in one place from a keyword and its values:
//   "AT+" keyword [ "=" value { "," value } ] CR LF, as UTF-8 bytes.
// The keyword-only requests (READALL, PING, ...) are framed through
// TransparentConfig::AT_Command_Formatter, which uses the same function; the
// record writes (WRITEALL, WRITE_NETWORKCFG) call it with their values.
// Wire bytes never pass through the translation lookup.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace RequestBuilder {

// The frame of a request. No values: "AT+", the keyword, CR LF. Values: each
// as written, joined by "," (an empty value stays an empty field), after
// "=". No escaping: a value holding "," or CR LF changes the record.
QByteArray frame(const QString &keyword, const QStringList &values = {});

// The bytes that end every request and every reply (TransparentConfig::AT_CRLF).
const QByteArray &lineEnd();

} // namespace RequestBuilder
