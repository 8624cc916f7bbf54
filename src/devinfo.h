#pragma once

// The information window: shows one information record (serial number,
// MAC or IMEI, product and board types, versions) in ten read-only entries.
// One window per information reply; the window announces its closing through
// Delete_DevInfo_Window and its creator then deletes it.

#include <QByteArray>
#include <QDialog>
#include <QList>

class QCloseEvent;

namespace Ui {
class DevInfo;
}

class DevInfo : public QDialog
{
    Q_OBJECT

public:
    DevInfo(const QList<QByteArray> &ParamList, QWidget *parent = nullptr);
    explicit DevInfo(QWidget *parent = nullptr);
    ~DevInfo() override;

signals:
    void Delete_DevInfo_Window();

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    Ui::DevInfo *ui;
};
