#include "networkwindow.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

namespace Driver {

QString NetworkWindow::nameOf(Entry entry)
{
    switch (entry) {
    case MacAddress:
        return QStringLiteral("lineEdit_MacAddr");
    case Address:
        return QStringLiteral("lineEdit_IpAddr");
    case SubnetMask:
        return QStringLiteral("lineEdit_SubnetMask");
    case Gateway:
        return QStringLiteral("lineEdit_DefaultGateway");
    case Dns1:
        return QStringLiteral("lineEdit_DNS1_Addr");
    case Dns2:
        return QStringLiteral("lineEdit_DNS2_Addr");
    }
    return QString();
}

QList<NetworkWindow::Entry> NetworkWindow::addressEntries()
{
    return {Address, SubnetMask, Gateway, Dns1, Dns2};
}

QLineEdit *NetworkWindow::entry(Entry entry) const
{
    return child<QLineEdit>(m_window, nameOf(entry));
}

QLabel *NetworkWindow::caption(Entry entry) const
{
    // Each entry's caption has the entry's name with "label_" for "lineEdit_".
    return child<QLabel>(m_window,
                         nameOf(entry).replace(QLatin1String("lineEdit_"), QLatin1String("label_")));
}

QString NetworkWindow::text(Entry entry) const
{
    return this->entry(entry)->text();
}

QStringList NetworkWindow::addressTexts() const
{
    QStringList texts;
    for (Entry e : addressEntries())
        texts << text(e);
    return texts;
}

QCheckBox *NetworkWindow::dhcp() const
{
    return child<QCheckBox>(m_window, QStringLiteral("checkBox_Dhcp"));
}

QAbstractButton *NetworkWindow::readButton() const
{
    return child<QAbstractButton>(m_window, QStringLiteral("pushButton_Read"));
}

QAbstractButton *NetworkWindow::applyButton() const
{
    return child<QAbstractButton>(m_window, QStringLiteral("pushButton_Apply"));
}

void NetworkWindow::setText(Entry entry, const QString &text)
{
    this->entry(entry)->setText(text);
}

void NetworkWindow::pressRead()
{
    readButton()->click();
}

void NetworkWindow::pressApply()
{
    applyButton()->click();
}

} // namespace Driver
