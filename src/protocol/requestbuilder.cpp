// Request frames from a keyword and its values; see requestbuilder.h.

#include "protocol/requestbuilder.h"

#include "protocol/deviceprotocol.h"

namespace RequestBuilder {

QByteArray frame(const QString &keyword, const QStringList &values)
{
    QString text = DeviceProtocol::AT_CMD + keyword;
    if (!values.isEmpty())
        text += DeviceProtocol::AT_SET + values.join(QLatin1Char(','));
    text += DeviceProtocol::AT_CRLF;
    return text.toUtf8();
}

Request command(CommandSet::Kind set, CommandSet::Command command)
{
    const QString keyword = CommandSet::keyword(set, command);
    return {keyword.isEmpty() ? QByteArray() : frame(keyword), Purpose::Other};
}

Request writePortRecord(CommandSet::Kind set, const QStringList &values)
{
    return {frame(CommandSet::keyword(set, CommandSet::Command::WriteAll), values), Purpose::RecordWrite};
}

Request writeNetworkRecord(CommandSet::Kind set, const QStringList &values)
{
    return {frame(CommandSet::keyword(set, CommandSet::Command::WriteNetworkCfg), values), Purpose::RecordWrite};
}

const QByteArray &lineEnd()
{
    // Converted on first use: the constant is built at program start, in
    // another file, so it must not be read while statics are still set up.
    static const QByteArray bytes = DeviceProtocol::AT_CRLF.toUtf8();
    return bytes;
}

} // namespace RequestBuilder

QByteArray &DeviceProtocol::AT_Command_Formatter(const QString &keyword)
{
    // One buffer for every call: each caller sends or copies the frame before
    // the next call overwrites it.
    static QByteArray buffer;
    buffer.clear();
    buffer.append(RequestBuilder::frame(keyword));
    return buffer;
}
