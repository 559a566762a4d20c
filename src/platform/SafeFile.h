#pragma once

#include <QByteArrayView>
#include <QString>

#include <cerrno>

#include <functional>
#include <memory>

// Crash-safe replacement of a settings or data file.
//
// The new bytes go to a temporary beside the target (".<name>.new-XXXXXXXX")
// and are synced to disk; the temporary is then renamed over <name>, which
// the system does in one step, and the folder is synced. At every moment the
// name holds the complete old file or the complete new one: a process dying
// at any point, or another program reading the file while it is saved,
// never finds it missing or part-written.
//
// Earlier versions set the old file aside first (".$$<name>;<size>.<mtime>")
// and could die with only that copy left; RecoverSafeReplace() puts such a
// folder right before the file is read. The aside name is hidden and ends in
// ';' and a mark, where no layout title (';' is refused in titles) nor book
// folder (no leading dot) can lie. The mark is the size and modification
// time (seconds) the file had when it was set aside; a rename keeps both, so
// recovery takes only a copy whose mark still matches it and leaves any
// other file alone, whatever its name.
//
// Recovery belongs to readers of files the program owns (settings, histories,
// layouts, paper formats). Beside a file the user chose (an export, a PDF)
// nothing is ever "recovered": a user's file that looks like a leftover stays.
//
// A file whose name leaves no room for the temporary's name (the file
// system's limit on a name is 255 bytes, about 80 Japanese characters) gets a
// temporary with a shortened name.
//
// A copy is put back only while no file is at its place: a save that has
// committed meanwhile is never undone by a reader.
//
// A target that is a symbolic link (or a chain of them) is replaced where the
// last link points; the links stay. A new file is readable by its owner only;
// a replaced one keeps its access rights (mode bits, access list and other
// extended attributes), and its owner and group where the system allows.

// An existing file this process may not write (its user set it read-only)
// is refused, not replaced, although the rename into its folder would
// succeed: the message gives the file's read-only setting as the cause.
//
// False with a message in *error when the new bytes could not be put in place;
// the original file is then untouched and no temporary is left behind.
[[nodiscard]] bool SafeReplaceFile(const QString &path, QByteArrayView bytes, QString *error = nullptr);

// A replacement whose bytes another writer puts into the temporary by its
// name (the PDF engine opens the file it is given): Begin() makes the
// temporary, the writer writes TemporaryPath(), Commit() puts the bytes in
// place as SafeReplaceFile does. Where the file system allows it the
// temporary has no name in the folder until the commit, so a process killed
// while writing leaves nothing behind; elsewhere it is a hidden temporary as
// above. Destroyed without a commit, the temporary is removed.
class TSafeReplacement
{
public:
    explicit TSafeReplacement(const QString &path);
    ~TSafeReplacement();
    TSafeReplacement(const TSafeReplacement &) = delete;
    TSafeReplacement &operator=(const TSafeReplacement &) = delete;

    // False with a message when no temporary can be made beside the file,
    // the target is no file or a file this process may not write.
    [[nodiscard]] bool Begin(QString *error);
    // The name under which the temporary is written and read back (valid
    // between Begin() and Commit()).
    [[nodiscard]] QString TemporaryPath() const;
    // Hands the file's access on to the temporary, syncs it and puts it in
    // place. False with a message (also for a file set read-only since
    // Begin()): the file is then as it was and the temporary is gone.
    [[nodiscard]] bool Commit(QString *error);
    // Why a writer could not finish the temporary (a writer that keeps its
    // write errors to itself, as the PDF engine does): `bytes` more are
    // written at its end and cut off again. The error number of the disk's
    // refusal (a full disk), 0 when it takes them or there is no temporary.
    [[nodiscard]] int GrowthError(qint64 bytes) const;

private:
    friend bool SafeReplaceFile(const QString &path, QByteArrayView bytes, QString *error);
    struct State;
    std::unique_ptr<State> m_state;
};

// An exclusive hold on a file that several programs read, change and write
// back (a book's group names, the settings files of the data folder): the
// holder reads, merges and replaces the file before the next one reads it,
// so no change reported saved is written over by another program's older
// copy. The hold is a lock on a hidden file beside the file (".<name>.lock",
// which stays there) together with a shared lock on the folder; the lock
// file is made only under the folder's exclusive lock, so a lock file
// deleted while one program holds it lets no other in before the holder is
// done. The system gives the locks back when the holder ends, however it
// ends. Readers need no hold: the replace leaves the file whole at every
// moment.
class TFileLock
{
public:
    explicit TFileLock(const QString &path);
    ~TFileLock();
    TFileLock(const TFileLock &) = delete;
    TFileLock &operator=(const TFileLock &) = delete;

    // Waits up to waitMs while another holder saves, in the system's queue of
    // the lock, so that a holder saving over and over cannot keep it from
    // the waiter by taking it back at once. False with a message naming the
    // file when the wait ran out; naming the lock file and why when it is
    // there but cannot be opened (another user's file); the folder's cause
    // when no lock file can be made beside it.
    [[nodiscard]] bool Acquire(int waitMs, QString *error);

private:
    void release();

    QString m_path;
    int m_fd = -1;
    int m_folderFd = -1;
    bool m_held = false;
};

// Runs `tell` (a notice to the user, whose message box runs the event loop)
// once this thread holds no TFileLock: at once when it holds none, else as
// the last one is given back. So no other save of a held file, in this
// program or another, waits on the user, and no command the event loop runs
// meets a read-merge-write half done.
void AfterFileLocks(std::function<void()> tell);

// Call before reading `path` (a file the program owns): a missing file whose
// aside copy exists gets the copy back (the newest when there are several);
// when both exist the file is the complete new one and the copies are
// deleted. Only copies whose mark matches are touched. Temporaries left by an interrupted write are removed once no
// process holds them and they have lain untouched for a minute, so a reader
// never breaks another process's save in progress.
void RecoverSafeReplace(const QString &path);

// RecoverSafeReplace() for every file of `folder` whose name ends in
// `suffix` and that has an aside copy there: a listing puts the folder right
// before it shows the files.
void RecoverSafeReplacesIn(const QString &folder, const QString &suffix);

// Writes the size bytes at data to the open file fd, however many calls it
// takes; 0 once all are written, else the errno that stopped it (EIO for a
// device that takes nothing and says no more).
[[nodiscard]] int WriteAllTo(int fd, const char *data, qint64 size);

// Why this process may not write the existing file at `path` (a link is
// followed): EACCES or EPERM for a file its user set read-only, EROFS for one
// on a read-only disk; 0 when it may, or when there is no file. Writers that
// replace a file by a rename ask it first, as SafeReplaceFile does.
[[nodiscard]] int ReadOnlyFileError(const QString &path);

// Moves the file `from` to `to` only while no file is at `to`: one that
// appeared there meanwhile (another program's) is never replaced, and the
// move fails with errno EEXIST.
[[nodiscard]] bool RenameNoReplace(const QString &from, const QString &to);

// The name an earlier version gave the file now at `path` while it replaced
// it (same folder, its size and modification time as the mark); empty when
// no file is there.
[[nodiscard]] QString SafeReplaceBackupPath(const QString &path);

namespace SafeFile {

// The steps of SafeReplaceFile, in order.
enum class Step {
    CreateTemporary, // the new file beside the target
    WriteTemporary,
    SyncTemporary,
    RenameTemporary, // the commit: from here on the new bytes are in place
    SyncFolder,
};

// Test seam: the hook is asked before each step; returning true makes that
// step fail as the system would with the error number systemErrno (an I/O
// error unless told: a folder that may not be written gives EACCES at
// CreateTemporary, a read-only disk EROFS, a full disk ENOSPC at
// WriteTemporary). An empty function removes the hook.
void setFailureHook(std::function<bool(Step)> hook, int systemErrno = EIO);

} // namespace SafeFile
