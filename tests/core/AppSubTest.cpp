#include "core/AppSub.h"

#include "platform/Cp932.h"

#include <gtest/gtest.h>

namespace {

// The "@" form of a stored field and the text it stands for; `encoded`
// when writing the text gives that form again.
struct UnicodeFieldCase {
    const char *name;
    QByteArray stored;
    QString text;
    bool encoded = false;
};

class UnicodeField : public ::testing::TestWithParam<UnicodeFieldCase>
{
};

TEST_P(UnicodeField, readsEitherFormAndWritesOneUpperCaseGroupPerUtf16Unit)
{
    EXPECT_EQ(DecodeUnicodeField(GetParam().stored), GetParam().text);
    if (GetParam().encoded) {
        EXPECT_EQ(EncodeUnicodeField(GetParam().text), GetParam().stored);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnicodeField,
    ::testing::Values(
        UnicodeFieldCase{"hexLettersUpperCase", "@9AD9@FF76", QStringLiteral("髙ｶ"), true},
        // U+20BB7 (𠮷) is a surrogate pair: two groups.
        UnicodeFieldCase{"surrogatePair", "@D842@DFB7@91CE@5BB6", QString::fromUcs4(U"𠮷野家"), true},
        UnicodeFieldCase{"atSignItself", "@0040", QStringLiteral("@"), true},
        UnicodeFieldCase{"bytesBehindTheLastWholeGroupIgnored", "@3042@00", QStringLiteral("あ")},
        UnicodeFieldCase{"shortOfOneGroupIsEmpty", "@304", QString()},
        UnicodeFieldCase{"plainShiftJis", Cp932::encode(u"山田太郎"), QStringLiteral("山田太郎")},
        // A user who typed a value starting with "@" gets it back as typed.
        UnicodeFieldCase{"nonHexGroupIsPlainText", "@home", QStringLiteral("@home")},
        UnicodeFieldCase{"laterNonHexGroupIsPlainText", "@3042@00G1", QStringLiteral("@3042@00G1")},
        UnicodeFieldCase{"plainShiftJisAfterAt", QByteArray("@") + Cp932::encode(u"東京都"), QStringLiteral("@東京都")}),
    [](const auto &info) { return std::string(info.param.name); });

struct CopyCase {
    const char *name;
    QByteArray source;
    qsizetype n;
    QByteArray expected;
};

class CopyMbcsLeftTest : public ::testing::TestWithParam<CopyCase>
{
};

TEST_P(CopyMbcsLeftTest, neverSplitsADoubleByteCharacter)
{
    EXPECT_EQ(CopyMbcsLeft(GetParam().source, GetParam().n), GetParam().expected);
}

// "ABCDEFGHIJKLMNOPQRS" is 19 bytes, so "あ" occupies bytes 20 and 21.
const QByteArray nineteen = "ABCDEFGHIJKLMNOPQRS";
const QByteArray a = Cp932::encode(u"あ");
// "ソ" is 83 5C: its trail byte looks like an ASCII backslash.
const QByteArray so = Cp932::encode(u"ソソ");

INSTANTIATE_TEST_SUITE_P(
    Cases, CopyMbcsLeftTest,
    ::testing::Values(CopyCase{"leadByteAtTheCutDropsIt", nineteen + a + "X", 20, nineteen},
                      CopyCase{"cutAfterAWholeCharacter", nineteen + a + "X", 21, nineteen + a},
                      // Byte 2 is a trail byte (0x5C) and stays.
                      CopyCase{"trailByteAtTheCutKept", so, 2, so.left(2)},
                      CopyCase{"secondLeadByteDropped", so, 3, so.left(2)}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TruncMilliseconds, dropsTheMillisecondsOnTheSameDay)
{
    const QDateTime stamp(QDate(2013, 12, 31), QTime(23, 59, 59, 999));
    const QDateTime cut = TruncMilliseconds(stamp);
    EXPECT_EQ(cut, QDateTime(QDate(2013, 12, 31), QTime(23, 59, 59)));
    EXPECT_FALSE(TruncMilliseconds(QDateTime()).isValid());
}

} // namespace
