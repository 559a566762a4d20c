#include "addressbook/CopyItemSet.h"

#include "core/Inquiry.h"
#include "support/ScriptedMessageBoxes.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <ostream>

void PrintTo(const TCopyItemEntry &e, std::ostream *os) { *os << e.Id << '/' << e.Position << (e.Copy ? "+" : "-"); }

namespace {

// Items in reverse item-number order, identifiers of their own (100 + n),
// every third one not copied.
TCopyItemEntries reversedItems()
{
    TCopyItemEntries items{};
    for (int row = 0; row < 54; ++row) {
        const int n = 53 - row;
        items[static_cast<std::size_t>(row)] = {100 + n, n, n % 3 != 0};
    }
    return items;
}

// Element by element, so a failure names the row.
void expectItems(const TCopyItemEntries &actual, const TCopyItemEntries &expected)
{
    for (std::size_t row = 0; row < actual.size(); ++row)
        EXPECT_EQ(actual[row], expected[row]) << "row " << row;
}

class CopyItemSetTest : public ::testing::Test
{
protected:
    void open(const TCopyItemEntries &items, bool lastReturn = false)
    {
        dialog = std::make_unique<TCopyItemSet>(nullptr);
        dialog->SetItems(items, lastReturn);
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    }
    QListWidget *list() const { return dialog->findChild<QListWidget *>("lvCopyItem"); }
    void click(const char *name) const { QTest::mouseClick(dialog->findChild<QPushButton *>(name), Qt::LeftButton); }
    void focusRow(int row) const
    {
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_Home);
        for (int i = 0; i < row; ++i)
            QTest::keyClick(list(), Qt::Key_Down);
        ASSERT_EQ(list()->currentRow(), row);
    }
    void doubleClickRow(int row) const
    {
        QCoreApplication::processEvents(); // the list lays out and scrolls after a move
        const QPoint at = list()->visualItemRect(list()->item(row)).center();
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, at);
    }
    TCopyItemEntries result(bool *last = nullptr) const
    {
        TCopyItemEntries items{};
        bool flag = false;
        dialog->GetItems(items, flag);
        if (last)
            *last = flag;
        return items;
    }

    ScriptedMessageBoxes boxes;
    std::unique_ptr<TCopyItemSet> dialog;
};

TEST_F(CopyItemSetTest, getItemsGivesTheOnScreenOrderWithTheCheckMarksShown)
{
    open(reversedItems());
    focusRow(1);
    click("bbtnDown");
    doubleClickRow(5); // item 48 was copied
    TCopyItemEntries expected = reversedItems();
    std::swap(expected[1], expected[2]);
    expected[5].Copy = false;
    EXPECT_EQ(list()->item(2)->text(), QStringLiteral("更新日付"));
    expectItems(result(), expected);
}

TEST_F(CopyItemSetTest, lastRowToTopThenReSortRestoresItemOrderWithCheckMarks)
{
    open(reversedItems());
    focusRow(53);
    click("bbtnTop");
    EXPECT_EQ(list()->item(0)->text(), QStringLiteral("グループ"));
    EXPECT_EQ(list()->currentRow(), 0);

    click("bbtnReSort");
    TCopyItemEntries expected = reversedItems();
    std::reverse(expected.begin(), expected.end());
    expectItems(result(), expected);
    EXPECT_EQ(list()->item(0)->text(), QStringLiteral("グループ"));
    EXPECT_EQ(list()->currentRow(), 0);
}

TEST_F(CopyItemSetTest, okWithNothingCheckedKeepsTheDialogUntilAllAreChecked)
{
    TCopyItemEntries items = reversedItems();
    for (TCopyItemEntry &item : items)
        item.Copy = false;
    open(items);
    click("btnOk");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("コピーする項目は１つ以上選択してください  "));
    EXPECT_TRUE(dialog->isVisible());

    click("bbtnAll");
    click("btnOk");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    const TCopyItemEntries all = result();
    EXPECT_TRUE(std::all_of(all.begin(), all.end(), [](const TCopyItemEntry &e) { return e.Copy; }));
}

} // namespace
