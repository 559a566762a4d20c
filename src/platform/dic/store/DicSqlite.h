#pragma once

// The SQLite plumbing the dictionary data readers share: an owned prepared
// statement, binding by value type and reading a column's stored bytes.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

#pragma GCC visibility push(hidden)

struct TDicFinalize {
    void operator()(sqlite3_stmt *statement) const;
};
struct TDicClose {
    void operator()(sqlite3 *db) const;
};
// A prepared statement finalized however its owner ends.
using TDicStatement = std::unique_ptr<sqlite3_stmt, TDicFinalize>;
// A connection closed when its owner ends (after the statements it holds,
// when declared before them).
using TDicDatabase = std::unique_ptr<sqlite3, TDicClose>;

// The file at path opened read-only; null when it cannot be opened.
[[nodiscard]] TDicDatabase DicOpenReadOnly(const std::string &path);
// The statement of sql; null when it does not prepare.
[[nodiscard]] TDicStatement DicPrepare(sqlite3 *db, std::string_view sql);

// Binds parameter index (from 1) as text (a copy) or as an integer; the
// SQLite code.
[[nodiscard]] int DicBind(sqlite3_stmt *statement, int index, std::string_view text);
[[nodiscard]] int DicBind(sqlite3_stmt *statement, int index, std::int64_t value);

// A BLOB or TEXT column as its stored bytes, no conversion (Shift-JIS stays).
[[nodiscard]] std::string DicColumnBytes(sqlite3_stmt *statement, int column);

#pragma GCC visibility pop
