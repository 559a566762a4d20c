// The main list's backup, restore and table maintenance commands.
#include "DtInqiryFixture.h"

#include "core/BkupDat.h"
#include "core/ConvKykbn.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "core/OptData.h"
#include "core/RestDat.h"
#include "util/MsgBoxPos.h"
#include "widgets/RecordRun.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using MaintenanceCommandsTest = RecordFormTest;

TEST_F(MaintenanceCommandsTest, commandsAreAvailableWithABookOpen)
{
    for (const char *name : {"actBackup", "actRestore", "actOptimize", "actRepairIndex", "actConvertKykbn",
                             "actConvertAdrsPos"})
        EXPECT_TRUE(action(name)->isEnabled()) << name;
}

TEST_F(MaintenanceCommandsTest, restoringTheOpenBookReopensItWithTheRestoredRecords)
{
    // The book as a scan of the data folder names it: after the restore the
    // list reads the books from the folders again.
    AdrsFolderList[0].Name = AdrsFolderList[0].Folder;
    AdrsName = AdrsFolderList[0].Name;
    QTemporaryDir dir;
    const QString backup = dir.path() + QStringLiteral("/backup/");
    ASSERT_TRUE(RunBackup(DataPath, backup, {{AdrsFolderList[0].Name, AdrsFolderList[0].Folder}}).AllDone());
    TTable &table = *DMMurven19->AdrsTable();
    for (int i = 0; i < 2; ++i) {
        table.Append();
        table.FieldByName(QStringLiteral("Tel")).SetAsString(QStringLiteral("0399990000"));
        table.Post();
    }
    list->RefreshList(false, true, false);
    ASSERT_EQ(list->GetRowCount(), kBookRows + 2);

    bool drove = false;
    QTimer::singleShot(0, [&] {
        auto *wizard = qobject_cast<TRestoreData *>(QApplication::activeModalWidget());
        ASSERT_NE(wizard, nullptr);
        wizard->findChild<QLineEdit *>(QStringLiteral("edtSrc"))->setText(backup);
        wizard->btnNextClick();
        boxes.enqueue(IDYES);
        wizard->btnRestoreClick();
        drove = wizard->Page() == 2;
        wizard->btnCloseClick();
    });
    action("actRestore")->trigger();
    EXPECT_TRUE(drove);
    EXPECT_EQ(list->GetRowCount(), kBookRows);
    EXPECT_EQ(DMMurven19->AdrsOpenCount(), 1);
    for (const TMessageBoxRequest &box : boxes.shown())
        EXPECT_NE(box.flags & 0x10, 0x10u) << qPrintable(box.text);
}

TEST_F(MaintenanceCommandsTest, optimiseEndsWithItsMessageAndTheListStillShowsTheBook)
{
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<TOptimizeData *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        boxes.enqueue(IDYES);
        dialog->btnOptimizeClick();
        if (QApplication::activeModalWidget() == dialog)
            dialog->reject();
    });
    action("actOptimize")->trigger();
    ASSERT_GE(boxes.count(), 2);
    EXPECT_EQ(boxes.last().text, QStringLiteral("最適化が完了しました  "));
    EXPECT_EQ(list->GetRowCount(), kBookRows);
}

TEST_F(MaintenanceCommandsTest, areaCodeConversionReportsItsCountsAndTheListShowsTheNewNumber)
{
    TTable &table = *DMMurven19->AdrsTable();
    table.Append();
    table.FieldByName(QStringLiteral("Tel")).SetAsString(QStringLiteral("0101234567"));
    table.Post();
    list->RefreshList(false, true, false);
    ASSERT_EQ(list->GetRowCount(), kBookRows + 1);
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<TConvertKykbn *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        boxes.enqueue(IDYES);
        dialog->btnConvertClick();
        if (QApplication::activeModalWidget() == dialog)
            dialog->reject();
    });
    action("actConvertKykbn")->trigger();
    ASSERT_GE(boxes.count(), 2);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("局番変換が完了しました"))) << qPrintable(boxes.last().text);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("変換件数 = 1 件"))) << qPrintable(boxes.last().text);
    EXPECT_EQ(list->GetRowCount(), kBookRows + 1);
    ASSERT_TRUE(FindRunRecord(table, list->GetRowRecNo(kBookRows)));
    EXPECT_EQ(table.FieldByName(QStringLiteral("Tel")).AsString(), QStringLiteral("09011234567"));
}

} // namespace
