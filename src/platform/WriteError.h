#pragma once

#include <QString>

// What the user reads when a file could not be written: the cause behind the
// system's error number, in words that say what to mend (a folder that may
// not be written, a read-only disk, a full disk, a file another program
// holds), never the system's own text. Every writer of the program's files
// (tables, settings, layouts, exports, backups, histories) takes its reason
// from here, so one cause reads the same wherever it is met.
//
// The same number means different things on the folder and on the file: a
// refused new name (the temporary beside the file, the table's journal, a
// rename) is the folder's access, a refused open of the file for writing is
// the file's own read-only setting.

enum class TWriteTarget {
    Folder, // making, renaming or removing a name in the folder
    File,   // opening the file itself for writing, writing, syncing
};

// One or two sentences, each ending in "。".
[[nodiscard]] QString WriteErrorReason(int systemErrno, TWriteTarget target);

// The errors that stand for a full disk (no space, the user's quota spent).
[[nodiscard]] bool IsDiskFullError(int systemErrno);
