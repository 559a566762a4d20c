#pragma once

#include "exchange/ListPrtLayout.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringList>

#include <functional>
#include <memory>
#include <unordered_map>
#include <optional>
#include <vector>

class QPainter;
class TListPrinterInfo;

// What a list page is painted from: the layout, the chosen columns and the
// items (for the header captions).
struct TListPrintJob {
    TListPrintLayout Layout;
    TListPrintColumns Columns;
    std::vector<TListPrintItem> Items;
};

// The page's quantities in printer pixels, measured once on the printer with
// the fonts the painter uses, so that the capacity and the painting agree.
struct TListPageMetrics {
    int PW = 0;       // printable width
    int PH = 0;       // printable height
    QPoint Origin;    // left and top margins
    int H = 0;        // line height: the text height of "ｳ" in the body font
    int W = 0;        // character width: the advance of "ｳ"
    int G = 0;        // gap: H / 2 rounded half away from zero
    int TitleBox = 0; // height of the title box: twice the title font's "ｳ"
    double ScaleX = 1.0;
    double ScaleY = 1.0;
    QFont BodyFont;
    QFont TitleFont;
    // Advances of the body font's characters on the printer, kept while the
    // metrics live: a cell text of Japanese, Latin and kana that plainly fits
    // its cell is drawn as one line without a line-breaking layout.
    std::shared_ptr<class TListAdvances> Advances;
};

class TListAdvances
{
public:
    TListAdvances(const QFont &font, QPaintDevice *device);
    // The text's width when every character is one that neither joins nor
    // combines (Latin, kana, CJK with its planes beyond the BMP, full- and
    // half-width forms), else nullopt. A character is a code point: 𠮷 is
    // one, not its two UTF-16 halves.
    [[nodiscard]] std::optional<double> SimpleWidth(const QString &text);
    [[nodiscard]] double ShapedWidth(const QString &text) const;
    [[nodiscard]] double Ascent() const { return m_ascent; }

private:
    QFontMetricsF m_metrics;
    double m_ascent;
    std::unordered_map<char32_t, double> m_advances;
};

[[nodiscard]] TListPageMetrics MeasureListPage(const TListPrintLayout &layout, const TListPrinterInfo &printer);

// Records that fit one page; 0 or less when not even one does.
[[nodiscard]] int ListPageCapacity(const TListPrintJob &job, const TListPageMetrics &m);
// Pages for count records: count / perPage rounded up; 0 when perPage < 1.
[[nodiscard]] int ListPageCount(int count, int perPage);

// The texts printed above the table.
[[nodiscard]] QString ListPrintDateText(const QDate &date);
[[nodiscard]] QString ListPrintPageText(int pageType, int page, int pageCount);
[[nodiscard]] QString ListPrintHeaderCaption(const std::vector<TListPrintItem> &items, int itemNo);

// Where the chosen columns stand against the page's right limit, by index
// into job.Columns: Cut, the one the limit cuts (printed in part); LeftOut,
// those beginning at or beyond it (not printed at all). Blank columns, which
// print nothing, are in neither.
struct TListPrintColumnFit {
    std::vector<int> Cut;
    std::vector<int> LeftOut;
    [[nodiscard]] bool Whole() const { return Cut.empty() && LeftOut.empty(); }
};
[[nodiscard]] TListPrintColumnFit ListPrintColumnFit(const TListPrintJob &job, const TListPageMetrics &m);
// The columns' captions as the chosen-item list shows them, joined by "、".
[[nodiscard]] QString ListPrintColumnNames(const TListPrintJob &job, const std::vector<int> &columns);
// What a user is told of the fit, one line for the cut column and one for
// those left out, joined by separator; empty when every column fits.
[[nodiscard]] QString ListPrintColumnFitText(const TListPrintJob &job, const TListPrintColumnFit &fit,
                                             const QString &separator);

// The half-width characters the widths of columnCount columns may add up to
// on the page with none cut: the width from the table's left to the right
// limit, less the one-character gaps between the columns.
[[nodiscard]] int ListPrintColumnRoom(const TListPrintLayout &layout, const TListPageMetrics &m, int columnCount);
// A column's text width in half-width characters, as a caption's width is
// reckoned: Latin letters and half-width kana one, every other character
// (one outside the BMP too) two.
[[nodiscard]] int ListPrintHalfWidthLength(const QString &text);
// The columns narrowed so that their widths add up to at most room. A
// column whose texts need fewer characters than it has (needs, by column;
// none given: unknown) first narrows to what they need; then the widest give
// way, one character at a time. None becomes narrower than its header
// caption. When even that does not fit, every column that can give way is at
// its narrowest and the rest is left to the right limit.
// With widen, the columns whose texts need more than they have then get,
// one character at a time to the one that lacks the most, the room the page
// has left (a wide sheet), then the room other columns' texts leave unused,
// until each has what it needs or no room is left: an address longer than
// its item's width prints whole where the sheet has room for it.
[[nodiscard]] TListPrintColumns FitListPrintColumns(TListPrintColumns columns, int room,
                                                    const std::vector<TListPrintItem> &items,
                                                    const std::vector<int> &needs = {}, bool widen = true);
// For each chosen column, the half-width characters (units of W) its widest
// text among rows takes on the page, rounded up; item 1 is measured by the
// largest running number from firstNumber.
[[nodiscard]] std::vector<int> ListPrintTextNeeds(const TListPrintJob &job, const TListPageMetrics &m,
                                                  const std::vector<QStringList> &rows, int firstNumber);

// For each chosen column, how many of the rows the page shows only in part:
// a text wider than its cell, or with more lines than the record's height.
// The cells are laid out as PaintListPage lays them on device; item 1 gets
// the running number from firstNumber. Columns left out count none.
[[nodiscard]] std::vector<int> ListPrintCutCells(const TListPrintJob &job, const TListPageMetrics &m,
                                                 QPaintDevice *device, const std::vector<QStringList> &rows,
                                                 int firstNumber);
// The cut cells told as "caption：n件" lines joined by separator; empty when
// no cell is cut.
[[nodiscard]] QString ListPrintCutCellsText(const TListPrintJob &job, const std::vector<int> &cutCells,
                                            const QString &separator);

// Thickness in printer pixels of a rule line of the given style, across a
// line drawn horizontally (vertical = false) or vertically.
[[nodiscard]] int ListRuleThickness(int lineType, double scale);

// One page: heading texts, header row and the page's records (one text per
// chosen column; item 1's text is replaced by the running number, which
// starts at firstNumber). Paints in printer pixels of the printable area on
// any painter: a printer, a PDF, an image or a preview through a scale.
void PaintListPage(QPainter &painter, const TListPrintJob &job, const TListPageMetrics &m,
                   const std::vector<QStringList> &rows, int pageNo, int pageCount, int firstNumber);

// ---- The print run --------------------------------------------------------

struct TListPrintResult {
    int Pages = 0;
    int Records = 0;
    bool Cancelled = false;
    // None of the run's records was left to print (all deleted since they
    // were taken): nothing was sent to the printer and no file was written.
    bool NoneLeft = false;
    QString Error; // empty when the job went through or was cancelled
};

// The cell texts of one record, nullopt when the record is gone.
using TListRowFetch = std::function<std::optional<QStringList>(qint32 recNo)>;
// Called after each record with the records looked at so far; false cancels.
using TListPrintProgress = std::function<bool(int done, int total)>;
// Called once the records of a page (or of the whole run) are read, before
// they are painted: a reader gives the book back, so that another program
// can save while the pages are painted.
using TListReadDone = std::function<void()>;

inline const QString ListPrintDocName = QStringLiteral("一覧表データ");
inline const QString ListPrintNoRoomMessage =
    QStringLiteral("用紙に１件も印刷できません。\r\n文字の大きさ・余白・１件の行数を見直してください。");
inline const QString ListPrintNoDataMessage = QStringLiteral("印刷するデータがありません  ");

// The pages of a run as the book holds them when they are read: the records
// still there fill the pages in order, numbered on without a gap; a record
// gone since the list was taken is left out, and a page is begun only when a
// row is left for it. Each page's records are read just before the page is
// painted, unless the pages print their count ("1 / 3"): then every record
// is read first, so that the count printed on the first page is the count
// of pages the run prints.
class TListPageRows
{
public:
    TListPageRows(const TListPrintJob &job, int perPage, const std::vector<qint32> &records, TListRowFetch fetch,
                  TListPrintProgress progress = {}, TListReadDone readDone = {});

    // Reads on to the next page: false when no record is left for it or the
    // run was cancelled.
    [[nodiscard]] bool Next();
    [[nodiscard]] const std::vector<QStringList> &Rows() const { return m_page; }
    [[nodiscard]] int PageNo() const { return m_pageNo; }
    // The running number of the page's first row.
    [[nodiscard]] int FirstNumber() const { return m_firstNumber; }
    // The pages of the run; only known, and only printed, when every record
    // was read first (else the most the records could fill).
    [[nodiscard]] int PageCount() const { return m_pageCount; }
    [[nodiscard]] bool Cancelled() const { return m_cancelled; }
    // The rows handed out so far.
    [[nodiscard]] int Handed() const { return m_firstNumber - 1 + static_cast<int>(m_page.size()); }

private:
    [[nodiscard]] bool readAll();
    [[nodiscard]] bool report(int done);

    int m_perPage;
    const std::vector<qint32> &m_records;
    TListRowFetch m_fetch;
    TListPrintProgress m_progress;
    TListReadDone m_readDone;
    bool m_whole;
    std::size_t m_next = 0;               // the next record to read
    std::vector<QStringList> m_all;       // every row, when read first
    std::size_t m_nextRow = 0;            // the next of those to hand out
    std::vector<QStringList> m_page;
    int m_pageNo = 0;
    int m_firstNumber = 1;
    int m_pageCount = 0;
    bool m_cancelled = false;
};

// Whether the pages of the layout print their count ("Page. 1 / 3").
[[nodiscard]] bool ListPrintPagesCounted(const TListPrintLayout &layout);

// Paints the pages of rows through painter, from the page rows stands on
// (its Next() returned true) to the last: newPage() is called between pages
// (false ends the job with an error).
[[nodiscard]] TListPrintResult PaintListPages(QPainter &painter, const std::function<bool()> &newPage,
                                              const TListPrintJob &job, const TListPageMetrics &metrics,
                                              TListPageRows &rows);
// The pages of a job painted through painter: newPage() is called between
// pages (false ends the job with an error). The print run and the tests share it.
[[nodiscard]] TListPrintResult PaintListJob(QPainter &painter, const std::function<bool()> &newPage,
                                            const TListPrintJob &job, const TListPageMetrics &metrics, int perPage,
                                            const std::vector<qint32> &records, const TListRowFetch &fetch,
                                            const TListPrintProgress &progress = {});

// ---- The preview ------------------------------------------------------------

// The preview's page in printer pixels of the whole paper: the printable area
// (the printer's real one) framed dotted light grey, and the page painted at
// its place with the printer's metrics, so that it lays out as on paper.
void PaintListPreviewPage(QPainter &painter, const TListPrintJob &job, const TListPageMetrics &m,
                          const QRect &printable, const std::vector<QStringList> &rows, int pageNo, int pageCount,
                          int firstNumber);

// Zoom "用紙全体": the scale that fits the paper (96-dpi units) into a view
// with 4 pixels of border and 40 of margin.
[[nodiscard]] double ListPreviewFitScale(QSize paper, QSize view);

// Prints the records (taken before the run, in list order) on the printer
// of printerInfo: the records still there fill the pages (TListPageRows).
// The first page's records are read before the printer is opened: with
// none left, nothing reaches the printer, no file is written (an earlier
// PDF of that name stays as it was) and NoneLeft is set. A cancelled job is
// aborted (nothing reaches the printer). The copies of the layout are made by
// the printer's driver; into a PDF they are painted, one whole set after the
// other, each read anew (Pages counts every page painted, Records the
// records of the last set).
// A PDF is painted into a temporary beside its file and takes the file's
// place only when the job ended whole: a cancelled or failed job leaves the
// previous file of that name as it was.
[[nodiscard]] TListPrintResult PrintList(TListPrinterInfo &printerInfo, const TListPrintJob &job,
                                         const std::vector<qint32> &records, const TListRowFetch &fetch,
                                         const TListPrintProgress &progress = {}, const TListReadDone &readDone = {});
