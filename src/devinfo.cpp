#include "devinfo.h"
#include "ui_devinfo.h"

#include <QCloseEvent>

DevInfo::DevInfo(const QList<QByteArray> &, QWidget *parent) : QDialog(parent), ui(new Ui::DevInfo)
{
    ui->setupUi(this);
}

DevInfo::DevInfo(QWidget *parent) : QDialog(parent), ui(new Ui::DevInfo)
{
    ui->setupUi(this);
}

DevInfo::~DevInfo()
{
    delete ui;
}

void DevInfo::closeEvent(QCloseEvent *e)
{
    QDialog::closeEvent(e);
    emit Delete_DevInfo_Window();
}
