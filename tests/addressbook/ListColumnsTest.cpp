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

TEST(ListColumns, defaultsFollowTheCatalogue)
{
    const TColumnRecords records = DefaultColumnRecords();
    for (int i = 0; i < ListColumnCount; ++i) {
        EXPECT_EQ(records[static_cast<std::size_t>(i)].Index, i);
        EXPECT_EQ(records[static_cast<std::size_t>(i)].DefIndex, i);
    }
}

} // namespace
