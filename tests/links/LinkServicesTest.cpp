#include "links/LinkServices.h"
#include "links/MapPrograms.h"

#include "HttpsRecorder.h"
#include "support/TestEnvironment.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(PlatformLinkRegistry, findsNothingOnAnInstallationWithoutMapPrograms)
{
    ScopedHome home;
    TPlatformLinkRegistry registry;
    EXPECT_FALSE(registry.ReadString(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Qor\\QmapNet\\PC"),
                                     QStringLiteral("InstallPath")));
    EXPECT_TRUE(
        registry.SubKeys(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Increment P Corporation\\MapFan")).isEmpty());
}

TEST(PlatformLinkRegistry, readsTheInstallationsRegistryFile)
{
    ScopedHome home;
    QDir().mkpath(QFileInfo(home.machineRegistry()).path());
    QFile file(home.machineRegistry());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Windows Registry Editor Version 5.00\r\n\r\n"
               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\MapNet\\GrandMap]\r\n"
               "\"Install Directory\"=\"C:\\\\GrandMap\"\r\n\r\n"
               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\ALPS\\Rdw60\\Map]\r\n");
    file.close();
    TPlatformLinkRegistry registry;
    EXPECT_EQ(registry.ReadString(HKEY_LOCAL_MACHINE, QStringLiteral("software\\mapnet\\grandmap"),
                                  QStringLiteral("Install Directory")),
              QStringLiteral("C:\\GrandMap"));
    EXPECT_EQ(registry.SubKeys(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\ALPS\\Rdw60")), QStringList{"Map"});
}

TEST(ProcessRunner, passesAnAddressWithBlanksAndQuotesAsOneArgument)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("args.txt"));
    const QString address = QStringLiteral("東京都 千代田区\"; touch injected; \"");
    TQProcessRunner runner;
    // The script writes each argument it gets on a line of its own.
    const std::optional<int> code = runner.Run(
        {QStringLiteral("/bin/sh"),
         {QStringLiteral("-c"), QStringLiteral("for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0\""), out,
          QStringLiteral("3"), address},
         QString(),
         dir.path()});
    ASSERT_EQ(code, 0);
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), QStringLiteral("3\n") + address + QStringLiteral("\n"));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("injected"))));
}

TEST(ProcessRunner, reportsAProgramThatCannotStart)
{
    TQProcessRunner runner;
    EXPECT_FALSE(runner.Run({QStringLiteral("/nonexistent/MappleKick.exe"), {QStringLiteral("-I")}, {}, {}}));
}

TEST(DesktopUrlOpener, handsShiftJisEscapesOnUntouched)
{
    THttpsRecorder recorder;
    TDesktopUrlOpener opener;
    const QByteArray url = QByteArrayLiteral("https://example.jp/search?p=%93%8C%8B%9E+a%2Bb");
    ASSERT_TRUE(opener.Open(url));
    ASSERT_EQ(recorder.opened.size(), 1);
    EXPECT_EQ(recorder.opened.constFirst().toEncoded(), url);
}

TEST(CommandLine, joinsWithOneBlankAndKeepsAnEmptyLastArgument)
{
    EXPECT_EQ(JoinCommandLine(QStringLiteral("C:\\a b\\x.exe"), true, {QStringLiteral("1"), QString()}),
              QStringLiteral("\"C:\\a b\\x.exe\" 1 "));
}

} // namespace
