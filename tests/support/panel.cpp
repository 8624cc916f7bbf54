#include "panel.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace Driver {

QString Panel::nameOf(Control control)
{
    switch (control) {
    case EthernetHeader:
        return QStringLiteral("label_TcpSettings");
    case EthernetAddressLabel:
        return QStringLiteral("label_ServverIp");
    case EthernetAddress:
        return QStringLiteral("lineEdit_ServerIp");
    case EthernetPortLabel:
        return QStringLiteral("label_ServerPort");
    case EthernetPort:
        return QStringLiteral("lineEdit_ServerPort");
    case EthernetButton:
        return QStringLiteral("pushButton_TcpConnect");
    case CurrentAddressButton:
        return QStringLiteral("pushButton_GetIpAddr");
    case CurrentAddressLabel:
        return QStringLiteral("label");
    case CurrentAddress:
        return QStringLiteral("lineEdit_CurrentIpAddr");
    case UsbHeader:
        return QStringLiteral("label_USB_Settings");
    case ComPortLabel:
        return QStringLiteral("label_COMPort");
    case RefreshPortsButton:
        return QStringLiteral("pushButton_RefreshCOM");
    case ComPorts:
        return QStringLiteral("comboBox_COMPorts");
    case UsbButton:
        return QStringLiteral("pushButton_UsbConnect");
    case DataHeader:
        return QStringLiteral("label_TCP2Settings");
    case DataAddressLabel:
        return QStringLiteral("label_TcpServerIp");
    case DataAddress:
        return QStringLiteral("lineEdit_TcpServerIp");
    case Port232Label:
        return QStringLiteral("label_ServerPort232");
    case Port232:
        return QStringLiteral("lineEdit_ServerPort232");
    case Button232:
        return QStringLiteral("pushButton_232Connect");
    case Abort232:
        return QStringLiteral("pushButton_Abort232");
    case Port485Label:
        return QStringLiteral("label_ServerPort485");
    case Port485:
        return QStringLiteral("lineEdit_ServerPort485");
    case Button485:
        return QStringLiteral("pushButton_485Connect");
    case Abort485:
        return QStringLiteral("pushButton_Abort485");
    }
    return QString();
}

Panel::Controls Panel::all()
{
    Controls controls;
    for (int c = EthernetHeader; c <= Abort485; ++c)
        controls << Control(c);
    return controls;
}

Panel::Panel(QWidget &panelOrWindow)
    : m_panel(qobject_cast<CommSettings *>(&panelOrWindow) ? static_cast<CommSettings *>(&panelOrWindow)
                                                           : panelOrWindow.findChild<CommSettings *>())
{
    if (!m_panel)
        missingWidget(panelOrWindow, QStringLiteral("connection panel"));
}

QWidget *Panel::control(Control control) const
{
    return child<QWidget>(*m_panel, nameOf(control));
}

QLineEdit *Panel::entry(Control control) const
{
    return child<QLineEdit>(*m_panel, nameOf(control));
}

QAbstractButton *Panel::button(Control control) const
{
    return child<QAbstractButton>(*m_panel, nameOf(control));
}

QLabel *Panel::label(Control control) const
{
    return child<QLabel>(*m_panel, nameOf(control));
}

QComboBox *Panel::comPorts() const
{
    return child<QComboBox>(*m_panel, nameOf(ComPorts));
}

QString Panel::text(Control entryControl) const
{
    return entry(entryControl)->text();
}

Panel::Control Panel::portEntryOf(CommSettings::eRoute_t route)
{
    switch (route) {
    case CommSettings::TCP232:
        return Port232;
    case CommSettings::TCP485:
        return Port485;
    default:
        return EthernetPort;
    }
}

Panel::Control Panel::buttonOf(CommSettings::eRoute_t route)
{
    switch (route) {
    case CommSettings::USB:
        return UsbButton;
    case CommSettings::TCP232:
        return Button232;
    case CommSettings::TCP485:
        return Button485;
    default:
        return EthernetButton;
    }
}

CommSettings::PortSource FakePorts::source()
{
    return [this] {
        ++listings;
        QList<CommSettings::ListedPort> ports;
        for (const QString &name : qAsConst(names))
            ports.append({name, descriptions.value(name, description)});
        return ports;
    };
}

} // namespace Driver
