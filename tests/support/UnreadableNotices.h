#pragma once

#include "platform/UnreadableFile.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>

// Records what the program would tell the user about files it cannot read,
// in place of the message box, for the recorder's lifetime; the notice before
// it comes back at the end. Files told about before it are forgotten, so each
// test sees its own notices.
class RecordedUnreadableNotices
{
public:
    struct Told {
        QString file;
        QString keptAs;
    };

    RecordedUnreadableNotices();
    ~RecordedUnreadableNotices();
    RecordedUnreadableNotices(const RecordedUnreadableNotices &) = delete;
    RecordedUnreadableNotices &operator=(const RecordedUnreadableNotices &) = delete;

    [[nodiscard]] const QList<Told> &told() const { return m_told; }
    void clear() { m_told.clear(); }

private:
    QList<Told> m_told;
    TUnreadableFileNotice m_previous;
};

// No file can be moved aside while it lives, as in a folder the user may not
// change (which the superuser running the tests could change all the same).
class RefusedMovesAside
{
public:
    RefusedMovesAside() { UnreadableFile::setMoveRefused(true); }
    ~RefusedMovesAside() { UnreadableFile::setMoveRefused(false); }
    RefusedMovesAside(const RefusedMovesAside &) = delete;
    RefusedMovesAside &operator=(const RefusedMovesAside &) = delete;
};

// The copies of the file kept aside: full paths of the files beside it named
// "<name>.unreadable-*".
[[nodiscard]] QStringList keptAsideCopies(const QString &path);

// A reader's garbage test: rounds of bytes a damaged file might hold (every
// third round random bytes of random length, else a random prefix of the
// valid file with a few bytes changed, which may still be valid) are written
// to the file and read through `read`, which answers whether the reader went
// on with its defaults. Holds when every round ends either with the file
// untouched where it is, or with the whole file kept aside byte for byte and
// the defaults used. A crash ends the test program, so it shows too.
[[nodiscard]] ::testing::AssertionResult garbageIsReadOrKeptWhole(const QString &file, const QByteArray &valid,
                                                                 quint32 seed, const std::function<bool()> &read);

// What a window test checks once a damaged file was met: exactly one copy of
// the file is kept aside, holding the damaged bytes; the box the user was
// shown (its text) names the file and the copy. *copy gets the copy's path.
[[nodiscard]] ::testing::AssertionResult keptAsideAndNamed(const QString &file, const QByteArray &bytes,
                                                          const QString &boxText, QString *copy = nullptr);
