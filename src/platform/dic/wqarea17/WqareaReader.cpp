#include "WqareaReader.h"

#include "WqareaFormat.h"
#include "WqareaSchema.h"
#include "platform/dic/store/DicSqlite.h"
#include "platform/dic/store/DicText.h"

#include <sqlcipher/sqlite3.h>

#include <climits>
#include <string_view>
#include <variant>

namespace {

// Every column of a listing, in TWqareaListing order.
constexpr const char *kColumns =
    "SELECT key, phone, phone_kind, name, name_kana, postcode, pref, city, address2a, address2b, address2c, "
    "pref_kana, city_kana, address2a_kana, address2b_kana, address2c_kana, city_code, town_code, listing_kind, "
    "corporate_form, first_month, latitude, longitude FROM listing ";

// Record keys travel as 32-bit values; a larger key could not be fetched back.
constexpr const char *kKeyRange = " AND key <= 2147483647";

// Bytes compared with a BLOB column: bound as a BLOB, since a TEXT value
// never equals a BLOB in SQLite.
struct TBlob {
    std::string Bytes;
};

using TValues = std::vector<std::variant<std::int64_t, std::string, TBlob>>;

int bind(sqlite3_stmt *stmt, int index, const TBlob &blob)
{
    return sqlite3_bind_blob(stmt, index, blob.Bytes.data(), static_cast<int>(blob.Bytes.size()), SQLITE_TRANSIENT);
}

template <typename T>
int bind(sqlite3_stmt *stmt, int index, const T &value)
{
    return DicBind(stmt, index, value);
}

// The statement of sql with values bound in order; null when either fails.
TDicStatement prepared(sqlite3 *db, const std::string &sql, const TValues &values)
{
    TDicStatement stmt = DicPrepare(db, sql);
    for (std::size_t i = 0; stmt && i < values.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        if (std::visit([&](const auto &v) { return bind(stmt.get(), index, v); }, values[i]) != SQLITE_OK)
            stmt.reset();
    }
    return stmt;
}

int integer(sqlite3_stmt *stmt, int column)
{
    const std::int64_t value = sqlite3_column_int64(stmt, column);
    return value < INT_MIN || value > INT_MAX ? 0 : static_cast<int>(value);
}

TWqareaListing readRow(sqlite3_stmt *stmt)
{
    TWqareaListing row;
    row.Key = sqlite3_column_int64(stmt, 0);
    row.Phone = DicColumnBytes(stmt, 1);
    row.PhoneKind = integer(stmt, 2);
    row.Name = DicColumnBytes(stmt, 3);
    row.NameKana = DicColumnBytes(stmt, 4);
    row.Postcode = DicColumnBytes(stmt, 5);
    row.Pref = DicColumnBytes(stmt, 6);
    row.City = DicColumnBytes(stmt, 7);
    row.Address2a = DicColumnBytes(stmt, 8);
    row.Address2b = DicColumnBytes(stmt, 9);
    row.Address2c = DicColumnBytes(stmt, 10);
    row.PrefKana = DicColumnBytes(stmt, 11);
    row.CityKana = DicColumnBytes(stmt, 12);
    row.Address2aKana = DicColumnBytes(stmt, 13);
    row.Address2bKana = DicColumnBytes(stmt, 14);
    row.Address2cKana = DicColumnBytes(stmt, 15);
    row.CityCode = DicColumnBytes(stmt, 16);
    row.TownCode = DicColumnBytes(stmt, 17);
    row.ListingKind = integer(stmt, 18);
    row.CorporateForm = integer(stmt, 19);
    row.FirstMonth = DicColumnBytes(stmt, 20);
    row.Latitude = sqlite3_column_int64(stmt, 21);
    row.Longitude = sqlite3_column_int64(stmt, 22);
    return row;
}

// Whether pos starts a character of text (walking from its start).
bool isBoundary(std::string_view text, std::size_t pos)
{
    std::size_t i = 0;
    while (i < pos)
        i += DicIsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    return i == pos;
}

// The characters of the head of a normalized key (at most WqareaNameHeadChars).
std::size_t headChars(std::string_view key)
{
    const std::string head = WqareaNameHead(key);
    std::size_t n = 0;
    for (std::size_t i = 0; i < head.size(); ++n)
        i += DicIsLeadByte(static_cast<unsigned char>(head[i])) && i + 1 < head.size() ? 2 : 1;
    return n;
}

} // namespace

bool WqareaNameMatches(const TWqareaFilter &filter, const std::string &name)
{
    const std::string_view key = filter.NameKey;
    if (key.empty())
        return true;
    const std::string normalized = DicNormalizeKey(name);
    const std::string_view text = normalized;
    if (text.size() < key.size())
        return false;
    switch (filter.MatchKind) {
    case 0:
        return text.substr(0, key.size()) == key;
    case 2:
        return text.substr(text.size() - key.size()) == key && isBoundary(text, text.size() - key.size());
    case 3:
        return text == key;
    default:
        for (std::size_t i = 0; i + key.size() <= text.size();
             i += DicIsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1) {
            if (text.substr(i, key.size()) == key)
                return true;
        }
        return false;
    }
}

TWqareaReader::~TWqareaReader()
{
    sqlite3_close(m_db);
}

bool TWqareaReader::open(const std::string &folder)
{
    std::string path = folder;
    if (!path.empty() && path.back() != '/')
        path += '/';
    path += WqareaDataFileName;
    m_db = DicOpenReadOnly(path).release();
    if (!m_db)
        return false;
    sqlite3_busy_timeout(m_db, 2000);
    m_format = WqareaFileFormat(m_db);
    if (!WqareaFormatKnown(m_format)) {
        sqlite3_close(m_db);
        m_db = nullptr;
        return false;
    }
    return true;
}

TWqareaReader::TScan TWqareaReader::scan(const TWqareaFilter &filter, std::int64_t afterKey,
                                         const TRowVisitor &visit, const TProgress &progress)
{
    if (!m_db)
        return TScan::Failed;
    TValues values;
    // The address expressions are those of the indexes (WqareaIndexSql).
    std::string sql = kColumns;
    if (filter.CityPrefix.size() == 2) {
        sql += "WHERE substr(city_code, 1, 2) = ?";
        values.emplace_back(filter.CityPrefix);
    } else if (filter.OazaNumber.empty()) {
        sql += "WHERE city_code = ?";
        values.emplace_back(filter.CityPrefix);
    } else {
        sql += "WHERE city_code = ? AND substr(town_code, 1, 3) = ?";
        values.emplace_back(filter.CityPrefix);
        values.emplace_back(filter.OazaNumber);
    }
    // A prefix or exact name reads only the rows of its head, through the
    // name index of the address key. A one-character prefix has no head of
    // its own; its rows are matched as they are read.
    if (m_format >= WqareaNameHeadVersion && !filter.NameKey.empty()
        && (filter.MatchKind == 3 || (filter.MatchKind == 0 && headChars(filter.NameKey) >= WqareaNameHeadChars))) {
        sql += " AND name_head = ?";
        values.emplace_back(TBlob{WqareaNameHead(filter.NameKey)});
    }
    sql += " AND key > ?";
    values.emplace_back(afterKey);
    sql += kKeyRange;
    if (filter.Category == 0)
        sql += " AND listing_kind = 99";
    else if (filter.Category == 1)
        sql += " AND listing_kind <> 99";
    std::string kinds;
    for (int kind = 0; kind < 4; ++kind) {
        if (filter.Kinds & (1u << kind))
            kinds += (kinds.empty() ? "" : ",") + std::to_string(kind);
    }
    sql += " AND phone_kind IN (" + kinds + ")";
    if (!filter.MonthFrom.empty()) {
        sql += " AND first_month >= ?";
        values.emplace_back(filter.MonthFrom);
    }
    if (!filter.MonthTo.empty()) {
        sql += " AND first_month <= ?";
        values.emplace_back(filter.MonthTo);
    }
    if (filter.CorporateForm != 0) {
        sql += " AND corporate_form = ?";
        values.emplace_back(static_cast<std::int64_t>(filter.CorporateForm));
    }
    sql += " ORDER BY key";

    const TDicStatement stmt = prepared(m_db, sql, values);
    if (!stmt)
        return TScan::Failed;
    int read = 0;
    for (;;) {
        const int rc = sqlite3_step(stmt.get());
        if (rc == SQLITE_DONE)
            return TScan::Done;
        if (rc != SQLITE_ROW)
            return TScan::Failed;
        // The name first: a row that does not match is never copied out.
        if (WqareaNameMatches(filter, DicColumnBytes(stmt.get(), 3)) && !visit(readRow(stmt.get())))
            return TScan::Done;
        if (++read % ProgressRows == 0 && !progress())
            return TScan::Stopped;
    }
}

std::optional<std::vector<TWqareaListing>> TWqareaReader::byPhone(const std::string &phone, int max)
{
    if (!m_db)
        return std::nullopt;
    const TDicStatement stmt = prepared(m_db, std::string(kColumns) + "WHERE phone = ?" + kKeyRange + " ORDER BY key LIMIT ?",
                                        {phone, static_cast<std::int64_t>(max)});
    if (!stmt)
        return std::nullopt;
    std::vector<TWqareaListing> rows;
    for (;;) {
        const int rc = sqlite3_step(stmt.get());
        if (rc == SQLITE_DONE)
            return rows;
        if (rc != SQLITE_ROW)
            return std::nullopt;
        rows.push_back(readRow(stmt.get()));
    }
}

std::optional<TWqareaListing> TWqareaReader::byKey(std::int64_t key)
{
    if (!m_db)
        return std::nullopt;
    const TDicStatement stmt = prepared(m_db, std::string(kColumns) + "WHERE key = ?", {key});
    if (!stmt)
        return std::nullopt;
    if (sqlite3_step(stmt.get()) != SQLITE_ROW)
        return std::nullopt;
    return readRow(stmt.get());
}
