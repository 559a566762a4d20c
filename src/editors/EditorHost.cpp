#include "editors/EditorHost.h"

#include "addressbook/AdrsList.h"
#include "core/DBInfo.h"
#include "dialogs/SenderData.h"
#include "editors/PrintLoop.h"
#include "platform/Table.h"

namespace {

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
    std::optional<TAddressData> ReadRecord(qint32 RecNo) const override
    {
        if (!DMMurven19 || !DMMurven19->AdrsTable() || RecNo <= 0)
            return std::nullopt;
        return TableRecordSource(*DMMurven19->AdrsTable())(RecNo);
    }
    // The chosen sender, else the default one, else the first of the
    // sender table, its fields under the address record's names.
    std::optional<TAddressData> SenderRecord() const override
    {
        if (!DMMurven19 || !DMMurven19->SenderTable() || !DMMurven19->OpenSender())
            return std::nullopt;
        TTable &table = *DMMurven19->SenderTable();
        std::optional<TAddressData> sender;
        bool found = false;
        for (const qint32 recNo : {SenderNo(), DefaultSenderNo})
            if (!found && recNo > 0)
                found = table.Locate(QStringLiteral("RecNo"), {recNo});
        if (!found)
            table.First();
        if (!table.Eof()) {
            TAddressData data;
            auto bytes = [&table](const char *Name) { return table.FieldByName(QLatin1String(Name)).AsBytes(); };
            data.NameKanji = bytes("Name");
            data.Pos = bytes("Pos");
            data.Tdfkn = bytes("Tdfkn");
            data.Adrs1 = bytes("Adrs1");
            data.Adrs2 = bytes("Adrs2");
            data.Adrs3 = bytes("Adrs3");
            data.CorpKanji = bytes("Corp");
            data.Dptmnt = bytes("Dptmnt");
            data.Post = bytes("Post");
            data.Tel = bytes("Tel");
            sender = data;
        }
        DMMurven19->CloseSender();
        return sender;
    }
};

} // namespace

TEditorHost &MainListHost()
{
    static TMainListHost host;
    return host;
}
