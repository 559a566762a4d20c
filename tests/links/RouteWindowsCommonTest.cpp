#include "links/RouteWindowsCommon.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <QVBoxLayout>
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

TEST(RouteWindowsCommon, dialogButtonsAreNamedAndOkIsTheDefault)
{
    QDialog dialog;
    QPushButton *ok = nullptr;
    QPushButton *cancel = nullptr;
    std::unique_ptr<QHBoxLayout> row(MakeOkCancelRow(&dialog, ok, cancel));
    ASSERT_TRUE(ok && cancel);
    EXPECT_EQ(ok->objectName(), QStringLiteral("btnOK"));
    EXPECT_EQ(cancel->objectName(), QStringLiteral("btnCancel"));
    EXPECT_TRUE(ok->isDefault());
    EXPECT_FALSE(cancel->isDefault());
    EXPECT_EQ(row->indexOf(ok) + 1, row->indexOf(cancel));
}

// The station pickers and the search conditions end their Enter walk on
// OK: Return there presses OK, and Return on Cancel presses Cancel, not OK.
TEST(RouteWindowsCommon, returnOnAFocusedDialogButtonPressesThatButton)
{
    for (const bool onOk : {true, false}) {
        QDialog dialog;
        QPushButton *ok = nullptr;
        QPushButton *cancel = nullptr;
        auto *layout = new QVBoxLayout(&dialog);
        layout->addWidget(new QLineEdit(&dialog));
        layout->addLayout(MakeOkCancelRow(&dialog, ok, cancel));
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &dialog; }));
        QSignalSpy okPressed(ok, &QPushButton::clicked);
        QSignalSpy cancelPressed(cancel, &QPushButton::clicked);
        QPushButton *target = onOk ? ok : cancel;
        target->setFocus(Qt::TabFocusReason);
        QTest::keyClick(target, Qt::Key_Return);
        EXPECT_EQ(okPressed.count(), onOk ? 1 : 0) << (onOk ? "OK" : "Cancel");
        EXPECT_EQ(cancelPressed.count(), onOk ? 0 : 1) << (onOk ? "OK" : "Cancel");
    }
}

} // namespace
