#include "platform/UnreadableFile.h"

#include "platform/OncePerFile.h"
#include "platform/SafeFile.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

#include <atomic>
#include <optional>
#include <utility>

namespace {

TOncePerFileNotice<TUnreadableFileNotice> g_notice;
std::atomic<bool> g_moveRefused{false};

void tellUnreadable(const QString &fileName, const QString &keptAs, const QString &reason)
{
    const std::optional<TUnreadableFileNotice> notice = g_notice.First(fileName);
    if (!notice)
        return;
    qWarning("murven19: file %s could not be read (%s); %s", qPrintable(fileName), qPrintable(reason),
             keptAs.isEmpty() ? "it could not be moved aside and is left untouched"
                              : qPrintable(QStringLiteral("kept as ") + keptAs));
    if (*notice)
        AfterFileLocks([tell = *notice, fileName, keptAs, reason] { tell(fileName, keptAs, reason); });
}

// A name beside the file with the date and time that nothing has yet.
QString freeNameBeside(const QString &fileName, const QString &kind)
{
    const QString base = fileName + kind + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 1; n < 1000; ++n) {
        const QString target = n == 1 ? base : base + QStringLiteral("-%1").arg(n);
        if (!QFileInfo::exists(target) && !QFileInfo(target).isSymLink())
            return target;
    }
    return QString();
}

// Renames the file beside itself with the date and time; the new name, or
// empty when it could not be moved. An existing name (or a dangling link) is
// never taken over.
QString renameAside(const QString &fileName)
{
    if (g_moveRefused)
        return QString();
    const QString target = freeNameBeside(fileName, QStringLiteral(".unreadable-"));
    return !target.isEmpty() && QFile::rename(fileName, target) ? target : QString();
}

// A copy of these very bytes an earlier run kept beside the file: damage
// nobody has mended yet is met at every start, and one copy of it is enough.
QString earlierCopyOf(const QString &fileName, const QByteArray &bytes)
{
    const QFileInfo info(fileName);
    const QString prefix = info.fileName() + QStringLiteral(".damaged-");
    // No name pattern: one takes letters of either case and reads brackets
    // in the name as a class. Only a copy of this very name is this file's.
    const QFileInfoList copies = info.dir().entryInfoList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QFileInfo &copy : copies) {
        if (!copy.fileName().startsWith(prefix, Qt::CaseSensitive) || copy.size() != bytes.size() ||
            copy.isSymLink())
            continue;
        QFile file(copy.filePath());
        if (file.open(QIODevice::ReadOnly) && file.readAll() == bytes)
            return copy.filePath();
    }
    return QString();
}

// The damaged files met in this run: the file and a digest of the bytes
// read, with the copy kept of them (empty when none could be made).
QMutex g_damagedMutex;
QHash<QString, QString> g_damagedCopies;
TDamagedEntriesNotice g_damagedNotice;

} // namespace

TUnreadableFileNotice SetUnreadableFileNotice(TUnreadableFileNotice notice)
{
    return g_notice.Set(std::move(notice));
}

QString KeepUnreadableFileAside(const QString &fileName, const QString &reason)
{
    if (!QFileInfo(fileName).isFile())
        return QString();
    const QString keptAs = renameAside(fileName);
    tellUnreadable(fileName, keptAs, reason);
    return keptAs;
}

void UnreadableFile::setMoveRefused(bool refused) { g_moveRefused = refused; }

TDamagedEntriesNotice SetDamagedEntriesNotice(TDamagedEntriesNotice notice)
{
    QMutexLocker lock(&g_damagedMutex);
    std::swap(g_damagedNotice, notice);
    g_damagedCopies.clear();
    return notice;
}

QString KeepDamagedFileCopy(const QString &fileName, const QByteArray &bytes, const QStringList &entries)
{
    const QString key = QFileInfo(fileName).absoluteFilePath() + QLatin1Char('\n') +
                        QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    TDamagedEntriesNotice notice;
    QString keptAs;
    {
        QMutexLocker lock(&g_damagedMutex);
        const auto known = g_damagedCopies.constFind(key);
        if (known != g_damagedCopies.cend() && (known->isEmpty() || QFileInfo::exists(*known)))
            return *known;
        // The bytes as read, not the file once more: what the reader left
        // out is exactly what the copy must hold.
        keptAs = g_moveRefused ? QString() : earlierCopyOf(fileName, bytes);
        const QString target =
            g_moveRefused || !keptAs.isEmpty() ? QString() : freeNameBeside(fileName, QStringLiteral(".damaged-"));
        if (!target.isEmpty() && SafeReplaceFile(target, bytes))
            keptAs = target;
        g_damagedCopies.insert(key, keptAs);
        notice = g_damagedNotice;
    }
    qWarning("murven19: file %s has damaged entries (%s); %s", qPrintable(fileName),
             qPrintable(entries.join(QStringLiteral(", "))),
             keptAs.isEmpty() ? "no copy could be kept, it is not written over"
                              : qPrintable(QStringLiteral("a copy is kept as ") + keptAs));
    if (notice)
        AfterFileLocks([notice, fileName, keptAs, entries] { notice(fileName, keptAs, entries); });
    return keptAs;
}
