// The main window: construction and wiring, the device commands of the menu,
// the model switch, the status bar and the network window, the send path, and
// the route slots of the four channels.

#include "telvorconfigurator.h"
#include "ui_telvorconfigurator.h"

#include "screenfit.h"
#include "staticipconfig.h"

#include <QDebug>
#include <QIcon>
#include <QMessageBox>
#include <QStatusBar>
#include <QTcpSocket>
#include <QTimer>

#include <iterator>

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
    new ScreenFitter(this, ui->scrollArea);

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
    setUpReceivePath();

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
    disconnectChannels();
    // A network window still open is top-level: it goes with the main window.
    delete pStaticIpWindow;
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
// Route channels, receive path and supervision
//
// The three TCP routes share one open and one close; the two data ports share
// their connected, disconnected, state, error, receive and time-out handling;
// all four routes share one receive path. The named slots call into these and
// keep visible what differs per route.
// ---------------------------------------------------------------------------

// Names of the platform's error values. Values outside the tables (a newer Qt,
// or the unknown error -1) get the generic name.
static QString socketErrorName(QAbstractSocket::SocketError err)
{
    const int index = int(err);
    if (index < 0 || index >= int(std::size(TelvorConfigurator::SocketErrString)))
        return QStringLiteral("UnknownSocketError");
    return TelvorConfigurator::SocketErrString[index];
}

static QString serialErrorName(QSerialPort::SerialPortError error)
{
    const int index = int(error);
    if (index < 0 || index >= int(std::size(TelvorConfigurator::SerialErrString)))
        return QStringLiteral("UnknownError");
    return TelvorConfigurator::SerialErrString[index];
}

static bool isDataPort(CommSettings::eRoute_t route)
{
    return route == CommSettings::TCP232 || route == CommSettings::TCP485;
}

void TelvorConfigurator::setUpReceivePath()
{
    for (int route = CommSettings::TCP; route < CommSettings::Max; ++route) {
        connect(&RouteFrames[route], &FrameAssembler::partialFrameDropped, this, [this, route] {
            reportReceiveFailure(CommSettings::eRoute_t(route), TransparentConfig::err_EndChr);
        });
    }
}

void TelvorConfigurator::disconnectChannels()
{
    // Deleting a connected socket reports its disconnect; the window is then
    // half destroyed and must no longer hear it.
    const QList<QObject *> sources = {pTcpSocket,     pTcp232Socket,     pTcp485Socket,     pSerial,
                                      pTimerTcpState, pTimerTcp232State, pTimerTcp485State, pTimerTcpReading,
                                      pTimerUsbState, pTimerServerFull};
    for (QObject *source : sources) {
        if (source)
            source->disconnect(this);
    }
}

QIODevice *TelvorConfigurator::routeChannel(CommSettings::eRoute_t route) const
{
    if (route == CommSettings::USB)
        return pSerial;
    return routeSocket(route);
}

QTimer *TelvorConfigurator::dataPortStateTimer(CommSettings::eRoute_t route) const
{
    Q_ASSERT(isDataPort(route));
    return route == CommSettings::TCP232 ? pTimerTcp232State : pTimerTcp485State;
}

bool &TelvorConfigurator::dataPortSucceed(CommSettings::eRoute_t route)
{
    Q_ASSERT(isDataPort(route));
    return route == CommSettings::TCP232 ? Tcp232ConnectionSucceed : Tcp485ConnectionSucceed;
}

// --- serial route -----------------------------------------------------------

void TelvorConfigurator::OpenComPort(const QSerialPortInfo &port)
{
    QString location = port.systemLocation();
    if (location.isEmpty())
        location = QStringLiteral("/dev/") + port.portName();
    openSerialPort(location);
}

void TelvorConfigurator::openSerialPort(const QString &systemLocation)
{
    if (ConnectionStatus > CommSettings::USB) {
        // A port still waiting for its first answer is opened anew.
        if (pSerial->isOpen())
            pSerial->close();
        RouteFrames[CommSettings::USB].clear();
        SerialFailureReported = false;
        pSerial->setPortName(systemLocation);
        pSerial->setBaudRate(QSerialPort::Baud115200, QSerialPort::AllDirections);
        pSerial->open(QIODevice::ReadWrite);
    }
    if (!pSerial->isOpen())
        return; // a failed open is reported through SerialErrorHandle
    CheckAndSendData(*pSerial,
                     TransparentConfig::AT_Command_Formatter(TrpCfgCmdTexts[TransparentConfig::eIdReadAll]));
    pTimerUsbState->start(CONNECTION_TIMEOUT_MS);
    UsbConnectionSucceed = true;
    newTransparentConfig.SetUSBSettings(true);
}

void TelvorConfigurator::CloseComPort()
{
    // Closing a port that is not open would itself raise an error.
    if (pSerial->isOpen())
        pSerial->close();
    RouteFrames[CommSettings::USB].clear();
    pTimerUsbState->stop();
    ConnectionStatus = CommSettings::Max;
    newTransparentConfig.setDisabled(true);
    newCommSetting.SetUiConnectionStatus(CommSettings::USB, false);
    ui->actionGET_INFO->setEnabled(false);
    ui->actionRESTART_DEVICE->setEnabled(false);
    SetStatusBarText(tr("Disconnected from USB"), 1000);
    setModelActions(true);
}

void TelvorConfigurator::SerialErrorHandle(QSerialPort::SerialPortError error)
{
    // A failing port (a pulled cable, a hung-up line) keeps reporting errors
    // while it is open: close it first, then tell the user once. Later errors
    // only name themselves on the status bar until the port is opened again.
    if (error != QSerialPort::NoError && !SerialFailureReported) {
        SerialFailureReported = true;
        const QString text = pSerial->errorString();
        if (pSerial->isOpen())
            CloseComPort();
        QMessageBox::critical(this, tr("Critical Error"), text, QMessageBox::Ok);
    }
    SetStatusBarText(serialErrorName(error), 1000);
}

void TelvorConfigurator::SerialReceived()
{
    qDebug() << "UsbConnectionSucceed:" << UsbConnectionSucceed;
    if (UsbConnectionSucceed && ConnectionStatus != CommSettings::USB) {
        // The first answer makes USB the active route; a connection of the
        // configuration service gives way to it.
        pTcpSocket->abort();
        pTimerUsbState->stop();
        ConnectionStatus = CommSettings::USB;
        SetStatusBarText(tr("Connected %1").arg(pSerial->portName()), 5000);
        newCommSetting.SetUiConnectionStatus(CommSettings::USB, true);
        newTransparentConfig.setEnabled(true);
        newTransparentConfig.SetUSBSettings(true);
        ui->actionGET_INFO->setEnabled(true);
        ui->actionRESTART_DEVICE->setEnabled(true);
        setModelActions(false);
    }
    receiveFrames(CommSettings::USB);
}

void TelvorConfigurator::TimerTimeoutUsbState()
{
    qDebug() << "Usb:false";
    SetStatusBarText(tr("Cannot connect over USB"), 1000);
    UsbConnectionSucceed = false;
    if (pSerial->isOpen())
        pSerial->close();
    RouteFrames[CommSettings::USB].clear();
    pTimerUsbState->stop();
}

// --- TCP routes: open and close -----------------------------------------------

void TelvorConfigurator::openTcpRoute(CommSettings::eRoute_t route, const QString &Ip, int Port)
{
    QTcpSocket *socket = routeSocket(route);
    qDebug() << QStringLiteral("ConnectionStatus:%1 pTcpSocket->state:%2")
                    .arg(int(ConnectionStatus))
                    .arg(int(socket->state()))
             << Ip << Port;
    if (ConnectionStatus != CommSettings::Max)
        return; // one route at a time
    if (socket->state() == QAbstractSocket::ConnectedState) {
        if (route == CommSettings::TCP)
            TcpConnected();
        else
            dataPortConnected(route);
        return;
    }
    socket->abort();
    RouteFrames[route].clear();
    socket->connectToHost(Ip, quint16(Port), QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
}

void TelvorConfigurator::closeTcpRoute(CommSettings::eRoute_t route)
{
    QTcpSocket *socket = routeSocket(route);
    socket->disconnectFromHost();
    socket->close();
}

void TelvorConfigurator::OpenTcpCommunication(const QString &Ip, int Port)
{
    openTcpRoute(CommSettings::TCP, Ip, Port);
}

void TelvorConfigurator::OpenTcp232Communication(const QString &Ip, int Port)
{
    openTcpRoute(CommSettings::TCP232, Ip, Port);
}

void TelvorConfigurator::OpenTcp485Communication(const QString &Ip, int Port)
{
    openTcpRoute(CommSettings::TCP485, Ip, Port);
}

void TelvorConfigurator::CloseTcpCommunication()
{
    closeTcpRoute(CommSettings::TCP);
}

void TelvorConfigurator::CloseTcp232Communication()
{
    closeTcpRoute(CommSettings::TCP232);
}

void TelvorConfigurator::CloseTcp485Communication()
{
    closeTcpRoute(CommSettings::TCP485);
}

// --- configuration-service route ------------------------------------------------

void TelvorConfigurator::TcpConnected()
{
    RouteFrames[CommSettings::TCP].clear();
    CheckAndSendData(*pTcpSocket,
                     TransparentConfig::AT_Command_Formatter(TrpCfgCmdTexts[TransparentConfig::eIdReadAll]));
    TcpConnectionSucceed = true;
    pTimerTcpState->start(CONNECTION_TIMEOUT_MS);
    newTransparentConfig.SetETHSettings(true);
    setModelActions(false);
}

void TelvorConfigurator::TcpDisconnected()
{
    RouteFrames[CommSettings::TCP].clear();
    // A closed socket waits for no answer; a late time-out would abort the
    // next connection attempt.
    pTimerTcpState->stop();
    setCommandActions(false);
    newTransparentConfig.setDisabled(true);
    SetStatusBarText(tr("Disconnected from TCP"), 1000);
    newCommSetting.SetUiConnectionStatus(CommSettings::TCP, false);
    ConnectionStatus = CommSettings::Max;
    setModelActions(true);
}

void TelvorConfigurator::TcpDataReceived()
{
    qDebug() << "TcpConnectionSucceed:" << TcpConnectionSucceed;
    if (TcpConnectionSucceed && ConnectionStatus != CommSettings::TCP) {
        // The first answer after the connect makes TCP the active route.
        pTimerTcpState->stop();
        ConnectionStatus = CommSettings::TCP;
        SetStatusBarText(tr("Tcp Connected"), 1000);
        setCommandActions(true);
        newCommSetting.SetUiConnectionStatus(CommSettings::TCP, true);
        newTransparentConfig.setEnabled(true);
        newTransparentConfig.SetETHSettings(true);
    }
    receiveFrames(CommSettings::TCP);
}

void TelvorConfigurator::TcpError(QAbstractSocket::SocketError err)
{
    showSocketError(CommSettings::TCP, err);
}

void TelvorConfigurator::TcpDataTransmitted(qint64 Bytes)
{
    qDebug() << Bytes << " Byte Data transmitted ";
}

void TelvorConfigurator::connectionLost()
{
    qDebug() << "Connection lost.";
}

void TelvorConfigurator::TimerTimeoutTcpState()
{
    qDebug() << " TCP false";
    pTcpSocket->abort();
    TcpConnectionSucceed = false;
    pTimerTcpState->stop();
}

void TelvorConfigurator::showSocketError(CommSettings::eRoute_t route, QAbstractSocket::SocketError err)
{
    // Only the configuration service names a network error as a closed server.
    if (route == CommSettings::TCP && err == QAbstractSocket::NetworkError)
        SetStatusBarText(tr("Connection closed by server."), 3000);
    else
        SetStatusBarText(socketErrorName(err), 3000);
}

// --- data-port routes -------------------------------------------------------------

void TelvorConfigurator::dataPortConnected(CommSettings::eRoute_t route)
{
    RouteFrames[route].clear();
    dataPortSucceed(route) = true;
    pTimerTcpReading->start(SEND_READING_DATA);
    dataPortStateTimer(route)->start(CONNECTION_TIMEOUT_MS);
    pTimerServerFull->start(SERVER_FULL_TIMEOUT_MS);
    if (ConnectionStatus == route)
        return;
    ConnectionStatus = route;
    SetStatusBarText(
        route == CommSettings::TCP232 ? tr("Tcp 232 Port Connected") : tr("Tcp 485 Port Connected"), 1000);
    setCommandActions(true);
    newCommSetting.SetUiConnectionStatus(route, true);
    newTransparentConfig.setEnabled(true);
    if (route == CommSettings::TCP232)
        newTransparentConfig.Set232Settings(true);
    else
        newTransparentConfig.Set485Settings(true);
    setModelActions(false);
}

void TelvorConfigurator::dataPortDisconnected(CommSettings::eRoute_t route)
{
    RouteFrames[route].clear();
    setCommandActions(false);
    newTransparentConfig.setDisabled(true);
    SetStatusBarText(route == CommSettings::TCP232 ? tr("Disconnected from TCP 232 Port")
                                                   : tr("Disconnected from TCP 485 Port"),
                     1000);
    newCommSetting.SetUiConnectionStatus(route, false);
    ConnectionStatus = CommSettings::Max;
    dataPortSucceed(route) = false;
    dataPortStateTimer(route)->stop();
    // The page keeps the RS-485 settings until the next route prepares it.
    if (route == CommSettings::TCP232)
        newTransparentConfig.Set232Settings(false);
    setModelActions(true);
}

void TelvorConfigurator::dataPortStateChanged(CommSettings::eRoute_t route,
                                              QAbstractSocket::SocketState state)
{
    if (state == QAbstractSocket::ConnectedState) {
        qDebug() << "Bağlantı başarılı.";
    } else if (state == QAbstractSocket::UnconnectedState && !dataPortSucceed(route)) {
        // Unconnected without ever having connected: the attempt failed. A
        // normal disconnect arrives here while the flag is still set.
        qDebug() << "Bağlantı başarısız.";
        newCommSetting.SetUiConnectionStatus(route, false);
        QMessageBox::warning(this, tr("Uyarı !"),
                             tr("Bağlantı Sağlanamadı. IP ve Port Adresinizi Kontrol Edin."),
                             QMessageBox::Ok);
    }
}

void TelvorConfigurator::dataPortReceived(CommSettings::eRoute_t route)
{
    // Any data counts as an answer.
    dataPortStateTimer(route)->stop();
    receiveFrames(route);
}

void TelvorConfigurator::dataPortSilent(CommSettings::eRoute_t route)
{
    qDebug() << (route == CommSettings::TCP232 ? " TCP 232 false" : " TCP 485 false");
    QMessageBox::warning(this, tr("Uyarı !"), tr("Cihazdan veri alınamadı !"), QMessageBox::Ok);
    dataPortStateTimer(route)->stop();
}

void TelvorConfigurator::closeOtherDataPort(CommSettings::eRoute_t closedRoute)
{
    // The device closes one data port on request over the other one.
    if (closedRoute == CommSettings::TCP232) {
        qDebug() << "232 Port Closed";
        CheckAndSendData(*pTcp485Socket, TransparentConfig::AT_Command_Formatter(
                                             TrpCfgCmdGSMTexts[TransparentConfig::eId232ComClose]));
        SetStatusBarText(tr("Tcp 232 Port Closed"), 1000);
    } else {
        qDebug() << "485 Port Closed";
        CheckAndSendData(*pTcp232Socket, TransparentConfig::AT_Command_Formatter(
                                             TrpCfgCmdGSMTexts[TransparentConfig::eId485ComClose]));
        SetStatusBarText(tr("Tcp 485 Port Closed"), 1000);
    }
}

void TelvorConfigurator::Tcp232Connected()
{
    dataPortConnected(CommSettings::TCP232);
}

void TelvorConfigurator::Tcp485Connected()
{
    dataPortConnected(CommSettings::TCP485);
}

void TelvorConfigurator::Tcp232Disconnected()
{
    dataPortDisconnected(CommSettings::TCP232);
}

void TelvorConfigurator::Tcp485Disconnected()
{
    dataPortDisconnected(CommSettings::TCP485);
}

void TelvorConfigurator::Tcp232StateChanged(QAbstractSocket::SocketState SocketState)
{
    dataPortStateChanged(CommSettings::TCP232, SocketState);
}

void TelvorConfigurator::Tcp485StateChanged(QAbstractSocket::SocketState SocketState)
{
    dataPortStateChanged(CommSettings::TCP485, SocketState);
}

void TelvorConfigurator::Tcp232Error(QAbstractSocket::SocketError err)
{
    showSocketError(CommSettings::TCP232, err);
}

void TelvorConfigurator::Tcp485Error(QAbstractSocket::SocketError err)
{
    showSocketError(CommSettings::TCP485, err);
}

void TelvorConfigurator::Tcp232DataReceived()
{
    dataPortReceived(CommSettings::TCP232);
}

void TelvorConfigurator::Tcp485DataReceived()
{
    dataPortReceived(CommSettings::TCP485);
}

void TelvorConfigurator::Tcp232DataTransmitted(qint64 Bytes)
{
    qDebug() << Bytes << " Byte Data transmitted ";
}

void TelvorConfigurator::Tcp485DataTransmitted(qint64 Bytes)
{
    qDebug() << Bytes << " Byte Data transmitted ";
}

void TelvorConfigurator::AbortTcp232Communication()
{
    closeOtherDataPort(CommSettings::TCP232);
}

void TelvorConfigurator::AbortTcp485Communication()
{
    closeOtherDataPort(CommSettings::TCP485);
}

void TelvorConfigurator::TimerTimeoutTcp232State()
{
    dataPortSilent(CommSettings::TCP232);
}

void TelvorConfigurator::TimerTimeoutTcp485State()
{
    dataPortSilent(CommSettings::TCP485);
}

void TelvorConfigurator::TimerTcpReading()
{
    // The record is asked for only if the data port is still the active route.
    if (isDataPort(ConnectionStatus)) {
        qDebug() << (ConnectionStatus == CommSettings::TCP485 ? "Data send from 485" : "Data send from 232");
        CheckAndSendData(
            *routeSocket(ConnectionStatus),
            TransparentConfig::AT_Command_Formatter(TrpCfgCmdGSMTexts[TransparentConfig::eIdGSMReadAll]));
    }
    pTimerTcpReading->stop();
}

void TelvorConfigurator::TimerServerFull()
{
    // A device whose data port is taken accepts the connection and closes it
    // at once; eight seconds on, the route tells which happened.
    if (ConnectionStatus == CommSettings::Max)
        SetStatusBarText(tr("Server can have connection Check server"), 1000);
    else
        SetStatusBarText(tr("Connected Succesfully"), 1000);
    pTimerServerFull->stop();
}

// --- receive path -------------------------------------------------------------------

void TelvorConfigurator::receiveFrames(CommSettings::eRoute_t route)
{
    QIODevice *channel = routeChannel(route);
    const QByteArray bytes = channel->readAll();
    if (isDataPort(route))
        qDebug() << bytes;
    const QList<Framing::Piece> pieces = RouteFrames[route].append(bytes);
    for (const Framing::Piece &piece : pieces) {
        // A reply may close the channel (a restart acknowledgement does): what
        // came with it goes with the channel.
        if (!channel->isOpen())
            break;
        if (piece.kind == Framing::Piece::Dropped) {
            reportReceiveFailure(route, TransparentConfig::err_EndChr);
            continue;
        }
        QByteArray frame = piece.bytes;
        const TransparentConfig::TrpErr_t result =
            newTransparentConfig.Receive_Callback(frame, pStaticIpWindow);
        if (result != TransparentConfig::err_OK)
            reportReceiveFailure(route, result);
    }
}

void TelvorConfigurator::reportReceiveFailure(CommSettings::eRoute_t route,
                                              TransparentConfig::TrpErr_t result)
{
    Q_ASSERT(result > TransparentConfig::err_OK && result < TransparentConfig::err_Max);
    const QString &name = TransparentConfig::TrpErrString[result];
    switch (route) {
    case CommSettings::TCP:
        SetStatusBarText(tr("TCPDataReceived Error :%1").arg(name), 3000);
        break;
    case CommSettings::TCP232:
        SetStatusBarText(tr("TCP232DataReceived Error :%1").arg(name), 3000);
        break;
    case CommSettings::TCP485:
        SetStatusBarText(tr("TCP485DataReceived Error :%1").arg(name), 3000);
        break;
    case CommSettings::USB:
        SetStatusBarText(tr("SerialReceived Error : %1").arg(name), 1000);
        break;
    default:
        break;
    }
}
