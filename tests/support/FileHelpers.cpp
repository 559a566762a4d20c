#include "support/FileHelpers.h"

#include <QFile>

#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

::testing::AssertionResult sameBytes(const QByteArray &expected, const QByteArray &actual)
{
    if (expected == actual)
        return ::testing::AssertionSuccess();
    qsizetype i = 0;
    while (i < expected.size() && i < actual.size() && expected[i] == actual[i])
        ++i;
    auto at = [](const QByteArray &b, qsizetype n) {
        return n < b.size() ? b.mid(n, 16).toHex(' ') : QByteArray("end");
    };
    return ::testing::AssertionFailure() << "first difference at byte " << i << ": expected "
                                         << at(expected, i).constData() << ", got " << at(actual, i).constData();
}

void ageFile(const QString &path, int seconds)
{
    const std::time_t then = std::time(nullptr) - seconds;
    const struct timespec times[2] = {{then, 0}, {then, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW), 0)
        << path.toStdString();
}

int fileMode(const QString &path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 07777);
}

ScopedFullDisk::ScopedFullDisk(qint64 bytes)
{
    // The signal a write past the limit sends would end the test program.
    m_signal = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit {};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    m_soft = limit.rlim_cur;
    limit.rlim_cur = rlim_t(bytes);
    EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
}

ScopedFullDisk::~ScopedFullDisk()
{
    struct rlimit limit {};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(m_soft);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, m_signal);
}
