#pragma once

// The main window: the hub of the tool.
//
// It owns the connection panel and the configuration page, the three TCP
// sockets (configuration service, RS-232 data port, RS-485 data port), the
// serial port (USB) and the six supervision timers, and wires them together:
//   socket or port -> frame assembler -> Receive_Callback -> page and windows
//   page / panel / network window -> WriteData -> Transmit_Callback -> channel
// The four routes share one path for each step of their life (opened, up,
// data received, silent, down, send); a table with one row per route holds
// what tells them apart. The named slots of each route call into that path.
// The window also carries the device commands of its menu and opens the
// network window.

#include "commandset.h"
#include "commsettings.h"
#include "devicemodel.h"
#include "frameassembler.h"
#include "transparentconfig.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QMainWindow>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QString>

class QTcpSocket;
class QTimer;
class QIODevice;
class StaticIpConfig;

namespace Ui {
class TelvorConfigurator;
}

class TelvorConfigurator : public QMainWindow
{
    Q_OBJECT

public:
    // DeviceChoice: the start window's index, an eDeviceModel_t value.
    TelvorConfigurator(QWidget *parent, int DeviceChoice);
    ~TelvorConfigurator() override;

    void Close_StaticIpConfigWindow();

    // Opens the serial route on the port at a system location (for example
    // /dev/ttyACM0). OpenComPort resolves the panel's port description to its
    // location and comes here.
    void openSerialPort(const QString &systemLocation);

    static const QString SocketErrString[24];
    static const QString SerialErrString[14];

public slots:
    void OpenComPort(const QSerialPortInfo &port);
    void CloseComPort();
    void OpenTcpCommunication(const QString &Ip, int Port);
    void CloseTcpCommunication();
    void OpenTcp232Communication(const QString &Ip, int Port);
    void CloseTcp232Communication();
    void OpenTcp485Communication(const QString &Ip, int Port);
    void CloseTcp485Communication();
    void AbortTcp232Communication();
    void AbortTcp485Communication();
    void SetCurrentIpAddr(const QByteArray &qbaBuffer);
    void OpenStaticIpConfigScreen();
    void SetStatusBarText(const QString &tstErrMsg, int Timeout = 0);
    void Transmit_Callback(const QByteArray &qbaBuffer);
    void TcpConnected();
    void TcpDisconnected();
    void TcpDataReceived();
    void TcpDataTransmitted(qint64 Bytes);
    void TcpError(QAbstractSocket::SocketError err);
    void connectionLost();
    void Tcp232Connected();
    void Tcp232Disconnected();
    void Tcp232DataReceived();
    void Tcp232DataTransmitted(qint64 Bytes);
    void Tcp232Error(QAbstractSocket::SocketError err);
    void Tcp232StateChanged(QAbstractSocket::SocketState SocketState);
    void Tcp485Connected();
    void Tcp485Disconnected();
    void Tcp485DataReceived();
    void Tcp485DataTransmitted(qint64 Bytes);
    void Tcp485Error(QAbstractSocket::SocketError err);
    void Tcp485StateChanged(QAbstractSocket::SocketState SocketState);
    void SerialReceived();
    void SerialErrorHandle(QSerialPort::SerialPortError error);
    void RestartDevice_Triggered();
    void GetInfo_Triggered();
    void Ping_Triggered();
    void EthernetModem_Triggered();
    void GSMModem_Triggered();
    void TimerTimeoutUsbState();
    void TimerTimeoutTcpState();
    void TimerTimeoutTcp232State();
    void TimerTimeoutTcp485State();
    void TimerTcpReading();
    void TimerServerFull();

private:
    // The receive-path fuzz target feeds the real channels and fires the
    // partial-frame timers without waiting for them.
    friend struct ReceivePathProbe;

    void CheckAndSendData(QTcpSocket &rSocket, const QByteArray &rArr);
    void CheckAndSendData(QSerialPort &rSerial, const QByteArray &rArr);

    // What a route event does to a menu action: leave it, enable it, disable it.
    enum class Switch
    {
        Keep,
        On,
        Off
    };
    // The action states one route event leaves, after the window's contract:
    // commands are RESTART DEVICE and GET INFO, models the two model actions.
    struct ActionStates
    {
        Switch commands;
        Switch ping;
        Switch models;
    };
    struct StatusText
    {
        const char *text; // untranslated; null for none
        int ms;
    };
    // When a route becomes the active one: on the first answer after its
    // channel opened (configuration service, USB) or as soon as its socket
    // connects (the data ports).
    enum class UpWhen
    {
        FirstAnswer,
        Connected
    };

    // One row per route, indexed by CommSettings::eRoute_t. The channel,
    // timer and flag are the window's named members; the row only points at
    // them. Everything that tells the routes apart is here.
    struct Route
    {
        const char *name; // in traces
        QIODevice *channel;
        QTimer *answerTimer;
        bool *answered; // the route's success flag
        void (TransparentConfig::*preparePage)(const bool &);
        UpWhen upWhen;
        bool resetsPageWhenDown;
        StatusText up, down, receiveFailure, noAnswer;
        const char *networkErrorText; // null: the error's own name
        ActionStates atOpen, atUp, atDown;
        const char *answeredTrace, *noAnswerTrace;
        // Filled from the row's index.
        QTcpSocket *socket = nullptr; // the channel when it is a socket
        FrameAssembler *frames = nullptr;
        CommandSet::Kind commands = CommandSet::None;
    };

    void connectSignals();
    void buildRouteTable();
    void disconnectChannels();
    void selectDeviceModel(eDeviceModel_t model);
    void applyActions(const ActionStates &states);
    bool isDataPort(CommSettings::eRoute_t route) const;

    // A keyword of the command set the route speaks.
    const QString &keyword(CommSettings::eRoute_t route, TransparentConfig::eTrpCfgCmdTableID_t ethernetId,
                           TransparentConfig::eTrpCfgCmdGSMTableID_t gsmId) const;
    // A request without values in the command set the route speaks.
    QByteArray request(CommSettings::eRoute_t route, TransparentConfig::eTrpCfgCmdTableID_t ethernetId,
                       TransparentConfig::eTrpCfgCmdGSMTableID_t gsmId) const;
    void sendFrame(CommSettings::eRoute_t route, const QByteArray &frame);
    // After a record write (WRITEALL, WRITE_NETWORKCFG) the device has
    // WRITE_ANSWER_TIMEOUT_MS to answer "+OK" or "+ERR"; otherwise the user is
    // told that it may not have stored the record.
    void watchWriteAnswer(CommSettings::eRoute_t route, const QByteArray &frame);
    void writeUnanswered();
    void sendDeviceCommand(TransparentConfig::eTrpCfgCmdTableID_t ethernetId,
                           TransparentConfig::eTrpCfgCmdGSMTableID_t gsmId, bool sendOnSerial);

    // The life of a route: its channel opened, the route up (the active
    // route), data received, no answer in time, the route down.
    void routeOpened(CommSettings::eRoute_t route);
    void routeUp(CommSettings::eRoute_t route);
    void routeReceived(CommSettings::eRoute_t route);
    void routeSilent(CommSettings::eRoute_t route);
    void routeDown(CommSettings::eRoute_t route);

    void openTcpRoute(CommSettings::eRoute_t route, const QString &Ip, int Port);
    void closeTcpRoute(CommSettings::eRoute_t route);
    void dataPortStateChanged(CommSettings::eRoute_t route, QAbstractSocket::SocketState state);
    void showSocketError(CommSettings::eRoute_t route, QAbstractSocket::SocketError err);
    void closeOtherDataPort(CommSettings::eRoute_t closedRoute);
    // The user closed a data port: its server-full check ends unreported.
    void stopServerFullCheck(CommSettings::eRoute_t closedRoute);

    // Receive path: channel -> frame assembler -> Receive_Callback.
    void receiveFrames(CommSettings::eRoute_t route);
    void reportReceiveFailure(CommSettings::eRoute_t route, TransparentConfig::TrpErr_t result);

    Ui::TelvorConfigurator *ui;
    CommSettings newCommSetting;
    CommSettings::eRoute_t ConnectionStatus;
    TransparentConfig newTransparentConfig;
    StaticIpConfig *pStaticIpWindow = nullptr;
    QTcpSocket *pTcpSocket = nullptr;
    QTcpSocket *pTcp232Socket = nullptr;
    QTcpSocket *pTcp485Socket = nullptr;
    QSerialPort *pSerial = nullptr;
    QTimer *pTimerTcpState = nullptr;
    QTimer *pTimerTcp232State = nullptr;
    QTimer *pTimerTcp485State = nullptr;
    QTimer *pTimerTcpReading = nullptr;
    QTimer *pTimerUsbState = nullptr;
    QTimer *pTimerServerFull = nullptr;
    bool TcpConnectionSucceed;
    bool Tcp232ConnectionSucceed;
    bool Tcp485ConnectionSucceed;
    bool UsbConnectionSucceed;
    const int CONNECTION_TIMEOUT_MS = 10000;
    const int SERVER_FULL_TIMEOUT_MS = 8000;
    const int SEND_READING_DATA = 500;
    static constexpr int WRITE_ANSWER_TIMEOUT_MS = 5000;
    QTimer *pTimerWriteAnswer = nullptr;

    FrameAssembler RouteFrames[CommSettings::Max];
    Route Routes[CommSettings::Max];
    // A serial failure is reported by one box until the port is opened again.
    bool SerialFailureReported = false;
    // The data port whose connect started the server-full check; Max when
    // the check is not running or the user has closed that port.
    CommSettings::eRoute_t ServerFullRoute = CommSettings::Max;
};
