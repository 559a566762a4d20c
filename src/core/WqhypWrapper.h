#pragma once

#include "platform/dic/wqhyp/WqhypApi.h"

#include <QByteArray>
#include <QString>

// The telephone hyphenation library (Wqhyp.dll, here libwqhyp.so) through
// unit functions. Numbers are Shift-JIS byte strings; folders end with '/'.
// The start-up loads it once from the program folder so every later caller
// finds it loaded. Codes: 0 done, 11 library not loadable, 12 entry point
// missing, 13 called while not loaded; any other code is the library's.
// Safe from any thread: each call holds a use of the library for its
// length, so another thread's last Free never unloads it under the call.

// Loads the library from DllFolder (0, 11 or 12; see TDicLibrary::Load).
// DataFolder becomes the default data folder when this call really loads it.
[[nodiscard]] int LoadWqhyp(const QString &DllFolder, const QString &DataFolder);
// Releases one use.
void FreeWqhyp();
// Whether the library (or a function injected for tests) can be called.
[[nodiscard]] bool WqhypLoaded();

// Calls GetHyphen with Number, a zeroed 14-byte output, DataFolder (the
// default data folder when empty) and the current UTC time. On 0 Number
// becomes the output text. Returns 13 when not loaded, else the library's code.
[[nodiscard]] int CallWqhypGetHyphen(QByteArray &Number, const QString &DataFolder);

// The trimmed Number, hyphenated by the library when it is loaded and answers
// 0 (the answer trimmed). Never fails: any other outcome gives the trimmed
// input; an empty number is never passed to the library.
[[nodiscard]] QByteArray HyphenatePhoneNumber(const QByteArray &Number, const QString &DataFolder = QString());

// Makes the wrapper call Function as if the library were loaded (nullptr
// returns to the real library), so callers can be tested without it.
void SetWqhypForTesting(TGetHyphenFn Function);
