#pragma once

#include <QString>

#include <QByteArray>
#include <QStringList>

#include <functional>

// What happens to a stored file the program reads and later rewrites (a
// settings file, a history, the saved filters, the user's registry file, the
// installation file) when it cannot be read: it is never overwritten with the
// defaults. KeepUnreadableFileAside() renames it beside itself with the date
// and time ("Search.ptn.unreadable-20240501-093000"), the notice set with
// SetUnreadableFileNotice() tells the user once which file and where the copy
// is, and the reader goes on with its defaults. A reader whose file could not
// be moved refuses to write over it later.

// Told once per file and run that a file could not be read: the file, where
// the unreadable copy now is (empty when it could not be moved and stays in
// place) and the reason in a few English words for the log.
using TUnreadableFileNotice =
    std::function<void(const QString &fileName, const QString &keptAs, const QString &reason)>;
// Installs the notice (an empty function: a warning in the log only) and
// returns the one it replaces; the files told about are forgotten.
TUnreadableFileNotice SetUnreadableFileNotice(TUnreadableFileNotice notice);

// Renames the unreadable file beside itself with the date and time and tells
// the notice (once per file and run). Returns the name it now has, empty when
// it could not be moved (it is then left untouched where it is). A missing
// file, or a folder in its place, is left alone and not told about.
[[nodiscard]] QString KeepUnreadableFileAside(const QString &fileName, const QString &reason);

// A settings file the program wrote in UTF-8 in which some entries (lines)
// were damaged (a bad sector, a stray edit): the others are read, the
// damaged ones are left out so their readers use their defaults, and before
// anything is written over the file a copy of it, as it was read, is kept
// beside it ("Group.dat.damaged-20240501-093000", never over an earlier
// copy) and the user is told which file, which entries and where the copy is.
using TDamagedEntriesNotice =
    std::function<void(const QString &fileName, const QString &keptAs, const QStringList &entries)>;
// Installs the notice (an empty function: a warning in the log only) and
// returns the one it replaces; the damage told about is forgotten.
TDamagedEntriesNotice SetDamagedEntriesNotice(TDamagedEntriesNotice notice);

// Keeps a copy of `bytes` (what was read from fileName) beside the file and
// tells the notice; the copy's path, empty when it could not be made (the
// caller must then not write over the file). The same damage met again in
// this run (another reader of the same bytes) makes no second copy and is
// not told again while the first copy is there; met again in a later run it
// is told again, naming the copy an earlier run kept of those very bytes.
[[nodiscard]] QString KeepDamagedFileCopy(const QString &fileName, const QByteArray &bytes,
                                          const QStringList &entries);

namespace UnreadableFile {

// Test seam: while set, no file can be moved aside nor a copy kept beside
// it, as in a folder the user may not change; readers must then leave the
// damaged file where it is and refuse to write over it.
void setMoveRefused(bool refused);

} // namespace UnreadableFile
