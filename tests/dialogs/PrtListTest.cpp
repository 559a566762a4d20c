#include "core/DBInfo.h"
#include "dialogs/PrtList.h"
#include "platform/Table.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

namespace {

// Rows of a main list: record numbers in display order and the selection.
class FakeRows : public TPrintRowSource
{
public:
    std::vector<qint32> recNos;
    std::set<int> selected;
    int RowCount() const override { return static_cast<int>(recNos.size()); }
    bool IsRowSelected(int Row) const override { return selected.count(Row) > 0; }
    qint32 RowRecNo(int Row) const override
    {
        return Row >= 0 && Row < RowCount() ? recNos[static_cast<std::size_t>(Row)] : -1;
    }
    int FirstSelected() const override { return selected.empty() ? -1 : *selected.begin(); }
};

class FakeMarks : public TPrintMarkSource
{
public:
    std::map<qint32, qint32> marks; // a record missing here is not in the book
    int lookups = 0;
    std::optional<qint32> PrintTarget(qint32 RecNo) override
    {
        ++lookups;
        const auto it = marks.find(RecNo);
        if (it == marks.end())
            return std::nullopt;
        return it->second;
    }
};

// Five rows: records 11..15, marks none, 印刷, 除外, 印刷, none; rows 1, 2
// and 4 selected.
struct ListFixture
{
    FakeRows rows;
    FakeMarks marks;
    ListFixture()
    {
        rows.recNos = {11, 12, 13, 14, 15};
        rows.selected = {1, 2, 4};
        marks.marks = {{11, 0}, {12, 1}, {13, 2}, {14, 1}, {15, 0}};
    }
};

struct ListCase
{
    const char *name;
    TPrintRangeKind range;
    TPrintLimitKind limit;
    int start;
    int end;
    std::vector<qint32> expected;
};

class PrintListTable : public ::testing::TestWithParam<ListCase>
{
};

TEST_P(PrintListTable, TakesTheRowsOfTheRangeThatPassTheMarkFilter)
{
    const ListCase &c = GetParam();
    ListFixture f;
    const QList<qint32> list = BuildPrintList(f.rows, f.marks, {c.range, c.limit, c.start, c.end});
    EXPECT_EQ(std::vector<qint32>(list.begin(), list.end()), c.expected);
}

using R = TPrintRangeKind;
using L = TPrintLimitKind;
INSTANTIATE_TEST_SUITE_P(RangesAndLimits, PrintListTable,
    ::testing::Values(
        ListCase{"ShownTakesFirstSelected", R::prShown, L::plNone, 1, 1, {12}},
        ListCase{"ShownIgnoresMarks", R::prShown, L::plExcept, 1, 1, {12}},
        ListCase{"ShownIgnoresMarksPrintOnly", R::prShown, L::plMarked, 1, 1, {12}},
        ListCase{"SelectedAll", R::prSelected, L::plNone, 1, 1, {12, 13, 15}},
        ListCase{"SelectedMarkedOnly", R::prSelected, L::plMarked, 1, 1, {12}},
        ListCase{"SelectedWithoutExcluded", R::prSelected, L::plExcept, 1, 1, {12, 15}},
        ListCase{"RangeAll", R::prRange, L::plNone, 2, 4, {12, 13, 14}},
        ListCase{"RangeMarkedOnly", R::prRange, L::plMarked, 2, 4, {12, 14}},
        ListCase{"RangeWithoutExcluded", R::prRange, L::plExcept, 2, 4, {12, 14}},
        ListCase{"RangeSingleRow", R::prRange, L::plNone, 5, 5, {15}},
        ListCase{"RangeOutsideRowsIsEmpty", R::prRange, L::plNone, 6, 9, {}},
        ListCase{"AllRows", R::prAll, L::plNone, 1, 1, {11, 12, 13, 14, 15}},
        ListCase{"AllMarkedOnly", R::prAll, L::plMarked, 1, 1, {12, 14}},
        ListCase{"AllWithoutExcluded", R::prAll, L::plExcept, 1, 1, {11, 12, 14, 15}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PrintList, ShownRecordWithoutSelectedRowPrintsNothing)
{
    ListFixture f;
    f.rows.selected.clear();
    EXPECT_TRUE(BuildPrintList(f.rows, f.marks, {R::prShown, L::plNone, 1, 1}).isEmpty());
}

TEST(PrintList, SelectedWithoutSelectionIsEmpty)
{
    ListFixture f;
    f.rows.selected.clear();
    EXPECT_TRUE(BuildPrintList(f.rows, f.marks, {R::prSelected, L::plNone, 1, 5}).isEmpty());
}

TEST(PrintList, FilterExcludingEveryRowIsEmpty)
{
    ListFixture f;
    for (auto &m : f.marks.marks)
        m.second = 2;
    EXPECT_TRUE(BuildPrintList(f.rows, f.marks, {R::prAll, L::plExcept, 1, 5}).isEmpty());
}

TEST(PrintList, EmptyListGivesEmptyPrintList)
{
    FakeRows rows;
    FakeMarks marks;
    for (const R range : {R::prShown, R::prSelected, R::prRange, R::prAll})
        EXPECT_TRUE(BuildPrintList(rows, marks, {range, L::plNone, 0, 0}).isEmpty());
}

TEST(PrintList, RecordGoneFromTheBookPassesNoMarkFilter)
{
    ListFixture f;
    f.marks.marks.erase(15);
    EXPECT_EQ(BuildPrintList(f.rows, f.marks, {R::prAll, L::plExcept, 1, 5}), (QList<qint32>{11, 12, 14}));
    EXPECT_EQ(BuildPrintList(f.rows, f.marks, {R::prAll, L::plNone, 1, 5}).size(), 5);
}

TEST(PrintList, MarksAreReadOnlyWhenAFilterApplies)
{
    ListFixture f;
    (void)BuildPrintList(f.rows, f.marks, {R::prAll, L::plNone, 1, 5});
    EXPECT_EQ(f.marks.lookups, 0);
    (void)BuildPrintList(f.rows, f.marks, {R::prRange, L::plMarked, 2, 3});
    EXPECT_EQ(f.marks.lookups, 2);
}

// The marks come from the address table through a handle of the look-up's
// own: the shared handle keeps its record.
TEST(TablePrintMarks, ReadsMarksWithoutMovingTheSharedCursor)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/Adrs.DB");
    TTable shared;
    shared.SetTableName(path);
    shared.SetPassword(TablePassword);
    shared.SetFieldDefs(AdrsFieldDefs);
    shared.SetIndexDefs(AdrsIndexDefs);
    ASSERT_TRUE(shared.CreateTable());
    shared.Open();
    for (const qint32 mark : {0, 1, 2}) {
        shared.Append();
        shared.FieldByName(QStringLiteral("PrintTarget")).SetAsInteger(mark);
        shared.Post();
    }
    shared.First();
    shared.Next();
    const qint32 sharedRecNo = shared.FieldByName(QStringLiteral("RecNo")).AsInteger();

    TTablePrintMarks marks(path, TablePassword);
    EXPECT_EQ(marks.PrintTarget(1), 0);
    EXPECT_EQ(marks.PrintTarget(3), 2);
    EXPECT_EQ(marks.PrintTarget(2), 1);
    EXPECT_EQ(marks.PrintTarget(99), std::nullopt);
    EXPECT_EQ(shared.FieldByName(QStringLiteral("RecNo")).AsInteger(), sharedRecNo);
    shared.Close();
}

TEST(TablePrintMarks, MissingTableReadsAsNoRecordAndSaysWhy)
{
    QTemporaryDir dir;
    TTablePrintMarks marks(dir.path() + QStringLiteral("/Adrs.DB"), TablePassword);
    EXPECT_EQ(marks.PrintTarget(1), std::nullopt);
    EXPECT_FALSE(marks.OpenError().isEmpty());
}

// ---- Sheet count ----------------------------------------------------------

struct SheetCase
{
    const char *name;
    TSheetCountInput in;
    int expected;
};

class SheetCountTable : public ::testing::TestWithParam<SheetCase>
{
};

TEST_P(SheetCountTable, CountsSheets)
{
    EXPECT_EQ(SheetCount(GetParam().in), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SheetCountTable,
    ::testing::Values(
        // 3 records x 2 prints from cell 9 fill cells 9..14 of 10: two sheets, twice.
        SheetCase{"SheetExample", {3, true, 2, true, 10, 9, 2}, 4},
        SheetCase{"SinglePerRecordAndCopy", {3, true, 2, false, 1, 1, 1}, 6},
        SheetCase{"NoAddressDataCopiesOnly", {0, false, 5, false, 1, 1, 1}, 5},
        SheetCase{"NoAddressDataSheetUsesPrints", {0, false, 1, true, 10, 10, 3}, 2},
        SheetCase{"ExactlyFullSheet", {10, true, 1, true, 10, 1, 1}, 1},
        SheetCase{"OneOverFullSheet", {11, true, 1, true, 10, 1, 1}, 2},
        SheetCase{"EmptyListNoSheets", {0, true, 3, false, 1, 1, 1}, 0}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- Range bounds ---------------------------------------------------------

TEST(RangeBounds, LoadedBoundsFollowTheRows)
{
    EXPECT_EQ(LoadedRangeBounds(0, 3, 10), (TRangeBounds{1, 3}));
    EXPECT_EQ(LoadedRangeBounds(4, 2, 10), (TRangeBounds{4, 4}));
    EXPECT_EQ(LoadedRangeBounds(std::nullopt, std::nullopt, 10), (TRangeBounds{1, 10}));
    EXPECT_EQ(LoadedRangeBounds(12, 20, 10), (TRangeBounds{10, 10}));
    EXPECT_EQ(LoadedRangeBounds(5, 7, 0), (TRangeBounds{0, 0}));
}

struct StepCase
{
    const char *name;
    TRangeBounds before;
    bool isEnd;
    bool up;
    TRangeBounds after;
};

class RangeStepTable : public ::testing::TestWithParam<StepCase>
{
};

TEST_P(RangeStepTable, ArrowMovesOneBound)
{
    const StepCase &c = GetParam();
    EXPECT_EQ(StepRangeBound(c.before, c.isEnd, c.up, 10), c.after);
}

INSTANTIATE_TEST_SUITE_P(Arrows, RangeStepTable,
    ::testing::Values(StepCase{"StartUp", {2, 5}, false, true, {3, 5}},
                      StepCase{"StartUpPushesEnd", {5, 5}, false, true, {6, 6}},
                      StepCase{"StartUpStopsAtRowCount", {10, 10}, false, true, {10, 10}},
                      StepCase{"EndUp", {2, 5}, true, true, {2, 6}},
                      StepCase{"EndUpStopsAtRowCount", {2, 10}, true, true, {2, 10}},
                      StepCase{"StartDown", {2, 5}, false, false, {1, 5}},
                      StepCase{"StartDownStopsAtOne", {1, 5}, false, false, {1, 5}},
                      StepCase{"EndDown", {2, 5}, true, false, {2, 4}},
                      StepCase{"EndDownPushesStart", {5, 5}, true, false, {4, 4}},
                      StepCase{"EndDownStopsAtOne", {1, 1}, true, false, {1, 1}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(RangeBounds, TypedValuesAreClampedAndTheOtherBoundFollows)
{
    EXPECT_EQ(SetRangeBound({2, 5}, false, 40, 10), (TRangeBounds{10, 10}));
    EXPECT_EQ(SetRangeBound({2, 5}, false, 0, 10), (TRangeBounds{1, 5}));
    EXPECT_EQ(SetRangeBound({4, 5}, true, 3, 10), (TRangeBounds{3, 3}));
    EXPECT_EQ(SetRangeBound({4, 5}, true, 8, 10), (TRangeBounds{4, 8}));
    EXPECT_EQ(SetRangeBound({0, 0}, false, 5, 0), (TRangeBounds{0, 0}));
}

TEST(RangeBounds, OnlyWholeNonNegativeNumbersAreRead)
{
    EXPECT_EQ(ParseCountText(QStringLiteral("12")), 12);
    EXPECT_EQ(ParseCountText(QStringLiteral(" 7 ")), 7);
    EXPECT_EQ(ParseCountText(QStringLiteral("-3")), std::nullopt);
    EXPECT_EQ(ParseCountText(QStringLiteral("1a")), std::nullopt);
    EXPECT_EQ(ParseCountText(QString()), std::nullopt);
    EXPECT_EQ(ParseCountText(QStringLiteral("１２")), std::nullopt);
}

// ---- Flap -----------------------------------------------------------------

struct FlapCase
{
    const char *name;
    const char *text;
    std::optional<int> expected;
};

class FlapTable : public ::testing::TestWithParam<FlapCase>
{
};

TEST_P(FlapTable, ReadsTenthsOrRestores)
{
    EXPECT_EQ(ParseFlapText(QString::fromUtf8(GetParam().text)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, FlapTable,
    ::testing::Values(FlapCase{"Decimal", "12.5", 125}, FlapCase{"TwoPoints", "12.5.1", std::nullopt},
                      FlapCase{"Letter", "a", std::nullopt}, FlapCase{"Empty", "", std::nullopt},
                      FlapCase{"CappedAtMaximum", "99", 500}, FlapCase{"Whole", "3", 30},
                      FlapCase{"RoundsHalfAway", "1.25", 13}, FlapCase{"BlanksAround", " 4.0 ", 40},
                      FlapCase{"PointOnly", ".", std::nullopt}, FlapCase{"Negative", "-1", std::nullopt},
                      FlapCase{"FullWidthDigits", "１２", std::nullopt}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Flap, TextShowsOneDecimal)
{
    EXPECT_EQ(FlapText(125), QStringLiteral("12.5"));
    EXPECT_EQ(FlapText(500), QStringLiteral("50.0"));
    EXPECT_EQ(FlapText(0), QStringLiteral("0.0"));
}

TEST(PrintShift, LabelsFollowTheSign)
{
    EXPECT_EQ(ShiftDirectionText(510, true), QStringLiteral("下："));
    EXPECT_EQ(ShiftDirectionText(500, true), QStringLiteral("上："));
    EXPECT_EQ(ShiftDirectionText(495, false), QStringLiteral("左："));
    EXPECT_EQ(ShiftDirectionText(501, false), QStringLiteral("右："));
    EXPECT_EQ(ShiftValueText(375), QStringLiteral("12.5 mm"));
}

// ---- Printable area -------------------------------------------------------

// 600 dpi, printable from (50, 60) with 2400 x 3300 dots; content of a
// postcard-sized box in 96 per inch well inside.
struct AreaCase
{
    const char *name;
    TContentRect content;
    int shiftX;
    int shiftY;
    int flap;
    bool outside;
};

class PrintableAreaTable : public ::testing::TestWithParam<AreaCase>
{
};

TEST_P(PrintableAreaTable, WarnsWhenAnEdgeLeaves)
{
    const TPrinterPage page{600, 600, 50, 60, 2400, 3300};
    const AreaCase &c = GetParam();
    EXPECT_EQ(ContentLeavesPrintableArea(page, c.content, c.shiftX, c.shiftY, c.flap), c.outside);
}

INSTANTIATE_TEST_SUITE_P(Edges, PrintableAreaTable,
    ::testing::Values(
        AreaCase{"Inside", {20, 20, 300, 400}, 500, 500, 0, false},
        // left 8 px = 50 dots: exactly on the edge is inside
        AreaCase{"LeftOnEdge", {8, 20, 300, 400}, 500, 500, 0, false},
        AreaCase{"LeftBefore", {7, 20, 300, 400}, 500, 500, 0, true},
        AreaCase{"ShiftLeftPushesOut", {20, 20, 300, 400}, 400, 500, 0, true},
        AreaCase{"ShiftDownPushesBottomOut", {20, 20, 300, 538}, 500, 520, 0, true},
        AreaCase{"FlapPushesBottomOut", {20, 20, 300, 538}, 500, 500, 30, true},
        AreaCase{"RightBeyond", {20, 20, 393, 400}, 500, 500, 0, true},
        AreaCase{"ShiftUpPushesTopOut", {20, 20, 300, 400}, 500, 460, 0, true}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
