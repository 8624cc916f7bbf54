#pragma once

// Keeps the mouse wheel from changing settings by accident. On a page that
// scrolls, the wheel turned over a combo box, spin box or slider would change
// its value instead of scrolling the page, and the change would go to the
// device with the next write. WheelGuard gives such a control the wheel only
// while it has the keyboard focus (clicked or tabbed into); otherwise the
// wheel event goes on to the control's parents, where a scroll area scrolls,
// and where nothing scrolls it does nothing.
//
// One call per window, after its form is set up:
//     WheelGuard::install(this);

#include <QObject>

class QWidget;

class WheelGuard : public QObject
{
    Q_OBJECT

public:
    // Guards every combo box, spin box and slider below root (root included).
    static void install(QWidget *root);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit WheelGuard(QObject *parent);
};
