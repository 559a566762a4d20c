// The user's custom papers across a backup and a restore: saved layouts name
// a custom paper by its id, so no id given before a restore is given again.
#include "core/BkupDat.h"
#include "core/RestDat.h"
#include "dialogs/PaperFmt.h"
#include "platform/SafeFile.h"
#include "support/FileHelpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A list of `count` postcards whose last id given is `lastId`.
TCustomFormats papers(int count, std::int32_t lastId)
{
    TCustomFormats list;
    for (int i = 0; i < count; ++i) {
        TCustomFormat paper;
        paper.Format.Kind = 0;
        paper.Format.Name = PaperFmt::shortString(QStringLiteral("はがき%1").arg(i + 1), TLayoutFormat::NameCapacity);
        paper.Format.Width = 1000;
        paper.Format.Height = 1480;
        list.add(paper);
    }
    list.LastId = lastId;
    return list;
}

class CustomPaperRestore : public ::testing::Test
{
protected:
    void SetUp() override
    {
        backup = dir.path() + QStringLiteral("/backup/CstmL.fmt");
        live = dir.path() + QStringLiteral("/data/CstmL.fmt");
        QDir().mkpath(dir.path() + QStringLiteral("/backup"));
        QDir().mkpath(dir.path() + QStringLiteral("/data"));
    }
    void TearDown() override { SafeFile::setFailureHook({}); }

    static void save(const TCustomFormats &list, const QString &path)
    {
        QString error;
        ASSERT_TRUE(list.save(path, &error)) << error.toStdString();
    }
    static TCustomFormats load(const QString &path)
    {
        TCustomFormats list;
        QString error;
        EXPECT_TRUE(list.load(path, &error)) << error.toStdString();
        return list;
    }

    QTemporaryDir dir;
    QString backup;
    QString live;
};

struct IdCase
{
    std::int32_t liveLastId;
    std::int32_t backupLastId;
    std::int32_t nextId; // of a paper added after the restore
};
class RestoredLastId : public CustomPaperRestore, public ::testing::WithParamInterface<IdCase>
{
};
TEST_P(RestoredLastId, isTheHigherOfTheLiveAndTheBackupOnes)
{
    save(papers(2, GetParam().backupLastId), backup);
    save(papers(GetParam().liveLastId > 0 ? 1 : 0, GetParam().liveLastId), live);
    QString error;
    ASSERT_TRUE(RestoreCustomPapers(backup, live, &error)) << error.toStdString();
    TCustomFormats restored = load(live);
    EXPECT_EQ(restored.Records, papers(2, GetParam().backupLastId).Records) << "the list is the backup's";
    EXPECT_EQ(restored.add({}), GetParam().nextId);
}
INSTANTIATE_TEST_SUITE_P(Ids, RestoredLastId,
                         ::testing::Values(IdCase{3, 2, 4},   // a paper added since the backup
                                           IdCase{9, 2, 10},  // several added and deleted since
                                           IdCase{2, 2, 3},   // nothing added since
                                           IdCase{2, 3, 4},   // an older list in the destination
                                           IdCase{0, 5, 6})); // a destination that never gave an id

TEST_F(CustomPaperRestore, backupAtLeastAsNewIsRestoredByteForByte)
{
    save(papers(2, 7), backup);
    save(papers(1, 7), live);
    ASSERT_TRUE(RestoreCustomPapers(backup, live));
    EXPECT_TRUE(sameBytes(fileBytes(backup), fileBytes(live)));
}

TEST_F(CustomPaperRestore, intoAFolderWithoutAListTheBackupsIsCopiedByteForByte)
{
    save(papers(2, 4), backup);
    ASSERT_TRUE(RestoreCustomPapers(backup, live));
    EXPECT_TRUE(sameBytes(fileBytes(backup), fileBytes(live)));
}

TEST_F(CustomPaperRestore, liveListLeftAsideByAKilledSaveKeepsItsIds)
{
    save(papers(2, 2), backup);
    save(papers(3, 3), live);
    ageFile(live, 3600);
    ASSERT_TRUE(QFile::rename(live, SafeReplaceBackupPath(live)));
    ASSERT_TRUE(RestoreCustomPapers(backup, live));
    EXPECT_EQ(load(live).add({}), 4);
}

TEST_F(CustomPaperRestore, sourceThatIsNoPaperListIsNotRestoredAndTheLiveOneStays)
{
    writeBytes(backup, "not a paper list at all");
    save(papers(1, 5), live);
    const QByteArray before = fileBytes(live);
    QString error;
    EXPECT_FALSE(RestoreCustomPapers(backup, live, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(sameBytes(before, fileBytes(live)));
}

TEST_F(CustomPaperRestore, failedWriteIsReportedAndTheLiveListStays)
{
    save(papers(2, 2), backup);
    save(papers(3, 3), live);
    const QByteArray before = fileBytes(live);
    SafeFile::setFailureHook([](SafeFile::Step step) { return step == SafeFile::Step::WriteTemporary; });
    QString error;
    EXPECT_FALSE(RestoreCustomPapers(backup, live, &error));
    SafeFile::setFailureHook({});
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(sameBytes(before, fileBytes(live)));
}

TEST_F(CustomPaperRestore, restoreRunReportsTheListAndKeepsItsIds)
{
    const QString data = dir.path() + QStringLiteral("/data/");
    const QString saved = dir.path() + QStringLiteral("/saved/");
    save(papers(2, 2), live);
    const TBackupOutcome out = RunBackup(data, saved, {});
    ASSERT_TRUE(out.AllDone());
    // A paper added after the backup; layouts saved since name its id 3.
    TCustomFormats later = load(live);
    TCustomFormat added;
    added.Format.Width = 900;
    ASSERT_EQ(later.add(added), 3);
    save(later, live);

    TRestoreRun run;
    run.SrcFolder = saved;
    run.DestFolder = data;
    ASSERT_TRUE(run.Run()) << run.Problem.toStdString();
    bool reported = false;
    for (const TCopyRow &row : run.AllRows()) {
        if (row.Label == QStringLiteral("印刷系カスタム用紙ファイル")) {
            reported = true;
            EXPECT_EQ(row.Code, CopyResult::Done);
        }
    }
    EXPECT_TRUE(reported);
    TCustomFormats restored = load(live);
    EXPECT_EQ(restored.Records.size(), 2);
    EXPECT_EQ(restored.add({}), 4);
}

} // namespace
