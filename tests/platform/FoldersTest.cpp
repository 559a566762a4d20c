#include "platform/Folders.h"

#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>

#include <gtest/gtest.h>

namespace {

struct Redirect {
    const char *variable;
    QString (*location)();
    const char *suffix; // appended to the value when it is a folder
};

void PrintTo(const Redirect &r, std::ostream *os) { *os << r.variable; }
class FoldersRedirect : public ::testing::TestWithParam<Redirect> {};

TEST_P(FoldersRedirect, variableWinsOverDefault)
{
    ScopedHome home;
    const QString target = home.root() + QStringLiteral("/elsewhere/place");
    qputenv(GetParam().variable, target.toLocal8Bit());
    EXPECT_EQ(GetParam().location(), target + QLatin1String(GetParam().suffix));
}

INSTANTIATE_TEST_SUITE_P(Table, FoldersRedirect,
                         ::testing::Values(Redirect{"MURVEN_PROGRAM_DIR", &Folders::programFolder, "/"},
                                           Redirect{"MURVEN_APPDATA", &Folders::appDataFolder, "/"},
                                           Redirect{"MURVEN_SETTINGS_ROOT", &Folders::settingsRoot, "/"},
                                           Redirect{"MURVEN_MACHINE_REGISTRY", &Folders::machineRegistryFile, ""},
                                           Redirect{"MURVEN_USER_REGISTRY", &Folders::userRegistryFile, ""}));

TEST(Folders, defaultsFollowXdgDataAndConfigHomes)
{
    ScopedHome home;
    for (const char *name : {"MURVEN_PROGRAM_DIR", "MURVEN_APPDATA", "MURVEN_SETTINGS_ROOT",
                             "MURVEN_MACHINE_REGISTRY", "MURVEN_USER_REGISTRY"})
        qunsetenv(name);
    const QString data = home.root() + QStringLiteral("/xdg-data");
    const QString config = home.root() + QStringLiteral("/xdg-config");
    QDir().mkpath(data);
    QDir().mkpath(config);
    qputenv("XDG_DATA_HOME", data.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", config.toLocal8Bit());

    EXPECT_EQ(Folders::appDataFolder(), data + QStringLiteral("/"));
    EXPECT_EQ(Folders::settingsRoot(), data + QStringLiteral("/Pyx/Murven19/"));
    EXPECT_EQ(Folders::userRegistryFile(), config + QStringLiteral("/Pyx/Murven19.reg"));
}

TEST(Folders, programFolderDefaultsToExecutableFolderWithoutSharedData)
{
    ScopedHome home;
    qunsetenv("MURVEN_PROGRAM_DIR");
    qunsetenv("MURVEN_MACHINE_REGISTRY");
    const QString exeFolder = QCoreApplication::applicationDirPath();
    if (QDir(exeFolder + QStringLiteral("/../share/murven19")).exists())
        GTEST_SKIP() << "an installed data folder lies beside the test program";
    EXPECT_EQ(Folders::programFolder(), exeFolder + QStringLiteral("/"));
    EXPECT_EQ(Folders::machineRegistryFile(), exeFolder + QStringLiteral("/Murven19.reg"));
}

TEST(Folders, defaultsFollowTheProgramAndAppDataVariables)
{
    ScopedHome home;
    qunsetenv("MURVEN_MACHINE_REGISTRY");
    qunsetenv("MURVEN_SETTINGS_ROOT");
    EXPECT_EQ(Folders::machineRegistryFile(), home.programFolder() + QStringLiteral("/Murven19.reg"));
    EXPECT_EQ(Folders::settingsRoot(), home.appDataFolder() + QStringLiteral("/Pyx/Murven19/"));
}

struct Delimiter { const char *in; const char *included; const char *excluded; };
class FoldersDelimiter : public ::testing::TestWithParam<Delimiter> {};

TEST_P(FoldersDelimiter, addsAndRemovesOneTrailingSlash)
{
    const QString in = QString::fromUtf8(GetParam().in);
    EXPECT_EQ(Folders::includeTrailingPathDelimiter(in), QString::fromUtf8(GetParam().included));
    EXPECT_EQ(Folders::excludeTrailingPathDelimiter(in), QString::fromUtf8(GetParam().excluded));
}

INSTANTIATE_TEST_SUITE_P(Table, FoldersDelimiter,
                         ::testing::Values(Delimiter{"", "", ""},            // no folder named
                                           Delimiter{"/", "/", "/"},         // the root keeps its slash
                                           Delimiter{"/a/b", "/a/b/", "/a/b"},
                                           Delimiter{"/a/b/", "/a/b/", "/a/b"},
                                           Delimiter{"データ/", "データ/", "データ"}));

} // namespace
