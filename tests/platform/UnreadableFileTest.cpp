#include "platform/UnreadableFile.h"

#include "support/FileHelpers.h"
#include "support/TestEnvironment.h"
#include "support/UnreadableNotices.h"

#include <QDir>
#include <QFileInfo>

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
