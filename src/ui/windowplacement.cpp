#include "ui/windowplacement.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

namespace WindowPlacement {

// Visible top-level windows of the window's own class, the window excluded.
static int openSiblings(const QWidget *window)
{
    int count = 0;
    const QWidgetList all = QApplication::topLevelWidgets();
    for (const QWidget *other : all) {
        if (other != window && other->isVisible() &&
            qstrcmp(other->metaObject()->className(), window->metaObject()->className()) == 0)
            ++count;
    }
    return count;
}

void placeOver(QWidget *window, const QWidget *anchor)
{
    if (!window || !anchor)
        return;
    const QWidget *main = anchor->window();
    // Before its first show a window has the size its form gives it, unless
    // its layout asks for more.
    window->ensurePolished();
    const QSize size = window->size().expandedTo(window->minimumSizeHint());
    const int shift = CascadeStep * openSiblings(window);

    QPoint topLeft = main->frameGeometry().center() - QPoint(size.width() / 2, size.height() / 2);
    topLeft += QPoint(shift, shift);

    if (const QScreen *screen = main->screen()) {
        const QRect area = screen->availableGeometry();
        topLeft.setX(qBound(area.left(), topLeft.x(), qMax(area.left(), area.right() + 1 - size.width())));
        topLeft.setY(qBound(area.top(), topLeft.y(), qMax(area.top(), area.bottom() + 1 - size.height())));
    }
    window->move(topLeft);
}

} // namespace WindowPlacement
