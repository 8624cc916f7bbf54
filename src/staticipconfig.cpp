// The network window. The reply handler hands it a network record through
// ReadNetworkCfg; Read asks the device for the record again and Apply sends
// the edited record as one WRITE_NETWORKCFG frame, then closes the window.
// Both requests leave through WriteData, which the main window writes on the
// active route.
#include "staticipconfig.h"
#include "ui_staticipconfig.h"

#include "logging.h"
#include "replyparser.h"
#include "requestbuilder.h"
#include "transparentconfig.h"

#include <QCloseEvent>
#include <QMessageBox>

StaticIpConfig::StaticIpConfig(const CommSettings::eRoute_t &rRoute, QWidget *parent)
    : QWidget(parent), ui(new Ui::StaticIpConfig), m_route(rRoute)
{
    ui->setupUi(this);
    // The captions keep their 110-pixel minimum but never cut their text when
    // the font is wider than the form was drawn for.
    for (QLabel *caption : {ui->label_MacAddr, ui->label_IpAddr, ui->label_DefaultGateway,
                            ui->label_SubnetMask, ui->label_DNS1_Addr, ui->label_DNS2_Addr})
        caption->setMinimumWidth(qMax(caption->minimumWidth(), caption->sizeHint().width()));

    Q_ASSERT_X(rRoute < CommSettings::eRoute_t::Max, "StaticIpConfig",
               "rRoute < CommSettings::eRoute_t::Max");
    // Over the configuration service the device's network settings are only
    // shown: changing them there would cut the connection in use.
    setViewOnly(rRoute == CommSettings::eRoute_t::TCP);
    ui->pushButton_Read->setEnabled(true);
}

void StaticIpConfig::setViewOnly(bool viewOnly)
{
    for (QLineEdit *entry : {ui->lineEdit_IpAddr, ui->lineEdit_DefaultGateway, ui->lineEdit_SubnetMask,
                             ui->lineEdit_DNS1_Addr, ui->lineEdit_DNS2_Addr})
        entry->setReadOnly(viewOnly);
    ui->checkBox_Dhcp->setEnabled(!viewOnly);
    ui->pushButton_Apply->setEnabled(!viewOnly);
}

void StaticIpConfig::routeEnded()
{
    setViewOnly(true);
    ui->pushButton_Apply->setToolTip(
        tr("The connection this window was opened on has ended. Close the window and open it again "
           "over USB to change the network settings."));
}

StaticIpConfig::~StaticIpConfig()
{
    delete ui;
}

void StaticIpConfig::ReadNetworkCfg(const QByteArray &qba)
{
    const ReplyParser::NetworkRecord record = ReplyParser::parseNetworkRecord(qba);
    if (!record.complete) {
        qCDebug(lcPage) << "ReadNetworkCfg: not a network record of" << ReplyParser::NetworkRecordSize
                        << "values:" << qba;
        return;
    }
    showNetworkRecord(record);
}

void StaticIpConfig::showNetworkRecord(const ReplyParser::NetworkRecord &record)
{
    Q_ASSERT(record.complete);
    ui->lineEdit_MacAddr->setText(QString::fromUtf8(record.mac));
    ui->lineEdit_MacAddr->setCursorPosition(0); // a text wider than its entry shows its start
    // Setting the box runs the DHCP handling, which greys out the addresses.
    ui->checkBox_Dhcp->setChecked(record.dhcp);

    QLineEdit *const entries[] = {ui->lineEdit_IpAddr, ui->lineEdit_SubnetMask, ui->lineEdit_DefaultGateway,
                                  ui->lineEdit_DNS1_Addr, ui->lineEdit_DNS2_Addr};
    for (int group = 0; group < 5; ++group) {
        qCDebug(lcPage) << record.addresses[group];
        entries[group]->setText(QString::fromUtf8(record.addresses[group]));
        entries[group]->setCursorPosition(0);
    }
}

void StaticIpConfig::closeEvent(QCloseEvent *e)
{
    QWidget::closeEvent(e);
    emit Close_StaticIpConfigWindow();
}

void StaticIpConfig::on_pushButton_Apply_clicked()
{
    // Wire order: address, mask, gateway, first DNS, second DNS (the form shows
    // the gateway above the mask).
    const struct
    {
        QLabel *caption;
        QLineEdit *entry;
    } addresses[] = {
        {ui->label_IpAddr, ui->lineEdit_IpAddr},
        {ui->label_SubnetMask, ui->lineEdit_SubnetMask},
        {ui->label_DefaultGateway, ui->lineEdit_DefaultGateway},
        {ui->label_DNS1_Addr, ui->lineEdit_DNS1_Addr},
        {ui->label_DNS2_Addr, ui->lineEdit_DNS2_Addr},
    };

    // Every entry becomes four values of the frame, so an entry that is not a
    // dotted address would shift the rest of the record on the device.
    for (const auto &address : addresses) {
        const QString text = address.entry->text();
        if (!ReplyParser::isDottedIpv4(text)) {
            QMessageBox::warning(this, tr("Uyarı !"),
                                 tr("%1 is not a valid IPv4 address: \"%2\"\n"
                                    "Enter four numbers from 0 to 255 separated by dots.")
                                     .arg(address.caption->text(), text),
                                 QMessageBox::Ok);
            address.entry->setFocus();
            return;
        }
    }

    // The static flag, then each address as its four octets.
    QStringList values{QString::number(ui->checkBox_Dhcp->checkState() == Qt::Unchecked ? 1 : 0)};
    for (const auto &address : addresses)
        values << address.entry->text().split(QLatin1Char('.'));
    const QByteArray frame =
        RequestBuilder::frame(TrpCfgCmdTexts[TransparentConfig::eIdWriteNetworkCfg], values);

    qCDebug(lcPage) << "Static ip request : " << frame;
    emit WriteData(frame);
    close();
}

void StaticIpConfig::on_pushButton_Read_clicked()
{
    emit WriteData(
        TransparentConfig::AT_Command_Formatter(TrpCfgCmdTexts[TransparentConfig::eIdReadNetworkCfg]));
}

void StaticIpConfig::on_checkBox_Dhcp_stateChanged(int arg1)
{
    const bool manual = arg1 == Qt::Unchecked;
    for (QLineEdit *entry : {ui->lineEdit_IpAddr, ui->lineEdit_DNS1_Addr, ui->lineEdit_DNS2_Addr,
                             ui->lineEdit_DefaultGateway, ui->lineEdit_SubnetMask})
        entry->setEnabled(manual);
}
