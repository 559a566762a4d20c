#include "core/Env.h"
#include "directory/SchArea.h"
#include "directory/WqareaWriter.h"
#include "platform/dic/wqarea17/WqareaSchema.h"
#include "platform/Cp932.h"

#include "support/ScriptedMessageBoxes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sqlcipher/sqlite3.h>

#include <cstring>

namespace {

// ---- the name text a condition takes --------------------------------------

struct NameCase { const char *label; const char16_t *typed; const char16_t *expected; };
void PrintTo(const NameCase &c, std::ostream *os) { *os << c.label; }
class FilterNameTextTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(FilterNameTextTest, keepsOnlyWhatTheDirectoryCanMatch)
{
    EXPECT_EQ(FilterNameText(QString::fromUtf16(GetParam().typed)),
              Cp932::encode(QString::fromUtf16(GetParam().expected)));
}

INSTANTIATE_TEST_SUITE_P(
    Names, FilterNameTextTest,
    ::testing::Values(
        NameCase{"plainKanjiStays", u"山田", u"山田"},
        NameCase{"halfWidthKanaStays", u"ﾔﾏﾀﾞ", u"ﾔﾏﾀﾞ"},
        NameCase{"aCharacterWithoutShiftJisIsDroppedNotTurnedIntoAQuestionMark", u"山😀田", u"山田"},
        NameCase{"eachMissingCharacterIsDroppedOnItsOwn", u"𠮷野屋", u"野屋"},
        NameCase{"controlCharactersAreDropped", u"山\t田\x01", u"山田"},
        NameCase{"cutsAt34BytesOnACharacterBoundary", u"Aあいうえおかきくけこさしすせそたち", u"Aあいうえおかきくけこさしすせそた"},
        NameCase{"exactly34BytesStayWhole", u"あいうえおかきくけこさしすせそたち", u"あいうえおかきくけこさしすせそたち"}));

// ---- the first-listing months ---------------------------------------------

struct MonthCase { const char *label; int fy, fm, ty, tm; const char *from; const char *to; };
void PrintTo(const MonthCase &c, std::ostream *os) { *os << c.label; }
class ConditionMonthsTest : public ::testing::TestWithParam<MonthCase> {};

TEST_P(ConditionMonthsTest, storesTheEarlierMonthFirst)
{
    const MonthCase &p = GetParam();
    TAreaSearchCondition c{};
    std::memset(c.MonthFrom, 'x', sizeof c.MonthFrom);
    SetConditionMonths(c, p.fy, p.fm, p.ty, p.tm);
    EXPECT_STREQ(c.MonthFrom, p.from);
    EXPECT_STREQ(c.MonthTo, p.to);
}

INSTANTIATE_TEST_SUITE_P(Months, ConditionMonthsTest,
                         ::testing::Values(MonthCase{"inOrder", 1995, 4, 2013, 12, "199504", "201312"},
                                           MonthCase{"swapped", 2013, 1, 1995, 12, "199512", "201301"},
                                           MonthCase{"equalMonthsFillBoth", 2000, 7, 2000, 7, "200007", "200007"},
                                           MonthCase{"noFromYearLeavesBothEmpty", 0, 0, 2000, 1, "", ""}));

// ---- where a region's data lies -------------------------------------------

class AreaDataTest : public ::testing::Test {
protected:
    AreaDataTest() : m_keptPath(SearchDataPath), m_keptOnDisk(AreaOnDisk), m_keptFolder(AreaDiskFolder)
    {
        AreaOnDisk.fill(false);
        SearchDataPath = disc.path();
    }
    ~AreaDataTest() override
    {
        SearchDataPath = m_keptPath;
        AreaOnDisk = m_keptOnDisk;
        AreaDiskFolder = m_keptFolder;
    }
    QTemporaryDir disc, hdd;
    ScriptedMessageBoxes boxes;

private:
    QString m_keptPath;
    std::array<bool, AreaCount + 1> m_keptOnDisk;
    std::array<QString, AreaCount + 1> m_keptFolder;
};

TEST_F(AreaDataTest, aRegionNotInstalledIsReadFromTheDiscsProgramFolder)
{
    EXPECT_EQ(AreaDataFolder(3), disc.path() + QStringLiteral("/Murven19/Dt03/"));
}

TEST_F(AreaDataTest, anInstalledRegionIsReadFromItsHardDiskCopy)
{
    AreaOnDisk[7] = true;
    AreaDiskFolder[7] = hdd.path() + u'/';
    EXPECT_EQ(AreaDataFolder(7), hdd.path() + QStringLiteral("/Dt07/"));
}

TEST_F(AreaDataTest, aMissingDiscFolderAsksForTheDisc)
{
    EXPECT_FALSE(CheckAreaData(2, nullptr));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("ピルカノス2014のDVD-ROMを入れてください  "));
}

TEST_F(AreaDataTest, aMissingHardDiskCopyNamesTheRegion)
{
    AreaOnDisk[1] = true;
    AreaDiskFolder[1] = hdd.path() + u'/';
    EXPECT_FALSE(CheckAreaData(1, nullptr));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text,
              QStringLiteral("北海道・東北版の電話帳データがHDD内に見つかりません  \r\n確認してください  "));
}

TEST_F(AreaDataTest, aPresentFolderPassesSilently)
{
    ASSERT_TRUE(QDir(disc.path()).mkpath(QStringLiteral("Murven19/Dt05")));
    EXPECT_TRUE(CheckAreaData(5, nullptr));
    EXPECT_EQ(boxes.count(), 0);
}

// ---- whether the region's data file is one this program reads --------------

struct DataFileCase {
    const char *label;
    // What lies at the data file's place: "ours", "noMeta" (the first
    // format), "format3", "text", "none".
    const char *file;
    const char16_t *message; // empty when the file passes
};
void PrintTo(const DataFileCase &c, std::ostream *os) { *os << c.label; }
class AreaDataFileTest : public AreaDataTest, public ::testing::WithParamInterface<DataFileCase> {};

TEST_P(AreaDataFileTest, refusesWhatItCannotReadNamingTheRegion)
{
    const QString folder = disc.filePath(QStringLiteral("Murven19/Dt03/"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString file = folder + QString::fromLatin1(WqareaDataFileName);
    const std::string kind = GetParam().file;
    if (kind == "text") {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Murven19 sample directory data\n");
    } else if (kind != "none") {
        TWqareaWriter writer;
        ASSERT_TRUE(writer.Open(file));
        TWqareaListing l;
        l.Key = 1;
        l.Phone = "0312345678";
        l.CityCode = "13101";
        ASSERT_TRUE(writer.Add(l));
        ASSERT_TRUE(writer.Finish());
        const char *change = kind == "noMeta" ? "DELETE FROM meta" : kind == "format3" ? "UPDATE meta SET value = '3'" : "";
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, change, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    const QString message = QString::fromUtf16(GetParam().message);
    EXPECT_EQ(CheckAreaDataFile(3, nullptr), message.isEmpty());
    if (message.isEmpty()) {
        EXPECT_EQ(boxes.count(), 0);
    } else {
        ASSERT_EQ(boxes.count(), 1);
        EXPECT_TRUE(boxes.last().text.startsWith(message)) << boxes.last().text.toStdString();
        EXPECT_TRUE(boxes.last().text.contains(QDir::toNativeSeparators(file)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, AreaDataFileTest,
    ::testing::Values(DataFileCase{"currentFormatPasses", "ours", u""},
                      DataFileCase{"firstFormatStillReads", "noMeta", u""},
                      DataFileCase{"newerFormatAsksForAnUpdate", "format3", u"東京都版の電話帳データは新しい形式のため読めません"},
                      DataFileCase{"foreignFileIsNamed", "text", u"東京都版の電話帳データが読めません"},
                      DataFileCase{"missingFileIsNamed", "none", u"東京都版の電話帳データが読めません"}));

TEST(AreaSearchCallback, answersStopOnlyWhileTheStopFlagIsSet)
{
    SearchStopFlag = false;
    EXPECT_EQ(AreaSearchCallback(0, 10), -1);
    SearchStopFlag = true;
    EXPECT_EQ(AreaSearchCallback(0, 10), 0);
    SearchStopFlag = false;
}

} // namespace
