#pragma once

// The configuration page of the gateway's two serial ports: a view of the
// port record.
//
// The page holds the form of both ports (RS-485 left, RS-232 right), keeps the
// few values the port record needs besides the widgets, and enforces the field
// rules for the user's edits. Each port's widgets are bound once to the
// record's field schema, so that a fill from a record and the record built for
// a write are the same loop over the schema. Receive_Callback is the entry
// point of every reply: it reads the frame into a typed event
// (ReplyParser::readEvent) and publishes it through events(); the page shows
// port records, and the status texts of acknowledgements and refusals.
// Requests are built by requestbuilder and leave the page only through the
// WriteData signal. The command set follows CheckConnectionType alone.
//
// The protocol's names (command ids, frame constants, AT_Command_Formatter,
// TrpErr_t) are inherited from DeviceProtocol, so they are still reachable
// here as TransparentConfig::eIdReadAll and so on.

#include "link/route.h"
#include "protocol/deviceevents.h"
#include "protocol/deviceprotocol.h"
#include "protocol/portschema.h"
#include "protocol/requestbuilder.h"

#include <QPointer>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>

class QComboBox;
class QSpinBox;
class InfoWindows;
class StaticIpConfig;

namespace Ui {
class TransparentConfig;
}

class TransparentConfig : public QWidget, public DeviceProtocol
{
    Q_OBJECT

public:
    // The route as the page records it. Note the order of the two data ports
    // differs from CommSettings::eRoute_t.
    enum eConnection_State_t { eETH = 0, eUSB, eTCP485, eTCP232, eMax };

    // One of the device's two serial ports. Scoped, because the page's other
    // enumerations also end in eMax.
    enum class eRoute_Serial_t { e485 = 0, e232, eMax };

    // Gateway mode of a serial port: the mode combo index and the value on the wire.
    enum class eTrp_Mod_t { eTCPtoRTU = 0, eTCPtoASCII, eRTUoverTCP, eASCIIoverTCP, eFullTransparent, eMax };

    explicit TransparentConfig(QWidget *parent = nullptr);
    ~TransparentConfig() override;

    // Route operations, called by the main window when a route comes up (true)
    // or goes down (false). Each records the route in CheckConnectionType.
    void SetETHSettings(const bool &bState);
    void SetUSBSettings(const bool &bState);
    void Set232Settings(const bool &bState);
    void Set485Settings(const bool &bState);
    // The route operation of a route, by the route's id.
    void SetRouteSettings(RouteId route, bool bState);

    void CheckUI_Enabled(const bool &bState, const eRoute_Serial_t &Route);
    void CheckModChange(const eRoute_Serial_t &eMod);
    void ModifyBy_Mod(int &Value, int Modval);

    // Checks, identifies and applies one reply frame. The network window, when
    // one is open, receives a network record; null drops it.
    TrpErr_t Receive_Callback(QByteArray &qba, StaticIpConfig *stStaticIpConfig);

    // The device events of every reply this page reads.
    DeviceEvents &events() { return Events; }

signals:
    void OpenStaticIpWindow();
    // A request frame, with what it is for (a record write waits for its
    // answer).
    void WriteData(const QByteArray &qba, RequestBuilder::Purpose purpose = RequestBuilder::Purpose::Other);
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
        // Where each field of the record's port block is shown: a list, a
        // number box, or (the silent interval's two values) a stored member.
        struct FieldBinding
        {
            QComboBox *list = nullptr;
            QSpinBox *box = nullptr;
            int *stored = nullptr;
            quint8 *storedByte = nullptr;
        };
        std::array<FieldBinding, ReplyParser::PortFieldCount> Fields;
    };
    void bindPorts();
    void bindWidgets(PortUi &p, const QString &name);
    static void bindFields(PortUi &p);
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
    // The port's serial settings follow its enable box, unless the other
    // port carries the route in use.
    void applyEnableRule(eRoute_Serial_t route, int index);
    void portEnableChanged(eRoute_Serial_t route, int index);
    void portModeChanged(eRoute_Serial_t route, int index);
    void silentIntervalFinished(eRoute_Serial_t route);
    void tcpPortFinished(eRoute_Serial_t route);
    void retryCountFinished(eRoute_Serial_t route);
    // The command set of the route in force (None before any route).
    CommandSet::Kind commandSet() const;
    // The retry-count rule: the command interval's unit, range and value for
    // the port's retry count; remembers the count it ran for.
    void applyRetryCountRule(eRoute_Serial_t route);
    bool showsCommandIntervalInSeconds(const PortUi &p) const;
    void matchCommandIntervalsToRetryCounts();
    bool usesGsmCommands() const;
    // The port record as the page shows it, one text per value, in wire order.
    QStringList portRecordValues() const;
    QStringList portBlockValues(const PortUi &p, CommandSet::Kind set) const;
    bool confirmSevenBitsWithoutParity();
    void requestPortRecord();

    PortUi Ports[2];
    bool ApnWarningOpen = false;
    // Per port (eRoute_Serial_t), the retry count the page was filled with or
    // the retry-count rule last ran for; -1 until either has happened, so
    // that the first finished edit on a page never filled runs the rule.
    int RetryCountRuled[2] = {-1, -1};

    // --- reply handling (transparentconfig_replies.cpp) ---
    // The page's own subscriptions to the device events.
    void subscribe();
    void applyPortRecord(const ReplyParser::PortRecord &record);
    void applyNetworkRecord(const ReplyParser::NetworkRecord &record);
    void applyDeviceInfo(const ReplyParser::InfoRecord &record);
    void applyAcknowledgement(ReplyParser::ReplyKind kind);
    void applyError(const QByteArray &detail);
    // Fills the page from a checked record: the RS-485 block, the RS-232
    // block, then the general fields. Fields outside their range are skipped.
    // Each widget is set once, with the handlers meant for the user's edits
    // kept out of it.
    void fillPortRecord(const ReplyParser::PortRecord &record);
    void fillPortBlock(eRoute_Serial_t route, const ReplyParser::PortBlock &block);
    // Shows one field's value as it travels, in the field's own widget.
    void showField(eRoute_Serial_t route, ReplyParser::PortField field, qint32 value);
    void reportOutOfRange(const ReplyParser::PortRecord &record);
    void reportRecordLength(const QString &keyword, int received, int required);

    DeviceEvents Events;
    // The network window of the reply being read, if one is open.
    QPointer<StaticIpConfig> NetworkWindow;

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

    // The record's ranges, as the field schema gives them.
    const int DatabitMax = PortSchema::field(ReplyParser::Databit).max;
    const int DatabitMin = PortSchema::field(ReplyParser::Databit).min;
    const int StopbitMax = PortSchema::field(ReplyParser::Stopbit).max;
    const int StopbitMin = PortSchema::field(ReplyParser::Stopbit).min;
    const int WaitingChrMax = PortSchema::field(ReplyParser::WaitingChr).max;
    const int WaitingChrMin = PortSchema::field(ReplyParser::WaitingChr).min;
    const int WaitingMsMax = PortSchema::field(ReplyParser::WaitingMs).max;
    const int WaitingMsMin = PortSchema::field(ReplyParser::WaitingMs).min;
    const int ParitybitMax = PortSchema::field(ReplyParser::Paritybit).max;
    const int EnableIndexMax = PortSchema::field(ReplyParser::Enable).max;
    const int TrpModIndexMax = PortSchema::field(ReplyParser::TrpMode).max;
    const int BaudIndexMax = PortSchema::field(ReplyParser::Baud).max;
    const int CmdIntvervalMaxS = 10;
    const int CmdIntvervalMinS = 3;
    const int CmdIntvervalMaxMs = 5000;
    const int CmdIntvervalMinMs = 0;

    QByteArray APNValue;
    QStringList ParamsAll;
    // The information windows open now, at most InfoWindows::MaxOpen.
    InfoWindows *InfoWindowSet = nullptr;
    // Start at the index the enable boxes start with, so that nothing warns
    // before the first record has been read.
    int PortCheck232 = 0;
    int PortCheck485 = 0;
};
