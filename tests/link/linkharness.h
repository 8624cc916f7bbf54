#pragma once

// What the device-link tests share: the real main window driven the way a
// user drives it (panel buttons, entries, menus, the status bar), and a
// simulated device on loopback to talk to.
//
// Tool keeps a log of every status-bar text, because most texts are shown for
// one to three seconds and replaced by the next; tests look for a text in the
// log rather than race the status bar.

#include "commsettings.h"
#include "devicesimulator.h"
#include "telvorconfigurator.h"
#include "transparentconfig.h"

#include <QAction>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidgetList>

#include <memory>

class QAbstractButton;
class QComboBox;
class QStatusBar;
class QTcpServer;
class QTcpSocket;

namespace LinkHarness {

extern const QString Loopback;   // "127.0.0.1"
extern const QByteArray ReadAll; // "AT+READALL" CR LF, the first request of every route
using Frames = QList<QByteArray>;

// The modem model whose panel opens the route: the data ports are the GSM
// modem's, the configuration service and USB the Ethernet modem's.
int modelFor(CommSettings::eRoute_t route);
// Where the simulated device receives what the route sends.
devsim::Endpoint endpointFor(CommSettings::eRoute_t route);

class Tool : public QObject
{
    Q_OBJECT

public:
    // model: 1 Ethernet modem, 2 GSM modem, as chosen on the start window.
    explicit Tool(int model);
    ~Tool() override;

    TelvorConfigurator window;
    CommSettings *panel = nullptr;
    TransparentConfig *page = nullptr;
    QStatusBar *statusBar = nullptr;

    // Any child widget of the window by object name; aborts the test program
    // with the name when there is none, since every later step would fail.
    template <class T = QWidget> T *find(const QString &name) const
    {
        T *child = window.findChild<T *>(name);
        if (!child)
            fail(name);
        return child;
    }
    QAction *action(const QString &name) const { return find<QAction>(name); }

    void click(const QString &buttonName);
    // Replaces the text of a line edit by typing, then presses Return.
    void type(const QString &lineEditName, const QString &text);
    // Types a value into a spin box, then presses Return.
    void typeNumber(const QString &spinBoxName, int value);
    void choose(const QString &comboBoxName, int index);

    QString status() const;
    // Every status text shown since the tool was built (or the log cleared).
    QStringList statusLog;
    bool waitForStatus(const QString &text, int timeoutMs = 5000);
    bool sawStatus(const QString &text) const { return statusLog.contains(text); }

    // Route requests through the panel, with the entries filled as a user would.
    void connectEthernet(quint16 port);
    void connectDataPort(CommSettings::eRoute_t route, quint16 port);
    // Either of the two above, by route.
    void connectRoute(CommSettings::eRoute_t route, quint16 port);
    // Opens the route to the simulated device; USB through the port's location.
    void connectTo(CommSettings::eRoute_t route, devsim::DeviceSimulator &device);
    // The baud rate of the port whose settings are open on the route.
    QComboBox *baudBox(CommSettings::eRoute_t route = CommSettings::TCP) const;
    // Waits until the simulated device's factory record fills the page: its
    // ports run at 9600 baud (index 5).
    bool waitForFactoryRecord(CommSettings::eRoute_t route = CommSettings::TCP, int timeoutMs = 8000) const;
    // The commands a user can currently give, as "RESTART DEVICE", "GET INFO",
    // "PING" and "Ethernet Modem" / "GSM Modem" states.
    bool commandsEnabled(bool restart, bool info, bool ping) const;
    bool modelActionsEnabled() const;
    // No route: the page is locked, no device command can be given, and the
    // user may choose the other modem model.
    bool isIdle() const;

private:
    [[noreturn]] static void fail(const QString &name);
};

// A bare device on a TCP port: it accepts one connection, records the
// request frames and answers those it has a reply for. For cases the
// simulated device cannot play (an unanswered or never filled page, a
// restart acknowledgement that closes nothing by itself).
class ScriptedPeer : public QObject
{
    Q_OBJECT

public:
    ScriptedPeer();
    quint16 port() const;
    bool hasConnection() const;
    bool waitForConnection(int timeoutMs = 5000);
    // Reply bytes by request frame (CR LF included); unlisted requests get none.
    QHash<QByteArray, QByteArray> replies;
    QList<QByteArray> received;

private:
    void takeBytes();

    QTcpServer *m_server;
    QPointer<QTcpSocket> m_connection;
    QByteArray m_pending;
};

std::unique_ptr<devsim::DeviceSimulator> startDevice(bool usb = false, const devsim::Faults &faults = {});

// The visible top-level windows of a class, such as "DevInfo" or "StaticIpConfig".
QWidgetList visibleWindows(const char *className);

// A simulated device and a tool linked to it over one route.
struct Link
{
    std::unique_ptr<devsim::DeviceSimulator> device;
    std::unique_ptr<Tool> tool;

    // Starts the device (with its USB port when the route needs it or withUsb
    // asks for it), opens the route to it from a new tool and waits until the
    // device's record fills the page.
    bool open(CommSettings::eRoute_t route, const devsim::Faults &faults = {}, bool withUsb = false);
};

// A loopback port on which nothing listens.
quint16 closedPort();

} // namespace LinkHarness

Q_DECLARE_METATYPE(CommSettings::eRoute_t)
