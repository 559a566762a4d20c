#include "support/Screenshot.h"

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace {

// The file a screenshot of that name goes to, its folder made; empty when it cannot be.
QString screenshotPath(const QString &name)
{
    QString dir = qEnvironmentVariable("MURVEN_SCREENSHOT_DIR");
    if (dir.isEmpty())
        dir = QStringLiteral(MURVEN_SCREENSHOT_DIR_DEFAULT);
    if (!QDir().mkpath(dir))
        return {};
    return dir + QLatin1Char('/') + name + QStringLiteral(".png");
}

} // namespace

QString saveScreenshot(QWidget *widget, const QString &name)
{
    const QString path = widget ? screenshotPath(name) : QString();
    if (path.isEmpty())
        return {};
    return widget->grab().save(path) ? path : QString();
}

QString saveScreenshot(const QImage &image, const QString &name)
{
    const QString path = screenshotPath(name);
    if (path.isEmpty())
        return {};
    return image.save(path) ? path : QString();
}
