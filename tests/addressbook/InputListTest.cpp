#include "addressbook/InputList.h"

#include "core/DBInfo.h"
#include "core/Env.h"
#include "core/HisInfo.h"
#include "platform/Cp932.h"
#include "support/FileHelpers.h"
#include "support/KeyInput.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"
#include "support/UnreadableNotices.h"
#include "widgets/TntStdCtrls.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QStringList kDepartments = {QStringLiteral("営業部"), QStringLiteral("Sales"), QStringLiteral("開発部"),
                                  QStringLiteral("総務部")};

// A data folder whose department history holds kDepartments (first first)
// and the dialog opened on it.
class InputListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_saved = {DataPath, HistoryPath};
        m_names = KeywordNames;
        KeywordNames[6] = QStringLiteral("趣味");
        KeywordNames[7] = QStringLiteral("地域");
        DataPath = home.root() + QStringLiteral("/data/");
        HistoryPath = DataPath + QStringLiteral("History/");
        QDir().mkpath(HistoryPath);
        DMMurven19 = new TDMMurven19;
        DMMurven19->CreateDatabase();
        DMMurven19->Connect();
        for (const QString &name : kDepartments)
            DMMurven19->DptmntHistory()->Add(Cp932::encode(name), 1.0);
        ASSERT_TRUE(DMMurven19->DptmntHistory()->Save());
        dialog = std::make_unique<TInputList>(nullptr);
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    }
    void TearDown() override
    {
        dialog.reset();
        FreeDataModule();
        DataPath = m_saved[0];
        HistoryPath = m_saved[1];
        KeywordNames = m_names;
    }

    template <typename T> T *child(const char *name) const { return dialog->findChild<T *>(name); }
    QListWidget *list() const { return child<QListWidget>("lbxList"); }
    TTntEdit *edit() const { return child<TTntEdit>("edtName"); }
    void click(const char *name) const { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
    // Japanese text arrives as an input-method commit, as a person types it.
    void type(const QString &text) const
    {
        edit()->clear();
        CommitThroughInputMethod(edit(), text);
    }
    // Clicks the first row, Ctrl-clicks the others.
    void selectRows(const QList<int> &rows) const
    {
        for (int i = 0; i < rows.size(); ++i) {
            const QPoint at = list()->visualItemRect(list()->item(rows[i])).center();
            QTest::mouseClick(list()->viewport(), Qt::LeftButton, i == 0 ? Qt::NoModifier : Qt::ControlModifier, at);
        }
    }
    QStringList entries() const
    {
        QStringList texts;
        for (int row = 0; row < list()->count(); ++row)
            texts << list()->item(row)->text();
        return texts;
    }
    QList<int> selected() const
    {
        QList<int> rows;
        for (int row = 0; row < list()->count(); ++row) {
            if (list()->item(row)->isSelected())
                rows << row;
        }
        return rows;
    }
    static QStringList fileEntries(const QString &file)
    {
        THistoryData history(HistoryPath + file, false, 100);
        history.Load();
        QStringList texts;
        for (int i = 0; i < history.GetCount(); ++i)
            texts << Cp932::decode(history.GetText(i));
        return texts;
    }

    ScopedHome home;
    ScriptedMessageBoxes boxes;
    std::unique_ptr<TInputList> dialog;

private:
    QStringList m_saved;
    std::array<QString, KeywordCount + 1> m_names;
};

TEST_F(InputListTest, addingANameDifferingOnlyInCaseGoesFirstAloneSelected)
{
    selectRows({2, 3});
    type(QStringLiteral(" sales "));
    QTest::keyClick(edit(), Qt::Key_Return);
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(entries().first(), QStringLiteral("sales"));
    EXPECT_EQ(selected(), QList<int>{0});
    EXPECT_TRUE(edit()->GetText().isEmpty());
    EXPECT_EQ(dialog->ChangedMask(), 1);
}

struct Refusal {
    const char *name;
    QList<int> rows;
    const char *button;
    QString text;
    QString message;
};
void PrintTo(const Refusal &r, std::ostream *os) { *os << r.name; }
class InputListRefusal : public InputListTest, public ::testing::WithParamInterface<Refusal>
{
};

TEST_P(InputListRefusal, showsItsMessageAndChangesNothing)
{
    const Refusal &r = GetParam();
    selectRows(r.rows);
    type(r.text);
    click(r.button);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, r.message);
    EXPECT_EQ(entries(), kDepartments);
    EXPECT_EQ(dialog->GetChangedLists(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, InputListRefusal,
    ::testing::Values(
        Refusal{"blankAdd", {}, "bbtnAdd", QStringLiteral("   "), QStringLiteral("名称を入力してください  ")},
        Refusal{"duplicateAdd", {}, "bbtnAdd", QStringLiteral("開発部"), QStringLiteral("既に同じ名称が登録されています  ")},
        Refusal{"changeWithTwoSelected", {0, 1}, "bbtnUpdate", QStringLiteral("x"),
                QStringLiteral("変更するデータを１件だけ選択してください  ")},
        Refusal{"changeToAnotherEntry", {1}, "bbtnUpdate", QStringLiteral("総務部"),
                QStringLiteral("既に同じ名称が登録されています  ")}),
    [](const ::testing::TestParamInfo<Refusal> &info) { return std::string(info.param.name); });

TEST_F(InputListTest, changingTheSelectedEntryToItsOwnTextIsAccepted)
{
    selectRows({1});
    type(QStringLiteral("Sales"));
    click("bbtnUpdate");
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(selected(), QList<int>{1});
    EXPECT_EQ(dialog->ChangedMask(), 1);
}

TEST_F(InputListTest, upAndDownMoveTheSelectedBlockAndStopAtTheEnds)
{
    selectRows({1, 2});
    click("bbtnUp");
    EXPECT_EQ(entries(), (QStringList{"Sales", "開発部", "営業部", "総務部"}));
    EXPECT_EQ(selected(), (QList<int>{0, 1}));
    click("bbtnDown");
    click("bbtnDown");
    EXPECT_EQ(entries(), (QStringList{"営業部", "総務部", "Sales", "開発部"}));
    EXPECT_FALSE(child<QPushButton>("bbtnDown")->isEnabled());

    click("bbtnDelete");
    EXPECT_EQ(entries(), (QStringList{"営業部", "総務部"}));
}

TEST_F(InputListTest, switchingTabsKeepsTheHalfTypedNameTheListAndTheSelection)
{
    selectRows({2});
    click("bbtnDelete");
    selectRows({1, 2});
    type(QStringLiteral("途中"));
    dialog->SetListKind(TInputList::lkKeyword8);
    EXPECT_EQ(list()->count(), 0);
    EXPECT_TRUE(edit()->GetText().isEmpty());

    dialog->SetListKind(TInputList::lkDepartment);
    EXPECT_EQ(edit()->GetText(), QStringLiteral("途中"));
    EXPECT_EQ(entries(), (QStringList{"営業部", "Sales", "総務部"}));
    EXPECT_EQ(selected(), (QList<int>{1, 2}));
}

TEST_F(InputListTest, cancellingNamesEveryChangedListAndNoKeepsTheDialog)
{
    type(QStringLiteral("企画部"));
    click("bbtnAdd");
    dialog->SetListKind(TInputList::lkKeyword7);
    type(QStringLiteral("関東"));
    click("bbtnAdd");

    boxes.enqueue(IDNO);
    click("btnCancel");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral(" 部署   \r\n 地域   \r\n以上のリストが変更されています  \r\n"
                                                "このままキャンセルすると変更内容が破棄されますが  \r\nよろしいですか？  "));
    EXPECT_EQ(boxes.last().flags, 0x124U);
    EXPECT_TRUE(dialog->isVisible());

    boxes.enqueue(IDYES);
    click("btnCancel");
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(fileEntries(QStringLiteral("Dptmnt.mtd")), kDepartments);
    EXPECT_TRUE(fileEntries(QStringLiteral("Keyword2.mtd")).isEmpty());
}

TEST_F(InputListTest, okWritesTheChangedHistoriesInListOrderNewestFirst)
{
    selectRows({3});
    click("bbtnUp");
    dialog->SetListKind(TInputList::lkPost);
    type(QStringLiteral("課長"));
    click("bbtnAdd");
    type(QStringLiteral("部長"));
    click("bbtnAdd");
    click("btnOk");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->GetChangedLists(), 0b11);
    EXPECT_EQ(fileEntries(QStringLiteral("Dptmnt.mtd")), (QStringList{"営業部", "Sales", "総務部", "開発部"}));
    EXPECT_EQ(fileEntries(QStringLiteral("Post.mtd")), (QStringList{"部長", "課長"}));
    const THistoryData *post = DMMurven19->PostHistory();
    EXPECT_EQ(post->GetWhen(0), 2.0);
    EXPECT_EQ(post->GetWhen(1), 1.0);
}

TEST_F(InputListTest, aHistoryThatCannotBeWrittenIsReportedAndTheDialogStaysOpen)
{
    type(QStringLiteral("企画部"));
    click("bbtnAdd");
    // A folder in the file's place makes the write fail.
    const QString file = HistoryPath + QStringLiteral("Dptmnt.mtd");
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(QDir().mkdir(file));
    click("btnOk");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().flags, 0x10U);
    EXPECT_TRUE(dialog->isVisible());

    ASSERT_TRUE(QDir().rmdir(file));
    click("btnOk");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(fileEntries(QStringLiteral("Dptmnt.mtd")).first(), QStringLiteral("企画部"));
}

// Another program on the data folder deletes a department while the dialog
// is open: OK after another change here does not bring it back, and keeps
// what the other program put in meanwhile.
TEST_F(InputListTest, okLeavesOutAnEntryAnotherProgramDeletedMeanwhile)
{
    {
        THistoryData other(HistoryPath + QStringLiteral("Dptmnt.mtd"), false, 100);
        other.Load();
        const int index = other.IndexOf(Cp932::encode(QStringLiteral("開発部")));
        ASSERT_GE(index, 0);
        other.Delete(index);
        ASSERT_TRUE(PutHistoryFirst(other, Cp932::encode(QStringLiteral("経理部"))));
    }
    type(QStringLiteral("企画部"));
    click("bbtnAdd");
    click("btnOk");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(fileEntries(QStringLiteral("Dptmnt.mtd")),
              (QStringList{"企画部", "営業部", "Sales", "総務部", "経理部"}));
}

} // namespace

// A damaged history, found when the book's histories are loaded: its list
// starts empty, the user is told once which file it was and where it is
// kept, and OK writes a new file beside the untouched copy.
TEST_F(InputListTest, aDamagedHistoryIsKeptAsideAndItsListStartsEmpty)
{
    dialog.reset();
    const QString file = HistoryPath + QStringLiteral("Keyword2.mtd");
    // One entry of two text bytes dated day 1.0, cut after its first text byte.
    const QByteArray damaged = QByteArray::fromHex("010000000A000000000000F03F9E");
    writeBytes(file, damaged);
    DMMurven19->Connect();
    dialog = std::make_unique<TInputList>(nullptr);
    dialog->show();
    dialog->SetListKind(TInputList::lkKeyword7);
    EXPECT_EQ(list()->count(), 0);
    ASSERT_EQ(boxes.count(), 1);
    QString copy;
    ASSERT_TRUE(keptAsideAndNamed(file, damaged, boxes.last().text, &copy));

    type(QStringLiteral("関東"));
    click("bbtnAdd");
    click("btnOk");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(fileEntries(QStringLiteral("Keyword2.mtd")), QStringList{QStringLiteral("関東")});
    EXPECT_TRUE(sameBytes(damaged, fileBytes(copy))) << "the copy is never written";
}
