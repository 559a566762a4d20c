#include "platform/SafeFile.h"

#include "platform/WriteError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include <cerrno>
#include <cstdio>
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

int &failureCode()
{
    static int code = EIO;
    return code;
}

// True when the test seam wants this step to fail; errno is then set as a
// failing device would set it.
bool injectedFailure(SafeFile::Step step)
{
    if (failureHook() && failureHook()(step)) {
        errno = failureCode();
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

// The longest name the folder takes, in bytes (255 on the usual file systems).
qsizetype nameLimit(const QString &folder)
{
    const long limit = ::pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
    return limit > 0 ? qsizetype(limit) : 255;
}

qsizetype encodedLength(const QString &name)
{
    return QFile::encodeName(name).size();
}

// The temporaries' names: ".<name>.new-" and a random suffix. A name too long
// for that keeps as many whole characters as fit and a hash of the whole
// name, so that the temporaries of two long names sharing their start are
// still told apart.
QString temporaryPrefix(const QFileInfo &target)
{
    const QString plain = QLatin1Char('.') + target.fileName() + QStringLiteral(".new-");
    const qsizetype limit = nameLimit(target.absolutePath());
    if (encodedLength(plain) + kTemporarySuffixLength <= limit)
        return plain;
    // FNV-1a over the name's bytes: the same in every version and process.
    quint32 fnv = 2166136261u;
    for (const char byte : QFile::encodeName(target.fileName()))
        fnv = (fnv ^ quint8(byte)) * 16777619u;
    const QString hash =
        QLatin1Char('~') + QString::number(fnv, 16).rightJustified(8, u'0') + QStringLiteral(".new-");
    QString kept = target.fileName();
    while (!kept.isEmpty() && encodedLength(QLatin1Char('.') + kept + hash) + kTemporarySuffixLength > limit) {
        kept.chop(1);
        if (!kept.isEmpty() && kept.back().isHighSurrogate())
            kept.chop(1);
    }
    return QLatin1Char('.') + kept + hash;
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

// Moves `from` to `to` only while nothing is at `to`: a file that appeared
// there meanwhile (another save's) is never replaced. A file system without
// the no-replace rename gets a second name, which is refused as well when
// the name is taken, and loses the first.
bool renameNoReplace(const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return false;
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return true;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS)
        return false;
    // Neither (a FAT stick): the place is looked at just before the move.
    struct stat st {};
    if (::lstat(to.constData(), &st) == 0 || errno != ENOENT) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.constData(), to.constData()) == 0;
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

// The cause in the user's words, then what failed where and the system's
// own cause, as a detail. what holds %1 for the path.
QString describe(const QString &what, const QString &path, int code, TWriteTarget target)
{
    return WriteErrorReason(code, target) +
           QStringLiteral("（詳細：%1：%2）").arg(what.arg(QDir::toNativeSeparators(path)), systemError(code));
}

bool writeAll(int fd, QByteArrayView bytes)
{
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    if (injectedFailure(SafeFile::Step::WriteTemporary)) {
        // A device that fails half-way leaves a partial temporary behind.
        const ssize_t ignored = ::write(fd, data, size_t(left / 2));
        Q_UNUSED(ignored);
        errno = failureCode();
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

// Keeps the owner's choice of access, and the owner and group where the
// system lets this process hand them on; best effort.
void handOnAccess(const struct stat &original, const QByteArray &from, int to)
{
    if (original.st_uid != ::geteuid() || original.st_gid != ::getegid())
        (void)::fchown(to, original.st_uid, original.st_gid);
    (void)::fchmod(to, original.st_mode & 07777);
    copyExtendedAttributes(from, to);
}

// The refusal (EACCES, EPERM or EROFS) of writing the existing file `name`
// for this process's user; 0 when it may be written or is not there. A file
// nobody may write was made read-only on purpose: the administrator, whom
// the system would let through, is refused it too.
int writeRefusal(const QByteArray &name)
{
    struct stat st {};
    if (::stat(name.constData(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0)
        return EACCES;
    if (::faccessat(AT_FDCWD, name.constData(), W_OK, AT_EACCESS) == 0)
        return 0;
    const int code = errno;
    return code == EACCES || code == EPERM || code == EROFS ? code : 0;
}

} // namespace

int WriteAllTo(int fd, const char *data, qint64 size)
{
    for (qint64 at = 0; at < size;) {
        const ssize_t n = ::write(fd, data + at, size_t(size - at));
        if (n < 0 && errno != EINTR)
            return errno;
        if (n == 0)
            return EIO; // a device that takes nothing and says no more
        if (n > 0)
            at += n;
    }
    return 0;
}

int ReadOnlyFileError(const QString &path)
{
    const QFileInfo target = resolvedTarget(path);
    return target.fileName().isEmpty() ? 0 : writeRefusal(QFile::encodeName(target.absoluteFilePath()));
}

QString SafeReplaceBackupPath(const QString &path)
{
    const QFileInfo target = resolvedTarget(path);
    struct stat st {};
    if (target.fileName().isEmpty() || ::stat(QFile::encodeName(target.absoluteFilePath()).constData(), &st) != 0)
        return QString();
    return target.absoluteDir().filePath(backupFileName(target.fileName(), st));
}

// One replacement of a file, from the temporary to the commit.
struct TSafeReplacement::State {
    QString path;
    QFileInfo target;
    QString targetPath;
    QByteArray targetName;
    QByteArray folderName;
    int fd = -1;     // the temporary, open for writing
    int holdFd = -1; // the lock that tells readers a writer is at work
    QByteArray temporaryName; // its name in the folder; empty while it has none
    bool committed = false;

    // Held until the temporary is in place, so that another process putting
    // the folder right (RecoverSafeReplace) leaves this write alone. A second
    // descriptor, because closing the written one is checked before the commit.
    // (Not handed to programs this process starts, or they would hold it too.)
    void hold()
    {
        holdFd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
        if (holdFd >= 0)
            (void)::flock(holdFd, LOCK_EX | LOCK_NB);
    }
    void release()
    {
        if (holdFd >= 0)
            ::close(holdFd);
        holdFd = -1;
    }
    // The name through which this process reaches a temporary without one.
    [[nodiscard]] QByteArray descriptorPath() const
    {
        return QByteArrayLiteral("/proc/self/fd/") + QByteArray::number(holdFd >= 0 ? holdFd : fd);
    }
    [[nodiscard]] QString writePath() const
    {
        return temporaryName.isEmpty() ? QString::fromLatin1(descriptorPath()) : QFile::decodeName(temporaryName);
    }

    // Failure with errno's reason; the temporary is removed. Target: whether
    // the failed call worked on a name in the folder or on the file's bytes.
    bool discard(QString *error, const QString &what, TWriteTarget target)
    {
        const int code = errno;
        drop();
        return fail(error, describe(what, targetPath, code, target));
    }
    void drop()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
        if (!temporaryName.isEmpty())
            ::unlink(temporaryName.constData());
        temporaryName.clear();
        release();
    }

    bool begin(QString *error);
    bool name(QString *error);
    bool commit(QString *error);
};

bool TSafeReplacement::State::begin(QString *error)
{
    target = resolvedTarget(path);
    if (target.fileName().isEmpty())
        return fail(error, QStringLiteral("ファイル名がないため、書き込めません。（詳細：「%1」はファイル名で終わらないか、"
                                          "リンクが循環しています）")
                               .arg(QDir::toNativeSeparators(path)));
    targetPath = target.absoluteFilePath();
    targetName = QFile::encodeName(targetPath);
    folderName = QFile::encodeName(target.absolutePath());

    struct stat original {};
    if (::stat(targetName.constData(), &original) == 0) {
        if (!S_ISREG(original.st_mode))
            return fail(error, QStringLiteral("同じ名前のフォルダーなどがあるため、ファイルを書き込めません。"
                                              "（詳細：「%1」はファイルではありません）")
                                   .arg(QDir::toNativeSeparators(targetPath)));
        // The rename below would replace a file its user set read-only as
        // long as the folder may be written: refused as an open of the file
        // for writing is. Asked before anything is written, so a PDF run
        // learns it before it prints.
        if (const int code = writeRefusal(targetName))
            return fail(error, describe(QStringLiteral("「%1」に書き込めません"), targetPath, code, TWriteTarget::File));
    } else if (errno != ENOENT) {
        return fail(error, describe(QStringLiteral("「%1」を調べられません"), targetPath, errno, TWriteTarget::Folder));
    }

    if (injectedFailure(SafeFile::Step::CreateTemporary))
        return fail(error, describe(QStringLiteral("「%1」にファイルを作れません"), target.absolutePath(), errno,
                                    TWriteTarget::Folder));
    // 1. A temporary of our own. Without a name in the folder where the
    // system allows it (a process killed while writing leaves nothing), and
    // only the user may read it: books and settings hold private data.
    fd = ::open(folderName.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) {
        hold();
        // Named at the commit through the descriptor's link, which needs /proc.
        if (::access(descriptorPath().constData(), F_OK) != 0) {
            ::close(fd);
            fd = -1;
            release();
        }
    }
    // Else a hidden name (O_EXCL: never someone else's file).
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporaryName = QFile::encodeName(target.absolutePath() + QLatin1Char('/') + temporaryPrefix(target) +
                                          randomSuffix());
        fd = ::open(temporaryName.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) {
            temporaryName.clear();
            return fail(error, describe(QStringLiteral("「%1」にファイルを作れません"), target.absolutePath(), errno,
                                        TWriteTarget::Folder));
        }
        if (fd >= 0)
            hold();
    }
    if (fd < 0) {
        temporaryName.clear();
        return fail(error, describe(QStringLiteral("「%1」にファイルを作れません"), target.absolutePath(), EEXIST,
                                    TWriteTarget::Folder));
    }
    // The replaced file's access is handed on only at the commit: the
    // temporary stays writable for whoever writes it by its name (the PDF
    // engine opens it again), whatever mode the file had.
    return true;
}

// A temporary without a name gets its hidden name now, just before the
// renames (which need one).
bool TSafeReplacement::State::name(QString *error)
{
    if (!temporaryName.isEmpty())
        return true;
    const QByteArray source = descriptorPath();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray candidate = QFile::encodeName(target.absolutePath() + QLatin1Char('/') +
                                                       temporaryPrefix(target) + randomSuffix());
        if (::linkat(AT_FDCWD, source.constData(), AT_FDCWD, candidate.constData(), AT_SYMLINK_FOLLOW) == 0) {
            temporaryName = candidate;
            return true;
        }
        if (errno != EEXIST)
            return discard(error, QStringLiteral("「%1」に書き込めません"), TWriteTarget::Folder);
    }
    errno = EEXIST;
    return discard(error, QStringLiteral("「%1」に書き込めません"), TWriteTarget::Folder);
}

bool TSafeReplacement::State::commit(QString *error)
{
    if (fd < 0)
        return fail(error, describe(QStringLiteral("「%1」に書き込めません"), targetPath, EBADF, TWriteTarget::File));
    // The file as it is now: set read-only while it was written, it stays;
    // else its access goes to its successor (synced with the bytes).
    struct stat current {};
    if (::stat(targetName.constData(), &current) == 0 && S_ISREG(current.st_mode)) {
        if (const int code = writeRefusal(targetName)) {
            errno = code;
            return discard(error, QStringLiteral("「%1」に書き込めません"), TWriteTarget::File);
        }
        handOnAccess(current, targetName, fd);
    }
    if (injectedFailure(SafeFile::Step::SyncTemporary) || ::fsync(fd) != 0)
        return discard(error, QStringLiteral("「%1」に書き込めません"), TWriteTarget::File);
    struct stat written {};
    (void)::fstat(fd, &written);
    if (!name(error))
        return false;
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0)
        return discard(error, QStringLiteral("「%1」に書き込めません"), TWriteTarget::File);

    // 2. The commit: the temporary takes the file's name in one step. The
    // name never lacks a file, so another program reading it meanwhile
    // (another window saving the same file) meets the old or the new bytes,
    // never nothing.
    if (injectedFailure(SafeFile::Step::RenameTemporary) ||
        ::rename(temporaryName.constData(), targetName.constData()) != 0)
        return discard(error, QStringLiteral("「%1」を置き換えられません"), TWriteTarget::Folder);
    temporaryName.clear();
    committed = true;

    // 3. From here the new file is in place; a failure to sync the folder
    // cannot undo that. Copies an interrupted save of an earlier version set
    // aside are stale now.
    release();
    (void)syncFolder(folderName);
    const QDir folder = target.absoluteDir();
    for (const OwnBackup &stale : ownBackups(folder, folderEntries(folder), target.fileName())) {
        if (stale.device != written.st_dev || stale.inode != written.st_ino)
            ::unlink(stale.path.constData());
    }
    return true;
}

TSafeReplacement::TSafeReplacement(const QString &path) : m_state(std::make_unique<State>())
{
    m_state->path = path;
}

TSafeReplacement::~TSafeReplacement()
{
    if (!m_state->committed)
        m_state->drop();
}

bool TSafeReplacement::Begin(QString *error)
{
    m_state->drop();
    return m_state->begin(error);
}

QString TSafeReplacement::TemporaryPath() const
{
    return m_state->fd >= 0 ? m_state->writePath() : QString();
}

bool TSafeReplacement::Commit(QString *error)
{
    return m_state->commit(error);
}

int TSafeReplacement::GrowthError(qint64 bytes) const
{
    const int fd = m_state->fd;
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return 0; // nothing to ask
    if (injectedFailure(SafeFile::Step::WriteTemporary))
        return errno;
    const QByteArray zeros(qsizetype(std::min<qint64>(bytes, 64 * 1024)), '\0');
    off_t at = st.st_size;
    int code = 0;
    for (qint64 left = bytes; left > 0 && code == 0;) {
        const ssize_t n = ::pwrite(fd, zeros.constData(), size_t(std::min<qint64>(left, zeros.size())), at);
        if (n < 0) {
            if (errno != EINTR)
                code = errno;
        } else if (n == 0) {
            code = EIO; // a device that takes nothing and says no more
        } else {
            at += n;
            left -= n;
        }
    }
    (void)::ftruncate(fd, st.st_size);
    return code;
}

bool SafeReplaceFile(const QString &path, QByteArrayView bytes, QString *error)
{
    TSafeReplacement replacement(path);
    if (!replacement.Begin(error))
        return false;
    TSafeReplacement::State &state = *replacement.m_state;
    if (!writeAll(state.fd, bytes))
        return state.discard(error, QStringLiteral("「%1」に書き込めません"), TWriteTarget::File);
    return replacement.Commit(error);
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
        // the atomic rename: it is complete and every copy is stale. A copy
        // goes back only into an empty place: a save that commits between the
        // look and the move keeps its file.
        qsizetype stale = 0;
        if (::lstat(targetName.constData(), &current) == 0)
            stale = 0;
        else if (errno == ENOENT && renameNoReplace(backups.first().path, targetName))
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

namespace {

// The locks this thread holds, and what waits for the last of them to go.
thread_local int t_locksHeld = 0;
thread_local QList<std::function<void()>> t_afterLocks;

} // namespace

void AfterFileLocks(std::function<void()> tell)
{
    if (t_locksHeld == 0)
        tell();
    else
        t_afterLocks.append(std::move(tell));
}

TFileLock::TFileLock(const QString &path) : m_path(path) {}

TFileLock::~TFileLock() { release(); }

void TFileLock::release()
{
    // Closing gives the locks back.
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_folderFd >= 0)
        ::close(m_folderFd);
    m_fd = -1;
    m_folderFd = -1;
    if (!m_held)
        return;
    m_held = false;
    if (--t_locksHeld > 0)
        return;
    // Taken out first: a notice may itself save a file under its lock.
    while (!t_afterLocks.isEmpty() && t_locksHeld == 0) {
        const std::function<void()> tell = t_afterLocks.takeFirst();
        tell();
    }
}

namespace {

enum class TLockWait { Granted, TimedOut, Failed };

// Takes the flock `operation` on fd, waiting until `deadline` in the
// system's queue of the lock: asking again and again, it would nearly never
// meet the lock free while another program saves over and over (an import),
// which takes it back at once. A copy of the open file waits on a thread of
// its own; when the wait runs out that copy is left to it, and closed as
// soon as it is granted, which gives the lock back. The caller then closes
// fd. The error number in *code when it failed.
TLockWait waitForLock(int fd, int operation, std::chrono::steady_clock::time_point deadline, int *code)
{
    if (::flock(fd, operation | LOCK_NB) == 0)
        return TLockWait::Granted;
    if (errno != EWOULDBLOCK && errno != EINTR) {
        *code = errno;
        return TLockWait::Failed;
    }
    struct Wait {
        std::mutex mutex;
        std::condition_variable ended;
        bool done = false;
        int code = 0;
    };
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) {
        *code = errno;
        return TLockWait::Failed;
    }
    const auto wait = std::make_shared<Wait>();
    const auto waitInQueue = [wait, copy, operation] {
        int locked = 0;
        do {
            locked = ::flock(copy, operation);
        } while (locked != 0 && errno == EINTR);
        const int result = locked == 0 ? 0 : errno;
        // Granted, the lock stays with the open file while the waiter still
        // has it; a waiter gone gives it back with this last copy.
        ::close(copy);
        const std::lock_guard<std::mutex> hold(wait->mutex);
        wait->done = true;
        wait->code = result;
        wait->ended.notify_all();
    };
    try {
        std::thread(waitInQueue).detach();
    } catch (const std::system_error &e) {
        ::close(copy);
        *code = e.code().value();
        return TLockWait::Failed;
    }
    std::unique_lock<std::mutex> hold(wait->mutex);
    if (!wait->ended.wait_until(hold, deadline, [&wait] { return wait->done; }))
        return TLockWait::TimedOut;
    *code = wait->code;
    return wait->code == 0 ? TLockWait::Granted : TLockWait::Failed;
}

// Why the lock file that is there cannot be opened: it names the lock file,
// not its folder (which may well be writable), and whose file it is.
QString lockFileRefusal(const QString &lockPath, int code)
{
    struct stat st {};
    const QString shown = QDir::toNativeSeparators(lockPath);
    QString cause;
    if (::lstat(QFile::encodeName(lockPath).constData(), &st) == 0 && st.st_uid != ::geteuid())
        cause = QStringLiteral("ロック用のファイル「%1」がほかのユーザーのファイルで、開く権限がないため、保存できません。"
                               "このファイルを削除するか、このファイルを読み書きできるように設定してから、やり直してください。")
                    .arg(shown);
    else
        cause = QStringLiteral("ロック用のファイル「%1」を開く権限がないため、保存できません。"
                               "このファイルを読み書きできるように設定してから、やり直してください。")
                    .arg(shown);
    return cause + QStringLiteral("（詳細：「%1」を開けません：%2）").arg(shown, systemError(code));
}

} // namespace

bool TFileLock::Acquire(int waitMs, QString *error)
{
    release();
    const QFileInfo file(m_path);
    const QString folderPath = file.absolutePath();
    const QString lockPath = file.absoluteDir().filePath(QLatin1Char('.') + file.fileName() + QStringLiteral(".lock"));
    const QByteArray folderName = QFile::encodeName(folderPath);
    const QByteArray name = QFile::encodeName(lockPath);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(waitMs, 0));
    const QString busy = QStringLiteral("ほかの画面かほかのプログラムが「%1」を保存している途中のため、書き込めません。"
                                        "しばらく待ってから、もう一度保存してください。")
                             .arg(QDir::toNativeSeparators(file.absoluteFilePath()));
    auto failed = [&](const QString &message) {
        release();
        return fail(error, message);
    };
    // Takes the folder's lock in the mode given; a file system that keeps no
    // locks of folders leaves the lock file alone to keep the holders apart.
    auto lockFolder = [&](int operation) -> std::optional<QString> {
        m_folderFd = ::open(folderName.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (m_folderFd < 0)
            return describe(QStringLiteral("「%1」を開けません"), folderPath, errno, TWriteTarget::Folder);
        int code = 0;
        switch (waitForLock(m_folderFd, operation, deadline, &code)) {
        case TLockWait::Granted:
            return std::nullopt;
        case TLockWait::TimedOut:
            return busy;
        case TLockWait::Failed:
            ::close(m_folderFd);
            m_folderFd = -1;
            return std::nullopt;
        }
        return std::nullopt;
    };
    // The lock file alone cannot stand for the file: deleted while one
    // program holds it, the next program would make a new one and lock that.
    // So every holder also holds its folder shared, which no one can delete
    // while the file is in it, and the lock file is only ever made while the
    // folder is held exclusively: a program that finds it missing waits
    // there until every holder of the folder's files is done. A holder then
    // checks that the name still leads to the file it locked; when it was
    // deleted or replaced meanwhile it starts again.
    for (;;) {
        if (const auto refused = lockFolder(LOCK_SH))
            return failed(*refused);
        // Never handed to a program this process starts: it would hold the
        // lock as long as it runs.
        m_fd = ::open(name.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
        if (m_fd < 0 && errno == ENOENT) {
            if (m_folderFd >= 0) {
                ::close(m_folderFd);
                m_folderFd = -1;
                if (const auto refused = lockFolder(LOCK_EX))
                    return failed(*refused);
            }
            m_fd = ::open(name.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (m_fd < 0)
                return failed(describe(QStringLiteral("「%1」にファイルを作れません"), lockPath, errno,
                                       TWriteTarget::Folder));
        }
        // A lock file left read-only (a folder copied from a disc) still
        // takes the lock, which needs no right to write it.
        if (m_fd < 0 && (errno == EACCES || errno == EPERM)) {
            const int refused = errno;
            m_fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
            if (m_fd < 0)
                return failed(lockFileRefusal(lockPath, refused));
        }
        if (m_fd < 0)
            return failed(describe(QStringLiteral("「%1」を開けません"), lockPath, errno, TWriteTarget::File));
        // A lock of the open file itself, not of the process: two windows of
        // one program wait for each other as two programs do.
        int code = 0;
        switch (waitForLock(m_fd, LOCK_EX, deadline, &code)) {
        case TLockWait::Granted:
            break;
        case TLockWait::TimedOut:
            return failed(busy);
        case TLockWait::Failed:
            return failed(describe(QStringLiteral("「%1」をロックできません"), lockPath, code, TWriteTarget::File));
        }
        struct stat held {};
        struct stat named {};
        if (::fstat(m_fd, &held) == 0 && ::lstat(name.constData(), &named) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino) {
            m_held = true;
            ++t_locksHeld;
            return true;
        }
        release();
        if (std::chrono::steady_clock::now() >= deadline)
            return fail(error, busy);
    }
}

bool RenameNoReplace(const QString &from, const QString &to)
{
    return renameNoReplace(QFile::encodeName(from), QFile::encodeName(to));
}

namespace SafeFile {

void setFailureHook(std::function<bool(Step)> hook, int systemErrno)
{
    failureHook() = std::move(hook);
    failureCode() = systemErrno;
}

} // namespace SafeFile
