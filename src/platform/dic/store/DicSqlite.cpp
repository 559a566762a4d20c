#include "DicSqlite.h"

#include <sqlcipher/sqlite3.h>

void TDicFinalize::operator()(sqlite3_stmt *statement) const
{
    sqlite3_finalize(statement);
}

void TDicClose::operator()(sqlite3 *db) const
{
    sqlite3_close(db);
}

TDicDatabase DicOpenReadOnly(const std::string &path)
{
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    TDicDatabase owned(db); // a failed open still hands out a connection to close
    return rc == SQLITE_OK ? std::move(owned) : nullptr;
}

TDicStatement DicPrepare(sqlite3 *db, std::string_view sql)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return nullptr;
    }
    return TDicStatement(statement);
}

int DicBind(sqlite3_stmt *statement, int index, std::string_view text)
{
    // An empty view may carry no address, which SQLite would bind as NULL.
    return sqlite3_bind_text(statement, index, text.empty() ? "" : text.data(), static_cast<int>(text.size()),
                             SQLITE_TRANSIENT);
}

int DicBind(sqlite3_stmt *statement, int index, std::int64_t value)
{
    return sqlite3_bind_int64(statement, index, value);
}

std::string DicColumnBytes(sqlite3_stmt *statement, int column)
{
    const void *data = sqlite3_column_blob(statement, column);
    const int size = sqlite3_column_bytes(statement, column);
    return data && size > 0 ? std::string(static_cast<const char *>(data), static_cast<std::size_t>(size))
                            : std::string();
}
