#include "core/Wqarea17Wrapper.h"
#include "core/WqhypWrapper.h"
#include "core/WqmtadWrapper.h"

#include "support/ScriptedMessageBoxes.h"

#include <QTemporaryDir>

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

} // namespace
