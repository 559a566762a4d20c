#include "util/PrintFonts.h"

#include <QFile>
#include <QRawFont>

#include <gtest/gtest.h>

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

} // namespace
