// The connection panel.
//
// Button presses become route requests (signals to the main window); the main
// window answers with SetUiConnectionStatus, which records the route's flag and
// sets the look of the panel from one row of the route table below. The flags
// alone decide whether a button asks to connect or to disconnect. The five
// endpoint entries are read from the settings store when the panel is built
// and written back, one key at a time, whenever an entry passes its check.
//
// The COM PORT list: listing the machine's serial ports takes milliseconds,
// so the first listing runs just after the panel is first painted, and always
// before the user can open or step through the list or press the USB button.
// While the panel is shown and the USB route is idle, a coarse one-second
// timer looks for ports plugged in or out. On Linux each look is one stat()
// of /dev: a full listing runs only when a device node has come or gone there,
// and the combo box is touched only when the listed ports differ. On Windows,
// where a listing asks SetupAPI for every serial port driver and can take
// long on machines with many virtual ports, nothing runs every second: the
// ports are listed when Windows announces a COM port's arrival or removal
// (platform/portannouncer_win.h), and once more a second later.

#include "commsettings.h"
#include "ui_commsettings.h"

#include "logging.h"
#include "protocol/requestbuilder.h"
#include "statustimes.h"

#include <QComboBox>
#include <QEvent>
#include <QSettings>
#include <QTimer>

#include <algorithm>

#ifdef Q_OS_LINUX
#include <sys/stat.h>
#endif
#ifdef Q_OS_WIN
#include "platform/portannouncer_win.h"
#endif

namespace {

const QLatin1String KeyIp("Ip");
const QLatin1String KeyPort("Port");
const QLatin1String KeyIpTcp("IpTcp");
const QLatin1String KeyPort232("Port232");
const QLatin1String KeyPort485("Port485");

constexpr int EthernetModem = 1;
constexpr int GsmModem = 2;

constexpr int LowestPort = 1;
constexpr int HighestPort = 65534;

using WidgetList = QList<QWidget *>;

// A serial port node appears in /dev when the port is plugged in and goes
// when it is pulled, and udev adds its stable names under /dev/serial/by-id;
// either changes the directory's modification time. Elsewhere there is no
// such cheap sign, and the empty token asks for a full listing every time.
QByteArray serialDeviceStamp()
{
    QByteArray stamp;
#ifdef Q_OS_LINUX
    for (const char *directory : {"/dev", "/dev/serial/by-id"}) {
        struct stat info;
        if (::stat(directory, &info) == 0)
            stamp += QByteArray::number(qlonglong(info.st_mtim.tv_sec)) + '.' +
                     QByteArray::number(qlonglong(info.st_mtim.tv_nsec)) + ';';
        else
            stamp += "-;";
    }
#endif
    return stamp;
}

QList<CommSettings::ListedPort> machinePorts()
{
    QList<CommSettings::ListedPort> listed;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports)
        listed.append({port.portName(), port.description()});
    return listed;
}

// Text that is not a base-10 number reads as 0, like an empty entry.
int portNumber(const QString &text)
{
    return text.toInt(nullptr, 10);
}

bool isAcceptedPort(const QString &text)
{
    const int port = portNumber(text);
    return port >= LowestPort && port <= HighestPort;
}

// At least four dot-separated parts, each "0" or a non-zero number. The parts
// are not range-checked: the device side reports an unusable address.
bool isAcceptedAddress(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'), Qt::KeepEmptyParts);
    if (parts.size() <= 3)
        return false;
    return std::all_of(parts.cbegin(), parts.cend(), [](const QString &part) {
        return part == QLatin1String("0") || part.toInt(nullptr, 10) != 0;
    });
}

QString iconStyleSheet(const char *icon)
{
    return QStringLiteral("QPushButton{background-color:transparent;border-image: url(:/Button/Icons/%1);"
                          "border:none;background-repeat: none;}QPushButton:pressed{background-color:black;}")
        .arg(QLatin1String(icon));
}

void setAllEnabled(const WidgetList &widgets, bool enabled)
{
    for (QWidget *widget : widgets)
        widget->setEnabled(enabled);
}

WidgetList usbControls(const Ui::CommSettings *ui)
{
    return {ui->pushButton_RefreshCOM, ui->comboBox_COMPorts, ui->pushButton_UsbConnect,
            ui->label_USB_Settings, ui->label_COMPort};
}

WidgetList ethernetEntries(const Ui::CommSettings *ui)
{
    return {ui->lineEdit_ServerIp, ui->lineEdit_ServerPort};
}

WidgetList ethernetControls(const Ui::CommSettings *ui)
{
    return ethernetEntries(ui) + WidgetList{ui->pushButton_TcpConnect, ui->label_ServerPort,
                                            ui->label_ServverIp, ui->label_TcpSettings};
}

WidgetList currentAddressControls(const Ui::CommSettings *ui)
{
    return {ui->pushButton_GetIpAddr, ui->lineEdit_CurrentIpAddr};
}

// The TCP group without its header and abort buttons.
WidgetList tcpGroupControls(const Ui::CommSettings *ui)
{
    return {ui->label_ServerPort232,    ui->label_ServerPort485,   ui->label_TcpServerIp,
            ui->pushButton_232Connect,  ui->pushButton_485Connect, ui->lineEdit_ServerPort232,
            ui->lineEdit_ServerPort485, ui->lineEdit_TcpServerIp};
}

// What differs between the RS-232 and the RS-485 data port.
struct DataPort
{
    QPushButton *connectButton;
    QLineEdit *portEntry;
    QPushButton *abortButton;
    void (CommSettings::*connectSignal)(const QString &, int);
    void (CommSettings::*disconnectSignal)();
};

DataPort dataPort(const Ui::CommSettings *ui, CommSettings::eRoute_t route)
{
    if (route == CommSettings::TCP232)
        return {ui->pushButton_232Connect, ui->lineEdit_ServerPort232, ui->pushButton_Abort232,
                &CommSettings::ConnectTcp232, &CommSettings::DisconnectTcp232};
    return {ui->pushButton_485Connect, ui->lineEdit_ServerPort485, ui->pushButton_Abort485,
            &CommSettings::ConnectTcp485, &CommSettings::DisconnectTcp485};
}

// The look of the panel after a route came up or went down: the route's
// header, its button (an icon style sheet or a text) and the widgets it
// enables and disables. Widgets in neither list keep their state.
struct RouteLook
{
    QLabel *header = nullptr;
    QPushButton *button = nullptr;
    void (QPushButton::*setButtonLook)(const QString &) = nullptr;
    QString buttonLook;
    // The icon-only buttons say in words what a press does now; the form
    // holds the words for a route that is down.
    QString buttonName;
    QString buttonTip;
    WidgetList enable;
    WidgetList disable;
};

// The two routes with an icon button: the configuration service and USB.
// Each locks the other while it is up.
RouteLook iconButtonRouteLook(const Ui::CommSettings *ui, CommSettings::eRoute_t route, bool up)
{
    const bool tcp = route == CommSettings::TCP;
    RouteLook look;
    look.header = tcp ? ui->label_TcpSettings : ui->label_USB_Settings;
    look.button = tcp ? ui->pushButton_TcpConnect : ui->pushButton_UsbConnect;
    look.setButtonLook = &QPushButton::setStyleSheet;
    if (tcp) {
        look.buttonLook = iconStyleSheet(up ? "ethernet_disconnect.png" : "ethernet.png");
        look.buttonName = up ? CommSettings::tr("Disconnect ETHERNET") : CommSettings::tr("Connect ETHERNET");
        look.buttonTip = up ? CommSettings::tr("Close the connection to the device's configuration service")
                            : CommSettings::tr("Connect to the device's configuration service at SERVER IP "
                                               "and SERVER PORT");
    } else {
        look.buttonLook = iconStyleSheet(up ? "usb_disconnect.png" : "usb_connect.png");
        look.buttonName = up ? CommSettings::tr("Disconnect USB") : CommSettings::tr("Connect USB");
        look.buttonTip = up ? CommSettings::tr("Close the COM port")
                            : CommSettings::tr("Open the COM port selected in the list");
    }
    const WidgetList otherRoute = tcp ? usbControls(ui) : ethernetControls(ui);
    look.enable = up ? currentAddressControls(ui) : otherRoute;
    look.disable = up ? otherRoute + tcpGroupControls(ui) : currentAddressControls(ui);
    return look;
}

RouteLook dataPortRouteLook(const Ui::CommSettings *ui, CommSettings::eRoute_t route, bool up)
{
    const DataPort own = dataPort(ui, route);
    const DataPort other = dataPort(ui, routeProfile(route).twin);
    RouteLook look;
    look.header = ui->label_TCP2Settings;
    look.button = own.connectButton;
    look.setButtonLook = &QPushButton::setText;
    look.buttonLook = up ? CommSettings::tr("Disconnect") : CommSettings::tr("Connect");
    // Both data ports' buttons read the same: their spoken names add the port.
    const QString portName = route == CommSettings::TCP485 ? QStringLiteral("PORT 485") : QStringLiteral("PORT 232");
    look.buttonName = (up ? CommSettings::tr("Disconnect %1") : CommSettings::tr("Connect %1")).arg(portName);
    look.buttonTip = own.connectButton->toolTip();
    if (up) {
        // A data port that is up keeps its own entry and button and the
        // other port's abort button: that abort travels over this route.
        look.enable = {ui->label_ServerPort232, ui->label_ServerPort485, ui->label_TcpServerIp,
                       own.connectButton,       own.portEntry,           ui->lineEdit_TcpServerIp,
                       other.abortButton};
        look.disable = ethernetEntries(ui) + usbControls(ui) + currentAddressControls(ui) +
                       WidgetList{other.connectButton, other.portEntry, own.abortButton};
    } else {
        look.enable = tcpGroupControls(ui) + WidgetList{own.abortButton};
    }
    return look;
}

RouteLook routeLook(const Ui::CommSettings *ui, CommSettings::eRoute_t route, bool up)
{
    switch (route) {
    case CommSettings::TCP:
    case CommSettings::USB:
        return iconButtonRouteLook(ui, route, up);
    case CommSettings::TCP232:
    case CommSettings::TCP485:
        return dataPortRouteLook(ui, route, up);
    case CommSettings::Max:
        break;
    }
    return {};
}

} // namespace

CommSettings::CommSettings(QWidget *parent)
    : QWidget(parent), ui(new Ui::CommSettings), Ports(&machinePorts), PortsStamp(&serialDeviceStamp),
      PortWatch(new QTimer(this))
{
    ui->setupUi(this);
    PortWatch->setInterval(PortWatchIntervalMs);
    PortWatch->setTimerType(Qt::VeryCoarseTimer);
    connect(PortWatch, &QTimer::timeout, this, &CommSettings::WatchPorts);
#ifdef Q_OS_WIN
    PortWatch->setSingleShot(true);
    Announcer = new PortAnnouncer(this);
    connect(Announcer, &PortAnnouncer::portsChanged, this, &CommSettings::PortsAnnounced);
#endif
    ui->comboBox_COMPorts->installEventFilter(this);

    ui->lineEdit_ServerIp->setText(Load(KeyIp));
    ui->lineEdit_ServerPort->setText(Load(KeyPort));
    ui->lineEdit_TcpServerIp->setText(Load(KeyIpTcp));
    ui->lineEdit_ServerPort232->setText(Load(KeyPort232));
    ui->lineEdit_ServerPort485->setText(Load(KeyPort485));
}

CommSettings::~CommSettings()
{
    delete ui;
}

void CommSettings::SetUiConnectionStatus(eRoute_t eRoute, bool ConnectionState)
{
    bool *flag = RouteFlag(eRoute);
    if (!flag)
        return;
    *flag = ConnectionState;

    const RouteLook look = routeLook(ui, eRoute, ConnectionState);
    look.header->setStyleSheet(ConnectionState ? QStringLiteral("background-color:green")
                                               : QStringLiteral("background-color:red"));
    (look.button->*look.setButtonLook)(look.buttonLook);
    if (!look.buttonName.isEmpty()) {
        look.button->setAccessibleName(look.buttonName);
        look.button->setToolTip(look.buttonTip);
    }
    setAllEnabled(look.enable, true);
    setAllEnabled(look.disable, false);
    if (eRoute == USB)
        UpdatePortWatch();
}

void CommSettings::SetUiSelectedDeviceStatus(int eRoute)
{
    qCDebug(lcPanel) << "State: " << eRoute;
    if (eRoute == GsmModem)
        qCDebug(lcPanel) << "State3: " << eRoute;
    if (eRoute != EthernetModem && eRoute != GsmModem)
        return;

    // The Ethernet modem is reached over TCP and USB, the GSM modem over the
    // two data ports.
    const WidgetList ethernetModel =
        usbControls(ui) + currentAddressControls(ui) + ethernetControls(ui) + WidgetList{ui->label};
    const WidgetList gsmModel =
        tcpGroupControls(ui) +
        WidgetList{ui->label_TCP2Settings, ui->pushButton_Abort232, ui->pushButton_Abort485};
    setAllEnabled(ethernetModel, eRoute == EthernetModem);
    setAllEnabled(gsmModel, eRoute == GsmModem);
}

void CommSettings::SetCurrentIp(const QByteArray &tstIpAddr)
{
    ui->lineEdit_CurrentIpAddr->setText(QString::fromUtf8(tstIpAddr));
}

void CommSettings::SetTcpConnectButtonStatus(bool bStatus)
{
    ui->pushButton_TcpConnect->setEnabled(bStatus);
}

void CommSettings::SetTcp232ConnectButtonStatus(bool bStatus)
{
    ui->pushButton_232Connect->setEnabled(bStatus);
}

void CommSettings::SetTcp485ConnectButtonStatus(bool bStatus)
{
    ui->pushButton_485Connect->setEnabled(bStatus);
}

// The store is opened for every call, so a value saved now is what every
// later Load reads, in this run and the next. An entry that could not be
// saved reads as what the user typed, for the rest of this run.
//
// The store may hold what this tool never wrote (a damaged file, huge or
// non-numeric values): reading shows what can be shown and writes nothing.
QString CommSettings::Load(const QString &Key)
{
    const auto unsaved = UnsavedEntries.constFind(Key);
    if (unsaved != UnsavedEntries.constEnd())
        return unsaved.value();
    QSettings settings(QStringLiteral("Telvor"), QStringLiteral("Configurator"));
    settings.beginGroup(QStringLiteral("Commsettings"));
    const QVariant value = settings.value(Key);
    settings.endGroup();
    // A line with commas reads back as a list, which has no text of its own.
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

// A store that cannot be written (read-only, a full disk, a folder where its
// file belongs) costs the user the entries at the next start, but nothing in
// this run; the user is told once.
void CommSettings::Save(const QString &Key, const QString &Data)
{
    QSettings settings(QStringLiteral("Telvor"), QStringLiteral("Configurator"));
    settings.beginGroup(QStringLiteral("Commsettings"));
    // Leaving an entry unchanged rewrites nothing: the store may hold lines
    // of its own that a rewrite would drop.
    if (!UnsavedEntries.contains(Key) && settings.value(Key) == QVariant(Data))
        return;
    settings.setValue(Key, Data);
    settings.endGroup();
    settings.sync();
    // A store that held lines it could not read reports a format error from
    // then on, yet is written; a folder in the file's place looks writable
    // but fails the write. So: a failed write, or a store known read-only.
    if (settings.status() != QSettings::AccessError && settings.isWritable()) {
        UnsavedEntries.remove(Key);
        return;
    }
    qCDebug(lcPanel) << "Entry" << Key << "not saved to" << settings.fileName() << "status" << settings.status();
    UnsavedEntries.insert(Key, Data);
    if (!SaveFailureReported) {
        SaveFailureReported = true;
        emit WriteStatusBar(tr("Connection settings could not be saved: %1").arg(settings.fileName()),
                            STATUS_LONG_MS);
    }
}

RouteRules::Press CommSettings::Press(eRoute_t eRoute)
{
    const bool routeUp[Max] = {TcpConnectionStatus, UsbConnectionStatus, Tcp232ConnectionStatus,
                               Tcp485ConnectionStatus};
    return RouteRules::press(eRoute, routeUp);
}

bool *CommSettings::RouteFlag(eRoute_t eRoute)
{
    switch (eRoute) {
    case TCP:
        return &TcpConnectionStatus;
    case USB:
        return &UsbConnectionStatus;
    case TCP232:
        return &Tcp232ConnectionStatus;
    case TCP485:
        return &Tcp485ConnectionStatus;
    case Max:
        break;
    }
    return nullptr;
}

void CommSettings::CheckAddressEntry(QLineEdit *Entry, const QString &Key)
{
    if (isAcceptedAddress(Entry->text()))
        Save(Key, Entry->text());
    else
        Entry->setText(Load(Key));
}

void CommSettings::CheckPortEntry(QLineEdit *Entry, const QString &Key)
{
    if (isAcceptedPort(Entry->text())) {
        qCDebug(lcPanel) << "Port Editing finished" << Entry->text();
        Save(Key, Entry->text());
    } else {
        Entry->setText(Load(Key));
    }
}

void CommSettings::SetPortSource(PortSource Source, PortStamp Stamp)
{
    Ports = Source ? std::move(Source) : PortSource(&machinePorts);
    PortsStamp = std::move(Stamp);
    LastPortsStamp.clear();
    if (PortsListed)
        WatchPorts();
}

QString CommSettings::SelectedPortName() const
{
    return ListedNames.value(ui->comboBox_COMPorts->currentIndex());
}

bool CommSettings::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::Paint && !PortsListed && !FirstListingQueued) {
        // Queued, so that it runs after this paint has reached the screen.
        FirstListingQueued = true;
        QTimer::singleShot(0, this, &CommSettings::EnsurePortsListed);
    }
    return handled;
}

void CommSettings::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    PanelShown = true;
    UpdatePortWatch();
}

void CommSettings::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    PanelShown = false;
    UpdatePortWatch();
}

bool CommSettings::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->comboBox_COMPorts && !PortsListed) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::Wheel:
            EnsurePortsListed();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CommSettings::EnsurePortsListed()
{
    if (PortsListed)
        return;
    PortsListed = true;
    LastPortsStamp = PortsStamp ? PortsStamp() : QByteArray();
    FollowPorts(Ports());
}

void CommSettings::WatchPorts()
{
    if (!PortsListed) {
        EnsurePortsListed();
        return;
    }
#ifdef Q_OS_WIN
    // An announced change: the ports now, and once more a moment later, as
    // a driver may name the port after announcing it.
    FollowPorts(Ports());
    if (PortsSettling) {
        PortsSettling = false;
        PortWatch->start(PortWatchIntervalMs);
    }
    return;
#endif
    // The token is taken before the listing, so a port that comes while the
    // listing runs is seen at the next look. After a change one more listing
    // follows: udev may still be filling in a new port's description.
    const QByteArray stamp = PortsStamp ? PortsStamp() : QByteArray();
    const bool changed = stamp.isEmpty() || stamp != LastPortsStamp;
    if (!changed && !PortsSettling)
        return;
    PortsSettling = changed && !stamp.isEmpty();
    LastPortsStamp = stamp;
    FollowPorts(Ports());
}

void CommSettings::FollowPorts(const QList<ListedPort> &Listed)
{
    QStringList Items;
    QStringList names;
    for (const ListedPort &port : Listed) {
        Items << tr("%1(%2)").arg(port.name, port.description);
        names << port.name;
    }
    QComboBox *list = ui->comboBox_COMPorts;
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown << list->itemText(i);
    if (shown == Items && names == ListedNames)
        return;

    // Items are removed and inserted one by one rather than the list being
    // rebuilt, so that a list the user has open stays open.
    const QString selected = ListedNames.value(list->currentIndex());
    ListedNames = names;
    for (int i = list->count() - 1; i >= 0; --i) {
        if (!Items.contains(list->itemText(i)))
            list->removeItem(i);
    }
    for (int i = 0; i < Items.size(); ++i) {
        if (i >= list->count() || list->itemText(i) != Items.at(i))
            list->insertItem(i, Items.at(i));
    }
    while (list->count() > Items.size())
        list->removeItem(list->count() - 1);

    const int kept = ListedNames.indexOf(selected);
    if (kept >= 0)
        list->setCurrentIndex(kept);
}

#ifdef Q_OS_WIN
void CommSettings::PortsAnnounced()
{
    if (!PortsWatched) {
        AnnouncedWhileIdle = true;
        return;
    }
    // Queued: the announcements of one change come together and make one
    // listing.
    PortsSettling = true;
    PortWatch->start(0);
}
#endif

void CommSettings::UpdatePortWatch()
{
    const bool watch = PanelShown && !UsbConnectionStatus;
#ifdef Q_OS_WIN
    if (watch)
        Announcer->Watch(window());
    if (watch == PortsWatched)
        return;
    PortsWatched = watch;
    if (!watch) {
        // A listing still due is made when watching resumes.
        AnnouncedWhileIdle = AnnouncedWhileIdle || PortWatch->isActive();
        PortWatch->stop();
        return;
    }
    // A port announced while the USB route was up (a pulled cable ends the
    // route) or the panel hidden is listed now.
    if (AnnouncedWhileIdle && PortsListed) {
        AnnouncedWhileIdle = false;
        PortsAnnounced();
    }
    return;
#endif
    if (watch == PortWatch->isActive())
        return;
    if (!watch) {
        PortWatch->stop();
        return;
    }
    PortWatch->start();
    // A port may have gone while the USB route was up (a pulled cable ends
    // the route), so look once now.
    if (PortsListed)
        WatchPorts();
}

void CommSettings::on_pushButton_RefreshCOM_clicked()
{
    qCDebug(lcPanel) << "Refreshed Com ports ";
    PortsListed = true;
    PortsSettling = false;
    LastPortsStamp = PortsStamp ? PortsStamp() : QByteArray();
    ui->comboBox_COMPorts->clear();
    ListedNames.clear();
    FollowPorts(Ports());
}

void CommSettings::on_pushButton_TcpConnect_clicked()
{
    qCDebug(lcPanel) << " Tcp state :" << TcpConnectionStatus;
    // An ETHERNET or USB route blocks a new configuration-service route.
    const RouteRules::Press press = Press(TCP);
    if (press == RouteRules::Press::Disconnect)
        emit DisconnectTcp();
    if (press != RouteRules::Press::Connect)
        return;
    emit ConnectTcp(ui->lineEdit_ServerIp->text(), portNumber(ui->lineEdit_ServerPort->text()));
}

void CommSettings::on_pushButton_UsbConnect_clicked()
{
    const RouteRules::Press press = Press(USB);
    if (press == RouteRules::Press::Disconnect)
        emit DisconnectComPort();
    if (press != RouteRules::Press::Connect)
        return;
    EnsurePortsListed();
    emit ConnectComPort(QSerialPortInfo(SelectedPortName()));
}

void CommSettings::on_pushButton_GetIpAddr_clicked()
{
    // The current address is a command of the Ethernet set.
    emit WriteData(RequestBuilder::command(CommandSet::Ethernet, CommandSet::Command::CurrentIp).frame);
}

void CommSettings::DataPortConnectClicked(eRoute_t eRoute)
{
    const DataPort port = dataPort(ui, eRoute);
    if (eRoute == TCP485)
        qCDebug(lcPanel) << " Tcp 485 state :" << Tcp485ConnectionStatus;
    qCDebug(lcPanel) << " Tcp 232 state :" << Tcp232ConnectionStatus;

    // Stays disabled until the main window reports a route state, so a slow
    // connection attempt cannot be requested twice.
    port.connectButton->setEnabled(false);

    const RouteRules::Press press = Press(eRoute);
    if (press == RouteRules::Press::Disconnect)
        emit(this->*port.disconnectSignal)();
    else if (press == RouteRules::Press::Connect)
        emit(this->*port.connectSignal)(ui->lineEdit_TcpServerIp->text(), portNumber(port.portEntry->text()));
}

void CommSettings::on_lineEdit_ServerIp_editingFinished()
{
    CheckAddressEntry(ui->lineEdit_ServerIp, KeyIp);
}

void CommSettings::on_lineEdit_ServerPort_editingFinished()
{
    CheckPortEntry(ui->lineEdit_ServerPort, KeyPort);
}

void CommSettings::on_pushButton_232Connect_clicked()
{
    DataPortConnectClicked(TCP232);
}

void CommSettings::on_pushButton_485Connect_clicked()
{
    DataPortConnectClicked(TCP485);
}

void CommSettings::on_lineEdit_ServerPort232_editingFinished()
{
    CheckPortEntry(ui->lineEdit_ServerPort232, KeyPort232);
}

void CommSettings::on_lineEdit_ServerPort485_editingFinished()
{
    CheckPortEntry(ui->lineEdit_ServerPort485, KeyPort485);
}

void CommSettings::on_lineEdit_TcpServerIp_editingFinished()
{
    CheckAddressEntry(ui->lineEdit_TcpServerIp, KeyIpTcp);
}

void CommSettings::on_pushButton_Abort485_clicked()
{
    emit AbortTcp485();
}

void CommSettings::on_pushButton_Abort232_clicked()
{
    emit AbortTcp232();
}
