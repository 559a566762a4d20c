#include "support/UnreadableNotices.h"

#include "support/FileHelpers.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

RecordedUnreadableNotices::RecordedUnreadableNotices()
{
    m_previous = SetUnreadableFileNotice(
        [this](const QString &file, const QString &keptAs, const QString &) { m_told.append({file, keptAs}); });
}

RecordedUnreadableNotices::~RecordedUnreadableNotices() { SetUnreadableFileNotice(m_previous); }

QStringList keptAsideCopies(const QString &path)
{
    const QFileInfo info(path);
    const QDir folder = info.absoluteDir();
    QStringList copies;
    for (const QString &name : folder.entryList({info.fileName() + QStringLiteral(".unreadable-*")}, QDir::Files))
        copies << folder.filePath(name);
    return copies;
}

QByteArray damagedBytes(QRandomGenerator &random, const QByteArray &valid, int round)
{
    QByteArray bytes;
    if (round % 3 == 0) {
        bytes.resize(random.bounded(0, 400));
        for (char &c : bytes)
            c = char(random.bounded(256));
        return bytes;
    }
    bytes = valid.left(random.bounded(int(valid.size()) + 1));
    for (int flips = random.bounded(4); flips > 0 && !bytes.isEmpty(); --flips)
        bytes[random.bounded(int(bytes.size()))] = char(random.bounded(256));
    return bytes;
}

::testing::AssertionResult keptAsideAndNamed(const QString &file, const QByteArray &bytes, const QString &boxText,
                                             QString *copy)
{
    const QStringList copies = keptAsideCopies(file);
    if (copies.size() != 1)
        return ::testing::AssertionFailure() << copies.size() << " copies of " << qPrintable(file) << " kept aside";
    if (copy)
        *copy = copies[0];
    const ::testing::AssertionResult same = sameBytes(bytes, fileBytes(copies[0]));
    if (!same)
        return ::testing::AssertionFailure() << "the copy differs: " << same.message();
    for (const QString &path : {file, copies[0]}) {
        if (!boxText.contains(QDir::toNativeSeparators(path)))
            return ::testing::AssertionFailure() << "the box does not name " << qPrintable(path) << ": "
                                                 << qPrintable(boxText);
    }
    return ::testing::AssertionSuccess();
}
