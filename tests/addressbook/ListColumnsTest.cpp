#include "addressbook/ListColumns.h"

#include "core/Env.h"

#include <gtest/gtest.h>

namespace {

TEST(ListColumns, keywordColumnsAndSortsTakeTheUsersCaptions)
{
    const QString saved = KeywordNames[3];
    KeywordNames[3] = QStringLiteral("趣味");
    EXPECT_EQ(ColumnCaption(29), QStringLiteral("趣味"));
    EXPECT_EQ(SortTypeCaption(9), QStringLiteral("趣味順"));
    EXPECT_EQ(SortTypeCaption(6), QStringLiteral("名前順"));
    EXPECT_EQ(SortTypes[9].Caption, QStringLiteral("キーワード３順"));
    EXPECT_EQ(ColumnCaption(17), QStringLiteral("名前"));
    KeywordNames[3] = saved;
}

} // namespace
