#include "core/Main.h"

#include "core/Env.h"
#include "core/Splash.h"
#include "core/StartupPassword.h"
#include "directory/HdiRW.h"
#include "platform/Folders.h"
#include "platform/IniFile.h"
#include "support/FileHelpers.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/Screenshot.h"
#include "support/TestEnvironment.h"
#include "util/SubUnit.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const QString kAdrsDefault = QStringLiteral("アドレス");

// A machine registry file with the given region key names installed.
QByteArray machineKey(const QStringList &regions, const QString &type = QString())
{
    QByteArray text = "Windows Registry Editor Version 5.00\r\n\r\n"
                      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Qor\\Murven\\19.0]\r\n";
    if (!type.isNull())
        text += "\"Type\"=\"" + type.toUtf8() + "\"\r\n";
    text += "\r\n";
    for (const QString &region : regions)
        text += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Qor\\Murven\\19.0\\SearchArea\\" + region.toUtf8() + "]\r\n\r\n";
    return text;
}

// Settings tests: a fresh home with the settings root and program folder,
// the machine key and (optionally) lines of the settings file.
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
    void withSearchFolder() { setting(QStringLiteral("HIDDEN PARAMETER"), QStringLiteral("Path"), searchFolder); }
    void load(const THdiReader &reader = [](HdiFileRecord &) { return 1; })
    {
        LoadSearchAreas(reader);
        LoadSettings();
    }

    ScopedHome home;
    ScriptedMessageBoxes boxes;
    QString searchFolder;
};

TEST_F(SettingsTest, missingSettingsFileGivesEveryDefault)
{
    installRegions({QStringLiteral("Kanto")});
    HisCount = 3;
    ViewBGColor = 0;
    CooperateMap = 7;
    AddressSameNum = false;
    load();
    EXPECT_TRUE(FirstRun);
    EXPECT_FALSE(UpdateDomain.isEmpty());
    EXPECT_EQ(UpdatePath, QStringLiteral("/check/"));
    EXPECT_EQ(UpdateApp, QStringLiteral("/app/"));
    EXPECT_FALSE(SearchDriveExtend || EnableVicinage || EnableAllKind);
    EXPECT_EQ(HisCount, 10);
    EXPECT_TRUE(AddressChangeData && AddressFormClose && AddressConfirmation && AddressOutOfTarget && AddressSameNum);
    EXPECT_TRUE(ViewBGPaint);
    EXPECT_EQ(ViewBGColor, 0xDFFFEF);
    EXPECT_EQ(CooperateMap, 2);
    EXPECT_EQ(CooperateMapSearchKind, 0);
    EXPECT_EQ(CooperateRoot, 0);
    EXPECT_TRUE(UpdateCheck);
    EXPECT_TRUE(StartupPassword.isEmpty());
    EXPECT_TRUE(ReadViewSplash());
}

TEST_F(SettingsTest, emptyDataPathFallsBackIsCreatedAndFormsTheSubFolders)
{
    installRegions({QStringLiteral("Kanto")});
    withSearchFolder();
    load();
    EXPECT_FALSE(FirstRun);
    EXPECT_TRUE(DataPathChanged);
    EXPECT_EQ(DataPath, DataRoot + QStringLiteral("Data/"));
    EXPECT_TRUE(QFileInfo(DataPath).isDir());
    EXPECT_EQ(AdrsName, kAdrsDefault);
    EXPECT_TRUE(MustSelectAdrs);
    EXPECT_EQ(AdrsPath, DataPath + QStringLiteral("Adrs/"));
    EXPECT_EQ(OtherPath, DataPath + QStringLiteral("Other/"));
    EXPECT_EQ(HistoryPath, DataPath + QStringLiteral("History/"));
    EXPECT_EQ(LayoutPath, DataPath + QStringLiteral("Layout/"));
    EXPECT_EQ(LabelPath, DataPath + QStringLiteral("Label/"));
    EXPECT_EQ(CardPath, DataPath + QStringLiteral("Card/"));
    EXPECT_EQ(DesignPath, DataPath + QStringLiteral("Design/"));
    EXPECT_FALSE(QFileInfo::exists(AdrsPath)); // formed, not made
}

TEST_F(SettingsTest, existingDataPathKeepsTheRememberedBook)
{
    installRegions({QStringLiteral("Kanto")});
    withSearchFolder();
    const QString data = home.root() + QStringLiteral("/mydata");
    QDir().mkpath(data);
    setting(QStringLiteral("BASE"), QStringLiteral("DataPath"), data);
    setting(QStringLiteral("BASE"), QStringLiteral("AdrsName"), QStringLiteral("取引先"));
    load();
    EXPECT_FALSE(DataPathChanged);
    EXPECT_EQ(DataPath, data + QLatin1Char('/'));
    EXPECT_EQ(AdrsName, QStringLiteral("取引先"));
    EXPECT_FALSE(MustSelectAdrs);
}

TEST_F(SettingsTest, missingDataPathFolderFallsBackAndForgetsTheBook)
{
    installRegions({QStringLiteral("Kanto")});
    withSearchFolder();
    setting(QStringLiteral("BASE"), QStringLiteral("DataPath"), home.root() + QStringLiteral("/gone/"));
    setting(QStringLiteral("BASE"), QStringLiteral("AdrsName"), QStringLiteral("取引先"));
    load();
    EXPECT_TRUE(DataPathChanged);
    EXPECT_EQ(DataPath, DataRoot + QStringLiteral("Data/"));
    EXPECT_EQ(AdrsName, kAdrsDefault);
    EXPECT_TRUE(MustSelectAdrs);
}

class DataPathLength : public SettingsTest, public ::testing::WithParamInterface<int>
{
};

TEST_P(DataPathLength, acceptsUpToTwoHundredCharactersWithItsDelimiter)
{
    installRegions({QStringLiteral("Kanto")});
    withSearchFolder();
    const int length = GetParam(); // trailing '/' included
    const QString base = home.root() + QStringLiteral("/d/");
    ASSERT_LT(base.size() + 2, length);
    const QString folder = base + QString(length - base.size() - 1, QLatin1Char('x')) + QLatin1Char('/');
    ASSERT_EQ(folder.size(), length);
    ASSERT_TRUE(QDir().mkpath(folder));
    setting(QStringLiteral("BASE"), QStringLiteral("DataPath"), Folders::excludeTrailingPathDelimiter(folder));
    load();
    EXPECT_EQ(DataPathChanged, length > 200);
    EXPECT_EQ(DataPath, length > 200 ? DataRoot + QStringLiteral("Data/") : folder);
}

INSTANTIATE_TEST_SUITE_P(Lengths, DataPathLength, ::testing::Values(199, 200, 201));

struct RangeCase {
    const char *name;
    const char *section;
    const char *key;
    const char *value;
    int *variable;
    int expected;
};

void PrintTo(const RangeCase &c, std::ostream *os)
{
    *os << c.name;
}

class SettingRange : public SettingsTest, public ::testing::WithParamInterface<RangeCase>
{
};

TEST_P(SettingRange, outOfRangeValuesFallBack)
{
    installRegions({QStringLiteral("Kanto")});
    withSearchFolder();
    setting(QString::fromLatin1(GetParam().section), QString::fromLatin1(GetParam().key),
            QString::fromLatin1(GetParam().value));
    load();
    EXPECT_EQ(*GetParam().variable, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SettingRange,
    ::testing::Values(RangeCase{"HisCount31", "OPERATION", "HisCount", "31", &HisCount, 10},
                      RangeCase{"HisCountMinus1", "OPERATION", "HisCount", "-1", &HisCount, 10},
                      RangeCase{"HisCount30", "OPERATION", "HisCount", "30", &HisCount, 30},
                      RangeCase{"HisCount0", "OPERATION", "HisCount", "0", &HisCount, 0},
                      RangeCase{"HisCountText", "OPERATION", "HisCount", "many", &HisCount, 10},
                      RangeCase{"Map10", "COOPERATE", "Map", "10", &CooperateMap, 2},
                      RangeCase{"Map9", "COOPERATE", "Map", "9", &CooperateMap, 9},
                      RangeCase{"MapMinus1", "COOPERATE", "Map", "-1", &CooperateMap, 2},
                      RangeCase{"MapSearchKind2", "COOPERATE", "MapSearchKind", "2", &CooperateMapSearchKind, 0},
                      RangeCase{"MapSearchKind1", "COOPERATE", "MapSearchKind", "1", &CooperateMapSearchKind, 1},
                      RangeCase{"Root2", "COOPERATE", "Root", "2", &CooperateRoot, 0},
                      RangeCase{"Root1", "COOPERATE", "Root", "1", &CooperateRoot, 1},
                      RangeCase{"BGColor", "VIEW", "BGColor", "$00FF00FF", &ViewBGColor, 0xFF00FF}),
    [](const ::testing::TestParamInfo<RangeCase> &info) { return std::string(info.param.name); });

struct UseCase {
    const char *name;
    QStringList installed;
    QList<QPair<int, int>> useKeys; // region, value
    std::array<bool, 8> expected;
};

void PrintTo(const UseCase &c, std::ostream *os)
{
    *os << c.name;
}

class UseFlags : public SettingsTest, public ::testing::WithParamInterface<UseCase>
{
};

TEST_P(UseFlags, followTheInstalledRegions)
{
    installRegions(GetParam().installed);
    withSearchFolder();
    for (const auto &[region, value] : GetParam().useKeys)
        setting(QStringLiteral("BASE"), QStringLiteral("Use%1").arg(region), QString::number(value));
    load();
    for (int i = 1; i <= AreaCount; ++i)
        EXPECT_EQ(UseArea[i], GetParam().expected[i]) << "region " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Table, UseFlags,
    ::testing::Values(
        UseCase{"defaultIsInstalled",
                {QStringLiteral("Kanto"), QStringLiteral("Kinki")},
                {},
                {false, false, true, false, false, true, false, false}},
        UseCase{"notInstalledRegionReadsFalse",
                {QStringLiteral("Kanto")},
                {{3, 1}},
                {false, false, true, false, false, false, false, false}},
        UseCase{"switchedOffRegionStaysOff",
                {QStringLiteral("Kanto"), QStringLiteral("Tokyo")},
                {{2, 0}},
                {false, false, false, true, false, false, false, false}},
        UseCase{"allZeroSwitchesTheInstalledOnes",
                {QStringLiteral("Hokkaido Tohoku"), QStringLiteral("Cyubu"), QStringLiteral("Kyusyu Okinawa")},
                {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}},
                {false, true, false, false, true, false, false, true}},
        UseCase{"keyNamesIgnoreLetterCase",
                {QStringLiteral("cyugoku shikoku")},
                {},
                {false, false, false, false, false, false, true, false}}),
    [](const ::testing::TestParamInfo<UseCase> &info) { return std::string(info.param.name); });

TEST_F(SettingsTest, hiddenPathWinsAndLosesItsDelimiter)
{
    installRegions({QStringLiteral("Kanto")});
    setting(QStringLiteral("HIDDEN PARAMETER"), QStringLiteral("Path"), searchFolder + QLatin1Char('/'));
    setting(QStringLiteral("BASE"), QStringLiteral("DVD"), QStringLiteral("/media/other/"));
    load();
    EXPECT_EQ(SearchDataPath, searchFolder);
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(SettingsTest, discPathOfTheSettingsIsUsedWithoutHiddenPath)
{
    installRegions({QStringLiteral("Kanto")});
    setting(QStringLiteral("HIDDEN PARAMETER"), QStringLiteral("Path"), home.root() + QStringLiteral("/missing"));
    setting(QStringLiteral("BASE"), QStringLiteral("DVD"), QStringLiteral("/media/cdrom/"));
    load();
    EXPECT_EQ(SearchDataPath, QStringLiteral("/media/cdrom"));
}

TEST_F(SettingsTest, noDiscNoDiskAndNoPathIsReported)
{
    installRegions({QStringLiteral("Kanto")});
    load();
    if (DriveCount != 0)
        GTEST_SKIP() << "this machine has a disc drive";
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("使用可能な DVD-ROM ドライブが検出できませんでした  \r\n"
                                                 "DVD-ROM を使用した検索は利用できません  "));
    EXPECT_EQ(boxes.last().flags, 0x40u);
    EXPECT_EQ(boxes.last().mode, 2);
    EXPECT_TRUE(SearchDataPath.isEmpty());
}

TEST_F(SettingsTest, storedPasswordIsKeptUnchanged)
{
    const QString stored = ScramblePassword(QStringLiteral("himitsu"));
    installRegions({QStringLiteral("Kanto")}, stored);
    withSearchFolder();
    load();
    EXPECT_EQ(StartupPassword, stored);
}

TEST_F(SettingsTest, saveDataPathWritesTheBaseKey)
{
    DataPath = home.root() + QStringLiteral("/data/");
    ASSERT_TRUE(SaveDataPath());
    const TMemIniFile ini(SettingsFileName());
    EXPECT_EQ(ini.ReadString(QStringLiteral("BASE"), QStringLiteral("DataPath"), QString()), DataPath);
}

TEST_F(SettingsTest, wordFilesAreCopiedOnlyWhenMissing)
{
    QDir().mkpath(AppPath + QStringLiteral("Common/History"));
    writeBytes(AppPath + QStringLiteral("Common/History/Post.mtd"), "post");
    writeBytes(AppPath + QStringLiteral("Common/History/Honor.mtd"), "honor");
    HistoryPath = home.root() + QStringLiteral("/data/History/");
    QDir().mkpath(HistoryPath);
    writeBytes(HistoryPath + QStringLiteral("Honor.mtd"), "mine");
    EnsureWordFiles();
    EXPECT_EQ(fileBytes(HistoryPath + QStringLiteral("Post.mtd")), QByteArray("post"));
    EXPECT_EQ(fileBytes(HistoryPath + QStringLiteral("Honor.mtd")), QByteArray("mine"));
}

TEST_F(SettingsTest, wordFilesMakeTheHistoryFolderAndIgnoreMissingSources)
{
    HistoryPath = home.root() + QStringLiteral("/new/deep/History/");
    EnsureWordFiles();
    EXPECT_TRUE(QFileInfo(HistoryPath).isDir());
    EXPECT_FALSE(QFileInfo::exists(HistoryPath + QStringLiteral("Post.mtd")));
}

TEST_F(SettingsTest, dataRootIsMadeBelowTheApplicationData)
{
    qunsetenv("MURVEN_SETTINGS_ROOT");
    EXPECT_EQ(MakeDataRoot(AppPath), GetCommonAppDataFolder() + QStringLiteral("Pyx/Murven19/"));
    EXPECT_TRUE(QFileInfo(GetCommonAppDataFolder() + QStringLiteral("Pyx/Murven19")).isDir());
}

TEST_F(SettingsTest, dataRootFallsBackToTheProgramFolderWhenItCannotBeMade)
{
    qunsetenv("MURVEN_SETTINGS_ROOT");
    QDir(GetCommonAppDataFolder() + QStringLiteral("Pyx")).removeRecursively();
    writeBytes(GetCommonAppDataFolder() + QStringLiteral("Pyx"), "a file in the way");
    EXPECT_EQ(MakeDataRoot(AppPath), AppPath);
}

TEST_F(SettingsTest, dataRootFollowsTheRedirect)
{
    EXPECT_EQ(MakeDataRoot(AppPath), Folders::settingsRoot());
}

// ---- Regions and the installation file -----------------------------------------------

class SearchAreasTest : public SettingsTest
{
protected:
    // A reader answering with the code and the slots given (slot index 0..6).
    THdiReader reader(int code, const QList<QPair<int, QString>> &entries)
    {
        return [this, code, entries](HdiFileRecord &record) {
            seenFile = record.FileName;
            seenSignature = record.Signature;
            for (const auto &[slot, folder] : entries) {
                const QByteArray path = QFile::encodeName(folder);
                record.Slots[static_cast<size_t>(slot)].PathLength = static_cast<int>(path.size());
                record.Slots[static_cast<size_t>(slot)].Path = path;
            }
            return code;
        };
    }
    QString makeRegionFolder(const QString &name, const QString &sub)
    {
        const QString folder = home.root() + QLatin1Char('/') + name + QLatin1Char('/');
        QDir().mkpath(folder + sub);
        return folder;
    }

    QString seenFile;
    QByteArray seenSignature;
};

TEST_F(SearchAreasTest, readsTheInstallationFileOfTheSettingsRoot)
{
    installRegions({QStringLiteral("Kanto")});
    LoadSearchAreas(reader(1, {}));
    EXPECT_EQ(seenFile, DataRoot + QStringLiteral("Murven19.hdi"));
    EXPECT_EQ(seenSignature, QByteArray("Murven19"));
    EXPECT_EQ(SearchAreaList, QStringList{QStringLiteral("Kanto")});
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(SearchAreasTest, installedRegionsOnDiskTakeTheirFolders)
{
    installRegions({QStringLiteral("Hokkaido Tohoku"), QStringLiteral("Kanto"), QStringLiteral("Tokyo")});
    const QString first = makeRegionFolder(QStringLiteral("hdd1"), QStringLiteral("Dt01"));
    QDir().mkpath(DataRoot + QStringLiteral("Dt02"));
    const QString other = makeRegionFolder(QStringLiteral("hdd5"), QStringLiteral("Dt05"));
    // slot 1 names no folder: the region lies in the settings root; slot 4
    // (Kinki) is not installed in the machine key.
    LoadSearchAreas(reader(0, {{0, first}, {1, QString()}, {4, other}}));
    EXPECT_TRUE(AreaOnDisk[1]);
    EXPECT_EQ(AreaDiskFolder[1], first);
    EXPECT_TRUE(AreaOnDisk[2]);
    EXPECT_EQ(AreaDiskFolder[2], DataRoot);
    EXPECT_FALSE(AreaOnDisk[3]);
    EXPECT_FALSE(AreaOnDisk[5]);
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(SearchAreasTest, regionsWithoutTheirSubFolderAreReportedOnceByCaption)
{
    installRegions({QStringLiteral("Hokkaido Tohoku"), QStringLiteral("Kanto"), QStringLiteral("Kyusyu Okinawa")});
    const QString good = makeRegionFolder(QStringLiteral("hdd1"), QStringLiteral("Dt01"));
    const QString wrongSub = makeRegionFolder(QStringLiteral("hdd2"), QStringLiteral("Dt03"));
    const QString empty = makeRegionFolder(QStringLiteral("hdd7"), QString());
    LoadSearchAreas(reader(0, {{0, good}, {1, wrongSub}, {6, empty}}));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("HDDインストールした以下の地域の電話帳データが  \r\nHDD内に見つかりません  \r\n"
                                                 "\r\n関東  \r\n九州・沖縄    \r\n\r\nDVD-ROMを検索するようにします  "));
    EXPECT_EQ(boxes.last().flags, 0x40u);
    EXPECT_TRUE(AreaOnDisk[1]);
    EXPECT_FALSE(AreaOnDisk[2]);
    EXPECT_TRUE(AreaDiskFolder[2].isEmpty());
    EXPECT_FALSE(AreaOnDisk[7]);
}

TEST_F(SearchAreasTest, slotsAreClearedBeforeReading)
{
    installRegions({QStringLiteral("Kanto")});
    AreaOnDisk[2] = true;
    AreaDiskFolder[2] = QStringLiteral("/old/");
    LoadSearchAreas(reader(1, {}));
    EXPECT_FALSE(AreaOnDisk[2]);
    EXPECT_TRUE(AreaDiskFolder[2].isEmpty());
}

struct HdiCodeCase {
    const char *name;
    int code;
    QString message;
};

void PrintTo(const HdiCodeCase &c, std::ostream *os)
{
    *os << c.name;
}

class HdiCodes : public SearchAreasTest, public ::testing::WithParamInterface<HdiCodeCase>
{
};

TEST_P(HdiCodes, unreadableInstallationFilesAreReportedAndLeaveNoRegionOnDisk)
{
    installRegions({QStringLiteral("Kanto")});
    const QString folder = makeRegionFolder(QStringLiteral("hdd2"), QStringLiteral("Dt02"));
    LoadSearchAreas(reader(GetParam().code, {{1, folder}}));
    EXPECT_FALSE(AreaOnDisk[2]);
    if (GetParam().message.isEmpty()) {
        EXPECT_EQ(boxes.count(), 0);
        return;
    }
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, GetParam().message);
    EXPECT_EQ(boxes.last().flags, 0x40u);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, HdiCodes,
    ::testing::Values(HdiCodeCase{"noFile", 1, QString()},
                      HdiCodeCase{"otherSoftware", 4,
                                  QStringLiteral("別のソフトウェアのHDDインストール情報が見つかりました  \r\n"
                                                 "HDDインストールしなおす必要が必要があります  ")},
                      HdiCodeCase{"broken", 9,
                                  QStringLiteral("HDDインストール情報が正しくありません    \r\n"
                                                 "HDDインストールしなおす必要が必要があります  \r\nRC = 9  ")}),
    [](const ::testing::TestParamInfo<HdiCodeCase> &info) { return std::string(info.param.name); });

// ---- The start-up order -------------------------------------------------------------

// Parts that record their calls; each test changes the answers it needs.
class StartupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        StartupPassword.clear();
        DataPathChanged = false;
        AdrsName = QStringLiteral("取引先");
        MustSelectAdrs = false;
        SearchAreaList.clear();

        auto step = [this](const char *name) { return [this, name] { calls << QString::fromLatin1(name); }; };
        parts.checkPreviousInstance = [this] {
            calls << QStringLiteral("checkPreviousInstance");
            return previousInstance;
        };
        parts.setWindowMarker = step("setWindowMarker");
        parts.makeFolders = step("makeFolders");
        parts.loadSearchAreas = [this] {
            calls << QStringLiteral("loadSearchAreas");
            SearchAreaList = installed;
        };
        parts.showMessage = [this](const QString &text, unsigned flags) {
            calls << QStringLiteral("showMessage");
            messages << qMakePair(text, flags);
        };
        parts.readViewSplash = [this] {
            calls << QStringLiteral("readViewSplash");
            return viewSplash;
        };
        parts.showSplash = step("showSplash");
        parts.splashActive = [this] {
            if (splashPolls == 0)
                return false;
            --splashPolls;
            calls << QStringLiteral("splashActive");
            return true;
        };
        parts.loadSettings = step("loadSettings");
        parts.createDataModule = step("createDataModule");
        parts.askPassword = [this] {
            calls << QStringLiteral("askPassword");
            return passwordEntered;
        };
        parts.saveDataPath = step("saveDataPath");
        parts.ensureWordFiles = step("ensureWordFiles");
        parts.scanAddressBooks = step("scanAddressBooks");
        parts.addressBookNames = [this] { return books; };
        parts.showAddressList = [this] {
            calls << QStringLiteral("showAddressList");
            shownAdrsName = AdrsName;
            shownMustSelect = MustSelectAdrs;
        };
        parts.freeDataModule = step("freeDataModule");
        parts.removeWindowMarker = step("removeWindowMarker");
        parts.releaseLock = step("releaseLock");
    }

    int run() { return TStartup(parts).Run(); }

    TStartupParts parts;
    QStringList calls;
    QList<QPair<QString, unsigned>> messages;
    bool previousInstance = false;
    QStringList installed{QStringLiteral("Kanto")};
    bool viewSplash = true;
    int splashPolls = 0;
    bool passwordEntered = true;
    QStringList books{QStringLiteral("アドレス"), QStringLiteral("取引先")};
    QString shownAdrsName;
    bool shownMustSelect = false;
};

TEST_F(StartupTest, runsEveryStepInOrder)
{
    splashPolls = 2;
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(calls, (QStringList{"checkPreviousInstance", "setWindowMarker", "makeFolders", "loadSearchAreas",
                                  "readViewSplash", "showSplash", "loadSettings", "createDataModule", "splashActive",
                                  "splashActive", "ensureWordFiles", "scanAddressBooks", "showAddressList",
                                  "freeDataModule", "removeWindowMarker", "releaseLock"}));
    EXPECT_EQ(shownAdrsName, QStringLiteral("取引先"));
    EXPECT_FALSE(shownMustSelect);
    EXPECT_TRUE(SearchAreaList.isEmpty());
}

TEST_F(StartupTest, secondStartEndsAtOnceWithoutAMessage)
{
    previousInstance = true;
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(calls, QStringList{"checkPreviousInstance"});
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(StartupTest, noInstalledRegionWarnsAndEnds)
{
    installed.clear();
    EXPECT_NE(run(), 0);
    EXPECT_EQ(calls, (QStringList{"checkPreviousInstance", "setWindowMarker", "makeFolders", "loadSearchAreas",
                                  "showMessage", "removeWindowMarker", "releaseLock"}));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages.first().first,
              QStringLiteral("インストールが正常に行なわれていないようです  \r\n再セットアップしてください  "));
    EXPECT_EQ(messages.first().second, 0x30u);
}

TEST_F(StartupTest, withoutViewSplashNoSplashIsShownOrAwaited)
{
    viewSplash = false;
    EXPECT_EQ(run(), 0);
    EXPECT_FALSE(calls.contains("showSplash"));
    EXPECT_FALSE(calls.contains("splashActive"));
    EXPECT_TRUE(calls.contains("showAddressList"));
}

struct PasswordCase {
    const char *name;
    QString stored;
    bool entered;
    bool asked;
    bool listShown;
};

void PrintTo(const PasswordCase &c, std::ostream *os)
{
    *os << c.name;
}

class StartupPasswordPrompt : public StartupTest, public ::testing::WithParamInterface<PasswordCase>
{
};

TEST_P(StartupPasswordPrompt, asksOnlyWhenAPasswordIsSet)
{
    passwordEntered = GetParam().entered;
    parts.loadSettings = [this] {
        calls << QStringLiteral("loadSettings");
        StartupPassword = GetParam().stored;
    };
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(calls.contains("askPassword"), GetParam().asked);
    EXPECT_EQ(calls.contains("scanAddressBooks"), GetParam().listShown);
    EXPECT_EQ(calls.contains("showAddressList"), GetParam().listShown);
    if (GetParam().asked) {
        EXPECT_EQ(calls.indexOf("askPassword"), calls.indexOf("createDataModule") + 1);
    }
    // The data module is freed and the lock released however start-up ended.
    EXPECT_EQ(calls.mid(calls.size() - 3), (QStringList{"freeDataModule", "removeWindowMarker", "releaseLock"}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartupPasswordPrompt,
    ::testing::Values(PasswordCase{"noValue", QString(), true, false, true},
                      PasswordCase{"shorterThanFour", QStringLiteral("Q7K"), true, false, true},
                      PasswordCase{"onlyDroppedCharacters", ScramblePassword(QStringLiteral("+/")), true, false, true},
                      PasswordCase{"entered", ScramblePassword(QStringLiteral("abc")), true, true, true},
                      PasswordCase{"abandoned", ScramblePassword(QStringLiteral("abc")), false, true, false}),
    [](const ::testing::TestParamInfo<PasswordCase> &info) { return std::string(info.param.name); });

TEST_F(StartupTest, resetDataFolderIsWrittenBackBeforeTheWordFiles)
{
    parts.loadSettings = [this] {
        calls << QStringLiteral("loadSettings");
        DataPathChanged = true;
    };
    EXPECT_EQ(run(), 0);
    ASSERT_TRUE(calls.contains("saveDataPath"));
    EXPECT_EQ(calls.indexOf("saveDataPath") + 1, calls.indexOf("ensureWordFiles"));
}

TEST_F(StartupTest, missingRememberedBookOpensTheDefaultAndMustBeChosen)
{
    books = QStringList{QStringLiteral("アドレス"), QStringLiteral("取引先２")};
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(shownAdrsName, QStringLiteral("アドレス"));
    EXPECT_TRUE(shownMustSelect);
}

TEST_F(StartupTest, bookNamesCompareWithLetterCase)
{
    AdrsName = QStringLiteral("Clients");
    books = QStringList{QStringLiteral("clients")};
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(shownAdrsName, QStringLiteral("アドレス"));
    EXPECT_TRUE(shownMustSelect);
}

TEST_F(StartupTest, noBookAtAllMustBeChosen)
{
    AdrsName = QStringLiteral("アドレス");
    books.clear();
    EXPECT_EQ(run(), 0);
    EXPECT_TRUE(shownMustSelect);
}

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
    EXPECT_TRUE(closed);
    EXPECT_TRUE(form.Closed());
}

TEST_F(StartupTest, destroyFreesInOrderAndOnlyWhatExists)
{
    parts.freeItemCopyStream = [this] { calls << QStringLiteral("freeItemCopyStream"); };
    parts.freeWqhyp = [this] { calls << QStringLiteral("freeWqhyp"); };
    parts.freeManual = [this] { calls << QStringLiteral("freeManual"); };
    parts.freeAdrsFolderList = [this] { calls << QStringLiteral("freeAdrsFolderList"); };
    {
        TMainForm neverCreated(parts);
    }
    EXPECT_EQ(calls, (QStringList{"freeItemCopyStream", "freeWqhyp", "freeManual", "freeAdrsFolderList"}));
    calls.clear();
    {
        TMainForm form(parts);
        form.FormCreate();
        calls.clear();
    }
    EXPECT_EQ(calls, (QStringList{"freeItemCopyStream", "freeDataModule", "freeWqhyp", "freeManual",
                                  "freeAdrsFolderList"}));
}

} // namespace

// ---- Splash -----------------------------------------------------------------------------

namespace {

TEST(Splash, isAFramelessCardThatClosesItselfAfterItsInterval)
{
    auto *splash = new TSplashForm;
    EXPECT_EQ(SplashForm, splash);
    EXPECT_EQ(splash->size(), QSize(ScaleForDpi(512, true), ScaleForDpi(400, true)));
    EXPECT_TRUE(splash->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(splash->tmrSplash()->interval(), 2500);
    EXPECT_FALSE(splash->tmrSplash()->isActive());
    splash->show();
    EXPECT_TRUE(splash->tmrSplash()->isActive());
    saveScreenshot(splash, QStringLiteral("splash"));
    QPointer<TSplashForm> watch(splash);
    splash->tmrSplash()->setInterval(1);
    splash->tmrSplash()->start();
    EXPECT_TRUE(QTest::qWaitFor([&watch] { return watch.isNull(); }, 2000));
    EXPECT_EQ(SplashForm, nullptr);
}

} // namespace
