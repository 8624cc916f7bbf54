// The configuration page's own rules: which widgets are open on which route,
// the units of the silent-interval and command-interval boxes, the rounding
// and refusing of edits, and the three buttons that read and write the whole
// port record.
//
// Every rule is written once against a PortUi (one port's widgets and stored
// values) and the named RS-485 / RS-232 slots only choose the port. Requests
// are framed by requestbuilder and leave the page through WriteData; the
// reply handler fills the widgets and relies on PortCheck485/PortCheck232
// being set before it moves an enable box.

#include "transparentconfig.h"
#include "ui_transparentconfig.h"

#include "logging.h"
#include "ui/infowindows.h"

#include <QComboBox>
#include <QMessageBox>
#include <QSpinBox>

TransparentConfig::TransparentConfig(QWidget *parent) : QWidget(parent), ui(new Ui::TransparentConfig)
{
    ui->setupUi(this);
    // The page stays locked until a route comes up. It is locked only now,
    // after its controls exist: a control made inside a disabled parent is
    // described to screen readers as a plain widget, without its kind, value
    // or actions.
    setEnabled(false);
    bindPorts();
    qRegisterMetaType<RequestBuilder::Purpose>();
    subscribe();

    for (const PortUi &p : Ports) {
        Q_ASSERT(p.Enable->currentIndex() <= EnableIndexMax);
        Q_ASSERT(p.Baud->currentIndex() <= BaudIndexMax);
        Q_ASSERT(p.Datab->currentIndex() <= DatabitMax - DatabitMin);
        Q_ASSERT(p.Stopb->currentIndex() <= StopbitMax - StopbitMin);
        Q_ASSERT(p.Parityb->currentIndex() <= ParitybitMax);
    }

    CheckUI_Enabled(ui->comboBox_Enable_485->currentIndex() != 0, eRoute_Serial_t::e485);
    CheckUI_Enabled(ui->comboBox_Enable_232->currentIndex() != 0, eRoute_Serial_t::e232);

    InfoWindowSet = new InfoWindows(this);
    connect(InfoWindowSet, &InfoWindows::statusText, this, &TransparentConfig::WriteStatusBar);
}

TransparentConfig::~TransparentConfig()
{
    delete ui;
}

void TransparentConfig::bindPorts()
{
    PortUi &p485 = Ports[int(eRoute_Serial_t::e485)];
    p485.WaitingMs = &WaitingMs_485;
    p485.WaitingChr = &WaitingChr_485;
    p485.TcpPort = &TcpPort_485;
    p485.OtherTcpPort = &TcpPort_232;
    p485.TrpMod = &TrpMod_485;
    p485.PortCheck = &PortCheck485;
    p485.CarrierRoute = eTCP485;
    bindWidgets(p485, QStringLiteral("485"));

    PortUi &p232 = Ports[int(eRoute_Serial_t::e232)];
    p232.WaitingMs = &WaitingMs_232;
    p232.WaitingChr = &WaitingChr_232;
    p232.TcpPort = &TcpPort_232;
    p232.OtherTcpPort = &TcpPort_485;
    p232.TrpMod = &TrpMod_232;
    p232.PortCheck = &PortCheck232;
    p232.CarrierRoute = eTCP232;
    bindWidgets(p232, QStringLiteral("232"));

    for (PortUi &p : Ports)
        bindFields(p);
}

// The twin widgets of a port carry its name in their object names.
template <class Widget>
static Widget *portWidget(const QWidget *page, const char *kind, const char *field, const QString &name)
{
    return page->findChild<Widget *>(QStringLiteral("%1_%2_%3").arg(QLatin1String(kind), QLatin1String(field), name));
}

void TransparentConfig::bindWidgets(PortUi &p, const QString &name)
{
    const auto list = [this, &name](const char *field) { return portWidget<QComboBox>(this, "comboBox", field, name); };
    const auto box = [this, &name](const char *field) { return portWidget<QSpinBox>(this, "spinBox", field, name); };
    p.Name = name;
    p.Enable = list("Enable");
    p.Mod = list("Mod");
    p.Datab = list("Datab");
    p.Parityb = list("Parityb");
    p.Stopb = list("Stopb");
    p.Baud = list("Baud");
    p.Port = box("Port");
    p.EthTimeout = box("EthTimeout");
    p.ModbusTimeout = box("ModbusTimeout");
    p.SilentInterval = box("SilentInterval");
    p.RetryCount = box("RetryCount");
    p.IntervalTime = box("IntervalTime");
    p.PingInterval = findChild<QSpinBox *>(QStringLiteral("spinBox_%1_Ping_Interval").arg(name));
    for (QWidget *widget : serialSettings(p) + QList<QWidget *>{p.Enable, p.RetryCount, p.IntervalTime, p.PingInterval})
        Q_ASSERT_X(widget, "bindWidgets", qPrintable(name));
}

void TransparentConfig::bindFields(PortUi &p)
{
    using namespace ReplyParser;
    p.Fields[Enable].list = p.Enable;
    p.Fields[ETHPort].box = p.Port;
    p.Fields[TrpMode].list = p.Mod;
    p.Fields[Databit].list = p.Datab;
    p.Fields[Paritybit].list = p.Parityb;
    p.Fields[Stopbit].list = p.Stopb;
    p.Fields[Baud].list = p.Baud;
    p.Fields[WaitingChr].storedByte = p.WaitingChr;
    p.Fields[WaitingMs].stored = p.WaitingMs;
    p.Fields[Tmout].box = p.ModbusTimeout;
    p.Fields[EthTmout].box = p.EthTimeout;
    p.Fields[RetryCnt].box = p.RetryCount;
    p.Fields[IntVal].box = p.IntervalTime;
    p.Fields[PingIntVal].box = p.PingInterval;
}

TransparentConfig::PortUi &TransparentConfig::port(eRoute_Serial_t route)
{
    Q_ASSERT(route == eRoute_Serial_t::e485 || route == eRoute_Serial_t::e232);
    return Ports[int(route)];
}

const TransparentConfig::PortUi &TransparentConfig::port(eRoute_Serial_t route) const
{
    Q_ASSERT(route == eRoute_Serial_t::e485 || route == eRoute_Serial_t::e232);
    return Ports[int(route)];
}

TransparentConfig::eRoute_Serial_t TransparentConfig::otherPort(eRoute_Serial_t route)
{
    return route == eRoute_Serial_t::e485 ? eRoute_Serial_t::e232 : eRoute_Serial_t::e485;
}

QList<QWidget *> TransparentConfig::serialSettings(const PortUi &p)
{
    return {p.Port,    p.EthTimeout, p.ModbusTimeout, p.SilentInterval, p.Mod, p.Datab,
            p.Parityb, p.Stopb,      p.Baud};
}

CommandSet::Kind TransparentConfig::commandSet() const
{
    // The page's own names for the routes, in its own order.
    switch (CheckConnectionType) {
    case eETH:
    case eUSB:
        return CommandSet::Ethernet;
    case eTCP485:
    case eTCP232:
        return CommandSet::Gsm;
    case eMax:
        break;
    }
    return CommandSet::None;
}

bool TransparentConfig::usesGsmCommands() const
{
    return commandSet() == CommandSet::Gsm;
}

// ---------------------------------------------------------------------------
// Route settings

void TransparentConfig::setGsmOnlyEnabled(bool bEnabled)
{
    const QList<QWidget *> gsmOnly = {
        ui->lineEdit_APN,
        ui->label_APN,
        ui->spinBox_RetryCount_485,
        ui->spinBox_RetryCount_232,
        ui->spinBox_IntervalTime_485,
        ui->spinBox_IntervalTime_232,
        ui->spinBox_485_Ping_Interval,
        ui->spinBox_232_Ping_Interval,
        ui->label_Retry_Count,
        ui->label_Cmd_Interval_Tme,
        ui->label_Ping_Interval,
    };
    for (QWidget *widget : gsmOnly)
        widget->setEnabled(bEnabled);
}

void TransparentConfig::SetETHSettings(const bool &bState)
{
    setGsmOnlyEnabled(!bState);
    CheckConnectionType = eETH;
}

void TransparentConfig::SetUSBSettings(const bool &bState)
{
    setGsmOnlyEnabled(!bState);
    CheckConnectionType = eUSB;
}

// On a data-port route the carrying port keeps its enable and TCP port locked
// (changing them would cut the connection in use) and opens its serial and GSM
// settings; the other port only opens its enable and TCP port.
void TransparentConfig::applyDataPortRoute(eRoute_Serial_t carrier, bool bState)
{
    const PortUi &own = port(carrier);
    const PortUi &other = port(otherPort(carrier));

    for (QWidget *widget : serialSettings(own))
        widget->setEnabled(bState);
    own.Port->setEnabled(!bState);
    for (QWidget *widget : serialSettings(other))
        widget->setEnabled(!bState);
    other.Port->setEnabled(bState);

    own.Enable->setEnabled(!bState);
    other.Enable->setEnabled(bState);

    for (QWidget *widget : {own.RetryCount, own.IntervalTime, own.PingInterval})
        widget->setEnabled(bState);
    for (QWidget *widget : {other.RetryCount, other.IntervalTime, other.PingInterval})
        widget->setEnabled(!bState);

    ui->pushButton_StaticIPConfig->setEnabled(!bState);
    // A data port is a GSM route: the APN and the captions of the GSM rows
    // open with it, whatever an Ethernet route locked before a model switch.
    if (bState) {
        const QList<QWidget *> apnAndCaptions = {ui->lineEdit_APN, ui->label_APN, ui->label_Retry_Count,
                                                 ui->label_Cmd_Interval_Tme, ui->label_Ping_Interval};
        for (QWidget *widget : apnAndCaptions)
            widget->setEnabled(true);
    }
    CheckConnectionType = own.CarrierRoute;
}

void TransparentConfig::Set232Settings(const bool &bState)
{
    applyDataPortRoute(eRoute_Serial_t::e232, bState);
}

void TransparentConfig::Set485Settings(const bool &bState)
{
    applyDataPortRoute(eRoute_Serial_t::e485, bState);
}

// A switch, not a table of member-function pointers: GCC's bounds check
// reports an index into such a table as out of bounds whatever its value,
// which stops every route under the sanitizers.
void TransparentConfig::SetRouteSettings(RouteId route, bool bState)
{
    Q_ASSERT(route >= RouteIds::TCP && route < RouteIds::Max);
    switch (route) {
    case RouteIds::TCP:
        SetETHSettings(bState);
        break;
    case RouteIds::USB:
        SetUSBSettings(bState);
        break;
    case RouteIds::TCP232:
        Set232Settings(bState);
        break;
    case RouteIds::TCP485:
        Set485Settings(bState);
        break;
    case RouteIds::Max:
        break;
    }
}

void TransparentConfig::CheckUI_Enabled(const bool &bState, const eRoute_Serial_t &Route)
{
    for (QWidget *widget : serialSettings(port(Route)))
        widget->setEnabled(bState);

    // The TCP port of the port that carries a data-port route stays locked.
    for (const PortUi &p : Ports) {
        if (CheckConnectionType == p.CarrierRoute)
            p.Port->setEnabled(false);
    }
}

// ---------------------------------------------------------------------------
// Units and steps

// A new suffix lays the box out again; most unit changes during a record
// fill keep the suffix the box already shows.
static void setSuffixIfChanged(QSpinBox *box, const QString &suffix)
{
    if (box->suffix() != suffix)
        box->setSuffix(suffix);
}

void TransparentConfig::setCommandIntervalRange(const PortUi &p, bool inSeconds)
{
    QSpinBox *box = p.IntervalTime;
    if (inSeconds) {
        setSuffixIfChanged(box, tr("   s"));
        box->setMaximum(CmdIntvervalMaxS);
        box->setMinimum(CmdIntvervalMinS);
        box->setSingleStep(1);
    } else {
        setSuffixIfChanged(box, tr("    ms"));
        box->setMaximum(CmdIntvervalMaxMs);
        box->setMinimum(CmdIntvervalMinMs);
        box->setSingleStep(100);
    }
}

void TransparentConfig::setCommandIntervalUnit(const PortUi &p, bool inSeconds)
{
    setCommandIntervalRange(p, inSeconds);
    // In seconds, 1 is limited to the minimum: the box shows 3.
    p.IntervalTime->setValue(inSeconds ? 1 : 100);
}

void TransparentConfig::CheckModChange(const eRoute_Serial_t &eMod)
{
    setSilentIntervalUnit(eMod);
    const PortUi &p = port(eMod);
    setCommandIntervalUnit(p, p.RetryCount->value() > 0);
}

void TransparentConfig::setSilentIntervalUnit(eRoute_Serial_t route)
{
    const PortUi &p = port(route);
    QSpinBox *box = p.SilentInterval;
    if (*p.TrpMod == eTrp_Mod_t::eFullTransparent) {
        box->setMaximum(WaitingMsMax);
        box->setValue(*p.WaitingMs);
        box->setMinimum(WaitingMsMin);
        setSuffixIfChanged(box, tr("    ms"));
        box->setSingleStep(10);
    } else {
        box->setMinimum(WaitingChrMin);
        box->setValue(*p.WaitingChr);
        box->setMaximum(WaitingChrMax);
        setSuffixIfChanged(box, tr("     char"));
        box->setSingleStep(1);
    }
}

void TransparentConfig::ModifyBy_Mod(int &Value, int Modval)
{
    Q_ASSERT(Modval > 0);
    if (Modval <= 0)
        return;
    const int remainder = Value % Modval;
    if (remainder != 0)
        Value -= remainder;
}

void TransparentConfig::roundToStep(QSpinBox *box)
{
    int value = box->value();
    ModifyBy_Mod(value, box->singleStep());
    box->setValue(value);
}

// ---------------------------------------------------------------------------
// Field rules

void TransparentConfig::portEnableChanged(eRoute_Serial_t route, int index)
{
    const PortUi &p = port(route);
    if (p.Enable->currentIndex() != *p.PortCheck)
        QMessageBox::warning(this, tr("Uyarı !"), tr("Portunuz açık ise kapatılacak !"));
    applyEnableRule(route, index);
}

void TransparentConfig::applyEnableRule(eRoute_Serial_t route, int index)
{
    // On the other port's data-port route this port's serial settings stay
    // as the route left them.
    if (CheckConnectionType == port(otherPort(route)).CarrierRoute)
        return;
    CheckUI_Enabled(index != 0, route);
}

void TransparentConfig::portModeChanged(eRoute_Serial_t route, int index)
{
    Q_ASSERT(index >= 0 && index <= TrpModIndexMax);
    const PortUi &p = port(route);
    *p.TrpMod = static_cast<eTrp_Mod_t>(index);
    qCDebug(lcPage) << "index :" << index << "Mod :" << int(*p.TrpMod);
    CheckModChange(route);
}

void TransparentConfig::silentIntervalFinished(eRoute_Serial_t route)
{
    const PortUi &p = port(route);
    const int value = p.SilentInterval->value();
    if (*p.TrpMod == eTrp_Mod_t::eFullTransparent) {
        *p.WaitingMs = value;
        ModifyBy_Mod(*p.WaitingMs, p.SilentInterval->singleStep());
        p.SilentInterval->setValue(*p.WaitingMs);
        Q_ASSERT(*p.WaitingMs >= WaitingMsMin && *p.WaitingMs <= WaitingMsMax);
    } else {
        Q_ASSERT(value >= WaitingChrMin && value <= WaitingChrMax);
        *p.WaitingChr = static_cast<quint8>(value);
    }
}

// Two ports on one TCP port cannot both listen: the value the other port holds
// is refused and the last accepted one comes back.
void TransparentConfig::tcpPortFinished(eRoute_Serial_t route)
{
    const PortUi &p = port(route);
    const int value = p.Port->value();
    if (value != *p.OtherTcpPort)
        *p.TcpPort = value;
    p.Port->setValue(*p.TcpPort);
    qCDebug(lcPage) << QStringLiteral("TcpPort_%1:").arg(p.Name) << *p.TcpPort;
}

// A finished edit runs the retry-count rule only when the count has changed
// since the page was filled or the rule last ran: tabbing or clicking through
// the box keeps the command interval that was read.
void TransparentConfig::retryCountFinished(eRoute_Serial_t route)
{
    if (port(route).RetryCount->value() != RetryCountRuled[int(route)])
        applyRetryCountRule(route);
}

void TransparentConfig::applyRetryCountRule(eRoute_Serial_t route)
{
    const PortUi &p = port(route);
    setCommandIntervalUnit(p, p.RetryCount->value() > 0);
    RetryCountRuled[int(route)] = p.RetryCount->value();
}

bool TransparentConfig::showsCommandIntervalInSeconds(const PortUi &p) const
{
    return p.IntervalTime->minimum() == CmdIntvervalMinS && p.IntervalTime->maximum() == CmdIntvervalMaxS;
}

// A retry count changed without finishing its edit (set by a screen reader,
// or by the wheel while the box had the focus) leaves the command interval
// in the other unit: written so, "100 ms" would go out as 100000. Such an
// interval is brought into its count's unit first, as the finished edit
// would have; an interval already in its count's unit stays as it is.
void TransparentConfig::matchCommandIntervalsToRetryCounts()
{
    for (eRoute_Serial_t route : {eRoute_Serial_t::e485, eRoute_Serial_t::e232}) {
        const PortUi &p = port(route);
        if (PortSchema::commandIntervalInSeconds(p.RetryCount->value()) != showsCommandIntervalInSeconds(p))
            applyRetryCountRule(route);
    }
}

void TransparentConfig::on_comboBox_Enable_485_currentIndexChanged(int index)
{
    portEnableChanged(eRoute_Serial_t::e485, index);
}

void TransparentConfig::on_comboBox_Enable_232_currentIndexChanged(int index)
{
    portEnableChanged(eRoute_Serial_t::e232, index);
}

void TransparentConfig::on_comboBox_Mod_485_currentIndexChanged(int index)
{
    portModeChanged(eRoute_Serial_t::e485, index);
}

void TransparentConfig::on_comboBox_Mod_232_currentIndexChanged(int index)
{
    portModeChanged(eRoute_Serial_t::e232, index);
}

void TransparentConfig::on_spinBox_SilentInterval_485_editingFinished()
{
    silentIntervalFinished(eRoute_Serial_t::e485);
}

void TransparentConfig::on_spinBox_SilentInterval_232_editingFinished()
{
    silentIntervalFinished(eRoute_Serial_t::e232);
}

void TransparentConfig::on_spinBox_ModbusTimeout_485_editingFinished()
{
    roundToStep(ui->spinBox_ModbusTimeout_485);
}

void TransparentConfig::on_spinBox_ModbusTimeout_232_editingFinished()
{
    roundToStep(ui->spinBox_ModbusTimeout_232);
}

void TransparentConfig::on_spinBox_Port_485_editingFinished()
{
    tcpPortFinished(eRoute_Serial_t::e485);
}

void TransparentConfig::on_spinBox_Port_232_editingFinished()
{
    tcpPortFinished(eRoute_Serial_t::e232);
}

void TransparentConfig::on_spinBox_RetryCount_485_editingFinished()
{
    retryCountFinished(eRoute_Serial_t::e485);
}

void TransparentConfig::on_spinBox_RetryCount_232_editingFinished()
{
    retryCountFinished(eRoute_Serial_t::e232);
}

void TransparentConfig::on_spinBox_IntervalTime_485_editingFinished()
{
    roundToStep(ui->spinBox_IntervalTime_485);
}

void TransparentConfig::on_spinBox_IntervalTime_232_editingFinished()
{
    roundToStep(ui->spinBox_IntervalTime_232);
}

void TransparentConfig::on_spinBox_485_Ping_Interval_editingFinished()
{
    roundToStep(ui->spinBox_485_Ping_Interval);
}

void TransparentConfig::on_spinBox_232_Ping_Interval_editingFinished()
{
    roundToStep(ui->spinBox_232_Ping_Interval);
}

void TransparentConfig::on_lineEdit_APN_editingFinished()
{
    // The warning box takes the focus from the line edit, which finishes the
    // edit once more; that second notice belongs to the edit already warned of.
    if (ApnWarningOpen)
        return;
    const QString text = ui->lineEdit_APN->text();
    if (text != ReplyParser::deviceText(APNValue)) {
        ApnWarningOpen = true;
        QMessageBox::warning(
            this, tr("Uyarı !"),
            tr("APN Değiştirildi Değişiklikleri modeme yazarsanız modem yeniden başlatılacak !"));
        ApnWarningOpen = false;
    }
    ui->lineEdit_APN->setText(text);
}

// ---------------------------------------------------------------------------
// Read, write and the network window

void TransparentConfig::on_pushButton_StaticIPConfig_clicked()
{
    emit OpenStaticIpWindow();
}

void TransparentConfig::requestPortRecord()
{
    const RequestBuilder::Request request = RequestBuilder::command(commandSet(), CommandSet::Command::ReadAll);
    if (!request.frame.isEmpty())
        emit WriteData(request.frame, request.purpose);
}

void TransparentConfig::on_pushButton_ReadConfiguration_clicked()
{
    requestPortRecord();
}

QStringList TransparentConfig::portBlockValues(const PortUi &p, CommandSet::Kind set) const
{
    using PortSchema::Unit;
    QStringList values;
    for (int f = 0; f < PortSchema::blockSize(set); ++f) {
        const PortSchema::Field &field = PortSchema::field(ReplyParser::PortField(f));
        const PortUi::FieldBinding &at = p.Fields[f];
        int value = 0;
        switch (field.unit) {
        case Unit::Index:
            value = at.list->currentIndex() + field.min;
            break;
        case Unit::Plain:
            value = at.box ? at.box->value() : at.stored ? *at.stored : *at.storedByte;
            break;
        case Unit::CommandInterval:
            value = PortSchema::commandIntervalToWire(at.box->value(), p.RetryCount->value());
            break;
        case Unit::PingInterval:
            value = PortSchema::pingIntervalToWire(at.box->value());
            break;
        }
        values << QString::number(value);
    }
    return values;
}

QStringList TransparentConfig::portRecordValues() const
{
    const CommandSet::Kind set = commandSet();
    QStringList values;
    for (const PortUi &p : Ports)
        values << portBlockValues(p, set);
    if (PortSchema::apnPosition(set) >= 0)
        values << ui->lineEdit_APN->text();
    values << QString::number(ui->checkBox_InfoResponse->isChecked() ? 1 : 0);
    Q_ASSERT(values.size() == CommandSet::portRecordSize(set));
    return values;
}

// Seven data bits without parity is rarely what a line needs: each port set so
// asks first, and the write goes ahead only if every question got a Yes.
bool TransparentConfig::confirmSevenBitsWithoutParity()
{
    bool bWriteControl = true;
    for (const PortUi &p : Ports) {
        if (p.Datab->currentIndex() == 0 && p.Parityb->currentIndex() == 0) {
            const QMessageBox::StandardButton reply =
                QMessageBox::warning(this, tr("RS%1 Config Warning").arg(p.Name),
                                     tr("7bit Parity None olarak devam etmek istiyor musunuz ?"),
                                     QMessageBox::Yes | QMessageBox::No);
            if (reply != QMessageBox::Yes)
                bWriteControl = false;
        }
    }
    return bWriteControl;
}

void TransparentConfig::on_pushButton_ConfigurationApply_clicked()
{
    if (commandSet() == CommandSet::None)
        return; // no route has come up yet: there is no command set to write with

    // The record has no escaping: a separator inside the APN would shift every
    // value after it on the device.
    if (usesGsmCommands()) {
        const QString apn = ui->lineEdit_APN->text();
        if (apn.contains(QLatin1Char(',')) || apn.contains(QLatin1Char('\r')) ||
            apn.contains(QLatin1Char('\n'))) {
            QMessageBox::warning(this, tr("Uyarı !"),
                                 tr("APN içinde virgül veya satır sonu olamaz ! Yapılandırma yazılmadı."));
            return;
        }
    }

    if (usesGsmCommands())
        matchCommandIntervalsToRetryCounts();

    const bool bWriteControl = confirmSevenBitsWithoutParity();
    const QStringList list = portRecordValues();
    const RequestBuilder::Request request = RequestBuilder::writePortRecord(commandSet(), list);
    qCDebug(lcPage) << "ParamsAll:" << ParamsAll;
    qCDebug(lcPage) << "list:" << list;

    if (list != ParamsAll) {
        const QMessageBox::StandardButton reply = QMessageBox::question(
            this, tr("Dikkat !"), tr("Parametrelerinizde değişiklik var. Devam etmek istiyor musunuz ?"),
            QMessageBox::Yes | QMessageBox::No);
        if (reply != QMessageBox::Yes) {
            // Declining discards the edits: the device's record refills the page.
            requestPortRecord();
            return;
        }
    }
    if (bWriteControl)
        emit WriteData(request.frame, request.purpose);
}
