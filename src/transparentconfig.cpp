#include "transparentconfig.h"
#include "ui_transparentconfig.h"

TransparentConfig::TransparentConfig(QWidget *parent) : QWidget(parent), ui(new Ui::TransparentConfig)
{
    ui->setupUi(this);
}

TransparentConfig::~TransparentConfig()
{
    delete ui;
}

void TransparentConfig::SetETHSettings(const bool &) {}
void TransparentConfig::SetUSBSettings(const bool &) {}
void TransparentConfig::Set232Settings(const bool &) {}
void TransparentConfig::Set485Settings(const bool &) {}
void TransparentConfig::CheckUI_Enabled(const bool &, const eRoute_Serial_t &) {}
void TransparentConfig::CheckModChange(const eRoute_Serial_t &) {}
void TransparentConfig::ModifyBy_Mod(int &, int) {}
void TransparentConfig::on_pushButton_ConfigurationApply_clicked() {}
void TransparentConfig::on_pushButton_StaticIPConfig_clicked() {}
void TransparentConfig::on_pushButton_ReadConfiguration_clicked() {}
void TransparentConfig::on_comboBox_Enable_485_currentIndexChanged(int) {}
void TransparentConfig::on_comboBox_Enable_232_currentIndexChanged(int) {}
void TransparentConfig::on_comboBox_Mod_485_currentIndexChanged(int) {}
void TransparentConfig::on_comboBox_Mod_232_currentIndexChanged(int) {}
void TransparentConfig::on_spinBox_SilentInterval_485_editingFinished() {}
void TransparentConfig::on_spinBox_SilentInterval_232_editingFinished() {}
void TransparentConfig::on_spinBox_ModbusTimeout_485_editingFinished() {}
void TransparentConfig::on_spinBox_ModbusTimeout_232_editingFinished() {}
void TransparentConfig::on_spinBox_Port_485_editingFinished() {}
void TransparentConfig::on_spinBox_Port_232_editingFinished() {}
void TransparentConfig::on_spinBox_RetryCount_485_editingFinished() {}
void TransparentConfig::on_spinBox_RetryCount_232_editingFinished() {}
void TransparentConfig::on_spinBox_IntervalTime_485_editingFinished() {}
void TransparentConfig::on_spinBox_IntervalTime_232_editingFinished() {}
void TransparentConfig::on_spinBox_485_Ping_Interval_editingFinished() {}
void TransparentConfig::on_spinBox_232_Ping_Interval_editingFinished() {}
void TransparentConfig::on_lineEdit_APN_editingFinished() {}
