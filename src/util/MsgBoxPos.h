#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>

class QWidget;

// Message-box flags and results, with the values the windows pass and test.
enum TMessageBoxFlag : unsigned {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_ABORTRETRYIGNORE = 0x2,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_RETRYCANCEL = 0x5,
    MB_TYPEMASK = 0xF,
    MB_ICONHAND = 0x10,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONWARNING = 0x30,
    MB_ICONASTERISK = 0x40,
    MB_ICONINFORMATION = 0x40,
    MB_ICONMASK = 0xF0,
    MB_DEFBUTTON1 = 0x000,
    MB_DEFBUTTON2 = 0x100,
    MB_DEFBUTTON3 = 0x200,
    MB_DEFMASK = 0xF00,
};

enum TMessageBoxResult : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDABORT = 3,
    IDRETRY = 4,
    IDIGNORE = 5,
    IDYES = 6,
    IDNO = 7,
};

// Placement modes of ShowMessageBoxAt.
enum TMessageBoxPlacement : int {
    mbpCenterOnOwner = 0,
    mbpAtPoint = 1,
    mbpSystem = 2,
};

// The product caption every message box carries.
QString ProductCaption();

// One call of ShowMessageBoxAt as a sink sees it: what would be shown and
// where. `position` is the box's top-left for modes 0 and 1 once the box size
// is known (the sink gets the size of a box laid out with the same contents).
struct TMessageBoxRequest {
    QWidget *owner = nullptr;
    QString text;
    QString caption;
    unsigned flags = 0;
    int mode = 0;
    QPoint point;
    QRect ownerRect;
    QSize boxSize;
    QPoint position;
};

// Stand-in for the real message box, so windows can be driven without a
// person: the sink records the request and returns a button identifier.
class TMessageBoxSink
{
public:
    virtual ~TMessageBoxSink() = default;
    virtual int answer(const TMessageBoxRequest &request) = 0;
};

// Installs a sink (nullptr restores the real box); returns the previous one.
TMessageBoxSink *SetMessageBoxSink(TMessageBoxSink *sink);

// Shows a message box placed by Mode: 0 centred over OwnerWnd, 1 with its
// top-left corner at (X, Y), 2 where the window system puts it. The box is
// kept inside the work area of the screen it lands on. Text lines may be
// broken by CR LF. Returns the identifier of the button pressed (IDOK,
// IDCANCEL, IDYES, IDNO ...), IDCANCEL when the box is closed otherwise.
int ShowMessageBoxAt(QWidget *OwnerWnd, const QString &Text, const QString &Caption, unsigned Flags,
                     int Mode, int X, int Y);

// Top-left corner of a box of boxSize for the mode, inside workArea (when
// workArea is valid). Centring rounds toward zero like integer division.
QPoint MessageBoxPosition(int mode, const QRect &ownerRect, const QSize &boxSize, const QPoint &point,
                          const QRect &workArea);

// Raises and activates the window even when another window was brought
// forward meanwhile.
void ForceForegroundWindow(QWidget *Wnd);

// The question before writing to a file that exists: 0 overwrite, 1 append
// (the default button), 9 cancelled. Inform shows it as the window's box.
[[nodiscard]] int AskOverwriteOrAppend(const std::function<int(const QString &Text, unsigned Flags)> &Inform);
