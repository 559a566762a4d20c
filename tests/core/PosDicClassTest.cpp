#include "core/PosDicClass.h"

#include "core/DicFakeLibrary.h"
#include "platform/Cp932.h"

#include <algorithm>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace DicFake;

// What the fake library answers and what it was asked. Handles are the
// addresses of the entries of `lists`, one per WQZPLSTFirst.
struct FakeWqzplst {
    std::int16_t status = 0;
    int cityListCode = 0, townListCode = 0;
    std::vector<TWqzplstCity> cities;
    std::vector<TWqzplstTown> towns;
    std::vector<TDicLarge> larges;
    int lists[4] = {};
    int opened = 0;
    std::vector<void *> closed;
};
FakeWqzplst fake;

void *first(const char *, std::int32_t *n, std::int16_t *status, const char *)
{
    *n = static_cast<std::int32_t>(fake.cities.size());
    *status = fake.status;
    return fake.status == 0 ? &fake.lists[fake.opened++] : nullptr;
}
int cityList(void *, TWqzplstCity *c, std::int32_t, std::int32_t n)
{
    fill(c, n, fake.cities);
    return fake.cityListCode;
}
int townList(void *, const TWqzplstCity *, TWqzplstTown *t, std::int32_t, std::int32_t n)
{
    fill(t, n, fake.towns);
    return fake.townListCode;
}
int lgTownList(void *h, const TWqzplstCity *c, TWqzplstTown *t, TDicLarge *l, std::int32_t r, std::int32_t n)
{
    const int code = townList(h, c, t, r, n);
    fill(l, n, fake.larges);
    return code;
}
int closeList(void *h)
{
    fake.closed.push_back(h);
    return 0;
}

TWqzplstCity city(std::int16_t Towns, std::int16_t Larges)
{
    TWqzplstCity c{};
    put(c.CityCode, "131016");
    c.TownCount = Towns;
    c.LargeCount = Larges;
    return c;
}

const TWqzplstFunctions kFunctions{first, cityList, townList, lgTownList, closeList, nullptr};

class PosSearch : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fake = FakeWqzplst{};
        fake.cities = {city(2, 1), city(0, 0)};
        fake.towns = {TWqzplstTown{}, TWqzplstTown{}};
        fake.larges = {TDicLarge{}};
    }
    std::optional<TPosSearch> search{std::in_place, kFunctions, QStringLiteral("/lib/"), QStringLiteral("/dic")};
};

TEST_F(PosSearch, eachSearchAndTheDestructorCloseTheOpenList)
{
    ASSERT_EQ(search->SearchPostcode(QStringLiteral("100")), 0);
    ASSERT_EQ(search->SearchTown(0, 0), 0);
    ASSERT_EQ(search->SearchPostcode(QStringLiteral("101")), 0);
    EXPECT_EQ(fake.closed, std::vector<void *>{&fake.lists[0]});
    search.reset();
    EXPECT_EQ(fake.closed, (std::vector<void *>{&fake.lists[0], &fake.lists[1]}));
}

TEST_F(PosSearch, statusesOfTheFirstCall)
{
    QString formatted = QStringLiteral("untouched");
    ASSERT_EQ(search->SearchPostcode(QStringLiteral("100"), &formatted), 0);
    for (std::int16_t status : {4, 8}) {
        fake.status = status;
        EXPECT_EQ(search->SearchPostcode(QStringLiteral("9"), &formatted), status);
        EXPECT_EQ(formatted, QStringLiteral("100"));
        EXPECT_EQ(search->GetCityCount(), 0); // the closed list's cities are gone
    }
    const auto search9 = [&] { return search->SearchPostcode(QStringLiteral("9")); };
    fake.status = 3;
    EXPECT_EQ(raised<EWqzplstError>(search9), QStringLiteral("WQZPLSTFirst (Wqzplst.dll) Call Error\r\nRC = 3"));
    fake.status = 0;
    fake.cityListCode = 8;
    EXPECT_EQ(raised<EWqzplstError>(search9),
              QStringLiteral("WQZPLSTCityList (Wqzplst.dll) Call Error\r\nRC = 8"));
}

TEST_F(PosSearch, listCodesOfSearchTown)
{
    ASSERT_EQ(search->SearchPostcode(QStringLiteral("100")), 0);
    ASSERT_EQ(search->SearchTown(0, 1), 0);
    EXPECT_EQ(search->GetLargeCount(), 1);
    fake.townListCode = 8;
    EXPECT_EQ(search->SearchTown(0, 0), 8);
    EXPECT_EQ(search->GetTownCount(), 0);
    EXPECT_EQ(search->SearchTown(0, 0), 8);
    fake.townListCode = 3;
    EXPECT_EQ(raised<EWqzplstError>([&] { return search->SearchTown(0, 1); }),
              QStringLiteral("WQZPLSTLgTownList (Wqzplst.dll) Call Error\r\nRC = 3"));
    EXPECT_EQ(raised<EWqzplstError>([&] { return search->SearchTown(0, 0); }),
              QStringLiteral("WQZPLSTTownList (Wqzplst.dll) Call Error\r\nRC = 3"));
}

} // namespace
