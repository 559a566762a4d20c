#include "items/TextMetrics.h"

#include <QList>
#include <QString>

#include <gtest/gtest.h>

namespace {

// How many cells a text takes on a layout's grid, and which of its UTF-16
// units advance the pen.
struct CellCase {
    const char *name;
    const char16_t *text;
    int cells;
    QList<int> advances; // with a step of 10
};

class Cells : public ::testing::TestWithParam<CellCase>
{
};

TEST_P(Cells, aCharacterTakesOneCellWhateverItsUnits)
{
    const QString text = QString::fromUtf16(GetParam().text);
    EXPECT_EQ(CellCount(text), GetParam().cells);
    EXPECT_EQ(CellAdvances(text, 10), GetParam().advances);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Cells,
    ::testing::Values(CellCase{"empty", u"", 0, {}},
                      CellCase{"bmpName", u"吉郎", 2, {10, 10}},
                      // 𠮷 (U+20BB7) is a surrogate pair: one cell, its second unit no step.
                      CellCase{"pairInName", u"𠮷郎", 2, {10, 0, 10}},
                      CellCase{"pairLast", u"郎𠮷", 2, {10, 10, 0}},
                      CellCase{"twoPairs", u"𠮷𠮷", 2, {10, 0, 10, 0}},
                      // A lone surrogate (broken text) still takes its cell.
                      CellCase{"loneHighSurrogate", u"\xD842郎", 2, {10, 10}},
                      // A decomposed voiced mark joins the kana before it.
                      CellCase{"joiningMark", u"か\x3099き", 2, {10, 0, 10}},
                      CellCase{"variationSelector", u"葛\xDB40\xDD00城", 2, {10, 0, 0, 10}},
                      // Leading a text, a mark has nothing to join: its own cell.
                      CellCase{"leadingMark", u"\x3099か", 2, {10, 10}}),
    [](const ::testing::TestParamInfo<CellCase> &Info) { return std::string(Info.param.name); });

} // namespace
