#include "core/KykbnDicClass.h"

#include "core/DicFakeLibrary.h"
#include "platform/Cp932.h"
#include "platform/dic/DicApi.h"

#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <cstring>

#include <gtest/gtest.h>

namespace
{

using namespace DicFake;

// What the fake Wqtel.dll answers and what it saw.
struct FakeWqtel {
    int prefixCode = 0;
    int cityCode = 0;
    std::vector<TWqtelCity> cities; // copied into the 20 entries
    std::vector<TWqtelTown> towns;  // answered in blocks of 20
    int firstStatus = -1;           // -1: 0 or 1 from the towns left
    int nextStatus = -1;            // -1: 0 or 1 from the towns left
    void *handle = reinterpret_cast<void *>(0x5150);

    std::size_t position = 0;
    int firstCalls = 0, closeCalls = 0;
};
FakeWqtel fake;

int fakePrefix(const char *, char *, std::int16_t *count, const char *)
{
    *count = static_cast<std::int16_t>(fake.cities.size());
    return fake.prefixCode;
}

int fakeCity2(const char *, TWqtelCity *cities, const char *)
{
    std::copy_n(fake.cities.begin(), std::min<std::size_t>(fake.cities.size(), WqtelMaxCities), cities);
    return fake.cityCode;
}

int fillBlock(TWqtelTown *block, int forced)
{
    const std::size_t take = std::min<std::size_t>(WqtelBlockSize, fake.towns.size() - fake.position);
    std::copy_n(fake.towns.begin() + static_cast<std::ptrdiff_t>(fake.position), take, block);
    fake.position += take;
    if (forced >= 0)
        return forced;
    return fake.position < fake.towns.size() ? DicBlockMore : DicBlockLast;
}

void *fakeTown2First(const char *, const TWqtelCity *, TWqtelTown *block, std::int32_t *status, const char *)
{
    ++fake.firstCalls;
    fake.position = 0;
    *status = fillBlock(block, fake.firstStatus);
    return fake.handle;
}

int fakeTown2Next(void *handle, TWqtelTown *block)
{
    EXPECT_EQ(handle, fake.handle);
    return fillBlock(block, fake.nextStatus);
}

int fakeTown2Close(void *handle)
{
    ++fake.closeCalls;
    EXPECT_EQ(handle, fake.handle);
    return 0;
}

const TWqtelFunctions kFunctions{&fakePrefix, &fakeCity2, &fakeTown2First, &fakeTown2Close, &fakeTown2Next, nullptr};

TWqtelCity makeCity(const char16_t *name, const char *code, int towns)
{
    TWqtelCity city{};
    SetDicField(city.CityCode, code, true);
    SetDicField(city.Name, Cp932::encode(QStringView(name)));
    city.TownCount = towns;
    return city;
}

TWqtelTown makeTown(int i)
{
    TWqtelTown town{};
    SetDicField(town.Postcode, QByteArray::number(2500000 + i));
    SetDicField(town.Code, "142069" + QByteArray::number(100000 + i), true);
    SetDicField(town.Town, Cp932::encode(QStringLiteral("町%1").arg(i)));
    return town;
}

class KykbnSearch : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fake = FakeWqtel{};
        fake.cities = {makeCity(u"神奈川県小田原市", "142069", 45), makeCity(u"神奈川県足柄下郡箱根町", "143821", 0)};
        for (int i = 0; i < 45; ++i)
            fake.towns.push_back(makeTown(i));
    }
    void searchTowns()
    {
        ASSERT_EQ(search.SearchPrefix(QStringLiteral("0465123456")), 0);
        ASSERT_EQ(search.SearchTown(0), 0);
    }

    // The library folder holds the real libwqhyp.so, so the hyphenation loads.
    TKykbnSearch search{kFunctions, QStringLiteral(MURVEN_WQHYP_DIR), QStringLiteral("/dic/")};
};

struct PrefixCase {
    int prefixCode;
    int cityCode;
    const char *error; // nullptr: the prefix code is returned
};

class KykbnPrefixCodes : public KykbnSearch, public ::testing::WithParamInterface<PrefixCase>
{
};

TEST_P(KykbnPrefixCodes, notFoundEmptiesTheListsOtherCodesRaise)
{
    searchTowns();
    fake.prefixCode = GetParam().prefixCode;
    fake.cityCode = GetParam().cityCode;
    if (GetParam().error == nullptr) {
        EXPECT_EQ(search.SearchPrefix(QStringLiteral("0999")), GetParam().prefixCode);
        EXPECT_EQ(search.GetTownCount(), 0);
        EXPECT_EQ(raised<EKykbnSearchError>([&] { return search.GetCity(0); }),
                  QStringLiteral("市区郡町村検索の結果がありません"));
    } else {
        EXPECT_EQ(raised<EWQTelError>([&] { return search.SearchPrefix(QStringLiteral("0999")); }),
                  QString::fromUtf8(GetParam().error));
    }
}

INSTANTIATE_TEST_SUITE_P(Codes, KykbnPrefixCodes,
                         ::testing::Values(PrefixCase{8, 0, nullptr},
                                           PrefixCase{1, 0, "WQTLPrefix (Wqtel.dll) Call Error\r\nRC = 1"},
                                           PrefixCase{0, 8, "WQTLCity2 (Wqtel.dll) Call Error\r\nRC = 8"}));

TEST_F(KykbnSearch, fortyFiveTownsComeInTwentyTwentyAndFive)
{
    searchTowns();
    EXPECT_EQ(fake.closeCalls, 1);
    ASSERT_EQ(search.GetTownCount(), 45);
    for (int i = 0; i < 45; ++i)
        ASSERT_EQ(std::memcmp(search.GetTown(i), &fake.towns[static_cast<std::size_t>(i)], sizeof(TWqtelTown)), 0)
            << "town " << i;
    EXPECT_EQ(search.GetTown(45), nullptr);

    fake.cities[0].TownCount = 23; // the library's blocks hold 40: the last copies what the count leaves
    fake.towns.resize(40);
    searchTowns();
    EXPECT_EQ(search.GetTownCount(), 23);
    EXPECT_EQ(std::memcmp(search.GetTown(22), &fake.towns[22], sizeof(TWqtelTown)), 0);
}

struct TownErrorCase {
    int firstStatus;
    int nextStatus;
    const char *message;
};

class KykbnTownError : public KykbnSearch, public ::testing::WithParamInterface<TownErrorCase>
{
};

TEST_P(KykbnTownError, raisesWithItsStatusAndStillClosesTheSearch)
{
    fake.firstStatus = GetParam().firstStatus;
    fake.nextStatus = GetParam().nextStatus;
    ASSERT_EQ(search.SearchPrefix(QStringLiteral("0465123456")), 0);
    EXPECT_EQ(raised<EWQTelError>([&] { return search.SearchTown(0); }), QString::fromUtf8(GetParam().message));
    EXPECT_EQ(fake.closeCalls, 1);
    EXPECT_EQ(search.GetTownCount(), 0); // no zero-filled entries left behind
    // Asked again, the library is asked again instead of answering 0.
    EXPECT_EQ(raised<EWQTelError>([&] { return search.SearchTown(0); }), QString::fromUtf8(GetParam().message));
    EXPECT_EQ(fake.firstCalls, 2);
}

INSTANTIATE_TEST_SUITE_P(Statuses, KykbnTownError,
                         ::testing::Values(TownErrorCase{-1, 2, "WQTLTown2Next (Wqtel.dll) Call Error\r\nRC = 2"},
                                           TownErrorCase{4, -1, "WQTLTown2First (Wqtel.dll) Call Error\r\nRC = 4"}));

// Areas 03 and 06 hold more municipalities than the twenty entries the
// library fills: the list stops at twenty whole entries, each of which still
// leads to its towns.
class KykbnFullData : public ::testing::TestWithParam<const char *> {};

TEST_P(KykbnFullData, areaOfMoreThanTwentyCitiesListsTwentyWholeOnes)
{
    const QString data = QStringLiteral(MURVEN_DIC_FULL_DIR);
    if (!QFileInfo::exists(data + QLatin1String(DicDataFileName)))
        GTEST_SKIP() << "no full dictionary data in " << data.toStdString();
    TKykbnSearch search(QStringLiteral(MURVEN_DIC_LIB_DIR), data);
    ASSERT_EQ(search.SearchPrefix(QString::fromLatin1(GetParam())), 0);
    ASSERT_EQ(search.GetCityCount(), WqtelMaxCities);
    QSet<QByteArray> codes;
    for (int i = 0; i < WqtelMaxCities; ++i) {
        const TWqtelCity *city = search.GetCity(i);
        codes.insert(DicFieldText(city->CityCode));
        EXPECT_EQ(DicFieldText(city->CityCode).size(), 6) << i;
        EXPECT_FALSE(DicFieldText(city->Name).isEmpty()) << i;
        EXPECT_GT(city->TownCount, 0) << i;
    }
    EXPECT_EQ(codes.size(), WqtelMaxCities);
    ASSERT_EQ(search.SearchTown(WqtelMaxCities - 1), 0);
    EXPECT_EQ(search.GetTownCount(), search.GetCity(WqtelMaxCities - 1)->TownCount);
    EXPECT_EQ(search.GetCity(WqtelMaxCities), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Areas, KykbnFullData, ::testing::Values("0312345678", "0612345678"));

} // namespace
