#pragma once

// The names of the device protocol: the command ids of both command sets, the
// frame constants, the parse results and the keyword-only request formatter.
//
// They belong to the protocol, not to any window. The configuration page
// inherits this struct so that its long-standing names
// (TransparentConfig::eIdReadAll, TransparentConfig::AT_CRLF, ...) still
// reach them; everything else includes this header directly.

#include <QByteArray>
#include <QMetaType>
#include <QString>

struct DeviceProtocol
{
    // Result of parsing one reply.
    enum TrpErr_t { err_OK = 0, err_EndChr, err_BeginChr, err_Unknown, err_Max };

    // Ethernet command set.
    typedef enum eTrpCfgCmdTableID_e {
        eIdMac_Id = 0,
        eIdStaticIp_Enable,
        eIdIPAddress_0,
        eIdIPAddress_1,
        eIdIPAddress_2,
        eIdIPAddress_3,
        eIdSubnetMask_0,
        eIdSubnetMask_1,
        eIdSubnetMask_2,
        eIdSubnetMask_3,
        eIdDefaultGateway_0,
        eIdDefaultGateway_1,
        eIdDefaultGateway_2,
        eIdDefaultGateway_3,
        eIdFirstDns_0,
        eIdFirstDns_1,
        eIdFirstDns_2,
        eIdFirstDns_3,
        eIdSecondDns_0,
        eIdSecondDns_1,
        eIdSecondDns_2,
        eIdSecondDns_3,
        eId485_Enable, // 22
        eId485_ETHPort,
        eId485_TrpMode,
        eId485_Databit,
        eId485_Paritybit,
        eId485_Stopbit,
        eId485_Baud,
        eId485_WaitingChr,
        eId485_WaitingMs,
        eId485_Tmout,
        eId485_EthTmout,
        eId232_Enable, // 33
        eId232_ETHPort,
        eId232_TrpMode,
        eId232_Databit,
        eId232_Paritybit,
        eId232_Stopbit,
        eId232_Baud,
        eId232_WaitingChr,
        eId232_WaitingMs,
        eId232_Tmout,
        eId232_EthTmout,
        eIdInfoResponse, // 44
        eIdReadAll,      // 45
        eIdWriteAll,
        eIdReadNetworkCfg,
        eIdWriteNetworkCfg,
        eIdCurrentIPAddr,
        eIdDeviceRestart, // 50
        eIdDevicePing,
        eIdDeviceInfo,
        eIdRetOK,
        eIdRetERR,
        eTrpCfgCmd_Max // 55
    } eTrpCfgCmdTableID_t;

    // GSM command set.
    typedef enum eTrpCfgCmdGSMTableID_e {
        eIdGSM485_Enable = 0,
        eIdGSM485_ETHPort,
        eIdGSM485_TrpMode,
        eIdGSM485_Databit,
        eIdGSM485_Paritybit,
        eIdGSM485_Stopbit,
        eIdGSM485_Baud,
        eIdGSM485_WaitingChr,
        eIdGSM485_WaitingMs,
        eIdGSM485_Tmout,
        eIdGSM485_EthTmout,
        eIdGSM485_RetryCnt,
        eIdGSM485_IntVal,
        eIdGSM485_PingIntVal,
        eIdGSM232_Enable, // 14
        eIdGSM232_ETHPort,
        eIdGSM232_TrpMode,
        eIdGSM232_Databit,
        eIdGSM232_Paritybit,
        eIdGSM232_Stopbit,
        eIdGSM232_Baud,
        eIdGSM232_WaitingChr,
        eIdGSM232_WaitingMs,
        eIdGSM232_Tmout,
        eIdGSM232_EthTmout,
        eIdGSM232_RetryCnt,
        eIdGSM232_IntVal,
        eIdGSM232_PingIntVal,
        eIdGSMAPN,          // 28
        eIdGSMInfoResponse, // 29
        eIdGSMReadAll,      // 30
        eIdGSMWriteAll,
        eIdGSMReadNetworkCfg,
        eIdGSMWriteNetworkCfg,
        eIdGSMCurrentIPAddr,
        eIdGSMDeviceRestart, // 35
        eIdGSMDevicePing,
        eId232ComClose,
        eId485ComClose,
        eIdGSMDeviceInfo,
        eIdGSMRetOK, // 40
        eIdGSMRetERR,
        eTrpCfgCmdGSM_Max // 42
    } eTrpCfgCmdGSMTableID_t;

    // Frame constants.
    static const QString AT_CMD;  // "AT+": prefix of every request
    static const QString AT_SET;  // "=": keyword / arguments separator
    static const QString AT_SEP;  // "+": first character of every reply
    static const QString AT_CRLF; // "\r\n": terminator of every request and reply
    static const QString TrpErrString[err_Max + 1];

    // Record ranges.
    static const int AT_CMD_FIRST_ID_NETWORK = eIdMac_Id;
    static const int AT_CMD_FIRST_ID = eId485_Enable;
    static const int AT_CMD_LAST_ID = eIdInfoResponse;
    static const int GSM_AT_CMD_FIRST_ID = eIdGSM485_Enable;
    static const int GSM_AT_CMD_LAST_ID = eIdGSMInfoResponse;

    // Frames a request without arguments: "AT+", the keyword, CR LF. The
    // result lives in one buffer shared by all calls: hand it on at once.
    // The tool's own code uses the builders of requestbuilder.h, which return
    // frames by value.
    static QByteArray &AT_Command_Formatter(const QString &keyword);
};

// The keyword tables of the two command sets, indexed by command id; the last
// entry is the end marker. Both are views of the one keyword table of
// commandset.cpp.
extern const QString (&TrpCfgCmdTexts)[DeviceProtocol::eTrpCfgCmd_Max + 1];
extern const QString (&TrpCfgCmdGSMTexts)[DeviceProtocol::eTrpCfgCmdGSM_Max + 1];

Q_DECLARE_METATYPE(DeviceProtocol::TrpErr_t)
