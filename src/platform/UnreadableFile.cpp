#include "platform/UnreadableFile.h"

#include "platform/OncePerFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

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
        (*notice)(fileName, keptAs, reason);
}

// Renames the file beside itself with the date and time; the new name, or
// empty when it could not be moved. An existing name (or a dangling link) is
// never taken over.
QString renameAside(const QString &fileName)
{
    if (g_moveRefused)
        return QString();
    const QString base = fileName + QStringLiteral(".unreadable-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 1; n < 1000; ++n) {
        const QString target = n == 1 ? base : base + QStringLiteral("-%1").arg(n);
        if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
            continue;
        return QFile::rename(fileName, target) ? target : QString();
    }
    return QString();
}

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
