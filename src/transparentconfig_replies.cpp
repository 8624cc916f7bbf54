// The reply handler: the one place where what the device sends is applied.
//
// The main window hands over every reply read from the active route. The
// plain functions of replyparser check the frame, name the reply by the head
// (the bytes before its first "=") in the command table of the route, and read
// and check its record; only then does this file touch the page, the network
// window, the information windows or the signals. A record that is too short
// is not applied at all, and a value outside its range is skipped, so device
// data can never leave the page half filled or trip an assertion.

#include "transparentconfig.h"
#include "ui_transparentconfig.h"

#include "devinfo.h"
#include "replyparser.h"
#include "staticipconfig.h"

#include <QDebug>

namespace {

// What a reply asks for, the same on both command sets.
enum class ReplyKind
{
    None,
    PortRecord,
    NetworkRecord,
    CurrentIp,
    Restart,
    Ping,
    Close232,
    Close485,
    DeviceInfo,
    Ok,
    Error,
};

ReplyKind ethernetReply(int id)
{
    switch (id) {
    case TransparentConfig::eIdReadAll:
        return ReplyKind::PortRecord;
    case TransparentConfig::eIdReadNetworkCfg:
        return ReplyKind::NetworkRecord;
    case TransparentConfig::eIdCurrentIPAddr:
        return ReplyKind::CurrentIp;
    case TransparentConfig::eIdDeviceRestart:
        return ReplyKind::Restart;
    case TransparentConfig::eIdDevicePing:
        return ReplyKind::Ping;
    case TransparentConfig::eIdDeviceInfo:
        return ReplyKind::DeviceInfo;
    case TransparentConfig::eIdRetOK:
        return ReplyKind::Ok;
    case TransparentConfig::eIdRetERR:
        return ReplyKind::Error;
    default:
        return ReplyKind::None;
    }
}

ReplyKind gsmReply(int id)
{
    switch (id) {
    case TransparentConfig::eIdGSMReadAll:
        return ReplyKind::PortRecord;
    case TransparentConfig::eIdGSMReadNetworkCfg:
        return ReplyKind::NetworkRecord;
    case TransparentConfig::eIdGSMCurrentIPAddr:
        return ReplyKind::CurrentIp;
    case TransparentConfig::eIdGSMDeviceRestart:
        return ReplyKind::Restart;
    case TransparentConfig::eIdGSMDevicePing:
        return ReplyKind::Ping;
    case TransparentConfig::eId232ComClose:
        return ReplyKind::Close232;
    case TransparentConfig::eId485ComClose:
        return ReplyKind::Close485;
    case TransparentConfig::eIdGSMDeviceInfo:
        return ReplyKind::DeviceInfo;
    case TransparentConfig::eIdGSMRetOK:
        return ReplyKind::Ok;
    case TransparentConfig::eIdGSMRetERR:
        return ReplyKind::Error;
    default:
        return ReplyKind::None;
    }
}

const int RecordProblemMs = 3000;
const int AcknowledgeMs = 1000;

} // namespace

TransparentConfig::TrpErr_t TransparentConfig::Receive_Callback(QByteArray &qba,
                                                                StaticIpConfig *stStaticIpConfig)
{
    qDebug() << "Receive_Callback:" << qba;

    switch (ReplyParser::checkFrame(qba)) {
    case ReplyParser::FrameStatus::MissingLineEnd:
        return err_EndChr;
    case ReplyParser::FrameStatus::MissingPlus:
        qba = ReplyParser::frameBody(qba);
        return err_BeginChr;
    case ReplyParser::FrameStatus::Ok:
        break;
    }
    qba = ReplyParser::frameBody(qba);

    bool gsm = false;
    const QString *table = nullptr;
    int endMarker = 0;
    switch (CheckConnectionType) {
    case eETH:
    case eUSB:
        table = TrpCfgCmdTexts;
        endMarker = eTrpCfgCmd_Max;
        break;
    case eTCP485:
    case eTCP232:
        gsm = true;
        table = TrpCfgCmdGSMTexts;
        endMarker = eTrpCfgCmdGSM_Max;
        break;
    case eMax:
        return err_OK; // no route yet, so no command set to read the reply with
    }

    const int id = ReplyParser::findReplyId(ReplyParser::replyHead(qba), table, endMarker);
    const ReplyKind kind = id < 0 ? ReplyKind::None : gsm ? gsmReply(id) : ethernetReply(id);
    const QByteArray reply = qba;

    switch (kind) {
    case ReplyKind::None:
        break;

    case ReplyKind::PortRecord: {
        qba = ReplyParser::replyValues(reply);
        const ReplyParser::PortRecordLimits limits{
            EnableIndexMax, TrpModIndexMax, DatabitMin,    DatabitMax,    ParitybitMax, StopbitMin,
            StopbitMax,     BaudIndexMax,   WaitingChrMin, WaitingChrMax, WaitingMsMin, WaitingMsMax,
        };
        const ReplyParser::PortRecord record =
            ReplyParser::parsePortRecord(ReplyParser::splitRecord(reply), gsm, limits);
        if (!record.complete()) {
            reportRecordLength(table[gsm ? int(eIdGSMReadAll) : int(eIdReadAll)], record.received,
                               record.required);
            break;
        }
        ParamsAll = record.texts;
        fillPortRecord(record, gsm);

        if (!record.outOfRange.isEmpty()) {
            const int firstId = gsm ? GSM_AT_CMD_FIRST_ID : AT_CMD_FIRST_ID;
            QStringList skipped;
            for (int pos : record.outOfRange)
                skipped << table[firstId + pos] + QLatin1Char('=') + record.texts.at(pos);
            emit WriteStatusBar(tr("Out-of-range values skipped in %1 reply: %2")
                                    .arg(table[gsm ? int(eIdGSMReadAll) : int(eIdReadAll)],
                                         skipped.join(QStringLiteral(", "))),
                                RecordProblemMs);
        }
        break;
    }

    case ReplyKind::NetworkRecord: {
        qba = ReplyParser::replyValues(reply);
        if (stStaticIpConfig == nullptr) {
            qDebug() << "Receive_Callback: network record dropped, no network window open";
            break;
        }
        const int received = ReplyParser::splitRecord(reply).size();
        if (received != ReplyParser::NetworkRecordSize) {
            reportRecordLength(TrpCfgCmdTexts[eIdReadNetworkCfg], received, ReplyParser::NetworkRecordSize);
            break;
        }
        stStaticIpConfig->ReadNetworkCfg(qba);
        break;
    }

    case ReplyKind::CurrentIp:
        qba = ReplyParser::replyValues(reply);
        emit SetCurrentIpAddr(ReplyParser::decodeCurrentIp(qba));
        break;

    case ReplyKind::Restart:
        emit WriteStatusBar(tr("Device Restarted!"), AcknowledgeMs);
        emit DisconnectTcp();
        break;

    case ReplyKind::Ping:
        emit WriteStatusBar(tr("Ping -> OK"), AcknowledgeMs);
        break;

    case ReplyKind::Close232:
        emit WriteStatusBar(tr("232 Closed"), AcknowledgeMs);
        break;

    case ReplyKind::Close485:
        emit WriteStatusBar(tr("485 Closed"), AcknowledgeMs);
        break;

    case ReplyKind::DeviceInfo: {
        qba = ReplyParser::replyValues(reply);
        // Top-level and one per reply; DestroyDevInfo deletes it once closed.
        auto *window = new DevInfo(ReplyParser::splitRecord(reply), nullptr);
        connect(window, &DevInfo::Delete_DevInfo_Window, this, &TransparentConfig::DestroyDevInfo);
        // Nothing else deletes a window that is still open when the page goes.
        connect(this, &QObject::destroyed, window, [window] { delete window; });
        window->show();
        break;
    }

    case ReplyKind::Ok:
        emit WriteStatusBar(tr("Successfully written"), AcknowledgeMs);
        break;

    case ReplyKind::Error:
        qba = ReplyParser::replyValues(reply);
        emit WriteStatusBar(tr("Receive_Callback Error : %1").arg(QString::fromUtf8(qba)), AcknowledgeMs);
        return err_Unknown;
    }
    return err_OK;
}

void TransparentConfig::reportRecordLength(const QString &keyword, int received, int required)
{
    qDebug() << "Receive_Callback:" << keyword << "reply not applied," << received << "of" << required
             << "values";
    const QString text =
        received < required
            ? tr("Incomplete %1 reply: %2 of %3 values").arg(keyword).arg(received).arg(required)
            : tr("Invalid %1 reply: %2 values instead of %3").arg(keyword).arg(received).arg(required);
    emit WriteStatusBar(text, RecordProblemMs);
}

void TransparentConfig::fillPortRecord(const ReplyParser::PortRecord &record, bool gsm)
{
    fillPortBlock(eRoute_Serial_t::e485, record.port[0], gsm);
    fillPortBlock(eRoute_Serial_t::e232, record.port[1], gsm);
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
    if (valid[WaitingChr]) {
        *p.WaitingChr = static_cast<quint8>(v[WaitingChr] & 0xFF);
        CheckModChange(route);
    }
    if (valid[WaitingMs]) {
        *p.WaitingMs = v[WaitingMs];
        CheckModChange(route);
    }
    p.ModbusTimeout->setValue(v[Tmout]);
    p.EthTimeout->setValue(v[EthTmout]);
    if (!gsm)
        return;

    p.RetryCount->setValue(v[RetryCnt]);
    // The interval box's unit follows the retry count: seconds with retries,
    // milliseconds without. It must follow the count just read, not the one the
    // page showed before, or a millisecond interval would be cut to the
    // seconds range (and written back so).
    const bool inSeconds = p.RetryCount->value() >= 1;
    setCommandIntervalUnit(p, inSeconds);
    p.IntervalTime->setValue(inSeconds ? v[IntVal] / 1000 : v[IntVal]);

    qDebug() << (route == eRoute_Serial_t::e485 ? "Ping İnt ValOfList:" : "Ping İnt232 ValOfList:")
             << v[PingIntVal];
    p.PingInterval->setValue(v[PingIntVal] >= 1 ? v[PingIntVal] / 60 : v[PingIntVal]);
}

void TransparentConfig::DestroyDevInfo()
{
    // The window signals from inside its own close handling: delete it only
    // once that handling has returned.
    if (auto *window = qobject_cast<DevInfo *>(sender()))
        window->deleteLater();
}
