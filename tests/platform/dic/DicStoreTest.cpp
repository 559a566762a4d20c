#include "DicFixture.h"

#include "DicStore.h"

#include <gtest/gtest.h>

#include <sqlcipher/sqlite3.h>

#include <chrono>
#include <fstream>

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

// A file the libraries cannot use, named by why: what the user is told.
TEST(DicStoreTest, CheckTellsWhyAFileCannotBeUsed)
{
    const TDicFixture fixture;
    EXPECT_EQ(TDicStore::check(fixture.folder()).problem, TDicDataProblem::none);
    EXPECT_EQ(TDicStore::check(fixture.emptyFolder()).problem, TDicDataProblem::missing);
    for (const int format : {DicSchemaVersion - 1, DicSchemaVersion + 1}) {
        const TDicFixture other({}, format);
        const TDicDataCheck check = TDicStore::check(other.folder());
        EXPECT_EQ(check.problem, TDicDataProblem::otherFormat) << format;
        EXPECT_EQ(check.format, format);
    }
    // Bytes that are no database, and a database without the tables.
    std::ofstream(fixture.emptyFolder() + DicDataFileName, std::ios::binary) << std::string(4096, 'Z');
    EXPECT_EQ(TDicStore::check(fixture.emptyFolder()).problem, TDicDataProblem::unreadable);
    EXPECT_FALSE(TDicStore::forFolder(fixture.emptyFolder()));
    std::remove((fixture.emptyFolder() + DicDataFileName).c_str());
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open((fixture.emptyFolder() + DicDataFileName).c_str(), &db), SQLITE_OK);
    const std::string meta = "CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT);"
                             "INSERT INTO meta VALUES('format', '" + std::to_string(DicSchemaVersion) + "');";
    ASSERT_EQ(sqlite3_exec(db, meta.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    EXPECT_EQ(TDicStore::check(fixture.emptyFolder()).problem, TDicDataProblem::unreadable);
}

TEST(DicStoreTest, EmptyTextIsBoundAsTextNotNull)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    const TDicStatement statement = DicPrepare(db, "SELECT ?1 IS NULL, length(?1)");
    ASSERT_TRUE(statement);
    ASSERT_EQ(DicBind(statement.get(), 1, std::string_view()), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(statement.get()), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(statement.get(), 0), 0);
    EXPECT_EQ(sqlite3_column_int(statement.get(), 1), 0);
    sqlite3_reset(statement.get());
    sqlite3_close(db);
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
