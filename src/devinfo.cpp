// The information window: one read-only entry per value of an information
// record, in record order. The reply handler creates one window per reply and
// deletes it once the window has announced its closing.
#include "devinfo.h"
#include "ui_devinfo.h"

#include "protocol/replyparser.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QIcon>
#include <QLineEdit>

#include <iterator>

DevInfo::DevInfo(const QList<QByteArray> &ParamList, QWidget *parent) : DevInfo(parent)
{
    QLineEdit *const entries[] = {
        ui->lineEdit_SerialNum,        ui->lineEdit_MacAddr,           ui->lineEdit_ProductType,
        ui->lineEdit_ProductSubType,   ui->lineEdit_VersionMajorApp,   ui->lineEdit_VersionMinorApp,
        ui->lineEdit_BoardType,        ui->lineEdit_VersionMajorBoard, ui->lineEdit_VersionMinorBoard,
        ui->lineEdit_VersionParameter,
    };
    // A short record fills what it has and leaves the other entries empty;
    // values after the tenth are not shown.
    const int shown = qMin(ParamList.size(), int(std::size(entries)));
    for (int i = 0; i < shown; ++i) {
        entries[i]->setText(ReplyParser::deviceText(ParamList.at(i)));
        entries[i]->setCursorPosition(0); // a value wider than its entry shows its start
    }
}

namespace {

// Every information window has the same icon. A device may be asked for its
// information many times in a session, and building the icon decodes its
// image, so it is decoded once and shared by all windows (a QIcon is
// implicitly shared). It is released with the application, whose pixmaps
// must not outlive it.
QIcon informationIcon()
{
    static QIcon *icon = nullptr;
    if (!icon) {
        icon = new QIcon(QStringLiteral(":/Button/Icons/info.png"));
        qAddPostRoutine([] {
            delete icon;
            icon = nullptr;
        });
    }
    return *icon;
}

} // namespace

DevInfo::DevInfo(QWidget *parent) : QDialog(parent), ui(new Ui::DevInfo)
{
    ui->setupUi(this);
    setWindowIcon(informationIcon());
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
