#pragma once

#include "core/DBInfo.h"
#include "core/Env.h"
#include "dialogs/SenderData.h"
#include "platform/Table.h"
#include "support/DataFolders.h"
#include "support/TestEnvironment.h"

#include <QDir>

#include <gtest/gtest.h>

// A data folder of its own in a temporary home with a fresh data module
// whose sender table is open, as the editors open it for their dialogs.
class SenderFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const QString &folder : {DataRoot, DataPath, OtherPath, HistoryPath})
            QDir().mkpath(folder);
        DefaultSenderNo = 0;
        DMMurven19 = new TDMMurven19;
        DMMurven19->CreateSenderTable();
        ASSERT_TRUE(DMMurven19->OpenSender());
    }
    void TearDown() override
    {
        FreeDataModule();
        DefaultSenderNo = 0;
    }

    static TTable &table() { return *DMMurven19->SenderTable(); }

    static void addSender(qint32 RecNo, const TSenderData &Data)
    {
        TTable &t = table();
        t.Append();
        t.FieldByName(QStringLiteral("RecNo")).SetAsInteger(RecNo);
        WriteSenderFields(t, Data);
        PostAndFlush(t);
    }
    static TSenderData titled(const QString &Title)
    {
        TSenderData d;
        d.Title = Title;
        return d;
    }

    ScopedHome home;
    ScopedDataFolders folders{home.root()};
};
