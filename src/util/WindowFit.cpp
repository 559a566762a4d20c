#include "util/WindowFit.h"

#include "util/SubUnit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

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

void FitWindowIntoScreen(QWidget *Window)
{
    if (!Window || !Window->isWindow())
        return;
    const Qt::WindowType type = Window->windowType();
    if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::Desktop)
        return;
    if (Window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized))
        return;
    const QRect frame = Window->frameGeometry();
    QScreen *screen = QGuiApplication::screenAt(frame.center());
    if (!screen)
        screen = Window->screen() ? Window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The frame's decoration (title bar, borders), once the window system has
    // told it. Before a window's first show it has not: a title bar and
    // borders are allowed for, or a window as tall as the area opens with its
    // bottom edge below the screen.
    QSize decoration = frame.size() - Window->size();
    QRect outer = frame;
    if (decoration.height() < 16) {
        const int border = std::max(Window->style()->pixelMetric(QStyle::PM_DefaultFrameWidth), 4);
        const int title = std::max(Window->style()->pixelMetric(QStyle::PM_TitleBarHeight), 24) + 8;
        const QSize estimate(std::max(decoration.width(), 2 * border), title + border);
        outer = QRect(frame.topLeft(), frame.size() - decoration + estimate);
        decoration = estimate;
    }
    const QRect area = screen->availableGeometry();
    // A large window the window system would place may still hang over an
    // edge: it is centred in the area instead.
    const bool large = outer.height() > area.height() * 3 / 4 || outer.width() > area.width() * 3 / 4;
    const bool placed = Window->testAttribute(Qt::WA_Moved) || large;
    const QRect fitted = FitFrameIntoArea(outer, Window->minimumSize() + decoration, area, !placed);
    if (fitted.size() != outer.size())
        Window->resize(fitted.size() - decoration);
    // For a window, move() places the outer frame.
    if (placed && fitted.topLeft() != frame.topLeft())
        Window->move(fitted.topLeft());
}
