// The reply handler: the one place where what the device sends is applied.
//
// The main window hands over every reply read from the active route.
// ReplyParser::readReply checks the frame and names the reply by the head (the
// bytes before its first "=") in the command table of the route; one apply
// step per kind of reply then reads and checks its record with the plain
// parser and only then touches the page, the network window, the information
// windows or the signals. A record that is too short is not applied at all,
// and a value outside its range is skipped, so device data can never leave
// the page half filled or trip an assertion.

#include "transparentconfig.h"
#include "ui_transparentconfig.h"

#include "commandset.h"
#include "devinfo.h"
#include "logging.h"
#include "staticipconfig.h"
#include "statustimes.h"
#include "ui/infowindows.h"

#include <QSignalBlocker>

#include <tuple>

using ReplyParser::ReplyKind;

TransparentConfig::TrpErr_t TransparentConfig::Receive_Callback(QByteArray &qba,
                                                                StaticIpConfig *stStaticIpConfig)
{
    qCDebug(lcPage) << "Receive_Callback:" << qba;

    const CommandSet::Kind set = CommandSet::forConnection(CheckConnectionType);
    const ReplyParser::Reply reply =
        ReplyParser::readReply(qba, CommandSet::keywordTable(set), CommandSet::endMarker(set));
    if (reply.status == ReplyParser::FrameStatus::MissingLineEnd)
        return err_EndChr;
    qba = reply.body;
    if (reply.status == ReplyParser::FrameStatus::MissingPlus)
        return err_BeginChr;

    switch (reply.kind) {
    case ReplyKind::None:
        return err_OK;
    case ReplyKind::PortRecord:
        applyPortRecord(reply.body);
        break;
    case ReplyKind::NetworkRecord:
        applyNetworkRecord(reply.body, stStaticIpConfig);
        break;
    case ReplyKind::CurrentIp:
        applyCurrentIp(reply.body);
        break;
    case ReplyKind::DeviceInfo:
        applyDeviceInfo(reply.body);
        break;
    case ReplyKind::Error:
        applyError(reply.body);
        emit WriteAnswered();
        qba = ReplyParser::replyValues(reply.body);
        return err_Unknown;
    default: // RESTART, PING, 232CLOSE, 485CLOSE and +OK
        applyAcknowledgement(reply.kind);
        if (reply.kind == ReplyKind::Ok)
            emit WriteAnswered();
        return err_OK;
    }
    // The replies that carry values leave only their values behind.
    qba = ReplyParser::replyValues(reply.body);
    return err_OK;
}

ReplyParser::PortRecordLimits TransparentConfig::recordLimits() const
{
    ReplyParser::PortRecordLimits limits;
    // Index limits: the lowest index is 0.
    limits.enableMax = EnableIndexMax;
    limits.trpModMax = TrpModIndexMax;
    limits.paritybitMax = ParitybitMax;
    limits.baudMax = BaudIndexMax;
    // Value ranges.
    std::tie(limits.databitMin, limits.databitMax) = std::tie(DatabitMin, DatabitMax);
    std::tie(limits.stopbitMin, limits.stopbitMax) = std::tie(StopbitMin, StopbitMax);
    std::tie(limits.waitingChrMin, limits.waitingChrMax) = std::tie(WaitingChrMin, WaitingChrMax);
    std::tie(limits.waitingMsMin, limits.waitingMsMax) = std::tie(WaitingMsMin, WaitingMsMax);
    return limits;
}

void TransparentConfig::applyPortRecord(const QByteArray &reply)
{
    const bool gsm = usesGsmCommands();
    const ReplyParser::PortRecord record =
        ReplyParser::parsePortRecord(ReplyParser::splitRecord(reply), gsm, RecordLimits);
    if (!record.complete()) {
        reportRecordLength(commandKeyword(eIdReadAll, eIdGSMReadAll), record.received, record.required);
        return;
    }
    ParamsAll = record.texts;
    // Each changed box asks for its own repaint; the requests are gathered
    // into one paint of the window after the fill.
    fillPortRecord(record, gsm);
    if (!record.outOfRange.isEmpty())
        reportOutOfRange(record);
}

void TransparentConfig::reportOutOfRange(const ReplyParser::PortRecord &record)
{
    const QString *table = CommandSet::keywordTable(CommandSet::forConnection(CheckConnectionType));
    const int firstId = usesGsmCommands() ? GSM_AT_CMD_FIRST_ID : AT_CMD_FIRST_ID;
    QStringList skipped;
    for (int pos : record.outOfRange)
        skipped << table[firstId + pos] + QLatin1Char('=') + record.texts.at(pos);
    emit WriteStatusBar(
        tr("Out-of-range values skipped in %1 reply: %2")
            .arg(commandKeyword(eIdReadAll, eIdGSMReadAll), skipped.join(QStringLiteral(", "))),
        STATUS_PROBLEM_MS);
}

// The record is parsed here, once: a window is handed only a whole record.
void TransparentConfig::applyNetworkRecord(const QByteArray &reply, StaticIpConfig *window)
{
    if (window == nullptr) {
        qCDebug(lcPage) << "Receive_Callback: network record dropped, no network window open";
        return;
    }
    const ReplyParser::NetworkRecord record =
        ReplyParser::parseNetworkRecord(ReplyParser::splitRecord(reply));
    if (!record.complete) {
        reportRecordLength(commandKeyword(eIdReadNetworkCfg, eIdGSMReadNetworkCfg), record.received,
                           ReplyParser::NetworkRecordSize);
        return;
    }
    window->showNetworkRecord(record);
}

void TransparentConfig::applyCurrentIp(const QByteArray &reply)
{
    emit SetCurrentIpAddr(ReplyParser::decodeCurrentIp(ReplyParser::replyValues(reply)));
}

void TransparentConfig::applyDeviceInfo(const QByteArray &reply)
{
    // One window per reply while there is room; the record is split only
    // for a window that opens. DestroyDevInfo hands it back once closed.
    if (DevInfo *window = InfoWindowSet->open([&reply] { return ReplyParser::splitRecord(reply); }))
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
    // A restarting device drops its configuration-service connection; this
    // closes only that route, whichever route carried the reply.
    if (kind == ReplyKind::Restart)
        emit DisconnectTcp();
}

// The detail after "=", or the whole reply when there is none.
void TransparentConfig::applyError(const QByteArray &reply)
{
    emit WriteStatusBar(
        tr("Receive_Callback Error : %1").arg(QString::fromUtf8(ReplyParser::replyValues(reply))),
        STATUS_BRIEF_MS);
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

void TransparentConfig::fillPortRecord(const ReplyParser::PortRecord &record, bool gsm)
{
    for (eRoute_Serial_t route : {eRoute_Serial_t::e485, eRoute_Serial_t::e232}) {
        fillPortBlock(route, record.port[int(route)], gsm);
        if (gsm)
            fillGsmFields(port(route), record.port[int(route)], route == eRoute_Serial_t::e485);
    }
    if (gsm) {
        APNValue = record.apn;
        ui->lineEdit_APN->setText(QString::fromUtf8(APNValue));
    }
    if (record.infoResponseValid)
        ui->checkBox_InfoResponse->setChecked(record.infoResponse != 0);
}

// Setting a combo index runs the page's own handler at once, so the stored
// value goes first: the enable handler then finds the box at the device's
// value and stays silent, and the mode handler sees the new mode.
void TransparentConfig::fillPortBlock(eRoute_Serial_t route, const ReplyParser::PortBlock &block, bool gsm)
{
    using namespace ReplyParser;
    const PortUi &p = port(route);
    const auto &v = block.value;
    const auto &valid = block.valid;

    if (valid[Enable]) {
        *p.PortCheck = v[Enable];
        p.Enable->setCurrentIndex(v[Enable]);
    }
    if (valid[ETHPort]) {
        p.Port->setValue(v[ETHPort]);
        *p.TcpPort = v[ETHPort];
    }
    if (valid[TrpMode]) {
        *p.TrpMod = static_cast<eTrp_Mod_t>(v[TrpMode]);
        // The mode's rule runs once, below, with the record's silent
        // interval: run from the box's own signal it would first apply the
        // interval the page held before, and all of it be redone.
        const QSignalBlocker modeFill(p.Mod);
        p.Mod->setCurrentIndex(v[TrpMode]);
    }
    if (valid[Databit])
        p.Datab->setCurrentIndex(v[Databit] - DatabitMin);
    if (valid[Paritybit])
        p.Parityb->setCurrentIndex(v[Paritybit]);
    if (valid[Stopbit])
        p.Stopb->setCurrentIndex(v[Stopbit] - StopbitMin);
    if (valid[Baud])
        p.Baud->setCurrentIndex(v[Baud]);
    if (valid[WaitingChr])
        *p.WaitingChr = static_cast<quint8>(v[WaitingChr] & 0xFF);
    if (valid[WaitingMs])
        *p.WaitingMs = v[WaitingMs];
    // The silent interval that fits the mode, from both values just read.
    // On the GSM set the record's own retry count and interval follow
    // (fillGsmFields), which set the command interval's unit and value; the
    // mode rule's reset of that interval would only be overwritten.
    if (valid[TrpMode] || valid[WaitingChr] || valid[WaitingMs]) {
        if (gsm)
            setSilentIntervalUnit(route);
        else
            CheckModChange(route);
    }
    p.ModbusTimeout->setValue(v[Tmout]);
    p.EthTimeout->setValue(v[EthTmout]);
}

void TransparentConfig::fillGsmFields(const PortUi &p, const ReplyParser::PortBlock &block, bool is485)
{
    using namespace ReplyParser;
    const auto &v = block.value;
    p.RetryCount->setValue(v[RetryCnt]);
    // The interval box's unit follows the retry count: it must follow the
    // count just read, not the one the page showed before, or a millisecond
    // interval would be cut to the seconds range (and written back so).
    const int retries = p.RetryCount->value();
    setCommandIntervalRange(p, commandIntervalInSeconds(retries));
    p.IntervalTime->setValue(commandIntervalFromWire(v[IntVal], retries));

    qCDebug(lcPage) << (is485 ? "Ping İnt ValOfList:" : "Ping İnt232 ValOfList:") << v[PingIntVal];
    p.PingInterval->setValue(pingIntervalFromWire(v[PingIntVal]));
}

void TransparentConfig::DestroyDevInfo()
{
    // The window signals from inside its own close handling: delete it only
    // once that handling has returned.
    if (auto *window = qobject_cast<DevInfo *>(sender()))
        InfoWindowSet->release(window);
}
