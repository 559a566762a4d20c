#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

struct sqlite3;
struct sqlite3_stmt;

// Small helpers around an SQLCipher connection, shared by the table layer and
// by tools that read a table file directly (benchmarks, repair checks).
namespace SqlCipher {

// Collation of case-insensitive indexes: compares the stored Shift-JIS bytes,
// folding only single-byte ASCII letters to upper case. A trail byte that
// happens to look like a letter (0x41 in "ア" 83 41) is never folded.
inline constexpr const char *kFoldCollation = "CP932_NOCASE";

// The same comparison as the collation, for use outside SQL (-1, 0, 1).
[[nodiscard]] int compareFolded(QByteArrayView a, QByteArrayView b);

// Opens a connection on an existing or new file, keys it (before anything
// else touches the file) and registers the collation. Returns nullptr and
// sets error on failure. A wrong key is found by reading the schema: the
// message then names the password. busyWaitMs is how long every statement,
// the first read of the schema among them, waits for another connection
// that holds the file (a commit in progress) before it gives up. An
// existing file nobody may write (no write bit at all) is opened read-only
// even for the administrator, whom the system would let write it: the user
// made it read-only on purpose, and every writer of the program refuses it.
[[nodiscard]] sqlite3 *open(const QString &path, const QByteArray &password, bool create, QString *error,
                            int busyWaitMs = 0);
void close(sqlite3 *db);

// Registers the collation on a connection (open() already does).
void registerCollation(sqlite3 *db);

// Reads the bytes of a table file as one consistent state: under the
// engine's shared lock (no writer can commit meanwhile; an interrupted write
// is rolled back first) and through the connection's own file handle (a
// second handle's close would drop the process's locks on the file). The
// bytes stay encrypted: a copy is the same table with the same key. sink gets
// the file in order, in pieces; false from it stops the read. False with the
// reason when the file is no table of this key or cannot be read.
[[nodiscard]] bool readConsistent(const QString &path, const QByteArray &password,
                                  const std::function<bool(const char *data, qint64 size)> &sink, QString *error);

// Runs statements without results; false and error text (lastError) on failure.
[[nodiscard]] bool exec(sqlite3 *db, const char *sql, QString *error = nullptr);

// Why the engine refused, in words the user can act on: the book is
// read-only, used by another program, the disk is full, the file is
// damaged... resultCode is a primary or extended SQLite result code;
// systemErrno (the errno of the failed file call) tells apart a folder
// without write permission, a missing file and a full disk behind the
// engine's "cannot open" and I/O errors. Every error text of the table layer
// is made through here, so every window says the same thing for one cause.
[[nodiscard]] QString errorReason(int resultCode, int systemErrno = 0);
// errorReason of the connection's last error, followed by the engine's own
// text as a detail ("（詳細：...）"). Behind "read-only", "cannot open" and a
// refused file call the disk is asked whether the table file, its folder or
// the whole disk refuses writing (the engine's own error number does not
// tell), so the reason names the one to mend (WriteErrorReason).
[[nodiscard]] QString lastError(sqlite3 *db);

// A prepared statement released with its owner.
class Statement
{
public:
    Statement() = default;
    Statement(sqlite3 *db, const QByteArray &sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    Statement(Statement &&other) noexcept;
    Statement &operator=(Statement &&other) noexcept;

    bool valid() const { return m_stmt != nullptr; }
    sqlite3_stmt *get() const { return m_stmt; }
    operator sqlite3_stmt *() const { return m_stmt; }

private:
    sqlite3_stmt *m_stmt = nullptr;
};

} // namespace SqlCipher
