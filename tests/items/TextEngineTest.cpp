#include "items/FontFaces.h"
#include "items/MetaRect.h"
#include "items/MetaCanvas.h"
#include "items/TextShaper.h"
#include "support/RowName.h"

#include <QImage>
#include <QLineF>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

TCanvasFont fontOf(qint32 Height, const QString &Face = QString::fromUtf16(u"ＭＳ 明朝"))
{
    TCanvasFont f;
    f.Face = Face;
    f.Height = Height;
    return f;
}

// ---- Fixed metrics ---------------------------------------------------------

struct WidthCase {
    const char *name;
    const char16_t *text;
    qint32 height;
    int width;
};

class FixedMetricsTest : public ::testing::TestWithParam<WidthCase> {};

TEST_P(FixedMetricsTest, measuresFullWidthAsOneEmAndHalfWidthAsHalf)
{
    TFixedTextMetrics m;
    EXPECT_EQ(m.width(fontOf(GetParam().height), QString::fromUtf16(GetParam().text)), GetParam().width);
}

INSTANTIATE_TEST_SUITE_P(Cases, FixedMetricsTest,
                         ::testing::Values(WidthCase{"kanji", u"東京都", -40, 120},
                                           WidthCase{"asciiDigits", u"123", -40, 60},
                                           WidthCase{"halfWidthKana", u"ｱｲ", -40, 40},
                                           WidthCase{"oddEmTruncatesHalf", u"1", -175, 87},
                                           WidthCase{"positiveHeightIsTheEm", u"一", 30, 30},
                                           // Outside Shift-JIS: judged by the East Asian width.
                                           WidthCase{"wideOutsideShiftJis", u"𠮷", -40, 40},
                                           WidthCase{"empty", u"", -40, 0}),
                         rowName);

TEST(FixedMetricsTest, lineHeightIsTheEm)
{
    EXPECT_EQ(TFixedTextMetrics().lineHeight(fontOf(-28)), 28);
}

TEST(FixedMetricsTest, widthRatioNarrowsEachCharacter)
{
    TCanvasFont f = fontOf(-40);
    f.WidthRatio = 0.75;
    EXPECT_EQ(TFixedTextMetrics().width(f, u"様方"), 60);
}

TEST(FixedMetricsTest, fitCountStopsBeforeTheFirstCharacterThatCrosses)
{
    TFixedTextMetrics m;
    EXPECT_EQ(m.fitCount(fontOf(-10), u"一二三", 29), 2);
    EXPECT_EQ(m.fitCount(fontOf(-10), u"一二三", 30), 3);
    EXPECT_EQ(m.fitCount(fontOf(-10), u"一二三", 9), 0);
}

TEST(SplitAtWidthTest, narrowerThanTheFirstCharacterLeavesTextEmpty)
{
    QString text = QString::fromUtf16(u"東京都");
    QString rest;
    SplitAtWidth(TFixedTextMetrics(), fontOf(-10), text, 9, rest);
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(rest, QString::fromUtf16(u"東京都"));
}

TEST(SplitAtWidthTest, keepsWhatFitsAndPassesTheRest)
{
    QString text = QString::fromUtf16(u"東京都1");
    QString rest = QStringLiteral("old");
    SplitAtWidth(TFixedTextMetrics(), fontOf(-10), text, 25, rest);
    EXPECT_EQ(text, QString::fromUtf16(u"東京"));
    EXPECT_EQ(rest, QString::fromUtf16(u"都1"));
}

TEST(SplitAtWidthTest, emptyTextGivesEmptyRest)
{
    QString text, rest = QStringLiteral("x");
    SplitAtWidth(TFixedTextMetrics(), fontOf(-10), text, 100, rest);
    EXPECT_TRUE(rest.isEmpty());
}

TEST(SplitAtWidthTest, neverCutsASurrogatePair)
{
    QString text = QString::fromUtf16(u"a𠮷");
    QString rest;
    SplitAtWidth(TFixedTextMetrics(), fontOf(-10), text, 14, rest);
    EXPECT_EQ(text, QStringLiteral("a"));
    EXPECT_EQ(rest, QString::fromUtf16(u"𠮷"));
}

// ---- Character classes -------------------------------------------------------

struct OrientationCase {
    const char *name;
    char32_t c;
    bool upright;
};

class OrientationTest : public ::testing::TestWithParam<OrientationCase> {};

TEST_P(OrientationTest, setsFullWidthUprightAndHalfWidthSideways)
{
    EXPECT_EQ(IsUprightInVertical(GetParam().c), GetParam().upright);
}

INSTANTIATE_TEST_SUITE_P(Cases, OrientationTest,
                         ::testing::Values(OrientationCase{"kanji", U'東', true},
                                           OrientationCase{"fullWidthDigit", U'１', true},
                                           OrientationCase{"prolongedSound", U'ー', true},
                                           OrientationCase{"asciiDigit", U'1', false},
                                           OrientationCase{"halfWidthKatakana", U'ｱ', false},
                                           // Not in Shift-JIS: its Unicode vertical orientation decides.
                                           OrientationCase{"cyrillicOutsideSjisRotates", U'Ж', true},
                                           OrientationCase{"latinExtendedRotates", U'ŀ', false},
                                           OrientationCase{"hangulUpright", U'한', true}),
                         rowName);

// ---- Face table ------------------------------------------------------------------

struct FaceCase {
    const char *name;
    const char16_t *face;
    const char *family;
    bool vertical;
};

class FaceTableTest : public ::testing::TestWithParam<FaceCase> {};

TEST_P(FaceTableTest, mapsWindowsFacesOntoInstalledJapaneseFaces)
{
    const TResolvedFace r = ResolveFontFace(QString::fromUtf16(GetParam().face));
    EXPECT_EQ(r.family, QString::fromLatin1(GetParam().family));
    EXPECT_EQ(r.vertical, GetParam().vertical);
}

INSTANTIATE_TEST_SUITE_P(Faces, FaceTableTest,
                         ::testing::Values(FaceCase{"mincho", u"ＭＳ 明朝", "IPAexMincho", false},
                                           FaceCase{"verticalMincho", u"@ＭＳ 明朝", "IPAexMincho", true},
                                           FaceCase{"proportionalMincho", u"ＭＳ Ｐ明朝", "IPAexMincho", false},
                                           FaceCase{"gothic", u"ＭＳ ゴシック", "Noto Sans Mono CJK JP", false},
                                           FaceCase{"verticalGothic", u"@ＭＳ ゴシック", "Noto Sans Mono CJK JP", true},
                                           FaceCase{"proportionalGothic", u"ＭＳ Ｐゴシック", "IPAexGothic", false},
                                           FaceCase{"unknownFallsBackToMincho", u"存在しない書体", "IPAexMincho", false}),
                         rowName);

TEST(FaceTableTest, installedFaceNotInTableIsItself)
{
    EXPECT_EQ(ResolveFontFace(QStringLiteral("Noto Serif CJK JP")).family, QStringLiteral("Noto Serif CJK JP"));
}

// ---- Design metrics ----------------------------------------------------------------

TEST(DesignMetricsTest, fullWidthIsOneEmAndLatinIsNarrower)
{
    TDesignTextMetrics m;
    const TCanvasFont f = fontOf(-100);
    EXPECT_EQ(m.width(f, u"一"), 100);
    EXPECT_LT(m.width(f, u"i"), 50);
    EXPECT_EQ(m.lineHeight(f), 100); // the IPAex faces' ascent and descent make one em
}

TEST(DesignMetricsTest, widthScalesWithTheHeightWithoutHinting)
{
    TDesignTextMetrics m;
    const int w100 = m.width(fontOf(-100), u"Address");
    const int w1000 = m.width(fontOf(-1000), u"Address");
    EXPECT_NEAR(w1000, w100 * 10, 7); // only the per-character rounding differs
}

// A piece asks for several faces in turn (a column's vertical face, its
// digits set across, the name's face): each text is measured and shaped in
// its own face however the faces alternate, more of them than are kept at
// hand.
TEST(DesignMetricsTest, eachTextTakesItsOwnFaceWhileFacesAlternate)
{
    TDesignTextMetrics metrics;
    THarfBuzzShaper shaper;
    const QString mono = QString::fromUtf16(u"ＭＳ ゴシック");   // half-width letters of half an em
    const QString wide = QString::fromUtf16(u"ＭＳ Ｐゴシック"); // proportional letters
    if (ResolveFontFace(mono).family == ResolveFontFace(wide).family)
        GTEST_SKIP() << "no monospaced Japanese face installed";
    const QStringList faces{mono, wide, u'@' + mono, u'@' + wide, QString::fromUtf16(u"ＭＳ 明朝"),
                            QStringLiteral("@") + QString::fromUtf16(u"ＭＳ 明朝")};
    const QString text = QStringLiteral("iiii");
    QString monoName;
    for (int round = 0; round < 3; ++round)
        for (const QString &face : faces) {
            const TCanvasFont f = fontOf(-100, face);
            const QList<int> advances = metrics.advances(f, text);
            const int width = metrics.width(f, text);
            const bool isMono = face.endsWith(mono);
            if (isMono)
                EXPECT_EQ(width, 200) << qPrintable(face) << " round " << round;
            else
                EXPECT_LT(width, 200) << qPrintable(face) << " round " << round;
            const std::vector<TGlyphRun> runs =
                shaper.shape(f, text, advances, metrics.lineHeight(f), metrics.emSize(f), QTransform());
            ASSERT_FALSE(runs.empty()) << qPrintable(face);
            if (isMono && monoName.isEmpty())
                monoName = runs.front().Face;
            EXPECT_EQ(runs.front().Face == monoName, isMono) << qPrintable(face) << " round " << round;
        }
}

// ---- Vertical forms ------------------------------------------------------------------

struct VertFormCase {
    const char *name;
    const char16_t *text;
    bool substituted;
};

class VerticalFormTest : public ::testing::TestWithParam<VertFormCase> {};

TEST_P(VerticalFormTest, vertFeatureSubstitutesPunctuationButNotKanji)
{
    const QString face = QString::fromUtf16(u"@ＭＳ 明朝");
    const QString text = QString::fromUtf16(GetParam().text);
    const QList<quint32> plain = GlyphsForText(face, 0, text, false);
    const QList<quint32> vertical = GlyphsForText(face, 0, text, true);
    ASSERT_EQ(plain.size(), 1);
    ASSERT_EQ(vertical.size(), 1);
    EXPECT_NE(plain[0], 0u);
    EXPECT_EQ(plain[0] != vertical[0], GetParam().substituted);
}

INSTANTIATE_TEST_SUITE_P(Chars, VerticalFormTest,
                         ::testing::Values(VertFormCase{"prolongedSound", u"ー", true},
                                           VertFormCase{"ideographicComma", u"、", true},
                                           VertFormCase{"openingParenthesis", u"（", true},
                                           VertFormCase{"smallTsu", u"っ", true},
                                           VertFormCase{"kanjiOne", u"一", false},
                                           VertFormCase{"kanjiEast", u"東", false}),
                         rowName);

TEST(VerticalForms, textGivesTheGlyphsOfItsCharacters)
{
    const QString face = QString::fromUtf16(u"@ＭＳ 明朝");
    const QString text = QString::fromUtf16(u"東京（一ー二）、っ");
    for (const bool vertical : {false, true}) {
        const QList<quint32> whole = GlyphsForText(face, 0, text, vertical);
        ASSERT_EQ(whole.size(), text.size());
        for (qsizetype i = 0; i < text.size(); ++i)
            EXPECT_EQ(GlyphsForText(face, 0, text.mid(i, 1), vertical).value(0), whole[i]) << i << vertical;
    }
}

// A combining sound mark joins its kana: such a text is shaped as a whole.
TEST(VerticalForms, soundMarkIsComposedWithItsKana)
{
    const QString face = QString::fromUtf16(u"@ＭＳ 明朝");
    const QList<quint32> marked = GlyphsForText(face, 0, QString::fromUtf16(u"か\u3099ー"), true);
    ASSERT_EQ(marked.size(), 3);
    EXPECT_EQ(marked[0], GlyphsForText(face, 0, QStringLiteral("が"), true).value(0));
    EXPECT_EQ(marked[2], GlyphsForText(face, 0, QStringLiteral("ー"), true).value(0));
}

// ---- Measuring and shaping again ------------------------------------------------------

// A text's width is what its cells take one after another, whether its
// characters were measured before or are met for the first time.
struct TSumCase {
    const char *name;
    const char16_t *text;
    double ratio;
};

class WidthSumTest : public ::testing::TestWithParam<TSumCase> {};

TEST_P(WidthSumTest, widthIsTheSumOfTheAdvances)
{
    TDesignTextMetrics m;
    TCanvasFont f = fontOf(-97);
    f.WidthRatio = GetParam().ratio;
    const QString text = QString::fromUtf16(GetParam().text);
    const int first = m.width(f, text); // before the advances are asked
    int sum = 0;
    for (const int a : m.advances(f, text))
        sum += a;
    EXPECT_EQ(first, sum);
    EXPECT_EQ(m.width(f, text), sum);
}

INSTANTIATE_TEST_SUITE_P(Cases, WidthSumTest,
                         ::testing::Values(TSumCase{"kanjiNeverMeasured", u"龘靐齉", 1.0},
                                           TSumCase{"latinAndDigits", u"Address 1-2", 1.0},
                                           TSumCase{"surrogatePairNeverMeasured", u"𩸽𠮷", 1.0},
                                           TSumCase{"soundMarkTakesNoCell", u"か\u3099き", 1.0},
                                           TSumCase{"halfWidthKana", u"ｶﾞｷﾞ", 1.0},
                                           TSumCase{"narrowedHalfPixelsRoundEach", u"一i一i1", 0.75},
                                           TSumCase{"empty", u"", 1.0}),
                         rowName);

// What a glyph run holds, so that two shapings of a text can be compared
// whole.
QString describe(const std::vector<TGlyphRun> &Runs)
{
    QString out;
    for (const TGlyphRun &r : Runs) {
        out += QStringLiteral("[%1 %2 %3]")
                   .arg(r.Face)
                   .arg(r.Font.pixelSize())
                   .arg(r.Texts.join(u'|'));
        for (qsizetype i = 0; i < r.Glyphs.size(); ++i)
            out += QStringLiteral(" %1@%2,%3").arg(r.Glyphs[i]).arg(r.Positions.value(i).x(), 0, 'g', 17).arg(
                r.Positions.value(i).y(), 0, 'g', 17);
        for (const double v : {r.Transform.m11(), r.Transform.m12(), r.Transform.m21(), r.Transform.m22(),
                               r.Transform.dx(), r.Transform.dy()})
            out += QStringLiteral(" %1").arg(v, 0, 'g', 17);
    }
    return out;
}

std::vector<TGlyphRun> shapeColumn(const QString &Text, int Em, double Ratio = 1.0)
{
    TDesignTextMetrics m;
    THarfBuzzShaper shaper;
    TCanvasFont f = fontOf(-Em, QString::fromUtf16(u"@ＭＳ 明朝"));
    f.Escapement = 2700;
    f.WidthRatio = Ratio;
    return shaper.shape(f, Text, m.advances(f, Text), m.lineHeight(f), m.emSize(f),
                        QTransform().rotate(90) * QTransform::fromTranslate(300, 40));
}

// What a text's first shaping finds out (its glyphs, which of its marks
// turn, its face at that size) is kept for the next: the next gives the
// same runs.
TEST(ShapingAgainTest, sameTextGivesTheSameRunsTheSecondTime)
{
    // Characters no other case shapes, so that the first shaping finds out
    // everything afresh: kanji, a dash that turns, half-width digits.
    const QString text = QString::fromUtf16(u"鬯鬲‐３２鬻 12");
    const QString first = describe(shapeColumn(text, 53, 0.8));
    EXPECT_EQ(describe(shapeColumn(text, 53, 0.8)), first);
    EXPECT_TRUE(first.contains(QStringLiteral("鬯|鬲"))) << qPrintable(first);
}

// Each size keeps its own advances: an upright glyph stands centred across
// its column at every size, and going back to a size, also after more
// sizes than are kept, gives what it gave before.
TEST(ShapingAgainTest, eachSizeCentresItsOwnGlyphs)
{
    const QString text = QString::fromUtf16(u"東");
    const auto across = [&](int Em) {
        const std::vector<TGlyphRun> runs = shapeColumn(text, Em);
        return runs.empty() || runs[0].Positions.isEmpty() ? 0.0 : runs[0].Positions[0].x();
    };
    const double at40 = across(40);
    const double at80 = across(80);
    ASSERT_LT(at40, 0);
    EXPECT_NEAR(at80, 2 * at40, 1e-9);
    for (int em = 100; em < 180; ++em)
        (void)across(em);
    EXPECT_EQ(across(40), at40);
    EXPECT_EQ(across(80), at80);
}

// Half-width characters of a column lie on their base line, which sits
// where the face's ascent puts it at each size.
TEST(ShapingAgainTest, eachSizeSetsItsOwnBaseLine)
{
    const auto baseLine = [](int Em) {
        const std::vector<TGlyphRun> runs = shapeColumn(QStringLiteral("7"), Em);
        return runs.empty() || runs[0].Positions.isEmpty() ? 0.0 : runs[0].Positions[0].y();
    };
    const double at40 = baseLine(40);
    ASSERT_GT(at40, 20);
    ASSERT_LT(at40, 40);
    EXPECT_DOUBLE_EQ(baseLine(80), 2 * at40);
    EXPECT_EQ(baseLine(40), at40);
}

// ---- Recording again -------------------------------------------------------------

// The texts of a recording, each with its layout and its runs.
QString describe(const TMetafileEx &Recording)
{
    QString out;
    for (const TTextOp *op : Recording.TextOps()) {
        out += QStringLiteral("{%1 @%2,%3 %4 h%5 %6:").arg(op->Text).arg(op->Origin.x()).arg(op->Origin.y())
                   .arg(op->Font.Face).arg(op->CellHeight).arg(op->Font.Escapement);
        for (const int a : op->Advances)
            out += QStringLiteral(" %1").arg(a);
        out += describe(op->Runs) + u'}';
    }
    return out;
}

struct TTexts {
    bool vertical;
    std::vector<const char16_t *> texts;
};

void record(TMetafileEx &Recording, const TTexts &Texts)
{
    static const TDesignTextMetrics metrics;
    static const THarfBuzzShaper shaper;
    TRecordingCanvas canvas(Recording, metrics, &shaper);
    canvas.Font = fontOf(-48, QString::fromUtf16(Texts.vertical ? u"@ＭＳ 明朝" : u"ＭＳ ゴシック"));
    canvas.Font.Escapement = Texts.vertical ? 2700 : 0;
    int x = 400;
    for (const char16_t *text : Texts.texts) {
        canvas.TextOut(x, 30, QString::fromUtf16(text));
        x -= 60;
    }
}

struct TAgainCase {
    const char *name;
    TTexts first;
    TTexts second;
};

class RecordingAgainTest : public ::testing::TestWithParam<TAgainCase> {};

// A recording cleared and made again (the next record of a print run)
// refills the texts of the one before: nothing of the first may remain.
TEST_P(RecordingAgainTest, recordingAfterClearEqualsAFreshRecording)
{
    TMetafileEx fresh;
    record(fresh, GetParam().second);
    TMetafileEx again;
    record(again, GetParam().first);
    again.Clear();
    record(again, GetParam().second);
    ASSERT_FALSE(describe(fresh).isEmpty());
    EXPECT_EQ(describe(again), describe(fresh));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordingAgainTest,
    ::testing::Values(TAgainCase{"longerTextAfterShorter", {true, {u"東"}}, {true, {u"東京都千代田区丸の内"}}},
                      TAgainCase{"shorterTextAfterLonger", {true, {u"東京都千代田区丸の内"}}, {true, {u"東"}}},
                      TAgainCase{"fewerTextsAfterMore", {true, {u"一丁目", u"二丁目", u"三丁目"}}, {true, {u"四"}}},
                      TAgainCase{"moreTextsAfterFewer", {true, {u"四"}}, {true, {u"一丁目", u"二丁目", u"三丁目"}}},
                      // Half-width letters lie along the column in runs of their own.
                      TAgainCase{"fewerRunsAfterMore", {true, {u"東ab京cd都12"}}, {true, {u"大阪"}}},
                      TAgainCase{"moreRunsAfterFewer", {true, {u"大阪"}}, {true, {u"東ab京cd都12"}}},
                      TAgainCase{"rowAfterColumn", {true, {u"東ab京"}}, {false, {u"東ab京"}}},
                      TAgainCase{"columnAfterRow", {false, {u"東ab京"}}, {true, {u"東ab京"}}},
                      // The face lacks "𠮷": it is drawn from another face.
                      TAgainCase{"ownFaceAfterAnother", {true, {u"𠮷田"}}, {true, {u"山田"}}},
                      TAgainCase{"anotherFaceAfterOwn", {true, {u"山田"}}, {true, {u"𠮷田"}}},
                      TAgainCase{"emptyAfterText", {true, {u"山田", u""}}, {true, {u"", u"山"}}}),
    rowName);

// A copy of a recording (an item copied on the page) keeps its texts when
// the original is recorded again.
TEST(RecordingAgainTest, copyKeepsItsTextsWhenTheOriginalIsRecordedAgain)
{
    const TTexts first{true, {u"東京都", u"千代田区"}};
    TMetafileEx expected;
    record(expected, first);
    TMetafileEx original;
    record(original, first);
    const TMetafileEx copy = original;
    original.Clear();
    record(original, {true, {u"大阪府", u"北区"}});
    EXPECT_EQ(describe(copy), describe(expected));
    EXPECT_NE(describe(original), describe(expected));
}

// ---- Recording and playing ----------------------------------------------------------

TEST(RecordingCanvasTest, recordsTextWithItsLayoutForInspection)
{
    TMetafileEx mf;
    TFixedTextMetrics m;
    TRecordingCanvas c(mf, m, nullptr);
    c.Font = fontOf(-20);
    c.TextOut(5, 7, u"東京1");
    ASSERT_EQ(mf.TextOps().size(), 1);
    const TTextOp &op = *mf.TextOps()[0];
    EXPECT_EQ(op.Text, QString::fromUtf16(u"東京1"));
    EXPECT_EQ(op.Origin, QPoint(5, 7));
    EXPECT_EQ(op.Advances, (QList<int>{20, 20, 10}));
    EXPECT_EQ(op.CellHeight, 20);
    EXPECT_TRUE(op.Runs.empty());
}

TEST(RecordingCanvasTest, wideExtTextOutTakesTheGivenAdvances)
{
    TMetafileEx mf;
    TFixedTextMetrics m;
    TRecordingCanvas c(mf, m, nullptr);
    EXPECT_TRUE(WideExtTextOut(c, 0, 0, u"123", {30, 31, 0}));
    EXPECT_FALSE(WideExtTextOut(c, 0, 0, u"123", {30}));
    ASSERT_EQ(mf.TextOps().size(), 1);
    EXPECT_EQ(mf.TextOps()[0]->Advances, (QList<int>{30, 31, 0}));
}

// Advances beyond the text are left out and missing ones count as 0; the
// caller's advances stay as they were.
struct TDxCase {
    const char *name;
    const char16_t *text;
    QList<int> dx;
    QList<int> recorded;
};

class ExtTextOutAdvancesTest : public ::testing::TestWithParam<TDxCase> {};

TEST_P(ExtTextOutAdvancesTest, recordsOneAdvancePerUnitOfTheText)
{
    TMetafileEx mf;
    TFixedTextMetrics m;
    TRecordingCanvas c(mf, m, nullptr);
    const QList<int> dx = GetParam().dx;
    const QList<int> given = dx;
    c.ExtTextOut(0, 0, QString::fromUtf16(GetParam().text), dx);
    ASSERT_EQ(mf.TextOps().size(), 1);
    EXPECT_EQ(mf.TextOps()[0]->Advances, GetParam().recorded);
    EXPECT_EQ(dx, given);
}

INSTANTIATE_TEST_SUITE_P(Cases, ExtTextOutAdvancesTest,
                         ::testing::Values(TDxCase{"asManyAsUnits", u"123", {30, 31, 0}, {30, 31, 0}},
                                           TDxCase{"missingCountAsZero", u"123", {30}, {30, 0, 0}},
                                           TDxCase{"noneGiven", u"12", {}, {0, 0}},
                                           TDxCase{"extraAreLeftOut", u"12", {30, 31, 32}, {30, 31}}),
                         rowName);

TEST(RecordingCanvasTest, unbalancedPopIsIgnored)
{
    TMetafileEx mf;
    TFixedTextMetrics m;
    TRecordingCanvas c(mf, m, nullptr);
    c.PopClip();
    c.PushClip(QRect(0, 0, 5, 5));
    c.PopClip();
    EXPECT_EQ(mf.Ops().size(), 2u);
}

int countInk(const QImage &img, const QRect &area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(img.pixel(x, y)) < 128)
                ++n;
    return n;
}

TEST(MetafileTest, drawStretchesOntoTheRectangleOneUnitLarger)
{
    TMetafileEx mf;
    mf.SetSize(QSize(200, 100));
    QPainterPath p;
    p.addRect(0, 0, 200, 100);
    mf.Append(TPathOp{p, Qt::NoPen, Qt::black});
    QImage img(120, 60, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter painter(&img);
    mf.Draw(painter, TScreenRect{0, 0, 99, 49});
    painter.end();
    EXPECT_EQ(countInk(img, img.rect()), 100 * 50);
}

TEST(MetafileTest, clipLimitsWhatFollowsUntilItIsPopped)
{
    TMetafileEx mf;
    mf.SetSize(QSize(100, 100));
    QPainterPath half;
    half.addRect(0, 0, 100, 50);
    QPainterPath low;
    low.addRect(0, 50, 100, 50);
    mf.Append(TClipPushOp{QRectF(0, 0, 10, 100)});
    mf.Append(TPathOp{half, Qt::NoPen, Qt::black});
    mf.Append(TClipPopOp{});
    mf.Append(TPathOp{low, Qt::NoPen, Qt::black});
    QImage img(100, 100, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter painter(&img);
    mf.Play(painter, QPointF(0, 0), mf.Dpi());
    painter.end();
    EXPECT_EQ(countInk(img, QRect(0, 0, 100, 50)), 10 * 50);
    EXPECT_EQ(countInk(img, QRect(0, 50, 100, 50)), 100 * 50);
}

// A vertical line of text written downwards from (x, 0): every glyph stands
// in the column left of x, none beyond it.
TEST(MetafileTest, verticalTextIsDrawnDownTheColumnLeftOfItsOrigin)
{
    TMetafileEx mf;
    mf.SetSize(QSize(200, 400));
    TDesignTextMetrics m;
    THarfBuzzShaper shaper;
    TRecordingCanvas c(mf, m, &shaper);
    c.Font = fontOf(-60, QString::fromUtf16(u"@ＭＳ 明朝"));
    c.Font.Escapement = 2700;
    c.TextOut(130, 10, u"東京都ー");
    QImage img(200, 400, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter painter(&img);
    mf.Play(painter, QPointF(0, 0), mf.Dpi());
    painter.end();
    EXPECT_GT(countInk(img, QRect(70, 10, 60, 240)), 1000);
    EXPECT_EQ(countInk(img, QRect(0, 0, 68, 400)), 0);
    EXPECT_EQ(countInk(img, QRect(132, 0, 68, 400)), 0);
    EXPECT_EQ(countInk(img, QRect(0, 252, 200, 148)), 0);
    // Each of the four cells holds ink of its own character.
    for (int i = 0; i < 4; ++i)
        EXPECT_GT(countInk(img, QRect(70, 10 + 60 * i, 60, 60)), 30) << "cell " << i;
}

// A name such as "𠮷田" has a character the first Japanese face of the
// table lacks; it is drawn from another installed Japanese face, never as
// the empty box of a missing glyph.
TEST(MetafileTest, aCharacterTheFaceLacksIsDrawnFromAnotherJapaneseFace)
{
    const QString face = QString::fromUtf16(u"ＭＳ 明朝");
    const QString text = QString::fromUtf16(u"𠮷田");
    if (GlyphsForText(face, 0, text, false).value(0) != 0)
        GTEST_SKIP() << "the first face has the character itself";
    bool elsewhere = false;
    for (const QString &family : FaceCandidates(face))
        elsewhere = elsewhere || GlyphsForText(family, 0, text, false).value(0) != 0;
    if (!elsewhere)
        GTEST_SKIP() << "no installed face has the character";
    THarfBuzzShaper shaper;
    for (const QString &name : {face, QLatin1Char('@') + face}) {
        TCanvasFont font = fontOf(-60, name);
        if (name.startsWith(QLatin1Char('@')))
            font.Escapement = 2700;
        const std::vector<TGlyphRun> runs = shaper.shape(font, text, {60, 0, 60}, 60, 60, QTransform());
        qsizetype glyphs = 0;
        for (const TGlyphRun &r : runs) {
            glyphs += r.Glyphs.size();
            for (quint32 g : r.Glyphs)
                EXPECT_NE(g, 0u) << qPrintable(name);
            EXPECT_EQ(r.Glyphs.size(), r.Positions.size());
        }
        EXPECT_EQ(glyphs, 2) << qPrintable(name);
    }
}

// A name with a joining mark keeps the cells of the plain name and draws no
// empty box for the mark: an ideographic variation sequence ("葛" followed
// by U+E0100, as official registers write it), or a name pasted in
// decomposed form ("か" and the combining voiced mark, as some systems
// write file names).
struct TJoiningCase {
    const char *name;
    const char16_t *marked;
    const char16_t *plain;
    qsizetype units;  // UTF-16 units of the marked name
    qsizetype glyphs; // glyphs drawn
};
class MetafileJoiningMark : public ::testing::TestWithParam<TJoiningCase>
{
};

TEST_P(MetafileJoiningMark, takesTheCellsOfThePlainNameAndDrawsNoBox)
{
    const TJoiningCase &c = GetParam();
    const QString marked = QString::fromUtf16(c.marked);
    const QString plain = QString::fromUtf16(c.plain);
    ASSERT_EQ(marked.size(), c.units);
    TDesignTextMetrics design;
    TFixedTextMetrics fixed;
    for (const QString &face : {QString::fromUtf16(u"ＭＳ 明朝"), QString::fromUtf16(u"@ＭＳ 明朝")}) {
        TCanvasFont font = fontOf(-60, face);
        EXPECT_EQ(design.width(font, marked), design.width(font, plain)) << qPrintable(face);
        EXPECT_EQ(fixed.width(font, marked), fixed.width(font, plain)) << qPrintable(face);
        if (face.startsWith(QLatin1Char('@')))
            font.Escapement = 2700;
        THarfBuzzShaper shaper;
        const std::vector<TGlyphRun> runs =
            shaper.shape(font, marked, design.advances(font, marked), 60, 60, QTransform());
        qsizetype glyphs = 0;
        for (const TGlyphRun &r : runs) {
            glyphs += r.Glyphs.size();
            for (quint32 g : r.Glyphs)
                EXPECT_NE(g, 0u) << qPrintable(face);
        }
        EXPECT_EQ(glyphs, c.glyphs) << qPrintable(face);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Marks, MetafileJoiningMark,
    ::testing::Values(TJoiningCase{"variationSelector", u"葛\U000E0100西", u"葛西", 4, 2},
                      TJoiningCase{"combiningVoicedMark", u"か\u304B\u3099み", u"かがみ", 4, 3}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(MetafileTest, aBorrowedCharacterStandsInItsOwnCellOfTheColumn)
{
    const QString face = QString::fromUtf16(u"@ＭＳ 明朝");
    TMetafileEx mf;
    mf.SetSize(QSize(200, 400));
    TDesignTextMetrics m;
    THarfBuzzShaper shaper;
    TRecordingCanvas c(mf, m, &shaper);
    c.Font = fontOf(-60, face);
    c.Font.Escapement = 2700;
    c.TextOut(130, 10, u"田𠮷田");
    QImage img(200, 400, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter painter(&img);
    mf.Play(painter, QPointF(0, 0), mf.Dpi());
    painter.end();
    EXPECT_EQ(countInk(img, QRect(0, 0, 68, 400)), 0);
    EXPECT_EQ(countInk(img, QRect(132, 0, 68, 400)), 0);
    for (int i = 0; i < 3; ++i)
        EXPECT_GT(countInk(img, QRect(70, 10 + 60 * i, 60, 60)), 30) << "cell " << i;
    EXPECT_EQ(countInk(img, QRect(0, 192, 200, 208)), 0);
}

// The ink's bounding box of a recording played 1:1 onto a white page.
QRect inkBounds(const TMetafileEx &Mf, QSize Page)
{
    QImage img(Page, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter painter(&img);
    Mf.Play(painter, QPointF(0, 0), Mf.Dpi());
    painter.end();
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
    return box;
}

// A narrowed upright character in a vertical column is squeezed along the
// column (down the page) and stays inside its own narrowed cell, while its
// breadth across the column is unchanged.
TEST(MetafileTest, narrowedVerticalCharacterIsSqueezedAlongTheColumnInsideItsCell)
{
    TDesignTextMetrics m;
    THarfBuzzShaper shaper;
    auto record = [&](double ratio, TMetafileEx &mf) {
        TRecordingCanvas c(mf, m, &shaper);
        c.Font = fontOf(-100, QString::fromUtf16(u"@ＭＳ 明朝"));
        c.Font.Escapement = 2700;
        SetFontWidthRatio(c, ratio);
        c.TextOut(150, 20, u"口");
        return c.TextWidth(u"口");
    };
    TMetafileEx natural, narrow;
    EXPECT_EQ(record(1.0, natural), 100);
    EXPECT_EQ(record(0.75, narrow), 75);
    const QRect a = inkBounds(natural, QSize(200, 200));
    const QRect b = inkBounds(narrow, QSize(200, 200));
    ASSERT_FALSE(a.isEmpty());
    ASSERT_FALSE(b.isEmpty());
    EXPECT_NEAR(double(b.height()) / a.height(), 0.75, 0.05);
    EXPECT_NEAR(b.width(), a.width(), 2);
    EXPECT_GE(b.top(), 20);
    EXPECT_LE(b.bottom(), 20 + 75);
}

// Dashes between the numbers of a vertical address run along the column: a
// horizontal stroke there reads as the kanji "一". A dash the face has no
// vertical form for is turned with the column, inside its own cell.
struct DashCase {
    const char *name;
    const char16_t *face;
    const char16_t *text;
};

class VerticalDashTest : public ::testing::TestWithParam<DashCase> {};

TEST_P(VerticalDashTest, runsAlongTheColumnInsideItsCell)
{
    TDesignTextMetrics m;
    THarfBuzzShaper shaper;
    TMetafileEx mf;
    mf.SetSize(QSize(200, 200));
    TRecordingCanvas c(mf, m, &shaper);
    c.Font = fontOf(-100, QString::fromUtf16(GetParam().face));
    c.Font.Escapement = 2700;
    c.TextOut(150, 20, QString::fromUtf16(GetParam().text));
    const QRect ink = inkBounds(mf, QSize(200, 200));
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GT(ink.height(), 2 * ink.width()) << ink.width() << "x" << ink.height();
    EXPECT_GE(ink.left(), 50);
    EXPECT_LE(ink.right(), 150);
    EXPECT_GE(ink.top(), 20);
    EXPECT_LE(ink.bottom(), 120);
}

INSTANTIATE_TEST_SUITE_P(Cases, VerticalDashTest,
                         ::testing::Values(DashCase{"fullWidthHyphenMincho", u"@ＭＳ 明朝", u"－"},
                                           DashCase{"minusMincho", u"@ＭＳ 明朝", u"−"},
                                           DashCase{"fullWidthHyphenGothic", u"@ＭＳ Ｐゴシック", u"－"},
                                           DashCase{"prolongedSoundMincho", u"@ＭＳ 明朝", u"ー"},
                                           DashCase{"horizontalBarMincho", u"@ＭＳ 明朝", u"―"}),
                         rowName);

TEST(RecordingCanvasTest, widthRatioOfZeroOrOneIsTheNaturalWidth)
{
    TMetafileEx mf;
    TFixedTextMetrics m;
    TRecordingCanvas c(mf, m, nullptr);
    c.Font = fontOf(-40);
    SetFontWidthRatio(c, 0.75);
    EXPECT_EQ(c.TextWidth(u"様方"), 60);
    SetFontWidthRatio(c, 0);
    EXPECT_EQ(c.TextWidth(u"様方"), 80);
}

} // namespace

// A half-width space in a vertical line has no ink to turn: it stays in the
// upright run around it, so a name such as "山田 太郎" is one run (on a PDF
// page one text object, not three), and the characters after it keep their
// cells. A space with no upright run before it is turned with what follows.
struct TSpaceCase {
    const char *name;
    const char16_t *text;
    const char16_t *runs; // the orientation of each run: U upright, T turned
};
class VerticalSpaceTest : public ::testing::TestWithParam<TSpaceCase>
{
};

TEST_P(VerticalSpaceTest, joinsTheUprightRunItFallsIn)
{
    TCanvasFont font = fontOf(-60, QString::fromUtf16(u"@ＭＳ 明朝"));
    font.Escapement = 2700;
    const QString text = QString::fromUtf16(GetParam().text);
    QList<int> advances;
    for (const QChar c : text)
        advances << (c.unicode() < 0x80 ? 30 : 60);
    THarfBuzzShaper shaper;
    const std::vector<TGlyphRun> runs = shaper.shape(font, text, advances, 60, 60, QTransform());
    QString kinds;
    QString drawn;
    for (const TGlyphRun &r : runs) {
        // An upright run is turned back a quarter against the column.
        kinds += r.Transform.m12() != 0 || r.Transform.m21() != 0 ? QLatin1Char('U') : QLatin1Char('T');
        drawn += r.Texts.join(QString());
        EXPECT_EQ(r.Glyphs.size(), r.Positions.size());
    }
    EXPECT_EQ(kinds, QString::fromUtf16(GetParam().runs));
    EXPECT_EQ(drawn, text) << "every character is drawn, in order";
}

INSTANTIATE_TEST_SUITE_P(Cases, VerticalSpaceTest,
                         ::testing::Values(TSpaceCase{"between_names", u"山田 太郎", u"U"},
                                           TSpaceCase{"two_spaces", u"山田  太郎", u"U"},
                                           TSpaceCase{"before_a_digit", u"丁目 1", u"UT"},
                                           TSpaceCase{"between_digits", u"1 2", u"T"},
                                           TSpaceCase{"leading", u" 山田", u"TU"}),
                         [](const auto &Info) { return std::string(Info.param.name); });

TEST(VerticalSpaceTest, keepsTheCellsOfTheCharactersAfterIt)
{
    TCanvasFont font = fontOf(-60, QString::fromUtf16(u"@ＭＳ 明朝"));
    font.Escapement = 2700;
    THarfBuzzShaper shaper;
    // The same advances with a kanji where the space is: 太 and 郎 stand
    // where they stood.
    const QList<int> advances{60, 60, 30, 60, 60};
    const std::vector<TGlyphRun> spaced = shaper.shape(font, u"山田 太郎", advances, 60, 60, QTransform());
    const std::vector<TGlyphRun> solid = shaper.shape(font, u"山田川太郎", advances, 60, 60, QTransform());
    ASSERT_EQ(spaced.size(), 1u);
    ASSERT_EQ(solid.size(), 1u);
    ASSERT_EQ(spaced[0].Positions.size(), 5);
    ASSERT_EQ(solid[0].Positions.size(), 5);
    for (int i : {0, 1, 3, 4})
        EXPECT_EQ(spaced[0].Positions[i].y(), solid[0].Positions[i].y()) << "glyph " << i;
    EXPECT_EQ(spaced[0].Transform, solid[0].Transform);
}

// ---- A full-width blank inside a line ------------------------------------------------

// A full-width blank between two words of a line written across is drawn a
// tenth of an em narrower than its cell, so that a PDF reader (which takes a
// whole em of blank for the gap between two columns) reads the line as one;
// the glyphs before it keep their places, the blank takes no more than its
// own width from those after it, and a column keeps its cells.
struct BlankCase {
    const char *name;
    const char16_t *text;
    bool across;
    double narrower; // ems the glyph after the blank stands nearer
};

class WideBlankTest : public ::testing::TestWithParam<BlankCase>
{
};

TEST_P(WideBlankTest, glyphAfterAWideBlankStandsAsFarAsTheCaseSays)
{
    const BlankCase &c = GetParam();
    TDesignTextMetrics metrics;
    THarfBuzzShaper shaper;
    constexpr int em = 100;
    TCanvasFont f = fontOf(-em, QString::fromUtf16(c.across ? u"ＭＳ 明朝" : u"@ＭＳ 明朝"));
    if (!c.across)
        f.Escapement = 2700;
    const QString text = QString::fromUtf16(c.text);
    const QList<int> advances = metrics.advances(f, text);
    const std::vector<TGlyphRun> runs =
        shaper.shape(f, text, advances, metrics.lineHeight(f), metrics.emSize(f), QTransform());
    QList<QPointF> at;
    for (const TGlyphRun &r : runs)
        for (const QPointF &p : r.Positions)
            at.append(r.Transform.map(p));
    ASSERT_EQ(at.size(), text.size());
    // Along the line: the last glyph's distance from the first, against
    // the cells the layout measured.
    const int last = int(text.size()) - 1;
    int cells = 0;
    for (int i = 0; i < last; ++i)
        cells += advances[i];
    const double along = QLineF(at[0], at[last]).length();
    EXPECT_NEAR(cells - along, c.narrower * metrics.emSize(f), 0.5) << qPrintable(text);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, WideBlankTest,
    ::testing::Values(BlankCase{"oneBlankAcross", u"第一　営業", true, 0.1},
                      BlankCase{"twoBlanksAcross", u"第一　営業　本部", true, 0.2},
                      BlankCase{"halfWidthBlankAcross", u"第一 営業", true, 0.0},
                      BlankCase{"noBlankAcross", u"第一営業", true, 0.0},
                      BlankCase{"blankDownAColumn", u"第一　営業", false, 0.0}),
    rowName);
