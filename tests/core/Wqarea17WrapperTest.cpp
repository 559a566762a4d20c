#include "core/Wqarea17Wrapper.h"
#include "core/WqhypWrapper.h"
#include "core/WqmtadWrapper.h"
#include "platform/dic/wqarea17/WqareaSchema.h"

#include "support/ScriptedMessageBoxes.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sqlcipher/sqlite3.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string g_dataFolder, g_dicFolder;
std::int32_t g_reserved = -1, g_key = -1;
bool g_pageWasZero = false;

int fakeTelOne(std::int32_t reserved, TTelSearchCondition *request, TTelRecord *record, std::int32_t key)
{
    g_reserved = reserved;
    g_key = key;
    g_dataFolder = request->DataFolder;
    g_dicFolder = request->DicFolder;
    std::memcpy(record->Phone, "0312345678", 10);
    return 0;
}

int fakeArea(TAreaSearchCondition *condition, TAreaSearchHit *hits, std::int32_t *count, TAreaSearchPosition *,
             std::int32_t, TAreaSearchCallback callback)
{
    g_dataFolder = condition->DataFolder;
    g_pageWasZero = hits[condition->BlockSize - 1].Phone[0] == 0 && *count == 0;
    *count = 1;
    return callback(0, 50) == 0 ? 100 : 0;
}

int stopAtOnce(std::int32_t, std::int32_t)
{
    return 0;
}

TEST(Wqarea17, callsAnswer103UntilLoadedAndAFailedLoadLeavesNoUse)
{
    ScriptedMessageBoxes boxes;
    TTelSearchCondition request{};
    TTelRecord record{};
    EXPECT_EQ(CallWqareaTelOne(request, record, 1), 103);
    QTemporaryDir empty;
    EXPECT_EQ(LoadWqarea17(empty.path() + u'/'), 101);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("Wqarea17.dll LoadLibrary Error  \r\nDLLのロードに失敗しました  "));
    // The next call tries again rather than counting a use of nothing.
    EXPECT_EQ(LoadWqarea17(empty.path() + u'/'), 101);
    EXPECT_EQ(boxes.count(), 2);
    TAreaSearchCondition condition{};
    std::int32_t count = 5;
    EXPECT_EQ(CallWqareaAreaCount(condition, count, 10000, stopAtOnce), 103);
}

TEST(Wqarea17, foldersReachTheLibraryTrimmedWithADelimiterAndBuffersCleared)
{
    TWqarea17Functions functions;
    functions.TelOne = fakeTelOne;
    functions.Area = fakeArea;
    SetWqarea17ForTesting(&functions);

    TTelSearchCondition request{};
    std::strcpy(request.DataFolder, "  /data/Dt03 ");
    std::strcpy(request.DicFolder, "/prog/Dic/");
    TTelRecord record;
    std::memset(&record, 'x', sizeof record);
    ASSERT_EQ(CallWqareaTelOne(request, record, 42), 0);
    EXPECT_EQ(g_reserved, 0);
    EXPECT_EQ(g_key, 42);
    EXPECT_EQ(g_dataFolder, "/data/Dt03/");
    EXPECT_EQ(g_dicFolder, "/prog/Dic/");
    EXPECT_EQ(record.Phone[10], '\0'); // cleared before the call

    TAreaSearchCondition condition{};
    condition.BlockSize = 20;
    std::memset(condition.DataFolder, 'a', 255); // no room left for the delimiter
    condition.DataFolder[255] = '\0';
    TAreaSearchHit page[20];
    std::memset(page, 'x', sizeof page);
    TAreaSearchPosition position{};
    std::int32_t count = 7;
    EXPECT_EQ(CallWqareaArea(condition, page, count, position, 10000, stopAtOnce), 100);
    EXPECT_TRUE(g_pageWasZero);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(g_dataFolder.size(), 255u);
    EXPECT_EQ(g_dataFolder.back(), '/');
    SetWqarea17ForTesting(nullptr);
}

// The directory search's worker thread loads, calls and frees the area-code
// library while the window does, and the detail and hyphenation libraries
// are used beside them: every call made while holding a use reaches the
// library, and once every use is released each library is unloaded.
TEST(Wqarea17, unitLibrariesUsedFromSeveralThreadsAtOnceEndUnloaded)
{
    ScriptedMessageBoxes boxes;
    const QString libs = QStringLiteral(MURVEN_DIC_LIB_DIR);
    const QString data = QStringLiteral(MURVEN_DIC_EXCERPT_DIR);
    std::atomic<int> refused{0};
    const std::function<void()> area = [&] {
        TTelSearchCondition request{};
        TTelRecord record{};
        if (LoadWqarea17(libs) != 0 || CallWqareaTelOne(request, record, 1) == 103)
            ++refused;
        FreeWqarea17();
    };
    const std::function<void()> detail = [&] {
        TWqmtadDetail record{};
        if (LoadWqmtad(libs) != 0 || CallWqMTAdrs("14206001000", record, data) == 103)
            ++refused;
        FreeWqmtad();
    };
    const std::function<void()> hyphen = [&] {
        QByteArray number("0465123456");
        if (LoadWqhyp(libs, data) != 0 || CallWqhypGetHyphen(number, QString()) == 13)
            ++refused;
        FreeWqhyp();
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < 9; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 500; ++i)
                (t % 3 == 0 ? area : t % 3 == 1 ? detail : hyphen)();
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(refused, 0);
    EXPECT_EQ(boxes.count(), 0);
    TTelSearchCondition request{};
    TTelRecord record{};
    EXPECT_EQ(CallWqareaTelOne(request, record, 1), 103);
    TWqmtadDetail found{};
    EXPECT_EQ(CallWqMTAdrs("14206001000", found, data), 103);
    QByteArray number("0465123456");
    EXPECT_EQ(CallWqhypGetHyphen(number, QString()), 13);
}

// Whether the area-code library answered while the search's callback ran.
std::atomic<bool> answeredInCallback{false};

int freeTheLastUseInCallback(std::int32_t, std::int32_t)
{
    FreeWqarea17(); // the test's own use: the last but the call's
    TTelSearchCondition request{};
    TTelRecord record{};
    answeredInCallback = CallWqareaTelOne(request, record, 1) != 103;
    return 0; // stop the search
}

// The directory search's count runs in the library; meanwhile (in its
// progress callback) the last load is freed: the library stays until the
// count returns, then the count's own release unloads it.
TEST(Wqarea17, aCallKeepsTheLibraryLoadedUntilItReturns)
{
    ScriptedMessageBoxes boxes;
    QTemporaryDir dir;
    {
        // The least a directory data file is: a table of listings.
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(dir.filePath(QString::fromLatin1(WqareaDataFileName))).constData(), &db),
                  SQLITE_OK);
        const int rc = sqlite3_exec(db, "CREATE TABLE listing(key INTEGER PRIMARY KEY)", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        ASSERT_EQ(rc, SQLITE_OK);
    }
    TAreaSearchCondition condition{};
    std::strcpy(condition.AddressKey, "13");
    condition.PhoneKinds = 1;
    const QByteArray folder = QFile::encodeName(dir.path());
    std::strcpy(condition.DataFolder, folder.constData());
    answeredInCallback = false;
    ASSERT_EQ(LoadWqarea17(QStringLiteral(MURVEN_DIC_LIB_DIR)), 0);
    std::int32_t count = -1;
    EXPECT_NE(CallWqareaAreaCount(condition, count, 10000, freeTheLastUseInCallback), 103);
    EXPECT_TRUE(answeredInCallback);
    TTelSearchCondition request{};
    TTelRecord record{};
    EXPECT_EQ(CallWqareaTelOne(request, record, 1), 103);
    EXPECT_EQ(boxes.count(), 0);
}

// A call made without a load of its own (the library held by someone else)
// while other threads load and free it: the call holds a use for its
// length, so it either reaches a loaded library or answers "not loaded",
// and never runs into one another thread has just unloaded.
struct UnitLibrary {
    const char *name;
    std::function<int()> load;
    std::function<void()> free;
    std::function<int()> call;
    int notLoaded;
};

class UnitLibraryCalls : public ::testing::TestWithParam<UnitLibrary> {};

TEST_P(UnitLibraryCalls, neverRunIntoALibraryFreedByAnotherThread)
{
    ScriptedMessageBoxes boxes;
    const UnitLibrary &library = GetParam();
    std::atomic<bool> done{false};
    std::atomic<int> failedLoads{0};
    std::atomic<int> reached{0};
    std::vector<std::thread> users;
    // On a busy machine the callers may not have been scheduled while the
    // library was loaded; the users go on until a call has met it once.
    QElapsedTimer clock;
    clock.start();
    for (int t = 0; t < 4; ++t) {
        users.emplace_back([&] {
            for (int i = 0; i < 300 || (reached == 0 && clock.elapsed() < 10000); ++i) {
                if (library.load() != 0 || library.call() == library.notLoaded)
                    ++failedLoads;
                library.free();
            }
        });
    }
    std::vector<std::thread> callers;
    for (int t = 0; t < 4; ++t) {
        callers.emplace_back([&] {
            while (!done) {
                if (library.call() != library.notLoaded)
                    ++reached;
            }
        });
    }
    for (std::thread &thread : users)
        thread.join();
    done = true;
    for (std::thread &thread : callers)
        thread.join();
    EXPECT_EQ(failedLoads, 0);
    EXPECT_GT(reached, 0); // the calls did meet the library loaded
    EXPECT_EQ(library.call(), library.notLoaded);
    EXPECT_EQ(boxes.count(), 0);
}

const QString kLibs = QStringLiteral(MURVEN_DIC_LIB_DIR);
const QString kData = QStringLiteral(MURVEN_DIC_EXCERPT_DIR);

INSTANTIATE_TEST_SUITE_P(
    Wrappers, UnitLibraryCalls,
    ::testing::Values(
        UnitLibrary{"Wqarea17", [] { return LoadWqarea17(kLibs); }, [] { FreeWqarea17(); },
                    [] {
                        TTelSearchCondition request{};
                        TTelRecord record{};
                        return CallWqareaTelOne(request, record, 1);
                    },
                    103},
        UnitLibrary{"Wqmtad", [] { return LoadWqmtad(kLibs); }, [] { FreeWqmtad(); },
                    [] {
                        TWqmtadDetail record{};
                        return CallWqMTAdrs("14206001000", record, kData);
                    },
                    103},
        UnitLibrary{"Wqhyp", [] { return LoadWqhyp(kLibs, kData); }, [] { FreeWqhyp(); },
                    [] {
                        QByteArray number("0465123456");
                        return CallWqhypGetHyphen(number, QString());
                    },
                    13}),
    [](const ::testing::TestParamInfo<UnitLibrary> &info) { return std::string(info.param.name); });

} // namespace
