// The reply handler: the one place where what the device sends is applied.
//
// The main window hands over every reply read from the active route.
// Receive_Callback reads it once into a typed event (ReplyParser::readEvent:
// the frame checked, the reply named by the head before its first "=" in the
// command table of the route, its record parsed and checked) and publishes
// the event. The page's own subscriptions below show port records, the
// network record in the network window, information windows and the status
// texts. A record that is too short is not applied at all, and a value
// outside its range is skipped, so device data can never leave the page half
// filled or trip an assertion.

#include "transparentconfig.h"
#include "ui_transparentconfig.h"

#include "devinfo.h"
#include "logging.h"
#include "staticipconfig.h"
#include "statustimes.h"
#include "ui/infowindows.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QSpinBox>

using ReplyParser::ReplyKind;

TransparentConfig::TrpErr_t TransparentConfig::Receive_Callback(QByteArray &qba,
                                                                StaticIpConfig *stStaticIpConfig)
{
    qCDebug(lcPage) << "Receive_Callback:" << qba;

    const ReplyParser::Event event = ReplyParser::readEvent(qba, commandSet());
    if (event.status == ReplyParser::FrameStatus::MissingLineEnd)
        return err_EndChr;
    qba = event.body;
    if (event.status == ReplyParser::FrameStatus::MissingPlus)
        return err_BeginChr;
    if (event.kind == ReplyKind::None)
        return err_OK;

    NetworkWindow = stStaticIpConfig;
    Events.publish(event);
    NetworkWindow = nullptr;

    // The replies that carry values leave only their values behind.
    switch (event.kind) {
    case ReplyKind::Error:
        qba = event.detail;
        return err_Unknown;
    case ReplyKind::PortRecord:
    case ReplyKind::NetworkRecord:
    case ReplyKind::CurrentIp:
    case ReplyKind::DeviceInfo:
        qba = ReplyParser::replyValues(event.body);
        break;
    default: // acknowledgements keep the reply
        break;
    }
    return err_OK;
}

void TransparentConfig::subscribe()
{
    connect(&Events, &DeviceEvents::portRecordRead, this, &TransparentConfig::applyPortRecord);
    connect(&Events, &DeviceEvents::networkRecordRead, this, &TransparentConfig::applyNetworkRecord);
    connect(&Events, &DeviceEvents::currentIpRead, this, &TransparentConfig::SetCurrentIpAddr);
    connect(&Events, &DeviceEvents::deviceInfoRead, this, &TransparentConfig::applyDeviceInfo);
    connect(&Events, &DeviceEvents::acknowledged, this, &TransparentConfig::applyAcknowledgement);
    connect(&Events, &DeviceEvents::refused, this, &TransparentConfig::applyError);
}

void TransparentConfig::applyPortRecord(const ReplyParser::PortRecord &record)
{
    if (!record.complete()) {
        reportRecordLength(CommandSet::keyword(commandSet(), CommandSet::Command::ReadAll), record.received,
                           record.required);
        return;
    }
    ParamsAll = record.texts;
    // Each changed box asks for its own repaint; the requests are gathered
    // into one paint of the window after the fill.
    fillPortRecord(record);
    if (!record.outOfRange.isEmpty())
        reportOutOfRange(record);
}

void TransparentConfig::reportOutOfRange(const ReplyParser::PortRecord &record)
{
    const CommandSet::Kind set = commandSet();
    QStringList skipped;
    for (int pos : record.outOfRange)
        skipped << PortSchema::keywordAt(set, pos) + QLatin1Char('=') + record.texts.at(pos);
    emit WriteStatusBar(tr("Out-of-range values skipped in %1 reply: %2")
                            .arg(CommandSet::keyword(set, CommandSet::Command::ReadAll),
                                 skipped.join(QStringLiteral(", "))),
                        STATUS_PROBLEM_MS);
}

// A window is handed only a whole record.
void TransparentConfig::applyNetworkRecord(const ReplyParser::NetworkRecord &record)
{
    if (NetworkWindow == nullptr) {
        qCDebug(lcPage) << "Receive_Callback: network record dropped, no network window open";
        return;
    }
    if (!record.complete) {
        reportRecordLength(CommandSet::keyword(commandSet(), CommandSet::Command::ReadNetworkCfg), record.received,
                           ReplyParser::NetworkRecordSize);
        return;
    }
    NetworkWindow->showNetworkRecord(record);
}

void TransparentConfig::applyDeviceInfo(const ReplyParser::InfoRecord &record)
{
    // One window per reply while there is room. DestroyDevInfo hands it
    // back once closed.
    if (DevInfo *window = InfoWindowSet->open(record.values))
        connect(window, &DevInfo::Delete_DevInfo_Window, this, &TransparentConfig::DestroyDevInfo);
}

void TransparentConfig::applyAcknowledgement(ReplyKind kind)
{
    static const struct
    {
        ReplyKind kind;
        const char *text;
    } Acknowledgements[] = {
        {ReplyKind::Restart, QT_TR_NOOP("Device Restarted!")},
        {ReplyKind::Ping, QT_TR_NOOP("Ping -> OK")},
        {ReplyKind::Close232, QT_TR_NOOP("232 Closed")},
        {ReplyKind::Close485, QT_TR_NOOP("485 Closed")},
        {ReplyKind::Ok, QT_TR_NOOP("Successfully written")},
    };
    for (const auto &acknowledgement : Acknowledgements) {
        if (acknowledgement.kind == kind)
            emit WriteStatusBar(tr(acknowledgement.text), STATUS_BRIEF_MS);
    }
    if (kind == ReplyKind::Ok)
        emit WriteAnswered();
    // A restarting device drops its configuration-service connection; this
    // closes only that route, whichever route carried the reply.
    if (kind == ReplyKind::Restart)
        emit DisconnectTcp();
}

// The detail after "=", or the whole reply when there is none.
void TransparentConfig::applyError(const QByteArray &detail)
{
    emit WriteStatusBar(tr("Receive_Callback Error : %1").arg(ReplyParser::deviceText(detail)), STATUS_BRIEF_MS);
    emit WriteAnswered();
}

void TransparentConfig::reportRecordLength(const QString &keyword, int received, int required)
{
    qCDebug(lcPage) << "Receive_Callback:" << keyword << "reply not applied," << received << "of" << required
                    << "values";
    const QString text =
        received < required
            ? tr("Incomplete %1 reply: %2 of %3 values").arg(keyword).arg(received).arg(required)
            : tr("Invalid %1 reply: %2 values instead of %3").arg(keyword).arg(received).arg(required);
    emit WriteStatusBar(text, STATUS_PROBLEM_MS);
}

void TransparentConfig::fillPortRecord(const ReplyParser::PortRecord &record)
{
    for (eRoute_Serial_t route : {eRoute_Serial_t::e485, eRoute_Serial_t::e232})
        fillPortBlock(route, record.port[int(route)]);
    if (usesGsmCommands()) {
        APNValue = record.apn;
        ui->lineEdit_APN->setText(ReplyParser::deviceText(APNValue));
    }
    if (record.infoResponseValid)
        ui->checkBox_InfoResponse->setChecked(record.infoResponse != 0);
}

// One loop over the schema's fields sets each widget once. The enable and
// mode boxes are kept quiet meanwhile: their handlers are for the user's
// edits (the enable box warns, the mode box resets the command interval).
// What a changed enable or mode means for the rest of the port is applied
// after the loop, from the values just read.
void TransparentConfig::fillPortBlock(eRoute_Serial_t route, const ReplyParser::PortBlock &block)
{
    using namespace ReplyParser;
    const PortUi &p = port(route);
    const CommandSet::Kind set = commandSet();
    const QSignalBlocker quietEnable(p.Enable);
    const QSignalBlocker quietMode(p.Mod);
    const int enableBefore = p.Enable->currentIndex();
    const int modeBefore = p.Mod->currentIndex();

    for (int f = 0; f < PortSchema::blockSize(set); ++f) {
        if (block.valid[f])
            showField(route, PortField(f), block.value[f]);
    }
    if (block.valid[Enable])
        *p.PortCheck = block.value[Enable];
    if (block.valid[ETHPort])
        *p.TcpPort = block.value[ETHPort];
    if (block.valid[TrpMode])
        *p.TrpMod = static_cast<eTrp_Mod_t>(block.value[TrpMode]);

    if (p.Enable->currentIndex() != enableBefore)
        applyEnableRule(route, p.Enable->currentIndex());
    // The silent interval that fits the mode, from both values just read. On
    // the GSM set the record's own command interval has been set above; the
    // mode rule's reset of it would only be overwritten.
    if (p.Mod->currentIndex() != modeBefore || block.valid[WaitingChr] || block.valid[WaitingMs]) {
        if (set == CommandSet::Gsm)
            setSilentIntervalUnit(route);
        else
            CheckModChange(route);
    }
}

void TransparentConfig::showField(eRoute_Serial_t route, ReplyParser::PortField f, qint32 v)
{
    using PortSchema::Unit;
    const PortUi &p = port(route);
    const PortSchema::Field &field = PortSchema::field(f);
    const PortUi::FieldBinding &at = p.Fields[f];
    switch (field.unit) {
    case Unit::Index:
        at.list->setCurrentIndex(v - field.min);
        break;
    case Unit::Plain:
        if (at.box)
            at.box->setValue(v);
        else if (at.stored)
            *at.stored = v;
        else
            *at.storedByte = static_cast<quint8>(v & 0xFF);
        break;
    case Unit::CommandInterval: {
        // The unit follows the retry count just read, not the one the page
        // showed before, or a millisecond interval would be cut to the
        // seconds range (and written back so).
        const int retries = p.RetryCount->value();
        setCommandIntervalRange(p, PortSchema::commandIntervalInSeconds(retries));
        at.box->setValue(PortSchema::commandIntervalFromWire(v, retries));
        RetryCountRuled[int(route)] = retries;
        break;
    }
    case Unit::PingInterval:
        qCDebug(lcPage) << (route == eRoute_Serial_t::e485 ? "Ping İnt ValOfList:" : "Ping İnt232 ValOfList:") << v;
        at.box->setValue(PortSchema::pingIntervalFromWire(v));
        break;
    }
}

void TransparentConfig::DestroyDevInfo()
{
    // The window signals from inside its own close handling: delete it only
    // once that handling has returned.
    if (auto *window = qobject_cast<DevInfo *>(sender()))
        InfoWindowSet->release(window);
}
