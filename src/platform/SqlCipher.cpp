#include "platform/SqlCipher.h"

#include "platform/Cp932.h"

#include <QCryptographicHash>

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

QString lastError(sqlite3 *db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

bool exec(sqlite3 *db, const char *sql, QString *error)
{
    char *msg = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &msg) == SQLITE_OK)
        return true;
    if (error)
        *error = msg ? QString::fromUtf8(msg) : lastError(db);
    sqlite3_free(msg);
    return false;
}

sqlite3 *open(const QString &path, const QByteArray &password, bool create, QString *error)
{
    sqlite3 *db = nullptr;
    // A connection belongs to one table object on one thread: no locking of
    // its own, which every column read of a walk would otherwise pay.
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    if (create) {
        // The engine would make a new book readable by everyone; made here
        // first, for the user alone. Its journals take the book's access.
        const int fd = ::open(path.toUtf8().constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (fd >= 0)
            ::close(fd);
    }
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr) != SQLITE_OK) {
        if (error)
            *error = QStringLiteral("The table file %1 cannot be opened: %2").arg(path, lastError(db));
        sqlite3_close(db);
        return nullptr;
    }
    QString why;
    if (!exec(db, keyPragma(password).constData(), &why)) {
        if (error)
            *error = QStringLiteral("The table file %1 cannot be keyed: %2").arg(path, why);
        sqlite3_close(db);
        return nullptr;
    }
    // The first read of the schema is where a wrong key shows.
    const int rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master;", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        if (error) {
            if (rc == SQLITE_NOTADB)
                *error = QStringLiteral("The table password is wrong, or %1 is not a table file").arg(path);
            else
                *error = QStringLiteral("The table file %1 cannot be read: %2").arg(path, lastError(db));
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
