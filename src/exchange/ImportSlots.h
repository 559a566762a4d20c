#pragma once

#include "exchange/ImportFields.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

#include <array>

// Where each of the 61 destination fields of the import takes its value
// from: up to nine slots a row, filled from the left, each a column of the
// file, a column whose first-line value was blank (shown as "項目n"), or a
// constant the user typed. At run time the filled slots of a row are joined
// without separator. The model is what the import window's grids show and
// what its commands change; it lives as long as the window and is cleared by
// every file load.
class TImportAssignment
{
public:
    static constexpr int SlotCount = 9;

    enum class TSlotKind { Empty, Column, BlankColumn, Constant };
    struct TSlot {
        TSlotKind Kind = TSlotKind::Empty;
        int Column = -1; // 0-based position in the split line
        QString Text;    // what the grid shows
        bool operator==(const TSlot &) const = default;
    };

    // The first line's fields, split with their quotes kept.
    void SetSamples(const QList<QByteArray> &FirstLineParts);
    [[nodiscard]] int SampleCount() const { return int(m_samples.size()); }
    // The sample text as the grid shows it (quotes kept, not trimmed).
    [[nodiscard]] QString SampleText(int Index) const;
    // The sample's text as a line's field gives it (CsvFieldText: enclosing
    // quotes off, doubled quotes halved): what the header names are matched
    // with.
    [[nodiscard]] QString SampleValue(int Index) const;

    // Rows are 1..61, slots 1..9.
    [[nodiscard]] const TSlot &Slot(int Row, int Index) const;
    [[nodiscard]] int FilledCount(int Row) const;
    [[nodiscard]] bool IsAssigned(int Row) const { return FilledCount(Row) > 0; }
    [[nodiscard]] bool AnyAssigned() const;
    [[nodiscard]] bool IsFull(int Row) const { return FilledCount(Row) == SlotCount; }

    // Puts sample Index into the first free slot of Row; the slot filled,
    // 0 when the row is full.
    int PutSample(int Row, int Index);
    // A constant (trimmed) into the first free slot; 0 when the row is full
    // or the text is blank.
    int PutConstant(int Row, const QString &Text);
    // Empties the last filled slot; the slot emptied, 0 when none.
    int DeleteLast(int Row);
    void ClearRow(int Row);
    void ClearAll();
    // Swaps the slots of two rows.
    void SwapRows(int Row, int Other);

    // The automatic assignment: every row whose header name appears in the
    // first line takes that column (the prefecture column before the address
    // column in row 10); a column goes to one row at most, and the name the
    // program's export writes for a row (ColumnName) is matched exactly
    // before any row tries its other names. Clears the assignment first.
    void AutoAssign(const std::array<TImportField, ImportFieldCount> &Fields);
    // Whether the first line is a header line as the program's own export
    // writes it: every field that is not blank is a header name of some row
    // (or one of OtherNames, the export's captions the import has no row
    // for), and at least one is. Such a file is assigned when it is loaded.
    [[nodiscard]] bool IsHeaderLine(const std::array<TImportField, ImportFieldCount> &Fields,
                                    const QStringList &OtherNames) const;

    // The values of one line split into parts (quotes removed).
    [[nodiscard]] TImportValues Values(const QList<QByteArray> &Parts) const;
    // The value of one row (1..61) of such a line.
    [[nodiscard]] QByteArray Value(int Row, const QList<QByteArray> &Parts) const;
    [[nodiscard]] TImportAssigned Assigned() const;

private:
    QList<QByteArray> m_samples;
    std::array<std::array<TSlot, SlotCount>, ImportFieldCount> m_rows{};
};
