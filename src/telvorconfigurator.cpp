// The main window: construction and wiring, the device commands of the menu,
// the model switch, the status bar and the network window, the send path, and
// the route slots of the four channels.

#include "telvorconfigurator.h"
#include "ui_telvorconfigurator.h"

#include "staticipconfig.h"

#include <QDebug>
#include <QIcon>
#include <QStatusBar>
#include <QTcpSocket>
#include <QTimer>

const QString TelvorConfigurator::SocketErrString[24] = {
    QStringLiteral("ConnectionRefusedError"),
    QStringLiteral("RemoteHostClosedError"),
    QStringLiteral("HostNotFoundError"),
    QStringLiteral("SocketAccessError"),
    QStringLiteral("SocketResourceError"),
    QStringLiteral("SocketTimeoutError"),
    QStringLiteral("DatagramTooLargeError"),
    QStringLiteral("NetworkError"),
    QStringLiteral("AddressInUseError"),
    QStringLiteral("SocketAddressNotAvailableError"),
    QStringLiteral("UnsupportedSocketOperationError"),
    QStringLiteral("UnfinishedSocketOperationError"),
    QStringLiteral("ProxyAuthenticationRequiredError"),
    QStringLiteral("SslHandshakeFailedError"),
    QStringLiteral("ProxyConnectionRefusedError"),
    QStringLiteral("ProxyConnectionClosedError"),
    QStringLiteral("ProxyConnectionTimeoutError"),
    QStringLiteral("ProxyNotFoundError"),
    QStringLiteral("ProxyProtocolError"),
    QStringLiteral("OperationError"),
    QStringLiteral("SslInternalError"),
    QStringLiteral("SslInvalidUserDataError"),
    QStringLiteral("TemporaryError"),
    QStringLiteral("UnknownSocketError"),
};

const QString TelvorConfigurator::SerialErrString[14] = {
    QStringLiteral("NoError"),
    QStringLiteral("DeviceNotFoundError"),
    QStringLiteral("PermissionError"),
    QStringLiteral("OpenError"),
    QStringLiteral("ParityError"),
    QStringLiteral("FramingError"),
    QStringLiteral("BreakConditionError"),
    QStringLiteral("WriteError"),
    QStringLiteral("ReadError"),
    QStringLiteral("ResourceError"),
    QStringLiteral("UnsupportedOperationError"),
    QStringLiteral("UnknownError"),
    QStringLiteral("TimeoutError"),
    QStringLiteral("NotOpenError"),
};

static const QString kCheckIcon = QStringLiteral(":/Button/Icons/apply.png");

TelvorConfigurator::TelvorConfigurator(QWidget *parent, int DeviceChoice)
    : QMainWindow(parent), ui(new Ui::TelvorConfigurator), newCommSetting(nullptr), ConnectionStatus(CommSettings::Max),
      newTransparentConfig(nullptr), pStaticIpWindow(nullptr), TcpConnectionSucceed(true),
      Tcp232ConnectionSucceed(false), Tcp485ConnectionSucceed(false), UsbConnectionSucceed(true)
{
    ui->setupUi(this);

    // Channels and timers have no Qt parent: the destructor deletes them in a
    // fixed order. No timer is single-shot: each slot stops its own timer.
    pTcpSocket = new QTcpSocket();
    pTcp232Socket = new QTcpSocket();
    pTcp485Socket = new QTcpSocket();
    pSerial = new QSerialPort();
    pTimerTcpState = new QTimer();
    pTimerTcp232State = new QTimer();
    pTimerTcp485State = new QTimer();
    pTimerTcpReading = new QTimer();
    pTimerUsbState = new QTimer();
    pTimerServerFull = new QTimer();

    ui->Layout->addWidget(&newTransparentConfig);
    ui->SettingLayout->addWidget(&newCommSetting);

    connect(pTcpSocket, &QTcpSocket::connected, this, &TelvorConfigurator::TcpConnected);
    connect(pTcpSocket, &QTcpSocket::disconnected, this, &TelvorConfigurator::TcpDisconnected);
    connect(pTcpSocket, &QTcpSocket::readyRead, this, &TelvorConfigurator::TcpDataReceived);
    connect(pTcpSocket, &QTcpSocket::bytesWritten, this, &TelvorConfigurator::TcpDataTransmitted);
    connect(pTcpSocket, SIGNAL(error(QAbstractSocket::SocketError)), this,
            SLOT(TcpError(QAbstractSocket::SocketError)));
    connect(pTcpSocket, &QTcpSocket::aboutToClose, this, &TelvorConfigurator::connectionLost);

    connect(pTcp232Socket, &QTcpSocket::connected, this, &TelvorConfigurator::Tcp232Connected);
    connect(pTcp232Socket, &QTcpSocket::disconnected, this, &TelvorConfigurator::Tcp232Disconnected);
    connect(pTcp232Socket, &QTcpSocket::readyRead, this, &TelvorConfigurator::Tcp232DataReceived);
    connect(pTcp232Socket, &QTcpSocket::bytesWritten, this, &TelvorConfigurator::Tcp232DataTransmitted);
    connect(pTcp232Socket, &QTcpSocket::stateChanged, this, &TelvorConfigurator::Tcp232StateChanged);
    connect(pTcp232Socket, SIGNAL(error(QAbstractSocket::SocketError)), this,
            SLOT(Tcp232Error(QAbstractSocket::SocketError)));

    connect(pTcp485Socket, &QTcpSocket::connected, this, &TelvorConfigurator::Tcp485Connected);
    connect(pTcp485Socket, &QTcpSocket::disconnected, this, &TelvorConfigurator::Tcp485Disconnected);
    connect(pTcp485Socket, &QTcpSocket::readyRead, this, &TelvorConfigurator::Tcp485DataReceived);
    connect(pTcp485Socket, &QTcpSocket::bytesWritten, this, &TelvorConfigurator::Tcp485DataTransmitted);
    connect(pTcp485Socket, &QTcpSocket::stateChanged, this, &TelvorConfigurator::Tcp485StateChanged);
    connect(pTcp485Socket, SIGNAL(error(QAbstractSocket::SocketError)), this,
            SLOT(Tcp485Error(QAbstractSocket::SocketError)));

    connect(pSerial, &QSerialPort::readyRead, this, &TelvorConfigurator::SerialReceived);
    connect(pSerial, &QSerialPort::errorOccurred, this, &TelvorConfigurator::SerialErrorHandle);

    connect(pTimerUsbState, &QTimer::timeout, this, &TelvorConfigurator::TimerTimeoutUsbState);
    connect(pTimerTcpState, &QTimer::timeout, this, &TelvorConfigurator::TimerTimeoutTcpState);
    connect(pTimerTcp232State, &QTimer::timeout, this, &TelvorConfigurator::TimerTimeoutTcp232State);
    connect(pTimerTcp485State, &QTimer::timeout, this, &TelvorConfigurator::TimerTimeoutTcp485State);
    connect(pTimerTcpReading, &QTimer::timeout, this, &TelvorConfigurator::TimerTcpReading);
    connect(pTimerServerFull, &QTimer::timeout, this, &TelvorConfigurator::TimerServerFull);

    connect(&newTransparentConfig, &TransparentConfig::OpenStaticIpWindow, this,
            &TelvorConfigurator::OpenStaticIpConfigScreen);
    connect(&newTransparentConfig, &TransparentConfig::WriteData, this, &TelvorConfigurator::Transmit_Callback);
    connect(&newTransparentConfig, &TransparentConfig::WriteStatusBar, this, &TelvorConfigurator::SetStatusBarText);
    connect(&newTransparentConfig, &TransparentConfig::SetCurrentIpAddr, this,
            &TelvorConfigurator::SetCurrentIpAddr);
    connect(&newTransparentConfig, &TransparentConfig::DisconnectTcp, this,
            &TelvorConfigurator::CloseTcpCommunication);

    connect(&newCommSetting, &CommSettings::ConnectComPort, this, &TelvorConfigurator::OpenComPort);
    connect(&newCommSetting, &CommSettings::DisconnectComPort, this, &TelvorConfigurator::CloseComPort);
    connect(&newCommSetting, &CommSettings::ConnectTcp, this, &TelvorConfigurator::OpenTcpCommunication);
    connect(&newCommSetting, &CommSettings::DisconnectTcp, this, &TelvorConfigurator::CloseTcpCommunication);
    connect(&newCommSetting, &CommSettings::ConnectTcp232, this, &TelvorConfigurator::OpenTcp232Communication);
    connect(&newCommSetting, &CommSettings::DisconnectTcp232, this, &TelvorConfigurator::CloseTcp232Communication);
    connect(&newCommSetting, &CommSettings::ConnectTcp485, this, &TelvorConfigurator::OpenTcp485Communication);
    connect(&newCommSetting, &CommSettings::DisconnectTcp485, this, &TelvorConfigurator::CloseTcp485Communication);
    connect(&newCommSetting, &CommSettings::AbortTcp232, this, &TelvorConfigurator::AbortTcp232Communication);
    connect(&newCommSetting, &CommSettings::AbortTcp485, this, &TelvorConfigurator::AbortTcp485Communication);
    connect(&newCommSetting, &CommSettings::WriteData, this, &TelvorConfigurator::Transmit_Callback);

    connect(ui->actionRESTART_DEVICE, &QAction::triggered, this, &TelvorConfigurator::RestartDevice_Triggered);
    connect(ui->actionGET_INFO, &QAction::triggered, this, &TelvorConfigurator::GetInfo_Triggered);
    connect(ui->actionPING, &QAction::triggered, this, &TelvorConfigurator::Ping_Triggered);
    connect(ui->actionEthernet_Modem, &QAction::triggered, this, &TelvorConfigurator::EthernetModem_Triggered);
    connect(ui->actionGSM_Modem, &QAction::triggered, this, &TelvorConfigurator::GSMModem_Triggered);

    if (DeviceChoice == 1) {
        newCommSetting.SetUiSelectedDeviceStatus(1);
        ui->actionEthernet_Modem->setIcon(QIcon(kCheckIcon));
    } else if (DeviceChoice == 2) {
        newCommSetting.SetUiSelectedDeviceStatus(2);
        ui->actionGSM_Modem->setIcon(QIcon(kCheckIcon));
    }
}

TelvorConfigurator::~TelvorConfigurator()
{
    delete ui;
    delete pTcpSocket;
    delete pTcp232Socket;
    delete pTcp485Socket;
    delete pSerial;
    delete pTimerTcpState;
    delete pTimerUsbState;
    delete pTimerTcp232State;
    delete pTimerTcp485State;
    delete pTimerTcpReading;
    delete pTimerServerFull;
}

void TelvorConfigurator::EthernetModem_Triggered()
{
    newCommSetting.SetUiSelectedDeviceStatus(1);
    ui->actionEthernet_Modem->setIcon(QIcon(kCheckIcon));
    ui->actionGSM_Modem->setIcon(QIcon());
}

void TelvorConfigurator::GSMModem_Triggered()
{
    newCommSetting.SetUiSelectedDeviceStatus(2);
    ui->actionGSM_Modem->setIcon(QIcon(kCheckIcon));
    ui->actionEthernet_Modem->setIcon(QIcon());
}

QTcpSocket *TelvorConfigurator::routeSocket(CommSettings::eRoute_t route) const
{
    switch (route) {
    case CommSettings::TCP:
        return pTcpSocket;
    case CommSettings::TCP232:
        return pTcp232Socket;
    case CommSettings::TCP485:
        return pTcp485Socket;
    default:
        return nullptr;
    }
}

void TelvorConfigurator::sendDeviceCommand(TransparentConfig::eTrpCfgCmdTableID_t ethernetId,
                                           TransparentConfig::eTrpCfgCmdGSMTableID_t gsmId, bool sendOnSerial)
{
    // The data ports speak the GSM command set, the configuration service and
    // USB the Ethernet one. Without a TCP route the command goes to the serial
    // port, open or not, so that the send path reports it.
    const bool dataPort = ConnectionStatus == CommSettings::TCP232 || ConnectionStatus == CommSettings::TCP485;
    const QByteArray &frame =
        TransparentConfig::AT_Command_Formatter(dataPort ? TrpCfgCmdGSMTexts[gsmId] : TrpCfgCmdTexts[ethernetId]);
    if (QTcpSocket *socket = routeSocket(ConnectionStatus))
        CheckAndSendData(*socket, frame);
    else if (sendOnSerial)
        CheckAndSendData(*pSerial, frame);
}

void TelvorConfigurator::RestartDevice_Triggered()
{
    sendDeviceCommand(TransparentConfig::eIdDeviceRestart, TransparentConfig::eIdGSMDeviceRestart, true);
}

void TelvorConfigurator::GetInfo_Triggered()
{
    sendDeviceCommand(TransparentConfig::eIdDeviceInfo, TransparentConfig::eIdGSMDeviceInfo, true);
}

void TelvorConfigurator::Ping_Triggered()
{
    // The ping command has no meaning on the USB route: nothing is sent there.
    sendDeviceCommand(TransparentConfig::eIdDevicePing, TransparentConfig::eIdGSMDevicePing, false);
}

void TelvorConfigurator::SetStatusBarText(const QString &tstErrMsg, int Timeout)
{
    ui->statusbar->showMessage(tstErrMsg, Timeout);
}

void TelvorConfigurator::SetCurrentIpAddr(const QByteArray &qbaBuffer)
{
    newCommSetting.SetCurrentIp(qbaBuffer);
}

void TelvorConfigurator::OpenStaticIpConfigScreen()
{
    if (pStaticIpWindow != nullptr)
        return;
    Q_ASSERT_X(ConnectionStatus < CommSettings::eRoute_t::Max, "OpenStaticIpConfigScreen",
               "ConnectionStatus < CommSettings::eRoute_t::Max");

    const QByteArray &frame =
        TransparentConfig::AT_Command_Formatter(TrpCfgCmdTexts[TransparentConfig::eIdReadNetworkCfg]);
    if (ConnectionStatus == CommSettings::TCP)
        CheckAndSendData(*pTcpSocket, frame);
    else
        CheckAndSendData(*pSerial, frame);

    auto *window = new StaticIpConfig(ConnectionStatus, nullptr);
    connect(window, &StaticIpConfig::Close_StaticIpConfigWindow, this,
            &TelvorConfigurator::Close_StaticIpConfigWindow);
    window->show();
    connect(window, &StaticIpConfig::WriteData, this, &TelvorConfigurator::Transmit_Callback);
    pStaticIpWindow = window;
}

void TelvorConfigurator::Close_StaticIpConfigWindow()
{
    // The window signals from inside its own close handling: delete it only
    // once that handling has returned.
    if (auto *window = qobject_cast<StaticIpConfig *>(sender()))
        window->deleteLater();
    pStaticIpWindow = nullptr;
}

void TelvorConfigurator::Transmit_Callback(const QByteArray &qbaBuffer)
{
    qDebug() << "Sta:" << ConnectionStatus << "Transmit_Callback: " << qbaBuffer;
    if (QTcpSocket *socket = routeSocket(ConnectionStatus))
        CheckAndSendData(*socket, qbaBuffer);
    else if (ConnectionStatus == CommSettings::USB)
        CheckAndSendData(*pSerial, qbaBuffer);
    else
        SetStatusBarText(tr("Önce bağlantı sağlayın !! "));
}

void TelvorConfigurator::CheckAndSendData(QTcpSocket &rSocket, const QByteArray &rArr)
{
    if (!rSocket.isOpen() || rSocket.write(rArr) == -1)
        SetStatusBarText(tr("Cannot write via TCP"));
}

void TelvorConfigurator::CheckAndSendData(QSerialPort &rSerial, const QByteArray &rArr)
{
    if (!rSerial.isOpen()) {
        SetStatusBarText(tr("Cannot write via USB"));
        return;
    }
    const qint64 written = rSerial.write(rArr);
    qDebug() << "Write status:" << written;
    if (written == -1)
        SetStatusBarText(tr("Cannot write via USB"));
}

void TelvorConfigurator::setCommandActions(bool enabled)
{
    ui->actionRESTART_DEVICE->setEnabled(enabled);
    ui->actionGET_INFO->setEnabled(enabled);
    ui->actionPING->setEnabled(enabled);
}

void TelvorConfigurator::setModelActions(bool enabled)
{
    ui->actionEthernet_Modem->setEnabled(enabled);
    ui->actionGSM_Modem->setEnabled(enabled);
}

// ---------------------------------------------------------------------------
// Route channels, receive path and supervision: built with the device link.
// ---------------------------------------------------------------------------

void TelvorConfigurator::openSerialPort(const QString &) {}
void TelvorConfigurator::OpenComPort(const QSerialPortInfo &) {}
void TelvorConfigurator::CloseComPort() {}
void TelvorConfigurator::OpenTcpCommunication(const QString &, int) {}
void TelvorConfigurator::CloseTcpCommunication() {}
void TelvorConfigurator::OpenTcp232Communication(const QString &, int) {}
void TelvorConfigurator::CloseTcp232Communication() {}
void TelvorConfigurator::OpenTcp485Communication(const QString &, int) {}
void TelvorConfigurator::CloseTcp485Communication() {}
void TelvorConfigurator::AbortTcp232Communication() {}
void TelvorConfigurator::AbortTcp485Communication() {}
void TelvorConfigurator::TcpConnected() {}
void TelvorConfigurator::TcpDisconnected() {}
void TelvorConfigurator::TcpDataReceived() {}
void TelvorConfigurator::TcpDataTransmitted(qint64) {}
void TelvorConfigurator::TcpError(QAbstractSocket::SocketError) {}
void TelvorConfigurator::connectionLost() {}
void TelvorConfigurator::Tcp232Connected() {}
void TelvorConfigurator::Tcp232Disconnected() {}
void TelvorConfigurator::Tcp232DataReceived() {}
void TelvorConfigurator::Tcp232DataTransmitted(qint64) {}
void TelvorConfigurator::Tcp232Error(QAbstractSocket::SocketError) {}
void TelvorConfigurator::Tcp232StateChanged(QAbstractSocket::SocketState) {}
void TelvorConfigurator::Tcp485Connected() {}
void TelvorConfigurator::Tcp485Disconnected() {}
void TelvorConfigurator::Tcp485DataReceived() {}
void TelvorConfigurator::Tcp485DataTransmitted(qint64) {}
void TelvorConfigurator::Tcp485Error(QAbstractSocket::SocketError) {}
void TelvorConfigurator::Tcp485StateChanged(QAbstractSocket::SocketState) {}
void TelvorConfigurator::SerialReceived() {}
void TelvorConfigurator::SerialErrorHandle(QSerialPort::SerialPortError) {}
void TelvorConfigurator::TimerTimeoutUsbState() {}
void TelvorConfigurator::TimerTimeoutTcpState() {}
void TelvorConfigurator::TimerTimeoutTcp232State() {}
void TelvorConfigurator::TimerTimeoutTcp485State() {}
void TelvorConfigurator::TimerTcpReading() {}
void TelvorConfigurator::TimerServerFull() {}
