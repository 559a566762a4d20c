#include "core/BkupDat.h"

#include "core/Env.h"
#include "platform/SafeFile.h"
#include "platform/SqlCipher.h"
#include "core/DBInfo.h"
#include "DataFolderBooks.h"
#include "support/DataFolders.h"
#include "support/FileHelpers.h"
#include "support/OrdinaryUser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace {

class DataFolderBackup : public ::testing::Test
{
protected:
    void SetUp() override
    {
        src = home.path() + QStringLiteral("/data/");
        dest = src + BackupFolderName() + QLatin1Char('/');
    }
    void TearDown() override { SetDataFileCopyFailure({}); }

    // A data folder with one of everything the backup takes.
    void fillDataFolder()
    {
        WriteMarkedBook(src + QStringLiteral("Adrs/家族"), QStringLiteral("a"), 5);
        writeBytes(src + QStringLiteral("Adrs/家族/Group.dat"), "groups");
        WriteMarkedBook(src + QStringLiteral("Adrs/仕事"), QStringLiteral("b"), 3);
        writeBytes(src + QStringLiteral("Adrs/AdrsMng.ini"), "[SORT]\r\n1=家族\r\n2=仕事\r\n");
        WriteSenderTable(src + QStringLiteral("Other"), 2);
        QDir().mkpath(src + QStringLiteral("Layout"));
        writeBytes(src + QStringLiteral("Layout/年賀.gpl"), "layout");
        writeBytes(src + QStringLiteral("Layout/ignored.txt"), "not a layout");
        QDir().mkpath(src + QStringLiteral("History"));
        writeBytes(src + QStringLiteral("History/Post.mtd"), QByteArray(4, '\0'));
        writeBytes(src + QStringLiteral("Search.ptn"), "p");
        writeBytes(src + QStringLiteral("Sender.ini"), "[SENDER]\r\n");
    }
    QList<TBackupBook> books() const
    {
        return {{QStringLiteral("家族"), QStringLiteral("家族")}, {QStringLiteral("仕事"), QStringLiteral("仕事")}};
    }

    QTemporaryDir home;
    QString src;
    QString dest;
};

TEST(AdrsTableFiles, namesTheWholeFamilyOfFortyOneFiles)
{
    const QStringList &names = AdrsTableFiles();
    EXPECT_EQ(names.size(), 41);
    EXPECT_EQ(names.first(), QStringLiteral("Adrs.DB"));
    EXPECT_TRUE(names.contains(QStringLiteral("Adrs.XGB")));
    EXPECT_TRUE(names.contains(QStringLiteral("Adrs.Y0A")));
    QStringList unique = names;
    EXPECT_EQ(unique.removeDuplicates(), 0);
}

struct ResultCase
{
    int code;
    const char *mark;
    const char *reason;
};
class ResultRow : public ::testing::TestWithParam<ResultCase>
{
};
TEST_P(ResultRow, showsMarkAndReasonOfCode)
{
    EXPECT_EQ(CopyResultMark(GetParam().code), QString::fromUtf8(GetParam().mark));
    EXPECT_EQ(CopyResultReason(GetParam().code), QString::fromUtf8(GetParam().reason));
}
INSTANTIATE_TEST_SUITE_P(Codes, ResultRow,
                         ::testing::Values(ResultCase{0, "○", ""}, ResultCase{2, "△", "一部失敗"},
                                           ResultCase{8, "×", "コピー失敗"},
                                           ResultCase{9, "×", "フォルダーの作成に失敗"}));

struct KbCase
{
    qint64 bytes;
    const char *shown;
};
class KiloBytes : public ::testing::TestWithParam<KbCase>
{
};
TEST_P(KiloBytes, roundsUpWithSeparators)
{
    EXPECT_EQ(FormatKiloBytes(GetParam().bytes), QString::fromUtf8(GetParam().shown));
}
INSTANTIATE_TEST_SUITE_P(Sizes, KiloBytes,
                         ::testing::Values(KbCase{0, "0 "}, KbCase{1, "1 "}, KbCase{1024, "1 "}, KbCase{1025, "2 "},
                                           KbCase{qint64(1234567) * 1024, "1,234,567 "},
                                           KbCase{qint64(6) << 40, "6,442,450,944 "}));

TEST(BackupSpace, unknownFreeSpaceRefusesAnyNonEmptyBackup)
{
    TBackupSpace space;
    space.NeedSize = 1;
    space.FreeKnown = false;
    EXPECT_FALSE(space.Enough());
    EXPECT_EQ(FormatKiloBytes(space.FreeSize, space.FreeKnown), QStringLiteral("--- "));
}

TEST(BackupSpace, readsFreeSpaceOfNearestExistingFolder)
{
    QTemporaryDir dir;
    TBackupSpace space;
    ReadFreeSpace(dir.path() + QStringLiteral("/not/yet/made/"), space);
    EXPECT_TRUE(space.FreeKnown);
    EXPECT_GT(space.FreeSize, 0);
    EXPECT_GT(space.ClusterSize, 0);
}

TEST(BackupSpace, roundsEachFileUpToWholeClusters)
{
    EXPECT_EQ(ClusterRounded(1, 4096), 4096);
    EXPECT_EQ(ClusterRounded(4096, 4096), 4096);
    EXPECT_EQ(ClusterRounded(4097, 0), 4097);
    EXPECT_EQ(ClusterRounded(qint64(5) << 30, 4096), qint64(5) << 30);
}

TEST_F(DataFolderBackup, sumsFoldersBeyondFourGigabytesIn64Bits)
{
    QDir().mkpath(src + QStringLiteral("History"));
    QFile big(src + QStringLiteral("History/Post.mtd"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(qint64(5) << 30)); // sparse: no disk used
    big.close();
    EXPECT_EQ(BackupNeedSize(src, {}, 4096), qint64(5) << 30);
}

struct DestCase
{
    const char *dest; // relative to the data folder's parent
    TBackupDestError expected;
};
class BackupDestination : public ::testing::TestWithParam<DestCase>
{
};
TEST_P(BackupDestination, isJudgedAgainstTheCopiedFolders)
{
    QTemporaryDir home;
    const QString data = home.path() + QStringLiteral("/data/");
    QDir().mkpath(data + QStringLiteral("Adrs"));
    EXPECT_EQ(CheckBackupDestination(data, home.path() + QLatin1Char('/') + QString::fromUtf8(GetParam().dest)),
              GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Folders, BackupDestination,
    ::testing::Values(DestCase{"data", TBackupDestError::SameAsSource},
                      DestCase{"data/", TBackupDestError::SameAsSource},
                      DestCase{"data/Adrs/x", TBackupDestError::InsideCopied},
                      DestCase{"data/Adrs", TBackupDestError::InsideCopied},
                      DestCase{"data/History/old", TBackupDestError::InsideCopied},
                      DestCase{"data/Layout/", TBackupDestError::InsideCopied},
                      DestCase{"data/20240501 093000", TBackupDestError::None},
                      DestCase{"data/adrs/x", TBackupDestError::None}, // another folder on this file system
                      DestCase{"elsewhere", TBackupDestError::None}));

TEST_F(DataFolderBackup, copiesEveryItemAndReportsEachDone)
{
    fillDataFolder();
    const TBackupOutcome out = RunBackup(src, dest, books());
    EXPECT_TRUE(out.AllDone());
    QStringList labels;
    for (const TCopyRow &row : out.AllRows())
        labels << row.Label;
    EXPECT_EQ(labels, (QStringList{"アドレス帳： 家族", "グループ名： 家族", "アドレス帳： 仕事", "アドレス帳管理ファイル",
                                   "差出人ファイル", "宛名ファイル", "役職ファイル", "絞り込み条件パターンファイル",
                                   "差出人情報ファイル"}));
    EXPECT_EQ(BookMarkers(dest + QStringLiteral("Adrs/家族/Adrs.DB")), Markers(QStringLiteral("a"), 5));
    EXPECT_EQ(BookMarkers(dest + QStringLiteral("Adrs/仕事/Adrs.DB")), Markers(QStringLiteral("b"), 3));
    EXPECT_EQ(fileBytes(dest + QStringLiteral("Adrs/家族/Group.dat")), QByteArray("groups"));
    EXPECT_TRUE(QFileInfo::exists(dest + QStringLiteral("Other/Sender.DB")));
    EXPECT_TRUE(QFileInfo::exists(dest + QStringLiteral("Layout/年賀.gpl")));
    EXPECT_FALSE(QFileInfo::exists(dest + QStringLiteral("Layout/ignored.txt")));
}

TEST_F(DataFolderBackup, copiesOnlyCommittedStateOfBookBeingWritten)
{
    fillDataFolder();
    TTable writer;
    writer.SetTableName(src + QStringLiteral("Adrs/家族/Adrs.DB"));
    writer.SetPassword(TablePassword);
    writer.Open();
    TTableBatch batch(writer);
    for (int i = 0; i < 50; ++i) {
        batch.BeginRecord();
        writer.Append();
        writer.FieldByName(QStringLiteral("Keyword1")).SetAsString(QStringLiteral("uncommitted"));
        writer.Post();
        ASSERT_TRUE(batch.EndRecord(true));
    }
    const TBackupOutcome out = RunBackup(src, dest, books());
    ASSERT_TRUE(batch.Commit());
    writer.Close();
    EXPECT_TRUE(out.AllDone());
    EXPECT_EQ(IntegrityCheck(dest + QStringLiteral("Adrs/家族/Adrs.DB")), QStringLiteral("ok"));
    EXPECT_EQ(BookMarkers(dest + QStringLiteral("Adrs/家族/Adrs.DB")), Markers(QStringLiteral("a"), 5));
}

// Another program commits to a book as the backup reaches it: its commit
// holds the file for a moment, which the backup waits out from its first
// read of the table (the schema) on, instead of failing the book at once.
TEST_F(DataFolderBackup, waitsForAnotherProgramsCommitFromItsFirstRead)
{
    fillDataFolder();
    QString error;
    sqlite3 *other = SqlCipher::open(src + QStringLiteral("Adrs/家族/Adrs.DB"), TablePassword, false, &error);
    ASSERT_NE(other, nullptr) << qPrintable(error);
    // The exclusive lock a commit takes while it writes the file.
    ASSERT_TRUE(SqlCipher::exec(other, "BEGIN EXCLUSIVE;", &error)) << qPrintable(error);
    std::thread commit([other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        (void)SqlCipher::exec(other, "COMMIT;");
    });
    const TBackupOutcome out = RunBackup(src, dest, books());
    commit.join();
    SqlCipher::close(other);
    EXPECT_TRUE(out.AllDone());
    EXPECT_EQ(BookMarkers(dest + QStringLiteral("Adrs/家族/Adrs.DB")), Markers(QStringLiteral("a"), 5));
}

TEST_F(DataFolderBackup, failedTableCopyCountsAsFailedAndLeavesNoHalfCopy)
{
    fillDataFolder();
    SetDataFileCopyFailure([](const QString &from) { return from.endsWith(QStringLiteral("仕事/Adrs.DB")); });
    const TBackupOutcome out = RunBackup(src, dest, books());
    EXPECT_FALSE(out.AllDone());
    EXPECT_EQ(out.BookResults.at(2).Label, QStringLiteral("アドレス帳： 仕事"));
    EXPECT_EQ(out.BookResults.at(2).Code, CopyResult::Failed);
    EXPECT_FALSE(QFileInfo::exists(dest + QStringLiteral("Adrs/仕事/Adrs.DB")));
    EXPECT_TRUE(QDir(dest + QStringLiteral("Adrs/仕事")).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(DataFolderBackup, failedCopyKeepsTheEarlierCopyWhole)
{
    fillDataFolder();
    ASSERT_EQ(CopyFolder(src + QStringLiteral("Adrs/家族/"), dest, AdrsTableFiles()), CopyResult::Done);
    const QByteArray earlier = fileBytes(dest + QStringLiteral("Adrs.DB"));
    WriteMarkedBook(src + QStringLiteral("Adrs/新"), QStringLiteral("n"), 9);
    SetDataFileCopyFailure([](const QString &) { return true; });
    QString error;
    EXPECT_EQ(CopyFolder(src + QStringLiteral("Adrs/新/"), dest, AdrsTableFiles(), &error), CopyResult::Failed);
    EXPECT_FALSE(error.isEmpty());
    // The removal of the listed files takes only what this call copied.
    EXPECT_TRUE(sameBytes(earlier, fileBytes(dest + QStringLiteral("Adrs.DB"))));
}

// An earlier copy its user set read-only is not replaced through the
// folder: the copy fails with the cause and the earlier one stays.
TEST_F(DataFolderBackup, anEarlierCopySetReadOnlyStaysAndTheCopyNamesTheCause)
{
    fillDataFolder();
    const QString earlier = dest + QStringLiteral("Layout/年賀.gpl");
    ASSERT_EQ(CopyMatchingFiles(src + QStringLiteral("Layout"), dest + QStringLiteral("Layout"), {QStringLiteral("*.gpl")}),
              CopyResult::Done);
    writeBytes(src + QStringLiteral("Layout/年賀.gpl"), "the layout changed since");
    ASSERT_TRUE(QFile::setPermissions(earlier, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    QString error;
    bool copied = true;
    {
        const ScopedOrdinaryUser user({home.path()});
        ASSERT_TRUE(user.Bound());
        copied = CopyDataFile(src + QStringLiteral("Layout/年賀.gpl"), earlier, &error);
    }
    EXPECT_FALSE(copied);
    EXPECT_TRUE(error.contains(QStringLiteral("ファイルが読み取り専用のため、書き込めません。"))) << qPrintable(error);
    EXPECT_TRUE(error.contains(earlier)) << qPrintable(error);
    EXPECT_EQ(fileBytes(earlier), "layout");
    EXPECT_EQ(QDir(dest + QStringLiteral("Layout")).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("年賀.gpl")});
}

TEST_F(DataFolderBackup, damagedTableIsAFailedCopyNotADoneOne)
{
    fillDataFolder();
    writeBytes(src + QStringLiteral("Adrs/仕事/Adrs.DB"), QByteArray(8192, 'x'));
    const TBackupOutcome out = RunBackup(src, dest, books());
    EXPECT_EQ(out.BookResults.at(2).Code, CopyResult::Failed);
}

TEST_F(DataFolderBackup, failureOnALaterFileOfTheFamilyLeavesNoneOfItInTheDestination)
{
    WriteMarkedBook(src + QStringLiteral("Adrs/家族"), QStringLiteral("new"), 5);
    writeBytes(src + QStringLiteral("Adrs/家族/Adrs.PX"), "new index");
    // An earlier backup of the same book in the destination.
    WriteMarkedBook(dest + QStringLiteral("Adrs/家族"), QStringLiteral("old"), 2);
    writeBytes(dest + QStringLiteral("Adrs/家族/Adrs.PX"), "old index");
    SetDataFileCopyFailure([](const QString &from) { return from.endsWith(QStringLiteral("Adrs.PX")); });
    EXPECT_EQ(CopyFolder(src + QStringLiteral("Adrs/家族/"), dest + QStringLiteral("Adrs/家族/"), AdrsTableFiles()),
              CopyResult::Failed);
    EXPECT_TRUE(PresentFiles(dest + QStringLiteral("Adrs/家族/"), AdrsTableFiles()).isEmpty());
}

TEST_F(DataFolderBackup, listedBookWithoutItsTableIsReportedNotCopied)
{
    QDir().mkpath(src + QStringLiteral("Adrs/仕事"));
    writeBytes(src + QStringLiteral("Adrs/仕事/Group.dat"), "groups");
    const TBackupOutcome out = RunBackup(src, dest, {{QStringLiteral("仕事"), QStringLiteral("仕事")}});
    ASSERT_FALSE(out.BookResults.isEmpty());
    EXPECT_EQ(out.BookResults.first().Label, QStringLiteral("アドレス帳： 仕事"));
    EXPECT_EQ(CopyResultMark(out.BookResults.first().Code), QStringLiteral("×"));
    // Its group names are still kept.
    ASSERT_GE(out.BookResults.size(), 2);
    EXPECT_EQ(out.BookResults.at(1).Label, QStringLiteral("グループ名： 仕事"));
    EXPECT_EQ(out.BookResults.at(1).Code, CopyResult::Done);
    EXPECT_EQ(fileBytes(dest + QStringLiteral("Adrs/仕事/Group.dat")), QByteArray("groups"));
}

TEST_F(DataFolderBackup, damagedLiveTableIsNotCopiedOverAnOlderBackupAndIsNamed)
{
    WriteMarkedBook(src + QStringLiteral("Adrs/家族"), QStringLiteral("live"), 400);
    WriteMarkedBook(dest + QStringLiteral("Adrs/家族"), QStringLiteral("older"), 3);
    DamageLastPage(src + QStringLiteral("Adrs/家族/Adrs.DB"));
    const TBackupOutcome out = RunBackup(src, dest, {{QStringLiteral("家族"), QStringLiteral("家族")}});
    EXPECT_EQ(out.BookResults.first().Code, CopyResult::Failed);
    EXPECT_EQ(out.Damaged, QStringList{QStringLiteral("アドレス帳： 家族")});
    EXPECT_EQ(BookMarkers(dest + QStringLiteral("Adrs/家族/Adrs.DB")), Markers(QStringLiteral("older"), 3));
}

TEST(TableIsWhole, findsDamagePastThePagesThatOpeningReads)
{
    QTemporaryDir dir;
    WriteMarkedBook(dir.path() + QStringLiteral("/b"), QStringLiteral("a"), 400);
    const QString table = dir.path() + QStringLiteral("/b/Adrs.DB");
    EXPECT_TRUE(TableIsWhole(table));
    DamageLastPage(table);
    QString findings;
    EXPECT_FALSE(TableIsWhole(table, &findings));
    EXPECT_FALSE(findings.isEmpty());
}

// Damage a table file takes from a write cut short, a disk or a copy that
// stopped; each must be found by the check the backup and the restore run
// (and is found by the full integrity check too: the quick one misses none).
struct TableDamage
{
    const char *what;
    std::function<void(QFile &)> harm;
};
class DamagedTable : public ::testing::TestWithParam<TableDamage>
{
};
TEST_P(DamagedTable, isFoundByTheCheckOfEveryPage)
{
    QTemporaryDir dir;
    WriteMarkedBook(dir.path() + QStringLiteral("/b"), QStringLiteral("a"), 400);
    const QString table = dir.path() + QStringLiteral("/b/Adrs.DB");
    ASSERT_TRUE(TableIsWhole(table));
    {
        QFile f(table);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_GE(f.size(), 16 * 4096);
        GetParam().harm(f);
    }
    QString findings;
    EXPECT_FALSE(TableIsWhole(table, &findings)) << GetParam().what;
    EXPECT_FALSE(findings.isEmpty()) << GetParam().what;
    EXPECT_NE(IntegrityCheck(table), QStringLiteral("ok")) << GetParam().what;
}
INSTANTIATE_TEST_SUITE_P(
    Files, DamagedTable,
    ::testing::Values(
        TableDamage{"bytes of a record page overwritten",
                    [](QFile &f) {
                        f.seek(f.size() - 2048);
                        f.write(QByteArray(64, '\x5a'));
                    }},
        TableDamage{"cut inside its last page", [](QFile &f) { f.resize(f.size() - 2048); }},
        TableDamage{"cut at a page boundary", [](QFile &f) { f.resize(f.size() - 4096); }},
        TableDamage{"cut to half", [](QFile &f) { f.resize(f.size() / 2 / 4096 * 4096); }},
        TableDamage{"a page of zeros in the middle",
                    [](QFile &f) {
                        f.seek(f.size() / 2 / 4096 * 4096);
                        f.write(QByteArray(4096, '\0'));
                    }},
        TableDamage{"a torn page: its second half from another page",
                    [](QFile &f) {
                        const qint64 page = f.size() / 2 / 4096 * 4096;
                        f.seek(page + 4096 + 2048);
                        const QByteArray other = f.read(2048);
                        f.seek(page + 2048);
                        f.write(other);
                    }},
        TableDamage{"one bit flipped in a page",
                    [](QFile &f) {
                        f.seek(f.size() / 3);
                        char c = 0;
                        f.getChar(&c);
                        f.seek(f.size() / 3);
                        f.putChar(char(c ^ 0x01));
                    }}));

TEST_F(DataFolderBackup, damagedSenderTableIsNotCopiedOverAnOlderBackupAndIsNamed)
{
    WriteMarkedBook(src + QStringLiteral("Adrs/家族"), QStringLiteral("a"), 2);
    QDir().mkpath(src + QStringLiteral("Other"));
    writeBytes(src + QStringLiteral("Other/Sender.DB"), QByteArray(8192, 'x'));
    WriteSenderTable(dest + QStringLiteral("Other"), 2);
    const QByteArray older = fileBytes(dest + QStringLiteral("Other/Sender.DB"));
    const TBackupOutcome out = RunBackup(src, dest, {{QStringLiteral("家族"), QStringLiteral("家族")}});
    EXPECT_EQ(out.Damaged, QStringList{QStringLiteral("差出人ファイル")});
    EXPECT_EQ(out.BookResults.last().Code, CopyResult::Failed);
    EXPECT_TRUE(sameBytes(older, fileBytes(dest + QStringLiteral("Other/Sender.DB"))));
}

TEST_F(DataFolderBackup, safetyCopyTakesADamagedTableAsItIs)
{
    // The copy made before an index repair is of the table as it is: the
    // repair is what the damaged table needs.
    WriteMarkedBook(src + QStringLiteral("Adrs/家族"), QStringLiteral("a"), 400);
    DamageLastPage(src + QStringLiteral("Adrs/家族/Adrs.DB"));
    EXPECT_EQ(CopyFolder(src + QStringLiteral("Adrs/家族/"), dest, AdrsTableFiles()), CopyResult::Done);
    EXPECT_TRUE(sameBytes(fileBytes(src + QStringLiteral("Adrs/家族/Adrs.DB")), fileBytes(dest + QStringLiteral("Adrs.DB"))));
}

TEST_F(DataFolderBackup, sweepsTheTemporariesOfAKilledCopy)
{
    fillDataFolder();
    const QString to = dest + QStringLiteral("Adrs/家族/");
    QDir().mkpath(to);
    writeBytes(to + QStringLiteral(".Adrs.DB.copying-0badf00d"), "half a copy");
    writeBytes(to + QStringLiteral(".Group.dat.copying-0000abcd"), "half a copy");
    writeBytes(to + QStringLiteral(".Adrs.DB.copying-notmine"), "the user's");
    ASSERT_EQ(CopyFolder(src + QStringLiteral("Adrs/家族/"), to, AdrsTableFiles()), CopyResult::Done);
    EXPECT_EQ(QDir(to).entryList({QStringLiteral(".*.copying-*")}, QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral(".Adrs.DB.copying-notmine")});
}

// --- destinations that fold letter case (FAT, exFAT) -----------------------

struct CaseCase
{
    bool folds;
    std::vector<const char *> folders;
    std::vector<const char *> layouts;
    int clashes;
};
class LetterCase : public ::testing::TestWithParam<CaseCase>
{
};
TEST_P(LetterCase, namesThatDifferOnlyInCaseClashOnlyWhereCaseFolds)
{
    QTemporaryDir dir;
    const QString data = dir.path() + QStringLiteral("/data/");
    QDir().mkpath(data + QStringLiteral("Layout"));
    for (const char *name : GetParam().layouts)
        writeBytes(data + QStringLiteral("Layout/") + QString::fromUtf8(name), "layout");
    QList<TBackupBook> books;
    for (const char *folder : GetParam().folders)
        books.append({QString::fromUtf8(folder), QString::fromUtf8(folder)});
    const bool folds = GetParam().folds;
    SetLetterCaseProbe([folds](const QString &) { return folds; });
    EXPECT_EQ(BackupCaseClashes(data, dir.path() + QStringLiteral("/stick/"), books).size(), GetParam().clashes);
    SetLetterCaseProbe({});
}
INSTANTIATE_TEST_SUITE_P(Names, LetterCase,
                         ::testing::Values(CaseCase{true, {"Abc", "abc"}, {}, 1},
                                           CaseCase{false, {"Abc", "abc"}, {}, 0},
                                           CaseCase{true, {"Abc", "Abd", "家族"}, {}, 0},
                                           CaseCase{true, {"x"}, {"Nenga.gpl", "nenga.gpl"}, 1},
                                           CaseCase{true, {"ＡＢＣ", "ａｂｃ"}, {}, 1}));

TEST(LetterCase, aFileSystemThatKeepsCaseApartIsToldSoAndLeftAsItWas)
{
    QTemporaryDir dir;
    EXPECT_FALSE(FoldsLetterCase(dir.path() + QStringLiteral("/not/made/yet/")));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

struct MatchCase
{
    int files;
    int failing;
    int expected;
};
class MatchingFiles : public ::testing::TestWithParam<MatchCase>
{
};
TEST_P(MatchingFiles, reportsHowManyOfTheMatchesCopied)
{
    QTemporaryDir dir;
    const QString from = dir.path() + QStringLiteral("/from/");
    QDir().mkpath(from);
    for (int i = 0; i < GetParam().files; ++i)
        writeBytes(from + QStringLiteral("%1.gpd").arg(i), "d");
    const int failing = GetParam().failing;
    SetDataFileCopyFailure([failing](const QString &f) { return QFileInfo(f).baseName().toInt() < failing; });
    EXPECT_EQ(CopyMatchingFiles(from, dir.path() + QStringLiteral("/to/"), {QStringLiteral("*.gpd")}),
              GetParam().expected);
    SetDataFileCopyFailure({});
}
INSTANTIATE_TEST_SUITE_P(Counts, MatchingFiles,
                         ::testing::Values(MatchCase{0, 0, CopyResult::Nothing}, MatchCase{3, 0, CopyResult::Done},
                                           MatchCase{3, 1, CopyResult::Partly}, MatchCase{3, 3, CopyResult::Failed}));

TEST_F(DataFolderBackup, filesLeftAsideByAKilledSaveAreBackedUp)
{
    fillDataFolder();
    // Saves killed between their two renames: only the aside copies remain.
    for (const char *name : {"Layout/年賀.gpl", "History/Post.mtd", "Sender.ini", "Adrs/家族/Group.dat"}) {
        const QString path = src + QString::fromUtf8(name);
        ASSERT_TRUE(QFile::rename(path, SafeReplaceBackupPath(path))) << name;
    }
    const TBackupOutcome out = RunBackup(src, dest, books());
    EXPECT_TRUE(out.AllDone());
    EXPECT_EQ(fileBytes(dest + QStringLiteral("Layout/年賀.gpl")), QByteArray("layout"));
    EXPECT_EQ(fileBytes(dest + QStringLiteral("Adrs/家族/Group.dat")), QByteArray("groups"));
    EXPECT_TRUE(QFileInfo::exists(dest + QStringLiteral("History/Post.mtd")));
    EXPECT_TRUE(QFileInfo::exists(dest + QStringLiteral("Sender.ini")));
}

TEST_F(DataFolderBackup, bookWithoutGroupFileGivesNoGroupRow)
{
    WriteMarkedBook(src + QStringLiteral("Adrs/仕事"), QStringLiteral("b"), 1);
    const TBackupOutcome out = RunBackup(src, dest, {{QStringLiteral("仕事"), QStringLiteral("仕事")}});
    for (const TCopyRow &row : out.BookResults)
        EXPECT_FALSE(row.Label.startsWith(QStringLiteral("グループ名")));
}

TEST_F(DataFolderBackup, safetyCopyFailureIsReported)
{
    ScopedDataFolders folders(home.path());
    WriteMarkedBook(AdrsPath + QStringLiteral("家族"), QStringLiteral("a"), 2);
    SetDataFileCopyFailure([](const QString &) { return true; });
    QString error;
    EXPECT_FALSE(MakeSafetyCopy(QStringLiteral("backup.opt/"), {QStringLiteral("家族"), QStringLiteral("家族")}, true,
                                false, &error));
    EXPECT_FALSE(error.isEmpty());
    SetDataFileCopyFailure({});
    EXPECT_TRUE(MakeSafetyCopy(QStringLiteral("backup.opt/"), {QStringLiteral("家族"), QStringLiteral("家族")}, true,
                               false, &error));
    EXPECT_EQ(BookMarkers(DataPath + QStringLiteral("backup.opt/Adrs/家族/Adrs.DB")), Markers(QStringLiteral("a"), 2));
}

} // namespace
