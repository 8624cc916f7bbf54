// The frame constants and the parse-result names. The frame constants are
// the only spelling of the frame format; requestbuilder frames every request
// from them (AT_Command_Formatter included).

#include "protocol/deviceprotocol.h"

const QString DeviceProtocol::AT_CMD = QStringLiteral("AT+");
const QString DeviceProtocol::AT_SET = QStringLiteral("=");
const QString DeviceProtocol::AT_SEP = QStringLiteral("+");
const QString DeviceProtocol::AT_CRLF = QStringLiteral("\r\n");

const QString DeviceProtocol::TrpErrString[DeviceProtocol::err_Max + 1] = {
    QStringLiteral("err_OK"), QStringLiteral("err_EndChr"), QStringLiteral("err_BeginChr"),
    QStringLiteral("err_Unknown"), QStringLiteral("err_Max"),
};
