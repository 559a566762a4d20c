#include "directory/WqareaWriter.h"

#include "platform/dic/wqarea17/WqareaSchema.h"

#include <QFile>

#include <sqlcipher/sqlite3.h>

TWqareaWriter::~TWqareaWriter()
{
    if (m_db != nullptr) {
        sqlite3_finalize(m_insert);
        sqlite3_close(m_db);
        QFile::remove(m_fileName);
    }
}

bool TWqareaWriter::fail(const char *What)
{
    m_error = QString::fromLatin1(What) + QStringLiteral(": ")
              + (m_db != nullptr ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString());
    return false;
}

bool TWqareaWriter::Open(const QString &FileName)
{
    m_fileName = FileName;
    if (QFile::exists(FileName) && !QFile::remove(FileName)) {
        m_error = QStringLiteral("cannot replace ") + FileName;
        return false;
    }
    if (sqlite3_open(QFile::encodeName(FileName).constData(), &m_db) != SQLITE_OK)
        return fail("open");
    if (sqlite3_exec(m_db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;", nullptr, nullptr, nullptr) != SQLITE_OK
        || sqlite3_exec(m_db, WqareaSchemaSql, nullptr, nullptr, nullptr) != SQLITE_OK
        || sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
        return fail("schema");
    if (sqlite3_prepare_v2(m_db,
                           "INSERT INTO listing VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, "
                           "?15, ?16, ?17, ?18, ?19, ?20, ?21, ?22, ?23, ?24)",
                           -1, &m_insert, nullptr)
        != SQLITE_OK)
        return fail("prepare");
    return true;
}

bool TWqareaWriter::Add(const TWqareaListing &l)
{
    if (m_insert == nullptr)
        return false;
    sqlite3_reset(m_insert);
    auto text = [&](int column, const std::string &s) {
        sqlite3_bind_text(m_insert, column, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    };
    auto blob = [&](int column, const std::string &s) {
        sqlite3_bind_blob(m_insert, column, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    };
    sqlite3_bind_int64(m_insert, 1, l.Key);
    text(2, l.Phone);
    sqlite3_bind_int(m_insert, 3, l.PhoneKind);
    blob(4, l.Name);
    blob(5, l.NameKana);
    text(6, l.Postcode);
    blob(7, l.Pref);
    blob(8, l.City);
    blob(9, l.Address2a);
    blob(10, l.Address2b);
    blob(11, l.Address2c);
    blob(12, l.PrefKana);
    blob(13, l.CityKana);
    blob(14, l.Address2aKana);
    blob(15, l.Address2bKana);
    blob(16, l.Address2cKana);
    text(17, l.CityCode);
    text(18, l.TownCode);
    sqlite3_bind_int(m_insert, 19, l.ListingKind);
    sqlite3_bind_int(m_insert, 20, l.CorporateForm);
    text(21, l.FirstMonth);
    sqlite3_bind_int64(m_insert, 22, l.Latitude);
    sqlite3_bind_int64(m_insert, 23, l.Longitude);
    blob(24, WqareaNameHeadOf(l.Name));
    if (sqlite3_step(m_insert) != SQLITE_DONE)
        return fail("insert");
    return true;
}

bool TWqareaWriter::Finish()
{
    if (m_db == nullptr)
        return false;
    sqlite3_finalize(m_insert);
    m_insert = nullptr;
    const std::string meta =
        "INSERT INTO meta VALUES('format', '" + std::to_string(WqareaSchemaVersion) + "');";
    if (sqlite3_exec(m_db, meta.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK
        || sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK
        || sqlite3_exec(m_db, WqareaIndexSql, nullptr, nullptr, nullptr) != SQLITE_OK)
        return fail("finish");
    if (sqlite3_close(m_db) != SQLITE_OK)
        return fail("close");
    m_db = nullptr;
    return true;
}
