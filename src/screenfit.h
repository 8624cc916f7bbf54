#pragma once

// Keeps a fixed-size window reachable on screens smaller than its form.
//
// The main window's form is 585 x 940. Where the available area of the screen
// the window is shown on holds that (plus the window frame), nothing changes.
// Where it does not, the window takes the available height, stays
// non-resizable, and its central contents scroll vertically inside a scroll
// area; the menu bar and the status bar lie outside the scroll area and stay
// visible. The decision is taken each time the window is shown and when it
// moves to another screen.

#include <QObject>
#include <QPointer>
#include <QScreen>
#include <QRect>
#include <QSize>

class QMainWindow;
class QScrollArea;

namespace ScreenFit {

// The window size for a form of formSize on a screen whose available area is
// available, with a frame that adds frameHeight above and below the client
// area and a vertical scroll bar scrollBarWidth wide.
QSize fittedSize(QSize formSize, QRect available, int frameHeight, int scrollBarWidth);

} // namespace ScreenFit

class ScreenFitter : public QObject
{
    Q_OBJECT

public:
    // The scroll area's widget is the window's central contents; window owns
    // the fitter.
    ScreenFitter(QMainWindow *window, QScrollArea *area);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fit();
    void followScreen();
    void screenChanged();
    int frameHeight() const;

    QMainWindow *window;
    QScrollArea *area;
    const QSize formSize;
    QPointer<QScreen> watchedScreen; // gone when the screen is unplugged
};

// Run before the application object exists: scale for high-DPI screens (Qt 6
// always does; Qt 5 only when asked) and keep fractional scales (125 %,
// 150 %) as they are, since rounded up to 200 % the 940-pixel main window
// would need 1880 pixels.
void prepareScreenScaling();
