#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>

// Crash-safe replacement of a settings or data file.
//
// The new bytes go to a hidden temporary file beside the target (".<name>.new-XXXXXXXX")
// and are synced to disk; the existing file is renamed to "$$<name>", the
// temporary is renamed to <name> (an atomic step), the folder is synced and the
// "$$" copy deleted. Whatever moment the process dies at, the folder holds
// either the complete old file or the complete new one, possibly beside a "$$"
// copy; RecoverSafeReplace() puts such a folder right before the file is read.
//
// A target that is a symbolic link (or a chain of them) is replaced where the
// last link points; the links stay. A new file is readable by its owner only;
// a replaced one keeps its access rights (mode bits, access list and other
// extended attributes), and its owner and group where the system allows.

// False with a message in *error when the new bytes could not be put in place;
// the original file is then untouched and no temporary is left behind.
[[nodiscard]] bool SafeReplaceFile(const QString &path, QByteArrayView bytes, QString *error = nullptr);

// Call before reading `path`: a missing file whose "$$" copy exists gets the
// copy back; when both exist the file is the complete new one and the copy is
// deleted. Temporaries left by an interrupted write are removed once no
// process holds them and they have lain untouched for a minute, so a reader
// never breaks another process's save in progress.
void RecoverSafeReplace(const QString &path);

// The name of the copy kept while a file is being replaced: "$$" + file name, same folder.
[[nodiscard]] QString SafeReplaceBackupPath(const QString &path);

namespace SafeFile {

// The steps of SafeReplaceFile, in order.
enum class Step {
    WriteTemporary,
    SyncTemporary,
    RenameOriginal,
    RenameTemporary, // the commit: from here on the new bytes are in place
    SyncFolder,
    RemoveBackup,
};

// Test seam: the hook is asked before each step; returning true makes that
// step fail as an I/O error would. An empty function removes the hook.
void setFailureHook(std::function<bool(Step)> hook);

} // namespace SafeFile
