#include "DicFixture.h"

#include "DicStore.h"

#include <gtest/gtest.h>

#include <chrono>

TEST(DicStoreTest, MissingFileOrAnotherFormatGivesNoStore)
{
    const TDicFixture fixture;
    EXPECT_FALSE(TDicStore::forFolder(fixture.emptyFolder()));
    const TDicFixture future({}, DicSchemaVersion + 1);
    EXPECT_FALSE(TDicStore::forFolder(future.folder()));
    // A file of the format before the readings had their digits spelt out.
    const TDicFixture older({}, DicSchemaVersion - 1);
    EXPECT_FALSE(TDicStore::forFolder(older.folder()));
}

TEST(DicStoreTest, OpensWellUnderFiftyMillisecondsAndLooksUpFarUnderAMillisecond)
{
    const TDicFixture fixture;
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto store = TDicStore::forFolder(fixture.folder());
    const auto opened = Clock::now();
    constexpr int rounds = 1000;
    for (int i = 0; i < rounds; ++i) {
        (void)store->towns("14206", 0);
        (void)store->citiesOfPostcode("25000");
        (void)store->area("46512");
    }
    const auto done = Clock::now();
    const double openMs = std::chrono::duration<double, std::milli>(opened - start).count();
    const double callUs = std::chrono::duration<double, std::micro>(done - opened).count() / (3 * rounds);
    std::cout << "open " << openMs << " ms, per look-up " << callUs << " us\n";
    EXPECT_LT(openMs, 50.0);
    EXPECT_LT(callUs, 1000.0);
}
