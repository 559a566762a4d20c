#include "core/BkupDat.h"
#include "core/RestDat.h"

#include "WizardFixture.h"
#include "core/AdrsSel.h"
#include "core/Env.h"
#include "core/Main.h"
#include "DataFolderBooks.h"
#include "platform/IniFile.h"
#include "platform/SafeFile.h"
#include "support/DataFolders.h"
#include "support/FileHelpers.h"
#include "support/Screenshot.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"
#include "util/MsgBoxPos.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

using Wizards = WizardFixture;

TEST_F(Wizards, backupOffersANewDatedFolderBesideTheDataFolder)
{
    TBackupData wizard;
    const QString dest = child<QLineEdit>(wizard, "edtDest")->text();
    EXPECT_FALSE(dest.startsWith(DataPath));
    EXPECT_TRUE(dest.startsWith(DataRoot + QStringLiteral("Backup/"))) << qPrintable(dest);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("\\d{8} \\d{6}/$")).match(dest).hasMatch()) << qPrintable(dest);
}

struct RefusedDest
{
    const char *dest; // relative to the data folder
    const char *message;
};
class BackupRefuses : public Wizards, public ::testing::WithParamInterface<RefusedDest>
{
};
TEST_P(BackupRefuses, destinationAndStaysOnTheFirstPage)
{
    TBackupData wizard;
    child<QLineEdit>(wizard, "edtDest")->setText(DataPath + QString::fromUtf8(GetParam().dest));
    wizard.btnNextClick();
    EXPECT_EQ(wizard.Page(), 0);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QString::fromUtf8(GetParam().message));
}
INSTANTIATE_TEST_SUITE_P(
    Folders, BackupRefuses,
    ::testing::Values(RefusedDest{"", "現在使用しているデータ保存フォルダーを指定しています  "},
                      RefusedDest{"Adrs/Book1/copy", "バックアップするフォルダーの中は保存先に指定できません  "}));

TEST_F(Wizards, backupRunsAfterTheQuestionAndListsEachItemDone)
{
    TBackupData wizard;
    const QString dest = home.root() + "/usb/backup/";
    child<QLineEdit>(wizard, "edtDest")->setText(dest);
    wizard.btnNextClick();
    ASSERT_EQ(wizard.Page(), 1);
    EXPECT_GT(wizard.Space.NeedSize, 0);
    boxes.enqueue(IDYES); // back up
    boxes.enqueue(IDYES); // make the folder
    wizard.btnBackupClick();
    EXPECT_EQ(wizard.Page(), 2);
    EXPECT_EQ(boxes.shown().at(1).text, QStringLiteral("保存先フォルダーが見つかりません  \r\n作成してもよろしいですか？  "));
    EXPECT_EQ(marks(wizard), (QStringList{"○", "○"})); // the book and the (empty) sender folder
    EXPECT_FALSE(saveScreenshot(&wizard, QStringLiteral("BackupData-result")).isEmpty());
    EXPECT_EQ(BookMarkers(dest + "Adrs/Book1/Adrs.DB"), Markers("a", 3));
}

TEST_F(Wizards, backupOntoAStickThatFoldsCaseRefusesBooksDifferingOnlyInCase)
{
    WriteMarkedBook(AdrsPath + "Abc", "upper", 2);
    WriteMarkedBook(AdrsPath + "abc", "lower", 3);
    AdrsFolderList = {{"Abc", "Abc", AdrsStateUnchanged}, {"abc", "abc", AdrsStateUnchanged}};
    SetLetterCaseProbe([](const QString &) { return true; });
    TBackupData wizard;
    const QString dest = home.root() + "/stick/backup/";
    child<QLineEdit>(wizard, "edtDest")->setText(dest);
    wizard.btnNextClick();
    wizard.btnBackupClick();
    SetLetterCaseProbe({});
    EXPECT_EQ(wizard.Page(), 1);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("Abc / abc"))) << qPrintable(boxes.last().text);
    EXPECT_FALSE(QFileInfo::exists(dest));
}

TEST_F(Wizards, backupWarnsOfADamagedLiveTable)
{
    WriteMarkedBook(AdrsPath + "Book2", "big", 400);
    DamageLastPage(AdrsPath + "Book2/Adrs.DB");
    AdrsFolderList.append({"仕事", "Book2", AdrsStateUnchanged});
    TBackupData wizard;
    child<QLineEdit>(wizard, "edtDest")->setText(home.root() + "/usb/backup/");
    wizard.btnNextClick();
    boxes.enqueue(IDYES);
    boxes.enqueue(IDYES);
    wizard.btnBackupClick();
    EXPECT_EQ(wizard.Page(), 2);
    EXPECT_EQ(marks(wizard), (QStringList{"○", "×", "○"}));
    ASSERT_EQ(boxes.count(), 3);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("次のデータファイルは壊れているため")));
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("アドレス帳： 仕事")));
}

TEST_F(Wizards, backupAnsweredNoWritesNothing)
{
    TBackupData wizard;
    const QString dest = home.root() + "/usb/backup/";
    child<QLineEdit>(wizard, "edtDest")->setText(dest);
    wizard.btnNextClick();
    wizard.btnBackupClick(); // the default answer of the question is No
    EXPECT_EQ(wizard.Page(), 1);
    EXPECT_FALSE(QFileInfo::exists(dest));
}

TEST_F(Wizards, enterInTheBackupFolderMovesToNextWithoutStarting)
{
    TBackupData wizard;
    wizard.show();
    auto *edit = child<QLineEdit>(wizard, "edtDest");
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(wizard.focusWidget(), child<QPushButton>(wizard, "btnNext"));
    EXPECT_EQ(wizard.Page(), 0);
    EXPECT_EQ(boxes.count(), 0);
    edit->clear();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(wizard.focusWidget(), child<QPushButton>(wizard, "bbtnBrowseDest"));
}

TEST_F(Wizards, enterWalksTheRestoreFoldersToNext)
{
    TRestoreData wizard;
    wizard.show();
    auto *src = child<QLineEdit>(wizard, "edtSrc");
    src->setText(home.root() + "/backup/");
    src->setFocus();
    QTest::keyClick(src, Qt::Key_Return);
    EXPECT_EQ(wizard.focusWidget(), child<QRadioButton>(wizard, "rbNowDataPath"));
    QTest::keyClick(wizard.focusWidget(), Qt::Key_Return);
    EXPECT_EQ(wizard.focusWidget(), child<QPushButton>(wizard, "btnNext"));
    EXPECT_EQ(wizard.Page(), 0);
}

TEST_F(Wizards, restoreRefusesAFolderThatIsNoBackup)
{
    const QString src = home.root() + "/photos/";
    QDir().mkpath(src);
    writeBytes(src + "a.jpg", "jpeg");
    TRestoreData wizard;
    child<QLineEdit>(wizard, "edtSrc")->setText(src);
    wizard.btnNextClick();
    EXPECT_EQ(wizard.Page(), 0);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("復元元フォルダーには復元するデータがありません  "));
}

TEST_F(Wizards, restoreRefusesADestinationInsideTheSource)
{
    const QString src = home.root() + "/backup/";
    WriteMarkedBook(src + "Adrs/Book1", "new", 2);
    TRestoreData wizard;
    child<QLineEdit>(wizard, "edtSrc")->setText(src);
    child<QRadioButton>(wizard, "rbSelectDataPath")->setChecked(true);
    child<QLineEdit>(wizard, "edtDest")->setText(src + "inner");
    wizard.btnNextClick();
    EXPECT_EQ(wizard.Page(), 0);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("復元元フォルダーの中は復元先に指定できません  "));
}

TEST_F(Wizards, restoreIntoTheDataFolderClosesTheTablesFirstAndKeepsTheDataFolder)
{
    const QString src = home.root() + "/backup/";
    WriteMarkedBook(src + "Adrs/Book1", "new", 2);
    TRestoreData wizard;
    bool closed = false;
    wizard.CloseTables = [&closed] { closed = true; };
    child<QLineEdit>(wizard, "edtSrc")->setText(src);
    wizard.btnNextClick();
    ASSERT_EQ(wizard.Page(), 1);
    boxes.enqueue(IDYES);
    wizard.btnRestoreClick();
    EXPECT_TRUE(closed);
    EXPECT_TRUE(wizard.TablesClosed);
    EXPECT_EQ(wizard.Page(), 2);
    EXPECT_FALSE(wizard.GetChangeDataPath());
    EXPECT_FALSE(child<QCheckBox>(wizard, "chkChangeDataPath")->isEnabled());
    EXPECT_EQ(BookMarkers(AdrsPath + "Book1/Adrs.DB"), Markers("new", 2));
}

TEST_F(Wizards, restoreIntoAnotherFolderCanMakeItTheDataFolder)
{
    const QString src = home.root() + "/backup/";
    const QString dest = home.root() + "/second/";
    WriteMarkedBook(src + "Adrs/Book1", "new", 2);
    TRestoreData wizard;
    child<QLineEdit>(wizard, "edtSrc")->setText(src);
    child<QRadioButton>(wizard, "rbSelectDataPath")->setChecked(true);
    child<QLineEdit>(wizard, "edtDest")->setText(dest);
    wizard.btnNextClick();
    boxes.enqueue(IDYES);
    boxes.enqueue(IDYES);
    wizard.btnRestoreClick();
    ASSERT_EQ(wizard.Page(), 2);
    EXPECT_FALSE(wizard.TablesClosed);
    EXPECT_TRUE(wizard.GetChangeDataPath());
    EXPECT_FALSE(saveScreenshot(&wizard, QStringLiteral("RestoreData-result")).isEmpty());
    wizard.btnCloseClick();
    EXPECT_EQ(DataPath, dest);
    EXPECT_EQ(AdrsPath, dest + "Adrs/");
    EXPECT_EQ(TMemIniFile(SettingsFileName()).ReadString("BASE", "DataPath", QString()), dest);
    EXPECT_EQ(BookMarkers(dest + "Adrs/Book1/Adrs.DB"), Markers("new", 2));
}

} // namespace

namespace {

// The backup wizard run to its result page into Folder, both questions
// answered yes.
void backUpTo(TBackupData &Wizard, const QString &Folder, ScriptedMessageBoxes &Boxes)
{
    Wizard.findChild<QLineEdit *>(QStringLiteral("edtDest"))->setText(Folder);
    Wizard.btnNextClick();
    Boxes.enqueue(IDYES);
    Boxes.enqueue(IDYES);
    Wizard.btnBackupClick();
    ASSERT_EQ(Wizard.Page(), 2);
}

// The restore wizard run to its result page from the backup in Folder.
void restoreFrom(TRestoreData &Wizard, const QString &Folder, ScriptedMessageBoxes &Boxes)
{
    Wizard.findChild<QLineEdit *>(QStringLiteral("edtSrc"))->setText(Folder);
    Wizard.btnNextClick();
    ASSERT_EQ(Wizard.Page(), 1);
    Boxes.enqueue(IDYES);
    Wizard.btnRestoreClick();
    ASSERT_EQ(Wizard.Page(), 2);
}

// The rows of the result list: label and mark.
QStringList resultRows(QWidget &wizard)
{
    QStringList rows;
    auto *list = wizard.findChild<QTreeWidget *>(QStringLiteral("lvResult"));
    for (int i = 0; list && i < list->topLevelItemCount(); ++i)
        rows << list->topLevelItem(i)->text(0) + QLatin1Char(' ') + list->topLevelItem(i)->text(1);
    return rows;
}

TEST_F(Wizards, restoreListsTheSenderRowTheBackupListed)
{
    // A new user's data folder: one book, no sender entered yet.
    const QString backup = home.root() + "/usb/backup/";
    TBackupData backupWizard;
    ASSERT_NO_FATAL_FAILURE(backUpTo(backupWizard, backup, boxes));
    ASSERT_TRUE(resultRows(backupWizard).contains(QStringLiteral("差出人ファイル ○"))) << qPrintable(resultRows(backupWizard).join(", "));

    TRestoreData restoreWizard;
    ASSERT_NO_FATAL_FAILURE(restoreFrom(restoreWizard, backup, boxes));
    EXPECT_TRUE(resultRows(restoreWizard).contains(QStringLiteral("差出人ファイル ○")))
        << qPrintable(resultRows(restoreWizard).join(", "));
}

// The cells of the result list, one string a row: caption, mark, reason.
QStringList resultCells(QWidget &wizard)
{
    QStringList rows;
    auto *list = wizard.findChild<QTreeWidget *>(QStringLiteral("lvResult"));
    for (int i = 0; list && i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = list->topLevelItem(i);
        rows << row->text(0) + QLatin1Char('|') + row->text(1) + QLatin1Char('|') + row->text(2);
    }
    return rows;
}

QStringList resultCaptions(QWidget &wizard)
{
    QStringList captions;
    for (const QString &row : resultCells(wizard))
        captions << row.section(QLatin1Char('|'), 0, 0);
    return captions;
}

TEST_F(Wizards, restoreOfABackupListsEveryFileTheBackupListed)
{
    // A data folder as a user has it after a while: the book in the folder
    // named after it, senders with a default one chosen, a saved postcard,
    // a history and a filter pattern.
    WriteMarkedBook(AdrsPath + QStringLiteral("家族"), "a", 3);
    AdrsFolderList = {{"家族", "家族", AdrsStateUnchanged}};
    ASSERT_TRUE(SaveBookOrder(nullptr));
    WriteSenderTable(OtherPath, 2);
    writeBytes(DataPath + "Sender.ini", "[SENDER]\r\nDefault=1\r\n");
    QDir().mkpath(DataPath + "Layout");
    QDir().mkpath(HistoryPath);
    writeBytes(DataPath + "Layout/年賀状.gpl", "layout");
    writeBytes(HistoryPath + "Post.mtd", "部長\r\n");
    writeBytes(DataPath + "Search.ptn", "pattern");

    const QString backup = home.root() + "/usb/backup/";
    TBackupData backupWizard;
    ASSERT_NO_FATAL_FAILURE(backUpTo(backupWizard, backup, boxes));
    ASSERT_TRUE(resultCaptions(backupWizard).contains(QStringLiteral("差出人情報ファイル")))
        << qPrintable(resultCells(backupWizard).join(", "));

    TRestoreData restoreWizard;
    ASSERT_NO_FATAL_FAILURE(restoreFrom(restoreWizard, backup, boxes));
    EXPECT_EQ(resultCaptions(restoreWizard).join(QStringLiteral(", ")).toStdString(),
              resultCaptions(backupWizard).join(QStringLiteral(", ")).toStdString());
    // The default sender stays the destination's own, and the row says so.
    EXPECT_TRUE(resultCells(restoreWizard).contains(QStringLiteral("差出人情報ファイル|－|復元対象外")))
        << qPrintable(resultCells(restoreWizard).join(", "));
    EXPECT_FALSE(saveScreenshot(&restoreWizard, QStringLiteral("RestoreData-result-beside-backup")).isEmpty());
}

// An input history the restore could not put in place (a folder of its name
// stands there) is listed as not restored, with its cause; the rest is.
TEST_F(Wizards, restoreListsAHistoryFileItCouldNotRestoreAsNotRestored)
{
    WriteMarkedBook(AdrsPath + QStringLiteral("家族"), "a", 1);
    AdrsFolderList = {{"家族", "家族", AdrsStateUnchanged}};
    ASSERT_TRUE(SaveBookOrder(nullptr));
    QDir().mkpath(HistoryPath);
    writeBytes(HistoryPath + "Post.mtd", "部長\r\n");
    writeBytes(HistoryPath + "Dptmnt.mtd", "営業部\r\n");
    const QString backup = home.root() + "/usb/backup/";
    TBackupData backupWizard;
    ASSERT_NO_FATAL_FAILURE(backUpTo(backupWizard, backup, boxes));
    ASSERT_TRUE(QFile::remove(HistoryPath + "Post.mtd"));
    ASSERT_TRUE(QDir().mkpath(HistoryPath + "Post.mtd/kept"));

    TRestoreData restoreWizard;
    ASSERT_NO_FATAL_FAILURE(restoreFrom(restoreWizard, backup, boxes));
    const QStringList cells = resultCells(restoreWizard);
    const QString failed = DataFileLabel(QStringLiteral("Post.mtd")) + QStringLiteral("|×|");
    const auto row = std::find_if(cells.cbegin(), cells.cend(), [&](const QString &c) { return c.startsWith(failed); });
    ASSERT_NE(row, cells.cend()) << qPrintable(cells.join(", "));
    EXPECT_GT(row->size(), failed.size()) << "no cause given";
    EXPECT_TRUE(cells.contains(DataFileLabel(QStringLiteral("Dptmnt.mtd")) + QStringLiteral("|○|")))
        << qPrintable(cells.join(", "));
}

TEST_F(Wizards, restoreThatCannotWriteTheSettingsKeepsTheDataFolderInMemoryToo)
{
    const QString src = home.root() + "/backup/";
    const QString dest = home.root() + "/second/";
    WriteMarkedBook(src + "Adrs/Book1", "new", 2);
    const QString before = DataPath;
    TRestoreData wizard;
    child<QLineEdit>(wizard, "edtSrc")->setText(src);
    child<QRadioButton>(wizard, "rbSelectDataPath")->setChecked(true);
    child<QLineEdit>(wizard, "edtDest")->setText(dest);
    wizard.btnNextClick();
    boxes.enqueue(IDYES);
    boxes.enqueue(IDYES);
    wizard.btnRestoreClick();
    ASSERT_TRUE(wizard.GetChangeDataPath());
    SafeFile::setFailureHook([](SafeFile::Step step) { return step == SafeFile::Step::WriteTemporary; });
    wizard.btnCloseClick();
    SafeFile::setFailureHook({});
    EXPECT_EQ(DataPath, before);
    EXPECT_EQ(AdrsPath, before + "Adrs/");
    EXPECT_FALSE(wizard.GetChangeDataPath());
    EXPECT_NE(TMemIniFile(SettingsFileName()).ReadString("BASE", "DataPath", QString()), dest);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("設定ファイルに書き込めませんでした")));
}

TEST_F(Wizards, restoreIntoAFolderTooLongForTheSettingsDoesNotOfferItAsTheDataFolder)
{
    const QString src = home.root() + "/backup/";
    WriteMarkedBook(src + "Adrs/Book1", "new", 2);
    // With its trailing '/', one character more than the settings keep.
    const QString base = home.root() + "/";
    const QString dest = base + QString(MaxDataPathLength - base.size(), QLatin1Char('d'));
    TRestoreData wizard;
    child<QLineEdit>(wizard, "edtSrc")->setText(src);
    child<QRadioButton>(wizard, "rbSelectDataPath")->setChecked(true);
    child<QLineEdit>(wizard, "edtDest")->setText(dest);
    wizard.btnNextClick();
    boxes.enqueue(IDYES);
    boxes.enqueue(IDYES);
    wizard.btnRestoreClick();
    ASSERT_EQ(wizard.Page(), 2);
    EXPECT_EQ(BookMarkers(dest + "/Adrs/Book1/Adrs.DB"), Markers("new", 2));
    EXPECT_FALSE(wizard.GetChangeDataPath());
    EXPECT_FALSE(child<QCheckBox>(wizard, "chkChangeDataPath")->isEnabled());
}

TEST_F(Wizards, restoreOntoANewDataFolderEndsARunOnTheStandInFolder)
{
    const QString src = home.root() + "/backup/";
    const QString dest = home.root() + "/second/";
    WriteMarkedBook(src + "Adrs/Book1", "new", 2);
    UnavailableDataPath = home.root() + "/unplugged/";
    TRestoreData wizard;
    child<QLineEdit>(wizard, "edtSrc")->setText(src);
    child<QRadioButton>(wizard, "rbSelectDataPath")->setChecked(true);
    child<QLineEdit>(wizard, "edtDest")->setText(dest);
    wizard.btnNextClick();
    boxes.enqueue(IDYES);
    boxes.enqueue(IDYES);
    wizard.btnRestoreClick();
    wizard.btnCloseClick();
    const QString left = UnavailableDataPath;
    UnavailableDataPath.clear();
    EXPECT_EQ(DataPath, dest);
    EXPECT_TRUE(left.isEmpty()) << qPrintable(left);
}

} // namespace
