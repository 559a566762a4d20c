#include "support/FailingDisk.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sqlcipher/sqlite3.h>

#include <atomic>
#include <cerrno>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

struct TFailingDiskState {
    std::atomic<bool> Active = false; // read by every write of every thread
    TDiskFault Fault = TDiskFault::DiskFull;
    QByteArray Path;      // as the test named it, absolute
    QByteArray Canonical; // links resolved, as /proc names an open file
};

TFailingDiskState &state()
{
    static TFailingDiskState s;
    return s;
}

bool under(const char *path, const QByteArray &root)
{
    const QByteArrayView p(path);
    return p == root || (p.startsWith(root) && p.size() > root.size() && p[root.size()] == '/');
}

// `path` is the faulty file or folder itself, or lies in that folder.
bool affected(const char *path, bool itselfOnly)
{
    const TFailingDiskState &s = state();
    if (!s.Active || !path)
        return false;
    if (itselfOnly)
        return QByteArrayView(path) == s.Path || QByteArrayView(path) == s.Canonical;
    return under(path, s.Path) || under(path, s.Canonical);
}

bool fileExists(const char *path)
{
    return ::access(path, F_OK) == 0;
}

int failWith(int code)
{
    errno = code;
    return -1;
}

int failingOpen(const char *path, int flags, int mode)
{
    const bool writing = (flags & (O_WRONLY | O_RDWR | O_CREAT)) != 0;
    switch (state().Fault) {
    case TDiskFault::FolderNotWritable:
        if ((flags & O_CREAT) && affected(path, false) && !fileExists(path))
            return failWith(EACCES);
        break;
    case TDiskFault::FileReadOnly:
        if ((flags & (O_WRONLY | O_RDWR)) && affected(path, true))
            return failWith(EACCES);
        break;
    case TDiskFault::ReadOnlyDisk:
        if (writing && affected(path, false))
            return failWith(EROFS);
        break;
    case TDiskFault::DiskFull:
        break;
    }
    return ::open(path, flags, mode);
}

int failingAccess(const char *path, int mode)
{
    if (mode & W_OK) {
        switch (state().Fault) {
        case TDiskFault::FolderNotWritable:
        case TDiskFault::FileReadOnly:
            if (affected(path, true))
                return failWith(EACCES);
            break;
        case TDiskFault::ReadOnlyDisk:
            if (affected(path, false))
                return failWith(EROFS);
            break;
        case TDiskFault::DiskFull:
            break;
        }
    }
    return ::access(path, mode);
}

int failingUnlink(const char *path)
{
    if (state().Fault == TDiskFault::FolderNotWritable && affected(path, false))
        return failWith(EACCES);
    if (state().Fault == TDiskFault::ReadOnlyDisk && affected(path, false))
        return failWith(EROFS);
    return ::unlink(path);
}

// A write to a file under a full disk's folder.
bool fullFor(int fd)
{
    if (!state().Active || state().Fault != TDiskFault::DiskFull)
        return false;
    char link[4096];
    const QByteArray proc = QByteArrayLiteral("/proc/self/fd/") + QByteArray::number(fd);
    const ssize_t n = ::readlink(proc.constData(), link, sizeof link - 1);
    if (n <= 0)
        return false;
    link[n] = '\0';
    return affected(link, false);
}

ssize_t failingWrite(int fd, const void *data, size_t size)
{
    if (fullFor(fd))
        return failWith(ENOSPC);
    return ::write(fd, data, size);
}

ssize_t failingPwrite(int fd, const void *data, size_t size, off_t at)
{
    if (fullFor(fd))
        return failWith(ENOSPC);
    return ::pwrite(fd, data, size, at);
}

ssize_t failingPwrite64(int fd, const void *data, size_t size, off64_t at)
{
    if (fullFor(fd))
        return failWith(ENOSPC);
    return ::pwrite64(fd, data, size, at);
}

template <typename T>
T realCall(const char *name)
{
    return reinterpret_cast<T>(::dlsym(RTLD_NEXT, name));
}

} // namespace

// The process's own writes meet a full disk as the engine's do: the PDF
// engine's (Qt's file layer calls the C library's write) and the program's
// own. These stand in for the C library's calls in a test program that
// links this fixture and pass every other write on unchanged.
extern "C" {

ssize_t write(int fd, const void *data, size_t size)
{
    using TWrite = ssize_t (*)(int, const void *, size_t);
    static const TWrite real = realCall<TWrite>("write");
    if (fullFor(fd))
        return failWith(ENOSPC);
    return real ? real(fd, data, size) : ssize_t(::syscall(SYS_write, fd, data, size));
}

ssize_t pwrite(int fd, const void *data, size_t size, off_t at)
{
    using TPwrite = ssize_t (*)(int, const void *, size_t, off_t);
    static const TPwrite real = realCall<TPwrite>("pwrite");
    if (fullFor(fd))
        return failWith(ENOSPC);
    return real ? real(fd, data, size, at) : ssize_t(::syscall(SYS_pwrite64, fd, data, size, at));
}

ssize_t pwrite64(int fd, const void *data, size_t size, off64_t at)
{
    using TPwrite64 = ssize_t (*)(int, const void *, size_t, off64_t);
    static const TPwrite64 real = realCall<TPwrite64>("pwrite64");
    if (fullFor(fd))
        return failWith(ENOSPC);
    return real ? real(fd, data, size, at) : ssize_t(::syscall(SYS_pwrite64, fd, data, size, at));
}

} // extern "C"

namespace {

sqlite3_vfs *engineFiles()
{
    sqlite3_vfs *vfs = sqlite3_vfs_find(nullptr);
    EXPECT_TRUE(vfs && vfs->iVersion >= 3 && vfs->xSetSystemCall) << "the engine's file calls cannot be replaced";
    return vfs && vfs->iVersion >= 3 && vfs->xSetSystemCall ? vfs : nullptr;
}

void replace(sqlite3_vfs *vfs, const char *name, sqlite3_syscall_ptr call)
{
    // A name this engine's build lacks is no call it makes.
    (void)vfs->xSetSystemCall(vfs, name, call);
}

} // namespace

ScopedFailingDisk::ScopedFailingDisk(const QString &path, TDiskFault fault)
{
    TFailingDiskState &s = state();
    s.Fault = fault;
    s.Path = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    const QString canonical = QFileInfo(path).canonicalFilePath();
    s.Canonical = canonical.isEmpty() ? s.Path : QFile::encodeName(canonical);
    s.Active = true;
    sqlite3_vfs *vfs = engineFiles();
    if (!vfs)
        return;
    replace(vfs, "open", reinterpret_cast<sqlite3_syscall_ptr>(&failingOpen));
    replace(vfs, "access", reinterpret_cast<sqlite3_syscall_ptr>(&failingAccess));
    replace(vfs, "unlink", reinterpret_cast<sqlite3_syscall_ptr>(&failingUnlink));
    replace(vfs, "write", reinterpret_cast<sqlite3_syscall_ptr>(&failingWrite));
    replace(vfs, "pwrite", reinterpret_cast<sqlite3_syscall_ptr>(&failingPwrite));
    replace(vfs, "pwrite64", reinterpret_cast<sqlite3_syscall_ptr>(&failingPwrite64));
}

ScopedFailingDisk::~ScopedFailingDisk()
{
    state().Active = false;
    if (sqlite3_vfs *vfs = engineFiles()) {
        // Every replaced call back to the engine's default.
        (void)vfs->xSetSystemCall(vfs, nullptr, nullptr);
    }
}
