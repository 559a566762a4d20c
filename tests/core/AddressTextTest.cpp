#include "core/AddressText.h"
#include "core/AppSub.h"
#include "core/Inquiry.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// One stored field of a record and the text it leaves the store as.
struct TextCase {
    const char *name;
    std::function<void(TAddressData &, const QByteArray &)> store;
    QByteArray stored;
    std::function<QString(const TAddressText &)> read;
    const char16_t *expected;
};

QByteArray wide(const char16_t *Text)
{
    return EncodeUnicodeField(QString::fromUtf16(Text));
}

QByteArray sj(const char16_t *Text)
{
    return Cp932::encode(QString::fromUtf16(Text));
}

class AddressTextField : public ::testing::TestWithParam<TextCase>
{
};

TEST_P(AddressTextField, leavesTheStoreDecoded)
{
    const TextCase &c = GetParam();
    TAddressData record;
    c.store(record, c.stored);
    EXPECT_EQ(c.read(AddressTextOf(record)), QString::fromUtf16(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    AddressText, AddressTextField,
    ::testing::Values(
        // The record form stores names in the "@" form, whatever they hold.
        TextCase{"nameInWideForm", [](TAddressData &r, const QByteArray &b) { r.NameKanji = b; },
                 wide(u"山田 太郎"), [](const TAddressText &t) { return t.NameKanji; }, u"山田 太郎"},
        // A character CP932 lacks survives only in that form.
        TextCase{"nameOutsideShiftJis", [](TAddressData &r, const QByteArray &b) { r.NameKanji = b; },
                 wide(u"𠮷野 髙子"), [](const TAddressText &t) { return t.NameKanji; }, u"𠮷野 髙子"},
        // An older version or an import may store a name as plain CP932.
        TextCase{"nameAsPlainShiftJis", [](TAddressData &r, const QByteArray &b) { r.NameKanji = b; },
                 sj(u"佐藤 花子 "), [](const TAddressText &t) { return t.NameKanji; }, u"佐藤 花子"},
        // The record form keeps the reading as half-width kana.
        TextCase{"readingInHalfWidthKana", [](TAddressData &r, const QByteArray &b) { r.NameKana = b; },
                 sj(u"ﾔﾏﾀﾞ ﾀﾛｳ"), [](const TAddressText &t) { return t.NameKana; }, u"ﾔﾏﾀﾞ ﾀﾛｳ"},
        TextCase{"firstJointName", [](TAddressData &r, const QByteArray &b) { r.Joint1 = b; }, wide(u"山田 花子"),
                 [](const TAddressText &t) { return t.Joint[0]; }, u"山田 花子"},
        TextCase{"lastJointName", [](TAddressData &r, const QByteArray &b) { r.Joint5 = b; }, wide(u"山田 一郎"),
                 [](const TAddressText &t) { return t.Joint[4]; }, u"山田 一郎"},
        TextCase{"jointHonorific", [](TAddressData &r, const QByteArray &b) { r.JointHonor5 = b; }, sj(u"ちゃん"),
                 [](const TAddressText &t) { return t.JointHonor[4]; }, u"ちゃん"},
        TextCase{"company", [](TAddressData &r, const QByteArray &b) { r.CorpKanji = b; }, sj(u"株式会社ピクス"),
                 [](const TAddressText &t) { return t.CorpKanji; }, u"株式会社ピクス"},
        // A company name that merely begins with "@" is no wide text.
        TextCase{"companyBeginningWithAtSign", [](TAddressData &r, const QByteArray &b) { r.CorpKanji = b; },
                 sj(u"@5C71商会"), [](const TAddressText &t) { return t.CorpKanji; }, u"@5C71商会"},
        TextCase{"address", [](TAddressData &r, const QByteArray &b) { r.Adrs3 = b; }, sj(u" ピクスビル３Ｆ "),
                 [](const TAddressText &t) { return t.Adrs3; }, u"ピクスビル３Ｆ"},
        TextCase{"lastKeyword", [](TAddressData &r, const QByteArray &b) { r.Keyword8 = b; }, sj(u"年賀"),
                 [](const TAddressText &t) { return t.Keyword[7]; }, u"年賀"}),
    [](const ::testing::TestParamInfo<TextCase> &info) { return std::string(info.param.name); });

// PrivCorp is read as the store, the record form, the import and the export
// mean it: true is 個人.
TEST(AddressText, privCorpTrueIsAPrivatePerson)
{
    TAddressData record;
    record.PrivCorp = true;
    EXPECT_FALSE(AddressTextOf(record).IsCompany());
    record.PrivCorp = false;
    EXPECT_TRUE(AddressTextOf(record).IsCompany());
}

TEST(AddressText, printMarksOfTheJointNamesKeepTheirPlaces)
{
    TAddressData record;
    record.JointPrint = true;
    record.JointPrint2 = true;
    record.JointPrint5 = true;
    const TAddressText text = AddressTextOf(record);
    EXPECT_TRUE(text.JointPrint);
    EXPECT_EQ(text.JointPrints, (std::array<bool, 5>{false, true, false, false, true}));
}

} // namespace
