#pragma once

// The network window: shows and edits the device's network record (MAC
// address, static address or DHCP, address, mask, gateway, two DNS servers).
// It is filled from a network record that the reply handler has parsed, or
// from the record's bytes through ReadNetworkCfg, and sends its own requests
// as complete frames through WriteData.

#include "commsettings.h"
#include "replyparser.h"

#include <QByteArray>
#include <QWidget>

class QCloseEvent;

namespace Ui {
class StaticIpConfig;
}

class StaticIpConfig : public QWidget
{
    Q_OBJECT

public:
    StaticIpConfig(const CommSettings::eRoute_t &rRoute, QWidget *parent = nullptr);
    ~StaticIpConfig() override;

    // The values of a READ_NETWORKCFG reply (after its first "="): parsed,
    // and shown when they are a whole network record.
    void ReadNetworkCfg(const QByteArray &qba);
    // Shows a network record that has been parsed and found whole.
    void showNetworkRecord(const ReplyParser::NetworkRecord &record);

    // The route the window was opened on.
    CommSettings::eRoute_t route() const { return m_route; }
    // That route has gone down: the window only shows from now on, since an
    // Apply would reach the device over whatever route comes up next.
    void routeEnded();

signals:
    void WriteData(const QByteArray &qba);
    void Close_StaticIpConfigWindow();

protected:
    void closeEvent(QCloseEvent *e) override;

private slots:
    void on_pushButton_Apply_clicked();
    void on_pushButton_Read_clicked();
    void on_checkBox_Dhcp_stateChanged(int arg1);

private:
    void setViewOnly(bool viewOnly);

    Ui::StaticIpConfig *ui;
    const CommSettings::eRoute_t m_route;
};
