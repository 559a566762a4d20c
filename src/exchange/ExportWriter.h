#pragma once

#include "exchange/ExportItems.h"
#include "widgets/RecordRun.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QIODevice;
class TTable;

// One entry of the column layout of a text export: the first item of an
// output column carries the column's number (1, 2, 3 ...), an item joined to
// the column before it carries 0. Item is an index into the catalogue.
struct TExportLayoutItem {
    qint32 Column = 0;
    qint32 Item = 0;
    bool operator==(const TExportLayoutItem &) const = default;
};

// The ordered column layout the export window edits, at most MaxItems items.
// After every edit the first item heads a column and the heads are numbered
// 1, 2, 3 ... in order. Rows are the layout grid's rows: row Count() is the
// grid's empty last row.
class TExportLayout
{
public:
    static constexpr int MaxItems = 100;

    [[nodiscard]] const QList<TExportLayoutItem> &Items() const { return m_items; }
    [[nodiscard]] int Count() const { return int(m_items.size()); }
    [[nodiscard]] bool IsEmpty() const { return m_items.isEmpty(); }
    [[nodiscard]] bool IsFull() const { return m_items.size() >= MaxItems; }
    [[nodiscard]] int ColumnCount() const;

    // セット: a new column of Item at Row; false when the layout is full.
    [[nodiscard]] bool Set(int Row, int Item);
    // 連結: Item joined after Row (after the last item at the empty row);
    // false when full.
    [[nodiscard]] bool Join(int Row, int Item);
    // 全セット: every catalogue item, each its own column.
    void SetAll();
    // 削除: the item at Row (the last at the empty row); a joined item
    // after a deleted head becomes the head.
    void Delete(int Row);
    void Clear() { m_items.clear(); }
    // ↑ and ↓: the row the selection moves to.
    [[nodiscard]] int MoveUp(int Row);
    [[nodiscard]] int MoveDown(int Row);
    [[nodiscard]] bool CanMoveUp(int Row) const;
    [[nodiscard]] bool CanMoveDown(int Row) const;

    // The settings keys Layout1 ... : one text per column, its items'
    // indexes joined by ",".
    [[nodiscard]] QStringList ToKeys() const;
    // Reads the keys back (the list stops at the first empty one). Parts
    // that are not catalogue indexes are left out.
    void FromKeys(const QStringList &Keys);
    // Every address-table field the layout's items read.
    [[nodiscard]] QStringList Fields() const;

private:
    void renumber();
    QList<TExportLayoutItem> m_items;
};

// The header line (without its line end), CP932: the header names of the
// items (ExportHeaderNames), "," before each further column and "＋" before
// a joined item; a column whose name holds a comma or a double quote (a
// keyword caption kept from an older settings file) is quoted by the rule
// of the lines (CsvField), any other is written as it is.
[[nodiscard]] QByteArray BuildExportHeader(const TExportLayout &Layout, const QStringList &Captions);
// The line of the record at which Table stands (without its line end): each
// column the values of its items without separator, written by CsvField
// (enclosed in double quotes when Quote, or when it holds a comma or a
// double quote, inner quotes doubled), columns joined by ",".
[[nodiscard]] QString BuildExportLine(const TExportLayout &Layout, TTable &Table, const TExportContext &Context,
                                      bool Quote);
// The same line in code page 932, appended to Out.
void AppendExportLine(const TExportLayout &Layout, const TExportItemReader &Reader, const TExportContext &Context,
                      bool Quote, QByteArray &Out);

struct TExportOptions {
    bool OutHeader = true;
    bool BindDblQuote = false;
};

struct TExportRunResult {
    int Written = 0;
    bool Cancelled = false;
    QString Failure; // the device refused a write: the output is incomplete
    int LossyLines = 0; // lines with a name the code page cannot hold ("?" in its place)
};

// Writes the header (when asked) and one CP932 line ended by CR LF per record
// of Records that is still in Table, in their order, into Out. Records gone
// from the table are skipped. Next is called after each record; false stops
// the writing (cancelled). A few records are found one by one; many are read
// in one pass over the table in record-number order (far cheaper than a
// search per record) and written in the order of Records afterwards.
[[nodiscard]] TExportRunResult WriteExportRows(QIODevice &Out, TTable &Table, const TRunRecords &Records,
                                               const TExportLayout &Layout, const TExportContext &Context,
                                               const TExportOptions &Options, const QStringList &Captions,
                                               const std::function<bool()> &Next = {});

// Puts Bytes in place as the file Path through a safe replace; with Append
// after the file's present content (on a line of their own). A file left
// aside by an interrupted replace is put back first. A target that is no
// regular file, or (appending) one larger than ExportAppendTargetMax, is
// refused before it is opened or read. False with the reason when anything
// failed: the file is then as it was. Appending, *RecordsBefore (when given)
// is how many records the file held before (CountExportRecords with Header).
[[nodiscard]] bool SaveExportFile(const QString &Path, bool Append, const QByteArray &Bytes, QString *Error,
                                  const QByteArray &Header = {}, int *RecordsBefore = nullptr);

// The records of an exported file as an import reads them: one a line (CR
// LF, LF or CR ends one), empty lines and the lines equal to Header (the
// header line of an export of the same items, at the top or after an
// earlier append) left out.
[[nodiscard]] int CountExportRecords(QByteArrayView Content, QByteArrayView Header);

// The largest file an append export adds to: the file is read whole and
// written again with the new lines.
inline constexpr qint64 ExportAppendTargetMax = 256LL * 1024 * 1024;
// Something there that is no regular file (a folder, a named pipe, a
// device): an export neither opens nor replaces it.
[[nodiscard]] bool IsNonRegularExportTarget(const QString &Path);
[[nodiscard]] QString NonRegularExportTargetMessage(const QString &Path);
[[nodiscard]] QString AppendTargetTooLargeMessage(const QString &Path);

// An existing file its owner made read-only, or that the user may not write:
// an export does not replace it behind that protection (a replace would only
// need the folder writable).
[[nodiscard]] bool IsReadOnlyExportTarget(const QString &Path);
// The message for such a target.
[[nodiscard]] QString ReadOnlyExportTargetMessage(const QString &Path);
