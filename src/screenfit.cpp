#include "screenfit.h"

#include "logging.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QWindow>

namespace ScreenFit {

QSize fittedSize(QSize formSize, QRect available, int frameHeight, int scrollBarWidth)
{
    const int room = available.height() - frameHeight;
    if (room >= formSize.height())
        return formSize;
    return QSize(formSize.width() + scrollBarWidth, qMax(room, 0));
}

} // namespace ScreenFit

ScreenFitter::ScreenFitter(QMainWindow *window, QScrollArea *area)
    : QObject(window), window(window), area(area), formSize(window->minimumSize())
{
    window->installEventFilter(this);
}

bool ScreenFitter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == window && event->type() == QEvent::Show) {
        followScreen();
        fit();
    }
    return QObject::eventFilter(watched, event);
}

void ScreenFitter::followScreen()
{
    QWindow *handle = window->windowHandle();
    if (!handle)
        return;
    connect(handle, &QWindow::screenChanged, this, &ScreenFitter::screenChanged, Qt::UniqueConnection);
    if (handle->screen() == watchedScreen)
        return;
    if (watchedScreen)
        disconnect(watchedScreen, nullptr, this, nullptr);
    watchedScreen = handle->screen();
    if (watchedScreen)
        connect(watchedScreen, &QScreen::availableGeometryChanged, this, &ScreenFitter::fit);
}

void ScreenFitter::screenChanged()
{
    followScreen();
    fit();
}

// Top and bottom frame together. Before the window manager has framed the
// window its frame is unknown; a title bar is then the best guess.
int ScreenFitter::frameHeight() const
{
    const int known = window->frameGeometry().height() - window->geometry().height();
    if (known > 0)
        return known;
    return window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
}

void ScreenFitter::fit()
{
    const QScreen *screen = watchedScreen ? watchedScreen.data() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QWidget *contents = area->widget();
    // The contents keep the size they have in the full-size form, so that a
    // smaller window scrolls them instead of squeezing the rows together, and
    // a scroll bar adds to the window's width instead of taking from theirs.
    if (contents->minimumHeight() == 0 && window->size() == formSize) {
        contents->setMinimumHeight(area->viewport()->height());
        contents->setMaximumWidth(area->viewport()->width());
    }

    const int scrollBarWidth = area->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, area->verticalScrollBar());
    const QSize size = ScreenFit::fittedSize(formSize, screen->availableGeometry(), frameHeight(), scrollBarWidth);
    if (size == window->size())
        return;
    qCDebug(lcApp) << "Window fitted to the screen:" << size << "available" << screen->availableGeometry();
    window->setFixedSize(size);
    if (size.height() < formSize.height())
        window->move(window->x(), screen->availableGeometry().top());
}

void prepareScreenScaling()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
#endif
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}
