#include "platform/Cp932.h"
#include "support/FileHelpers.h"
#include "support/TestEnvironment.h"
#include "widgets/TntSystem.h"

#include <QDir>
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
    ::testing::Values(Utf7Case{u"a+b", "a+-b"},                                  // a lone plus between letters
                      Utf7Case{u"日本語", "+ZeVnLIqe"}, Utf7Case{u"あa", "+MEI-a"}, // a base64 letter follows
                      Utf7Case{u"~\\", "+AH4AXA"}));                                // outside sets D and O

TEST(Utf7, everyUtf16UnitSurvivesARoundTrip)
{
    QString all;
    for (char16_t u = 1; u != 0; ++u)
        all.append(QChar(u));
    EXPECT_EQ(Utf7ToWide(WideToUtf7(all)), all);
}

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
                      CodePageCase{CP_UTF7, u"a+b日本語", "a+-b+ZeVnLIqe", true},
                      CodePageCase{1252, u"\x1a𠮷", "\x1a?", false}, CodePageCase{12345, u"abc", "", false}));

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
                      ShareCase{fmOpenWrite | fmShareDenyNone, fmShareDenyWrite, false}));

// ---- Drawing ----------------------------------------------------------------------

TEST(Drawing, singleLineAlignsRightAndBottomInsideTheRectangle)
{
    QImage image(300, 120, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(16);
    painter.setFont(font);
    QRect rect(0, 0, 300, 120);
    const int height = WideDrawText(painter, QStringLiteral("ab"), -1, rect, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE);
    EXPECT_EQ(height, painter.fontMetrics().height());
    painter.end();
    QRect ink; // every pixel that is not white
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                ink |= QRect(x, y, 1, 1);
    EXPECT_GT(ink.left(), 250);
    EXPECT_GT(ink.top(), 120 - height - 1);
}

} // namespace
