#include "exchange/CsvFields.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

namespace {

QByteArray sj(const char16_t *text)
{
    return Cp932::encode(QStringView(text));
}

// A field written between two others reads back as itself, enclosed or not.
struct FieldCase {
    const char *name;
    QByteArray text;
    QByteArray written; // as a line carries it when not asked to enclose it
};

void PrintTo(const FieldCase &c, std::ostream *os)
{
    *os << c.name;
}

class CsvFieldRoundTrip : public ::testing::TestWithParam<FieldCase>
{
};

TEST_P(CsvFieldRoundTrip, isWrittenByTheRuleAndReadsBackAsItself)
{
    const FieldCase &c = GetParam();
    EXPECT_EQ(CsvField(c.text, false), c.written);
    for (const bool enclose : {false, true}) {
        const QByteArray line = "a," + CsvField(c.text, enclose) + ",b";
        ASSERT_EQ(CountCsvFields(line), 2) << line.toStdString();
        const QList<QByteArray> parts = SplitCsvLine(line, 3, true);
        EXPECT_EQ(parts, (QList<QByteArray>{"a", c.text, "b"})) << line.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fields, CsvFieldRoundTrip,
    ::testing::Values(FieldCase{"plainAsItIs", sj(u"趣味"), sj(u"趣味")}, FieldCase{"emptyAsItIs", "", ""},
                      FieldCase{"blanksAtTheEndsAsTheyAre", " x ", " x "},
                      FieldCase{"commaEnclosed", sj(u"友人,知人"), sj(u"\"友人,知人\"")},
                      FieldCase{"quoteDoubled", "a\"b", "\"a\"\"b\""},
                      FieldCase{"quotedTextKeepsItsQuotes", "\"q\"", "\"\"\"q\"\"\""},
                      FieldCase{"onlyAQuote", "\"", "\"\"\"\""},
                      FieldCase{"twoQuotes", "\"\"", "\"\"\"\"\"\""},
                      FieldCase{"quoteThenComma", "\",", "\"\"\",\""},
                      // 表 and ソ end in 0x5C; neither byte is a separator.
                      FieldCase{"doubleByteCharacters", sj(u"表,ソ\""), sj(u"\"表,ソ\"\"\"")}),
    [](const auto &info) { return std::string(info.param.name); });

// Files written before inner quotes were doubled read as they always did.
struct OldFieldCase {
    const char *name;
    QByteArray field;
    QByteArray text;
};

void PrintTo(const OldFieldCase &c, std::ostream *os)
{
    *os << c.name;
}

class OldQuotedField : public ::testing::TestWithParam<OldFieldCase>
{
};

TEST_P(OldQuotedField, readsAsItAlwaysDid)
{
    EXPECT_EQ(CsvFieldText(GetParam().field), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Fields, OldQuotedField,
                         ::testing::Values(OldFieldCase{"enclosedLosesItsQuotes", "\"abc\"", "abc"},
                                           OldFieldCase{"loneInnerQuotesStay", "\"say \"hi\" now\"", "say \"hi\" now"},
                                           OldFieldCase{"notEnclosedAsItIs", "a\"\"b", "a\"\"b"},
                                           OldFieldCase{"quoteOnlyAtTheStart", "\"abc", "\"abc"},
                                           OldFieldCase{"singleQuote", "\"", "\""},
                                           OldFieldCase{"emptyEnclosed", "\"\"", ""}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
