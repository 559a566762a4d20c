#include "support/FileHelpers.h"
#include "support/RowName.h"
#include "util/SubUnit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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
                         ::testing::Values(RoundCase{"-2.5", -2.5L, -3},
                                           // In double precision this sum would round up to 1.0.
                                           RoundCase{"0.49999999999999994", 0.49999999999999994L, 0},
                                           RoundCase{"-1e30", -1e30L, std::numeric_limits<qint64>::min()},
                                           RoundCase{"NaN", std::nanl(""), 0}));

struct ScaleCase { int value; bool toScreen; int dpi; int expected; };

class ScaleForDpiTest : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(ScaleForDpiTest, roundsHalvesAwayFromZeroAndKeepsValuesAtTheDesignBase)
{
    EXPECT_EQ(ScaleForDpi(GetParam().value, GetParam().toScreen, GetParam().dpi), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ScaleForDpiTest,
    ::testing::Values(ScaleCase{100, true, 144, 150},
                      // 96 dpi is the identity for negative values too: a window left of the screen stays put.
                      ScaleCase{-7, true, 96, -7},
                      // Halves go away from zero on both sides: +-5 * 1.5 = +-7.5.
                      ScaleCase{5, true, 144, 8}, ScaleCase{-5, true, 144, -8}, ScaleCase{-15, false, 144, -10},
                      // Beyond int the result stops at its limits.
                      ScaleCase{-2147483647 - 1, false, 96, -2147483647 - 1},
                      ScaleCase{2000000000, true, 144, 2147483647},
                      ScaleCase{100, false, 0, 100})); // no dpi known: the design base

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
        CenterCase{"nearBottomRight", {200, 100}, true, {900, 700, 300, 200}, kArea, {824, 668}},
        // The low clamp is to the work area's edge, not to 0.
        CenterCase{"beyondLeftPanel", {200, 100}, true, {0, 0, 100, 100}, kPanelArea, {60, 30}},
        CenterCase{"noOwner", {200, 100}, false, {}, kPanelArea, {442, 349}}),
    rowName);

// ---- Folders, drives and programs -------------------------------------------------------

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
    setMode(shared, 0755); // the tests' mask keeps folders private
    EXPECT_TRUE(CreateFolderForEveryone(shared));
    EXPECT_EQ(modeOf(shared), mode_t(0755));
    // No parent: nothing is made.
    EXPECT_FALSE(CreateFolderForEveryone(tmp.filePath(QStringLiteral("missing/child"))));
    EXPECT_FALSE(QFileInfo::exists(tmp.filePath(QStringLiteral("missing"))));
}

TEST(DeleteFolderTree, removesReadOnlyEntriesAndLeavesLinkTargetsAlone)
{
    QTemporaryDir tmp;
    const auto path = [&](const char *relative) { return tmp.filePath(QString::fromLatin1(relative)); };
    ASSERT_TRUE(QDir().mkpath(path("tree/sub")) && QDir().mkpath(path("outside")));
    writeBytes(path("outside/precious.txt"), "keep me");
    writeBytes(path("tree/sub/b.txt"), "b");
    ASSERT_EQ(::symlink(QFile::encodeName(path("outside")).data(), QFile::encodeName(path("tree/link")).data()), 0);
    // A read-only file in a read-only folder can only go once the folder is writable.
    for (const char *entry : {"outside/precious.txt", "tree/sub/b.txt", "outside", "tree/sub"})
        setMode(path(entry), 0555);
    EXPECT_TRUE(DeleteFolderTree(path("tree") + QLatin1Char('/'), false));
    EXPECT_FALSE(QFileInfo::exists(path("tree")));
    EXPECT_EQ(fileBytes(path("outside/precious.txt")), QByteArray("keep me"));
    EXPECT_EQ(modeOf(path("outside")), mode_t(0555)); // nothing was changed through the link
    setMode(path("outside"), 0755);
}

// The last mount of /mnt/hidden is the visible one; /dev/sdb1 is removable; /etc/hosts is a file.
const char kMountTable[] = "proc /proc proc rw 0 0\n/dev/sda2 / ext4 rw 0 0\n/dev/sdb1 /media/usb vfat rw 0 0\n"
                           "/dev/sdc1 /mnt/backup\\040disk ntfs3 rw 0 0\n/dev/sr0 /media/cdrom iso9660 ro 0 0\n"
                           "/dev/sda3 /etc/hosts ext4 rw 0 0\n/dev/sde1 /mnt/hidden ext4 rw 0 0\n"
                           "server:/x /mnt/hidden nfs rw 0 0\n";

const TDriveProbe kProbe{[](const QString &device) { return device == QLatin1String("/dev/sdb1"); },
                         [](const QString &mountPoint) { return mountPoint != QLatin1String("/etc/hosts"); }};

TEST(DrivesFromMountTable, picksTheKindsAskedForSortedAndKeepsAtMostTwentySix)
{
    const QString table = QString::fromLatin1(kMountTable);
    EXPECT_EQ(DrivesFromMountTable(table, dkFixed, kProbe), (QStringList{"/", "/mnt/backup disk/"}));
    EXPECT_EQ(DrivesFromMountTable(table, dkCdRom | dkRemote, kProbe),
              (QStringList{"/media/cdrom/", "/mnt/hidden/"}));
    QString many;
    for (int i = 29; i >= 0; --i)
        many += QStringLiteral("/dev/vd%1 /data/d%2 xfs rw 0 0\n").arg(i).arg(i, 2, 10, QLatin1Char('0'));
    EXPECT_EQ(DrivesFromMountTable(many, dkFixed, kProbe).last(), QStringLiteral("/data/d25/"));
}

TEST(RunProcessAndWait, runsAQuotedProgramInItsOwnFolderAndReportsItsExitCodeOrWhyNothingRan)
{
    QTemporaryDir tmp;
    const QString dir = tmp.filePath(QStringLiteral("dir with blank")), prog = dir + QStringLiteral("/run me.sh");
    ASSERT_TRUE(QDir().mkpath(dir));
    writeBytes(prog, "#!/bin/sh\npwd -P > \"$1\"\nexit \"$2\"\n");
    QFile::setPermissions(prog, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const auto run = [](const QString &line) { return RunProcessAndWait(line, QString(), false, SW_SHOWNORMAL); };
    const QChar q(u'"');
    EXPECT_EQ(run(q + prog + q + QStringLiteral(" pwd.txt 7")), 7u);
    EXPECT_EQ(fileBytes(dir + QStringLiteral("/pwd.txt")).trimmed(),
              QFile::encodeName(QFileInfo(dir).canonicalFilePath()));
    EXPECT_EQ(run(q + dir + QStringLiteral("/absent.sh") + q), quint32(seFileNotFound));
    EXPECT_EQ(run(q + dir + q), quint32(seAccessDenied));
}

} // namespace
