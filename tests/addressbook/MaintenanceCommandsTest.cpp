// The main list's backup, restore and table maintenance commands.
#include "DtInqiryFixture.h"

#include "core/BkupDat.h"
#include "core/ConvKykbn.h"
#include "core/DBInfo.h"
#include "core/GrpEdt.h"
#include "core/Env.h"
#include "core/OptData.h"
#include "core/RestDat.h"
#include "platform/SafeFile.h"
#include "support/KeyInput.h"
#include "util/MsgBoxPos.h"
#include "widgets/RecordRun.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTreeWidget>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using MaintenanceCommandsTest = RecordFormTest;

struct RestoreRun {
    bool reached = false; // the wizard came to its result page
    QStringList rows;     // the result list's rows: caption and mark
};

// The restore command run through its wizard from the backup in Folder,
// its question answered yes, and the wizard closed from its result page.
RestoreRun restoreThroughTheCommand(QAction *Restore, const QString &Folder, ScriptedMessageBoxes &Boxes)
{
    RestoreRun run;
    QTimer::singleShot(0, [&] {
        auto *wizard = qobject_cast<TRestoreData *>(QApplication::activeModalWidget());
        ASSERT_NE(wizard, nullptr);
        wizard->findChild<QLineEdit *>(QStringLiteral("edtSrc"))->setText(Folder);
        wizard->btnNextClick();
        Boxes.enqueue(IDYES);
        wizard->btnRestoreClick();
        run.reached = wizard->Page() == 2;
        auto *result = wizard->findChild<QTreeWidget *>(QStringLiteral("lvResult"));
        for (int i = 0; result && i < result->topLevelItemCount(); ++i)
            run.rows << result->topLevelItem(i)->text(0) + QLatin1Char(' ') + result->topLevelItem(i)->text(1);
        wizard->btnCloseClick();
    });
    Restore->trigger();
    return run;
}

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

    EXPECT_TRUE(restoreThroughTheCommand(action("actRestore"), backup, boxes).reached);
    EXPECT_EQ(list->GetRowCount(), kBookRows);
    EXPECT_EQ(DMMurven19->AdrsOpenCount(), 1);
    for (const TMessageBoxRequest &box : boxes.shown())
        EXPECT_NE(box.flags & 0x10, 0x10u) << qPrintable(box.text);
}

// A backup whose group names a save killed between its two renames left
// under their aside name still restores them.
TEST_F(MaintenanceCommandsTest, restoreTakesTheGroupNamesABackupHoldsUnderTheirAsideName)
{
    AdrsFolderList[0].Name = AdrsFolderList[0].Folder;
    AdrsName = AdrsFolderList[0].Name;
    // The user names the groups, ...
    const auto nameGroups = [this](const QStringList &names) {
        const int told = boxes.count();
        TGruopEdit editor(list.get());
        for (int i = 0; i < names.size(); ++i) {
            auto *edit = editor.findChild<QLineEdit *>(QStringLiteral("edtGroup%1").arg(i + 1));
            ASSERT_NE(edit, nullptr);
            edit->selectAll();
            TypeCharacters(edit, names[i]);
        }
        editor.findChild<QPushButton *>(QStringLiteral("btnOk"))->click();
        ASSERT_EQ(boxes.count(), told) << qPrintable(boxes.last().text);
    };
    ASSERT_NO_FATAL_FAILURE(nameGroups({QStringLiteral("得意先"), QStringLiteral("仕入先")}));
    // ... backs the data up through the backup wizard, ...
    QTemporaryDir dir;
    const QString backup = dir.path() + QStringLiteral("/backup/");
    bool backedUp = false;
    QTimer::singleShot(0, [&] {
        auto *wizard = qobject_cast<TBackupData *>(QApplication::activeModalWidget());
        ASSERT_NE(wizard, nullptr);
        wizard->findChild<QLineEdit *>(QStringLiteral("edtDest"))->setText(backup);
        wizard->btnNextClick();
        boxes.enqueue(IDYES); // back up
        boxes.enqueue(IDYES); // make the folder
        wizard->btnBackupClick();
        backedUp = wizard->Page() == 2;
        wizard->findChild<QPushButton *>(QStringLiteral("btnClose"))->click();
    });
    action("actBackup")->trigger();
    ASSERT_TRUE(backedUp);
    // ... whose group names a save of them, killed between its renames,
    // left under their aside name, ...
    const QString inBackup = backup + QStringLiteral("Adrs/Book1/") + GroupDataFile;
    const QString aside = SafeReplaceBackupPath(inBackup);
    ASSERT_FALSE(aside.isEmpty());
    ASSERT_TRUE(QFile::rename(inBackup, aside));
    // ... renames the groups since, and restores the backup.
    ASSERT_NO_FATAL_FAILURE(nameGroups({QStringLiteral("旧友"), QStringLiteral("親戚")}));
    const int before = boxes.count();
    const QStringList rows = restoreThroughTheCommand(action("actRestore"), backup, boxes).rows;
    EXPECT_EQ(boxes.count(), before + 1) << "the restore question only";
    EXPECT_TRUE(rows.contains(QStringLiteral("グループ名： Book1 ○"))) << qPrintable(rows.join(u'|'));

    // The record form's group list shows the names the backup held.
    openNew();
    QStringList shown;
    for (int i = 1; i < combo(QStringLiteral("cbxGroup"))->count(); ++i)
        shown << combo(QStringLiteral("cbxGroup"))->itemText(i);
    ASSERT_EQ(shown.size(), 10);
    EXPECT_TRUE(shown[0].endsWith(QStringLiteral("得意先"))) << qPrintable(shown[0]);
    EXPECT_TRUE(shown[1].endsWith(QStringLiteral("仕入先"))) << qPrintable(shown[1]);
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
