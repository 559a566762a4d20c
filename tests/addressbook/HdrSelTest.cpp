#include "addressbook/HdrSel.h"

#include "core/Env.h"
#include "core/Inquiry.h"
#include "platform/Colors.h"
#include "support/Screenshot.h"
#include "support/ScriptedMessageBoxes.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <ostream>

namespace {

// The catalogue's records with widths of their own (10 × row + 7), so a
// test sees whether widths travel with their records.
TColumnRecords markedRecords()
{
    TColumnRecords records = DefaultColumnRecords();
    for (TColumnRecord &r : records)
        r.Width = 10 * r.DefIndex + 7;
    return records;
}

class HeaderSelectTest : public ::testing::Test
{
protected:
    void SetUp() override { m_savedNames = KeywordNames; }
    void TearDown() override
    {
        m_dialog.reset();
        KeywordNames = m_savedNames;
    }
    void open(const TColumnRecords &records)
    {
        m_dialog = std::make_unique<THeaderSelect>();
        m_dialog->SetColumns(records);
        m_dialog->show();
        QApplication::setActiveWindow(m_dialog.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
    }
    QListWidget *list() const { return m_dialog->findChild<QListWidget *>("lvHeader"); }
    void click(const char *name) const
    {
        QTest::mouseClick(m_dialog->findChild<QPushButton *>(name), Qt::LeftButton);
    }
    // Focuses row `row` with the keyboard, as a user would.
    void focusRow(int row) const
    {
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_Home);
        for (int i = 0; i < row; ++i)
            QTest::keyClick(list(), Qt::Key_Down);
        ASSERT_EQ(list()->currentRow(), row);
    }
    TColumnRecords result() const
    {
        TColumnRecords records{};
        m_dialog->GetColumns(records);
        return records;
    }

    std::array<QString, KeywordCount + 1> m_savedNames;
    ScriptedMessageBoxes m_boxes;
    std::unique_ptr<THeaderSelect> m_dialog;
};

TEST_F(HeaderSelectTest, listsCaptionsWithKeywordNamesAndShownFlags)
{
    KeywordNames[1] = QStringLiteral("趣味");
    open(markedRecords());
    EXPECT_EQ(m_dialog->windowTitle(), QStringLiteral("表示項目の設定"));
    ASSERT_EQ(list()->count(), ListColumnCount);
    EXPECT_EQ(list()->item(17)->text(), QStringLiteral("名前"));
    EXPECT_EQ(list()->item(27)->text(), QStringLiteral("趣味"));
    EXPECT_EQ(list()->currentRow(), 0);
    EXPECT_TRUE(list()->item(0)->isSelected());
    for (int row = 0; row < ListColumnCount; ++row) {
        const bool shown = AddressListColumns[static_cast<std::size_t>(row)].Shown;
        EXPECT_EQ(list()->item(row)->checkState() == Qt::Checked, shown) << row;
        // checked captions are drawn blue
        EXPECT_EQ(list()->item(row)->foreground().color() == ColorToQColor(clBlue), shown) << row;
    }
    EXPECT_EQ(result(), markedRecords());
    saveScreenshot(m_dialog.get(), QStringLiteral("HeaderSelect"));
}

struct Moved {
    const char *name;
    int row;
    const char *button;
    int target;
};
void PrintTo(const Moved &m, std::ostream *os) { *os << m.name; }
class MoveRow : public HeaderSelectTest, public ::testing::WithParamInterface<Moved>
{
};

TEST_P(MoveRow, carriesCaptionCheckMarkAndRecordAlong)
{
    const Moved &m = GetParam();
    open(markedRecords());
    const QString caption = list()->item(m.row)->text();
    focusRow(m.row);
    click(m.button);
    EXPECT_EQ(list()->currentRow(), m.target);
    EXPECT_TRUE(list()->item(m.target)->isSelected());
    EXPECT_EQ(list()->item(m.target)->text(), caption);

    TColumnRecords expected = markedRecords();
    auto first = expected.begin();
    if (m.target < m.row)
        std::rotate(first + m.target, first + m.row, first + m.row + 1);
    else
        std::rotate(first + m.row, first + m.row + 1, first + m.target + 1);
    EXPECT_EQ(result(), expected);
}

INSTANTIATE_TEST_SUITE_P(Table, MoveRow,
                         ::testing::Values(Moved{"up", 3, "bbtnUp", 2}, Moved{"toTop", 17, "bbtnTop", 0},
                                           Moved{"down", 3, "bbtnDown", 4},
                                           Moved{"toBottom", 10, "bbtnBottom", ListColumnCount - 1}),
                         [](const ::testing::TestParamInfo<Moved> &info) { return std::string(info.param.name); });

TEST_F(HeaderSelectTest, doubleClickTogglesTheRow)
{
    open(markedRecords());
    QListWidgetItem *item = list()->item(2); // 顧客コード, hidden by default
    const QPoint centre = list()->visualItemRect(item).center();
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, centre);
    EXPECT_EQ(item->checkState(), Qt::Checked);
    EXPECT_EQ(item->foreground().color(), ColorToQColor(clBlue));
    EXPECT_TRUE(result()[2].Shown);
    QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, centre);
    EXPECT_EQ(item->checkState(), Qt::Unchecked);
}

TEST_F(HeaderSelectTest, okWithNoRowCheckedIsRefused)
{
    TColumnRecords records = markedRecords();
    for (TColumnRecord &r : records)
        r.Shown = false;
    records[0].Shown = true;
    records[1].Shown = true;
    open(records);
    focusRow(0);
    QTest::keyClick(list(), Qt::Key_Space);
    QTest::keyClick(list(), Qt::Key_Down);
    QTest::keyClick(list(), Qt::Key_Space);
    ASSERT_EQ(list()->item(1)->checkState(), Qt::Unchecked);
    click("btnOk");
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_EQ(m_boxes.last().text, QStringLiteral("表示する項目は１つ以上選択してください  "));
    EXPECT_EQ(m_boxes.last().flags, 0x40u);
    EXPECT_EQ(m_boxes.last().caption, QStringLiteral("ピルカノス2014"));
    EXPECT_EQ(m_boxes.last().owner, m_dialog.get());
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), list());
}

TEST_F(HeaderSelectTest, showAllChecksEveryRowAndOkAccepts)
{
    open(markedRecords());
    click("bbtnAll");
    click("btnOk");
    EXPECT_EQ(m_boxes.count(), 0);
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    const TColumnRecords records = result();
    EXPECT_TRUE(std::all_of(records.begin(), records.end(), [](const TColumnRecord &r) { return r.Shown; }));
}

TEST_F(HeaderSelectTest, restoringShownSetAndOrderKeepsTheWidths)
{
    // A user's order (reversed), everything shown.
    TColumnRecords records = markedRecords();
    std::reverse(records.begin(), records.end());
    for (TColumnRecord &r : records)
        r.Shown = true;
    open(records);
    focusRow(5);
    click("bbtnReView");
    click("bbtnReSort");
    EXPECT_EQ(list()->currentRow(), 0);
    EXPECT_EQ(list()->item(0)->text(), QStringLiteral("No."));
    TColumnRecords expected = markedRecords(); // default order and shown set, own widths
    EXPECT_EQ(result(), expected);
}

TEST_F(HeaderSelectTest, enterInTheListMovesToOk)
{
    open(markedRecords());
    focusRow(1);
    QTest::keyClick(list(), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), m_dialog->findChild<QPushButton *>("btnOk"));
    EXPECT_TRUE(m_dialog->isVisible());
}

} // namespace
