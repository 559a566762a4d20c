#pragma once

#include <QString>

// A folder or file as a failing disk shows it to the table engine, for tests
// that run as a user whom access rights do not stop (root writes any folder).
// While it lives, the engine's own file calls (it lets a program replace
// them) fail for paths under `path` with the error numbers the system gives
// in that case, and everything between them and the user (the engine's
// retries, the table layer, the window) runs as it would on such a disk.
enum class TDiskFault {
    // `path` is a folder whose rights forbid writing: no new file (the
    // table's journal) may be made there, and it answers "not writable".
    FolderNotWritable,
    // `path` is a file whose own read-only setting is on: it opens for
    // reading only.
    FileReadOnly,
    // `path` is a folder on a disk mounted read-only (a CD, a write-protected
    // stick): nothing under it opens for writing.
    ReadOnlyDisk,
    // `path` is a folder on a full disk: files open, but no byte is written,
    // neither by the engine nor by the rest of the process (the PDF engine,
    // the safe replace: the test program's own write calls fail there too).
    DiskFull,
};

class ScopedFailingDisk
{
public:
    ScopedFailingDisk(const QString &path, TDiskFault fault);
    ~ScopedFailingDisk();
    ScopedFailingDisk(const ScopedFailingDisk &) = delete;
    ScopedFailingDisk &operator=(const ScopedFailingDisk &) = delete;
};
