// What the drivers do with the mouse and the keyboard: QtTest's events, as a
// user's gestures would send them. Kept apart from the widget lookups, which
// need no QtTest, so that a program measured as the tool itself (the
// launcher benchmark) can use the lookups alone (the guiforms library).

#include "networkwindow.h"
#include "page.h"
#include "panel.h"
#include "widgetdriver.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

namespace Driver {

void click(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

void retype(QWidget *widget, const QString &text)
{
    QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(widget, Qt::Key_Delete);
    QTest::keyClicks(widget, text);
    QTest::keyClick(widget, Qt::Key_Return);
}

void typeInto(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

void typeNumber(QAbstractSpinBox *box, int value)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, QString::number(value));
    QTest::keyClick(box, Qt::Key_Return);
}

bool chooseByKeys(QComboBox *box, int index)
{
    for (int i = 0; i < box->count() && box->currentIndex() != index; ++i)
        QTest::keyClick(box, box->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
    return box->currentIndex() == index;
}

void Panel::click(Control buttonControl)
{
    Driver::click(button(buttonControl));
}

void Panel::retype(Control entryControl, const QString &text)
{
    Driver::retype(entry(entryControl), text);
}

void Panel::type(Control entryControl, const QString &text)
{
    typeInto(entry(entryControl), text);
}

void Panel::connectEthernet(const QString &host, quint16 port)
{
    type(EthernetAddress, host);
    type(EthernetPort, QString::number(port));
    click(EthernetButton);
}

void Panel::connectDataPort(CommSettings::eRoute_t route, const QString &host, quint16 port)
{
    type(DataAddress, host);
    type(portEntryOf(route), QString::number(port));
    click(buttonOf(route));
}

void Panel::connectRoute(CommSettings::eRoute_t route, const QString &host, quint16 port)
{
    if (route == CommSettings::TCP)
        connectEthernet(host, port);
    else
        connectDataPort(route, host, port);
}

void Panel::connectUsb(const QString &portName)
{
    m_panel->SetPortSource(
        [portName] { return QList<CommSettings::ListedPort>{{portName, QStringLiteral("Test port")}}; });
    click(RefreshPortsButton);
    comPorts()->setCurrentIndex(0);
    click(UsbButton);
}

void Page::retype(Setting setting, Port port, const QString &text)
{
    Driver::retype(control(setting, port), text);
}

void Page::edit(const Edit &edit)
{
    const QString name = nameOf(edit.setting, edit.port);
    QWidget *widget = control(edit.setting, edit.port);
    if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        const int index = edit.value.toInt();
        if (!combo->isEnabled()) {
            combo->setCurrentIndex(index);
            return;
        }
        chooseByKeys(combo, index);
        QVERIFY2(
            combo->currentIndex() == index,
            qPrintable(
                QStringLiteral("%1 stays at %2, not %3").arg(name).arg(combo->currentIndex()).arg(index)));
    } else if (auto *check = qobject_cast<QCheckBox *>(widget)) {
        if (check->isChecked() != (edit.value == QLatin1String("1")))
            QTest::keyClick(check, Qt::Key_Space);
    } else {
        QVERIFY2(widget->isEnabled(), qPrintable(name + QStringLiteral(" is locked")));
        Driver::retype(widget, edit.value);
    }
}

void Page::clickApply()
{
    click(Setting::ApplyButton);
}

void Page::click(Setting buttonSetting)
{
    Driver::click(button(buttonSetting));
}

void NetworkWindow::type(Entry entry, const QString &text)
{
    typeInto(this->entry(entry), text);
}

void NetworkWindow::clickApply()
{
    click(applyButton());
}

} // namespace Driver
