#include "core/Wqarea17Wrapper.h"

#include "support/ScriptedMessageBoxes.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

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
    EXPECT_EQ(boxes.last().caption, QStringLiteral("ピルカノス2014"));
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

} // namespace
