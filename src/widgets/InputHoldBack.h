#pragma once

#include <QObject>

#include <functional>

class QWidget;

// Holds back the user's input (mouse, keys, wheel, touch, tablet, gestures,
// the input method, context menus, drops and the shortcuts of actions) meant
// for whatever HeldBack names, while the object lives. An application-wide
// filter sees each event before its receiver does. A shortcut's key is taken
// as the widget's own, so no shortcut fires, and then held back as a key.
// With OnClose set, a window's close asked for by the user is held back too
// and handed to OnClose (once at a time) to answer.
class TInputHoldBack final : public QObject
{
public:
    using THeldBack = std::function<bool(const QObject *Watched)>;
    using TCloseAsked = std::function<void(QWidget *Window)>;

    explicit TInputHoldBack(THeldBack HeldBack, TCloseAsked OnClose = {});
    ~TInputHoldBack() override;
    TInputHoldBack(const TInputHoldBack &) = delete;
    TInputHoldBack &operator=(const TInputHoldBack &) = delete;

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    THeldBack m_heldBack;
    TCloseAsked m_onClose;
    bool m_asking = false;
};
