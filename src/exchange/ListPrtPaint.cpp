#include "exchange/ListPrtPaint.h"

#include "exchange/ListPrtPrinter.h"
#include "core/PdfOutFile.h"
#include "util/PdfText.h"
#include "util/PrintFonts.h"
#include "util/SubUnit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QScopeGuard>

#include <cmath>
#include <QPainter>
#include <QPrinter>
#include <QTextLayout>

#include <algorithm>
#include <memory>
#include <numeric>
#include <optional>

namespace {

// A text the PDF's own map of its fonts cannot give back: a character
// beyond the BMP (𠮷), or a mark or variation selector that composes with
// the character before it.
bool escapesPdfMap(const QString &text)
{
    for (const QChar c : text) {
        const QChar::Category category = c.category();
        if (c.isSurrogate() || category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining
            || category == QChar::Mark_Enclosing || (c.unicode() >= 0xFE00 && c.unicode() <= 0xFE0F))
            return true;
    }
    return false;
}

// Draws the glyph runs of a laid-out text into the PDF being written,
// noting what each glyph stands for: the character of the text that has
// the glyph in the run's face (a glyph composed of several has none).
void drawNoted(QPainter &p, TPdfGlyphTexts &notes, const QPointF &origin, const QList<QGlyphRun> &runs,
               const QString &text)
{
    for (const QGlyphRun &run : runs) {
        const QRawFont font = run.rawFont();
        QHash<quint32, QString> characters;
        for (qsizetype i = 0; i < text.size();) {
            const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            const QString character = text.mid(i, length);
            const quint32 glyph = font.glyphIndexesForString(character).value(0);
            if (glyph != 0 && !characters.contains(glyph))
                characters.insert(glyph, character);
            i += length;
        }
        QStringList texts;
        const QList<quint32> glyphs = run.glyphIndexes();
        for (const quint32 glyph : glyphs)
            texts << characters.value(glyph);
        notes.Note(font, PostScriptName(font), glyphs, texts);
        p.drawGlyphRun(origin, run);
    }
}

// The half-width measuring character: one column of the table is this wide.
const QString kMeasure = QStringLiteral("ｳ");

int halfAway(double value)
{
    return static_cast<int>(RoundHalfAway(static_cast<long double>(value)));
}

Qt::Alignment horizontal(int align)
{
    switch (align) {
    case 1:
        return Qt::AlignHCenter;
    case 2:
        return Qt::AlignRight;
    default:
        return Qt::AlignLeft;
    }
}

struct TRuleStyle {
    Qt::PenStyle Pen;
    int Factor;
};

TRuleStyle ruleStyle(int lineType)
{
    switch (lineType) {
    case 1:
        return {Qt::SolidLine, 2};
    case 2:
        return {Qt::SolidLine, 3};
    case 3:
        return {Qt::DotLine, 1};
    case 4:
        return {Qt::DotLine, 2};
    case 5:
        return {Qt::DashDotLine, 1};
    default:
        return {Qt::SolidLine, 1};
    }
}

// Left, top, right and bottom in printer pixels, inclusive like the
// rectangles the rules are reckoned in.
struct TBox {
    int Left;
    int Top;
    int Right;
    int Bottom;
};

QRect rectOf(int left, int top, int right, int bottom)
{
    return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

// Calls f(code point, index, length) for each character of text: a
// surrogate pair is one character (𠮷), a lone half one of its own.
template <typename F>
void forEachCodePoint(const QString &text, F &&f)
{
    for (qsizetype i = 0; i < text.size();) {
        char32_t u = text[i].unicode();
        qsizetype length = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            u = QChar::surrogateToUcs4(text[i], text[i + 1]);
            length = 2;
        }
        f(u, i, length);
        i += length;
    }
}

// A cell's text plainly on one line: every character of a simple kind and
// one character's width to spare, which keeps kerning from ever pushing the
// text past the cell's edge.
bool fitsOneLine(const TListPageMetrics &m, const QString &text, int cellWidth)
{
    if (!m.Advances)
        return false;
    const std::optional<double> width = m.Advances->SimpleWidth(text);
    return width && *width + m.W / 8.0 <= cellWidth;
}

// A cell's text laid out as the page shows it: wrapped at word boundaries
// (between any two characters of unspaced Japanese), each line starting on
// a whole pixel, no line begun below the cell. Shown: the lines drawn; Cut:
// some of the text is not seen whole (a line wider than the cell, one
// reaching below it, or lines left undrawn).
struct TCellLines {
    int Shown = 0;
    bool Cut = false;
};

TCellLines layCell(QTextLayout &layout, const QSize &cell, int align, const QFontMetricsF &metrics)
{
    QTextOption option(horizontal(align));
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.setCacheEnabled(false);
    const double leading = metrics.leading();
    double y = -leading;
    TCellLines lines;
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(cell.width());
        y = std::ceil(y + leading);
        if (y >= cell.height()) {
            lines.Cut = true;
            break;
        }
        line.setPosition(QPointF(0, y));
        y += line.height();
        ++lines.Shown;
        if (line.naturalTextWidth() > cell.width() || line.y() + line.height() > cell.height())
            lines.Cut = true;
    }
    layout.endLayout();
    return lines;
}

// Walks the columns from `left`: a one-character gap between columns, each
// cut at the right limit; a column that begins at or beyond it is not drawn.
// The painter and the count of clipped texts walk the same cells.
template <typename F>
void forEachListCell(const TListPrintJob &job, const TListPageMetrics &m, int left, int rightLimit, F &&cell)
{
    for (std::size_t i = 0; i < job.Columns.size(); ++i) {
        if (i > 0)
            left += m.W;
        if (left >= rightLimit)
            break;
        const int right = std::min(left + m.W * job.Columns[i].ItemSize, rightLimit);
        cell(i, job.Columns[i], left, right);
        left = right;
    }
}

class TPagePainter
{
public:
    TPagePainter(QPainter &painter, const TListPrintJob &job, const TListPageMetrics &m)
        : p(painter), job(job), l(job.Layout), m(m), hadClip(painter.hasClipping())
    {
    }

    // Draws rule line `line` (0..5) when it is on; a horizontal one gives Box
    // the rows it took.
    void rule(int line, TBox &box)
    {
        const auto index = static_cast<std::size_t>(line);
        if (!l.Lines[index])
            return;
        const TRuleStyle style = ruleStyle(l.LineTypes[index]);
        const bool solid = style.Pen == Qt::SolidLine;
        p.setPen(QPen(Qt::black, 1, style.Pen, Qt::FlatCap));
        if (line <= 2) {
            const int t = ListRuleThickness(l.LineTypes[index], m.ScaleY);
            const int c = box.Top + (box.Bottom - box.Top) / 2;
            const int first = c - (t - 1) / 2;
            const int last = c + t / 2;
            if (solid)
                p.fillRect(QRect(box.Left, first, box.Right - box.Left, last - first + 1), Qt::black);
            else
                for (int row = first; row <= last; ++row)
                    p.drawLine(QPointF(box.Left, row + 0.5), QPointF(box.Right, row + 0.5));
            box.Top = first;
            box.Bottom = last;
            return;
        }
        const int t = ListRuleThickness(l.LineTypes[index], m.ScaleX);
        int first = 0;
        int last = 0;
        if (line == 3) {
            first = box.Left;
            last = box.Left + t;
        } else if (line == 4) {
            const int pos = box.Left + (box.Right - box.Left) / 2;
            first = pos - (t - 1) / 2;
            last = pos + t / 2;
        } else {
            first = box.Right - t;
            last = box.Right;
        }
        if (solid)
            p.fillRect(QRect(first, box.Top, last - first + 1, box.Bottom - box.Top + 1), Qt::black);
        else
            for (int col = first; col <= last; ++col)
                p.drawLine(QPointF(col + 0.5, box.Top), QPointF(col + 0.5, box.Bottom + 1));
    }

    void paint(const std::vector<QStringList> &rows, int pageNo, int pageCount, int firstNumber)
    {
        const int X0 = m.Origin.x();
        const int Y0 = m.Origin.y();
        const int PW = m.PW;
        const int PH = m.PH;
        const int H = m.H;
        const int G = m.G;
        const int W = m.W;
        int Y = Y0;
        p.setBrush(Qt::NoBrush);
        p.setPen(Qt::black);

        if (!l.Title.isEmpty()) {
            p.setFont(m.TitleFont);
            const QRect box = rectOf(X0, Y, PW, Y + m.TitleBox);
            if (TPdfGlyphTexts *notes = TPdfGlyphTexts::Current(p); notes && escapesPdfMap(l.Title)) {
                QTextLayout layout(l.Title, p.font(), p.device());
                layout.setTextOption(QTextOption(horizontal(l.TitlePosX)));
                layout.beginLayout();
                QTextLine line = layout.createLine();
                line.setLineWidth(box.width());
                layout.endLayout();
                drawNoted(p, *notes, QPointF(box.left(), box.top() + (box.height() - line.height()) / 2),
                          layout.glyphRuns(), l.Title);
            } else {
                p.drawText(box, static_cast<int>(horizontal(l.TitlePosX) | Qt::AlignVCenter) | Qt::TextSingleLine,
                           l.Title);
            }
            Y += m.TitleBox;
        }
        p.setFont(m.BodyFont);
        const int headingFlags = Qt::AlignTop | Qt::TextSingleLine;
        if (l.ViewDate) {
            const QString text = ListPrintDateText(l.Date);
            const int flags = static_cast<int>(horizontal(l.DatePosX)) | headingFlags;
            if (l.DatePosY == 0) {
                p.drawText(rectOf(X0, Y, PW, Y + H), flags, text);
                if (!l.ViewPage || l.PagePosY == 1)
                    Y += H + G;
                else if (l.DatePosX == l.PagePosX)
                    Y += H;
            } else {
                int top = PH - H;
                if (l.ViewPage && l.DatePosX == l.PagePosX && l.DatePosY == l.PagePosY)
                    top -= H;
                p.drawText(rectOf(X0, top, PW, top + H), flags, text);
            }
        }
        if (l.ViewPage) {
            const QString text = ListPrintPageText(l.PageType, pageNo, pageCount);
            const int flags = static_cast<int>(horizontal(l.PagePosX)) | headingFlags;
            if (l.PagePosY == 0) {
                p.drawText(rectOf(X0, Y, PW, Y + H), flags, text);
                Y += H + G;
            } else {
                p.drawText(rectOf(X0, PH - H, PW, PH), flags, text);
            }
        }

        const int PL = l.Lines[3] ? (2 * W) / 3 : 0;
        const int PR = l.Lines[5] ? (2 * W) / 3 : 0;
        const int rightLimit = PW - PR;
        const int sizes = std::accumulate(job.Columns.begin(), job.Columns.end(), 0,
                                          [](int sum, const TListPrintColumn &c) { return sum + c.ItemSize; });
        const int count = static_cast<int>(job.Columns.size());
        const int TR = std::min(X0 + PL + W * sizes + W * std::max(0, count - 1) + PR, PW);

        if (Y == Y0) {
            Y += G / 2;
            if (l.Lines[0])
                Y += (ListRuleThickness(l.LineTypes[0], m.ScaleY) - 1) / 2;
        }
        if (l.HeaderColorExists)
            p.fillRect(rectOf(X0, Y - G / 2, TR, Y + H + G / 2), ColorToQColor(l.HeaderColor));
        forEachCell([&](const TListPrintColumn &c, int left, int right) {
            if (c.ItemNo != 0)
                p.drawText(rectOf(left, Y, right, Y + H),
                           static_cast<int>(horizontal(c.ItemAlign) | Qt::AlignVCenter) | Qt::TextSingleLine,
                           ListPrintHeaderCaption(job.Items, c.ItemNo));
        }, X0 + PL, rightLimit);

        int frameTop = Y - G / 2;
        if (l.Lines[0]) {
            TBox box{X0, Y - G, TR, Y};
            rule(0, box);
            frameTop = box.Top;
        }
        const int headerBottom = Y + H;
        Y = headerBottom + G;
        int bandTop = Y - G / 2;
        if (l.Lines[0]) {
            TBox box{X0, headerBottom, TR, Y};
            rule(0, box);
            bandTop = box.Bottom + 1;
        }

        int lastCellBottom = headerBottom;
        const int rowsPerRecord = std::max(1, l.iRowCount);
        int lastRight = X0 + PL;
        int k = 0;
        for (const QStringList &texts : rows) {
            const int cellBottom = Y + H * rowsPerRecord;
            if (!l.Colors.empty()) {
                const TColor colour = l.Colors[static_cast<std::size_t>(k) % l.Colors.size()];
                // To where the next band begins, so that an odd gap leaves
                // no white hairline between two bands.
                p.fillRect(rectOf(X0, bandTop, TR, cellBottom + G - G / 2), ColorToQColor(colour));
            }
            int column = 0;
            forEachCell([&](const TListPrintColumn &c, int left, int right) {
                QString text = column < texts.size() ? texts[column] : QString();
                if (c.ItemNo == 1)
                    text = QString::number(firstNumber + k);
                drawCell(rectOf(left, Y, right, cellBottom), c.ItemAlign, text);
                lastRight = right;
                ++column;
            }, X0 + PL, rightLimit);
            ++k;
            lastCellBottom = cellBottom;
            Y = cellBottom + G;
            // Never below the page's last record: that place is the bottom line's.
            if (l.Lines[1] && k % std::max(1, l.HorzInterval) == 0 && k < static_cast<int>(rows.size())) {
                TBox box{X0, cellBottom, TR, Y};
                rule(1, box);
                bandTop = box.Bottom + 1;
            } else {
                bandTop = Y - G / 2;
            }
        }
        if (rows.empty())
            forEachCell([&](const TListPrintColumn &, int, int right) { lastRight = right; }, X0 + PL, rightLimit);

        int frameBottom = Y - G / 2;
        if (l.Lines[2]) {
            TBox box{X0, lastCellBottom, TR, Y};
            rule(2, box);
            frameBottom = box.Bottom;
        }
        if (l.Lines[3]) {
            TBox box{X0, frameTop, X0 + PL, frameBottom};
            rule(3, box);
        }
        if (l.Lines[5]) {
            TBox box{lastRight, frameTop, lastRight + PR, frameBottom};
            rule(5, box);
        }
        if (l.Lines[4] && !job.Columns.empty()) {
            int right = std::min(X0 + PL + W * job.Columns.front().ItemSize, rightLimit);
            for (std::size_t i = 1; i < job.Columns.size() && right < rightLimit; ++i) {
                TBox box{right, frameTop, right + W, frameBottom};
                rule(4, box);
                right = std::min(right + W + W * job.Columns[i].ItemSize, rightLimit);
            }
        }
    }

private:
    // A cell text, word-wrapped, top-aligned and clipped to the cell. A text
    // that plainly fits on one line is drawn at its baseline straight away:
    // the same place the wrapped layout gives it, without the line-breaking
    // analysis that costs most of a long list's time.
    void drawCell(const QRect &cell, int align, const QString &text)
    {
        if (text.isEmpty())
            return;
        if (fitsOneLine(m, text, cell.width())) {
            // Centred and right-aligned texts take their shaped width:
            // kerning makes it differ from the sum of the advances.
            double x = cell.left();
            if (align == 1)
                x += (cell.width() - m.Advances->ShapedWidth(text)) / 2;
            else if (align == 2)
                x += cell.width() - m.Advances->ShapedWidth(text);
            const double baseline = cell.top() + m.Advances->Ascent();
            if (TPdfGlyphTexts *notes = TPdfGlyphTexts::Current(p); notes && escapesPdfMap(text)) {
                QTextLayout layout(text, p.font(), p.device());
                layout.beginLayout();
                QTextLine line = layout.createLine();
                line.setLineWidth(cell.width() * 2.0);
                layout.endLayout();
                drawNoted(p, *notes, QPointF(x, baseline - line.ascent()), layout.glyphRuns(), text);
            } else {
                p.drawText(QPointF(x, baseline), text);
            }
            return;
        }
        // Only a line that crosses the cell's edge is drawn under a clip,
        // which is costly on a PDF.
        QTextLayout layout(text, p.font(), p.device());
        const TCellLines laid = layCell(layout, cell.size(), align, QFontMetricsF(p.font(), p.device()));
        TPdfGlyphTexts *notes = TPdfGlyphTexts::Current(p);
        if (notes && !escapesPdfMap(text))
            notes = nullptr;
        auto draw = [&](const QTextLine &line) {
            if (notes)
                drawNoted(p, *notes, cell.topLeft(), line.glyphRuns(), text);
            else
                line.draw(&p, cell.topLeft());
        };
        for (int i = 0; i < laid.Shown; ++i) {
            const QTextLine line = layout.lineAt(i);
            const bool crosses = line.naturalTextWidth() > cell.width() || line.y() + line.height() > cell.height();
            if (!crosses) {
                draw(line);
            } else if (hadClip) {
                p.save();
                p.setClipRect(cell, Qt::IntersectClip);
                draw(line);
                p.restore();
            } else {
                // Without a clip of the caller's, setting and dropping one is
                // much cheaper on a PDF than saving and restoring the state.
                p.setClipRect(cell);
                draw(line);
                p.setClipping(false);
            }
        }
    }

    template <typename F>
    void forEachCell(F &&cell, int left, int rightLimit)
    {
        forEachListCell(job, m, left, rightLimit, [&cell](std::size_t, const TListPrintColumn &c, int l, int r) {
            cell(c, l, r);
        });
    }

    QPainter &p;
    const TListPrintJob &job;
    const TListPrintLayout &l;
    const TListPageMetrics &m;
    const bool hadClip;
};

} // namespace

TListPageMetrics MeasureListPage(const TListPrintLayout &layout, const TListPrinterInfo &printer)
{
    TListPageMetrics m;
    const QSize printable = printer.PrintableSize();
    m.PW = printable.width();
    m.PH = printable.height();
    m.Origin = printer.TenthMMToDevice(QPoint(layout.OffsetX, layout.OffsetY));
    m.ScaleX = printer.ScaleX();
    m.ScaleY = printer.ScaleY();

    QFont body(layout.FontName.trimmed());
    body.setBold((layout.FontStyle & 1) != 0);
    body.setItalic((layout.FontStyle & 2) != 0);
    body.setStyleStrategy(QFont::PreferOutline);
    const int pixels = std::max(1, printer.PointsToDevice(layout.FontSize));
    body.setPixelSize(pixels);
    QFont title = body;
    title.setPixelSize(std::max(1, (pixels / 3) * 4));
    title.setBold(true);
    m.BodyFont = body;
    m.TitleFont = title;

    auto *device = const_cast<QPrinter *>(&printer.Printer());
    const QFontMetrics bodyMetrics(body, device);
    const QFontMetricsF bodyLine(body, device);
    const QFontMetricsF titleLine(title, device);
    // The whole line in whole pixels: a box of the rounded height would be a
    // fraction of a pixel short of the laid-out line, and every cell's text
    // would be clipped to it.
    m.H = static_cast<int>(std::ceil(bodyLine.height()));
    m.W = bodyMetrics.horizontalAdvance(kMeasure);
    m.G = halfAway(m.H / 2.0);
    m.TitleBox = 2 * static_cast<int>(std::ceil(titleLine.height()));
    m.Advances = std::make_shared<TListAdvances>(body, device);
    return m;
}

TListAdvances::TListAdvances(const QFont &font, QPaintDevice *device)
    : m_metrics(font, device), m_ascent(m_metrics.ascent())
{
}

double TListAdvances::ShapedWidth(const QString &text) const
{
    return m_metrics.horizontalAdvance(text);
}

std::optional<double> TListAdvances::SimpleWidth(const QString &text)
{
    double width = 0;
    bool simple = true;
    forEachCodePoint(text, [&](char32_t u, qsizetype at, qsizetype length) {
        // The ideographs beyond the BMP (𠮷) stand alone like those inside it.
        simple = simple && ((u >= 0x20 && u < 0x7F) || (u >= 0x3000 && u <= 0x30FF) || (u >= 0x4E00 && u <= 0x9FFF) ||
                            (u >= 0xFF01 && u <= 0xFF9F) || (u >= 0x20000 && u <= 0x3FFFF));
        if (!simple)
            return;
        auto found = m_advances.find(u);
        if (found == m_advances.end())
            found = m_advances.emplace(u, m_metrics.horizontalAdvance(text.mid(at, length))).first;
        width += found->second;
    });
    if (!simple)
        return std::nullopt;
    return width;
}

int ListPageCapacity(const TListPrintJob &job, const TListPageMetrics &m)
{
    const TListPrintLayout &l = job.Layout;
    const int H = m.H;
    const int G = m.G;
    const int Y0 = m.Origin.y();
    int Y = Y0;
    if (!l.Title.isEmpty())
        Y += m.TitleBox;
    if (l.ViewDate && l.DatePosY == 0) {
        if (!l.ViewPage || l.PagePosY == 1)
            Y += H + G;
        else if (l.DatePosX == l.PagePosX)
            Y += H;
    }
    if (l.ViewPage && l.PagePosY == 0)
        Y += H + G;
    if (Y == Y0) {
        Y += G / 2;
        if (l.Lines[0])
            Y += (ListRuleThickness(l.LineTypes[0], m.ScaleY) - 1) / 2;
    }
    const int firstBand = Y + H + G;

    // What stands at the bottom of the page.
    int bottom = m.PH;
    const bool dateBottom = l.ViewDate && l.DatePosY == 1;
    const bool pageBottom = l.ViewPage && l.PagePosY == 1;
    if (dateBottom || pageBottom)
        bottom -= H;
    if (dateBottom && pageBottom && l.DatePosX == l.PagePosX)
        bottom -= H;

    // Below the last record's cells: its colour band, the frame's lines and
    // the bottom rule reach into the gap.
    int below = G - G / 2 + 1;
    if (l.Lines[2])
        below = std::max(below, G / 2 + ListRuleThickness(l.LineTypes[2], m.ScaleY) / 2 + 1);

    const int band = std::max(1, l.iRowCount) * H + G;
    const int room = bottom - firstBand - below + G;
    if (room < band || band <= 0)
        return 0;
    return room / band;
}

TListPrintColumnFit ListPrintColumnFit(const TListPrintJob &job, const TListPageMetrics &m)
{
    // The walk of the painter's cells: a one-character gap between columns,
    // the frame pads inside the edge lines, the right limit at PW - PR.
    const int PL = job.Layout.Lines[3] ? (2 * m.W) / 3 : 0;
    const int PR = job.Layout.Lines[5] ? (2 * m.W) / 3 : 0;
    const qint64 rightLimit = m.PW - PR;
    TListPrintColumnFit fit;
    qint64 left = m.Origin.x() + PL;
    for (std::size_t i = 0; i < job.Columns.size(); ++i) {
        const TListPrintColumn &c = job.Columns[i];
        if (i > 0)
            left += m.W;
        const qint64 right = left + qint64(m.W) * c.ItemSize;
        if (c.ItemNo != 0) {
            if (left >= rightLimit)
                fit.LeftOut.push_back(static_cast<int>(i));
            else if (right > rightLimit)
                fit.Cut.push_back(static_cast<int>(i));
        }
        left = std::min(right, rightLimit);
    }
    return fit;
}

QString ListPrintColumnNames(const TListPrintJob &job, const std::vector<int> &columns)
{
    QStringList names;
    for (int i : columns) {
        if (i < 0 || i >= static_cast<int>(job.Columns.size()))
            continue;
        const int item = job.Columns[static_cast<std::size_t>(i)].ItemNo;
        names << (item >= 0 && item < static_cast<int>(job.Items.size())
                      ? job.Items[static_cast<std::size_t>(item)].Caption.trimmed()
                      : QString::number(item));
    }
    return names.join(QStringLiteral("、"));
}

QString ListPrintColumnFitText(const TListPrintJob &job, const TListPrintColumnFit &fit, const QString &separator)
{
    QStringList lines;
    if (!fit.Cut.empty())
        lines << QStringLiteral("途中で切れる列：") + ListPrintColumnNames(job, fit.Cut);
    if (!fit.LeftOut.empty())
        lines << QStringLiteral("印刷されない列：") + ListPrintColumnNames(job, fit.LeftOut);
    return lines.join(separator);
}

int ListPrintColumnRoom(const TListPrintLayout &layout, const TListPageMetrics &m, int columnCount)
{
    if (m.W <= 0)
        return 0;
    const int PL = layout.Lines[3] ? (2 * m.W) / 3 : 0;
    const int PR = layout.Lines[5] ? (2 * m.W) / 3 : 0;
    const int width = m.PW - PR - m.Origin.x() - PL;
    if (width <= 0)
        return 0;
    return std::max(0, width / m.W - std::max(0, columnCount - 1));
}

int ListPrintHalfWidthLength(const QString &text)
{
    int length = 0;
    forEachCodePoint(text, [&length](char32_t u, qsizetype, qsizetype) {
        length += (u >= 0x20 && u < 0x7F) || (u >= 0xFF61 && u <= 0xFF9F) ? 1 : 2;
    });
    return length;
}

TListPrintColumns FitListPrintColumns(TListPrintColumns columns, int room, const std::vector<TListPrintItem> &items,
                                      const std::vector<int> &needs, bool widen)
{
    std::vector<int> floor;
    std::vector<int> used;
    int total = 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const TListPrintColumn &c = columns[i];
        const int caption = c.ItemNo == 0 ? 1 : ListPrintHalfWidthLength(ListPrintHeaderCaption(items, c.ItemNo));
        floor.push_back(std::min(c.ItemSize, std::max(1, caption)));
        used.push_back(i < needs.size() && needs[i] >= 0 ? std::max(floor[i], needs[i]) : c.ItemSize);
        total += c.ItemSize;
    }
    // One character at a time from the column chosen (the rightmost of
    // equals), until the widths fit or no column is chosen.
    auto giveWay = [&](auto &&spare) {
        while (total > room) {
            std::size_t most = columns.size();
            for (std::size_t i = 0; i < columns.size(); ++i)
                if (spare(i) > 0 && (most == columns.size() || spare(i) >= spare(most)))
                    most = i;
            if (most == columns.size())
                return;
            --columns[most].ItemSize;
            --total;
        }
    };
    // First the room a column's texts leave unused, the most unused first;
    // then the widest columns.
    giveWay([&](std::size_t i) { return columns[i].ItemSize - used[i]; });
    giveWay([&](std::size_t i) { return columns[i].ItemSize > floor[i] ? columns[i].ItemSize : 0; });
    if (!widen)
        return columns;
    // The texts cut at their column's edge get, one character at a time to
    // the column that lacks the most (the leftmost of equals), the room the
    // page has left, then the room other columns' texts leave unused, the
    // most unused first.
    constexpr int widest = 999;
    for (;;) {
        std::size_t most = columns.size();
        int lacking = 0;
        for (std::size_t i = 0; i < columns.size() && i < needs.size(); ++i) {
            const int lacks = std::min(needs[i], widest) - columns[i].ItemSize;
            if (lacks > lacking) {
                most = i;
                lacking = lacks;
            }
        }
        if (most == columns.size())
            break;
        if (total < room) {
            ++columns[most].ItemSize;
            ++total;
            continue;
        }
        std::size_t spare = columns.size();
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (columns[i].ItemSize > used[i] &&
                (spare == columns.size() || columns[i].ItemSize - used[i] > columns[spare].ItemSize - used[spare]))
                spare = i;
        if (spare == columns.size())
            break;
        --columns[spare].ItemSize;
        ++columns[most].ItemSize;
    }
    return columns;
}

std::vector<int> ListPrintTextNeeds(const TListPrintJob &job, const TListPageMetrics &m,
                                    const std::vector<QStringList> &rows, int firstNumber)
{
    std::vector<double> widest(job.Columns.size(), 0.0);
    for (const QStringList &texts : rows)
        for (std::size_t i = 0; i < job.Columns.size() && static_cast<qsizetype>(i) < texts.size(); ++i) {
            const QString &text = texts[static_cast<qsizetype>(i)];
            if (text.isEmpty() || job.Columns[i].ItemNo == 1 || !m.Advances)
                continue;
            const std::optional<double> simple = m.Advances->SimpleWidth(text);
            widest[i] = std::max(widest[i], simple ? *simple : m.Advances->ShapedWidth(text));
        }
    std::vector<int> needs;
    for (std::size_t i = 0; i < job.Columns.size(); ++i) {
        if (job.Columns[i].ItemNo == 1 && !rows.empty() && m.Advances)
            widest[i] = m.Advances->ShapedWidth(QString::number(firstNumber + static_cast<int>(rows.size()) - 1));
        // The short way takes a text whose width has an eighth of a
        // character to spare; the wrapped way would take it without.
        needs.push_back(m.W > 0 ? static_cast<int>(std::ceil((widest[i] + m.W / 8.0) / m.W)) : 0);
    }
    return needs;
}

std::vector<int> ListPrintCutCells(const TListPrintJob &job, const TListPageMetrics &m, QPaintDevice *device,
                                   const std::vector<QStringList> &rows, int firstNumber)
{
    std::vector<int> cut(job.Columns.size(), 0);
    const int PL = job.Layout.Lines[3] ? (2 * m.W) / 3 : 0;
    const int PR = job.Layout.Lines[5] ? (2 * m.W) / 3 : 0;
    const int rightLimit = m.PW - PR;
    // The cells as the painter walks them; a column beginning at or beyond
    // the right limit has none.
    std::vector<int> widths;
    forEachListCell(job, m, m.Origin.x() + PL, rightLimit,
                    [&widths](std::size_t, const TListPrintColumn &, int left, int right) {
                        widths.push_back(right - left);
                    });
    const int height = m.H * std::max(1, job.Layout.iRowCount);
    const QFontMetricsF metrics(m.BodyFont, device);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const QStringList &texts = rows[r];
        for (std::size_t i = 0; i < widths.size(); ++i) {
            QString text = static_cast<qsizetype>(i) < texts.size() ? texts[static_cast<qsizetype>(i)] : QString();
            if (job.Columns[i].ItemNo == 1)
                text = QString::number(firstNumber + static_cast<int>(r));
            if (text.isEmpty() || fitsOneLine(m, text, widths[i]))
                continue;
            // A text without blanks (where a wrapped line would drop a width)
            // wider than the record's lines together, with a character to
            // spare at each break for kerning: cut, without laying it out.
            const int rows = std::max(1, job.Layout.iRowCount);
            if (m.Advances && m.Advances->SimpleWidth(text) &&
                std::none_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); }) &&
                m.Advances->ShapedWidth(text) > static_cast<double>(widths[i]) * rows + m.W * (rows - 1)) {
                ++cut[i];
                continue;
            }
            QTextLayout layout(text, m.BodyFont, device);
            if (layCell(layout, QSize(widths[i], height), job.Columns[i].ItemAlign, metrics).Cut)
                ++cut[i];
        }
    }
    return cut;
}

QString ListPrintCutCellsText(const TListPrintJob &job, const std::vector<int> &cutCells, const QString &separator)
{
    QStringList lines;
    for (std::size_t i = 0; i < cutCells.size(); ++i)
        if (cutCells[i] > 0)
            lines << ListPrintColumnNames(job, {static_cast<int>(i)}) + QStringLiteral("：%1件").arg(cutCells[i]);
    return lines.join(separator);
}

int ListPageCount(int count, int perPage)
{
    if (perPage < 1 || count <= 0)
        return 0;
    return (count + perPage - 1) / perPage;
}

QString ListPrintDateText(const QDate &date)
{
    // As the window's date field shows it: month and day with a leading zero.
    return QString::asprintf("%04d/%02d/%02d", date.year(), date.month(), date.day());
}

QString ListPrintPageText(int pageType, int page, int pageCount)
{
    switch (pageType) {
    case 1:
        return QString::asprintf("- %d -", page);
    case 2:
        return QStringLiteral("%1 ページ").arg(page);
    case 3:
        return QString::asprintf("Page. %d / %d", page, pageCount);
    case 4:
        return QString::asprintf("- %d / %d -", page, pageCount);
    case 5:
        return QStringLiteral("%1 / %2 ページ").arg(page).arg(pageCount);
    default:
        return QString::asprintf("Page. %d", page);
    }
}

QString ListPrintHeaderCaption(const std::vector<TListPrintItem> &items, int itemNo)
{
    static const std::vector<std::pair<int, QString>> shortCaptions{
        {1, QStringLiteral("No.")},    {3, QStringLiteral("顧CD")},     {4, QStringLiteral("TEL")},
        {5, QStringLiteral("代表")},   {6, QStringLiteral("FAX")},      {7, QStringLiteral("初期掲載")},
        {8, QStringLiteral("携帯1")},  {9, QStringLiteral("携帯2")},    {10, QStringLiteral("〒")},
        {13, QStringLiteral("住CD")},  {14, QStringLiteral("個会")},    {21, QStringLiteral("URL")},
        {22, QStringLiteral("E-Mail1")}, {23, QStringLiteral("E-Mail2")}, {24, QStringLiteral("連名1")},
        {25, QStringLiteral("連名2")}, {26, QStringLiteral("連名3")},   {27, QStringLiteral("連名4")},
        {28, QStringLiteral("連名5")}, {38, QStringLiteral("ｼﾝﾎﾞﾙ")},
    };
    for (const auto &[no, caption] : shortCaptions)
        if (no == itemNo)
            return caption;
    if (itemNo < 0 || itemNo >= static_cast<int>(items.size()))
        return {};
    return items[static_cast<std::size_t>(itemNo)].Caption.trimmed();
}

int ListRuleThickness(int lineType, double scale)
{
    return std::max(1, halfAway(ruleStyle(lineType).Factor * scale));
}

void PaintListPage(QPainter &painter, const TListPrintJob &job, const TListPageMetrics &m,
                   const std::vector<QStringList> &rows, int pageNo, int pageCount, int firstNumber)
{
    painter.save();
    TPagePainter(painter, job, m).paint(rows, pageNo, pageCount, firstNumber);
    painter.restore();
}

bool ListPrintPagesCounted(const TListPrintLayout &layout)
{
    return layout.ViewPage && layout.PageType >= 3 && layout.PageType <= 5;
}

TListPageRows::TListPageRows(const TListPrintJob &job, int perPage, const std::vector<qint32> &records,
                             TListRowFetch fetch, TListPrintProgress progress, TListReadDone readDone)
    : m_perPage(std::max(1, perPage)), m_records(records), m_fetch(std::move(fetch)),
      m_progress(std::move(progress)), m_readDone(std::move(readDone)), m_whole(ListPrintPagesCounted(job.Layout))
{
    m_pageCount = ListPageCount(static_cast<int>(records.size()), m_perPage);
}

bool TListPageRows::report(int done)
{
    // Read first, the records take the first half of the run's progress and
    // the pages painted the second.
    const int total = static_cast<int>(m_records.size()) * (m_whole ? 2 : 1);
    if (m_progress && !m_progress(done, total))
        m_cancelled = true;
    return !m_cancelled;
}

bool TListPageRows::readAll()
{
    while (m_next < m_records.size()) {
        if (std::optional<QStringList> texts = m_fetch(m_records[m_next]))
            m_all.push_back(std::move(*texts));
        ++m_next;
        if (!report(static_cast<int>(m_next)))
            return false;
    }
    if (m_readDone)
        m_readDone();
    m_pageCount = ListPageCount(static_cast<int>(m_all.size()), m_perPage);
    return true;
}

bool TListPageRows::Next()
{
    if (m_cancelled)
        return false;
    const int before = Handed();
    m_page.clear();
    if (m_whole) {
        if (m_pageNo == 0 && !readAll())
            return false;
        // The pages painted so far move the second half of the progress on.
        const int records = static_cast<int>(m_records.size());
        if (m_pageNo > 0 && !m_all.empty() &&
            !report(records + static_cast<int>(static_cast<qint64>(records) * before / static_cast<int>(m_all.size()))))
            return false;
        while (m_nextRow < m_all.size() && static_cast<int>(m_page.size()) < m_perPage)
            m_page.push_back(std::move(m_all[m_nextRow++]));
    } else {
        while (m_next < m_records.size() && static_cast<int>(m_page.size()) < m_perPage) {
            if (std::optional<QStringList> texts = m_fetch(m_records[m_next]))
                m_page.push_back(std::move(*texts));
            ++m_next;
            if (!report(static_cast<int>(m_next))) {
                m_page.clear();
                return false;
            }
        }
        if (m_readDone)
            m_readDone();
    }
    if (m_page.empty())
        return false;
    ++m_pageNo;
    m_firstNumber = before + 1;
    return true;
}

TListPrintResult PaintListPages(QPainter &painter, const std::function<bool()> &newPage, const TListPrintJob &job,
                                const TListPageMetrics &metrics, TListPageRows &rows)
{
    TListPrintResult result;
    do {
        if (rows.PageNo() > 1 && !newPage()) {
            result.Error = QStringLiteral("印刷中に失敗しました（%1 ページ目）。").arg(rows.PageNo());
            break;
        }
        PaintListPage(painter, job, metrics, rows.Rows(), rows.PageNo(), rows.PageCount(), rows.FirstNumber());
        ++result.Pages;
        result.Records = rows.Handed();
    } while (rows.Next());
    result.Cancelled = rows.Cancelled();
    return result;
}

TListPrintResult PaintListJob(QPainter &painter, const std::function<bool()> &newPage, const TListPrintJob &job,
                              const TListPageMetrics &metrics, int perPage, const std::vector<qint32> &records,
                              const TListRowFetch &fetch, const TListPrintProgress &progress)
{
    TListPageRows rows(job, perPage, records, fetch, progress);
    if (!rows.Next()) {
        TListPrintResult result;
        result.Cancelled = rows.Cancelled();
        result.NoneLeft = !result.Cancelled;
        return result;
    }
    return PaintListPages(painter, newPage, job, metrics, rows);
}

TListPrintResult PrintList(TListPrinterInfo &printerInfo, const TListPrintJob &job, const std::vector<qint32> &records,
                           const TListRowFetch &fetch, const TListPrintProgress &progress,
                           const TListReadDone &readDone)
{
    TListPrintResult result;
    const TListPageMetrics metrics = MeasureListPage(job.Layout, printerInfo);
    const int perPage = ListPageCapacity(job, metrics);
    if (perPage < 1) {
        result.Error = ListPrintNoRoomMessage;
        return result;
    }
    QPrinter &printer = printerInfo.Printer();
    // A printer's driver makes the copies from the one set of pages it is
    // sent. A PDF file has no driver behind it (nor has a printer that cannot
    // copy): every copy is painted into it, one whole set after the other, so
    // that it holds the sheets the window counts.
    const int sets = printer.outputFormat() == QPrinter::PdfFormat || !printer.supportsMultipleCopies()
                         ? std::max(1, job.Layout.Copies)
                         : 1;
    const auto setProgress = [&progress, sets](int set) -> TListPrintProgress {
        if (!progress)
            return {};
        return [&progress, set, sets](int done, int total) { return progress(set * total + done, sets * total); };
    };
    // The first page is read before the printer is opened: a run none of
    // whose records is left sends no sheet and writes no file.
    std::optional<TListPageRows> rows(std::in_place, job, perPage, records, fetch, setProgress(0), readDone);
    if (!rows->Next()) {
        result.Cancelled = rows->Cancelled();
        result.NoneLeft = !result.Cancelled;
        return result;
    }

    printer.setDocName(ListPrintDocName);
    printerInfo.SetCopies(job.Layout.Copies);
    // The PDF writer truncates its file when the job begins: it writes a
    // temporary instead, and the printer names the user's file again at the end.
    const QString pdfFile =
        printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : QString();
    std::unique_ptr<TPdfOutFile> pdfOut;
    if (!pdfFile.isEmpty()) {
        pdfOut = std::make_unique<TPdfOutFile>(pdfFile);
        QString reason;
        if (!pdfOut->Begin(&reason)) {
            result.Error = pdfOut->Refused()
                               ? reason
                               : QStringLiteral("PDFファイルを作成できませんでした  \r\n%1  \r\n%2").arg(pdfFile, reason);
            return result;
        }
        printer.setOutputFileName(pdfOut->WritePath());
    }
    const auto restoreName = qScopeGuard([&printer, &pdfFile] {
        if (!pdfFile.isEmpty())
            printer.setOutputFileName(pdfFile);
    });
    // Before the first text: the PDF's text then gives the characters printed.
    (void)PreparePrintFonts();
    // The text of the glyphs the PDF's own map cannot give back.
    TPdfGlyphTexts glyphTexts;
    std::optional<TPdfGlyphTexts::TScope> noting;
    if (pdfOut)
        noting.emplace(glyphTexts, printer);
    QPainter painter;
    if (!painter.begin(&printer)) {
        result.Error = QStringLiteral("印刷を開始できませんでした。\r\nプリンター：%1").arg(printerInfo.DeviceName());
        return result;
    }
    for (int set = 0; set < sets; ++set) {
        // Each further copy is read anew; one whose records are all gone
        // since the copy before adds no page.
        if (set > 0) {
            rows.emplace(job, perPage, records, fetch, setProgress(set), readDone);
            if (!rows->Next()) {
                result.Cancelled = rows->Cancelled();
                if (result.Cancelled)
                    break;
                continue;
            }
            if (!printer.newPage()) {
                result.Error = QStringLiteral("印刷中に失敗しました（%1 部目）。").arg(set + 1);
                break;
            }
        }
        const TListPrintResult copy =
            PaintListPages(painter, [&printer] { return printer.newPage(); }, job, metrics, *rows);
        result.Pages += copy.Pages;
        result.Records = copy.Records;
        result.Cancelled = copy.Cancelled;
        result.Error = copy.Error;
        if (copy.Cancelled || !copy.Error.isEmpty())
            break;
    }
    if (result.Cancelled || !result.Error.isEmpty())
        printer.abort();
    const bool ended = painter.end();
    if (result.Cancelled || !result.Error.isEmpty() || !pdfOut)
        return result;
    // Whole (the engine keeps a full disk to itself) and then in place.
    QString reason;
    // The text layer amended only on a whole file (a cut one gets no trailer).
    if (!ended || !PdfWrittenWhole(pdfOut->WritePath()))
        reason = pdfOut->UnfinishedReason();
    else if (pdfOut->Amend([&glyphTexts](QByteArray &Bytes) { AmendPrintedText(Bytes, glyphTexts); }, &reason))
        (void)pdfOut->Commit(&reason);
    if (!reason.isEmpty()) {
        result.Error = QStringLiteral("PDFファイルを保存できませんでした  \r\n%1  \r\n%2").arg(pdfFile, reason);
        result.Pages = 0;
    }
    return result;
}

void PaintListPreviewPage(QPainter &painter, const TListPrintJob &job, const TListPageMetrics &m,
                          const QRect &printable, const std::vector<QStringList> &rows, int pageNo, int pageCount,
                          int firstNumber)
{
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0xC0, 0xC0, 0xC0), 1, Qt::DotLine));
    painter.drawRect(printable.adjusted(0, 0, -1, -1));
    painter.translate(printable.topLeft());
    PaintListPage(painter, job, m, rows, pageNo, pageCount, firstNumber);
    painter.restore();
}

double ListPreviewFitScale(QSize paper, QSize view)
{
    if (paper.width() <= 0 || paper.height() <= 0)
        return 1.0;
    return std::max(0.01, std::min((view.width() - 44) / static_cast<double>(paper.width()),
                                   (view.height() - 44) / static_cast<double>(paper.height())));
}
