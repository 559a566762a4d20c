#include "support/Screenshot.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

QString saveScreenshot(QWidget *widget, const QString &name)
{
    QString dir = qEnvironmentVariable("MURVEN_SCREENSHOT_DIR");
    if (dir.isEmpty())
        dir = QStringLiteral(MURVEN_SCREENSHOT_DIR_DEFAULT);
    if (!widget || !QDir().mkpath(dir))
        return {};
    const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    return widget->grab().save(path) ? path : QString();
}
