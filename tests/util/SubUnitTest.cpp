#include "support/FileHelpers.h"
#include "support/TestEnvironment.h"
#include "util/SubUnit.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// ---- Rounding and scaling ------------------------------------------------------

struct RoundCase { const char *text; long double value; qint64 expected; }; // text: the value as written

void PrintTo(const RoundCase &c, std::ostream *os) { *os << c.text << " -> " << c.expected; }

class RoundHalfAwayTest : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundHalfAwayTest, roundsHalvesAwayFromZero) { EXPECT_EQ(RoundHalfAway(GetParam().value), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Values, RoundHalfAwayTest,
                         ::testing::Values(RoundCase{"2.5", 2.5L, 3}, RoundCase{"-2.5", -2.5L, -3},
                                           RoundCase{"-0.49999", -0.49999L, 0},
                                           // In double precision this sum would round up to 1.0.
                                           RoundCase{"0.49999999999999994", 0.49999999999999994L, 0},
                                           RoundCase{"1e30", 1e30L, std::numeric_limits<qint64>::max()},
                                           RoundCase{"-1e30", -1e30L, std::numeric_limits<qint64>::min()},
                                           RoundCase{"NaN", std::nanl(""), 0}));

struct ScaleCase { int value; bool toScreen; int dpi; int expected; };

void PrintTo(const ScaleCase &c, std::ostream *os)
{
    *os << c.value << (c.toScreen ? " to screen at " : " from screen at ") << c.dpi << " dpi -> " << c.expected;
}

class ScaleForDpiTest : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(ScaleForDpiTest, roundsHalvesAwayFromZeroAndKeepsValuesAtTheDesignBase)
{
    EXPECT_EQ(ScaleForDpi(GetParam().value, GetParam().toScreen, GetParam().dpi), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ScaleForDpiTest,
    ::testing::Values(ScaleCase{100, true, 144, 150}, ScaleCase{150, false, 144, 100},
                      // 96 dpi is the identity for negative values too: a window
                      // left of the screen stays where it was.
                      ScaleCase{-7, true, 96, -7}, ScaleCase{-1, false, 96, -1},
                      // Halves go away from zero on both sides: +-5 * 1.5 = +-7.5.
                      ScaleCase{5, true, 144, 8}, ScaleCase{-5, true, 144, -8}, ScaleCase{-15, false, 144, -10},
                      ScaleCase{-2, true, 120, -3},
                      // Large values neither wrap nor move at 96 dpi; beyond int they stop at its limits.
                      ScaleCase{30000000, true, 144, 45000000}, ScaleCase{2147483647, true, 96, 2147483647},
                      ScaleCase{-2147483647 - 1, false, 96, -2147483647 - 1},
                      ScaleCase{2000000000, true, 144, 2147483647},
                      // No dpi known: the design base.
                      ScaleCase{100, false, 0, 100}));

// ---- Centring ----------------------------------------------------------------------

struct CenterCase { const char *name; QSize form; bool hasOwner; QRect owner; QRect workArea; QPoint expected; };

class CenterFormPositionTest : public ::testing::TestWithParam<CenterCase> {};

TEST_P(CenterFormPositionTest, placesTheFormInsideTheWorkArea)
{
    const CenterCase &c = GetParam();
    EXPECT_EQ(CenterFormPosition(c.form, c.hasOwner ? &c.owner : nullptr, c.workArea), c.expected);
}

const QRect kArea(0, 0, 1024, 768);
const QRect kPanelArea(60, 30, 964, 738); // panels on the left and at the top

INSTANTIATE_TEST_SUITE_P(
    Cases, CenterFormPositionTest,
    ::testing::Values(
        CenterCase{"overOwner", {200, 100}, true, {100, 100, 400, 300}, kArea, {200, 200}},
        // (100 - 201) / 2 is -50: the division cuts toward zero.
        CenterCase{"smallOwnerDividesTowardZero", {201, 151}, true, {300, 300, 100, 50}, kArea, {250, 250}},
        CenterCase{"nearBottomRight", {200, 100}, true, {900, 700, 300, 200}, kArea, {824, 668}},
        CenterCase{"partlyBeyondTopLeft", {200, 100}, true, {-200, -150, 300, 200}, kArea, {0, 0}},
        // The low clamp is to the work area's edge, not to 0.
        CenterCase{"beyondLeftPanel", {200, 100}, true, {0, 0, 100, 100}, kPanelArea, {60, 30}},
        // Larger than the area: the top-left corner stays inside.
        CenterCase{"largerThanArea", {1200, 900}, true, {500, 300, 100, 100}, kArea, {0, 0}},
        CenterCase{"noOwner", {200, 100}, false, {}, kPanelArea, {442, 349}}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- Folders ---------------------------------------------------------------------------

mode_t modeOf(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

void setMode(const QString &path, mode_t mode) { ::chmod(QFile::encodeName(path).constData(), mode); }

TEST(CreateFolderForEveryone, createsAFolderOnlyItsOwnerMayEnterKeepsAnExistingOneAndFailsOtherwise)
{
    QTemporaryDir tmp;
    const mode_t saved = ::umask(0);
    const bool ok = CreateFolderForEveryone(tmp.filePath(QStringLiteral("root")) + QLatin1Char('/'));
    ::umask(saved);
    ASSERT_TRUE(ok);
    EXPECT_EQ(modeOf(tmp.filePath(QStringLiteral("root"))), mode_t(0700));
    const QString shared = tmp.filePath(QStringLiteral("shared"));
    ASSERT_EQ(::mkdir(QFile::encodeName(shared).constData(), 0755), 0);
    EXPECT_TRUE(CreateFolderForEveryone(shared));
    EXPECT_EQ(modeOf(shared), mode_t(0755));
    // No parent, or a file in the way.
    EXPECT_FALSE(CreateFolderForEveryone(tmp.filePath(QStringLiteral("missing/child"))));
    EXPECT_FALSE(QFileInfo::exists(tmp.filePath(QStringLiteral("missing"))));
    writeBytes(tmp.filePath(QStringLiteral("file")), "x");
    EXPECT_FALSE(CreateFolderForEveryone(tmp.filePath(QStringLiteral("file"))));
}

// tree/ holds read-only files in read-only folders, an empty sub-tree and links
// to outside/, whose read-only contents must survive.
class DeleteFolderTreeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char *folder : {"outside/keep", "tree/sub/deeper", "tree/empty/emptier"})
            ASSERT_TRUE(QDir(m_tmp.path()).mkpath(QLatin1String(folder)));
        writeBytes(path("outside/keep/precious.txt"), "keep me");
        writeBytes(path("tree/a.txt"), "a");
        writeBytes(path("tree/sub/deeper/b.txt"), "b");
        QFile::setPermissions(path("tree/a.txt"), QFile::ReadOwner);
        QFile::setPermissions(path("tree/sub/deeper/b.txt"), QFile::ReadOwner | QFile::ReadGroup);
        ASSERT_EQ(link("outside", "tree/sub/link-to-outside"), 0);
        ASSERT_EQ(link("outside/keep/precious.txt", "tree/file-link"), 0);
        // Read-only folders: their entries can only go once they are writable.
        setMode(path("outside/keep/precious.txt"), 0444);
        for (const char *folder : {"outside/keep", "tree/sub/deeper", "tree/sub"})
            setMode(path(folder), 0555);
    }

    // Writable again, so the temporary folder can be cleaned up.
    void TearDown() override
    {
        for (const char *folder : {"outside/keep", "tree/sub", "tree/sub/deeper", "locked"})
            setMode(path(folder), 0755);
    }

    QString path(const char *relative) const { return m_tmp.filePath(QString::fromLatin1(relative)); }
    int link(const char *target, const char *at) const
    {
        return ::symlink(QFile::encodeName(path(target)).constData(), QFile::encodeName(path(at)).constData());
    }

    QTemporaryDir m_tmp;
};

TEST_F(DeleteFolderTreeTest, removesReadOnlyEntriesAndLeavesLinkTargetsAlone)
{
    EXPECT_TRUE(DeleteFolderTree(path("tree") + QLatin1Char('/'), false));
    EXPECT_FALSE(QFileInfo::exists(path("tree")));
    EXPECT_EQ(fileBytes(path("outside/keep/precious.txt")), QByteArray("keep me"));
    // Read-only outside the tree stays read-only: nothing was changed through a link.
    EXPECT_EQ(modeOf(path("outside/keep")), mode_t(0555));
    EXPECT_EQ(modeOf(path("outside/keep/precious.txt")), mode_t(0444));
}

TEST_F(DeleteFolderTreeTest, keepingFilesRemovesOnlyFoldersThatHoldNoFile)
{
    EXPECT_FALSE(DeleteFolderTree(path("tree"), true)); // files are left, so the folder is not removed
    for (const char *kept : {"tree/a.txt", "tree/sub/deeper/b.txt", "outside/keep/precious.txt"})
        EXPECT_TRUE(QFileInfo::exists(path(kept))) << kept;
    EXPECT_TRUE(QFileInfo(path("tree/sub/link-to-outside")).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(path("tree/empty")));

    ASSERT_TRUE(QDir(m_tmp.path()).mkpath(QStringLiteral("hollow/inner")));
    EXPECT_TRUE(DeleteFolderTree(path("hollow"), true)); // a tree of empty folders goes entirely
    EXPECT_FALSE(QFileInfo::exists(path("hollow")));
}

TEST_F(DeleteFolderTreeTest, removesALinkItselfCountsAMissingFolderAsGoneAndRefusesAFile)
{
    ASSERT_EQ(link("outside", "alias"), 0);
    EXPECT_TRUE(DeleteFolderTree(path("alias"), false));
    EXPECT_FALSE(QFileInfo(path("alias")).isSymLink());
    EXPECT_TRUE(DeleteFolderTree(path("no-such-folder"), false));
    EXPECT_FALSE(DeleteFolderTree(path("outside/keep/precious.txt"), false));
    EXPECT_EQ(fileBytes(path("outside/keep/precious.txt")), QByteArray("keep me"));
}

TEST_F(DeleteFolderTreeTest, reportsFailureWhenTheFolderCannotBeRemoved)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser may remove entries from read-only folders";
    ASSERT_TRUE(QDir(m_tmp.path()).mkpath(QStringLiteral("locked/inner")));
    writeBytes(path("locked/inner/c.txt"), "c");
    setMode(path("locked"), 0555); // parent of the tree: not ours to change
    EXPECT_FALSE(DeleteFolderTree(path("locked/inner"), false));
    EXPECT_TRUE(QFileInfo::exists(path("locked/inner")));
}

// ---- Mount points ---------------------------------------------------------------------

// Several rows a line; the last mount of /mnt/hidden is the visible one.
const char kMountTable[] = "proc /proc proc rw,relatime 0 0\nsysfs /sys sysfs rw,relatime 0 0\n"
                           "/dev/sda2 / ext4 rw,relatime 0 0\n/dev/sda1 /boot/efi vfat rw 0 0\n"
                           "/dev/sda3 /home ext4 rw 0 0\ntmpfs /tmp tmpfs rw 0 0\n"
                           "/dev/sdb1 /media/usb\\040stick vfat rw 0 0\n/dev/sdc1 /mnt/backup\\040disk ntfs3 rw 0 0\n"
                           "/dev/sr0 /media/cdrom iso9660 ro 0 0\nserver:/export /mnt/nfs nfs4 rw 0 0\n"
                           "//srv/share /mnt/smb cifs rw 0 0\nuser@host: /mnt/ssh fuse.sshfs rw 0 0\n"
                           "/dev/sda3 /etc/hosts ext4 rw 0 0\n/dev/sdd1 /run/media/user/DISK ext4 rw 0 0\n"
                           "overlay /var/lib/docker/overlay2/x/merged overlay rw 0 0\n"
                           "/dev/sde1 /mnt/hidden ext4 rw 0 0\nserver:/other /mnt/hidden nfs rw 0 0\n";

// /dev/sdb1 is removable; /etc/hosts is a file.
const TDriveProbe kProbe{[](const QString &device) { return device == QLatin1String("/dev/sdb1"); },
                         [](const QString &mountPoint) { return mountPoint != QLatin1String("/etc/hosts"); }};

struct DriveCase { quint8 kinds; QStringList expected; };

void PrintTo(const DriveCase &c, std::ostream *os) { *os << "kinds " << int(c.kinds); }

class DrivesFromMountTableTest : public ::testing::TestWithParam<DriveCase> {};

TEST_P(DrivesFromMountTableTest, picksTheKindsAskedForInOrder)
{
    EXPECT_EQ(DrivesFromMountTable(QString::fromLatin1(kMountTable), GetParam().kinds, kProbe), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DrivesFromMountTableTest,
    ::testing::Values(DriveCase{0, {}}, DriveCase{dkCdRom, {"/media/cdrom/"}},
                      DriveCase{dkFixed, {"/", "/home/", "/mnt/backup disk/", "/run/media/user/DISK/"}},
                      DriveCase{dkRemote, {"/mnt/hidden/", "/mnt/nfs/", "/mnt/smb/", "/mnt/ssh/"}},
                      DriveCase{dkFixed | dkCdRom | dkRemote,
                                {"/", "/home/", "/media/cdrom/", "/mnt/backup disk/", "/mnt/hidden/", "/mnt/nfs/",
                                 "/mnt/smb/", "/mnt/ssh/", "/run/media/user/DISK/"}}));

TEST(DrivesFromMountTable, countsAnOverlayRootButNoPseudoRootAndKeepsAtMostTwentySixSorted)
{
    EXPECT_EQ(DrivesFromMountTable(QStringLiteral("overlay / overlay rw 0 0\n"), dkFixed, kProbe),
              QStringList{QStringLiteral("/")});
    EXPECT_TRUE(DrivesFromMountTable(QStringLiteral("rootfs / rootfs rw 0 0\n"), dkFixed, kProbe).isEmpty());
    QString table;
    for (int i = 29; i >= 0; --i)
        table += QStringLiteral("/dev/vd%1 /data/d%2 xfs rw 0 0\n").arg(i).arg(i, 2, 10, QLatin1Char('0'));
    const QStringList drives = DrivesFromMountTable(table, dkFixed, kProbe);
    ASSERT_EQ(drives.size(), 26);
    EXPECT_EQ(drives.first(), QStringLiteral("/data/d00/"));
    EXPECT_EQ(drives.last(), QStringLiteral("/data/d25/"));
}

// ---- Folder browser --------------------------------------------------------------------

TEST(BrowseStartFolder, startsInAnExistingFolderElseTheProgramFolderIfAsked)
{
    ScopedHome home;
    const QString gone = home.root() + QStringLiteral("/gone"), plain = home.root() + QStringLiteral("/plain.txt");
    const QString programFolder = QDir(home.programFolder()).canonicalPath();
    EXPECT_EQ(BrowseStartFolder(home.root(), true), home.root());
    EXPECT_EQ(QDir(BrowseStartFolder(gone, true)).canonicalPath(), programFolder);
    EXPECT_EQ(QDir(BrowseStartFolder(QString(), true)).canonicalPath(), programFolder);
    EXPECT_TRUE(BrowseStartFolder(gone, false).isEmpty());
    writeBytes(plain, "x");
    EXPECT_TRUE(BrowseStartFolder(plain, false).isEmpty());
}

// Answers the next folder dialog: accepts it or cancels it, noting whether the
// path edit was shown.
void answerFolderDialog(bool accept, bool *editShown)
{
    QTimer::singleShot(0, [accept, editShown] {
        if (!QTest::qWaitFor([] { return qobject_cast<QFileDialog *>(QApplication::activeModalWidget()); }, 5000))
            return;
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        const auto *edit = dialog->findChild<QWidget *>(QStringLiteral("fileNameEdit"));
        *editShown = edit && edit->isVisible();
        QMetaObject::invokeMethod(dialog, accept ? "accept" : "reject");
    });
}

TEST(BrowseForFolder, returnsTheChosenFolderShowsTheEditOnlyWhenAskedAndKeepsTheFolderOnCancel)
{
    ScopedHome home;
    for (const bool showEdit : {false, true}) {
        QString folder = home.root() + QStringLiteral("/gone");
        bool editShown = !showEdit;
        answerFolderDialog(true, &editShown);
        ASSERT_TRUE(BrowseForFolder(folder, nullptr, QStringLiteral("参照"), true, showEdit));
        EXPECT_EQ(editShown, showEdit);
        EXPECT_EQ(QDir(folder).canonicalPath(), QDir(home.programFolder()).canonicalPath());
    }
    QString folder = home.root();
    bool editShown = false;
    answerFolderDialog(false, &editShown);
    EXPECT_FALSE(BrowseForFolder(folder, nullptr, QStringLiteral("参照"), false, true));
    EXPECT_EQ(folder, home.root());
}

// ---- Starting programs --------------------------------------------------------------------

struct CommandCase { const char *line; const char *program; QStringList arguments; };

void PrintTo(const CommandCase &c, std::ostream *os) { *os << c.line; }

class CommandLineTest : public ::testing::TestWithParam<CommandCase> {};

TEST_P(CommandLineTest, splitsProgramAtFirstBlankOutsideQuotes)
{
    const QString line = QString::fromUtf8(GetParam().line);
    EXPECT_EQ(CommandLineProgram(line), QString::fromUtf8(GetParam().program));
    EXPECT_EQ(CommandLineArguments(line), GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLineTest,
    ::testing::Values(CommandCase{"\"/opt/my app/run.sh\" x \"y z\"", "/opt/my app/run.sh", {"x", "y z"}},
                      CommandCase{"/bin/echo hello", "/bin/echo", {"hello"}}, CommandCase{"prog", "prog", {}},
                      CommandCase{"  prog\ta", "prog", {"a"}},
                      CommandCase{"/opt/\"my app\"/bin -v", "/opt/my app/bin", {"-v"}},
                      CommandCase{"\"/opt/unclosed quote", "/opt/unclosed quote", {}}));

// A temporary folder whose name holds a blank, with shell scripts made
// executable at run time.
class RunProcessAndWaitTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tmp.isValid());
        m_dir = m_tmp.filePath(QStringLiteral("dir with blank"));
        ASSERT_TRUE(QDir().mkpath(m_dir));
    }

    QString script(const QString &name, const QByteArray &body) const
    {
        const QString p = m_dir + QLatin1Char('/') + name;
        writeBytes(p, "#!/bin/sh\n" + body);
        QFile::setPermissions(p, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return p;
    }

    static QString readText(const QString &path) { return QString::fromLocal8Bit(fileBytes(path)).trimmed(); }
    static QString canonical(const QString &path) { return QFileInfo(path).canonicalFilePath(); }
    static QString quoted(const QString &path) { return QLatin1Char('"') + path + QLatin1Char('"'); }

    QTemporaryDir m_tmp;
    QString m_dir;
};

// Writes its working folder to the file named by $1, exits with $2.
const QByteArray kPwdScript = "pwd -P > \"$1\"\nexit \"$2\"\n";

TEST_F(RunProcessAndWaitTest, runsAQuotedProgramInItsOwnFolderElseInTheGivenFolderWhenItExists)
{
    const QString prog = quoted(script(QStringLiteral("run me.sh"), kPwdScript));
    EXPECT_EQ(RunProcessAndWait(prog + QStringLiteral(" pwd.txt 7"), QStringLiteral("  "), false, SW_SHOWNORMAL), 7u);
    EXPECT_EQ(readText(m_dir + QStringLiteral("/pwd.txt")), canonical(m_dir));

    const QString out = m_tmp.filePath(QStringLiteral("out.txt"));
    const QString line = prog + QLatin1Char(' ') + quoted(out) + QStringLiteral(" 0");
    EXPECT_EQ(RunProcessAndWait(line, QLatin1Char(' ') + m_tmp.path() + QLatin1Char(' '), false, SW_SHOWNORMAL), 0u);
    EXPECT_EQ(readText(out), canonical(m_tmp.path()));
    EXPECT_EQ(RunProcessAndWait(line, m_tmp.filePath(QStringLiteral("missing")), false, SW_SHOWNORMAL), 0u);
    EXPECT_EQ(readText(out), canonical(QDir::currentPath()));
}

TEST_F(RunProcessAndWaitTest, runWaitsProcessingEventsOrWithoutWaitingReturnsZeroAtOnce)
{
    const QString prog = quoted(script(QStringLiteral("late.sh"), "sleep 1\necho done > late.txt\nexit 5\n"));
    const QString out = m_dir + QStringLiteral("/late.txt");
    bool fired = false;
    QTimer::singleShot(50, [&fired] { fired = true; });
    EXPECT_EQ(RunProcessAndWait(prog, QString(), false, SW_SHOWNORMAL), 5u);
    EXPECT_TRUE(fired);
    ASSERT_TRUE(QFile::remove(out));
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(RunProcessAndWait(prog, QString(), true, SW_HIDE), 0u);
    EXPECT_LT(t.elapsed(), 900);
    EXPECT_TRUE(QTest::qWaitFor([&] { return readText(out) == QLatin1String("done"); }, 5000));
}

TEST_F(RunProcessAndWaitTest, runReportsErrnoStyleCodesWhenNothingStartsAndSignalPlus128WhenKilled)
{
    const auto run = [](const QString &line) { return RunProcessAndWait(line, QString(), false, SW_SHOWNORMAL); };
    EXPECT_EQ(run(quoted(m_dir + QStringLiteral("/absent.sh"))), quint32(seFileNotFound));
    EXPECT_EQ(run(QStringLiteral("murven-no-such-program-anywhere")), quint32(seFileNotFound));
    const QString plain = m_dir + QStringLiteral("/plain.sh");
    writeBytes(plain, "#!/bin/sh\nexit 0\n");
    QFile::setPermissions(plain, QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(run(quoted(plain)), quint32(seAccessDenied));
    EXPECT_EQ(run(quoted(m_dir)), quint32(seAccessDenied));
    EXPECT_EQ(run(quoted(script(QStringLiteral("crash.sh"), "kill -KILL $$\n"))), 128u + 9u);
}

// Sets MURVEN_OPENER for one test to a script that records its argument and
// its working folder, and exits with the given code.
class ShellExecuteAndWaitTest : public RunProcessAndWaitTest
{
protected:
    void SetUp() override
    {
        RunProcessAndWaitTest::SetUp();
        m_record = m_tmp.filePath(QStringLiteral("opened.txt"));
        m_saved = qgetenv("MURVEN_OPENER");
        useOpener(0);
    }

    void TearDown() override { qputenv("MURVEN_OPENER", m_saved); }

    void useOpener(int exitCode)
    {
        const QByteArray record = QFile::encodeName(m_record);
        const QByteArray body = "printf '%s\\n' \"$1\" > '" + record + "'\npwd -P >> '" + record + "'\nexit " +
                                QByteArray::number(exitCode) + "\n";
        qputenv("MURVEN_OPENER", QFile::encodeName(script(QStringLiteral("opener.sh"), body)));
    }

    QStringList record() const { return readText(m_record).split(QLatin1Char('\n')); }

    QString m_record;
    QByteArray m_saved;
};

TEST_F(ShellExecuteAndWaitTest, shellRunsAnExecutableDirectlyAndHandsADocumentOrAUrlToTheOpener)
{
    const QString prog = script(QStringLiteral("tool.sh"), kPwdScript); // its exit code 3 is not reported
    EXPECT_EQ(ShellExecuteAndWait(prog, QStringLiteral("\"where it ran.txt\" 3"), QString(), false, SW_SHOWNORMAL), 0u);
    EXPECT_EQ(readText(m_dir + QStringLiteral("/where it ran.txt")), canonical(m_dir));
    EXPECT_FALSE(QFileInfo::exists(m_record));
    const QString doc = m_dir + QStringLiteral("/manual.pdf");
    writeBytes(doc, "%PDF-1.4\n");
    QFile::setPermissions(doc, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); // x bit, no program
    EXPECT_EQ(ShellExecuteAndWait(doc, QStringLiteral("ignored"), QString(), false, SW_SHOWNORMAL), 0u);
    EXPECT_EQ(record(), (QStringList{doc, canonical(m_dir)}));
    const QString url = QStringLiteral("http://example.com/update/murven19/?a=1");
    EXPECT_EQ(ShellExecuteAndWait(url, QString(), m_tmp.path(), false, SW_SHOWNORMAL), 0u);
    EXPECT_EQ(record(), (QStringList{url, canonical(m_tmp.path())}));
}

TEST_F(ShellExecuteAndWaitTest, shellReportsOpenerFailureAndMissingFiles)
{
    const QString doc = m_dir + QStringLiteral("/letter.txt");
    writeBytes(doc, "x");
    useOpener(4);
    EXPECT_EQ(ShellExecuteAndWait(doc, QString(), QString(), false, SW_SHOWNORMAL), 4u);
    QFile::remove(m_record);
    EXPECT_EQ(ShellExecuteAndWait(doc, QString(), QString(), true, SW_SHOWNORMAL), 0u);
    // The detached opener still runs; let it finish before the folder goes.
    EXPECT_TRUE(QTest::qWaitFor([&] { return record().size() == 2; }, 5000));
    EXPECT_EQ(ShellExecuteAndWait(m_dir + QStringLiteral("/absent.pdf"), QString(), QString(), false, SW_SHOWNORMAL),
              quint32(seFileNotFound));
}

} // namespace
