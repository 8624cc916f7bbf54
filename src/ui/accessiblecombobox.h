#pragma once

// How a combo box presents itself to screen readers, the same on every
// platform: its accessible name (or the caption that labels it) is its name,
// the current item is its value, and a screen reader can commit an item.
//
// Qt's own presentation on Linux names a combo box by its current item and
// leaves the caption to a label relation; one caption over two columns cannot
// label both boxes, so the page's twelve port settings were all spoken as
// bare values ("9600, combo box"), and an item chosen through AT-SPI was only
// highlighted. Here the name comes from the form, the current text is the
// value (as text, and as the item's index through the value interface), and
// setting that value commits the item as a choice by the user would.
//
// Installed once per process; each window calls it before its combo boxes
// are first seen by a screen reader:
//     AccessibleComboBox::install();

#include <QAccessibleWidget>

class QComboBox;

class AccessibleComboBox : public QAccessibleWidget,
                           public QAccessibleValueInterface,
                           public QAccessibleTextInterface
{
public:
    explicit AccessibleComboBox(QWidget *widget);

    // Registers the factory that gives every QComboBox this presentation.
    static void install();

    // QAccessibleInterface
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    void *interface_cast(QAccessible::InterfaceType t) override;

    // QAccessibleActionInterface
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

    // QAccessibleValueInterface: the current item's index.
    QVariant currentValue() const override;
    void setCurrentValue(const QVariant &value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

    // QAccessibleTextInterface: the current item's text, read only.
    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

private:
    QComboBox *comboBox() const;
    QString currentText() const;
};
