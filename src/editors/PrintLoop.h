#pragma once

#include "core/AddressText.h"
#include "dialogs/PrtList.h"
#include "editors/LayoutDoc.h"
#include "editors/RecordSource.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

class QImage;
class QPagedPaintDevice;
class QPaintDevice;
class QPainter;
class TTable;

// What the user chose for one print run. The print wizard fills it; without
// the wizard the editors print one copy of each record from the first cell.
struct TPrintOptions {
    int Copies = 1;          // the whole run, this many times
    int PrintsPerRecord = 1; // pieces of each record, side by side
    int FirstCell = 1;       // 1-based cell of the first sheet (labels and cards)
    TTenthMmPoint Offset{};  // print position correction
    bool UpsideDown = false; // pieces turned half round
    // Envelopes fed with the flap open: its length in 0.1 mm. Fed top first
    // the flap leads, so the content moves down by it and the page grows
    // by it; fed upside down the flap trails and nothing moves.
    int Flap = 0;
    // For printers that cannot blend: the pictures' masks and transparent
    // colours go through a clipping region for this run (the items' own
    // setting comes back after it).
    bool LimitedPrinter = false;
};

// Where one piece of a run goes.
struct TPiecePlace {
    int Sheet = 0;  // 0-based sheet of the whole run, copies included
    int Cell = 0;   // 0-based cell of that sheet
    int Record = 0; // index into the run's record list
};

// The pieces of a run in printing order: each record PrintsPerRecord times,
// filling the cells from FirstCell on the first sheet and from the first
// cell on every later one; the whole run again for each further copy, each
// copy starting from FirstCell on a sheet of its own.
[[nodiscard]] QList<TPiecePlace> PlanPieces(int RecordCount, int CellsPerSheet, const TPrintOptions &Options);
[[nodiscard]] int SheetCount(int RecordCount, int CellsPerSheet, const TPrintOptions &Options);


// The print loop: for each record of a list taken before the run, merge its
// fields into the layout's items and draw the pieces onto the device's pages
// (a QPrinter to a printer or a PDF file, or a QPdfWriter). The sender items
// take Sender. Progress reports the pieces drawn and may ask to stop.
class TPrintLoop
{
public:
    TPrintLoop(TLayoutDocument &Document, TRecordSource Source);

    std::optional<TAddressText> Sender;
    // Called after each piece with (done, total); false stops the run.
    std::function<bool(int Done, int Total)> Progress;

    // False with a reason when the device cannot be painted on, the run
    // was stopped, or none of its records is left to print (the device is
    // then never opened); the pages drawn so far stay in the device.
    [[nodiscard]] bool Run(QPagedPaintDevice &Device, const QList<qint32> &RecNos, const TPrintOptions &Options,
                           QString *Error);
    // The same run drawn onto images of the sheet at Dpi (white paper), one
    // per page: what the preview and the tests look at.
    [[nodiscard]] bool RunToImages(TDeviceDpi Dpi, const QList<qint32> &RecNos, const TPrintOptions &Options,
                                   QList<QImage> &Pages, QString *Error);
    [[nodiscard]] int PagesPrinted() const { return m_pages; }

private:
    void paintCell(QPainter &Painter, int Cell, TDeviceDpi Dpi, const TPrintOptions &Options);
    // The loop itself; Start opens the device for the first piece, NewPage
    // ends the page being drawn and starts the next.
    [[nodiscard]] bool runOn(QPainter &Painter, const std::function<bool()> &Start,
                             const std::function<bool()> &NewPage, TDeviceDpi Dpi, const QList<qint32> &RecNos,
                             const TPrintOptions &Options, QString *Error);

    TLayoutDocument &m_document;
    TRecordSource m_source;
    int m_pages = 0;
};

// Whether the book still holds any record of a run (record 0, no record
// of the book, counts as there; so does every record without a source):
// a run left with none prints nothing. Reads them a batch at a time until
// one is there; raises ETableError when the book cannot be read.
[[nodiscard]] bool AnyRecordLeft(const TRecordSource &Source, const QList<qint32> &RecNos);

// Sets the device's page to the layout's sheet, full page, no margins; an
// envelope's page is longer by the open flap (0.1 mm). A sheet wider than
// high goes to the printer as its upright paper turned landscape.
void SetupPrinterPage(QPagedPaintDevice &Device, const TLayoutDocument &Document, int Flap = 0);
// The resolution a run lays its texts out at on Device: the device's own,
// or 300 dpi where it tells none.
[[nodiscard]] TDeviceDpi PrintedDpi(const QPaintDevice &Device);
// The flap length that applies to the layout: envelopes only.
[[nodiscard]] int FlapOf(const TLayoutDocument &Document, int Flap);

// Everything the layout prints on a sheet, every cell included, in page
// pixels (96 per inch) from the paper's top-left corner: what the print
// dialogs check against the printer's printable area. Empty without items.
[[nodiscard]] TContentRect PrintedContent(const TLayoutDocument &Document);
// How near the customer barcode's bars come to an edge of a postcard or an
// envelope, in 0.1 mm (rounded down): the least of their distances from the
// piece's four edges. -1 when the layout prints no bars on a piece that is
// posted (labels and cards are stuck on or put into the piece posted).
[[nodiscard]] int BarsFromPieceEdge(const TLayoutDocument &Document);
