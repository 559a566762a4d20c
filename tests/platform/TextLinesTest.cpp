#include "platform/TextLines.h"

#include <gtest/gtest.h>

#include <vector>

struct TrimCase
{
    const char *input;
    const char *expected;
};

class TrimBlanksBytes : public ::testing::TestWithParam<TrimCase> {};

TEST_P(TrimBlanksBytes, dropsControlBytesAndSpacesAtBothEndsOnly)
{
    const QByteArray input(GetParam().input);
    EXPECT_EQ(TrimBlanks(QByteArrayView(input)).toByteArray(), QByteArray(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(TextLines, TrimBlanksBytes,
                         ::testing::Values(TrimCase{"", ""}, TrimCase{" \t\r\n", ""}, TrimCase{" a b ", "a b"},
                                           // CP932 ideographic space (81 40) is a value, not a blank.
                                           TrimCase{"\x20\x81\x40\x20", "\x81\x40"},
                                           TrimCase{"\x01\x82\xA0\x7F", "\x82\xA0\x7F"}));

TEST(TextLines, wideTrimKeepsIdeographicSpace)
{
    EXPECT_EQ(TrimBlanks(u" \u3000名前\u3000\t"), QStringLiteral("\u3000名前\u3000"));
}

namespace {

struct MemoLinesCase {
    const char *name;
    const char16_t *text;
    std::vector<const char16_t *> lines;
};

void PrintTo(const MemoLinesCase &c, std::ostream *os)
{
    *os << c.name;
}

class MemoLines : public ::testing::TestWithParam<MemoLinesCase>
{
};

TEST_P(MemoLines, splitsAtEveryBreakAndKeepsAnEmptyLastLine)
{
    QStringList expected;
    for (const char16_t *line : GetParam().lines)
        expected << QString::fromUtf16(line);
    EXPECT_EQ(SplitMemoLines(QString::fromUtf16(GetParam().text)), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MemoLines,
    ::testing::Values(MemoLinesCase{"emptyTextHasNoLines", u"", {}},
                      MemoLinesCase{"oneLine", u"一行目", {u"一行目"}},
                      MemoLinesCase{"twoLines", u"a\r\nb", {u"a", u"b"}},
                      MemoLinesCase{"breakAtTheEndEndsAnEmptyLine", u"a\r\n", {u"a", u""}},
                      MemoLinesCase{"oneBreakAloneIsTwoEmptyLines", u"\r\n", {u"", u""}},
                      MemoLinesCase{"emptyLinesInsideAndAtTheEnds", u"\r\na\r\n\r\nb\r\n", {u"", u"a", u"", u"b", u""}},
                      MemoLinesCase{"lineFeedAlone", u"a\nb\n", {u"a", u"b", u""}},
                      MemoLinesCase{"carriageReturnAlone", u"a\rb\r", {u"a", u"b", u""}},
                      MemoLinesCase{"blanksAndTabsStay", u" \t \r\n\t", {u" \t ", u"\t"}}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
