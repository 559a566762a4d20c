#pragma once

#include "editors/EditorHost.h"
#include "core/DBInfo.h"
#include "editors/PrintLoop.h"
#include "platform/Table.h"

// The list rows a test sets: record numbers in display order and the
// selected rows.
class FakeRows : public TPrintRowSource
{
public:
    int RowCount() const override { return int(RecNos.size()); }
    bool IsRowSelected(int Row) const override { return SelectedRows.contains(Row); }
    qint32 RowRecNo(int Row) const override { return RecNos.value(Row); }
    int FirstSelected() const override
    {
        for (int row = 0; row < RowCount(); ++row)
            if (IsRowSelected(row))
                return row;
        return -1;
    }

    QList<qint32> RecNos;
    QList<int> SelectedRows;
};

// A host over a book of its own: the current record, the rows and the
// selection are what the test sets; the sender is the record the test
// gives (Sender, and Contacts for its contact lines); the print marks are read from the book's file by a handle of
// their own.
class FakeHost : public TEditorHost
{
public:
    explicit FakeHost(TTable &Table) : m_table(Table), m_source(TableRecordSource(Table)) {}

    qint32 CurrentRecNo() const override { return Current; }
    QList<qint32> SelectedRecNos() const override { return Selected; }
    std::optional<TAddressText> ReadRecord(qint32 RecNo) const override { return m_source(RecNo); }
    std::optional<TAddressText> SenderRecord() const override { return Sender; }
    std::optional<TSenderData> PrintedSender() const override { return Contacts; }
    const TPrintRowSource &PrintRows() const override { return Rows; }
    std::unique_ptr<TPrintMarkSource> PrintMarks() const override
    {
        return std::make_unique<TTablePrintMarks>(m_table.TableName(), TablePassword);
    }

    qint32 Current = 1;
    QList<qint32> Selected;
    std::optional<TAddressText> Sender;
    // The same sender as a sender record (its contact lines).
    std::optional<TSenderData> Contacts;
    FakeRows Rows;

private:
    TTable &m_table;
    TRecordSource m_source;
};
