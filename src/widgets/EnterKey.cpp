#include "widgets/EnterKey.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QToolButton>
#include <QVariant>
#include <QWidget>

namespace {

// Watches the window itself: a key a focused button leaves unused travels
// up to its window, where this takes it before the window (or the dialog's
// default button) does. A button that presses itself on Return (a dialog's
// default and automatic-default buttons) uses the key, so it never arrives.
class TFocusedButtonEnter final : public QObject
{
public:
    explicit TFocusedButtonEnter(QWidget *Window) : QObject(Window), m_window(Window) {}

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override
    {
        if (Watched != m_window || !IsEnterKeyPress(Event))
            return QObject::eventFilter(Watched, Event);
        auto *button = qobject_cast<QAbstractButton *>(QApplication::focusWidget());
        if (!button || !(qobject_cast<QPushButton *>(button) || qobject_cast<QToolButton *>(button)) ||
            !m_window->isAncestorOf(button) || button->window() != m_window->window() || !button->isEnabled())
            return QObject::eventFilter(Watched, Event);
        if (static_cast<QKeyEvent *>(Event)->isAutoRepeat())
            return true;
        button->click();
        return true;
    }

private:
    QWidget *m_window;
};

} // namespace

void PressFocusedButtonOnEnter(QWidget *Window)
{
    // One filter a window does it all.
    static const char *const installed = "FocusedButtonTakesEnter";
    if (!Window || Window->property(installed).toBool())
        return;
    Window->setProperty(installed, true);
    Window->installEventFilter(new TFocusedButtonEnter(Window));
}
