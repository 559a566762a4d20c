#include "support/Screenshot.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

QString saveScreenshot(QWidget *widget, const QString &name)
{
    QString dir = qEnvironmentVariable("MURVEN_SCREENSHOT_DIR");
    if (dir.isEmpty())
        dir = QDir::tempPath() + QStringLiteral("/murven-screenshots");
    if (!widget || !QDir().mkpath(dir))
        return {};
    const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    return widget->grab().save(path) ? path : QString();
}
