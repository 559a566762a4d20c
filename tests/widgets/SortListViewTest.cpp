#include "support/Screenshot.h"
#include "widgets/SortListView.h"
#include "widgets/TntSortListView.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>
#include <type_traits>

static_assert(std::is_base_of_v<TTntListView, TTntSortListView>);
static_assert(std::is_base_of_v<TCustomSortListView, TSortListView>);

namespace {

using enum TSortDir;

// A shown sortable list with three columns and a record of its events.
struct SortList {
    SortList()
    {
        for (const QString &caption : {QStringLiteral("名前"), QStringLiteral("電話番号"), QStringLiteral("住所")}) {
            TTntListColumn *column = view.Columns().Add();
            column->SetCaption(caption);
            column->SetWidth(120);
        }
        view.OnSortChange = [this](QObject *, int oldIndex, int newIndex) {
            events.append(QStringLiteral("sort %1>%2").arg(oldIndex).arg(newIndex));
        };
        view.OnColumnClick = [this](QObject *, TTntListColumn *column) {
            events.append(QStringLiteral("click %1").arg(column->Index()));
        };
        view.OnColumnWidthChange = [this](QObject *, TTntListColumn *column, int width) {
            events.append(QStringLiteral("width %1=%2").arg(column->Index()).arg(width));
        };
        view.OnDividerMouseDown = [this](QObject *, TTntListColumn *column) {
            events.append(QStringLiteral("down %1").arg(column->Index()));
        };
        view.OnDividerMouseUp = [this](QObject *, TTntListColumn *column) {
            events.append(QStringLiteral("up %1").arg(column->Index()));
        };
        view.OnDividerDblClick = [this](QObject *, TTntListColumn *column) {
            events.append(QStringLiteral("dblclick %1").arg(column->Index()));
        };
        view.resize(420, 200);
        view.show();
        shown = QTest::qWaitForWindowExposed(&view);
    }

    QHeaderView *header() const { return view.header(); }
    QWidget *headerViewport() const { return view.header()->viewport(); }
    QPoint sectionCenter(int column) const
    {
        return {header()->sectionViewportPosition(column) + header()->sectionSize(column) / 2,
                header()->height() / 2};
    }
    // A point on the divider at the right edge of the column.
    QPoint divider(int column) const
    {
        return {header()->sectionViewportPosition(column) + header()->sectionSize(column) - 1, header()->height() / 2};
    }
    void clickHeader(int column) const { QTest::mouseClick(headerViewport(), Qt::LeftButton, {}, sectionCenter(column)); }
    // A drag with the left button held: press, moves, release.
    void dragDivider(int column, std::initializer_list<int> offsets) const
    {
        const QPoint start = divider(column);
        QTest::mousePress(headerViewport(), Qt::LeftButton, {}, start);
        QPoint at = start;
        for (int dx : offsets) {
            at = start + QPoint(dx, 0);
            QMouseEvent move(QEvent::MouseMove, at, headerViewport()->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                             Qt::NoModifier);
            QApplication::sendEvent(headerViewport(), &move);
        }
        QTest::mouseRelease(headerViewport(), Qt::LeftButton, {}, at);
    }
    // The arrow as the header shows it: section and order, or none.
    std::optional<std::pair<int, Qt::SortOrder>> arrow() const
    {
        if (!header()->isSortIndicatorShown())
            return std::nullopt;
        return std::make_pair(header()->sortIndicatorSection(), header()->sortIndicatorOrder());
    }

    TTntSortListView view;
    bool shown = false;
    QStringList events;
};

// ---- Header clicks -----------------------------------------------------------------

struct ClickCase {
    const char *name;
    TSortDirs dirs;
    std::vector<int> clicks;         // columns clicked in turn
    std::vector<TSortDir> dirsAfter; // SortDir after each click
    int indexAfter;                  // SortIndex after the last click
    QStringList events;              // sort and click events of all clicks
};

void PrintTo(const ClickCase &c, std::ostream *os) { *os << c.name; }

class HeaderClicks : public ::testing::TestWithParam<ClickCase> {};

TEST_P(HeaderClicks, stepTheDirectionOrChooseTheColumnAsSortDirsAllow)
{
    const ClickCase &c = GetParam();
    SortList list;
    ASSERT_TRUE(list.shown);
    list.view.SetSortDirs(c.dirs);
    list.events.clear();
    for (std::size_t i = 0; i < c.clicks.size(); ++i) {
        list.clickHeader(c.clicks[i]);
        EXPECT_EQ(list.view.SortDir(), c.dirsAfter[i]) << "after click " << i;
    }
    EXPECT_EQ(list.view.SortIndex(), c.indexAfter);
    EXPECT_EQ(list.events, c.events);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HeaderClicks,
    ::testing::Values(
        ClickCase{"ascDescAlternatesAndNeverReachesNone", {sdAsc, sdDesc}, {0, 0, 0}, {sdDesc, sdAsc, sdDesc}, 0,
                  {"sort 0>0", "click 0", "sort 0>0", "click 0", "sort 0>0", "click 0"}},
        ClickCase{"allThreeCycleThroughNone", {sdAsc, sdDesc, sdNone}, {0, 0, 0}, {sdDesc, sdNone, sdAsc}, 0,
                  {"sort 0>0", "click 0", "sort 0>0", "click 0", "sort 0>0", "click 0"}},
        ClickCase{"descNoneNewColumnTakesDesc", {sdDesc, sdNone}, {1}, {sdDesc}, 1, {"sort 0>1", "click 1"}},
        ClickCase{"newColumnAlwaysReportsEvenWithTheSameDirection", {sdAsc, sdDesc}, {2, 1}, {sdAsc, sdAsc}, 1,
                  {"sort 0>2", "click 2", "sort 2>1", "click 1"}},
        ClickCase{"noneOnlySameColumnChangesNothing", {sdNone}, {0, 0}, {sdNone, sdNone}, 0, {"click 0", "click 0"}},
        ClickCase{"noneOnlyNewColumnReportsOldAndNew", {sdNone}, {2}, {sdNone}, 2, {"sort 0>2", "click 2"}},
        ClickCase{"ascOnlySameColumnChangesNothing", {sdAsc}, {0}, {sdAsc}, 0, {"click 0"}}),
    [](const auto &info) { return std::string(info.param.name); });

struct ArrowCase {
    const char *name;
    TSortDirs dirs;
    std::vector<int> clicks;
    std::optional<std::pair<int, Qt::SortOrder>> arrow;
};

void PrintTo(const ArrowCase &c, std::ostream *os) { *os << c.name; }

class HeaderArrow : public ::testing::TestWithParam<ArrowCase> {};

TEST_P(HeaderArrow, showsOnTheSortColumnForAscendingAndDescendingOnly)
{
    const ArrowCase &c = GetParam();
    SortList list;
    ASSERT_TRUE(list.shown);
    list.view.SetSortDirs(c.dirs);
    for (int column : c.clicks)
        list.clickHeader(column);
    EXPECT_EQ(list.arrow(), c.arrow);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HeaderArrow,
    ::testing::Values(ArrowCase{"initialAscendingOnColumn0", {sdAsc, sdDesc}, {}, {{0, Qt::AscendingOrder}}},
                      ArrowCase{"descendingAfterOneClick", {sdAsc, sdDesc}, {0}, {{0, Qt::DescendingOrder}}},
                      ArrowCase{"movesToTheNewColumn", {sdAsc, sdDesc}, {0, 2}, {{2, Qt::AscendingOrder}}},
                      ArrowCase{"noneAfterCyclingToNone", {sdAsc, sdDesc, sdNone}, {1, 1, 1}, std::nullopt},
                      ArrowCase{"noneOnlyNeverShowsOne", {sdNone}, {2, 2}, std::nullopt},
                      // The header flips its own indicator on a click; the
                      // control puts it back when the direction stays.
                      ArrowCase{"unchangedDirectionKeepsItsArrow", {sdAsc}, {0}, {{0, Qt::AscendingOrder}}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SortListViewClicks, headerClicksAreIgnoredWithColumnClickOff)
{
    SortList list;
    ASSERT_TRUE(list.shown);
    list.view.SetColumnClick(false);
    list.clickHeader(1);
    EXPECT_EQ(list.view.SortIndex(), 0);
    EXPECT_TRUE(list.events.isEmpty());
}

// ---- Setters ---------------------------------------------------------------------

TEST(SortListViewSetters, sortIndexAtTheColumnCountBecomesZero)
{
    SortList list;
    list.view.SetSortIndex(2);
    list.view.SetSortIndex(3);
    EXPECT_EQ(list.view.SortIndex(), 0);
    EXPECT_EQ(list.events, (QStringList{"sort 0>2", "sort 2>0"}));
    list.events.clear();
    list.view.SetSortIndex(3); // 0 already
    EXPECT_TRUE(list.events.isEmpty());
}

TEST(SortListViewSetters, newSortIndexTakesTheFirstAllowedDirection)
{
    SortList list;
    list.view.SetSortDirs({sdDesc, sdNone});
    EXPECT_EQ(list.view.SortDir(), sdDesc); // asc no longer allowed
    list.view.SetSortDir(sdNone);
    list.view.SetSortIndex(1);
    EXPECT_EQ(list.view.SortDir(), sdDesc);
    EXPECT_EQ(list.arrow(), std::make_optional(std::make_pair(1, Qt::DescendingOrder)));
}

TEST(SortListViewSetters, sortDirOutsideSortDirsOrUnchangedIsIgnored)
{
    SortList list;
    list.view.SetSortDir(sdNone); // not in [asc, desc]
    list.view.SetSortDir(sdAsc);  // unchanged
    EXPECT_TRUE(list.events.isEmpty());
    list.view.SetSortDir(sdDesc);
    EXPECT_EQ(list.events, QStringList{"sort 0>0"});
    EXPECT_EQ(list.arrow(), std::make_optional(std::make_pair(0, Qt::DescendingOrder)));
}

TEST(SortListViewSetters, emptySortDirsAreIgnored)
{
    SortList list;
    list.view.SetSortDirs(TSortDirs{});
    EXPECT_EQ(list.view.SortDirs(), (TSortDirs{sdAsc, sdDesc}));
    EXPECT_EQ(list.view.SortDir(), sdAsc);
    EXPECT_TRUE(list.events.isEmpty());
}

TEST(SortListViewSetters, theFormsNoneSetUpHidesTheArrow)
{
    SortList list;
    list.view.SetSortDirs({sdNone});
    list.view.SetSortDir(sdNone);
    list.view.SetSortIndex(0);
    EXPECT_EQ(list.view.SortDir(), sdNone);
    EXPECT_EQ(list.arrow(), std::nullopt);
    EXPECT_EQ(list.events, QStringList{"sort 0>0"}); // once, from the forced direction
}

// ---- Column widths -----------------------------------------------------------------

TEST(SortListViewWidths, dividerDragReportsEachStepThenTheNewWidthOnRelease)
{
    SortList list;
    ASSERT_TRUE(list.shown);
    int changing = 0;
    list.view.OnColumnWidthChanging = [&](QObject *, TTntListColumn *, int, bool &) { ++changing; };
    list.dragDivider(0, {10, 25, 40});
    EXPECT_EQ(list.view.Columns().GetItem(0)->Width(), 160);
    EXPECT_EQ(list.events, (QStringList{"down 0", "down 0", "down 0", "width 0=160", "up 0"}));
    EXPECT_EQ(changing, 0); // only changes made without a drag ask first
}

TEST(SortListViewWidths, dragReleasedAtTheStartingWidthReportsNoWidthChange)
{
    SortList list;
    ASSERT_TRUE(list.shown);
    list.dragDivider(1, {30, 0});
    EXPECT_EQ(list.view.Columns().GetItem(1)->Width(), 120);
    EXPECT_EQ(list.events, (QStringList{"down 1", "down 1", "up 1"}));
    // The drag is over: a width set by code is reported again.
    list.events.clear();
    list.view.Columns().GetItem(1)->SetWidth(90);
    EXPECT_EQ(list.events, QStringList{"width 1=90"});
}

TEST(SortListViewWidths, pressAndReleaseOnADividerIsADragWithoutChange)
{
    SortList list;
    ASSERT_TRUE(list.shown);
    list.dragDivider(2, {});
    EXPECT_EQ(list.events, QStringList{"up 2"});
}

TEST(SortListViewWidths, refusedWidthChangeIsUndone)
{
    SortList list;
    ASSERT_TRUE(list.shown);
    int asked = -1;
    list.view.OnColumnWidthChanging = [&](QObject *, TTntListColumn *column, int width, bool &allowChange) {
        asked = width;
        EXPECT_EQ(column->Width(), 120); // still the old width while asking
        allowChange = false;
    };
    list.view.Columns().GetItem(1)->SetWidth(200);
    EXPECT_EQ(asked, 200);
    EXPECT_EQ(list.view.Columns().GetItem(1)->Width(), 120);
    EXPECT_EQ(list.header()->sectionSize(1), 120);
    EXPECT_TRUE(list.events.isEmpty());
}

TEST(SortListViewWidths, allowedWidthChangeByCodeIsReported)
{
    SortList list;
    list.view.OnColumnWidthChanging = [](QObject *, TTntListColumn *, int, bool &) {};
    list.view.Columns().GetItem(2)->SetWidth(64);
    EXPECT_EQ(list.header()->sectionSize(2), 64);
    EXPECT_EQ(list.events, QStringList{"width 2=64"});
}

TEST(SortListViewWidths, dividerDoubleClickIsTheOwnersAndDoesNotAutoSize)
{
    SortList list;
    ASSERT_TRUE(list.shown);
    list.view.Items().Add()->SetCaption(QStringLiteral("とても長い名前の行がここにあります"));
    list.events.clear();
    QTest::mouseDClick(list.headerViewport(), Qt::LeftButton, {}, list.divider(0));
    EXPECT_TRUE(list.events.contains(QStringLiteral("dblclick 0")));
    EXPECT_EQ(list.view.Columns().GetItem(0)->Width(), 120);
    EXPECT_EQ(list.header()->sectionSize(0), 120);
}

// ---- Both names, one control ---------------------------------------------------------

TEST(SortListView, theByteTextNameBehavesLikeTheWideOne)
{
    TSortListView view;
    view.Columns().Add();
    view.Columns().Add();
    QStringList events;
    view.OnSortChange = [&](QObject *, int oldIndex, int newIndex) {
        events.append(QStringLiteral("%1>%2").arg(oldIndex).arg(newIndex));
    };
    view.SetSortIndex(1);
    view.SetSortDir(sdDesc);
    EXPECT_EQ(events, (QStringList{"0>1", "1>1"}));
    EXPECT_EQ(view.header()->sortIndicatorSection(), 1);
}

TEST(SortListViewScreenshot, japaneseRowsWithADescendingArrow)
{
    SortList list;
    ASSERT_TRUE(list.shown);
    const QStringList rows[] = {{"山田 太郎", "03-1234-5678", "東京都千代田区"},
                                {"鈴木 花子", "06-9876-5432", "大阪府大阪市北区"},
                                {"髙橋 一郎", "011-222-3333", "北海道札幌市中央区"}};
    for (const QStringList &row : rows) {
        TTntListItem *item = list.view.Items().Add();
        item->SetCaption(row[0]);
        item->SubItems().Add(row[1]);
        item->SubItems().Add(row[2]);
    }
    list.view.Columns().GetItem(2)->SetWidth(170);
    list.clickHeader(1);
    list.clickHeader(1);
    ASSERT_EQ(list.arrow(), std::make_optional(std::make_pair(1, Qt::DescendingOrder)));
    EXPECT_FALSE(saveScreenshot(&list.view, QStringLiteral("TntSortListView")).isEmpty());
}

} // namespace
