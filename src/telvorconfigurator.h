#pragma once

// The main window: the hub of the tool.
//
// It owns the connection panel and the configuration page, the three TCP
// sockets (configuration service, RS-232 data port, RS-485 data port), the
// serial port (USB) and the six supervision timers, and wires them together:
//   socket or port -> frame assembler -> Receive_Callback -> page and windows
//   page / panel / network window -> WriteData -> Transmit_Callback -> channel
// It carries the device commands of its menu and opens the network window.

#include "commsettings.h"
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
    void CheckAndSendData(QTcpSocket &rSocket, const QByteArray &rArr);
    void CheckAndSendData(QSerialPort &rSerial, const QByteArray &rArr);

    // The socket of a TCP route; null for USB and Max.
    QTcpSocket *routeSocket(CommSettings::eRoute_t route) const;
    void sendDeviceCommand(TransparentConfig::eTrpCfgCmdTableID_t ethernetId,
                           TransparentConfig::eTrpCfgCmdGSMTableID_t gsmId, bool sendOnSerial);
    void setCommandActions(bool enabled);
    void setModelActions(bool enabled);

    void setUpReceivePath();
    void disconnectChannels();

    // Route channels: one implementation for the routes that behave alike.
    QIODevice *routeChannel(CommSettings::eRoute_t route) const;
    QTimer *dataPortStateTimer(CommSettings::eRoute_t route) const;
    bool &dataPortSucceed(CommSettings::eRoute_t route);
    void openTcpRoute(CommSettings::eRoute_t route, const QString &Ip, int Port);
    void closeTcpRoute(CommSettings::eRoute_t route);
    void dataPortConnected(CommSettings::eRoute_t route);
    void dataPortDisconnected(CommSettings::eRoute_t route);
    void dataPortStateChanged(CommSettings::eRoute_t route, QAbstractSocket::SocketState state);
    void dataPortSilent(CommSettings::eRoute_t route);
    void dataPortReceived(CommSettings::eRoute_t route);
    void showSocketError(CommSettings::eRoute_t route, QAbstractSocket::SocketError err);
    void closeOtherDataPort(CommSettings::eRoute_t closedRoute);

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

    // One reassembly buffer per route, indexed by CommSettings::eRoute_t.
    FrameAssembler RouteFrames[CommSettings::Max];
    // A serial failure is reported by one box until the port is opened again.
    bool SerialFailureReported = false;
};
