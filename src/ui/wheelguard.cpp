#include "ui/wheelguard.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QWidget>

WheelGuard::WheelGuard(QObject *parent) : QObject(parent) {}

static bool isGuarded(const QWidget *widget)
{
    return qobject_cast<const QComboBox *>(widget) || qobject_cast<const QAbstractSpinBox *>(widget) ||
           qobject_cast<const QAbstractSlider *>(widget);
}

void WheelGuard::install(QWidget *root)
{
    auto *guard = new WheelGuard(root);
    QList<QWidget *> widgets = root->findChildren<QWidget *>();
    widgets.prepend(root);
    for (QWidget *widget : qAsConst(widgets)) {
        // A scroll bar is the wheel's rightful target.
        if (!isGuarded(widget) || widget->inherits("QScrollBar"))
            continue;
        // Wheel focus would let the wheel take the focus and the value with
        // it; strong focus still takes it by click and by Tab.
        if (widget->focusPolicy() == Qt::WheelFocus)
            widget->setFocusPolicy(Qt::StrongFocus);
        widget->installEventFilter(guard);
    }
}

bool WheelGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Wheel)
        return QObject::eventFilter(watched, event);
    auto *widget = static_cast<QWidget *>(watched);
    if (widget->hasFocus())
        return false;
    // Filtered out but not accepted: the application hands the event to the
    // parent widgets in turn, as it does with any wheel event a widget ignores.
    event->ignore();
    return true;
}
