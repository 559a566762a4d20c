#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

#include <optional>

class QString;
class QWidget;
class TMemIniFile;

// A window's outer frame fitted into workArea: a frame larger than the area
// is shrunk to it, though never below minimumFrame (the window's minimum size
// with its frame); then, unless keepPosition, it is moved back inside, its
// top-left kept in the area when it is still larger.
[[nodiscard]] QRect FitFrameIntoArea(const QRect &frame, const QSize &minimumFrame, const QRect &workArea,
                                     bool keepPosition);

// How a window about to be shown is placed.
enum class TWindowPlace {
    WindowSystem, // where the window system puts it (only its size is fitted)
    Own,          // where the program put it, moved back inside the area
    Centred,      // centred in the area
    OverAnchor,   // centred over the anchor's frame, as far as the area allows
};

// Where a window's client area goes so that its frame (the client with
// Decoration around it) lies inside Area: Client is the window's client
// rectangle as the program left it, MinimumClient its minimum size.
// AnchorFrame is the frame to centre over for TWindowPlace::OverAnchor.
[[nodiscard]] QRect PlaceClientInArea(const QRect &Client, const QMargins &Decoration, const QSize &MinimumClient,
                                      const QRect &Area, TWindowPlace Place,
                                      const std::optional<QRect> &AnchorFrame = std::nullopt);

// The decoration the window system puts around Window: its own when it has
// been shown already, else that of another window of the program on screen
// (one window system decorates them alike), else an allowance for a title
// bar and borders. Before its first show a window knows no frame: a frame
// guessed at the wrong place or size lets a window open with its title bar
// above the screen or its bottom edge (and status bar) below it.
[[nodiscard]] QMargins WindowDecoration(const QWidget *Window);

// The window that windows without a shown owner open over (the main list).
void SetPlacementAnchor(QWidget *Window);
[[nodiscard]] QWidget *PlacementAnchor();

// A window that opens again where the user left it keeps the top-left
// corner of its frame (the corner of its title bar), as the settings store
// it. PlaceWindowFrameAt puts the frame's corner there before the window
// is shown: the window system places the frame there, however the
// window's size settles as it is shown (a window's own move() before its
// first show holds only while its size does not change after Qt has made
// it, and a layout settles the size just then: the client would take the
// corner and the window stand a title bar higher at each start).
// A move() after it (a dialog centred over its owner) takes its place.
// WindowFrameTopLeft is the corner to store: of the normal geometry for a
// maximised or minimised window, and the last one on screen for a window
// already hidden (a window system may unframe a window it hides).
void PlaceWindowFrameAt(QWidget *Window, const QPoint &FrameTopLeft);
[[nodiscard]] QPoint WindowFrameTopLeft(const QWidget *Window);
// Stores WindowFrameTopLeft of Window as the section's Left and Top, in the
// settings' own scale.
void WriteWindowCorner(TMemIniFile &Ini, const QString &Section, const QWidget *Window);

// Fits a top-level window about to be shown into the available area of its
// screen (the one under its centre, else its own or the primary screen), so
// no window opens beyond the screen's edges or behind its panels. A window
// the program placed keeps its place, moved inside; one it did not place
// opens centred over its owner when the owner is on screen, else over the
// placement anchor (the main list), as far as the area allows; without
// either a large one is centred in the area and a small one is left to the
// window system. Popups, tool tips, and maximised, minimised or full-screen
// windows are left alone. The application object (TApplication) calls it for
// every window it shows.
void FitWindowIntoScreen(QWidget *Window);
