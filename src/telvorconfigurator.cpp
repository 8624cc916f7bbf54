// The main window: construction and wiring, the route table, the device
// commands of the menu, the model switch, the status bar and the network
// window, the send path, and the route slots of the four channels.

#include "telvorconfigurator.h"
#include "ui_telvorconfigurator.h"

#include "logging.h"
#include "requestbuilder.h"
#include "screenfit.h"
#include "staticipconfig.h"
#include "statustimes.h"

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

    // The channels and the six supervision timers have no Qt parent: the
    // destructor deletes them in a fixed order. None of those timers is
    // single-shot: each slot stops its own timer.
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
    // The write-answer timer belongs to the window: started by each record
    // write, stopped by its answer or a route going down, so single-shot.
    pTimerWriteAnswer = new QTimer(this);
    pTimerWriteAnswer->setSingleShot(true);
    // A coarse timer may fire up to 5 % early; the device gets its full time.
    pTimerWriteAnswer->setTimerType(Qt::PreciseTimer);
    buildRouteTable();

    ui->Layout->addWidget(&newTransparentConfig);
    ui->SettingLayout->addWidget(&newCommSetting);
    connectSignals();

    // The start window's index: 0 chooses no model and leaves the panel as built.
    selectDeviceModel(eDeviceModel_t(DeviceChoice));
}

void TelvorConfigurator::connectSignals()
{
    connect(pTcpSocket, &QTcpSocket::connected, this, &TelvorConfigurator::TcpConnected);
    connect(pTcpSocket, &QTcpSocket::disconnected, this, &TelvorConfigurator::TcpDisconnected);
    connect(pTcpSocket, &QTcpSocket::readyRead, this, &TelvorConfigurator::TcpDataReceived);
    connect(pTcpSocket, &QTcpSocket::bytesWritten, this, &TelvorConfigurator::TcpDataTransmitted);
    connect(pTcpSocket, &QTcpSocket::errorOccurred, this, &TelvorConfigurator::TcpError);
    connect(pTcpSocket, &QTcpSocket::aboutToClose, this, &TelvorConfigurator::connectionLost);

    connect(pTcp232Socket, &QTcpSocket::connected, this, &TelvorConfigurator::Tcp232Connected);
    connect(pTcp232Socket, &QTcpSocket::disconnected, this, &TelvorConfigurator::Tcp232Disconnected);
    connect(pTcp232Socket, &QTcpSocket::readyRead, this, &TelvorConfigurator::Tcp232DataReceived);
    connect(pTcp232Socket, &QTcpSocket::bytesWritten, this, &TelvorConfigurator::Tcp232DataTransmitted);
    connect(pTcp232Socket, &QTcpSocket::stateChanged, this, &TelvorConfigurator::Tcp232StateChanged);
    connect(pTcp232Socket, &QTcpSocket::errorOccurred, this, &TelvorConfigurator::Tcp232Error);

    connect(pTcp485Socket, &QTcpSocket::connected, this, &TelvorConfigurator::Tcp485Connected);
    connect(pTcp485Socket, &QTcpSocket::disconnected, this, &TelvorConfigurator::Tcp485Disconnected);
    connect(pTcp485Socket, &QTcpSocket::readyRead, this, &TelvorConfigurator::Tcp485DataReceived);
    connect(pTcp485Socket, &QTcpSocket::bytesWritten, this, &TelvorConfigurator::Tcp485DataTransmitted);
    connect(pTcp485Socket, &QTcpSocket::stateChanged, this, &TelvorConfigurator::Tcp485StateChanged);
    connect(pTcp485Socket, &QTcpSocket::errorOccurred, this, &TelvorConfigurator::Tcp485Error);

    connect(pSerial, &QSerialPort::readyRead, this, &TelvorConfigurator::SerialReceived);
    connect(pSerial, &QSerialPort::errorOccurred, this, &TelvorConfigurator::SerialErrorHandle);

    connect(pTimerUsbState, &QTimer::timeout, this, &TelvorConfigurator::TimerTimeoutUsbState);
    connect(pTimerTcpState, &QTimer::timeout, this, &TelvorConfigurator::TimerTimeoutTcpState);
    connect(pTimerTcp232State, &QTimer::timeout, this, &TelvorConfigurator::TimerTimeoutTcp232State);
    connect(pTimerTcp485State, &QTimer::timeout, this, &TelvorConfigurator::TimerTimeoutTcp485State);
    connect(pTimerTcpReading, &QTimer::timeout, this, &TelvorConfigurator::TimerTcpReading);
    connect(pTimerServerFull, &QTimer::timeout, this, &TelvorConfigurator::TimerServerFull);
    connect(pTimerWriteAnswer, &QTimer::timeout, this, &TelvorConfigurator::writeUnanswered);

    connect(&newTransparentConfig, &TransparentConfig::OpenStaticIpWindow, this,
            &TelvorConfigurator::OpenStaticIpConfigScreen);
    connect(&newTransparentConfig, &TransparentConfig::WriteData, this, &TelvorConfigurator::Transmit_Callback);
    connect(&newTransparentConfig, &TransparentConfig::WriteStatusBar, this, &TelvorConfigurator::SetStatusBarText);
    connect(&newTransparentConfig, &TransparentConfig::WriteAnswered, pTimerWriteAnswer, &QTimer::stop);
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

    // A partial frame that never completes is a failed reply of its route.
    for (int route = CommSettings::TCP; route < CommSettings::Max; ++route) {
        connect(&RouteFrames[route], &FrameAssembler::partialFrameDropped, this, [this, route] {
            reportReceiveFailure(CommSettings::eRoute_t(route), TransparentConfig::err_EndChr);
        });
    }
}

// The routes, one row each. The configuration service and USB come up on
// their first answer, the data ports when their socket connects. Columns:
// name, channel, answer timer, success flag, page preparation, when up, page
// reset when down; status texts when up, when down, on a failed reply, on no
// answer; the network-error text; action states when opened, up and down;
// traces of the flag and of no answer.
void TelvorConfigurator::buildRouteTable()
{
    using S = Switch;
    using C = CommSettings;
    const ActionStates untouched = {S::Keep, S::Keep, S::Keep}, allDown = {S::Off, S::Off, S::On};
    const StatusText none = {nullptr, 0};
    // clang-format off
    Routes[C::TCP] = {"TCP", pTcpSocket, pTimerTcpState, &TcpConnectionSucceed,
        &TransparentConfig::SetETHSettings, UpWhen::FirstAnswer, false,
        {QT_TR_NOOP("Tcp Connected"), STATUS_BRIEF_MS}, {QT_TR_NOOP("Disconnected from TCP"), STATUS_BRIEF_MS},
        {QT_TR_NOOP("TCPDataReceived Error :%1"), STATUS_PROBLEM_MS}, none,
        // Only the configuration service names a network error as a closed server.
        QT_TR_NOOP("Connection closed by server."), {S::Keep, S::Keep, S::Off}, {S::On, S::On, S::Keep},
        allDown, "TcpConnectionSucceed:", " TCP false"};
    // Ping means nothing on USB: the route neither enables nor disables it.
    Routes[C::USB] = {"USB", pSerial, pTimerUsbState, &UsbConnectionSucceed,
        &TransparentConfig::SetUSBSettings, UpWhen::FirstAnswer, false,
        {QT_TR_NOOP("Connected %1"), STATUS_LONG_MS}, {QT_TR_NOOP("Disconnected from USB"), STATUS_BRIEF_MS},
        {QT_TR_NOOP("SerialReceived Error : %1"), STATUS_BRIEF_MS},
        {QT_TR_NOOP("Cannot connect over USB"), STATUS_BRIEF_MS}, nullptr, untouched,
        {S::On, S::Keep, S::Off}, {S::Off, S::Keep, S::On}, "UsbConnectionSucceed:", "Usb:false"};
    // The page's RS-232 settings are reset when its port goes down; the
    // RS-485 settings stay until the next route prepares the page.
    Routes[C::TCP232] = {"TCP232", pTcp232Socket, pTimerTcp232State, &Tcp232ConnectionSucceed,
        &TransparentConfig::Set232Settings, UpWhen::Connected, true, {QT_TR_NOOP("Tcp 232 Port Connected"),
        STATUS_BRIEF_MS}, {QT_TR_NOOP("Disconnected from TCP 232 Port"), STATUS_BRIEF_MS},
        {QT_TR_NOOP("TCP232DataReceived Error :%1"), STATUS_PROBLEM_MS}, none, nullptr, untouched,
        {S::On, S::On, S::Off}, allDown, "Tcp232ConnectionSucceed:", " TCP 232 false"};
    Routes[C::TCP485] = {"TCP485", pTcp485Socket, pTimerTcp485State, &Tcp485ConnectionSucceed,
        &TransparentConfig::Set485Settings, UpWhen::Connected, false, {QT_TR_NOOP("Tcp 485 Port Connected"),
        STATUS_BRIEF_MS}, {QT_TR_NOOP("Disconnected from TCP 485 Port"), STATUS_BRIEF_MS},
        {QT_TR_NOOP("TCP485DataReceived Error :%1"), STATUS_PROBLEM_MS}, none, nullptr, untouched,
        {S::On, S::On, S::Off}, allDown, "Tcp485ConnectionSucceed:", " TCP 485 false"};
    // clang-format on
    for (int route = C::TCP; route < C::Max; ++route) {
        Routes[route].socket = qobject_cast<QTcpSocket *>(Routes[route].channel);
        Routes[route].frames = &RouteFrames[route];
        Routes[route].commands = CommandSet::forRoute(C::eRoute_t(route));
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

void TelvorConfigurator::disconnectChannels()
{
    // Deleting a connected socket reports its disconnect; the window is then
    // half destroyed and must no longer hear it.
    for (const Route &route : Routes) {
        route.channel->disconnect(this);
        route.answerTimer->disconnect(this);
    }
    pTimerTcpReading->disconnect(this);
    pTimerServerFull->disconnect(this);
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

void TelvorConfigurator::sendDeviceCommand(TransparentConfig::eTrpCfgCmdTableID_t ethernetId,
                                           TransparentConfig::eTrpCfgCmdGSMTableID_t gsmId, bool sendOnSerial)
{
    // Without a route the command goes to the serial port, open or not, so
    // that the send path reports it.
    const CommSettings::eRoute_t route =
        ConnectionStatus == CommSettings::Max ? CommSettings::USB : ConnectionStatus;
    if (route == CommSettings::USB && !sendOnSerial)
        return;
    sendFrame(route, request(route, ethernetId, gsmId));
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

    // The network record is read over the configuration service when that is
    // the route, otherwise over the serial port.
    const CommSettings::eRoute_t route =
        ConnectionStatus == CommSettings::TCP ? CommSettings::TCP : CommSettings::USB;
    sendFrame(route,
              request(route, TransparentConfig::eIdReadNetworkCfg, TransparentConfig::eIdGSMReadNetworkCfg));

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

bool TelvorConfigurator::isDataPort(CommSettings::eRoute_t route) const
{
    return route < CommSettings::Max && Routes[route].upWhen == UpWhen::Connected;
}

// --- send path ------------------------------------------------------------------

const QString &TelvorConfigurator::keyword(CommSettings::eRoute_t route,
                                           TransparentConfig::eTrpCfgCmdTableID_t ethernetId,
                                           TransparentConfig::eTrpCfgCmdGSMTableID_t gsmId) const
{
    const CommandSet::Kind set = Routes[route].commands;
    const int id = set == CommandSet::Gsm ? int(gsmId) : int(ethernetId);
    return CommandSet::keywordTable(set)[id];
}

QByteArray TelvorConfigurator::request(CommSettings::eRoute_t route,
                                       TransparentConfig::eTrpCfgCmdTableID_t ethernetId,
                                       TransparentConfig::eTrpCfgCmdGSMTableID_t gsmId) const
{
    return TransparentConfig::AT_Command_Formatter(keyword(route, ethernetId, gsmId));
}

void TelvorConfigurator::Transmit_Callback(const QByteArray &qbaBuffer)
{
    qCDebug(lcRoute) << "Sta:" << ConnectionStatus << "Transmit_Callback: " << qbaBuffer;
    if (ConnectionStatus == CommSettings::Max)
        SetStatusBarText(tr("Önce bağlantı sağlayın !! "), STATUS_UNTIL_REPLACED);
    else
        sendFrame(ConnectionStatus, qbaBuffer);
}

void TelvorConfigurator::sendFrame(CommSettings::eRoute_t route, const QByteArray &frame)
{
    const Route &r = Routes[route];
    if (r.channel->isOpen()) {
        qCDebug(lcWire) << r.name << "sent" << frame;
        watchWriteAnswer(route, frame);
    }
    if (r.socket)
        CheckAndSendData(*r.socket, frame);
    else
        CheckAndSendData(*pSerial, frame);
}

void TelvorConfigurator::watchWriteAnswer(CommSettings::eRoute_t route, const QByteArray &frame)
{
    using Page = TransparentConfig;
    if (RequestBuilder::isRequest(frame, keyword(route, Page::eIdWriteAll, Page::eIdGSMWriteAll))
        || RequestBuilder::isRequest(frame, keyword(route, Page::eIdWriteNetworkCfg, Page::eIdGSMWriteNetworkCfg)))
        pTimerWriteAnswer->start(WRITE_ANSWER_TIMEOUT_MS);
}

void TelvorConfigurator::writeUnanswered()
{
    qCDebug(lcRoute) << "No answer to the write within" << WRITE_ANSWER_TIMEOUT_MS << "ms";
    SetStatusBarText(tr("No answer to the write: the device may not have stored it"), STATUS_LONG_MS);
}

void TelvorConfigurator::CheckAndSendData(QTcpSocket &rSocket, const QByteArray &rArr)
{
    if (!rSocket.isOpen() || rSocket.write(rArr) == -1)
        SetStatusBarText(tr("Cannot write via TCP"), STATUS_UNTIL_REPLACED);
}

void TelvorConfigurator::CheckAndSendData(QSerialPort &rSerial, const QByteArray &rArr)
{
    if (!rSerial.isOpen()) {
        SetStatusBarText(tr("Cannot write via USB"), STATUS_UNTIL_REPLACED);
        return;
    }
    const qint64 written = rSerial.write(rArr);
    qCDebug(lcRoute) << "Write status:" << written;
    if (written == -1)
        SetStatusBarText(tr("Cannot write via USB"), STATUS_UNTIL_REPLACED);
}

// ---------------------------------------------------------------------------
// The life of a route, one path for all four; the route table says where
// they differ.
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

// The channel is open: the configuration service and USB ask for the port
// record and wait for the answer; a data port is up at once and is asked half
// a second later.
void TelvorConfigurator::routeOpened(CommSettings::eRoute_t route)
{
    Route &r = Routes[route];
    r.frames->clear();
    *r.answered = true;
    if (r.upWhen == UpWhen::Connected) {
        if (ConnectionStatus != route)
            routeUp(route);
        pTimerTcpReading->start(SEND_READING_DATA);
        ServerFullRoute = route;
        pTimerServerFull->start(SERVER_FULL_TIMEOUT_MS);
    } else {
        sendFrame(route, request(route, TransparentConfig::eIdReadAll, TransparentConfig::eIdGSMReadAll));
        (newTransparentConfig.*r.preparePage)(true);
        applyActions(r.atOpen);
    }
    r.answerTimer->start(CONNECTION_TIMEOUT_MS);
}

void TelvorConfigurator::routeUp(CommSettings::eRoute_t route)
{
    const Route &r = Routes[route];
    // The USB handshake drops a connection (or attempt) of the configuration service.
    if (route == CommSettings::USB)
        pTcpSocket->abort();
    r.answerTimer->stop();
    ConnectionStatus = route;
    QString text = tr(r.up.text);
    if (route == CommSettings::USB)
        text = text.arg(pSerial->portName());
    SetStatusBarText(text, r.up.ms);
    newCommSetting.SetUiConnectionStatus(route, true);
    newTransparentConfig.setEnabled(true);
    (newTransparentConfig.*r.preparePage)(true);
    applyActions(r.atUp);
    qCDebug(lcRoute) << r.name << "is the active route";
}

void TelvorConfigurator::routeReceived(CommSettings::eRoute_t route)
{
    const Route &r = Routes[route];
    qCDebug(lcRoute) << r.answeredTrace << *r.answered;
    if (r.upWhen == UpWhen::Connected)
        r.answerTimer->stop(); // on a data port any data counts as an answer
    else if (*r.answered && ConnectionStatus != route)
        routeUp(route); // before the reply is parsed, so the page knows its route
    receiveFrames(route);
}

void TelvorConfigurator::routeSilent(CommSettings::eRoute_t route)
{
    const Route &r = Routes[route];
    qCDebug(lcRoute) << r.noAnswerTrace;
    if (r.upWhen == UpWhen::Connected) {
        // A silent data port stays connected: the user is told and decides.
        QMessageBox::warning(this, tr("Uyarı !"), tr("Cihazdan veri alınamadı !"), QMessageBox::Ok);
        r.answerTimer->stop();
        return;
    }
    if (r.noAnswer.text)
        SetStatusBarText(tr(r.noAnswer.text), r.noAnswer.ms);
    *r.answered = false;
    if (r.socket)
        r.socket->abort();
    else if (r.channel->isOpen())
        r.channel->close();
    r.frames->clear();
    r.answerTimer->stop();
}

void TelvorConfigurator::routeDown(CommSettings::eRoute_t route)
{
    const Route &r = Routes[route];
    r.frames->clear();
    // A closed channel waits for no answer; a late time-out would end the
    // next connection attempt.
    r.answerTimer->stop();
    pTimerWriteAnswer->stop();
    // A data port's flag tells a failed attempt from a disconnect.
    if (r.upWhen == UpWhen::Connected)
        *r.answered = false;
    ConnectionStatus = CommSettings::Max;
    newTransparentConfig.setDisabled(true);
    if (r.resetsPageWhenDown)
        (newTransparentConfig.*r.preparePage)(false);
    if (pStaticIpWindow && pStaticIpWindow->route() == route)
        pStaticIpWindow->routeEnded();
    newCommSetting.SetUiConnectionStatus(route, false);
    SetStatusBarText(tr(r.down.text), r.down.ms);
    applyActions(r.atDown);
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
        // What the device sent while the port was closed is no answer to
        // this connection's first request: it would bring the route up.
        if (pSerial->open(QIODevice::ReadWrite))
            pSerial->clear(QSerialPort::Input);
    }
    // A failed open is reported through SerialErrorHandle.
    if (pSerial->isOpen())
        routeOpened(CommSettings::USB);
}

void TelvorConfigurator::CloseComPort()
{
    // Closing a port that is not open would itself raise an error.
    if (pSerial->isOpen())
        pSerial->close();
    routeDown(CommSettings::USB);
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
    SetStatusBarText(serialErrorName(error), STATUS_BRIEF_MS);
}

void TelvorConfigurator::SerialReceived()
{
    routeReceived(CommSettings::USB);
}

void TelvorConfigurator::TimerTimeoutUsbState()
{
    routeSilent(CommSettings::USB);
}

// --- TCP routes -----------------------------------------------------------------

void TelvorConfigurator::openTcpRoute(CommSettings::eRoute_t route, const QString &Ip, int Port)
{
    QTcpSocket *socket = Routes[route].socket;
    qCDebug(lcRoute) << QStringLiteral("ConnectionStatus:%1 pTcpSocket->state:%2")
                            .arg(int(ConnectionStatus))
                            .arg(int(socket->state()))
                     << Ip << Port;
    if (ConnectionStatus != CommSettings::Max)
        return; // one route at a time
    if (socket->state() == QAbstractSocket::ConnectedState) {
        routeOpened(route);
        return;
    }
    socket->abort();
    Routes[route].frames->clear();
    socket->connectToHost(Ip, quint16(Port), QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
}

void TelvorConfigurator::closeTcpRoute(CommSettings::eRoute_t route)
{
    stopServerFullCheck(route);
    QTcpSocket *socket = Routes[route].socket;
    socket->disconnectFromHost();
    socket->close();
}

void TelvorConfigurator::showSocketError(CommSettings::eRoute_t route, QAbstractSocket::SocketError err)
{
    const char *networkErrorText = Routes[route].networkErrorText;
    if (err == QAbstractSocket::NetworkError && networkErrorText)
        SetStatusBarText(tr(networkErrorText), STATUS_PROBLEM_MS);
    else
        SetStatusBarText(socketErrorName(err), STATUS_PROBLEM_MS);
}

void TelvorConfigurator::dataPortStateChanged(CommSettings::eRoute_t route,
                                              QAbstractSocket::SocketState state)
{
    if (state == QAbstractSocket::ConnectedState) {
        qCDebug(lcRoute) << "Bağlantı başarılı.";
    } else if (state == QAbstractSocket::UnconnectedState && !*Routes[route].answered) {
        // Unconnected without ever having connected: the attempt failed. A
        // normal disconnect arrives here while the flag is still set.
        qCDebug(lcRoute) << "Bağlantı başarısız.";
        newCommSetting.SetUiConnectionStatus(route, false);
        QMessageBox::warning(this, tr("Uyarı !"),
                             tr("Bağlantı Sağlanamadı. IP ve Port Adresinizi Kontrol Edin."),
                             QMessageBox::Ok);
    }
}

void TelvorConfigurator::closeOtherDataPort(CommSettings::eRoute_t closedRoute)
{
    // The device closes one data port on request over the other one.
    stopServerFullCheck(closedRoute);
    const bool rs232 = closedRoute == CommSettings::TCP232;
    qCDebug(lcRoute) << (rs232 ? "232 Port Closed" : "485 Port Closed");
    const CommSettings::eRoute_t other = rs232 ? CommSettings::TCP485 : CommSettings::TCP232;
    const QString &keyword =
        CommandSet::keywordTable(Routes[other].commands)[rs232 ? TransparentConfig::eId232ComClose
                                                               : TransparentConfig::eId485ComClose];
    sendFrame(other, TransparentConfig::AT_Command_Formatter(keyword));
    SetStatusBarText(rs232 ? tr("Tcp 232 Port Closed") : tr("Tcp 485 Port Closed"), STATUS_BRIEF_MS);
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

void TelvorConfigurator::TcpConnected()
{
    routeOpened(CommSettings::TCP);
}

void TelvorConfigurator::Tcp232Connected()
{
    routeOpened(CommSettings::TCP232);
}

void TelvorConfigurator::Tcp485Connected()
{
    routeOpened(CommSettings::TCP485);
}

void TelvorConfigurator::TcpDisconnected()
{
    routeDown(CommSettings::TCP);
}

void TelvorConfigurator::Tcp232Disconnected()
{
    routeDown(CommSettings::TCP232);
}

void TelvorConfigurator::Tcp485Disconnected()
{
    routeDown(CommSettings::TCP485);
}

void TelvorConfigurator::TcpDataReceived()
{
    routeReceived(CommSettings::TCP);
}

void TelvorConfigurator::Tcp232DataReceived()
{
    routeReceived(CommSettings::TCP232);
}

void TelvorConfigurator::Tcp485DataReceived()
{
    routeReceived(CommSettings::TCP485);
}

void TelvorConfigurator::TcpError(QAbstractSocket::SocketError err)
{
    showSocketError(CommSettings::TCP, err);
}

void TelvorConfigurator::Tcp232Error(QAbstractSocket::SocketError err)
{
    showSocketError(CommSettings::TCP232, err);
}

void TelvorConfigurator::Tcp485Error(QAbstractSocket::SocketError err)
{
    showSocketError(CommSettings::TCP485, err);
}

void TelvorConfigurator::Tcp232StateChanged(QAbstractSocket::SocketState SocketState)
{
    dataPortStateChanged(CommSettings::TCP232, SocketState);
}

void TelvorConfigurator::Tcp485StateChanged(QAbstractSocket::SocketState SocketState)
{
    dataPortStateChanged(CommSettings::TCP485, SocketState);
}

void TelvorConfigurator::TcpDataTransmitted(qint64 Bytes)
{
    qCDebug(lcRoute) << Bytes << " Byte Data transmitted ";
}

void TelvorConfigurator::Tcp232DataTransmitted(qint64 Bytes)
{
    qCDebug(lcRoute) << Bytes << " Byte Data transmitted ";
}

void TelvorConfigurator::Tcp485DataTransmitted(qint64 Bytes)
{
    qCDebug(lcRoute) << Bytes << " Byte Data transmitted ";
}

void TelvorConfigurator::connectionLost()
{
    qCDebug(lcRoute) << "Connection lost.";
}

void TelvorConfigurator::AbortTcp232Communication()
{
    closeOtherDataPort(CommSettings::TCP232);
}

void TelvorConfigurator::AbortTcp485Communication()
{
    closeOtherDataPort(CommSettings::TCP485);
}

// --- supervision timers -------------------------------------------------------------

void TelvorConfigurator::TimerTimeoutTcpState()
{
    routeSilent(CommSettings::TCP);
}

void TelvorConfigurator::TimerTimeoutTcp232State()
{
    routeSilent(CommSettings::TCP232);
}

void TelvorConfigurator::TimerTimeoutTcp485State()
{
    routeSilent(CommSettings::TCP485);
}

void TelvorConfigurator::TimerTcpReading()
{
    // The record is asked for only if the data port is still the active route.
    if (isDataPort(ConnectionStatus)) {
        qCDebug(lcRoute) << (ConnectionStatus == CommSettings::TCP485 ? "Data send from 485"
                                                                      : "Data send from 232");
        sendFrame(ConnectionStatus,
                  request(ConnectionStatus, TransparentConfig::eIdReadAll, TransparentConfig::eIdGSMReadAll));
    }
    pTimerTcpReading->stop();
}

void TelvorConfigurator::stopServerFullCheck(CommSettings::eRoute_t closedRoute)
{
    // A port the user closes is no sign of a full server.
    if (closedRoute != ServerFullRoute)
        return;
    pTimerServerFull->stop();
    ServerFullRoute = CommSettings::Max;
}

void TelvorConfigurator::TimerServerFull()
{
    // A device whose data port is taken accepts the connection and closes it
    // at once; eight seconds on, the route tells which happened.
    if (ConnectionStatus == CommSettings::Max)
        SetStatusBarText(tr("Server can have connection Check server"), STATUS_BRIEF_MS);
    else
        SetStatusBarText(tr("Connected Succesfully"), STATUS_BRIEF_MS);
    pTimerServerFull->stop();
    ServerFullRoute = CommSettings::Max;
}

// --- receive path -------------------------------------------------------------------

void TelvorConfigurator::receiveFrames(CommSettings::eRoute_t route)
{
    QIODevice *channel = Routes[route].channel;
    const QByteArray bytes = channel->readAll();
    qCDebug(lcWire) << Routes[route].name << "received" << bytes;
    const QList<Framing::Piece> pieces = Routes[route].frames->append(bytes);
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
    const StatusText &failure = Routes[route].receiveFailure;
    SetStatusBarText(tr(failure.text).arg(TransparentConfig::TrpErrString[result]), failure.ms);
}
