#include "support/RowName.h"
#include "widgets/SortListView.h"
#include "widgets/TntSortListView.h"

#include <QHeaderView>
#include <QTest>

#include <gtest/gtest.h>

#include <utility>

namespace {

using enum TSortDir;

// A shown sortable list with three columns 120 wide and a record of its events.
struct SortList {
    SortList()
    {
        for (const QString &caption : {QStringLiteral("名前"), QStringLiteral("電話番号"), QStringLiteral("住所")}) {
            TTntListColumn *column = view.Columns().Add();
            column->SetCaption(caption);
            column->SetWidth(120);
        }
        view.OnColumnClick = [this](QObject *, TTntListColumn *column) {
            events << QStringLiteral("click %1").arg(column->Index());
        };
        view.OnSortChange = [this](QObject *, int from, int to) {
            events << QStringLiteral("sort %1>%2").arg(from).arg(to);
        };
        view.resize(420, 200);
        view.show();
        shown = QTest::qWaitForWindowExposed(&view);
    }

    QHeaderView *header() const { return view.header(); }
    void clickHeader(int column) const
    {
        const QPoint at(header()->sectionViewportPosition(column) + header()->sectionSize(column) / 2,
                        header()->height() / 2);
        QTest::mouseClick(header()->viewport(), Qt::LeftButton, {}, at);
    }
    // The arrow as the header shows it: "<section> asc|desc", or "none".
    QString arrow() const
    {
        if (!header()->isSortIndicatorShown())
            return QStringLiteral("none");
        return QStringLiteral("%1 %2").arg(header()->sortIndicatorSection())
            .arg(QLatin1String(header()->sortIndicatorOrder() == Qt::AscendingOrder ? "asc" : "desc"));
    }
    QString takeEvents() { return std::exchange(events, {}).join(QStringLiteral(", ")); }

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
    const char *events;              // sort and click events of all clicks
    const char *arrow;               // after the last click
};

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
    EXPECT_EQ(list.takeEvents(), QString::fromUtf8(c.events));
    EXPECT_EQ(list.arrow(), QString::fromUtf8(c.arrow));
}

INSTANTIATE_TEST_SUITE_P(
    Table, HeaderClicks,
    ::testing::Values(
        ClickCase{"ascDescAlternatesAndNeverReachesNone", {sdAsc, sdDesc}, {0, 0, 0}, {sdDesc, sdAsc, sdDesc}, 0,
                  "sort 0>0, click 0, sort 0>0, click 0, sort 0>0, click 0", "0 desc"},
        ClickCase{"allThreeReachNoneWithoutArrow", {sdAsc, sdDesc, sdNone}, {0, 0}, {sdDesc, sdNone}, 0,
                  "sort 0>0, click 0, sort 0>0, click 0", "none"},
        // The header flips its own indicator on a click; the control puts it back when the direction stays.
        ClickCase{"ascOnlySameColumnKeepsItsArrow", {sdAsc}, {0}, {sdAsc}, 0, "click 0", "0 asc"}),
    rowName);

} // namespace
