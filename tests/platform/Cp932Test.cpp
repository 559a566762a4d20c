#include "platform/Cp932.h"

#include <gtest/gtest.h>

namespace {

struct RoundTrip {
    const char16_t *text;
    const char *hex;
};

class Cp932RoundTrip : public ::testing::TestWithParam<RoundTrip>
{
};

TEST_P(Cp932RoundTrip, encodesToWindowsBytesAndBack)
{
    const QString text = QString::fromUtf16(GetParam().text);
    const QByteArray bytes = Cp932::encode(text);
    EXPECT_EQ(bytes.toHex(' '), QByteArray(GetParam().hex)) << text.toStdString();
    EXPECT_EQ(Cp932::decode(bytes), text);
    EXPECT_TRUE(Cp932::canEncode(text));
}

INSTANTIATE_TEST_SUITE_P(Table, Cp932RoundTrip,
                         ::testing::Values(RoundTrip{u"ABC", "41 42 43"},
                                           RoundTrip{u"①", "87 40"},       // NEC row 13
                                           RoundTrip{u"㈱", "87 8a"},
                                           RoundTrip{u"Ⅱ", "87 55"},
                                           RoundTrip{u"～", "81 60"},      // U+FF5E
                                           RoundTrip{u"－", "81 7c"},      // U+FF0D
                                           RoundTrip{u"髙", "fb fc"},      // IBM extension
                                           RoundTrip{u"ｶﾞ", "b6 de"},
                                           RoundTrip{u"表示", "95 5c 8e a6"},
                                           RoundTrip{u"\\", "5c"}));

TEST(Cp932, mapsLookAlikesAndReplacesUnknownCharacters)
{
    EXPECT_EQ(Cp932::encode(u"\u301C"), QByteArray("\x81\x60"));   // wave dash
    EXPECT_EQ(Cp932::encode(u"\u2212"), QByteArray("\x81\x7c"));   // minus sign
    EXPECT_EQ(Cp932::encode(u"a\u00E9b"), QByteArray("a?b"));      // é has no form
    EXPECT_EQ(Cp932::encode(u"x\U0001F600y"), QByteArray("x?y"));  // one '?' per code point
    EXPECT_FALSE(Cp932::canEncode(u"\u00E9"));
}

TEST(Cp932, positionAwareLeadBytes)
{
    // 表 is 95 5C: its trail byte 5C is not a lead byte. ソ is 83 5C. The trail
    // byte 0x81 of 乗 (8F E6)? Use 彁 (E0 40) preceded by ｱ.
    const QByteArray s = Cp932::encode(u"アイ");   // 83 41 83 43
    EXPECT_TRUE(Cp932::isLeadByteAt(s, 0));
    EXPECT_FALSE(Cp932::isLeadByteAt(s, 1));
    EXPECT_TRUE(Cp932::isTrailByteAt(s, 1));
    EXPECT_TRUE(Cp932::isLeadByteAt(s, 2));
    // A trail byte inside the lead range: ー is 81 5B, 牛 is 8B 8D: the 8D
    // second byte of 牛 lies in the lead range.
    const QByteArray t = Cp932::encode(u"牛A");
    ASSERT_EQ(t.size(), 3);
    EXPECT_TRUE(Cp932::isLeadByte(static_cast<unsigned char>(t[1])));
    EXPECT_FALSE(Cp932::isLeadByteAt(t, 1));
}

TEST(Cp932, truncationNeverSplitsACharacter)
{
    const QByteArray s = Cp932::encode(u"aあいb");   // 61 82 a0 82 a2 62
    EXPECT_EQ(Cp932::truncated(s, 2), QByteArray("a"));
    EXPECT_EQ(Cp932::truncated(s, 3), Cp932::encode(u"aあ"));
    EXPECT_EQ(Cp932::truncated(s, 100), s);
    EXPECT_EQ(Cp932::truncated(s, 0), QByteArray());
    EXPECT_EQ(Cp932::truncatedToBytes(u"aあいb", 4), QStringLiteral("aあ"));
    EXPECT_EQ(Cp932::byteLength(u"aあいb"), 6);
}

} // namespace

namespace {

TEST(Cp932, controlCharactersAndAsciiMapOntoThemselves)
{
    QByteArray all;
    for (int b = 0; b < 0x80; ++b)
        all += char(b);
    const QString wide = Cp932::decode(all);
    ASSERT_EQ(wide.size(), 0x80);
    for (int b = 0; b < 0x80; ++b)
        EXPECT_EQ(wide[b].unicode(), b);
    EXPECT_EQ(Cp932::encode(wide), all);
}

TEST(Cp932, halfWidthKatakanaAreSingleBytes)
{
    QByteArray kana;
    for (int b = 0xA1; b <= 0xDF; ++b)
        kana += char(b);
    const QString wide = Cp932::decode(kana);
    ASSERT_EQ(wide.size(), kana.size());
    EXPECT_EQ(wide.front(), QChar(0xFF61));
    EXPECT_EQ(wide.back(), QChar(0xFF9F));
    EXPECT_EQ(Cp932::encode(wide), kana);
}

TEST(Cp932, malformedBytesDecodeToReplacementCharacters)
{
    EXPECT_EQ(Cp932::decode(QByteArray("a\x82")), QString::fromUtf16(u"a\uFFFD"));          // lone lead at the end
    EXPECT_EQ(Cp932::decode(QByteArray("\x81\x20x")), QString::fromUtf16(u"\uFFFD x"));    // lead without trail
    EXPECT_EQ(Cp932::decode(QByteArray("\x80\xA0\xFD")), QString::fromUtf16(u"\uFFFD\uFFFD\uFFFD"));
    EXPECT_EQ(Cp932::decode(QByteArray("\x85\x40")), QString::fromUtf16(u"\uFFFD"));        // unassigned pair
}

} // namespace
