#include "platform/SqlCipher.h"

#include "platform/Cp932.h"
#include "platform/SafeFile.h"
#include "platform/WriteError.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <utility>

#include <sqlcipher/sqlite3.h>

#include <fcntl.h>
#include <unistd.h>

namespace SqlCipher {

namespace {

unsigned char foldByte(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

int foldCollate(void *, int n1, const void *p1, int n2, const void *p2)
{
    return compareFolded(QByteArrayView(static_cast<const char *>(p1), n1),
                         QByteArrayView(static_cast<const char *>(p2), n2));
}

// The raw 256-bit key of a table: SHA-256 of the table password with a fixed
// prefix. The password is a word built into the program, so a slow key
// derivation would protect nothing and only make every open cost a fraction
// of a second; a raw key ("x'..'") skips SQLCipher's PBKDF2.
QByteArray keyPragma(const QByteArray &password)
{
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData(QByteArrayView("murven table key", 17)); // includes the terminating zero
    h.addData(password);
    return "PRAGMA key = \"x'" + h.result().toHex() + "'\";";
}

} // namespace

int compareFolded(QByteArrayView a, QByteArrayView b)
{
    const qsizetype n = qMin(a.size(), b.size());
    bool trailA = false;
    bool trailB = false;
    for (qsizetype i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[i]);
        // Each side keeps its own lead/trail state: the two texts may split
        // into characters differently.
        if (trailA)
            trailA = false;
        else if (Cp932::isLeadByte(ca))
            trailA = true;
        else
            ca = foldByte(ca);
        if (trailB)
            trailB = false;
        else if (Cp932::isLeadByte(cb))
            trailB = true;
        else
            cb = foldByte(cb);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

void registerCollation(sqlite3 *db)
{
    sqlite3_create_collation(db, kFoldCollation, SQLITE_UTF8, nullptr, &foldCollate);
}

QString errorReason(int resultCode, int systemErrno)
{
    const bool noPermission = systemErrno == EACCES || systemErrno == EPERM || systemErrno == EROFS;
    switch (resultCode & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return WriteErrorReason(EBUSY, TWriteTarget::File);
    case SQLITE_READONLY:
        return WriteErrorReason(systemErrno == EROFS ? EROFS : EACCES, TWriteTarget::File);
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("ファイルを使う権限がありません。");
    case SQLITE_FULL:
        return WriteErrorReason(ENOSPC, TWriteTarget::File);
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QStringLiteral("ファイルが壊れています。");
    case SQLITE_NOMEM:
        return WriteErrorReason(ENOMEM, TWriteTarget::File);
    case SQLITE_INTERRUPT:
        return QStringLiteral("処理が中断されました。");
    case SQLITE_ABORT:
        return QStringLiteral("書き込みが取り消されました。");
    case SQLITE_TOOBIG:
        return QStringLiteral("データが大きすぎます。");
    case SQLITE_CONSTRAINT:
        if (resultCode == SQLITE_CONSTRAINT_UNIQUE || resultCode == SQLITE_CONSTRAINT_PRIMARYKEY)
            return QStringLiteral("同じキーのデータが既にあります。");
        return QStringLiteral("ファイルの設定により、このデータの書き込みは拒否されました。");
    case SQLITE_CANTOPEN:
        // The file the engine could not open for writing is mostly its
        // journal, a new file in the table's folder.
        if (IsDiskFullError(systemErrno) || noPermission || systemErrno == ENOENT || systemErrno == ENOTDIR)
            return WriteErrorReason(systemErrno, TWriteTarget::Folder);
        return QStringLiteral("ファイルを開けません。フォルダーが読み取り専用か、ファイルが移動されたおそれがあります。");
    case SQLITE_IOERR:
        return WriteErrorReason(systemErrno != 0 ? systemErrno : EIO, TWriteTarget::File);
    default:
        return QStringLiteral("データベースエンジンでエラーが発生しました。");
    }
}

namespace {

// The engine's own access(), which a test may replace as it replaces the
// engine's other file calls to play a failing disk: the look below then meets
// the file system exactly as the engine's write did.
int engineAccess(const QByteArray &path, int mode)
{
    using TAccess = int (*)(const char *, int);
    sqlite3_vfs *vfs = sqlite3_vfs_find(nullptr);
    TAccess call = nullptr;
    if (vfs && vfs->iVersion >= 3 && vfs->xGetSystemCall)
        call = reinterpret_cast<TAccess>(vfs->xGetSystemCall(vfs, "access"));
    return call ? call(path.constData(), mode) : ::access(path.constData(), mode);
}

// Why a write to the table file `path` is refused, looked up on the disk:
// the engine's own error number is no guide here. It opens a file that it
// may not write read-only without a word (the refusal shows only at the
// first write, as "read-only"), and after a journal it could not create it
// tries to open that journal for reading, so the number it keeps is that
// of the missing journal. 0 when neither the file nor its folder refuses.
std::pair<int, TWriteTarget> refusedWrite(const QString &path)
{
    if (path.isEmpty())
        return {0, TWriteTarget::File};
    // The refusal, if any, of writing `place`: a missing file is none.
    const auto refusal = [](const QString &place) {
        // A file nobody may write refuses the administrator too.
        if (const int code = ReadOnlyFileError(place); code == EACCES)
            return code;
        if (engineAccess(QFile::encodeName(place), W_OK) == 0)
            return 0;
        const int code = errno;
        return code == EROFS || code == EACCES || code == EPERM ? code : 0;
    };
    if (const int code = refusal(path))
        return {code, TWriteTarget::File};
    if (const int code = refusal(QFileInfo(path).absolutePath()))
        return {code, TWriteTarget::Folder};
    return {0, TWriteTarget::File};
}

// errorReason for a refusal on the table file `path`: behind "read-only",
// "cannot open" and a refused I/O call the disk is asked which of the file,
// its folder or the whole disk refuses.
QString reasonFor(const QString &path, int resultCode, int systemErrno)
{
    const int primary = resultCode & 0xff;
    const bool refusal = primary == SQLITE_READONLY || primary == SQLITE_CANTOPEN ||
                         (primary == SQLITE_IOERR &&
                          (systemErrno == EACCES || systemErrno == EPERM || systemErrno == EROFS));
    if (refusal) {
        const auto [code, target] = refusedWrite(path);
        if (code != 0)
            return WriteErrorReason(code, target);
    }
    return errorReason(resultCode, systemErrno);
}

QString databasePath(sqlite3 *db)
{
    const char *name = db ? sqlite3_db_filename(db, "main") : nullptr;
    return name ? QString::fromUtf8(name) : QString();
}

QString detail(sqlite3 *db)
{
    return QStringLiteral("（詳細：%1）").arg(QString::fromUtf8(sqlite3_errmsg(db)));
}

} // namespace

QString lastError(sqlite3 *db)
{
    if (!db)
        return errorReason(SQLITE_NOMEM);
    return reasonFor(databasePath(db), sqlite3_extended_errcode(db), sqlite3_system_errno(db)) + detail(db);
}

bool exec(sqlite3 *db, const char *sql, QString *error)
{
    char *msg = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &msg);
    if (rc == SQLITE_OK)
        return true;
    if (error) {
        // The code of the statement that failed (extended: open() asks for
        // those), not the connection's, which a failed COMMIT's own rollback
        // may already have replaced.
        *error = reasonFor(databasePath(db), rc, db ? sqlite3_system_errno(db) : 0);
        if (msg)
            *error += QStringLiteral("（詳細：%1）").arg(QString::fromUtf8(msg));
    }
    sqlite3_free(msg);
    return false;
}

sqlite3 *open(const QString &path, const QByteArray &password, bool create, QString *error, int busyWaitMs)
{
    sqlite3 *db = nullptr;
    // A connection belongs to one table object on one thread: no locking of
    // its own, which every column read of a walk would otherwise pay. A
    // read-only connection makes every write fail as the file's own refusal.
    const bool readOnly = !create && ReadOnlyFileError(path) == EACCES;
    const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX |
                      (create ? SQLITE_OPEN_CREATE : 0);
    if (create) {
        // The engine would make a new book readable by everyone; made here
        // first, for the user alone. Its journals take the book's access.
        const int fd = ::open(path.toUtf8().constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (fd >= 0)
            ::close(fd);
    }
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    if (db) {
        sqlite3_extended_result_codes(db, 1);
        // Before the key and the schema read: a commit of another
        // connection under way would make the first read fail at once.
        sqlite3_busy_timeout(db, busyWaitMs);
    }
    if (rc != SQLITE_OK) {
        // A connection that failed to open may not know its file's name.
        if (error)
            *error = QStringLiteral("ファイル %1 を開けません。%2")
                         .arg(path, db ? reasonFor(path, sqlite3_extended_errcode(db), sqlite3_system_errno(db)) +
                                             detail(db)
                                       : errorReason(SQLITE_NOMEM));
        sqlite3_close(db);
        return nullptr;
    }
    QString why;
    if (!exec(db, keyPragma(password).constData(), &why)) {
        if (error)
            *error = QStringLiteral("ファイル %1 を開けません。%2").arg(path, why);
        sqlite3_close(db);
        return nullptr;
    }
    // The first read of the schema is where a wrong key shows.
    const int readRc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master;", nullptr, nullptr, nullptr);
    if (readRc != SQLITE_OK) {
        if (error) {
            // The key is built into the program: a file it does not open is
            // another program's file or a damaged one.
            if ((readRc & 0xff) == SQLITE_NOTADB)
                *error = QStringLiteral("ファイル %1 を読み込めません。このプログラムのデータファイルではないか、"
                                        "ファイルが壊れています。")
                             .arg(path);
            else
                *error = QStringLiteral("ファイル %1 を読み込めません。%2").arg(path, lastError(db));
        }
        sqlite3_close(db);
        return nullptr;
    }
    registerCollation(db);
    // Every page is decrypted on its way into the cache: a cache that holds
    // a whole address book (about 40 MB for 100,000 records) keeps walks in
    // index order from decrypting the same table pages over and over.
    (void)exec(db, "PRAGMA cache_size = -65536;");
    return db;
}

bool readConsistent(const QString &path, const QByteArray &password,
                    const std::function<bool(const char *data, qint64 size)> &sink, QString *error)
{
    // A writer's commit holds the file for a moment; wait for it as the
    // tables do rather than fail the copy, from the first read of the
    // schema on.
    sqlite3 *db = open(path, password, false, error, 3000);
    if (!db)
        return false;
    QString why;
    // A deferred transaction's first read takes the shared lock and keeps it
    // to the end; the schema read is that first read.
    bool ok = exec(db, "BEGIN; SELECT count(*) FROM sqlite_master;", &why);
    sqlite3_file *file = nullptr;
    if (ok && (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
               !file->pMethods)) {
        why = errorReason(SQLITE_IOERR);
        ok = false;
    }
    sqlite3_int64 size = 0;
    if (ok && file->pMethods->xFileSize(file, &size) != SQLITE_OK) {
        why = errorReason(SQLITE_IOERR, sqlite3_system_errno(db));
        ok = false;
    }
    constexpr int kPiece = 1 << 20;
    QByteArray buffer(kPiece, Qt::Uninitialized);
    for (sqlite3_int64 at = 0; ok && at < size; at += kPiece) {
        const int n = int(qMin<sqlite3_int64>(kPiece, size - at));
        if (file->pMethods->xRead(file, buffer.data(), n, at) != SQLITE_OK) {
            why = errorReason(SQLITE_IOERR, sqlite3_system_errno(db));
            ok = false;
        } else if (!sink(buffer.constData(), n)) {
            why.clear(); // the sink says why
            ok = false;
        }
    }
    (void)exec(db, "COMMIT;");
    close(db);
    if (!ok && error && !why.isEmpty())
        *error = QStringLiteral("ファイル %1 を読み込めません。%2").arg(path, why);
    return ok;
}

void close(sqlite3 *db)
{
    if (db)
        sqlite3_close_v2(db);
}

Statement::Statement(sqlite3 *db, const QByteArray &sql)
{
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &m_stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

Statement::Statement(Statement &&other) noexcept : m_stmt(other.m_stmt)
{
    other.m_stmt = nullptr;
}

Statement &Statement::operator=(Statement &&other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_stmt = other.m_stmt;
        other.m_stmt = nullptr;
    }
    return *this;
}

} // namespace SqlCipher
