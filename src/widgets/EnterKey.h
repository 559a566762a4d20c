#pragma once

#include <QEvent>
#include <QKeyEvent>

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
