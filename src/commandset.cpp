#include "commandset.h"

#include "replyparser.h"

namespace CommandSet {

Kind forRoute(CommSettings::eRoute_t route)
{
    switch (route) {
    case CommSettings::TCP:
    case CommSettings::USB:
        return Ethernet;
    case CommSettings::TCP232:
    case CommSettings::TCP485:
        return Gsm;
    case CommSettings::Max:
        break;
    }
    return None;
}

Kind forConnection(TransparentConfig::eConnection_State_t state)
{
    switch (state) {
    case TransparentConfig::eETH:
    case TransparentConfig::eUSB:
        return Ethernet;
    case TransparentConfig::eTCP485:
    case TransparentConfig::eTCP232:
        return Gsm;
    case TransparentConfig::eMax:
        break;
    }
    return None;
}

int portRecordSize(Kind set)
{
    switch (set) {
    case Ethernet:
        return ReplyParser::EthernetPortRecordSize;
    case Gsm:
        return ReplyParser::GsmPortRecordSize;
    case None:
        break;
    }
    return 0;
}

const QString *keywordTable(Kind set)
{
    switch (set) {
    case Ethernet:
        return TrpCfgCmdTexts;
    case Gsm:
        return TrpCfgCmdGSMTexts;
    case None:
        break;
    }
    return nullptr;
}

int endMarker(Kind set)
{
    switch (set) {
    case Ethernet:
        return TransparentConfig::eTrpCfgCmd_Max;
    case Gsm:
        return TransparentConfig::eTrpCfgCmdGSM_Max;
    case None:
        break;
    }
    return 0;
}

} // namespace CommandSet
