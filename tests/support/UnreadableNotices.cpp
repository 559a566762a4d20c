#include "support/UnreadableNotices.h"

#include "support/FileHelpers.h"

#include <QDir>
#include <QFile>
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

namespace {

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

} // namespace

::testing::AssertionResult garbageIsReadOrKeptWhole(const QString &file, const QByteArray &valid, quint32 seed,
                                                    const std::function<bool()> &read)
{
    constexpr int Rounds = 300;
    QRandomGenerator random(seed);
    for (int round = 0; round < Rounds; ++round) {
        const QByteArray bytes = damagedBytes(random, valid, round);
        writeBytes(file, bytes);
        const bool defaults = read();
        const QStringList copies = keptAsideCopies(file);
        if (copies.isEmpty()) {
            if (!sameBytes(bytes, fileBytes(file)))
                return ::testing::AssertionFailure() << "round " << round << ": a readable file was changed";
            continue;
        }
        if (copies.size() != 1 || !sameBytes(bytes, fileBytes(copies[0])))
            return ::testing::AssertionFailure() << "round " << round << ": the damaged file was not kept whole";
        if (QFileInfo::exists(file))
            return ::testing::AssertionFailure() << "round " << round << ": something was written in its place";
        if (!defaults)
            return ::testing::AssertionFailure() << "round " << round << ": the reader took part of a damaged file";
        if (!QFile::remove(copies[0]))
            return ::testing::AssertionFailure() << "round " << round << ": the copy could not be removed";
    }
    return ::testing::AssertionSuccess();
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
