#include "platform/UnreadableFile.h"

#include "support/FileHelpers.h"
#include "support/TestEnvironment.h"
#include "support/UnreadableNotices.h"

#include <QDir>
#include <QFileInfo>

#include <ostream>

#include <gtest/gtest.h>

namespace {

class UnreadableFile : public ::testing::Test
{
protected:
    QString path() const { return home.root() + QStringLiteral("/Search.ptn"); }
    ScopedHome home;
    RecordedUnreadableNotices notices;
};

TEST_F(UnreadableFile, aMissingFileOrAFolderInItsPlaceIsLeftAloneAndNotTold)
{
    EXPECT_TRUE(KeepUnreadableFileAside(path(), QStringLiteral("damaged")).isEmpty());
    ASSERT_TRUE(QDir().mkpath(path()));
    EXPECT_TRUE(KeepUnreadableFileAside(path(), QStringLiteral("damaged")).isEmpty());
    EXPECT_TRUE(QFileInfo(path()).isDir());
    EXPECT_TRUE(keptAsideCopies(path()).isEmpty());
    EXPECT_TRUE(notices.told().isEmpty());
}

// A file damaged again in the same run (and the same second) gets a copy of
// its own; no copy is ever written over, and the user is told once.
TEST_F(UnreadableFile, eachDamagedCopyKeepsItsOwnNameAndTheUserIsToldOnce)
{
    writeBytes(path(), "first");
    const QString first = KeepUnreadableFileAside(path(), QStringLiteral("damaged"));
    writeBytes(path(), "second");
    const QString second = KeepUnreadableFileAside(path(), QStringLiteral("damaged"));
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(second.isEmpty());
    EXPECT_NE(first, second);
    EXPECT_TRUE(first.startsWith(path() + QStringLiteral(".unreadable-")));
    EXPECT_EQ(fileBytes(first), "first");
    EXPECT_EQ(fileBytes(second), "second");
    EXPECT_FALSE(QFileInfo::exists(path()));
    ASSERT_EQ(notices.told().size(), 1);
    EXPECT_EQ(notices.told()[0].file, path());
    EXPECT_EQ(notices.told()[0].keptAs, first);
}

// A link lying where a copy would go is not followed or replaced: the copy
// takes the next free name.
TEST_F(UnreadableFile, aLinkInTheCopysPlaceIsNeverTakenOver)
{
    writeBytes(path(), "damaged");
    const QString taken = KeepUnreadableFileAside(path(), QStringLiteral("damaged"));
    ASSERT_FALSE(taken.isEmpty());
    ASSERT_TRUE(QFile::rename(taken, home.root() + QStringLiteral("/elsewhere")));
    ASSERT_TRUE(QFile::link(home.root() + QStringLiteral("/missing-target"), taken)); // a dangling link
    writeBytes(path(), "again");
    const QString next = KeepUnreadableFileAside(path(), QStringLiteral("damaged"));
    ASSERT_FALSE(next.isEmpty());
    EXPECT_TRUE(QFileInfo(taken).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(home.root() + QStringLiteral("/missing-target")));
    EXPECT_EQ(fileBytes(next), "again");
}

} // namespace

namespace {

struct OtherFilesCopy {
    const char *name;
    const char *file;  // the damaged file met now
    const char *other; // the file an earlier copy was kept of
};
void PrintTo(const OtherFilesCopy &c, std::ostream *os) { *os << c.name; }

class EarlierDamagedCopy : public ::testing::TestWithParam<OtherFilesCopy>
{
protected:
    ScopedHome home;
};

} // namespace

// Damage met again is named by the copy an earlier run kept of it, never by
// the copy of another file that happens to hold the same bytes: a name the
// same but for letter case, or one a bracket of this name would match as a
// pattern. The user who mends that file and deletes its copy would lose the
// only copy of this one.
TEST_P(EarlierDamagedCopy, aCopyOfAnotherFileWithTheSameBytesIsNotTaken)
{
    const QByteArray bytes("[Sort]\n1=damaged\n");
    const QString other = home.root() + QLatin1Char('/') + QString::fromUtf8(GetParam().other);
    const QString otherCopy = other + QStringLiteral(".damaged-20240101-000000");
    writeBytes(otherCopy, bytes);
    const QString file = home.root() + QLatin1Char('/') + QString::fromUtf8(GetParam().file);
    writeBytes(file, bytes);
    const TDamagedEntriesNotice previous = SetDamagedEntriesNotice({});
    const QString keptAs = KeepDamagedFileCopy(file, bytes, {QStringLiteral("Sort")});
    (void)SetDamagedEntriesNotice(previous);
    EXPECT_NE(keptAs.toStdString(), otherCopy.toStdString());
    EXPECT_TRUE(QFileInfo(keptAs).fileName().startsWith(QFileInfo(file).fileName() + QStringLiteral(".damaged-")))
        << keptAs.toStdString();
    EXPECT_TRUE(sameBytes(bytes, fileBytes(keptAs)));
}

INSTANTIATE_TEST_SUITE_P(
    Table, EarlierDamagedCopy,
    ::testing::Values(OtherFilesCopy{"letterCase", "adrs.ini", "Adrs.ini"},
                      OtherFilesCopy{"bracketPattern", "Book[12].ini", "Book1.ini"}),
    [](const ::testing::TestParamInfo<OtherFilesCopy> &info) { return std::string(info.param.name); });
