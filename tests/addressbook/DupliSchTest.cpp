#include "addressbook/DupliSch.h"

#include "support/ScriptedMessageBoxes.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

namespace {

class DuplicateSearchTest : public ::testing::Test
{
protected:
    void open(int item1, int item2)
    {
        m_dialog = std::make_unique<TDuplicateSearch>();
        m_dialog->SetItems(item1, item2);
        m_dialog->show();
        QApplication::setActiveWindow(m_dialog.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
    }
    QComboBox *combo(const char *name) const { return m_dialog->findChild<QComboBox *>(name); }
    QPushButton *button(const char *name) const { return m_dialog->findChild<QPushButton *>(name); }
    // Chooses entry `index` the way a user does on a focused drop-down list.
    void choose(const char *name, int index) const
    {
        QComboBox *c = combo(name);
        c->setFocus();
        QTest::keyClick(c, Qt::Key_Home);
        for (int i = 0; i < index; ++i)
            QTest::keyClick(c, Qt::Key_Down);
        ASSERT_EQ(c->currentIndex(), index);
    }
    void click(const char *name) const { QTest::mouseClick(button(name), Qt::LeftButton); }

    ScriptedMessageBoxes m_boxes;
    std::unique_ptr<TDuplicateSearch> m_dialog;
};

class SameItemTwice : public DuplicateSearchTest, public ::testing::WithParamInterface<int>
{
};

TEST_P(SameItemTwice, isRefusedAndFocusesSecondItem)
{
    open(0, 0);
    choose("cbxItem1", GetParam() - 1);
    choose("cbxItem2", GetParam());
    click("btnView");
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_EQ(m_boxes.last().text, QStringLiteral("同じ項目を指定できません  "));
    EXPECT_EQ(m_boxes.last().owner, m_dialog.get());
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), combo("cbxItem2"));
}

INSTANTIATE_TEST_SUITE_P(Items, SameItemTwice, ::testing::Values(1, 4));

struct Choice {
    int item1, item2;         // given to SetItems
    int index1, index2;       // chosen in the combos
    int expected1, expected2; // GetItems after OK
};
void PrintTo(const Choice &c, std::ostream *os)
{
    *os << c.item1 << "," << c.item2 << " -> " << c.index1 << "," << c.index2;
}
class ChangedChoice : public DuplicateSearchTest, public ::testing::WithParamInterface<Choice>
{
};

TEST_P(ChangedChoice, viewClosesWithTheChosenItems)
{
    const Choice &c = GetParam();
    open(c.item1, c.item2);
    choose("cbxItem1", c.index1);
    choose("cbxItem2", c.index2);
    click("btnView");
    EXPECT_EQ(m_boxes.count(), 0);
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    int item1 = -1;
    int item2 = -1;
    m_dialog->GetItems(item1, item2);
    EXPECT_EQ(item1, c.expected1);
    EXPECT_EQ(item2, c.expected2);
}

INSTANTIATE_TEST_SUITE_P(Table, ChangedChoice,
                         ::testing::Values(Choice{0, 0, 0, 0, 1, 0},   // off -> telephone alone
                                           Choice{3, 0, 2, 1, 3, 1})); // only item 2 changed

TEST_F(DuplicateSearchTest, viewWithoutChangesActsAsCancel)
{
    open(2, 4);
    click("btnView");
    EXPECT_EQ(m_boxes.count(), 0);
    EXPECT_EQ(m_dialog->result(), QDialog::Rejected);
}

TEST_F(DuplicateSearchTest, clearGivesZeroItems)
{
    open(3, 1);
    click("btnClear");
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    int item1 = -1;
    int item2 = -1;
    m_dialog->GetItems(item1, item2);
    EXPECT_EQ(item1, 0);
    EXPECT_EQ(item2, 0);
}

} // namespace
