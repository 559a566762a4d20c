#include "editors/PrintLoop.h"

#include "core/Inquiry.h"
#include "core/PdfOutFile.h"
#include "items/IllustRect.h"
#include "items/MetaRect.h"
#include "platform/Table.h"
#include "util/PdfText.h"
#include "util/PrintFonts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPrinter>
#include <QScopeGuard>

#include <algorithm>
#include <cmath>
#include <future>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace {

// Lays the pieces of a run one after another: from the first cell chosen,
// on to the next sheet when one is full, each further copy from the first
// cell chosen on a sheet of its own.
class TPieceCursor
{
public:
    TPieceCursor(int CellsPerSheet, int FirstCell)
        : m_cells(std::max(1, CellsPerSheet)), m_first(std::clamp(FirstCell, 1, m_cells) - 1), m_cell(m_first)
    {
    }
    void NextCopy()
    {
        ++m_sheet;
        m_cell = m_first;
    }
    TPiecePlace Next(int Record)
    {
        if (m_cell == m_cells) {
            m_cell = 0;
            ++m_sheet;
        }
        return {m_sheet, m_cell++, Record};
    }

private:
    int m_cells;
    int m_first;
    int m_cell;
    int m_sheet = 0;
};

} // namespace

QList<TPiecePlace> PlanPieces(int RecordCount, int CellsPerSheet, const TPrintOptions &Options)
{
    QList<TPiecePlace> places;
    const int prints = std::max(1, Options.PrintsPerRecord);
    const int copies = std::max(1, Options.Copies);
    if (RecordCount <= 0)
        return places;
    TPieceCursor cursor(CellsPerSheet, Options.FirstCell);
    for (int copy = 0; copy < copies; ++copy) {
        if (copy > 0)
            cursor.NextCopy();
        for (int record = 0; record < RecordCount; ++record)
            for (int p = 0; p < prints; ++p)
                places.append(cursor.Next(record));
    }
    return places;
}

int SheetCount(int RecordCount, int CellsPerSheet, const TPrintOptions &Options)
{
    const QList<TPiecePlace> places = PlanPieces(RecordCount, CellsPerSheet, Options);
    return places.isEmpty() ? 0 : places.last().Sheet + 1;
}

int FlapOf(const TLayoutDocument &Document, int Flap)
{
    return Document.Format.Kind == quint8(TPaperKind::Envelope) ? std::clamp(Flap, 0, FlapMax) : 0;
}

TContentRect PrintedContent(const TLayoutDocument &Document)
{
    QRect items;
    for (size_t i = 0; i < Document.Items.size(); ++i) {
        const TDrawRect *item = Document.Items[i].get();
        if (!item->IsVisible() || !Document.OnPrintedSide(i))
            continue;
        const TPageRect r = item->GetRect();
        if (!r.isEmpty())
            items |= ToQRect(r);
    }
    if (items.isEmpty())
        return {};
    const QSize piece = Document.PieceSize();
    auto px = [](int Tenths) { return PaperFmt::tenthsToPixels(Tenths); };
    QRect all;
    for (int cell = 0; cell < Document.CellsPerSheet(); ++cell) {
        const QRect c = Document.CellRect(cell);
        QRect placed = items;
        // A piece laid on its side: its top edge runs down the cell's right
        // edge, so (x, y) of the piece lands at (cell width - y, x).
        if (c.width() != piece.width() && c.width() == piece.height())
            placed = QRect(QPoint(px(c.width()) - items.bottom() - 1, items.left()),
                           QSize(items.height(), items.width()));
        all |= placed.translated(px(c.left()), px(c.top()));
    }
    return {all.left(), all.top(), all.right() + 1, all.bottom() + 1};
}

int BarsFromPieceEdge(const TLayoutDocument &Document)
{
    const TPaperKind kind = Document.Format.PaperKind();
    if (kind != TPaperKind::Postcard && kind != TPaperKind::Envelope)
        return -1;
    // Page pixels (96 per inch) to 0.1 mm, without losing the fraction.
    auto tenths = [](qint64 Px) { return double(Px) * 254.0 / 96.0; };
    const QSize piece = Document.PieceSize();
    std::optional<double> nearest;
    for (size_t i = 0; i < Document.Items.size(); ++i) {
        const TDrawRect &item = *Document.Items[i];
        if (item.GetKind() != TDrawRectKind::Barcode || !item.IsVisible() || !Document.OnPrintedSide(i))
            continue;
        // The bars fill the item's rectangle.
        const TPageRect r = item.GetRect();
        if (r.isEmpty())
            continue;
        const double least = std::min({tenths(r.Left), tenths(r.Top), piece.width() - tenths(r.Right),
                                       piece.height() - tenths(r.Bottom)});
        nearest = nearest ? std::min(*nearest, least) : least;
    }
    if (!nearest)
        return -1;
    // Bars over the edge are as near as can be.
    return std::max(0, int(std::floor(*nearest)));
}

void SetupPrinterPage(QPagedPaintDevice &Device, const TLayoutDocument &Document, int Flap)
{
    QSize sheet = Document.SheetSize();
    sheet.rheight() += FlapOf(Document, Flap);
    // A sheet wider than high is the upright paper printed landscape: the
    // printer is given its paper and turns the page, and the painter sees
    // the sheet as wide as it is.
    const bool landscape = sheet.width() > sheet.height();
    const QSize paper = landscape ? sheet.transposed() : sheet;
    const QPageSize size(QSizeF(paper.width() / 10.0, paper.height() / 10.0), QPageSize::Millimeter, QString(),
                         QPageSize::ExactMatch);
    Device.setPageLayout(QPageLayout(size, landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(),
                                     QPageLayout::Millimeter));
}

TPrintLoop::TPrintLoop(TLayoutDocument &Document, TRecordSource Source)
    : m_document(Document), m_source(std::move(Source))
{}

void TPrintLoop::paintCell(QPainter &Painter, int Cell, TDeviceDpi Dpi, const TPrintOptions &Options)
{
    const QRect cell = m_document.CellRect(Cell);
    const QSize piece = m_document.PieceSize();
    Painter.save();
    // A cell at the sheet's origin (a postcard, an envelope) leaves the
    // transform alone: on a PDF page every change of it writes the
    // graphics state out again.
    if (cell.left() != 0 || cell.top() != 0)
        Painter.translate(TenthMmToDots(TTenthMm(cell.left()), Dpi.x), TenthMmToDots(TTenthMm(cell.top()), Dpi.y));
    // A piece laid on its side on the sheet: its top edge runs down the
    // cell's right edge.
    const bool onItsSide = cell.width() != piece.width() && cell.width() == piece.height();
    if (onItsSide) {
        Painter.translate(TenthMmToDots(TTenthMm(cell.width()), Dpi.x), 0);
        Painter.rotate(90);
    }
    // The shift is on the paper (+x right, +y down); on a piece on its side
    // the paper's down is the piece's right and the paper's right its up.
    TTenthMmPoint offset = Options.Offset;
    if (onItsSide)
        offset = TTenthMmPoint{Options.Offset.y, TTenthMm(-Options.Offset.x.value)};
    if (!Options.UpsideDown)
        offset.y = TTenthMm(offset.y.value + FlapOf(m_document, Options.Flap));
    PaintPiece(Painter, m_document, {}, Dpi, offset, Options.UpsideDown);
    Painter.restore();
}

TDeviceDpi PrintedDpi(const QPaintDevice &Device)
{
    const int x = Device.logicalDpiX() > 0 ? Device.logicalDpiX() : 300;
    return {x, Device.logicalDpiY() > 0 ? Device.logicalDpiY() : x};
}

bool TPrintLoop::Run(QPagedPaintDevice &Device, const QList<qint32> &RecNos, const TPrintOptions &Options,
                     QString *Error)
{
    m_pages = 0;
    if (RecNos.isEmpty()) {
        if (Error)
            *Error = QStringLiteral("印刷するデータがありません");
        return false;
    }
    const TDeviceDpi dpi = PrintedDpi(Device);
    // The PDF writer truncates its file when the run begins: it writes a
    // temporary, which replaces the user's file only once the run is whole,
    // so a stopped or failed run leaves the file as it was.
    // A preview paints the printer through its own engine and writes nothing.
    auto *printer = dynamic_cast<QPrinter *>(&Device);
    const QString pdfFile = printer && printer->outputFormat() == QPrinter::PdfFormat && printer->paintEngine() &&
                                    printer->paintEngine()->type() == QPaintEngine::Pdf
                                ? printer->outputFileName()
                                : QString();
    std::unique_ptr<TPdfOutFile> pdfOut;
    if (!pdfFile.isEmpty()) {
        pdfOut = std::make_unique<TPdfOutFile>(pdfFile);
        QString reason;
        if (!pdfOut->Begin(&reason)) {
            if (Error)
                *Error = pdfOut->Refused() ? reason
                                           : QStringLiteral("印刷データを書き込めませんでした\r\n") + pdfFile +
                                                 QStringLiteral("\r\n") + reason;
            return false;
        }
        printer->setOutputFileName(pdfOut->WritePath());
    }
    const auto restoreName = qScopeGuard([printer, &pdfFile] {
        if (!pdfFile.isEmpty())
            printer->setOutputFileName(pdfFile);
    });
    // Before the first text: the PDF's text then gives the characters printed.
    (void)PreparePrintFonts();
    // The text of every glyph drawn into the PDF, for its text layer.
    TPdfGlyphTexts glyphTexts;
    std::optional<TPdfGlyphTexts::TScope> noting;
    if (!pdfFile.isEmpty())
        noting.emplace(glyphTexts, Device);
    // The device is opened with the first piece: a run left with no record
    // to print (all deleted since the list was taken) sends the printer no
    // blank sheet and writes no PDF.
    QPainter painter;
    const bool done = runOn(
        painter, [&painter, &Device] { return painter.begin(&Device); }, [&Device] { return Device.newPage(); },
        dpi, RecNos, Options, Error);
    // Ending the painter writes the file; a PDF that cannot be finished is
    // a failed run, not a printed one.
    if (painter.isActive() && !painter.end() && done) {
        if (Error)
            *Error = QStringLiteral("印刷データを書き込めませんでした");
        return false;
    }
    if (!done || pdfFile.isEmpty())
        return done;
    // Whole (the engine keeps a full disk to itself) and then in place.
    QString reason;
    // The text layer amended only on a whole file (a cut one gets no trailer).
    if (!PdfWrittenWhole(pdfOut->WritePath()))
        reason = pdfOut->UnfinishedReason();
    else if (pdfOut->Amend([&glyphTexts](QByteArray &Bytes) { AmendPrintedText(Bytes, glyphTexts); }, &reason))
        (void)pdfOut->Commit(&reason);
    if (!reason.isEmpty()) {
        if (Error)
            *Error = QStringLiteral("印刷データを書き込めませんでした\r\n") + pdfFile + QStringLiteral("\r\n") + reason;
        return false;
    }
    return true;
}

bool TPrintLoop::RunToImages(TDeviceDpi Dpi, const QList<qint32> &RecNos, const TPrintOptions &Options,
                             QList<QImage> &Pages, QString *Error)
{
    m_pages = 0;
    Pages.clear();
    if (RecNos.isEmpty()) {
        if (Error)
            *Error = QStringLiteral("印刷するデータがありません");
        return false;
    }
    QSize sheet = m_document.SheetSize();
    sheet.rheight() += FlapOf(m_document, Options.Flap);
    const QSize pixels(TenthMmToDots(TTenthMm(sheet.width()), Dpi.x), TenthMmToDots(TTenthMm(sheet.height()), Dpi.y));
    auto blank = [&] {
        QImage page(pixels, QImage::Format_RGB32);
        page.fill(Qt::white);
        page.setDotsPerMeterX(qRound(Dpi.x / 0.0254));
        page.setDotsPerMeterY(qRound(Dpi.y / 0.0254));
        return page;
    };
    Pages.append(blank());
    QPainter painter(&Pages.last());
    auto newPage = [&] {
        painter.end();
        Pages.append(blank());
        return painter.begin(&Pages.last());
    };
    const bool done = runOn(
        painter, [] { return true; }, newPage, Dpi, RecNos, Options, Error);
    painter.end();
    return done;
}

namespace {
// Records taken at once: one read of the book a batch, and a batch holds
// the book's lock for a moment only.
constexpr qsizetype kRecordBatch = 128;
} // namespace

bool AnyRecordLeft(const TRecordSource &Source, const QList<qint32> &RecNos)
{
    if (!Source)
        return !RecNos.isEmpty();
    for (qsizetype first = 0; first < RecNos.size(); first += kRecordBatch) {
        const QList<qint32> batch = RecNos.mid(first, kRecordBatch);
        if (std::any_of(batch.cbegin(), batch.cend(), [](qint32 RecNo) { return RecNo <= 0; }))
            return true;
        const QList<std::optional<TAddressText>> read = Source.ReadMany(batch);
        if (std::any_of(read.cbegin(), read.cend(), [](const auto &Record) { return Record.has_value(); }))
            return true;
    }
    return false;
}

bool TPrintLoop::runOn(QPainter &Painter, const std::function<bool()> &Start, const std::function<bool()> &NewPage,
                       TDeviceDpi Dpi, const QList<qint32> &RecNos, const TPrintOptions &Options, QString *Error)
{
    const QList<TPiecePlace> places = PlanPieces(int(RecNos.size()), m_document.CellsPerSheet(), Options);
    std::vector<std::pair<TIllustRect *, bool>> pictures;
    for (auto &item : m_document.Items)
        if (auto *picture = dynamic_cast<TIllustRect *>(item.get())) {
            pictures.push_back({picture, picture->IsLimitedPrinter()});
            picture->SetLimitedPrinter(Options.LimitedPrinter);
        }
    const auto restore = qScopeGuard([&pictures] {
        for (const auto &[picture, limited] : pictures)
            picture->SetLimitedPrinter(limited);
    });
    m_document.SetReferenceDevice(TReferenceDevice::printer(Dpi));
    bool started = false;
    m_pages = 0;
    int sheet = 0;
    int merged = -1;
    // The batches in the order the run takes them, each from the piece
    // whose record leaves the one before (each copy takes the records
    // again); the next one is read while this one prints, on a worker
    // where the source allows it, and read again at its first piece when
    // the book changed since: a record deleted or changed while the pieces
    // before it print prints as the book holds it when its batch begins.
    struct TBatch {
        int FirstPiece;
        qsizetype FirstRecord;
    };
    std::vector<TBatch> batches;
    for (qsizetype i = 0, first = -1, end = -1; i < places.size(); ++i)
        if (places[i].Record < first || places[i].Record >= end) {
            first = places[i].Record;
            end = std::min<qsizetype>(first + kRecordBatch, RecNos.size());
            batches.push_back({int(i), first});
        }
    const TRecordSource &source = m_source;
    // A batch's records and the book's version they were read at.
    struct TRead {
        QList<std::optional<TAddressText>> Records;
        qint64 Version = 0;
    };
    auto readBatch = [&RecNos, &source](qsizetype First) {
        const qsizetype count = std::min<qsizetype>(kRecordBatch, RecNos.size() - First);
        TRead read;
        read.Records = source ? source.ReadMany(RecNos.mid(First, count), &read.Version)
                              : QList<std::optional<TAddressText>>(count);
        return read;
    };
    std::future<TRead> ahead;
    size_t nextBatch = 0;
    QList<std::optional<TAddressText>> batch;
    qsizetype batchFirst = 0;
    // The book's version the records of the batch from the current one on
    // were read at: before each piece, a book another handle wrote since
    // (a record deleted or changed while the pieces before it printed) has
    // the rest of the batch read again, so the piece prints what the book
    // holds as it is drawn.
    qint64 batchVersion = 0;
    auto readRest = [&](qsizetype From) {
        qint64 version = 0;
        const QList<std::optional<TAddressText>> again =
            source.ReadMany(RecNos.mid(From, batchFirst + batch.size() - From), &version);
        for (qsizetype k = 0; k < again.size(); ++k)
            batch[From - batchFirst + k] = again[k];
        batchVersion = version;
        merged = -1;
    };
    // A record the book no longer holds (deleted since the list was taken,
    // while the run prints) is left out, and the pieces after it move up:
    // no sheet goes through the printer without its addressee. The pieces
    // are laid as the plan lays them, over the records still there.
    TPieceCursor laid(m_document.CellsPerSheet(), Options.FirstCell);
    const qsizetype perCopy = RecNos.size() * std::max(1, Options.PrintsPerRecord);
    qsizetype copy = 0;
    for (int i = 0; i < places.size(); ++i) {
        const TPiecePlace &place = places[i];
        if (nextBatch < batches.size() && batches[nextBatch].FirstPiece == i) {
            batchFirst = batches[nextBatch].FirstRecord;
            // A record the book cannot read stops the run with the reason:
            // its piece would print blank and the run pass for done.
            try {
                TRead read;
                if (ahead.valid()) {
                    read = ahead.get();
                    const qint64 now = source.Version();
                    if (now < 0 || now != read.Version)
                        read = readBatch(batchFirst);
                } else {
                    read = readBatch(batchFirst);
                }
                batch = std::move(read.Records);
                batchVersion = read.Version;
                // The piece of the record merged last may be of another batch.
                merged = -1;
                if (++nextBatch < batches.size() && source.ReadsAhead())
                    ahead = std::async(std::launch::async, readBatch, batches[nextBatch].FirstRecord);
            } catch (const ETableError &e) {
                if (Error)
                    *Error = QStringLiteral("印刷するデータを読み込めませんでした\r\n") + e.Message();
                return false;
            }
        } else if (source.ReadsAhead()) {
            try {
                const qint64 now = source.Version();
                if (now < 0 || now != batchVersion)
                    readRest(place.Record);
            } catch (const ETableError &e) {
                if (Error)
                    *Error = QStringLiteral("印刷するデータを読み込めませんでした\r\n") + e.Message();
                return false;
            }
        }
        if (i / perCopy != copy) {
            copy = i / perCopy;
            laid.NextCopy();
        }
        const std::optional<TAddressText> &record = batch.at(place.Record - batchFirst);
        const bool gone = source && !record && RecNos[place.Record] > 0;
        if (!gone) {
            const TPiecePlace at = laid.Next(place.Record);
            if (!started) {
                if (!Start()) {
                    if (Error)
                        *Error = QStringLiteral("プリンタを開けませんでした");
                    return false;
                }
                Painter.setRenderHint(QPainter::Antialiasing);
                started = true;
                sheet = at.Sheet;
                m_pages = 1;
            }
            if (at.Sheet != sheet) {
                if (!NewPage()) {
                    if (Error)
                        *Error = QStringLiteral("次のページを始められませんでした");
                    return false;
                }
                sheet = at.Sheet;
                ++m_pages;
            }
            if (place.Record != merged) {
                MergeRecord(m_document, record ? &*record : nullptr, Sender ? &*Sender : nullptr);
                merged = place.Record;
            }
            paintCell(Painter, at.Cell, Dpi, Options);
        }
        if (Progress && !Progress(i + 1, int(places.size()))) {
            if (Error)
                *Error = QStringLiteral("印刷を中止しました");
            return false;
        }
    }
    if (!started) {
        if (Error)
            *Error = QStringLiteral("印刷するデータがありません");
        return false;
    }
    return true;
}
