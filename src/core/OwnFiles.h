#pragma once

#include <QString>

// The files the program keeps for itself, which no export may write over:
// the table family and group file of every listed book and of the open one,
// the sender table, the settings files of the settings root, the registry
// files, the book list files and the data folder's own settings and
// histories. Every export asks before it writes; a file is recognised by its
// path (letter case ignored, folders resolved through their links) and, when
// it exists, by its identity on disk, so a link or a second name of the same
// file is refused as well.

// Empty when Path may be written by an export; else the message that says why
// not, naming the file.
[[nodiscard]] QString ProgramFileRefusal(const QString &Path);
