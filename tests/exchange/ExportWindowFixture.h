#pragma once

#include "addressbook/BookFixture.h"
#include "core/AppSub.h"

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
    QByteArray written() const
    {
        QFile file(target);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString target;
};
