#include "util/Font.h"
#include "util/MsgBoxPos.h"
#include "util/SingleInstance.h"

#include <QApplication>
#include <QMainWindow>

namespace {
// The name under which a running instance is found by the next start.
const QString kInstanceName = QStringLiteral("Murven19.Instance");
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Murven19"));
    QApplication::setOrganizationName(QStringLiteral("Pyx"));

    TInstanceLock instance;
    if (CheckPreviousInstance(instance, kInstanceName, true))
        return 0;

    InstallFontSubstitutions();

    QMainWindow window;
    window.setObjectName(QStringLiteral("AddressList"));
    window.setWindowTitle(ProductCaption());
    window.resize(800, 600);
    SetWindowMarker(&window, kInstanceName);
    window.show();
    const int rc = app.exec();
    RemoveWindowMarker(&window, kInstanceName);
    return rc;
}
