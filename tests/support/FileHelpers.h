#pragma once

#include <QByteArray>
#include <QString>

#include <gtest/gtest.h>

// Small file helpers for tests of stored formats.

// The file's bytes, or "<missing>" when it cannot be read.
QByteArray fileBytes(const QString &path);
// Writes bytes to a file, replacing it; fails the test when it cannot.
void writeBytes(const QString &path, const QByteArray &bytes);
// Equality of two stored forms; a failure names the first differing byte and
// shows the bytes from there on.
::testing::AssertionResult sameBytes(const QByteArray &expected, const QByteArray &actual);
// Sets the file's modification time the given number of seconds back, as a
// file left by an earlier run would have it.
void ageFile(const QString &path, int seconds);
// The access bits (mode & 07777) of a path, not following a final link; -1
// when it cannot be examined.
int fileMode(const QString &path);

// A disk that fills: while it lives, no file this process writes grows past
// `bytes` (a write beyond fails as on a full disk, ENOSPC's kin EFBIG), so a
// run fails part-way through its file. The limit is lifted at the end.
class ScopedFullDisk
{
public:
    explicit ScopedFullDisk(qint64 bytes);
    ~ScopedFullDisk();
    ScopedFullDisk(const ScopedFullDisk &) = delete;
    ScopedFullDisk &operator=(const ScopedFullDisk &) = delete;

private:
    unsigned long long m_soft = 0;
    void (*m_signal)(int) = nullptr;
};
