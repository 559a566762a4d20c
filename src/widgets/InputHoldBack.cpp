#include "widgets/InputHoldBack.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

TInputHoldBack::TInputHoldBack(THeldBack HeldBack, TCloseAsked OnClose)
    : m_heldBack(std::move(HeldBack)), m_onClose(std::move(OnClose))
{
    qApp->installEventFilter(this);
}

TInputHoldBack::~TInputHoldBack()
{
    qApp->removeEventFilter(this);
}

bool TInputHoldBack::eventFilter(QObject *Watched, QEvent *Event)
{
    switch (Event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::NativeGesture:
    case QEvent::Gesture:
        // Window-system objects hand these on to their widgets, which
        // are judged here in turn.
        if (!Watched->isWidgetType() || !m_heldBack(Watched))
            return false;
        Event->ignore();
        return true;
    case QEvent::ShortcutOverride:
        if (!Watched->isWidgetType() || !m_heldBack(Watched))
            return false;
        // Taken as the widget's own key, so no shortcut fires; the key
        // itself is then held back as a key press.
        Event->accept();
        return true;
    case QEvent::Shortcut:
        if (!m_heldBack(Watched))
            return false;
        Event->ignore();
        return true;
    case QEvent::Close:
        if (!m_onClose || !Event->spontaneous() || !Watched->isWidgetType() || !m_heldBack(Watched)
            || !static_cast<QWidget *>(Watched)->isWindow())
            return false;
        Event->ignore();
        if (!m_asking) {
            m_asking = true;
            m_onClose(static_cast<QWidget *>(Watched));
            m_asking = false;
        }
        return true;
    default:
        return false;
    }
}
