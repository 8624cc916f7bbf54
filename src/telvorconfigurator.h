#pragma once

// The main window: the hub of the tool.
//
// It holds the connection panel and the configuration page, and a connection
// controller that owns the four links (three TCP sockets and the serial
// port) and the supervision timers. It wires them together and applies the
// controller's route events to the views:
//   link -> controller -> Receive_Callback -> page, network window, windows
//   page / panel / network window -> WriteData -> controller -> link
// The named route slots are one-line calls into the controller. The window
// also carries the device commands of its menu and opens the network window.

#include "commsettings.h"
#include "devicemodel.h"
#include "link/linkcontroller.h"
#include "transparentconfig.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QMainWindow>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QString>

class QTcpSocket;
class QTimer;
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
    // /dev/ttyACM0). OpenComPort resolves the panel's port to its location
    // (by the chosen name when the machine does not list the port) and comes
    // here.
    void openSerialPort(const QString &systemLocation);

    static const QString (&SocketErrString)[24];
    static const QString (&SerialErrString)[14];

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
    // The receive-path fuzz target reads the route's frame assembler and
    // fires its partial-frame timer without waiting for it.
    friend struct ReceivePathProbe;

    void connectSignals();
    void selectDeviceModel(eDeviceModel_t model);
    void applyActions(const ActionStates &states);
    // A request of the page or the network window, with what it is for.
    void sendRequest(const QByteArray &frame, RequestBuilder::Purpose purpose);

    // The controller's route events, applied to the views.
    void onRouteOpened(RouteId route);
    void onRouteUp(RouteId route);
    void onRouteDown(RouteId route);
    void onAnsweredChanged(RouteId route, bool answered);
    void onDataPortFailed(RouteId route);
    void onDataPortSilent();
    void onSerialFailed(const QString &description);
    DeviceProtocol::TrpErr_t applyFrame(QByteArray &frame);

    Ui::TelvorConfigurator *ui;
    // Declared before the views: its links and timers outlive them.
    LinkController Links;
    CommSettings newCommSetting;
    CommSettings::eRoute_t ConnectionStatus;
    TransparentConfig newTransparentConfig;
    StaticIpConfig *pStaticIpWindow = nullptr;
    // The controller's channels and timers, under the window's own names.
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
    // Mirrors of the links' answered flags, set from the controller.
    bool TcpConnectionSucceed;
    bool Tcp232ConnectionSucceed;
    bool Tcp485ConnectionSucceed;
    bool UsbConnectionSucceed;
    static constexpr int CONNECTION_TIMEOUT_MS = LinkController::CONNECTION_TIMEOUT_MS;
    static constexpr int SERVER_FULL_TIMEOUT_MS = LinkController::SERVER_FULL_TIMEOUT_MS;
    static constexpr int SEND_READING_DATA = LinkController::SEND_READING_DATA;
};
