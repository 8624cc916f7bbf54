// Request frames from a keyword and its values; see requestbuilder.h.

#include "requestbuilder.h"

#include "transparentconfig.h"

namespace RequestBuilder {

QByteArray frame(const QString &keyword, const QStringList &values)
{
    QString text = TransparentConfig::AT_CMD + keyword;
    if (!values.isEmpty())
        text += TransparentConfig::AT_SET + values.join(QLatin1Char(','));
    text += TransparentConfig::AT_CRLF;
    return text.toUtf8();
}

bool isRequest(const QByteArray &frame, const QString &keyword)
{
    const QByteArray head = (TransparentConfig::AT_CMD + keyword).toUtf8();
    if (!frame.startsWith(head))
        return false;
    const QByteArray rest = frame.mid(head.size());
    return rest.startsWith(TransparentConfig::AT_SET.toUtf8()) || rest.startsWith(lineEnd());
}

const QByteArray &lineEnd()
{
    // Converted on first use: the constant is built at program start, in
    // another file, so it must not be read while statics are still set up.
    static const QByteArray bytes = TransparentConfig::AT_CRLF.toUtf8();
    return bytes;
}

} // namespace RequestBuilder
