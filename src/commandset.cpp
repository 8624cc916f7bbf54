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
    // The page's own names for the routes, in its own order.
    if (state == TransparentConfig::eETH || state == TransparentConfig::eUSB)
        return Ethernet;
    if (state == TransparentConfig::eTCP485 || state == TransparentConfig::eTCP232)
        return Gsm;
    return None;
}

namespace {

struct SetFacts
{
    int portRecordSize;
    const QString *keywords;
    int endMarker;
};

const SetFacts &facts(Kind set)
{
    static const SetFacts table[] = {
        {0, nullptr, 0}, // None
        {ReplyParser::EthernetPortRecordSize, TrpCfgCmdTexts, TransparentConfig::eTrpCfgCmd_Max},
        {ReplyParser::GsmPortRecordSize, TrpCfgCmdGSMTexts, TransparentConfig::eTrpCfgCmdGSM_Max},
    };
    return table[set];
}

} // namespace

int portRecordSize(Kind set)
{
    return facts(set).portRecordSize;
}

const QString *keywordTable(Kind set)
{
    return facts(set).keywords;
}

int endMarker(Kind set)
{
    return facts(set).endMarker;
}

} // namespace CommandSet
