#pragma once

// The connection panel (CommSettings): its entries, buttons and headers by
// what they are for, and the route requests a technician makes with them.
// Works on the panel alone or on a window that holds one.

#include "commsettings.h"
#include "widgetdriver.h"

#include <QHash>
#include <QList>
#include <QStringList>

class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;

namespace Driver {

class Panel
{
public:
    enum Control
    {
        // ETHERNET group (the configuration service)
        EthernetHeader,
        EthernetAddressLabel,
        EthernetAddress,
        EthernetPortLabel,
        EthernetPort,
        EthernetButton,
        CurrentAddressButton,
        CurrentAddressLabel,
        CurrentAddress,
        // USB group
        UsbHeader,
        ComPortLabel,
        RefreshPortsButton,
        ComPorts,
        UsbButton,
        // the data ports' group
        DataHeader,
        DataAddressLabel,
        DataAddress,
        Port232Label,
        Port232,
        Button232,
        Abort232,
        Port485Label,
        Port485,
        Button485,
        Abort485,
    };
    using Controls = QList<Control>;

    static QString nameOf(Control control);
    // Every control above, in that order.
    static Controls all();

    explicit Panel(QWidget &panelOrWindow);

    CommSettings *widget() const { return m_panel; }
    QWidget *control(Control control) const;
    QLineEdit *entry(Control control) const;
    QAbstractButton *button(Control control) const;
    QLabel *label(Control control) const;
    QComboBox *comPorts() const;
    QString text(Control entryControl) const;

    // The entry of a route's port: EthernetPort for TCP, Port232 or Port485.
    static Control portEntryOf(CommSettings::eRoute_t route);
    // The button that opens and closes a route.
    static Control buttonOf(CommSettings::eRoute_t route);

    // Gestures: a mouse click on the button; the entry's text replaced by
    // keys (Ctrl+A, Delete, text, Return) without moving the focus first.
    void click(Control buttonControl);
    void retype(Control entryControl, const QString &text);
    // Gives the entry the focus, then replaces its text and presses Return.
    void type(Control entryControl, const QString &text);

    // Route requests with the entries filled as a user fills them.
    void connectEthernet(const QString &host, quint16 port);
    void connectDataPort(CommSettings::eRoute_t route, const QString &host, quint16 port);
    // Either of the two above, by route.
    void connectRoute(CommSettings::eRoute_t route, const QString &host, quint16 port);
    // The USB route as a user opens it: the port listed (the panel's list
    // gets it as its only port, since the machine lists no port a test
    // controls), chosen, and the USB button pressed. A name that is not a
    // path is opened under /dev, as the window does for any port the machine
    // does not list.
    void connectUsb(const QString &portName);

private:
    CommSettings *m_panel;
};

// Ports for the panel's COM PORT list in place of the machine's, changed by a
// test as a user plugs and pulls: source() goes to
// CommSettings::SetPortSource and reads this object, which must outlive the
// panel's use of it. Every listing is counted.
struct FakePorts
{
    explicit FakePorts(QStringList initial = {}, QString description = {})
        : names(std::move(initial)), description(std::move(description))
    {
    }
    CommSettings::PortSource source();

    QStringList names;
    // A port's own description, by name; any other port has `description`.
    QHash<QString, QString> descriptions;
    QString description;
    int listings = 0;
};

} // namespace Driver

// Test rows name routes.
Q_DECLARE_METATYPE(Driver::Panel::Control)
Q_DECLARE_METATYPE(Driver::Panel::Controls)
