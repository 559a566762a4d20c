#include "support/TestEnvironment.h"
#include "util/SubUnit.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <limits>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// ---- Rounding and scaling ------------------------------------------------------

struct RoundCase {
    const char *text; // the value as written, for the test name
    long double value;
    qint64 expected;
};

void PrintTo(const RoundCase &c, std::ostream *os)
{
    *os << c.text << " -> " << c.expected;
}

class RoundHalfAwayTest : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundHalfAwayTest, roundsHalvesAwayFromZero)
{
    EXPECT_EQ(RoundHalfAway(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, RoundHalfAwayTest,
                         ::testing::Values(RoundCase{"2.5", 2.5L, 3}, RoundCase{"-2.5", -2.5L, -3},
                                           RoundCase{"2.4999", 2.4999L, 2}, RoundCase{"-0.5", -0.5L, -1},
                                           RoundCase{"0.49999", 0.49999L, 0}, RoundCase{"-0.49999", -0.49999L, 0},
                                           RoundCase{"0.0", 0.0L, 0},
                                           // In double precision this sum would round up to 1.0.
                                           RoundCase{"0.49999999999999994", 0.49999999999999994L, 0},
                                           RoundCase{"1e30", 1e30L, std::numeric_limits<qint64>::max()},
                                           RoundCase{"-1e30", -1e30L, std::numeric_limits<qint64>::min()},
                                           RoundCase{"NaN", std::nanl(""), 0}));

struct ScaleCase {
    int value;
    bool toScreen;
    int dpi;
    int expected;
};

void PrintTo(const ScaleCase &c, std::ostream *os)
{
    *os << c.value << (c.toScreen ? " to screen at " : " from screen at ") << c.dpi << " dpi -> " << c.expected;
}

class ScaleForDpiTest : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(ScaleForDpiTest, scalesWithTruncationTowardZero)
{
    const ScaleCase &c = GetParam();
    EXPECT_EQ(ScaleForDpi(c.value, c.toScreen, c.dpi), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ScaleForDpiTest,
    ::testing::Values(ScaleCase{100, true, 144, 150}, ScaleCase{150, false, 144, 100}, ScaleCase{100, true, 96, 100},
                      ScaleCase{100, false, 96, 100},
                      // Even at 96 dpi a negative value moves: -7 + 0.5 cuts to -6.
                      ScaleCase{-7, true, 96, -6}, ScaleCase{-7, false, 96, -6},
                      // -1.25 + 0.5 = -0.75 cuts to 0, not -1.
                      ScaleCase{-1, true, 120, 0}, ScaleCase{-2, true, 120, -2}, ScaleCase{1, true, 120, 1},
                      ScaleCase{3, true, 120, 4},
                      // 30000000 * 144 wraps in 32 bits to 25032704.
                      ScaleCase{30000000, true, 144, 260757},
                      // No dpi known: the design base.
                      ScaleCase{100, false, 0, 100}));

// ---- Centring ----------------------------------------------------------------------

struct CenterCase {
    const char *name;
    QSize form;
    bool hasOwner;
    QRect owner;
    QRect workArea;
    QPoint expected;
};

void PrintTo(const CenterCase &c, std::ostream *os)
{
    *os << c.name;
}

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
        CenterCase{"nearRightEdge", {200, 100}, true, {900, 100, 300, 200}, kArea, {824, 150}},
        CenterCase{"nearBottomEdge", {200, 100}, true, {100, 700, 300, 200}, kArea, {150, 668}},
        CenterCase{"partlyBeyondLeftEdge", {200, 100}, true, {-200, 100, 300, 200}, kArea, {0, 150}},
        CenterCase{"partlyBeyondTopEdge", {200, 100}, true, {100, -150, 300, 200}, kArea, {150, 0}},
        // The low clamp is to the work area's edge, not to 0.
        CenterCase{"beyondLeftPanel", {200, 100}, true, {0, 0, 100, 100}, kPanelArea, {60, 30}},
        // Larger than the area: the top-left corner stays inside.
        CenterCase{"largerThanArea", {1200, 900}, true, {500, 300, 100, 100}, kArea, {0, 0}},
        CenterCase{"noOwner", {200, 100}, false, {}, kPanelArea, {442, 349}},
        CenterCase{"noOwnerLargerThanArea", {1000, 800}, false, {}, kPanelArea, {60, 30}}),
    [](const ::testing::TestParamInfo<CenterCase> &info) { return std::string(info.param.name); });

TEST(CenterFormOnOwner, movesARealFormToTheComputedPlace)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget owner;
    owner.setGeometry(area.right() - 150, area.top() + 40, 300, 200); // hangs over the right edge
    QWidget form;
    form.resize(240, 120);
    CenterFormOnOwner(&form, &owner);
    const QRect ownerFrame = owner.frameGeometry();
    const QPoint expected = CenterFormPosition(form.frameGeometry().size(), &ownerFrame, area);
    EXPECT_EQ(form.frameGeometry().topLeft(), expected);
    EXPECT_EQ(expected.x() + 240, area.x() + area.width());
    EXPECT_EQ(form.size(), QSize(240, 120));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.frameGeometry().topLeft(), expected);
}

TEST(CenterFormOnOwner, centresWithoutOwnerOnThePrimaryScreen)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget form;
    form.resize(240, 120);
    CenterFormOnOwner(&form, nullptr);
    EXPECT_EQ(form.frameGeometry().topLeft(),
              QPoint(area.x() + (area.width() - 240) / 2, area.y() + (area.height() - 120) / 2));
}

// ---- Folders ---------------------------------------------------------------------------

mode_t modeOf(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

void writeFile(const QString &path, const QByteArray &content, QFile::Permissions permissions = {})
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(content);
    f.close();
    if (permissions)
        f.setPermissions(permissions);
}

TEST(CreateFolderForEveryone, createsAFolderOnlyItsOwnerMayEnter)
{
    QTemporaryDir tmp;
    const mode_t saved = ::umask(0);
    const bool ok = CreateFolderForEveryone(tmp.filePath(QStringLiteral("root")) + QLatin1Char('/'));
    ::umask(saved);
    ASSERT_TRUE(ok);
    EXPECT_EQ(modeOf(tmp.filePath(QStringLiteral("root"))), mode_t(0700));
}

TEST(CreateFolderForEveryone, acceptsAnExistingFolderAsItIs)
{
    QTemporaryDir tmp;
    const QString folder = tmp.filePath(QStringLiteral("shared"));
    ASSERT_EQ(::mkdir(QFile::encodeName(folder).constData(), 0755), 0);
    EXPECT_TRUE(CreateFolderForEveryone(folder));
    EXPECT_EQ(modeOf(folder), mode_t(0755));
}

TEST(CreateFolderForEveryone, failsWithoutParentOrOverAFile)
{
    QTemporaryDir tmp;
    EXPECT_FALSE(CreateFolderForEveryone(tmp.filePath(QStringLiteral("missing/child"))));
    EXPECT_FALSE(QFileInfo::exists(tmp.filePath(QStringLiteral("missing"))));
    writeFile(tmp.filePath(QStringLiteral("file")), "x");
    EXPECT_FALSE(CreateFolderForEveryone(tmp.filePath(QStringLiteral("file"))));
}

class DeleteFolderTreeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(m_tmp.path()).mkpath(QStringLiteral("outside/keep")));
        writeFile(path("outside/keep/precious.txt"), "keep me");
        ::chmod(QFile::encodeName(path("outside/keep/precious.txt")).constData(), 0444);
        ::chmod(QFile::encodeName(path("outside/keep")).constData(), 0555);
        ASSERT_TRUE(QDir(m_tmp.path()).mkpath(QStringLiteral("tree/sub/deeper")));
        ASSERT_TRUE(QDir(m_tmp.path()).mkpath(QStringLiteral("tree/empty/emptier")));
        writeFile(path("tree/a.txt"), "a", QFile::ReadOwner);
        writeFile(path("tree/sub/deeper/b.txt"), "b", QFile::ReadOwner | QFile::ReadGroup);
        ASSERT_EQ(::symlink(QFile::encodeName(path("outside")).constData(),
                            QFile::encodeName(path("tree/sub/link-to-outside")).constData()),
                  0);
        ASSERT_EQ(::symlink(QFile::encodeName(path("outside/keep/precious.txt")).constData(),
                            QFile::encodeName(path("tree/file-link")).constData()),
                  0);
        // Read-only folders: their entries can only go once they are writable.
        ::chmod(QFile::encodeName(path("tree/sub/deeper")).constData(), 0555);
        ::chmod(QFile::encodeName(path("tree/sub")).constData(), 0555);
    }

    void TearDown() override
    {
        // Writable again, so the temporary folder can be cleaned up.
        for (const char *folder : {"outside/keep", "tree/sub", "tree/sub/deeper"})
            ::chmod(QFile::encodeName(path(folder)).constData(), 0755);
    }

    QString path(const char *relative) const { return m_tmp.filePath(QString::fromLatin1(relative)); }

    QTemporaryDir m_tmp;
};

TEST_F(DeleteFolderTreeTest, removesReadOnlyEntriesAndLeavesLinkTargetsAlone)
{
    EXPECT_TRUE(DeleteFolderTree(path("tree") + QLatin1Char('/'), false));
    EXPECT_FALSE(QFileInfo::exists(path("tree")));
    EXPECT_TRUE(QFileInfo::exists(path("outside/keep/precious.txt")));
    QFile f(path("outside/keep/precious.txt"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("keep me"));
    // Read-only outside the tree stays read-only: nothing was changed through a link.
    EXPECT_EQ(modeOf(path("outside/keep")), mode_t(0555));
    EXPECT_EQ(modeOf(path("outside/keep/precious.txt")), mode_t(0444));
}

TEST_F(DeleteFolderTreeTest, keepingFilesReportsTheFolderAsNotRemoved)
{
    EXPECT_FALSE(DeleteFolderTree(path("tree"), true));
    EXPECT_TRUE(QFileInfo::exists(path("tree/a.txt")));
    EXPECT_TRUE(QFileInfo::exists(path("tree/sub/deeper/b.txt")));
    EXPECT_TRUE(QFileInfo(path("tree/sub/link-to-outside")).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(path("tree/empty"))); // held no file
    EXPECT_TRUE(QFileInfo::exists(path("outside/keep/precious.txt")));
}

TEST_F(DeleteFolderTreeTest, keepingFilesRemovesATreeOfEmptyFolders)
{
    EXPECT_TRUE(DeleteFolderTree(path("tree/empty"), true));
    EXPECT_FALSE(QFileInfo::exists(path("tree/empty")));
}

TEST_F(DeleteFolderTreeTest, aLinkGivenAsTheFolderIsRemovedItself)
{
    ASSERT_EQ(::symlink(QFile::encodeName(path("outside")).constData(), QFile::encodeName(path("alias")).constData()),
              0);
    EXPECT_TRUE(DeleteFolderTree(path("alias"), false));
    EXPECT_FALSE(QFileInfo(path("alias")).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(path("outside/keep/precious.txt")));
}

TEST_F(DeleteFolderTreeTest, reportsMissingFolderAsGoneAndRefusesAFile)
{
    EXPECT_TRUE(DeleteFolderTree(path("no-such-folder"), false));
    EXPECT_FALSE(DeleteFolderTree(path("outside/keep/precious.txt"), false));
    EXPECT_TRUE(QFileInfo::exists(path("outside/keep/precious.txt")));
}

TEST_F(DeleteFolderTreeTest, reportsFailureWhenTheFolderCannotBeRemoved)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser may remove entries from read-only folders";
    ASSERT_TRUE(QDir(m_tmp.path()).mkpath(QStringLiteral("locked/inner")));
    writeFile(path("locked/inner/c.txt"), "c");
    ::chmod(QFile::encodeName(path("locked")).constData(), 0555); // parent of the tree: not ours to change
    EXPECT_FALSE(DeleteFolderTree(path("locked/inner"), false));
    EXPECT_TRUE(QFileInfo::exists(path("locked/inner")));
    ::chmod(QFile::encodeName(path("locked")).constData(), 0755);
}

// ---- Mount points ---------------------------------------------------------------------

const char kMountTable[] = "proc /proc proc rw,relatime 0 0\n"
                           "sysfs /sys sysfs rw,relatime 0 0\n"
                           "/dev/sda2 / ext4 rw,relatime 0 0\n"
                           "/dev/sda1 /boot/efi vfat rw 0 0\n"
                           "/dev/sda3 /home ext4 rw 0 0\n"
                           "tmpfs /tmp tmpfs rw 0 0\n"
                           "/dev/sdb1 /media/usb\\040stick vfat rw 0 0\n"
                           "/dev/sdc1 /mnt/backup\\040disk ntfs3 rw 0 0\n"
                           "/dev/sr0 /media/cdrom iso9660 ro 0 0\n"
                           "server:/export /mnt/nfs nfs4 rw 0 0\n"
                           "//srv/share /mnt/smb cifs rw 0 0\n"
                           "user@host: /mnt/ssh fuse.sshfs rw 0 0\n"
                           "/dev/sda3 /etc/hosts ext4 rw 0 0\n"
                           "overlay /var/lib/docker/overlay2/x/merged overlay rw 0 0\n"
                           "/dev/sdd1 /run/media/user/DISK ext4 rw 0 0\n"
                           "/dev/sde1 /mnt/hidden ext4 rw 0 0\n"
                           "server:/other /mnt/hidden nfs rw 0 0\n";

TDriveProbe fakeProbe()
{
    return {[](const QString &device) { return device == QLatin1String("/dev/sdb1"); },
            [](const QString &mountPoint) { return mountPoint != QLatin1String("/etc/hosts"); }};
}

struct DriveCase {
    quint8 kinds;
    QStringList expected;
};

void PrintTo(const DriveCase &c, std::ostream *os)
{
    *os << "kinds " << int(c.kinds);
}

class DrivesFromMountTableTest : public ::testing::TestWithParam<DriveCase> {};

TEST_P(DrivesFromMountTableTest, picksTheKindsAskedForInOrder)
{
    EXPECT_EQ(DrivesFromMountTable(QString::fromLatin1(kMountTable), GetParam().kinds, fakeProbe()),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DrivesFromMountTableTest,
    ::testing::Values(
        DriveCase{0, {}},
        DriveCase{dkFixed, {"/", "/home/", "/mnt/backup disk/", "/run/media/user/DISK/"}},
        DriveCase{dkCdRom, {"/media/cdrom/"}},
        DriveCase{dkRemote, {"/mnt/hidden/", "/mnt/nfs/", "/mnt/smb/", "/mnt/ssh/"}},
        DriveCase{dkFixed | dkCdRom | dkRemote,
                  {"/", "/home/", "/media/cdrom/", "/mnt/backup disk/", "/mnt/hidden/", "/mnt/nfs/", "/mnt/smb/",
                   "/mnt/ssh/", "/run/media/user/DISK/"}}));

TEST(DrivesFromMountTable, countsAnOverlayRootButNoPseudoRoot)
{
    EXPECT_EQ(DrivesFromMountTable(QStringLiteral("overlay / overlay rw 0 0\n"), dkFixed, fakeProbe()),
              QStringList{QStringLiteral("/")});
    EXPECT_TRUE(DrivesFromMountTable(QStringLiteral("rootfs / rootfs rw 0 0\n"), dkFixed, fakeProbe()).isEmpty());
}

TEST(DrivesFromMountTable, keepsAtMostTwentySixSorted)
{
    QString table;
    for (int i = 29; i >= 0; --i)
        table += QStringLiteral("/dev/vd%1 /data/d%2 xfs rw 0 0\n").arg(i).arg(i, 2, 10, QLatin1Char('0'));
    const QStringList drives = DrivesFromMountTable(table, dkFixed, fakeProbe());
    ASSERT_EQ(drives.size(), 26);
    EXPECT_EQ(drives.first(), QStringLiteral("/data/d00/"));
    EXPECT_EQ(drives.last(), QStringLiteral("/data/d25/"));
}

TEST(ListDrives, kindsZeroEmptiesTheList)
{
    DriveList[0] = QStringLiteral("/stale/");
    DriveList[1] = QStringLiteral("/older/");
    DriveCount = 2;
    ListDrives(0);
    EXPECT_EQ(DriveCount, 0);
    for (const QString &entry : DriveList)
        EXPECT_TRUE(entry.isEmpty());
}

TEST(ListDrives, fillsEntriesInFrontAndClearsTheRest)
{
    ListDrives(dkFixed | dkCdRom | dkRemote);
    ASSERT_GE(DriveCount, 0);
    ASSERT_LE(DriveCount, MaxDriveCount);
    for (int i = 0; i < MaxDriveCount; ++i) {
        const QString &entry = DriveList[static_cast<size_t>(i)];
        if (i < DriveCount)
            EXPECT_TRUE(entry.startsWith(QLatin1Char('/')) && entry.endsWith(QLatin1Char('/'))) << i;
        else
            EXPECT_TRUE(entry.isEmpty()) << i;
    }
    ListDrives(0);
}

// ---- Folder browser --------------------------------------------------------------------

TEST(BrowseStartFolder, startsInAnExistingFolderElseTheProgramFolderIfAsked)
{
    ScopedHome home;
    EXPECT_EQ(BrowseStartFolder(home.root(), true), home.root());
    EXPECT_EQ(QDir(BrowseStartFolder(home.root() + QStringLiteral("/gone"), true)).canonicalPath(),
              QDir(home.programFolder()).canonicalPath());
    EXPECT_EQ(QDir(BrowseStartFolder(QString(), true)).canonicalPath(), QDir(home.programFolder()).canonicalPath());
    EXPECT_TRUE(BrowseStartFolder(home.root() + QStringLiteral("/gone"), false).isEmpty());
    writeFile(home.root() + QStringLiteral("/plain.txt"), "x");
    EXPECT_TRUE(BrowseStartFolder(home.root() + QStringLiteral("/plain.txt"), false).isEmpty());
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

TEST(BrowseForFolder, returnsTheChosenFolderAndShowsTheEditOnlyWhenAsked)
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
}

TEST(BrowseForFolder, cancelLeavesTheFolderAlone)
{
    ScopedHome home;
    QString folder = home.root();
    bool editShown = false;
    answerFolderDialog(false, &editShown);
    EXPECT_FALSE(BrowseForFolder(folder, nullptr, QStringLiteral("参照"), false, true));
    EXPECT_EQ(folder, home.root());
}


// ---- Starting programs --------------------------------------------------------------------

struct CommandCase {
    const char *line;
    const char *program;
    QStringList arguments;
};

void PrintTo(const CommandCase &c, std::ostream *os)
{
    *os << c.line;
}

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
                      CommandCase{"/bin/echo hello", "/bin/echo", {"hello"}},
                      CommandCase{"prog", "prog", {}},
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
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\n" + body);
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return p;
    }

    static QString readText(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()).trimmed() : QString();
    }

    static QString canonical(const QString &path) { return QFileInfo(path).canonicalFilePath(); }

    static QString quoted(const QString &path) { return QLatin1Char('"') + path + QLatin1Char('"'); }

    QTemporaryDir m_tmp;
    QString m_dir;
};

// Writes its working folder to the file named by $1, exits with $2.
const QByteArray kPwdScript = "pwd -P > \"$1\"\nexit \"$2\"\n";

TEST_F(RunProcessAndWaitTest, runStartsAQuotedProgramInItsOwnFolder)
{
    const QString prog = script(QStringLiteral("run me.sh"), kPwdScript);
    EXPECT_EQ(RunProcessAndWait(quoted(prog) + QStringLiteral(" pwd.txt 7"), QStringLiteral("  "), false,
                                SW_SHOWNORMAL),
              7u);
    EXPECT_EQ(readText(m_dir + QStringLiteral("/pwd.txt")), canonical(m_dir));
}

TEST_F(RunProcessAndWaitTest, runUsesTheGivenWorkingFolderOnlyWhenItExists)
{
    const QString prog = script(QStringLiteral("run me.sh"), kPwdScript);
    const QString out = m_tmp.filePath(QStringLiteral("out.txt"));
    EXPECT_EQ(RunProcessAndWait(quoted(prog) + QLatin1Char(' ') + quoted(out) + QStringLiteral(" 0"),
                                QLatin1Char(' ') + m_tmp.path() + QLatin1Char(' '), false, SW_SHOWNORMAL),
              0u);
    EXPECT_EQ(readText(out), canonical(m_tmp.path()));
    EXPECT_EQ(RunProcessAndWait(quoted(prog) + QLatin1Char(' ') + quoted(out) + QStringLiteral(" 0"),
                                m_tmp.filePath(QStringLiteral("missing")), false, SW_SHOWNORMAL),
              0u);
    EXPECT_EQ(readText(out), canonical(QDir::currentPath()));
}

TEST_F(RunProcessAndWaitTest, runProcessesEventsWhileWaiting)
{
    const QString prog = script(QStringLiteral("sleeper.sh"), "sleep 0.4\nexit 0\n");
    bool fired = false;
    QTimer::singleShot(50, [&fired] { fired = true; });
    EXPECT_EQ(RunProcessAndWait(quoted(prog), QString(), false, SW_SHOWNORMAL), 0u);
    EXPECT_TRUE(fired);
}

TEST_F(RunProcessAndWaitTest, runWithoutWaitingReturnsZeroAtOnce)
{
    const QString prog = script(QStringLiteral("late.sh"), "sleep 1\necho done > late.txt\nexit 5\n");
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(RunProcessAndWait(quoted(prog), QString(), true, SW_HIDE), 0u);
    EXPECT_LT(t.elapsed(), 900);
    const QString out = m_dir + QStringLiteral("/late.txt");
    EXPECT_TRUE(QTest::qWaitFor([&] { return readText(out) == QLatin1String("done"); }, 5000));
}

TEST_F(RunProcessAndWaitTest, runReportsErrnoStyleCodesWhenNothingStarts)
{
    EXPECT_EQ(RunProcessAndWait(quoted(m_dir + QStringLiteral("/absent.sh")), QString(), false, SW_SHOWNORMAL),
              quint32(seFileNotFound));
    EXPECT_EQ(RunProcessAndWait(QStringLiteral("murven-no-such-program-anywhere"), QString(), false, SW_SHOWNORMAL),
              quint32(seFileNotFound));
    const QString plain = m_dir + QStringLiteral("/plain.sh");
    writeFile(plain, "#!/bin/sh\nexit 0\n", QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(RunProcessAndWait(quoted(plain), QString(), false, SW_SHOWNORMAL), quint32(seAccessDenied));
    EXPECT_EQ(RunProcessAndWait(quoted(m_dir), QString(), false, SW_SHOWNORMAL), quint32(seAccessDenied));
}

TEST_F(RunProcessAndWaitTest, runReportsAKilledProgramAsSignalPlus128)
{
    const QString prog = script(QStringLiteral("crash.sh"), "kill -KILL $$\n");
    EXPECT_EQ(RunProcessAndWait(quoted(prog), QString(), false, SW_SHOWNORMAL), 128u + 9u);
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
        const QByteArray body = "printf '%s\\n' \"$1\" > '" + QFile::encodeName(m_record) + "'\npwd -P >> '" +
                                QFile::encodeName(m_record) + "'\nexit " + QByteArray::number(exitCode) + "\n";
        qputenv("MURVEN_OPENER", QFile::encodeName(script(QStringLiteral("opener.sh"), body)));
    }

    QStringList record() const { return readText(m_record).split(QLatin1Char('\n')); }

    QString m_record;
    QByteArray m_saved;
};

TEST_F(ShellExecuteAndWaitTest, shellRunsAnExecutableDirectlyAndIgnoresItsExitCode)
{
    const QString prog = script(QStringLiteral("tool.sh"), kPwdScript);
    EXPECT_EQ(ShellExecuteAndWait(prog, QStringLiteral("\"where it ran.txt\" 3"), QString(), false, SW_SHOWNORMAL),
              0u);
    EXPECT_EQ(readText(m_dir + QStringLiteral("/where it ran.txt")), canonical(m_dir));
    EXPECT_FALSE(QFileInfo::exists(m_record));
}

TEST_F(ShellExecuteAndWaitTest, shellHandsADocumentToTheOpenerInItsFolder)
{
    const QString doc = m_dir + QStringLiteral("/manual.pdf");
    writeFile(doc, "%PDF-1.4\n", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); // x bit, no program
    EXPECT_EQ(ShellExecuteAndWait(doc, QStringLiteral("ignored"), QString(), false, SW_SHOWNORMAL), 0u);
    EXPECT_EQ(record(), (QStringList{doc, canonical(m_dir)}));
}

TEST_F(ShellExecuteAndWaitTest, shellHandsAUrlToTheOpenerUnchanged)
{
    const QString url = QStringLiteral("http://example.com/update/murven19/?a=1");
    EXPECT_EQ(ShellExecuteAndWait(url, QString(), m_tmp.path(), false, SW_SHOWNORMAL), 0u);
    EXPECT_EQ(record(), (QStringList{url, canonical(m_tmp.path())}));
}

TEST_F(ShellExecuteAndWaitTest, shellReportsOpenerFailureAndMissingFiles)
{
    const QString doc = m_dir + QStringLiteral("/letter.txt");
    writeFile(doc, "x");
    useOpener(4);
    EXPECT_EQ(ShellExecuteAndWait(doc, QString(), QString(), false, SW_SHOWNORMAL), 4u);
    QFile::remove(m_record);
    EXPECT_EQ(ShellExecuteAndWait(doc, QString(), QString(), true, SW_SHOWNORMAL), 0u);
    // The detached opener still runs; let it finish before the folder goes.
    EXPECT_TRUE(QTest::qWaitFor([&] { return record().size() == 2; }, 5000));
    EXPECT_EQ(ShellExecuteAndWait(m_dir + QStringLiteral("/absent.pdf"), QString(), QString(), false, SW_SHOWNORMAL),
              quint32(seFileNotFound));
}

// ---- Operating system -------------------------------------------------------------------------

TEST(GetWindowsEditionName, namesEveryKnownProductTypeAndNothingElse)
{
    const QList<QPair<quint32, const char *>> table{
        {1, "Ultimate"},        {2, "Home Basic"},    {3, "Home Premium"}, {4, "Enterprise"},   {5, "Home Basic N"},
        {6, "Business"},        {11, "Starter"},      {16, "Business N"},  {26, "Home Premium N"},
        {27, "Enterprise N"},   {28, "Ultimate N"},   {47, "Starter N"},   {48, "Professional"},
        {49, "Professional N"},
    };
    for (quint32 type = 0; type <= 64; ++type) {
        QString expected;
        for (const auto &row : table)
            if (row.first == type)
                expected = QString::fromLatin1(row.second);
        EXPECT_EQ(GetWindowsEditionName(type), expected) << type;
    }
}

} // namespace
