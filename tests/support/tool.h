#pragma once

// Tool: the real main window, driven the way a user drives it (panel buttons,
// entries, menus, the page), and read the way a user reads it. It holds the
// drivers of its panel and page.
//
// Tool keeps a log of every status-bar text, because most texts are shown for
// one to three seconds and replaced by the next; tests look for a text in the
// log rather than race the status bar.

#include "commsettings.h"
#include "devicemodel.h"
#include "deviceundertest.h"
#include "mainwindow.h"
#include "page.h"
#include "panel.h"
#include "telvorconfigurator.h"

#include <QAction>
#include <QObject>
#include <QString>
#include <QStringList>

class QStatusBar;

namespace Driver {

// Which port record the simulated device starts with (see startDevice in
// tests/devicetest).
enum class Record
{
    Factory, // both ports at 9600 baud (index 5)
    Marked   // the RS-485 baud index 2
};

class Tool : public QObject
{
    Q_OBJECT

public:
    // A tool for the model as chosen on the start window; its route is
    // CommSettings::Max until a test names one in each call. Waits up to
    // exposeTimeoutMs for the window to be exposed.
    explicit Tool(eDeviceModel_t model, int exposeTimeoutMs = 5000);
    // A tool for the model whose panel opens the route.
    explicit Tool(CommSettings::eRoute_t route);
    ~Tool() override;

    // The model whose panel opens the route: the data ports are the GSM
    // modem's, the configuration service and USB the Ethernet modem's.
    static eDeviceModel_t modelFor(CommSettings::eRoute_t route);

    const CommSettings::eRoute_t route;
    TelvorConfigurator window;
    Panel panel;
    Page page;
    QStatusBar *statusBar = nullptr;

    QAction *action(Command command) const;
    void trigger(Command command);
    // A page setting by keys as a user does: the focus given, the number
    // typed, Return pressed.
    void typeNumber(Setting setting, Port port, int value);

    QString status() const;
    // Every status text shown since the tool was built (or the log cleared).
    QStringList statusLog;
    bool waitForStatus(const QString &text, int timeoutMs = 5000) const;
    bool sawStatus(const QString &text) const { return statusLog.contains(text); }
    int statusCount(const QString &text) const { return int(statusLog.count(text)); }
    // The logged texts that report a failure to parse or a refusal ("... Error :").
    QStringList errorTexts() const;

    // Route requests through the panel, with the entries filled as a user
    // would, to the loopback address.
    void connectEthernet(quint16 port);
    void connectDataPort(CommSettings::eRoute_t route, quint16 port);
    // Either of the two above, by route.
    void connectRoute(CommSettings::eRoute_t route, quint16 port);
    // Opens the route to the device as the user does: the panel's entries
    // and button, for USB the pseudo-terminal listed in the COM PORT list.
    void connectTo(CommSettings::eRoute_t route, const DeviceUnderTest &device);
    // The same on the tool's own route.
    void connectTo(const DeviceUnderTest &device);
    // Closes the tool's route as the user does: the panel's button.
    void disconnect();

    // Waits until the page shows the record the device started with.
    bool waitForRecord(Record record = Record::Marked, int timeoutMs = 8000) const;
    // Waits until the port's baud rate shows the index.
    bool waitForBaud(Port port, int index, int timeoutMs = 5000) const;
    // Device commands can be given: the route is up.
    bool routeUp() const;
    // Whether the tool's route showed its "connected" text.
    bool sawRouteUp() const;
    // The commands a user can currently give, as "RESTART DEVICE", "GET INFO",
    // "PING" and "Ethernet Modem" / "GSM Modem" states.
    bool commandsEnabled(bool restart, bool info, bool ping) const;
    bool modelActionsEnabled() const;
    // No route: the page is locked, no device command can be given, and the
    // user may choose the other modem model.
    bool isIdle() const;
    bool pageEnabled() const;

    // What the page shows: every combo box, spin box, line edit and check box.
    QStringList pageState() const { return page.state(); }

private:
    Tool(eDeviceModel_t model, CommSettings::eRoute_t route, int exposeTimeoutMs);
};

} // namespace Driver
