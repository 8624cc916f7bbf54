#pragma once

// Windows: serial ports announced by the system instead of looked for.
//
// Windows sends WM_DEVICECHANGE to a window when a device arrives or is
// removed: for a device interface class the window has registered for
// (RegisterDeviceNotification), and, to every top-level window, for a device
// that brings a COM port (DBT_DEVTYP_PORT). The announcer registers a window
// for the COM-port interface class and watches the messages of all the
// application's windows through a native event filter; an arrival or removal
// of a COM port becomes one portsChanged signal. Other device messages
// (volumes, other interface classes, DBT_DEVNODES_CHANGED) are ignored.
//
// One change is often announced several times (the interface and the port,
// to several windows): the receiver should gather the signals into one look.

#include <QAbstractNativeEventFilter>
#include <QObject>

class QWidget;

class PortAnnouncer : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    explicit PortAnnouncer(QObject *parent = nullptr);
    ~PortAnnouncer() override;

    // Registers this top-level window's native window for the COM-port
    // interface notifications; again only when its native window changed.
    void Watch(QWidget *window);

    bool nativeEventFilter(const QByteArray &eventType, void *message, long *result) override;

signals:
    void portsChanged();

private:
    void Unregister();

    void *Window = nullptr;       // HWND registered
    void *Registration = nullptr; // HDEVNOTIFY
};
