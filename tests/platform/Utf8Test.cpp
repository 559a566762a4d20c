#include "platform/Utf8.h"

#include "support/RowName.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct Utf8Case {
    const char *name;
    QByteArray bytes;
    bool whole;         // well-formed to its end
    const char16_t *cut; // the text where it may stop inside a character; null: not UTF-8 either way
};
void PrintTo(const Utf8Case &c, std::ostream *os) { *os << c.name; }

class Utf8Text : public ::testing::TestWithParam<Utf8Case>
{
};

TEST_P(Utf8Text, isWellFormedOnlyToTheEndOfACharacter)
{
    EXPECT_EQ(Utf8::isWellFormed(GetParam().bytes), GetParam().whole);
    EXPECT_EQ(Utf8::decode(GetParam().bytes, Utf8::TEnd::Whole).has_value(), GetParam().whole);
}

TEST_P(Utf8Text, leavesOutACharacterCutOffAtTheEnd)
{
    const std::optional<QString> text = Utf8::decode(GetParam().bytes, Utf8::TEnd::Cut);
    ASSERT_EQ(text.has_value(), GetParam().cut != nullptr);
    if (text) {
        EXPECT_EQ(*text, QString::fromUtf16(GetParam().cut));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Utf8Text,
    ::testing::Values(Utf8Case{"empty", QByteArray(), true, u""},
                      Utf8Case{"threeBytes", "\xE5\x8F\x8B", true, u"友"},
                      Utf8Case{"byteOrderMark", "\xEF\xBB\xBF" "a", true, u"a"},
                      Utf8Case{"lastCharacterCutAtTheEnd", "a\xE5\x8F", false, u"a"},
                      Utf8Case{"characterCutBeforeAnother", "\xE5\x8F" "a", false, nullptr},
                      Utf8Case{"loneContinuationByte", "\x80", false, nullptr},
                      Utf8Case{"overlongTwoBytes", "\xC0\x80", false, nullptr},
                      Utf8Case{"overlongThreeBytes", "\xE0\x9F\xBF", false, nullptr},
                      Utf8Case{"surrogate", "\xED\xA0\x80", false, nullptr},
                      Utf8Case{"lastCodePoint", "\xF4\x8F\xBF\xBF", true, u"\U0010FFFF"},
                      Utf8Case{"pastTheLastCodePoint", "\xF4\x90\x80\x80", false, nullptr}),
    rowName);

} // namespace
