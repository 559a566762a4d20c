#pragma once

#include "exchange/ListPrtPaint.h"

#include <QStringList>

#include <array>
#include <memory>
#include <optional>

class TTable;
class TAddressList;

// The cell texts of the address table's current record, one per chosen
// column (item 1, the running number, is left to the painter). groupNames
// are the open book's ([1..10]); phone numbers are hyphenated with the
// dictionary of dataFolder.
[[nodiscard]] QStringList ListPrintRowTexts(TTable &table, const TListPrintJob &job,
                                            const std::array<QString, 11> &groupNames, const QString &dataFolder);

// The same for many records of one table: the fields are looked up once.
// Read() reads the table's current record.
class TListRowReader
{
public:
    TListRowReader(TTable &table, const TListPrintJob &job, const std::array<QString, 11> &groupNames,
                   const QString &dataFolder);
    ~TListRowReader();
    TListRowReader(const TListRowReader &) = delete;
    TListRowReader &operator=(const TListRowReader &) = delete;
    // The texts of the record the table stands on.
    [[nodiscard]] QStringList Read();
    // Finds the record by its number and reads its texts; nothing when the
    // book no longer holds it. Records fetched one after another are found
    // a batch under one read of the book (held while the reader lives, a
    // batch at most): taking and giving back the file's lock for every
    // record costs more than reading it.
    [[nodiscard]] std::optional<QStringList> Fetch(qint32 RecNo);
    // Gives the book back now (the records fetched so far are read): the
    // next Fetch takes it again.
    void Release();

private:
    struct TImpl;
    std::unique_ptr<TImpl> d;
};

// The record numbers to print, taken from the main list before the run, in
// its order: 0 the selected rows, 1 the 1-based positions begin..end, 2 every
// shown row. Positions outside the list are left out.
[[nodiscard]] std::vector<qint32> TakeListPrintRecords(const TAddressList &list, int dataSelect, int beginPos,
                                                       int endPos);

// Those of records that table still holds, in their order: one look at the
// book's record numbers, not a search for each record. Raises ETableError
// when the book cannot be read.
[[nodiscard]] std::vector<qint32> ListPrintRecordsLeft(TTable &table, const std::vector<qint32> &records);

// The left and top margin fields: millimetres with one decimal typed as
// text, taken as tenths of a millimetre ("12.5" -> 125, "12." -> 120, "5" ->
// 50); nullopt for anything else ("1.25", "123", two points, blanks between
// digits, a point alone) and for values outside 0..500.
[[nodiscard]] std::optional<int> ParseListPrintMargin(const QString &text);
[[nodiscard]] QString ListPrintMarginText(int tenths);
