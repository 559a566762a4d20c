#include "StreamBytes.h"
#include "TextItemSupport.h"
#include "items/AddressRect.h"
#include "support/RowName.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<TAddressRect> address(bool Horizontal, const TPageRect &R, std::initializer_list<QString> Lines)
{
    auto a = std::make_unique<TAddressRect>();
    a->SetHorizontal(Horizontal);
    int i = 0;
    for (const QString &l : Lines)
        a->SetAddressLine(i++, l);
    layOut(*a, R);
    return a;
}

QString u(const char16_t *s)
{
    return QString::fromUtf16(s);
}

// ---- Horizontal --------------------------------------------------------------------

// 200 x 40 at 96 dpi: 192 x 32 inside the margins, the font at -28.
TEST(AddressRectTest, fourCharacterFirstLineJoinsTheNextHorizontally)
{
    const auto a = address(true, {0, 0, 200, 40}, {u(u"神奈川県"), u(u"横浜市中区")});
    const auto ops = textOps(*a);
    ASSERT_EQ(ops.size(), 1);
    EXPECT_EQ(ops[0]->Text, u(u"神奈川県横浜市中区"));
    EXPECT_EQ(ops[0]->Font.Height, -21); // 9 characters of 28 shrunk into 192
    EXPECT_EQ(ops[0]->Origin, QPoint(4, (32 - 21) / 2 + 4));
}

TEST(AddressRectTest, twoLongLinesStandOnTwoRowsTheSecondFlushRight)
{
    const auto a = address(true, {0, 0, 200, 40}, {u(u"東京都港区"), u(u"芝公園四丁目二番地三号")});
    const auto ops = textOps(*a);
    ASSERT_EQ(ops.size(), 2);
    // Two rows of 28 + 2 fit 32 at -14 (the gap is a tenth of the height).
    EXPECT_EQ(ops[0]->Font.Height, -14);
    EXPECT_EQ(ops[0]->Origin, QPoint(4, 32 / 2 + 4 - 1 - 14));
    EXPECT_EQ(ops[1]->Origin, QPoint(4 + 192 - 11 * 14, 32 / 2 + 4));
}

TEST(AddressRectTest, twoLinesThatFitOnOneWithSlackAreJoined)
{
    // At -14 the two lines together are 14 characters less one: 182 < 192.
    const auto a = address(true, {0, 0, 200, 40}, {u(u"東京都港区"), u(u"芝公園四丁目一番地")});
    const auto ops = textOps(*a);
    ASSERT_EQ(ops.size(), 1);
    EXPECT_EQ(ops[0]->Text, u(u"東京都港区芝公園四丁目一番地"));
}

TEST(AddressRectTest, emptyFirstLineLetsTheSecondLeadHorizontally)
{
    const auto a = address(true, {0, 0, 200, 40}, {QString(), u(u"横浜市")});
    const auto ops = textOps(*a);
    ASSERT_EQ(ops.size(), 1);
    EXPECT_EQ(ops[0]->Text, u(u"横浜市"));
    EXPECT_EQ(ops[0]->Font.Height, -28);
}

TEST(AddressRectTest, itemSixPixelsWideDrawsNothing)
{
    const auto a = address(true, {0, 0, 6, 40}, {u(u"横浜市")});
    EXPECT_TRUE(textOps(*a).isEmpty());
    EXPECT_TRUE(a->IsValid());
}

// ---- Lines joined ------------------------------------------------------------------------

// A house number ending one line and a room number starting the next stay
// two numbers when the lines are set together.
struct JoinCase {
    const char *name;
    bool horizontal;
    bool vertNumeral;
    TPageRect rect;
    QStringList lines;
    QString kept;   // what the drawn texts show, "|" between two drawn pieces
    QString merged; // what they must not show
};

class AddressLineJoin : public ::testing::TestWithParam<JoinCase> {};

TEST_P(AddressLineJoin, numbersOfTwoLinesStayApart)
{
    const JoinCase &c = GetParam();
    TAddressRect a;
    a.SetHorizontal(c.horizontal);
    a.SetVertNumeral(c.vertNumeral);
    for (int i = 0; i < c.lines.size(); ++i)
        a.SetAddressLine(i, c.lines[i]);
    layOut(a, c.rect);
    QStringList drawn;
    for (const TTextOp *op : textOps(a))
        drawn << op->Text;
    const QString text = drawn.join(u'|');
    EXPECT_TRUE(text.contains(c.kept)) << qPrintable(text);
    EXPECT_FALSE(text.contains(c.merged)) << qPrintable(text);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, AddressLineJoin,
    ::testing::Values(
        JoinCase{"horizontalDigits", true, false, {0, 0, 200, 40},
                 {u(u"兵庫県南あわじ市阿万下町"), u(u"９－４－２１"), u(u"２０３号室")}, u(u"２１　２０３"), u(u"２１２０３")},
        JoinCase{"horizontalKanjiNumerals", true, false, {0, 0, 200, 40},
                 {u(u"兵庫県南あわじ市阿万下町"), u(u"九－四－二十一"), u(u"二百三号室")}, u(u"二十一　二百三"),
                 u(u"二十一二百三")},
        JoinCase{"horizontalTwoLinesOnOne", true, false, {0, 0, 400, 40}, {u(u"阿万下町９－４－２１"), u(u"２０３号室")},
                 u(u"２１　２０３"), u(u"２１２０３")},
        JoinCase{"horizontalWordsStillMeet", true, false, {0, 0, 400, 40}, {u(u"阿万下町９－４－２１"), u(u"ハイツ２０３")},
                 u(u"２１ハイツ"), u(u"２１　ハイツ")},
        JoinCase{"verticalDigitsSetAcross", false, false, {0, 0, 60, 400},
                 {u(u"兵庫県南あわじ市阿万下町"), u(u"９－４－２１"), u(u"２０３号室")}, u(u"21|　|203"), u(u"21|203")},
        JoinCase{"verticalUprightDigits", false, true, {0, 0, 60, 400},
                 {u(u"兵庫県南あわじ市阿万下町"), u(u"９－４－２１"), u(u"２０３号室")}, u(u"２１|　|２０３"),
                 u(u"２１|２０３")}),
    rowName);

// ---- Vertical runs ----------------------------------------------------------------------

struct RunCase {
    const char *name;
    const char16_t *line;
    bool vertNumeral;
    QList<std::pair<bool, QString>> runs; // across?, text
};

class VerticalRunTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(VerticalRunTest, cutsTheLineIntoUprightAndAcrossRuns)
{
    const auto runs = TAddressRect::SplitVerticalRuns(QString::fromUtf16(GetParam().line), GetParam().vertNumeral);
    QList<std::pair<bool, QString>> got;
    for (const auto &r : runs)
        got.append({r.Across, r.Text});
    EXPECT_EQ(got, GetParam().runs);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, VerticalRunTest,
    ::testing::Values(RunCase{"shortNumbersSetAcrossInHalfWidth", u"芝公園４丁目１２番", false,
                              {{false, u(u"芝公園")}, {true, "4"}, {false, u(u"丁目")}, {true, "12"}, {false, u(u"番")}}},
                      RunCase{"fourDigitsStillAcross", u"番地１２３４", false, {{false, u(u"番地")}, {true, "1234"}}},
                      RunCase{"fiveDigitsStandUpright", u"私書箱１２３４５", false, {{false, u(u"私書箱１２３４５")}}},
                      RunCase{"vertNumeralKeepsEveryDigitUpright", u"芝４丁目", true, {{false, u(u"芝４丁目")}}},
                      RunCase{"halfWidthDigitsSetAcrossAsFullWidthOnes", u"芝4丁目12番", false,
                              {{false, u(u"芝")}, {true, "4"}, {false, u(u"丁目")}, {true, "12"}, {false, u(u"番")}}},
                      RunCase{"halfWidthDigitsStandUprightInFullWidth", u"芝4丁目", true, {{false, u(u"芝４丁目")}}},
                      RunCase{"dashBetweenNumbersIsTheVerticalHyphen", u"１５-２５", false,
                              {{true, "15"}, {false, u(u"ー")}, {true, "25"}}},
                      RunCase{"dashBetweenUprightNumbersToo", u"１５−２５", true, {{false, u(u"１５ー２５")}}}),
    rowName);

// ---- Vertical layout --------------------------------------------------------------------------

// 60 x 300 at 96 dpi: 52 x 292 inside the margins, one column of -28 centred.
TEST(AddressRectTest, digitRunIsSetAcrossTheColumnCentredOnIt)
{
    const auto a = address(false, {0, 0, 60, 300}, {u(u"芝４丁目")});
    const auto ops = textOps(*a);
    ASSERT_EQ(ops.size(), 3);
    const int x = (52 - 28) / 2 + 4 + 28; // the column's right edge
    EXPECT_EQ(ops[0]->Origin, QPoint(x, 4));
    EXPECT_EQ(ops[0]->Font.Escapement, 2700);
    EXPECT_TRUE(ops[0]->Font.isVertical());
    EXPECT_EQ(ops[1]->Text, "4");
    EXPECT_EQ(ops[1]->Font.Escapement, 0);
    EXPECT_EQ(ops[1]->Origin, QPoint(x - 14 / 2 - 28 / 2, 4 + 28));
    EXPECT_EQ(ops[2]->Origin, QPoint(x, 4 + 28 + 28));
}

TEST(AddressRectTest, fourCharacterFirstLineJoinsTheNextVertically)
{
    const auto a = address(false, {0, 0, 60, 300}, {u(u"神奈川県"), u(u"横浜市")});
    const auto ops = textOps(*a);
    ASSERT_EQ(ops.size(), 2);
    EXPECT_EQ(ops[0]->Origin.x(), ops[1]->Origin.x());
    EXPECT_EQ(ops[1]->Origin.y(), ops[0]->Origin.y() + 4 * -ops[0]->Font.Height);
}

TEST(AddressRectTest, twoColumnsStandRightToLeftTheSecondEndingAtTheBottom)
{
    const auto a = address(false, {0, 0, 80, 200}, {u(u"東京都千代田区"), u(u"永田町一丁目七番一号")});
    const auto ops = textOps(*a);
    ASSERT_EQ(ops.size(), 2);
    EXPECT_GT(ops[0]->Origin.x(), ops[1]->Origin.x());
    EXPECT_EQ(ops[0]->Origin.y(), 4);
    const int th = -ops[1]->Font.Height;
    EXPECT_EQ(ops[1]->Origin.y() + 10 * th, 200 - 4);
}

// 100 x 200: 92 x 192 inside. Three columns of -28 fit across with their
// gaps of 2; each then shrinks only as far as its own length needs: the
// first (7 characters) into 192, the second (10) and third (8), which stand
// a character's advance of 28 off one end, into 164. They keep their slots
// of 28, right to left, each centred in its own; the second starts an
// advance down, the third ends at the bottom.
TEST(AddressRectTest, threeColumnsEachShrinkOnlyAsTheirOwnLengthNeeds)
{
    const auto a =
        address(false, {0, 0, 100, 200}, {u(u"東京都千代田区"), u(u"永田町一丁目七番一号"), u(u"国会前ビル十二階")});
    const auto ops = textOps(*a);
    ASSERT_EQ(ops.size(), 3);
    EXPECT_EQ(ops[0]->Font.Height, -27);
    EXPECT_EQ(ops[1]->Font.Height, -16);
    EXPECT_EQ(ops[2]->Font.Height, -20);
    // Slots from x 66, 36 and 6; a column's right edge is its slot's left
    // edge + (28 + its own height) / 2.
    EXPECT_EQ(ops[0]->Origin, QPoint(66 + (28 + 27) / 2, 4));
    EXPECT_EQ(ops[1]->Origin, QPoint(36 + (28 + 16) / 2, 4 + 28));
    EXPECT_EQ(ops[2]->Origin, QPoint(6 + (28 + 20) / 2, 4 + 192 - 8 * 20));
}

// 200 x 40: two rows of -14 fit 32. The eight-character first line fits its
// row at -14 and keeps it; the sixteen-character second line shrinks alone
// until it fills the width (192 / 16 = 12), with no character to spare, and
// stands on the foot of its row.
TEST(AddressRectTest, shortLineKeepsItsHeightBesideALongOne)
{
    const auto a =
        address(true, {0, 0, 200, 40}, {u(u"東京都港区芝公園"), u(u"四丁目二番地三号グランドハイツ港")});
    const auto ops = textOps(*a);
    ASSERT_EQ(ops.size(), 2);
    EXPECT_EQ(ops[0]->Font.Height, -14);
    EXPECT_EQ(ops[0]->Origin, QPoint(4, 32 / 2 + 4 - 1 - 14));
    EXPECT_EQ(ops[1]->Font.Height, -12);
    EXPECT_EQ(ops[1]->Origin, QPoint(4 + 192 - 16 * 12, 32 / 2 + 4 + 14 - 12));
}

TEST(AddressRectTest, fixedSizeTooLargeCutsTheEndOff)
{
    TAddressRect a;
    a.SetHorizontal(false);
    a.SetFontSizeIndex(13); // 19 pt: -25 at 96 dpi
    a.SetAddressLine(0, u(u"東京都千代田区永田町一丁目"));
    layOut(a, {0, 0, 60, 100});
    const auto ops = textOps(a);
    ASSERT_EQ(ops.size(), 1);
    EXPECT_EQ(ops[0]->Font.Height, -25);
    EXPECT_EQ(ops[0]->Text, u(u"東京都")); // 92 dots hold three characters of 25
}

// 20 x 100: 12 x 92 inside. One column of seventeen characters fits across
// at -11 but along only at -5: it keeps the least height of 7 with its
// characters squeezed along the column into its 92 dots, and says so.
TEST(AddressRectTest, longColumnKeepsTheLeastHeightSqueezedAlongIt)
{
    const auto a = address(false, {0, 0, 20, 100}, {u(u"東京都千代田区永田町一丁目七番一号")});
    const auto ops = textOps(*a);
    ASSERT_EQ(ops.size(), 1);
    EXPECT_EQ(ops[0]->Font.Height, -7);
    EXPECT_TRUE(ops[0]->Font.isVertical());
    EXPECT_LT(ops[0]->Font.WidthRatio, 1.0);
    int along = 0;
    for (const int adv : ops[0]->Advances)
        along += adv;
    EXPECT_LE(ops[0]->Origin.y() + along, 4 + 92);
    EXPECT_GT(along, 92 * 0.8);
    // Narrowed to three quarters of their width or more: readable, and
    // not named before printing.
    EXPECT_GT(a->Narrowest(), LeastWidthRatio);
    EXPECT_LT(a->Narrowest(), 1.0);
    EXPECT_FALSE(a->IsSqueezed());
}

// Two lines of ten and twelve characters stand in two columns of -5 across
// 12 dots; one column of both keeps the least height, squeezed along it, and
// is drawn instead.
TEST(AddressRectTest, columnsTooNarrowForTheLeastHeightGiveWayToOneSqueezedColumn)
{
    const auto a = address(false, {0, 0, 20, 100}, {u(u"東京都千代田区永田町"), u(u"一丁目七番一号国会前ビル")});
    const auto ops = textOps(*a);
    ASSERT_FALSE(ops.isEmpty());
    QString read;
    int along = 0;
    for (const TTextOp *op : ops) {
        EXPECT_EQ(op->Font.Height, -7) << qPrintable(op->Text);
        EXPECT_EQ(op->Origin.x(), ops[0]->Origin.x()) << qPrintable(op->Text);
        EXPECT_LT(op->Font.WidthRatio, 1.0) << qPrintable(op->Text);
        read += op->Text;
        for (const int adv : op->Advances)
            along += adv;
    }
    EXPECT_EQ(read, u(u"東京都千代田区永田町一丁目七番一号国会前ビル"));
    EXPECT_LE(ops[0]->Origin.y() + along, 4 + 92);
    EXPECT_TRUE(a->IsSqueezed());
}

// A four-digit number set across a column is two characters wide: across
// 11 dots it would hold the column to -5 (at the least height of 7 its four
// digits of 3 take 12). Standing upright it lets the column keep -10, which
// fits along unsqueezed.
TEST(AddressRectTest, numberTooWideAcrossForTheLeastHeightStandsUpright)
{
    const auto a = address(false, {0, 0, 19, 100}, {u(u"１２３４号室")});
    const auto ops = textOps(*a);
    ASSERT_FALSE(ops.isEmpty());
    QString read;
    for (const TTextOp *op : ops) {
        EXPECT_EQ(op->Font.Height, -10) << qPrintable(op->Text);
        EXPECT_TRUE(op->Font.isVertical()) << qPrintable(op->Text);
        read += op->Text;
    }
    EXPECT_EQ(read, u(u"１２３４号室"));
    EXPECT_FALSE(a->IsSqueezed());
}

// ---- Sizes and stream ---------------------------------------------------------------------------

struct AddressHeightCase {
    const char *name;
    bool sender, inBlock;
    int level;
    qint32 base;
};

class AddressHeightTest : public ::testing::TestWithParam<AddressHeightCase> {};

TEST_P(AddressHeightTest, takesTheBaseHeightOfItsRoleAndLevel)
{
    TAddressRect a;
    a.SetSender(GetParam().sender);
    a.SetInBlock(GetParam().inBlock);
    a.SetSizeLevel(GetParam().level);
    a.RescaleFont(TTenthMm(1480));
    EXPECT_EQ(a.GetBaseHeight(), GetParam().base);
}

INSTANTIATE_TEST_SUITE_P(Roles, AddressHeightTest,
                         ::testing::Values(AddressHeightCase{"recipientLevel1", false, false, 1, -18},
                                           AddressHeightCase{"recipientLevel5", false, false, 5, -40},
                                           AddressHeightCase{"senderLevel3", true, false, 3, -21},
                                           AddressHeightCase{"senderInBlockLevel3", true, true, 3, -28}),
                         rowName);

struct AddressStreamCase {
    const char *name;
    qint32 version;
    QByteArray bytes;
    qint32 level;
};

class AddressStreamTest : public ::testing::TestWithParam<AddressStreamCase> {};

TEST_P(AddressStreamTest, readsTheSizeLevelOfItsVersion)
{
    TItemReader r(GetParam().bytes, {GetParam().version});
    TAddressRect a;
    a.LoadFromStream(r);
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(a.GetSizeLevel(), GetParam().level);
    EXPECT_EQ(a.GetFontSizeIndex(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, AddressStreamTest,
    ::testing::Values(AddressStreamCase{"v400", 400, hexBytes(kItemRect) + "\x01" + hexBytes(kItemFont) + hexBytes("00 01"), 3},
                      AddressStreamCase{"v500", 500,
                                        hexBytes(kItemRect) + "\x01" + hexBytes(kItemFont) + hexBytes("00 01 04000000"), 4},
                      AddressStreamCase{"v600", 600,
                                        hexBytes(kItemRect) + "\x01" + hexBytes(kItemFont) +
                                            hexBytes("07000000 00 01 02000000"),
                                        2},
                      AddressStreamCase{"levelOutsideTheTableIsKeptInside", 600,
                                        hexBytes(kItemRect) + "\x01" + hexBytes(kItemFont) +
                                            hexBytes("00000000 00 01 FFFFFF7F"),
                                        5}),
    rowName);

TEST(AddressStreamTest, roundTripsByteForByte)
{
    const QByteArray bytes = hexBytes(kItemRect) + "\x01" + hexBytes(kItemFont) + hexBytes("00000000 00 01 02000000");
    TItemReader r(bytes, {});
    TAddressRect a;
    a.LoadFromStream(r);
    TItemWriter w;
    a.SaveToStream(w);
    EXPECT_TRUE(sameBytes(w.bytes(), bytes));
}

TEST(AddressStreamTest, truncatedSizeLevelIsAFormatError)
{
    TItemReader r(hexBytes(kItemRect) + "\x01" + hexBytes(kItemFont) + hexBytes("00000000 00 01 0200"), {600});
    TAddressRect a;
    EXPECT_THROW(a.LoadFromStream(r), EItemFormatError);
}

} // namespace
