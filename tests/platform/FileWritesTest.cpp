#include "platform/FileWrites.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

bool writeFile(const QString &Path, const QByteArray &Bytes, QIODevice::OpenMode Mode = QIODevice::WriteOnly)
{
    QFile file(Path);
    return file.open(Mode) && file.write(Bytes) == Bytes.size();
}

} // namespace

// Every write to the file is noticed once, by whichever handle it comes;
// reading it is no write. A file replaced under its name is no longer the
// one watched: every question from then on answers "written".
TEST(FileWrites, aWriteIsNoticedOnceAndAReplacedFileAlways)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Adrs.DB"));
    ASSERT_TRUE(writeFile(path, "first"));
    TFileWrites writes(path);
    if (!writes.Watched())
        GTEST_SKIP() << "the temporary folder is not on a watched file system";
    EXPECT_FALSE(writes.WrittenSince());
    ASSERT_TRUE(writeFile(path, " more", QIODevice::Append));
    EXPECT_TRUE(writes.WrittenSince());
    EXPECT_FALSE(writes.WrittenSince());
    QFile reader(path);
    ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
    EXPECT_EQ(reader.readAll(), QByteArray("first more"));
    EXPECT_FALSE(writes.WrittenSince());
    const QString other = dir.filePath(QStringLiteral("new.DB"));
    ASSERT_TRUE(writeFile(other, "other"));
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::rename(other, path));
    EXPECT_TRUE(writes.WrittenSince());
    EXPECT_FALSE(writes.Watched());
    EXPECT_TRUE(writes.WrittenSince());
}
