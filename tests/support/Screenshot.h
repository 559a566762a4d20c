#pragma once

#include <QString>

class QImage;
class QWidget;

// Saves widget->grab() as <name>.png in the screenshot folder
// (MURVEN_SCREENSHOT_DIR, set by CTest to build/screenshots), so a person can
// look at how a control renders. Returns the file path, empty when it failed.
QString saveScreenshot(QWidget *widget, const QString &name);

// Saves a rendered image (a page drawn by the printable items, say) the same way.
QString saveScreenshot(const QImage &image, const QString &name);
