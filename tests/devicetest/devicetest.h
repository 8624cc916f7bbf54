#pragma once

// What the end-to-end device tests share: a simulated device on loopback (TCP)
// and a pseudo-terminal (USB) with its fault switches, the real main window
// driven as a user drives it (Tool, in tests/support), the facts the tests know
// about each route, and the records and request frames they type out.
//
// Every simulated device is started by startDevice; a test never builds one
// itself. It is a device under test for the drivers (deviceundertest.h), like
// a simulator that runs beside the test program.

#include "commsettings.h"
#include "devicemodel.h"
#include "devicesimulator.h"
#include "deviceundertest.h"
#include "infowindow.h"
#include "networkwindow.h"
#include "page.h"
#include "panel.h"
#include "tool.h"

#include <QApplication>
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidgetList>

#include <memory>

class DevInfo;
class QTcpServer;
class QTcpSocket;

namespace DeviceTest {

using namespace Driver;
using devsim::Endpoint;
using Frames = QList<QByteArray>;

// Request frames, CR LF included. READALL is the first request of every route.
extern const QByteArray ReadAll;
extern const QByteArray ReadNetwork;
extern const QByteArray ReadInfo;

// Port records that differ from the simulated device's own in every field the
// tests check (values only, without "+READALL=" and CR LF).
extern const QByteArray OddEthernetValues; // 23 values
extern const QByteArray OddGsmValues;      // 30 values, the APN "apn.example"
// The odd record of the route's command set.
const QByteArray &oddValuesFor(CommSettings::eRoute_t route);
// "+READALL=", the values and CR LF.
QByteArray portRecord(const QByteArray &values);
// The values with the one at position replaced.
QByteArray withValue(const QByteArray &values, int position, const QByteArray &value);

// An information record and the texts its window shows, in entry order.
extern const QByteArray InfoRecord;
extern const QStringList InfoTexts;
// What an information window shows, entry by entry from serial number to
// parameter version.
QStringList infoTexts(const DevInfo &window);

// The four routes as test rows name them.
struct NamedRoute
{
    CommSettings::eRoute_t route;
    const char *name;
};
extern const NamedRoute Routes[4];
// A column "route" and a row per route, named after it, with ": " and what
// the rows try when given.
void addRouteRows(const char *what = nullptr);

// The model whose panel opens the route: the data ports are the GSM modem's,
// the configuration service and USB the Ethernet modem's.
eDeviceModel_t modelFor(CommSettings::eRoute_t route);
bool isDataPort(CommSettings::eRoute_t route);
// Where the simulated device receives what the route sends.
Endpoint endpointFor(CommSettings::eRoute_t route);
// The text a route shows when a reply fails to parse, for an error name such
// as "err_EndChr".
QString receiveError(CommSettings::eRoute_t route, const QString &errorName);
// The text a socket route shows when its connection ends.
QString disconnectedText(CommSettings::eRoute_t route);

// The simulated device inside the test program, as a device under test.
class SimulatedDevice : public devsim::DeviceSimulator, public DeviceUnderTest
{
    Q_OBJECT

public:
    using devsim::DeviceSimulator::DeviceSimulator;
    DeviceAddress address() const override;
};

// The simulated device: all four endpoints, USB on a pseudo-terminal, and a
// restart that takes 300 ms. With Record::Marked its RS-485 baud index is 2
// (1200), a value the page never shows on its own, so that a test can see the
// device's record arrive (Tool::waitForRecord).
std::unique_ptr<SimulatedDevice> startDevice(const devsim::Faults &faults = {},
                                             Record record = Record::Marked);

// A simulated device and a tool connected to it over one route, with the
// device's record on the page once ready.
struct Session
{
    explicit Session(CommSettings::eRoute_t route, const devsim::Faults &faults = {},
                     Record record = Record::Marked);

    std::unique_ptr<SimulatedDevice> device;
    const Endpoint endpoint;
    Tool tool;
    // The device started and its record filled the page.
    bool ready = false;
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
    // Close the connection once a reply has been written, as a device that
    // serves one request per connection does.
    bool closeAfterReply = false;
    Frames received;
    // Connections accepted so far.
    int connectionsAccepted = 0;

private:
    void takeBytes();

    QTcpServer *m_server;
    QPointer<QTcpSocket> m_connection;
    QByteArray m_pending;
};

// A loopback port on which nothing listens.
quint16 closedPort();

// The visible top-level windows of a class, such as "DevInfo" or "StaticIpConfig".
QWidgetList visibleWindows(const char *className);

// Closes every top-level window of type T as the user does.
template <class T> void closeAll()
{
    for (T *window : topLevel<T>())
        window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// "objectName=text" of every line edit of a window.
QStringList lineEditTexts(const QWidget &window);

} // namespace DeviceTest
