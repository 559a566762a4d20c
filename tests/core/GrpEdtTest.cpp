#include "core/GrpEdt.h"

#include "core/AdrsSel.h"
#include "core/Env.h"
#include "core/Main.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "platform/SafeFile.h"
#include "support/ChildProcess.h"
#include "support/DataFolders.h"
#include "support/FileHelpers.h"
#include "support/KeyInput.h"
#include "support/OrdinaryUser.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/UnreadableNotices.h"
#include "widgets/TntStdCtrls.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <ostream>
#include <thread>
#include <vector>

namespace {

class GroupNamesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir().mkpath(AdrsPath + "Book");
        AdrsFolderList = {TAdrsFolderInfo{"Book", "Book", AdrsStateUnchanged}};
        AdrsFolderIndex = 0;
    }
    void TearDown() override
    {
        m_dialog.reset();
        AdrsFolderList.clear();
        AdrsFolderIndex = -1;
    }
    static void storeName(int index, const QByteArray &cp932)
    {
        // Older files hold the names in CP932, which the INI reader accepts.
        writeBytes(GroupFileName("Book"), "[GROUP]\r\nGroup" + QByteArray::number(index) + "=" + cp932 + "\r\n");
    }
    TTntEdit *edit(int i) const
    {
        return m_dialog->findChild<TTntEdit *>(QStringLiteral("edtGroup%1").arg(i));
    }
    void openDialog()
    {
        m_dialog = std::make_unique<TGruopEdit>();
        m_dialog->show();
    }
    void pressOk() const { QTest::mouseClick(m_dialog->findChild<QPushButton *>("btnOk"), Qt::LeftButton); }
    // The groups named 友人1 to 友人10, typed into the dialog and saved with
    // OK; the dialog closed.
    void saveTypedNames()
    {
        LoadGroupNames("Book");
        openDialog();
        for (int i = 1; i <= GroupCount; ++i) {
            edit(i)->selectAll();
            TypeCharacters(edit(i), QStringLiteral("友人%1").arg(i));
        }
        pressOk();
        ASSERT_EQ(m_dialog->result(), QDialog::Accepted);
        m_dialog.reset();
    }
    // The names the program holds are those saveTypedNames() typed, but for
    // group Lost's (none for 0), which is its default name.
    static void expectTypedNamesBut(int Lost)
    {
        for (int i = 1; i <= GroupCount; ++i)
            EXPECT_EQ(GroupNames[size_t(i)], i == Lost ? DefaultGroupName(i) : QStringLiteral("友人%1").arg(i));
    }
    // Changes `count` bytes of group 3's name in the file as it is, from the
    // second byte of 友 (E5 8F 8B) on: two or more leave no one byte the sum
    // can put back. The bytes written; empty when there is no such name.
    static QByteArray damageGroup3(int count)
    {
        const QString file = GroupFileName("Book");
        QByteArray bytes = fileBytes(file);
        const qsizetype at = bytes.indexOf("Group3=");
        if (at < 0 || at + 8 + count > bytes.size())
            return {};
        for (int i = 0; i < count; ++i)
            bytes[at + 8 + i] = "XYZ"[i];
        writeBytes(file, bytes);
        return bytes;
    }
    // The copies of the group file kept aside as damaged.
    static QStringList damagedCopies()
    {
        return QDir(AdrsPath + "Book").entryList({"Group.dat.damaged-*"}, QDir::Files);
    }

    QTemporaryDir m_dir;
    ScopedDataFolders m_folders{m_dir.path()};
    ScriptedMessageBoxes m_boxes;
    std::unique_ptr<TGruopEdit> m_dialog;
};

} // namespace

struct StoredCut {
    const char *name;
    QByteArray stored;
    QByteArray expected;
};
void PrintTo(const StoredCut &c, std::ostream *os) { *os << c.name; }
class GroupNameCut : public GroupNamesTest, public ::testing::WithParamInterface<StoredCut>
{
};

TEST_P(GroupNameCut, storedNameIsCutToTwentyBytes)
{
    storeName(3, GetParam().stored);
    LoadGroupNames("Book");
    EXPECT_EQ(Cp932::encode(GroupNames[3]), GetParam().expected);
    EXPECT_EQ(GroupNames[4], QStringLiteral("グループ４"));
}

INSTANTIATE_TEST_SUITE_P(
    Names, GroupNameCut,
    ::testing::Values(
                      // byte 20 (index 19) starts "あ": 19 bytes stay
                      StoredCut{"leadByteAtTwenty", QByteArray(19, 'g') + Cp932::encode(u"あいう"), QByteArray(19, 'g')},
                      StoredCut{"exactTwenty", Cp932::encode(u"営業部門東日本支店Ａ"), Cp932::encode(u"営業部門東日本支店Ａ")}),
    [](const ::testing::TestParamInfo<StoredCut> &info) { return std::string(info.param.name); });

TEST_F(GroupNamesTest, dialogShowsNamesAndStoresChangedOnes)
{
    LoadGroupNames("Book");
    openDialog();
    EXPECT_EQ(edit(7)->GetText(), QStringLiteral("グループ７"));
    edit(7)->SetText(QStringLiteral("  友人  "));
    edit(8)->SetText(QStringLiteral("friends"));
    edit(9)->SetText(QStringLiteral("Friends")); // differs only in case: accepted
    pressOk();
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_EQ(m_boxes.count(), 0);
    EXPECT_TRUE(m_dialog->Changed);
    EXPECT_EQ(GroupNames[7], QStringLiteral("友人"));
    LoadGroupNames("Book");
    EXPECT_EQ(GroupNames[9], QStringLiteral("Friends"));
    EXPECT_EQ(GroupNames[10], QStringLiteral("グループ１０"));
}

TEST_F(GroupNamesTest, aGroupFileThatCannotBeWrittenIsReportedAndTheDialogKeepsTheNames)
{
    LoadGroupNames("Book");
    ASSERT_TRUE(QDir().mkpath(GroupFileName("Book"))); // a folder where Group.dat belongs
    openDialog();
    edit(3)->SetText(QStringLiteral("友人"));
    pressOk();
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_TRUE(m_boxes.last().text.startsWith(QStringLiteral("グループ名をファイルに保存できませんでした  \r\n") +
                                               QDir::toNativeSeparators(GroupFileName("Book"))))
        << qPrintable(m_boxes.last().text);
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(edit(3)->GetText(), QStringLiteral("友人"));
    EXPECT_EQ(GroupNames[3], QStringLiteral("グループ３")) << "the program keeps what the file holds";

    ASSERT_TRUE(QDir(GroupFileName("Book")).removeRecursively());
    pressOk();
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(m_dialog->Changed);
    LoadGroupNames("Book");
    EXPECT_EQ(GroupNames[3], QStringLiteral("友人"));
}

// Another program (a second window on the book) names a group while this
// dialog is open: OK writes the names typed here and keeps the other's.
TEST_F(GroupNamesTest, aNameAnotherProgramGaveMeanwhileStays)
{
    LoadGroupNames("Book");
    openDialog();
    storeName(3, Cp932::encode(u"取引先"));
    edit(5)->SetText(QStringLiteral("友人"));
    pressOk();
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_EQ(m_boxes.count(), 0);
    EXPECT_TRUE(m_dialog->Changed);
    EXPECT_EQ(GroupNames[3], QStringLiteral("取引先")) << "the program shows what the book holds";
    const TGroupNameList stored = ReadGroupNames("Book");
    EXPECT_EQ(stored[3], QStringLiteral("取引先"));
    EXPECT_EQ(stored[5], QStringLiteral("友人"));
    EXPECT_EQ(stored[4], QStringLiteral("グループ４"));
}

// Both named the same group: the other's name is not written over unseen.
// The user is told it, and a second OK writes the name typed here.
TEST_F(GroupNamesTest, aGroupTheOtherProgramNamedToo)
{
    LoadGroupNames("Book");
    openDialog();
    storeName(5, Cp932::encode(u"家族"));
    edit(5)->SetText(QStringLiteral("友人"));
    pressOk();
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_TRUE(m_boxes.last().text.startsWith(
        QStringLiteral("グループ５の名前は、ほかの画面かほかのプログラムで「家族」に変更されています  \r\n")))
        << qPrintable(m_boxes.last().text);
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(ReadGroupNames("Book")[5], QStringLiteral("家族"));
    EXPECT_EQ(edit(5)->GetText(), QStringLiteral("友人"));

    pressOk();
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_EQ(ReadGroupNames("Book")[5], QStringLiteral("友人"));
}

// Another program gives one group the name this dialog gives another: the
// book would hold one name for two groups. The save is refused with the
// other's group named, nothing is written, and the dialog shows the other's
// name where it changed nothing.
TEST_F(GroupNamesTest, aNameAnotherProgramGaveAnotherGroupMeanwhileIsRefused)
{
    LoadGroupNames("Book");
    openDialog();
    storeName(5, Cp932::encode(u"友人"));
    edit(3)->selectAll();
    TypeCharacters(edit(3), QStringLiteral("友人"));
    pressOk();
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_TRUE(m_boxes.last().text.startsWith(
        QStringLiteral("グループ名「友人」は、ほかの画面かほかのプログラムでグループ５に設定されています  \r\n")))
        << qPrintable(m_boxes.last().text);
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(edit(5)->GetText(), QStringLiteral("友人"));
    EXPECT_EQ(edit(3)->GetText(), QStringLiteral("友人"));
    const TGroupNameList stored = ReadGroupNames("Book");
    EXPECT_EQ(stored[3], QStringLiteral("グループ３"));
    EXPECT_EQ(stored[5], QStringLiteral("友人"));

    // A second OK meets the dialog's own rule against one name twice.
    pressOk();
    ASSERT_EQ(m_boxes.count(), 2);
    EXPECT_EQ(m_boxes.last().text, QStringLiteral("同じグループ名は設定できません  "));
    EXPECT_EQ(ReadGroupNames("Book")[3], QStringLiteral("グループ３"));
}

// Another program is saving the names and does not finish within the wait:
// the save is reported with the cause, nothing is written and the names
// typed stay; once the other is done OK saves them.
TEST_F(GroupNamesTest, aSaveThatOutwaitsAnotherProgramsSaveIsReportedAndKeepsTheNames)
{
    LoadGroupNames("Book");
    openDialog();
    const int wait = GroupFileWaitMs;
    GroupFileWaitMs = 100;
    auto other = std::make_unique<TFileLock>(GroupFileName("Book"));
    QString error;
    ASSERT_TRUE(other->Acquire(0, &error)) << qPrintable(error);
    edit(3)->SetText(QStringLiteral("友人"));
    QElapsedTimer clock;
    clock.start();
    pressOk();
    const qint64 waited = clock.elapsed();
    GroupFileWaitMs = wait;
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_TRUE(m_boxes.last().text.contains(QStringLiteral("ほかの画面かほかのプログラムが「") +
                                             QDir::toNativeSeparators(GroupFileName("Book")) +
                                             QStringLiteral("」を保存している途中のため")))
        << qPrintable(m_boxes.last().text);
    EXPECT_GE(waited, 100);
    EXPECT_LT(waited, 3000);
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(edit(3)->GetText(), QStringLiteral("友人"));
    EXPECT_FALSE(QFile::exists(GroupFileName("Book")));

    other.reset();
    pressOk();
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_EQ(ReadGroupNames("Book")[3], QStringLiteral("友人"));
}

struct GroupRefusal {
    const char *name;
    int edited;
    QString text;
    QString message;
    int focused;
};
void PrintTo(const GroupRefusal &c, std::ostream *os) { *os << c.name; }
class GroupDialogRefusal : public GroupNamesTest, public ::testing::WithParamInterface<GroupRefusal>
{
};

TEST_P(GroupDialogRefusal, refusedNamesKeepDialogOpenAndWriteNothing)
{
    LoadGroupNames("Book");
    openDialog();
    QApplication::setActiveWindow(m_dialog.get());
    edit(GetParam().edited)->SetText(GetParam().text);
    pressOk();
    ASSERT_EQ(m_boxes.count(), 1);
    EXPECT_EQ(m_boxes.last().text, GetParam().message);
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), edit(GetParam().focused));
    EXPECT_FALSE(QFile::exists(GroupFileName("Book")));
    EXPECT_EQ(GroupNames[GetParam().edited], DefaultGroupName(GetParam().edited));
}

INSTANTIATE_TEST_SUITE_P(
    Names, GroupDialogRefusal,
    ::testing::Values(GroupRefusal{"blankTenth", 10, "   ", "グループ項目１０が未入力です  ", 10},
                      GroupRefusal{"repeatOfFirst", 5, " グループ１ ", "同じグループ名は設定できません  ", 5}),
    [](const ::testing::TestParamInfo<GroupRefusal> &info) { return std::string(info.param.name); });

TEST_F(GroupNamesTest, leavingAnEditCutsToTwentyBytesAndEnterMovesOn)
{
    LoadGroupNames("Book");
    openDialog();
    QApplication::setActiveWindow(m_dialog.get());
    edit(1)->setFocus();
    edit(1)->SetText(QString(19, 'x') + QStringLiteral("あい"));
    QTest::keyClick(edit(1), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), edit(2));
    EXPECT_EQ(edit(1)->GetText(), QString(19, 'x'));
    const QString longest(10, u'営'); // exactly 20 bytes
    edit(2)->SetText(longest);
    QTest::keyClick(edit(2), Qt::Key_Return);
    EXPECT_EQ(edit(2)->GetText(), longest);
    pressOk();
    LoadGroupNames("Book");
    EXPECT_EQ(GroupNames[2], longest);
}

TEST_F(GroupNamesTest, cancelChangesNothing)
{
    LoadGroupNames("Book");
    openDialog();
    edit(1)->SetText("changed");
    QTest::mouseClick(m_dialog->findChild<QPushButton *>("btnCancel"), Qt::LeftButton);
    EXPECT_EQ(m_dialog->result(), QDialog::Rejected);
    EXPECT_EQ(GroupNames[1], QStringLiteral("グループ１"));
    EXPECT_FALSE(QFile::exists(GroupFileName("Book")));
}


// Group names that cannot be read: the window shows the default names, the
// user is told once which file it was and where it is kept, and OK writes a
// new file beside the untouched copy.
struct DamagedGroupFile {
    const char *name;
    QByteArray bytes;
};
void PrintTo(const DamagedGroupFile &c, std::ostream *os) { *os << c.name; }
class GroupFileDamage : public GroupNamesTest, public ::testing::WithParamInterface<DamagedGroupFile>
{
};

TEST_P(GroupFileDamage, isKeptAsideAndTheWindowShowsTheDefaultNames)
{
    const QString file = GroupFileName("Book");
    writeBytes(file, GetParam().bytes);
    LoadGroupNames("Book");
    openDialog();
    EXPECT_EQ(edit(1)->GetText(), QStringLiteral("グループ１"));
    EXPECT_EQ(edit(10)->GetText(), QStringLiteral("グループ１０"));
    ASSERT_EQ(m_boxes.count(), 1);
    QString copy;
    ASSERT_TRUE(keptAsideAndNamed(file, GetParam().bytes, m_boxes.last().text, &copy));

    edit(2)->SetText(QStringLiteral("友人"));
    pressOk();
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_EQ(m_boxes.count(), 1);
    LoadGroupNames("Book");
    EXPECT_EQ(GroupNames[2], QStringLiteral("友人"));
    EXPECT_TRUE(sameBytes(GetParam().bytes, fileBytes(copy))) << "the copy is never written";
}

INSTANTIATE_TEST_SUITE_P(
    Table, GroupFileDamage,
    ::testing::Values(DamagedGroupFile{"binary", QByteArray("\0\0\0\x01GROUP\0Group1\0", 17)},
                      DamagedGroupFile{"neitherUtf8NorCp932", "[GROUP]\r\nGroup1=\xFF\xFE\x80\r\n"},
                      DamagedGroupFile{"namesWithoutSection", "Group1=友人\r\nGroup2=家族\r\n"}),
    [](const ::testing::TestParamInfo<DamagedGroupFile> &info) { return std::string(info.param.name); });

// One damaged byte in one name of a group file the editor wrote: the other
// nine names stay, the user is told which file and name before anything is
// written and where its copy is, and the next save writes no other text.
TEST_F(GroupNamesTest, aDamagedByteInOneNameLosesThatNameAloneAndIsToldBeforeTheNextSave)
{
    ASSERT_NO_FATAL_FAILURE(saveTypedNames());

    const QString file = GroupFileName("Book");
    const QByteArray bytes = damageGroup3(2);
    ASSERT_FALSE(bytes.isEmpty());

    LoadGroupNames("Book");
    expectTypedNamesBut(3);
    ASSERT_EQ(m_boxes.count(), 1);
    const QString box = m_boxes.last().text;
    const QStringList copies = damagedCopies();
    ASSERT_EQ(copies.size(), 1);
    const QString copy = AdrsPath + "Book/" + copies[0];
    EXPECT_TRUE(sameBytes(bytes, fileBytes(copy)));
    for (const QString &named : {QDir::toNativeSeparators(file), QDir::toNativeSeparators(copy), QStringLiteral("[GROUP] Group3")})
        EXPECT_TRUE(box.contains(named)) << qPrintable(box);
    EXPECT_TRUE(sameBytes(bytes, fileBytes(file))) << "nothing written before the user knows";

    openDialog();
    EXPECT_EQ(edit(4)->GetText(), QStringLiteral("友人4"));
    pressOk();
    ASSERT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_EQ(m_boxes.count(), 1) << "told once";
    LoadGroupNames("Book");
    expectTypedNamesBut(3);
    EXPECT_TRUE(sameBytes(bytes, fileBytes(copy))) << "the copy is never written";
}


// Damage nobody mended is met again at every start: told each time, but the
// one copy of those bytes is named again, never piled up; other damage gets
// its own copy.
TEST_F(GroupNamesTest, theSameDamageMetAtTheNextStartNamesTheCopyKeptBefore)
{
    ASSERT_NO_FATAL_FAILURE(saveTypedNames());
    ASSERT_FALSE(damageGroup3(2).isEmpty());

    const auto startAgain = [] { SetDamagedEntriesNotice(SetDamagedEntriesNotice({})); };
    LoadGroupNames("Book");
    ASSERT_EQ(damagedCopies().size(), 1);
    const QString copy = QDir::toNativeSeparators(AdrsPath + "Book/" + damagedCopies()[0]);
    for (int start = 2; start <= 3; ++start) {
        startAgain();
        LoadGroupNames("Book");
        expectTypedNamesBut(3);
        ASSERT_EQ(m_boxes.count(), start) << "still told: the file is still not as written";
        EXPECT_TRUE(m_boxes.last().text.contains(copy)) << qPrintable(m_boxes.last().text);
        EXPECT_EQ(damagedCopies().size(), 1);
    }

    const QByteArray bytes = damageGroup3(3); // more damage: these bytes were never kept
    ASSERT_FALSE(bytes.isEmpty());
    startAgain();
    LoadGroupNames("Book");
    QStringList copies = damagedCopies();
    ASSERT_EQ(copies.size(), 2);
    copies.removeOne(QFileInfo(copy).fileName());
    ASSERT_EQ(copies.size(), 1);
    EXPECT_TRUE(sameBytes(bytes, fileBytes(AdrsPath + "Book/" + copies[0])));
    EXPECT_TRUE(m_boxes.last().text.contains(QDir::toNativeSeparators(AdrsPath + "Book/" + copies[0])));
}

// The box speaks of defaults only where an entry went to its default.
TEST_F(GroupNamesTest, theDamageBoxSpeaksOfDefaultsOnlyWhereAnEntryTookOne)
{
    ASSERT_NO_FATAL_FAILURE(saveTypedNames());
    for (const int changed : {1, 2}) {
        ASSERT_FALSE(damageGroup3(changed).isEmpty());
        SetDamagedEntriesNotice(SetDamagedEntriesNotice({}));
        LoadGroupNames("Book");
        expectTypedNamesBut(changed == 1 ? 0 : 3);
        ASSERT_GE(m_boxes.count(), changed);
        EXPECT_EQ(m_boxes.last().text.contains(QStringLiteral("既定の値")), changed == 2) << qPrintable(m_boxes.last().text);
        EXPECT_TRUE(m_boxes.last().text.contains(QStringLiteral("[GROUP] Group3")));
    }
}

// The names 友人1..10 (each of which code page 932 reads as well) saved, then
// two bytes of one name damaged so that only code page 932 reads its line:
// the file is still UTF-8. Group 3 renamed through the window: the nine
// other names are written as they were, none as mojibake.
TEST_F(GroupNamesTest, aNameDamagedIntoCodePage932NeverTurnsTheOtherNamesIntoMojibakeWhenOneIsRenamed)
{
    ASSERT_NO_FATAL_FAILURE(saveTypedNames());
    const QString file = GroupFileName("Book");
    QByteArray bytes = fileBytes(file);
    // 友人5 (E5 8F 8B E4 BA BA 35) made 88 9F 8B E4 BA BA 35: 亜 and more in code page 932, no UTF-8.
    const qsizetype at = bytes.indexOf("Group5=") + 7;
    bytes[at] = '\x88';
    bytes[at + 1] = '\x9F';
    ASSERT_TRUE(Cp932::decode(bytes.mid(at, 7)).indexOf(QChar::ReplacementCharacter) < 0);
    writeBytes(file, bytes);

    LoadGroupNames("Book");
    expectTypedNamesBut(5);
    ASSERT_EQ(m_boxes.count(), 1) << "the damage is told";
    EXPECT_TRUE(m_boxes.last().text.contains(QStringLiteral("[GROUP] Group5"))) << qPrintable(m_boxes.last().text);

    openDialog();
    edit(3)->selectAll();
    TypeCharacters(edit(3), QStringLiteral("家族"));
    pressOk();
    ASSERT_EQ(m_dialog->result(), QDialog::Accepted);
    m_dialog.reset();
    const TGroupNameList stored = ReadGroupNames("Book");
    for (int i = 1; i <= GroupCount; ++i) {
        const QString expected = i == 3 ? QStringLiteral("家族") : i == 5 ? DefaultGroupName(5) : QStringLiteral("友人%1").arg(i);
        EXPECT_EQ(stored[size_t(i)], expected) << "group " << i;
    }
}

namespace {

// What a file the program saved holds: entries named as the user is told
// of them ("[GROUP] Group3"), and the values as saved.
struct SavedEntry {
    QString name;
    QString value;
};

// Each byte of the file at `file` changed into each of the 256 byte values
// in turn, read back through `read` (the values, in the order of `entries`):
// every entry reads as saved, or the user is told of the damage, naming that
// entry (or the whole file), while the file is still as it was. Failures are
// added; the number of changes tried is returned.
int everyOneByteChange(const QString &file, const QList<SavedEntry> &entries,
                       const std::function<QStringList()> &read)
{
    const QByteArray valid = fileBytes(file);
    QStringList named;
    int toldDamaged = 0;
    const TDamagedEntriesNotice previous =
        SetDamagedEntriesNotice([&](const QString &, const QString &, const QStringList &told) {
            named = told;
            ++toldDamaged;
        });
    RecordedUnreadableNotices unreadable;
    // No copies: tens of thousands of them would each be synced to the disk.
    // A reader that met damage then refuses to write over the file.
    RefusedMovesAside noCopies;
    // Nor a warning in the log for each of them: the notices are counted.
    const QtMessageHandler logged = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    int changes = 0;
    for (qsizetype at = 0; at < valid.size(); ++at) {
        for (int value = 0; value < 256; ++value) {
            if (char(value) == valid[at])
                continue;
            ++changes;
            QByteArray bytes = valid;
            bytes[at] = char(value);
            QFile::remove(file);
            writeBytes(file, bytes);
            named.clear();
            unreadable.clear();
            const int toldBefore = toldDamaged;
            const QStringList values = read();
            if (!unreadable.told().isEmpty())
                continue; // the whole file was told of and left where it is
            for (qsizetype i = 0; i < entries.size(); ++i) {
                if (values.value(i) == entries[i].value)
                    continue;
                if (toldDamaged != toldBefore && named.contains(entries[i].name, Qt::CaseInsensitive))
                    continue;
                ADD_FAILURE() << qPrintable(QFileInfo(file).fileName()) << ": byte " << at << " made 0x"
                              << QByteArray(1, char(value)).toHex().constData() << ": "
                              << qPrintable(entries[i].name) << " reads " << qPrintable(values.value(i))
                              << (toldDamaged != toldBefore ? ", other entries named" : ", nothing told");
            }
        }
    }
    qInstallMessageHandler(logged);
    SetDamagedEntriesNotice(previous);
    QFile::remove(file);
    writeBytes(file, valid);
    return changes;
}

} // namespace

// The names as the group-name editor saves them, each byte of Group.dat then
// changed into every byte value.
TEST_F(GroupNamesTest, everyByteOfTheSavedFileChangedToEveryValueReadsEachNameAsSavedOrIsNamed)
{
    const TGroupNameList base = ReadGroupNames("Book");
    TGroupNameList saved = base;
    const QStringList typed{QStringLiteral("友人"),      QStringLiteral("仕事"),   QStringLiteral("家族"),
                            QStringLiteral("個人用アドレス帳"), QStringLiteral("ゴルフ仲間"), QStringLiteral("PTA"),
                            QStringLiteral("取引先 A"),  QStringLiteral("年賀状"), QStringLiteral("ｶﾅ名簿"),
                            QStringLiteral("親戚①")};
    QList<SavedEntry> entries;
    for (int i = 1; i <= GroupCount; ++i) {
        saved[size_t(i)] = typed[i - 1];
        entries.append({QStringLiteral("[GROUP] Group%1").arg(i), typed[i - 1]});
    }
    int conflict = 0;
    QString error;
    ASSERT_TRUE(SaveGroupNameChanges("Book", base, saved, &conflict, &error)) << qPrintable(error);
    const int changes = everyOneByteChange(GroupFileName("Book"), entries, [] {
        const TGroupNameList read = ReadGroupNames("Book");
        return QStringList(read.begin() + 1, read.end());
    });
    EXPECT_GT(changes, 255 * 200);
}

// The book order (AdrsMng.ini) and the settings file's book and data folder
// (Murven19.ini) as the program saves them, each byte then changed into every
// byte value.
TEST_F(GroupNamesTest, everyByteOfTheSavedBookOrderAndSettingsChangedToEveryValueReadsAsSavedOrIsNamed)
{
    AdrsFolderList = {TAdrsFolderInfo{QStringLiteral("個人用アドレス帳"), QStringLiteral("個人用アドレス帳"), AdrsStateUnchanged},
                      TAdrsFolderInfo{QStringLiteral("仕事"), QStringLiteral("仕事"), AdrsStateUnchanged},
                      TAdrsFolderInfo{QStringLiteral(" Book 2 "), QStringLiteral(" Book 2 "), AdrsStateUnchanged}};
    QString error;
    ASSERT_TRUE(SaveBookOrder(&error)) << qPrintable(error);
    QList<SavedEntry> order;
    for (int i = 0; i < AdrsFolderList.size(); ++i)
        order.append({QStringLiteral("[SORT] %1").arg(i + 1), AdrsFolderList[i].Folder});
    const int orderChanges = everyOneByteChange(AdrsMngFileName(), order, [&order] {
        const TMemIniFile ini(AdrsMngFileName());
        QStringList values;
        for (int i = 1; i <= order.size(); ++i)
            values << ini.ReadString(QStringLiteral("SORT"), QString::number(i), QString());
        return values;
    });
    EXPECT_GT(orderChanges, 255 * 60);

    const QString dataPath = DataPath;
    AdrsName = QStringLiteral("個人用アドレス帳");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(SettingsFileName()).absolutePath()));
    ASSERT_TRUE(SaveDataPath(&error)) << qPrintable(error);
    ASSERT_TRUE(SaveAdrsName(&error)) << qPrintable(error);
    const QList<SavedEntry> settings{{QStringLiteral("[BASE] DataPath"), dataPath},
                                     {QStringLiteral("[BASE] AdrsName"), AdrsName}};
    const int settingsChanges = everyOneByteChange(SettingsFileName(), settings, [] {
        const TMemIniFile ini(SettingsFileName());
        return QStringList{ini.ReadString(QStringLiteral("BASE"), QStringLiteral("DataPath"), QString()),
                           ini.ReadString(QStringLiteral("BASE"), QStringLiteral("AdrsName"), QString())};
    });
    EXPECT_GT(settingsChanges, 255 * 60);
    EXPECT_TRUE(ReadViewSplash()) << "the settings file as saved is no damage";
}

// A book folder copied from a disc or a read-only copy keeps its hidden lock
// file read-only after the user has made the names' file writable again:
// the lock needs no right to write it, and the names are saved.
TEST_F(GroupNamesTest, aLockFileLeftReadOnlyDoesNotStopTheSave)
{
    const QString lock = AdrsPath + "Book/.Group.dat.lock";
    writeBytes(lock, QByteArray());
    ASSERT_TRUE(QFile::setPermissions(lock, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const ScopedOrdinaryUser user({m_dir.path()});
    ASSERT_TRUE(user.Bound());
    LoadGroupNames("Book");
    openDialog();
    edit(3)->selectAll();
    TypeCharacters(edit(3), QStringLiteral("友人"));
    pressOk();
    EXPECT_EQ(m_boxes.count(), 0) << qPrintable(m_boxes.count() ? m_boxes.last().text : QString());
    EXPECT_EQ(m_dialog->result(), QDialog::Accepted);
    EXPECT_EQ(ReadGroupNames("Book")[3], QStringLiteral("友人"));
}

// ---- two programs saving the names at the same moment ---------------------

namespace {

// The child's task: "<home>|<first place>|<mark>".
constexpr char kSaverVariable[] = "MURVEN_GROUP_NAME_SAVER";

// What each child tells: how many saves were reported done, how many of its
// names a later read found changed (a save of its own written over by the
// other's older copy, or the file missing), and how many saves failed.
struct SaverReport {
    int saved = -1;
    int lost = -1;
    int failed = -1;
    QString firstFailure;
};

SaverReport readReport(const QByteArray &output)
{
    SaverReport report;
    for (const QByteArray &line : output.split('\n')) {
        if (line.startsWith("SAVER ")) {
            const QList<QByteArray> words = line.split(' ');
            report.saved = words.value(1).toInt();
            report.lost = words.value(2).toInt();
            report.failed = words.value(3).toInt();
        } else if (line.startsWith("FAILURE ")) {
            report.firstFailure = QString::fromUtf8(line.mid(8));
        }
    }
    return report;
}

} // namespace

// Runs in the child only: renames its five groups again and again for a
// second or more, as a user pressing OK in the group-name editor, each time from the
// names it has just read.
TEST(GroupNameSaverChild, renamesItsOwnGroupsAgainAndAgain)
{
    const QStringList task = qEnvironmentVariable(kSaverVariable).split(u'|');
    if (task.size() != 3)
        GTEST_SKIP() << "runs as a child of the two-program trial";
    ScopedDataFolders folders(task[0]);
    const int first = task[1].toInt();
    const QString mark = task[2];
    // A disk that takes its time between the read and the commit, and over
    // the commit, as a real one does: the other program has every chance to
    // save or read meanwhile.
    SafeFile::setFailureHook([](SafeFile::Step step) {
        if (step == SafeFile::Step::CreateTemporary || step == SafeFile::Step::RenameTemporary)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return false;
    });
    int saved = 0;
    int lost = 0;
    int failed = 0;
    TGroupNameList mine;
    auto countLost = [&](const TGroupNameList &read) {
        for (int place = first; saved > 0 && place < first + 5; ++place)
            lost += read[size_t(place)] != mine[size_t(place)] ? 1 : 0;
    };
    QElapsedTimer clock;
    clock.start();
    // A second of saves, longer on a busy machine where the lock may go to
    // the other program many times in a row, until enough have been made.
    for (int round = 1; clock.elapsed() < 1000 || (saved < 10 && clock.elapsed() < 10000); ++round) {
        const TGroupNameList base = ReadGroupNames("Book");
        countLost(base);
        TGroupNameList names = base;
        for (int place = first; place < first + 5; ++place)
            names[size_t(place)] = mark + QString::number(place) + u'-' + QString::number(round);
        int conflict = 0;
        QString error;
        if (SaveGroupNameChanges("Book", base, names, &conflict, &error)) {
            ++saved;
            mine = names;
        } else if (++failed == 1) {
            std::printf("FAILURE %s\n", error.toUtf8().constData());
        }
    }
    countLost(ReadGroupNames("Book"));
    SafeFile::setFailureHook({});
    std::printf("SAVER %d %d %d\n", saved, lost, failed);
    std::fflush(stdout);
}

// Two programs rename groups of one book at the same moment, each its own
// five: every save either reports done and stays, or fails with a reason;
// neither program ever reads a file that is missing, and none fails.
TEST(GroupNameSavers, twoProgramsSavingTogetherLoseNoSaveReportedDone)
{
    QTemporaryDir home;
    ASSERT_TRUE(QDir().mkpath(home.path() + QStringLiteral("/data/Adrs/Book")));
    std::vector<std::unique_ptr<QProcess>> children;
    for (const char *task : {"|1|A", "|6|B"}) {
        auto child = std::make_unique<QProcess>();
        StartTestChild(*child, QStringLiteral("GroupNameSaverChild.*"), {{kSaverVariable, home.path() + QLatin1String(task)}});
        children.push_back(std::move(child));
    }
    for (const auto &child : children) {
        ASSERT_TRUE(child->waitForStarted(10000));
        if (!child->waitForFinished(20000))
            (void)KillRunningChild(*child);
        const SaverReport report = readReport(child->readAllStandardOutput());
        EXPECT_GT(report.saved, 5);
        EXPECT_EQ(report.lost, 0) << "names of saves reported done found changed";
        EXPECT_EQ(report.failed, 0) << qPrintable(report.firstFailure);
    }
}

// The names the editor saved, then the file changed outside the program:
// each name reads as typed, or the one a damaged byte lies in is named to the
// user with a copy kept; a hand edit that reads whole is told as changed
// outside the program, naming nothing.
struct ChangedGroupFile {
    const char *name;
    QByteArray (*change)(QByteArray);
    int lost; // the group whose name is named as damaged, 0 for none
    int told; // the group named as read with the name saved, 0 for none, -1 when nothing is told
};
void PrintTo(const ChangedGroupFile &c, std::ostream *os) { *os << c.name; }
class GroupFileChanged : public GroupNamesTest, public ::testing::WithParamInterface<ChangedGroupFile>
{
};

TEST_P(GroupFileChanged, readsEveryNameAsTypedOrNamesTheDamagedOne)
{
    ASSERT_NO_FATAL_FAILURE(saveTypedNames());
    const QString file = GroupFileName("Book");
    const QByteArray bytes = GetParam().change(fileBytes(file));
    writeBytes(file, bytes);

    LoadGroupNames("Book");
    expectTypedNamesBut(GetParam().lost);
    const QStringList copies = damagedCopies();
    if (GetParam().told < 0) {
        EXPECT_EQ(m_boxes.count(), 0);
        EXPECT_TRUE(copies.isEmpty());
        return;
    }
    // A file no longer as saved is told, a copy kept.
    ASSERT_EQ(m_boxes.count(), 1);
    const int named = GetParam().lost ? GetParam().lost : GetParam().told;
    if (named > 0) {
        EXPECT_TRUE(m_boxes.last().text.contains(QStringLiteral("[GROUP] Group%1").arg(named))) << qPrintable(m_boxes.last().text);
    }
    ASSERT_EQ(copies.size(), 1);
    EXPECT_TRUE(sameBytes(bytes, fileBytes(AdrsPath + "Book/" + copies[0])));
}

INSTANTIATE_TEST_SUITE_P(
    Table, GroupFileChanged,
    ::testing::Values(
        // One byte changed: the sum tells which, and the name saved is read.
        // The CR after the section line made a bracket, the LF before it one.
        ChangedGroupFile{"sectionLineEndMadeABracket", [](QByteArray b) { return b.replace("[GROUP]\r", "[GROUP]]"); }, 0, 0},
        ChangedGroupFile{"lineEndBeforeTheSectionMadeABracket", [](QByteArray b) { return b.replace("\n[GROUP]", "[[GROUP]"); }, 0, 0},
        // A key line's end made a letter, which joins the name before it or the key after it.
        ChangedGroupFile{"crAfterANameMadeALetter", [](QByteArray b) { return b.replace("\r\nGroup3", "-\nGroup3"); }, 0, 2},
        ChangedGroupFile{"lfBeforeAKeyMadeALetter", [](QByteArray b) { return b.replace("\r\nGroup3", "\rXGroup3"); }, 0, 2},
        // One key renamed into another; the last character of a name cut by a line end.
        ChangedGroupFile{"keyRenamedIntoAnother", [](QByteArray b) { return b.replace("Group2=", "Group3="); }, 0, 2},
        ChangedGroupFile{"lastCharacterCutByALineEnd",
                         [](QByteArray b) { return b.replace("\xE4\xBA\xBA" "4\r", "\xE4\xBA\r" "4\r"); }, 0, 4},
        // Two bytes: the name is named, the others read as saved.
        ChangedGroupFile{"twoBytesOfAName",
                         [](QByteArray b) { return b.replace("=\xE5\x8F\x8B\xE4\xBA\xBA" "6", "=\xE5XY\xE4\xBA\xBA" "6"); }, 6, 0},
        // Saved again by hand in code page 932 with its encoding line, a comment added.
        ChangedGroupFile{"savedByHandInCodePage932", [](QByteArray b) { return Cp932::encode(QString::fromUtf8(b)); }, 0, 0},
        ChangedGroupFile{"commentAddedByHand", [](QByteArray b) { return b.replace("Group5=", "; my groups\r\nGroup5="); }, 0, 0}),
    [](const ::testing::TestParamInfo<ChangedGroupFile> &info) { return std::string(info.param.name); });
