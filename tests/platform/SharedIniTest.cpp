#include "platform/SafeFile.h"
#include "platform/SharedIni.h"
#include "platform/UnreadableFile.h"
#include "support/ChildProcess.h"
#include "support/FileHelpers.h"
#include "support/OrdinaryUser.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class SharedFileLock : public ::testing::Test
{
protected:
    QString folder() const { return home.root() + QStringLiteral("/data"); }
    QString file() const { return folder() + QStringLiteral("/Sender.ini"); }
    QString lockFile() const { return folder() + QStringLiteral("/.Sender.ini.lock"); }
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(folder())); }

    ScopedHome home;
};

// A lock file another user left behind (made by root) that this user may not
// open: the refusal names that file and why, not the folder, which this user
// may write.
TEST_F(SharedFileLock, aLockFileOfAnotherUserIsNamedAsTheCauseNotTheFolder)
{
    writeBytes(lockFile(), {});
    ASSERT_EQ(::chmod(QFile::encodeName(lockFile()).constData(), 0), 0);
    for (const QString &path : {home.root(), folder()})
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0777), 0);
    QString error;
    bool acquired = true;
    bool folderWritable = false;
    {
        const ScopedOrdinaryUser user;
        ASSERT_TRUE(user.Bound());
        TFileLock lock(file());
        acquired = lock.Acquire(100, &error);
        folderWritable = ::access(QFile::encodeName(folder()).constData(), W_OK) == 0;
    }
    EXPECT_FALSE(acquired);
    EXPECT_TRUE(folderWritable);
    EXPECT_TRUE(error.startsWith(QStringLiteral("ロック用のファイル「") + QDir::toNativeSeparators(lockFile()) +
                                 QStringLiteral("」")))
        << qPrintable(error);
    EXPECT_TRUE(error.contains(QStringLiteral("開く権限がない"))) << qPrintable(error);
    EXPECT_FALSE(error.contains(QStringLiteral("フォルダー"))) << qPrintable(error);
}

// The lock file deleted while one holder has it (a cleaner of hidden files):
// another cannot get in until the holder is done.
TEST_F(SharedFileLock, aLockFileDeletedWhileHeldLetsNoOtherHolderIn)
{
    auto holder = std::make_unique<TFileLock>(file());
    QString error;
    ASSERT_TRUE(holder->Acquire(0, &error)) << qPrintable(error);
    ASSERT_TRUE(QFile::remove(lockFile()));

    TFileLock second(file());
    EXPECT_FALSE(second.Acquire(300, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("を保存している途中のため"))) << qPrintable(error);

    // The wait that timed out may still be giving the folder back on a busy
    // machine: take it within the time a save waits.
    holder.reset();
    EXPECT_TRUE(second.Acquire(5000, &error)) << qPrintable(error);
    TFileLock third(file());
    EXPECT_FALSE(third.Acquire(0, &error));
}

// ---- two programs saving one settings file at the same moment -------------

// The child's task: "<file>|<first key>|<mark>".
constexpr char kSaverVariable[] = "MURVEN_SHARED_INI_SAVER";
constexpr int kOwnKeys = 4;

QString keyName(int n) { return QStringLiteral("Key%1").arg(n); }

} // namespace

// A file the save finds it cannot read is told of once the save has given
// the lock back: the message box runs the event loop, and no other save of
// the file, in this program or another, may wait on the user meanwhile.
TEST_F(SharedFileLock, aFileTheSaveCannotReadIsToldOnceTheLockIsGivenBack)
{
    writeBytes(file(), QByteArray());
    int told = 0;
    bool lockFree = false;
    const TUnreadableFileNotice previous =
        SetUnreadableFileNotice([&](const QString &, const QString &, const QString &) {
            ++told;
            TFileLock other(file());
            QString error;
            lockFree = other.Acquire(0, &error);
        });
    QString error;
    const bool saved = EditSharedIni(file(), [](TMemIniFile &ini) { ini.WriteString("Sender", "Name", "x"); }, &error);
    (void)SetUnreadableFileNotice(previous);
    EXPECT_TRUE(saved) << error.toStdString();
    EXPECT_EQ(told, 1);
    EXPECT_TRUE(lockFree);
}

// An edit that leaves nothing to keep removes the file, but never one that
// could not be read and could not be moved aside: that file is the user's,
// and the save fails with the reason.
TEST_F(SharedFileLock, aFileThatCouldNotBeReadNorMovedAsideIsNotRemovedWhenTheEditLeavesItEmpty)
{
    const QByteArray damaged("\x01\x02 no settings\r\n");
    writeBytes(file(), damaged);
    const TUnreadableFileNotice previous = SetUnreadableFileNotice({});
    UnreadableFile::setMoveRefused(true);
    QString error;
    const bool saved = EditSharedIni(file(), [](TMemIniFile &) {}, &error, TSharedIniEmpty::Remove);
    UnreadableFile::setMoveRefused(false);
    (void)SetUnreadableFileNotice(previous);
    EXPECT_FALSE(saved);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(fileBytes(file()), damaged);
}

// Runs in the child only: changes its own keys again and again for a
// second or more, each time from what it has just read, as a window that
// saves its settings does.
TEST(SharedIniSaverChild, savesItsOwnKeysAgainAndAgain)
{
    const QStringList task = qEnvironmentVariable(kSaverVariable).split(u'|');
    if (task.size() != 3)
        GTEST_SKIP() << "runs as a child of the two-program trial";
    const QString file = task[0];
    const int first = task[1].toInt();
    const QString mark = task[2];
    // A disk that takes its time between the read and the commit, as a real
    // one does: the other program has every chance to save meanwhile.
    SafeFile::setFailureHook([](SafeFile::Step step) {
        if (step == SafeFile::Step::CreateTemporary || step == SafeFile::Step::RenameTemporary)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return false;
    });
    int saved = 0;
    int lost = 0;
    int failed = 0;
    TMemIniFile mine{QString()};
    auto countLost = [&](const TMemIniFile &read) {
        for (int n = first; saved > 0 && n < first + kOwnKeys; ++n)
            lost += read.ReadString(QStringLiteral("S"), keyName(n), {}) !=
                            mine.ReadString(QStringLiteral("S"), keyName(n), {})
                        ? 1
                        : 0;
    };
    QElapsedTimer clock;
    clock.start();
    for (int round = 1; clock.elapsed() < 1000 || (saved < 10 && clock.elapsed() < 10000); ++round) {
        const TMemIniFile base(file);
        countLost(base);
        TMemIniFile next = base;
        // One of its keys a round, as a user changes one setting at a time.
        const int changed = first + round % kOwnKeys;
        next.WriteString(QStringLiteral("S"), keyName(changed), mark + QString::number(round));
        QString error;
        if (SaveIniChanges(file, base, next, &error)) {
            ++saved;
            for (int n = first; n < first + kOwnKeys; ++n)
                mine.WriteString(QStringLiteral("S"), keyName(n), next.ReadString(QStringLiteral("S"), keyName(n), {}));
        } else if (++failed == 1) {
            std::printf("FAILURE %s\n", error.toUtf8().constData());
        }
    }
    countLost(TMemIniFile(file));
    SafeFile::setFailureHook({});
    std::printf("SAVER %d %d %d\n", saved, lost, failed);
    std::fflush(stdout);
}

// Two programs on one data folder save their own settings of one file at the
// same moment: every save reported done stays until that program changes
// the key again; none fails.
TEST(SharedIniSavers, twoProgramsSavingTogetherLoseNoSaveReportedDone)
{
    QTemporaryDir home;
    const QString file = home.path() + QStringLiteral("/AdrsList.ini");
    std::vector<std::unique_ptr<QProcess>> children;
    for (const char *task : {"|1|A", "|11|B"}) {
        auto child = std::make_unique<QProcess>();
        StartTestChild(*child, QStringLiteral("SharedIniSaverChild.*"), {{kSaverVariable, file + QLatin1String(task)}});
        children.push_back(std::move(child));
    }
    for (const auto &child : children) {
        ASSERT_TRUE(child->waitForStarted(10000));
        if (!child->waitForFinished(20000))
            (void)KillRunningChild(*child);
        const QByteArray output = child->readAllStandardOutput();
        int saved = -1;
        int lost = -1;
        int failed = -1;
        QString failure;
        for (const QByteArray &line : output.split('\n')) {
            if (line.startsWith("SAVER ")) {
                const QList<QByteArray> words = line.split(' ');
                saved = words.value(1).toInt();
                lost = words.value(2).toInt();
                failed = words.value(3).toInt();
            } else if (line.startsWith("FAILURE ")) {
                failure = QString::fromUtf8(line.mid(8));
            }
        }
        std::printf("saves %d, lost %d\n", saved, lost);
        EXPECT_GT(saved, 5);
        EXPECT_EQ(lost, 0) << "keys of saves reported done found changed";
        EXPECT_EQ(failed, 0) << qPrintable(failure);
    }
}
