#include "core/AdrsSel.h"

#include "core/Env.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "support/DataFolders.h"
#include "support/FileHelpers.h"
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
#include <string>

namespace {

const QString Forbidden = QStringLiteral("アドレス帳には次の文字は使えません\r\n \\ / : ; * ? \" < > |   ");
const QString Reserved = QStringLiteral("この名前はアドレス帳の管理ファイルに使われているため指定できません  ");
const QString ControlChar = QStringLiteral("アドレス帳の名前に制御文字は使えません  ");
const QString FolderTooLong = QStringLiteral("アドレス帳の名前が長すぎてフォルダー名にできません  ");

// A temporary book folder (AdrsPath) with helpers to make books and read back
// the scanned list.
class AddressBooks : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir().mkpath(AdrsPath);
        QDir().mkpath(DataRoot);
    }
    void TearDown() override
    {
        AdrsName = m_savedName;
        AdrsFolderList.clear();
        AdrsFolderIndex = -1;
    }

    // A book folder whose table holds the folder's own name, to trace moves.
    static void makeBook(const QString &folder, const QString &tableName = QStringLiteral("Adrs.DB"))
    {
        QDir().mkpath(AdrsPath + folder);
        writeBytes(AdrsPath + folder + "/" + tableName, folder.toUtf8());
    }
    static void writeIni(const QString &file, const QString &section, const QStringList &values, bool count)
    {
        TMemIniFile ini(file);
        if (count)
            ini.WriteInteger(section, "Count", static_cast<int>(values.size()));
        for (int i = 0; i < values.size(); ++i)
            ini.WriteString(section, QString::number(i + 1), values[i]);
        ASSERT_TRUE(ini.UpdateFile());
    }
    static void writeOrder(const QStringList &folders) { writeIni(AdrsMngFileName(), "SORT", folders, false); }
    // One field of every scanned book, in list order.
    static QStringList listed(QString TAdrsFolderInfo::*field)
    {
        QStringList result;
        for (const TAdrsFolderInfo &info : AdrsFolderList)
            result.append(info.*field);
        return result;
    }
    static QStringList names() { return listed(&TAdrsFolderInfo::Name); }
    static QStringList folders() { return listed(&TAdrsFolderInfo::Folder); }
    static QString tableOf(const QString &folder) { return QString::fromUtf8(fileBytes(AdrsPath + folder + "/Adrs.DB")); }
    static bool exists(const QString &folder) { return QFileInfo::exists(AdrsPath + folder); }

    QTemporaryDir m_dir;
    ScopedDataFolders m_folders{m_dir.path()};
    QString m_savedName = AdrsName;
};

TEST_F(AddressBooks, orderFileDecidesOrderAndDropsMissingFolders)
{
    for (const char *book : {"beta", "Alpha", "gamma", "delta"})
        makeBook(book);
    writeOrder({"gamma", "missing", "beta", "gamma"});
    ASSERT_TRUE(ScanAddressBooks(false));
    EXPECT_EQ(folders(), QStringList({"gamma", "beta", "Alpha", "delta"}));
    EXPECT_EQ(names(), folders());
    EXPECT_EQ(AdrsFolderIndex, -1);
}

TEST_F(AddressBooks, aPendingDeletionThatFailsIsRetriedAtTheNextStart)
{
    makeBook("gone");
    makeBook("keep");
    ASSERT_TRUE(AppendPendingDelete("gone"));
    SetBookFolderRenameFailure([](const QString &from, const QString &) { return from == "gone"; });
    const bool scanned = ScanAddressBooks(true);
    SetBookFolderRenameFailure({});
    ASSERT_TRUE(scanned);
    EXPECT_TRUE(exists("gone"));
    EXPECT_EQ(TMemIniFile(AdrsOpFileName()).ReadString("DELETE", "1", ""), QStringLiteral("gone"));
    // Still held as deleted, so a new book "gone" gets a folder of its own.
    EXPECT_EQ(names(), QStringList({"", "keep"}));
    EXPECT_EQ(AdrsFolderList[0].State, AdrsStateDeleted);

    ASSERT_TRUE(ScanAddressBooks(true));
    EXPECT_FALSE(exists("gone"));
    EXPECT_EQ(names(), QStringList({"keep"}));
    EXPECT_FALSE(QFileInfo::exists(AdrsOpFileName()));
}

TEST_F(AddressBooks, aDeletionThatCannotFinishFreesTheNameAtOnceAndEndsAtTheNextStart)
{
    makeBook("gone");
    QDir().mkpath(AdrsPath + "gone/held"); // a folder inside keeps the book folder from going
    ASSERT_TRUE(AppendPendingDelete("gone"));
    ASSERT_TRUE(ScanAddressBooks(true));
    EXPECT_FALSE(exists("gone"));
    EXPECT_TRUE(names().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(AdrsOpFileName()));
    const QStringList left = QDir(AdrsPath).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    ASSERT_EQ(left.size(), 1);

    ASSERT_TRUE(QDir().rmdir(AdrsPath + left.first() + "/held"));
    ASSERT_TRUE(ScanAddressBooks(true));
    EXPECT_TRUE(QDir(AdrsPath).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

// A renaming moves a whole folder: into an empty folder, or none; anything in
// the way keeps it pending, and the renamings made after it wait too.
TEST_F(AddressBooks, renamingNeverMergesIntoAFolderThatIsThere)
{
    makeBook("old");
    QDir().mkpath(AdrsPath + "new");
    writeBytes(AdrsPath + "new/stray.txt", "s");
    makeBook("empty");
    QDir().mkpath(AdrsPath + "free");
    makeBook("later");
    ASSERT_TRUE(AppendPendingRename("empty", "free"));
    ASSERT_TRUE(AppendPendingRename("old", "new"));
    ASSERT_TRUE(AppendPendingRename("later", "elsewhere"));
    ASSERT_TRUE(ScanAddressBooks(true));
    EXPECT_EQ(tableOf("free"), QStringLiteral("empty"));
    EXPECT_EQ(tableOf("old"), QStringLiteral("old"));
    EXPECT_EQ(fileBytes(AdrsPath + "new/stray.txt"), QByteArray("s"));
    EXPECT_FALSE(exists("new/Adrs.DB"));
    EXPECT_EQ(tableOf("later"), QStringLiteral("later"));
    const TMemIniFile op(AdrsOpFileName());
    EXPECT_EQ(op.ReadInteger("RENAME", "Count", 0), 2);
    EXPECT_EQ(op.ReadString("RENAME", "1", ""), QStringLiteral("old/new"));
    EXPECT_EQ(op.ReadString("RENAME", "2", ""), QStringLiteral("later/elsewhere"));
    // Shown under the names they are waiting for.
    EXPECT_EQ(names(), QStringList({"free", "elsewhere", "new"}));
}

TEST_F(AddressBooks, pendingEntriesReachingOutsideTheBooksAreDropped)
{
    makeBook("A");
    writeBytes(m_dir.path() + "/outside.txt", "o");
    writeIni(AdrsOpFileName(), "DELETE", {"..", "../Adrs"}, true);
    writeIni(AdrsOpFileName(), "RENAME", {"A/../moved"}, true);
    ASSERT_TRUE(ScanAddressBooks(true));
    EXPECT_EQ(fileBytes(m_dir.path() + "/outside.txt"), QByteArray("o"));
    EXPECT_EQ(tableOf("A"), QStringLiteral("A"));
    EXPECT_FALSE(QFileInfo::exists(AdrsPath + "../moved"));
    EXPECT_EQ(names(), QStringList({"A"}));
    EXPECT_FALSE(QFileInfo::exists(AdrsOpFileName()));
}

TEST_F(AddressBooks, aPendingFileThatCannotBeClearedAfterApplyingIsReported)
{
    makeBook("keep");
    ASSERT_TRUE(QDir().mkpath(AdrsOpFileName())); // a folder where the file belongs
    QString error;
    EXPECT_FALSE(ScanAddressBooks(true, &error));
    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(AdrsOpFileName()))) << qPrintable(error);
    EXPECT_EQ(names(), QStringList({"keep"})) << "the list is built all the same";
}

// The first start of a new user: no book folder yet, nothing on record.
TEST_F(AddressBooks, aFirstStartWithoutTheBookFolderHasNothingToRecord)
{
    ASSERT_TRUE(QDir(AdrsPath).removeRecursively());
    QString error;
    EXPECT_TRUE(ScanAddressBooks(true, &error)) << qPrintable(error);
    EXPECT_TRUE(error.isEmpty());
    EXPECT_TRUE(names().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(AdrsOpFileName()));
}

// What another program on the folder records while this start carries out
// the pending operations.
struct OtherEntry {
    const char *name;
    bool (*append)();
    const char *section;
    const char *entry;
    const char *folderAfter; // where the other program's book is once its entry is carried out
};
void PrintTo(const OtherEntry &c, std::ostream *os) { *os << c.name; }

class EntryOfAnotherProgram : public AddressBooks, public ::testing::WithParamInterface<OtherEntry>
{
};

TEST_P(EntryOfAnotherProgram, recordedDuringTheStartIsKeptForTheNextStart)
{
    makeBook("gone");
    makeBook("later");
    ASSERT_TRUE(AppendPendingDelete("gone"));
    bool appended = false;
    SetBookFolderRenameFailure([&](const QString &from, const QString &) {
        if (from == "gone" && !appended)
            appended = GetParam().append(); // between this start's read and its next save
        return false;
    });
    const bool scanned = ScanAddressBooks(true);
    SetBookFolderRenameFailure({});
    ASSERT_TRUE(appended);
    ASSERT_TRUE(scanned);
    EXPECT_FALSE(exists("gone"));
    EXPECT_TRUE(exists("later")) << "carried out at the next start, not this one";
    const TMemIniFile op(AdrsOpFileName());
    EXPECT_EQ(op.ReadString(GetParam().section, "1", ""), QString::fromUtf8(GetParam().entry));
    EXPECT_EQ(op.ReadInteger(GetParam().section, "Count", 0), 1);

    ASSERT_TRUE(ScanAddressBooks(true));
    EXPECT_FALSE(exists("later"));
    EXPECT_EQ(folders(), GetParam().folderAfter[0] ? QStringList({GetParam().folderAfter}) : QStringList());
    EXPECT_FALSE(QFileInfo::exists(AdrsOpFileName()));
}

INSTANTIATE_TEST_SUITE_P(
    Entries, EntryOfAnotherProgram,
    ::testing::Values(OtherEntry{"deletion", [] { return AppendPendingDelete("later"); }, "DELETE", "later", ""},
                      OtherEntry{"renaming", [] { return AppendPendingRename("later", "moved"); }, "RENAME",
                                 "later/moved", "moved"}),
    [](const ::testing::TestParamInfo<OtherEntry> &info) { return std::string(info.param.name); });

// Each writer of the book list with a folder in its file's place.
struct BlockedFile {
    const char *name;
    QString (*file)();
    bool (*write)(QString *error);
};
void PrintTo(const BlockedFile &c, std::ostream *os) { *os << c.name; }

class BlockedBookFile : public AddressBooks, public ::testing::WithParamInterface<BlockedFile>
{
};

TEST_P(BlockedBookFile, failsWithTheReason)
{
    AdrsFolderList = {TAdrsFolderInfo{"A", "A", AdrsStateUnchanged}};
    AdrsName = QStringLiteral("A");
    ASSERT_TRUE(QDir().mkpath(GetParam().file()));
    QString error;
    EXPECT_FALSE(GetParam().write(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFileInfo(GetParam().file()).isDir());
}

INSTANTIATE_TEST_SUITE_P(
    Writers, BlockedBookFile,
    ::testing::Values(BlockedFile{"pendingDelete", AdrsOpFileName, [](QString *e) { return AppendPendingDelete("A", e); }},
                      BlockedFile{"pendingRename", AdrsOpFileName,
                                  [](QString *e) { return AppendPendingRename("A", "B", e); }},
                      BlockedFile{"bookOrder", AdrsMngFileName, [](QString *e) { return SaveBookOrder(e); }},
                      BlockedFile{"openBookName", SettingsFileName, [](QString *e) { return SaveAdrsName(e); }}),
    [](const ::testing::TestParamInfo<BlockedFile> &info) { return std::string(info.param.name); });

// ---- the dialog ------------------------------------------------------------

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
        ASSERT_TRUE(ScanAddressBooks(false));
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
    void click(const char *button) const { QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton); }
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
    QLineEdit *inPlaceEditor() const
    {
        for (QLineEdit *e : list()->viewport()->findChildren<QLineEdit *>())
            if (e->isVisible())
                return e;
        return nullptr;
    }
    // Renames in place as a user would: F2, type, Enter.
    void renameInPlace(const QString &caption, const QString &typed) const
    {
        select(caption);
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_F2);
        QLineEdit *editor = inPlaceEditor();
        ASSERT_NE(editor, nullptr);
        editor->setText(typed);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
    }

    // Marks Name for deletion in the dialog, then creates a new book of the
    // same name there, which waits in the folder "Name（1）" until the start.
    void deleteAndCreateAgain(const QString &Name)
    {
        select(Name);
        m_boxes.enqueue(IDYES);
        child<TTntAction>("actDelete")->trigger();
        child<QRadioButton>("rbNew")->setChecked(true);
        child<TTntEdit>("edtNew")->SetText(Name);
        click("btnOk");
        ASSERT_EQ(m_dialog->result(), QDialog::Accepted);
        makeBook(Name + QStringLiteral("（1）"));
    }

    ScriptedMessageBoxes m_boxes;
    std::unique_ptr<TAddressSelect> m_dialog;
};

// A name refused when renaming a book in place or creating one: one message,
// the dialog stays open and no folder or pending operation changes.
struct Refusal {
    const char *name;
    bool create;
    QString typed;
    QString message;
};
void PrintTo(const Refusal &c, std::ostream *os) { *os << c.name; }

class NameRefusal : public BookDialog, public ::testing::WithParamInterface<Refusal>
{
};

TEST_P(NameRefusal, isReportedAndChangesNothing)
{
    for (const char *book : {"Open", "Other", "second"})
        makeBook(book);
    if (GetParam().create) {
        open("Open", 0);
        child<TTntEdit>("edtNew")->SetText(GetParam().typed);
        click("btnOk");
    } else {
        open("Open", 1);
        renameInPlace("Other", GetParam().typed);
    }
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_EQ(m_boxes.last().text, GetParam().message);
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(names(), QStringList({"Open", "Other", "second"}));
    EXPECT_EQ(QDir(AdrsPath).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 3);
    EXPECT_FALSE(QFileInfo::exists(AdrsOpFileName()));
}

INSTANTIATE_TEST_SUITE_P(
    Names, NameRefusal,
    ::testing::Values(Refusal{"renameEmpty", false, "", "空白の名前に変更することはできません  "},
                      Refusal{"renameLeadingDot", false, ".hidden", "' . ' で始まる名前は指定できません  "},
                      Refusal{"renameSlash", false, "a/b", Forbidden},
                      Refusal{"renameDuplicate", false, "second", "指定された名前のアドレス帳は既に存在します  "},
                      Refusal{"renameDuplicateAfterTrimming", false, " second ", "指定された名前のアドレス帳は既に存在します  "},
                      Refusal{"createBlank", true, "   ", "作成するアドレス帳の名前を入力してください  "},
                      Refusal{"createColon", true, "a:b", Forbidden},
                      Refusal{"renamePendingFile", false, "AdrsOp.ini", Reserved},
                      Refusal{"createOrderFile", true, "AdrsMng.ini", Reserved},
                      Refusal{"renameControlCharacter", false, "a\x01b", ControlChar},
                      Refusal{"createControlCharacter", true, "a\tb", ControlChar},
                      // 86 half-width kana: 86 bytes in Shift-JIS, 258 in a folder name
                      Refusal{"createTooLongForAFolder", true, QString(86, u'ｱ'), FolderTooLong}),
    [](const ::testing::TestParamInfo<Refusal> &info) { return std::string(info.param.name); });

TEST_F(BookDialog, openBookCannotBeRenamedOrDeleted)
{
    makeBook("Open");
    open("Open", 1);
    renameInPlace("Open", "Closed");
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_EQ(m_boxes.last().text, QStringLiteral("現在編集中のアドレス帳の名前は変更できません  "));
    child<TTntAction>("actDelete")->trigger();
    EXPECT_EQ(m_boxes.last().text, QStringLiteral("現在編集中のアドレス帳は削除できません  "));
    EXPECT_EQ(AdrsFolderList[0].State, AdrsStateUnchanged);
}

TEST_F(BookDialog, nameOfOneHundredBytesIsTakenALongerOneIsRefusedAndEditingReopens)
{
    makeBook("Open");
    makeBook("Other");
    open("Open", 1);
    renameInPlace("Other", QString(99, 'x') + QStringLiteral("あ")); // 101 bytes, the last character at 100
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_EQ(m_boxes.last().text, QStringLiteral("アドレス帳の名前の長さは全角で５０文字分までです  "));
    ASSERT_NE(inPlaceEditor(), nullptr) << "editing did not reopen";
    EXPECT_EQ(inPlaceEditor()->text(), QString(99, 'x'));
    QTest::keyClick(inPlaceEditor(), Qt::Key_Escape);
    EXPECT_EQ(list()->Items().GetItem(rowOf("Other"))->Caption(), QStringLiteral("Other"));

    const QString longest(50, u'あ'); // exactly 100 bytes
    renameInPlace("Other", longest);
    EXPECT_EQ(m_boxes.count(), 1);
    EXPECT_GE(rowOf(longest), 0);
    m_dialog.reset();
    ASSERT_TRUE(ScanAddressBooks(true));
    EXPECT_EQ(tableOf(longest), QStringLiteral("Other"));
}

TEST_F(BookDialog, renamingToOwnCaptionDoesNothingAndChainedRenamesEndUnderTheLastName)
{
    makeBook("A");
    makeBook("Open");
    open("Open", 1);
    renameInPlace("A", "A");
    EXPECT_FALSE(QFileInfo::exists(AdrsOpFileName()));
    renameInPlace("A", "a"); // a change of case alone is a rename too
    EXPECT_EQ(TMemIniFile(AdrsOpFileName()).ReadString("RENAME", "1", ""), QStringLiteral("A/a"));
    renameInPlace("a", "B");
    renameInPlace("B", "C");
    EXPECT_EQ(m_boxes.count(), 0);
    EXPECT_EQ(names(), QStringList({"C", "Open"}));
    m_dialog.reset();

    ASSERT_TRUE(ScanAddressBooks(true));
    EXPECT_EQ(folders(), QStringList({"C", "Open"}));
    EXPECT_EQ(tableOf("C"), QStringLiteral("A"));
    EXPECT_FALSE(exists("A") || exists("a") || exists("B"));
    EXPECT_FALSE(QFileInfo::exists(AdrsOpFileName()));
}

TEST_F(BookDialog, deletingAndRecreatingABookUsesATemporaryFolderUntilRestart)
{
    makeBook("X");
    makeBook("Open");
    open("Open", 1);
    select("X");
    m_boxes.enqueue(IDNO);
    child<TTntAction>("actDelete")->trigger();
    EXPECT_GE(rowOf("X"), 0);
    EXPECT_FALSE(QFileInfo::exists(AdrsOpFileName()));
    m_boxes.enqueue(IDYES);
    child<TTntAction>("actDelete")->trigger();
    EXPECT_EQ(rowOf("X"), -1);

    child<QRadioButton>("rbNew")->setChecked(true);
    child<TTntEdit>("edtNew")->SetText(QStringLiteral("  X "));
    click("btnOk");
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(m_dialog->Changed);
    EXPECT_EQ(m_dialog->BookName, QStringLiteral("X"));
    EXPECT_TRUE(QFileInfo(AdrsPath + QStringLiteral("X（1）")).isDir());
    makeBook(QStringLiteral("X（1）")); // the new book's table, as opening it would create
    m_dialog.reset();

    ASSERT_TRUE(ScanAddressBooks(true));
    EXPECT_EQ(names(), QStringList({"Open", "X"}));
    EXPECT_EQ(tableOf("X"), QStringLiteral("X（1）"));
    EXPECT_FALSE(exists(QStringLiteral("X（1）")));
}

// Renaming, deleting and creating in a deleted book's folder each record a
// pending operation; when AdrsOp.ini cannot be written each is reported
// naming the file, changes nothing and keeps what was typed.
TEST_F(BookDialog, aPendingFileThatCannotBeWrittenIsReportedAndKeepsWhatWasTyped)
{
    for (const char *book : {"Open", "Other", "X"})
        makeBook(book);
    open("Open", 1);
    select("X");
    m_boxes.enqueue(IDYES);
    child<TTntAction>("actDelete")->trigger();
    ASSERT_TRUE(QFile::remove(AdrsOpFileName()));
    ASSERT_TRUE(QDir().mkpath(AdrsOpFileName()));
    const QString failed =
        QStringLiteral("をファイルに保存できませんでした  \r\n") + QDir::toNativeSeparators(AdrsOpFileName());
    m_boxes.clear();

    renameInPlace("Other", "Renamed");
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_TRUE(m_boxes.last().text.startsWith(QStringLiteral("アドレス帳の名前の変更") + failed))
        << qPrintable(m_boxes.last().text);
    ASSERT_NE(inPlaceEditor(), nullptr) << "editing did not reopen";
    EXPECT_EQ(inPlaceEditor()->text(), QStringLiteral("Renamed"));
    QTest::keyClick(inPlaceEditor(), Qt::Key_Escape);
    EXPECT_EQ(list()->Items().GetItem(rowOf("Other"))->Caption(), QStringLiteral("Other"));

    select("Other");
    m_boxes.enqueue(IDYES);
    child<TTntAction>("actDelete")->trigger();
    ASSERT_EQ(m_boxes.count(), 3);
    EXPECT_TRUE(m_boxes.last().text.startsWith(QStringLiteral("アドレス帳の削除") + failed));
    EXPECT_GE(rowOf("Other"), 0);
    EXPECT_EQ(names(), QStringList({"Open", "Other", ""}));
    EXPECT_EQ(AdrsFolderList[1].State, AdrsStateUnchanged);

    // The deleted book still holds folder X: the new X needs a pending move.
    child<QRadioButton>("rbNew")->setChecked(true);
    child<TTntEdit>("edtNew")->SetText(QStringLiteral("X"));
    click("btnOk");
    ASSERT_EQ(m_boxes.count(), 4);
    EXPECT_TRUE(m_boxes.last().text.startsWith(QStringLiteral("アドレス帳の作成") + failed));
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(child<TTntEdit>("edtNew")->GetText(), QStringLiteral("X"));
    EXPECT_FALSE(exists(QStringLiteral("X（1）")));
    EXPECT_EQ(AdrsFolderList.size(), 3);
}

// A name that differs from a book's only in the case of its letters, over the
// whole alphabet, half- and full-width, is another book, as its folder is.
class OtherCaseName : public BookDialog, public ::testing::WithParamInterface<std::pair<char16_t, char16_t>> {};

TEST_P(OtherCaseName, isAnotherBook)
{
    QString upper, lower;
    for (char16_t c = 0; c < 26; ++c) {
        upper += QChar(char16_t(GetParam().first + c));
        lower += QChar(char16_t(GetParam().second + c));
    }
    makeBook(upper);
    open(upper, 0);
    child<TTntEdit>("edtNew")->SetText(lower);
    click("btnOk");
    EXPECT_EQ(m_boxes.count(), 0);
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_EQ(m_dialog->BookName, lower);
    EXPECT_TRUE(m_dialog->Changed);
    QStringList made = QDir(AdrsPath).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    made.sort();
    QStringList expected{upper, lower};
    expected.sort();
    EXPECT_EQ(made, expected);
}

INSTANTIATE_TEST_SUITE_P(Alphabets, OtherCaseName,
                         ::testing::Values(std::pair<char16_t, char16_t>{u'A', u'a'},
                                           std::pair<char16_t, char16_t>{u'Ａ', u'ａ'}));

TEST_F(BookDialog, theExactNameOffersToOpenTheBook)
{
    makeBook("Clients");
    open("Clients", 0);
    child<TTntEdit>("edtNew")->SetText(" Clients ");
    m_boxes.enqueue(IDNO);
    click("btnOk");
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_EQ(m_boxes.last().text, QStringLiteral("アドレス帳 'Clients' は存在します  \r\n開きますか？  "));
    EXPECT_TRUE(m_dialog->isVisible());
}

// Two books whose names differ only in letter case: each can be chosen,
// renamed and deleted on its own.
TEST_F(BookDialog, booksDifferingInCaseAreEachTheirOwn)
{
    makeBook("abc");
    makeBook("ABC");
    makeBook("Open");
    open("ABC", 1);
    select("abc");
    click("btnOk");
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(m_dialog->Changed);
    EXPECT_EQ(m_dialog->BookName, QStringLiteral("abc"));

    open("Open", 1);
    renameInPlace("abc", "renamed");
    select("ABC");
    m_boxes.enqueue(IDYES);
    child<TTntAction>("actDelete")->trigger();
    EXPECT_EQ(m_boxes.count(), 1);
    m_dialog.reset();
    ASSERT_TRUE(ScanAddressBooks(true));
    EXPECT_EQ(tableOf("renamed"), QStringLiteral("abc"));
    EXPECT_EQ(folders(), QStringList({"Open", "renamed"}));
}

TEST_F(BookDialog, createModeLimitsTheNameToHundredBytes)
{
    open(QStringLiteral("Family"), 0);
    auto *edit = child<TTntEdit>("edtNew");
    for (int i = 0; i < 60; ++i)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QStringLiteral("あ"), Qt::NoModifier);
    EXPECT_EQ(Cp932::byteLength(edit->GetText()), 100);
}

TEST_F(BookDialog, openingNeedsASelectionAndADoubleClickOpensTheBookClicked)
{
    makeBook("One");
    makeBook("Two");
    open("One", 1);
    EXPECT_EQ(list()->GetSelected()->Caption(), QStringLiteral("One"));
    list()->SetSelected(nullptr);
    click("btnOk");
    EXPECT_EQ(m_boxes.last().text, QStringLiteral("アドレス帳を選択してください  "));
    // A double click opens the book clicked.
    select("Two");
    const QPoint at = list()->visualRect(list()->model()->index(rowOf("Two"), 0)).center();
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(m_dialog->Changed);
    EXPECT_EQ(m_dialog->BookName, QStringLiteral("Two"));
    EXPECT_EQ(m_boxes.count(), 1);
}

TEST_F(BookDialog, movingABookSwapsEntriesAndFollowsTheOpenIndex)
{
    for (const char *book : {"One", "Two", "Three"})
        makeBook(book);
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
    EXPECT_TRUE(child<QRadioButton>("rbNew")->isChecked());
    EXPECT_FALSE(child<QRadioButton>("rbOpen")->isEnabled());
    m_boxes.enqueue(IDNO);
    click("btnCancel");
    EXPECT_EQ(m_boxes.count(), 1);
    EXPECT_TRUE(m_dialog->isVisible());
    m_boxes.enqueue(IDYES);
    click("btnCancel");
    EXPECT_EQ(m_dialog->result(), QDialog::Rejected);
}

// The create mode offers a name no book has, so that OK creates a book.
struct ProposalCase {
    const char *name;
    QStringList books;
    QString open;
    QString proposed;
};
void PrintTo(const ProposalCase &c, std::ostream *os) { *os << c.name; }

class NewBookName : public BookDialog, public ::testing::WithParamInterface<ProposalCase>
{};

TEST_P(NewBookName, isOneNoBookHas)
{
    for (const QString &book : GetParam().books)
        makeBook(book);
    open(GetParam().open, 0);
    EXPECT_EQ(child<TTntEdit>("edtNew")->GetText(), GetParam().proposed);
}

// 100 bytes: fifty full-width letters.
const QString kLongest = QString(50, QChar(u'あ'));

INSTANTIATE_TEST_SUITE_P(
    Books, NewBookName,
    ::testing::Values(ProposalCase{"firstBook", {}, QStringLiteral("アドレス"), QStringLiteral("アドレス")},
                      ProposalCase{"openBookTaken", {QStringLiteral("アドレス")}, QStringLiteral("アドレス"),
                                   QStringLiteral("アドレス2")},
                      ProposalCase{"firstFreeNumber",
                                   {QStringLiteral("アドレス"), QStringLiteral("アドレス2"), QStringLiteral("アドレス3")},
                                   QStringLiteral("アドレス"), QStringLiteral("アドレス4")},
                      ProposalCase{"longestNameGivesUpItsEnd", {kLongest}, kLongest, kLongest.left(49) + u'2'}),
    [](const auto &info) { return std::string(info.param.name); });

// At the first start the user types a name and presses Return: the book is
// created, as OK does.
TEST_F(BookDialog, firstStartReturnInTheNameCreatesTheBook)
{
    open(QStringLiteral("アドレス"), 9);
    auto *edit = child<TTntEdit>("edtNew");
    ASSERT_TRUE(child<QRadioButton>("rbNew")->isChecked());
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(m_dialog->isVisible());
    EXPECT_EQ(m_dialog->BookName, QStringLiteral("アドレス"));
    EXPECT_EQ(m_boxes.count(), 0);
}

// Return on the chosen book opens it.
TEST_F(BookDialog, returnInTheListOpensTheChosenBook)
{
    makeBook("One");
    makeBook("Two");
    open("One", 1);
    select("Two");
    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_Return);
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_EQ(m_dialog->BookName, QStringLiteral("Two"));
}

// A name refused at Return leaves the dialog open on it.
TEST_F(BookDialog, returnOnAnEmptyNameSaysSoAndStays)
{
    open(QString(), 0);
    auto *edit = child<TTntEdit>("edtNew");
    edit->SetText(QString());
    edit->setFocus();
    m_boxes.enqueue(IDOK);
    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_EQ(m_boxes.last().text, QStringLiteral("作成するアドレス帳の名前を入力してください  "));
    EXPECT_TRUE(m_dialog->isVisible());
}

// ---- Through the dialog and the next start ------------------------------------------

// Books "X" and " X": each operation on the one with the blank reaches that
// book only, and the name comes back exactly.
TEST_F(BookDialog, aBlankAtTheStartOfANameNamesItsOwnBook)
{
    for (const char *book : {"X", " X", " Y ", "Open"})
        makeBook(book);
    open("Open", 1);
    select(" X");
    m_boxes.enqueue(IDYES);
    child<TTntAction>("actDelete")->trigger();
    renameInPlace(" Y ", "Z");
    m_dialog.reset();
    ASSERT_TRUE(ScanAddressBooks(true));
    EXPECT_EQ(tableOf("X"), QStringLiteral("X"));
    EXPECT_FALSE(exists(" X"));
    EXPECT_EQ(tableOf("Z"), QStringLiteral(" Y "));
    EXPECT_FALSE(exists(" Y "));

    // The open book's name is kept for the next start as it is.
    AdrsName = QStringLiteral(" blank ");
    ASSERT_TRUE(SaveAdrsName());
    EXPECT_EQ(TMemIniFile(SettingsFileName()).ReadString("BASE", "AdrsName", QString()), QStringLiteral(" blank "));
}

TEST_F(BookDialog, blanksTypedAtTheEndsOfANewNameAreDropped)
{
    makeBook("A");
    makeBook("Open");
    open("Open", 1);
    renameInPlace("A", QStringLiteral("  B\t"));
    EXPECT_EQ(m_boxes.count(), 0);
    EXPECT_GE(rowOf("B"), 0);
    m_dialog.reset();
    ASSERT_TRUE(ScanAddressBooks(true));
    EXPECT_EQ(tableOf("B"), QStringLiteral("A"));
}

// A deletion that cannot be carried out keeps its folder: a new book of that
// name, or one renamed to it, waits in its own folder, shown under its name,
// and moves only once the old folder is gone.
TEST_F(BookDialog, aFailedDeletionNeverSwallowsTheBookTakingItsName)
{
    for (const char *book : {"X", "Y", "Open"})
        makeBook(book);
    open("Open", 1);
    deleteAndCreateAgain("X");
    m_dialog.reset();

    SetBookFolderRenameFailure([](const QString &from, const QString &) { return from == "X"; });
    ASSERT_TRUE(ScanAddressBooks(true));
    EXPECT_EQ(tableOf(QStringLiteral("X（1）")), QStringLiteral("X（1）"));
    EXPECT_EQ(tableOf("X"), QStringLiteral("X"));
    EXPECT_TRUE(names().contains("X"));

    open("Open", 1);
    renameInPlace("Y", "W");
    renameInPlace("X", "Y"); // the new X takes Y's old name
    m_dialog.reset();
    ASSERT_TRUE(ScanAddressBooks(true));
    SetBookFolderRenameFailure({});
    EXPECT_EQ(tableOf("Y"), QStringLiteral("Y")) << "nothing moved behind the blocked deletion";
    EXPECT_EQ(tableOf(QStringLiteral("X（1）")), QStringLiteral("X（1）"));
    EXPECT_EQ(names(), QStringList({"Open", "", "Y", "W"}));

    ASSERT_TRUE(ScanAddressBooks(true));
    EXPECT_EQ(folders(), QStringList({"Open", "W", "Y"}));
    EXPECT_EQ(tableOf("W"), QStringLiteral("Y"));
    EXPECT_EQ(tableOf("Y"), QStringLiteral("X（1）"));
    EXPECT_FALSE(exists("X"));
    EXPECT_FALSE(QFileInfo::exists(AdrsOpFileName()));
}

// P renamed to T, then Q to P: each book ends under its own new name, even
// when one table file is named in other letter case.
TEST_F(BookDialog, renamingChainsAreCarriedOutInTheOrderMade)
{
    makeBook("P");
    makeBook("Q", QStringLiteral("adrs.db"));
    makeBook("Open");
    open("Open", 1);
    renameInPlace("P", "T");
    renameInPlace("Q", "P");
    m_dialog.reset();
    ASSERT_TRUE(ScanAddressBooks(true));
    EXPECT_EQ(tableOf("T"), QStringLiteral("P"));
    EXPECT_EQ(QString::fromUtf8(fileBytes(AdrsPath + "P/adrs.db")), QStringLiteral("Q"));
    EXPECT_FALSE(exists("P/Adrs.DB"));
    EXPECT_FALSE(exists("Q"));
    EXPECT_EQ(folders(), QStringList({"Open", "P", "T"}));
}

// The start-up killed right after any one of its folder moves, then started
// again: every book ends where it belongs and nothing is done twice.
class InterruptedStart : public BookDialog, public ::testing::WithParamInterface<int>
{
};

struct Killed {};

TEST_P(InterruptedStart, isHarmlessWhenStartedAgain)
{
    for (const char *book : {"X", "P", "Q", "Open"})
        makeBook(book);
    open("Open", 1);
    deleteAndCreateAgain("X");
    m_dialog.reset();
    open("Open", 1);
    renameInPlace("P", "T");
    renameInPlace("Q", "P");
    m_dialog.reset();

    int moves = 0;
    SetBookFolderRenameFailure([&moves](const QString &from, const QString &to) -> bool {
        if (++moves < GetParam())
            return false;
        EXPECT_TRUE(QDir(AdrsPath).rename(from, to));
        throw Killed{};
    });
    EXPECT_THROW((void)ScanAddressBooks(true), Killed);
    SetBookFolderRenameFailure({});
    ASSERT_TRUE(ScanAddressBooks(true));
    EXPECT_EQ(tableOf("X"), QStringLiteral("X（1）"));
    EXPECT_EQ(tableOf("T"), QStringLiteral("P"));
    EXPECT_EQ(tableOf("P"), QStringLiteral("Q"));
    EXPECT_EQ(folders(), QStringList({"Open", "P", "T", "X"}));
    EXPECT_FALSE(QFileInfo::exists(AdrsOpFileName()));
    EXPECT_TRUE(QDir(AdrsPath).entryList({".*"}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

// The moves of a start: the deletion of X, then X（1） to X, P to T and Q to P.
INSTANTIATE_TEST_SUITE_P(AfterMove, InterruptedStart, ::testing::Values(1, 2, 3, 4));

TEST_F(BookDialog, aRenameTooLongForAFolderReopensWithTheNameThatFits)
{
    makeBook("A");
    makeBook("Open");
    open("Open", 1);
    renameInPlace("A", QString(86, u'ｱ'));
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_EQ(m_boxes.last().text, FolderTooLong);
    ASSERT_NE(inPlaceEditor(), nullptr) << "editing did not reopen";
    const QString fitted = inPlaceEditor()->text();
    QTest::keyClick(inPlaceEditor(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(m_boxes.count(), 1);
    m_dialog.reset();
    ASSERT_TRUE(ScanAddressBooks(true));
    EXPECT_EQ(tableOf(fitted), QStringLiteral("A"));
    EXPECT_EQ(fitted, QString(fitted.size(), u'ｱ'));
}

// An order file that cannot be read is kept aside and named; the order
// written at exit goes to a new file beside it.
TEST_F(AddressBooks, anUnreadableOrderFileIsKeptAsideAndNotOverwritten)
{
    ScriptedMessageBoxes boxes;
    makeBook("B");
    makeBook("A");
    const QByteArray garbage("\x01\x02\0\xFFgarbage", 12);
    writeBytes(AdrsMngFileName(), garbage);
    ASSERT_TRUE(ScanAddressBooks(true));
    EXPECT_EQ(folders(), QStringList({"A", "B"}));
    const QStringList copies = QDir(AdrsPath).entryList({"AdrsMng.ini.unreadable-*"}, QDir::Files);
    ASSERT_EQ(copies.size(), 1);
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QDir::toNativeSeparators(AdrsPath + copies.first())));
    ASSERT_TRUE(SaveBookOrder());
    EXPECT_TRUE(sameBytes(garbage, fileBytes(AdrsPath + copies.first())));
    EXPECT_EQ(TMemIniFile(AdrsMngFileName()).ReadString("SORT", "1", ""), QStringLiteral("A"));
}

// One damaged entry of an order file the program wrote (beyond the one byte
// the sum puts back) costs that book its place alone: the books after it
// keep their order.
TEST_F(AddressBooks, aDamagedOrderEntryLosesOnlyThatBooksPlace)
{
    ScriptedMessageBoxes boxes;
    for (const char *book : {"趣味", "近所", "家族", "仕事"})
        makeBook(QString::fromUtf8(book));
    writeOrder({"趣味", "近所", "家族", "仕事"});
    QByteArray bytes = fileBytes(AdrsMngFileName());
    // Two bytes inside 近: no one byte the sum can put back.
    bytes[bytes.indexOf("\n2=") + 4] = 'X';
    bytes[bytes.indexOf("\n2=") + 5] = 'Y';
    writeBytes(AdrsMngFileName(), bytes);
    ASSERT_TRUE(ScanAddressBooks(false));
    EXPECT_EQ(folders(), QStringList({"趣味", "家族", "仕事", "近所"}));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("[SORT] 2"))) << qPrintable(boxes.last().text);
}

} // namespace
