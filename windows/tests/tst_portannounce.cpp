// The COM PORT list on Windows follows the ports Windows announces, through
// the real main window: the test sends the window the WM_DEVICECHANGE
// messages Windows sends when a USB serial adapter is plugged in or pulled
// (arrival and removal of the COM-port interface, or of a port), with the
// panel's ports coming from a list the test changes. Between announcements
// the ports are never listed, however long the window waits.

#include "commsettings.h"
#include "panel.h"
#include "telvorconfigurator.h"
#include "testsupport.h"

#include <QComboBox>
#include <QtTest>

#include <windows.h>

#include <dbt.h>

#include <cwchar>

namespace {

// GUID_DEVINTERFACE_COMPORT, as Windows names the interface in the message.
const GUID ComPortInterface = {0x86e0d1e0, 0x8089, 0x11d0, {0x9c, 0xe4, 0x08, 0x00, 0x3e, 0x30, 0x1f, 0x73}};
// GUID_DEVINTERFACE_DISK: another class, whose changes are no port's.
const GUID DiskInterface = {0x53f56307, 0xb6bf, 0x11d0, {0x94, 0xf2, 0x00, 0xa0, 0xc9, 0x1e, 0xfb, 0x8b}};

// Longer than the settling listing after a change, with room for a busy machine.
constexpr int SettleWaitMs = 2 * CommSettings::PortWatchIntervalMs + 1000;
// Long enough for several seconds of the one-second look the other platforms have.
constexpr int QuietWaitMs = 3500;
// How Windows describes a USB serial adapter's port.
const QString UsbSerial = QStringLiteral("USB Serial Device");

using Driver::FakePorts;
using Driver::itemTexts;

QString item(const char *name)
{
    return QString::fromLatin1(name) + QLatin1Char('(') + UsbSerial + QLatin1Char(')');
}

// What Windows sends for a device interface: the header, the class, the
// interface's symbolic link name.
struct InterfaceBroadcast
{
    DEV_BROADCAST_DEVICEINTERFACE_W header;
    wchar_t rest[96];
};

void sendInterfaceChange(HWND window, WPARAM change, const GUID &interfaceClass)
{
    InterfaceBroadcast message = {};
    message.header.dbcc_size = sizeof(message);
    message.header.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    message.header.dbcc_classguid = interfaceClass;
    const wchar_t link[] = L"\\\\?\\USB#VID_0483&PID_5740#TLV0001#{86e0d1e0-8089-11d0-9ce4-08003e301f73}";
    std::wcsncpy(message.header.dbcc_name, link, sizeof(message.rest) / sizeof(wchar_t));
    SendMessageW(window, WM_DEVICECHANGE, change, reinterpret_cast<LPARAM>(&message));
}

// What Windows sends every top-level window for a device with a COM port.
void sendPortChange(HWND window, WPARAM change, const wchar_t *port)
{
    struct
    {
        DEV_BROADCAST_PORT_W header;
        wchar_t rest[16];
    } message = {};
    message.header.dbcp_size = sizeof(message);
    message.header.dbcp_devicetype = DBT_DEVTYP_PORT;
    std::wcsncpy(message.header.dbcp_name, port, 16);
    SendMessageW(window, WM_DEVICECHANGE, change, reinterpret_cast<LPARAM>(&message));
}

} // namespace

class TestPortAnnounce : public QObject
{
    Q_OBJECT

private slots:
    void init() { TestSupport::clearSettings(); }

    void listFollowsAnnouncedPorts()
    {
        TelvorConfigurator window(nullptr, 1);
        CommSettings *panel = window.findChild<CommSettings *>();
        QVERIFY(panel);
        FakePorts ports{{QStringLiteral("COM1")}, UsbSerial};
        panel->SetPortSource(ports.source());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto hwnd = reinterpret_cast<HWND>(window.winId());
        QComboBox *list = Driver::Panel(*panel).comPorts();
        QTRY_COMPARE(itemTexts(list), QStringList{item("COM1")});

        // Idle, with no announcement: no listing, even though a port came.
        const int listed = ports.listings;
        ports.names << QStringLiteral("COM7");
        QTest::qWait(QuietWaitMs);
        QCOMPARE(ports.listings, listed);
        QCOMPARE(itemTexts(list), QStringList{item("COM1")});

        // The adapter's COM-port interface arrives: the list follows at once,
        // then one more listing settles it, then nothing.
        sendInterfaceChange(hwnd, DBT_DEVICEARRIVAL, ComPortInterface);
        QTRY_COMPARE_WITH_TIMEOUT(itemTexts(list), (QStringList{item("COM1"), item("COM7")}), 1000);
        QTRY_COMPARE_WITH_TIMEOUT(ports.listings, listed + 2, SettleWaitMs);
        QTest::qWait(QuietWaitMs);
        QCOMPARE(ports.listings, listed + 2);

        // The user picks the adapter; a port the driver names only after
        // announcing it is found by the settling listing.
        list->setCurrentIndex(1);
        sendPortChange(hwnd, DBT_DEVICEARRIVAL, L"COM9");
        QTRY_COMPARE_WITH_TIMEOUT(ports.listings, listed + 3, 1000);
        ports.names << QStringLiteral("COM9");
        QTRY_COMPARE_WITH_TIMEOUT(itemTexts(list), (QStringList{item("COM1"), item("COM7"), item("COM9")}),
                                  SettleWaitMs);
        QCOMPARE(list->currentText(), item("COM7"));

        // Messages about other devices, and a change still in progress, are
        // no port's arrival or removal.
        const int beforeOthers = ports.listings;
        sendInterfaceChange(hwnd, DBT_DEVICEARRIVAL, DiskInterface);
        sendInterfaceChange(hwnd, DBT_DEVICEQUERYREMOVE, ComPortInterface);
        SendMessageW(hwnd, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
        SendMessageW(hwnd, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
        QTest::qWait(QuietWaitMs);
        QCOMPARE(ports.listings, beforeOthers);

        // Another adapter is pulled: its removal is announced (interface
        // and port together, as Windows sends them) and listed once, then
        // settled once; the user's choice stays.
        list->setCurrentIndex(2);
        ports.names.removeAll(QStringLiteral("COM7"));
        sendInterfaceChange(hwnd, DBT_DEVICEREMOVECOMPLETE, ComPortInterface);
        sendPortChange(hwnd, DBT_DEVICEREMOVECOMPLETE, L"COM7");
        QTRY_COMPARE_WITH_TIMEOUT(itemTexts(list), (QStringList{item("COM1"), item("COM9")}), 1000);
        QTRY_COMPARE_WITH_TIMEOUT(ports.listings, beforeOthers + 2, SettleWaitMs);
        QTest::qWait(QuietWaitMs);
        QCOMPARE(ports.listings, beforeOthers + 2);
        QCOMPARE(list->currentText(), item("COM9"));
    }

    // While the USB route is up the list stands still, announcements and
    // all; once the route is down the list catches up with one listing and
    // its settling one.
    void listWaitsWhileUsbIsUp()
    {
        TelvorConfigurator window(nullptr, 1);
        CommSettings *panel = window.findChild<CommSettings *>();
        FakePorts ports{{QStringLiteral("COM3"), QStringLiteral("COM4")}, UsbSerial};
        panel->SetPortSource(ports.source());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto hwnd = reinterpret_cast<HWND>(window.winId());
        QComboBox *list = Driver::Panel(*panel).comPorts();
        QTRY_COMPARE(itemTexts(list), (QStringList{item("COM3"), item("COM4")}));
        list->setCurrentIndex(1);

        // The main window reports the route up, as it does once the port opened.
        panel->SetUiConnectionStatus(CommSettings::USB, true);
        const int listed = ports.listings;
        ports.names.removeAll(QStringLiteral("COM3"));
        sendInterfaceChange(hwnd, DBT_DEVICEREMOVECOMPLETE, ComPortInterface);
        QTest::qWait(QuietWaitMs);
        QCOMPARE(ports.listings, listed);
        QCOMPARE(itemTexts(list), (QStringList{item("COM3"), item("COM4")}));

        panel->SetUiConnectionStatus(CommSettings::USB, false);
        QTRY_COMPARE_WITH_TIMEOUT(itemTexts(list), QStringList{item("COM4")}, 1000);
        QCOMPARE(list->currentText(), item("COM4"));
        QTRY_COMPARE_WITH_TIMEOUT(ports.listings, listed + 2, SettleWaitMs);

        // A route that comes and goes with nothing announced lists nothing.
        panel->SetUiConnectionStatus(CommSettings::USB, true);
        panel->SetUiConnectionStatus(CommSettings::USB, false);
        QTest::qWait(QuietWaitMs);
        QCOMPARE(ports.listings, listed + 2);
    }
};

TELVOR_TEST_MAIN(TestPortAnnounce)
#include "tst_portannounce.moc"
