#pragma once

// The start window: the user picks the device model and continues to the main
// window for it, or cancels and ends the application.

#include <QMainWindow>

class TelvorConfigurator;

namespace Ui {
class DeviceChoose;
}

class DeviceChoose : public QMainWindow
{
    Q_OBJECT

public:
    explicit DeviceChoose(QWidget *parent = nullptr);
    ~DeviceChoose() override;

private slots:
    void on_pushButton_Login_clicked();
    void on_comboBox_ChooseDevice_currentIndexChanged(int index);
    void on_pushButton_Cancel_clicked();

private:
    Ui::DeviceChoose *ui;
    // Lives until the process ends; the chooser never deletes it.
    TelvorConfigurator *telvorconfigurator = nullptr;
};
