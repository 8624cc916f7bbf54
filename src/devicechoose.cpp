// The start window: its combo index is the device model (eDeviceModel_t):
// 0 "-Seçiniz-", 1 Ethernet modem, 2 GSM modem. "Devam Et" hands the model to
// a new main window and closes the chooser.

#include "devicechoose.h"
#include "ui_devicechoose.h"

#include "devicemodel.h"
#include "logging.h"
#include "telvorconfigurator.h"

#include <QCoreApplication>
#include <QPixmap>

DeviceChoose::DeviceChoose(QWidget *parent) : QMainWindow(parent), ui(new Ui::DeviceChoose)
{
    ui->setupUi(this);

    // At 100 % the 161-pixel logo fills its 161 x 161 label as it is. On a
    // screen that scales (150 %, 200 %) the 322-pixel one is scaled down to
    // the label's size in device pixels, so that it is never enlarged.
    const qreal ratio = devicePixelRatioF();
    const bool scaling = ratio > 1.0;
    QPixmap logo(scaling ? QStringLiteral(":/Button/Icons/telvorloging-@2x.png")
                         : QStringLiteral(":/Button/Icons/telvorloging-.png"));
    if (!logo.isNull()) {
        logo = logo.scaled(ui->label_LoginPic->size() * ratio, Qt::KeepAspectRatio,
                           scaling ? Qt::SmoothTransformation : Qt::FastTransformation);
        logo.setDevicePixelRatio(ratio);
        ui->label_LoginPic->setPixmap(logo);
    }

    if (ui->comboBox_ChooseDevice->currentIndex() == eNoModel)
        ui->pushButton_Login->setEnabled(false);
}

DeviceChoose::~DeviceChoose()
{
    delete ui;
}

void DeviceChoose::on_pushButton_Login_clicked()
{
    close();
    // The closed chooser is never shown again, but keeps its platform window
    // and its backing store (a window-sized image) until the process ends.
    // Release them once the click that got here has been handled: the window
    // is still delivering it.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (isHidden())
                destroy();
        },
        Qt::QueuedConnection);
    qCDebug(lcApp) << " Device Timer ";
    const auto DeviceChoice = eDeviceModel_t(ui->comboBox_ChooseDevice->currentIndex());
    telvorconfigurator = new TelvorConfigurator(nullptr, DeviceChoice);
    telvorconfigurator->show();
}

void DeviceChoose::on_comboBox_ChooseDevice_currentIndexChanged(int index)
{
    ui->pushButton_Login->setEnabled(index >= eEthernetModem);
}

void DeviceChoose::on_pushButton_Cancel_clicked()
{
    QCoreApplication::quit();
}
