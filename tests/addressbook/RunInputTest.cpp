// While a delete, a batch change or a copy runs, the user's keys, clicks and
// window closes reach no window that could move the rows, the selection or
// the open book. Each case starts a run over six selected rows, and the
// user acts through the real windows while the run serves the event loop
// (its progress not yet shown); afterwards exactly the selected records were
// written and nothing else changed.

#include "DtInqiryFixture.h"

#include "addressbook/AdrsCopy.h"
#include "addressbook/AdrsListModel.h"
#include "addressbook/AdrsListView.h"
#include "addressbook/BatchChg.h"
#include "addressbook/ListColumns.h"
#include "core/AdrsSel.h"
#include "core/AppSub.h"
#include "support/RowName.h"
#include "widgets/RecordRun.h"
#include "widgets/TntComCtrls.h"
#include "widgets/TntStdCtrls.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpontaneKeyEvent>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <map>

namespace {

constexpr int kRecords = 12;
const QList<int> kSelectedRows{0, 1, 2, 3, 4, 5};
const QString kOtherBook = QStringLiteral("写し");

enum class TCommand { Delete, BatchChange, Copy };

// The book "テスト" of twelve records (RecNo n: name 名前n, telephone, groups
// 1 and 2 in turn) and an empty second book "写し", the copy target.
class RunInput : public BookFixture
{
protected:
    RunInput()
        : BookFixture({{QStringLiteral("テスト"), QStringLiteral("Book1"), AdrsStateUnchanged},
                       {kOtherBook, QStringLiteral("Book2"), AdrsStateUnchanged}})
    {
    }

    void SetUp() override
    {
        BookFixture::SetUp();
        DMMurven19->CreateAdrsTable(QStringLiteral("Book1"));
        ASSERT_TRUE(DMMurven19->OpenAdrs());
        TTable &table = *DMMurven19->AdrsTable();
        for (int n = 1; n <= kRecords; ++n) {
            table.Append();
            table.FieldByName(QStringLiteral("NameKanji")).SetAsString(QStringLiteral("名前%1").arg(n));
            table.FieldByName(QStringLiteral("NameKana")).SetAsString(QStringLiteral("ﾅﾏｴ%1").arg(kRecords - n));
            table.FieldByName(QStringLiteral("Tel")).SetAsString(QStringLiteral("03%1").arg(11110000 + n));
            table.FieldByName(QStringLiteral("Group")).SetAsInteger(1 + n % 2);
            table.Post();
        }
        table.FlushBuffers();
        DMMurven19->CloseAdrs();
        writeSenders({QStringLiteral("差出人")});
        {
            TTable target;
            target.SetTableName(AdrsPath + QStringLiteral("Book2/Adrs.DB"));
            target.SetPassword(TablePassword);
            target.SetFieldDefs(AdrsFieldDefs);
            target.SetIndexDefs(AdrsIndexDefs);
            ASSERT_TRUE(target.CreateTable());
        }
        ASSERT_NO_FATAL_FAILURE(openList());
        ASSERT_EQ(list->GetRowCount(), kRecords);
        // The run serves the loop after every record and never shows its progress.
        TRecordRun::ShowAfterMs = 1000000;
        TRecordRun::ServeEveryMs = 0;
    }

    void TearDown() override
    {
        TRecordRun::ShowAfterMs = m_showAfter;
        TRecordRun::ServeEveryMs = m_serveEvery;
        BatchChangeFormHook = nullptr;
        if (form) {
            form->SetSkipConfirm(true);
            form->close();
        }
        batch.reset();
        if (AddressCopy)
            AddressCopy->close();
        flush();
        delete form.data();
        BookFixture::TearDown();
    }

    static void flush()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

    template <class T>
    T *listChild(const char *name) const
    {
        T *w = list->findChild<T *>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    // Every record of a book by number.
    static std::map<qint32, TAddressData> readBook(const QString &folder)
    {
        TTable table;
        table.SetTableName(AdrsPath + folder + QStringLiteral("/Adrs.DB"));
        table.SetPassword(TablePassword);
        table.Open();
        std::map<qint32, TAddressData> records;
        for (table.First(); !table.Eof(); table.Next()) {
            const qint32 recNo = table.FieldByName(QStringLiteral("RecNo")).AsInteger();
            EXPECT_TRUE(ReadAddressData(table, recNo, records[recNo], nullptr));
        }
        return records;
    }

    // The record form on a record the run does not touch, with an edit
    // pending; opened before the rows are selected.
    void openFormWithAnEdit()
    {
        form = new TDataInquiry;
        TAddressData data;
        ASSERT_TRUE(list->GetRecordAt(8, data));
        form->SetNavigationSource(1);
        form->StartInquiry(data);
        form->show();
        QCoreApplication::processEvents();
        auto *url = form->findChild<QLineEdit *>(QStringLiteral("edtURL"));
        ASSERT_NE(url, nullptr);
        url->setText(QStringLiteral("http://example.jp/"));
    }

    // Starts the command over the selected rows, as its window does.
    void run(TCommand command)
    {
        switch (command) {
        case TCommand::Delete:
            boxes.enqueue(IDYES);
            boxes.enqueue(IDYES); // a second delete, were it to get through
            QTest::keyClick(list->View(), Qt::Key_Delete);
            break;
        case TCommand::BatchChange: {
            batch = std::make_unique<TBatchChange>(list.get());
            batch->show();
            auto *check = batch->findChild<QCheckBox *>(QStringLiteral("chkKeyword1"));
            check->click();
            batch->findChild<TTntEdit *>(QStringLiteral("edtKeyword1"))->SetText(QStringLiteral("一括"));
            boxes.enqueue(IDYES);
            QTest::mouseClick(batch->findChild<QPushButton *>(QStringLiteral("btnStart")), Qt::LeftButton);
            break;
        }
        case TCommand::Copy: {
            TAddressCopy *copy = ShowAddressCopy(list.get());
            copy->findChild<QRadioButton *>(QStringLiteral("rbList"))->setChecked(true);
            copy->UpdateDataRange();
            copy->findChild<TTntListView *>(QStringLiteral("lvAdrs"))->Items().GetItem(0)->SetSelected(true);
            boxes.enqueue(IDYES);
            QTest::mouseClick(copy->findChild<QPushButton *>(QStringLiteral("btnCopy")), Qt::LeftButton);
            break;
        }
        }
    }

    // The records of the selected rows, as the list showed them before.
    QList<qint32> selectedRecNos() const
    {
        QList<qint32> recNos;
        for (const int row : kSelectedRows)
            recNos << list->GetRowRecNo(row);
        return recNos;
    }

    // What the command should have left in the books, from what they held.
    static void expectWritten(TCommand command, const QList<qint32> &selected,
                              std::map<qint32, TAddressData> before, const std::map<qint32, TAddressData> &after)
    {
        for (auto it = before.begin(); it != before.end();) {
            const bool chosen = selected.contains(it->first);
            if (chosen && command == TCommand::Delete) {
                it = before.erase(it);
                continue;
            }
            if (chosen && command == TCommand::BatchChange) {
                it->second.Keyword1 = Cp932::encode(QStringLiteral("一括"));
                auto written = after.find(it->first);
                if (written != after.end())
                    it->second.UpdDateTime = written->second.UpdDateTime;
            }
            ++it;
        }
        ASSERT_EQ(after.size(), before.size());
        for (const auto &[recNo, data] : before) {
            auto found = after.find(recNo);
            ASSERT_NE(found, after.end()) << recNo;
            EXPECT_TRUE(found->second == data) << "record " << recNo;
        }
    }

    // The names the copy put into the other book.
    static QStringList copiedNames()
    {
        QStringList names;
        for (const auto &[recNo, data] : readBook(QStringLiteral("Book2")))
            names << DecodeUnicodeField(data.NameKanji.Bytes());
        return names;
    }

    std::unique_ptr<TBatchChange> batch;
    QPointer<TDataInquiry> form;

private:
    const int m_showAfter = TRecordRun::ShowAfterMs;
    const int m_serveEvery = TRecordRun::ServeEveryMs;
};

class UserInputDuringARun;

// What the user does during the run.
struct InputCase {
    const char *name;
    std::function<void(UserInputDuringARun &)> act;
};

struct RunInputCase {
    std::string name;
    TCommand command;
    InputCase input;
};

class UserInputDuringARun : public RunInput, public ::testing::WithParamInterface<RunInputCase>
{
public:
    // Test access for the case table.
    TAddressList *List() const { return list.get(); }
    template <class T>
    T *ListChild(const char *name) const
    {
        return listChild<T>(name);
    }
    TDataInquiry *Form() const { return form.data(); }
    bool bookDialogShown = false;
    bool watching = true; // until the command is over
};

// The view state the inputs would change: sort, direction, group, book.
QString viewState(TAddressList *list)
{
    const auto *group = list->findChild<QComboBox *>(QStringLiteral("cbxGroup"));
    return QStringLiteral("%1/%2/%3/%4")
        .arg(list->Model()->SortType)
        .arg(list->Model()->SortDir)
        .arg(group->currentIndex())
        .arg(AdrsName);
}

const InputCase kInputs[] = {
    {"reloadKey", [](UserInputDuringARun &t) {
         QTest::keyClick(t.List()->View(), Qt::Key_F5);
     }},
    {"sortDirectionButton", [](UserInputDuringARun &t) {
         QTest::mouseClick(t.ListChild<QToolButton>("sbtnSortDirection"),
                           Qt::LeftButton);
     }},
    {"sortCombo", [](UserInputDuringARun &t) {
         QTest::keyClick(t.ListChild<QComboBox>("cbxSort"), Qt::Key_Down);
     }},
    {"groupCombo", [](UserInputDuringARun &t) {
         QTest::keyClick(t.ListChild<QComboBox>("cbxGroup"), Qt::Key_Down);
     }},
    {"openAnotherBook", [](UserInputDuringARun &t) {
         UserInputDuringARun &test = t;
         // Were the book dialog to come up, it would open the other book.
         std::shared_ptr<std::function<void()>> watch = std::make_shared<std::function<void()>>();
         *watch = [&test, watch] {
             if (auto *chooser = qobject_cast<TAddressSelect *>(QApplication::activeModalWidget())) {
                 test.bookDialogShown = true;
                 chooser->BookName = kOtherBook;
                 chooser->Changed = true;
                 chooser->accept();
                 return;
             }
             if (test.watching)
                 QTimer::singleShot(1, *watch);
         };
         QTimer::singleShot(0, *watch);
         auto *bar = test.ListChild<QMenuBar>("mnuMain");
         QAction *fileMenu = bar->actions().first();
         QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(fileMenu).center());
         if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
             QAction *open = test.List()->findChild<QAction *>(QStringLiteral("actOpen"));
             QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(open).center());
         }
     }},
    {"secondDelete", [](UserInputDuringARun &t) {
         QTest::keyClick(t.List()->View(), Qt::Key_Delete);
     }},
    {"recordFormSave", [](UserInputDuringARun &t) {
         auto *save = t.Form()->findChild<QPushButton *>(QStringLiteral("btnUpdate"));
         QTest::mouseClick(save, Qt::LeftButton);
     }},
};

std::vector<RunInputCase> runInputCases()
{
    std::vector<RunInputCase> cases;
    const std::pair<TCommand, const char *> commands[] = {
        {TCommand::Delete, "delete"}, {TCommand::BatchChange, "batchChange"}, {TCommand::Copy, "copy"}};
    for (const auto &[command, name] : commands) {
        for (const InputCase &input : kInputs)
            cases.push_back({std::string(name) + "_" + input.name, command, input});
    }
    return cases;
}

TEST_P(UserInputDuringARun, reachesNoWindowAndTheRunWritesExactlyTheSelectedRecords)
{
    const RunInputCase &c = GetParam();
    ASSERT_NO_FATAL_FAILURE(openFormWithAnEdit());
    const auto bookBefore = readBook(QStringLiteral("Book1"));
    selectRows(kSelectedRows);
    const QList<qint32> selected = selectedRecNos();
    const QString viewBefore = viewState(list.get());
    list->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(list.get()));
    bool acted = false;
    QTimer::singleShot(0, [&] {
        acted = TRecordRun::Running();
        c.input.act(*this);
    });
    run(c.command);
    flush();
    watching = false;

    EXPECT_TRUE(acted) << "the input came while the run served the loop";
    EXPECT_FALSE(TRecordRun::Running());
    EXPECT_FALSE(bookDialogShown);
    EXPECT_EQ(viewState(list.get()), viewBefore);
    ASSERT_TRUE(form);
    EXPECT_TRUE(form->findChild<QPushButton *>(QStringLiteral("btnUpdate"))->isEnabled()) << "the edit still pends";
    const int questions = int(std::count_if(boxes.shown().cbegin(), boxes.shown().cend(), [](const auto &box) {
        return box.text.startsWith(QStringLiteral("選択したデータを削除します"));
    }));
    EXPECT_EQ(questions, c.command == TCommand::Delete ? 1 : 0);

    const auto bookAfter = readBook(QStringLiteral("Book1"));
    if (c.command == TCommand::Copy) {
        expectWritten(c.command, selected, bookBefore, bookAfter);
        QStringList expected;
        for (const qint32 recNo : selected)
            expected << QStringLiteral("名前%1").arg(recNo);
        EXPECT_EQ(copiedNames(), expected);
    } else {
        expectWritten(c.command, selected, bookBefore, bookAfter);
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, UserInputDuringARun, ::testing::ValuesIn(runInputCases()), rowName);

// Closing the main window during a run asks first: yes stops the run after
// the record in hand, as the cancel button does, and the window closes once
// the command is over; no lets the run go on.
struct CloseCase {
    const char *name;
    int answer;
    int deleted;
    bool closed;
};

class CloseDuringARun : public RunInput, public ::testing::WithParamInterface<CloseCase>
{
};

TEST_P(CloseDuringARun, asksAndStopsTheRunOnlyOnYes)
{
    const CloseCase &c = GetParam();
    selectRows(kSelectedRows);
    QTimer::singleShot(0, [&] {
        boxes.enqueue(c.answer);
        QCloseEvent close;
        QSpontaneKeyEvent::setSpontaneous(&close);
        QApplication::instance()->notify(list.get(), &close);
    });
    boxes.enqueue(IDYES);
    QTest::keyClick(list->View(), Qt::Key_Delete);
    for (int i = 0; i < 50 && c.closed && list->isVisible(); ++i)
        QTest::qWait(10);

    ASSERT_GE(boxes.count(), 2);
    EXPECT_EQ(boxes.shown()[1].text, QStringLiteral("データを処理しています  \r\n処理を中止して閉じますか？  "));
    EXPECT_EQ(boxes.shown()[1].flags, 0x124u);
    EXPECT_EQ(readBook(QStringLiteral("Book1")).size(), size_t(kRecords - c.deleted));
    EXPECT_EQ(list->isVisible(), !c.closed);
    if (c.closed) {
        EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("データの削除を中止しました")))
            << qPrintable(boxes.last().text);
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, CloseDuringARun,
                         ::testing::Values(CloseCase{"yesStopsAndCloses", IDYES, 1, true},
                                           CloseCase{"noGoesOn", IDNO, 6, false}),
                         rowName);

// A record the run could not write is named as the user sees it in the
// list: the list's No. (while the list shows that column), the name and the
// telephone; here in 名前順, where the rows' order is not the records'.
struct NamingCase {
    const char *name;
    bool numberShown;
    QString named;
};

class RecordNaming : public RunInput, public ::testing::WithParamInterface<NamingCase>
{
};

TEST_P(RecordNaming, refusedRecordsAreNamedByTheirRowNameAndTelephone)
{
    const NamingCase &c = GetParam();
    listChild<QComboBox>("cbxSort")->setCurrentIndex(6); // 名前順
    ASSERT_EQ(list->GetRowRecNo(1), 11);
    ASSERT_EQ(list->GetRowRecNo(2), 2);
    if (!c.numberShown) {
        for (TColumnRecord &column : list->Model()->ColumnRecords()) {
            if (column.Index == 0)
                column.Shown = false;
        }
        list->RefreshList(true, false, true);
    }
    selectRows({0, 1, 2});
    alterBook("CREATE TRIGGER keep BEFORE DELETE ON Data WHEN old.RecNo IN (11, 2) "
              "BEGIN SELECT RAISE(ABORT, 'read-only'); END;");
    boxes.enqueue(IDYES);
    QTest::keyClick(list->View(), Qt::Key_Delete);

    ASSERT_EQ(boxes.count(), 2);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("次の2件のデータは削除できませんでした  \r\n") + c.named))
        << qPrintable(boxes.last().text);
}

INSTANTIATE_TEST_SUITE_P(
    Delete, RecordNaming,
    ::testing::Values(NamingCase{"withTheListsNumber", true,
                                 QStringLiteral("No.2  名前11  0311110011  \r\nNo.3  名前2  0311110002  ")},
                      NamingCase{"withoutANumberColumn", false,
                                 QStringLiteral("名前11  0311110011  \r\n名前2  0311110002  ")}),
    rowName);

} // namespace
