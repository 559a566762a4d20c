#include "dialogs/PaperFmt.h"
#include "dialogs/SheetPaint.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>

#include <cmath>

namespace {

// The stock as its makers publish it (mm): piece, cells, margins, gaps.
struct Stock {
    const char *name; // the catalogue name of the upright record
    double pieceW, pieceH;
    int columns, rows;
    double left, top, gapX, gapY;
};
void PrintTo(const Stock &s, std::ostream *os) { *os << s.name; }

struct PdfRect {
    double x, y, w, h; // mm from the page's top-left corner
};

// Pulls the rectangles ("x y w h re") out of the page content of a PDF
// written by QPdfWriter, through the content's scaling matrix, in mm.
QList<PdfRect> rectanglesOf(const QByteArray &pdf)
{
    QList<PdfRect> out;
    static const QRegularExpression media(QStringLiteral("/MediaBox \\[\\s*([-\\d.]+) ([-\\d.]+) ([-\\d.]+) ([-\\d.]+)"));
    const auto box = media.match(QString::fromLatin1(pdf));
    if (!box.hasMatch())
        return out;
    const double pageTop = box.captured(4).toDouble();
    qsizetype at = 0;
    while ((at = pdf.indexOf("stream", at)) >= 0) {
        if (at >= 3 && pdf.mid(at - 3, 3) == "end") {
            at += 6;
            continue;
        }
        qsizetype start = at + 6;
        while (start < pdf.size() && (pdf[start] == '\r' || pdf[start] == '\n'))
            ++start;
        const qsizetype end = pdf.indexOf("endstream", start);
        if (end < 0)
            break;
        QByteArray sized(4, '\0');
        sized[1] = 0x10; // room for a megabyte; the content is a few kilobytes
        const QString content = QString::fromLatin1(qUncompress(sized + pdf.mid(start, end - start)));
        at = end + 9;
        static const QRegularExpression cm(QStringLiteral("([-\\d.]+) ([-\\d.]+) ([-\\d.]+) ([-\\d.]+) ([-\\d.]+) ([-\\d.]+) cm"));
        const auto m = cm.match(content);
        if (!m.hasMatch())
            continue;
        const double a = m.captured(1).toDouble(), d = m.captured(4).toDouble();
        const double e = m.captured(5).toDouble(), f = m.captured(6).toDouble();
        static const QRegularExpression re(QStringLiteral("([-\\d.]+) ([-\\d.]+) ([-\\d.]+) ([-\\d.]+) re"));
        for (auto it = re.globalMatch(content); it.hasNext();) {
            const auto r = it.next();
            const double x = a * r.captured(1).toDouble() + e;
            const double y = d * r.captured(2).toDouble() + f;
            const double w = a * r.captured(3).toDouble();
            const double h = d * r.captured(4).toDouble();
            const double toMm = 25.4 / 72.0;
            out.append({x * toMm, (pageTop - y) * toMm, w * toMm, -h * toMm});
        }
    }
    return out;
}

QByteArray printSheet(const TLayoutFormat &f, const TLabelGrid &g)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(254); // one device unit = 0.1 mm
        pdf.setPageSize(QPageSize(QSizeF(g.SheetWidth / 10.0, g.SheetHeight / 10.0), QPageSize::Millimeter));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&pdf);
        PaintSheetCells(painter, f, g);
    }
    return buffer.data();
}

const TLayoutCatalogue &shipped()
{
    static const TLayoutCatalogue c = [] {
        TLayoutCatalogue c;
        QString error;
        EXPECT_TRUE(c.load(QStringLiteral(MURVEN_PAPER_BUILD_DIR "/Lyt.fmt"), &error)) << error.toStdString();
        return c;
    }();
    return c;
}

} // namespace

class PrintedSheet : public testing::TestWithParam<Stock> {};

TEST_P(PrintedSheet, cellCornersLieOnThePublishedMarginsWithinATenthOfAMillimetreOrTwo)
{
    const Stock &s = GetParam();
    const auto &records = shipped().Records;
    int upright = -1;
    for (int i = 0; i < records.size(); ++i)
        if (records.at(i).NameText() == QString::fromUtf8(s.name) && records.at(i).Direction == 0)
            upright = i;
    ASSERT_GE(upright, 0) << "no such sheet in the catalogue";
    const int variants = records.at(upright).PaperKind() == TPaperKind::Card ? 3 : 2;
    for (int v = 0; v < variants; ++v) {
        SCOPED_TRACE("variant " + std::to_string(v));
        const TLayoutFormat &f = records.at(upright + v);
        const QList<PdfRect> cells = rectanglesOf(printSheet(f, shipped().gridOf(f)));
        ASSERT_EQ(cells.size(), s.columns * s.rows);
        for (int r = 0; r < s.rows; ++r) {
            for (int c = 0; c < s.columns; ++c) {
                const PdfRect &cell = cells.at(r * s.columns + c);
                const double x = s.left + c * (s.pieceW + s.gapX), y = s.top + r * (s.pieceH + s.gapY);
                EXPECT_NEAR(cell.x, x, 0.2) << "cell " << c << "," << r;
                EXPECT_NEAR(cell.y, y, 0.2) << "cell " << c << "," << r;
                EXPECT_NEAR(cell.x + cell.w, x + s.pieceW, 0.2) << "cell " << c << "," << r;
                EXPECT_NEAR(cell.y + cell.h, y + s.pieceH, 0.2) << "cell " << c << "," << r;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(A4, PrintedSheet,
                         testing::Values(Stock{"１２面　86.4×42.3", 86.4, 42.3, 2, 6, 18.6, 21.6, 0, 0},
                                         Stock{"１０面　86.4×50.8", 86.4, 50.8, 2, 5, 18.6, 21.5, 0, 0},
                                         Stock{"２１面　63.5×38.1", 63.5, 38.1, 3, 7, 7.25, 15.15, 2.5, 0},
                                         Stock{"２４面　66.0×33.9", 66.0, 33.9, 3, 8, 4.0, 12.9, 2.0, 0},
                                         Stock{"４４面　48.3×25.4", 48.3, 25.4, 4, 11, 8.4, 8.8, 0, 0},
                                         Stock{"１０面　91×55", 91.0, 55.0, 2, 5, 14.0, 11.0, 0, 0}),
                         [](const auto &info) { return "sheet" + std::to_string(info.index); });

TEST(PrintedSheet, singlePieceFormatPrintsOneCellAtTheCorner)
{
    TLayoutFormat f;
    f.Width = 1000;
    f.Height = 1480;
    const TLabelGrid sheet{1000, 1480, 0, 0, 0, 0, 0, 0};
    const QList<PdfRect> cells = rectanglesOf(printSheet(f, sheet));
    ASSERT_EQ(cells.size(), 1);
    EXPECT_NEAR(cells.first().x, 0, 0.05);
    EXPECT_NEAR(cells.first().w, 100, 0.05);
    EXPECT_NEAR(cells.first().h, 148, 0.05);
}
