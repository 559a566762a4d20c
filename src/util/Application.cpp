#include "util/Application.h"

#include "platform/Exception.h"
#include "util/MsgBoxPos.h"
#include "util/WindowFit.h"

#include <QEvent>
#include <QWidget>

#include <exception>

namespace {

// Over the active window: the receiver itself may be gone with the command
// that failed.
void reportEscaped(const QString &text)
{
    QWidget *owner = QApplication::activeWindow();
    ShowMessageBoxAt(owner, text, ProductCaption(), MB_ICONERROR, owner ? mbpCenterOnOwner : mbpSystem, 0, 0);
}

} // namespace

TApplication::TApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        // Every window passes here just before it appears (its size is
        // settled, the window system has not placed it yet): the one place
        // windows are kept inside the screen. A spontaneous show is the
        // window system restoring a window the user placed.
        if (event->type() == QEvent::Show && !event->spontaneous() && receiver->isWidgetType()
            && static_cast<QWidget *>(receiver)->isWindow())
            FitWindowIntoScreen(static_cast<QWidget *>(receiver));
        return QApplication::notify(receiver, event);
    } catch (const Exception &error) {
        reportEscaped(error.Message());
    } catch (const std::exception &error) {
        reportEscaped(QString::fromLocal8Bit(error.what()));
    }
    return false;
}
