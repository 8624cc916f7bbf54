#pragma once

// The information window (DevInfo): its ten entries, in the order of the
// device's information record.

#include "widgetdriver.h"

#include <QStringList>

class QLineEdit;

namespace Driver {

class InfoWindow
{
public:
    explicit InfoWindow(const QWidget &window) : m_window(window) {}
    const QWidget &window() const { return m_window; }

    static const int EntryCount = 10;
    // Entry 0 the serial number, 1 the MAC address (Ethernet model) or IMEI
    // (GSM model), ... 9 the parameter version.
    QLineEdit *entry(int position) const;
    QStringList texts() const;

private:
    const QWidget &m_window;
};

} // namespace Driver
