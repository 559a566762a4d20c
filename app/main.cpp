#include "util/MsgBoxPos.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Murven19"));
    QMainWindow window;
    window.setWindowTitle(ProductCaption());
    window.resize(800, 600);
    window.show();
    return app.exec();
}
