#include "core/KanaAdrsDicClass.h"

#include "core/DicFakeLibrary.h"
#include "core/DicResult.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

namespace
{

using namespace DicFake;

// What the fake Wqk1ad.dll answers.
struct FakeWqk1ad {
    int code = 0;
    int namesFilled = 4; // prefectures of a region that get a name
    int calls = 0;
};
FakeWqk1ad fake;

void namePrefectures(TWqk1adPref *prefectures, int count)
{
    for (int i = 0; i < count; ++i) {
        prefectures[i].Number = i + 1;
        SetDicField(prefectures[i].Name, Cp932::encode(QStringLiteral("県%1").arg(i + 1)));
    }
}

int fakeTdfkn(TWqk1adPref *prefectures, const char *)
{
    ++fake.calls;
    namePrefectures(prefectures, Wqk1adAllPrefectures);
    return fake.code;
}

int fakeTdfknPart(std::int32_t, TWqk1adPref *prefectures, const char *)
{
    ++fake.calls;
    namePrefectures(prefectures, fake.namesFilled);
    // A blank-only name counts as none.
    if (fake.namesFilled < Wqk1adRegionSize)
        SetDicField(prefectures[fake.namesFilled].Name, Cp932::encode(u"　"));
    return fake.code;
}

int fakeCityAll(std::int32_t, TWqk1adCity *, std::int32_t, const char *)
{
    ++fake.calls;
    return fake.code;
}

int fakeOhaza(const char *, TWqk1adOhaza *, std::int32_t, const char *)
{
    ++fake.calls;
    return fake.code;
}

const TWqk1adFunctions kFunctions{&fakeTdfkn, &fakeTdfknPart, &fakeCityAll, &fakeOhaza, &fakeOhaza, nullptr};

class KanaAdrsSearch : public ::testing::Test
{
protected:
    void SetUp() override { fake = FakeWqk1ad{}; }

    // Fills every list once.
    void fillAll()
    {
        ASSERT_EQ(search.SearchTdfkn(TKanaAdrsSearch::AllRegions), 0);
        ASSERT_EQ(search.SearchCity(14, 3), 0);
        ASSERT_EQ(search.SearchOhaza(QStringLiteral("14100"), 5, false), 0);
    }

    TKanaAdrsSearch search{kFunctions, QStringLiteral("/lib/"), QStringLiteral("/dic/")};
};

struct RegionCase {
    int region;
    int namesFilled;
    int count;
};

class KanaRegion : public KanaAdrsSearch, public ::testing::WithParamInterface<RegionCase>
{
};

TEST_P(KanaRegion, cutsTheTrailingEntriesWithoutAName)
{
    fake.namesFilled = GetParam().namesFilled;
    ASSERT_EQ(search.SearchTdfkn(GetParam().region), 0);
    EXPECT_EQ(search.GetTdfknCount(), GetParam().count);
}

INSTANTIATE_TEST_SUITE_P(Regions, KanaRegion,
                         // no name at all: the ten entries stay
                         ::testing::Values(RegionCase{0, 7, 7}, RegionCase{5, 10, 10}, RegionCase{2, 0, 10}));

TEST_F(KanaAdrsSearch, regionPrefectureAndCityCodeOutsideTheirRangesRaiseWithoutACall)
{
    for (const int region : {-1, 6, 98, 100})
        EXPECT_EQ(raised<EKanaAdrsSearchError>([&] { return search.SearchTdfkn(region); }),
                  QStringLiteral("検索地域が範囲外です"));
    for (const int prefecture : {0, 48, -1})
        EXPECT_EQ(raised<EKanaAdrsSearchError>([&] { return search.SearchCity(prefecture, 10); }),
                  QStringLiteral("検索都道府県が範囲外です"));
    for (const QString &code : {QString(), QStringLiteral("1410"), QStringLiteral("141000"), QStringLiteral("１４１")})
        EXPECT_EQ(raised<EKanaAdrsSearchError>([&] { return search.SearchOhaza(code, 10, false); }),
                  QStringLiteral("検索住所コードの桁数が違います"));
    EXPECT_EQ(fake.calls, 0);
}

struct CodeCase {
    int which; // 0 all prefectures, 1 region, 2 cities, 3 oazas, 4 oazas with chome
    const char *call;
};

class KanaCodes : public KanaAdrsSearch, public ::testing::WithParamInterface<CodeCase>
{
protected:
    int run()
    {
        switch (GetParam().which) {
        case 0: return search.SearchTdfkn(99);
        case 1: return search.SearchTdfkn(1);
        case 2: return search.SearchCity(13, 62);
        case 3: return search.SearchOhaza(QStringLiteral("13101"), 40, false);
        default: return search.SearchOhaza(QStringLiteral("13101"), 40, true);
        }
    }
    int count() const
    {
        switch (GetParam().which) {
        case 0:
        case 1: return search.GetTdfknCount();
        case 2: return search.GetCityCount();
        default: return search.GetOhazaCount();
        }
    }
};

TEST_P(KanaCodes, eightFindsNothingAndOtherCodesRaiseWithTheCallName)
{
    fillAll();
    fake.code = 8;
    EXPECT_EQ(run(), 8);
    EXPECT_EQ(count(), 0);
    for (const int code : {1, 4, -1}) {
        fake.code = code;
        EXPECT_EQ(raised<EWQK1ADError>([&] { return run(); }),
                  QString::fromLatin1(GetParam().call) + QStringLiteral(" (Wqk1ad.dll) Call Error\r\nRC = ") +
                      QString::number(code));
    }
}

INSTANTIATE_TEST_SUITE_P(Calls, KanaCodes,
                         ::testing::Values(CodeCase{0, "WQK1ADTdfkn"}, CodeCase{1, "WQK1ADTdfknPart"},
                                           CodeCase{2, "WQK1ADCityAll"}, CodeCase{3, "WQK1ADOhazaAll"},
                                           CodeCase{4, "WQK1ADOhazaAll_Chome"}));

} // namespace
