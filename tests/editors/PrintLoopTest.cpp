#include "editors/PrintLoop.h"
#include "EditorsFixture.h"
#include "support/Screenshot.h"

#include <QPrinter>
#include <QTemporaryDir>

namespace {

struct PlanCase {
    const char *name;
    int records, cells, prints, firstCell, copies;
    int sheets;
};

class SheetPlan : public ::testing::TestWithParam<PlanCase>
{};

TEST_P(SheetPlan, countsTheSheetsOfARun)
{
    const PlanCase &c = GetParam();
    TPrintOptions options;
    options.PrintsPerRecord = c.prints;
    options.FirstCell = c.firstCell;
    options.Copies = c.copies;
    EXPECT_EQ(SheetCount(c.records, c.cells, options), c.sheets);
}

INSTANTIATE_TEST_SUITE_P(PrintLoop, SheetPlan,
                         ::testing::Values(PlanCase{"onePostcardPerRecord", 3, 1, 1, 1, 1, 3},
                                           PlanCase{"copiesRepeatTheRun", 3, 1, 1, 1, 2, 6},
                                           PlanCase{"printsPerRecordMultiplyPieces", 3, 1, 2, 1, 1, 6},
                                           PlanCase{"tenCellsTwoPrintsFromCellNineTwoCopies", 3, 10, 2, 9, 2, 4},
                                           PlanCase{"fullSheetNeedsNoSecond", 12, 12, 1, 1, 1, 1},
                                           PlanCase{"oneMoreThanASheetStartsAnother", 13, 12, 1, 1, 1, 2},
                                           PlanCase{"lastCellHoldsOnePiece", 2, 12, 1, 12, 1, 2},
                                           PlanCase{"firstCellBeyondTheSheetTakesTheLast", 1, 12, 1, 40, 1, 1},
                                           PlanCase{"noRecordsNoSheets", 0, 12, 1, 1, 1, 0}),
                         [](const ::testing::TestParamInfo<PlanCase> &info) { return std::string(info.param.name); });

TEST(PrintLoopPlan, laterSheetsStartAtTheFirstCell)
{
    TPrintOptions options;
    options.FirstCell = 9;
    options.PrintsPerRecord = 2;
    const QList<TPiecePlace> places = PlanPieces(3, 10, options);
    ASSERT_EQ(places.size(), 6);
    EXPECT_EQ(places[0].Cell, 8);
    EXPECT_EQ(places[1].Cell, 9);
    EXPECT_EQ(places[2].Sheet, 1);
    EXPECT_EQ(places[2].Cell, 0);
    EXPECT_EQ(places[2].Record, 1);
}

constexpr int kDpi = 150;

class PostcardRun : public ::testing::Test
{
protected:
    void SetUp() override { loadLayout(layout, 0, TLayoutKind::AddressSide); }

    SampleBook book;
    TLayoutDocument layout;
};

// The pages of a PDF as its page tree counts them.
int pdfPageCount(const QString &Path)
{
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = file.readAll();
    return int(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "));
}

TEST_F(PostcardRun, printsThreeRecordsAsThreePostcardPages)
{
    QTemporaryDir out;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(out.filePath(QStringLiteral("cards.pdf")));
    printer.setResolution(300);
    printer.setFullPage(true);
    SetupPrinterPage(printer, layout);
    TPrintLoop loop(layout, TableRecordSource(book.table));
    QString error;
    ASSERT_TRUE(loop.Run(printer, {1, 2, 3}, {}, &error)) << qPrintable(error);
    EXPECT_EQ(loop.PagesPrinted(), 3);
    EXPECT_EQ(pdfPageCount(out.filePath(QStringLiteral("cards.pdf"))), 3);
}

TEST_F(PostcardRun, pageHasNameAddressAndPostcodeInk)
{
    TPrintLoop loop(layout, TableRecordSource(book.table));
    QList<QImage> pages;
    QString error;
    ASSERT_TRUE(loop.RunToImages({kDpi, kDpi}, {1, 2, 3}, {}, pages, &error)) << qPrintable(error);
    ASSERT_EQ(pages.size(), 3);
    ASSERT_FALSE(saveScreenshot(pages.first(), QStringLiteral("editors_postcard_page1")).isEmpty());
    // Frames of the simple set: 0 postcode, 1 address, 2 name.
    for (int frame : {0, 1, 2})
        EXPECT_GT(inkIn(pages.first(), frameDots(layout.Format, frame, kDpi)), 50) << "frame " << frame;
}

TEST_F(PostcardRun, nameColumnRunsDownTheMiddle)
{
    TPrintLoop loop(layout, TableRecordSource(book.table));
    QList<QImage> pages;
    ASSERT_TRUE(loop.RunToImages({kDpi, kDpi}, {1}, {}, pages, nullptr));
    const QRect name = frameDots(layout.Format, 2, kDpi);
    // Ink in the upper and the lower half of the name frame: a vertical
    // column, not one line across.
    const QRect upper(name.left(), name.top(), name.width(), name.height() / 2);
    const QRect lower(name.left(), name.center().y(), name.width(), name.height() / 2);
    EXPECT_GT(inkIn(pages.first(), upper), 30);
    EXPECT_GT(inkIn(pages.first(), lower), 30);
}

TEST_F(PostcardRun, deletedRecordMergesAsEmpty)
{
    TPrintLoop loop(layout, TableRecordSource(book.table));
    QList<QImage> pages;
    ASSERT_TRUE(loop.RunToImages({kDpi, kDpi}, {1, 99}, {}, pages, nullptr));
    ASSERT_EQ(pages.size(), 2);
    EXPECT_GT(inkIn(pages[0], frameDots(layout.Format, 2, kDpi)), 50);
    EXPECT_EQ(inkIn(pages[1], frameDots(layout.Format, 2, kDpi)), 0);
}

TEST_F(PostcardRun, upsideDownMovesThePostcodeToTheBottom)
{
    TPrintLoop loop(layout, TableRecordSource(book.table));
    QList<QImage> pages;
    TPrintOptions options;
    options.UpsideDown = true;
    ASSERT_TRUE(loop.RunToImages({kDpi, kDpi}, {1}, options, pages, nullptr));
    const QRect postcode = frameDots(layout.Format, 0, kDpi);
    EXPECT_EQ(inkIn(pages.first(), postcode), 0);
    const QRect turned(pages.first().width() - 1 - postcode.right(), pages.first().height() - 1 - postcode.bottom(),
                       postcode.width(), postcode.height());
    EXPECT_GT(inkIn(pages.first(), turned), 50);
}

TEST(LabelRun, firstCellLeavesTheCellsBeforeItBlank)
{
    SampleBook book;
    TLayoutDocument layout;
    loadLayout(layout, 16, TLayoutKind::Label); // A4, 10 cells
    ASSERT_EQ(layout.CellsPerSheet(), 10);
    TPrintLoop loop(layout, TableRecordSource(book.table));
    QList<QImage> pages;
    TPrintOptions options;
    options.FirstCell = 3;
    ASSERT_TRUE(loop.RunToImages({100, 100}, {1, 2, 3}, options, pages, nullptr));
    ASSERT_EQ(pages.size(), 1);
    saveScreenshot(pages.first(), QStringLiteral("editors_label_sheet"));
    auto cellDots = [&](int cell) {
        const QRect r = layout.CellRect(cell);
        return QRect(TenthMmToDots(TTenthMm(r.left()), 100), TenthMmToDots(TTenthMm(r.top()), 100),
                     TenthMmToDots(TTenthMm(r.width()), 100), TenthMmToDots(TTenthMm(r.height()), 100));
    };
    EXPECT_EQ(inkIn(pages.first(), cellDots(0)), 0);
    EXPECT_EQ(inkIn(pages.first(), cellDots(1)), 0);
    for (int cell : {2, 3, 4})
        EXPECT_GT(inkIn(pages.first(), cellDots(cell)), 30) << "cell " << cell;
    EXPECT_EQ(inkIn(pages.first(), cellDots(5)), 0);
}

} // namespace
