#include "addressbook/BookFixture.h"
#include "core/Env.h"
#include "core/GrpEdt.h"
#include "widgets/RecordRun.h"
#include "exchange/FImport.h"
#include "exchange/ImportConv.h"
#include "exchange/ImportFile.h"
#include "platform/IniFile.h"
#include "core/HisInfo.h"
#include "exchange/ConstIn.h"
#include "exchange/SetOrdVw.h"
#include "exchange/Zvkcrtpup.h"
#include "support/KeyInput.h"
#include "support/Screenshot.h"

#include "widgets/ByteLimitValidator.h"

#include <QApplication>
#include <QCheckBox>
#include <QValidator>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QScopeGuard>
#include <QTimer>

namespace {

// Counts the completion's searches and finds nothing.
class NoLookup : public TImportAddressLookup
{
public:
    std::optional<TImportFoundAddress> Find(const QByteArray &) override
    {
        ++calls;
        return std::nullopt;
    }
    int calls = 0;
};

class FileImportTest : public BookFixture
{
protected:
    void SetUp() override
    {
        BookFixture::SetUp();
        DMMurven19->CreateDatabase();
        DMMurven19->Connect();
        DMMurven19->CreateAdrsTable(QStringLiteral("Book1"));
        ASSERT_TRUE(DMMurven19->OpenAdrs());
        TFileImport::LookupOverride = &lookup;
    }
    void TearDown() override
    {
        TFileImport::LookupOverride = nullptr;
        BookFixture::TearDown();
    }
    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = DataPath + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QByteArray sj(const char *utf8) { return Cp932::encode(QString::fromUtf8(utf8)); }
    TTable &table() { return *DMMurven19->AdrsTable(); }

    NoLookup lookup;
};

TEST_F(FileImportTest, loadingShowsTheFirstLineAndEnablesTheCommands)
{
    TFileImport window(nullptr);
    EXPECT_FALSE(window.btnImport->isEnabled());
    ASSERT_TRUE(window.LoadFile(writeFile(QStringLiteral("in.csv"), sj("名前,電話,\"住所\"\r\n山田,03,東京\r\n"))));
    EXPECT_EQ(window.sgSrc->rowCount(), 3);
    EXPECT_EQ(window.sgSrc->item(2, 1)->text(), QStringLiteral("\"住所\""));
    EXPECT_EQ(window.cbxMatchingFileItem->count(), 3);
    EXPECT_TRUE(window.btnImport->isEnabled());
    EXPECT_TRUE(window.sgDest->isEnabled());
}

TEST_F(FileImportTest, errorLogRefusedAsInput)
{
    TFileImport window(nullptr);
    EXPECT_FALSE(window.LoadFile(writeFile(QStringLiteral("InError.txt"), "a,b\r\n")));
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("エラー時に出力するファイルと同じため")));
}

TEST_F(FileImportTest, emptyFileRefused)
{
    TFileImport window(nullptr);
    EXPECT_FALSE(window.LoadFile(writeFile(QStringLiteral("empty.csv"), "")));
    EXPECT_EQ(boxes.last().text, QStringLiteral("指定したテキストファイルには内容がありませんでした  "));
}

// A file past the limit (sparse here: no disk is used) is refused before it is read.
TEST_F(FileImportTest, aFileBeyondTheSizeLimitIsRefusedWithTheLimitNamed)
{
    TFileImport window(nullptr);
    const QString path = writeFile(QStringLiteral("huge.csv"), sj("名前\r\n"));
    ASSERT_TRUE(QFile::resize(path, TImportFile::MaxFileBytes + 1));
    EXPECT_FALSE(window.LoadFile(path));
    ASSERT_GT(boxes.count(), 0);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("ファイルが大きすぎます（取り込めるのは 256 MB までです）")))
        << boxes.last().text.toStdString();
    EXPECT_FALSE(window.btnImport->isEnabled());
}

TEST_F(FileImportTest, utf8FileWarnedWhenLoaded)
{
    TFileImport window(nullptr);
    EXPECT_TRUE(window.LoadFile(writeFile(QStringLiteral("u.csv"), QString::fromUtf8("データ\r\nテスト\r\n").toUtf8())));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("UTF-8")));
}

TEST_F(FileImportTest, setThenAddFillSlotsOfTheCurrentRow)
{
    TFileImport window(nullptr);
    ASSERT_TRUE(window.LoadFile(writeFile(QStringLiteral("in.csv"), sj("姓,名\r\n"))));
    window.SetCurrentRow(irName);
    window.SetCurrentSample(0);
    EXPECT_FALSE(window.bbtnSet->isHidden());
    QTest::mouseClick(window.bbtnSet, Qt::LeftButton);
    EXPECT_TRUE(window.bbtnSet->isHidden());
    window.SetCurrentSample(1);
    QTest::mouseClick(window.bbtnAdd, Qt::LeftButton);
    EXPECT_EQ(window.sgDest->item(irName - 1, 2)->text(), QStringLiteral("名"));
    EXPECT_TRUE(window.bbtnUp->isEnabled());
    QTest::mouseClick(window.bbtnDelete, Qt::LeftButton);
    EXPECT_EQ(window.Assignment().FilledCount(irName), 1);
}

TEST_F(FileImportTest, importAddsRecordsWritesOptionsAndCloses)
{
    TFileImport window(nullptr);
    ASSERT_TRUE(window.LoadFile(writeFile(QStringLiteral("in.csv"),
                                          sj("名前,電話,住所\r\n山田,03-1111-2222,東京都新宿区\r\n鈴木,,\r\n"))));
    boxes.enqueue(IDYES); // automatic assignment
    QTest::mouseClick(window.bbtnAllSet, Qt::LeftButton);
    EXPECT_TRUE(window.chkSkipRecord->isChecked());
    boxes.enqueue(IDYES); // start
    window.btnImportClick();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(table().RecordCount(), 2);
    EXPECT_EQ(boxes.last().text, QStringLiteral("テキストファイルの追加取り込みが完了しました  \r\n\r\n"
                                                "読込件数 : 2 件  \r\n登録件数 : 2 件  "));
    EXPECT_TRUE(QFileInfo::exists(DataPath + QStringLiteral("backup.imp/Adrs/テスト/Adrs.DB")));
    TMemIniFile ini(SettingsFileName());
    EXPECT_TRUE(ini.ReadBool(QStringLiteral("FILE IMPORT"), QStringLiteral("SkipRecord"), false));
    EXPECT_EQ(lookup.calls, 1); // only the record with an address
}

// While the import runs, the group-name editor of another program (a second
// window on the book) names a group: the group the import adds is written
// beside it, and the other's name stays.
TEST_F(FileImportTest, aGroupNameAnotherProgramGivesDuringTheRunStays)
{
    const auto namesBefore = GroupNames;
    const auto restore = qScopeGuard([&namesBefore] { GroupNames = namesBefore; });
    TFileImport window(nullptr);
    ASSERT_TRUE(window.LoadFile(writeFile(QStringLiteral("in.csv"),
                                          sj("グループ名,名前\r\n取引先,山田\r\n取引先,鈴木\r\n"))));
    boxes.enqueue(IDYES); // automatic assignment
    QTest::mouseClick(window.bbtnAllSet, Qt::LeftButton);
    const int serveEvery = TRecordRun::ServeEveryMs;
    TRecordRun::ServeEveryMs = 0;
    bool duringTheRun = false;
    QTimer::singleShot(0, [&duringTheRun] {
        duringTheRun = TRecordRun::Running();
        TMemIniFile other(GroupFileName(QStringLiteral("Book1")));
        other.WriteString(QStringLiteral("GROUP"), QStringLiteral("Group5"), QStringLiteral("家族"));
        EXPECT_TRUE(other.UpdateFile());
    });
    boxes.enqueue(IDYES); // start
    window.btnImportClick();
    TRecordRun::ServeEveryMs = serveEvery;
    EXPECT_TRUE(duringTheRun);
    EXPECT_EQ(window.result(), QDialog::Accepted);
    const TGroupNameList stored = ReadGroupNames(QStringLiteral("Book1"));
    EXPECT_EQ(stored[1], QStringLiteral("取引先"));
    EXPECT_EQ(stored[5], QStringLiteral("家族"));
    EXPECT_EQ(GroupNames[5], QStringLiteral("家族"));
}

// The records are in, the list of those refused could not be written: the
// completion says so as a warning, not as plain news.
TEST_F(FileImportTest, anUnwritableErrorLogIsWarnedOfAfterTheRecordsAreIn)
{
    ASSERT_TRUE(QDir(DataPath).mkpath(QStringLiteral("InError.txt"))); // a folder in the log's place
    TFileImport window(nullptr);
    ASSERT_TRUE(window.LoadFile(writeFile(QStringLiteral("in.csv"), sj("名前\r\n山田\r\n") + "\x81\x20\r\n")));
    window.SetCurrentRow(irName);
    window.SetOrAdd();
    boxes.enqueue(IDYES);
    window.btnImportClick();
    EXPECT_EQ(table().RecordCount(), 1) << "the line that is not Shift-JIS is refused";
    ASSERT_FALSE(boxes.shown().isEmpty());
    const TMessageBoxRequest &done = boxes.last();
    EXPECT_TRUE(done.text.contains(QStringLiteral("InError.txt"))) << qPrintable(done.text);
    EXPECT_TRUE(done.text.contains(QStringLiteral("ファイルではありません"))) << qPrintable(done.text);
    EXPECT_NE(done.flags & MB_ICONWARNING, 0u) << qPrintable(done.text);
    EXPECT_EQ(done.flags & MB_ICONINFORMATION, 0u);
}

TEST_F(FileImportTest, failedSafetyCopyStopsBeforeAnythingIsWritten)
{
    writeFile(QStringLiteral("backup.imp"), "in the way");
    TFileImport window(nullptr);
    ASSERT_TRUE(window.LoadFile(writeFile(QStringLiteral("in.csv"), sj("名前\r\n山田\r\n"))));
    window.SetCurrentRow(irName);
    window.SetOrAdd();
    boxes.enqueue(IDYES);
    window.btnImportClick();
    EXPECT_EQ(table().RecordCount(), 0);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("バックアップが作成できなかった")));
    EXPECT_NE(window.result(), QDialog::Accepted);
}

TEST_F(FileImportTest, answeringNoStartsNothing)
{
    TFileImport window(nullptr);
    ASSERT_TRUE(window.LoadFile(writeFile(QStringLiteral("in.csv"), sj("名前\r\n山田\r\n"))));
    window.SetCurrentRow(irName);
    window.SetOrAdd();
    window.btnImportClick(); // the default answer is No
    EXPECT_EQ(table().RecordCount(), 0);
}

TEST_F(FileImportTest, updateByCustomCodeEmptiesTheCodeRow)
{
    TFileImport window(nullptr);
    window.rbImportUpdate->setChecked(true);
    window.rbCustomCode->setChecked(true);
    ASSERT_TRUE(window.LoadFile(writeFile(QStringLiteral("in.csv"), sj("顧客コード\r\nA1\r\n"))));
    window.SetCurrentRow(irCustomCode);
    window.SetOrAdd();
    window.btnImportClick();
    ASSERT_GE(boxes.count(), 2);
    EXPECT_TRUE(boxes.shown()[boxes.count() - 2].text.startsWith(QStringLiteral("顧客コードで突き合わすため")));
    EXPECT_EQ(boxes.last().text, QStringLiteral("入力する項目がセットされていません  "));
    EXPECT_FALSE(window.Assignment().IsAssigned(irCustomCode));
}

TEST_F(FileImportTest, addOptionsDisabledInUpdateMode)
{
    TFileImport window(nullptr);
    window.rbImportUpdate->setChecked(true);
    EXPECT_FALSE(window.chkNotAutoSupplement->isEnabled());
    EXPECT_FALSE(window.chkSetCorp->isEnabled());
    window.rbImportAdd->setChecked(true);
    EXPECT_TRUE(window.chkSetCorp->isEnabled());
}

TEST_F(FileImportTest, rememberedFileShownOnlyWhileItExists)
{
    const QString kept = writeFile(QStringLiteral("kept.csv"), "a\r\n");
    TMemIniFile ini(SettingsFileName());
    ini.WriteString(QStringLiteral("FILE IMPORT"), QStringLiteral("File"), kept);
    ASSERT_TRUE(ini.UpdateFile());
    {
        TFileImport window(nullptr);
        EXPECT_EQ(window.edtFile->text(), kept);
        EXPECT_FALSE(window.FileLoaded());
    }
    QFile::remove(kept);
    TFileImport window(nullptr);
    EXPECT_TRUE(window.edtFile->text().isEmpty());
}

TEST_F(FileImportTest, unknownSetCorpTypeReadAsAll)
{
    TMemIniFile ini(SettingsFileName());
    ini.WriteInteger(QStringLiteral("FILE IMPORT"), QStringLiteral("SetCorpType"), 7);
    ASSERT_TRUE(ini.UpdateFile());
    TFileImport window(nullptr);
    EXPECT_TRUE(window.rbAll->isChecked());
}

TEST_F(FileImportTest, skipFirstOnAOneLineFileDoesNotStart)
{
    TFileImport window(nullptr);
    ASSERT_TRUE(window.LoadFile(writeFile(QStringLiteral("in.csv"), sj("名前,電話\r\n"))));
    window.SetCurrentRow(irName);
    window.SetOrAdd();
    window.chkSkipRecord->setChecked(true);
    window.btnImportClick();
    EXPECT_EQ(boxes.last().text, QStringLiteral("指定したテキストファイルには  \r\n内容が１件しかありませんでした  "));
    EXPECT_EQ(table().RecordCount(), 0);
}

TEST_F(FileImportTest, enteredWordsGoIntoTheHistories)
{
    TFileImport window(nullptr);
    ASSERT_TRUE(window.LoadFile(writeFile(QStringLiteral("in.csv"), sj("部署,名前\r\n営業企画部,山田\r\n"))));
    boxes.enqueue(IDYES);
    window.AutoAssign();
    boxes.enqueue(IDYES);
    window.btnImportClick();
    ASSERT_EQ(table().RecordCount(), 1);
    EXPECT_EQ(DMMurven19->DptmntHistory()->IndexOf(sj("営業企画部")), 0);
}

// One input history that cannot be written costs only itself: the records
// are in, the other histories are saved, and the completion box warns and
// names the file.
TEST_F(FileImportTest, anUnwritableHistoryIsWarnedOfAndTheOthersAreSaved)
{
    const QString dptmnt = DMMurven19->DptmntHistory()->FileName();
    QFile::remove(dptmnt);
    ASSERT_TRUE(QDir().mkpath(dptmnt)); // a folder in the history file's place
    TFileImport window(nullptr);
    ASSERT_TRUE(window.LoadFile(writeFile(QStringLiteral("in.csv"), sj("部署,役職,名前\r\n営業企画部,課長,山田\r\n"))));
    boxes.enqueue(IDYES);
    window.AutoAssign();
    boxes.enqueue(IDYES);
    window.btnImportClick();
    ASSERT_EQ(table().RecordCount(), 1);
    ASSERT_FALSE(boxes.shown().isEmpty());
    const TMessageBoxRequest &done = boxes.last();
    EXPECT_TRUE(done.text.contains(QStringLiteral("取り込みが完了しました"))) << qPrintable(done.text);
    EXPECT_TRUE(done.text.contains(QFileInfo(dptmnt).fileName())) << qPrintable(done.text);
    EXPECT_NE(done.flags & MB_ICONWARNING, 0u) << qPrintable(done.text);
    THistoryData post(DMMurven19->PostHistory()->FileName(), false, 50);
    ASSERT_TRUE(post.Load());
    EXPECT_EQ(post.IndexOf(sj("課長")), 0) << "the post history is saved after the department's failed";
}

TEST_F(FileImportTest, reEnteringTheLoadedPathKeepsTheAssignment)
{
    TFileImport window(nullptr);
    window.show();
    const QString path = writeFile(QStringLiteral("in.csv"), sj("名前\r\n山田\r\n"));
    window.edtFile->setText(path);
    QTest::keyClick(window.edtFile, Qt::Key_Return);
    ASSERT_TRUE(window.FileLoaded());
    window.SetCurrentRow(irName);
    window.SetOrAdd();
    window.edtFile->setFocus();
    QTest::keyClick(window.edtFile, Qt::Key_Return);
    EXPECT_TRUE(window.Assignment().IsAssigned(irName));
    saveScreenshot(&window, QStringLiteral("FileImport"));
}

TEST_F(FileImportTest, missingFileNamedWhenEntered)
{
    TFileImport window(nullptr);
    window.edtFile->setText(DataPath + QStringLiteral("none.csv"));
    QTest::keyClick(window.edtFile, Qt::Key_Return);
    EXPECT_EQ(boxes.last().text, QStringLiteral("指定したテキストファイルが見つかりません  "));
    EXPECT_FALSE(window.FileLoaded());
}

// The encrypted export's archive given to the import: named for what it is
// and how to read it, not shown as a line of text ("PK□□…").
TEST_F(FileImportTest, theEncryptedExportIsNamedWithHowToReadIt)
{
    const QString path = DataPath + QStringLiteral("export.zip");
    QString error;
    ASSERT_TRUE(CreateEncryptedExport(path, QStringLiteral("export.txt"), sj("名前\r\n山田\r\n"),
                                      QStringLiteral("Pyx2014a"), &error))
        << qPrintable(error);
    TFileImport window(nullptr);
    window.edtFile->setText(path);
    QTest::keyClick(window.edtFile, Qt::Key_Return);
    EXPECT_FALSE(window.FileLoaded());
    const QTableWidgetItem *first = window.findChild<QTableWidget *>(QStringLiteral("sgSrc"))->item(0, 1);
    EXPECT_TRUE(!first || first->text().isEmpty()) << qPrintable(first->text());
    ASSERT_GE(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("暗号化出力")) &&
                boxes.last().text.contains(QStringLiteral("7-Zip")))
        << qPrintable(boxes.last().text);
}

TEST_F(FileImportTest, upAndDownMoveTheSlots)
{
    TFileImport window(nullptr);
    ASSERT_TRUE(window.LoadFile(writeFile(QStringLiteral("in.csv"), sj("a,b\r\n"))));
    window.SetCurrentRow(2);
    window.SetCurrentSample(1);
    window.SetOrAdd();
    QTest::mouseClick(window.bbtnUp, Qt::LeftButton);
    EXPECT_EQ(window.Assignment().Slot(1, 1).Column, 1);
    EXPECT_FALSE(window.Assignment().IsAssigned(2));
    EXPECT_EQ(window.CurrentRow(), 1);
    EXPECT_FALSE(window.bbtnUp->isEnabled());
}

TEST_F(FileImportTest, enterInAnOptionMovesToTheNext)
{
    TFileImport window(nullptr);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.chkSetCorp->setChecked(true);
    window.rbAll->setFocus();
    QTest::keyClick(window.rbAll, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), window.chkPriorityClass);
    window.chkSkipRecord->setFocus();
    QTest::keyClick(window.chkSkipRecord, Qt::Key_Return);
    EXPECT_NE(QApplication::focusWidget(), window.chkSkipRecord);
    EXPECT_FALSE(window.chkSkipRecord->isChecked());
}

TEST(ConstantInput, blankTextActsAsCancel)
{
    TConstantInput dialog(nullptr, 10);
    dialog.edtConst->setText(QStringLiteral("   "));
    QTest::mouseClick(dialog.btnOk, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST(ConstantInput, textLimitedInBytesOfTheRow)
{
    TConstantInput limited(nullptr, 4);
    const auto *validator = qobject_cast<const TByteLimitValidator *>(limited.edtConst->validator());
    ASSERT_NE(validator, nullptr);
    EXPECT_EQ(validator->MaxBytes(), 4);
    EXPECT_EQ(validator->LimitUnit(), TLimitUnit::Cp932Bytes);
    // The note's constant has no limit of its own; it stays one line, as
    // every one-line edit does.
    TConstantInput memo(nullptr, 0);
    const auto *unlimited = qobject_cast<const TByteLimitValidator *>(memo.edtConst->validator());
    EXPECT_EQ(unlimited ? unlimited->MaxBytes() : 0, 0);
    memo.edtConst->setFocus();
    PasteText(memo.edtConst, QStringLiteral("一行目\n二行目"));
    EXPECT_EQ(memo.Text(), QStringLiteral("一行目 二行目"));
}

TEST(ConstantInput, dateButtonPutsToday)
{
    TConstantInput dialog(nullptr, 0);
    QTest::mouseClick(dialog.btnDate, Qt::LeftButton);
    EXPECT_EQ(dialog.Text(), QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
}

TEST(SetOrderView, listsTheNineSlots)
{
    TSetOrderView view(nullptr, {QStringLiteral("姓"), QStringLiteral("名")});
    EXPECT_EQ(view.sgView->rowCount(), 9);
    EXPECT_EQ(view.sgView->item(1, 1)->text(), QStringLiteral("名"));
    EXPECT_EQ(view.sgView->item(8, 0)->text(), QStringLiteral(" 9"));
}

// The set-order view of a destination row, opened the two ways a user opens
// it: a double click on the row, and セットした内容を確認 of its context menu
// (the row's menu entry enabled as the menu opens over a row that is set).
// It shows the file items set in that row, in their order.
class SetOrderViewOfARow : public FileImportTest, public ::testing::WithParamInterface<bool>
{
};

TEST_P(SetOrderViewOfARow, opensWithTheItemsSetInTheRow)
{
    const bool byMenu = GetParam();
    TFileImport window(nullptr);
    ASSERT_TRUE(window.LoadFile(writeFile(QStringLiteral("in.csv"), sj("姓,名\r\n"))));
    window.SetCurrentRow(irName);
    window.SetCurrentSample(0);
    QTest::mouseClick(window.bbtnSet, Qt::LeftButton);
    window.SetCurrentSample(1);
    QTest::mouseClick(window.bbtnAdd, Qt::LeftButton);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QStringList shown;
    std::function<void()> answer = [&] {
        auto *view = qobject_cast<TSetOrderView *>(QApplication::activeModalWidget());
        if (!view) {
            QTimer::singleShot(10, answer);
            return;
        }
        for (int i = 0; i < 2; ++i)
            shown << view->sgView->item(i, 1)->text();
        view->findChild<QPushButton *>(QStringLiteral("btnClose"))->click();
    };
    QTimer::singleShot(0, answer);
    if (byMenu) {
        window.SetCurrentRow(irName);
        ASSERT_TRUE(window.pmiSetView->isEnabled());
        window.pmiSetView->trigger();
    } else {
        emit window.sgDest->cellDoubleClicked(irName - 1, 0);
    }
    EXPECT_EQ(shown, (QStringList{QStringLiteral("姓"), QStringLiteral("名")}));
}

INSTANTIATE_TEST_SUITE_P(Ways, SetOrderViewOfARow, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &Info) {
                             return std::string(Info.param ? "contextMenu" : "doubleClick");
                         });

TEST_F(FileImportTest, mainListCommandOpensTheImportAndReloads)
{
    openList();
    QAction *command = action("actImportFile");
    ASSERT_NE(command, nullptr);
    EXPECT_TRUE(command->isEnabled());
    int opened = 0;
    const TFileImportOpener saved = FileImportOpener;
    FileImportOpener = [&](QWidget *) {
        ++opened;
        TTable &t = *DMMurven19->AdrsTable();
        t.Append();
        t.Post();
        return true;
    };
    command->trigger();
    FileImportOpener = saved;
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(list->GetRowCount(), 1);
}

} // namespace
