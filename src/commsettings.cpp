#include "commsettings.h"
#include "ui_commsettings.h"

CommSettings::CommSettings(QWidget *parent) : QWidget(parent), ui(new Ui::CommSettings)
{
    ui->setupUi(this);
}

CommSettings::~CommSettings()
{
    delete ui;
}

void CommSettings::SetUiConnectionStatus(eRoute_t, bool) {}
void CommSettings::SetUiSelectedDeviceStatus(int) {}
void CommSettings::SetCurrentIp(const QByteArray &) {}
void CommSettings::SetTcpConnectButtonStatus(bool) {}
void CommSettings::SetTcp232ConnectButtonStatus(bool) {}
void CommSettings::SetTcp485ConnectButtonStatus(bool) {}
QString CommSettings::Load(const QString &) { return QString(); }
void CommSettings::Save(const QString &, const QString &) {}
void CommSettings::on_pushButton_RefreshCOM_clicked() {}
void CommSettings::on_pushButton_TcpConnect_clicked() {}
void CommSettings::on_pushButton_UsbConnect_clicked() {}
void CommSettings::on_pushButton_GetIpAddr_clicked() {}
void CommSettings::on_lineEdit_ServerIp_editingFinished() {}
void CommSettings::on_lineEdit_ServerPort_editingFinished() {}
void CommSettings::on_pushButton_232Connect_clicked() {}
void CommSettings::on_pushButton_485Connect_clicked() {}
void CommSettings::on_lineEdit_ServerPort232_editingFinished() {}
void CommSettings::on_lineEdit_ServerPort485_editingFinished() {}
void CommSettings::on_lineEdit_TcpServerIp_editingFinished() {}
void CommSettings::on_pushButton_Abort485_clicked() {}
void CommSettings::on_pushButton_Abort232_clicked() {}
