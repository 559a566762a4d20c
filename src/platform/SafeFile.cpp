#include "platform/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

std::function<bool(SafeFile::Step)> &failureHook()
{
    static std::function<bool(SafeFile::Step)> hook;
    return hook;
}

// True when the test seam wants this step to fail; errno is then set as a
// failing device would set it.
bool injectedFailure(SafeFile::Step step)
{
    if (failureHook() && failureHook()(step)) {
        errno = EIO;
        return true;
    }
    return false;
}

constexpr int kTemporarySuffixLength = 8;

// Links followed before a chain counts as a loop (the system's own limit).
constexpr int kMaxLinkHops = 40;

// A temporary nobody holds and nobody has touched for this long belongs to a
// write that died; a younger one may belong to a writer that has just made it.
constexpr int kAbandonedTemporarySeconds = 60;

// The file the replacement really works on: every symbolic link of a chain is
// followed, so that the links themselves survive and the real file gets the
// new bytes. Empty after too many links (a loop).
QFileInfo resolvedTarget(const QString &path)
{
    QFileInfo info(path);
    for (int hop = 0; info.isSymLink(); ++hop) {
        const QString target = info.symLinkTarget();
        if (target.isEmpty() || hop == kMaxLinkHops)
            return QFileInfo();
        info = QFileInfo(target);
    }
    return info;
}

QString temporaryPrefix(const QFileInfo &target)
{
    return QLatin1Char('.') + target.fileName() + QStringLiteral(".new-");
}

// The aside copy of a file: hidden, and a ';' no title may hold before the
// mark, so that no name a user or the program gives can be taken for it.
QString backupPrefix(const QString &fileName)
{
    return QStringLiteral(".$$") + fileName + QLatin1Char(';');
}

// Size and modification time (seconds): a rename keeps both, an edit or a
// file made under that name by anyone else does not match them.
QString backupFileName(const QString &fileName, const struct stat &st)
{
    return backupPrefix(fileName) + QString::number(qint64(st.st_size)) + QLatin1Char('.') +
           QString::number(qint64(st.st_mtim.tv_sec));
}

struct OwnBackup {
    QByteArray path;
    qint64 modified = 0;
    dev_t device = 0;
    ino_t inode = 0;
};

// The aside copies of `fileName` among `entries` of `folder` that carry a
// matching mark, newest first.
QList<OwnBackup> ownBackups(const QDir &folder, const QStringList &entries, const QString &fileName)
{
    QList<OwnBackup> found;
    const QString prefix = backupPrefix(fileName);
    for (const QString &name : entries) {
        if (!name.startsWith(prefix))
            continue;
        const QByteArray path = QFile::encodeName(folder.filePath(name));
        struct stat st {};
        if (::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode) && name == backupFileName(fileName, st))
            found.append({path, qint64(st.st_mtim.tv_sec), st.st_dev, st.st_ino});
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const OwnBackup &a, const OwnBackup &b) { return a.modified > b.modified; });
    return found;
}

QStringList folderEntries(const QDir &folder)
{
    // No name filter: a file name may hold wildcard characters of its own.
    return folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
}

QString randomSuffix()
{
    static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < kTemporarySuffixLength; ++i)
        suffix += QLatin1Char(kAlphabet[QRandomGenerator::global()->bounded(int(sizeof kAlphabet - 1))]);
    return suffix;
}

QString systemError(int code)
{
    return qt_error_string(code);
}

bool fail(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return false;
}

QString describe(const QString &what, const QString &path, int code)
{
    return QStringLiteral("%1 \"%2\": %3").arg(what, QDir::toNativeSeparators(path), systemError(code));
}

bool writeAll(int fd, QByteArrayView bytes)
{
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    if (injectedFailure(SafeFile::Step::WriteTemporary)) {
        // A device that fails half-way leaves a partial temporary behind.
        const ssize_t ignored = ::write(fd, data, size_t(left / 2));
        Q_UNUSED(ignored);
        errno = EIO;
        return false;
    }
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

// Makes the renames in the folder durable; without it a power loss could
// bring back the old directory entry.
bool syncFolder(const QByteArray &folder)
{
    if (injectedFailure(SafeFile::Step::SyncFolder))
        return false;
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// Removes a temporary only when no writer holds it and it has lain untouched
// long enough that a writer that has only just made it cannot be meant.
void removeAbandonedTemporary(const QByteArray &name)
{
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return;
    if (std::time(nullptr) - st.st_mtime < kAbandonedTemporarySeconds)
        return;
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat held {};
    // Still the same file under that name, and no live writer holds it.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 && held.st_ino == st.st_ino &&
        held.st_dev == st.st_dev)
        ::unlink(name.constData());
    ::close(fd);
}

// Hands the attributes of the replaced file to its successor: the access
// list (rights given to other users beside the mode bits) and whatever the
// desktop or the user attached. Best effort: an attribute this process may
// not set (a security label) stays behind.
void copyExtendedAttributes(const QByteArray &from, int to)
{
    ssize_t size = ::listxattr(from.constData(), nullptr, 0);
    if (size <= 0)
        return;
    QByteArray names(size, '\0');
    size = ::listxattr(from.constData(), names.data(), size_t(names.size()));
    if (size <= 0)
        return;
    names.truncate(size);
    for (const QByteArray &name : names.split('\0')) {
        if (name.isEmpty())
            continue;
        const ssize_t length = ::getxattr(from.constData(), name.constData(), nullptr, 0);
        if (length < 0)
            continue;
        QByteArray value(length, '\0');
        const ssize_t got = ::getxattr(from.constData(), name.constData(), value.data(), size_t(value.size()));
        if (got < 0)
            continue;
        (void)::fsetxattr(to, name.constData(), value.constData(), size_t(got), 0);
    }
}

} // namespace

QString SafeReplaceBackupPath(const QString &path)
{
    const QFileInfo target = resolvedTarget(path);
    struct stat st {};
    if (target.fileName().isEmpty() || ::stat(QFile::encodeName(target.absoluteFilePath()).constData(), &st) != 0)
        return QString();
    return target.absoluteDir().filePath(backupFileName(target.fileName(), st));
}

bool SafeReplaceFile(const QString &path, QByteArrayView bytes, QString *error)
{
    const QFileInfo target = resolvedTarget(path);
    if (target.fileName().isEmpty())
        return fail(error, QStringLiteral("No file name in \"%1\" (or a loop of links)")
                               .arg(QDir::toNativeSeparators(path)));

    const QString targetPath = target.absoluteFilePath();
    const QByteArray targetName = QFile::encodeName(targetPath);
    const QByteArray folderName = QFile::encodeName(target.absolutePath());
    QByteArray backupName;

    struct stat st {};
    bool existed = false;
    if (::stat(targetName.constData(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return fail(error, QStringLiteral("\"%1\" is not a file").arg(QDir::toNativeSeparators(targetPath)));
        existed = true;
    } else if (errno != ENOENT) {
        return fail(error, describe(QStringLiteral("Cannot examine"), targetPath, errno));
    }

    // 1. The new bytes into a temporary of our own (O_EXCL: never someone else's file).
    QByteArray temporaryName;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporaryName = QFile::encodeName(target.absolutePath() + QLatin1Char('/') + temporaryPrefix(target) +
                                          randomSuffix());
        // Only the user may read a new file: books and settings hold private data.
        fd = ::open(temporaryName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            return fail(error, describe(QStringLiteral("Cannot create a file in"), target.absolutePath(), errno));
    }
    if (fd < 0)
        return fail(error, describe(QStringLiteral("Cannot create a file in"), target.absolutePath(), EEXIST));
    // Held until the temporary is in place, so that another process putting
    // the folder right (RecoverSafeReplace) leaves this write alone. A second
    // descriptor, because closing the written one is checked before the commit.
    // (Not handed to programs this process starts, or they would hold it too.)
    const int holdFd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (holdFd >= 0)
        (void)::flock(holdFd, LOCK_EX | LOCK_NB);
    const auto release = [holdFd] {
        if (holdFd >= 0)
            ::close(holdFd);
    };

    const auto discardTemporary = [&](const QString &what) {
        const int code = errno;
        if (fd >= 0)
            ::close(fd);
        ::unlink(temporaryName.constData());
        release();
        return fail(error, describe(what, targetPath, code));
    };

    if (existed) {
        // Keep the owner's choice of access, and the owner and group where the
        // system lets this process hand them on; best effort.
        if (st.st_uid != ::geteuid() || st.st_gid != ::getegid())
            (void)::fchown(fd, st.st_uid, st.st_gid);
        (void)::fchmod(fd, st.st_mode & 07777);
        copyExtendedAttributes(targetName, fd);
    }
    if (!writeAll(fd, bytes))
        return discardTemporary(QStringLiteral("Cannot write"));
    if (injectedFailure(SafeFile::Step::SyncTemporary) || ::fsync(fd) != 0)
        return discardTemporary(QStringLiteral("Cannot write"));
    struct stat written {};
    (void)::fstat(fd, &written);
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0)
        return discardTemporary(QStringLiteral("Cannot write"));

    // 2. The original out of the way, kept under its aside name; the mark is
    // taken now, as the file is at the rename.
    if (existed) {
        struct stat now {};
        if (::stat(targetName.constData(), &now) != 0)
            now = st;
        backupName = QFile::encodeName(target.absoluteDir().filePath(backupFileName(target.fileName(), now)));
        if (injectedFailure(SafeFile::Step::RenameOriginal) ||
            ::rename(targetName.constData(), backupName.constData()) != 0)
            return discardTemporary(QStringLiteral("Cannot rename"));
    }

    // 3. The commit.
    if (injectedFailure(SafeFile::Step::RenameTemporary) ||
        ::rename(temporaryName.constData(), targetName.constData()) != 0) {
        const int code = errno;
        if (existed)
            ::rename(backupName.constData(), targetName.constData());
        errno = code;
        return discardTemporary(QStringLiteral("Cannot replace"));
    }

    // 4. From here the new file is in place; a failure to sync the folder or to
    // delete the copy cannot undo that, and an aside copy left over is removed
    // by RecoverSafeReplace before the next read. Copies an earlier save of
    // this file left behind are stale now too.
    release();
    (void)syncFolder(folderName);
    if (!injectedFailure(SafeFile::Step::RemoveBackup)) {
        if (existed)
            ::unlink(backupName.constData());
        // Not this save's own file: another process saving the same file may
        // have just set it aside.
        const QDir folder = target.absoluteDir();
        for (const OwnBackup &stale : ownBackups(folder, folderEntries(folder), target.fileName())) {
            if (stale.device != written.st_dev || stale.inode != written.st_ino)
                ::unlink(stale.path.constData());
        }
    }
    return true;
}

void RecoverSafeReplace(const QString &path)
{
    const QFileInfo target = resolvedTarget(path);
    if (target.fileName().isEmpty())
        return;
    const QByteArray targetName = QFile::encodeName(target.absoluteFilePath());
    const QDir folder = target.absoluteDir();
    const QStringList entries = folderEntries(folder);

    const QList<OwnBackup> backups = ownBackups(folder, entries, target.fileName());
    if (!backups.isEmpty()) {
        struct stat current {};
        // The copies from `stale` on are deleted. A file in place got there by
        // the atomic rename: it is complete and every copy is stale.
        qsizetype stale = 0;
        if (::lstat(targetName.constData(), &current) == 0)
            stale = 0;
        else if (errno == ENOENT && ::rename(backups.first().path.constData(), targetName.constData()) == 0)
            stale = 1; // the newest copy is the file again; older ones are superseded
        else
            stale = backups.size(); // nothing is deleted while the file is not back
        for (qsizetype i = stale; i < backups.size(); ++i)
            ::unlink(backups.at(i).path.constData());
    }

    // Temporaries of a write that never reached its commit hold nothing anyone
    // needs, unless their writer is still at work: another process may be
    // saving the same file at this moment.
    const QString prefix = temporaryPrefix(target);
    for (const QString &name : entries) {
        if (name.size() == prefix.size() + kTemporarySuffixLength && name.startsWith(prefix))
            removeAbandonedTemporary(QFile::encodeName(folder.filePath(name)));
    }
}

void RecoverSafeReplacesIn(const QString &folder, const QString &suffix)
{
    const QDir dir(folder);
    const QString marker = QStringLiteral(".$$");
    for (const QString &name : folderEntries(dir)) {
        const qsizetype mark = name.lastIndexOf(QLatin1Char(';'));
        if (!name.startsWith(marker) || mark < 0)
            continue;
        const QString fileName = name.mid(marker.size(), mark - marker.size());
        if (fileName.endsWith(suffix))
            RecoverSafeReplace(dir.filePath(fileName));
    }
}

namespace SafeFile {

void setFailureHook(std::function<bool(Step)> hook)
{
    failureHook() = std::move(hook);
}

} // namespace SafeFile
