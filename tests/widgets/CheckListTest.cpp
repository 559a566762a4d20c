#include "support/RowName.h"
#include "widgets/CheckList.h"

#include <QListWidget>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

namespace {

struct Row { int Id = 0; bool On = false; };
using Rows = std::array<Row, 6>;

// Rows 0..5 captioned "r0".."r5", every other one checked, with records
// carrying the same numbers.
class CheckListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (int i = 0; i < 6; ++i) {
            records[static_cast<std::size_t>(i)] = {i, i % 2 == 0};
            AddCheckRow(&list, QStringLiteral("r%1").arg(i), i % 2 == 0);
        }
    }
    // The captions' numbers and the records' Ids, in list order.
    std::string captions() const
    {
        std::string s;
        for (int row = 0; row < list.count(); ++row)
            s += list.item(row)->text().mid(1).toStdString();
        return s;
    }
    std::string ids() const
    {
        std::string s;
        for (const Row &r : records)
            s += std::to_string(r.Id);
        return s;
    }

    QListWidget list;
    Rows records{};
};

// row: current row before the move, -1 for none; order: captions and records afterwards; current: row afterwards.
struct Move { const char *name; int row, target; const char *order; int current; };
class CheckListMove : public CheckListTest, public ::testing::WithParamInterface<Move> {};

TEST_P(CheckListMove, carriesTheRecordWithItsRow)
{
    const Move &m = GetParam();
    if (m.row >= 0)
        list.setCurrentRow(m.row);
    MoveCurrentCheckRow(&list, records, m.target);
    EXPECT_EQ(captions(), m.order);
    EXPECT_EQ(ids(), m.order);
    EXPECT_EQ(list.currentRow(), m.current);
    if (m.current >= 0) {
        EXPECT_TRUE(list.item(m.current)->isSelected());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CheckListMove,
    ::testing::Values(Move{"up", 3, 2, "013245", 2}, Move{"toBottom", 1, 5, "023451", 5},
                      Move{"firstUpStays", 0, -1, "012345", 0}, Move{"lastDownStays", 5, 6, "012345", 5},
                      Move{"noCurrentRowMovesNothing", -1, 0, "012345", -1}),
    rowName);

TEST_F(CheckListTest, checkMarksGoToTheRecordsInListOrder)
{
    list.setCurrentRow(0);
    MoveCurrentCheckRow(&list, records, 5);
    list.item(0)->setCheckState(Qt::Checked); // r1
    TakeCheckMarks(&list, records, &Row::On);
    const std::array<bool, 6> expected{true, true, false, true, false, true}; // r1 r2 r3 r4 r5 r0
    for (std::size_t i = 0; i < records.size(); ++i)
        EXPECT_EQ(records[i].On, expected[i]) << "row " << i;
}

TEST_F(CheckListTest, anyRowCheckedUntilTheLastIsCleared)
{
    EXPECT_TRUE(AnyRowChecked(&list));
    for (int row = 0; row < list.count(); ++row)
        list.item(row)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(AnyRowChecked(&list));
    EXPECT_FALSE(AnyRowChecked(std::make_unique<QListWidget>().get()));
}

} // namespace
