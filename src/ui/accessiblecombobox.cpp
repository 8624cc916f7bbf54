#include "ui/accessiblecombobox.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>

namespace {

QAccessibleInterface *comboBoxFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("QComboBox") && object && object->isWidgetType())
        return new AccessibleComboBox(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

AccessibleComboBox::AccessibleComboBox(QWidget *widget) : QAccessibleWidget(widget, QAccessible::ComboBox)
{
    Q_ASSERT(comboBox());
}

void AccessibleComboBox::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(comboBoxFactory);
        return true;
    }();
    Q_UNUSED(installed)
}

QComboBox *AccessibleComboBox::comboBox() const
{
    return static_cast<QComboBox *>(object());
}

QString AccessibleComboBox::currentText() const
{
    return comboBox()->isEditable() ? comboBox()->lineEdit()->text() : comboBox()->currentText();
}

QString AccessibleComboBox::text(QAccessible::Text t) const
{
    // The name is the form's accessible name, else the caption whose buddy
    // the box is (QAccessibleWidget's rule); never the current item.
    if (t == QAccessible::Value)
        return currentText();
    return QAccessibleWidget::text(t);
}

QAccessible::State AccessibleComboBox::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.expandable = true;
    s.expanded = comboBox()->view() && comboBox()->view()->isVisible();
    s.editable = comboBox()->isEditable();
    return s;
}

// The list of items, and for an editable box its entry, as Qt presents them.
int AccessibleComboBox::childCount() const
{
    return comboBox()->isEditable() ? 2 : 1;
}

QAccessibleInterface *AccessibleComboBox::child(int index) const
{
    if (index == 0)
        return QAccessible::queryAccessibleInterface(comboBox()->view());
    if (index == 1 && comboBox()->isEditable())
        return QAccessible::queryAccessibleInterface(comboBox()->lineEdit());
    return nullptr;
}

int AccessibleComboBox::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child)
        return -1;
    if (child->object() == comboBox()->view())
        return 0;
    if (comboBox()->isEditable() && child->object() == comboBox()->lineEdit())
        return 1;
    return -1;
}

QAccessibleInterface *AccessibleComboBox::childAt(int, int) const
{
    return nullptr;
}

void *AccessibleComboBox::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface *>(this);
    if (t == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    return QAccessibleWidget::interface_cast(t);
}

QStringList AccessibleComboBox::actionNames() const
{
    return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
}

void AccessibleComboBox::doAction(const QString &actionName)
{
    if (actionName == showMenuAction() || actionName == pressAction()) {
        if (!comboBox()->isEnabled())
            return;
        if (comboBox()->view()->isVisible())
            comboBox()->hidePopup();
        else
            comboBox()->showPopup();
        return;
    }
    QAccessibleWidget::doAction(actionName);
}

QStringList AccessibleComboBox::keyBindingsForAction(const QString &) const
{
    return QStringList();
}

QVariant AccessibleComboBox::currentValue() const
{
    return comboBox()->currentIndex();
}

// Committing an item is a choice by the user: the box changes and says so
// with activated(), as after a click in its list. A locked box takes nothing.
void AccessibleComboBox::setCurrentValue(const QVariant &value)
{
    QComboBox *box = comboBox();
    bool ok = false;
    const int index = qRound(value.toDouble(&ok));
    if (!ok || !box->isEnabled() || index < 0 || index >= box->count())
        return;
    box->setCurrentIndex(index);
    emit box->activated(index);
    emit box->textActivated(box->itemText(index));
}

QVariant AccessibleComboBox::maximumValue() const
{
    return qMax(0, comboBox()->count() - 1);
}

QVariant AccessibleComboBox::minimumValue() const
{
    return 0;
}

QVariant AccessibleComboBox::minimumStepSize() const
{
    return 1;
}

void AccessibleComboBox::selection(int, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
}

int AccessibleComboBox::selectionCount() const
{
    return 0;
}

// The text is the current item's: it is chosen, not edited, so there is
// nothing to select or move.
void AccessibleComboBox::addSelection(int, int) {}
void AccessibleComboBox::removeSelection(int) {}
void AccessibleComboBox::setSelection(int, int, int) {}
void AccessibleComboBox::setCursorPosition(int) {}
void AccessibleComboBox::scrollToSubstring(int, int) {}

int AccessibleComboBox::cursorPosition() const
{
    return 0;
}

QString AccessibleComboBox::text(int startOffset, int endOffset) const
{
    const QString current = currentText();
    if (endOffset < 0 || endOffset > current.size())
        endOffset = current.size();
    startOffset = qBound(0, startOffset, endOffset);
    return current.mid(startOffset, endOffset - startOffset);
}

int AccessibleComboBox::characterCount() const
{
    return currentText().size();
}

QRect AccessibleComboBox::characterRect(int) const
{
    return QRect();
}

int AccessibleComboBox::offsetAtPoint(const QPoint &) const
{
    return -1;
}

QString AccessibleComboBox::attributes(int offset, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = offset;
    return QString();
}
