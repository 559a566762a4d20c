#pragma once

#include <QRect>
#include <QSize>

class QWidget;

// A window's outer frame fitted into workArea: a frame larger than the area
// is shrunk to it, though never below minimumFrame (the window's minimum size
// with its frame); then, unless keepPosition, it is moved back inside, its
// top-left kept in the area when it is still larger.
[[nodiscard]] QRect FitFrameIntoArea(const QRect &frame, const QSize &minimumFrame, const QRect &workArea,
                                     bool keepPosition);

// Fits a top-level window about to be shown into the available area of its
// screen (the one under its centre, else its own or the primary screen), so
// no window opens beyond the screen's edges or behind its panels: the size of
// every window and the position of one the program placed (the window system
// places the others inside the area itself). Popups, tool tips, and
// maximised, minimised or full-screen windows are left alone. The
// application object (TApplication) calls it for every window it shows.
void FitWindowIntoScreen(QWidget *Window);
