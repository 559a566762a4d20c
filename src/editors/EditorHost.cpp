#include "editors/EditorHost.h"

#include "addressbook/AdrsList.h"
#include "core/DBInfo.h"
#include "dialogs/SenderData.h"
#include "editors/PrintLoop.h"
#include "platform/Table.h"

namespace {

// The main list's row interface as the print wizard reads it; no rows
// while the window is missing.
class TMainListRows final : public TPrintRowSource
{
public:
    int RowCount() const override { return AddressList ? AddressList->GetRowCount() : 0; }
    bool IsRowSelected(int Row) const override { return AddressList && AddressList->IsRowSelected(Row); }
    qint32 RowRecNo(int Row) const override { return AddressList ? AddressList->GetRowRecNo(Row) : 0; }
    int FirstSelected() const override { return AddressList ? AddressList->GetFirstSelected() : -1; }
};

class TMainListHost final : public TEditorHost
{
public:
    qint32 CurrentRecNo() const override
    {
        if (!AddressList)
            return 0;
        int row = AddressList->GetFirstSelected();
        if (row < 0)
            row = AddressList->GetFocusedIndex();
        return row < 0 ? 0 : AddressList->GetRowRecNo(row);
    }
    QList<qint32> SelectedRecNos() const override
    {
        QList<qint32> recNos;
        if (!AddressList)
            return recNos;
        for (const TRunRecord &record : AddressList->SelectedRunRecords())
            recNos << record.RecNo;
        return recNos;
    }
    std::optional<TAddressText> ReadRecord(qint32 RecNo) const override
    {
        if (!DMMurven19 || !DMMurven19->AdrsTable() || RecNo <= 0)
            return std::nullopt;
        return TableRecordSource(*DMMurven19->AdrsTable())(RecNo);
    }
    // The printed sender under the address record's names, so the sender's
    // items and the sender mode merge the sender whose contact lines print.
    std::optional<TAddressText> SenderRecord() const override
    {
        const std::optional<TSenderData> sender = PrintedSender();
        if (!sender)
            return std::nullopt;
        return SenderAddressText(*sender);
    }
    // The chosen sender, else the default one, else the first of the
    // sender table; SenderRecord takes the same, so the contact lines always
    // belong to the sender whose name and address print beside them.
    std::optional<TSenderData> PrintedSender() const override
    {
        if (!DMMurven19 || !DMMurven19->SenderTable() || !DMMurven19->OpenSender())
            return std::nullopt;
        TTable &table = *DMMurven19->SenderTable();
        // A read error goes to the caller; the table is closed again either
        // way.
        struct TClose {
            ~TClose() { DMMurven19->CloseSender(); }
        } close;
        std::optional<TSenderData> sender;
        for (const qint32 recNo : {SenderNo(), DefaultSenderNo})
            if (!sender && recNo > 0)
                sender = FindSenderByRecNo(table, recNo);
        if (!sender) {
            table.First();
            if (!table.Eof())
                sender = ReadSenderFields(table);
        }
        return sender;
    }
    TRecordSource PrintRecordSource() const override
    {
        // Without a book no record of the run can be read: the run stops.
        if (!DMMurven19 || !DMMurven19->AdrsTable())
            return [](qint32 RecNo) -> std::optional<TAddressText> {
                if (RecNo <= 0)
                    return std::nullopt;
                throw ETableError(QStringLiteral("住所録が開かれていません"));
            };
        auto table = std::make_shared<TTable>();
        table->SetTableName(DMMurven19->AdrsTable()->TableName());
        table->SetPassword(TablePassword);
        try {
            table->Open();
        } catch (const ETableError &e) {
            // The list's shared handle is no stand-in: its cursor is the
            // list's, and a run reads ahead on a handle of its own. The run
            // is refused with the cause, before anything prints.
            const QString cause = e.Message();
            return [cause](qint32 RecNo) -> std::optional<TAddressText> {
                if (RecNo <= 0)
                    return std::nullopt;
                throw ETableError(QStringLiteral("印刷用に住所録を開けませんでした\r\n") + cause);
            };
        }
        // The handle lives as long as the run's source and closes with it.
        // A read that fails raises to the run, which stops with the reason.
        return TableRecordSource(std::move(table));
    }
    const TPrintRowSource &PrintRows() const override { return m_rows; }
    std::unique_ptr<TPrintMarkSource> PrintMarks() const override
    {
        // A book that is not open reads as holding no record.
        const QString path = DMMurven19 && DMMurven19->AdrsTable() ? DMMurven19->AdrsTable()->TableName() : QString();
        return std::make_unique<TTablePrintMarks>(path, TablePassword);
    }

private:
    TMainListRows m_rows;
};

} // namespace

TRecordSource TEditorHost::PrintRecordSource() const
{
    return [this](qint32 RecNo) { return ReadRecord(RecNo); };
}

TEditorHost &MainListHost()
{
    static TMainListHost host;
    return host;
}
