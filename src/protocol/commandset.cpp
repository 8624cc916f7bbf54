// The one keyword table of both command sets, and the per-set views of it.

#include "protocol/commandset.h"

#include "protocol/records.h"

#include <iterator>

namespace {

using P = DeviceProtocol;
using CommandSet::Command;

constexpr int NoId = -1;

// One row per keyword: its id in the Ethernet set and in the GSM set (NoId
// where the set lacks it), and the command it stands for, if any. Rows are in
// the Ethernet table's order, then the GSM set's own keywords.
struct Row
{
    const char *keyword;
    int ethernetId;
    int gsmId;
    bool isCommand;
    Command command;
};

constexpr Row field(const char *keyword, int ethernetId, int gsmId)
{
    return {keyword, ethernetId, gsmId, false, Command::ReadAll};
}

constexpr Row command(const char *keyword, int ethernetId, int gsmId, Command command)
{
    return {keyword, ethernetId, gsmId, true, command};
}

// clang-format off
const Row Rows[] = {
    // network record (Ethernet set only)
    field("MACADDR", P::eIdMac_Id, NoId),
    field("STATICIPEN", P::eIdStaticIp_Enable, NoId),
    field("IPADDR_0", P::eIdIPAddress_0, NoId),
    field("IPADDR_1", P::eIdIPAddress_1, NoId),
    field("IPADDR_2", P::eIdIPAddress_2, NoId),
    field("IPADDR_3", P::eIdIPAddress_3, NoId),
    field("SUBNETMASK_0", P::eIdSubnetMask_0, NoId),
    field("SUBNETMASK_1", P::eIdSubnetMask_1, NoId),
    field("SUBNETMASK_2", P::eIdSubnetMask_2, NoId),
    field("SUBNETMASK_3", P::eIdSubnetMask_3, NoId),
    field("DEFAULTGW_0", P::eIdDefaultGateway_0, NoId),
    field("DEFAULTGW_1", P::eIdDefaultGateway_1, NoId),
    field("DEFAULTGW_2", P::eIdDefaultGateway_2, NoId),
    field("DEFAULTGW_3", P::eIdDefaultGateway_3, NoId),
    field("FIRST_DNS_0", P::eIdFirstDns_0, NoId),
    field("FIRST_DNS_1", P::eIdFirstDns_1, NoId),
    field("FIRST_DNS_2", P::eIdFirstDns_2, NoId),
    field("FIRST_DNS_3", P::eIdFirstDns_3, NoId),
    field("SECOND_DNS_0", P::eIdSecondDns_0, NoId),
    field("SECOND_DNS_1", P::eIdSecondDns_1, NoId),
    field("SECOND_DNS_2", P::eIdSecondDns_2, NoId),
    field("SECOND_DNS_3", P::eIdSecondDns_3, NoId),
    // port record, RS-485 block
    field("485EN", P::eId485_Enable, P::eIdGSM485_Enable),
    field("485PORT", P::eId485_ETHPort, P::eIdGSM485_ETHPort),
    field("485MOD", P::eId485_TrpMode, P::eIdGSM485_TrpMode),
    field("485DATAB", P::eId485_Databit, P::eIdGSM485_Databit),
    field("485PARB", P::eId485_Paritybit, P::eIdGSM485_Paritybit),
    field("485STPB", P::eId485_Stopbit, P::eIdGSM485_Stopbit),
    field("485BAUD", P::eId485_Baud, P::eIdGSM485_Baud),
    field("485WAITCHR", P::eId485_WaitingChr, P::eIdGSM485_WaitingChr),
    field("485WAITMS", P::eId485_WaitingMs, P::eIdGSM485_WaitingMs),
    field("485TMOUT", P::eId485_Tmout, P::eIdGSM485_Tmout),
    field("485ETHTMOUT", P::eId485_EthTmout, P::eIdGSM485_EthTmout),
    field("485RETRYCNT", NoId, P::eIdGSM485_RetryCnt),
    field("485INTTMOUT", NoId, P::eIdGSM485_IntVal),
    field("485PINGTMOUT", NoId, P::eIdGSM485_PingIntVal),
    // port record, RS-232 block
    field("232EN", P::eId232_Enable, P::eIdGSM232_Enable),
    field("232PORT", P::eId232_ETHPort, P::eIdGSM232_ETHPort),
    field("232MOD", P::eId232_TrpMode, P::eIdGSM232_TrpMode),
    field("232DATAB", P::eId232_Databit, P::eIdGSM232_Databit),
    field("232PARB", P::eId232_Paritybit, P::eIdGSM232_Paritybit),
    field("232STPB", P::eId232_Stopbit, P::eIdGSM232_Stopbit),
    field("232BAUD", P::eId232_Baud, P::eIdGSM232_Baud),
    field("232WAITCHR", P::eId232_WaitingChr, P::eIdGSM232_WaitingChr),
    field("232WAITMS", P::eId232_WaitingMs, P::eIdGSM232_WaitingMs),
    field("232TMOUT", P::eId232_Tmout, P::eIdGSM232_Tmout),
    field("232ETHTMOUT", P::eId232_EthTmout, P::eIdGSM232_EthTmout),
    field("232RETRYCNT", NoId, P::eIdGSM232_RetryCnt),
    field("232INTTMOUT", NoId, P::eIdGSM232_IntVal),
    field("232PINGTMOUT", NoId, P::eIdGSM232_PingIntVal),
    // the rest of the port record
    field("APN", NoId, P::eIdGSMAPN),
    field("INFORESPONSE", P::eIdInfoResponse, P::eIdGSMInfoResponse),
    // commands and replies
    command("READALL", P::eIdReadAll, P::eIdGSMReadAll, Command::ReadAll),
    command("WRITEALL", P::eIdWriteAll, P::eIdGSMWriteAll, Command::WriteAll),
    command("READ_NETWORKCFG", P::eIdReadNetworkCfg, P::eIdGSMReadNetworkCfg, Command::ReadNetworkCfg),
    command("WRITE_NETWORKCFG", P::eIdWriteNetworkCfg, P::eIdGSMWriteNetworkCfg, Command::WriteNetworkCfg),
    command("CURRENT_IP", P::eIdCurrentIPAddr, P::eIdGSMCurrentIPAddr, Command::CurrentIp),
    command("RESTART", P::eIdDeviceRestart, P::eIdGSMDeviceRestart, Command::Restart),
    command("PING", P::eIdDevicePing, P::eIdGSMDevicePing, Command::Ping),
    command("232CLOSE", NoId, P::eId232ComClose, Command::Close232),
    command("485CLOSE", NoId, P::eId485ComClose, Command::Close485),
    command("DEVINFO", P::eIdDeviceInfo, P::eIdGSMDeviceInfo, Command::DeviceInfo),
    command("+OK", P::eIdRetOK, P::eIdGSMRetOK, Command::Ok),
    command("+ERR", P::eIdRetERR, P::eIdGSMRetERR, Command::Error),
};
// clang-format on

// The two sets' tables, each indexed by its own ids and closed by its end
// marker, filled from Rows on first use.
struct Tables
{
    QString ethernet[P::eTrpCfgCmd_Max + 1];
    QString gsm[P::eTrpCfgCmdGSM_Max + 1];
    Tables()
    {
        for (const Row &row : Rows) {
            if (row.ethernetId != NoId)
                ethernet[row.ethernetId] = QString::fromLatin1(row.keyword);
            if (row.gsmId != NoId)
                gsm[row.gsmId] = QString::fromLatin1(row.keyword);
        }
        ethernet[P::eTrpCfgCmd_Max] = QStringLiteral("TrpCfgCmd_Max");
        gsm[P::eTrpCfgCmdGSM_Max] = QStringLiteral("TrpCfgCmdGSM_Max");
    }
};

const Tables &tables()
{
    static const Tables t;
    return t;
}

int idIn(CommandSet::Kind set, const Row &row)
{
    return set == CommandSet::Gsm ? row.gsmId : set == CommandSet::Ethernet ? row.ethernetId : NoId;
}

} // namespace

const QString (&TrpCfgCmdTexts)[DeviceProtocol::eTrpCfgCmd_Max + 1] = tables().ethernet;
const QString (&TrpCfgCmdGSMTexts)[DeviceProtocol::eTrpCfgCmdGSM_Max + 1] = tables().gsm;

namespace CommandSet {

QString keyword(Kind set, Command command)
{
    for (const Row &row : Rows) {
        if (row.isCommand && row.command == command)
            return idIn(set, row) == NoId ? QString() : QString::fromLatin1(row.keyword);
    }
    return QString();
}

bool commandOf(Kind set, int id, Command *command)
{
    for (const Row &row : Rows) {
        if (row.isCommand && id != NoId && idIn(set, row) == id) {
            *command = row.command;
            return true;
        }
    }
    return false;
}

namespace {

struct SetFacts
{
    int portRecordSize;
    const QString *keywords;
    int endMarker;
};

SetFacts facts(Kind set)
{
    const SetFacts table[] = {
        {0, nullptr, 0}, // None
        {ReplyParser::EthernetPortRecordSize, tables().ethernet, P::eTrpCfgCmd_Max},
        {ReplyParser::GsmPortRecordSize, tables().gsm, P::eTrpCfgCmdGSM_Max},
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
