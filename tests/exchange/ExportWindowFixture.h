#pragma once

#include "addressbook/BookFixture.h"
#include "core/AppSub.h"
#include "exchange/FExport.h"
#include "platform/Cp932.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <functional>

// The setting of the export windows' tests: a book of six records shown in
// the main list, each filled by Fill(table, i) before it is posted, and the
// file target that a run writes.
class ExportWindowFixture : public BookFixture
{
protected:
    void openBookOfSix(const std::function<void(TTable &, int)> &Fill)
    {
        DMMurven19->CreateDatabase();
        DMMurven19->Connect();
        DMMurven19->CreateAdrsTable(QStringLiteral("Book1"));
        ASSERT_TRUE(DMMurven19->OpenAdrs());
        TTable &table = *DMMurven19->AdrsTable();
        for (int i = 0; i < 6; ++i) {
            table.Append();
            Fill(table, i);
            table.Post();
        }
        DMMurven19->CloseAdrs();
        openList();
    }
    // The six records named 名0 .. 名5 with the honorific 様 (and what More
    // fills in), and the export window's file dialog answered with the text
    // file target.
    void openNamedBookForExport(const std::function<void(TTable &, int)> &More = {})
    {
        ASSERT_NO_FATAL_FAILURE(openBookOfSix([&More](TTable &table, int i) {
            table.FieldByName(QStringLiteral("NameKanji")).SetAsBytes(EncodeUnicodeField(QStringLiteral("名%1").arg(i)));
            table.FieldByName(QStringLiteral("Honor")).SetAsBytes(Cp932::encode(QStringLiteral("様")));
            if (More)
                More(table, i);
        }));
        RegisterFileExport();
        TFileExport::SaveDialogOverride = [this](const QString &, int &filter) {
            filter = 1;
            return target;
        };
    }
    QByteArray written() const
    {
        QFile file(target);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString target;
};
