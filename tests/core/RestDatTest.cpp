#include "core/RestDat.h"

#include "core/AdrsSel.h"
#include "core/Env.h"
#include "DataFolderBooks.h"
#include "platform/IniFile.h"
#include "platform/SafeFile.h"
#include "support/ChildProcess.h"
#include "support/DataFolders.h"
#include "support/FileHelpers.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>

#include <sys/stat.h>

namespace {

void copyTree(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + path.mid(from.size());
        if (it.fileInfo().isDir())
            QDir().mkpath(target);
        else
            ASSERT_TRUE(QFile::copy(path, target)) << qPrintable(path);
    }
}

class Restore : public ::testing::Test
{
protected:
    void SetUp() override
    {
        backup = home.path() + QStringLiteral("/backup/");
        dest = home.path() + QStringLiteral("/data/");
    }
    void TearDown() override
    {
        SetDataFileCopyFailure({});
        AdrsFolderList.clear();
    }

    TRestoreRun run(bool reopen = false)
    {
        TRestoreRun r;
        r.SrcFolder = backup;
        r.DestFolder = dest;
        r.SourceBooks = CheckRestoreSource(backup).Books;
        r.Reopen = reopen;
        EXPECT_TRUE(r.Run()) << qPrintable(r.Problem);
        EXPECT_TRUE(r.RemoveReplacedFolders().isEmpty());
        return r;
    }
    QString book(const QString &root, const QString &folder) const
    {
        return root + QStringLiteral("Adrs/") + folder + QStringLiteral("/Adrs.DB");
    }
    QStringList pendingRenamings() const
    {
        TMemIniFile ini(dest + QStringLiteral("Adrs/AdrsOp.ini"));
        QStringList r;
        const int n = ini.ReadInteger(QStringLiteral("RENAME"), QStringLiteral("Count"), 0);
        for (int i = 1; i <= n; ++i)
            r << ini.ReadString(QStringLiteral("RENAME"), QString::number(i), QString());
        return r;
    }

    QTemporaryDir home;
    QString backup;
    QString dest;
};

// --- folders that are no backup ------------------------------------------

struct SourceCase
{
    const char *what;
    std::function<void(const QString &)> make;
    bool damaged;
};
class NotABackup : public ::testing::TestWithParam<SourceCase>
{
};
TEST_P(NotABackup, isRefusedBeforeAnythingIsWritten)
{
    QTemporaryDir dir;
    const QString src = dir.path() + QStringLiteral("/src/");
    QDir().mkpath(src);
    GetParam().make(src);
    const TRestoreSourceCheck check = CheckRestoreSource(src);
    EXPECT_FALSE(check.Problem.isEmpty()) << GetParam().what;
    if (GetParam().damaged)
        EXPECT_TRUE(check.Problem.startsWith(QStringLiteral("復元元フォルダーのデータファイルが壊れている")));
    else
        EXPECT_EQ(check.Problem, QStringLiteral("復元元フォルダーには復元するデータがありません  "));
}
INSTANTIATE_TEST_SUITE_P(
    Folders, NotABackup,
    ::testing::Values(
        SourceCase{"empty", [](const QString &) {}, false},
        SourceCase{"foreign files", [](const QString &s) { writeBytes(s + "photo.jpg", "jpeg"); }, false},
        SourceCase{"book folder without its table",
                   [](const QString &s) {
                       QDir().mkpath(s + "Adrs/家族");
                       writeBytes(s + "Adrs/家族/Group.dat", "g");
                   },
                   false},
        SourceCase{"damaged book table",
                   [](const QString &s) {
                       QDir().mkpath(s + "Adrs/家族");
                       writeBytes(s + "Adrs/家族/Adrs.DB", QByteArray(4096, 'x'));
                   },
                   true},
        SourceCase{"table of another program",
                   [](const QString &s) {
                       QDir().mkpath(s + "Adrs/家族");
                       QString error;
                       sqlite3 *db = SqlCipher::open(s + "Adrs/家族/Adrs.DB", "another key", true, &error);
                       (void)SqlCipher::exec(db, "CREATE TABLE t(x);");
                       SqlCipher::close(db);
                   },
                   true},
        SourceCase{"book table damaged past its first pages",
                   [](const QString &s) {
                       WriteMarkedBook(s + "Adrs/家族", "a", 400);
                       DamageLastPage(s + "Adrs/家族/Adrs.DB");
                   },
                   true},
        SourceCase{"damaged sender table beside a good book",
                   [](const QString &s) {
                       WriteMarkedBook(s + "Adrs/家族", "a", 1);
                       QDir().mkpath(s + "Other");
                       writeBytes(s + "Other/Sender.DB", QByteArray(100, '\0'));
                   },
                   true}));

TEST(RestoreSource, listsTheBooksOfABackupSorted)
{
    QTemporaryDir dir;
    const QString src = dir.path() + QStringLiteral("/");
    WriteMarkedBook(src + "Adrs/b", "b", 1);
    WriteMarkedBook(src + "Adrs/a", "a", 1);
    QDir().mkpath(src + "Adrs/.deleting-1");
    const TRestoreSourceCheck check = CheckRestoreSource(src);
    EXPECT_TRUE(check.Problem.isEmpty());
    EXPECT_EQ(check.Books, (QStringList{"a", "b"}));
}

// --- restoring books -------------------------------------------------------

TEST_F(Restore, replacesTheBookAndKeepsWhatTheBackupLacks)
{
    WriteMarkedBook(backup + "Adrs/家族", "new", 4);
    WriteMarkedBook(dest + "Adrs/家族", "old", 2);
    writeBytes(dest + "Adrs/家族/Group.dat", "own groups");
    const TRestoreRun r = run();
    EXPECT_EQ(BookMarkers(book(dest, "家族")), Markers("new", 4));
    EXPECT_EQ(fileBytes(dest + "Adrs/家族/Group.dat"), QByteArray("own groups"));
    ASSERT_EQ(r.BookResults.size(), 2); // the book, then the sender table (none in the backup)
    EXPECT_EQ(r.BookResults[0].Code, CopyResult::Done);
    EXPECT_TRUE(QDir(dest + "Adrs").entryList({".deleting-*"}, QDir::Dirs | QDir::Hidden).isEmpty());
}

TEST_F(Restore, damagedBackupIsRefusedWithTheBookNamedAndTheLiveBookStays)
{
    WriteMarkedBook(backup + "Adrs/家族", "new", 400);
    DamageLastPage(book(backup, "家族"));
    WriteMarkedBook(dest + "Adrs/家族", "old", 2);
    TRestoreRun r;
    r.SrcFolder = backup;
    r.DestFolder = dest;
    r.SourceBooks = {"家族"};
    EXPECT_FALSE(r.Run());
    EXPECT_TRUE(r.Problem.contains(QStringLiteral("アドレス帳： 家族"))) << qPrintable(r.Problem);
    EXPECT_EQ(BookMarkers(book(dest, "家族")), Markers("old", 2));
}

TEST_F(Restore, damagedSenderTableRefusesTheRestoreBeforeAnyBookIsReplaced)
{
    WriteMarkedBook(backup + "Adrs/家族", "new", 3);
    QDir().mkpath(backup + "Other");
    writeBytes(backup + "Other/Sender.DB", QByteArray(8192, 'x'));
    WriteMarkedBook(dest + "Adrs/家族", "old", 2);
    TRestoreRun r;
    r.SrcFolder = backup;
    r.DestFolder = dest;
    r.SourceBooks = {"家族"};
    EXPECT_FALSE(r.Run());
    EXPECT_TRUE(r.Problem.contains(QStringLiteral("差出人ファイル"))) << qPrintable(r.Problem);
    EXPECT_EQ(BookMarkers(book(dest, "家族")), Markers("old", 2));
    EXPECT_EQ(QDir(dest + "Adrs").entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"家族"});
    EXPECT_TRUE(QDir(dest).entryList({".deleting-*"}, QDir::Dirs | QDir::Hidden).isEmpty());
}

TEST_F(Restore, damagedLaterBookRefusesTheRestoreAndTheEarlierBookStaysAsItWas)
{
    WriteMarkedBook(backup + "Adrs/a", "new", 3);
    WriteMarkedBook(backup + "Adrs/b", "new", 400);
    DamageLastPage(book(backup, "b"));
    WriteMarkedBook(dest + "Adrs/a", "old", 2);
    TRestoreRun r;
    r.SrcFolder = backup;
    r.DestFolder = dest;
    r.SourceBooks = {"a", "b"};
    EXPECT_FALSE(r.Run());
    EXPECT_TRUE(r.Problem.contains(QStringLiteral("アドレス帳： b"))) << qPrintable(r.Problem);
    EXPECT_FALSE(r.Problem.contains(QStringLiteral("アドレス帳： a"))) << qPrintable(r.Problem);
    EXPECT_EQ(BookMarkers(book(dest, "a")), Markers("old", 2));
    EXPECT_EQ(QDir(dest + "Adrs").entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"a"});
}

TEST_F(Restore, groupNamesLeftAsideByAKilledSaveSurviveTheRestore)
{
    WriteMarkedBook(backup + "Adrs/家族", "new", 2);
    WriteMarkedBook(dest + "Adrs/家族", "old", 2);
    const QString groups = dest + "Adrs/家族/Group.dat";
    writeBytes(groups, "own groups");
    ageFile(groups, 3600);
    // A save of the group names killed between its two renames: only the
    // aside copy is left, marked with the file's size and time.
    ASSERT_TRUE(QFile::rename(groups, SafeReplaceBackupPath(groups)));
    run();
    RecoverSafeReplace(groups); // what the next reader of the group names does first
    EXPECT_EQ(fileBytes(groups), QByteArray("own groups"));
    EXPECT_TRUE(QDir(dest + "Adrs/家族").entryList({".$$*"}, QDir::Files | QDir::Hidden).isEmpty());
}

// Another program makes a folder where a book of the backup is to go while
// the restore puts its copies together: that folder is not replaced, and the
// book is reported not restored, with the cause; the other book is restored.
TEST_F(Restore, aFolderAnotherProgramMadeMeanwhileIsNotReplaced)
{
    WriteMarkedBook(backup + "Adrs/a", "new", 2);
    WriteMarkedBook(backup + "Adrs/b", "new", 3);
    const QString theirs = dest + "Adrs/a";
    struct stat made {};
    TRestoreRun r;
    r.SrcFolder = backup;
    r.DestFolder = dest;
    r.SourceBooks = {"a", "b"};
    r.Progress = [&](int done, int) {
        // Book a is put together beside its place, not yet moved there.
        if (done == 1 && QDir().mkpath(theirs)) {
            ASSERT_EQ(::stat(QFile::encodeName(theirs).constData(), &made), 0);
        }
    };
    (void)r.Run();
    (void)r.RemoveReplacedFolders();
    ASSERT_NE(made.st_ino, 0u);
    struct stat now {};
    ASSERT_EQ(::stat(QFile::encodeName(theirs).constData(), &now), 0);
    EXPECT_EQ(now.st_ino, made.st_ino) << "the other program's folder was replaced";
    EXPECT_FALSE(QFileInfo::exists(book(dest, "a")));
    EXPECT_EQ(BookMarkers(book(dest, "b")), Markers("new", 3));
    ASSERT_GE(r.BookResults.size(), 2);
    EXPECT_EQ(r.BookResults[0].Code, CopyResult::Failed);
    EXPECT_TRUE(r.BookResults[0].Cause.contains(QStringLiteral("ほかのプログラムで作られた")))
        << qPrintable(r.BookResults[0].Cause);
    EXPECT_TRUE(QDir(dest + "Adrs").entryList({".*"}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty())
        << "the copy put together for book a is left behind";
}

TEST_F(Restore, bookNamedLikeTheNumberedFolderOfAnotherGetsAFolderOfItsOwn)
{
    WriteMarkedBook(backup + "Adrs/家族", "family", 2);
    WriteMarkedBook(backup + "Adrs/家族（1）", "one", 3);
    WriteMarkedBook(dest + "Adrs/家族", "old", 1);
    {
        TMemIniFile ini(dest + "Adrs/AdrsOp.ini");
        ini.WriteInteger("DELETE", "Count", 1);
        ini.WriteString("DELETE", "1", "家族");
        ASSERT_TRUE(ini.UpdateFile());
    }
    run();
    EXPECT_EQ(BookMarkers(book(dest, "家族")), Markers("old", 1));
    EXPECT_EQ(BookMarkers(book(dest, "家族（1）")), Markers("family", 2));
    EXPECT_EQ(BookMarkers(book(dest, "家族（1）（1）")), Markers("one", 3));
    EXPECT_EQ(pendingRenamings(), (QStringList{"家族（1）/家族", "家族（1）（1）/家族（1）"}));
}

TEST_F(Restore, copyReadDamagedInTheHiddenFolderIsNeverExchanged)
{
    // Past the check of the source: the copy itself is read whole again.
    WriteMarkedBook(backup + "Adrs/家族", "new", 400);
    DamageLastPage(book(backup, "家族"));
    WriteMarkedBook(dest + "Adrs/家族", "old", 2);
    QString error;
    EXPECT_EQ(RestoreFolder(backup + "Adrs/家族/", dest + "Adrs/家族", AdrsTableFiles(), &error), CopyResult::Failed);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(BookMarkers(book(dest, "家族")), Markers("old", 2));
    EXPECT_EQ(QDir(dest + "Adrs").entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"家族"});
}

TEST_F(Restore, replacedFolderIsKeptUntilTheRestoreIsReported)
{
    WriteMarkedBook(backup + "Adrs/家族", "new", 3);
    WriteMarkedBook(dest + "Adrs/家族", "old", 2);
    TRestoreRun r;
    r.SrcFolder = backup;
    r.DestFolder = dest;
    r.SourceBooks = {"家族"};
    ASSERT_TRUE(r.Run());
    const QStringList kept = QDir(dest + "Adrs").entryList({".deleting-restore-*"}, QDir::Dirs | QDir::Hidden);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(BookMarkers(dest + "Adrs/" + kept.first() + "/Adrs.DB"), Markers("old", 2));
    EXPECT_TRUE(r.RemoveReplacedFolders().isEmpty());
    EXPECT_TRUE(QDir(dest + "Adrs").entryList({".deleting-restore-*"}, QDir::Dirs | QDir::Hidden).isEmpty());
}

TEST_F(Restore, keepsTheFoldersAndLinksOfTheBookFolderAndWhatTheyReach)
{
    WriteMarkedBook(backup + "Adrs/家族", "new", 3);
    WriteMarkedBook(dest + "Adrs/家族", "old", 2);
    QDir().mkpath(dest + "Adrs/家族/写真");
    writeBytes(dest + "Adrs/家族/写真/a.jpg", "photo");
    writeBytes(dest + "Adrs/家族/.memo", "memo");
    const QString outside = home.path() + "/outside/";
    QDir().mkpath(outside);
    writeBytes(outside + "keep.txt", "keep");
    ASSERT_TRUE(QFile::link(outside, dest + "Adrs/家族/外"));
    run();
    EXPECT_EQ(BookMarkers(book(dest, "家族")), Markers("new", 3));
    EXPECT_EQ(fileBytes(dest + "Adrs/家族/写真/a.jpg"), QByteArray("photo"));
    EXPECT_EQ(fileBytes(dest + "Adrs/家族/.memo"), QByteArray("memo"));
    EXPECT_TRUE(QFileInfo(dest + "Adrs/家族/外").isSymLink());
    EXPECT_EQ(fileBytes(outside + "keep.txt"), QByteArray("keep"));
}

TEST_F(Restore, leftoverOfAnInterruptedRestoreLosesOnlyWhatTheProgramPutThere)
{
    const QString left = dest + "Adrs/.deleting-restore-0badf00d/";
    WriteMarkedBook(left, "half", 1);
    QDir().mkpath(left + "写真");
    writeBytes(left + "写真/a.jpg", "photo");
    const QString outside = home.path() + "/outside/";
    QDir().mkpath(outside);
    writeBytes(outside + "keep.txt", "keep");
    ASSERT_TRUE(QFile::link(outside, left + "外"));
    RemoveRestoreLeftovers(dest + "Adrs/");
    EXPECT_FALSE(QFileInfo::exists(left + "Adrs.DB"));
    EXPECT_FALSE(QFileInfo(left + "外").isSymLink());
    EXPECT_EQ(fileBytes(left + "写真/a.jpg"), QByteArray("photo"));
    EXPECT_EQ(fileBytes(outside + "keep.txt"), QByteArray("keep"));
}

TEST_F(Restore, linkInPlaceOfTheBookFolderIsNotRestoredThrough)
{
    WriteMarkedBook(backup + "Adrs/家族", "new", 3);
    const QString elsewhere = home.path() + "/elsewhere/";
    WriteMarkedBook(elsewhere, "theirs", 2);
    QDir().mkpath(dest + "Adrs");
    ASSERT_TRUE(QFile::link(elsewhere, dest + "Adrs/家族"));
    EXPECT_EQ(RestoreFolder(backup + "Adrs/家族/", dest + "Adrs/家族", AdrsTableFiles()), CopyResult::Failed);
    EXPECT_EQ(BookMarkers(elsewhere + "Adrs.DB"), Markers("theirs", 2));
    EXPECT_TRUE(QFileInfo(dest + "Adrs/家族").isSymLink());
}

TEST_F(Restore, pendingRenamingTowardTheBookNamePutsItIntoTheRenamedFolder)
{
    WriteMarkedBook(backup + "Adrs/家族", "new", 3);
    WriteMarkedBook(dest + "Adrs/旧", "old", 2);
    {
        TMemIniFile ini(dest + "Adrs/AdrsOp.ini");
        ini.WriteInteger("RENAME", "Count", 1);
        ini.WriteString("RENAME", "1", "旧/家族");
        ASSERT_TRUE(ini.UpdateFile());
    }
    run();
    EXPECT_EQ(BookMarkers(book(dest, "旧")), Markers("new", 3));
    EXPECT_EQ(QDir(dest + "Adrs").entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{"旧"});
    EXPECT_EQ(pendingRenamings(), QStringList{"旧/家族"});
}

TEST(KillTrialChild, isStartedWithoutShardingAndNeverSignalledOnceEnded)
{
    qputenv("GTEST_SHARD_INDEX", "1");
    qputenv("GTEST_TOTAL_SHARDS", "4");
    const QProcessEnvironment env = ChildTestEnvironment();
    qunsetenv("GTEST_SHARD_INDEX");
    qunsetenv("GTEST_TOTAL_SHARDS");
    EXPECT_FALSE(env.contains("GTEST_SHARD_INDEX"));
    EXPECT_FALSE(env.contains("GTEST_TOTAL_SHARDS"));
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=NoSuchCase.none"});
    ASSERT_TRUE(child.waitForFinished(30000));
    // Signal 0 only asks whether the process is there: sent to the id 0 of
    // an ended child it would reach this test's own group.
    EXPECT_FALSE(KillRunningChild(child, 0));
}

TEST_F(Restore, failedCopyLeavesTheLiveBookExactlyAsItWas)
{
    WriteMarkedBook(backup + "Adrs/家族", "new", 4);
    writeBytes(backup + "Adrs/家族/Group.dat", "backup groups");
    WriteMarkedBook(dest + "Adrs/家族", "old", 2);
    writeBytes(dest + "Adrs/家族/Group.dat", "own groups");
    const QByteArray before = fileBytes(book(dest, "家族"));
    SetDataFileCopyFailure([](const QString &f) { return f.endsWith("Group.dat"); });
    const TRestoreRun r = run();
    EXPECT_EQ(r.BookResults.at(0).Code, CopyResult::Failed);
    EXPECT_EQ(r.BookResults.at(1).Label, QStringLiteral("グループ名： 家族"));
    EXPECT_EQ(r.BookResults.at(1).Code, CopyResult::Failed);
    EXPECT_TRUE(sameBytes(before, fileBytes(book(dest, "家族"))));
    EXPECT_EQ(fileBytes(dest + "Adrs/家族/Group.dat"), QByteArray("own groups"));
    EXPECT_EQ(QDir(dest + "Adrs").entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"家族"});
}

TEST_F(Restore, bookPendingDeletionIsNotRestoredIntoItsFolder)
{
    WriteMarkedBook(backup + "Adrs/家族", "new", 3);
    WriteMarkedBook(dest + "Adrs/家族", "old", 2);
    {
        TMemIniFile ini(dest + "Adrs/AdrsOp.ini");
        ini.WriteInteger("DELETE", "Count", 1);
        ini.WriteString("DELETE", "1", "家族");
        ini.WriteInteger("RENAME", "Count", 1);
        ini.WriteString("RENAME", "1", "x/y");
        ASSERT_TRUE(ini.UpdateFile());
    }
    run();
    EXPECT_EQ(BookMarkers(book(dest, "家族")), Markers("old", 2));
    EXPECT_EQ(BookMarkers(book(dest, "家族（1）")), Markers("new", 3));
    EXPECT_EQ(pendingRenamings(), (QStringList{"x/y", "家族（1）/家族"}));
}

TEST_F(Restore, reopenModeLeavesBooksPendingDeletionOutOfTheMatching)
{
    WriteMarkedBook(backup + "Adrs/家族", "new", 3);
    WriteMarkedBook(dest + "Adrs/家族", "old", 2);
    AdrsFolderList = {{QString(), "家族", AdrsStateDeleted}};
    run(true);
    EXPECT_EQ(BookMarkers(book(dest, "家族")), Markers("old", 2));
    EXPECT_EQ(BookMarkers(book(dest, "家族（1）")), Markers("new", 3));
}

TEST_F(Restore, reopenModeRestoresABookIntoTheFolderOfItsName)
{
    WriteMarkedBook(backup + "Adrs/家族", "new", 3);
    WriteMarkedBook(dest + "Adrs/旧", "old", 2);
    AdrsFolderList = {{"家族", "旧", AdrsStateRenamed}};
    run(true);
    EXPECT_EQ(BookMarkers(book(dest, "旧")), Markers("new", 3));
    EXPECT_FALSE(QFileInfo::exists(dest + "Adrs/家族"));
}

TEST_F(Restore, bookRenamedSinceGetsANumberedFolderAndAPendingRenaming)
{
    WriteMarkedBook(backup + "Adrs/家族", "new", 3);
    WriteMarkedBook(dest + "Adrs/家族", "old", 2);
    WriteMarkedBook(dest + "Adrs/家族（1）", "other", 1);
    {
        TMemIniFile ini(dest + "Adrs/AdrsOp.ini");
        ini.WriteInteger("RENAME", "Count", 1);
        ini.WriteString("RENAME", "1", "家族/親戚");
        ASSERT_TRUE(ini.UpdateFile());
    }
    run();
    EXPECT_EQ(BookMarkers(book(dest, "家族")), Markers("old", 2));
    EXPECT_EQ(BookMarkers(book(dest, "家族（2）")), Markers("new", 3));
    EXPECT_EQ(pendingRenamings(), (QStringList{"家族/親戚", "家族（2）/家族"}));
}

TEST_F(Restore, refusesWhileATableUnderTheDestinationIsOpen)
{
    WriteMarkedBook(backup + "Adrs/家族", "new", 3);
    WriteMarkedBook(dest + "Adrs/家族", "old", 2);
    TTable live;
    live.SetTableName(book(dest, "家族"));
    live.SetPassword(TablePassword);
    live.Open();
    TRestoreRun r;
    r.SrcFolder = backup;
    r.DestFolder = dest;
    r.SourceBooks = {"家族"};
    EXPECT_FALSE(r.Run());
    EXPECT_FALSE(r.Problem.isEmpty());
    live.Close();
    EXPECT_EQ(BookMarkers(book(dest, "家族")), Markers("old", 2));
}

TEST_F(Restore, damagedPendingOperationsFileDoesNotStopTheRestore)
{
    ScriptedMessageBoxes boxes;
    WriteMarkedBook(backup + "Adrs/家族", "new", 3);
    QDir().mkpath(dest + "Adrs");
    writeBytes(dest + "Adrs/AdrsOp.ini", QByteArray("\0\1\2damaged", 10));
    run();
    EXPECT_EQ(BookMarkers(book(dest, "家族")), Markers("new", 3));
}

TEST_F(Restore, damagedBookOrderFileOfTheBackupIsNotRestoredButTheRestIs)
{
    WriteMarkedBook(backup + "Adrs/家族", "new", 3);
    writeBytes(backup + "Adrs/AdrsMng.ini", QByteArray("\0\0\0\0", 4));
    QDir().mkpath(dest + "Adrs");
    writeBytes(dest + "Adrs/AdrsMng.ini", "[SORT]\r\n1=家族\r\n");
    const TRestoreRun r = run();
    EXPECT_EQ(BookMarkers(book(dest, "家族")), Markers("new", 3));
    EXPECT_EQ(fileBytes(dest + "Adrs/AdrsMng.ini"), QByteArray("[SORT]\r\n1=家族\r\n"));
    EXPECT_EQ(r.BookResults.at(1).Label, QStringLiteral("アドレス帳管理ファイル"));
    EXPECT_EQ(r.BookResults.at(1).Code, CopyResult::Failed);
}

TEST_F(Restore, neverCopiesTheDefaultSenderFile)
{
    WriteMarkedBook(backup + "Adrs/家族", "new", 1);
    writeBytes(backup + "Sender.ini", "[SENDER]\r\n");
    writeBytes(backup + "Search.ptn", "p");
    const TRestoreRun r = run();
    EXPECT_FALSE(QFileInfo::exists(dest + "Sender.ini"));
    EXPECT_TRUE(QFileInfo::exists(dest + "Search.ptn"));
    // Listed where the backup listed it, as left out.
    ASSERT_FALSE(r.OtherResults.isEmpty());
    EXPECT_EQ(r.OtherResults.last().Label, QStringLiteral("差出人情報ファイル"));
    EXPECT_EQ(r.OtherResults.last().Code, CopyResult::Kept);
}

TEST_F(Restore, restoresTheSenderTableWhole)
{
    WriteMarkedBook(backup + "Adrs/家族", "new", 1);
    WriteSenderTable(backup + "Other", 3);
    WriteSenderTable(dest + "Other", 1);
    const TRestoreRun r = run();
    EXPECT_EQ(r.BookResults.last().Label, QStringLiteral("差出人ファイル"));
    EXPECT_EQ(r.BookResults.last().Code, CopyResult::Done);
    EXPECT_EQ(IntegrityCheck(dest + "Other/Sender.DB"), QStringLiteral("ok"));
}

// --- kill trials -----------------------------------------------------------

constexpr int KillBooks = 4;
constexpr int KillRecords = 1500;

// Run in a child process by the trials below: restores MURVEN_RESTORE_SRC
// into MURVEN_RESTORE_DEST, telling the parent when it starts.
TEST(RestoreKillChild, restoresWhenAskedByTheKillTrials)
{
    const QString src = qEnvironmentVariable("MURVEN_RESTORE_SRC");
    if (src.isEmpty())
        GTEST_SKIP() << "runs only as the kill trials' child";
    TRestoreRun r;
    r.SrcFolder = src;
    r.DestFolder = qEnvironmentVariable("MURVEN_RESTORE_DEST");
    r.SourceBooks = CheckRestoreSource(src).Books;
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    QElapsedTimer took;
    took.start();
    EXPECT_TRUE(r.Run());
    (void)r.RemoveReplacedFolders();
    std::printf("%lld\n", took.nsecsElapsed());
    std::fflush(stdout);
}

TEST_F(Restore, killedAtAnyMomentLeavesEveryBookOldOrRestored)
{
    for (int b = 1; b <= KillBooks; ++b)
        WriteMarkedBook(backup + QStringLiteral("Adrs/book%1").arg(b), QStringLiteral("new%1").arg(b), KillRecords);
    WriteMarkedBook(backup + "Adrs/added", "added", 10);
    const QString original = home.path() + QStringLiteral("/original/");
    for (int b = 1; b <= KillBooks; ++b)
        WriteMarkedBook(original + QStringLiteral("Adrs/book%1").arg(b), QStringLiteral("old%1").arg(b), 7 * b);

    auto runChild = [&](qint64 killAfterNs) {
        QProcess child;
        QProcessEnvironment env = ChildTestEnvironment();
        env.insert("MURVEN_RESTORE_SRC", backup);
        env.insert("MURVEN_RESTORE_DEST", dest);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--gtest_filter=RestoreKillChild.restoresWhenAskedByTheKillTrials"});
        EXPECT_TRUE(child.waitForStarted());
        // The test program's own lines come first.
        auto nextLine = [&child]() -> QByteArray {
            while (!child.canReadLine() && child.state() == QProcess::Running)
                child.waitForReadyRead(5000);
            return child.canReadLine() ? child.readLine().trimmed() : QByteArray("<ended>");
        };
        for (QByteArray line = nextLine(); line != "ready" && line != "<ended>"; line = nextLine()) {
        }
        QElapsedTimer t;
        t.start();
        qint64 took = 0;
        if (killAfterNs >= 0) {
            while (t.nsecsElapsed() < killAfterNs) {
            }
            (void)KillRunningChild(child);
        } else {
            // How long the restore itself took, as the child measured it.
            bool number = false;
            for (QByteArray line = nextLine(); !number && line != "<ended>"; line = nextLine())
                took = line.toLongLong(&number);
        }
        child.waitForFinished(30000);
        return took;
    };

    // One whole run tells how long a restore takes here.
    copyTree(original, dest);
    const qint64 whole = runChild(-1);
    ASSERT_GT(whole, 0);
    ASSERT_TRUE(QDir(dest).removeRecursively());

    ScopedDataFolders folders(home.path());
    for (int trial = 0; trial < 20; ++trial) {
        copyTree(original, dest);
        const qint64 killAt = qint64(QRandomGenerator::global()->bounded(double(whole)));
        runChild(killAt);
        // What the next start does first.
        QString error;
        EXPECT_TRUE(ScanAddressBooks(true, &error)) << qPrintable(error);
        for (const TAdrsFolderInfo &info : std::as_const(AdrsFolderList)) {
            const QString path = book(dest, info.Folder);
            EXPECT_EQ(IntegrityCheck(path), QStringLiteral("ok")) << qPrintable(path);
            const QStringList markers = BookMarkers(path);
            if (info.Folder == "added") {
                EXPECT_EQ(markers, Markers("added", 10));
                continue;
            }
            const int b = info.Folder.mid(4).toInt();
            EXPECT_TRUE(markers == Markers(QStringLiteral("old%1").arg(b), 7 * b) ||
                        markers == Markers(QStringLiteral("new%1").arg(b), KillRecords))
                << "trial " << trial << " killed after " << killAt << " ns: " << qPrintable(info.Folder);
        }
        EXPECT_GE(AdrsFolderList.size(), KillBooks) << "trial " << trial;
        ASSERT_TRUE(QDir(dest).removeRecursively());
    }
}

} // namespace
