#include "dialogs/PrtList.h"

#include "platform/Table.h"
#include "util/SubUnit.h"

#include <QPageLayout>
#include <QPrinter>

#include <algorithm>
#include <cstdlib>
#include <utility>

TTablePrintMarks::TTablePrintMarks(QString TablePath, QByteArray Password)
    : m_path(std::move(TablePath)), m_password(std::move(Password))
{
}

TTablePrintMarks::~TTablePrintMarks() = default;

std::optional<qint32> TTablePrintMarks::PrintTarget(qint32 RecNo)
{
    if (!m_tried) {
        m_tried = true;
        auto table = std::make_unique<TTable>();
        table->SetTableName(m_path);
        table->SetPassword(m_password);
        try {
            table->Open();
            m_table = std::move(table);
        } catch (const ETableError &e) {
            m_openError = e.Message();
        }
    }
    if (!m_table)
        return std::nullopt;
    try {
        if (!m_table->Locate(QStringLiteral("RecNo"), {RecNo}))
            return std::nullopt;
        return m_table->FieldByName(QStringLiteral("PrintTarget")).AsInteger();
    } catch (const ETableError &e) {
        m_readError = e.Message();
        return std::nullopt;
    }
}

QList<qint32> BuildPrintList(const TPrintRowSource &Rows, TPrintMarkSource &Marks, const TPrintSelection &Selection)
{
    QList<qint32> list;
    if (Selection.Range == TPrintRangeKind::prShown) {
        const int row = Rows.FirstSelected();
        if (row >= 0)
            list.append(Rows.RowRecNo(row));
        return list;
    }
    const int count = Rows.RowCount();
    for (int i = 0; i < count; ++i) {
        if (Selection.Range == TPrintRangeKind::prSelected && !Rows.IsRowSelected(i))
            continue;
        if (Selection.Range == TPrintRangeKind::prRange && (i + 1 < Selection.StartRange || i + 1 > Selection.EndRange))
            continue;
        const qint32 recNo = Rows.RowRecNo(i);
        if (Selection.Limit != TPrintLimitKind::plNone) {
            const std::optional<qint32> mark = Marks.PrintTarget(recNo);
            if (!mark)
                continue;
            if (Selection.Limit == TPrintLimitKind::plMarked && *mark != 1)
                continue;
            if (Selection.Limit == TPrintLimitKind::plExcept && *mark == 2)
                continue;
        }
        list.append(recNo);
    }
    return list;
}

int SheetCount(const TSheetCountInput &In)
{
    const qint64 copies = In.Copies;
    if (!In.SheetMode)
        return static_cast<int>(In.UseAddressData ? copies * In.Records : copies);
    const qint64 prints = In.UseAddressData ? qint64(In.PrintsPerRecord) * In.Records : In.PrintsPerRecord;
    const qint64 cells = prints + In.FirstCell - 1;
    const qint64 perSheet = std::max(1, In.ItemsPerSheet);
    const qint64 sheets = cells <= 0 ? 0 : (cells + perSheet - 1) / perSheet;
    return static_cast<int>(std::min<qint64>(sheets * copies, INT32_MAX));
}

// ---- Range bounds ---------------------------------------------------------

TRangeBounds LoadedRangeBounds(std::optional<int> Start, std::optional<int> End, int RowCount)
{
    TRangeBounds b;
    b.Start = Start.value_or(1);
    if (b.Start < 1)
        b.Start = 1;
    if (b.Start > RowCount)
        b.Start = RowCount;
    b.End = End.value_or(RowCount);
    if (b.End < b.Start)
        b.End = b.Start;
    if (b.End > RowCount)
        b.End = RowCount;
    return b;
}

TRangeBounds StepRangeBound(TRangeBounds B, bool IsEnd, bool Up, int RowCount)
{
    if (Up) {
        if (!IsEnd) {
            if (B.Start >= RowCount)
                return B;
            if (B.Start == B.End)
                ++B.End;
            ++B.Start;
        } else {
            if (B.End >= RowCount)
                return B;
            ++B.End;
        }
    } else {
        if (!IsEnd) {
            if (B.Start <= 1)
                return B;
            --B.Start;
        } else {
            if (B.End <= 1)
                return B;
            if (B.End == B.Start)
                --B.Start;
            --B.End;
        }
    }
    return B;
}

TRangeBounds SetRangeBound(TRangeBounds B, bool IsEnd, qint64 Value, int RowCount)
{
    if (Value > RowCount)
        Value = RowCount;
    else if (Value < 1)
        Value = 1;
    // With no rows a positive value has become 0 above.
    const int v = static_cast<int>(Value);
    if (!IsEnd) {
        B.Start = v;
        if (B.Start > B.End)
            B.End = B.Start;
    } else {
        B.End = v;
        if (B.End < B.Start)
            B.Start = B.End;
    }
    return B;
}

std::optional<qint64> ParseCountText(const QString &Text)
{
    const QString t = Text.trimmed();
    if (t.isEmpty() || t.size() > 18)
        return std::nullopt;
    for (const QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    return t.toLongLong();
}

// ---- Envelope flap --------------------------------------------------------

std::optional<int> ParseFlapText(const QString &Text)
{
    if (Text.isEmpty())
        return std::nullopt;
    const QString trimmed = Text.trimmed();
    QString filtered;
    for (const QChar c : Text)
        if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.'))
            filtered.append(c);
    if (trimmed != filtered || filtered.isEmpty() || filtered.count(QLatin1Char('.')) > 1
        || filtered == QLatin1String("."))
        return std::nullopt;
    bool ok = false;
    const double value = filtered.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    const qint64 tenths = std::min<qint64>(RoundHalfAway(static_cast<long double>(value) * 10), 32767);
    return static_cast<int>(std::clamp<qint64>(tenths, 0, FlapMax));
}

QString FlapText(int Position)
{
    return QString::asprintf("%.1f", Position / 10.0);
}

// ---- Print shift ----------------------------------------------------------

QString ShiftDirectionText(int Position, bool Vertical)
{
    const bool positive = Position - ShiftCentre > 0;
    if (Vertical)
        return positive ? QStringLiteral("下：") : QStringLiteral("上：");
    return positive ? QStringLiteral("右：") : QStringLiteral("左：");
}

QString ShiftValueText(int Position)
{
    return QString::asprintf("%.1f mm", std::abs(Position - ShiftCentre) / 10.0);
}

// ---- Printable area -------------------------------------------------------

namespace {
int scaled(long double Value, int Dpi, long double Per)
{
    return static_cast<int>(RoundHalfAway(Value * Dpi / Per));
}
} // namespace

bool ContentLeavesPrintableArea(const TPrinterPage &Page, const TContentRect &Content, int ShiftX, int ShiftY,
                                int Flap)
{
    const int dx = scaled(ShiftX - ShiftCentre, Page.DpiX, 254);
    int dy = scaled(ShiftY - ShiftCentre, Page.DpiY, 254);
    if (Flap != 0)
        dy += scaled(Flap, Page.DpiY, 254);
    const int left = scaled(Content.Left, Page.DpiX, 96) + dx;
    const int top = scaled(Content.Top, Page.DpiY, 96) + dy;
    const int right = left + scaled(Content.Right - Content.Left, Page.DpiX, 96);
    const int bottom = top + scaled(Content.Bottom - Content.Top, Page.DpiY, 96);
    return left < Page.OffsetX || top < Page.OffsetY || right > Page.OffsetX + Page.Width
        || bottom > Page.OffsetY + Page.Height;
}

TPrinterPage PrinterPageOf(const QPrinter &Printer)
{
    TPrinterPage p;
    p.DpiX = Printer.logicalDpiX();
    p.DpiY = Printer.logicalDpiY();
    // The editors print full page without margins of their own: what the
    // printer cannot reach are the edges its driver reports as the paper's
    // minimum margins (none for a PDF file).
    QPageLayout layout = Printer.pageLayout();
    layout.setUnits(QPageLayout::Point);
    const int resolution = Printer.resolution();
    const QMarginsF edges = layout.minimumMargins();
    const auto dots = [resolution](qreal Points) { return qRound(Points * resolution / 72.0); };
    const QRect printable = layout.fullRectPixels(resolution).adjusted(dots(edges.left()), dots(edges.top()),
                                                                        -dots(edges.right()), -dots(edges.bottom()));
    p.OffsetX = printable.left();
    p.OffsetY = printable.top();
    p.Width = printable.width();
    p.Height = printable.height();
    return p;
}
