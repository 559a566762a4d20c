// The one test main: the program's application object on the offscreen
// platform, a fixed locale and time zone, and a private temporary home so no
// test can touch a user's settings, registry files or data.
#include "platform/Folders.h"
#include "support/TestEnvironment.h"
#include "util/Application.h"
#include "util/Font.h"
#include "util/WriteFailure.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

QtMessageHandler g_original = nullptr;

// The offscreen platform says so each time a window asks for something it
// cannot do; that says nothing about the code under test.
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    if (g_original)
        g_original(type, context, message);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                     : qgetenv("QT_QPA_PLATFORM"));
    qputenv("TZ", "Asia/Tokyo");
    // As the program does at its start: what the tests make is private too.
    Folders::restrictNewFilesToUser();
    TestEnvironment::installProcessHome();
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    // The program's own application object, so an exception escaping a slot
    // is reported as in the program.
    TApplication app(argc, argv);
    // The program's font, so windows measure and look as in the program.
    SetApplicationFont();
    // As in the program; the tests answer the boxes through their scripted sinks.
    InstallUnreadableSettingsNotice();
    g_original = qInstallMessageHandler(quietHandler);
    QApplication::setApplicationName(QStringLiteral("murven19-tests"));
    ::testing::InitGoogleTest(&argc, argv);
    int rc = RUN_ALL_TESTS();
    TestEnvironment::removeProcessHome();
    return rc;
}
