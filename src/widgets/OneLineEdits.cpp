#include "widgets/OneLineEdits.h"

#include "widgets/ByteLimitValidator.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>

bool TOneLineEdits::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Polish:
    case QEvent::FocusIn:
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::Drop:
    case QEvent::ContextMenu:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        if (auto *edit = qobject_cast<QLineEdit *>(watched))
            KeepOnOneLine(edit);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void InstallOneLineEdits()
{
    auto *app = qApp;
    if (!app || app->findChild<TOneLineEdits *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    app->installEventFilter(new TOneLineEdits(app));
}
