// The frame constants, the parse-result names and the keyword-only request
// formatter. The frame constants are the only spelling of the frame format;
// requestbuilder frames every request from them.

#include "protocol/deviceprotocol.h"

#include "protocol/requestbuilder.h"

const QString DeviceProtocol::AT_CMD = QStringLiteral("AT+");
const QString DeviceProtocol::AT_SET = QStringLiteral("=");
const QString DeviceProtocol::AT_SEP = QStringLiteral("+");
const QString DeviceProtocol::AT_CRLF = QStringLiteral("\r\n");

const QString DeviceProtocol::TrpErrString[DeviceProtocol::err_Max + 1] = {
    QStringLiteral("err_OK"), QStringLiteral("err_EndChr"), QStringLiteral("err_BeginChr"),
    QStringLiteral("err_Unknown"), QStringLiteral("err_Max"),
};

QByteArray &DeviceProtocol::AT_Command_Formatter(const QString &keyword)
{
    // One buffer for every call: each caller sends or copies the frame before
    // the next call overwrites it.
    static QByteArray buffer;
    buffer.clear();
    buffer.append(RequestBuilder::frame(keyword));
    return buffer;
}
