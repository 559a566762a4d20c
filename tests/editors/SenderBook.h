#pragma once

#include "core/AppSub.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "dialogs/SenderData.h"
#include "support/DataFolders.h"
#include "support/TestEnvironment.h"

#include <QDir>

#include <stdexcept>

// A data folder of its own whose sender table holds one private sender.
class SenderBook
{
public:
    SenderBook()
    {
        for (const QString &folder : {DataRoot, DataPath, OtherPath, HistoryPath})
            QDir().mkpath(folder);
        DefaultSenderNo = 0;
        DMMurven19 = new TDMMurven19;
        DMMurven19->CreateSenderTable();
        if (!DMMurven19->OpenSender())
            throw std::runtime_error("sender table not opened");
        TSenderData d;
        d.Title = QStringLiteral("自宅");
        d.Name = QStringLiteral("差出 太郎");
        d.SelectInfo = 1;
        d.Pos = QStringLiteral("1000014");
        d.Tdfkn = QStringLiteral("東京都");
        d.Adrs1 = QStringLiteral("千代田区永田町");
        d.Adrs2 = QStringLiteral("1-7-1");
        add(5, d);
        d.Title = QStringLiteral("会社");
        d.Name = QStringLiteral("差出 花子");
        add(6, d);
        DMMurven19->CloseSender();
    }
    ~SenderBook()
    {
        FreeDataModule();
        DefaultSenderNo = 0;
    }
    static void add(qint32 RecNo, const TSenderData &D)
    {
        TTable &t = *DMMurven19->SenderTable();
        t.Append();
        t.FieldByName(QStringLiteral("RecNo")).SetAsInteger(RecNo);
        WriteSenderFields(t, D);
        PostAndFlush(t);
    }

    ScopedHome home;
    ScopedDataFolders folders{home.root()};
};
