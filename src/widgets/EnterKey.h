#pragma once

#include <QEvent>
#include <QKeyEvent>

class QWidget;

// The dialogs move on with Enter: from a field to the next field or to the
// button that acts. This tells such a key press from any other event, the
// main Return key and the keypad's Enter alike, whatever the modifiers.
[[nodiscard]] inline bool IsEnterKeyPress(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Where Enter leads to a button, Return there presses it, as the space bar
// does. Qt leaves that key of a focused button to the window: a plain
// window does nothing with it, and a dialog presses its default button
// instead whenever the focused one is kept from becoming the default (as
// the buttons of a list's moves are, so that Return in a field never
// presses them). Once this is called on a window, Return or Enter on any of
// its push or tool buttons that has the focus presses exactly that button,
// also on buttons made later; a disabled button cannot have the focus.
void PressFocusedButtonOnEnter(QWidget *Window);
