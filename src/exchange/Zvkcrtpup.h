#pragma once

#include <QByteArray>
#include <QString>

// The encrypted output of the text export: an AES-256 encrypted ZIP archive
// holding the export text as one entry, built wholly in memory (the text is
// handed to libzip as a buffer) and put in place through a safe replace, so
// the plain text never touches the disk. ZIP passwords are case-sensitive.
//
// False with the reason for the user when the archive could not be built or
// written; the target is then as it was.
[[nodiscard]] bool CreateEncryptedExport(const QString &Target, const QString &EntryName, const QByteArray &Text,
                                         const QString &Password, QString *Error);

// The target of the encrypted output: the name with ".zip" in place of its
// extension (a stored ".exe" target of older settings becomes ".zip" too).
[[nodiscard]] QString EncryptedTargetName(const QString &Path);
