#include "core/Main.h"

#include "core/AdrsSel.h"
#include "core/Env.h"
#include "core/Splash.h"
#include "core/StartupPassword.h"
#include "directory/HdiRW.h"
#include "platform/Folders.h"
#include "platform/IniFile.h"
#include "platform/SafeFile.h"
#include "support/FileHelpers.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"
#include "support/UnreadableNotices.h"
#include "util/SubUnit.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>

namespace {

const QString kAdrsDefault = QStringLiteral("アドレス");

template <typename Case> std::string caseName(const ::testing::TestParamInfo<Case> &info)
{
    return info.param.name;
}

// A machine registry file with the given region key names installed.
QByteArray machineKey(const QStringList &regions, const QString &type)
{
    const QByteArray key = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Qor\\Murven\\19.0";
    QByteArray text = "Windows Registry Editor Version 5.00\r\n\r\n" + key + "]\r\n";
    if (!type.isNull())
        text += "\"Type\"=\"" + type.toUtf8() + "\"\r\n";
    text += "\r\n";
    for (const QString &region : regions)
        text += key + "\\SearchArea\\" + region.toUtf8() + "]\r\n\r\n";
    return text;
}

// A fresh home with the settings root and program folder; the machine key and
// lines of the settings file are added per test.
class SettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        AppPath = Folders::includeTrailingPathDelimiter(home.programFolder());
        DataRoot = Folders::includeTrailingPathDelimiter(home.settingsRoot());
        QDir().mkpath(DataRoot);
        // A folder for the hidden search path keeps the no-drive message out of the way.
        searchFolder = home.root() + QStringLiteral("/dvd");
        QDir().mkpath(searchFolder);
        SearchAreaList.clear();
        AreaOnDisk.fill(false);
    }
    void installRegions(const QStringList &regions, const QString &type = QString())
    {
        writeBytes(home.machineRegistry(), machineKey(regions, type));
    }
    void setting(const QString &section, const QString &key, const QString &value)
    {
        TMemIniFile ini(SettingsFileName());
        ini.WriteString(section, key, value);
        ASSERT_TRUE(ini.UpdateFile());
    }
    // Kanto installed and the hidden search path set: the common ground of most tests.
    void standard()
    {
        installRegions({QStringLiteral("Kanto")});
        setting(QStringLiteral("HIDDEN PARAMETER"), QStringLiteral("Path"), searchFolder);
    }
    void load()
    {
        LoadSearchAreas([](HdiFileRecord &) { return 1; });
        LoadSettings();
    }

    ScopedHome home;
    ScriptedMessageBoxes boxes;
    QString searchFolder;
};

template <typename Case> class SettingsTable : public SettingsTest, public ::testing::WithParamInterface<Case>
{
};

// The data folder of the settings is kept when it exists and is at most 200
// characters long with its delimiter.
struct DataPathCase {
    const char *name;
    const char *folder; // below the home; nullptr: no setting
    int length;         // padded to this length, delimiter included; 0: as is
    bool made;
    bool fallsBack;
};

using DataPathSetting = SettingsTable<DataPathCase>;

TEST_P(DataPathSetting, isKeptOrFallsBack)
{
    const DataPathCase &c = GetParam();
    standard();
    setting(QStringLiteral("BASE"), QStringLiteral("AdrsName"), QStringLiteral("取引先"));
    QString folder;
    if (c.folder) {
        folder = home.root() + QLatin1Char('/') + QLatin1String(c.folder) + QLatin1Char('/');
        if (c.length) {
            ASSERT_LT(folder.size() + 1, c.length);
            folder += QString(c.length - folder.size() - 1, QLatin1Char('x')) + QLatin1Char('/');
        }
        if (c.made) {
            ASSERT_TRUE(QDir().mkpath(folder));
        }
        setting(QStringLiteral("BASE"), QStringLiteral("DataPath"), Folders::excludeTrailingPathDelimiter(folder));
    }
    load();
    EXPECT_FALSE(FirstRun);
    EXPECT_EQ(DataPathChanged, c.fallsBack);
    // A folder only missing for now is kept in the settings and named for the notice.
    EXPECT_EQ(UnavailableDataPath, c.folder && !c.made ? folder : QString());
    if (c.folder) {
        EXPECT_EQ(TMemIniFile(SettingsFileName()).ReadString("BASE", "DataPath", QString()),
                  Folders::excludeTrailingPathDelimiter(folder));
    }
    EXPECT_EQ(DataPath, c.fallsBack ? DataRoot + QStringLiteral("Data/") : folder);
    EXPECT_TRUE(QFileInfo(DataPath).isDir());
    EXPECT_EQ(AdrsName, c.fallsBack ? kAdrsDefault : QStringLiteral("取引先"));
    EXPECT_EQ(MustSelectAdrs, c.fallsBack);
}

INSTANTIATE_TEST_SUITE_P(Cases, DataPathSetting,
                         ::testing::Values(DataPathCase{"missing", "gone", 0, false, true},
                                           DataPathCase{"length200", "d", 200, true, false},
                                           DataPathCase{"length201", "d", 201, true, true}),
                         caseName<DataPathCase>);

struct RangeCase {
    const char *name;
    const char *section;
    const char *key;
    const char *value;
    int *variable;
    int expected;
};

using SettingRange = SettingsTable<RangeCase>;

TEST_P(SettingRange, outOfRangeValuesFallBack)
{
    standard();
    setting(QLatin1String(GetParam().section), QLatin1String(GetParam().key), QLatin1String(GetParam().value));
    load();
    EXPECT_EQ(*GetParam().variable, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SettingRange,
    ::testing::Values(RangeCase{"HisCount31", "OPERATION", "HisCount", "31", &HisCount, 10},
                      RangeCase{"HisCount30", "OPERATION", "HisCount", "30", &HisCount, 30},
                      RangeCase{"HisCountText", "OPERATION", "HisCount", "many", &HisCount, 10},
                      RangeCase{"Map10", "COOPERATE", "Map", "10", &CooperateMap, 2},
                      RangeCase{"Map9", "COOPERATE", "Map", "9", &CooperateMap, 9},
                      RangeCase{"BGColor", "VIEW", "BGColor", "$00FF00FF", &ViewBGColor, 0xFF00FF}),
    caseName<RangeCase>);

// The use flag of each region: from the settings, false for a region not
// installed; when every flag reads off, the installed regions are switched on.
struct UseCase {
    const char *name;
    QStringList installed;
    QList<QPair<int, int>> useKeys; // region, value
    const char *expected;           // regions 1..7, 'x' for on
};

using UseFlags = SettingsTable<UseCase>;

TEST_P(UseFlags, followTheInstalledRegions)
{
    installRegions(GetParam().installed);
    setting(QStringLiteral("HIDDEN PARAMETER"), QStringLiteral("Path"), searchFolder);
    for (const auto &[region, value] : GetParam().useKeys)
        setting(QStringLiteral("BASE"), QStringLiteral("Use%1").arg(region), QString::number(value));
    load();
    std::string flags;
    for (int i = 1; i <= AreaCount; ++i)
        flags += UseArea[i] ? 'x' : '.';
    EXPECT_EQ(flags, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, UseFlags,
    ::testing::Values(UseCase{"notInstalledRegionReadsFalse", {"Kanto"}, {{3, 1}}, ".x....."},
                      UseCase{"switchedOffRegionStaysOff", {"Kanto", "Tokyo"}, {{2, 0}}, "..x...."},
                      UseCase{"allZeroSwitchesTheInstalledOnes",
                              {"Hokkaido Tohoku", "Cyubu", "Kyusyu Okinawa"},
                              {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}},
                              "x..x..x"},
                      UseCase{"keyNamesIgnoreLetterCase", {"cyugoku shikoku"}, {}, ".....x."}),
    caseName<UseCase>);

// The sample directory installed with the program is the data disc of a
// fresh installation: searched at the first start, with no notice about
// missing disc drives; a disc or folder the settings name comes first.
struct DataDiscCase {
    const char *name;
    bool sampleInstalled;
    const char *hiddenPath; // below the home; nullptr: no setting
    const char *dvd;        // below the home; nullptr: no setting
    const char *expected;   // below the home, "<sample>" for the installed sample, "" for none
    bool noDriveNotice;
};

using DataDisc = SettingsTable<DataDiscCase>;

TEST_P(DataDisc, isTheInstalledSampleUnlessTheSettingsNameAnother)
{
    const DataDiscCase &c = GetParam();
    // The machine this runs on has no disc drive mounted.
    ListDrives(dkCdRom);
    ASSERT_EQ(DriveCount, 0);
    installRegions({QStringLiteral("Kanto"), QStringLiteral("Tokyo")});
    const QString sample = AppPath + QStringLiteral("Sample");
    if (c.sampleInstalled) {
        ASSERT_TRUE(QDir().mkpath(sample + QStringLiteral("/Murven19/Dt02")));
    }
    auto below = [&](const char *name) { return home.root() + QLatin1Char('/') + QLatin1String(name); };
    if (c.hiddenPath) {
        ASSERT_TRUE(QDir().mkpath(below(c.hiddenPath)));
        setting(QStringLiteral("HIDDEN PARAMETER"), QStringLiteral("Path"), below(c.hiddenPath));
    }
    if (c.dvd)
        setting(QStringLiteral("BASE"), QStringLiteral("DVD"), below(c.dvd));
    load();
    const QString expected = QLatin1String(c.expected) == QLatin1String("<sample>") ? sample
                             : *c.expected                                      ? below(c.expected)
                                                                                : QString();
    EXPECT_EQ(SearchDataPath, expected);
    const bool noticeShown = std::any_of(boxes.shown().cbegin(), boxes.shown().cend(), [](const auto &box) {
        return box.text.contains(QStringLiteral("DVD-ROM ドライブが検出できませんでした"));
    });
    EXPECT_EQ(noticeShown, c.noDriveNotice);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DataDisc,
    ::testing::Values(DataDiscCase{"freshInstallationSearchesTheSample", true, nullptr, nullptr, "<sample>", false},
                      DataDiscCase{"noSampleNoDiscTellsOfTheMissingDrive", false, nullptr, nullptr, "", true},
                      DataDiscCase{"hiddenPathComesFirst", true, "mine", nullptr, "mine", false},
                      DataDiscCase{"chosenDiscComesFirst", true, nullptr, "media/disc", "media/disc", false}),
    caseName<DataDiscCase>);

TEST_F(SettingsTest, wordFilesAreCopiedOnlyWhenMissingIntoAFolderMadeForThem)
{
    QDir().mkpath(AppPath + QStringLiteral("Common/History"));
    writeBytes(AppPath + QStringLiteral("Common/History/Post.mtd"), "post");
    writeBytes(AppPath + QStringLiteral("Common/History/Honor.mtd"), "honor");
    HistoryPath = home.root() + QStringLiteral("/new/deep/History/");
    QDir().mkpath(HistoryPath);
    writeBytes(HistoryPath + QStringLiteral("Honor.mtd"), "mine");
    EnsureWordFiles();
    EXPECT_EQ(fileBytes(HistoryPath + QStringLiteral("Post.mtd")), QByteArray("post"));
    EXPECT_EQ(fileBytes(HistoryPath + QStringLiteral("Honor.mtd")), QByteArray("mine"));

    QDir(AppPath + QStringLiteral("Common")).removeRecursively(); // sources gone: nothing copied
    HistoryPath = home.root() + QStringLiteral("/other/History/");
    EnsureWordFiles();
    EXPECT_TRUE(QFileInfo(HistoryPath).isDir());
    EXPECT_FALSE(QFileInfo::exists(HistoryPath + QStringLiteral("Post.mtd")));
}

TEST_F(SettingsTest, aWordFileSetAsideByAKilledSaveComesBackInsteadOfTheDefaults)
{
    QDir().mkpath(AppPath + QStringLiteral("Common/History"));
    writeBytes(AppPath + QStringLiteral("Common/History/Post.mtd"), "post");
    HistoryPath = home.root() + QStringLiteral("/History/");
    QDir().mkpath(HistoryPath);
    const QString mine = HistoryPath + QStringLiteral("Post.mtd");
    writeBytes(mine, "mine");
    ASSERT_TRUE(QFile::rename(mine, SafeReplaceBackupPath(mine)));
    EnsureWordFiles();
    EXPECT_EQ(fileBytes(mine), QByteArray("mine"));
    EXPECT_EQ(QDir(HistoryPath).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Post.mtd")});
}

// What the start makes for the user (the settings root of a portable set-up,
// the data folder, the history folder and its word files) is the user's alone,
// whatever the mask: the installed word files are readable by everyone.
TEST_F(SettingsTest, foldersAndWordFilesMadeAtTheStartAreTheUsersAlone)
{
    const mode_t savedMask = ::umask(022);
    const QString portable = home.root() + QStringLiteral("/stick/Murven19/");
    qputenv("MURVEN_SETTINGS_ROOT", QFile::encodeName(portable));
    const QString root = MakeDataRoot(AppPath);
    QDir().mkpath(AppPath + QStringLiteral("Common/History"));
    writeBytes(AppPath + QStringLiteral("Common/History/Post.mtd"), "post");
    ::chmod(QFile::encodeName(AppPath + QStringLiteral("Common/History/Post.mtd")).constData(), 0644);
    HistoryPath = portable + QStringLiteral("Data/History/");
    EnsureWordFiles();
    ::umask(savedMask);

    EXPECT_EQ(root, portable);
    EXPECT_EQ(fileMode(home.root() + QStringLiteral("/stick")), 0700);
    EXPECT_EQ(fileMode(portable), 0700);
    EXPECT_EQ(fileMode(portable + QStringLiteral("Data")), 0700);
    EXPECT_EQ(fileMode(HistoryPath), 0700);
    EXPECT_EQ(fileMode(HistoryPath + QStringLiteral("Post.mtd")), 0600);
    EXPECT_EQ(fileBytes(HistoryPath + QStringLiteral("Post.mtd")), QByteArray("post"));
}

// A "Type" value that is no string is a damaged password: asked, never matched.
TEST_F(SettingsTest, aTypeValueThatIsNoStringAsksForAPasswordNothingMatches)
{
    QByteArray text = machineKey({QStringLiteral("Kanto")}, QString());
    text.replace("19.0]\r\n", "19.0]\r\n\"Type\"=dword:00000001\r\n");
    writeBytes(home.machineRegistry(), text);
    setting(QStringLiteral("HIDDEN PARAMETER"), QStringLiteral("Path"), searchFolder);
    load();
    EXPECT_EQ(StoredPasswordState(StartupPassword), TStoredPassword::Damaged);
    EXPECT_FALSE(PasswordMatches(StartupPassword, QStringLiteral("1")));
}

// A "Type" line the registry layer cannot read at all (a quote missing, a
// value without quotes, digits that are no number) is a damaged password
// too: the start asks and nothing matches; it never means "no password".
class DamagedTypeLine : public SettingsTest, public ::testing::WithParamInterface<const char *>
{
};

TEST_P(DamagedTypeLine, asksForAPasswordNothingMatches)
{
    const QString stored = ScramblePassword(QStringLiteral("1234"));
    QByteArray text = machineKey({QStringLiteral("Kanto")}, QString());
    QByteArray line = GetParam();
    line.replace("<stored>", stored.toUtf8());
    text.replace("19.0]\r\n", "19.0]\r\n" + line + "\r\n");
    writeBytes(home.machineRegistry(), text);
    setting(QStringLiteral("HIDDEN PARAMETER"), QStringLiteral("Path"), searchFolder);
    load();
    EXPECT_EQ(StoredPasswordState(StartupPassword), TStoredPassword::Damaged) << line.constData();
    EXPECT_FALSE(PasswordMatches(StartupPassword, QStringLiteral("1234")));
}

INSTANTIATE_TEST_SUITE_P(Lines, DamagedTypeLine,
                         ::testing::Values("\"Type\"=\"<stored>", "\"Type\"=<stored>", "\"type\"=dword:zz",
                                           "\"Type\"=hex(1):zz", "\"Type\" \"<stored>\"",
                                           "\"Type\"=\"<stored>\"\r\n\"Type\"=\"<stored>"));

TEST_F(SettingsTest, dataRootFollowsTheRedirectElseIsMadeBelowTheApplicationData)
{
    EXPECT_EQ(MakeDataRoot(AppPath), Folders::settingsRoot());
    qunsetenv("MURVEN_SETTINGS_ROOT");
    EXPECT_EQ(MakeDataRoot(AppPath), GetCommonAppDataFolder() + QStringLiteral("Pyx/Murven19/"));
    EXPECT_TRUE(QFileInfo(GetCommonAppDataFolder() + QStringLiteral("Pyx/Murven19")).isDir());
    // When it cannot be made, the program folder serves.
    QDir(GetCommonAppDataFolder() + QStringLiteral("Pyx")).removeRecursively();
    writeBytes(GetCommonAppDataFolder() + QStringLiteral("Pyx"), "a file in the way");
    EXPECT_EQ(MakeDataRoot(AppPath), AppPath);
}

// ---- Regions and the installation file -----------------------------------------------

class SearchAreasTest : public SettingsTest
{
protected:
    // A reader answering with the code and the slots given (slot index 0..6).
    THdiReader reader(int code, const QList<QPair<int, QString>> &entries)
    {
        return [this, code, entries](HdiFileRecord &record) {
            for (const auto &[slot, folder] : entries) {
                auto &entry = record.Slots[static_cast<size_t>(slot)];
                entry.Path = QFile::encodeName(folder);
                entry.PathLength = static_cast<int>(entry.Path.size());
            }
            return code;
        };
    }
    QString regionFolder(const QString &name, const QString &sub)
    {
        const QString folder = home.root() + QLatin1Char('/') + name + QLatin1Char('/');
        QDir().mkpath(folder + sub);
        return folder;
    }
};

TEST_F(SearchAreasTest, installedRegionsOnDiskTakeTheirFoldersAndThoseMissingAreReportedOnce)
{
    installRegions({"Hokkaido Tohoku", "Kanto", "Tokyo", "Kyusyu Okinawa"});
    const QString first = regionFolder(QStringLiteral("hdd1"), QStringLiteral("Dt01"));
    const QString wrongSub = regionFolder(QStringLiteral("hdd2"), QStringLiteral("Dt04"));
    QDir().mkpath(DataRoot + QStringLiteral("Dt03"));
    const QString other = regionFolder(QStringLiteral("hdd5"), QStringLiteral("Dt05"));
    const QString empty = regionFolder(QStringLiteral("hdd7"), QString());
    // slot 2 names no folder: the region lies in the settings root; slot 4
    // (Kinki) is not installed in the machine key.
    LoadSearchAreas(reader(0, {{0, first}, {1, wrongSub}, {2, QString()}, {4, other}, {6, empty}}));
    EXPECT_EQ(SearchAreaList.size(), 4);
    EXPECT_EQ(AreaDiskFolder[1], first);
    EXPECT_EQ(AreaDiskFolder[3], DataRoot);
    EXPECT_TRUE(AreaOnDisk[1] && AreaOnDisk[3]);
    EXPECT_FALSE(AreaOnDisk[2] || AreaOnDisk[4] || AreaOnDisk[5] || AreaOnDisk[7]);
    EXPECT_TRUE(AreaDiskFolder[2].isEmpty() && AreaDiskFolder[4].isEmpty());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("HDDインストールした以下の地域の電話帳データが  \r\nHDD内に見つかりません  \r\n"
                                                 "\r\n関東  \r\n九州・沖縄    \r\n\r\nDVD-ROMを検索するようにします  "));
}

// An installation file that is missing stays silent; one of another program
// or a damaged one is reported. No region is then on disk.
class HdiCodes : public SearchAreasTest, public ::testing::WithParamInterface<std::pair<int, int>>
{
};

TEST_P(HdiCodes, unreadableInstallationFilesAreReportedAndLeaveNoRegionOnDisk)
{
    installRegions({QStringLiteral("Kanto")});
    LoadSearchAreas(reader(GetParam().first, {{1, regionFolder(QStringLiteral("hdd2"), QStringLiteral("Dt02"))}}));
    EXPECT_FALSE(AreaOnDisk[2]);
    EXPECT_EQ(boxes.count(), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Codes, HdiCodes,
                         ::testing::Values(std::pair{1, 0}, std::pair{4, 1}, std::pair{9, 1}));

// The installation file as start-up reads it, with the program's own reader.
// One that is damaged, or of another program, is kept aside whole and named
// to the user before the installation message, so no later installation
// writes over it; no region is then on disk.
QByteArray hdiBytes(const QByteArray &signature, const QByteArray &entries, int count)
{
    return char(signature.size()) + EncodeHdiText(signature) + char(count) + entries;
}

struct HdiFileCase {
    const char *name;
    QByteArray bytes;
    bool keptAside;
};
void PrintTo(const HdiFileCase &c, std::ostream *os) { *os << c.name; }

TEST_F(SearchAreasTest, theStartRemovesThePartialCopyOfAKilledInstallation)
{
    installRegions({QStringLiteral("Kanto")});
    QDir().mkpath(DataRoot + QStringLiteral(".Dt02.copying"));
    writeBytes(DataRoot + QStringLiteral(".Dt02.copying/dba17am"), "half");
    QDir().mkpath(DataRoot + QStringLiteral("Dt02"));
    writeBytes(DataRoot + QStringLiteral("Dt02/dba17am"), "installed");
    LoadSearchAreas([](HdiFileRecord &) { return 1; });
    EXPECT_FALSE(QFileInfo::exists(DataRoot + QStringLiteral(".Dt02.copying")));
    EXPECT_TRUE(QFileInfo::exists(DataRoot + QStringLiteral("Dt02/dba17am")));
}

class HdiFiles : public SearchAreasTest, public ::testing::WithParamInterface<HdiFileCase>
{
};

TEST_P(HdiFiles, damagedOrForeignFilesAreKeptAsideAndNamed)
{
    installRegions({QStringLiteral("Kanto")});
    const QString file = DataRoot + QStringLiteral("Murven19.hdi");
    writeBytes(file, GetParam().bytes);
    LoadSearchAreas(ReadHdiFile);
    EXPECT_FALSE(AreaOnDisk[2]);
    if (!GetParam().keptAside) {
        EXPECT_TRUE(keptAsideCopies(file).isEmpty());
        EXPECT_EQ(boxes.count(), 0);
        EXPECT_TRUE(sameBytes(GetParam().bytes, fileBytes(file)));
        return;
    }
    EXPECT_FALSE(QFileInfo::exists(file));
    ASSERT_EQ(boxes.count(), 2) << "the notice, then the installation message";
    EXPECT_TRUE(keptAsideAndNamed(file, GetParam().bytes, boxes.shown()[0].text));
    EXPECT_TRUE(boxes.shown()[1].text.contains(QStringLiteral("HDDインストールしなおす必要")));
}

INSTANTIATE_TEST_SUITE_P(
    Table, HdiFiles,
    ::testing::Values(HdiFileCase{"noEntries", hdiBytes("Murven19", {}, 0), false},
                      HdiFileCase{"cutInTheSignature", hdiBytes("Murven19", {}, 0).left(4), true},
                      HdiFileCase{"otherProgram", hdiBytes("Murven18", {}, 0), true},
                      HdiFileCase{"cutInTheEntryCount", hdiBytes("Murven19", {}, 0).chopped(1), true},
                      HdiFileCase{"pathBeyondTheEnd", hdiBytes("Murven19", QByteArray("\x01\xFF\x00", 3), 1), true}),
    [](const ::testing::TestParamInfo<HdiFileCase> &info) { return std::string(info.param.name); });

// Random bytes and damaged copies of a real file: start-up never fails hard,
// what is not read is kept byte for byte, and what reads stays as it was.
TEST_F(SearchAreasTest, garbageInstallationFilesNeverCrashAndAreKeptWhole)
{
    installRegions({QStringLiteral("Kanto")});
    const QByteArray valid = hdiBytes("Murven19", QByteArray("\x01\x00\x00", 3) + QByteArray("\x04\x03\x00", 3) +
                                                      EncodeHdiText("/d5"), 2);
    EXPECT_TRUE(garbageIsReadOrKeptWhole(DataRoot + QStringLiteral("Murven19.hdi"), valid, 20240505, [] {
        LoadSearchAreas(ReadHdiFile);
        return std::none_of(AreaOnDisk.cbegin(), AreaOnDisk.cend(), [](bool onDisk) { return onDisk; });
    }));
}

// ---- The start-up order -------------------------------------------------------------

#define STARTUP_HEAD "checkPreviousInstance setWindowMarker makeFolders loadSearchAreas "
#define STARTUP_SETTINGS "readViewSplash showSplash loadSettings createDataModule "
#define STARTUP_TAIL "ensureWordFiles scanAddressBooks showAddressList freeDataModule removeWindowMarker releaseLock"

// One start-up branch: the answers of the parts, then what is expected.
struct StartupCase {
    const char *name;
    bool previousInstance = false;
    QStringList installed = {QStringLiteral("Kanto")};
    bool viewSplash = true;
    int splashPolls = 0; // times the splash still shows when asked
    QString password = QString(); // stored (scrambled) by loadSettings
    bool entered = true;
    bool dataPathChanged = false;
    QString unavailable = QString(); // the configured data folder, not there at this start
    QString remembered = QStringLiteral("取引先");
    QStringList books = {kAdrsDefault, QStringLiteral("取引先")};
    const char *steps = STARTUP_HEAD STARTUP_SETTINGS STARTUP_TAIL;
    QString message = QString(); // "flags text" of the one message shown
    QString opened = QStringLiteral("取引先"); // the book the list window opens
    bool mustSelect = false;
};

// Parts that record their calls and answer from the case.
class StartupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        StartupPassword.clear();
        DataPathChanged = false;
        UnavailableDataPath.clear();
        AdrsName = c.remembered;
        MustSelectAdrs = false;
        SearchAreaList.clear();

        auto step = [this](const char *name) { return [this, name] { calls << QString::fromLatin1(name); }; };
        auto answer = [this](const char *name, const bool &value) {
            return [this, name, &value] { return (calls << QString::fromLatin1(name), value); };
        };
        parts.checkPreviousInstance = answer("checkPreviousInstance", c.previousInstance);
        parts.readViewSplash = answer("readViewSplash", c.viewSplash);
        parts.askPassword = answer("askPassword", c.entered);
        for (auto [part, name] : {std::pair{&parts.setWindowMarker, "setWindowMarker"},
                                  {&parts.makeFolders, "makeFolders"},
                                  {&parts.showSplash, "showSplash"},
                                  {&parts.createDataModule, "createDataModule"},
                                  {&parts.saveDataPath, "saveDataPath"},
                                  {&parts.ensureWordFiles, "ensureWordFiles"},
                                  {&parts.scanAddressBooks, "scanAddressBooks"},
                                  {&parts.freeDataModule, "freeDataModule"},
                                  {&parts.removeWindowMarker, "removeWindowMarker"},
                                  {&parts.releaseLock, "releaseLock"}})
            *part = step(name);
        parts.loadSearchAreas = [this] {
            calls << QStringLiteral("loadSearchAreas");
            SearchAreaList = c.installed;
        };
        parts.showMessage = [this](const QString &text, unsigned flags) {
            calls << QStringLiteral("showMessage");
            messages << QString::number(flags, 16) + QLatin1Char(' ') + text;
        };
        parts.splashActive = [this] {
            if (c.splashPolls == 0)
                return false;
            --c.splashPolls;
            return (calls << QStringLiteral("splashActive"), true);
        };
        parts.loadSettings = [this] {
            calls << QStringLiteral("loadSettings");
            StartupPassword = c.password;
            DataPathChanged = c.dataPathChanged;
            UnavailableDataPath = c.unavailable;
        };
        parts.addressBookNames = [this] { return c.books; };
        parts.showAddressList = [this] {
            calls << QStringLiteral("showAddressList");
            shownAdrsName = AdrsName;
            shownMustSelect = MustSelectAdrs;
        };
    }

    StartupCase c{.name = "default"};
    TStartupParts parts;
    QStringList calls;
    QStringList messages; // "flags text"
    QString shownAdrsName;
    bool shownMustSelect = false;
};

class StartupBranch : public StartupTest, public ::testing::WithParamInterface<StartupCase>
{
protected:
    void SetUp() override
    {
        c = GetParam();
        StartupTest::SetUp();
    }
};

TEST_P(StartupBranch, runsItsStepsInOrder)
{
    const int result = TStartup(parts).Run();
    EXPECT_EQ(result != 0, c.installed.isEmpty()); // only a failed installation is an error
    EXPECT_EQ(calls.join(QLatin1Char(' ')).toStdString(), c.steps);
    EXPECT_EQ(messages, c.message.isNull() ? QStringList() : QStringList{c.message});
    EXPECT_EQ(shownAdrsName, calls.contains("showAddressList") ? c.opened : QString());
    EXPECT_EQ(shownMustSelect, c.mustSelect);
    EXPECT_TRUE(SearchAreaList.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Branches, StartupBranch,
    ::testing::Values(
        StartupCase{.name = "everyStep",
                    .splashPolls = 2,
                    .steps = STARTUP_HEAD STARTUP_SETTINGS "splashActive splashActive " STARTUP_TAIL},
        StartupCase{.name = "secondStartEndsSilently", .previousInstance = true, .steps = "checkPreviousInstance"},
        StartupCase{.name = "noRegionWarnsAndEnds",
                    .installed = {},
                    .steps = STARTUP_HEAD "showMessage removeWindowMarker releaseLock",
                    .message = QStringLiteral("30 インストールが正常に行なわれていないようです  \r\n"
                                              "再セットアップしてください  ")},
        StartupCase{.name = "passwordOfDroppedCharactersIsNone", .password = ScramblePassword(QStringLiteral("+/"))},
        StartupCase{.name = "damagedPasswordIsAskedAndRefusedEnds",
                    .password = QStringLiteral("Q7K2M"),
                    .entered = false,
                    .steps = STARTUP_HEAD STARTUP_SETTINGS "askPassword freeDataModule removeWindowMarker releaseLock"},
        StartupCase{.name = "passwordAbandonedEnds",
                    .password = ScramblePassword(QStringLiteral("abc")),
                    .entered = false,
                    .steps = STARTUP_HEAD STARTUP_SETTINGS "askPassword freeDataModule removeWindowMarker releaseLock"},
        StartupCase{.name = "resetDataFolderIsSaved",
                    .dataPathChanged = true,
                    .steps = STARTUP_HEAD STARTUP_SETTINGS "saveDataPath " STARTUP_TAIL},
        StartupCase{.name = "dataFolderMissingForNowIsNotSaved",
                    .dataPathChanged = true,
                    .unavailable = QStringLiteral("/media/usb/books/")},
        StartupCase{.name = "missingBookOpensTheDefault",
                    .books = {kAdrsDefault, QStringLiteral("取引先２")},
                    .opened = kAdrsDefault,
                    .mustSelect = true},
        StartupCase{.name = "bookNamesCompareWithCase",
                    .remembered = QStringLiteral("Clients"),
                    .books = {QStringLiteral("clients")},
                    .opened = kAdrsDefault,
                    .mustSelect = true}),
    caseName<StartupCase>);

#undef STARTUP_HEAD
#undef STARTUP_SETTINGS
#undef STARTUP_TAIL

// ---- Settings that must not be lost --------------------------------------------------

TEST_F(SettingsTest, dataFolderMissingAtOneStartIsUsedAgainAtTheNext)
{
    standard();
    const QString books = home.root() + QStringLiteral("/usb/books/");
    setting(QStringLiteral("BASE"), QStringLiteral("DataPath"), books);
    load();
    EXPECT_EQ(DataPath, DataRoot + QStringLiteral("Data/"));
    EXPECT_EQ(UnavailableDataPath, books);
    // The book opened in the stand-in folder is not remembered for the configured one.
    setting(QStringLiteral("BASE"), QStringLiteral("AdrsName"), QStringLiteral("取引先"));
    AdrsName = QStringLiteral("仮の帳");
    ASSERT_TRUE(SaveAdrsName());
    EXPECT_EQ(TMemIniFile(SettingsFileName()).ReadString("BASE", "AdrsName", QString()), QStringLiteral("取引先"));

    ASSERT_TRUE(QDir().mkpath(books)); // the drive is back
    load();
    EXPECT_EQ(DataPath, books);
    EXPECT_TRUE(UnavailableDataPath.isEmpty());
    EXPECT_FALSE(DataPathChanged);
    EXPECT_EQ(AdrsName, QStringLiteral("取引先"));
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(SettingsTest, aDataFolderSettingThatCannotBeWrittenIsReportedWithItsFile)
{
    standard();
    load();
    ASSERT_TRUE(QFile::remove(SettingsFileName()));
    ASSERT_TRUE(QDir().mkpath(SettingsFileName())); // a folder in the file's place
    SaveDataPathOrReport();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("データ保存フォルダーの設定をファイルに保存できませんでした  \r\n") +
                                             QDir::toNativeSeparators(SettingsFileName())))
        << qPrintable(boxes.last().text);
}

// A settings file that cannot be read, at the start: kept aside, named to the
// user once, the defaults used and the copy never written over.
class DamagedSettingsFile : public SettingsTest, public ::testing::WithParamInterface<QByteArray>
{
};

TEST_P(DamagedSettingsFile, isKeptAsideAndToldOnce)
{
    installRegions({QStringLiteral("Kanto")});
    writeBytes(SettingsFileName(), GetParam());
    const auto told = [this] {
        QStringList texts;
        for (const TMessageBoxRequest &box : boxes.shown())
            if (box.text.startsWith(QStringLiteral("設定ファイルを読み込めませんでした")))
                texts << box.text;
        return texts;
    };
    EXPECT_TRUE(ReadViewSplash());
    load();
    EXPECT_EQ(DataPath, DataRoot + QStringLiteral("Data/"));
    ASSERT_EQ(told().size(), 1);
    const QStringList copies = QDir(DataRoot).entryList({QStringLiteral("Murven19.ini.unreadable-*")}, QDir::Files);
    ASSERT_EQ(copies.size(), 1);
    EXPECT_TRUE(told().first().contains(QDir::toNativeSeparators(SettingsFileName())));
    EXPECT_TRUE(told().first().contains(QDir::toNativeSeparators(DataRoot + copies.first())));
    ASSERT_TRUE(SaveDataPath());
    load();
    EXPECT_TRUE(sameBytes(GetParam(), fileBytes(DataRoot + copies.first())));
    EXPECT_EQ(told().size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Contents, DamagedSettingsFile,
                         ::testing::Values(QByteArray(), QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16),
                                           QByteArray("DataPath=/home/u/books\r\n")));

TEST_F(StartupTest, mainFormRefusesToCloseWhileTheListRunsAndCancelsIt)
{
    TMainForm form(parts);
    bool refused = false;
    parts.cancelAddressList = [this] { calls << QStringLiteral("cancelAddressList"); };
    parts.showAddressList = [&] {
        calls << QStringLiteral("showAddressList");
        refused = !form.Close();
    };
    bool closed = false;
    form.OnClosed = [&closed] { closed = true; };
    form.FormCreate();
    EXPECT_FALSE(calls.contains("showAddressList")); // the start-up call is queued
    QCoreApplication::processEvents();
    EXPECT_TRUE(refused);
    EXPECT_EQ(calls.indexOf("cancelAddressList"), calls.indexOf("showAddressList") + 1);
    EXPECT_TRUE(closed && form.Closed());
}

TEST(Splash, closesItselfWhenItsTimerRuns)
{
    auto *splash = new TSplashForm;
    EXPECT_EQ(SplashForm, splash);
    splash->show();
    EXPECT_TRUE(splash->tmrSplash()->isActive());
    QPointer<TSplashForm> watch(splash);
    splash->tmrSplash()->setInterval(1);
    splash->tmrSplash()->start();
    EXPECT_TRUE(QTest::qWaitFor([&watch] { return watch.isNull(); }, 2000));
    EXPECT_EQ(SplashForm, nullptr);
}

} // namespace
