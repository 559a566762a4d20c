#include "links/RouteWindowsCommon.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTreeWidget>
#include <QWidget>

#include <memory>

#include <gtest/gtest.h>

namespace {

TEST(RouteWindowsCommon, startRowIsKeptWhileNoStationIsNamed)
{
    QWidget parent;
    const TStartBox start = MakeStartBox(&parent, {QStringLiteral("駅名")}, {160});
    ShowStartRow(start.List, {QStringLiteral("東京")});
    ShowStartRow(start.List, {QString()});
    ASSERT_EQ(start.List->topLevelItemCount(), 1);
    EXPECT_EQ(start.List->topLevelItem(0)->text(0), QStringLiteral("東京"));
    ShowStartRow(start.List, {QStringLiteral("品川")});
    ASSERT_EQ(start.List->topLevelItemCount(), 1);
    EXPECT_EQ(start.List->topLevelItem(0)->text(0), QStringLiteral("品川"));
    EXPECT_EQ(SelectedStationRow(start.List), 0);
}

TEST(RouteWindowsCommon, aCurrentRowThatIsNotSelectedCountsAsNone)
{
    QWidget parent;
    QTreeWidget *list = MakeStationList(&parent, "lvNear", {QStringLiteral("駅名")}, {160});
    for (const char *name : {"A", "B"})
        list->addTopLevelItem(new QTreeWidgetItem({QString::fromLatin1(name)}));
    list->setCurrentItem(list->topLevelItem(1));
    EXPECT_EQ(SelectedStationRow(list), 1);
    list->topLevelItem(1)->setSelected(false);
    EXPECT_EQ(SelectedStationRow(list), -1);
}

TEST(RouteWindowsCommon, dialogButtonsAreNamedAndNeverDefault)
{
    QWidget dialog;
    QPushButton *ok = nullptr;
    QPushButton *cancel = nullptr;
    std::unique_ptr<QHBoxLayout> row(MakeOkCancelRow(&dialog, ok, cancel));
    ASSERT_TRUE(ok && cancel);
    EXPECT_EQ(ok->objectName(), QStringLiteral("btnOK"));
    EXPECT_EQ(cancel->objectName(), QStringLiteral("btnCancel"));
    EXPECT_FALSE(ok->autoDefault());
    EXPECT_FALSE(cancel->autoDefault());
    EXPECT_EQ(row->indexOf(ok) + 1, row->indexOf(cancel));
}

} // namespace
