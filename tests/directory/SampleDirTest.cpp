#include "directory/SampleDir.h"
#include "platform/dic/wqarea17/WqareaReader.h"
#include "platform/dic/wqarea17/WqareaSchema.h"
#include "support/FailingDisk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sqlcipher/sqlite3.h>

#include <gtest/gtest.h>

#include <set>

// The sample directory written from the built dictionary and name data, in
// a small size.

namespace {

const QString kDic = QStringLiteral(MURVEN_DIC_LIB_DIR "Dic/wqdic.db");
const QString kNames = QStringLiteral(MURVEN_DIC_LIB_DIR "Dic/wqname.db");

class SampleDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFile::exists(kDic) || !QFile::exists(kNames))
            GTEST_SKIP() << "no built dictionary or name data";
    }
    bool generate(const QString &folder, std::uint32_t seed, int region = 0, int listings = 300)
    {
        TSampleDirectoryOptions o;
        o.DicFile = kDic;
        o.NameFile = kNames;
        o.OutputFolder = folder;
        o.ListingsPerRegion = listings;
        o.Seed = seed;
        o.OnlyRegion = region;
        QString error;
        const bool ok = GenerateSampleDirectory(o, &error);
        EXPECT_TRUE(ok) << error.toStdString();
        return ok;
    }
    // Every listing of a region's data file, in key order.
    static std::vector<TWqareaListing> listings(const QString &folder)
    {
        std::vector<TWqareaListing> rows;
        sqlite3 *db = nullptr;
        const QByteArray file = QFile::encodeName(folder + QString::fromLatin1(WqareaDataFileName));
        if (sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
            return rows;
        sqlite3_stmt *s = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT city_code, phone, town_code, postcode, first_month, name, listing_kind, "
                                   "corporate_form FROM listing ORDER BY key", -1, &s, nullptr) == SQLITE_OK) {
            auto text = [&](int c) {
                const void *p = sqlite3_column_blob(s, c);
                return p == nullptr ? std::string()
                                    : std::string(static_cast<const char *>(p),
                                                  static_cast<std::size_t>(sqlite3_column_bytes(s, c)));
            };
            while (sqlite3_step(s) == SQLITE_ROW) {
                TWqareaListing l;
                l.CityCode = text(0);
                l.Phone = text(1);
                l.TownCode = text(2);
                l.Postcode = text(3);
                l.FirstMonth = text(4);
                l.Name = text(5);
                l.ListingKind = sqlite3_column_int(s, 6);
                l.CorporateForm = sqlite3_column_int(s, 7);
                rows.push_back(l);
            }
        }
        sqlite3_finalize(s);
        sqlite3_close(db);
        return rows;
    }
    QTemporaryDir dir;
};

// A region written on a disk that fills up is not left behind half
// written: the run fails with its reason and no data file of the region stays
// to be read as a directory.
TEST_F(SampleDirTest, aRegionWhoseWritingDidNotFinishLeavesNoDataFile)
{
    const QString region = dir.path() + QStringLiteral("/Murven19/Dt01/");
    ASSERT_TRUE(QDir().mkpath(region));
    TSampleDirectoryOptions o;
    o.DicFile = kDic;
    o.NameFile = kNames;
    o.OutputFolder = dir.path();
    o.ListingsPerRegion = 300;
    o.Seed = 1;
    o.OnlyRegion = 1;
    QString error;
    {
        const ScopedFailingDisk full(region, TDiskFault::DiskFull);
        EXPECT_FALSE(GenerateSampleDirectory(o, &error));
    }
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(region + QString::fromLatin1(WqareaDataFileName))) << error.toStdString();
}

TEST_F(SampleDirTest, theSameSeedWritesTheSameData)
{
    ASSERT_TRUE(generate(dir.filePath(QStringLiteral("a")), 7, 3));
    ASSERT_TRUE(generate(dir.filePath(QStringLiteral("b")), 7, 3));
    const std::vector<TWqareaListing> a = listings(dir.filePath(QStringLiteral("a/Murven19/Dt03/")));
    const std::vector<TWqareaListing> b = listings(dir.filePath(QStringLiteral("b/Murven19/Dt03/")));
    ASSERT_EQ(a.size(), 300U);
    ASSERT_EQ(b.size(), a.size());
    for (std::size_t i = 0; i < a.size(); ++i)
        EXPECT_TRUE(a[i].Phone == b[i].Phone && a[i].Name == b[i].Name && a[i].FirstMonth == b[i].FirstMonth) << i;
}

TEST_F(SampleDirTest, anotherSeedWritesOtherListings)
{
    ASSERT_TRUE(generate(dir.filePath(QStringLiteral("a")), 7, 3));
    ASSERT_TRUE(generate(dir.filePath(QStringLiteral("b")), 8, 3));
    const std::vector<TWqareaListing> a = listings(dir.filePath(QStringLiteral("a/Murven19/Dt03/")));
    const std::vector<TWqareaListing> b = listings(dir.filePath(QStringLiteral("b/Murven19/Dt03/")));
    ASSERT_EQ(a.size(), b.size());
    int same = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        same += a[i].Name == b[i].Name ? 1 : 0;
    EXPECT_LT(same, 30);
}

TEST_F(SampleDirTest, everyRegionFolderHoldsTheSevenFiles)
{
    ASSERT_TRUE(generate(dir.path(), 1, 0, 50));
    for (int area = 1; area <= 7; ++area)
        for (const char *name : AreaDataFileNames)
            EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("Murven19/Dt%1/").arg(area, 2, 10, QLatin1Char('0'))
                                                   + QString::fromLatin1(name))))
                << area << " " << name;
}

struct RegionCase { int area; std::set<int> prefectures; };
class SampleRegionTest : public SampleDirTest, public ::testing::WithParamInterface<RegionCase> {};

TEST_P(SampleRegionTest, listingsLieInTheirRegionWithWellFormedFields)
{
    const int area = GetParam().area;
    ASSERT_TRUE(generate(dir.path(), 3, area, 400));
    const std::vector<TWqareaListing> rows =
        listings(dir.filePath(QStringLiteral("Murven19/Dt%1/").arg(area, 2, 10, QLatin1Char('0'))));
    ASSERT_EQ(rows.size(), 400U);
    for (const TWqareaListing &l : rows) {
        EXPECT_TRUE(GetParam().prefectures.count(std::stoi(l.CityCode.substr(0, 2))) == 1) << l.CityCode;
        EXPECT_EQ(l.Phone.size(), 10U);
        EXPECT_EQ(l.Phone.find_first_not_of("0123456789"), std::string::npos);
        EXPECT_EQ(l.Phone[0], '0');
        EXPECT_EQ(l.TownCode.size(), 6U);
        EXPECT_EQ(l.Postcode.size(), 7U);
        EXPECT_GE(l.FirstMonth, "199501");
        EXPECT_LE(l.FirstMonth, "201312");
        EXPECT_LE(l.Name.size(), 119U);
        if (l.ListingKind == 99) {
            EXPECT_EQ(l.CorporateForm, 0); // a person has no corporate form
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Regions, SampleRegionTest,
                         ::testing::Values(RegionCase{1, {1, 2, 3, 4, 5, 6, 7}}, RegionCase{2, {8, 9, 10, 11, 12, 14}},
                                           RegionCase{3, {13}}, RegionCase{7, {40, 41, 42, 43, 44, 45, 46, 47}}));

TEST_F(SampleDirTest, tokyoNumbersCarryTokyoAreaCodes)
{
    ASSERT_TRUE(generate(dir.path(), 5, 3, 300));
    int inWards = 0, with03 = 0;
    for (const TWqareaListing &l : listings(dir.filePath(QStringLiteral("Murven19/Dt03/")))) {
        if (l.CityCode < "13200") { // the 23 wards
            ++inWards;
            with03 += l.Phone.starts_with("03") ? 1 : 0;
        }
    }
    ASSERT_GT(inWards, 0);
    // A shared number may repeat a listing of the town before, but in the wards that is 03 too.
    EXPECT_EQ(with03, inWards);
}

} // namespace
