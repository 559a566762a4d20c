#include "util/PdfText.h"
#include "support/RowName.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QGlyphRun>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QRawFont faceOf(const QString &Family)
{
    QFont font(Family);
    font.setPixelSize(60);
    font.setStyleStrategy(QFont::NoFontMerging);
    QRawFont raw = QRawFont::fromFont(font);
    return raw.isValid() && raw.familyName() == Family ? raw : QRawFont();
}

// A glyph of Face that no character of the BMP reaches (a vertical or
// variant form), found by reading the whole BMP through the face.
quint32 unreachedGlyph(const QRawFont &Face)
{
    QString bmp;
    for (char16_t c = 0x20; c < 0xFFFE; ++c)
        if (!QChar::isSurrogate(c))
            bmp.append(QChar(c));
    const QList<quint32> reached = Face.glyphIndexesForString(bmp);
    const QSet<quint32> set(reached.cbegin(), reached.cend());
    for (quint32 glyph = 1; glyph < 0xFFFF; ++glyph)
        if (!set.contains(glyph) && !Face.pathForGlyph(glyph).isEmpty())
            return glyph;
    return 0;
}

// One run drawn into a PDF: the glyphs of a face and what each stands for.
struct TRun {
    QRawFont Face;
    QList<quint32> Glyphs;
    QStringList Texts;
};

TRun textRun(const QRawFont &Face, const QString &Text)
{
    TRun run{Face, {}, {}};
    for (qsizetype i = 0; i < Text.size();) {
        const qsizetype length = Text[i].isHighSurrogate() ? 2 : 1;
        run.Glyphs << Face.glyphIndexesForString(Text.mid(i, length)).value(0);
        run.Texts << Text.mid(i, length);
        i += length;
    }
    return run;
}

// The PDF of Runs, one line each; those drawn are noted into Notes.
QByteArray writePdf(const QList<TRun> &Runs, TPdfGlyphTexts *Notes)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(300);
        writer.setPageSize(QPageSize(QPageSize::A5));
        QPainter painter(&writer);
        qreal y = 100;
        for (const TRun &r : Runs) {
            QGlyphRun run;
            run.setRawFont(r.Face);
            run.setGlyphIndexes(r.Glyphs);
            QList<QPointF> positions;
            for (qsizetype i = 0; i < r.Glyphs.size(); ++i)
                positions << QPointF(20 + 62 * (i % 20), 70 * (i / 20));
            run.setPositions(positions);
            if (Notes)
                Notes->Note(r.Face, PostScriptName(r.Face), r.Glyphs, r.Texts);
            painter.drawGlyphRun(QPointF(0, y), run);
            y += 70 * ((r.Glyphs.size() + 19) / 20) + 40;
        }
    }
    return buffer.data();
}

// What a person copying the PDF's text gets, blanks and lines left out.
QString copiedText(const QByteArray &Pdf)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("copy.pdf"));
    QFile out(file);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(Pdf);
    out.close();
    QProcess run;
    run.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), file, QStringLiteral("-")});
    EXPECT_TRUE(run.waitForFinished(30000));
    QString text = QString::fromUtf8(run.readAllStandardOutput());
    text.remove(QLatin1Char(' ')).remove(QLatin1Char('\n')).remove(QLatin1Char('\f'));
    return text;
}

class PdfText : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            GTEST_SKIP() << "pdftotext is not installed";
        mincho = faceOf(QStringLiteral("IPAexMincho"));
        noto = faceOf(QStringLiteral("Noto Sans CJK JP"));
        if (!mincho.isValid() || !noto.isValid())
            GTEST_SKIP() << "the Japanese faces are not installed";
    }
    QRawFont mincho;
    QRawFont noto;
};

struct UnreachedCase {
    const char *name;
    bool beyondBmp; // 𠮷 of the Noto face; otherwise a glyph of no character standing for ー
};

class UnreachedGlyph : public PdfText, public ::testing::WithParamInterface<UnreachedCase>
{};

// The glyph copies out as the text it was drawn for, between the text
// around it; before the map is amended it copies out as nothing.
TEST_P(UnreachedGlyph, copiesOutAsTheTextItWasDrawnFor)
{
    TRun run = textRun(mincho, QStringLiteral("直美"));
    const QRawFont face = GetParam().beyondBmp ? noto : mincho;
    const QString text = GetParam().beyondBmp ? QStringLiteral("𠮷") : QStringLiteral("ー");
    const quint32 glyph = GetParam().beyondBmp ? face.glyphIndexesForString(text).value(0) : unreachedGlyph(face);
    ASSERT_NE(glyph, 0u);
    TRun special{face, {glyph}, {text}};
    TRun after = textRun(mincho, QStringLiteral("川"));
    TPdfGlyphTexts notes;
    QByteArray pdf = writePdf({run, special, after}, &notes);
    ASSERT_FALSE(copiedText(pdf).contains(text));

    const TPdfTextAmendment amendment = AmendPdfText(pdf, notes);

    EXPECT_TRUE(amendment.Skipped.isEmpty()) << amendment.Skipped.join(QLatin1Char(';')).toStdString();
    EXPECT_EQ(copiedText(pdf), QStringLiteral("直美") + text + QStringLiteral("川"));
}

INSTANTIATE_TEST_SUITE_P(Faces, UnreachedGlyph,
                         ::testing::Values(UnreachedCase{"beyondTheBmp", true}, UnreachedCase{"ofNoCharacter", false}),
                         [](const ::testing::TestParamInfo<UnreachedCase> &info) { return std::string(info.param.name); });

// A glyph the face shares with a lower code point copies out as the
// character drawn, not as the code point the writer found first.
TEST_F(PdfText, sharedGlyphCopiesOutAsTheCharacterDrawn)
{
    // A face the program does not print with keeps the radicals' aliases.
    const QRawFont serif = faceOf(QStringLiteral("Noto Serif CJK JP"));
    const quint32 radical = serif.glyphIndexesForString(QStringLiteral("⽥")).value(0);
    if (radical == 0 || radical != serif.glyphIndexesForString(QStringLiteral("田")).value(0))
        GTEST_SKIP() << "no installed face shares the glyph";
    TPdfGlyphTexts notes;
    QByteArray pdf = writePdf({textRun(serif, QStringLiteral("山田"))}, &notes);
    ASSERT_TRUE(copiedText(pdf).contains(QStringLiteral("⽥")));

    (void)AmendPdfText(pdf, notes);

    EXPECT_EQ(copiedText(pdf), QStringLiteral("山田"));
}

// The update is appended: every byte the writer wrote stays where it was.
TEST_F(PdfText, writtenBytesStayAsTheyWere)
{
    TPdfGlyphTexts notes;
    const TRun special{noto, {noto.glyphIndexesForString(QStringLiteral("𠮷")).value(0)}, {QStringLiteral("𠮷")}};
    const QByteArray written = writePdf({special}, &notes);
    QByteArray pdf = written;

    EXPECT_EQ(AmendPdfText(pdf, notes).Amended, 1);

    EXPECT_GT(pdf.size(), written.size());
    EXPECT_TRUE(pdf.startsWith(written));
    EXPECT_TRUE(pdf.trimmed().endsWith("%%EOF"));
}

// More than a hundred glyphs of one face: the map is written in blocks of
// a hundred, and every glyph copies out.
TEST_F(PdfText, everyGlyphOfALargeFontCopiesOut)
{
    QString text;
    for (char16_t c = u'亜'; text.size() < 150; ++c)
        if (mincho.glyphIndexesForString(QString(QChar(c))).value(0) != 0)
            text.append(QChar(c));
    TRun run = textRun(mincho, text);
    run.Glyphs << unreachedGlyph(mincho);
    run.Texts << QStringLiteral("ー");
    TPdfGlyphTexts notes;
    QByteArray pdf = writePdf({run}, &notes);

    ASSERT_EQ(AmendPdfText(pdf, notes).Amended, 1);

    EXPECT_EQ(copiedText(pdf), text + QStringLiteral("ー"));
}

// Notes that do not fit the file (a glyph noted but never drawn) leave
// the font's map as written, and name the font.
TEST_F(PdfText, notesThatDoNotFitLeaveTheMapAsWritten)
{
    const TRun special{noto, {noto.glyphIndexesForString(QStringLiteral("𠮷")).value(0)}, {QStringLiteral("𠮷")}};
    TPdfGlyphTexts notes;
    QByteArray pdf = writePdf({special}, &notes);
    notes.Note(noto, PostScriptName(noto), {unreachedGlyph(noto)}, {QStringLiteral("ー")});
    const QByteArray written = pdf;

    const TPdfTextAmendment amendment = AmendPdfText(pdf, notes);

    EXPECT_EQ(amendment.Amended, 0);
    ASSERT_EQ(amendment.Skipped.size(), 1);
    EXPECT_TRUE(amendment.Skipped.first().startsWith(PostScriptName(noto)));
    EXPECT_EQ(pdf, written);
}

// A face drawn without notes keeps the map the writer gave it.
TEST_F(PdfText, fontsWithoutNotesKeepTheirMap)
{
    TPdfGlyphTexts notes;
    QByteArray pdf = writePdf({textRun(mincho, QStringLiteral("山"))}, nullptr);
    notes.Note(noto, PostScriptName(noto), {1}, {QStringLiteral("あ")});
    const QByteArray written = pdf;

    const TPdfTextAmendment amendment = AmendPdfText(pdf, notes);

    EXPECT_EQ(amendment.Amended, 0);
    EXPECT_TRUE(amendment.Skipped.isEmpty());
    EXPECT_EQ(pdf, written);
}

// What the reader is given is no PDF it can read: it leaves the bytes as
// they are and says so, within a moment, whatever they are.
TEST_F(PdfText, damagedFilesAreLeftAsTheyAre)
{
    TPdfGlyphTexts notes;
    const TRun special{noto, {noto.glyphIndexesForString(QStringLiteral("𠮷")).value(0)}, {QStringLiteral("𠮷")}};
    const QByteArray whole = writePdf({special}, &notes);
    const qsizetype xref = whole.lastIndexOf("\nxref\n") + 1;
    ASSERT_GT(xref, 0);
    QByteArray hugeCount = whole;
    hugeCount.replace(xref, whole.indexOf('\n', xref + 5) - xref, "xref\n0 999999999");
    QByteArray outside = whole;
    outside.replace(outside.lastIndexOf("startxref\n") + 10, QByteArray::number(xref).size(), "99999999");
    QByteArray nested = whole.left(xref) + "xref\n0 1\n0000000000 65535 f \ntrailer\n<< /Root " + QByteArray(5000, '[')
                        + "\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    const QList<QByteArray> damaged = {QByteArray("not a pdf"), QByteArray(), whole.left(whole.size() / 2),
                                       whole.left(xref + 30), hugeCount, outside, nested};
    for (const QByteArray &bytes : damaged) {
        QByteArray pdf = bytes;
        QElapsedTimer clock;
        clock.start();
        const TPdfTextAmendment amendment = AmendPdfText(pdf, notes);
        EXPECT_LT(clock.elapsed(), 2000);
        EXPECT_EQ(amendment.Amended, 0);
        EXPECT_FALSE(amendment.Skipped.isEmpty());
        EXPECT_EQ(pdf, bytes);
    }
}

} // namespace

namespace {

struct NotedGlyphCase {
    const char *name;
    quint32 glyph;
};

class NotedGlyph : public ::testing::TestWithParam<NotedGlyphCase>
{};

// Drawn again, in the same run or a later one, a glyph is counted once and
// keeps the text it was first drawn for: the last number of a face's 16
// bits, the first beyond them and the largest alike.
TEST_P(NotedGlyph, isCountedOnceWithTheTextItWasFirstDrawnFor)
{
    const quint32 glyph = GetParam().glyph;
    TPdfGlyphTexts notes;
    const QString face = QStringLiteral("Face");
    notes.Note(QRawFont(), face, {glyph, 7}, {QStringLiteral("一"), QStringLiteral("七")});
    notes.Note(QRawFont(), face, {glyph, glyph}, {QStringLiteral("二"), QStringLiteral("三")});

    const TPdfGlyphTexts::TFace noted = notes.Faces().value(face);
    EXPECT_EQ(noted.Order, (QList<quint32>{glyph, 7}));
    EXPECT_EQ(noted.Texts.value(glyph), QStringLiteral("一"));
}

INSTANTIATE_TEST_SUITE_P(Glyphs, NotedGlyph,
                         ::testing::Values(NotedGlyphCase{"first", 1}, NotedGlyphCase{"lastOfSixteenBits", 0xFFFF},
                                           NotedGlyphCase{"firstBeyondSixteenBits", 0x10000},
                                           NotedGlyphCase{"largest", 0xFFFFFFFF}),
                         rowName);

// The missing glyph is never counted: the writer gives it no number.
TEST(NotedGlyphs, theMissingGlyphIsNotCounted)
{
    TPdfGlyphTexts notes;
    notes.Note(QRawFont(), QStringLiteral("Face"), {0, 5}, {QStringLiteral("？"), QStringLiteral("五")});
    EXPECT_EQ(notes.Faces().value(QStringLiteral("Face")).Order, QList<quint32>{5});
}

// Faces noted in turn each keep their own glyphs, whichever string names
// them: a name spelt anew is the same face.
TEST(NotedGlyphs, facesNotedInTurnKeepTheirOwnGlyphs)
{
    TPdfGlyphTexts notes;
    notes.Note(QRawFont(), QString::fromLatin1("Mincho"), {1}, {QStringLiteral("一")});
    notes.Note(QRawFont(), QString::fromLatin1("Gothic"), {1, 2}, {QStringLiteral("壱"), QStringLiteral("弐")});
    notes.Note(QRawFont(), QString::fromLatin1("Mincho"), {1, 3}, {QStringLiteral("x"), QStringLiteral("三")});

    ASSERT_EQ(notes.Faces().size(), 2);
    const TPdfGlyphTexts::TFace mincho = notes.Faces().value(QStringLiteral("Mincho"));
    const TPdfGlyphTexts::TFace gothic = notes.Faces().value(QStringLiteral("Gothic"));
    EXPECT_EQ(mincho.Order, (QList<quint32>{1, 3}));
    EXPECT_EQ(mincho.Texts.value(1), QStringLiteral("一"));
    EXPECT_EQ(gothic.Order, (QList<quint32>{1, 2}));
    EXPECT_EQ(gothic.Texts.value(1), QStringLiteral("壱"));
}

// Names read from one buffer to different lengths are different faces.
TEST(NotedGlyphs, namesSharingABufferAreTheirOwnFaces)
{
    static const QChar name[] = {u'M', u'i', u'n', u'c', u'h', u'o', u'2'};
    const QString longer = QString::fromRawData(name, 7);
    const QString shorter = QString::fromRawData(name, 6);
    TPdfGlyphTexts notes;
    notes.Note(QRawFont(), longer, {1}, {QStringLiteral("一")});
    notes.Note(QRawFont(), shorter, {2}, {QStringLiteral("二")});

    ASSERT_EQ(notes.Faces().size(), 2);
    EXPECT_EQ(notes.Faces().value(QStringLiteral("Mincho2")).Order, QList<quint32>{1});
    EXPECT_EQ(notes.Faces().value(QStringLiteral("Mincho")).Order, QList<quint32>{2});
}

} // namespace
