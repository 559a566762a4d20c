#include "platform/SafeFile.h"

#include "support/FileHelpers.h"
#include "support/RowName.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// Removes the failure hook whatever way a test ends.
struct HookGuard {
    ~HookGuard() { SafeFile::setFailureHook({}); }
};

class SafeFileTest : public ::testing::Test
{
protected:
    QString folder() const { return home.root() + QStringLiteral("/work"); }
    QString file() const { return folder() + QStringLiteral("/Murven19.ini"); }
    QString backup() const { return folder() + QStringLiteral("/$$Murven19.ini"); }
    void SetUp() override { QDir().mkpath(folder()); }

    ScopedHome home;
    HookGuard guard;
};

TEST_F(SafeFileTest, createsOrReplacesTheFileWithoutLeftoversAndDropsAStaleDollarCopy)
{
    QString error;
    ASSERT_TRUE(SafeReplaceFile(file(), "a longer first version", &error)) << error.toStdString();
    EXPECT_EQ(fileBytes(file()), "a longer first version");
    writeBytes(backup(), "older");
    ASSERT_TRUE(SafeReplaceFile(file(), "newer"));
    EXPECT_EQ(fileBytes(file()), "newer");
    EXPECT_EQ(entries(folder()), QStringList{QStringLiteral("Murven19.ini")});
}

TEST_F(SafeFileTest, keepsAccessRightsOfReplacedFile)
{
    writeBytes(file(), "old");
    ASSERT_TRUE(QFile::setPermissions(file(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    ASSERT_TRUE(SafeReplaceFile(file(), "new"));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(file()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(SafeFileTest, replacesThroughSymbolicLinkAndKeepsTheLink)
{
    const QString real = folder() + QStringLiteral("/real.ini");
    writeBytes(real, "old");
    ASSERT_TRUE(QFile::link(real, file()));
    ASSERT_TRUE(SafeReplaceFile(file(), "new"));
    EXPECT_TRUE(QFileInfo(file()).isSymLink());
    EXPECT_EQ(fileBytes(real), "new");
}

TEST_F(SafeFileTest, refusesDirectoryAsTargetAndLeavesItAlone)
{
    QDir().mkpath(file() + QStringLiteral("/inner"));
    QString error;
    EXPECT_FALSE(SafeReplaceFile(file(), "new", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFileInfo(file() + QStringLiteral("/inner")).isDir());
    EXPECT_EQ(entries(folder()), QStringList{QStringLiteral("Murven19.ini")});
}

TEST_F(SafeFileTest, failsInMissingFolderWithMessage)
{
    QString error;
    EXPECT_FALSE(SafeReplaceFile(folder() + QStringLiteral("/absent/x.ini"), "new", &error));
    EXPECT_TRUE(error.contains(QStringLiteral("absent"))) << error.toStdString();
}

TEST_F(SafeFileTest, failsInReadOnlyFolderAndKeepsOriginal)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "access rights do not stop the super-user";
    writeBytes(file(), "old");
    QFile::setPermissions(folder(), QFile::ReadOwner | QFile::ExeOwner);
    QString error;
    const bool ok = SafeReplaceFile(file(), "new", &error);
    QFile::setPermissions(folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(fileBytes(file()), "old");
}

// A failure before the commit leaves the original alone and nothing else.
class SafeFileFailingStep : public SafeFileTest, public ::testing::WithParamInterface<SafeFile::Step> {};

TEST_P(SafeFileFailingStep, keepsOriginalAndRemovesTemporary)
{
    writeBytes(file(), "old");
    SafeFile::setFailureHook([step = GetParam()](SafeFile::Step s) { return s == step; });
    QString error;
    EXPECT_FALSE(SafeReplaceFile(file(), QByteArray(4096, 'n'), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(fileBytes(file()), "old");
    EXPECT_EQ(entries(folder()), QStringList{QStringLiteral("Murven19.ini")});
}

TEST_P(SafeFileFailingStep, leavesNoFileWhenThereWasNone)
{
    SafeFile::setFailureHook([step = GetParam()](SafeFile::Step s) { return s == step; });
    const bool ok = SafeReplaceFile(file(), "new");
    // Without an original there is nothing to rename away.
    if (GetParam() == SafeFile::Step::RenameOriginal) {
        EXPECT_TRUE(ok);
        return;
    }
    EXPECT_FALSE(ok);
    EXPECT_TRUE(entries(folder()).isEmpty()) << entries(folder()).join(u' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(BeforeCommit, SafeFileFailingStep,
                         ::testing::Values(SafeFile::Step::WriteTemporary, SafeFile::Step::SyncTemporary,
                                           SafeFile::Step::RenameOriginal, SafeFile::Step::RenameTemporary));

TEST_F(SafeFileTest, failureAfterCommitStillReportsTheNewFile)
{
    writeBytes(file(), "old");
    SafeFile::setFailureHook([](SafeFile::Step s) {
        return s == SafeFile::Step::SyncFolder || s == SafeFile::Step::RemoveBackup;
    });
    ASSERT_TRUE(SafeReplaceFile(file(), "new"));
    EXPECT_EQ(fileBytes(file()), "new");
    EXPECT_EQ(fileBytes(backup()), "old");

    RecoverSafeReplace(file());
    EXPECT_EQ(fileBytes(file()), "new");
    EXPECT_EQ(entries(folder()), QStringList{QStringLiteral("Murven19.ini")});
}

// The states a crash can leave behind, and what RecoverSafeReplace makes of them.
struct Interrupted {
    const char *name;
    const char *file;   // nullptr: absent
    const char *backup; // nullptr: absent
    bool temporary;     // a temporary of an unfinished write lies beside them
    const char *expected;
};

class SafeFileRecovery : public SafeFileTest, public ::testing::WithParamInterface<Interrupted> {};

TEST_P(SafeFileRecovery, leavesOneCompleteFile)
{
    const Interrupted &s = GetParam();
    if (s.file)
        writeBytes(file(), s.file);
    if (s.backup)
        writeBytes(backup(), s.backup);
    if (s.temporary)
        writeBytes(folder() + QStringLiteral("/.Murven19.ini.new-abcd1234"), "half");
    writeBytes(folder() + QStringLiteral("/.Other.ini.new-abcd1234"), "someone else's");

    RecoverSafeReplace(file());

    QStringList expected{QStringLiteral(".Other.ini.new-abcd1234")};
    if (s.expected)
        expected << QStringLiteral("Murven19.ini");
    EXPECT_EQ(entries(folder()), expected);
    if (s.expected) {
        EXPECT_EQ(fileBytes(file()), s.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    States, SafeFileRecovery,
    ::testing::Values(Interrupted{"nothing", nullptr, nullptr, false, nullptr},
                      Interrupted{"fileOnly", "old", nullptr, false, "old"},
                      Interrupted{"whileWritingTemporary", "old", nullptr, true, "old"},
                      Interrupted{"afterRenamingOriginal", nullptr, "old", true, "old"},
                      Interrupted{"afterCommit", "new", "old", false, "new"},
                      Interrupted{"temporaryOfNewFile", nullptr, nullptr, true, nullptr}),
    rowName);

} // namespace
