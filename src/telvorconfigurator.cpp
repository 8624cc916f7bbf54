// The main window: construction and wiring, the device commands of the menu,
// the model switch, the status bar and the network window, and the route
// slots, each a one-line call into the connection controller.

#include "telvorconfigurator.h"
#include "ui_telvorconfigurator.h"

#include "logging.h"
#include "screenfit.h"
#include "staticipconfig.h"
#include "ui/accessiblecombobox.h"
#include "ui/wheelguard.h"
#include "ui/windowplacement.h"

#include <QIcon>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>

const QString (&TelvorConfigurator::SocketErrString)[24] = LinkController::SocketErrorNames;
const QString (&TelvorConfigurator::SerialErrString)[14] = LinkController::SerialErrorNames;

static const QString kCheckIcon = QStringLiteral(":/Button/Icons/apply.png");

TelvorConfigurator::TelvorConfigurator(QWidget *parent, int DeviceChoice)
    : QMainWindow(parent), ui(new Ui::TelvorConfigurator), newCommSetting(nullptr), ConnectionStatus(CommSettings::Max),
      newTransparentConfig(nullptr), pStaticIpWindow(nullptr), TcpConnectionSucceed(true),
      Tcp232ConnectionSucceed(false), Tcp485ConnectionSucceed(false), UsbConnectionSucceed(true)
{
    AccessibleComboBox::install();
    ui->setupUi(this);
    new ScreenFitter(this, ui->scrollArea);

    pTcpSocket = Links.link(CommSettings::TCP).socket();
    pTcp232Socket = Links.link(CommSettings::TCP232).socket();
    pTcp485Socket = Links.link(CommSettings::TCP485).socket();
    pSerial = Links.link(CommSettings::USB).serial();
    pTimerTcpState = Links.link(CommSettings::TCP).answerTimer();
    pTimerTcp232State = Links.link(CommSettings::TCP232).answerTimer();
    pTimerTcp485State = Links.link(CommSettings::TCP485).answerTimer();
    pTimerUsbState = Links.link(CommSettings::USB).answerTimer();
    pTimerTcpReading = Links.readingTimer();
    pTimerServerFull = Links.serverFullTimer();

    ui->Layout->addWidget(&newTransparentConfig);
    ui->SettingLayout->addWidget(&newCommSetting);
    WheelGuard::install(this);
    connectSignals();

    // The start window's index: 0 chooses no model and leaves the panel as built.
    selectDeviceModel(eDeviceModel_t(DeviceChoice));
}

void TelvorConfigurator::connectSignals()
{
    Links.setFrameHandler([this](RouteId, QByteArray &frame) { return applyFrame(frame); });
    connect(&Links, &LinkController::routeOpened, this, &TelvorConfigurator::onRouteOpened);
    connect(&Links, &LinkController::routeUp, this, &TelvorConfigurator::onRouteUp);
    connect(&Links, &LinkController::routeDown, this, &TelvorConfigurator::onRouteDown);
    connect(&Links, &LinkController::answeredChanged, this, &TelvorConfigurator::onAnsweredChanged);
    connect(&Links, &LinkController::statusText, this, &TelvorConfigurator::SetStatusBarText);
    connect(&Links, &LinkController::actionStates, this, &TelvorConfigurator::applyActions);
    connect(&Links, &LinkController::dataPortFailed, this, &TelvorConfigurator::onDataPortFailed);
    connect(&Links, &LinkController::dataPortSilent, this, &TelvorConfigurator::onDataPortSilent);
    connect(&Links, &LinkController::serialFailed, this, &TelvorConfigurator::onSerialFailed);

    connect(&newTransparentConfig, &TransparentConfig::OpenStaticIpWindow, this,
            &TelvorConfigurator::OpenStaticIpConfigScreen);
    connect(&newTransparentConfig, &TransparentConfig::WriteData, this, &TelvorConfigurator::sendRequest);
    connect(&newTransparentConfig, &TransparentConfig::WriteStatusBar, this, &TelvorConfigurator::SetStatusBarText);
    connect(&newTransparentConfig, &TransparentConfig::WriteAnswered, &Links, &LinkController::writeAnswered);
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
    connect(&newCommSetting, &CommSettings::WriteStatusBar, this, &TelvorConfigurator::SetStatusBarText);

    connect(ui->actionRESTART_DEVICE, &QAction::triggered, this, &TelvorConfigurator::RestartDevice_Triggered);
    connect(ui->actionGET_INFO, &QAction::triggered, this, &TelvorConfigurator::GetInfo_Triggered);
    connect(ui->actionPING, &QAction::triggered, this, &TelvorConfigurator::Ping_Triggered);
    connect(ui->actionEthernet_Modem, &QAction::triggered, this, &TelvorConfigurator::EthernetModem_Triggered);
    connect(ui->actionGSM_Modem, &QAction::triggered, this, &TelvorConfigurator::GSMModem_Triggered);
}

TelvorConfigurator::~TelvorConfigurator()
{
    // The window is half destroyed: nothing the links still report may reach it.
    Links.disconnect(this);
    Links.setFrameHandler(nullptr);
    // A network window still open is top-level: it goes with the main window.
    delete pStaticIpWindow;
    delete ui;
}

// --- route events applied to the views -------------------------------------------

void TelvorConfigurator::onRouteOpened(RouteId route)
{
    newTransparentConfig.SetRouteSettings(route, true);
}

void TelvorConfigurator::onRouteUp(RouteId route)
{
    ConnectionStatus = route;
    newCommSetting.SetUiConnectionStatus(route, true);
    newTransparentConfig.setEnabled(true);
    newTransparentConfig.SetRouteSettings(route, true);
}

void TelvorConfigurator::onRouteDown(RouteId route)
{
    ConnectionStatus = CommSettings::Max;
    newTransparentConfig.setDisabled(true);
    if (routeProfile(route).resetsPageWhenDown)
        newTransparentConfig.SetRouteSettings(route, false);
    if (pStaticIpWindow && pStaticIpWindow->route() == route)
        pStaticIpWindow->routeEnded();
    newCommSetting.SetUiConnectionStatus(route, false);
}

void TelvorConfigurator::onAnsweredChanged(RouteId route, bool answered)
{
    bool *const flags[CommSettings::Max] = {&TcpConnectionSucceed, &UsbConnectionSucceed, &Tcp232ConnectionSucceed,
                                            &Tcp485ConnectionSucceed};
    *flags[route] = answered;
}

void TelvorConfigurator::onDataPortFailed(RouteId route)
{
    newCommSetting.SetUiConnectionStatus(route, false);
    QMessageBox::warning(this, tr("Uyarı !"), tr("Bağlantı Sağlanamadı. IP ve Port Adresinizi Kontrol Edin."),
                         QMessageBox::Ok);
}

void TelvorConfigurator::onDataPortSilent()
{
    QMessageBox::warning(this, tr("Uyarı !"), tr("Cihazdan veri alınamadı !"), QMessageBox::Ok);
}

void TelvorConfigurator::onSerialFailed(const QString &description)
{
    QMessageBox::critical(this, tr("Critical Error"), description, QMessageBox::Ok);
}

DeviceProtocol::TrpErr_t TelvorConfigurator::applyFrame(QByteArray &frame)
{
    return newTransparentConfig.Receive_Callback(frame, pStaticIpWindow);
}

void TelvorConfigurator::applyActions(const ActionStates &states)
{
    const auto apply = [](QAction *action, Switch state) {
        if (state != Switch::Keep)
            action->setEnabled(state == Switch::On);
    };
    apply(ui->actionRESTART_DEVICE, states.commands);
    apply(ui->actionGET_INFO, states.commands);
    apply(ui->actionPING, states.ping);
    apply(ui->actionEthernet_Modem, states.models);
    apply(ui->actionGSM_Modem, states.models);
}

// --- device model, device commands, status bar, network window ----------------

void TelvorConfigurator::selectDeviceModel(eDeviceModel_t model)
{
    if (model != eEthernetModem && model != eGsmModem)
        return;
    newCommSetting.SetUiSelectedDeviceStatus(model);
    ui->actionEthernet_Modem->setIcon(model == eEthernetModem ? QIcon(kCheckIcon) : QIcon());
    ui->actionGSM_Modem->setIcon(model == eGsmModem ? QIcon(kCheckIcon) : QIcon());
}

void TelvorConfigurator::EthernetModem_Triggered()
{
    selectDeviceModel(eEthernetModem);
}

void TelvorConfigurator::GSMModem_Triggered()
{
    selectDeviceModel(eGsmModem);
}

void TelvorConfigurator::RestartDevice_Triggered()
{
    Links.sendCommand(CommandSet::Command::Restart, true);
}

void TelvorConfigurator::GetInfo_Triggered()
{
    Links.sendCommand(CommandSet::Command::DeviceInfo, true);
}

void TelvorConfigurator::Ping_Triggered()
{
    // The ping command has no meaning on the USB route: nothing is sent there.
    Links.sendCommand(CommandSet::Command::Ping, false);
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
    Links.requestNetworkRecord();

    auto *window = new StaticIpConfig(ConnectionStatus, nullptr);
    connect(window, &StaticIpConfig::Close_StaticIpConfigWindow, this,
            &TelvorConfigurator::Close_StaticIpConfigWindow);
    WindowPlacement::placeOver(window, this);
    window->show();
    connect(window, &StaticIpConfig::WriteData, this, &TelvorConfigurator::sendRequest);
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

// --- send path ------------------------------------------------------------------

void TelvorConfigurator::Transmit_Callback(const QByteArray &qbaBuffer)
{
    sendRequest(qbaBuffer, RequestBuilder::Purpose::Other);
}

void TelvorConfigurator::sendRequest(const QByteArray &frame, RequestBuilder::Purpose purpose)
{
    Links.send({frame, purpose});
}

// --- route slots ------------------------------------------------------------------

void TelvorConfigurator::OpenComPort(const QSerialPortInfo &port)
{
    QString location = port.systemLocation();
    if (location.isEmpty()) {
        // The machine does not list the port (it went away after the listing,
        // or the list came from another source): the info is empty, and the
        // port the panel has chosen is opened by its name. A name that is a
        // path stands for itself; any other is looked for under /dev.
        QString name = port.portName();
        if (name.isEmpty())
            name = newCommSetting.SelectedPortName();
        location = name.startsWith(QLatin1Char('/')) ? name : QStringLiteral("/dev/") + name;
    }
    openSerialPort(location);
}

void TelvorConfigurator::openSerialPort(const QString &systemLocation)
{
    Links.openSerial(systemLocation);
}

void TelvorConfigurator::CloseComPort()
{
    Links.closeSerial();
}

void TelvorConfigurator::SerialErrorHandle(QSerialPort::SerialPortError error)
{
    Links.serialError(error);
}

void TelvorConfigurator::SerialReceived()
{
    Links.dataArrived(CommSettings::USB);
}

void TelvorConfigurator::TimerTimeoutUsbState()
{
    Links.answerTimeout(CommSettings::USB);
}

void TelvorConfigurator::OpenTcpCommunication(const QString &Ip, int Port)
{
    Links.openTcp(CommSettings::TCP, Ip, Port);
}

void TelvorConfigurator::OpenTcp232Communication(const QString &Ip, int Port)
{
    Links.openTcp(CommSettings::TCP232, Ip, Port);
}

void TelvorConfigurator::OpenTcp485Communication(const QString &Ip, int Port)
{
    Links.openTcp(CommSettings::TCP485, Ip, Port);
}

void TelvorConfigurator::CloseTcpCommunication()
{
    Links.closeTcp(CommSettings::TCP);
}

void TelvorConfigurator::CloseTcp232Communication()
{
    Links.closeTcp(CommSettings::TCP232);
}

void TelvorConfigurator::CloseTcp485Communication()
{
    Links.closeTcp(CommSettings::TCP485);
}

void TelvorConfigurator::AbortTcp232Communication()
{
    Links.closeOtherDataPort(CommSettings::TCP232);
}

void TelvorConfigurator::AbortTcp485Communication()
{
    Links.closeOtherDataPort(CommSettings::TCP485);
}

void TelvorConfigurator::TcpConnected()
{
    Links.channelOpened(CommSettings::TCP);
}

void TelvorConfigurator::Tcp232Connected()
{
    Links.channelOpened(CommSettings::TCP232);
}

void TelvorConfigurator::Tcp485Connected()
{
    Links.channelOpened(CommSettings::TCP485);
}

void TelvorConfigurator::TcpDisconnected()
{
    Links.channelClosed(CommSettings::TCP);
}

void TelvorConfigurator::Tcp232Disconnected()
{
    Links.channelClosed(CommSettings::TCP232);
}

void TelvorConfigurator::Tcp485Disconnected()
{
    Links.channelClosed(CommSettings::TCP485);
}

void TelvorConfigurator::TcpDataReceived()
{
    Links.dataArrived(CommSettings::TCP);
}

void TelvorConfigurator::Tcp232DataReceived()
{
    Links.dataArrived(CommSettings::TCP232);
}

void TelvorConfigurator::Tcp485DataReceived()
{
    Links.dataArrived(CommSettings::TCP485);
}

void TelvorConfigurator::TcpError(QAbstractSocket::SocketError err)
{
    Links.socketError(CommSettings::TCP, err);
}

void TelvorConfigurator::Tcp232Error(QAbstractSocket::SocketError err)
{
    Links.socketError(CommSettings::TCP232, err);
}

void TelvorConfigurator::Tcp485Error(QAbstractSocket::SocketError err)
{
    Links.socketError(CommSettings::TCP485, err);
}

void TelvorConfigurator::Tcp232StateChanged(QAbstractSocket::SocketState SocketState)
{
    Links.socketStateChanged(CommSettings::TCP232, SocketState);
}

void TelvorConfigurator::Tcp485StateChanged(QAbstractSocket::SocketState SocketState)
{
    Links.socketStateChanged(CommSettings::TCP485, SocketState);
}

void TelvorConfigurator::TcpDataTransmitted(qint64 Bytes)
{
    qCDebug(lcRoute) << Bytes << " Byte Data transmitted ";
}

void TelvorConfigurator::Tcp232DataTransmitted(qint64 Bytes)
{
    TcpDataTransmitted(Bytes);
}

void TelvorConfigurator::Tcp485DataTransmitted(qint64 Bytes)
{
    TcpDataTransmitted(Bytes);
}

void TelvorConfigurator::connectionLost()
{
    qCDebug(lcRoute) << "Connection lost.";
}

void TelvorConfigurator::TimerTimeoutTcpState()
{
    Links.answerTimeout(CommSettings::TCP);
}

void TelvorConfigurator::TimerTimeoutTcp232State()
{
    Links.answerTimeout(CommSettings::TCP232);
}

void TelvorConfigurator::TimerTimeoutTcp485State()
{
    Links.answerTimeout(CommSettings::TCP485);
}

void TelvorConfigurator::TimerTcpReading()
{
    Links.readingTimeout();
}

void TelvorConfigurator::TimerServerFull()
{
    Links.serverFullTimeout();
}
