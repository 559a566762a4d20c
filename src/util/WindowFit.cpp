#include "util/WindowFit.h"

#include "util/SubUnit.h"

#include "platform/IniFile.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QVariant>
#include <QWidget>
#include <QWindow>

#include <algorithm>

QRect FitFrameIntoArea(const QRect &frame, const QSize &minimumFrame, const QRect &workArea, bool keepPosition)
{
    if (workArea.isEmpty())
        return frame;
    QRect fitted = frame;
    fitted.setWidth(std::max(std::min(frame.width(), workArea.width()), minimumFrame.width()));
    fitted.setHeight(std::max(std::min(frame.height(), workArea.height()), minimumFrame.height()));
    // Centred over itself is where it is, moved back inside the area.
    if (!keepPosition)
        fitted.moveTopLeft(CenterFormPosition(fitted.size(), &fitted, workArea));
    return fitted;
}

QRect PlaceClientInArea(const QRect &Client, const QMargins &Decoration, const QSize &MinimumClient, const QRect &Area,
                        TWindowPlace Place, const std::optional<QRect> &AnchorFrame)
{
    if (Area.isEmpty())
        return Client;
    const QRect frame = Client.marginsAdded(Decoration);
    const QSize minimumFrame = MinimumClient.grownBy(Decoration);
    QRect fitted = FitFrameIntoArea(frame, minimumFrame, Area, Place == TWindowPlace::WindowSystem);
    switch (Place) {
    case TWindowPlace::WindowSystem:
    case TWindowPlace::Own:
        break;
    case TWindowPlace::Centred:
        fitted.moveTopLeft(CenterFormPosition(fitted.size(), nullptr, Area));
        break;
    case TWindowPlace::OverAnchor:
        if (AnchorFrame)
            fitted.moveTopLeft(CenterFormPosition(fitted.size(), &*AnchorFrame, Area));
        break;
    }
    return fitted.marginsRemoved(Decoration);
}

namespace {

QPointer<QWidget> placementAnchor;

bool isPlaceable(const QWidget *Window)
{
    const Qt::WindowType type = Window->windowType();
    return type != Qt::Popup && type != Qt::ToolTip && type != Qt::Desktop && type != Qt::SplashScreen
           && !Window->windowFlags().testFlag(Qt::FramelessWindowHint);
}

QMargins marginsOf(const QWidget *Window)
{
    const QRect frame = Window->frameGeometry();
    const QRect client = Window->geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

// A title bar and borders, however the style draws them: a window system's
// title bar is rarely lower than 24 pixels. Where they go is not known, so
// the allowance is put at the right and the bottom: the window keeps the
// place the program gave it, and is made small enough that a frame of that
// size still ends inside the area.
QMargins estimatedDecoration(const QWidget *Window)
{
    const int border = std::max(Window->style()->pixelMetric(QStyle::PM_DefaultFrameWidth), 4);
    const int title = std::max(Window->style()->pixelMetric(QStyle::PM_TitleBarHeight), 24) + 8;
    return {0, 0, 2 * border, title + border};
}

// The window (never Window itself) a window opens over: its owner's window
// when that is on screen, else the placement anchor when that is.
QWidget *anchorOf(const QWidget *Window)
{
    for (QWidget *owner = Window->parentWidget(); owner; owner = owner->parentWidget()) {
        QWidget *window = owner->window();
        if (window != Window && window->isVisible() && !window->isMinimized())
            return window;
        owner = window;
    }
    QWidget *anchor = placementAnchor.data();
    if (anchor && anchor != Window && anchor->isVisible() && !anchor->isMinimized())
        return anchor;
    return nullptr;
}

// The corner a window was placed at by its frame, until its show places it.
constexpr char kFrameCorner[] = "murvenFrameCorner";
// The corner of the frame the window last showed on screen.
constexpr char kShownCorner[] = "murvenShownFrameCorner";

// Notes the corner of a placed window's frame while it is on screen, framed
// and in its normal state, so it can still be stored after it is hidden.
class TShownCornerWatch : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override
    {
        const QEvent::Type type = Event->type();
        if ((type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show) && Watched->isWidgetType()) {
            auto *window = static_cast<QWidget *>(Watched);
            if (window->isVisible() && window->windowState() == Qt::WindowNoState && !marginsOf(window).isNull())
                window->setProperty(kShownCorner, window->frameGeometry().topLeft());
        }
        return false;
    }
};

void watchShownCorner(QWidget *Window)
{
    static QPointer<TShownCornerWatch> watch;
    if (!watch)
        watch = new TShownCornerWatch(QCoreApplication::instance());
    Window->removeEventFilter(watch);
    Window->installEventFilter(watch);
}

// A window placed by its frame's corner, shown for the first time: its
// frame fitted into the area, the corner given to the window system as the
// frame's (the decoration, not known before the window system has framed
// the window, only sizes the fit).
void placeByFrame(QWidget *Window, const QPoint &Corner, const QMargins &Decoration)
{
    const QPoint inside(Decoration.left(), Decoration.top());
    const QRect client(Corner + inside, Window->size());
    QScreen *screen = QGuiApplication::screenAt(client.marginsAdded(Decoration).center());
    if (!screen)
        screen = Window->screen() ? Window->screen() : QGuiApplication::primaryScreen();
    const QRect placed = screen ? PlaceClientInArea(client, Decoration, Window->minimumSize(), screen->availableGeometry(),
                                                    TWindowPlace::Own)
                                : client;
    if (placed.size() != client.size())
        Window->resize(placed.size());
    const QPoint at = placed.topLeft() - inside;
    Window->move(at);
    // Qt hands the window system the client's corner once the window's size
    // has changed after it was made (as a layout settles it at the show):
    // the window gets its size now and the frame's corner again.
    if (QWindow *handle = Window->windowHandle()) {
        if (handle->size() != Window->size())
            handle->resize(Window->size());
        handle->setFramePosition(at);
    }
}

} // namespace

void PlaceWindowFrameAt(QWidget *Window, const QPoint &FrameTopLeft)
{
    if (!Window)
        return;
    Window->move(FrameTopLeft);
    // A window on screen has its frame: move() has put the frame there.
    if (!Window->isVisible())
        Window->setProperty(kFrameCorner, FrameTopLeft);
    watchShownCorner(Window);
}

QPoint WindowFrameTopLeft(const QWidget *Window)
{
    if (!Window)
        return {};
    if (Window->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) {
        const QRect normal = Window->normalGeometry();
        if (normal.isValid()) {
            const QMargins decoration = WindowDecoration(Window);
            return normal.topLeft() - QPoint(decoration.left(), decoration.top());
        }
    }
    if (!Window->isVisible()) {
        const QVariant shown = Window->property(kShownCorner);
        if (shown.isValid())
            return shown.toPoint();
    }
    return Window->frameGeometry().topLeft();
}

QMargins WindowDecoration(const QWidget *Window)
{
    if (!Window)
        return {};
    // Known once the window system has framed the window (none before).
    const QMargins own = marginsOf(Window);
    if (!own.isNull())
        return own;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QWidget *other : windows) {
        if (other == Window || !other->isVisible() || !isPlaceable(other))
            continue;
        const QMargins margins = marginsOf(other);
        if (!margins.isNull())
            return margins;
    }
    return estimatedDecoration(Window);
}

void SetPlacementAnchor(QWidget *Window)
{
    placementAnchor = Window;
}

QWidget *PlacementAnchor()
{
    return placementAnchor.data();
}

void FitWindowIntoScreen(QWidget *Window)
{
    if (!Window || !Window->isWindow() || !isPlaceable(Window))
        return;
    // Taken at the first show: a window shown again is where it was.
    const QVariant frameCorner = Window->property(kFrameCorner);
    Window->setProperty(kFrameCorner, QVariant());
    if (Window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized))
        return;
    const QMargins decoration = WindowDecoration(Window);
    // Unless the program has moved it since (centred it over its owner).
    if (frameCorner.isValid() && Window->pos() == frameCorner.toPoint()) {
        placeByFrame(Window, frameCorner.toPoint(), decoration);
        return;
    }
    const QRect client = Window->geometry();
    const QRect frame = client.marginsAdded(decoration);
    QWidget *anchor = Window->testAttribute(Qt::WA_Moved) ? nullptr : anchorOf(Window);
    QScreen *screen = anchor ? anchor->screen() : QGuiApplication::screenAt(frame.center());
    if (!screen)
        screen = Window->screen() ? Window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    TWindowPlace place = TWindowPlace::WindowSystem;
    std::optional<QRect> anchorFrame;
    if (Window->testAttribute(Qt::WA_Moved)) {
        place = TWindowPlace::Own;
    } else if (anchor) {
        place = TWindowPlace::OverAnchor;
        anchorFrame = anchor->geometry().marginsAdded(WindowDecoration(anchor));
    } else if (frame.height() > area.height() * 3 / 4 || frame.width() > area.width() * 3 / 4) {
        // A large window the window system would place may still hang over
        // an edge: it is centred in the area instead.
        place = TWindowPlace::Centred;
    }
    const QRect placed = PlaceClientInArea(client, decoration, Window->minimumSize(), area, place, anchorFrame);
    if (place == TWindowPlace::WindowSystem) {
        if (placed.size() != client.size())
            Window->resize(placed.size());
        return;
    }
    // The client rectangle: the window system puts its frame around it.
    if (placed != client)
        Window->setGeometry(placed);
}

void WriteWindowCorner(TMemIniFile &Ini, const QString &Section, const QWidget *Window)
{
    const QPoint corner = WindowFrameTopLeft(Window);
    Ini.WriteInteger(Section, QStringLiteral("Left"), ScaleForDpi(corner.x(), false));
    Ini.WriteInteger(Section, QStringLiteral("Top"), ScaleForDpi(corner.y(), false));
}
