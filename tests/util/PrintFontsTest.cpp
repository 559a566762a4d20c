#include "util/PrintFonts.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QRawFont>

#include <gtest/gtest.h>

#include <string_view>

namespace {

QByteArray fileBytes(const QString &Path)
{
    QFile file(Path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint32 glyphOf(const QRawFont &Font, char16_t Character)
{
    const QList<quint32> glyphs = Font.glyphIndexesForString(QString(QChar(Character)));
    return glyphs.isEmpty() ? 0 : glyphs.first();
}

// Ideographs with the radical that shares their glyph in the installed faces,
// and the full-width characters Japanese text uses beside an older code point.
struct Alias {
    char16_t text;
    char16_t other;
};
constexpr Alias kAliases[] = {{u'田', u'⽥'}, {u'目', u'⽬'}, {u'一', u'⼀'}, {u'人', u'⼈'}};

class PrintFace : public ::testing::TestWithParam<QString>
{};

// What the PDF writer reads back for a glyph is the lowest code point
// showing it: in the unaliased face that is the ideograph.
TEST_P(PrintFace, radicalsNoLongerShowTheIdeographsGlyphs)
{
    QByteArray data = fileBytes(GetParam());
    ASSERT_FALSE(data.isEmpty());
    const QRawFont installed(data, 12);
    ASSERT_TRUE(installed.isValid());
    for (const Alias &alias : kAliases)
        ASSERT_EQ(glyphOf(installed, alias.other), glyphOf(installed, alias.text)) << "the face shares no glyph";
    const qsizetype size = data.size();

    EXPECT_GT(UnaliasCharacterMaps(data), 0);

    EXPECT_EQ(data.size(), size);
    const QRawFont printed(data, 12);
    ASSERT_TRUE(printed.isValid());
    for (const Alias &alias : kAliases) {
        EXPECT_EQ(glyphOf(printed, alias.text), glyphOf(installed, alias.text));
        EXPECT_EQ(glyphOf(printed, alias.other), 0u);
    }
    // Characters of their own keep their glyphs.
    for (char16_t c : {u'あ', u'ア', u'Ａ', u'A', u'〒'})
        EXPECT_EQ(glyphOf(printed, c), glyphOf(installed, c));
}

// The NEC special characters users type into addresses and names (circled
// numbers, Roman numerals, unit and era squares, №, ℡, ㈱, the signs): no
// text character shares their glyphs, so the face keeps drawing them itself
// instead of leaving them to another face.
constexpr char16_t kOwnGlyphCharacters[] =
    u"①②③④⑤⑥⑦⑧⑨⑩⑪⑫⑬⑭⑮⑯⑰⑱⑲⑳ⅠⅡⅢⅣⅤⅥⅦⅧⅨⅩ㍉㌔㌢㍍㌘㌧㌃㌶㍑㍗㌍㌦㌣㌫㍊㌻㎜㎝㎞㎎㎏㏄㎡"
    u"㍻㍼㍽㍾№㏍℡㊤㊥㊦㊧㊨㈱㈲㈹≡∫∮√⊥∠∟⊿∵∩∪ⅰⅱⅲⅳⅴⅵⅶⅷⅸⅹ";

TEST_P(PrintFace, charactersNoTextCharacterSharesKeepTheirGlyphs)
{
    QByteArray data = fileBytes(GetParam());
    ASSERT_FALSE(data.isEmpty());
    const QRawFont installed(data, 12);
    ASSERT_TRUE(installed.isValid());

    (void)UnaliasCharacterMaps(data);

    const QRawFont printed(data, 12);
    ASSERT_TRUE(printed.isValid());
    for (const char16_t c : std::u16string_view(kOwnGlyphCharacters)) {
        const QString shown(QChar{c});
        ASSERT_NE(glyphOf(installed, c), 0u) << "the face lacks " << shown.toStdString();
        EXPECT_EQ(glyphOf(printed, c), glyphOf(installed, c)) << shown.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Installed, PrintFace, ::testing::ValuesIn(PrintFontFiles()),
                         [](const ::testing::TestParamInfo<QString> &info) {
                             return std::string("face") + std::to_string(info.index);
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(PrintFace);

TEST(PrintFonts, theFacesThePrintUsesAreFound)
{
    EXPECT_FALSE(PrintFontFiles().isEmpty());
}

// A file that is no font, or a font cut short, is left as it is.
TEST(PrintFonts, noFontIsLeftUnchanged)
{
    QByteArray text("not a font at all");
    EXPECT_EQ(UnaliasCharacterMaps(text), -1);
    EXPECT_EQ(text, QByteArray("not a font at all"));
    QByteArray empty;
    EXPECT_EQ(UnaliasCharacterMaps(empty), -1);
}

TEST(PrintFonts, fontCutShortIsReadWithinItsBytes)
{
    const QStringList files = PrintFontFiles();
    if (files.isEmpty())
        GTEST_SKIP() << "no Japanese face installed";
    const QByteArray whole = fileBytes(files.first());
    for (const qsizetype length : {12, 64, 400, 4096, 65536}) {
        QByteArray cut = whole.left(length);
        const QByteArray before = cut;
        (void)UnaliasCharacterMaps(cut);
        EXPECT_EQ(cut.size(), before.size()) << length;
    }
}

// Big-endian writers for the crafted fonts below.
void be16(QByteArray &d, quint32 v)
{
    d.append(char((v >> 8) & 0xFF));
    d.append(char(v & 0xFF));
}

void be32(QByteArray &d, quint32 v)
{
    be16(d, v >> 16);
    be16(d, v & 0xFFFF);
}

// A format 4 map giving the radical ⽥ (U+2F65) the glyph of 田 (U+7530),
// as the installed faces do: one alias to remove in each such map.
QByteArray aliasingMap()
{
    const quint32 starts[] = {0x2F65, 0x7530, 0xFFFF};
    const quint32 glyph = 5;
    QByteArray m;
    be16(m, 4);
    be16(m, 16 + 8 * 3); // length
    be16(m, 0);          // language
    be16(m, 2 * 3);      // segCountX2
    be16(m, 4);          // searchRange, entrySelector, rangeShift
    be16(m, 1);
    be16(m, 2);
    for (const quint32 c : starts)
        be16(m, c); // endCode
    be16(m, 0);
    for (const quint32 c : starts)
        be16(m, c); // startCode
    for (const quint32 c : starts)
        be16(m, c == 0xFFFF ? 1 : (glyph - c) & 0xFFFF); // idDelta
    for (int i = 0; i < 3; ++i)
        be16(m, 0); // idRangeOffset
    return m;
}

// A damaged format 12 map claiming every code point.
QByteArray everyCodePointMap()
{
    QByteArray m;
    be16(m, 12);
    be16(m, 0);
    be32(m, 28); // length
    be32(m, 0);  // language
    be32(m, 1);  // one group
    be32(m, 0);
    be32(m, 0x10FFFF);
    be32(m, 1);
    return m;
}

// A font file (a collection when Faces > 1) whose every face has one cmap
// table listing Maps, each under Windows Unicode and at an offset of its own.
QByteArray craftedFont(int Faces, const QList<QByteArray> &Maps)
{
    QByteArray cmap;
    be16(cmap, 0);
    be16(cmap, quint32(Maps.size()));
    qint64 at = 4 + 8 * Maps.size();
    for (const QByteArray &m : Maps) {
        be16(cmap, 3);
        be16(cmap, 10);
        be32(cmap, quint32(at));
        at += m.size();
    }
    for (const QByteArray &m : Maps)
        cmap += m;
    const bool collection = Faces > 1;
    const qint64 directories = collection ? 12 + 4 * Faces : 0;
    QByteArray out;
    if (collection) {
        out += "ttcf";
        be32(out, 0x00010000);
        be32(out, quint32(Faces));
        for (int f = 0; f < Faces; ++f)
            be32(out, quint32(directories + f * 28));
    }
    const qint64 firstTable = directories + 28 * Faces;
    for (int f = 0; f < Faces; ++f) {
        be32(out, 0x00010000);
        be16(out, 1); // one table
        be16(out, 16);
        be16(out, 0);
        be16(out, 0);
        out += "cmap";
        be32(out, 0);
        be32(out, quint32(firstTable + f * cmap.size()));
        be32(out, quint32(cmap.size()));
    }
    for (int f = 0; f < Faces; ++f)
        out += cmap;
    return out;
}

// The test program prepares the print faces at its start, as the program
// does: whichever test ran before, the faces draw from their unaliased
// copies, so a test reading a PDF's text answers alone as among the others.
TEST(PrintFonts, facesDrawFromTheirUnaliasedCopiesFromTheStart)
{
    if (PrintFontFiles().isEmpty())
        GTEST_SKIP() << "no Japanese face installed";
    for (const QString &family : {QStringLiteral("IPAexMincho"), QStringLiteral("IPAexGothic")}) {
        QFont font(family);
        font.setPixelSize(12);
        font.setStyleStrategy(QFont::NoFontMerging);
        const QRawFont face = QRawFont::fromFont(font);
        if (face.familyName() != family)
            continue;
        EXPECT_NE(glyphOf(face, u'田'), 0u) << family.toStdString();
        EXPECT_EQ(glyphOf(face, u'⽥'), 0u) << family.toStdString();
    }
}

// A damaged file under a print face's name listing hundreds of maps, each
// claiming every code point (10.8 KB), is read within its bound, not for
// half a minute.
TEST(PrintFonts, damagedFontWithHundredsOfMapsIsReadInAMoment)
{
    QByteArray data = craftedFont(1, QList<QByteArray>(300, everyCodePointMap()));
    ASSERT_LT(data.size(), 11 * 1024);
    QElapsedTimer clock;
    clock.start();
    (void)UnaliasCharacterMaps(data);
    EXPECT_LT(clock.elapsed(), 3000);
}

// The maps of one face are read up to the bound: the last one taken still
// loses its alias, the first one past it is left as it is.
TEST(PrintFonts, mapsOfAFaceAreReadUpToTheirBound)
{
    for (const int maps : {kMaxUnicodeMapsPerFace, kMaxUnicodeMapsPerFace + 1}) {
        QByteArray data = craftedFont(1, QList<QByteArray>(maps, aliasingMap()));
        EXPECT_EQ(UnaliasCharacterMaps(data), kMaxUnicodeMapsPerFace) << maps << " maps";
    }
}

// So are the maps of a whole collection.
TEST(PrintFonts, mapsOfACollectionAreReadUpToTheirBound)
{
    const int faces = kMaxUnicodeMapsPerFile / 2;
    for (const int extra : {0, 1}) {
        QList<QByteArray> maps(2, aliasingMap());
        QByteArray data = craftedFont(faces + extra, maps);
        EXPECT_EQ(UnaliasCharacterMaps(data), kMaxUnicodeMapsPerFile) << faces + extra << " faces";
    }
}

} // namespace
