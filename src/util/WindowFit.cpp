#include "util/WindowFit.h"

#include "util/SubUnit.h"

#include <QGuiApplication>
#include <QScreen>
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
    // The frame's decoration (title bar, borders), once the window system has told it.
    const QSize decoration = frame.size() - Window->size();
    const bool placed = Window->testAttribute(Qt::WA_Moved);
    const QRect fitted =
        FitFrameIntoArea(frame, Window->minimumSize() + decoration, screen->availableGeometry(), !placed);
    if (fitted.size() != frame.size())
        Window->resize(fitted.size() - decoration);
    // For a window, move() places the outer frame.
    if (placed && fitted.topLeft() != frame.topLeft())
        Window->move(fitted.topLeft());
}
