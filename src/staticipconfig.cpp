#include "staticipconfig.h"
#include "ui_staticipconfig.h"

#include <QCloseEvent>

StaticIpConfig::StaticIpConfig(const CommSettings::eRoute_t &, QWidget *parent)
    : QWidget(parent), ui(new Ui::StaticIpConfig)
{
    ui->setupUi(this);
}

StaticIpConfig::~StaticIpConfig()
{
    delete ui;
}

void StaticIpConfig::ReadNetworkCfg(const QByteArray &) {}

void StaticIpConfig::closeEvent(QCloseEvent *e)
{
    QWidget::closeEvent(e);
    emit Close_StaticIpConfigWindow();
}

void StaticIpConfig::on_pushButton_Apply_clicked() {}
void StaticIpConfig::on_pushButton_Read_clicked() {}
void StaticIpConfig::on_checkBox_Dhcp_stateChanged(int) {}
