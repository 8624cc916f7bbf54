#include "infowindow.h"

#include <QLineEdit>

namespace Driver {

namespace {

const char *const Entries[InfoWindow::EntryCount] = {
    "lineEdit_SerialNum",        "lineEdit_MacAddr",           "lineEdit_ProductType",
    "lineEdit_ProductSubType",   "lineEdit_VersionMajorApp",   "lineEdit_VersionMinorApp",
    "lineEdit_BoardType",        "lineEdit_VersionMajorBoard", "lineEdit_VersionMinorBoard",
    "lineEdit_VersionParameter",
};

} // namespace

QLineEdit *InfoWindow::entry(int position) const
{
    return child<QLineEdit>(m_window, QLatin1String(Entries[position]));
}

QStringList InfoWindow::texts() const
{
    QStringList texts;
    for (int i = 0; i < EntryCount; ++i)
        texts << entry(i)->text();
    return texts;
}

} // namespace Driver
