#include "NameConvert.h"

#include "DicKana.h"
#include "DicSqlite.h"
#include "NameSchema.h"
#include "platform/Cp932.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <sqlcipher/sqlite3.h>
#include <unicode/ucnv.h>

#include <cstdio>
#include <map>
#include <memory>
#include <tuple>

namespace {

struct TCloseConverter {
    void operator()(UConverter *converter) const { ucnv_close(converter); }
};

// The whole file decoded from EUC-JP; false with Error set when it cannot be.
bool decodeEucJp(const QByteArray &bytes, QString &text, QString &error)
{
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UConverter, TCloseConverter> converter(ucnv_open("EUC-JP", &status));
    if (U_FAILURE(status)) {
        error = QStringLiteral("no EUC-JP converter: %1").arg(QString::fromLatin1(u_errorName(status)));
        return false;
    }
    text.resize(bytes.size() + 1); // EUC-JP never takes fewer bytes than UTF-16 units
    const int32_t length = ucnv_toUChars(converter.get(), reinterpret_cast<UChar *>(text.data()),
                                         static_cast<int32_t>(text.size()), bytes.constData(),
                                         static_cast<int32_t>(bytes.size()), &status);
    if (U_FAILURE(status)) {
        error = QStringLiteral("cannot decode EUC-JP: %1").arg(QString::fromLatin1(u_errorName(status)));
        return false;
    }
    text.resize(length);
    return true;
}

// The fields of one CSV line; a field in double quotes may hold commas and
// doubled quotes.
QStringList splitCsv(QStringView line)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == u'"' && i + 1 < line.size() && line[i + 1] == u'"') {
                field.append(c);
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field.append(c);
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            fields.append(field);
            field.clear();
        } else {
            field.append(c);
        }
    }
    fields.append(field);
    return fields;
}

using TKey = std::tuple<int, std::string, std::string>; // kind, reading, kanji

bool fail(QString *Error, const QString &text)
{
    if (Error)
        *Error = text;
    return false;
}

bool exec(sqlite3 *db, const char *sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool writeFile(const std::map<TKey, int> &rows, const QString &tmp, QString *Error)
{
    sqlite3 *raw = nullptr;
    const QByteArray tmpName = QFile::encodeName(tmp);
    const int opened = sqlite3_open_v2(tmpName.constData(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    const TDicDatabase db(raw);
    if (opened != SQLITE_OK)
        return fail(Error, QStringLiteral("cannot create %1").arg(QDir::toNativeSeparators(tmp)));
    if (!exec(db.get(), "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;") || !exec(db.get(), DicNameSchemaSql)
        || !exec(db.get(), "BEGIN"))
        return fail(Error, QStringLiteral("%1: %2").arg(tmp, QString::fromUtf8(sqlite3_errmsg(db.get()))));
    {
        const TDicStatement insert = DicPrepare(db.get(), "INSERT INTO name(kind, reading, kanji, cost) VALUES(?, ?, ?, ?)");
        if (!insert)
            return fail(Error, QStringLiteral("%1: %2").arg(tmp, QString::fromUtf8(sqlite3_errmsg(db.get()))));
        for (const auto &[key, cost] : rows) {
            const auto &[kind, reading, kanji] = key;
            sqlite3_bind_int(insert.get(), 1, kind);
            sqlite3_bind_blob(insert.get(), 2, reading.data(), static_cast<int>(reading.size()), SQLITE_TRANSIENT);
            sqlite3_bind_blob(insert.get(), 3, kanji.data(), static_cast<int>(kanji.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int(insert.get(), 4, cost);
            const bool done = sqlite3_step(insert.get()) == SQLITE_DONE;
            sqlite3_reset(insert.get());
            if (!done)
                return fail(Error, QStringLiteral("%1: %2").arg(tmp, QString::fromUtf8(sqlite3_errmsg(db.get()))));
        }
    }
    if (!exec(db.get(), "COMMIT") || !exec(db.get(), "ANALYZE") || !exec(db.get(), "VACUUM"))
        return fail(Error, QStringLiteral("%1: %2").arg(tmp, QString::fromUtf8(sqlite3_errmsg(db.get()))));
    return true;
}

} // namespace

bool BuildNameDictionary(const QString &CsvFile, const QString &OutputFile, QString *Error, TNameConvertStats *Stats)
{
    TNameConvertStats stats;
    QFile file(CsvFile);
    if (!file.open(QIODevice::ReadOnly))
        return fail(Error, QStringLiteral("cannot read %1: %2").arg(QDir::toNativeSeparators(CsvFile), file.errorString()));
    QString text;
    QString error;
    if (!decodeEucJp(file.readAll(), text, error))
        return fail(Error, QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(CsvFile), error));

    std::map<TKey, int> rows;
    for (QStringView line : QStringView(text).split(u'\n')) {
        const QStringList fields = splitCsv(line.trimmed());
        if (fields.size() < 12 || fields.at(6) != u"人名")
            continue;
        const int kind = fields.at(7) == u"姓" ? 0 : fields.at(7) == u"名" ? 1 : -1;
        if (kind < 0)
            continue;
        bool costOk = false;
        const int cost = fields.at(3).toInt(&costOk);
        const QString &surface = fields.at(0);
        const QString &reading = fields.at(11);
        if (!costOk || surface.isEmpty() || reading.isEmpty() || reading == u"*")
            continue;
        if (!Cp932::canEncode(surface) || !Cp932::canEncode(reading)) {
            ++stats.Unencodable;
            continue;
        }
        const QByteArray kanji = Cp932::encode(surface);
        const QByteArray fullReading = Cp932::encode(reading);
        const std::string key = DicNameReading(std::string_view(fullReading.constData(), fullReading.size()));
        if (kanji.size() > DicNameFieldBytes || key.size() > static_cast<std::size_t>(DicNameFieldBytes)) {
            ++stats.TooLong;
            continue;
        }
        const auto [at, added] = rows.try_emplace(TKey{kind, key, kanji.toStdString()}, cost);
        if (!added) {
            ++stats.Duplicates;
            at->second = std::min(at->second, cost);
        } else {
            ++(kind == 0 ? stats.Surnames : stats.GivenNames);
        }
    }
    if (rows.empty())
        return fail(Error, QStringLiteral("%1 holds no surname or given name").arg(QDir::toNativeSeparators(CsvFile)));

    const QFileInfo info(OutputFile);
    if (!QDir().mkpath(info.absolutePath()))
        return fail(Error, QStringLiteral("cannot create the folder %1").arg(QDir::toNativeSeparators(info.absolutePath())));
    const QString tmp = OutputFile + QStringLiteral(".tmp");
    QFile::remove(tmp);
    if (!writeFile(rows, tmp, Error)) {
        QFile::remove(tmp);
        return false;
    }
    // rename() replaces an older file in one step.
    if (std::rename(QFile::encodeName(tmp).constData(), QFile::encodeName(OutputFile).constData()) != 0) {
        QFile::remove(tmp);
        return fail(Error, QStringLiteral("cannot rename %1 to %2")
                               .arg(QDir::toNativeSeparators(tmp), QDir::toNativeSeparators(OutputFile)));
    }
    if (Stats)
        *Stats = stats;
    return true;
}
