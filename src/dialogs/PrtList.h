#pragma once

#include <QList>
#include <QString>

#include <memory>
#include <optional>

class QPrinter;
class TTable;

// The rules behind the print wizard and the design print dialog, kept out of
// the widgets so they can be checked on their own: which records a print
// run takes, how many sheets it uses, how the range bounds move, how the
// flap length is read and whether the content fits the printable area.

// Which rows of the main list a print run takes.
enum class TPrintRangeKind : int {
    prShown = 0,    // the record shown in the editor (the first selected row)
    prSelected = 1, // the rows selected in the main list
    prRange = 2,    // list positions Start..End (1-based)
    prAll = 3,      // every row of the main list
};

// How the records' print marks filter the rows.
enum class TPrintLimitKind : int {
    plNone = 0,   // print all
    plMarked = 1, // only records marked 「印刷」 (PrintTarget 1)
    plExcept = 2, // all but records marked 「除外」 (PrintTarget 2)
};

// The main list as the wizard reads it: rows from 0 in display order.
class TPrintRowSource
{
public:
    virtual ~TPrintRowSource() = default;
    [[nodiscard]] virtual int RowCount() const = 0;
    [[nodiscard]] virtual bool IsRowSelected(int Row) const = 0;
    [[nodiscard]] virtual qint32 RowRecNo(int Row) const = 0;
    // -1 when no row is selected.
    [[nodiscard]] virtual int FirstSelected() const = 0;
};

// The print mark of a record by its number; nothing when the book no longer
// holds the record.
class TPrintMarkSource
{
public:
    virtual ~TPrintMarkSource() = default;
    [[nodiscard]] virtual std::optional<qint32> PrintTarget(qint32 RecNo) = 0;
    // Why marks asked for so far could not be read ("" while they could):
    // a mark that cannot be read is no answer about the record.
    [[nodiscard]] virtual QString Error() const { return {}; }
};

// Reads the marks through a table handle of its own on the address table
// file, so the shared cursor of the main list never moves while the wizard
// counts. The handle opens on first use; a table that cannot be opened or
// read answers no mark and says why through Error.
class TTablePrintMarks : public TPrintMarkSource
{
public:
    TTablePrintMarks(QString TablePath, QByteArray Password);
    ~TTablePrintMarks() override;
    [[nodiscard]] std::optional<qint32> PrintTarget(qint32 RecNo) override;
    // Why the table could not be opened ("" while it could).
    [[nodiscard]] const QString &OpenError() const { return m_openError; }
    [[nodiscard]] QString Error() const override { return m_openError.isEmpty() ? m_readError : m_openError; }

private:
    QString m_path;
    QByteArray m_password;
    std::unique_ptr<TTable> m_table;
    bool m_tried = false;
    QString m_openError;
    QString m_readError;
};

struct TPrintSelection
{
    TPrintRangeKind Range = TPrintRangeKind::prShown;
    TPrintLimitKind Limit = TPrintLimitKind::plNone;
    int StartRange = 1; // 1-based, for prRange
    int EndRange = 1;
};

// The record numbers to print, in list order. The shown record takes the
// first selected row and no mark filter; with no selected row it is empty
// (there is no record to print). Marks are only asked for when a filter
// applies; a record the book no longer holds is never printed through one.
[[nodiscard]] QList<qint32> BuildPrintList(const TPrintRowSource &Rows, TPrintMarkSource &Marks,
                                           const TPrintSelection &Selection);

struct TSheetCountInput
{
    int Records = 0;          // length of the print list
    bool UseAddressData = true;
    int Copies = 1;
    bool SheetMode = false;   // more than one item per sheet
    int ItemsPerSheet = 1;
    int FirstCell = 1;        // 1-based
    int PrintsPerRecord = 1;
};

// Sheets of paper a run uses (the "用紙枚数" figure).
[[nodiscard]] int SheetCount(const TSheetCountInput &In);

// ---- Range bounds ---------------------------------------------------------

struct TRangeBounds
{
    int Start = 1;
    int End = 1;
    bool operator==(const TRangeBounds &) const = default;
};

// Stored bounds as they open: the start at least 1 and at most the row
// count, the end (missing: the row count) between the start and the row
// count. With no rows both become 0.
[[nodiscard]] TRangeBounds LoadedRangeBounds(std::optional<int> Start, std::optional<int> End, int RowCount);

// One click of an up-down arrow on the start (IsEnd false) or the end.
[[nodiscard]] TRangeBounds StepRangeBound(TRangeBounds B, bool IsEnd, bool Up, int RowCount);

// A new value typed or keyed into one bound: clamped to 1..RowCount (0 with
// no rows), and the other bound follows so that Start <= End.
[[nodiscard]] TRangeBounds SetRangeBound(TRangeBounds B, bool IsEnd, qint64 Value, int RowCount);

// A whole non-negative number read from a numeric edit; nothing for any
// other text (the edit then shows the value in force again).
[[nodiscard]] std::optional<qint64> ParseCountText(const QString &Text);

// ---- Envelope flap --------------------------------------------------------

inline constexpr int FlapMax = 500; // 50.0 mm in tenths

// The flap length in tenths of a millimetre from the edit's text ("12.5"
// gives 125), clamped to 0..FlapMax; nothing when the text is empty, holds
// anything but digits and one point, or holds two points.
[[nodiscard]] std::optional<int> ParseFlapText(const QString &Text);
// The edit's text for a position: "12.5".
[[nodiscard]] QString FlapText(int Position);

// ---- Print shift ----------------------------------------------------------

inline constexpr int ShiftCentre = 500; // scroll position of no shift

// "下："/"上：" (vertical) or "右："/"左：" by the sign of the shift.
[[nodiscard]] QString ShiftDirectionText(int Position, bool Vertical);
// |shift| in millimetres: "12.5 mm".
[[nodiscard]] QString ShiftValueText(int Position);

// ---- Printable area -------------------------------------------------------

// What the printer reports of its page, in dots.
struct TPrinterPage
{
    int DpiX = 0;
    int DpiY = 0;
    int OffsetX = 0; // physical offset of the printable area
    int OffsetY = 0;
    int Width = 0;   // printable width and height
    int Height = 0;
};

// The layout's content, measured from the paper's top-left corner in 96 per
// inch (left, top, right, bottom).
struct TContentRect
{
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    [[nodiscard]] bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
};

// True when the content, shifted by the print shift (scroll positions,
// 500 = none) and for envelopes by the flap (tenths of a millimetre, 0 for
// the others), leaves the printable area on any side.
[[nodiscard]] bool ContentLeavesPrintableArea(const TPrinterPage &Page, const TContentRect &Content,
                                              int ShiftX, int ShiftY, int Flap);

// The printer's page as the platform reports it for its paper and
// orientation: the printable area is the sheet less the unprintable edges
// the printer's driver reports (QPageLayout::minimumMargins).
[[nodiscard]] TPrinterPage PrinterPageOf(const QPrinter &Printer);
