#pragma once

// Where the tool's own top-level windows open. The network window and the
// information windows have no parent, so a window manager would put them
// wherever it puts new windows (often the far left of the screen), away from
// the main window the user works in. Placed here before they are shown, they
// open centred over the main window; each further window of the same kind
// that is already open shifts the new one down and to the right (a cascade),
// so none hides another completely. A window is kept on the main window's
// screen.
//
//     WindowPlacement::placeOver(window, mainWindow);   // then window->show()

class QWidget;

namespace WindowPlacement {

// The shift, in pixels right and down, per window already open.
constexpr int CascadeStep = 32;

void placeOver(QWidget *window, const QWidget *anchor);

} // namespace WindowPlacement
