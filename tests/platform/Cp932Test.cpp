#include "platform/Cp932.h"

#include "support/Cp932Pairs.h"

#include <gtest/gtest.h>

namespace {

struct RoundTrip { const char16_t *text; const char *hex; };

class Cp932RoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(Cp932RoundTrip, encodesToWindowsBytesAndBack)
{
    const QString text = QString::fromUtf16(GetParam().text);
    const QByteArray bytes = Cp932::encode(text);
    EXPECT_EQ(bytes.toHex(' '), QByteArray(GetParam().hex)) << text.toStdString();
    EXPECT_EQ(Cp932::decode(bytes), text);
    EXPECT_TRUE(Cp932::canEncode(text));
    EXPECT_EQ(Cp932::byteLength(text), bytes.size());
}

// The first and last lead byte of both ranges, each with the trail bytes at
// the ends of its two ranges (40, 7E, 80, FC); 櫻 欅 檜 sit on the last lead
// byte of the first range, and a trail byte may itself lie in a lead range.
INSTANTIATE_TEST_SUITE_P(Table, Cp932RoundTrip,
                         ::testing::Values(RoundTrip{u"ABC", "41 42 43"}, RoundTrip{u"\\~", "5c 7e"},
                                           RoundTrip{u"　×÷◯", "81 40 81 7e 81 80 81 fc"},
                                           RoundTrip{u"檗毯麾滌", "9f 40 9f 7e 9f 80 9f fc"},
                                           RoundTrip{u"櫻欅檜", "9f 4e 9f 4f 9e 77"},
                                           RoundTrip{u"漾烝烙珱", "e0 40 e0 7e e0 80 e0 fc"},
                                           RoundTrip{u"◆燹", "81 9f e0 9f"},
                                           RoundTrip{u"髜黑髙", "fc 40 fc 4b fb fc"}, // IBM extension, last row
                                           RoundTrip{u"①㈱Ⅱ", "87 40 87 8a 87 55"},  // NEC row 13
                                           RoundTrip{u"～－", "81 60 81 7c"},         // U+FF5E, U+FF0D
                                           RoundTrip{u"ｶﾞ", "b6 de"}, RoundTrip{u"表示", "95 5c 8e a6"}));

TEST(Cp932, mapsLookAlikesAndReplacesUnknownCharacters)
{
    // Look-alikes of other Japanese code pages: wave dash, minus, double bar, em dash, ¢ £ ¬ ¥ ‾.
    EXPECT_EQ(Cp932::encode(u"\u301C\u2212\u2016\u2014\u00A2\u00A3\u00AC\u00A5\u203E").toHex(' '),
              QByteArray("81 60 81 7c 81 61 81 5c 81 91 81 92 81 ca 5c 7e"));
    EXPECT_EQ(Cp932::encode(u"a\u00E9b"), QByteArray("a?b"));                  // é has no form
    EXPECT_EQ(Cp932::encode(u"x\U0001F600y"), QByteArray("x?y"));              // one '?' per code point
    EXPECT_FALSE(Cp932::canEncode(u"\u00E9"));
    // A text ending in half a surrogate pair leaves nothing behind for the
    // next text, which converts cleanly.
    const char16_t lone[] = {u'漢', 0xD842};
    EXPECT_EQ(Cp932::encode(QStringView(lone, 2)).toHex(' '), QByteArray("8a bf 3f"));
    const char16_t lowFirst[] = {0xDFB7, u'字'};
    EXPECT_EQ(Cp932::encode(QStringView(lowFirst, 2)).toHex(' '), QByteArray("3f 8e 9a"));
    EXPECT_TRUE(Cp932::canEncode(u"漢字"));
}

// Bytes just outside the lead ranges are no lead bytes: each stands alone.
struct ByteCase { const char *bytes; const char16_t *text; };

class Cp932Decode : public ::testing::TestWithParam<ByteCase> {};

TEST_P(Cp932Decode, takesOnlyLeadBytesFollowedByTrailBytesAsPairs)
{
    EXPECT_EQ(Cp932::decode(QByteArray(GetParam().bytes)), QString::fromUtf16(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Table, Cp932Decode,
                         ::testing::Values(ByteCase{"\x80\x40", u"\uFFFD@"}, ByteCase{"\xA0\x40", u"\uFFFD@"},
                                           ByteCase{"\xDF\x40", u"\uFF9F@"}, ByteCase{"\xFD\x40", u"\uFFFD@"},
                                           ByteCase{"\x81\x3F", u"\uFFFD?"},  // below the trail range
                                           ByteCase{"\x9F\x7F", u"\uFFFD\x7F"}, // the gap in it
                                           ByteCase{"\xE0\xFD", u"\uFFFD\uFFFD"}, ByteCase{"a\x82", u"a\uFFFD"},
                                           ByteCase{"\x85\x40", u"\uFFFD"},  // unassigned pair
                                           ByteCase{"\xFC\xFC", u"\uFFFD"}));

// Cutting to a byte count never splits a pair, even when its trail byte lies
// in a lead range (◆ = 81 9F, 燹 = E0 9F, ≒ = 81 E0).
struct CutCase { const char16_t *text; int maxBytes; const char16_t *kept; };

class Cp932Cut : public ::testing::TestWithParam<CutCase> {};

TEST_P(Cp932Cut, keepsWholeCharactersOnly)
{
    const QString text = QString::fromUtf16(GetParam().text);
    const QString kept = QString::fromUtf16(GetParam().kept);
    EXPECT_EQ(Cp932::truncated(Cp932::encode(text), GetParam().maxBytes), Cp932::encode(kept));
    EXPECT_EQ(Cp932::truncatedToBytes(text, GetParam().maxBytes), kept);
}

INSTANTIATE_TEST_SUITE_P(Table, Cp932Cut,
                         ::testing::Values(CutCase{u"a櫻", 2, u"a"}, CutCase{u"a櫻", 3, u"a櫻"},
                                           CutCase{u"◆◆◆", 5, u"◆◆"}, CutCase{u"燹燹", 3, u"燹"},
                                           CutCase{u"≒≒a", 4, u"≒≒"}, CutCase{u"ｱ漾", 2, u"ｱ"},
                                           CutCase{u"ｱｲ珱", 4, u"ｱｲ珱"}, CutCase{u"髜a", 1, u""},
                                           CutCase{u"aあ", 0, u""}, CutCase{u"aあ", 100, u"aあ"}));

TEST(Cp932, positionAwareByteClassesSkipTrailBytesInTheLeadRange)
{
    const QByteArray s = Cp932::encode(u"◆燹ｱ"); // 81 9F E0 9F B1
    const bool lead[] = {true, false, true, false, false};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Cp932::isLeadByteAt(s, i), lead[i]) << i;
        EXPECT_EQ(Cp932::isTrailByteAt(s, i), i == 1 || i == 3) << i;
    }
}

TEST(Cp932, asciiAndHalfWidthKatakanaMapOntoThemselvesByteForByte)
{
    QByteArray all;
    for (int b = 0; b < 0x80; ++b)
        all += char(b);
    for (int b = 0xA1; b <= 0xDF; ++b)
        all += char(b);
    const QString wide = Cp932::decode(all);
    ASSERT_EQ(wide.size(), all.size());
    for (int b = 0; b < 0x80; ++b)
        EXPECT_EQ(wide[b].unicode(), b);
    EXPECT_EQ(wide[0x80], QChar(0xFF61));
    EXPECT_EQ(wide.back(), QChar(0xFF9F));
    EXPECT_EQ(Cp932::encode(wide), all);
}


// The encoder writes into a buffer of two bytes a unit: a text of pairs
// only fills it exactly, and a failing character late in a long run (taken
// a character at a time) still fits, at every length around the edge.
TEST(Cp932, textsOfPairsAndFailuresFillTheirBytesExactly)
{
    for (const int n : {1, 2, 255, 256, 4097}) {
        const QString pairs(n, QChar(u'漢'));
        const QByteArray bytes = Cp932::encode(pairs);
        ASSERT_EQ(bytes.size(), 2 * n) << n;
        EXPECT_EQ(Cp932::decode(bytes), pairs) << n;
        const QString failing = pairs + QChar(0x00E9) + pairs;
        const QByteArray mixed = Cp932::encode(failing);
        ASSERT_EQ(mixed.size(), 4 * n + 1) << n;
        EXPECT_EQ(mixed.at(2 * n), '?') << n;
        EXPECT_EQ(Cp932::decode(mixed.left(2 * n)), pairs) << n;
        EXPECT_EQ(Cp932::decode(mixed.mid(2 * n + 1)), pairs) << n;
    }
    const QString lone(300, QChar(0xD842));
    EXPECT_EQ(Cp932::encode(lone), QByteArray(300, '?'));
}

// Every pair that decodes to a character comes back as the same two bytes,
// so a stored text decoded for a window or an exported file and encoded
// again keeps its bytes. The only exceptions are the code page's second
// spellings of one character (NEC row 13 symbols also in row 2, the
// NEC-selected IBM rows, the IBM rows' Roman numerals and symbols that NEC
// row 13 or row 2 also has): those come back as the spelling Windows
// writes, never as an NEC-selected row, and read as the same character.
TEST(Cp932, everyDecodablePairEncodesBackToItselfOrToTheSameCharactersWindowsSpelling)
{
    const auto secondSpelling = [](int code) {
        return (code >= 0x8790 && code <= 0x879C) || IsNecSelectedIbmPair(code) || (code >= 0xFA40 && code <= 0xFA5B);
    };
    int pairs = 0;
    int respelled = 0;
    QString all;
    QByteArray allBack;
    ForEachDecodablePair([&](int code, const QByteArray &bytes, const QString &text) {
        ++pairs;
        const QByteArray back = Cp932::encode(text);
        all += text;
        allBack += back;
        if (back == bytes)
            return;
        ++respelled;
        EXPECT_TRUE(secondSpelling(code)) << std::hex << code << " comes back as " << back.toHex().constData();
        ASSERT_EQ(back.size(), 2) << std::hex << code;
        const int backCode = (static_cast<unsigned char>(back[0]) << 8) | static_cast<unsigned char>(back[1]);
        EXPECT_FALSE(IsNecSelectedIbmPair(backCode)) << std::hex << code;
        EXPECT_EQ(Cp932::decode(back), text) << std::hex << code;
    });
    // JIS X 0208 with the NEC and IBM extensions: far more than 7000 pairs,
    // of which the second spellings are a few hundred.
    EXPECT_GT(pairs, 9000);
    EXPECT_GT(respelled, 300);
    EXPECT_LT(respelled, 450);
    // The same characters as one text (each a pair), then among one-byte
    // characters and characters the code page lacks: the bytes are the
    // characters' own, one after the other.
    EXPECT_EQ(Cp932::encode(all), allBack);
    QString mixed;
    QByteArray mixedBytes;
    for (qsizetype i = 0; i < all.size(); ++i) {
        mixed += all[i];
        mixedBytes += allBack.mid(2 * i, 2);
        switch (i % 4) {
        case 0: mixed += QLatin1Char('A'); mixedBytes += 'A'; break;
        case 1: mixed += QChar(0xFF76); mixedBytes += char(0xB6); break;
        case 2: mixed += QChar(0x00E9); mixedBytes += '?'; break;
        default: break;
        }
    }
    EXPECT_EQ(Cp932::encode(mixed), mixedBytes);
}

} // namespace
