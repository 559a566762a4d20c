#pragma once

#include "platform/dic/DicApi.h"

#include <QByteArray>
#include <QString>

// The detail-address library (Wqmtad.dll, here libwqmtad.so) through unit
// functions: loaded by its first user, freed by its last. Codes: 0 done,
// 101 library not loadable, 102 entry point missing (both after the error
// box), 103 called while not loaded; any other code is the library's. Safe
// from any thread: each call holds a use of the library for its
// length, so another thread's last Free never unloads it under the call.

// Loads the library from Folder (ends with '/'): 0, 101 or 102.
[[nodiscard]] int LoadWqmtad(const QString &Folder);
// Releases one use.
void FreeWqmtad();

// Zero-fills Detail and calls WQMTAdrs(Code, Detail, DataFolder): 0 found;
// 103 when the library is not loaded.
[[nodiscard]] int CallWqMTAdrs(const QByteArray &Code, TWqmtadDetail &Detail, const QString &DataFolder);

// Makes the wrapper call Function as if the library were loaded (nullptr
// returns to the real library), so callers can be tested without it.
void SetWqmtadForTesting(TWQMTAdrs Function);
