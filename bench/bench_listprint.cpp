// The list print of a generated 10,000-record book to a PDF (records read
// from the table, cell texts formatted, six columns with rules, colour bands,
// title, date and page numbers), against plain QPainter::drawText of the same
// cell texts, one call a cell, on as many pages of a QPdfWriter, in the same
// run.
#include "BenchSupport.h"
#include "BookFile.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "core/GrpEdt.h"
#include "exchange/ListPrtPaint.h"
#include "exchange/ListPrtPrinter.h"
#include "exchange/ListPrtText.h"
#include "platform/Table.h"
#include "widgets/RecordRun.h"

#include <QApplication>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryDir>

#include <numeric>

namespace {

constexpr int kRecords = 10000;

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    redirectToTemporaryHome(home, {});
    QApplication app(argc, argv);
    const QString book = home.filePath(QStringLiteral("Adrs.DB"));
    WriteGeneratedBook(book, kRecords);
    TTable table;
    table.SetTableName(book);
    table.SetPassword(TablePassword);
    table.SetFieldDefs(AdrsFieldDefs);
    table.SetIndexDefs(AdrsIndexDefs);
    table.Open();
    std::vector<qint32> records;
    for (table.First(); !table.Eof(); table.Next())
        records.push_back(table.FieldByName(QStringLiteral("RecNo")).AsInteger());

    TListPrintJob job;
    job.Items = MakeListPrintItems({});
    job.Columns = {DefaultListPrintColumn(1),  DefaultListPrintColumn(19), DefaultListPrintColumn(10),
                   DefaultListPrintColumn(11), DefaultListPrintColumn(4),  DefaultListPrintColumn(15)};
    job.Columns[3].ItemSize = 40;
    job.Columns[5].ItemSize = 24;
    TListPrintLayout &l = job.Layout;
    l.Title = QStringLiteral("顧客一覧");
    l.Date = QDate(2014, 4, 1);
    // The monospaced Japanese Gothic that stands in for the default
    // "ＭＳ ゴシック": column widths count half-width characters.
    l.FontName = QStringLiteral("Noto Sans Mono CJK JP");
    l.FontSize = 9;
    l.Lines = {true, true, true, true, true, true};
    l.Colors = {0xF0F0F0, 0xFFFFFF};
    l.HeaderColorExists = true;
    l.HeaderColor = 0xE0E0E0;

    TListPrinterInfo printer{home.filePath(QStringLiteral("LstPrint.pi"))};
    const QString listPdf = home.filePath(QStringLiteral("list.pdf"));
    printer.SelectPdf(listPdf);
    const TListPageMetrics metrics = MeasureListPage(l, printer);
    const int perPage = ListPageCapacity(job, metrics);

    // The baseline's texts, read once beforehand: only its drawing is timed.
    std::vector<QStringList> texts;
    for (const qint32 recNo : records) {
        if (!FindRunRecord(table, recNo))
            qFatal("record %d is missing", recNo);
        texts.push_back(ListPrintRowTexts(table, job, GroupNames, DataPath));
    }

    int pages = 0;
    const auto listPrint = [&] {
        TListRowReader reader(table, job, GroupNames, DataPath);
        const TListPrintResult result = PrintList(printer, job, records, [&](qint32 recNo) -> std::optional<QStringList> {
            return reader.Fetch(recNo);
        });
        if (!result.Error.isEmpty() || result.Records != kRecords)
            qFatal("the list print failed: %s", qPrintable(result.Error));
        pages = result.Pages;
    };

    const QString plainPdf = home.filePath(QStringLiteral("plain.pdf"));
    const auto plainDraw = [&] {
        QPdfWriter writer(plainPdf);
        writer.setResolution(TListPrinterInfo::PdfResolution);
        writer.setPageSize(QPageSize(QPageSize::A4));
        QPainter painter(&writer);
        painter.setFont(metrics.BodyFont);
        const int step = metrics.H + metrics.G;
        int row = 0;
        for (std::size_t r = 0; r < texts.size(); ++r) {
            if (row == perPage) {
                writer.newPage();
                row = 0;
            }
            int x = 0;
            const int y = (row + 2) * step;
            for (qsizetype c = 0; c < texts[r].size(); ++c) {
                const QString &text = job.Columns[static_cast<std::size_t>(c)].ItemNo == 1
                                          ? QString::number(static_cast<qsizetype>(r) + 1)
                                          : texts[r][c];
                painter.drawText(x, y, text);
                x += metrics.W * (job.Columns[static_cast<std::size_t>(c)].ItemSize + 1);
            }
            ++row;
        }
    };
    // What the print command does before its question: every record read and
    // every cell laid out as the page lays it, to count the clipped texts.
    int cutCells = 0;
    const auto countCut = [&] {
        TListRowReader reader(table, job, GroupNames, DataPath);
        std::vector<QStringList> rows;
        for (const qint32 recNo : records)
            if (std::optional<QStringList> row = reader.Fetch(recNo))
                rows.push_back(std::move(*row));
        const std::vector<int> cut = ListPrintCutCells(job, metrics, &printer.Printer(), rows, 1);
        cutCells = std::accumulate(cut.begin(), cut.end(), 0);
    };
    const std::vector<double> best = bestOfEachMs(4, {listPrint, plainDraw, countCut});
    const double listMs = best[0];
    const double plainMs = best[1];
    const double countMs = best[2];
    std::fprintf(stderr,
                 "list print %.0f ms (%d pages, %lld bytes), plain drawText %.0f ms (%lld bytes), "
                 "clipped texts counted in %.0f ms (%d cells)\n",
                 listMs, pages, static_cast<long long>(QFileInfo(listPdf).size()), plainMs,
                 static_cast<long long>(QFileInfo(plainPdf).size()), countMs, cutCells);
    report("list_print_ratio", listMs / plainMs, "ratio", 2);
    // The question must not keep the user waiting long beside the print.
    // About half of it is the reading; the print reads the records again as
    // it draws each page, so that a record saved while the question waited
    // prints as the book holds it.
    report("list_print_cut_count_share", countMs / listMs, "ratio", 0.4);
    return 0;
}
