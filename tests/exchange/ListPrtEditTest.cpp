#include "exchange/ListPrtEdit.h"

#include <gtest/gtest.h>

namespace {

std::vector<int> itemsOf(const TListPrintColumns &columns)
{
    std::vector<int> items;
    for (const TListPrintColumn &c : columns)
        items.push_back(c.ItemNo);
    return items;
}

int sourceRowOf(const TListColumnEditor &editor, int item)
{
    const auto &source = editor.Source();
    const auto at = std::find(source.begin(), source.end(), item);
    return at == source.end() ? -1 : static_cast<int>(at - source.begin());
}

// ---- Columns ---------------------------------------------------------------

struct TSetCase {
    const char *name;
    std::vector<int> before; // item numbers of the columns
    int item;                // the source item to set
    int destRow;             // the chosen row selected
    std::vector<int> after;
};

class ListPrtColumnSet : public ::testing::TestWithParam<TSetCase>
{
};

TEST_P(ListPrtColumnSet, insertsBeforeTheSelectedRow)
{
    const TSetCase &c = GetParam();
    TListPrintColumns columns;
    for (int item : c.before)
        columns.push_back(DefaultListPrintColumn(item));
    TListColumnEditor editor(columns);
    ASSERT_EQ(editor.Set(sourceRowOf(editor, c.item), c.destRow), TListColumnEditor::TSet::Set);
    EXPECT_EQ(itemsOf(editor.Columns()), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListPrtColumnSet,
    ::testing::Values(TSetCase{"endRowAppends", {1, 19}, 11, 2, {1, 19, 11}},
                      TSetCase{"firstRowGoesFirst", {1, 19}, 11, 0, {11, 1, 19}},
                      TSetCase{"middleRowGoesBeforeIt", {1, 19}, 11, 1, {1, 11, 19}},
                      TSetCase{"blankMayStandTwice", {0, 1}, 0, 2, {0, 1, 0}},
                      TSetCase{"emptyListTakesTheFirst", {}, 3, 0, {3}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ListPrtColumnEditor, aSetItemLeavesTheSourceListButTheBlankStays)
{
    TListColumnEditor editor;
    ASSERT_EQ(editor.Source().size(), 45U);
    int next = -1;
    ASSERT_EQ(editor.Set(sourceRowOf(editor, 19), 0, &next), TListColumnEditor::TSet::Set);
    EXPECT_EQ(sourceRowOf(editor, 19), -1);
    EXPECT_EQ(next, 19); // the row that now stands where the item stood (item 20)
    EXPECT_EQ(editor.Source()[static_cast<std::size_t>(next)], 20);
    ASSERT_EQ(editor.Set(0, 0), TListColumnEditor::TSet::Set);
    ASSERT_EQ(editor.Set(0, 0), TListColumnEditor::TSet::Set);
    EXPECT_EQ(sourceRowOf(editor, 0), 0);
    EXPECT_EQ(editor.Source().size(), 44U);
}

TEST(ListPrtColumnEditor, settingTheLastSourceRowSelectsTheNewLastRow)
{
    TListColumnEditor editor;
    int next = -1;
    ASSERT_EQ(editor.Set(44, 0, &next), TListColumnEditor::TSet::Set);
    EXPECT_EQ(next, 43);
}

TEST(ListPrtColumnEditor, aHundredAndFirstColumnIsRefused)
{
    TListColumnEditor editor(TListPrintColumns(100, DefaultListPrintColumn(0)));
    EXPECT_EQ(editor.Set(0, 0), TListColumnEditor::TSet::Full);
    EXPECT_EQ(editor.Columns().size(), 100U);
}

TEST(ListPrtColumnEditor, deletedItemGoesBackToItsPlaceInItemOrder)
{
    TListColumnEditor editor({DefaultListPrintColumn(1), DefaultListPrintColumn(19), DefaultListPrintColumn(11)});
    int src = -1;
    int dest = -1;
    ASSERT_TRUE(editor.Delete(1, &src, &dest));
    EXPECT_EQ(itemsOf(editor.Columns()), (std::vector<int>{1, 11}));
    EXPECT_EQ(editor.Source()[static_cast<std::size_t>(src)], 19);
    EXPECT_TRUE(std::is_sorted(editor.Source().begin(), editor.Source().end()));
    EXPECT_EQ(dest, 1);
}

TEST(ListPrtColumnEditor, deleteOnTheEndRowDeletesTheLastColumn)
{
    TListColumnEditor editor({DefaultListPrintColumn(1), DefaultListPrintColumn(19)});
    int dest = -1;
    ASSERT_TRUE(editor.Delete(editor.EndRow(), nullptr, &dest));
    EXPECT_EQ(itemsOf(editor.Columns()), (std::vector<int>{1}));
    EXPECT_EQ(dest, 1); // the end row again
}

TEST(ListPrtColumnEditor, deletingABlankAddsNoSourceRow)
{
    TListColumnEditor editor({DefaultListPrintColumn(0), DefaultListPrintColumn(0)});
    int src = 5;
    ASSERT_TRUE(editor.Delete(0, &src));
    EXPECT_EQ(src, -1);
    EXPECT_EQ(editor.Source().size(), 45U);
    EXPECT_FALSE(TListColumnEditor().Delete(0));
}

struct TMoveCase {
    const char *name;
    int row;
    bool up;
    bool down;
};

class ListPrtColumnMove : public ::testing::TestWithParam<TMoveCase>
{
};

TEST_P(ListPrtColumnMove, arrowsFollowThePlaceOfTheRow)
{
    const TListColumnEditor editor({DefaultListPrintColumn(1), DefaultListPrintColumn(2), DefaultListPrintColumn(3)});
    EXPECT_EQ(editor.CanMoveUp(GetParam().row), GetParam().up);
    EXPECT_EQ(editor.CanMoveDown(GetParam().row), GetParam().down);
}

INSTANTIATE_TEST_SUITE_P(Cases, ListPrtColumnMove,
                         ::testing::Values(TMoveCase{"first", 0, false, true}, TMoveCase{"middle", 1, true, true},
                                           TMoveCase{"last", 2, true, false}, TMoveCase{"endRow", 3, false, false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ListPrtColumnEditor, moveExchangesNeighboursAndKeepsWidths)
{
    TListColumnEditor editor({DefaultListPrintColumn(1), DefaultListPrintColumn(2), DefaultListPrintColumn(3)});
    ASSERT_TRUE(editor.SetWidth(2, 77));
    ASSERT_TRUE(editor.Move(2, -1));
    EXPECT_EQ(itemsOf(editor.Columns()), (std::vector<int>{1, 3, 2}));
    EXPECT_EQ(editor.Columns()[1].ItemSize, 77);
    EXPECT_FALSE(editor.Move(2, 1));
}

struct TValueCase {
    const char *name;
    int row;
    int width;
    bool taken;
};

class ListPrtColumnWidth : public ::testing::TestWithParam<TValueCase>
{
};

TEST_P(ListPrtColumnWidth, onlyRealColumnsTakeWidthsOneTo999)
{
    TListColumnEditor editor({DefaultListPrintColumn(19)});
    EXPECT_EQ(editor.SetWidth(GetParam().row, GetParam().width), GetParam().taken);
    EXPECT_EQ(editor.Columns()[0].ItemSize, GetParam().taken ? GetParam().width : 14);
}

INSTANTIATE_TEST_SUITE_P(Cases, ListPrtColumnWidth,
                         ::testing::Values(TValueCase{"one", 0, 1, true}, TValueCase{"max", 0, 999, true},
                                           TValueCase{"zero", 0, 0, false}, TValueCase{"thousand", 0, 1000, false},
                                           TValueCase{"endRow", 1, 20, false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ListPrtColumnEditor, allDeleteRefillsTheSourceList)
{
    TListColumnEditor editor({DefaultListPrintColumn(5), DefaultListPrintColumn(9)});
    editor.AllDelete();
    EXPECT_TRUE(editor.Columns().empty());
    EXPECT_EQ(editor.Source().size(), 45U);
}

// ---- Rule buttons -------------------------------------------------------------

struct TRuleCase {
    const char *name;
    TListRules before;
    int tag;
    int type;
    TListRules after;
    bool capacity;
};

TListRules rules(std::array<bool, 6> flags, std::array<int, 6> types)
{
    return {flags, types};
}

class ListPrtRuleButton : public ::testing::TestWithParam<TRuleCase>
{
};

TEST_P(ListPrtRuleButton, switchesAndRetypesRules)
{
    const TRuleCase &c = GetParam();
    TListRules state = c.before;
    EXPECT_EQ(ClickRuleButton(state, c.tag, c.type), c.capacity);
    EXPECT_EQ(state.Flags, c.after.Flags);
    EXPECT_EQ(state.Types, c.after.Types);
}

constexpr std::array<bool, 6> kNone{};
constexpr std::array<int, 6> kSolid{};

INSTANTIATE_TEST_SUITE_P(
    Cases, ListPrtRuleButton,
    ::testing::Values(
        TRuleCase{"topOnTakesTheSelectedType", rules(kNone, kSolid), 0, 3,
                  rules({true, false, false, false, false, false}, {3, 0, 0, 0, 0, 0}), true},
        TRuleCase{"onRuleOfOtherTypeStaysOnAndTakesIt", rules({true, false, false, false, false, false}, kSolid), 0, 3,
                  rules({true, false, false, false, false, false}, {3, 0, 0, 0, 0, 0}), true},
        TRuleCase{"onRuleOfSameTypeGoesOff", rules({true, false, false, false, false, false}, {3, 0, 0, 0, 0, 0}), 0,
                  3, rules(kNone, {3, 0, 0, 0, 0, 0}), true},
        TRuleCase{"innerVerticalLeavesTheCapacity", rules(kNone, kSolid), 4, 0,
                  rules({false, false, false, false, true, false}, kSolid), false},
        TRuleCase{"bottomRetypeChangesTheCapacity", rules({false, false, true, false, false, false}, kSolid), 2, 2,
                  rules({false, false, true, false, false, false}, {0, 0, 2, 0, 0, 0}), true},
        TRuleCase{"noneSwitchesAllOffAndKeepsTypes", rules({true, true, true, true, true, true}, {1, 2, 3, 4, 5, 0}), 6,
                  0, rules(kNone, {1, 2, 3, 4, 5, 0}), true},
        TRuleCase{"outerSwitchesTheFourSidesOn", rules(kNone, kSolid), 7, 1,
                  rules({true, false, true, true, false, true}, {1, 0, 1, 1, 0, 1}), true},
        TRuleCase{"outerAllOnOfTheTypeSwitchesOff", rules({true, false, true, true, false, true}, {1, 0, 1, 1, 0, 1}),
                  7, 1, rules(kNone, {1, 0, 1, 1, 0, 1}), true},
        TRuleCase{"outerWithOneOtherTypeRetypesAll", rules({true, false, true, true, false, true}, {1, 0, 1, 2, 0, 1}),
                  7, 1, rules({true, false, true, true, false, true}, {1, 0, 1, 1, 0, 1}), false},
        TRuleCase{"innerSwitchesBothInnerLines", rules(kNone, kSolid), 8, 4,
                  rules({false, true, false, false, true, false}, {0, 4, 0, 0, 4, 0}), false}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- Colours --------------------------------------------------------------------

struct TInsertCase {
    const char *name;
    std::vector<TColor> before;
    int selected;
    std::vector<TColor> after;
    int select;
};

class ListPrtColorInsert : public ::testing::TestWithParam<TInsertCase>
{
};

TEST_P(ListPrtColorInsert, newColourGoesAfterTheSelectedRow)
{
    const TInsertCase &c = GetParam();
    std::vector<TColor> colors = c.before;
    EXPECT_EQ(InsertListColor(colors, c.selected, 9), c.select);
    EXPECT_EQ(colors, c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListPrtColorInsert,
    ::testing::Values(TInsertCase{"emptyList", {}, -1, {9}, 0},
                      TInsertCase{"lastRowAppends", {1, 2, 3}, 2, {1, 2, 3, 9}, 3},
                      TInsertCase{"firstOfThreeBecomesSecond", {1, 2, 3}, 0, {1, 9, 2, 3}, 1},
                      TInsertCase{"tenColoursRefuse", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, -1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ListPrtColors, dragOfColourOneOntoThreeSwapsThem)
{
    std::vector<TColor> colors{1, 2, 3, 4};
    EXPECT_TRUE(SwapListColors(colors, 0, 2));
    EXPECT_EQ(colors, (std::vector<TColor>{3, 2, 1, 4}));
    EXPECT_FALSE(SwapListColors(colors, 1, 1));
    EXPECT_FALSE(SwapListColors(colors, 1, 4));
    EXPECT_EQ(colors, (std::vector<TColor>{3, 2, 1, 4}));
}

TEST(ListPrtColors, deleteSelectsTheRowAtTheSamePlaceOrTheLast)
{
    std::vector<TColor> colors{1, 2, 3};
    EXPECT_EQ(DeleteListColor(colors, 1), 1);
    EXPECT_EQ(colors, (std::vector<TColor>{1, 3}));
    EXPECT_EQ(DeleteListColor(colors, 1), 0);
    EXPECT_EQ(DeleteListColor(colors, 0), -1);
    EXPECT_TRUE(colors.empty());
    EXPECT_EQ(DeleteListColor(colors, 0), -1);
}

} // namespace
