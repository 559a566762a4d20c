#include "editors/PrintLoop.h"
#include "EditorsFixture.h"
#include "support/ChildProcess.h"
#include "support/OtherHandle.h"
#include "support/FileHelpers.h"
#include "support/Screenshot.h"
#include "items/NameRect.h"
#include "items/PosRect.h"
#include "platform/Cp932.h"
#include "platform/SqlCipher.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>
#include <QPrinter>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <atomic>
#include <cstdio>

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
    // The printer writing the run to the PDF file Path, on the postcard.
    void toPdf(QPrinter &Printer, const QString &Path)
    {
        Printer.setOutputFormat(QPrinter::PdfFormat);
        Printer.setOutputFileName(Path);
        Printer.setFullPage(true);
        SetupPrinterPage(Printer, layout);
    }

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

// A run stopped half-way (or failing) leaves the PDF file it would have
// replaced as it was.
TEST_F(PostcardRun, aStoppedRunLeavesTheOldPdfWhole)
{
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("cards.pdf"));
    {
        QFile old(pdf);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        ASSERT_EQ(old.write("the earlier run"), 15);
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    SetupPrinterPage(printer, layout);
    TPrintLoop loop(layout, TableRecordSource(book.table));
    loop.Progress = [](int Done, int) { return Done < 2; };
    EXPECT_FALSE(loop.Run(printer, {1, 2, 3}, {}, nullptr));
    QFile kept(pdf);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "the earlier run");
    EXPECT_EQ(printer.outputFileName(), pdf);
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
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

// What a print run keeps between records (the faces found, the laid-out
// items) never outlives a change of the layout: the name's face changed
// between two runs of the same record prints in the new face, and changed
// back prints as the first run did.
TEST_F(PostcardRun, aFaceChangedBetweenTwoRunsPrintsInTheNewFace)
{
    auto *name = dynamic_cast<TNameRect *>(layout.Items.at(2).get());
    ASSERT_NE(name, nullptr);
    const TFont first = name->GetFont();
    const QRect frame = frameDots(layout.Format, 2, kDpi);
    auto printName = [&] {
        TPrintLoop loop(layout, TableRecordSource(book.table));
        QList<QImage> pages;
        EXPECT_TRUE(loop.RunToImages({kDpi, kDpi}, {1}, {}, pages, nullptr));
        return pages.size() == 1 ? pages[0].copy(frame) : QImage();
    };
    const QImage mincho = printName();
    ASSERT_FALSE(mincho.isNull());
    TFont gothic = first;
    gothic.Name = (first.isVertical() ? QStringLiteral("@") : QString()) + QString::fromUtf16(u"ＭＳ ゴシック");
    name->SetFont(gothic);
    const QImage changed = printName();
    EXPECT_NE(changed, mincho);
    EXPECT_GT(inkIn(changed, changed.rect()), 30);
    name->SetFont(first);
    EXPECT_EQ(printName(), mincho);
}

// A record deleted since the list was taken is left out: no postcard goes
// through the printer with the sender alone, and the next record takes its
// sheet.
TEST_F(PostcardRun, aDeletedRecordIsLeftOutAndTheNextTakesItsSheet)
{
    TPrintLoop loop(layout, TableRecordSource(book.table));
    QList<QImage> pages;
    ASSERT_TRUE(loop.RunToImages({kDpi, kDpi}, {1, 99, 2}, {}, pages, nullptr));
    ASSERT_EQ(pages.size(), 2);
    EXPECT_EQ(loop.PagesPrinted(), 2);
    for (const QImage &page : pages)
        EXPECT_GT(inkIn(page, frameDots(layout.Format, 2, kDpi)), 50);
}

// Every record of a run deleted since the list was taken: nothing is left
// to print, and the run says so instead of putting a blank postcard or
// sheet of labels through the printer; a PDF file named for it keeps what
// it held.
struct GoneRunCase {
    const char *name;
    int layout;
    TLayoutKind kind;
    QList<qint32> recNos;
};

class RunOfDeletedRecords : public ::testing::TestWithParam<GoneRunCase>
{};

TEST_P(RunOfDeletedRecords, printsNothingAndSaysSo)
{
    const GoneRunCase &c = GetParam();
    SampleBook book;
    TLayoutDocument layout;
    loadLayout(layout, c.layout, c.kind);
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("cards.pdf"));
    {
        QFile old(pdf);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        ASSERT_EQ(old.write("the earlier run"), 15);
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    SetupPrinterPage(printer, layout);
    TPrintLoop loop(layout, TableRecordSource(book.table));
    QString error;
    EXPECT_FALSE(loop.Run(printer, c.recNos, {}, &error));
    EXPECT_EQ(error, QStringLiteral("印刷するデータがありません"));
    QFile kept(pdf);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "the earlier run");
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    QList<QImage> pages;
    error.clear();
    EXPECT_FALSE(loop.RunToImages({50, 50}, c.recNos, {}, pages, &error));
    EXPECT_EQ(error, QStringLiteral("印刷するデータがありません"));
}

INSTANTIATE_TEST_SUITE_P(PrintLoop, RunOfDeletedRecords,
                         ::testing::Values(GoneRunCase{"postcard", 0, TLayoutKind::AddressSide, {99}},
                                           GoneRunCase{"postcardTwo", 0, TLayoutKind::AddressSide, {98, 99}},
                                           GoneRunCase{"labels", 16, TLayoutKind::Label, {97, 98, 99}}),
                         [](const ::testing::TestParamInfo<GoneRunCase> &info) { return std::string(info.param.name); });

// The run's own handle on the book, as the editors' runs read through it
// (EditorHost opens one for each run).
std::shared_ptr<TTable> runHandle(const TTable &Book)
{
    auto own = std::make_shared<TTable>();
    own->SetTableName(Book.TableName());
    own->SetPassword(TablePassword);
    own->Open();
    return own;
}

// While a long run prints, the main list stays the user's: a record deleted
// there (here through a handle of its own, between two pieces, where the
// run serves the event loop) before its piece is drawn prints no postcard,
// and every sheet of the run carries an addressee. The run reads through
// its own handle, as the editors' runs do.
TEST_F(PostcardRun, aRecordDeletedWhileTheRunPrintsIsLeftOut)
{
    book.table.BeginBatch();
    for (int i = 4; i <= 300; ++i)
        book.add(reinterpret_cast<const char16_t *>(QString::number(1000000 + i).utf16()), u"東京都",
                 u"千代田区永田町一丁目", u"山田 太郎");
    book.table.EndBatch();
    QList<qint32> recNos;
    for (qint32 r = 1; r <= 300; ++r)
        recNos << r;
    OtherHandle handle(book.table);
    TPrintLoop loop(layout, TableRecordSource(runHandle(book.table)));
    QString refused;
    // Deleted while the second batch prints: one of the third.
    loop.Progress = [&](int Done, int) {
        if (Done == 250) {
            try {
                TTable &other = handle.table;
                if (other.FindKey({QVariant(280)}))
                    other.Delete();
                else
                    refused = QStringLiteral("no record 280");
            } catch (const ETableError &e) {
                refused = e.Message();
            }
        }
        return true;
    };
    constexpr int dpi = 20;
    QList<QImage> pages;
    ASSERT_TRUE(loop.RunToImages({dpi, dpi}, recNos, {}, pages, nullptr));
    EXPECT_EQ(refused, QString());
    EXPECT_EQ(pages.size(), 299);
    EXPECT_EQ(loop.PagesPrinted(), 299);
    const QRect name = frameDots(layout.Format, 2, dpi);
    for (int p = 0; p < pages.size(); ++p)
        EXPECT_GT(inkIn(pages[p], name), 0) << "sheet " << p + 1;
}

// A record another program changes while the run prints (a batch read ahead
// meanwhile) prints as changed.
TEST_F(PostcardRun, aRecordChangedWhileTheRunPrintsPrintsAsChanged)
{
    book.table.BeginBatch();
    for (int i = 4; i <= 300; ++i)
        book.add(reinterpret_cast<const char16_t *>(QString::number(1000000 + i).utf16()), u"東京都",
                 u"千代田区永田町一丁目", u"山田 太郎");
    book.table.EndBatch();
    QList<qint32> recNos;
    for (qint32 r = 1; r <= 300; ++r)
        recNos << r;
    const TPosRect *postcode = nullptr;
    for (const auto &item : layout.Items)
        if (auto *p = dynamic_cast<const TPosRect *>(item.get()); p && !postcode)
            postcode = p; // the addressee's: the sender's comes later
    ASSERT_NE(postcode, nullptr);
    OtherHandle handle(book.table);
    TPrintLoop loop(layout, TableRecordSource(runHandle(book.table)));
    QString refused;
    QString printed;
    loop.Progress = [&](int Done, int) {
        if (Done == 250) {
            try {
                TTable &other = handle.table;
                if (!other.FindKey({QVariant(280)}))
                    refused = QStringLiteral("no record 280");
                other.Edit();
                other.FieldByName(QStringLiteral("Pos")).SetAsString(QStringLiteral("9998877"));
                other.Post();
            } catch (const ETableError &e) {
                refused = e.Message();
            }
        }
        if (Done == 280)
            printed = postcode->GetPostcode();
        return true;
    };
    QList<QImage> pages;
    ASSERT_TRUE(loop.RunToImages({10, 10}, recNos, {}, pages, nullptr));
    EXPECT_EQ(refused, QString());
    EXPECT_TRUE(printed.endsWith(QStringLiteral("8877"))) << qPrintable(printed);
}

// Another program deletes or changes a record of the batch being printed,
// after the batch was read and before the record's piece is drawn: the
// piece prints what the book holds as it is drawn. A deleted record gets no
// page; a changed address prints as changed.
struct MidBatchCase {
    const char *name;
    const char16_t *adrs1; // record 2's new address; null: record 2 is deleted
    int pages;
    const char16_t *printed;
    const char16_t *gone;
};
void PrintTo(const MidBatchCase &c, std::ostream *os) { *os << c.name; }
class PostcardRunMidBatch : public PostcardRun, public ::testing::WithParamInterface<MidBatchCase>
{
};

TEST_P(PostcardRunMidBatch, aRecordAnotherProgramWritesPrintsAsTheBookHoldsIt)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    const MidBatchCase &c = GetParam();
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("run.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    toPdf(printer, pdf);
    TPrintLoop loop(layout, TableRecordSource(runHandle(book.table)));
    QString refused = QStringLiteral("not written");
    loop.Progress = [&](int Done, int) {
        if (Done != 1)
            return true;
        // A connection of its own, as another program has.
        sqlite3 *other = SqlCipher::open(book.table.TableName(), TablePassword, false, &refused);
        if (!other)
            return true;
        const QByteArray sql = c.adrs1 ? "UPDATE Data SET Adrs1 = X'" +
                                             Cp932::encode(QString::fromUtf16(c.adrs1)).toHex() + "' WHERE rowid = 2;"
                                       : QByteArray("DELETE FROM Data WHERE rowid = 2;");
        if (SqlCipher::exec(other, sql.constData(), &refused))
            refused.clear();
        SqlCipher::close(other);
        return true;
    };
    QString error;
    ASSERT_TRUE(loop.Run(printer, {1, 2, 3}, {}, &error)) << qPrintable(error);
    EXPECT_EQ(refused, QString());
    EXPECT_EQ(pdfPageCount(pdf), c.pages);
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(pdftotext.waitForFinished(30000));
    // The addresses and names stand in columns: read without blanks and line ends.
    const QString text =
        QString::fromUtf8(pdftotext.readAllStandardOutput()).remove(QRegularExpression(QStringLiteral("\\s")));
    EXPECT_TRUE(text.contains(QString::fromUtf16(c.printed))) << qPrintable(text);
    EXPECT_FALSE(text.contains(QString::fromUtf16(c.gone))) << qPrintable(text);
}

INSTANTIATE_TEST_SUITE_P(PrintLoop, PostcardRunMidBatch,
                         ::testing::Values(MidBatchCase{"deletedRecordGetsNoPage", nullptr, 2, u"鈴木一郎", u"佐藤花子"},
                                           MidBatchCase{"changedAddressPrintsAsChanged", u"大阪市北区中之島一丁目", 3,
                                                        u"中之島", u"梅田"}),
                         [](const auto &info) { return std::string(info.param.name); });

// Another program holding the book for a write it has not made yet (its
// lock taken, nothing written to the file) keeps no run waiting: the run
// asks the book again only once the book's file shows a write, so the
// pieces of a batch already read print at once, as the book holds them
// (what the other program has not committed is not the book's yet).
TEST_F(PostcardRun, aBookHeldByAnotherProgramThatWritesNothingKeepsTheRunPrinting)
{
    TPrintLoop loop(layout, TableRecordSource(runHandle(book.table)));
    QString refused = QStringLiteral("not held");
    sqlite3 *other = nullptr;
    QElapsedTimer held;
    loop.Progress = [&](int Done, int) {
        if (Done != 1)
            return true;
        // A connection of its own, as another program has.
        other = SqlCipher::open(book.table.TableName(), TablePassword, false, &refused);
        if (other && SqlCipher::exec(other, "BEGIN EXCLUSIVE;", &refused))
            refused.clear();
        held.start();
        return true;
    };
    QList<QImage> pages;
    QString error;
    const bool done = loop.RunToImages({10, 10}, {1, 2, 3}, {}, pages, &error);
    const qint64 waited = held.isValid() ? held.elapsed() : -1;
    if (other) {
        (void)SqlCipher::exec(other, "ROLLBACK;", nullptr);
        SqlCipher::close(other);
    }
    ASSERT_TRUE(done) << qPrintable(error);
    EXPECT_EQ(refused, QString());
    EXPECT_EQ(pages.size(), 3);
    // Far below the wait for a busy book (3 s).
    EXPECT_GE(waited, 0);
    EXPECT_LT(waited, 1000);
}

struct AheadCase {
    const char *name;
    int savedAt; // the piece after which another handle saves; 0: none
    int reads;   // records read in all
};

class PostcardRunAhead : public PostcardRun, public ::testing::WithParamInterface<AheadCase>
{
};

// A batch read ahead is taken as read while the book is unchanged, and read
// again at its first piece once another handle saved after it was read; the
// batch being printed has its records from the next piece on read again.
TEST_P(PostcardRunAhead, aBatchReadAheadIsReadAgainOnlyWhenTheBookChanged)
{
    const AheadCase &c = GetParam();
    book.table.BeginBatch();
    for (int i = 4; i <= 300; ++i)
        book.add(reinterpret_cast<const char16_t *>(QString::number(1000000 + i).utf16()), u"東京都",
                 u"千代田区永田町一丁目", u"山田 太郎");
    book.table.EndBatch();
    QList<qint32> recNos;
    for (qint32 r = 1; r <= 300; ++r)
        recNos << r;
    const std::shared_ptr<TTable> own = runHandle(book.table);
    const TRecordSource table = TableRecordSource(own);
    std::atomic<int> reads = 0;
    TRecordSource counted(
        [&](qint32 RecNo) {
            ++reads;
            return table(RecNo);
        },
        [&own](const std::function<void()> &Read) {
            const TTableRead hold(*own);
            Read();
        },
        [&own] { return own->DataVersion(); });
    OtherHandle handle(book.table);
    QString refused;
    TPrintLoop loop(layout, counted);
    loop.Progress = [&](int Done, int) {
        if (Done != c.savedAt)
            return true;
        // After the second batch was read ahead.
        for (int i = 0; i < 500 && reads < 256; ++i)
            QThread::msleep(10);
        try {
            TTable &other = handle.table;
            if (!other.FindKey({QVariant(1)}))
                refused = QStringLiteral("no record 1");
            other.Edit();
            other.FieldByName(QStringLiteral("Adrs2")).SetAsString(QStringLiteral("別館"));
            other.Post();
        } catch (const ETableError &e) {
            refused = e.Message();
        }
        return true;
    };
    QList<QImage> pages;
    ASSERT_TRUE(loop.RunToImages({10, 10}, recNos, {}, pages, nullptr));
    EXPECT_EQ(refused, QString());
    EXPECT_EQ(pages.size(), 300);
    EXPECT_EQ(reads, c.reads);
}

INSTANTIATE_TEST_SUITE_P(PrintLoop, PostcardRunAhead,
                         ::testing::Values(AheadCase{"unchangedBookReadOnce", 0, 300},
                                           AheadCase{"savedWhileTheFirstBatchPrints", 50, 300 + (128 - 50) + 128}),
                         [](const auto &info) { return std::string(info.param.name); });

// The same run written to a real PDF file and read back through poppler:
// what a printer would be sent, not the loop's own images.
TEST_F(PostcardRun, threeRecordsInARealPdfHaveInkInTheAddressAndPostcodeAreas)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("three.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setResolution(300);
    printer.setFullPage(true);
    SetupPrinterPage(printer, layout);
    TPrintLoop loop(layout, TableRecordSource(book.table));
    QString error;
    ASSERT_TRUE(loop.Run(printer, {1, 2, 3}, {}, &error)) << qPrintable(error);
    const QList<QImage> pages = renderPdf(pdf, kDpi);
    ASSERT_EQ(pages.size(), 3);
    QList<QImage> drawn;
    ASSERT_TRUE(loop.RunToImages({kDpi, kDpi}, {1, 2, 3}, {}, drawn, nullptr));
    for (int page = 0; page < 3; ++page) {
        // The sheet is the postcard's own size, not the printer's default paper.
        EXPECT_LE(std::abs(pages[page].width() - drawn[page].width()), 2) << "page " << page;
        EXPECT_LE(std::abs(pages[page].height() - drawn[page].height()), 2) << "page " << page;
        // Frames of the simple set: 0 postcode, 1 address, 2 name.
        for (int frame : {0, 1, 2})
            EXPECT_GT(inkIn(pages[page], frameDots(layout.Format, frame, kDpi)), 50)
                << "page " << page << " frame " << frame;
    }
    // Each page carries its own record: the address columns differ.
    const QRect address = frameDots(layout.Format, 1, kDpi);
    EXPECT_NE(pages[0].copy(address), pages[1].copy(address));
    EXPECT_NE(pages[1].copy(address), pages[2].copy(address));
}

// The text a person copies from the printed PDF is the text printed: the
// ideographs themselves, not the Kangxi radicals their glyphs are shared
// with (山田 and 千代田区永田町一丁目 of the first record, read raw).
TEST_F(PostcardRun, pdfTextGivesTheIdeographsPrintedNotTheirRadicals)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("one.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    toPdf(printer, pdf);
    TPrintLoop loop(layout, TableRecordSource(book.table));
    QString error;
    ASSERT_TRUE(loop.Run(printer, {1}, {}, &error)) << qPrintable(error);
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(pdftotext.waitForFinished(30000));
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    for (const char16_t *printed : {u"田", u"目", u"一"})
        EXPECT_TRUE(text.contains(QString::fromUtf16(printed))) << qPrintable(text);
    for (const char16_t *radical : {u"⽥", u"⽬", u"⼀"})
        EXPECT_FALSE(text.contains(QString::fromUtf16(radical))) << qPrintable(text);
}

TEST_F(PostcardRun, upsideDownMovesThePostcodeToTheBottom)
{
    // The customer barcode under the names, turned, reaches into the
    // postcode's frame: only the postcode's ink is looked for.
    for (auto &item : layout.Items)
        if (item->GetKind() == TDrawRectKind::Barcode)
            item->SetVisible(false);
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

// The ink of a page: its bounding box.
QRect inkBox(const QImage &Page)
{
    QRect box;
    for (int y = 0; y < Page.height(); ++y)
        for (int x = 0; x < Page.width(); ++x)
            if (isInk(Page.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

// The print shift is on the paper as it leaves the printer: +x right, +y
// down, on every cell whichever way the piece lies on the sheet.
TEST(PrintLoopOffset, shiftsThePrintRightAndDownOnThePaper)
{
    SampleBook book;
    QList<int> layouts{0};
    // The first sheet whose pieces lie on their side, when the catalogue has one.
    for (int index = 1; index < 60; ++index) {
        TLabelGrid grid;
        const TLayoutFormat format = catalogueFormat(index, &grid);
        if (format.Width > 0 && format.Direction != 0 && grid.Columns > 0 && grid.Rows > 0) {
            layouts << index;
            break;
        }
    }
    constexpr int dpi = 100;
    for (const int index : layouts) {
        TLayoutDocument layout;
        TLabelGrid grid;
        const TLayoutFormat format = catalogueFormat(index, &grid);
        loadLayout(layout, index, format.Kind == quint8(TPaperKind::Card)    ? TLayoutKind::Card
                                  : format.Kind == quint8(TPaperKind::Label) ? TLayoutKind::Label
                                                                             : TLayoutKind::AddressSide);
        TPrintLoop loop(layout, TableRecordSource(book.table));
        QList<QImage> plain, shifted;
        ASSERT_TRUE(loop.RunToImages({dpi, dpi}, {1}, {}, plain, nullptr));
        TPrintOptions options;
        options.Offset = TTenthMmPoint{TTenthMm(50), TTenthMm(30)};
        ASSERT_TRUE(loop.RunToImages({dpi, dpi}, {1}, options, shifted, nullptr));
        const QRect before = inkBox(plain.first());
        const QRect after = inkBox(shifted.first());
        ASSERT_FALSE(before.isEmpty()) << "layout " << index;
        EXPECT_NEAR(after.left() - before.left(), TenthMmToDots(TTenthMm(50), dpi), 2) << "layout " << index;
        EXPECT_NEAR(after.top() - before.top(), TenthMmToDots(TTenthMm(30), dpi), 2) << "layout " << index;
    }
}

// The sheet's cell Cell in dots at Dpi.
QRect cellInDots(const TLayoutDocument &Layout, int Cell, int Dpi)
{
    const QRect r = Layout.CellRect(Cell);
    return QRect(TenthMmToDots(TTenthMm(r.left()), Dpi), TenthMmToDots(TTenthMm(r.top()), Dpi),
                 TenthMmToDots(TTenthMm(r.width()), Dpi), TenthMmToDots(TTenthMm(r.height()), Dpi));
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
    auto cellDots = [&](int cell) { return cellInDots(layout, cell, 100); };
    EXPECT_EQ(inkIn(pages.first(), cellDots(0)), 0);
    EXPECT_EQ(inkIn(pages.first(), cellDots(1)), 0);
    for (int cell : {2, 3, 4})
        EXPECT_GT(inkIn(pages.first(), cellDots(cell)), 30) << "cell " << cell;
    EXPECT_EQ(inkIn(pages.first(), cellDots(5)), 0);
}

// A record deleted since the list was taken leaves no blank label: the
// labels after it move up, from the first cell chosen, in every copy.
TEST(LabelRun, aDeletedRecordLeavesNoBlankLabel)
{
    SampleBook book;
    TLayoutDocument layout;
    loadLayout(layout, 16, TLayoutKind::Label); // A4, 10 cells
    ASSERT_EQ(layout.CellsPerSheet(), 10);
    TPrintLoop loop(layout, TableRecordSource(book.table));
    QList<QImage> pages;
    TPrintOptions options;
    options.FirstCell = 3;
    options.PrintsPerRecord = 2;
    options.Copies = 2;
    ASSERT_TRUE(loop.RunToImages({100, 100}, {1, 99, 2, 3}, options, pages, nullptr));
    // Each copy on a sheet of its own: cells 3 to 8 hold the three records
    // twice each, the rest stay blank.
    ASSERT_EQ(pages.size(), 2);
    auto cellDots = [&](int cell) { return cellInDots(layout, cell, 100); };
    for (int p = 0; p < 2; ++p)
        for (int cell = 0; cell < 10; ++cell) {
            if (cell >= 2 && cell <= 7)
                EXPECT_GT(inkIn(pages[p], cellDots(cell)), 30) << "sheet " << p + 1 << " cell " << cell;
            else
                EXPECT_EQ(inkIn(pages[p], cellDots(cell)), 0) << "sheet " << p + 1 << " cell " << cell;
        }
}

} // namespace

namespace {

// The vertical long envelope (120 x 235 mm) of the shipped catalogue.
class EnvelopeRun : public ::testing::Test
{
protected:
    void SetUp() override { loadLayout(layout, 2, TLayoutKind::AddressSide); }

    // The first row of the first page with any ink.
    int firstInkRow(const TPrintOptions &Options, int *Height = nullptr)
    {
        TPrintLoop loop(layout, TableRecordSource(book.table));
        QList<QImage> pages;
        if (!loop.RunToImages({kDpi, kDpi}, {1}, Options, pages, nullptr) || pages.isEmpty())
            return -1;
        if (Height)
            *Height = pages.first().height();
        for (int y = 0; y < pages.first().height(); ++y)
            if (inkIn(pages.first(), QRect(0, y, pages.first().width(), 1)) > 0)
                return y;
        return -1;
    }

    SampleBook book;
    TLayoutDocument layout;
};

} // namespace

TEST_F(EnvelopeRun, openFlapMovesTheContentDownAndLengthensThePage)
{
    int plainHeight = 0;
    int flapHeight = 0;
    const int plain = firstInkRow({}, &plainHeight);
    TPrintOptions options;
    options.Flap = 300; // 30.0 mm
    const int moved = firstInkRow(options, &flapHeight);
    ASSERT_GE(plain, 0);
    EXPECT_NEAR(moved - plain, TenthMmToDots(TTenthMm(300), kDpi), 1);
    EXPECT_EQ(flapHeight - plainHeight, TenthMmToDots(TTenthMm(300), kDpi));
}

TEST_F(EnvelopeRun, flapTrailsWhenPrintedUpsideDown)
{
    TPrintOptions turned;
    turned.UpsideDown = true;
    TPrintOptions turnedFlap = turned;
    turnedFlap.Flap = 300;
    // Fed bottom first, the envelope's lower edge leads: nothing moves.
    const int row = firstInkRow(turned);
    ASSERT_GE(row, 0);
    EXPECT_EQ(firstInkRow(turnedFlap), row);
}

TEST(PrintLoopFlap, appliesToEnvelopesOnly)
{
    TLayoutDocument postcard;
    loadLayout(postcard, 0, TLayoutKind::AddressSide);
    TLayoutDocument envelope;
    loadLayout(envelope, 2, TLayoutKind::AddressSide);
    EXPECT_EQ(FlapOf(postcard, 300), 0);
    EXPECT_EQ(FlapOf(envelope, 300), 300);
    EXPECT_EQ(FlapOf(envelope, 9999), FlapMax);
}

TEST(PrintedContent, spansEveryCellOfTheSheet)
{
    TLayoutDocument label;
    loadLayout(label, 16, TLayoutKind::Label); // A4, 2 x 5 cells
    const TContentRect all = PrintedContent(label);
    const QRect first = label.CellRect(0);
    const QRect last = label.CellRect(9);
    // From inside the first cell to inside the last one.
    EXPECT_GE(all.Left, PaperFmt::tenthsToPixels(first.left()));
    EXPECT_LT(all.Left, PaperFmt::tenthsToPixels(first.right()));
    EXPECT_GT(all.Bottom, PaperFmt::tenthsToPixels(last.top()));
    EXPECT_LE(all.Bottom, PaperFmt::tenthsToPixels(last.bottom()) + 1);
    EXPECT_GT(all.Right, PaperFmt::tenthsToPixels(last.left()));
}

TEST(PrintedContent, isEmptyWithoutItems)
{
    TLayoutDocument layout;
    loadLayout(layout, 0, TLayoutKind::AddressSide);
    layout.Items.clear();
    EXPECT_TRUE(PrintedContent(layout).IsEmpty());
}

namespace {

// Runs to a PDF killed at random moments: each trial starts a child process
// (this test program, running only the child case below) that prints many
// postcards over the user's earlier PDF, and kills it while it runs.

const char *const kPdfKillVariable = "MURVEN_PDF_KILL_FILE";

// Runs in the child only: prints to the PDF named by the variable for as
// long as it lives.
TEST_F(PostcardRun, killedRunChild)
{
    const QByteArray file = qgetenv(kPdfKillVariable);
    if (file.isEmpty())
        GTEST_SKIP() << "runs as the child of the kill trials";
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromLocal8Bit(file));
    printer.setResolution(300);
    printer.setFullPage(true);
    SetupPrinterPage(printer, layout);
    TPrintLoop loop(layout, TableRecordSource(book.table));
    loop.Progress = [](int, int) {
        std::printf("RUNNING\n");
        std::fflush(stdout);
        return true;
    };
    TPrintOptions options;
    options.Copies = 1000;
    QString error;
    (void)loop.Run(printer, {1, 2, 3}, options, &error);
}

TEST_F(PostcardRun, killedRunsLeaveTheEarlierPdfAndNothingBesideIt)
{
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("cards.pdf"));
    const QByteArray earlier = "%PDF-1.4 the earlier run %%EOF";
    writeBytes(pdf, earlier);
    QRandomGenerator random(20141207);
    for (int trial = 0; trial < 6; ++trial) {
        QProcess child;
        StartTestChild(child, QStringLiteral("PostcardRun.killedRunChild"), {{kPdfKillVariable, pdf}});
        ASSERT_TRUE(child.waitForStarted(10000));
        QByteArray output;
        while (!output.contains("RUNNING") && child.waitForReadyRead(30000))
            output += child.readAllStandardOutput();
        ASSERT_TRUE(output.contains("RUNNING")) << "trial " << trial;
        QThread::msleep(random.bounded(20, 300));
        ASSERT_TRUE(KillRunningChild(child)) << "the run ended before its kill, trial " << trial;
        child.waitForFinished(10000);
        EXPECT_EQ(fileBytes(pdf), earlier) << "trial " << trial;
    }
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{QStringLiteral("cards.pdf")});

    // The next run replaces the earlier PDF, and nothing else is there.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    SetupPrinterPage(printer, layout);
    TPrintLoop loop(layout, TableRecordSource(book.table));
    QString error;
    ASSERT_TRUE(loop.Run(printer, {1, 2, 3}, {}, &error)) << qPrintable(error);
    EXPECT_EQ(pdfPageCount(pdf), 3);
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{QStringLiteral("cards.pdf")});
}

// Leftovers a killed run of an earlier version left beside the user's PDF
// are removed by the next run; files of the user that look alike, and a
// leftover of a run still at work (touched within the minute), are not.
struct LeftoverCase {
    const char *name;
    const char *file;
    QByteArray bytes;
    int ageSeconds;
    bool removed;
};
void PrintTo(const LeftoverCase &c, std::ostream *os) { *os << c.name; }

class PdfLeftover : public PostcardRun, public ::testing::WithParamInterface<LeftoverCase> {};

TEST_P(PdfLeftover, isSweptOnlyWhenItIsAKilledRunsOwn)
{
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("cards.pdf"));
    const QString leftover = out.filePath(QString::fromUtf8(GetParam().file));
    writeBytes(leftover, GetParam().bytes);
    ageFile(leftover, GetParam().ageSeconds);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    SetupPrinterPage(printer, layout);
    TPrintLoop loop(layout, TableRecordSource(book.table));
    QString error;
    ASSERT_TRUE(loop.Run(printer, {1}, {}, &error)) << qPrintable(error);
    EXPECT_EQ(QFileInfo::exists(leftover), !GetParam().removed);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PdfLeftover,
    ::testing::Values(LeftoverCase{"cutPdfOfAKilledRun", ".cards.pdf.Ab12Cd", "%PDF-1.4 cut", 3600, true},
                      LeftoverCase{"emptyTemporaryOfAKilledRun", ".cards.pdf.x9Y8z7", "", 3600, true},
                      LeftoverCase{"safeReplaceTemporary", ".cards.pdf.new-abcd1234", "%PDF-1.4 cut", 3600, true},
                      LeftoverCase{"runStillAtWork", ".cards.pdf.Ab12Cd", "%PDF-1.4 cut", 0, false},
                      LeftoverCase{"usersNotesOfTheSameShape", ".cards.pdf.notes1", "my notes", 3600, false},
                      LeftoverCase{"longerSuffix", ".cards.pdf.Ab12Cde", "%PDF-1.4", 3600, false},
                      LeftoverCase{"anotherPdfsLeftover", ".other.pdf.Ab12Cd", "%PDF-1.4", 3600, false}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace

// A long run takes its records a batch at a time, each batch under one read
// of the book: every piece still gets its own record across the batches'
// edges and over copies, and between pieces the book is free for another
// handle to save (the main list is not locked out for the whole run).
class PostcardRunBatches : public PostcardRun, public ::testing::WithParamInterface<bool>
{};

// Read where the run runs (a shared handle), or ahead on a worker while the
// run prints (a handle of the run's own, as the editors' runs read).
TEST_P(PostcardRunBatches, aLongRunReadsInBatchesAndLeavesTheBookFreeBetween)
{
    const bool ahead = GetParam();
    book.table.BeginBatch();
    for (int i = 4; i <= 300; ++i)
        book.add(reinterpret_cast<const char16_t *>(QString::number(1000000 + i).utf16()), u"東京都",
                 u"千代田区永田町一丁目", u"山田 太郎");
    book.table.EndBatch();
    QList<qint32> recNos;
    for (qint32 r = 300; r >= 1; --r)
        recNos << r;
    const std::shared_ptr<TTable> own = runHandle(book.table);
    TTable &reader = ahead ? *own : book.table;
    const TRecordSource table = ahead ? TableRecordSource(own) : TableRecordSource(book.table);
    ASSERT_EQ(table.ReadsAhead(), ahead);
    int holds = 0;
    QList<qint32> read;
    TRecordSource counted(
        [&](qint32 RecNo) {
            read << RecNo;
            return table(RecNo);
        },
        [&](const std::function<void()> &Read) {
            ++holds;
            const TTableRead hold(reader);
            Read();
        },
        ahead ? TRecordSource::TVersion([&reader] { return reader.DataVersion(); }) : TRecordSource::TVersion());
    ASSERT_EQ(counted.ReadsAhead(), ahead);
    OtherHandle handle(book.table);
    TTable &other = handle.table;
    TPrintLoop loop(layout, counted);
    TPrintOptions options;
    options.PrintsPerRecord = 2;
    options.Copies = 2;
    const TPosRect *postcode = nullptr;
    for (const auto &item : layout.Items)
        if (auto *p = dynamic_cast<const TPosRect *>(item.get()); p && !postcode)
            postcode = p; // the addressee's: the sender's comes later
    ASSERT_NE(postcode, nullptr);
    const QList<TPiecePlace> places = PlanPieces(int(recNos.size()), 1, options);
    QStringList wrong;
    int saved = 0;
    loop.Progress = [&](int Done, int) {
        const qint32 recNo = recNos[places[Done - 1].Record];
        const QString expected =
            recNo == 1 ? QStringLiteral("0014") : recNo <= 3 ? QStringLiteral("0001")
                                                            : QString::number(recNo % 10000).rightJustified(4, u'0');
        if (!postcode->GetPostcode().endsWith(expected))
            wrong << QStringLiteral("piece %1: %2").arg(Done).arg(postcode->GetPostcode());
        if (Done % 97 == 0) {
            try {
                EXPECT_TRUE(other.FindKey({QVariant(recNo)}));
                other.Edit();
                other.FieldByName(QStringLiteral("Adrs2")).SetAsString(QStringLiteral("%1").arg(Done));
                other.Post();
                ++saved;
            } catch (const ETableError &e) {
                wrong << QStringLiteral("save at piece %1: %2").arg(Done).arg(e.Message());
            }
        }
        return true;
    };
    QString error;
    QTemporaryDir out;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(out.filePath(QStringLiteral("run.pdf")));
    printer.setResolution(kDpi);
    printer.setFullPage(true);
    SetupPrinterPage(printer, layout);
    ASSERT_TRUE(loop.Run(printer, recNos, options, &error)) << qPrintable(error);
    EXPECT_EQ(loop.PagesPrinted(), 1200);
    EXPECT_TRUE(wrong.isEmpty()) << qPrintable(wrong.mid(0, 5).join(QLatin1Char('\n')));
    EXPECT_EQ(saved, 1200 / 97);
    // Each record read once a copy (a batch read ahead again when a save
    // came after it); a batch is a handful of records, never one lock a
    // record nor one for the whole run.
    if (ahead) {
        EXPECT_GE(read.size(), 600);
        EXPECT_LE(read.size(), 600 + saved * 128);
    } else {
        EXPECT_EQ(read.size(), 600);
        EXPECT_EQ(read.mid(0, 300), recNos);
    }
    EXPECT_GE(holds, 4);
    EXPECT_LE(holds, 20 + saved);
}

// A record that cannot be read stops the run with the book's reason at the
// first piece of its batch, also when the batch was read ahead while
// earlier pieces printed.
TEST_P(PostcardRunBatches, aRecordThatCannotBeReadStopsTheRunAtItsPiece)
{
    QList<qint32> recNos;
    for (qint32 r = 1; r <= 400; ++r)
        recNos << r % 3 + 1;
    std::atomic<int> calls = 0;
    TRecordSource failing(
        [&calls](qint32 RecNo) -> std::optional<TAddressText> {
            if (++calls == 300)
                throw ETableError(QStringLiteral("壊れています"));
            TAddressText text;
            text.Pos = QString::number(1000000 + RecNo);
            return text;
        },
        {}, GetParam() ? TRecordSource::TVersion([] { return qint64(1); }) : TRecordSource::TVersion());
    ASSERT_EQ(failing.ReadsAhead(), GetParam());
    TPrintLoop loop(layout, failing);
    int done = 0;
    loop.Progress = [&done](int Done, int) {
        done = Done;
        return true;
    };
    QList<QImage> pages;
    QString error;
    EXPECT_FALSE(loop.RunToImages({30, 30}, recNos, {}, pages, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("壊れています"))) << qPrintable(error);
    // The pieces before the batch that failed printed (its first piece is
    // the 257th); none after it.
    EXPECT_EQ(done, 256);
}

INSTANTIATE_TEST_SUITE_P(PrintLoop, PostcardRunBatches, ::testing::Bool(),
                         [](const auto &info) { return std::string(info.param ? "readAhead" : "readInPlace"); });
