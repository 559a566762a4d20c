#include "exchange/ListPrtDisplay.h"
#include "exchange/ListPrtPaint.h"
#include "exchange/ListPrtPrinter.h"
#include "items/ItemStream.h"
#include "items/PrtInfo.h"
#include "support/FileHelpers.h"
#include "support/Screenshot.h"
#include "util/SubUnit.h"

#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A PDF printer at a low resolution keeps the test images small; every
// quantity of the page scales with it.
constexpr int kTestDpi = 150;

class ListPrtPaintTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    TListPrinterInfo printer{QString()};
    TListPrintJob job;

    void SetUp() override
    {
        printer.SelectPdf(dir.filePath(QStringLiteral("list.pdf")));
        printer.Printer().setResolution(kTestDpi);
        job.Items = MakeListPrintItems({});
        job.Layout.FontName = QStringLiteral("Noto Sans CJK JP");
        job.Layout.FontSize = 10;
        job.Layout.Date = QDate(2014, 4, 1);
        job.Columns = {{0, 2, 0}, {1, 4, 2}, {19, 14, 0}, {37, 60, 0}};
    }

    [[nodiscard]] TListPageMetrics metrics() const { return MeasureListPage(job.Layout, printer); }

    static std::vector<QStringList> records(int count)
    {
        std::vector<QStringList> rows;
        for (int i = 0; i < count; ++i)
            rows.push_back({QString(), QString(), QStringLiteral("山田 太郎%1").arg(i),
                            QStringLiteral("備考の長い文章がここに入ります。").repeated(8)});
        return rows;
    }

    // The page painted on a white image of the printable size plus `extra`
    // rows below it, in printer pixels.
    QImage paint(const std::vector<QStringList> &rows, int extra = 0) const
    {
        const TListPageMetrics m = metrics();
        QImage image(m.PW, m.PH + extra, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        PaintListPage(painter, job, m, rows, 1, 1, 1);
        return image;
    }

    static int lowestInk(const QImage &image)
    {
        for (int y = image.height() - 1; y >= 0; --y) {
            const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if ((line[x] & 0xFFFFFF) != 0xFFFFFF)
                    return y;
        }
        return -1;
    }
};

} // namespace

TEST(ListPrtTexts, dateReadsAsTheDateFieldShowsItAndPageTextsFollowTheirForm)
{
    EXPECT_EQ(ListPrintDateText(QDate(2014, 4, 1)), QStringLiteral("2014/04/01"));
    EXPECT_EQ(ListPrintDateText(QDate(2026, 12, 7)), QStringLiteral("2026/12/07"));
    EXPECT_EQ(ListPrintDateText(QDate(2014, 12, 25)), QStringLiteral("2014/12/25"));
    const std::vector<std::pair<int, QString>> cases{
        {0, QStringLiteral("Page. 3")},         {1, QStringLiteral("- 3 -")},
        {2, QStringLiteral("3 ページ")},        {3, QStringLiteral("Page. 3 / 7")},
        {4, QStringLiteral("- 3 / 7 -")},       {5, QStringLiteral("3 / 7 ページ")}};
    for (const auto &[type, text] : cases)
        EXPECT_EQ(ListPrintPageText(type, 3, 7), text) << type;
}

TEST(ListPrtTexts, headerCaptionsAreShortWhereTheItemHasOneAndKeywordNamesElsewhere)
{
    std::array<QString, 9> names;
    names[2] = QStringLiteral(" 趣味 ");
    const auto items = MakeListPrintItems(names);
    EXPECT_EQ(ListPrintHeaderCaption(items, 38), QStringLiteral("ｼﾝﾎﾞﾙ"));
    EXPECT_EQ(ListPrintHeaderCaption(items, 4), QStringLiteral("TEL"));
    EXPECT_EQ(ListPrintHeaderCaption(items, 30), QStringLiteral("趣味"));
    EXPECT_EQ(ListPrintHeaderCaption(items, 15), QStringLiteral("会社名"));
    EXPECT_EQ(ListPrintHeaderCaption(items, 45), QString());
}

TEST(ListPrtTexts, lineType2OnA600DpiPrinterIs19PixelsThick)
{
    EXPECT_EQ(ListRuleThickness(2, 600 / 96.0), 19);
    EXPECT_EQ(ListRuleThickness(0, 600 / 96.0), 6);
    EXPECT_EQ(ListRuleThickness(4, 1.0), 2);
}

TEST(ListPrtTexts, pageCountRoundsUpAndRefusesAnEmptyPage)
{
    EXPECT_EQ(ListPageCount(250, 40), 7);
    EXPECT_EQ(ListPageCount(240, 40), 6);
    EXPECT_EQ(ListPageCount(10, 0), 0);
    EXPECT_EQ(ListPageCount(10, -3), 0);
}

TEST_F(ListPrtPaintTest, printerInfoConvertsTenthsOfMillimetresAndPoints)
{
    printer.Printer().setResolution(600);
    EXPECT_EQ(printer.TenthMMToDevice(QPoint(125, 254)), QPoint(295, 600));
    EXPECT_EQ(printer.PointsToDevice(9), 75);
    EXPECT_DOUBLE_EQ(printer.ScaleY(), 6.25);
}

TEST_F(ListPrtPaintTest, printerSettingsSurviveTheirFile)
{
    const QString file = dir.filePath(QStringLiteral("LstPrint.pi"));
    printer.Printer().setPageSize(QPageSize(QPageSize::B5));
    printer.Printer().setPageOrientation(QPageLayout::Landscape);
    printer.SetCopies(3);
    {
        TListPrinterInfo saved(file);
        saved.AssignCurrentPrinter(printer.Printer());
        ASSERT_TRUE(saved.Save());
    }
    const TListPrinterInfo loaded(file);
    EXPECT_TRUE(loaded.IsPdf());
    EXPECT_EQ(loaded.GetOrientation(), 2);
    EXPECT_EQ(loaded.GetCopies(), 3);
    EXPECT_EQ(loaded.Printer().pageLayout().pageSize().id(), QPageSize::B5);
}

// Every placement of the date and page number, with and without a title, one
// and three rows a record, the bottom rule on: a full page stays on the paper,
// and one record more would not.
TEST_F(ListPrtPaintTest, aFullPageNeverInksBelowThePrintableBottom)
{
    job.Layout.Lines = {true, true, true, true, true, true};
    job.Layout.LineTypes = {2, 0, 2, 1, 0, 1};
    job.Layout.Colors = {0xE0E0FF, 0xE0FFE0};
    for (const bool title : {false, true})
        for (const int rows : {1, 3})
            for (int place = 0; place < 9; ++place) {
                job.Layout.Title = title ? QStringLiteral("会員名簿") : QString();
                job.Layout.iRowCount = rows;
                job.Layout.ViewDate = place != 0;
                job.Layout.ViewPage = place != 1;
                job.Layout.DatePosY = (place / 2) % 2;
                job.Layout.PagePosY = place % 2;
                job.Layout.DatePosX = 2;
                job.Layout.PagePosX = place >= 6 ? 2 : 1;
                const TListPageMetrics m = metrics();
                const int capacity = ListPageCapacity(job, m);
                SCOPED_TRACE(testing::Message() << "title " << title << " rows " << rows << " place " << place);
                ASSERT_GT(capacity, 0);
                const QImage full = paint(records(capacity), 400);
                EXPECT_LT(lowestInk(full), m.PH);
                // Without texts at the bottom the page is used to the end.
                if (!(job.Layout.ViewDate && job.Layout.DatePosY == 1) &&
                    !(job.Layout.ViewPage && job.Layout.PagePosY == 1)) {
                    const QImage over = paint(records(capacity + 1), 400);
                    EXPECT_GE(lowestInk(over), m.PH);
                }
            }
}

TEST_F(ListPrtPaintTest, threeRowsARecordFitFewerRecordsThanOne)
{
    const int one = ListPageCapacity(job, metrics());
    job.Layout.iRowCount = 3;
    const TListPageMetrics m = metrics();
    const int three = ListPageCapacity(job, m);
    EXPECT_LT(three, one);
    EXPECT_GE(one, (three * (3 * m.H + m.G)) / (m.H + m.G));
}

TEST_F(ListPrtPaintTest, aPageThatCannotHoldOneRecordPrintsNothing)
{
    job.Layout.FontSize = 30;
    job.Layout.iRowCount = 3;
    job.Layout.OffsetY = 500;
    printer.Printer().setPageSize(QPageSize(QPageSize::A6));
    printer.Printer().setPageOrientation(QPageLayout::Landscape);
    ASSERT_LE(ListPageCapacity(job, metrics()), 0);
    const TListPrintResult result =
        PrintList(printer, job, {1, 2, 3}, [](qint32) { return std::optional<QStringList>(QStringList{}); });
    EXPECT_EQ(result.Pages, 0);
    EXPECT_EQ(result.Error, ListPrintNoRoomMessage);
}

// Colour bands repeat record by record under a coloured header, between the
// rules: read back by pixels.
TEST_F(ListPrtPaintTest, bandsAndRulesStandWhereTheLayoutPutsThem)
{
    job.Layout.ViewDate = false;
    job.Layout.ViewPage = false;
    job.Layout.Lines = {true, false, true, false, false, false};
    job.Layout.HeaderColorExists = true;
    job.Layout.HeaderColor = 0x00FFFF;                      // yellow
    job.Layout.Colors = {0x0000FF, 0x00FF00, 0xFF0000};    // red, green, blue
    const QImage image = paint(records(7));
    EXPECT_FALSE(saveScreenshot(image, QStringLiteral("ListPrtPage")).isEmpty());
    const TListPageMetrics m = metrics();
    const int H = m.H;
    const int G = m.G;
    const int t = ListRuleThickness(0, m.ScaleY);
    const int headerTop = G / 2 + (t - 1) / 2;
    const int x = 2; // inside the blank first column: no text there
    EXPECT_EQ(image.pixelColor(x, headerTop + H / 2), QColor(Qt::yellow));
    // The top rule in the gaps above and below the header.
    EXPECT_EQ(image.pixelColor(x, headerTop - G / 2), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(x, headerTop + H + G / 2), QColor(Qt::black));
    const QColor expected[] = {Qt::red, Qt::green, Qt::blue, Qt::red, Qt::green, Qt::blue, Qt::red};
    int top = headerTop + H + G;
    for (int k = 0; k < 7; ++k) {
        EXPECT_EQ(image.pixelColor(x, top + H / 2), expected[k]) << "record " << k;
        top += H + G;
    }
    // The bottom rule below the seventh record, white paper below it.
    const int lastBottom = top - G;
    EXPECT_EQ(image.pixelColor(x, lastBottom + G / 2), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(x, lastBottom + G + t + 2), QColor(Qt::white));
    // The colours stop at the table's right end.
    EXPECT_EQ(image.pixelColor(m.PW - 2, top - G - H / 2), QColor(Qt::white));
}

TEST_F(ListPrtPaintTest, aSmallBookPrintsToPdfOnTheCountedPages)
{
    job.Layout.Title = QStringLiteral("顧客一覧");
    job.Layout.PageType = 3;
    const int capacity = ListPageCapacity(job, metrics());
    ASSERT_GT(capacity, 0);
    std::vector<qint32> numbers;
    for (qint32 n = 1; n <= 250; ++n)
        numbers.push_back(n);
    int fetched = 0;
    const TListPrintResult result = PrintList(printer, job, numbers, [&](qint32 recNo) -> std::optional<QStringList> {
        ++fetched;
        if (recNo % 50 == 0)
            return std::nullopt; // gone since the list was taken
        return QStringList{QString(), QString(), QStringLiteral("氏名%1").arg(recNo), QStringLiteral("備考")};
    });
    EXPECT_TRUE(result.Error.isEmpty()) << result.Error.toStdString();
    EXPECT_EQ(fetched, 250);
    EXPECT_EQ(result.Records, 245);
    // The pages the records left fill.
    EXPECT_EQ(result.Pages, ListPageCount(245, capacity));
    const QByteArray pdf = fileBytes(dir.filePath(QStringLiteral("list.pdf")));
    const auto pages = QString::fromLatin1(pdf).count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)")));
    EXPECT_EQ(pages, result.Pages);
}

// ---- The pages of the records that are left --------------------------------

struct PageRowsCase {
    const char *name;
    int records;
    int perPage;
    std::vector<int> gone; // record numbers gone since the list was taken
    bool counted;          // the pages print their count ("Page. 1 / 2")
    std::vector<int> pages; // rows on each page
    int readForFirst;       // records read before the first page is painted
};

void PrintTo(const PageRowsCase &c, std::ostream *os)
{
    *os << c.name;
}

class ListPrintPageRows : public ::testing::TestWithParam<PageRowsCase>
{
};

// The records still there fill the pages in order, numbered on without a
// gap; no page is begun without a row; a page count printed on the pages is
// the count of pages printed; the book is given back before each page is
// painted.
TEST_P(ListPrintPageRows, theRowsLeftFillThePagesInOrder)
{
    const PageRowsCase &c = GetParam();
    TListPrintJob job;
    job.Layout.ViewPage = true;
    job.Layout.PageType = c.counted ? 3 : 0;
    std::vector<qint32> numbers;
    for (qint32 n = 1; n <= c.records; ++n)
        numbers.push_back(n);
    int read = 0;
    bool held = false;
    TListPageRows rows(
        job, c.perPage, numbers,
        [&](qint32 recNo) -> std::optional<QStringList> {
            ++read;
            held = true;
            if (std::find(c.gone.begin(), c.gone.end(), recNo) != c.gone.end())
                return std::nullopt;
            return QStringList{QString::number(recNo)};
        },
        {}, [&held] { held = false; });
    std::vector<int> sizes;
    std::vector<qint32> printed;
    int number = 1;
    while (rows.Next()) {
        if (sizes.empty()) {
            EXPECT_EQ(read, c.readForFirst);
        }
        EXPECT_FALSE(held) << "page " << rows.PageNo();
        EXPECT_EQ(rows.PageNo(), static_cast<int>(sizes.size()) + 1);
        EXPECT_EQ(rows.FirstNumber(), number);
        if (c.counted) {
            EXPECT_EQ(rows.PageCount(), static_cast<int>(c.pages.size()));
        }
        sizes.push_back(static_cast<int>(rows.Rows().size()));
        number += static_cast<int>(rows.Rows().size());
        for (const QStringList &row : rows.Rows())
            printed.push_back(row.value(0).toInt());
    }
    EXPECT_FALSE(rows.Cancelled());
    EXPECT_EQ(sizes, c.pages);
    std::vector<qint32> left;
    for (qint32 n : numbers)
        if (std::find(c.gone.begin(), c.gone.end(), n) == c.gone.end())
            left.push_back(n);
    EXPECT_EQ(printed, left);
    EXPECT_EQ(read, c.records);
}

INSTANTIATE_TEST_SUITE_P(
    Gone, ListPrintPageRows,
    ::testing::Values(
        PageRowsCase{"noneGone", 10, 4, {}, false, {4, 4, 2}, 4},
        PageRowsCase{"oneRowOverAPageTakesASecondPage", 6, 5, {}, false, {5, 1}, 5},
        PageRowsCase{"theRowOverAPageGoneTakesNone", 6, 5, {6}, false, {5}, 5},
        PageRowsCase{"fiveOfFortyOneGoneFillOnePage", 41, 38, {3, 9, 17, 30, 38}, false, {36}, 41},
        PageRowsCase{"fiveOfFortyOneGoneCounted", 41, 38, {3, 9, 17, 30, 38}, true, {36}, 41},
        PageRowsCase{"goneRowsMoveTheNextUp", 12, 5, {2, 7, 12}, false, {5, 4}, 6},
        PageRowsCase{"aPageWorthGoneFromTheFirst", 15, 5, {1, 2, 3, 4, 5}, false, {5, 5}, 10},
        PageRowsCase{"aPageWorthGoneCounted", 15, 5, {1, 2, 3, 4, 5}, true, {5, 5}, 15},
        PageRowsCase{"theLastOfAFullPageGone", 10, 5, {10}, true, {5, 4}, 10},
        PageRowsCase{"everyRecordGone", 3, 5, {1, 2, 3}, false, {}, 3},
        PageRowsCase{"everyRecordGoneCounted", 3, 5, {1, 2, 3}, true, {}, 3},
        PageRowsCase{"noRecord", 0, 5, {}, false, {}, 0}),
    [](const auto &info) { return std::string(info.param.name); });

// The count is printed only in the forms that carry it, and only while the
// page number is shown.
TEST(ListPrtTexts, onlyTheFormsWithATotalCountThePages)
{
    TListPrintLayout layout;
    for (int type = 0; type <= 5; ++type) {
        layout.PageType = type;
        layout.ViewPage = true;
        EXPECT_EQ(ListPrintPagesCounted(layout), type >= 3) << type;
        EXPECT_EQ(ListPrintPageText(type, 1, 7).contains(QLatin1Char('7')), type >= 3) << type;
        layout.ViewPage = false;
        EXPECT_FALSE(ListPrintPagesCounted(layout)) << type;
    }
}

// Cancelled while the records are read first, no page is handed out.
TEST(ListPrintPageRowsRun, cancellingWhileTheRecordsAreReadHandsNoPage)
{
    TListPrintJob job;
    job.Layout.PageType = 5;
    const std::vector<qint32> numbers(20, 1);
    int total = 0;
    TListPageRows rows(
        job, 5, numbers, [](qint32) { return std::optional<QStringList>(QStringList{}); },
        [&total](int done, int all) {
            total = all;
            return done < 12;
        });
    EXPECT_FALSE(rows.Next());
    EXPECT_TRUE(rows.Cancelled());
    // The reading is the first half of the run's progress.
    EXPECT_EQ(total, 40);
}

// With every record gone nothing reaches the printer: the earlier PDF of
// that name stays byte for byte, and nothing is left beside it.
TEST_F(ListPrtPaintTest, aRunWithNoRecordLeftWritesNoFileAndLeavesTheEarlierOne)
{
    const QString file = dir.filePath(QStringLiteral("list.pdf"));
    writeBytes(file, "%PDF-1.4 last month's list");
    for (const int pageType : {0, 3}) {
        job.Layout.PageType = pageType;
        const TListPrintResult result =
            PrintList(printer, job, {1, 2, 3}, [](qint32) { return std::optional<QStringList>(); });
        EXPECT_TRUE(result.NoneLeft) << pageType;
        EXPECT_FALSE(result.Cancelled) << pageType;
        EXPECT_TRUE(result.Error.isEmpty()) << result.Error.toStdString();
        EXPECT_EQ(result.Pages, 0) << pageType;
        EXPECT_EQ(fileBytes(file), "%PDF-1.4 last month's list") << pageType;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("list.pdf")});
    }
}

// Copies painted into a PDF each read the book anew; the pages of every
// copy are the pages its records fill.
TEST_F(ListPrtPaintTest, eachCopyIntoAPdfPrintsThePagesItsRecordsFill)
{
    job.Layout.Copies = 2;
    const int capacity = ListPageCapacity(job, metrics());
    ASSERT_GT(capacity, 2);
    std::vector<qint32> numbers;
    for (qint32 n = 1; n <= capacity + 2; ++n)
        numbers.push_back(n);
    // The first copy finds every record, the second has lost the last two.
    int fetched = 0;
    const TListPrintResult result =
        PrintList(printer, job, numbers, [&](qint32 recNo) -> std::optional<QStringList> {
            ++fetched;
            if (fetched > capacity + 2 && recNo > capacity)
                return std::nullopt;
            return QStringList{QString(), QString(), QStringLiteral("氏名%1").arg(recNo), QString()};
        });
    ASSERT_TRUE(result.Error.isEmpty()) << result.Error.toStdString();
    EXPECT_EQ(result.Pages, 3);
    const QByteArray pdf = fileBytes(dir.filePath(QStringLiteral("list.pdf")));
    EXPECT_EQ(QString::fromLatin1(pdf).count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))), 3);
}

TEST_F(ListPrtPaintTest, cancellingStopsTheJobAndSendsNothing)
{
    std::vector<qint32> numbers(100, 1);
    const TListPrintResult result = PrintList(
        printer, job, numbers, [](qint32) { return std::optional<QStringList>(QStringList{}); },
        [](int done, int) { return done < 10; });
    EXPECT_TRUE(result.Cancelled);
    EXPECT_EQ(result.Pages, 0);
}

TEST_F(ListPrtPaintTest, aCancelledPdfLeavesThePreviousFileOfThatNameAsItWas)
{
    const QString file = dir.filePath(QStringLiteral("list.pdf"));
    {
        QFile old(file);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("%PDF-1.4 last month's list");
    }
    std::vector<qint32> numbers(300, 1);
    const TListPrintResult result = PrintList(
        printer, job, numbers, [](qint32) { return std::optional<QStringList>(QStringList{QStringLiteral("a")}); },
        [](int done, int) { return done < 150; });
    EXPECT_TRUE(result.Cancelled);
    EXPECT_EQ(fileBytes(file), "%PDF-1.4 last month's list");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("list.pdf")});
    EXPECT_EQ(printer.Printer().outputFileName(), file);
}

TEST_F(ListPrtPaintTest, aFinishedPdfReplacesThePreviousFile)
{
    const QString file = dir.filePath(QStringLiteral("list.pdf"));
    {
        QFile old(file);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("%PDF-1.4 last month's list");
    }
    const TListPrintResult result = PrintList(printer, job, {1, 2}, [](qint32) {
        return std::optional<QStringList>(QStringList{QStringLiteral("a")});
    });
    EXPECT_TRUE(result.Error.isEmpty()) << result.Error.toStdString();
    EXPECT_EQ(result.Pages, 1);
    EXPECT_TRUE(fileBytes(file).startsWith("%PDF-"));
    EXPECT_FALSE(fileBytes(file).contains("last month"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("list.pdf")});
}

struct CutCase {
    const char *name;
    int originX;
    bool leftEdge;
    bool rightEdge;
    TListPrintColumns columns;
    const char16_t *cut;
    const char16_t *leftOut;
};

void PrintTo(const CutCase &c, std::ostream *os)
{
    *os << c.name;
}

class ListPrintCut : public ::testing::TestWithParam<CutCase>
{
};

// Which columns the print names as cut at the right limit and as left out,
// on a page 1000 pixels wide with characters 10 pixels wide (edge pads of 6).
TEST_P(ListPrintCut, namesTheColumnCutAndThoseLeftOutApart)
{
    const CutCase &c = GetParam();
    TListPrintJob job;
    job.Items = MakeListPrintItems({});
    job.Columns = c.columns;
    job.Layout.Lines[3] = c.leftEdge;
    job.Layout.Lines[5] = c.rightEdge;
    TListPageMetrics m;
    m.PW = 1000;
    m.W = 10;
    m.Origin = QPoint(c.originX, 0);
    const TListPrintColumnFit fit = ListPrintColumnFit(job, m);
    EXPECT_EQ(ListPrintColumnNames(job, fit.Cut), QString::fromUtf16(c.cut));
    EXPECT_EQ(ListPrintColumnNames(job, fit.LeftOut), QString::fromUtf16(c.leftOut));
    EXPECT_EQ(fit.Whole(), c.cut[0] == 0 && c.leftOut[0] == 0);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, ListPrintCut,
    ::testing::Values(
        CutCase{"lastColumnEndsAtTheLimit", 0, false, false, {{19, 50, 0}, {29, 49, 0}}, u"", u""},
        CutCase{"onePixelPastTheLimit", 1, false, false, {{19, 50, 0}, {29, 49, 0}}, u"キーワード１", u""},
        CutCase{"laterColumnsAreLeftOut", 0, false, false, {{19, 50, 0}, {29, 60, 0}, {11, 10, 0}, {4, 5, 0}},
                u"キーワード１", u"住所、電話番号"},
        CutCase{"columnBeginningAtTheLimitIsLeftOutNotCut", 0, false, false, {{19, 99, 0}, {11, 1, 0}}, u"",
                u"住所"},
        CutCase{"columnBeginningBeyondTheLimit", 0, false, false, {{19, 100, 0}, {11, 1, 0}}, u"", u"住所"},
        CutCase{"blankColumnNotNamed", 0, false, false, {{19, 95, 0}, {0, 5, 0}, {29, 1, 0}}, u"",
                u"キーワード１"},
        CutCase{"rightEdgeLineNarrowsThePage", 0, false, true, {{19, 50, 0}, {29, 49, 0}}, u"キーワード１", u""},
        CutCase{"leftEdgeLinePadsTheTable", 0, true, false, {{19, 50, 0}, {29, 49, 0}}, u"キーワード１", u""},
        CutCase{"firstColumnAloneTooWide", 0, false, false, {{37, 101, 0}}, u"備考", u""}),
    [](const auto &info) { return std::string(info.param.name); });

struct FitCase {
    const char *name;
    TListPrintColumns columns;
    int room;
    std::vector<int> widths;
    std::vector<int> needs = {};
};

void PrintTo(const FitCase &c, std::ostream *os)
{
    *os << c.name;
}

class ListPrintFit : public ::testing::TestWithParam<FitCase>
{
};

// The first layout's columns narrowed to the room the page gives them.
TEST_P(ListPrintFit, narrowsTheWidestColumnsFirstAndNoneBelowItsCaption)
{
    const FitCase &c = GetParam();
    const TListPrintColumns fitted = FitListPrintColumns(c.columns, c.room, MakeListPrintItems({}), c.needs);
    std::vector<int> widths;
    for (std::size_t i = 0; i < fitted.size(); ++i) {
        widths.push_back(fitted[i].ItemSize);
        EXPECT_EQ(fitted[i].ItemNo, c.columns[i].ItemNo);
        EXPECT_EQ(fitted[i].ItemAlign, c.columns[i].ItemAlign);
    }
    EXPECT_EQ(widths, c.widths);
}

INSTANTIATE_TEST_SUITE_P(
    Rooms, ListPrintFit,
    ::testing::Values(
        // 名前 14, 住所 50, 会社名 50, キーワード１ 30.
        FitCase{"widthsThatFitStay", {{19, 14, 0}, {11, 50, 0}, {15, 50, 2}, {29, 30, 0}}, 144, {14, 50, 50, 30}},
        FitCase{"oneCharacterOver", {{19, 14, 0}, {11, 50, 0}, {15, 50, 2}, {29, 30, 0}}, 143, {14, 50, 49, 30}},
        FitCase{"wideColumnsGiveUntilTheyMeetTheNext",
                {{19, 14, 0}, {11, 50, 0}, {15, 50, 2}, {29, 30, 0}},
                104,
                {14, 30, 30, 30}},
        FitCase{"theNarrowNameKeepsItsWidth", {{19, 14, 0}, {11, 50, 0}, {15, 50, 2}, {29, 30, 0}}, 86,
                {14, 24, 24, 24}},
        // Captions 名前 and 住所 are four half-width characters wide.
        FitCase{"noneBelowItsCaption", {{19, 14, 0}, {11, 50, 0}}, 2, {4, 4}},
        FitCase{"aColumnNarrowerThanItsCaptionKeepsItsWidth", {{19, 3, 0}, {11, 50, 0}}, 5, {3, 4}},
        FitCase{"blankColumnsGiveDownToOne", {{0, 2, 0}, {11, 50, 0}}, 5, {1, 4}},
        // The texts need 10, 34, nothing and nothing: the room they leave
        // unused goes first, the most unused first.
        FitCase{"unusedRoomGoesFirst",
                {{19, 14, 0}, {11, 50, 0}, {15, 50, 2}, {29, 30, 0}},
                86,
                {14, 41, 13, 18},
                {10, 34, 1, 1}},
        FitCase{"textsThatFitLeaveTheirWidthsAlone",
                {{19, 14, 0}, {11, 50, 0}, {15, 50, 2}, {29, 30, 0}},
                144,
                {14, 50, 50, 30},
                {10, 34, 1, 1}},
        FitCase{"everyTextWholeThenTheWidestGiveWay",
                {{19, 14, 0}, {11, 50, 0}, {15, 50, 2}, {29, 30, 0}},
                50,
                {10, 22, 6, 12},
                {10, 34, 1, 1}},
        FitCase{"textsWiderThanTheirColumnsNeedNoMore",
                {{19, 14, 0}, {11, 50, 0}},
                54,
                {14, 40},
                {20, 60}},
        // A wide sheet: the room left goes to the texts longer than their
        // columns, no more than they need, the one lacking most first.
        FitCase{"spareRoomGoesToTheTextsThatNeedIt", {{19, 14, 0}, {11, 50, 0}}, 100, {14, 60}, {10, 60}},
        FitCase{"textsGetNoMoreThanTheyNeed", {{19, 14, 0}, {11, 50, 0}}, 200, {20, 60}, {20, 60}},
        FitCase{"theTextLackingMostIsWidenedFirst", {{19, 14, 0}, {11, 50, 0}}, 66, {14, 52}, {20, 60}},
        FitCase{"widensUpToTheLastCharacterOfRoom", {{19, 14, 0}, {11, 50, 0}}, 74, {14, 60}, {10, 60}},
        // The room a column's texts leave unused goes to a text cut at its
        // edge, the most unused first; a column whose texts are unknown
        // keeps its width.
        FitCase{"unusedRoomGoesToTheTextsThatNeedIt",
                {{19, 14, 0}, {11, 50, 0}, {15, 50, 2}},
                114,
                {14, 60, 40},
                {10, 60, 1}},
        FitCase{"aColumnOfUnknownTextsGivesNothing",
                {{19, 14, 0}, {11, 50, 0}, {15, 50, 2}},
                114,
                {10, 54, 50},
                {10, 60}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ListPrtTexts, halfWidthLengthCountsACharacterBeyondTheBmpOnce)
{
    const std::vector<std::pair<QString, int>> cases{
        {QStringLiteral("No."), 3},        {QStringLiteral("ｼﾝﾎﾞﾙ"), 5},    {QStringLiteral("名前"), 4},
        {QString::fromUtf16(u"𠮷"), 2},   {QString::fromUtf16(u"𠮷田"), 4}, {QString(), 0}};
    for (const auto &[text, length] : cases)
        EXPECT_EQ(ListPrintHalfWidthLength(text), length) << text.toStdString();
}

TEST(ListPrtTexts, theRoomOfTheColumnsLeavesTheGapsAndTheEdgePads)
{
    TListPageMetrics m;
    m.PW = 1000;
    m.W = 10;
    TListPrintLayout layout;
    EXPECT_EQ(ListPrintColumnRoom(layout, m, 1), 100);
    EXPECT_EQ(ListPrintColumnRoom(layout, m, 4), 97);
    m.Origin = QPoint(1, 0);
    EXPECT_EQ(ListPrintColumnRoom(layout, m, 1), 99);
    layout.Lines[3] = true;
    layout.Lines[5] = true;
    m.Origin = QPoint();
    EXPECT_EQ(ListPrintColumnRoom(layout, m, 1), 98); // two pads of 6 pixels
    m.W = 0;
    EXPECT_EQ(ListPrintColumnRoom(layout, m, 1), 0);
}

TEST(ListPrtPreviewZoom, wholePaperFitsTheViewLessBorderAndMargin)
{
    // A4 at 96 dpi in a view of 604 x 364.
    const double s = ListPreviewFitScale(QSize(794, 1123), QSize(604, 364));
    EXPECT_NEAR(s, 320.0 / 1123.0, 1e-9);
    EXPECT_EQ(static_cast<int>(RoundHalfAway(794 * s)), 226);
    EXPECT_EQ(static_cast<int>(RoundHalfAway(1123 * s)), 320);
    EXPECT_EQ(static_cast<int>(RoundHalfAway(s * 100)), 28);
}

// A font with tall line metrics (Noto Sans CJK: its line is about 1.45 times
// its size): the capacity counts the painter's own line height, so the page's
// records with their gaps stay inside the printable height.
TEST_F(ListPrtPaintTest, capacityWithATallMetricFontStaysWithinThePrintableHeight)
{
    job.Layout.ViewDate = false;
    job.Layout.ViewPage = false;
    for (const int size : {7, 9, 12, 20, 30})
        for (const int rows : {1, 2, 3}) {
            job.Layout.FontSize = size;
            job.Layout.iRowCount = rows;
            const TListPageMetrics m = metrics();
            SCOPED_TRACE(testing::Message() << "size " << size << " rows " << rows);
            // The measured line is taller than the nominal point size.
            ASSERT_GT(m.H, printer.PointsToDevice(size));
            const int capacity = ListPageCapacity(job, m);
            ASSERT_GT(capacity, 0);
            const int header = m.G / 2 + m.H + m.G;
            EXPECT_LE(header + capacity * (rows * m.H + m.G) - m.G, m.PH);
        }
}

// 250 records to a real PDF: the pages counted by the file itself and, where
// poppler is installed, by pdfinfo; no ink below the printable bottom on any
// page (pdftoppm's pixels, else the page's own draw calls).
TEST_F(ListPrtPaintTest, twoHundredFiftyRecordsMakeARealPdfWithNothingOffThePage)
{
    job.Layout.Title = QStringLiteral("顧客一覧");
    job.Layout.Lines = {true, true, true, true, true, true};
    job.Layout.LineTypes = {2, 0, 2, 0, 0, 0};
    job.Layout.Colors = {0xF0E0E0};
    job.Layout.DatePosY = 1;
    job.Layout.PagePosY = 1;
    const TListPageMetrics m = metrics();
    const int capacity = ListPageCapacity(job, m);
    ASSERT_GT(capacity, 0);
    std::vector<qint32> numbers;
    for (qint32 n = 1; n <= 250; ++n)
        numbers.push_back(n);
    const auto fetch = [](qint32 recNo) -> std::optional<QStringList> {
        return QStringList{QString(), QString(), QStringLiteral("氏名%1").arg(recNo),
                           QStringLiteral("備考の長い文章がここに入ります。").repeated(6)};
    };
    const TListPrintResult result = PrintList(printer, job, numbers, fetch);
    ASSERT_TRUE(result.Error.isEmpty()) << result.Error.toStdString();
    const int pages = ListPageCount(250, capacity);
    ASSERT_EQ(result.Pages, pages);
    const QString pdf = dir.filePath(QStringLiteral("list.pdf"));
    EXPECT_EQ(QString::fromLatin1(fileBytes(pdf)).count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))),
              pages);

    const int bottom = printer.PhysicalOffset().y() + m.PH; // in paper pixels
    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (!pdfinfo.isEmpty() && !pdftoppm.isEmpty()) {
        QProcess info;
        info.start(pdfinfo, {pdf});
        ASSERT_TRUE(info.waitForFinished(30000));
        const auto match = QRegularExpression(QStringLiteral(R"(Pages:\s+(\d+))"))
                               .match(QString::fromUtf8(info.readAllStandardOutput()));
        ASSERT_TRUE(match.hasMatch());
        EXPECT_EQ(match.captured(1).toInt(), pages);
        QProcess render;
        render.start(pdftoppm, {QStringLiteral("-r"), QString::number(kTestDpi), QStringLiteral("-png"), pdf,
                                dir.filePath(QStringLiteral("page"))});
        ASSERT_TRUE(render.waitForFinished(120000));
        const QStringList images = QDir(dir.path()).entryList({QStringLiteral("page*.png")}, QDir::Files, QDir::Name);
        ASSERT_EQ(images.size(), pages);
        for (const QString &name : images) {
            const QImage page(dir.filePath(name));
            ASSERT_FALSE(page.isNull());
            // One pixel of anti-aliasing below the last row is allowed.
            EXPECT_LE(lowestInk(page.convertToFormat(QImage::Format_RGB32)), bottom + 1) << name.toStdString();
        }
        return;
    }
    // Without poppler: the same job through a display list at the printer's
    // resolution, every call inside the printable area.
    TListDisplayList calls(QSize(m.PW, m.PH), printer.DpiX(), printer.DpiY());
    {
        QPainter painter(&calls);
        const TListPrintResult again =
            PaintListJob(painter, [] { return true; }, job, m, capacity, numbers, fetch);
        ASSERT_EQ(again.Pages, pages);
    }
    for (const TListDrawCall &call : calls.Calls()) {
        double lowest = call.Rect.bottom();
        if (call.Kind == TListDrawCall::TKind::Line)
            lowest = std::max(call.Line.y1(), call.Line.y2());
        else if (call.Kind == TListDrawCall::TKind::Path)
            lowest = call.Path.boundingRect().bottom();
        else if (call.Kind == TListDrawCall::TKind::Text)
            lowest = call.Rect.top() + QFontMetricsF(call.Font, &calls).descent();
        // The font's line is measured in whole pixels: under one pixel of its
        // descent may pass the line box, as on paper.
        ASSERT_LT(lowest, m.PH + 1) << call.Text.toStdString();
    }
}

// A cell text that fits its cell takes the short way (no line-breaking
// layout); it must stand exactly where the wrapped, aligned layout of the
// cell puts it, for each alignment.
TEST_F(ListPrtPaintTest, aFittingCellTextStandsWhereTheCellLayoutPutsIt)
{
    job.Layout.ViewDate = false;
    job.Layout.ViewPage = false;
    const TListPageMetrics m = metrics();
    for (const int align : {0, 1, 2}) {
        job.Columns = {{19, 20, align}};
        const QString text = QStringLiteral("山田 Taro ﾀﾛｳ 12");
        TListDisplayList ours(QSize(m.PW, m.PH), printer.DpiX(), printer.DpiY());
        {
            QPainter painter(&ours);
            PaintListPage(painter, job, m, {{text}}, 1, 1, 1);
        }
        const int top = m.G / 2 + m.H + m.G;
        const QRect cell(0, top, m.W * 20, m.H);
        TListDisplayList reference(QSize(m.PW, m.PH), printer.DpiX(), printer.DpiY());
        {
            QPainter painter(&reference);
            painter.setFont(m.BodyFont);
            const Qt::Alignment horizontal = align == 1 ? Qt::AlignHCenter : align == 2 ? Qt::AlignRight : Qt::AlignLeft;
            painter.drawText(cell, static_cast<int>(horizontal | Qt::AlignTop) | Qt::TextWordWrap, text);
        }
        // The text's runs (one a script), after the header caption.
        std::vector<TListDrawCall> runs;
        for (const TListDrawCall &c : ours.Calls())
            if (c.Kind == TListDrawCall::TKind::Text && c.Rect.y() > top)
                runs.push_back(c);
        ASSERT_EQ(runs.size(), reference.Calls().size()) << align;
        for (std::size_t i = 0; i < runs.size(); ++i) {
            EXPECT_EQ(runs[i].Text, reference.Calls()[i].Text);
            EXPECT_NEAR(runs[i].Rect.x(), reference.Calls()[i].Rect.x(), 0.5) << align;
            EXPECT_NEAR(runs[i].Rect.y(), reference.Calls()[i].Rect.y(), 0.01) << align;
        }
    }
}

// A character beyond the BMP is one character of the short way's sum, as
// the laid-out line measures it, not two halves that send it the long way.
TEST_F(ListPrtPaintTest, aCharacterBeyondTheBmpIsMeasuredAsOneCharacter)
{
    const TListPageMetrics m = metrics();
    ASSERT_TRUE(m.Advances);
    const QString text = QString::fromUtf16(u"𠮷田太郎");
    const std::optional<double> width = m.Advances->SimpleWidth(text);
    ASSERT_TRUE(width.has_value());
    EXPECT_NEAR(*width, m.Advances->ShapedWidth(text), 0.5);
    EXPECT_NEAR(*m.Advances->SimpleWidth(QString::fromUtf16(u"𠮷")), m.Advances->ShapedWidth(QString::fromUtf16(u"𠮷")),
                0.01);
}

struct CutCellCase {
    const char *name;
    int width;
    int rowsPerRecord;
    const char16_t *text;
    bool cut;
};

void PrintTo(const CutCellCase &c, std::ostream *os)
{
    *os << c.name;
}

class ListPrintCutCell : public ListPrtPaintTest, public ::testing::WithParamInterface<CutCellCase>
{
};

// One record's text in a column of the given width (half-width characters):
// whether the page shows it only in part.
TEST_P(ListPrintCutCell, countsACellWhoseTextThePageCannotShowWhole)
{
    const CutCellCase &c = GetParam();
    job.Layout.FontSize = 24; // 50 pixels at 150 dpi: a full-width character is two columns exactly
    job.Layout.iRowCount = c.rowsPerRecord;
    job.Columns = {{1, 4, 0}, {19, c.width, 0}};
    const TListPageMetrics m = metrics();
    const std::vector<int> cut =
        ListPrintCutCells(job, m, &printer.Printer(), {{QString(), QString::fromUtf16(c.text)}}, 1);
    EXPECT_EQ(cut, (std::vector<int>{0, c.cut ? 1 : 0}));
}

INSTANTIATE_TEST_SUITE_P(
    Cells, ListPrintCutCell,
    ::testing::Values(CutCellCase{"fitsExactly", 8, 1, u"山田太郎", false},
                      CutCellCase{"oneCharacterTooMany", 8, 1, u"山田太郎子", true},
                      CutCellCase{"empty", 1, 1, u"", false},
                      CutCellCase{"beyondTheBmpFitsExactly", 4, 1, u"𠮷田", false},
                      CutCellCase{"beyondTheBmpOneTooMany", 4, 1, u"𠮷田太", true},
                      CutCellCase{"wrapsIntoASecondRow", 8, 2, u"山田太郎山田太郎", false},
                      CutCellCase{"wrapsPastTheSecondRow", 8, 2, u"山田太郎山田太郎山", true},
                      CutCellCase{"oneWordWiderThanTheCell", 10, 3, u"taro.yamada@example.jp", true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ListPrtPaintTest, cutCellsAreCountedPerColumnOnlyWhereThePagePrintsThem)
{
    job.Layout.FontSize = 24; // 50 pixels at 150 dpi: a full-width character is two columns exactly
    job.Columns = {{1, 2, 0}, {19, 8, 0}, {11, 8, 0}, {29, 999, 0}, {37, 10, 0}};
    const TListPageMetrics m = metrics();
    std::vector<QStringList> rows;
    for (int i = 0; i < 12; ++i)
        rows.push_back({QString(), i % 3 == 0 ? QStringLiteral("山田太郎子") : QStringLiteral("山田"),
                        i % 4 == 0 ? QStringLiteral("東京都千代田区") : QStringLiteral("東京都"),
                        QStringLiteral("趣味"), QStringLiteral("備考").repeated(20)});
    // Numbers 1 to 9 fit two half-width characters; 10 to 12 do not. The
    // keyword's column is cut at the page's edge but its text is short; the
    // note's column begins beyond the page: it is left out, not counted.
    const std::vector<int> cut = ListPrintCutCells(job, m, &printer.Printer(), rows, 1);
    EXPECT_EQ(cut, (std::vector<int>{3, 4, 3, 0, 0}));
    EXPECT_EQ(ListPrintCutCellsText(job, cut, QStringLiteral("/")),
              QStringLiteral("＜通番＞：3件/名前：4件/住所：3件"));
}

TEST_F(ListPrtPaintTest, printerSettingsAreKeptInTheItemsFormAndTheEarlierIniFormIsRead)
{
    const QString file = dir.filePath(QStringLiteral("LstPrint.pi"));
    writeBytes(file, "[PRINTER INFO]\r\nDevice=PDF\r\nPaper=" + QPageSize::key(QPageSize::B5).toLatin1() +
                         "\r\nOrientation=2\r\nCopies=4\r\nOutputFile=/tmp/x.pdf\r\n");
    {
        TListPrinterInfo earlier(file);
        EXPECT_TRUE(earlier.IsPdf());
        EXPECT_EQ(earlier.Printer().pageLayout().pageSize().id(), QPageSize::B5);
        EXPECT_EQ(earlier.GetOrientation(), 2);
        EXPECT_EQ(earlier.GetCopies(), 4);
        EXPECT_EQ(earlier.Printer().outputFileName(), QStringLiteral("/tmp/x.pdf"));
        ASSERT_TRUE(earlier.Save());
    }
    EXPECT_TRUE(fileBytes(file).startsWith("MVPI"));
    const TListPrinterInfo again(file);
    EXPECT_EQ(again.Settings().Settings().PrinterName, TListPrinterInfo::PdfDevice);
    EXPECT_EQ(again.Printer().pageLayout().pageSize().id(), QPageSize::B5);
    EXPECT_EQ(again.GetOrientation(), 2);
    EXPECT_EQ(again.GetCopies(), 4);
}

// A damaged LstPrint.pi naming the PDF target with a user size of 8 km: the
// page stays a page (no size in device pixels wraps round).
TEST_F(ListPrtPaintTest, aUserSizeBeyondTheLongestPdfPageIsNotTakenForThePdfTarget)
{
    const QString file = dir.filePath(QStringLiteral("LstPrint.pi"));
    for (const int length : {MaxCustomPaperLength, 80'000'000}) {
        TItemWriter w;
        w.writeBytes("MVPI");
        w.writeUInt32(TPrinterInfo::FileVersion);
        w.writeXorWideString(TListPrinterInfo::PdfDevice);
        w.writeInt32(CustomPaperId);
        w.writeInt32(2100);
        w.writeInt32(length);
        w.writeByte(1);
        w.writeInt32(1);
        w.writeInt32(0);
        writeBytes(file, w.bytes());
        const TListPrinterInfo info(file);
        ASSERT_TRUE(info.IsPdf());
        const QSizeF mm = info.Printer().pageLayout().fullRectPoints().size() / 72.0 * 25.4;
        EXPECT_LE(mm.height(), MaxCustomPaperLength / 10.0 + 1.0) << length;
        EXPECT_GT(info.PrintableSize().height(), 0) << length;
        EXPECT_GT(info.GetPaperSize().height(), 0) << length;
        if (length == MaxCustomPaperLength) {
            EXPECT_NEAR(mm.height(), MaxCustomPaperLength / 10.0, 1.0);
        }
    }
}

TEST_F(ListPrtPaintTest, aPrinterNoLongerInstalledGivesTheDefaultPrinter)
{
    const QString file = dir.filePath(QStringLiteral("LstPrint.pi"));
    writeBytes(file, QByteArrayLiteral("[PRINTER INFO]\r\nDevice=Gone Printer 9000\r\nPaper=A5\r\n"));
    const TListPrinterInfo info(file);
    const QString expected = QPrinterInfo::defaultPrinterName().isEmpty() ? TListPrinterInfo::PdfDevice
                                                                          : QPrinterInfo::defaultPrinterName();
    EXPECT_EQ(info.DeviceName(), expected);
}

TEST_F(ListPrtPaintTest, theSettingsOfAPrinterNotInstalledAreNotWrittenOverByTheStandIn)
{
    const QString file = dir.filePath(QStringLiteral("LstPrint.pi"));
    TItemWriter w;
    w.writeBytes(QByteArrayLiteral("MVPI"));
    w.writeUInt32(TPrinterInfo::FileVersion);
    w.writeXorWideString(QStringLiteral("Gone Printer 9000"));
    w.writeInt32(QPageSize::B5 + 1);
    w.writeInt32(0);
    w.writeInt32(0);
    w.writeByte(2);
    w.writeInt32(2);
    w.writeInt32(0);
    const QList<QByteArray> forms{QByteArrayLiteral("[PRINTER INFO]\r\nDevice=Gone Printer 9000\r\nPaper=B5\r\n"
                                                    "Orientation=2\r\nCopies=2\r\n"),
                                  w.bytes()};
    for (const QByteArray &stored : forms) {
        writeBytes(file, stored);
        {
            // The print run and the settings save on the stand-in printer.
            TListPrinterInfo info(file);
            info.SetCopies(3);
            QString error;
            ASSERT_TRUE(info.Save(&error)) << error.toStdString();
        }
        EXPECT_EQ(fileBytes(file), stored) << stored.left(20).toStdString();
        // A printer the user chooses is written.
        TListPrinterInfo info(file);
        info.SelectPdf(dir.filePath(QStringLiteral("out.pdf")));
        ASSERT_TRUE(info.Save());
        EXPECT_TRUE(fileBytes(file).startsWith("MVPI"));
        EXPECT_EQ(TListPrinterInfo(file).DeviceName(), TListPrinterInfo::PdfDevice);
    }
}
