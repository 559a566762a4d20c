// A hyphen between the numbers of a vertical address (１５-２５-２２, and the
// other dashes people type there) printed as the vertical hyphen Japanese
// vertical addresses print: an upright stroke of its own along the middle of
// the column, with blank to the numbers before and after it. Measured on
// the ink the item prints at 600 dpi with the faces' real glyphs.
#include "items/AddressRect.h"
#include "support/InkRuns.h"
#include "support/RowName.h"
#include "support/Screenshot.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

constexpr int kDpi = 600;

bool isInk(QRgb P)
{
    return qGray(P) < 128;
}

struct HyphenCase {
    const char *name;
    const char16_t *line;
    int hyphens;
    bool uprightDigits = false;
    const char *face = "IPAexMincho";
};

class VerticalHyphen : public ::testing::TestWithParam<HyphenCase>
{
protected:
    // The address in one column at 600 dpi, with room beside it for the
    // widest number set across.
    QImage render()
    {
        TAddressRect a;
        TFont font = a.GetFont();
        font.Name = QString::fromLatin1(GetParam().face);
        a.SetFont(font);
        a.SetHorizontal(false);
        a.SetRect({0, 0, 100, 440});
        a.SetReferenceDevice(TReferenceDevice::printer({kDpi, kDpi}));
        a.RescaleFont(TTenthMm(1480));
        a.SetVertNumeral(GetParam().uprightDigits);
        a.SetAddressLine(0, QString::fromUtf16(GetParam().line));
        QImage page(PageToDots(TPagePx(100), kDpi), PageToDots(TPagePx(440), kDpi), QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        painter.setRenderHint(QPainter::Antialiasing);
        a.CalcPrintRect({}, {{kDpi, kDpi}, 0, 0}, true);
        a.Rebuild(true);
        a.Print(painter, 0, 0);
        painter.end();
        return page;
    }
};

// The marks of the column: runs of ink much narrower across the column
// than its characters. Digits and kanji are as wide as the column's text;
// a hyphen is one stroke.
QList<qsizetype> marksOf(const QList<TInkRun> &Runs)
{
    int widest = 0;
    for (const TInkRun &r : Runs)
        widest = std::max(widest, r.right - r.left + 1);
    QList<qsizetype> marks;
    for (qsizetype i = 0; i < Runs.size(); ++i)
        if (Runs[i].right - Runs[i].left + 1 < widest / 3)
            marks << i;
    return marks;
}

TEST_P(VerticalHyphen, eachHyphenIsAnUprightStrokeOfItsOwnClearOfTheNumbers)
{
    const QImage page = render();
    saveScreenshot(page, QStringLiteral("address_vertical_hyphen_") + QString::fromLatin1(GetParam().name));
    const QList<TInkRun> runs = InkRunsDown(page, page.rect(), isInk);
    const QList<qsizetype> marks = marksOf(runs);
    ASSERT_EQ(marks.size(), GetParam().hyphens);
    for (const qsizetype m : marks) {
        ASSERT_GT(m, 0);
        ASSERT_LT(m, runs.size() - 1);
        const TInkRun &before = runs[m - 1], &mark = runs[m], &after = runs[m + 1];
        // The numbers' height is the measure: a digit stands about 0.7 of
        // a character high.
        const int digit = after.bottom - after.top + 1;
        const int length = mark.bottom - mark.top + 1;
        EXPECT_GE(length, digit * 6 / 10) << "a tick, not a hyphen: " << length << " of " << digit;
        EXPECT_GT(length, 3 * (mark.right - mark.left + 1)) << "not upright";
        EXPECT_GE(mark.top - before.bottom - 1, digit * 15 / 100) << "touches the number before it";
        EXPECT_GE(after.top - mark.bottom - 1, digit * 15 / 100) << "touches the number after it";
        // Along the middle of the column the numbers stand in.
        const double middle = (after.left + after.right) / 2.0;
        EXPECT_NEAR((mark.left + mark.right) / 2.0, middle, digit * 0.2);
    }
}

// The dashes people type between the numbers, in digits of either width
// and kanji numerals, set across the column or standing upright, in both
// faces the address frames offer.
INSTANTIATE_TEST_SUITE_P(
    Lines, VerticalHyphen,
    ::testing::Values(HyphenCase{"halfWidthHyphen", u"１５-２５-２２", 2},
                      HyphenCase{"fullWidthHyphen", u"１５－２５－２２", 2},
                      HyphenCase{"prolongedSoundMark", u"１５ー２５ー２２", 2},
                      HyphenCase{"hyphen", u"１５‐２５‐２２", 2},
                      HyphenCase{"minusSign", u"１５−２５−２２", 2},
                      HyphenCase{"enDash", u"１５–２５–２２", 2},
                      HyphenCase{"halfWidthProlongedSoundMark", u"１５ｰ２５ｰ２２", 2},
                      HyphenCase{"halfWidthDigits", u"15-25-22", 2},
                      HyphenCase{"mixedDigits", u"１５-25-２２", 2},
                      HyphenCase{"oneDigitNumbers", u"１-２-３", 2},
                      HyphenCase{"fourDigitNumbers", u"１２３４-５６７８", 1},
                      HyphenCase{"afterChome", u"１５丁目２５-２２", 1},
                      HyphenCase{"rightAfterChome", u"東３丁目-２０-５", 2},
                      HyphenCase{"kanjiNumerals", u"十五-二十五-二十二", 2},
                      HyphenCase{"gothicHalfWidthHyphen", u"１５-２５-２２", 2, false, "IPAexGothic"},
                      HyphenCase{"gothicMinusSign", u"１５−２５−２２", 2, false, "IPAexGothic"},
                      HyphenCase{"uprightDigitsHalfWidthHyphen", u"１５-２５-２２", 2, true},
                      HyphenCase{"uprightDigitsHalfWidthDigits", u"15-25-22", 2, true}),
    rowName);

// A dash that does not stand between two numbers keeps its own form.
TEST(VerticalHyphenRuns, aDashBesideAWordStaysAsTyped)
{
    QString text;
    for (const auto &r : TAddressRect::SplitVerticalRuns(QStringLiteral("Ａ-ビル１-２"), false))
        text += r.Text;
    EXPECT_EQ(text, QStringLiteral("Ａ-ビル1ー2"));
}

} // namespace
