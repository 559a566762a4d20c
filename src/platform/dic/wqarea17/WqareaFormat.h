#pragma once

// The format of a directory data file (WqareaSchema.h), read the same way by
// the library before it searches and by the program before it starts a
// search, so both refuse the same files.

#include "WqareaSchema.h"
#include "platform/dic/store/DicSqlite.h"
#include "platform/dic/store/DicText.h"

#include <sqlcipher/sqlite3.h>

#include <string>

// The "format" of the meta table of an open data file; 1 when the file has
// none (the first files had no meta table); 0 when it is no directory data
// file (no listing table) or its format is not a number.
[[nodiscard]] inline int WqareaFileFormat(sqlite3 *Db)
{
    if (DicPrepare(Db, "SELECT key FROM listing LIMIT 1") == nullptr)
        return 0;
    const TDicStatement stmt = DicPrepare(Db, "SELECT value FROM meta WHERE key = 'format'");
    if (!stmt)
        return 1;
    const int rc = sqlite3_step(stmt.get());
    if (rc == SQLITE_DONE)
        return 1;
    if (rc != SQLITE_ROW)
        return 0;
    const std::string text = DicColumnBytes(stmt.get(), 0);
    return DicIsDigits(text, 9) ? std::stoi(text) : 0;
}

// The format of the data file at Path; 0 when it is missing or unreadable.
[[nodiscard]] inline int WqareaFileFormatAt(const std::string &Path)
{
    const TDicDatabase db = DicOpenReadOnly(Path);
    return db ? WqareaFileFormat(db.get()) : 0;
}

// Whether this build reads files of Format.
[[nodiscard]] constexpr bool WqareaFormatKnown(int Format)
{
    return Format >= 1 && Format <= WqareaSchemaVersion;
}
