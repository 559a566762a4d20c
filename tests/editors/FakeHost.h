#pragma once

#include "editors/EditorHost.h"
#include "editors/PrintLoop.h"

// A host over a book of its own: the current record and the selection are
// what the test sets; the sender is the record the test gives.
class FakeHost : public TEditorHost
{
public:
    explicit FakeHost(TTable &Table) : m_source(TableRecordSource(Table)) {}

    qint32 CurrentRecNo() const override { return Current; }
    QList<qint32> SelectedRecNos() const override { return Selected; }
    std::optional<TAddressData> ReadRecord(qint32 RecNo) const override { return m_source(RecNo); }
    std::optional<TAddressData> SenderRecord() const override { return Sender; }

    qint32 Current = 1;
    QList<qint32> Selected;
    std::optional<TAddressData> Sender;

private:
    TRecordSource m_source;
};
