#include "platform/Cp932.h"
#include "support/FileHelpers.h"
#include "support/TestEnvironment.h"
#include "widgets/TntSystem.h"

#include <QDir>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cerrno>

#include <unistd.h>

namespace {

// ---- UTF-7 ---------------------------------------------------------------------

struct Utf7Case { const char16_t *text; const char *utf7; };

void PrintTo(const Utf7Case &c, std::ostream *os) { *os << ::testing::PrintToString(std::string(c.utf7)); }

class Utf7Encoding : public ::testing::TestWithParam<Utf7Case> {};

TEST_P(Utf7Encoding, encodesAsRfc2152AndDecodesBack)
{
    const QString text = QString::fromUtf16(GetParam().text);
    EXPECT_EQ(WideToUtf7(text), QByteArray(GetParam().utf7));
    EXPECT_EQ(Utf7ToWide(GetParam().utf7), text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Utf7Encoding,
    ::testing::Values(Utf7Case{u"", ""}, Utf7Case{u"a+b", "a+-b"}, // a lone plus between letters
                      Utf7Case{u"AZaz09'(),-./:? !\"#$%&*;<=>@[]^_`{|}\t\r\n",
                               "AZaz09'(),-./:? !\"#$%&*;<=>@[]^_`{|}\t\r\n"},
                      Utf7Case{u"日本語", "+ZeVnLIqe"},  // no "-" at the end of the input
                      Utf7Case{u"A≢Α.", "A+ImIDkQ."},   // "." needs no terminator
                      Utf7Case{u"あa", "+MEI-a"},       // a base64 letter follows
                      Utf7Case{u"あ+", "+MEI-+-"}, Utf7Case{u"~\\", "+AH4AXA"})); // outside sets D and O

TEST(Utf7, everyUtf16UnitSurvivesARoundTrip)
{
    QString all;
    for (char16_t u = 1; u != 0; ++u)
        all.append(QChar(u));
    EXPECT_EQ(Utf7ToWide(WideToUtf7(all)), all);
}

TEST(Utf7, decodesTerminatorsAndPlainAsciiOutsideTheDirectSets)
{
    EXPECT_EQ(Utf7ToWide("+-"), QStringLiteral("+"));
    EXPECT_EQ(Utf7ToWide("+ZeVnLIqe-x"), QStringLiteral("日本語x"));
    EXPECT_EQ(Utf7ToWide("+ZeVnLIqe--"), QStringLiteral("日本語-"));
    EXPECT_EQ(Utf7ToWide("~\\"), QStringLiteral("~\\"));
    EXPECT_EQ(Utf7ToWide("+AGE-"), QStringLiteral("a")); // two zero bits left over
}

class Utf7Invalid : public ::testing::TestWithParam<const char *> {};

TEST_P(Utf7Invalid, raisesInvalidUtf7)
{
    try {
        (void)Utf7ToWide(GetParam());
        FAIL() << "accepted " << GetParam();
    } catch (const ETntGeneralError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Invalid UTF7"));
    }
}

INSTANTIATE_TEST_SUITE_P(Table, Utf7Invalid,
                         ::testing::Values("\x82\xa0", // byte above 127 outside a run
                                           "+",        // empty run at the end
                                           "a+!",      // empty run before a non-base64 byte
                                           "+A-",      // six bits: no unit
                                           "+AGF-",    // leftover bits 01
                                           "+ZeV\x80"));

// ---- Code pages ----------------------------------------------------------------

struct CodePageCase {
    std::uint32_t codePage;
    const char16_t *wide;
    QByteArray bytes;
    bool backAgain; // the bytes decode to the same text
};

class CodePages : public ::testing::TestWithParam<CodePageCase> {};

TEST_P(CodePages, convertBothWaysAndReplaceWhatTheCodePageLacks)
{
    const QString wide = QString::fromUtf16(GetParam().wide);
    EXPECT_EQ(WideToAnsiCp(wide, GetParam().codePage), GetParam().bytes);
    if (GetParam().backAgain) {
        EXPECT_EQ(AnsiToWideCp(GetParam().bytes, GetParam().codePage), wide);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CodePages,
    ::testing::Values(CodePageCase{CP_ACP, u"住所録①㈱ｶﾅ～A", Cp932::encode(u"住所録①㈱ｶﾅ～A"), true},
                      CodePageCase{932, u"櫻ｱ", "\x9F\x4E\xB1", true},
                      CodePageCase{CP_UTF8, u"é日", "\xC3\xA9\xE6\x97\xA5", true},
                      CodePageCase{CP_UTF7, u"a+b日本語", "a+-b+ZeVnLIqe", true},
                      CodePageCase{1252, u"é€", "\xE9\x80", true}, CodePageCase{1252, u"aあ", "a?", false},
                      CodePageCase{1252, u"\x1a𠮷", "\x1a?", false}, CodePageCase{12345, u"abc", "", false},
                      CodePageCase{CP_ACP, u"", "", true}));

TEST(CodePages, unknownCodePageGivesNothingAndZeroBytesAreText)
{
    EXPECT_TRUE(AnsiToWideCp("abc", 12345).isEmpty());
    EXPECT_EQ(AnsiToWideCp(QByteArray("a\0b", 3), CP_ACP), QString::fromUtf16(u"a\0b", 3));
    EXPECT_EQ(WideToAnsiCp(QString::fromUtf16(u"a\0b", 3), CP_UTF8), QByteArray("a\0b", 3));
}

// ---- Files and share modes -----------------------------------------------------

class FileFixture : public ::testing::Test
{
protected:
    void SetUp() override { writeBytes(path, "content"); }
    ScopedHome home;
    QString path = QDir(home.root()).filePath(QStringLiteral("共有.txt"));
};

struct ShareCase { std::uint16_t first, second; bool secondAllowed; }; // second fmCreate: WideFileCreate

void PrintTo(const ShareCase &c, std::ostream *os) { *os << std::hex << "first_" << c.first << "_second_" << c.second; }

class ShareModes : public FileFixture, public ::testing::WithParamInterface<ShareCase> {};

TEST_P(ShareModes, secondOpenerIsLetInOnlyWhenTheSharingAllows)
{
    const ShareCase c = GetParam();
    const int first = WideFileOpen(path, c.first);
    ASSERT_GE(first, 0);
    const int second = c.second == fmCreate ? WideFileCreate(path) : WideFileOpen(path, c.second);
    const int error = errno;
    EXPECT_EQ(second >= 0, c.secondAllowed);
    if (second >= 0)
        ::close(second);
    else
        EXPECT_EQ(error, EWOULDBLOCK);
    ::close(first);
    // A refused creator has not emptied the file.
    EXPECT_EQ(fileBytes(path), c.second == fmCreate && c.secondAllowed ? QByteArray() : QByteArray("content"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShareModes,
    ::testing::Values(ShareCase{fmShareDenyWrite, fmShareDenyWrite, true}, // readers share
                      ShareCase{fmShareDenyWrite, fmOpenWrite | fmShareDenyNone, false},
                      ShareCase{fmShareDenyWrite, fmCreate, false}, ShareCase{fmShareExclusive, fmShareDenyWrite, false},
                      ShareCase{fmShareDenyNone, fmShareDenyNone, true},
                      ShareCase{fmOpenWrite | fmShareDenyNone, fmShareDenyWrite, false}));

TEST_F(FileFixture, openRefusesMissingFilesDirectoriesAndUnknownModes)
{
    EXPECT_LT(WideFileOpen(path + QStringLiteral(".missing"), fmOpenRead), 0);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_LT(WideFileOpen(home.root(), fmOpenRead), 0);
    EXPECT_EQ(errno, EISDIR);
    EXPECT_LT(WideFileOpen(path, 0x03), 0);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_LT(WideFileOpen(path, 0x50), 0);
    EXPECT_EQ(errno, EINVAL);
}

TEST_F(FileFixture, fileStreamCreatesEmptyFilesAndReleasesItsLock)
{
    {
        TTntFileStream stream(path, fmCreate);
        EXPECT_EQ(stream.size(), 0);
        EXPECT_EQ(stream.write("new"), 3);
        EXPECT_LT(WideFileOpen(path, fmShareDenyWrite), 0);
    }
    TTntFileStream reader(path, fmOpenRead | fmShareDenyWrite);
    EXPECT_EQ(reader.readAll(), QByteArray("new"));
}

TEST_F(FileFixture, fileStreamFailuresNameTheFullPathAndTheReason)
{
    const QString missing = home.root() + QStringLiteral("/none/x.txt");
    try {
        TTntFileStream stream(missing, fmOpenRead);
        FAIL();
    } catch (const EFOpenError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot open file \"%1\". %2")
                                   .arg(missing, WideSysErrorMessage(ENOENT)));
    }
    try {
        TTntFileStream stream(missing, fmCreate);
        FAIL();
    } catch (const EFCreateError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot create file \"%1\". %2")
                                   .arg(missing, WideSysErrorMessage(ENOENT)));
    }
    TTntFileStream holder(path, fmShareExclusive);
    EXPECT_THROW(TTntFileStream(path, fmOpenRead | fmShareDenyWrite), EFOpenError);
}

// ---- Drawing ----------------------------------------------------------------------

// A white 300 x 120 image with a painter on it in a 16-pixel font.
class Drawing : public ::testing::Test
{
protected:
    Drawing() : image(300, 120, QImage::Format_RGB32)
    {
        image.fill(Qt::white);
        painter.begin(&image);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(16);
        painter.setFont(font);
    }

    // Ends drawing; the bounding box of every pixel that is not white.
    QRect ink()
    {
        painter.end();
        QRect bounds;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != qRgb(255, 255, 255))
                    bounds |= QRect(x, y, 1, 1);
        return bounds;
    }

    // Width of the single-line text measured in a 200 x 50 rectangle.
    int measuredWidth(const QString &text, unsigned format = 0)
    {
        QRect rect(0, 0, 200, 50);
        (void)WideDrawText(painter, text, -1, rect, DT_CALCRECT | DT_SINGLELINE | format);
        return rect.width();
    }

    QImage image;
    QPainter painter;
};

TEST_F(Drawing, singleLineAlignsRightAndBottomInsideTheRectangle)
{
    QRect rect(0, 0, 300, 120);
    const int height = WideDrawText(painter, QStringLiteral("ab"), -1, rect, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE);
    EXPECT_EQ(height, painter.fontMetrics().height());
    const QRect drawn = ink();
    EXPECT_GT(drawn.left(), 250);
    EXPECT_GT(drawn.top(), 120 - height - 1);
}

TEST_F(Drawing, calcRectMeasuresWithoutDrawing)
{
    const QFontMetrics fm = painter.fontMetrics();
    QRect rect(10, 20, 200, 50);
    EXPECT_EQ(WideDrawText(painter, QStringLiteral("abcdef"), 3, rect, DT_CALCRECT | DT_SINGLELINE), fm.height());
    EXPECT_EQ(rect, QRect(10, 20, fm.horizontalAdvance(QStringLiteral("abc")), fm.height()));
    EXPECT_EQ(measuredWidth(QStringLiteral("a&&b")), measuredWidth(QStringLiteral("a&b"), DT_NOPREFIX));
    EXPECT_EQ(measuredWidth(QString::fromUtf16(u"ab\0cd", 5)), fm.horizontalAdvance(QStringLiteral("ab")));

    QRect lines(0, 0, 200, 50);
    EXPECT_GE(WideDrawText(painter, QStringLiteral("a\r\nb\rc"), -1, lines, DT_CALCRECT), 3 * fm.height());
    QRect wrapped(0, 0, fm.horizontalAdvance(QStringLiteral("word word")) - 1, 10);
    EXPECT_GE(WideDrawText(painter, QStringLiteral("word word"), -1, wrapped, DT_CALCRECT | DT_WORDBREAK),
              2 * fm.height());
    EXPECT_TRUE(ink().isNull());
}

TEST_F(Drawing, textOutDrawsInTheCellBelowAndRightOfThePoint)
{
    const QString text = QStringLiteral("Wide");
    const QSize extent = WideCanvasTextExtent(painter, text);
    EXPECT_EQ(extent, QSize(painter.fontMetrics().horizontalAdvance(text), painter.fontMetrics().height()));
    EXPECT_EQ(WideCanvasTextWidth(painter, text), extent.width());
    EXPECT_EQ(WideCanvasTextHeight(painter, text), extent.height());
    EXPECT_EQ(WideCanvasTextOut(painter, 40, 30, text), 40 + extent.width());
    const QRect drawn = ink();
    EXPECT_TRUE(QRect(40, 30, extent.width() + 1, extent.height()).contains(drawn)) << drawn.x() << "," << drawn.y();
    EXPECT_LT(drawn.left(), 40 + extent.width() / 4);
}

} // namespace
