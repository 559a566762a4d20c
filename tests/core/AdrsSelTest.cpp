#include "core/AdrsSel.h"

#include "core/Env.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "support/FileHelpers.h"
#include "support/Screenshot.h"
#include "support/ScriptedMessageBoxes.h"
#include "widgets/TntActnList.h"
#include "widgets/TntComCtrls.h"
#include "widgets/TntStdCtrls.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <ostream>

namespace {

const QString Forbidden = QStringLiteral("アドレス帳には次の文字は使えません\r\n \\ / : ; * ? \" < > |   ");

class AddressBooks : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_savedPath = AdrsPath;
        AdrsPath = m_dir.path() + QStringLiteral("/Adrs/");
        QDir().mkpath(AdrsPath);
        AdrsFolderList.clear();
        AdrsFolderIndex = -1;
    }
    void TearDown() override
    {
        AdrsPath = m_savedPath;
        AdrsFolderList.clear();
        AdrsFolderIndex = -1;
    }

    static void makeBook(const QString &folder, const QString &tableName = QStringLiteral("Adrs.DB"))
    {
        QDir().mkpath(AdrsPath + folder);
        writeBytes(AdrsPath + folder + "/" + tableName, folder.toUtf8());
    }
    static void writeOrder(const QStringList &folders)
    {
        TMemIniFile ini(AdrsMngFileName());
        for (int i = 0; i < folders.size(); ++i)
            ini.WriteString("SORT", QString::number(i + 1), folders[i]);
        ASSERT_TRUE(ini.UpdateFile());
    }
    static QStringList names()
    {
        QStringList result;
        for (const TAdrsFolderInfo &info : AdrsFolderList)
            result.append(info.Name);
        return result;
    }
    static QStringList folders()
    {
        QStringList result;
        for (const TAdrsFolderInfo &info : AdrsFolderList)
            result.append(info.Folder);
        return result;
    }
    static QString tableOf(const QString &folder) { return QString::fromUtf8(fileBytes(AdrsPath + folder + "/Adrs.DB")); }

    QTemporaryDir m_dir;
    QString m_savedPath;
};

} // namespace

TEST_F(AddressBooks, orderFileDecidesOrderAndDropsMissingFolders)
{
    for (const char *book : {"beta", "Alpha", "gamma", "delta"})
        makeBook(book);
    writeOrder({"gamma", "missing", "beta", "gamma"});
    ScanAddressBooks(false);
    EXPECT_EQ(folders(), QStringList({"gamma", "beta", "Alpha", "delta"}));
    EXPECT_EQ(names(), folders());
    EXPECT_EQ(AdrsFolderIndex, -1);
}

TEST_F(AddressBooks, tableFileIsFoundWhateverItsLetterCase)
{
    makeBook("upper", "ADRS.DB");
    makeBook("lower", "adrs.db");
    QDir().mkpath(AdrsPath + "empty");
    QDir().mkpath(AdrsPath + "other");
    writeBytes(AdrsPath + "other/Sender.DB", "x");
    ScanAddressBooks(false);
    EXPECT_EQ(folders(), QStringList({"lower", "upper"}));
}

TEST_F(AddressBooks, foldersDifferingInCaseAreDifferentBooks)
{
    makeBook("abc");
    makeBook("ABC");
    makeBook("Zed");
    writeOrder({"zed", "abc"}); // "zed" names no folder here
    ScanAddressBooks(false);
    EXPECT_EQ(folders(), QStringList({"abc", "ABC", "Zed"}));
}

TEST_F(AddressBooks, pendingOperationsShowWithoutApplying)
{
    makeBook("gone");
    makeBook("old");
    TMemIniFile op(AdrsOpFileName());
    op.WriteInteger("DELETE", "Count", 1);
    op.WriteString("DELETE", "1", "gone");
    op.WriteInteger("RENAME", "Count", 1);
    op.WriteString("RENAME", "1", "old/new");
    ASSERT_TRUE(op.UpdateFile());

    ScanAddressBooks(false);
    ASSERT_EQ(AdrsFolderList.size(), 2);
    EXPECT_EQ(AdrsFolderList[0].Name, QString());
    EXPECT_EQ(AdrsFolderList[0].State, AdrsStateDeleted);
    EXPECT_EQ(AdrsFolderList[1].Name, QStringLiteral("new"));
    EXPECT_EQ(AdrsFolderList[1].Folder, QStringLiteral("old"));
    EXPECT_EQ(AdrsFolderList[1].State, AdrsStateRenamed);
    EXPECT_TRUE(QFileInfo::exists(AdrsOpFileName()));
}

TEST_F(AddressBooks, startupAppliesDeletionsAndRenamings)
{
    makeBook("gone");
    makeBook("old");
    makeBook("keep");
    writeOrder({"old", "gone", "keep"});
    ASSERT_TRUE(AppendPendingDelete("gone"));
    ASSERT_TRUE(AppendPendingDelete("never-there"));
    ASSERT_TRUE(AppendPendingRename("old", "new"));

    ScanAddressBooks(true);
    EXPECT_FALSE(QFileInfo::exists(AdrsPath + "gone"));
    EXPECT_FALSE(QFileInfo::exists(AdrsPath + "old"));
    EXPECT_EQ(tableOf("new"), QStringLiteral("old"));
    EXPECT_EQ(folders(), QStringList({"new", "keep"})); // the renamed book keeps its place
    EXPECT_FALSE(QFileInfo::exists(AdrsOpFileName()));
}

TEST_F(AddressBooks, renamingIntoExistingFolderMovesFileByFile)
{
    makeBook("old");
    writeBytes(AdrsPath + "old/Group.dat", "g");
    QDir().mkpath(AdrsPath + "new");
    writeBytes(AdrsPath + "new/stray.txt", "s");
    ASSERT_TRUE(AppendPendingRename("old", "new"));
    ScanAddressBooks(true);
    EXPECT_FALSE(QFileInfo::exists(AdrsPath + "old"));
    EXPECT_EQ(tableOf("new"), QStringLiteral("old"));
    EXPECT_EQ(fileBytes(AdrsPath + "new/Group.dat"), QByteArray("g"));
    EXPECT_EQ(fileBytes(AdrsPath + "new/stray.txt"), QByteArray("s"));
}

TEST_F(AddressBooks, renamingThatCannotMoveStaysPending)
{
    makeBook("old");
    makeBook("new"); // an Adrs.DB already there: the move stops at it
    ASSERT_TRUE(AppendPendingRename("old", "new"));
    ScanAddressBooks(true);
    EXPECT_EQ(tableOf("old"), QStringLiteral("old"));
    EXPECT_EQ(tableOf("new"), QStringLiteral("new"));
    const TMemIniFile op(AdrsOpFileName());
    EXPECT_EQ(op.ReadInteger("RENAME", "Count", 0), 1);
    EXPECT_EQ(op.ReadString("RENAME", "1", ""), QStringLiteral("old/new"));
    EXPECT_EQ(op.ReadInteger("DELETE", "Count", -1), 0);
}

TEST_F(AddressBooks, pendingEntriesReachingOutsideTheBooksAreDropped)
{
    makeBook("A");
    writeBytes(m_dir.path() + "/outside.txt", "o");
    TMemIniFile op(AdrsOpFileName());
    op.WriteInteger("DELETE", "Count", 2);
    op.WriteString("DELETE", "1", "..");
    op.WriteString("DELETE", "2", "../Adrs");
    op.WriteInteger("RENAME", "Count", 1);
    op.WriteString("RENAME", "1", "A/../moved");
    ASSERT_TRUE(op.UpdateFile());

    ScanAddressBooks(true);
    EXPECT_EQ(fileBytes(m_dir.path() + "/outside.txt"), QByteArray("o"));
    EXPECT_EQ(tableOf("A"), QStringLiteral("A"));
    EXPECT_FALSE(QFileInfo::exists(m_dir.path() + "/moved"));
    EXPECT_EQ(names(), QStringList({"A"}));
    EXPECT_FALSE(QFileInfo::exists(AdrsOpFileName()));
}

// ---- the dialog ------------------------------------------------------------

namespace {

class BookDialog : public AddressBooks
{
protected:
    void TearDown() override
    {
        m_dialog.reset();
        AddressBooks::TearDown();
    }
    void open(const QString &bookName, int mode)
    {
        ScanAddressBooks(false);
        m_dialog = std::make_unique<TAddressSelect>();
        m_dialog->BookName = bookName;
        m_dialog->SetMode(mode);
        m_dialog->show();
        QCoreApplication::processEvents();
    }
    template <typename T> T *child(const char *name) const
    {
        T *found = m_dialog->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    TTntListView *list() const { return child<TTntListView>("lvAdrs"); }
    int rowOf(const QString &caption) const
    {
        for (int row = 0; row < list()->Items().Count(); ++row)
            if (list()->Items().GetItem(row)->Caption() == caption)
                return row;
        return -1;
    }
    void select(const QString &caption) const
    {
        list()->SetSelected(nullptr);
        list()->SetSelected(list()->Items().GetItem(rowOf(caption)));
    }
    // Renames in place as a user would: F2, type, Enter.
    void renameInPlace(const QString &caption, const QString &typed) const
    {
        select(caption);
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_F2);
        QLineEdit *editor = nullptr;
        for (QLineEdit *e : list()->viewport()->findChildren<QLineEdit *>())
            if (e->isVisible())
                editor = e;
        ASSERT_NE(editor, nullptr);
        editor->setText(typed);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
    }
    static QString pendingRenames()
    {
        const TMemIniFile op(AdrsOpFileName());
        QStringList result;
        for (int i = 1; i <= op.ReadInteger("RENAME", "Count", 0); ++i)
            result.append(op.ReadString("RENAME", QString::number(i), ""));
        return result.join(',');
    }

    ScriptedMessageBoxes m_boxes;
    std::unique_ptr<TAddressSelect> m_dialog;
};

struct RenameRefusal {
    const char *name;
    QString typed;
    QString message;
};
void PrintTo(const RenameRefusal &c, std::ostream *os) { *os << c.name; }

class BookRenameRefusal : public BookDialog, public ::testing::WithParamInterface<RenameRefusal>
{
};

} // namespace

TEST_P(BookRenameRefusal, refusedNameKeepsCaptionAndFiles)
{
    makeBook("Open");
    makeBook("Other");
    makeBook("second");
    open("Open", 1);
    renameInPlace("Other", GetParam().typed);
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_EQ(m_boxes.last().text, GetParam().message);
    EXPECT_EQ(m_boxes.last().caption, QStringLiteral("ピルカノス2014"));
    EXPECT_EQ(m_boxes.last().flags, 0x40u);
    EXPECT_GE(rowOf("Other"), 0);
    EXPECT_FALSE(QFileInfo::exists(AdrsOpFileName()));
}

INSTANTIATE_TEST_SUITE_P(
    Names, BookRenameRefusal,
    ::testing::Values(
        RenameRefusal{"empty", "", "空白の名前に変更することはできません  "},
        RenameRefusal{"leadingDot", ".hidden", "' . ' で始まる名前は指定できません  "},
        RenameRefusal{"slash", "a/b", Forbidden},
        RenameRefusal{"doubleQuote", "a\"b", Forbidden},
        RenameRefusal{"pipe", "a|b", Forbidden},
        RenameRefusal{"duplicateIgnoringCase", "SECOND", "指定された名前のアドレス帳は既に存在します  "},
        RenameRefusal{"tooLong", QString(101, 'x'), "アドレス帳の名前の長さは全角で５０文字分までです  "}),
    [](const ::testing::TestParamInfo<RenameRefusal> &info) { return std::string(info.param.name); });

TEST_F(BookDialog, openBookCannotBeRenamedOrDeleted)
{
    makeBook("Open");
    open("open", 1);
    renameInPlace("Open", "Closed");
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_EQ(m_boxes.last().text, QStringLiteral("現在編集中のアドレス帳の名前は変更できません  "));
    child<TTntAction>("actDelete")->trigger();
    EXPECT_EQ(m_boxes.last().text, QStringLiteral("現在編集中のアドレス帳は削除できません  "));
    EXPECT_EQ(AdrsFolderList[0].State, AdrsStateUnchanged);
}

TEST_F(BookDialog, renamingToOwnCaptionDoesNothingAndCaseChangeIsAccepted)
{
    makeBook("A");
    makeBook("Open");
    open("Open", 1);
    renameInPlace("A", "A");
    EXPECT_EQ(m_boxes.count(), 0);
    EXPECT_FALSE(QFileInfo::exists(AdrsOpFileName()));
    renameInPlace("A", "a");
    EXPECT_EQ(m_boxes.count(), 0);
    EXPECT_EQ(pendingRenames(), QStringLiteral("A/a"));
}

TEST_F(BookDialog, overlongNameIsCutAndEditingReopens)
{
    makeBook("Open");
    makeBook("Other");
    open("Open", 1);
    const QString typed = QString(99, 'x') + QStringLiteral("あ"); // 101 bytes, the last character at 100
    renameInPlace("Other", typed);
    ASSERT_EQ(m_boxes.count(), 1);
    QLineEdit *editor = nullptr;
    for (QLineEdit *e : list()->viewport()->findChildren<QLineEdit *>())
        if (e->isVisible())
            editor = e;
    ASSERT_NE(editor, nullptr) << "editing did not reopen";
    EXPECT_EQ(editor->text(), QString(99, 'x'));
    EXPECT_EQ(list()->Items().GetItem(rowOf("Other"))->Caption(), QStringLiteral("Other"));
}

TEST_F(BookDialog, renamingTwiceEndsUnderTheLastNameAfterRestart)
{
    makeBook("A");
    makeBook("Open");
    open("Open", 1);
    renameInPlace("A", "B");
    renameInPlace("B", "C");
    EXPECT_EQ(m_boxes.count(), 0);
    EXPECT_EQ(names(), QStringList({"C", "Open"}));
    m_dialog.reset();

    ScanAddressBooks(true);
    EXPECT_EQ(folders(), QStringList({"C", "Open"}));
    EXPECT_EQ(tableOf("C"), QStringLiteral("A"));
    EXPECT_FALSE(QFileInfo::exists(AdrsPath + "A"));
    EXPECT_FALSE(QFileInfo::exists(AdrsPath + "B"));
    EXPECT_FALSE(QFileInfo::exists(AdrsOpFileName()));
}

TEST_F(BookDialog, deletingAndRecreatingABookUsesATemporaryFolderUntilRestart)
{
    makeBook("X");
    makeBook("Open");
    open("Open", 1);
    select("X");
    m_boxes.enqueue(IDYES);
    child<TTntAction>("actDelete")->trigger();
    EXPECT_EQ(m_boxes.last().text, QStringLiteral("アドレス帳 'X' を削除します  \r\nよろしいですか？  "));
    EXPECT_EQ(m_boxes.last().flags, 0x124u);
    EXPECT_EQ(rowOf("X"), -1);

    child<QRadioButton>("rbNew")->setChecked(true);
    child<TTntEdit>("edtNew")->SetText(QStringLiteral("  X "));
    QTest::mouseClick(child<QPushButton>("btnOk"), Qt::LeftButton);
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(m_dialog->Changed);
    EXPECT_EQ(m_dialog->BookName, QStringLiteral("X"));
    EXPECT_TRUE(QFileInfo(AdrsPath + QStringLiteral("X（1）")).isDir());
    makeBook(QStringLiteral("X（1）")); // the new book's table, as opening it would create
    m_dialog.reset();

    ScanAddressBooks(true);
    EXPECT_EQ(names(), QStringList({"Open", "X"}));
    EXPECT_EQ(tableOf("X"), QStringLiteral("X（1）"));
    EXPECT_FALSE(QFileInfo::exists(AdrsPath + QStringLiteral("X（1）")));
}

TEST_F(BookDialog, deleteAnsweredNoKeepsTheBook)
{
    makeBook("X");
    makeBook("Open");
    open("Open", 1);
    select("X");
    m_boxes.enqueue(IDNO);
    child<TTntAction>("actDelete")->trigger();
    EXPECT_GE(rowOf("X"), 0);
    EXPECT_FALSE(QFileInfo::exists(AdrsOpFileName()));
}

struct CreateRefusal {
    const char *name;
    QString typed;
    QString message;
};
void PrintTo(const CreateRefusal &c, std::ostream *os) { *os << c.name; }
class BookCreateRefusal : public BookDialog, public ::testing::WithParamInterface<CreateRefusal>
{
};

TEST_P(BookCreateRefusal, refusedNameKeepsDialogOpen)
{
    open(QString(), 0);
    child<TTntEdit>("edtNew")->SetText(GetParam().typed);
    QTest::mouseClick(child<QPushButton>("btnOk"), Qt::LeftButton);
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_EQ(m_boxes.last().text, GetParam().message);
    EXPECT_EQ(m_boxes.last().flags, 0x40u);
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_TRUE(QDir(AdrsPath).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Names, BookCreateRefusal,
    ::testing::Values(CreateRefusal{"blank", "   ", "作成するアドレス帳の名前を入力してください  "},
                      CreateRefusal{"dot", ".", "' . ' で始まる名前は指定できません  "},
                      CreateRefusal{"colon", "a:b", Forbidden}, CreateRefusal{"backslash", "a\\b", Forbidden}),
    [](const ::testing::TestParamInfo<CreateRefusal> &info) { return std::string(info.param.name); });

TEST_F(BookDialog, creatingAnExistingNameOffersToOpenIt)
{
    makeBook("Family");
    open("Family", 0);
    child<TTntEdit>("edtNew")->SetText("family");
    m_boxes.enqueue(IDNO);
    QTest::mouseClick(child<QPushButton>("btnOk"), Qt::LeftButton);
    EXPECT_EQ(m_boxes.last().text, QStringLiteral("アドレス帳 'Family' は存在します  \r\n開きますか？  "));
    EXPECT_EQ(m_boxes.last().flags, 0x24u);
    EXPECT_TRUE(m_dialog->isVisible());

    m_boxes.enqueue(IDYES);
    QTest::mouseClick(child<QPushButton>("btnOk"), Qt::LeftButton);
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_EQ(m_dialog->BookName, QStringLiteral("Family"));
    EXPECT_FALSE(m_dialog->Changed);
}

TEST_F(BookDialog, editLimitsNameToHundredBytes)
{
    open(QString(), 0);
    auto *edit = child<TTntEdit>("edtNew");
    edit->setFocus();
    for (int i = 0; i < 60; ++i)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QStringLiteral("あ"), Qt::NoModifier);
    EXPECT_EQ(Cp932::byteLength(edit->GetText()), 100);
}

TEST_F(BookDialog, openingNeedsASelectionAndReportsChange)
{
    makeBook("One");
    makeBook("Two");
    open("One", 1);
    EXPECT_EQ(m_dialog->windowTitle(), QStringLiteral("アドレス帳の切り替え"));
    EXPECT_EQ(list()->GetSelected()->Caption(), QStringLiteral("One"));
    EXPECT_FALSE(child<TTntAction>("actUp")->isEnabled());
    EXPECT_TRUE(child<TTntAction>("actDown")->isEnabled());
    list()->SetSelected(nullptr);
    QTest::mouseClick(child<QPushButton>("btnOk"), Qt::LeftButton);
    EXPECT_EQ(m_boxes.last().text, QStringLiteral("アドレス帳を選択してください  "));
    select("Two");
    QTest::mouseClick(child<QPushButton>("btnOk"), Qt::LeftButton);
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(m_dialog->Changed);
    EXPECT_EQ(m_dialog->BookName, QStringLiteral("Two"));
}

TEST_F(BookDialog, movingABookSwapsEntriesAndFollowsTheOpenIndex)
{
    makeBook("One");
    makeBook("Two");
    makeBook("Three");
    open("One", 1); // sorted: One, Three, Two
    AdrsFolderIndex = 0;
    select("Two");
    child<TTntAction>("actUp")->trigger();
    EXPECT_EQ(folders(), QStringList({"One", "Two", "Three"}));
    EXPECT_EQ(list()->GetSelected()->Caption(), QStringLiteral("Two"));
    select("One");
    child<TTntAction>("actDown")->trigger();
    EXPECT_EQ(folders(), QStringList({"Two", "One", "Three"}));
    EXPECT_EQ(AdrsFolderIndex, 1);
}

TEST_F(BookDialog, startupChoiceWithoutBooksCreatesAndAsksBeforeCancelling)
{
    open(QString(), 9);
    EXPECT_EQ(m_dialog->windowTitle(), QStringLiteral("アドレス帳の作成"));
    EXPECT_EQ(m_dialog->Mode, 9);
    EXPECT_TRUE(child<QRadioButton>("rbNew")->isChecked());
    EXPECT_FALSE(child<QRadioButton>("rbOpen")->isEnabled());
    EXPECT_FALSE(child<TTntAction>("actDelete")->isEnabled());
    m_boxes.enqueue(IDNO);
    QTest::mouseClick(child<QPushButton>("btnCancel"), Qt::LeftButton);
    EXPECT_EQ(m_boxes.last().text,
              QStringLiteral("キャンセルした場合アドレス帳が開けませんので  \r\nピルカノス2014 を終了することになります  "
                             "\r\nよろしいですか？  "));
    EXPECT_EQ(m_boxes.last().flags, 0x124u);
    EXPECT_TRUE(m_dialog->isVisible());
    m_boxes.enqueue(IDYES);
    QTest::mouseClick(child<QPushButton>("btnCancel"), Qt::LeftButton);
    EXPECT_EQ(m_dialog->result(), QDialog::Rejected);
}

TEST_F(BookDialog, checkedRadioCaptionIsBlueAndEnterMovesFocus)
{
    makeBook("One");
    open("One", 1);
    auto *rbNew = child<QRadioButton>("rbNew");
    auto *rbOpen = child<QRadioButton>("rbOpen");
    EXPECT_EQ(rbOpen->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_NE(rbNew->palette().color(QPalette::WindowText), QColor(Qt::blue));
    m_dialog->activateWindow();
    child<TTntEdit>("edtNew")->setFocus();
    QCoreApplication::processEvents();
    EXPECT_TRUE(rbNew->isChecked());
    EXPECT_EQ(rbNew->palette().color(QPalette::WindowText), QColor(Qt::blue));
    QTest::keyClick(child<TTntEdit>("edtNew"), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), child<QPushButton>("btnOk"));
    saveScreenshot(m_dialog.get(), QStringLiteral("AddressSelect"));
}

TEST_F(BookDialog, createModeStartsInTheEditWithCaretAtTheEnd)
{
    open(QStringLiteral("Family"), 0);
    QApplication::setActiveWindow(m_dialog.get());
    QCoreApplication::processEvents();
    auto *edit = child<TTntEdit>("edtNew");
    EXPECT_EQ(QApplication::focusWidget(), edit);
    EXPECT_EQ(edit->GetText(), QStringLiteral("Family"));
    EXPECT_FALSE(edit->hasSelectedText());
    EXPECT_EQ(edit->cursorPosition(), 6);
}

TEST_F(BookDialog, doubleClickOpensTheClickedBook)
{
    makeBook("One");
    makeBook("Two");
    open("One", 1);
    select("Two");
    const QRect rect = list()->visualRect(list()->model()->index(rowOf("Two"), 0));
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    QTest::mouseDClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_EQ(m_dialog->BookName, QStringLiteral("Two"));
    EXPECT_EQ(m_boxes.count(), 0);
}
