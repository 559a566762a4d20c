#pragma once

#include <QString>

// Where the program finds its installation and keeps its settings. Every
// location can be redirected by an environment variable, so tests and
// portable set-ups never touch the user's real folders:
//
//   MURVEN_PROGRAM_DIR       program folder (Common/, Dic/, the manual ...)
//   MURVEN_APPDATA           application-data folder the settings root lies in
//   MURVEN_SETTINGS_ROOT     settings root itself
//   MURVEN_MACHINE_REGISTRY  file standing for the installation's machine key
//   MURVEN_USER_REGISTRY     file standing for the user's registry keys
//
// Folder results end with a '/' so callers can append names directly.
namespace Folders {

// The program folder: MURVEN_PROGRAM_DIR, else <prefix>/share/murven19/ next
// to the installed executable when it exists, else the executable's folder.
[[nodiscard]] QString programFolder();
// The per-user application-data folder (XDG data home); never a folder shared
// with other users.
[[nodiscard]] QString appDataFolder();
// The settings root: MURVEN_SETTINGS_ROOT, else appDataFolder() + "Pyx/Murven19/".
[[nodiscard]] QString settingsRoot();
[[nodiscard]] QString machineRegistryFile();
[[nodiscard]] QString userRegistryFile();

// Makes the folder and every missing folder above it, each one entered and
// read by the user only (0700): books, settings and histories are private.
// Folders that exist keep their access rights. True when the folder exists;
// else errno tells why (ENOTDIR: a file stands in a folder's place).
[[nodiscard]] bool makePrivatePath(const QString &path);

// Sets the process's file-creation mask so that every file and folder made
// from now on, by this program or by a library it calls, is the user's alone
// (files 0600, folders 0700). Called once at the start of the program.
void restrictNewFilesToUser();

// Path helpers in the style the rest of the program uses.
[[nodiscard]] QString includeTrailingPathDelimiter(const QString &path);
[[nodiscard]] QString excludeTrailingPathDelimiter(const QString &path);

} // namespace Folders
