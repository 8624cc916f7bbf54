#pragma once

// The connection panel: the ETHERNET, USB and TCP (data port) groups.
//
// The panel never opens a route itself. Its buttons emit route requests that
// the main window connects to its route slots; the main window reports each
// route's state back through SetUiConnectionStatus. The five endpoint entries
// are kept in the platform's settings store between runs.
//
// The COM PORT list is filled once the panel has first been painted (listing
// the machine's serial ports is slow enough to delay the first picture) and,
// while the USB route is idle, follows ports as they are plugged in and out:
// on Windows as the system announces them, elsewhere by a look every second.

#include "link/route.h"

#include <QByteArray>
#include <QHash>
#include <QSerialPortInfo>
#include <QString>
#include <QWidget>

#include <functional>

class QLineEdit;
class QTimer;
#ifdef Q_OS_WIN
class PortAnnouncer;
#endif

namespace Ui {
class CommSettings;
}

// The route ids (eRoute_t, TCP, USB, TCP232, TCP485, Max) are RouteIds'.
class CommSettings : public QWidget, public RouteIds
{
    Q_OBJECT

public:

    explicit CommSettings(QWidget *parent = nullptr);
    ~CommSettings() override;

    void SetUiConnectionStatus(eRoute_t eRoute, bool ConnectionState);
    // The argument is the device model: 1 Ethernet modem, 2 GSM modem.
    void SetUiSelectedDeviceStatus(int eRoute);
    void SetCurrentIp(const QByteArray &tstIpAddr);
    void SetTcpConnectButtonStatus(bool bStatus);
    void SetTcp232ConnectButtonStatus(bool bStatus);
    void SetTcp485ConnectButtonStatus(bool bStatus);

    QString Load(const QString &Key);
    void Save(const QString &Key, const QString &Data);

    // Where the COM PORT list comes from. PortSource gives the ports, by name
    // and description, in the platform's order. PortStamp, when set, gives a
    // cheap token that changes whenever the set of ports may have changed, so
    // that an idle look costs a comparison instead of a full listing; an
    // empty token, or no PortStamp, means "ask PortSource every time". The
    // machine's serial ports are the default; tests put their own in place.
    struct ListedPort
    {
        QString name;
        QString description;
    };
    using PortSource = std::function<QList<ListedPort>()>;
    using PortStamp = std::function<QByteArray()>;
    void SetPortSource(PortSource Source, PortStamp Stamp = nullptr);
    // The name of the port chosen in the COM PORT list, as its source gave
    // it; empty when the list is empty.
    QString SelectedPortName() const;

    // How often the idle panel looks for ports plugged in or out; on
    // Windows, how long after an announced change the ports are listed once
    // more.
    static constexpr int PortWatchIntervalMs = 1000;

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    void ConnectComPort(const QSerialPortInfo &port);
    void DisconnectComPort();
    void ConnectTcp(const QString &Ip, int port);
    void DisconnectTcp();
    void ConnectTcp232(const QString &Ip, int port);
    void DisconnectTcp232();
    void ConnectTcp485(const QString &Ip, int port);
    void DisconnectTcp485();
    void AbortTcp232();
    void AbortTcp485();
    void WriteData(const QByteArray &qba);
    void Set232Settings();
    // A text for the status bar and how long it stays, in milliseconds.
    void WriteStatusBar(const QString &text, int Timeout);

private slots:
    void on_pushButton_RefreshCOM_clicked();
    void on_pushButton_TcpConnect_clicked();
    void on_pushButton_UsbConnect_clicked();
    void on_pushButton_GetIpAddr_clicked();
    void on_lineEdit_ServerIp_editingFinished();
    void on_lineEdit_ServerPort_editingFinished();
    void on_pushButton_232Connect_clicked();
    void on_pushButton_485Connect_clicked();
    void on_lineEdit_ServerPort232_editingFinished();
    void on_lineEdit_ServerPort485_editingFinished();
    void on_lineEdit_TcpServerIp_editingFinished();
    void on_pushButton_Abort485_clicked();
    void on_pushButton_Abort232_clicked();

private:
    // One rule for both address entries, one for the three port entries: an
    // accepted text is saved as typed, a rejected one silently shows the saved
    // value again.
    void CheckAddressEntry(QLineEdit *Entry, const QString &Key);
    void CheckPortEntry(QLineEdit *Entry, const QString &Key);
    // The RS-232 and RS-485 connect buttons; eRoute is TCP232 or TCP485.
    void DataPortConnectClicked(eRoute_t eRoute);
    // The flag of a route, or null for Max and other values.
    bool *RouteFlag(eRoute_t eRoute);
    // What a connect button of the route asks for, by the one route rule.
    RouteRules::Press Press(eRoute_t eRoute);

    // Lists the ports now if that has not happened yet.
    void EnsurePortsListed();
    // One look for ports plugged in or out; the list is touched only when the
    // ports differ from the ones it shows.
    void WatchPorts();
    // Brings the list to these ports, keeping the selected port selected
    // while it is still there.
    void FollowPorts(const QList<ListedPort> &Listed);
    // Watching runs while the panel is shown and the USB route is idle.
    void UpdatePortWatch();

    Ui::CommSettings *ui;
    bool TcpConnectionStatus = false;
    bool Tcp232ConnectionStatus = false;
    bool Tcp485ConnectionStatus = false;
    bool UsbConnectionStatus = false;

    PortSource Ports;
    // The names of the ports the list shows, item for item: a port is opened
    // by its name, never by reading back the item's (translatable) text.
    QStringList ListedNames;
    PortStamp PortsStamp;
    QByteArray LastPortsStamp;
    QTimer *PortWatch = nullptr;
    bool PortsListed = false;
    bool FirstListingQueued = false;
    bool PortsSettling = false;
    bool PanelShown = false;
#ifdef Q_OS_WIN
    // Windows announces ports: the watch is these announcements, and the
    // timer only brings the listings that follow one.
    void PortsAnnounced();
    PortAnnouncer *Announcer = nullptr;
    bool PortsWatched = false;
    bool AnnouncedWhileIdle = false;
#endif

    // Entries that could not be saved, by key: what the user typed stays the
    // entry's value for the rest of the session.
    QHash<QString, QString> UnsavedEntries;
    bool SaveFailureReported = false;
};
