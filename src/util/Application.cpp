#include "util/Application.h"

#include "platform/Exception.h"
#include "util/MsgBoxPos.h"

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
        return QApplication::notify(receiver, event);
    } catch (const Exception &error) {
        reportEscaped(error.Message());
    } catch (const std::exception &error) {
        reportEscaped(QString::fromLocal8Bit(error.what()));
    }
    return false;
}
