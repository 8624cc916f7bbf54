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

const QByteArray &lineEnd()
{
    // Converted on first use: the constant is built at program start, in
    // another file, so it must not be read while statics are still set up.
    static const QByteArray bytes = TransparentConfig::AT_CRLF.toUtf8();
    return bytes;
}

} // namespace RequestBuilder
