#include "StreamBytes.h"
#include "TextItemSupport.h"
#include "items/CorpRect.h"
#include "support/RowName.h"

#include <gtest/gtest.h>

namespace {

QString u(const char16_t *s)
{
    return QString::fromUtf16(s);
}

struct BreakCase {
    const char *name;
    const char16_t *text;
    const char16_t *first;
    const char16_t *second;
    bool broken;
};

class BreakAtSpaceTest : public ::testing::TestWithParam<BreakCase> {};

TEST_P(BreakAtSpaceTest, breaksAtTheSpaceNearestTheMiddle)
{
    const TBreakResult r = BreakAtSpace(u(GetParam().text));
    EXPECT_EQ(r.First, u(GetParam().first));
    EXPECT_EQ(r.Second, u(GetParam().second));
    EXPECT_EQ(r.Broken, GetParam().broken);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, BreakAtSpaceTest,
    ::testing::Values(BreakCase{"noSpaceStaysWhole", u"山田商事株式会社", u"山田商事株式会社", u"", false},
                      BreakCase{"onlySpace", u"山田商事　営業部", u"山田商事", u"営業部", true},
                      // Spaces at 5 and 10 of 14: the middle is 8, nearer the second.
                      BreakCase{"nearerSpaceWins", u"株式会社　山田商事　大阪支店", u"株式会社　山田商事", u"大阪支店", true},
                      // Nine characters: the fifth, the middle one, is a space.
                      BreakCase{"middleCharacterIsTheSpace", u"山田商事　大阪　支", u"山田商事", u"大阪　支", true},
                      // Spaces at 4 and 8 of 10, each two from the middle: the left one.
                      BreakCase{"tieGoesLeft", u"山田商　大阪市　支店", u"山田商", u"大阪市　支店", true},
                      BreakCase{"shortPartIsUndone", u"山田　株式会社", u"山田　株式会社", u"", false}),
    rowName);

class WrapCorpLineTest : public ::testing::TestWithParam<BreakCase> {};

TEST_P(WrapCorpLineTest, wrapsAtTheBlankOrScriptChangeNearestTheMiddle)
{
    const TBreakResult r = WrapCorpLine(u(GetParam().text));
    EXPECT_EQ(r.First, u(GetParam().first));
    EXPECT_EQ(r.Second, u(GetParam().second));
    EXPECT_EQ(r.Broken, GetParam().broken);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, WrapCorpLineTest,
    ::testing::Values(
        // Blanks at 6 and 13 of 19, the middle at 9.
        BreakCase{"blankNearestTheMiddle", u"第一営業本部　東日本営業部　第二営業課", u"第一営業本部",
                  u"東日本営業部　第二営業課", true},
        BreakCase{"kanjiToKatakana", u"株式会社日本総合物産ホールディングス", u"株式会社日本総合物産",
                  u"ホールディングス", true},
        // One script all through: in the middle.
        BreakCase{"middleOfOneScript", u"代表取締役副社長", u"代表取締", u"役副社長", true},
        // A one-character part is not made: the only change is after the first.
        BreakCase{"noOneCharacterPart", u"新ビル", u"新ビル", u"", false}),
    rowName);

std::unique_ptr<TCorpRect> corpLine(const QString &Text, const TPageRect &R, bool Break)
{
    auto c = std::make_unique<TCorpRect>();
    c->SetHorizontal(true);
    c->SetCorpBreak(Break);
    c->SetText(Text);
    layOut(*c, R);
    return c;
}

// 280 x 100 at 96 dpi: 272 along, 92 across, the font at -40.
TEST(CorpRectTest, longLineBreaksIntoTwoTheSecondEndingAtTheFarEnd)
{
    const auto c = corpLine(u(u"山田商事　大阪支店"), {0, 0, 280, 100}, true);
    const auto ops = textOps(*c);
    ASSERT_EQ(ops.size(), 2);
    EXPECT_EQ(ops[0]->Text, u(u"山田商事"));
    EXPECT_EQ(ops[0]->Font.Height, -40);
    EXPECT_EQ(ops[0]->Origin, QPoint(4, 92 / 2 + 4 - 40));
    EXPECT_EQ(ops[1]->Text, u(u"大阪支店"));
    EXPECT_EQ(ops[1]->Origin, QPoint(4 + 272 - 160, 92 / 2 + 4));
}

// 280 x 50: two rows shrink to -21, where both parts fit one row: the line
// is whole again, fitted from the unshrunk height.
TEST(CorpRectTest, brokenLineThatFitsOneRowAfterShrinkingIsJoinedAtTheUnshrunkHeight)
{
    const auto c = corpLine(u(u"山田商事　大阪支店"), {0, 0, 280, 50}, true);
    const auto ops = textOps(*c);
    ASSERT_EQ(ops.size(), 1);
    EXPECT_EQ(ops[0]->Text, u(u"山田商事　大阪支店"));
    EXPECT_EQ(ops[0]->Font.Height, -30); // 9 characters of 40 into 272
    EXPECT_EQ(ops[0]->Origin, QPoint(4, (42 - 30) / 2 + 4));
}

TEST(CorpRectTest, withoutBreakingTheLineShrinksOnOneRow)
{
    const auto c = corpLine(u(u"山田商事　大阪支店"), {0, 0, 280, 100}, false);
    ASSERT_EQ(textOps(*c).size(), 1);
    EXPECT_EQ(textOps(*c)[0]->Font.Height, -30);
}

TEST(CorpRectTest, honorificFollowsAfterAThirdOfACharacter)
{
    auto c = std::make_unique<TCorpRect>();
    c->SetHorizontal(true);
    c->SetText(u(u"営業部"));
    c->SetHonor(u(u"御中"));
    layOut(*c, {0, 0, 280, 100});
    const auto ops = textOps(*c);
    ASSERT_EQ(ops.size(), 2);
    EXPECT_EQ(ops[1]->Origin.x(), 4 + 120 + 13);
}

TEST(CorpRectTest, verticalLineIsCentredAcrossFromTheTop)
{
    auto c = std::make_unique<TCorpRect>();
    c->SetText(u(u"営業部"));
    layOut(*c, {0, 0, 100, 280});
    const auto ops = textOps(*c);
    ASSERT_EQ(ops.size(), 1);
    EXPECT_EQ(ops[0]->Origin, QPoint(4 + 92 - (92 - 40) / 2, 4));
    EXPECT_TRUE(ops[0]->Font.isVertical());
}

// A company name down a column 96 dots long (at 96 dpi the least height is
// 7 dots): on one line its 18 characters would shrink to 5 dots.
std::unique_ptr<TCorpRect> longCompanyInColumn(int Width)
{
    auto c = std::make_unique<TCorpRect>();
    c->SetText(u(u"株式会社日本総合物産ホールディングス"));
    layOut(*c, {0, 0, Width, 104});
    return c;
}

// 22 dots across hold two columns at the least height: the name goes on to
// a second column where kanji turn to katakana, at a readable height.
TEST(CorpRectTest, lineTooLongForTheLeastHeightGoesOnToASecondLineWhereTwoFitAcross)
{
    const auto c = longCompanyInColumn(30);
    const auto ops = textOps(*c);
    ASSERT_EQ(ops.size(), 2);
    EXPECT_EQ(ops[0]->Text, u(u"株式会社日本総合物産"));
    EXPECT_EQ(ops[1]->Text, u(u"ホールディングス"));
    for (const TTextOp *op : ops) {
        EXPECT_GE(std::abs(op->Font.Height), 7) << qPrintable(op->Text);
        EXPECT_EQ(op->Font.WidthRatio, 1.0) << qPrintable(op->Text);
    }
    EXPECT_FALSE(c->IsSqueezed());
}

// 8 dots across hold one column: it keeps the least height, its characters
// squeezed along the column into its 96 dots, and the item says so.
TEST(CorpRectTest, lineWithoutRoomForTwoKeepsTheLeastHeightSqueezedAlongTheColumn)
{
    const auto c = longCompanyInColumn(16);
    const auto ops = textOps(*c);
    ASSERT_EQ(ops.size(), 1);
    EXPECT_EQ(ops[0]->Font.Height, -7);
    EXPECT_TRUE(ops[0]->Font.isVertical());
    EXPECT_LT(ops[0]->Font.WidthRatio, 1.0);
    int along = 0;
    for (const int a : ops[0]->Advances)
        along += a;
    EXPECT_LE(along, 96);
    EXPECT_GT(along, 96 * 0.9);
    // Narrowed to three quarters of their width or more: readable, and
    // not named before printing.
    EXPECT_GT(c->Narrowest(), LeastWidthRatio);
    EXPECT_LT(c->Narrowest(), 1.0);
    EXPECT_FALSE(c->IsSqueezed());
}

// Half as long a column narrows the characters below two thirds of their
// width: the item says so, for the print run to name.
TEST(CorpRectTest, lineNarrowedBelowTwoThirdsOfItsWidthIsNamed)
{
    const auto c = std::make_unique<TCorpRect>();
    c->SetText(u(u"株式会社日本総合物産ホールディングス"));
    layOut(*c, {0, 0, 16, 56});
    EXPECT_LT(c->Narrowest(), LeastWidthRatio);
    EXPECT_TRUE(c->IsSqueezed());
}

// The same column with blank room beside it goes on to a second column
// there at the least height, unnarrowed, and leaves the rest of the room
// blank; its frame stays as it is.
TEST(CorpRectTest, lineTakesTheRoomBesideItsFrameBeforeNarrowing)
{
    const auto c = std::make_unique<TCorpRect>();
    c->SetText(u(u"株式会社日本総合物産ホールディングス"));
    c->SetRoom({-40, 0, 16, 104});
    layOut(*c, {0, 0, 16, 104});
    const auto ops = textOps(*c);
    ASSERT_EQ(ops.size(), 2);
    for (const TTextOp *op : ops) {
        EXPECT_GE(std::abs(op->Font.Height), 7) << qPrintable(op->Text);
        EXPECT_EQ(op->Font.WidthRatio, 1.0) << qPrintable(op->Text);
    }
    EXPECT_EQ(c->Narrowest(), 1.0);
    EXPECT_EQ(c->GetRect(), (TPageRect{0, 0, 16, 104}));
    EXPECT_LT(c->GetLaidIn().Left, 0);
    EXPECT_GT(c->GetLaidIn().Left, -40);
    // The second column stands left of the frame, in the room (a column's
    // cells lie left of its origin).
    EXPECT_LT(ops[1]->Origin.x() - ops[1]->CellHeight, 0);
}

TEST(CorpRectTest, hiddenHonorificChangeKeepsTheRecording)
{
    auto c = corpLine(u(u"営業部"), {0, 0, 280, 100}, false);
    c->SetShowHonor(false);
    c->SetHonor(u(u"御中"));
    EXPECT_TRUE(c->IsValid());
    c->SetShowHonor(true);
    c->SetHonor(u(u"様"));
    EXPECT_FALSE(c->IsValid());
}

TEST(CorpRectTest, senderDepartmentInABlockTakesTheRecipientSize)
{
    TCorpRect c;
    c.SetSender(true);
    c.RescaleFont(TTenthMm(1480));
    EXPECT_EQ(c.GetBaseHeight(), -29);
    c.SetInBlock(true);
    c.RescaleFont(TTenthMm(1480));
    EXPECT_EQ(c.GetBaseHeight(), -40);
    EXPECT_EQ(c.GetKind(), TDrawRectKind::SenderName);
}

TEST(CorpRectTest, streamRoundTripsAndOldStreamsTakeLevelThree)
{
    const QByteArray v600 = hexBytes(kItemRect) + "\x01" + hexBytes(kItemFont) + hexBytes("00000000 01 00 05000000");
    TItemReader r(v600, {600});
    TCorpRect c;
    c.LoadFromStream(r);
    EXPECT_EQ(c.GetSizeLevel(), 5);
    TItemWriter w;
    c.SaveToStream(w);
    EXPECT_TRUE(sameBytes(w.bytes(), v600));

    TItemReader old(hexBytes(kItemRect) + hexBytes(kItemFont) + hexBytes("01 00"), {200});
    TCorpRect o;
    o.LoadFromStream(old);
    EXPECT_TRUE(old.atEnd());
    EXPECT_EQ(o.GetSizeLevel(), 3);
}

} // namespace
