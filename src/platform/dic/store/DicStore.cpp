#include "DicStore.h"

#include "DicSchema.h"
#include "DicText.h"
#include "platform/dic/DicApi.h"

#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <map>

namespace {

// Resets a shared statement when the query using it ends, however it ends.
class TStatementUse
{
public:
    TStatementUse(std::mutex &mutex, sqlite3_stmt *statement)
        : m_lock(mutex), m_statement(statement)
    {
    }
    ~TStatementUse()
    {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
    TStatementUse(const TStatementUse &) = delete;
    TStatementUse &operator=(const TStatementUse &) = delete;

    void bind(int index, std::string_view text)
    {
        check(sqlite3_bind_text(m_statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
    }
    void bind(int index, int value) { check(sqlite3_bind_int(m_statement, index, value)); }
    // True while a row is there.
    [[nodiscard]] bool step()
    {
        const int rc = sqlite3_step(m_statement);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            throw EDicStoreError(sqlite3_errstr(rc));
        return false;
    }

private:
    static void check(int rc)
    {
        if (rc != SQLITE_OK)
            throw EDicStoreError(sqlite3_errstr(rc));
    }

    std::lock_guard<std::mutex> m_lock;
    sqlite3_stmt *m_statement;
};

// A BLOB or TEXT column as bytes.
std::string bytes(sqlite3_stmt *statement, int column)
{
    const void *data = sqlite3_column_blob(statement, column);
    const int size = sqlite3_column_bytes(statement, column);
    return data && size > 0 ? std::string(static_cast<const char *>(data), static_cast<std::size_t>(size))
                            : std::string();
}

// Cities whose town rows are kept (the largest has about 1,600 rows).
constexpr std::size_t kRecentTowns = 8;

constexpr const char *kTownColumns = "serial, kind, postcode, name, kana, office, office_kana, street, key";

std::string townQuery(const char *where)
{
    return std::string("SELECT ") + kTownColumns + " FROM town WHERE " + where;
}

// The open stores by folder. Destroyed at library unload, closing the files.
struct TStoreCache {
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<TDicStore>, std::less<>> stores;
};

TStoreCache &cache()
{
    static TStoreCache instance;
    return instance;
}

} // namespace

std::shared_ptr<TDicStore> TDicStore::forFolder(std::string_view folder)
{
    TStoreCache &c = cache();
    const std::lock_guard<std::mutex> lock(c.mutex);
    if (const auto it = c.stores.find(folder); it != c.stores.end())
        return it->second;

    // A missing file is not remembered: the data may be installed later.
    const std::string path = std::string(folder) + DicDataFileName;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    std::shared_ptr<TDicStore> store(new TDicStore(db));
    try {
        if (!store->load())
            return nullptr;
    } catch (const EDicStoreError &) {
        return nullptr;
    }
    c.stores.emplace(std::string(folder), store);
    return store;
}

TDicStore::TDicStore(sqlite3 *db)
    : m_db(db)
{
}

TDicStore::~TDicStore()
{
    for (sqlite3_stmt *statement :
         {m_towns, m_townsOfPostcode, m_citiesOfPostcode, m_town, m_townCount, m_area, m_placeCities})
        sqlite3_finalize(statement);
    sqlite3_close(m_db);
}

sqlite3_stmt *TDicStore::prepare(const char *sql)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        throw EDicStoreError(sqlite3_errmsg(m_db));
    }
    return statement;
}

bool TDicStore::load()
{
    {
        sqlite3_stmt *format = prepare("SELECT value FROM meta WHERE key = 'format'");
        const bool ok = sqlite3_step(format) == SQLITE_ROW && bytes(format, 0) == std::to_string(DicSchemaVersion);
        sqlite3_finalize(format);
        if (!ok)
            return false;
    }

    sqlite3_stmt *prefs = prepare("SELECT no, name, kana, region, city_count FROM pref ORDER BY no");
    while (sqlite3_step(prefs) == SQLITE_ROW) {
        TDicPrefRow row;
        row.no = sqlite3_column_int(prefs, 0);
        row.name = bytes(prefs, 1);
        row.kana = bytes(prefs, 2);
        row.region = sqlite3_column_int(prefs, 3);
        row.cityCount = sqlite3_column_int(prefs, 4);
        row.key = DicNormalizeKey(row.name);
        m_prefs.push_back(std::move(row));
    }
    sqlite3_finalize(prefs);

    sqlite3_stmt *cities =
        prepare("SELECT code5, code6, pref, name, kana, head, sort, ohaza_count, key FROM city ORDER BY code5");
    while (sqlite3_step(cities) == SQLITE_ROW) {
        TDicCityRow row;
        row.code5 = bytes(cities, 0);
        row.code6 = bytes(cities, 1);
        row.pref = sqlite3_column_int(cities, 2);
        row.name = bytes(cities, 3);
        row.kana = bytes(cities, 4);
        row.head = bytes(cities, 5);
        row.sort = sqlite3_column_int(cities, 6);
        row.ohazaCount = sqlite3_column_int(cities, 7);
        row.key = bytes(cities, 8);
        m_cities.push_back(std::move(row));
    }
    sqlite3_finalize(cities);

    // serial, id is the index order of town_city and, within one city and
    // kind, the same as serial, postcode.
    m_towns = prepare(townQuery("code5 = ?1 AND kind = ?2 ORDER BY serial, id").c_str());
    m_townsOfPostcode =
        prepare(townQuery("postcode >= ?3 AND postcode < ?3 || ':' AND code5 = ?1 AND kind = ?2 ORDER BY serial, id")
                    .c_str());
    m_citiesOfPostcode = prepare("SELECT code5, kind, count(*) FROM town WHERE postcode >= ?1 AND postcode < ?1 || ':' "
                                 "GROUP BY code5, kind");
    m_town = prepare(townQuery("code5 = ?1 AND kind = 0 AND serial = ?2 ORDER BY postcode LIMIT 1").c_str());
    m_townCount = prepare("SELECT count(*) FROM town WHERE code5 = ?1 AND kind = ?2");
    m_area = prepare("SELECT area_code, place FROM area WHERE prefix = ?1");
    m_placeCities = prepare("SELECT code5 FROM place_city WHERE place = ?1 ORDER BY seq");
    return true;
}

const TDicPrefRow *TDicStore::pref(int no) const
{
    const auto it = std::lower_bound(m_prefs.begin(), m_prefs.end(), no,
                                     [](const TDicPrefRow &row, int n) { return row.no < n; });
    return it != m_prefs.end() && it->no == no ? &*it : nullptr;
}

const TDicCityRow *TDicStore::city(std::string_view code5) const
{
    const auto it = std::lower_bound(m_cities.begin(), m_cities.end(), code5,
                                     [](const TDicCityRow &row, std::string_view code) { return row.code5 < code; });
    return it != m_cities.end() && it->code5 == code5 ? &*it : nullptr;
}

const TDicCityRow *TDicStore::cityOfCode6(std::string_view code6) const
{
    if (code6.size() != 6)
        return nullptr;
    const TDicCityRow *row = city(code6.substr(0, 5));
    return row && row->code6 == code6 ? row : nullptr;
}

std::vector<TDicTownRow> TDicStore::readTowns(sqlite3_stmt *statement) const
{
    std::vector<TDicTownRow> rows;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        TDicTownRow row;
        row.serial = sqlite3_column_int(statement, 0);
        row.kind = sqlite3_column_int(statement, 1);
        row.postcode = bytes(statement, 2);
        row.name = bytes(statement, 3);
        row.kana = bytes(statement, 4);
        row.office = bytes(statement, 5);
        row.officeKana = bytes(statement, 6);
        row.street = bytes(statement, 7);
        row.key = bytes(statement, 8);
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE)
        throw EDicStoreError(sqlite3_errstr(rc));
    return rows;
}

std::shared_ptr<const std::vector<TDicTownRow>> TDicStore::towns(std::string_view code5, int kind) const
{
    TStatementUse use(m_mutex, m_towns);
    const auto hit = std::find_if(m_recentTowns.begin(), m_recentTowns.end(),
                                  [&](const TCachedTowns &c) { return c.code5 == code5 && c.kind == kind; });
    if (hit != m_recentTowns.end()) {
        std::rotate(m_recentTowns.begin(), hit, hit + 1);
        return m_recentTowns.front().rows;
    }
    use.bind(1, code5);
    use.bind(2, kind);
    auto rows = std::make_shared<const std::vector<TDicTownRow>>(readTowns(m_towns));
    if (m_recentTowns.size() == kRecentTowns)
        m_recentTowns.pop_back();
    m_recentTowns.insert(m_recentTowns.begin(), TCachedTowns{std::string(code5), kind, rows});
    return rows;
}

std::vector<TDicTownRow> TDicStore::townsOfPostcode(std::string_view code5, int kind, std::string_view prefix) const
{
    TStatementUse use(m_mutex, m_townsOfPostcode);
    use.bind(1, code5);
    use.bind(2, kind);
    use.bind(3, prefix);
    return readTowns(m_townsOfPostcode);
}

std::vector<TDicPostcodeCity> TDicStore::citiesOfPostcode(std::string_view prefix) const
{
    std::vector<TDicPostcodeCity> result;
    {
        TStatementUse use(m_mutex, m_citiesOfPostcode);
        use.bind(1, prefix);
        while (use.step()) {
            const TDicCityRow *row = city(bytes(m_citiesOfPostcode, 0));
            if (!row)
                continue;
            if (result.empty() || result.back().city != row)
                result.push_back({row, 0, 0});
            (sqlite3_column_int(m_citiesOfPostcode, 1) == 0 ? result.back().towns : result.back().larges) +=
                sqlite3_column_int(m_citiesOfPostcode, 2);
        }
    }
    std::sort(result.begin(), result.end(),
              [](const TDicPostcodeCity &a, const TDicPostcodeCity &b) { return a.city->code5 < b.city->code5; });
    return result;
}

std::optional<TDicTownRow> TDicStore::town(std::string_view code5, int serial) const
{
    TStatementUse use(m_mutex, m_town);
    use.bind(1, code5);
    use.bind(2, serial);
    std::vector<TDicTownRow> rows = readTowns(m_town);
    if (rows.empty())
        return std::nullopt;
    return std::move(rows.front());
}

int TDicStore::townCount(std::string_view code5, int kind) const
{
    TStatementUse use(m_mutex, m_townCount);
    use.bind(1, code5);
    use.bind(2, kind);
    return use.step() ? sqlite3_column_int(m_townCount, 0) : 0;
}

std::optional<TDicArea> TDicStore::area(std::string_view prefix5) const
{
    TDicArea result;
    int place = 0;
    {
        TStatementUse use(m_mutex, m_area);
        use.bind(1, prefix5);
        if (!use.step())
            return std::nullopt;
        result.areaCode = bytes(m_area, 0);
        place = sqlite3_column_int(m_area, 1);
    }
    TStatementUse use(m_mutex, m_placeCities);
    use.bind(1, place);
    while (use.step()) {
        if (const TDicCityRow *row = city(bytes(m_placeCities, 0)))
            result.cities.push_back(row);
    }
    return result;
}
