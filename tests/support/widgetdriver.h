#pragma once

// What every window driver shares: finding a widget of a window by its object
// name, and the user's gestures on one widget (a click, typed text, a number
// typed into a spin box).
//
// The object names of the tool's forms are known in the window drivers only
// (chooser.h, mainwindow.h, panel.h, page.h, networkwindow.h, infowindow.h);
// the programs that drive the windows call the drivers' operations. The
// gestures are defined in gestures.cpp (library guidriver), the lookups in
// library guiforms.

#include <QApplication>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QWidget>

class QAbstractButton;
class QAbstractSpinBox;
class QComboBox;
class QLineEdit;

namespace Driver {

// Ends the program with the window's class and the missing name: a driver
// whose widget is gone cannot take any later step.
[[noreturn]] void missingWidget(const QObject &root, const QString &name);

template <class T = QWidget> T *child(const QObject &root, const QString &name)
{
    T *found = root.findChild<T *>(name);
    if (!found)
        missingWidget(root, name);
    return found;
}

// The texts of the box's items, in order.
QStringList itemTexts(const QComboBox *box);

// Gestures. Each sends the events a user's mouse or keyboard would.
// A left click in the middle of the button.
void click(QAbstractButton *button);
// Keyboard only: Ctrl+A, Delete, the text, Return; the focus is not moved.
void retype(QWidget *widget, const QString &text);
// Gives the entry the focus, selects and deletes its text, types the text
// and presses Return.
void typeInto(QLineEdit *edit, const QString &text);
// Gives the box the focus, selects its text, types the number, presses Return.
void typeNumber(QAbstractSpinBox *box, int value);
// Moves the combo box to the index with the arrow keys; false if it cannot.
bool chooseByKeys(QComboBox *box, int index);

// Top-level windows of type T that exist after pending deletions have run.
template <class T> QList<T *> topLevel()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QList<T *> windows;
    const QList<QWidget *> all = QApplication::topLevelWidgets();
    for (QWidget *widget : all) {
        if (auto *window = qobject_cast<T *>(widget))
            windows << window;
    }
    return windows;
}

// The first visible top-level window of type T, or null.
template <class T> T *visibleWindow()
{
    const QList<QWidget *> all = QApplication::topLevelWidgets();
    for (QWidget *widget : all) {
        if (auto *window = qobject_cast<T *>(widget); window && window->isVisible())
            return window;
    }
    return nullptr;
}

} // namespace Driver
