// Printing 1,000 postcards from a book into one PDF file through the print
// loop as the editors print (each record read from the table, merged into
// the postcode, vertical address, name with honorific, customer barcode and
// sender items, laid out and drawn; the file written beside and put in place
// once whole, its text layer amended), against drawing the same texts with
// plain QPainter::drawText calls into a PDF file of the same pages.
#include "BenchSupport.h"
#include "core/DBInfo.h"
#include "core/Inquiry.h"
#include "dialogs/PaperCatalogue.h"
#include "editors/PrintLoop.h"
#include "items/FontFaces.h"
#include "platform/Cp932.h"
#include "platform/Table.h"

#include <QApplication>
#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <memory>

namespace {

constexpr int kCards = 1000;
constexpr int kDpi = 300;

struct TPdf {
    std::unique_ptr<QPdfWriter> writer;
    explicit TPdf(const QString &File)
    {
        writer = std::make_unique<QPdfWriter>(File);
        writer->setResolution(kDpi);
        writer->setPageSize(QPageSize(QSizeF(100, 148), QPageSize::Millimeter));
        writer->setPageMargins(QMarginsF(0, 0, 0, 0));
    }
};

QString name(int i)
{
    static const QStringList families{QStringLiteral("山田"), QStringLiteral("佐藤"), QStringLiteral("鈴木"),
                                      QStringLiteral("高橋")};
    static const QStringList given{QStringLiteral("太郎"), QStringLiteral("花子"), QStringLiteral("一郎"),
                                   QStringLiteral("和子")};
    return families[i % 4] + QLatin1Char(' ') + given[(i / 4) % 4];
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    TTable table;
    table.SetTableName(dir.filePath(QStringLiteral("Adrs.DB")));
    table.SetPassword(TablePassword);
    table.SetFieldDefs(AdrsFieldDefs);
    table.SetIndexDefs(AdrsIndexDefs);
    if (!table.CreateTable())
        return 1;
    table.Open();
    table.BeginBatch();
    for (int i = 0; i < kCards; ++i) {
        table.Append();
        table.FieldByName(QStringLiteral("Pos")).SetAsString(QStringLiteral("%1").arg(1000000 + i * 37));
        table.FieldByName(QStringLiteral("Tdfkn")).SetAsString(QStringLiteral("東京都"));
        table.FieldByName(QStringLiteral("Adrs1"))
            .SetAsString(QStringLiteral("千代田区永田町一丁目%1番").arg(i % 20 + 1));
        table.FieldByName(QStringLiteral("Adrs2")).SetAsString(QStringLiteral("国会前ビル%1階").arg(i % 9 + 1));
        table.FieldByName(QStringLiteral("NameKanji")).SetAsString(name(i));
        table.Post();
    }
    table.EndBatch();

    QFile catalogue(QStringLiteral(MURVEN_PAPER_SOURCE));
    TPaperSource source;
    if (!catalogue.open(QIODevice::ReadOnly) ||
        !PaperCatalogue::parse(QString::fromUtf8(catalogue.readAll()), source, nullptr))
        return 1;
    TLayoutDocument layout;
    layout.Format = source.Layouts.Records.value(0);
    layout.BuildDefaultItems();
    TAddressText sender;
    sender.NameKanji = QStringLiteral("差出 花子");
    sender.Pos = QStringLiteral("5300001");
    sender.Tdfkn = QStringLiteral("大阪府");
    sender.Adrs1 = QStringLiteral("大阪市北区梅田三丁目１番３号");
    QList<qint32> recNos;
    for (int i = 1; i <= kCards; ++i)
        recNos << i;

    int pages = 0;
    const QString loopFile = dir.filePath(QStringLiteral("loop.pdf"));
    const QString plainFile = dir.filePath(QStringLiteral("plain.pdf"));
    const auto printLoop = [&] {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(loopFile);
        printer.setResolution(kDpi);
        printer.setFullPage(true);
        printer.setPageSize(QPageSize(QSizeF(100, 148), QPageSize::Millimeter));
        printer.setPageMargins(QMarginsF(0, 0, 0, 0));
        // As the editors print: through a handle of the run's own.
        auto own = std::make_shared<TTable>();
        own->SetTableName(table.TableName());
        own->SetPassword(TablePassword);
        own->Open();
        TPrintLoop loop(layout, TableRecordSource(own));
        loop.Sender = sender;
        QString error;
        if (!loop.Run(printer, recNos, {}, &error))
            std::fprintf(stderr, "%s\n", qPrintable(error));
        pages = loop.PagesPrinted();
    };
    const auto plainPdf = [&] {
        TPdf pdf(plainFile);
        QPainter painter(pdf.writer.get());
        QFont font(ResolveFontFace(QStringLiteral("ＭＳ 明朝")).family);
        font.setPixelSize(60);
        painter.setFont(font);
        for (int i = 0; i < kCards; ++i) {
            if (i > 0)
                pdf.writer->newPage();
            painter.drawText(QPoint(600, 180), QStringLiteral("%1").arg(1000000 + i * 37));
            painter.drawText(QPoint(1000, 400), QStringLiteral("東京都千代田区永田町一丁目%1番").arg(i % 20 + 1));
            painter.drawText(QPoint(900, 400), QStringLiteral("国会前ビル%1階").arg(i % 9 + 1));
            painter.drawText(QPoint(550, 500), name(i) + QStringLiteral(" 様"));
            painter.drawText(QPoint(200, 800), QStringLiteral("大阪府大阪市北区梅田三丁目１番３号"));
            painter.drawText(QPoint(100, 800), QStringLiteral("差出 花子"));
            painter.drawText(QPoint(100, 1550), QStringLiteral("5300001"));
        }
    };
    const std::vector<double> best = bestOfEachMs(7, {printLoop, plainPdf});
    const double loopMs = best[0];
    const double plainMs = best[1];
    if (pages != kCards)
        std::fprintf(stderr, "printed %d pages, not %d\n", pages, kCards);
    report("postcards_pdf_ratio", loopMs / plainMs, "ratio", 1.6);
    report("postcards_pdf_pages_per_second", kCards / (loopMs / 1000.0), "pages/s", 0);
    return 0;
}
