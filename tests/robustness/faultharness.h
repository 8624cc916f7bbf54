#pragma once

// What the fault-injection tests share: the real main window driven as a user
// drives it, against a simulated device on loopback (TCP) and a
// pseudo-terminal (USB), whose faults the tests switch on.
//
// Every status text is logged as it appears, because most are shown for one
// to three seconds and then replaced; tests look for texts in the log.

#include "commsettings.h"
#include "devicesimulator.h"
#include "telvorconfigurator.h"
#include "transparentconfig.h"

#include <QApplication>
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>

class QStatusBar;

namespace Fault {

using devsim::Endpoint;
using Frames = QList<QByteArray>;

// The request that every route sends when it comes up.
extern const QByteArray ReadAllRequest;

Endpoint endpointOf(CommSettings::eRoute_t route);
bool isDataPort(CommSettings::eRoute_t route);
// The text a route shows when a frame fails to parse, for an error name such
// as "err_EndChr".
QString receiveError(CommSettings::eRoute_t route, const QString &errorName);

// A device serving all four endpoints. Its RS-485 baud index is 2 (1200), a
// value the page never shows on its own, so that tests can see the record
// arrive (Tool::waitForRecord).
std::unique_ptr<devsim::DeviceSimulator> startDevice(const devsim::Faults &faults = {});

class Tool : public QObject
{
    Q_OBJECT

public:
    // The device model follows the route: Ethernet modem for the
    // configuration service and USB, GSM modem for the data ports.
    explicit Tool(CommSettings::eRoute_t route);
    ~Tool() override;

    const CommSettings::eRoute_t route;
    TelvorConfigurator window;
    CommSettings *panel = nullptr;
    TransparentConfig *page = nullptr;
    QStatusBar *statusBar = nullptr;

    template <class T = QWidget> T *find(const QString &name) const
    {
        T *child = window.findChild<T *>(name);
        if (!child)
            missing(name);
        return child;
    }
    void click(const QString &buttonName);
    void type(const QString &lineEditName, const QString &text);
    void trigger(const QString &actionName);

    // Opens the route to the device as the user does: the panel's entries and
    // button, or for USB the pseudo-terminal's path.
    void connectTo(devsim::DeviceSimulator &device);
    // Closes the route as the user does: the panel's button.
    void disconnect();
    // Waits until the page shows the record the device sent on connecting.
    bool waitForRecord(int timeoutMs = 5000) const;
    bool routeUp() const;
    // Whether the route's "connected" text has been shown.
    bool sawRouteUp() const;

    QString status() const;
    QStringList statusLog;
    bool waitForStatus(const QString &text, int timeoutMs = 5000) const;
    int statusCount(const QString &text) const { return int(statusLog.count(text)); }

    // What the page shows: every combo box, spin box, line edit and check box.
    QStringList pageState() const;

private:
    [[noreturn]] static void missing(const QString &name);
};

// Top-level windows of type T that exist after pending deletions have run.
template <class T> QList<T *> topLevel()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QList<T *> windows;
    const QList<QWidget *> all = QApplication::topLevelWidgets();
    for (QWidget *widget : all) {
        if (auto *window = qobject_cast<T *>(widget))
            windows << window;
    }
    return windows;
}

// Closes every top-level window of type T as the user does.
template <class T> void closeAll()
{
    for (T *window : topLevel<T>())
        window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Splits bytes into pieces of 1 to maxPiece bytes, the same way for the same
// seed.
QList<QByteArray> randomPieces(const QByteArray &bytes, int maxPiece, quint32 seed);

} // namespace Fault

Q_DECLARE_METATYPE(CommSettings::eRoute_t)
