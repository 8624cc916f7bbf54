#pragma once

// The network window (StaticIpConfig): its entries in the order of the
// device's network record, the DHCP box and the two buttons.

#include "widgetdriver.h"

#include <QList>
#include <QStringList>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QLineEdit;

namespace Driver {

class NetworkWindow
{
public:
    enum Entry
    {
        MacAddress,
        Address,
        SubnetMask,
        Gateway,
        Dns1,
        Dns2,
    };

    static QString nameOf(Entry entry);
    // The five address entries, in record order: address, mask, gateway,
    // first and second DNS server.
    static QList<Entry> addressEntries();

    explicit NetworkWindow(const QWidget &window) : m_window(window) {}
    const QWidget &window() const { return m_window; }

    QLineEdit *entry(Entry entry) const;
    // The caption beside the entry.
    QLabel *caption(Entry entry) const;
    QString text(Entry entry) const;
    // The texts of the five address entries, in record order.
    QStringList addressTexts() const;
    QCheckBox *dhcp() const;
    QAbstractButton *readButton() const;
    QAbstractButton *applyButton() const;

    // The entry's text set as a program sets it (no keys).
    void setText(Entry entry, const QString &text);
    // Gives the entry the focus, replaces its text by typing, presses Return.
    void type(Entry entry, const QString &text);
    void clickApply();
    void pressRead();  // QAbstractButton::click
    void pressApply(); // QAbstractButton::click

private:
    const QWidget &m_window;
};

} // namespace Driver

Q_DECLARE_METATYPE(Driver::NetworkWindow::Entry)
