#include "platform/FileWrites.h"

#include <QFile>

#include <cerrno>

#include <linux/magic.h>
#include <sys/inotify.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

// The file systems of a local disk (or of memory), whose every write passes
// through this machine's kernel and is noticed.
bool onLocalDisk(const QByteArray &Path)
{
    struct statfs fs {};
    if (::statfs(Path.constData(), &fs) != 0)
        return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case EXT4_SUPER_MAGIC: // ext2 and ext3 too
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case F2FS_SUPER_MAGIC:
    case TMPFS_MAGIC:
    case OVERLAYFS_SUPER_MAGIC:
    case REISERFS_SUPER_MAGIC:
    case MSDOS_SUPER_MAGIC:
    case EXFAT_SUPER_MAGIC:
    case 0x7366746eUL: // ntfs3
    case 0x2fc12fc1UL: // zfs
        return true;
    default:
        return false;
    }
}

// A write to the content or its length.
constexpr uint32_t kWritten = IN_MODIFY;
// The file is no longer the one watched, or may not be: from then on every
// question answers "written".
constexpr uint32_t kLost = IN_ATTRIB | IN_MOVE_SELF | IN_DELETE_SELF | IN_IGNORED | IN_Q_OVERFLOW;

} // namespace

TFileWrites::TFileWrites(const QString &FileName)
{
    const QByteArray path = QFile::encodeName(FileName);
    if (!onLocalDisk(path))
        return;
    m_notices = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_notices < 0)
        return;
    if (::inotify_add_watch(m_notices, path.constData(), kWritten | IN_ATTRIB | IN_MOVE_SELF | IN_DELETE_SELF) < 0)
        stopWatching();
}

TFileWrites::~TFileWrites() { stopWatching(); }

void TFileWrites::stopWatching()
{
    if (m_notices >= 0)
        ::close(m_notices);
    m_notices = -1;
}

bool TFileWrites::WrittenSince()
{
    if (m_notices < 0)
        return true;
    bool written = false;
    // Room for many notices at once; each is a header and a name (none for
    // the watched file itself).
    alignas(inotify_event) char buffer[64 * sizeof(inotify_event)];
    for (;;) {
        const ssize_t got = ::read(m_notices, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && errno == EAGAIN)
            return written;
        if (got <= 0) {
            stopWatching();
            return true;
        }
        for (ssize_t at = 0; at < got;) {
            const auto *notice = reinterpret_cast<const inotify_event *>(buffer + at);
            if (notice->mask & kLost) {
                stopWatching();
                return true;
            }
            written = written || (notice->mask & kWritten) != 0;
            at += ssize_t(sizeof(inotify_event) + notice->len);
        }
    }
}
