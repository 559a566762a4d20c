// The one test main: a QApplication on the offscreen platform, a fixed locale
// and time zone, and a private temporary home so no test can touch a user's
// settings, registry files or data.
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QLocale>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                     : qgetenv("QT_QPA_PLATFORM"));
    qputenv("TZ", "Asia/Tokyo");
    TestEnvironment::installProcessHome();
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("murven19-tests"));
    ::testing::InitGoogleTest(&argc, argv);
    int rc = RUN_ALL_TESTS();
    TestEnvironment::removeProcessHome();
    return rc;
}
