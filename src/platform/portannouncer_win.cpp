// Windows: COM ports announced through WM_DEVICECHANGE.

#include "platform/portannouncer_win.h"

#include "logging.h"

#include <QCoreApplication>
#include <QWidget>

#include <windows.h>

#include <dbt.h>

namespace {

// GUID_DEVINTERFACE_COMPORT (ntddser.h): the interface every serial port
// driver registers, USB adapters included.
const GUID ComPortInterface = {0x86e0d1e0, 0x8089, 0x11d0, {0x9c, 0xe4, 0x08, 0x00, 0x3e, 0x30, 0x1f, 0x73}};

bool announcesComPort(const MSG *msg)
{
    if (msg->message != WM_DEVICECHANGE)
        return false;
    if (msg->wParam != DBT_DEVICEARRIVAL && msg->wParam != DBT_DEVICEREMOVECOMPLETE)
        return false;
    const auto *header = reinterpret_cast<const DEV_BROADCAST_HDR *>(msg->lParam);
    if (!header)
        return false;
    switch (header->dbch_devicetype) {
    case DBT_DEVTYP_PORT:
        return true;
    case DBT_DEVTYP_DEVICEINTERFACE:
        return header->dbch_size >= sizeof(DEV_BROADCAST_DEVICEINTERFACE_W)
               && IsEqualGUID(reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W *>(header)->dbcc_classguid,
                              ComPortInterface);
    default:
        return false;
    }
}

} // namespace

PortAnnouncer::PortAnnouncer(QObject *parent) : QObject(parent)
{
    QCoreApplication::instance()->installNativeEventFilter(this);
}

PortAnnouncer::~PortAnnouncer()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeNativeEventFilter(this);
    Unregister();
}

void PortAnnouncer::Watch(QWidget *window)
{
    const auto hwnd = reinterpret_cast<HWND>(window->winId());
    if (hwnd == Window && Registration)
        return;
    Unregister();
    DEV_BROADCAST_DEVICEINTERFACE_W filter = {};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = ComPortInterface;
    Registration = RegisterDeviceNotificationW(hwnd, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    Window = hwnd;
    if (!Registration)
        qCWarning(lcPanel) << "COM port notifications not registered, error" << GetLastError();
}

void PortAnnouncer::Unregister()
{
    if (Registration)
        UnregisterDeviceNotification(Registration);
    Registration = nullptr;
    Window = nullptr;
}

bool PortAnnouncer::nativeEventFilter(const QByteArray &eventType, void *message, long *result)
{
    Q_UNUSED(result)
    if (eventType == "windows_generic_MSG" && announcesComPort(static_cast<const MSG *>(message))) {
        qCDebug(lcPanel) << "COM port announced:"
                         << (static_cast<const MSG *>(message)->wParam == DBT_DEVICEARRIVAL ? "arrival" : "removal");
        emit portsChanged();
    }
    // Qt and the rest of the application see the message too.
    return false;
}
