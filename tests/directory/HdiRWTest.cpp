#include "directory/HdiRW.h"

#include "platform/SafeFile.h"
#include "support/FileHelpers.h"
#include "support/OrdinaryUser.h"
#include "support/RowName.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

TEST(HdiText, swapsNibblesAndInvertsBits)
{
    EXPECT_EQ(EncodeHdiText("M"), QByteArray("\x2B"));
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    EXPECT_EQ(DecodeHdiText(EncodeHdiText(all)), all);
}

class HdiFile : public ::testing::Test
{
protected:
    HdiFileRecord record(const QString &name = QStringLiteral("/Murven19.hdi")) const
    {
        HdiFileRecord r;
        r.FileName = home.root() + name;
        r.Signature = "Murven19";
        return r;
    }
    ScopedHome home;
};

TEST_F(HdiFile, roundTripsSlotsIncludingTheSettingsRootItself)
{
    HdiFileRecord w = record();
    w.Slots[0] = {3, "/a/"};
    w.Slots[2] = {0, {}};
    w.Slots[6] = {9, "/data/dt/"};
    ASSERT_EQ(WriteHdiFile(w, false), 0);
    const QByteArray bytes = fileBytes(w.FileName);
    // 8, signature, count 3, slot 0 len 3, slot 2 len 0, slot 6 len 9.
    EXPECT_EQ(bytes.size(), 1 + 8 + 1 + (3 + 3) + 3 + (3 + 9));
    EXPECT_EQ(bytes[0], char(8));
    EXPECT_EQ(bytes[1], char(0x2B)); // "M"

    HdiFileRecord r = record();
    ASSERT_EQ(ReadHdiFile(r), 0);
    EXPECT_EQ(r.EntryCount, 3);
    EXPECT_EQ(r.Slots[0].Path, QByteArray("/a/"));
    EXPECT_EQ(r.Slots[2].PathLength, 0);
    EXPECT_EQ(r.Slots[1].PathLength, -1);
    EXPECT_EQ(r.Slots[6].Path, QByteArray("/data/dt/"));
}

// An installation record its user set read-only is kept; the cause is given.
TEST_F(HdiFile, aRecordSetReadOnlyIsKeptAndTheCauseGiven)
{
    HdiFileRecord w = record();
    w.Slots[1] = {4, "/xy/"};
    ASSERT_EQ(WriteHdiFile(w, false), 0);
    const QByteArray before = fileBytes(w.FileName);
    ASSERT_TRUE(QFile::setPermissions(w.FileName, QFile::ReadOwner));
    w.Slots[2] = {4, "/zz/"};
    QString error;
    int written = 0;
    {
        const ScopedOrdinaryUser user;
        ASSERT_TRUE(user.Bound());
        written = WriteHdiFile(w, false, &error);
    }
    EXPECT_EQ(written, 8);
    EXPECT_TRUE(error.startsWith(QStringLiteral("ファイルが読み取り専用のため、書き込めません。"))) << qPrintable(error);
    EXPECT_TRUE(sameBytes(before, fileBytes(w.FileName)));
}

TEST_F(HdiFile, reportsEachShortStepAndAForeignSignature)
{
    HdiFileRecord w = record();
    w.Slots[1] = {4, "/xy/"};
    ASSERT_EQ(WriteHdiFile(w, false), 0);
    const QByteArray full = fileBytes(w.FileName);
    // Cut after each step: the code names the step that came up short.
    const struct {
        qsizetype keep;
        int code;
    } cuts[] = {{0, 2}, {5, 3}, {9, 5}, {10, 6}, {12, 8}, {15, 9}};
    for (const auto &cut : cuts) {
        writeBytes(w.FileName, full.left(cut.keep));
        HdiFileRecord r = record();
        EXPECT_EQ(ReadHdiFile(r), cut.code) << cut.keep;
    }
    writeBytes(w.FileName, full);
    HdiFileRecord other = record();
    other.Signature = "Murven18";
    EXPECT_EQ(ReadHdiFile(other), 4);
    HdiFileRecord missing = record(QStringLiteral("/none.hdi"));
    EXPECT_EQ(ReadHdiFile(missing), 1);
    EXPECT_EQ(WriteHdiFile(missing, true), 1);
    EXPECT_FALSE(QFile::exists(missing.FileName));
}

TEST_F(HdiFile, aReplaceKilledBetweenItsRenamesReadsBackWhole)
{
    HdiFileRecord w = record();
    w.Slots[3] = {4, "/dt/"};
    ASSERT_EQ(WriteHdiFile(w, false), 0);
    const QByteArray full = fileBytes(w.FileName);
    // The old file set aside, the new one never arrived.
    ASSERT_TRUE(QFile::rename(w.FileName, SafeReplaceBackupPath(w.FileName)));
    const QString temporary = home.root() + QStringLiteral("/.Murven19.hdi.new-k1ll3d00");
    writeBytes(temporary, full.left(5));
    ageFile(temporary, 3600); // left by a run that died long ago

    HdiFileRecord r = record();
    ASSERT_EQ(ReadHdiFile(r), 0);
    EXPECT_EQ(r.Slots[3].Path, QByteArray("/dt/"));
    EXPECT_TRUE(sameBytes(full, fileBytes(w.FileName)));
    EXPECT_FALSE(QFile::exists(SafeReplaceBackupPath(w.FileName)));
    EXPECT_FALSE(QFile::exists(temporary));

    w.Slots[3] = {};
    ASSERT_EQ(WriteHdiFile(w, true), 0);
    ASSERT_EQ(ReadHdiFile(r), 0);
    EXPECT_EQ(r.EntryCount, 0);
}

// The states a replace killed at each step leaves, and a write of the
// installation file that comes next (the installation only rewrites a file
// that exists): the write finds the complete file, replaces it, and leaves
// nothing of the killed run behind.
struct KilledReplace {
    const char *name;
    bool fileThere;   // the file under its own name
    bool backupThere; // its aside copy
    bool temporary;   // the killed run's half-written temporary
};

class HdiWriteAfterKill : public HdiFile, public ::testing::WithParamInterface<KilledReplace>
{
};

TEST_P(HdiWriteAfterKill, writesOverTheCompleteFileAndLeavesNothingBehind)
{
    const KilledReplace &c = GetParam();
    HdiFileRecord old = record();
    old.Slots[3] = {4, "/dt/"};
    ASSERT_EQ(WriteHdiFile(old, false), 0);
    const QString backup = SafeReplaceBackupPath(old.FileName);
    if (c.backupThere) {
        // Set aside as a save does it: by renaming, which keeps the copy's mark.
        const QString copy = old.FileName + QStringLiteral(".copy");
        ASSERT_TRUE(QFile::copy(old.FileName, copy));
        ASSERT_TRUE(QFile::rename(old.FileName, backup));
        if (c.fileThere) {
            ASSERT_TRUE(QFile::rename(copy, old.FileName));
        } else {
            ASSERT_TRUE(QFile::remove(copy));
        }
    } else if (!c.fileThere) {
        ASSERT_TRUE(QFile::remove(old.FileName));
    }
    const QString temporary = home.root() + QStringLiteral("/.Murven19.hdi.new-k1ll3d00");
    if (c.temporary) {
        writeBytes(temporary, "half");
        ageFile(temporary, 3600);
    }

    HdiFileRecord next = record();
    next.Slots[5] = {6, "/next/"};
    ASSERT_EQ(WriteHdiFile(next, true), 0);

    HdiFileRecord read = record();
    ASSERT_EQ(ReadHdiFile(read), 0);
    EXPECT_EQ(read.EntryCount, 1);
    EXPECT_EQ(read.Slots[5].Path, QByteArray("/next/"));
    EXPECT_FALSE(QFile::exists(backup));
    EXPECT_FALSE(QFile::exists(temporary));
    EXPECT_EQ(fileMode(next.FileName), 0600);
}

INSTANTIATE_TEST_SUITE_P(Steps, HdiWriteAfterKill,
                         ::testing::Values(KilledReplace{"whileWritingTheTemporary", true, false, true},
                                           KilledReplace{"afterMovingTheOldFileAside", false, true, true},
                                           KilledReplace{"afterTheCommit", true, true, false}),
                         rowName);

TEST_F(HdiFile, aWriteLeavesTheTemporaryOfAnotherLiveWriterAlone)
{
    HdiFileRecord w = record();
    w.Slots[1] = {4, "/xy/"};
    ASSERT_EQ(WriteHdiFile(w, false), 0);
    // Another process is saving the same file at this moment.
    const QString theirs = home.root() + QStringLiteral("/.Murven19.hdi.new-l1v3w0rk");
    writeBytes(theirs, "being written");
    const int fd = ::open(QFile::encodeName(theirs).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    ageFile(theirs, 3600); // a slow writer

    EXPECT_EQ(WriteHdiFile(w, true), 0);
    HdiFileRecord r = record();
    EXPECT_EQ(ReadHdiFile(r), 0);
    EXPECT_EQ(fileBytes(theirs), "being written");
    ::close(fd);
}

TEST_F(HdiFile, ignoresEntriesBeyondTheSlotsOrTheLongestPath)
{
    HdiFileRecord w = record();
    QByteArray bytes;
    bytes += char(8);
    bytes += EncodeHdiText("Murven19");
    bytes += char(2);
    bytes += char(9); // slot 9 does not exist
    bytes += char(2);
    bytes += char(0);
    bytes += EncodeHdiText("/z");
    bytes += char(3); // a path of 300 bytes
    bytes += char(300 & 0xFF);
    bytes += char(300 >> 8);
    bytes += EncodeHdiText(QByteArray(300, 'p'));
    writeBytes(w.FileName, bytes);
    HdiFileRecord r = record();
    ASSERT_EQ(ReadHdiFile(r), 0);
    EXPECT_EQ(r.EntryCount, 0);
    for (const THdiSlot &slot : r.Slots)
        EXPECT_EQ(slot.PathLength, -1);
}

} // namespace
