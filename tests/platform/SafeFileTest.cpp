#include "platform/SafeFile.h"

#include "support/FailingDisk.h"
#include "support/FileHelpers.h"
#include "support/OrdinaryUser.h"
#include "support/RowName.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

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
    void SetUp() override { QDir().mkpath(folder()); }
    // The file set aside as a save does it, then killed at that moment.
    void setAside(const QByteArray &bytes, int ageSeconds = 0)
    {
        writeBytes(file(), bytes);
        if (ageSeconds != 0)
            ageFile(file(), ageSeconds);
        const QString aside = SafeReplaceBackupPath(file());
        ASSERT_TRUE(aside.startsWith(folder() + QStringLiteral("/.$$Murven19.ini;"))) << aside.toStdString();
        ASSERT_TRUE(QFile::rename(file(), aside));
    }
    // The aside copies of the file now in the folder.
    QStringList asides() const
    {
        return entries(folder()).filter(QRegularExpression(QStringLiteral("^\\.\\$\\$Murven19\\.ini;")));
    }

    ScopedHome home;
    HookGuard guard;
};

TEST_F(SafeFileTest, createsOrReplacesTheFileWithoutLeftoversAndDropsAStaleAsideCopy)
{
    // A copy an earlier save was killed before it could put back.
    setAside("older", 600);
    QString error;
    ASSERT_TRUE(SafeReplaceFile(file(), "a longer first version", &error)) << error.toStdString();
    EXPECT_EQ(fileBytes(file()), "a longer first version");
    EXPECT_EQ(entries(folder()), QStringList{QStringLiteral("Murven19.ini")});
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

// What the owner attached to the file beside its mode bits: an access list
// that lets another user read it, and attributes of the desktop's own.
QByteArray attribute(const QString &path, const char *name)
{
    QByteArray value(256, '\0');
    const ssize_t n = ::getxattr(QFile::encodeName(path).constData(), name, value.data(), size_t(value.size()));
    return n < 0 ? QByteArray() : value.left(n);
}

QByteArray accessListReadableBy(uint32_t user)
{
    // The system's stored form: version 2, then (tag, permissions, id) entries.
    QByteArray acl;
    auto put16 = [&](uint16_t v) { acl.append(char(v & 0xFF)).append(char(v >> 8)); };
    auto put32 = [&](uint32_t v) { put16(uint16_t(v & 0xFFFF)); put16(uint16_t(v >> 16)); };
    put32(2);
    const uint32_t none = 0xFFFFFFFF;
    put16(0x01); put16(6); put32(none); // owner rw
    put16(0x02); put16(4); put32(user); // the other user r
    put16(0x04); put16(0); put32(none); // group -
    put16(0x10); put16(4); put32(none); // mask r
    put16(0x20); put16(0); put32(none); // others -
    return acl;
}

TEST_F(SafeFileTest, keepsTheAccessListAndAttributesOfTheReplacedFile)
{
    writeBytes(file(), "old");
    const QByteArray name = QFile::encodeName(file());
    const QByteArray acl = accessListReadableBy(65534);
    if (::setxattr(name.constData(), "user.xdg.tags", "仕事", strlen("仕事"), 0) != 0
        || ::setxattr(name.constData(), "system.posix_acl_access", acl.constData(), size_t(acl.size()), 0) != 0)
        GTEST_SKIP() << "the file system of the test folder keeps no attributes or access lists";
    const QByteArray before = attribute(file(), "system.posix_acl_access");
    ASSERT_TRUE(SafeReplaceFile(file(), "new"));
    EXPECT_EQ(fileBytes(file()), "new");
    EXPECT_EQ(attribute(file(), "user.xdg.tags"), QByteArray("仕事"));
    EXPECT_EQ(attribute(file(), "system.posix_acl_access"), before);
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

TEST_F(SafeFileTest, replacesTheRealFileAtTheEndOfAChainOfLinks)
{
    const QString real = folder() + QStringLiteral("/real.ini");
    const QString middle = folder() + QStringLiteral("/middle.ini");
    writeBytes(real, "old");
    ASSERT_TRUE(QFile::link(QStringLiteral("real.ini"), middle)); // relative, as users make them
    ASSERT_TRUE(QFile::link(middle, file()));
    ASSERT_TRUE(SafeReplaceFile(file(), "new"));
    EXPECT_EQ(fileBytes(real), "new");
    EXPECT_TRUE(QFileInfo(middle).isSymLink());
    EXPECT_TRUE(QFileInfo(file()).isSymLink());
    EXPECT_EQ(entries(folder()),
              (QStringList{QStringLiteral("Murven19.ini"), QStringLiteral("middle.ini"), QStringLiteral("real.ini")}));
}

TEST_F(SafeFileTest, refusesALoopOfLinksWithAMessage)
{
    const QString other = folder() + QStringLiteral("/other.ini");
    ASSERT_TRUE(QFile::link(other, file()));
    ASSERT_TRUE(QFile::link(file(), other));
    QString error;
    EXPECT_FALSE(SafeReplaceFile(file(), "new", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFileInfo(file()).isSymLink());
}

TEST_F(SafeFileTest, aNewFileIsReadableByItsOwnerOnlyWhateverTheUmask)
{
    const mode_t saved = ::umask(022);
    const bool ok = SafeReplaceFile(file(), "new");
    ::umask(saved);
    ASSERT_TRUE(ok);
    EXPECT_EQ(fileMode(file()), 0600);
}

TEST_F(SafeFileTest, keepsOwnerAndGroupOfTheReplacedFile)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only the super-user can give a file to another user";
    writeBytes(file(), "old");
    ASSERT_EQ(::chown(QFile::encodeName(file()).constData(), 65534, 65534), 0);
    ASSERT_TRUE(SafeReplaceFile(file(), "new"));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(file()).constData(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
    EXPECT_EQ(fileBytes(file()), "new");
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
    writeBytes(file(), "old");
    QFile::setPermissions(folder(), QFile::ReadOwner | QFile::ExeOwner);
    QString error;
    bool ok = true;
    {
        const ScopedOrdinaryUser user;
        ASSERT_TRUE(user.Bound());
        ok = SafeReplaceFile(file(), "new", &error);
    }
    QFile::setPermissions(folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(error.startsWith(QStringLiteral("ファイルのあるフォルダーに書き込む権限がありません。"))) << qPrintable(error);
    EXPECT_EQ(fileBytes(file()), "old");
}

// The folder lets a rename replace any file in it; the file's own mode says
// whether its user lets it be written. The owner's bits count, whatever the
// others may.
struct ReadOnlyCase {
    const char *name;
    int mode;
    bool replaced;
};

class SafeFileReadOnlyTarget : public SafeFileTest, public ::testing::WithParamInterface<ReadOnlyCase> {};

TEST_P(SafeFileReadOnlyTarget, isReplacedOnlyWhenItsUserMayWriteIt)
{
    writeBytes(file(), "old");
    ASSERT_EQ(::chmod(QFile::encodeName(file()).constData(), mode_t(GetParam().mode)), 0);
    QString error;
    bool ok = false;
    {
        const ScopedOrdinaryUser user;
        ASSERT_TRUE(user.Bound());
        ok = SafeReplaceFile(file(), "new", &error);
    }
    EXPECT_EQ(ok, GetParam().replaced) << qPrintable(error);
    EXPECT_EQ(fileBytes(file()), GetParam().replaced ? "new" : "old");
    EXPECT_EQ(fileMode(file()), GetParam().mode);
    EXPECT_EQ(entries(folder()), QStringList{QStringLiteral("Murven19.ini")});
    if (!GetParam().replaced) {
        EXPECT_TRUE(error.startsWith(QStringLiteral("ファイルが読み取り専用のため、書き込めません。"))) << qPrintable(error);
        EXPECT_TRUE(error.contains(file())) << qPrintable(error);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, SafeFileReadOnlyTarget,
    ::testing::Values(ReadOnlyCase{"readOnly", 0444, false}, ReadOnlyCase{"ownerReadsOnly", 0400, false},
                      ReadOnlyCase{"othersMayWriteButNotTheOwner", 0466, false},
                      ReadOnlyCase{"ownerWrites", 0644, true}, ReadOnlyCase{"ownerWritesOnly", 0200, true}),
    rowName);

// A file nobody may write was set read-only on purpose: the administrator,
// whom the system lets write anything, is refused it too (tests run as root
// in CI, so this is the case they meet), and the detail is the user's
// language as the cause before it.
TEST_F(SafeFileTest, aFileNobodyMayWriteIsRefusedToEveryUser)
{
    for (const int mode : {0444, 0400, 0000}) {
        writeBytes(file(), "old");
        ASSERT_EQ(::chmod(QFile::encodeName(file()).constData(), mode_t(mode)), 0);
        QString error;
        EXPECT_FALSE(SafeReplaceFile(file(), "new", &error)) << mode;
        EXPECT_EQ(ReadOnlyFileError(file()), EACCES) << mode;
        ASSERT_EQ(::chmod(QFile::encodeName(file()).constData(), 0600), 0);
        EXPECT_EQ(fileBytes(file()), "old") << mode;
        EXPECT_TRUE(error.startsWith(QStringLiteral("ファイルが読み取り専用のため、書き込めません。"))) << qPrintable(error);
        EXPECT_TRUE(error.contains(QStringLiteral("（詳細：「") + QDir::toNativeSeparators(file()) + QStringLiteral("」に書き込めません："))) << qPrintable(error);
        EXPECT_EQ(entries(folder()), QStringList{QStringLiteral("Murven19.ini")});
    }
    // Write rights for the group or the others only leave it writable to
    // whom the system allows.
    ASSERT_EQ(::chmod(QFile::encodeName(file()).constData(), 0420), 0);
    EXPECT_EQ(ReadOnlyFileError(file()) == 0, ::geteuid() == 0);
    ASSERT_EQ(::chmod(QFile::encodeName(file()).constData(), 0600), 0);
}

TEST_F(SafeFileTest, aLinkToAFileSetReadOnlyIsRefusedAndBothStay)
{
    const QString real = folder() + QStringLiteral("/real.ini");
    writeBytes(real, "old");
    ASSERT_TRUE(QFile::setPermissions(real, QFile::ReadOwner));
    ASSERT_TRUE(QFile::link(real, file()));
    QString error;
    bool ok = true;
    {
        const ScopedOrdinaryUser user;
        ASSERT_TRUE(user.Bound());
        ok = SafeReplaceFile(file(), "new", &error);
    }
    EXPECT_FALSE(ok);
    EXPECT_TRUE(error.startsWith(QStringLiteral("ファイルが読み取り専用のため、書き込めません。"))) << qPrintable(error);
    EXPECT_TRUE(QFileInfo(file()).isSymLink());
    EXPECT_EQ(fileBytes(real), "old");
}

// A writer that writes the temporary by its name is refused at Begin(),
// before it writes anything, and a file set read-only while it wrote stays
// as it is at the commit.
TEST_F(SafeFileTest, aReplacementRefusesAFileSetReadOnlyBeforeItsWriterStartsAndAtItsCommit)
{
    writeBytes(file(), "old");
    ASSERT_TRUE(QFile::setPermissions(file(), QFile::ReadOwner));
    const ScopedOrdinaryUser user;
    ASSERT_TRUE(user.Bound());
    QString error;
    {
        TSafeReplacement replacement(file());
        EXPECT_FALSE(replacement.Begin(&error));
        EXPECT_TRUE(replacement.TemporaryPath().isEmpty());
        EXPECT_TRUE(error.startsWith(QStringLiteral("ファイルが読み取り専用のため、書き込めません。"))) << qPrintable(error);
    }
    ASSERT_TRUE(QFile::setPermissions(file(), QFile::ReadOwner | QFile::WriteOwner));
    TSafeReplacement replacement(file());
    ASSERT_TRUE(replacement.Begin(&error)) << qPrintable(error);
    writeBytes(replacement.TemporaryPath(), "new");
    ASSERT_TRUE(QFile::setPermissions(file(), QFile::ReadOwner));
    error.clear();
    EXPECT_FALSE(replacement.Commit(&error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("ファイルが読み取り専用のため、書き込めません。"))) << qPrintable(error);
    EXPECT_EQ(fileBytes(file()), "old");
    EXPECT_EQ(entries(folder()), QStringList{QStringLiteral("Murven19.ini")});
}

// The temporary is written by name (the PDF engine opens it again): it stays
// the writer's until the commit, which hands on the file's own mode.
TEST_F(SafeFileTest, theTemporaryTakesTheFilesModeOnlyAtTheCommit)
{
    writeBytes(file(), "old");
    const QFile::Permissions mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(file(), mode));
    TSafeReplacement replacement(file());
    QString error;
    ASSERT_TRUE(replacement.Begin(&error)) << qPrintable(error);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(replacement.TemporaryPath()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    writeBytes(replacement.TemporaryPath(), "new");
    ASSERT_TRUE(replacement.Commit(&error)) << qPrintable(error);
    EXPECT_EQ(fileBytes(file()), "new");
    EXPECT_EQ(fileMode(file()), 0640);
}

// A writer that keeps its write errors to itself left the temporary short:
// the disk tells why, and the temporary keeps its length.
TEST_F(SafeFileTest, aFullDiskIsFoundAsTheCauseOfAnUnfinishedTemporary)
{
    TSafeReplacement replacement(file());
    QString error;
    ASSERT_TRUE(replacement.Begin(&error)) << qPrintable(error);
    writeBytes(replacement.TemporaryPath(), "%PDF-1.4 cut");
    EXPECT_EQ(replacement.GrowthError(1024 * 1024), 0);
    {
        const ScopedFailingDisk full(folder(), TDiskFault::DiskFull);
        EXPECT_EQ(replacement.GrowthError(1024 * 1024), ENOSPC);
    }
    EXPECT_EQ(fileBytes(replacement.TemporaryPath()), "%PDF-1.4 cut");
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
    EXPECT_FALSE(SafeReplaceFile(file(), "new"));
    EXPECT_TRUE(entries(folder()).isEmpty()) << entries(folder()).join(u' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(BeforeCommit, SafeFileFailingStep,
                         ::testing::Values(SafeFile::Step::CreateTemporary, SafeFile::Step::WriteTemporary,
                                           SafeFile::Step::SyncTemporary, SafeFile::Step::RenameTemporary));

// A failed save names its cause as the user can mend it: the system's error
// number read on the folder for a step on a name in it, on the file for a
// step on its bytes. The system's own words follow only as a detail.
struct FailureCauseCase {
    const char *name;
    SafeFile::Step step;
    int systemErrno;
    const char16_t *says;
};
void PrintTo(const FailureCauseCase &c, std::ostream *os) { *os << c.name; }
class SafeFileFailureCause : public SafeFileTest, public ::testing::WithParamInterface<FailureCauseCase> {};

TEST_P(SafeFileFailureCause, isNamedFirstAndTheOriginalStays)
{
    writeBytes(file(), "old");
    SafeFile::setFailureHook([step = GetParam().step](SafeFile::Step s) { return s == step; },
                             GetParam().systemErrno);
    QString error;
    EXPECT_FALSE(SafeReplaceFile(file(), "new", &error));
    EXPECT_TRUE(error.startsWith(QString::fromUtf16(GetParam().says))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("（詳細："))) << error.toStdString();
    EXPECT_EQ(fileBytes(file()), "old");
}

INSTANTIATE_TEST_SUITE_P(
    Steps, SafeFileFailureCause,
    ::testing::Values(
        FailureCauseCase{"folderNotWritable", SafeFile::Step::CreateTemporary, EACCES,
                         u"ファイルのあるフォルダーに書き込む権限がありません。"},
        FailureCauseCase{"folderRefusesTheRename", SafeFile::Step::RenameTemporary, EPERM,
                         u"ファイルのあるフォルダーに書き込む権限がありません。"},
        FailureCauseCase{"readOnlyDisk", SafeFile::Step::CreateTemporary, EROFS,
                         u"ディスクが読み取り専用のため、書き込めません。"},
        FailureCauseCase{"diskFull", SafeFile::Step::WriteTemporary, ENOSPC, u"ディスクの空き容量が足りません。"},
        FailureCauseCase{"quotaSpent", SafeFile::Step::SyncTemporary, EDQUOT, u"ディスクの空き容量が足りません。"},
        FailureCauseCase{"fileInUse", SafeFile::Step::RenameTemporary, EBUSY,
                         u"ほかのプログラムかほかの画面がファイルを使用中です。"},
        FailureCauseCase{"failingDevice", SafeFile::Step::WriteTemporary, EIO,
                         u"ディスクの読み書きでエラーが発生しました。"}),
    rowName);

TEST_F(SafeFileTest, failureAfterCommitStillReportsTheNewFile)
{
    writeBytes(file(), "old");
    SafeFile::setFailureHook([](SafeFile::Step s) { return s == SafeFile::Step::SyncFolder; });
    ASSERT_TRUE(SafeReplaceFile(file(), "new"));
    EXPECT_EQ(fileBytes(file()), "new");
    EXPECT_EQ(entries(folder()), QStringList{QStringLiteral("Murven19.ini")});
}

// Another program reads the file at every step of a save: the file is always
// there, whole, with the old bytes up to the commit and the new ones after.
TEST_F(SafeFileTest, theFileIsThereWholeAtEveryStepOfASave)
{
    writeBytes(file(), "old");
    QStringList seen;
    SafeFile::setFailureHook([&seen, this](SafeFile::Step s) {
        seen << QString::number(int(s)) + QLatin1Char('=') + QString::fromLatin1(fileBytes(file()));
        return false;
    });
    ASSERT_TRUE(SafeReplaceFile(file(), "new"));
    SafeFile::setFailureHook({});
    const auto at = [](SafeFile::Step s, const char *bytes) {
        return QString::number(int(s)) + QLatin1Char('=') + QLatin1String(bytes);
    };
    EXPECT_EQ(seen, (QStringList{at(SafeFile::Step::CreateTemporary, "old"), at(SafeFile::Step::WriteTemporary, "old"),
                                 at(SafeFile::Step::SyncTemporary, "old"), at(SafeFile::Step::RenameTemporary, "old"),
                                 at(SafeFile::Step::SyncFolder, "new")}));
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
    if (s.backup)
        setAside(s.backup);
    if (s.file)
        writeBytes(file(), s.file);
    if (s.temporary) {
        writeBytes(folder() + QStringLiteral("/.Murven19.ini.new-abcd1234"), "half");
        ageFile(folder() + QStringLiteral("/.Murven19.ini.new-abcd1234"), 3600);
    }
    writeBytes(folder() + QStringLiteral("/.Other.ini.new-abcd1234"), "someone else's");
    ageFile(folder() + QStringLiteral("/.Other.ini.new-abcd1234"), 3600);

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

// Files that look like an aside copy but are not the program's: a user's
// file (a title) named like the old "$$" copies, a copy whose mark does not
// match, and a real copy edited after it was set aside.
struct LookAlike {
    const char *name;
    bool fileThere;
};

class SafeFileLookAlike : public SafeFileTest, public ::testing::WithParamInterface<LookAlike> {};

TEST_P(SafeFileLookAlike, isNeverDeletedNorPutInPlaceOfTheFile)
{
    const QString user = folder() + QStringLiteral("/$$Murven19.ini");
    const QString wrongMark = folder() + QStringLiteral("/.$$Murven19.ini;5.12345");
    writeBytes(user, "the user's own");
    writeBytes(wrongMark, "12345");
    setAside("edited later");
    const QString edited = folder() + QLatin1Char('/') + asides().first();
    {
        QFile f(edited);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write(" by someone");
    }
    ageFile(edited, 7200); // another size and another time: no longer the copy that was set aside
    if (GetParam().fileThere)
        writeBytes(file(), "current");

    RecoverSafeReplace(file());
    EXPECT_EQ(QFileInfo::exists(file()), GetParam().fileThere);
    ASSERT_TRUE(SafeReplaceFile(file(), "new"));
    RecoverSafeReplace(file());

    EXPECT_EQ(fileBytes(file()), "new");
    EXPECT_EQ(fileBytes(user), "the user's own");
    EXPECT_EQ(fileBytes(wrongMark), "12345");
    EXPECT_EQ(fileBytes(edited), "edited later by someone");
}

INSTANTIATE_TEST_SUITE_P(Names, SafeFileLookAlike,
                         ::testing::Values(LookAlike{"fileMissing", false}, LookAlike{"fileThere", true}), rowName);

TEST_F(SafeFileTest, putsBackTheNewestOfSeveralAsideCopies)
{
    setAside("oldest", 3600);
    setAside("the last saved", 60);
    ASSERT_EQ(asides().size(), 2);
    RecoverSafeReplace(file());
    EXPECT_EQ(fileBytes(file()), "the last saved");
    EXPECT_EQ(entries(folder()), QStringList{QStringLiteral("Murven19.ini")});
}

TEST_F(SafeFileTest, recoveryOfAFolderTakesOnlyFilesOfTheSuffix)
{
    const QString layout = folder() + QStringLiteral("/年賀.gpl");
    const QString other = folder() + QStringLiteral("/notes.txt");
    writeBytes(layout, "layout");
    writeBytes(other, "notes");
    ASSERT_TRUE(QFile::rename(layout, SafeReplaceBackupPath(layout)));
    ASSERT_TRUE(QFile::rename(other, SafeReplaceBackupPath(other)));

    RecoverSafeReplacesIn(folder(), QStringLiteral(".gpl"));

    EXPECT_EQ(fileBytes(layout), "layout");
    EXPECT_FALSE(QFileInfo::exists(other));
    EXPECT_EQ(entries(folder()).filter(QStringLiteral(";")).size(), 1);
}

// A temporary beside the file: whether a writer holds it, how long ago it
// was last written, and whether putting the folder right removes it.
struct TemporaryCase {
    const char *name;
    bool held;
    int ageSeconds;
    bool removed;
};

class SafeFileTemporary : public SafeFileTest, public ::testing::WithParamInterface<TemporaryCase> {};

TEST_P(SafeFileTemporary, isRemovedOnlyWhenNoWriterCanStillBeAtWork)
{
    const QString temporary = folder() + QStringLiteral("/.Murven19.ini.new-w0rk1ng0");
    writeBytes(file(), "old");
    writeBytes(temporary, "half");
    ageFile(temporary, GetParam().ageSeconds);
    const int fd = ::open(QFile::encodeName(temporary).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    if (GetParam().held) {
        ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    }

    RecoverSafeReplace(file());
    ::close(fd);

    EXPECT_EQ(QFile::exists(temporary), !GetParam().removed);
    EXPECT_EQ(fileBytes(file()), "old");
}

INSTANTIATE_TEST_SUITE_P(Writers, SafeFileTemporary,
                         ::testing::Values(TemporaryCase{"abandonedLongAgo", false, 3600, true},
                                           TemporaryCase{"heldByALiveWriter", true, 3600, false},
                                           TemporaryCase{"justMadeNotYetHeld", false, 0, false}),
                         rowName);

// Another process reads the file (and so puts the folder right) at every
// moment of a save; the save still succeeds and leaves its bytes.
class SafeFileReadDuringSave : public SafeFileTest, public ::testing::WithParamInterface<SafeFile::Step> {};

TEST_P(SafeFileReadDuringSave, neverBreaksTheSave)
{
    writeBytes(file(), "old");
    const QString dir = folder();
    SafeFile::setFailureHook([dir, at = GetParam(), this](SafeFile::Step s) {
        if (s == at) {
            // Even a temporary that looks old is left alone while its writer holds it.
            for (const QString &name : entries(dir)) {
                if (name.startsWith(QStringLiteral(".Murven19.ini.new-")))
                    ageFile(dir + QLatin1Char('/') + name, 3600);
            }
            RecoverSafeReplace(file());
        }
        return false;
    });
    QString error;
    EXPECT_TRUE(SafeReplaceFile(file(), "new", &error)) << error.toStdString();
    SafeFile::setFailureHook({});
    RecoverSafeReplace(file());
    EXPECT_EQ(fileBytes(file()), "new");
    EXPECT_EQ(entries(folder()), QStringList{QStringLiteral("Murven19.ini")});
}

INSTANTIATE_TEST_SUITE_P(EveryStep, SafeFileReadDuringSave,
                         ::testing::Values(SafeFile::Step::SyncTemporary, SafeFile::Step::RenameTemporary,
                                           SafeFile::Step::SyncFolder));

} // namespace

namespace {

// Three readers put the folder right (as every reader of a settings file
// does) while one writer saves version after version: a save that says it
// is done has its bytes in the file, never the older copy a reader put back.
TEST_F(SafeFileTest, aSaveReportedDoneIsNeverUndoneByReadersAtTheSameMoment)
{
    writeBytes(file(), "version 0");
    // A disk that takes its time over the renames and the folder's sync, as
    // a real one does (a folder in memory leaves the readers no moment).
    SafeFile::setFailureHook([](SafeFile::Step s) {
        if (s == SafeFile::Step::RenameTemporary || s == SafeFile::Step::SyncFolder)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return false;
    });
    std::atomic<bool> stop{false};
    std::vector<std::thread> readers;
    for (int i = 0; i < 3; ++i)
        readers.emplace_back([this, &stop] {
            while (!stop.load())
                RecoverSafeReplace(file());
        });
    int undone = 0;
    int failed = 0;
    QElapsedTimer clock;
    clock.start();
    for (int version = 1; clock.elapsed() < 1500; ++version) {
        const QByteArray bytes = "version " + QByteArray::number(version);
        if (!SafeReplaceFile(file(), bytes)) {
            ++failed;
            continue;
        }
        if (fileBytes(file()) != bytes)
            ++undone;
    }
    stop = true;
    for (std::thread &reader : readers)
        reader.join();
    EXPECT_EQ(undone, 0) << "saves reported done whose file held the older copy";
    EXPECT_EQ(failed, 0);
}

// A name of `bytes` bytes in UTF-8: Japanese characters (three bytes each),
// then ASCII to the exact length, ending in ".csv".
QString nameOfBytes(int bytes)
{
    QString name;
    while (QFile::encodeName(name).size() + 3 + 4 <= bytes)
        name += QChar(char16_t(0x4e00 + name.size())); // 一丁丂...
    while (QFile::encodeName(name).size() + 4 < bytes)
        name += u'a';
    return name + QStringLiteral(".csv");
}

class SafeFileLongName : public SafeFileTest, public ::testing::WithParamInterface<int> {};

TEST_P(SafeFileLongName, isMadeAndReplacedAgainWithNothingLeftBeside)
{
    const QString name = nameOfBytes(GetParam());
    ASSERT_EQ(QFile::encodeName(name).size(), GetParam());
    const QString path = folder() + u'/' + name;
    QString error;
    ASSERT_TRUE(SafeReplaceFile(path, "first export", &error)) << qPrintable(error);
    ASSERT_TRUE(SafeReplaceFile(path, "second", &error)) << qPrintable(error);
    ASSERT_TRUE(SafeReplaceFile(path, "third, longer", &error)) << qPrintable(error);
    RecoverSafeReplace(path);
    EXPECT_EQ(fileBytes(path), "third, longer");
    EXPECT_EQ(entries(folder()), QStringList{name});
}

// Where the aside name (name + 15 and the size's digits) and the temporary's
// (name + 14) stop fitting in 255 bytes, and the limit itself.
INSTANTIATE_TEST_SUITE_P(Bytes, SafeFileLongName, ::testing::Values(200, 237, 238, 239, 241, 242, 254, 255));

// The interrupted replace of a long name leaves the earlier file, which a
// reader finds whole.
TEST_F(SafeFileTest, aFailedReplaceOfTheLongestNameKeepsTheEarlierFile)
{
    const QString path = folder() + u'/' + nameOfBytes(255);
    ASSERT_TRUE(SafeReplaceFile(path, "kept"));
    SafeFile::setFailureHook([](SafeFile::Step s) { return s == SafeFile::Step::RenameTemporary; });
    EXPECT_FALSE(SafeReplaceFile(path, "lost"));
    SafeFile::setFailureHook({});
    RecoverSafeReplace(path);
    EXPECT_EQ(fileBytes(path), "kept");
    EXPECT_EQ(entries(folder()).size(), 1);
}

// Another writer fills the temporary by its name (as the PDF engine does).
TEST_F(SafeFileTest, aReplacementWrittenByNameIsPutInPlaceWhole)
{
    writeBytes(file(), "earlier");
    TSafeReplacement replacement(file());
    QString error;
    ASSERT_TRUE(replacement.Begin(&error)) << qPrintable(error);
    {
        QFile writer(replacement.TemporaryPath());
        ASSERT_TRUE(writer.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(writer.write("written by name"), 15);
    }
    EXPECT_EQ(fileBytes(file()), "earlier") << "nothing is in place before the commit";
    ASSERT_TRUE(replacement.Commit(&error)) << qPrintable(error);
    EXPECT_EQ(fileBytes(file()), "written by name");
    EXPECT_EQ(entries(folder()), QStringList{QStringLiteral("Murven19.ini")});
}

TEST_F(SafeFileTest, aReplacementGivenUpLeavesTheFileAndNothingElse)
{
    writeBytes(file(), "earlier");
    {
        TSafeReplacement replacement(file());
        ASSERT_TRUE(replacement.Begin(nullptr));
        QFile writer(replacement.TemporaryPath());
        ASSERT_TRUE(writer.open(QIODevice::WriteOnly));
        writer.write(QByteArray(100000, 'x'));
    }
    EXPECT_EQ(fileBytes(file()), "earlier");
    EXPECT_EQ(entries(folder()), QStringList{QStringLiteral("Murven19.ini")});
}

} // namespace
