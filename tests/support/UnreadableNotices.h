#pragma once

#include "platform/UnreadableFile.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

class QRandomGenerator;

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

// The copies of the file kept aside: full paths of the files beside it named
// "<name>.unreadable-*".
[[nodiscard]] QStringList keptAsideCopies(const QString &path);

// Bytes a damaged file might hold, for rounds of a reader's garbage test:
// every third round random bytes of random length, else a random prefix of
// the valid file with a few bytes changed (it may still be valid).
[[nodiscard]] QByteArray damagedBytes(QRandomGenerator &random, const QByteArray &valid, int round);

// What a window test checks once a damaged file was met: exactly one copy of
// the file is kept aside, holding the damaged bytes; the box the user was
// shown (its text) names the file and the copy. *copy gets the copy's path.
[[nodiscard]] ::testing::AssertionResult keptAsideAndNamed(const QString &file, const QByteArray &bytes,
                                                          const QString &boxText, QString *copy = nullptr);
