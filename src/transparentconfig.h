#pragma once

// The configuration page of the gateway's two serial ports, and the device
// protocol it speaks.
//
// The page holds the form of both ports (RS-485 left, RS-232 right), keeps the
// few values the port record needs besides the widgets, and enforces the field
// rules. The protocol half of the class holds the two keyword tables, the frame
// constants, the request formatter and the reply handler Receive_Callback:
//   main window read handler -> Receive_Callback -> replyparser (plain checks)
//   -> one apply step per reply kind -> page widgets / network window /
//   information windows / signals.
// Requests are framed by requestbuilder and leave the page only through the
// WriteData signal. The command set (keyword table and record length) follows
// CheckConnectionType through CommandSet::forConnection alone.

#include "replyparser.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QWidget>

class QComboBox;
class QSpinBox;
class InfoWindows;
class StaticIpConfig;

namespace Ui {
class TransparentConfig;
}

class TransparentConfig : public QWidget
{
    Q_OBJECT

public:
    // The route as the page records it. Note the order of the two data ports
    // differs from CommSettings::eRoute_t.
    enum eConnection_State_t { eETH = 0, eUSB, eTCP485, eTCP232, eMax };

    // Result of parsing one reply.
    enum TrpErr_t { err_OK = 0, err_EndChr, err_BeginChr, err_Unknown, err_Max };

    // One of the device's two serial ports. Scoped, because the page's other
    // enumerations also end in eMax.
    enum class eRoute_Serial_t { e485 = 0, e232, eMax };

    // Gateway mode of a serial port: the mode combo index and the value on the wire.
    enum class eTrp_Mod_t { eTCPtoRTU = 0, eTCPtoASCII, eRTUoverTCP, eASCIIoverTCP, eFullTransparent, eMax };

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

    explicit TransparentConfig(QWidget *parent = nullptr);
    ~TransparentConfig() override;

    // Frames a request without arguments: "AT+", the keyword, CR LF. The
    // result lives in one buffer shared by all calls: hand it on at once.
    static QByteArray &AT_Command_Formatter(const QString &keyword);

    // Route operations, called by the main window when a route comes up (true)
    // or goes down (false). Each records the route in CheckConnectionType.
    void SetETHSettings(const bool &bState);
    void SetUSBSettings(const bool &bState);
    void Set232Settings(const bool &bState);
    void Set485Settings(const bool &bState);

    void CheckUI_Enabled(const bool &bState, const eRoute_Serial_t &Route);
    void CheckModChange(const eRoute_Serial_t &eMod);
    void ModifyBy_Mod(int &Value, int Modval);

    // Checks, identifies and applies one reply frame. The network window, when
    // one is open, receives a network record; null drops it.
    TrpErr_t Receive_Callback(QByteArray &qba, StaticIpConfig *stStaticIpConfig);

signals:
    void OpenStaticIpWindow();
    void WriteData(const QByteArray &qba);
    void WriteStatusBar(const QString &tstErrMsg, int timeout = 0);
    void SetCurrentIpAddr(const QByteArray &tstIpaddr);
    void DisconnectTcp();
    // The device answered a write: "+OK" or "+ERR".
    void WriteAnswered();

private slots:
    void on_pushButton_ConfigurationApply_clicked();
    void on_pushButton_StaticIPConfig_clicked();
    void on_pushButton_ReadConfiguration_clicked();
    void on_comboBox_Enable_485_currentIndexChanged(int index);
    void on_comboBox_Enable_232_currentIndexChanged(int index);
    void on_comboBox_Mod_485_currentIndexChanged(int index);
    void on_comboBox_Mod_232_currentIndexChanged(int index);
    void on_spinBox_SilentInterval_485_editingFinished();
    void on_spinBox_SilentInterval_232_editingFinished();
    void on_spinBox_ModbusTimeout_485_editingFinished();
    void on_spinBox_ModbusTimeout_232_editingFinished();
    void on_spinBox_Port_485_editingFinished();
    void on_spinBox_Port_232_editingFinished();
    void DestroyDevInfo();
    void on_spinBox_RetryCount_485_editingFinished();
    void on_spinBox_RetryCount_232_editingFinished();
    void on_spinBox_IntervalTime_485_editingFinished();
    void on_spinBox_IntervalTime_232_editingFinished();
    void on_spinBox_485_Ping_Interval_editingFinished();
    void on_spinBox_232_Ping_Interval_editingFinished();
    void on_lineEdit_APN_editingFinished();

private:
    // --- page rules (transparentconfig.cpp) ---

    // One serial port's widgets and stored values. Every field rule is written
    // once against this and applied to either port.
    struct PortUi
    {
        QComboBox *Enable = nullptr;
        QSpinBox *Port = nullptr;
        QSpinBox *EthTimeout = nullptr;
        QSpinBox *ModbusTimeout = nullptr;
        QSpinBox *SilentInterval = nullptr;
        QComboBox *Mod = nullptr;
        QComboBox *Datab = nullptr;
        QComboBox *Parityb = nullptr;
        QComboBox *Stopb = nullptr;
        QComboBox *Baud = nullptr;
        QSpinBox *RetryCount = nullptr;
        QSpinBox *IntervalTime = nullptr;
        QSpinBox *PingInterval = nullptr;
        int *WaitingMs = nullptr;
        quint8 *WaitingChr = nullptr;
        int *TcpPort = nullptr;
        const int *OtherTcpPort = nullptr;
        eTrp_Mod_t *TrpMod = nullptr;
        int *PortCheck = nullptr;
        eConnection_State_t CarrierRoute = eMax; // the data-port route that runs over this port
        QString Name;                            // "485" / "232", for titles and the debug log
    };
    void bindPorts();
    PortUi &port(eRoute_Serial_t route);
    const PortUi &port(eRoute_Serial_t route) const;
    static eRoute_Serial_t otherPort(eRoute_Serial_t route);
    // The nine serial settings of a port, in the order they are switched.
    static QList<QWidget *> serialSettings(const PortUi &p);
    void setGsmOnlyEnabled(bool bEnabled);
    void applyDataPortRoute(eRoute_Serial_t carrier, bool bState);
    // The command interval's unit, range and step for a port whose retry
    // count asks for seconds or milliseconds; the Unit variant also resets
    // the value, as a change of unit by the user does.
    void setCommandIntervalRange(const PortUi &p, bool inSeconds);
    void setCommandIntervalUnit(const PortUi &p, bool inSeconds);
    // The silent interval's unit, range, step and value for the port's mode:
    // CheckModChange without the command interval.
    void setSilentIntervalUnit(eRoute_Serial_t route);
    void roundToStep(QSpinBox *box);
    void portEnableChanged(eRoute_Serial_t route, int index);
    void portModeChanged(eRoute_Serial_t route, int index);
    void silentIntervalFinished(eRoute_Serial_t route);
    void tcpPortFinished(eRoute_Serial_t route);
    void retryCountFinished(eRoute_Serial_t route);
    bool usesGsmCommands() const;
    // The keyword of a command in the table of the route in force; empty
    // before any route has come up.
    QString commandKeyword(eTrpCfgCmdTableID_t ethernetId, eTrpCfgCmdGSMTableID_t gsmId) const;
    // The port record as the page shows it, one text per value, in wire order.
    QStringList portRecordValues() const;
    QStringList portBlockValues(const PortUi &p, bool gsm) const;
    bool confirmSevenBitsWithoutParity();
    void requestPortRecord();

    PortUi Ports[2];
    bool ApnWarningOpen = false;

    // --- reply handling (transparentconfig_replies.cpp) ---
    // One apply step per reply kind; each gets the reply with its line end
    // removed and does everything that kind of reply asks for.
    void applyPortRecord(const QByteArray &reply);
    void applyNetworkRecord(const QByteArray &reply, StaticIpConfig *window);
    void applyCurrentIp(const QByteArray &reply);
    void applyDeviceInfo(const QByteArray &reply);
    void applyAcknowledgement(ReplyParser::ReplyKind kind);
    void applyError(const QByteArray &reply);
    // Applies a checked port record: the RS-485 block, the RS-232 block, then
    // the general fields. Fields outside their range are skipped.
    void fillPortRecord(const ReplyParser::PortRecord &record, bool gsm);
    void fillPortBlock(eRoute_Serial_t route, const ReplyParser::PortBlock &block, bool gsm);
    void fillGsmFields(const PortUi &p, const ReplyParser::PortBlock &block, bool is485);
    void reportOutOfRange(const ReplyParser::PortRecord &record);
    void reportRecordLength(const QString &keyword, int received, int required);
    ReplyParser::PortRecordLimits recordLimits() const;


    Ui::TransparentConfig *ui;
    int WaitingMs_485 = 400;
    int WaitingMs_232 = 400;
    int TcpPort_485 = 502;
    int TcpPort_232 = 503;
    eConnection_State_t CheckConnectionType = eMax;
    quint8 WaitingChr_485 = 8;
    quint8 WaitingChr_232 = 8;
    eTrp_Mod_t TrpMod_485 = eTrp_Mod_t::eTCPtoRTU;
    eTrp_Mod_t TrpMod_232 = eTrp_Mod_t::eTCPtoRTU;

    const int DatabitMax = 8;
    const int DatabitMin = 7;
    const int StopbitMax = 2;
    const int StopbitMin = 1;
    const int WaitingChrMax = 128;
    const int WaitingChrMin = 4;
    const int WaitingMsMax = 5000;
    const int WaitingMsMin = 10;
    const int ParitybitMax = 2;
    const int EnableIndexMax = 1;
    const int TrpModIndexMax = 4;
    const int BaudIndexMax = 9;
    const int CmdIntvervalMaxS = 10;
    const int CmdIntvervalMinS = 3;
    const int CmdIntvervalMaxMs = 5000;
    const int CmdIntvervalMinMs = 0;
    // The record limits above as the reply parser takes them, filled once.
    const ReplyParser::PortRecordLimits RecordLimits = recordLimits();

    QByteArray APNValue;
    QStringList ParamsAll;
    // The information windows open now, at most InfoWindows::MaxOpen.
    InfoWindows *InfoWindowSet = nullptr;
    // Start at the index the enable boxes start with, so that nothing warns
    // before the first record has been read.
    int PortCheck232 = 0;
    int PortCheck485 = 0;
};

// Keyword tables, indexed by command id; the last entry is the end marker.
extern const QString TrpCfgCmdTexts[TransparentConfig::eTrpCfgCmd_Max + 1];
extern const QString TrpCfgCmdGSMTexts[TransparentConfig::eTrpCfgCmdGSM_Max + 1];
