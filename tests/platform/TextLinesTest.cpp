#include "platform/TextLines.h"

#include <gtest/gtest.h>

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
