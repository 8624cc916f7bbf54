// The device protocol's constant tables and the request formatter.
//
// Both keyword tables are indexed by their own command-id enumeration. A
// keyword that both command sets know is spelled the same in both, so request
// bytes never depend on the route; the table only decides which id a reply
// keyword maps to. The frame constants below are the only spelling of the
// frame format; requestbuilder frames every request from them.

#include "transparentconfig.h"

#include "requestbuilder.h"

const QString TransparentConfig::AT_CMD = QStringLiteral("AT+");
const QString TransparentConfig::AT_SET = QStringLiteral("=");
const QString TransparentConfig::AT_SEP = QStringLiteral("+");
const QString TransparentConfig::AT_CRLF = QStringLiteral("\r\n");

const QString TransparentConfig::TrpErrString[TransparentConfig::err_Max + 1] = {
    QStringLiteral("err_OK"), QStringLiteral("err_EndChr"), QStringLiteral("err_BeginChr"),
    QStringLiteral("err_Unknown"), QStringLiteral("err_Max"),
};

const QString TrpCfgCmdTexts[TransparentConfig::eTrpCfgCmd_Max + 1] = {
    // network record
    QStringLiteral("MACADDR"),
    QStringLiteral("STATICIPEN"),
    QStringLiteral("IPADDR_0"),
    QStringLiteral("IPADDR_1"),
    QStringLiteral("IPADDR_2"),
    QStringLiteral("IPADDR_3"),
    QStringLiteral("SUBNETMASK_0"),
    QStringLiteral("SUBNETMASK_1"),
    QStringLiteral("SUBNETMASK_2"),
    QStringLiteral("SUBNETMASK_3"),
    QStringLiteral("DEFAULTGW_0"),
    QStringLiteral("DEFAULTGW_1"),
    QStringLiteral("DEFAULTGW_2"),
    QStringLiteral("DEFAULTGW_3"),
    QStringLiteral("FIRST_DNS_0"),
    QStringLiteral("FIRST_DNS_1"),
    QStringLiteral("FIRST_DNS_2"),
    QStringLiteral("FIRST_DNS_3"),
    QStringLiteral("SECOND_DNS_0"),
    QStringLiteral("SECOND_DNS_1"),
    QStringLiteral("SECOND_DNS_2"),
    QStringLiteral("SECOND_DNS_3"),
    // port record, RS-485 block
    QStringLiteral("485EN"),
    QStringLiteral("485PORT"),
    QStringLiteral("485MOD"),
    QStringLiteral("485DATAB"),
    QStringLiteral("485PARB"),
    QStringLiteral("485STPB"),
    QStringLiteral("485BAUD"),
    QStringLiteral("485WAITCHR"),
    QStringLiteral("485WAITMS"),
    QStringLiteral("485TMOUT"),
    QStringLiteral("485ETHTMOUT"),
    // port record, RS-232 block
    QStringLiteral("232EN"),
    QStringLiteral("232PORT"),
    QStringLiteral("232MOD"),
    QStringLiteral("232DATAB"),
    QStringLiteral("232PARB"),
    QStringLiteral("232STPB"),
    QStringLiteral("232BAUD"),
    QStringLiteral("232WAITCHR"),
    QStringLiteral("232WAITMS"),
    QStringLiteral("232TMOUT"),
    QStringLiteral("232ETHTMOUT"),
    QStringLiteral("INFORESPONSE"),
    // commands and replies
    QStringLiteral("READALL"),
    QStringLiteral("WRITEALL"),
    QStringLiteral("READ_NETWORKCFG"),
    QStringLiteral("WRITE_NETWORKCFG"),
    QStringLiteral("CURRENT_IP"),
    QStringLiteral("RESTART"),
    QStringLiteral("PING"),
    QStringLiteral("DEVINFO"),
    QStringLiteral("+OK"),
    QStringLiteral("+ERR"),
    QStringLiteral("TrpCfgCmd_Max"),
};

const QString TrpCfgCmdGSMTexts[TransparentConfig::eTrpCfgCmdGSM_Max + 1] = {
    // port record, RS-485 block
    QStringLiteral("485EN"),
    QStringLiteral("485PORT"),
    QStringLiteral("485MOD"),
    QStringLiteral("485DATAB"),
    QStringLiteral("485PARB"),
    QStringLiteral("485STPB"),
    QStringLiteral("485BAUD"),
    QStringLiteral("485WAITCHR"),
    QStringLiteral("485WAITMS"),
    QStringLiteral("485TMOUT"),
    QStringLiteral("485ETHTMOUT"),
    QStringLiteral("485RETRYCNT"),
    QStringLiteral("485INTTMOUT"),
    QStringLiteral("485PINGTMOUT"),
    // port record, RS-232 block
    QStringLiteral("232EN"),
    QStringLiteral("232PORT"),
    QStringLiteral("232MOD"),
    QStringLiteral("232DATAB"),
    QStringLiteral("232PARB"),
    QStringLiteral("232STPB"),
    QStringLiteral("232BAUD"),
    QStringLiteral("232WAITCHR"),
    QStringLiteral("232WAITMS"),
    QStringLiteral("232TMOUT"),
    QStringLiteral("232ETHTMOUT"),
    QStringLiteral("232RETRYCNT"),
    QStringLiteral("232INTTMOUT"),
    QStringLiteral("232PINGTMOUT"),
    QStringLiteral("APN"),
    QStringLiteral("INFORESPONSE"),
    // commands and replies
    QStringLiteral("READALL"),
    QStringLiteral("WRITEALL"),
    QStringLiteral("READ_NETWORKCFG"),
    QStringLiteral("WRITE_NETWORKCFG"),
    QStringLiteral("CURRENT_IP"),
    QStringLiteral("RESTART"),
    QStringLiteral("PING"),
    QStringLiteral("232CLOSE"),
    QStringLiteral("485CLOSE"),
    QStringLiteral("DEVINFO"),
    QStringLiteral("+OK"),
    QStringLiteral("+ERR"),
    QStringLiteral("TrpCfgCmdGSM_Max"),
};

QByteArray &TransparentConfig::AT_Command_Formatter(const QString &keyword)
{
    // One buffer for every call: each caller sends or copies the frame before
    // the next call overwrites it.
    static QByteArray buffer;
    buffer.clear();
    buffer.append(RequestBuilder::frame(keyword));
    return buffer;
}
