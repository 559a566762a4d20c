#pragma once

#include "core/AddressText.h"
#include "dialogs/PrtList.h"
#include "dialogs/SenderData.h"
#include "editors/RecordSource.h"

#include <QList>

#include <functional>
#include <memory>
#include <optional>

// What an editor needs of the window it prints for: the record to merge
// while editing, the records to print (taken before the run starts) and the
// records themselves. The main list supplies it (MainListHost); tests hand
// a fake, so an editor is tested without the main list.
class TEditorHost
{
public:
    virtual ~TEditorHost() = default;
    // The record the editors merge (the first selected row), 0 for none.
    [[nodiscard]] virtual qint32 CurrentRecNo() const = 0;
    // The selected rows' records, in row order.
    [[nodiscard]] virtual QList<qint32> SelectedRecNos() const = 0;
    // The record as text, or nothing when the book no longer holds it. Quiet;
    // a book that cannot be read raises ETableError: the page shows the
    // record as empty, a print run stops with the reason.
    [[nodiscard]] virtual std::optional<TAddressText> ReadRecord(qint32 RecNo) const = 0;
    // The sender the card and sender modes merge, as an address record's
    // text (SenderAddressText), or nothing.
    [[nodiscard]] virtual std::optional<TAddressText> SenderRecord() const = 0;
    // The sender the editors print (its RecNo), chosen in the sender
    // window; 0 for the default sender.
    [[nodiscard]] virtual qint32 SenderNo() const { return m_senderNo; }
    virtual void SetSenderNo(qint32 RecNo) { m_senderNo = RecNo; }
    // The same sender as a sender record, its contact lines included, for
    // the additional lines that print them; nothing by default.
    [[nodiscard]] virtual std::optional<TSenderData> PrintedSender() const { return std::nullopt; }
    // The records of one print run, read by number; by default ReadRecord.
    // The main list's host reads them through a table handle of the run's
    // own, so that printing never moves the list's shared cursor.
    [[nodiscard]] virtual TRecordSource PrintRecordSource() const;
    // The list's rows as the print wizard walks them: display order, the
    // selection and each row's record.
    [[nodiscard]] virtual const TPrintRowSource &PrintRows() const = 0;
    // The records' print marks, read by record number through a table
    // handle of their own (the list's shared cursor never moves).
    [[nodiscard]] virtual std::unique_ptr<TPrintMarkSource> PrintMarks() const = 0;

private:
    qint32 m_senderNo = 0;
};

// The host over the program-wide main list window and its open book; null
// records while either is missing.
TEditorHost &MainListHost();
