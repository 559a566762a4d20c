// The hyphens of a vertical address the way a user meets them: addresses
// typed into the record form with the dashes people type between the
// numbers, printed through the print wizard as vertical postcards to a PDF
// file, and the ink of the address column measured between the numbers.
#include "PrintedInk.h"
#include "UserRoad.h"
#include "items/AddressRect.h"
#include "support/InkRuns.h"
#include "support/Screenshot.h"

#include <QStandardPaths>

namespace {

constexpr int kDpi = 400;

// The address lines typed, each ending in numbers and the dashes between
// them; Hyphens of them stand between the last numbers of the column.
struct Typed {
    const char16_t *adrs1;
    int hyphens;
};

const Typed kTyped[] = {
    {u"千代田区永田町１５-２５-２２", 2},  // half-width hyphen
    {u"千代田区永田町１５丁目２５-２２", 1}, // after 丁目
    {u"千代田区永田町３丁目-２０-５", 2},     // right after 丁目
    {u"千代田区永田町15-25-22", 2},        // half-width digits
    {u"千代田区永田町１５-25-２２", 2},    // digits of both widths
    {u"千代田区永田町１５−２５−２２", 2},  // minus sign
    {u"千代田区永田町１５－２５－２２", 2}, // full-width hyphen
    {u"千代田区永田町１５ー２５ー２２", 2}, // prolonged sound mark
};

class PrintedVerticalHyphen : public UserRoadFixture
{
};

// Down the column the last numbers and their hyphens alternate: each hyphen
// an upright stroke of its own, along the middle of the numbers, with blank
// to the number before and after it.
TEST_F(PrintedVerticalHyphen, eachHyphenStandsClearBetweenTheNumbers)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    QList<int> rows;
    for (const Typed &t : kTyped) {
        TTypedRecord person = TokyoPerson();
        person.Adrs1 = QString::fromUtf16(t.adrs1);
        ASSERT_NO_FATAL_FAILURE(typeRecord(person));
        rows << int(rows.size());
    }
    selectRows(rows);
    TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 0);
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(runPrintWizard(*editor));
    const QList<QImage> pages = renderPdf(pdfFile(), kDpi);
    ASSERT_EQ(pages.size(), qsizetype(std::size(kTyped)));

    const TDrawRect *address = nullptr;
    for (const auto &item : editor->Document().Items)
        if (item->GetKind() == TDrawRectKind::RecipientAddress)
            address = item.get();
    ASSERT_NE(address, nullptr);
    const QRect area = MmToDots(ItemMm(*address), kDpi);
    // The list shows the records in its own order: the pages together print
    // every hyphen typed, each page at least one.
    int typed = 0, found = 0;
    for (const Typed &t : kTyped)
        typed += t.hyphens;
    for (qsizetype p = 0; p < pages.size(); ++p) {
        SCOPED_TRACE("page " + std::to_string(p + 1));
        saveScreenshot(pages[p].copy(area), QStringLiteral("printed_vertical_hyphen_%1").arg(p + 1));
        const QList<TInkRun> runs = InkRunsDown(pages[p], area, isInk);
        ASSERT_GE(runs.size(), 5);
        // From the bottom: a number, a hyphen, a number (and again).
        int checked = 0;
        for (qsizetype m = runs.size() - 2; m >= runs.size() - 4 && m > 0; m -= 2) {
            const TInkRun &before = runs[m - 1], &mark = runs[m], &after = runs[m + 1];
            const int digit = after.bottom - after.top + 1;
            const int width = mark.right - mark.left + 1;
            if (width * 3 > after.right - after.left + 1)
                break; // a number or a kanji: no more hyphens up the column
            const int length = mark.bottom - mark.top + 1;
            EXPECT_GE(length, digit * 6 / 10) << "a tick, not a hyphen: " << length << " of " << digit;
            EXPECT_GT(length, 3 * width) << "not upright";
            EXPECT_GE(mark.top - before.bottom - 1, digit * 15 / 100) << "touches the number before it";
            EXPECT_GE(after.top - mark.bottom - 1, digit * 15 / 100) << "touches the number after it";
            EXPECT_NEAR((mark.left + mark.right) / 2.0, (after.left + after.right) / 2.0, digit * 0.2);
            ++checked;
        }
        EXPECT_GE(checked, 1) << "no hyphen between the numbers";
        found += checked;
    }
    EXPECT_EQ(found, typed);
}

} // namespace
