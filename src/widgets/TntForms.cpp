#include "widgets/TntForms.h"

#include "widgets/TntControls.h"

#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QStatusTipEvent>
#include <QWidget>

namespace {

bool isMenuActivity(const QObject *watched)
{
    return qobject_cast<const QMenu *>(watched) || qobject_cast<const QMenuBar *>(watched)
           || qobject_cast<QMenu *>(QApplication::activePopupWidget());
}

} // namespace

TTntApplication::TTntApplication() : QObject(QCoreApplication::instance())
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(this);
}

TTntApplication::~TTntApplication() = default;

QString TTntApplication::Title() const
{
    return m_mainWindow ? m_mainWindow->windowTitle() : m_title;
}

void TTntApplication::SetTitle(const QString &value)
{
    m_title = value;
    if (m_mainWindow) {
        m_mainWindow->setWindowTitle(value);
        m_titleWaiting = false;
    } else {
        m_titleWaiting = true;
    }
}

void TTntApplication::SetHint(const QString &value)
{
    if (value == m_hint)
        return;
    m_hint = value;
    if (OnHint)
        OnHint();
}

void TTntApplication::windowShown(QWidget *window)
{
    if (m_mainWindow || window->windowType() != Qt::Window)
        return;
    m_mainWindow = window;
    if (m_titleWaiting) {
        window->setWindowTitle(m_title);
        m_titleWaiting = false;
    }
}

bool TTntApplication::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Show:
        if (watched->isWidgetType() && static_cast<QWidget *>(watched)->isWindow())
            windowShown(static_cast<QWidget *>(watched));
        break;
    case QEvent::Enter:
    case QEvent::HoverEnter:
        if (watched->isWidgetType())
            SetHint(WideGetLongHint(WideGetHint(static_cast<QWidget *>(watched))));
        break;
    case QEvent::Leave:
        // Back to the control around it (nothing when leaving the window).
        if (watched->isWidgetType()) {
            auto *widget = static_cast<QWidget *>(watched);
            SetHint(widget->isWindow() ? QString() : WideGetLongHint(WideGetHint(widget->parentWidget())));
        }
        break;
    case QEvent::StatusTip:
        // Controls are handled by enter and leave above (their status tip is
        // their long hint); this is a menu telling which item the mouse rests
        // on, empty between items.
        if (isMenuActivity(watched))
            SetHint(static_cast<QStatusTipEvent *>(event)->tip());
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

TTntApplication *TntApplication()
{
    static QPointer<TTntApplication> instance;
    if (!instance)
        instance = new TTntApplication();
    return instance;
}
