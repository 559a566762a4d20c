#include "StreamBytes.h"
#include "items/PosRect.h"
#include "support/RowName.h"

#include <gtest/gtest.h>

namespace {

const TFixedTextMetrics kFixed;

TReferenceDevice printerAt(int dpi)
{
    return {&kFixed, nullptr, {dpi, dpi}, true};
}

// A text item that writes "一" at the top-left and counts its builds.
class TCountingText : public TMetaRect
{
public:
    TDrawRectKind GetKind() const override { return TDrawRectKind::Word; }
    void BuildContent(TRecordingCanvas &Canvas, QSize Size) override
    {
        ++builds;
        lastSize = Size;
        Canvas.TextOut(0, 0, u"一");
    }
    int builds = 0;
    QSize lastSize;
};

// ---- Font height ---------------------------------------------------------------

struct ScaleCase {
    const char *name;
    qint32 base;
    qint32 longSide;
    qint32 height;
};

class ScaleFontTest : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(ScaleFontTest, scalesTheBaseHeightByTheLongerPaperSideTruncating)
{
    TCountingText item;
    item.SetBaseHeight(GetParam().base);
    item.ScaleFont(TTenthMm(GetParam().longSide));
    EXPECT_EQ(item.GetHeight(), GetParam().height);
}

INSTANTIATE_TEST_SUITE_P(Papers, ScaleFontTest,
                         ::testing::Values(ScaleCase{"postcard", -28, 1480, -28},
                                           ScaleCase{"a4Envelope", -28, 2350, -44}, // -44.46 towards zero
                                           ScaleCase{"a4Sheet", -40, 2970, -80},    // -80.27
                                           ScaleCase{"smallLabel", -24, 500, -8}),  // -8.1
                         rowName);

TEST(MetaRectTest, contentFontHeightFollowsThePrinterResolution)
{
    TCountingText item;
    item.SetReferenceDevice(printerAt(600));
    item.SetBaseHeight(-28);
    item.ScaleFont(TTenthMm(1480));
    item.SetRect({0, 0, 96, 96});
    item.Rebuild(true);
    ASSERT_EQ(item.GetMetafile().TextOps().size(), 1);
    EXPECT_EQ(item.GetMetafile().TextOps()[0]->Font.Height, -175);
}

TEST(MetaRectTest, withoutPrinterRecordsAt96Dpi)
{
    TCountingText item;
    item.SetReferenceDevice({&kFixed, nullptr, {600, 600}, false});
    item.SetBaseHeight(-28);
    item.ScaleFont(TTenthMm(1480));
    item.SetRect({0, 0, 50, 20});
    item.Rebuild(true);
    EXPECT_EQ(item.GetMetafile().TextOps()[0]->Font.Height, -28);
    EXPECT_EQ(item.lastSize, QSize(50, 20));
}

// ---- Fitting ----------------------------------------------------------------------

struct FitCase {
    const char *name;
    int available, needed;
    bool grow;
    qint32 height;
    bool result;
    qint32 after;
};

class FitFontTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitFontTest, scalesTheFontByTheRatio)
{
    const FitCase &c = GetParam();
    TMetafileEx mf;
    TRecordingCanvas canvas(mf, kFixed, nullptr);
    canvas.Font.Height = c.height;
    EXPECT_EQ(TMetaRect::FitFont(canvas, c.available, c.needed, c.grow), c.result);
    EXPECT_EQ(canvas.Font.Height, c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FitFontTest,
    ::testing::Values(FitCase{"shrinks", 50, 100, false, -40, true, -20},
                      FitCase{"vanishingFontFails", 50, 100, false, -1, false, -1}, // -0.5 truncates to 0
                      FitCase{"fitsAlready", 100, 50, false, -40, true, -40},
                      FitCase{"growsWhenAllowed", 100, 50, true, -40, true, -80},
                      FitCase{"negativeRatioChangesNothing", -5, 50, false, -40, true, -40},
                      FitCase{"truncatesTowardsZero", 2, 3, false, -40, true, -26}),
    rowName);

// ---- Recording ------------------------------------------------------------------------

TEST(MetaRectTest, moveKeepsTheRecordingAndResizeRebuildsIt)
{
    TCountingText item;
    item.SetReferenceDevice(printerAt(600));
    item.SetRect({0, 0, 40, 20});
    item.Rebuild(false);
    ASSERT_EQ(item.builds, 1);
    item.SetDispRect({10, 10, 50, 30});
    item.Rebuild(false);
    EXPECT_EQ(item.builds, 1);
    item.SetDispRect({10, 10, 51, 30});
    item.Rebuild(false);
    EXPECT_EQ(item.builds, 2);
}

TEST(MetaRectTest, recordingIsASquareOfTheLongerSide)
{
    TCountingText item;
    item.SetReferenceDevice(printerAt(192));
    item.SetRect({0, 0, 40, 20});
    item.Rebuild(true);
    EXPECT_EQ(item.GetMetafile().Size(), QSize(80, 80));
    EXPECT_EQ(item.lastSize, QSize(80, 40));
}

TEST(MetaRectTest, emptyRectangleNeverBecomesValid)
{
    TCountingText item;
    item.Rebuild(true);
    EXPECT_FALSE(item.IsValid());
    EXPECT_EQ(item.builds, 0);
}

TEST(MetaRectTest, clipSideKeepsTheContentLeftOfTheLine)
{
    TCountingText item;
    item.SetReferenceDevice(printerAt(192));
    item.SetRect({10, 0, 50, 40});
    item.SetClipSide(TClipSide::Left);
    item.SetClipPos(30);
    item.Rebuild(false);
    const auto &ops = item.GetMetafile().Ops();
    ASSERT_EQ(ops.size(), 3u);
    const auto *clip = std::get_if<TClipPushOp>(&ops[0]);
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(clip->Rect, QRectF(0, 0, 40, 80));
    EXPECT_TRUE(std::holds_alternative<TClipPopOp>(ops[2]));
}

TEST(MetaRectTest, clipPositionInvalidatesOnlyWhileClipping)
{
    TCountingText item;
    item.SetRect({0, 0, 10, 10});
    item.Rebuild(false);
    item.SetClipPos(5);
    EXPECT_TRUE(item.IsValid());
    item.SetClipSide(TClipSide::Below);
    item.Rebuild(false);
    item.SetClipPos(6);
    EXPECT_FALSE(item.IsValid());
}

// ---- Stream fields ------------------------------------------------------------------------

// Base record, then charset 128, face "ＭＳ 明朝" (82 6C 82 72 20 96 BE 92 A9
// inverted), size 12, style 1 (bold), colour 0x0000FF, then the gated fields.
const char *kTextBase = "0A000000 14000000 6E000000 C8000000";
const char *kTextFont = "80000000 09000000 7D937D8D DF 69416D56 0C000000 01000000 FF000000";

struct TextStreamCase {
    const char *name;
    qint32 version;
    QByteArray bytes;
    qint32 sizeIndex;
    bool horizontal;
    bool rotate;
};

class TextStreamTest : public ::testing::TestWithParam<TextStreamCase> {};

TEST_P(TextStreamTest, readsTheFieldsOfItsVersion)
{
    const TextStreamCase &c = GetParam();
    TItemReader r(c.bytes, {c.version});
    TCountingText item;
    item.LoadFromStream(r);
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(item.GetFont().Name, QString::fromUtf16(u"ＭＳ 明朝"));
    EXPECT_EQ(item.GetFont().Charset, 128);
    EXPECT_EQ(item.GetFont().Size, 12);
    EXPECT_EQ(item.GetFont().Style, fsBold);
    EXPECT_EQ(item.GetFontColor(), 0xFF);
    EXPECT_EQ(item.GetFontSizeIndex(), c.sizeIndex);
    EXPECT_EQ(item.IsHorizontal(), c.horizontal);
    EXPECT_EQ(item.IsRotate180(), c.rotate);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, TextStreamTest,
    ::testing::Values(
        // Before 200: no turning byte; before 201: no visibility; before 600: no size index.
        TextStreamCase{"v199", 199, hexBytes(kTextBase) + hexBytes(kTextFont) + hexBytes("01"), 0, true, false},
        TextStreamCase{"v200", 200, hexBytes(kTextBase) + hexBytes(kTextFont) + hexBytes("00 01"), 0, false, true},
        TextStreamCase{"v500", 500, hexBytes(kTextBase) + hexBytes("01") + hexBytes(kTextFont) + hexBytes("01 01"), 0,
                       true, true},
        TextStreamCase{"v600", 600,
                       hexBytes(kTextBase) + hexBytes("01") + hexBytes(kTextFont) + hexBytes("05000000 00 01"), 5,
                       false, true}),
    rowName);

TEST(TextStreamTest, currentStreamRoundTripsByteForByte)
{
    const QByteArray bytes = hexBytes(kTextBase) + hexBytes("01") + hexBytes(kTextFont) + hexBytes("05000000 00 01");
    TItemReader r(bytes, {});
    TCountingText item;
    item.LoadFromStream(r);
    TItemWriter w;
    item.SaveToStream(w);
    EXPECT_TRUE(sameBytes(w.bytes(), bytes));
}

TEST(TextStreamTest, oldStreamIsWrittenInTheCurrentForm)
{
    TItemReader r(hexBytes(kTextBase) + hexBytes(kTextFont) + hexBytes("01"), {199});
    TCountingText item;
    item.LoadFromStream(r);
    TItemWriter w;
    item.SaveToStream(w);
    EXPECT_TRUE(sameBytes(w.bytes(),
                          hexBytes(kTextBase) + hexBytes("01") + hexBytes(kTextFont) + hexBytes("00000000 01 00")));
}

TEST(TextStreamTest, sizeIndexOutsideTheTableBecomesFit)
{
    TItemReader r(hexBytes(kTextBase) + hexBytes("01") + hexBytes(kTextFont) + hexBytes("FFFFFF7F 00 00"), {600});
    TCountingText item;
    item.LoadFromStream(r);
    EXPECT_EQ(item.GetFontSizeIndex(), 0);
}

TEST(TextStreamTest, truncatedFaceNameIsAFormatError)
{
    TItemReader r(hexBytes(kTextBase) + hexBytes("01 80000000 08000000 7E93"), {600});
    TCountingText item;
    EXPECT_THROW(item.LoadFromStream(r), EItemFormatError);
}

// ---- Postcode -------------------------------------------------------------------------------

// A postcode item 180 x 40 page pixels (47.6 x 10.6 mm) at 600 dpi: 1125 x
// 250 dots. The box pitches at 600 dpi are 165 165 180 161 161 161 135 (1128
// dots); stretched to 1125 dots they round back to the same values.
std::unique_ptr<TPosRect> postcodeItem(const QString &Code, qint32 Width = 180)
{
    auto item = std::make_unique<TPosRect>();
    item->SetReferenceDevice(printerAt(600));
    item->SetRect({0, 0, Width, 40});
    item->RescaleFont(TTenthMm(1480));
    item->SetPostcode(Code);
    item->Rebuild(false);
    return item;
}

TEST(PosRectTest, sevenDigitsGoIntoTheBoxesAtTheBoxPitches)
{
    const auto item = postcodeItem(QStringLiteral("1234567"));
    const auto ops = item->GetMetafile().TextOps();
    ASSERT_EQ(ops.size(), 1);
    EXPECT_EQ(ops[0]->Advances, (QList<int>{165, 165, 180, 161, 161, 161, 135}));
    // -150 dots grown until a half-width digit fills 3.9 mm: Round(92.1 * 1125 / 1128) = 92, so -184.
    EXPECT_EQ(ops[0]->Font.Height, -184);
    // Centred: (1125 - 1125) / 2 + (134 - 92) / 2 across, (250 - 184) / 2 down.
    EXPECT_EQ(ops[0]->Origin, QPoint(21, 33));
    EXPECT_EQ(ops[0]->Font.Escapement, 0);
}

struct PostcodeModeCase {
    const char *name;
    const char16_t *code;
    bool boxes;
};

class PostcodeModeTest : public ::testing::TestWithParam<PostcodeModeCase> {};

TEST_P(PostcodeModeTest, choosesBoxesOrCentredText)
{
    const auto item = postcodeItem(QString::fromUtf16(GetParam().code));
    const auto ops = item->GetMetafile().TextOps();
    ASSERT_EQ(ops.size(), 1);
    const bool boxes = ops[0]->Advances.value(0) == 165;
    EXPECT_EQ(boxes, GetParam().boxes);
}

INSTANTIATE_TEST_SUITE_P(Modes, PostcodeModeTest,
                         ::testing::Values(PostcodeModeCase{"sevenDigits", u"1234567", true},
                                           PostcodeModeCase{"threeHyphenFour", u"123-4567", false},
                                           PostcodeModeCase{"postalMark", u"〒1234567", false},
                                           // The hyphen is the fifth character: it takes a box of its own.
                                           PostcodeModeCase{"fourHyphenThree", u"1234-567", true}),
                         rowName);

TEST(PosRectTest, plainPostcodeIsCentred)
{
    const auto item = postcodeItem(QStringLiteral("123-4567"));
    const TTextOp &op = *item->GetMetafile().TextOps()[0];
    EXPECT_EQ(op.Font.Height, -150); // 8 half-width characters of 75 dots fit 1125
    EXPECT_EQ(op.Origin, QPoint((1125 - 600) / 2, (250 - 150) / 2));
}

TEST(PosRectTest, eighthCharacterFollowsOneBoxAfterTheSeventhAndLaterOnesStack)
{
    const auto item = postcodeItem(QStringLiteral("123456789"));
    EXPECT_EQ(item->GetMetafile().TextOps()[0]->Advances, (QList<int>{165, 165, 180, 161, 161, 161, 135, 0, 0}));
}

TEST(PosRectTest, doubleWidthDoublesThePitchesAndGrowsTheDigitUntilTheBoxHeightStopsIt)
{
    const auto item = postcodeItem(QStringLiteral("1234567"), 360); // 2250 dots
    const TTextOp &op = *item->GetMetafile().TextOps()[0];
    EXPECT_EQ(op.Advances, (QList<int>{329, 329, 359, 321, 321, 321, 269}));
    // The width would allow -368, but the 250-dot box height stops the font at -250.
    EXPECT_EQ(op.Font.Height, -250);
}

TEST(PosRectTest, emptyPostcodeLeavesAnEmptyValidRecording)
{
    const auto item = postcodeItem(QString());
    EXPECT_TRUE(item->IsValid());
    EXPECT_TRUE(item->GetMetafile().TextOps().isEmpty());
}

TEST(PosRectTest, turnedPostcodeIsDrawnFromTheMirroredPoint)
{
    auto item = postcodeItem(QStringLiteral("1234567"));
    item->SetRotate180(true);
    item->Rebuild(false);
    const TTextOp &op = *item->GetMetafile().TextOps()[0];
    EXPECT_EQ(op.Origin, QPoint(1125 - 21, 250 - 33));
    EXPECT_EQ(op.Font.Escapement, 1800);
}

TEST(PosRectTest, alwaysWritesHorizontally)
{
    TPosRect item;
    TFont vertical;
    SetFontVertical(vertical);
    item.SetFont(vertical);
    item.SetReferenceDevice(printerAt(600));
    item.SetRect({0, 0, 180, 40});
    item.RescaleFont(TTenthMm(1480));
    item.SetPostcode(QStringLiteral("1234567"));
    item.Rebuild(false);
    EXPECT_FALSE(item.GetFont().isVertical());
    ASSERT_EQ(item.GetMetafile().TextOps().size(), 1);
    EXPECT_EQ(item.GetMetafile().TextOps()[0]->Font.Escapement, 0);
}

struct PostcodeHeightCase {
    const char *name;
    bool sender, inBlock;
    qint32 base;
    TDrawRectKind kind;
};

class PostcodeHeightTest : public ::testing::TestWithParam<PostcodeHeightCase> {};

TEST_P(PostcodeHeightTest, takesTheBaseHeightOfItsRole)
{
    TPosRect item;
    item.SetSender(GetParam().sender);
    item.SetInBlock(GetParam().inBlock);
    item.RescaleFont(TTenthMm(1480));
    EXPECT_EQ(item.GetBaseHeight(), GetParam().base);
    EXPECT_EQ(item.GetKind(), GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(
    Roles, PostcodeHeightTest,
    ::testing::Values(PostcodeHeightCase{"recipient", false, false, -24, TDrawRectKind::RecipientPostcode},
                      PostcodeHeightCase{"sender", true, false, -19, TDrawRectKind::SenderPostcode},
                      PostcodeHeightCase{"senderInBlock", true, true, -24, TDrawRectKind::SenderPostcode}),
    rowName);

TEST(PosRectTest, clearContentEmptiesThePostcode)
{
    auto item = postcodeItem(QStringLiteral("1234567"));
    item->ClearContent();
    EXPECT_TRUE(item->GetPostcode().isEmpty());
    EXPECT_FALSE(item->IsValid());
}

} // namespace
