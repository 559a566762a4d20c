#pragma once

#include "platform/IniFile.h"

#include <QString>

#include <functional>

// The settings files of the data folder (the book list's order, the pending
// book operations, the default sender, the list's columns and keywords) are
// written by every program that has the folder open. Each save is one step
// under the file's lock (TFileLock): the file is read again, the writer's
// own changes go into what it holds now, and it is replaced before the next
// program reads it. Another program's saves to other keys survive; no save
// reported done is written over by an older copy.

// How long a save waits for another program's save of the file to end.
extern int SharedFileWaitMs;

// What becomes of a file the edit leaves without a section: written empty,
// or removed (a file whose presence says there is something to do).
enum class TSharedIniEmpty { Write, Remove };

// Reads `path` under its lock, lets `edit` change what it holds and writes
// it. False with the reason (the file as it was) when the lock was not
// granted within SharedFileWaitMs or the file could not be written.
[[nodiscard]] bool EditSharedIni(const QString &path, const std::function<void(TMemIniFile &)> &edit,
                                 QString *error, TSharedIniEmpty empty = TSharedIniEmpty::Write);

// Saves the keys whose values in `mine` differ from `base` (what this writer
// read or last saved; an object on no file holds either), and those the file
// does not hold: only the keys this writer changed, every other key keeps
// what the file holds now.
[[nodiscard]] bool SaveIniChanges(const QString &path, const TMemIniFile &base, const TMemIniFile &mine,
                                  QString *error);
