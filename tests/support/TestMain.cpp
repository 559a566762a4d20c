// The one test main: the program's application object on the offscreen
// platform, a fixed locale and time zone, and a private temporary home so no
// test can touch a user's settings, registry files or data.
#include "core/Env.h"
#include "platform/Folders.h"
#include "support/DialogBound.h"
#include "support/TestEnvironment.h"
#include "util/Application.h"
#include "util/Font.h"
#include "util/PrintFonts.h"
#include "util/WriteFailure.h"
#include "widgets/OneLineEdits.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <gtest/gtest.h>

#include <cstdio>

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

// The settings files the program writes into its settings root. Left in the
// working folder, they would mean a test wrote with the settings root unset.
const char *const kSettingsFiles[] = {"Murven19.ini", "CstmClr.ini"};

// Names the test that left a settings file in the working folder, and takes
// the file away so the next test starts clean.
class WorkingFolderWatch : public ::testing::EmptyTestEventListener
{
public:
    void OnTestEnd(const ::testing::TestInfo &test) override
    {
        for (const char *name : kSettingsFiles) {
            if (!QFileInfo::exists(QString::fromLatin1(name)))
                continue;
            std::fprintf(stderr, "%s.%s wrote %s into the working folder %s\n", test.test_suite_name(),
                         test.name(), name, qPrintable(QDir::currentPath()));
            QFile::remove(QString::fromLatin1(name));
            failed = true;
        }
    }
    bool failed = false;
};

// The program's folder variables start inside the temporary home, as the
// program's start-up points them into its settings root: a test that sets
// none of its own never writes into the working folder.
void pointProgramFoldersIntoHome()
{
    DataRoot = Folders::includeTrailingPathDelimiter(Folders::settingsRoot());
    QDir().mkpath(DataRoot);
    SetDataPath(DataRoot + QStringLiteral("Data/"));
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
    pointProgramFoldersIntoHome();
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    // The program's own application object, so an exception escaping a slot
    // is reported as in the program.
    TApplication app(argc, argv);
    // As the program does at its start, before any face draws: a face drawn
    // before its unaliased copy is registered keeps drawing from the
    // installed file, and a test's answer would depend on the tests before it.
    (void)PreparePrintFonts();
    // The program's font, so windows measure and look as in the program.
    SetApplicationFont();
    // As in the program; the tests answer the boxes through their scripted sinks.
    InstallUnreadableSettingsNotice();
    InstallSettingsNotSavedNotice();
    // As in the program: every one-line edit keeps to one line.
    InstallOneLineEdits();
    g_original = qInstallMessageHandler(quietHandler);
    QApplication::setApplicationName(QStringLiteral("murven19-tests"));
    ::testing::InitGoogleTest(&argc, argv);
    // Files a person left there before are not a test's doing.
    bool leftBefore = false;
    for (const char *name : kSettingsFiles)
        leftBefore = leftBefore || QFileInfo::exists(QString::fromLatin1(name));
    auto *watch = leftBefore ? nullptr : new WorkingFolderWatch;
    if (watch)
        ::testing::UnitTest::GetInstance()->listeners().Append(watch);
    // A dialog no answer reaches fails its test instead of hanging the run.
    ::testing::UnitTest::GetInstance()->listeners().Append(new DialogBound);
    int rc = RUN_ALL_TESTS();
    if (watch && watch->failed)
        rc = 1;
    TestEnvironment::removeProcessHome();
    return rc;
}
