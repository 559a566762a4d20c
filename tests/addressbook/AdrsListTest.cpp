#include "addressbook/AdrsList.h"
#include "addressbook/DtInqiry.h"
#include "core/AppSub.h"
#include "directory/HDDInst.h"
#include "directory/NmAdSch.h"
#include "directory/WqareaWriter.h"
#include "platform/Cp932.h"
#include "platform/dic/wqarea17/WqareaSchema.h"
#include "support/DicProgramFolder.h"
#include "support/ScriptedMessageBoxes.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>

#include "../../bench/BookGenerator.h"
#include "addressbook/AdrsListModel.h"
#include "addressbook/AdrsSch.h"
#include "addressbook/AdrsListView.h"
#include "BookFixture.h"
#include "core/Environment.h"
#include "core/InfoDlg.h"
#include "core/Inquiry.h"
#include "core/VersionInfo.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "platform/SqlCipher.h"
#include "platform/Table.h"
#include "support/FileHelpers.h"
#include "support/KeyInput.h"
#include "support/OrdinaryUser.h"
#include "support/UnreadableNotices.h"
#include "util/SubUnit.h"
#include "widgets/RecordRun.h"
#include "widgets/TntComCtrls.h"
#include "widgets/TntForms.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressDialog>
#include <QRadioButton>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>

namespace {

constexpr int kRows = 12;
// Records (RecNo) carrying the search word in their first keyword.
const QString kWord = QStringLiteral("目印");
const QList<int> kWordRecords = {3, 12};

// A data folder in a temporary home holding one generated book "テスト"
// (RecNo 1..12) and a sender table with two senders, and the main list
// window opened on it the way the program opens it (first show).
// Runs Answer on the modal dialog of type D as soon as it shows (looked for
// every 10 ms from the event loop the command runs).
template <class D>
void AnswerModal(const std::function<void(D &)> &Answer)
{
    auto *dialog = qobject_cast<D *>(QApplication::activeModalWidget());
    if (!dialog) {
        QTimer::singleShot(10, [Answer] { AnswerModal<D>(Answer); });
        return;
    }
    Answer(*dialog);
}

class AddressListWindow : public BookFixture
{
protected:
    void SetUp() override
    {
        BookFixture::SetUp();
        writeBook();
    }

    void TearDown() override
    {
        closeWindow();
        BookFixture::TearDown();
    }

    static void writeBook()
    {
        DMMurven19->CreateAdrsTable(QStringLiteral("Book1"));
        ASSERT_TRUE(DMMurven19->OpenAdrs());
        TTable &table = *DMMurven19->AdrsTable();
        BookGenerator generator;
        for (int recNo = 1; recNo <= kRows; ++recNo) {
            const BookRecord r = generator.next();
            table.Append();
            table.FieldByName(QStringLiteral("Group")).SetAsInteger(recNo == 3 || recNo == 7 ? 10 : r.group % 10);
            const QList<QPair<QString, QString>> texts = {
                {QStringLiteral("Tel"), r.tel},           {QStringLiteral("Pos"), r.pos},
                {QStringLiteral("Tdfkn"), r.tdfkn},       {QStringLiteral("Adrs1"), r.adrs1},
                {QStringLiteral("Adrs2"), r.adrs2.mid(r.tdfkn.size() + r.adrs1.size())},
                {QStringLiteral("Adrs3"), r.adrs3},       {QStringLiteral("CorpKanji"), r.corpKanji},
                {QStringLiteral("NameKanji"), r.nameKanji}, {QStringLiteral("NameKana"), r.nameKana},
                {QStringLiteral("Keyword1"), kWordRecords.contains(recNo) ? kWord : r.keywords[0]}};
            for (const auto &[field, text] : texts)
                table.FieldByName(field).SetAsString(text);
            table.FieldByName(QStringLiteral("AddDateTime")).SetAsDateTime(r.added);
            table.Post();
        }
        table.FlushBuffers();
        DMMurven19->CloseAdrs();
        writeSenders({QStringLiteral("差出人1 "), QStringLiteral("差出人2 ")});
    }

    // Creates the window and lets its first show open the book.
    void openWindow() { openList(); }
    void closeWindow() { list.reset(); }

    // A mouse event on row's second cell; button is the one that changed.
    void sendMouse(QEvent::Type type, int row, Qt::MouseButton button, Qt::MouseButtons buttons,
                   Qt::KeyboardModifiers modifiers = {})
    {
        TAddressListView *view = list->View();
        const QPoint pos = view->visualRect(list->Model()->index(row, 1)).center();
        QMouseEvent event(type, pos, view->viewport()->mapToGlobal(pos),
                          button, buttons, modifiers);
        QApplication::sendEvent(view->viewport(), &event);
    }

    // SQL run on the open book's file through a connection of its own, as a
    // damaged or protected file behaves under the window's connection.
    static QString nameOf(qint32 recNo)
    {
        TTable other;
        openElsewhere(other);
        return other.FindKey({QVariant(recNo)}) ? other.FieldByName(QStringLiteral("NameKanji")).AsString()
                                                : QString();
    }
};

TEST_F(AddressListWindow, firstShowOpensTheLastBookWithRowZeroSelected)
{
    openWindow();
    EXPECT_EQ(list->windowTitle(), QStringLiteral("ピルカノス2014 - テスト"));
    EXPECT_EQ(list->GetRowCount(), kRows);
    EXPECT_EQ(selectedRows(), QList<int>{0});
    EXPECT_EQ(list->PanelText(2), QStringLiteral("選択件数： 1"));
    EXPECT_EQ(list->PanelText(3), QStringLiteral("表示件数： 12"));
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_TRUE(action("actDelete")->isEnabled());
}

// With [BASE] Info on, the first show greets the user before the book opens;
// the greeting's answer is stored for the next start.
TEST_F(AddressListWindow, firstShowGreetsWhenInfoIsOnAndStoresTheAnswer)
{
    {
        TMemIniFile settings(SettingsFileName());
        settings.WriteBool(QStringLiteral("BASE"), QStringLiteral("Info"), true);
        ASSERT_TRUE(settings.UpdateFile());
    }
    bool greeted = false;
    AnswerModal<TInfoDialog>([&](TInfoDialog &dialog) {
        greeted = true;
        dialog.findChild<QCheckBox *>(QStringLiteral("ckbInfo"))->setChecked(false);
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("btnOK")), Qt::LeftButton);
    });
    openWindow();
    EXPECT_TRUE(greeted);
    EXPECT_EQ(list->GetRowCount(), kRows);
    const TMemIniFile settings(SettingsFileName());
    EXPECT_FALSE(settings.ReadBool(QStringLiteral("BASE"), QStringLiteral("Info"), true));
}

// The automatic update check at the first show says nothing when the
// server cannot be reached, and the book opens as usual.
TEST_F(AddressListWindow, automaticUpdateCheckStaysSilentWhenTheServerIsUnreachable)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    const QString savedDomain = UpdateDomain;
    UpdateDomain = QStringLiteral("127.0.0.1:%1").arg(closed.serverPort());
    closed.close();
    UpdateCheck = true;
    openWindow();
    UpdateDomain = savedDomain;
    UpdateCheck = false;
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(list->GetRowCount(), kRows);
    EXPECT_TRUE(list->isVisible());
}

TEST_F(AddressListWindow, versionCommandShowsTheAboutBox)
{
    openWindow();
    ASSERT_TRUE(action("actVersion")->isEnabled());
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<TVersionInfo *>(QApplication::activeModalWidget());
        shown = box != nullptr;
        if (box)
            QTest::mouseClick(box->findChild<QPushButton *>(QStringLiteral("btnOK")), Qt::LeftButton);
    });
    action("actVersion")->trigger();
    EXPECT_TRUE(shown);
}

// A sender is written only for an existing record and only when the table
// takes it: a refused write is reported and keeps the old sender.
TEST_F(AddressListWindow, recordSenderIsWrittenOnlyForAnExistingRecordTheTableTakes)
{
    openWindow();
    EXPECT_FALSE(list->SetRecordSender(9999, 20));
    EXPECT_EQ(boxes.count(), 0);
    alterBook("CREATE TRIGGER keep3 BEFORE UPDATE ON Data WHEN old.RecNo = 3 "
              "BEGIN SELECT RAISE(ABORT, 'read-only'); END;");
    EXPECT_FALSE(list->SetRecordSender(3, 20));
    alterBook("DROP TRIGGER keep3;");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("差出人を変更できませんでした")));
    EXPECT_EQ(boxes.last().flags, unsigned(MB_ICONERROR));
    EXPECT_EQ(DMMurven19->AdrsTable()->State(), TTable::TState::dsBrowse);
    TAddressData data;
    ASSERT_TRUE(list->ReadAddressData(3, data));
    EXPECT_EQ(data.Sender, 0);

    EXPECT_TRUE(list->SetRecordSender(3, 20));
    ASSERT_TRUE(list->ReadAddressData(3, data));
    EXPECT_EQ(data.Sender, 20);
    EXPECT_EQ(list->GetRowCount(), kRows);
}

TEST_F(AddressListWindow, deleteSkipsARecordRemovedMeanwhileAndReportsTheOthers)
{
    openWindow();
    selectRows({2, 3, 4});
    TTable &table = *DMMurven19->AdrsTable();
    table.SetIndexName(QString());
    ASSERT_TRUE(table.FindKey({QVariant(4)}));
    table.Delete();
    QSignalSpy deleted(list.get(), &TAddressList::RecordsDeleted);
    boxes.enqueue(IDYES);
    action("actDelete")->trigger();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("選択したデータを削除します  \r\nよろしいですか？  "));
    EXPECT_EQ(boxes.last().flags, 0x124u);
    ASSERT_EQ(deleted.count(), 1);
    EXPECT_EQ(deleted.first().first().value<QList<qint32>>(), (QList<qint32>{3, 5}));
    EXPECT_EQ(list->GetRowCount(), kRows - 3);
    EXPECT_EQ(selectedRows(), QList<int>{2}) << "the first row selected before";
    EXPECT_EQ(list->PanelText(3), QStringLiteral("表示件数： 9"));
}

// The table refuses to delete some of the selected records: all of them
// when a reader keeps the run's commit from writing the file, or one record
// made undeletable in the file itself.
struct RefusedDeleteCase {
    const char *name;
    const char *refuseSql; // nullptr: the commit fails
    QList<int> rows;
    QList<qint32> deleted;
    QList<qint32> refused;
};
void PrintTo(const RefusedDeleteCase &c, std::ostream *os) { *os << c.name; }

class RefusedDelete : public AddressListWindow, public ::testing::WithParamInterface<RefusedDeleteCase>
{
};

TEST_P(RefusedDelete, deletesTheOthersAndNamesWhatWasAndWasNotDeleted)
{
    const RefusedDeleteCase &c = GetParam();
    openWindow();
    selectRows(c.rows);
    sqlite3 *reader = nullptr;
    QString error;
    const int busyWait = TTable::BusyWaitMs;
    if (c.refuseSql) {
        alterBook(c.refuseSql);
    } else {
        reader = SqlCipher::open(DMMurven19->AdrsTable()->TableName(), TablePassword, false, &error);
        ASSERT_TRUE(SqlCipher::exec(reader, "BEGIN; SELECT count(*) FROM Data;")); // holds the file until COMMIT
        TTable::BusyWaitMs = 50;
    }
    QMap<qint32, int> rowOf;
    for (const qint32 recNo : c.refused)
        rowOf[recNo] = list->IndexOfRecNo(recNo);
    QSignalSpy deleted(list.get(), &TAddressList::RecordsDeleted);
    boxes.enqueue(IDYES);
    if (reader)
        boxes.enqueue(IDCANCEL); // gives up the run the reader keeps from the file
    action("actDelete")->trigger();
    TTable::BusyWaitMs = busyWait;
    if (reader) {
        (void)SqlCipher::exec(reader, "COMMIT;");
        SqlCipher::close(reader);
    }

    ASSERT_EQ(boxes.count(), reader ? 3 : 2);
    if (reader) {
        EXPECT_EQ(boxes.shown()[1].flags, unsigned(MB_RETRYCANCEL | MB_ICONWARNING));
        EXPECT_TRUE(boxes.shown()[1].text.contains(QStringLiteral("使用中"))) << qPrintable(boxes.shown()[1].text);
    }
    const QString text = boxes.last().text;
    if (reader) {
        EXPECT_TRUE(text.contains(QStringLiteral("1件も書き込まれていません"))) << qPrintable(text);
    }
    EXPECT_TRUE(text.startsWith(QStringLiteral("選択した%1件のうち、%2件のデータを削除しました  \r\n"
                                               "次の%3件のデータは削除できませんでした")
                                    .arg(c.rows.size())
                                    .arg(c.deleted.size())
                                    .arg(c.refused.size())))
        << qPrintable(text);
    EXPECT_EQ(boxes.last().flags, unsigned(MB_ICONERROR));
    for (const qint32 recNo : c.refused) {
        EXPECT_TRUE(text.contains(QStringLiteral("No.%1  ").arg(rowOf[recNo] + 1) + nameOf(recNo))) << qPrintable(text);
        EXPECT_GE(list->IndexOfRecNo(recNo), 0) << "still shown";
    }
    EXPECT_EQ(list->GetRowCount(), kRows - c.deleted.size());
    const QList<qint32> told = deleted.isEmpty() ? QList<qint32>{} : deleted.first().first().value<QList<qint32>>();
    EXPECT_LE(deleted.count(), 1);
    EXPECT_EQ(told, c.deleted);
    EXPECT_EQ(DMMurven19->AdrsTable()->State(), TTable::TState::dsBrowse);
}

INSTANTIATE_TEST_SUITE_P(
    Delete, RefusedDelete,
    ::testing::Values(RefusedDeleteCase{"failedCommit", nullptr, {2, 3, 4}, {}, {3, 4, 5}},
                      RefusedDeleteCase{"oneReadOnlyRecord",
                                        "CREATE TRIGGER keep4 BEFORE DELETE ON Data WHEN old.RecNo = 4 "
                                        "BEGIN SELECT RAISE(ABORT, 'read-only'); END;",
                                        {2, 3, 4},
                                        {3, 5},
                                        {4}}),
    [](const ::testing::TestParamInfo<RefusedDeleteCase> &info) { return std::string(info.param.name); });

// A delete whose progress shows at once, cancelled from its dialog: it
// stops after the record in hand, keeps what it deleted, shows what the
// table holds and says what was deleted and what the cancel left.
TEST_F(AddressListWindow, cancelledDeleteKeepsWhatItDeletedAndTellsOfThose)
{
    const int showAfter = TRecordRun::ShowAfterMs;
    const int serveEvery = TRecordRun::ServeEveryMs;
    TRecordRun::ShowAfterMs = TRecordRun::ServeEveryMs = 0;
    openWindow();
    list->SelectRow(0, true, false);
    for (int row = 1; row < kRows; ++row)
        list->SetRowSelected(row, true);
    bool pressed = false;
    std::function<void()> pressCancel = [&] {
        auto *progress = list->findChild<QProgressDialog *>(QStringLiteral("RecordRunProgress"));
        if (!progress || !progress->isVisible()) {
            QTimer::singleShot(0, pressCancel);
            return;
        }
        QTest::mouseClick(progress->findChild<QPushButton *>(), Qt::LeftButton);
        pressed = true;
    };
    QTimer::singleShot(0, pressCancel);
    QSignalSpy deleted(list.get(), &TAddressList::RecordsDeleted);
    boxes.enqueue(IDYES);
    action("actDelete")->trigger();
    TRecordRun::ShowAfterMs = showAfter;
    TRecordRun::ServeEveryMs = serveEvery;

    EXPECT_TRUE(pressed);
    ASSERT_EQ(deleted.count(), 1);
    const QList<qint32> told = deleted.first().first().value<QList<qint32>>();
    ASSERT_EQ(boxes.count(), 2) << "the question and the closing box";
    EXPECT_EQ(boxes.last().text, QStringLiteral("データの削除を中止しました  \r\n"
                                                "選択した%1件のうち、%2件のデータを削除しました  \r\n"
                                                "残りの%3件のデータは削除していません  ")
                                     .arg(kRows)
                                     .arg(told.size())
                                     .arg(kRows - told.size()));
    EXPECT_EQ(boxes.last().flags, unsigned(MB_ICONINFORMATION));
    EXPECT_GE(told.size(), 1);
    EXPECT_LT(told.size(), kRows);
    EXPECT_EQ(list->GetRowCount(), kRows - told.size());
    TTable other;
    openElsewhere(other);
    EXPECT_EQ(other.RecordCount(), kRows - told.size());
    for (const qint32 recNo : told)
        EXPECT_FALSE(other.FindKey({QVariant(recNo)})) << recNo;
}

TEST_F(AddressListWindow, aTableErrorDuringARefreshIsReportedOnceAndTheNextRefreshRecovers)
{
    openWindow();
    alterBook("ALTER TABLE Data RENAME TO Hidden;");
    action("actReload")->trigger();
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("アドレス帳が読み出せませんでした  \r\n")));
    EXPECT_EQ(boxes.last().flags, unsigned(MB_ICONERROR));
    EXPECT_EQ(list->GetRowCount(), 0);
    EXPECT_EQ(list->PanelText(3), QStringLiteral("表示件数： 0"));
    EXPECT_FALSE(action("actDelete")->isEnabled());
    EXPECT_TRUE(action("actReload")->isEnabled());

    alterBook("ALTER TABLE Hidden RENAME TO Data;");
    action("actReload")->trigger();
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(list->GetRowCount(), kRows);
    EXPECT_TRUE(action("actDelete")->isEnabled());
}

struct DeleteKeyCase {
    bool selectRow;
    int answer;
    int boxesShown;
};

class DeleteKey : public AddressListWindow, public ::testing::WithParamInterface<DeleteKeyCase>
{
};

TEST_P(DeleteKey, asksOnlyWithASelectionAndDeletesOnlyOnYes)
{
    openWindow();
    list->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(list.get()));
    list->View()->setFocus();
    list->View()->selectionModel()->clearSelection();
    if (GetParam().selectRow)
        list->SelectRow(6, true, false);
    boxes.enqueue(GetParam().answer);
    QTest::keyClick(list->View(), Qt::Key_Delete);
    EXPECT_EQ(boxes.count(), GetParam().boxesShown);
    EXPECT_EQ(list->GetRowCount(), GetParam().answer == IDYES && GetParam().selectRow ? kRows - 1 : kRows);
}

INSTANTIATE_TEST_SUITE_P(Keys, DeleteKey,
                         ::testing::Values(DeleteKeyCase{false, IDYES, 0}, DeleteKeyCase{true, IDNO, 1}));

TEST_F(AddressListWindow, filterAndDuplicateDisplayExcludeEachOther)
{
    openWindow();
    list->ApplyCondition(markedCondition());
    EXPECT_TRUE(action("actDisableSearch")->isEnabled());
    list->ApplyDuplicateItems(1, 0);
    EXPECT_TRUE(list->Model()->Condition.IsEmpty());
    EXPECT_EQ(list->Model()->DupItem1, 1);
    EXPECT_FALSE(list->findChild<QComboBox *>(QStringLiteral("cbxSort"))->isEnabled());
    EXPECT_FALSE(list->findChild<QToolButton *>(QStringLiteral("sbtnSortDirection"))->isEnabled());
    list->ApplyCondition(markedCondition());
    EXPECT_EQ(list->Model()->DupItem1, 0);
    EXPECT_EQ(list->Model()->DupItem2, 0);
    EXPECT_TRUE(list->findChild<QComboBox *>(QStringLiteral("cbxSort"))->isEnabled());
    EXPECT_EQ(list->GetRowCount(), 2);
}

TEST_F(AddressListWindow, wordSearchWrapsAndF3AfterTheLastHitStartsAtRowZero)
{
    openWindow();
    list->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(list.get()));
    list->SelectRow(5, true, false);
    list->ApplySearchWord(kWord);
    EXPECT_EQ(selectedRows(), QList<int>{kRows - 1});
    QTest::keyClick(list->View(), Qt::Key_F3);
    EXPECT_EQ(selectedRows(), QList<int>{2});
    QTest::keyClick(list->View(), Qt::Key_F3);
    EXPECT_EQ(selectedRows(), QList<int>{kRows - 1});
    EXPECT_EQ(boxes.count(), 0);

    list->ApplySearchWord(QStringLiteral("どこにもない"));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("指定した文字列は見つかりませんでした  "));
    list->ApplySearchWord(QString());
    EXPECT_FALSE(action("actWordNext")->isEnabled());
}

// Opening another book through the book dialog ends the search: no cell of
// the new book is marked and F3 has nothing to look for.
TEST_F(AddressListWindow, openingAnotherBookClearsTheSearchAndItsMarks)
{
    QDir().mkpath(AdrsPath + QStringLiteral("Book2"));
    AdrsFolderList << TAdrsFolderInfo{QStringLiteral("空"), QStringLiteral("Book2"), AdrsStateUnchanged};
    openWindow();
    list->ApplySearchWord(kWord);
    ASSERT_EQ(list->Model()->SearchWord, kWord);
    ASSERT_TRUE(action("actWordNext")->isEnabled());

    bool answered = false;
    std::function<void()> choose = [&] {
        auto *dialog = qobject_cast<TAddressSelect *>(QApplication::activeModalWidget());
        if (!dialog) {
            QTimer::singleShot(10, choose);
            return;
        }
        auto *books = dialog->findChild<TTntListView *>(QStringLiteral("lvAdrs"));
        books->SetSelected(nullptr);
        for (int row = 0; row < books->Items().Count(); ++row) {
            if (books->Items().GetItem(row)->Caption() == QStringLiteral("空"))
                books->SetSelected(books->Items().GetItem(row));
        }
        answered = true;
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btnOk")), Qt::LeftButton);
    };
    QTimer::singleShot(0, choose);
    action("actOpen")->trigger();
    ASSERT_TRUE(answered);
    ASSERT_EQ(AdrsName, QStringLiteral("空"));

    EXPECT_TRUE(list->SearchWord().isEmpty());
    EXPECT_TRUE(list->Model()->SearchWord.isEmpty()) << "the new book's cells are not marked";
    EXPECT_FALSE(action("actWordNext")->isEnabled());
}

// The hard-disk installation of the directory regions is reached from the
// settings dialog's button, over the settings dialog, and returns to it.
TEST_F(AddressListWindow, settingsDialogOpensTheDirectoryInstallation)
{
    openWindow();
    bool opened = false;
    bool installShown = false;
    std::function<void()> answer = [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *install = qobject_cast<THDDInstall *>(modal)) {
            installShown = true;
            EXPECT_EQ(install->windowTitle(), QStringLiteral("電話帳データのインストール"));
            EXPECT_EQ(install->parentWidget(), qobject_cast<QWidget *>(install->parent()));
            EXPECT_TRUE(qobject_cast<TEnvironment *>(install->parentWidget()) != nullptr);
            QTest::mouseClick(install->findChild<QPushButton *>(QStringLiteral("btnClose")), Qt::LeftButton);
        } else if (auto *settings = qobject_cast<TEnvironment *>(modal)) {
            if (!opened) {
                opened = true;
                QPushButton *button = settings->findChild<QPushButton *>(QStringLiteral("bbtnHDDInstall"));
                EXPECT_TRUE(button->isEnabled());
                QTimer::singleShot(10, answer);
                button->click(); // modal: returns when the installation window closes
                return;
            }
            QTest::mouseClick(settings->findChild<QPushButton *>(QStringLiteral("btnCancel")), Qt::LeftButton);
            return;
        }
        QTimer::singleShot(10, answer);
    };
    QTimer::singleShot(0, answer);
    action("actEnvironment")->trigger();
    EXPECT_TRUE(opened);
    EXPECT_TRUE(installShown);
}

// A new data folder chosen in the settings dialog: the list settings stay
// in the old folder, the books of the new one are scanned and, with none
// there, the user creates the first one ("アドレス" offered).
TEST_F(AddressListWindow, settingsDialogSwitchesToANewDataFolder)
{
    const QString oldFolder = DataPath;
    const QString newFolder = home.root() + QStringLiteral("/other/");
    ASSERT_TRUE(QDir().mkpath(newFolder));
    openWindow();
    ASSERT_TRUE(action("actEnvironment")->isEnabled());
    QFile::remove(oldFolder + QStringLiteral("AdrsList.ini"));

    bool setDone = false;
    bool chosen = false;
    std::function<void()> answer = [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *settings = qobject_cast<TEnvironment *>(modal); settings && !setDone) {
            setDone = true;
            settings->findChild<QComboBox *>(QStringLiteral("cbxDataPath"))->setEditText(newFolder);
            QTest::mouseClick(settings->findChild<QPushButton *>(QStringLiteral("btnSet")), Qt::LeftButton);
        } else if (auto *books = qobject_cast<TAddressSelect *>(modal)) {
            chosen = true;
            QTest::mouseClick(books->findChild<QPushButton *>(QStringLiteral("btnOk")), Qt::LeftButton);
            return;
        }
        QTimer::singleShot(10, answer);
    };
    QTimer::singleShot(0, answer);
    action("actEnvironment")->trigger();
    ASSERT_TRUE(setDone);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(DataPath, newFolder);
    EXPECT_EQ(AdrsName, QStringLiteral("アドレス"));
    EXPECT_EQ(list->windowTitle(), QStringLiteral("ピルカノス2014 - アドレス"));
    ASSERT_EQ(AdrsFolderList.size(), 1);
    EXPECT_TRUE(QFileInfo(AdrsPath + AdrsFolderList.first().Folder).isDir());
    EXPECT_TRUE(AdrsPath.startsWith(newFolder));
    EXPECT_EQ(list->GetRowCount(), 0);
    EXPECT_TRUE(QFile::exists(oldFolder + QStringLiteral("AdrsList.ini"))) << "the old folder keeps its list settings";
    const TMemIniFile settings(SettingsFileName());
    EXPECT_EQ(settings.ReadString(QStringLiteral("BASE"), QStringLiteral("DataPath"), QString()), newFolder);
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(AddressListWindow, settingsDialogCancelledChangesNothing)
{
    openWindow();
    const QString before = DataPath;
    QTimer::singleShot(0, [] {
        if (auto *settings = qobject_cast<TEnvironment *>(QApplication::activeModalWidget()))
            QTest::mouseClick(settings->findChild<QPushButton *>(QStringLiteral("btnCancel")), Qt::LeftButton);
    });
    action("actEnvironment")->trigger();
    EXPECT_EQ(DataPath, before);
    EXPECT_EQ(list->GetRowCount(), kRows);
}

TEST_F(AddressListWindow, dragFromRowSevenUpToRowThreeAddsTheRangeToTheSelection)
{
    openWindow();
    list->SelectRow(10, true, false);
    sendMouse(QEvent::MouseButtonPress, 7, Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier);
    sendMouse(QEvent::MouseMove, 5, Qt::NoButton, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_TRUE(list->View()->InDragRange(6));
    EXPECT_FALSE(list->View()->InDragRange(4));
    sendMouse(QEvent::MouseMove, 3, Qt::NoButton, Qt::LeftButton, Qt::ControlModifier);
    sendMouse(QEvent::MouseButtonRelease, 3, Qt::LeftButton, Qt::NoButton, Qt::ControlModifier);
    EXPECT_EQ(selectedRows(), (QList<int>{3, 4, 5, 6, 7, 10}));
    EXPECT_EQ(list->PanelText(2), QStringLiteral("選択件数： 6"));
}

TEST_F(AddressListWindow, settingsSurviveACloseAndReopen)
{
    openWindow();
    // A size that fits the test screen: a larger one is fitted into it when shown.
    list->setGeometry(40, 30, 700, 500);
    list->findChild<QComboBox *>(QStringLiteral("cbxSort"))->setCurrentIndex(6);
    list->View()->horizontalHeader()->resizeSection(2, 150);
    list->findChild<QComboBox *>(QStringLiteral("cbxGroup"))->setCurrentIndex(11); // group 10, the last
    const int inGroup10 = list->GetRowCount();
    EXPECT_GE(inGroup10, 2);
    list->findChild<QComboBox *>(QStringLiteral("cbxGroup"))->setCurrentIndex(0);
    list->ApplyCondition(markedCondition());
    list->findChild<QComboBox *>(QStringLiteral("cbxGroup"))->setCurrentIndex(11);
    closeWindow();

    const TMemIniFile settings(SettingsFileName());
    EXPECT_EQ(settings.ReadInteger(QStringLiteral("ADRS LIST"), QStringLiteral("Width"), 0), 700);
    EXPECT_EQ(settings.ReadInteger(QStringLiteral("ADRS LIST"), QStringLiteral("Left"), 0), 40);
    EXPECT_TRUE(QFile::exists(DataPath + QStringLiteral("Search.lst")));
    const TMemIniFile columns(DataPath + QStringLiteral("AdrsList.ini"));
    EXPECT_EQ(columns.ReadInteger(QStringLiteral("SORT"), QStringLiteral("SortType"), 0), 6);
    const TMemIniFile books(AdrsMngFileName());
    EXPECT_EQ(books.ReadString(QStringLiteral("SORT"), QStringLiteral("1"), QString()), QStringLiteral("Book1"));

    openWindow();
    EXPECT_EQ(list->geometry(), QRect(40, 30, 700, 500));
    EXPECT_EQ(list->findChild<QComboBox *>(QStringLiteral("cbxSort"))->currentIndex(), 6);
    EXPECT_EQ(list->View()->horizontalHeader()->sectionSize(2), 150);
    EXPECT_EQ(list->Model()->Condition, markedCondition());
    EXPECT_EQ(list->findChild<QComboBox *>(QStringLiteral("cbxGroup"))->currentIndex(), 11);
    EXPECT_EQ(list->Model()->ViewGroup, 11);
    EXPECT_TRUE(action("actCancelSearch")->isEnabled());

    action("actCancelSearch")->trigger();
    EXPECT_EQ(list->GetRowCount(), inGroup10);
    for (int row = 0; row < list->GetRowCount(); ++row) {
        TAddressData data;
        ASSERT_TRUE(list->ReadAddressData(list->GetRowRecNo(row), data));
        EXPECT_EQ(data.Group, 10);
    }
    closeWindow();
    EXPECT_FALSE(QFile::exists(DataPath + QStringLiteral("Search.lst")));
}

// A damaged saved filter: the list opens unfiltered, the user is told once
// which file it was and where it is kept, and closing the window (which
// writes the filter in force) leaves the copy as it was.
TEST_F(AddressListWindow, aDamagedSavedFilterIsKeptAsideAndTheListOpensUnfiltered)
{
    const QString file = DataPath + QStringLiteral("Search.lst");
    ASSERT_TRUE(WriteSearchList(file, markedCondition()));
    const QByteArray damaged = fileBytes(file).chopped(1);
    writeBytes(file, damaged);

    openWindow();
    EXPECT_TRUE(list->Model()->Condition.IsEmpty());
    EXPECT_FALSE(action("actCancelSearch")->isEnabled());
    ASSERT_EQ(boxes.count(), 1);
    QString copy;
    ASSERT_TRUE(keptAsideAndNamed(file, damaged, boxes.last().text, &copy));
    closeWindow();
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_FALSE(QFile::exists(file)) << "no filter in force";
    EXPECT_TRUE(sameBytes(damaged, fileBytes(copy)));
}

// A settings file the closing window cannot write, with a folder in its place.
struct BlockedSettingsCase {
    const char *name;
    QString (*file)();
    const char16_t *what;
};
void PrintTo(const BlockedSettingsCase &c, std::ostream *os) { *os << c.name; }

class BlockedSettings : public AddressListWindow, public ::testing::WithParamInterface<BlockedSettingsCase>
{
};

TEST_P(BlockedSettings, isReportedNamingTheFileWhenTheWindowCloses)
{
    const QString file = GetParam().file();
    QFile::remove(file); // the fixture's settings file, where the folder goes
    ASSERT_TRUE(QDir().mkpath(file));
    // Without a readable settings file the greeting shows, and its answer
    // cannot be stored either: that is reported when it closes.
    QTimer greeting;
    QObject::connect(&greeting, &QTimer::timeout, [] {
        if (auto *dialog = qobject_cast<TInfoDialog *>(QApplication::activeModalWidget()))
            dialog->accept();
    });
    greeting.start(10);
    openWindow();
    greeting.stop();
    const int atOpen = boxes.count();
    EXPECT_LE(atOpen, 1);
    closeWindow();
    ASSERT_EQ(boxes.count(), atOpen + 1);
    EXPECT_TRUE(boxes.last().text.startsWith(QString::fromUtf16(GetParam().what) +
                                             QStringLiteral("をファイルに保存できませんでした  \r\n") +
                                             QDir::toNativeSeparators(file)))
        << qPrintable(boxes.last().text);
    EXPECT_EQ(boxes.last().flags, unsigned(MB_ICONERROR));
}

INSTANTIATE_TEST_SUITE_P(
    Close, BlockedSettings,
    ::testing::Values(BlockedSettingsCase{"bookOrder", AdrsMngFileName, u"アドレス帳の並び順"},
                      BlockedSettingsCase{"listColumns", [] { return DataPath + QStringLiteral("AdrsList.ini"); },
                                          u"一覧の表示項目と表示順の設定"},
                      BlockedSettingsCase{"windowAndDuplicates", SettingsFileName, u"一覧の位置と重複表示の設定"}),
    [](const ::testing::TestParamInfo<BlockedSettingsCase> &info) { return std::string(info.param.name); });

TEST_F(AddressListWindow, maximisedWindowKeepsItsNormalRectangle)
{
    openWindow();
    list->setGeometry(50, 60, 700, 450);
    list->showMaximized();
    QCoreApplication::processEvents();
    ASSERT_TRUE(list->isMaximized());
    ASSERT_NE(list->geometry().size(), QSize(700, 450));
    closeWindow();
    const TMemIniFile settings(SettingsFileName());
    EXPECT_EQ(settings.ReadInteger(QStringLiteral("ADRS LIST"), QStringLiteral("Width"), 0), 700);
    EXPECT_EQ(settings.ReadInteger(QStringLiteral("ADRS LIST"), QStringLiteral("Height"), 0), 450);
}

TEST_F(AddressListWindow, emptyBookShowsZeroCountsAndDisablesDelete)
{
    QDir().mkpath(AdrsPath + QStringLiteral("Book2"));
    AdrsFolderList << TAdrsFolderInfo{QStringLiteral("空"), QStringLiteral("Book2"), AdrsStateUnchanged};
    AdrsName = QStringLiteral("空");
    openWindow();
    EXPECT_EQ(list->GetRowCount(), 0);
    EXPECT_EQ(list->PanelText(3), QStringLiteral("表示件数： 0"));
    EXPECT_FALSE(action("actDelete")->isEnabled());
    list->ApplySearchWord(kWord);
    EXPECT_EQ(boxes.count(), 1) << "only the not-found notice";
}

// Records whose keys repeat lie apart in record order: each block is shown
// whole, the second key decides which records meet, and in a view of group
// 10 (the last) only that group's records pair up.
TEST_F(AddressListWindow, duplicateBlocksGatherRecordsApartBySecondKeyAndViewedGroup)
{
    ASSERT_TRUE(DMMurven19->OpenAdrs());
    TTable &table = *DMMurven19->AdrsTable();
    table.SetIndexName(QString());
    const QMap<int, std::pair<const char16_t *, const char16_t *>> same = {
        {2, {u"山田商事", u"田中"}}, {5, {u"山田商事", u"佐藤"}}, {9, {u"山田商事", u"田中"}},
        {11, {u"山田商事", u"佐藤"}}, {12, {u"山田商事", u"鈴木"}}};
    for (int recNo = 1; recNo <= kRows; ++recNo) {
        ASSERT_TRUE(table.FindKey({QVariant(recNo)}));
        table.Edit();
        const auto pair = same.value(recNo, {nullptr, nullptr});
        table.FieldByName(QStringLiteral("CorpKanji"))
            .SetAsString(pair.first ? QString::fromUtf16(pair.first) : QStringLiteral("会社%1").arg(recNo));
        table.FieldByName(QStringLiteral("NameKanji")).SetAsString(pair.second ? QString::fromUtf16(pair.second) : QString());
        // Records 3 and 7 are of group 10; 6 shares their number from another group.
        table.FieldByName(QStringLiteral("Tel"))
            .SetAsString(recNo == 3 || recNo == 6 || recNo == 7 ? QStringLiteral("0300000000") : QString::number(recNo));
        table.Post();
    }
    DMMurven19->CloseAdrs();
    openWindow();
    const auto shown = [this] {
        QList<qint32> recNos;
        for (int row = 0; row < list->GetRowCount(); ++row)
            recNos << list->GetRowRecNo(row);
        return recNos;
    };
    list->ApplyDuplicateItems(3, 4); // company, then name
    EXPECT_EQ(shown(), (QList<qint32>{5, 11, 2, 9}));
    list->ApplyDuplicateItems(1, 0); // telephone
    EXPECT_EQ(shown(), (QList<qint32>{3, 6, 7}));
    list->findChild<QComboBox *>(QStringLiteral("cbxGroup"))->setCurrentIndex(11);
    EXPECT_EQ(shown(), (QList<qint32>{3, 7}));
}

// A book of 100,000 records, written by SQL behind the table layer: the
// list's counts take six digits.
class LargeBookWindow : public BookFixture
{
protected:
    static constexpr int kLarge = 100000;

    void SetUp() override
    {
        BookFixture::SetUp();
        DMMurven19->CreateAdrsTable(QStringLiteral("Book1"));
        ASSERT_TRUE(DMMurven19->OpenAdrs());
        TTable &table = *DMMurven19->AdrsTable();
        table.Append();
        table.FieldByName(QStringLiteral("NameKanji")).SetAsString(QStringLiteral("最初"));
        table.Post();
        alterBook("WITH RECURSIVE n(i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
                  "INSERT INTO Data(NameKanji) SELECT CAST(i AS TEXT) FROM n;");
        DMMurven19->CloseAdrs();
    }
};

TEST_F(LargeBookWindow, countPanelsShowSixDigitCountsWhole)
{
    openList();
    ASSERT_EQ(list->GetRowCount(), kLarge);
    list->View()->selectAll();
    QCoreApplication::processEvents(); // the status bar lays out its panels again
    for (const int panel : {2, 3}) {
        const auto *label = list->findChild<QLabel *>(QStringLiteral("pnlInfo%1").arg(panel));
        ASSERT_NE(label, nullptr);
        EXPECT_TRUE(label->text().endsWith(QStringLiteral(" 100000"))) << qPrintable(label->text());
        // A framed label starts its text half an "x" in from its frame.
        const QFontMetrics metrics(label->font());
        EXPECT_LE(metrics.horizontalAdvance(u'x') / 2 + metrics.horizontalAdvance(label->text()),
                  label->contentsRect().width())
            << qPrintable(label->text());
    }
}

struct DupliItemsCase {
    int item1, item2;       // stored
    int read1, read2;       // taken
    bool switches;
};

class DupliSettings : public AddressListWindow, public ::testing::WithParamInterface<DupliItemsCase>
{
};

TEST_P(DupliSettings, storedItemsStartTheDuplicateDisplay)
{
    {
        TMemIniFile settings(SettingsFileName());
        settings.WriteInteger(QStringLiteral("DUPLI SEARCH"), QStringLiteral("Item1"), GetParam().item1);
        settings.WriteInteger(QStringLiteral("DUPLI SEARCH"), QStringLiteral("Item2"), GetParam().item2);
        ASSERT_TRUE(settings.UpdateFile());
    }
    openWindow();
    EXPECT_EQ(list->Model()->DupItem1, GetParam().read1);
    EXPECT_EQ(list->Model()->DupItem2, GetParam().read2);
    EXPECT_EQ(action("actDisableSearch")->isEnabled(), GetParam().switches);
    EXPECT_EQ(action("actCancelSearch")->isEnabled(), GetParam().switches);
    EXPECT_EQ(list->findChild<QComboBox *>(QStringLiteral("cbxSort"))->isEnabled(), !GetParam().switches);
    EXPECT_EQ(list->PanelText(1), GetParam().switches ? QStringLiteral("重複表示中") : QString());
}

INSTANTIATE_TEST_SUITE_P(Items, DupliSettings,
                         ::testing::Values(DupliItemsCase{3, 2, 3, 2, true}, DupliItemsCase{0, 2, 0, 0, false},
                                           DupliItemsCase{5, 1, 0, 0, false}));

} // namespace

namespace {

TEST_F(AddressListWindow, theDirectorySearchCommandOpensTheOneSearchWindow)
{
    openWindow();
    QAction *command = action("actNameAdrsSearch");
    ASSERT_TRUE(command->isEnabled());
    command->trigger();
    TNameAdrsSearch *first = NameAdrsSearchWindow;
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isWindow());
    command->trigger();
    EXPECT_EQ(NameAdrsSearchWindow, first);
    delete first;
    EXPECT_EQ(NameAdrsSearchWindow, nullptr);
}

// A made-up 東京都 region of three listings (見本一郎1..3) on a "disc" in a
// temporary folder, taken into use as the only region while it lives.
struct TSampleRegionDisc {
    TSampleRegionDisc()
    {
        UseArea.fill(false);
        UseArea[3] = true;
        AreaOnDisk.fill(false);
        SearchDataPath = Disc.path();
        const QString folder = Disc.filePath(QStringLiteral("Murven19/Dt03/"));
        TWqareaWriter writer;
        if (!QDir().mkpath(folder) || !writer.Open(folder + QString::fromLatin1(WqareaDataFileName)))
            return;
        for (int i = 1; i <= 3; ++i) {
            TWqareaListing l;
            l.Key = i;
            l.Phone = "033000000" + std::to_string(i);
            l.Name = Cp932::encode(QStringLiteral("見本一郎%1").arg(i)).toStdString();
            l.Pref = Cp932::encode(QStringLiteral("東京都")).toStdString();
            l.CityCode = "13101";
            l.TownCode = "001001";
            l.ListingKind = 99;
            l.FirstMonth = "200101";
            if (!writer.Add(l))
                return;
        }
        Written = writer.Finish();
    }
    ~TSampleRegionDisc()
    {
        UseArea = m_keptUse;
        AreaOnDisk = m_keptOnDisk;
        SearchDataPath = m_keptPath;
    }
    TSampleRegionDisc(const TSampleRegionDisc &) = delete;
    TSampleRegionDisc &operator=(const TSampleRegionDisc &) = delete;

    bool Written = false;

private:
    const decltype(UseArea) m_keptUse = UseArea;
    const decltype(AreaOnDisk) m_keptOnDisk = AreaOnDisk;
    const QString m_keptPath = SearchDataPath;
    QTemporaryDir Disc;
};

// A made-up 東京都 region of three listings on a "disc", searched from the
// main list; the hits go into the record form and are walked from there.
TEST_F(AddressListWindow, aDirectoryHitOpensTheRecordFormWhichWalksThePage)
{
    const TSampleRegionDisc disc;
    ASSERT_TRUE(disc.Written);
    {
        TDicProgramFolder program{QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_EXCERPT_DIR)};
        openWindow();
        action("actNameAdrsSearch")->trigger();
        TNameAdrsSearch *search = NameAdrsSearchWindow;
        ASSERT_NE(search, nullptr);
        search->NameEdit()->setText(QStringLiteral("見本")); // the history combo or the plain edit
        QSignalSpy finished(search, &TNameAdrsSearch::RunFinished);
        search->findChild<QPushButton *>(QStringLiteral("bbtnSearch"))->click();
        ASSERT_TRUE(finished.wait(5000));
        ASSERT_EQ(search->GetHitCount(), 3);
        search->findChild<QTableView *>(QStringLiteral("lvResult"))->setCurrentIndex(search->ResultModel()->index(0, 0));
        search->findChild<QPushButton *>(QStringLiteral("sbtnInquiry"))->click();
        ASSERT_NE(DataInquiry, nullptr);
        EXPECT_EQ(DataInquiry->NavigationSource(), 0);
        EXPECT_EQ(DecodeUnicodeField(DataInquiry->GetFormData().NameKanji.Bytes()), QStringLiteral("見本一郎1"));
        QToolButton *next = DataInquiry->findChild<QToolButton *>(QStringLiteral("sbtnNext"));
        ASSERT_NE(next, nullptr);
        EXPECT_TRUE(next->isEnabled());
        next->click();
        EXPECT_EQ(DecodeUnicodeField(DataInquiry->GetFormData().NameKanji.Bytes()), QStringLiteral("見本一郎2"));
        EXPECT_EQ(search->InquiryIndex(), 1);
        DataInquiry->findChild<QToolButton *>(QStringLiteral("sbtnLast"))->click();
        EXPECT_EQ(search->InquiryIndex(), 2);
        EXPECT_FALSE(next->isEnabled());
        delete search;
        EXPECT_FALSE(DataInquiry->findChild<QToolButton *>(QStringLiteral("sbtnFirst"))->isEnabled());
        DataInquiry->SetSkipConfirm(true);
        DataInquiry->close();
    }
}

// Taking another hit while the record form holds typed input asks first; a
// cancel leaves the form, and the hit it walks from, as they were.
TEST_F(AddressListWindow, takingAHitCancelledAtTheFormsQuestionKeepsTheFormAndItsPlaceInThePage)
{
    const TSampleRegionDisc disc;
    ASSERT_TRUE(disc.Written);
    {
        TDicProgramFolder program{QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_EXCERPT_DIR)};
        openWindow();
        action("actNameAdrsSearch")->trigger();
        TNameAdrsSearch *search = NameAdrsSearchWindow;
        ASSERT_NE(search, nullptr);
        search->NameEdit()->setText(QStringLiteral("見本"));
        QSignalSpy finished(search, &TNameAdrsSearch::RunFinished);
        search->findChild<QPushButton *>(QStringLiteral("bbtnSearch"))->click();
        ASSERT_TRUE(finished.wait(5000));
        ASSERT_EQ(search->GetHitCount(), 3);
        auto *list = search->findChild<QTableView *>(QStringLiteral("lvResult"));
        list->setCurrentIndex(search->ResultModel()->index(0, 0));
        search->findChild<QPushButton *>(QStringLiteral("sbtnInquiry"))->click();
        ASSERT_NE(DataInquiry, nullptr);
        auto *adrs3 = DataInquiry->findChild<QLineEdit *>(QStringLiteral("edtAdrs3"));
        ASSERT_NE(adrs3, nullptr);
        adrs3->setText(QStringLiteral("入力中の建物"));

        ScriptedMessageBoxes boxes;
        boxes.enqueue(IDCANCEL);
        list->setCurrentIndex(search->ResultModel()->index(2, 0));
        search->findChild<QPushButton *>(QStringLiteral("sbtnInquiry"))->click();
        ASSERT_EQ(boxes.count(), 1);
        EXPECT_EQ(adrs3->text(), QStringLiteral("入力中の建物"));
        EXPECT_EQ(DecodeUnicodeField(DataInquiry->GetFormData().NameKanji.Bytes()), QStringLiteral("見本一郎1"));
        // The form still walks from the hit it shows.
        EXPECT_EQ(search->InquiryIndex(), 0);

        delete search;
        DataInquiry->SetSkipConfirm(true);
        DataInquiry->close();
    }
}

// 登録 of a record taken from a hit keeps the form on the hit, so that 次
// goes on to the next hit: several hits are entered from the form alone.
TEST_F(AddressListWindow, registeringADirectoryHitStaysOnItAndNextEntersTheFollowingHit)
{
    const TSampleRegionDisc disc;
    ASSERT_TRUE(disc.Written);
    {
        TDicProgramFolder program{QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_EXCERPT_DIR)};
        openWindow();
        const int rowsBefore = list->GetRowCount();
        action("actNameAdrsSearch")->trigger();
        TNameAdrsSearch *search = NameAdrsSearchWindow;
        ASSERT_NE(search, nullptr);
        search->NameEdit()->setText(QStringLiteral("見本"));
        QSignalSpy finished(search, &TNameAdrsSearch::RunFinished);
        search->findChild<QPushButton *>(QStringLiteral("bbtnSearch"))->click();
        ASSERT_TRUE(finished.wait(5000));
        ASSERT_EQ(search->GetHitCount(), 3);
        search->findChild<QTableView *>(QStringLiteral("lvResult"))->setCurrentIndex(search->ResultModel()->index(0, 0));
        search->findChild<QPushButton *>(QStringLiteral("sbtnInquiry"))->click();
        QPointer<TDataInquiry> form = DataInquiry;
        ASSERT_NE(form, nullptr);
        for (int hit = 1; hit <= 3; ++hit) {
            SCOPED_TRACE(hit);
            ASSERT_EQ(DecodeUnicodeField(form->GetFormData().NameKanji.Bytes()), QStringLiteral("見本一郎%1").arg(hit));
            QTest::mouseClick(form->findChild<QPushButton *>(QStringLiteral("btnAdd")), Qt::LeftButton);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            ASSERT_NE(form, nullptr);
            ASSERT_TRUE(form->isVisible());
            EXPECT_EQ(list->GetRowCount(), rowsBefore + hit);
            // Stored, so the form holds nothing to ask about.
            EXPECT_FALSE(form->IsChanged());
            // What the listing does not give is stored as a new record starts.
            TTable &table = *DMMurven19->AdrsTable();
            table.SetIndexName(QString());
            table.Last();
            EXPECT_TRUE(table.FieldByName(QStringLiteral("JointPrint")).AsBoolean());
            EXPECT_EQ(table.FieldByName(QStringLiteral("SymbolColor")).AsInteger(), NewSymbolColor);
            EXPECT_EQ(search->InquiryIndex(), hit - 1);
            if (hit < 3)
                QTest::mouseClick(form->findChild<QToolButton *>(QStringLiteral("sbtnNext")), Qt::LeftButton);
        }
        EXPECT_EQ(boxes.count(), 0);
        delete search;
        form->SetSkipConfirm(true);
        form->close();
    }
}

} // namespace

namespace {

// A new book made through アドレス帳の新規作成 where the user may not write:
// the folder of the books, or the new book's own folder that is already
// there. The window names that folder, and its rights as the cause.
struct NewBookCase {
    const char *name;
    bool bookFolderThere;
};

class NewBookInAFolderTheUserCannotWrite : public AddressListWindow,
                                           public ::testing::WithParamInterface<NewBookCase>
{
protected:
    void TearDown() override
    {
        (void)QFile::setPermissions(refusing(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        AddressListWindow::TearDown();
    }
    static QString bookName() { return QStringLiteral("取引先"); }
    QString refusing() const
    {
        return GetParam().bookFolderThere ? AdrsPath + bookName() : QDir::cleanPath(AdrsPath);
    }
    // The command as a user gives it: the new book's name typed into the
    // book dialog and confirmed; a dialog still open after the answer is
    // closed with キャンセル.
    void createBook()
    {
        bool answered = false;
        std::function<void()> answer = [&] {
            auto *dialog = qobject_cast<TAddressSelect *>(QApplication::activeModalWidget());
            if (!dialog) {
                QTimer::singleShot(10, answer);
                return;
            }
            answered = true;
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("edtNew"));
            ASSERT_NE(name, nullptr);
            name->setFocus();
            name->selectAll();
            QTest::keyClick(name, Qt::Key_Delete);
            TypeCharacters(name, bookName());
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btnOk")), Qt::LeftButton);
            if (dialog->isVisible())
                QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btnCancel")), Qt::LeftButton);
        };
        QTimer::singleShot(0, answer);
        action("actCreate")->trigger();
        EXPECT_TRUE(answered);
    }
};

TEST_P(NewBookInAFolderTheUserCannotWrite, namesTheFolderAndItsRights)
{
    if (GetParam().bookFolderThere) {
        ASSERT_TRUE(QDir().mkpath(AdrsPath + bookName()));
    }
    ASSERT_TRUE(QFile::setPermissions(refusing(), QFile::ReadOwner | QFile::ExeOwner));
    openWindow();
    boxes.clear();
    {
        const ScopedOrdinaryUser user;
        ASSERT_TRUE(user.Bound());
        createBook();
    }
    QStringList causes;
    for (const TMessageBoxRequest &box : boxes.shown())
        if (box.text.contains(QStringLiteral("ファイルのあるフォルダーに書き込む権限がありません。")))
            causes << box.text;
    ASSERT_EQ(causes.size(), 1) << qPrintable(boxes.count() > 0 ? boxes.last().text : QString());
    EXPECT_TRUE(causes.first().contains(QDir::toNativeSeparators(refusing()))) << qPrintable(causes.first());
    // The program's own temporaries are no name for the user.
    EXPECT_FALSE(causes.first().contains(QStringLiteral("creating"))) << qPrintable(causes.first());
    for (const TMessageBoxRequest &box : boxes.shown())
        EXPECT_FALSE(box.text.contains(QStringLiteral("見つかりません"))) << qPrintable(box.text);
    // No book without a folder is listed.
    if (!GetParam().bookFolderThere) {
        for (const TAdrsFolderInfo &book : AdrsFolderList)
            EXPECT_NE(book.Name, bookName());
    }
    EXPECT_FALSE(QFileInfo::exists(AdrsPath + bookName() + QStringLiteral("/Adrs.DB")));
}

INSTANTIATE_TEST_SUITE_P(Folders, NewBookInAFolderTheUserCannotWrite,
                         ::testing::Values(NewBookCase{"folderOfTheBooks", false},
                                           NewBookCase{"folderOfTheNewBook", true}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace

namespace {

// アドレス帳の新規作成 given a second time in a run, from the menu by its
// keys: the name typed where the dialog puts the cursor, and Return, make
// the book, as the first time.
TEST_F(AddressListWindow, newBookCommandTheSecondTimeCreatesTheTypedBook)
{
    openWindow();
    // Modal, as the program runs its main list.
    list->hide();
    list->setWindowModality(Qt::ApplicationModal);
    list->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(list.get()));
    const auto createBook = [this](const QString &name) {
        bool answered = false;
        bool newChosen = false;
        QTimer::singleShot(0, [&] {
            AnswerModal<TAddressSelect>([&](TAddressSelect &dialog) {
                answered = true;
                QApplication::processEvents();
                newChosen = dialog.findChild<QRadioButton *>(QStringLiteral("rbNew"))->isChecked();
                QWidget *typing = QApplication::focusWidget();
                EXPECT_EQ(typing, dialog.findChild<QLineEdit *>(QStringLiteral("edtNew")));
                if (typing) {
                    QTest::keyClick(typing, Qt::Key_A, Qt::ControlModifier);
                    QTest::keyClick(typing, Qt::Key_Delete);
                    TypeCharacters(typing, name);
                    QTest::keyClick(typing, Qt::Key_Return);
                }
                if (dialog.isVisible())
                    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("btnCancel")), Qt::LeftButton);
            });
        });
        // ファイル -> アドレス帳の新規作成 by the menu's keys.
        QMenu *fileMenu = nullptr;
        for (QMenu *menu : list->findChildren<QMenu *>())
            if (menu->actions().contains(action("actCreate")))
                fileMenu = menu;
        ASSERT_NE(fileMenu, nullptr);
        fileMenu->popup(list->mapToGlobal(QPoint(10, 10)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(fileMenu));
        QTest::keyClick(fileMenu, Qt::Key_C);
        EXPECT_TRUE(answered);
        EXPECT_TRUE(newChosen) << "the dialog opened for " << qPrintable(name) << " offers the existing books";
    };
    for (const QString &name : {QStringLiteral("取引先"), QStringLiteral("仕入先")}) {
        createBook(name);
        EXPECT_EQ(AdrsName, name);
        EXPECT_TRUE(std::any_of(AdrsFolderList.cbegin(), AdrsFolderList.cend(),
                                [&](const TAdrsFolderInfo &book) { return book.Name == name; }))
            << qPrintable(name) << " is no book";
    }
}

} // namespace
