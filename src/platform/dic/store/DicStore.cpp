#include "DicStore.h"

#include "DicSchema.h"
#include "DicText.h"
#include "platform/dic/DicApi.h"

#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <map>

namespace {

// A row of the statement: true while there is one; a failure throws.
bool stepRow(sqlite3_stmt *statement)
{
    const int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        throw EDicStoreError(sqlite3_errstr(rc));
    return false;
}

// Resets a shared statement when the query using it ends, however it ends.
class TStatementUse
{
public:
    TStatementUse(std::mutex &mutex, const TDicStatement &statement)
        : m_lock(mutex), m_statement(statement.get())
    {
    }
    ~TStatementUse()
    {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
    TStatementUse(const TStatementUse &) = delete;
    TStatementUse &operator=(const TStatementUse &) = delete;

    void bind(int index, std::string_view text) { check(DicBind(m_statement, index, text)); }
    void bind(int index, int value) { check(DicBind(m_statement, index, std::int64_t{value})); }
    // True while a row is there.
    [[nodiscard]] bool step() { return stepRow(m_statement); }
    [[nodiscard]] std::string bytes(int column) const { return DicColumnBytes(m_statement, column); }
    [[nodiscard]] int integer(int column) const { return sqlite3_column_int(m_statement, column); }

private:
    static void check(int rc)
    {
        if (rc != SQLITE_OK)
            throw EDicStoreError(sqlite3_errstr(rc));
    }

    std::lock_guard<std::mutex> m_lock;
    sqlite3_stmt *m_statement;
};

// Cities whose town rows are kept (the largest has about 1,600 rows).
constexpr std::size_t kRecentTowns = 8;

constexpr const char *kTownColumns = "serial, kind, postcode, name, kana, office, office_kana, street, key, seq";

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

    // A file that cannot be used is not remembered: the data may be
    // installed later.
    TDicDataCheck check;
    std::shared_ptr<TDicStore> store = open(folder, check);
    if (store)
        c.stores.emplace(std::string(folder), store);
    return store;
}

TDicDataCheck TDicStore::check(std::string_view folder)
{
    TDicDataCheck result;
    (void)open(folder, result);
    return result;
}

std::shared_ptr<TDicStore> TDicStore::open(std::string_view folder, TDicDataCheck &Check)
{
    Check = TDicDataCheck{};
    const std::string path = std::string(folder) + DicDataFileName;
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::path(path), error) && !error) {
        Check.problem = TDicDataProblem::missing;
        return nullptr;
    }
    TDicDatabase db = DicOpenReadOnly(path);
    if (!db) {
        Check.problem = TDicDataProblem::unreadable;
        return nullptr;
    }
    std::shared_ptr<TDicStore> store(new TDicStore(std::move(db)));
    try {
        if (!store->load(Check))
            return nullptr;
    } catch (const EDicStoreError &) {
        // Not a database, damaged, or without the tables.
        Check.problem = TDicDataProblem::unreadable;
        return nullptr;
    }
    return store;
}

TDicStore::TDicStore(TDicDatabase db)
    : m_db(std::move(db))
{
}

TDicStore::~TDicStore() = default;

TDicStatement TDicStore::prepare(const char *sql)
{
    TDicStatement statement = DicPrepare(m_db.get(), sql);
    if (!statement)
        throw EDicStoreError(sqlite3_errmsg(m_db.get()));
    return statement;
}

bool TDicStore::load(TDicDataCheck &Check)
{
    {
        const TDicStatement format = prepare("SELECT value FROM meta WHERE key = 'format'");
        const std::string value = stepRow(format.get()) ? DicColumnBytes(format.get(), 0) : std::string();
        if (value != std::to_string(DicSchemaVersion)) {
            int number = 0;
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
            const bool named = error == std::errc() && end == value.data() + value.size() && number > 0;
            Check.problem = named ? TDicDataProblem::otherFormat : TDicDataProblem::unreadable;
            Check.format = named ? number : 0;
            return false;
        }
    }

    const TDicStatement prefs = prepare("SELECT no, name, kana, region, city_count FROM pref ORDER BY no");
    for (sqlite3_stmt *const p = prefs.get(); stepRow(p);) {
        TDicPrefRow row;
        row.no = sqlite3_column_int(p, 0);
        row.name = DicColumnBytes(p, 1);
        row.kana = DicColumnBytes(p, 2);
        row.region = sqlite3_column_int(p, 3);
        row.cityCount = sqlite3_column_int(p, 4);
        row.key = DicNormalizeKey(row.name);
        m_prefs.push_back(std::move(row));
    }

    const TDicStatement cities =
        prepare("SELECT code5, code6, pref, name, kana, head, sort, ohaza_count, key FROM city ORDER BY code5");
    for (sqlite3_stmt *const c = cities.get(); stepRow(c);) {
        TDicCityRow row;
        row.code5 = DicColumnBytes(c, 0);
        row.code6 = DicColumnBytes(c, 1);
        row.pref = sqlite3_column_int(c, 2);
        row.name = DicColumnBytes(c, 3);
        row.kana = DicColumnBytes(c, 4);
        row.head = DicColumnBytes(c, 5);
        row.sort = sqlite3_column_int(c, 6);
        row.ohazaCount = sqlite3_column_int(c, 7);
        row.key = DicColumnBytes(c, 8);
        m_cities.push_back(std::move(row));
    }

    // serial, seq, id is the index order of town_city and the same as id
    // order within one city and kind.
    m_towns = prepare(townQuery("code5 = ?1 AND kind = ?2 ORDER BY serial, seq, id").c_str());
    m_townsOfPostcode = prepare(
        townQuery("postcode >= ?3 AND postcode < ?3 || ':' AND code5 = ?1 AND kind = ?2 ORDER BY serial, seq, id")
            .c_str());
    m_citiesOfPostcode = prepare("SELECT code5, kind, count(*) FROM town WHERE postcode >= ?1 AND postcode < ?1 || ':' "
                                 "GROUP BY code5, kind");
    m_town = prepare(townQuery("code5 = ?1 AND kind = 0 AND serial = ?2 AND seq = ?3 ORDER BY id LIMIT 1").c_str());
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
    while (stepRow(statement)) {
        TDicTownRow row;
        row.serial = sqlite3_column_int(statement, 0);
        row.kind = sqlite3_column_int(statement, 1);
        row.postcode = DicColumnBytes(statement, 2);
        row.name = DicColumnBytes(statement, 3);
        row.kana = DicColumnBytes(statement, 4);
        row.office = DicColumnBytes(statement, 5);
        row.officeKana = DicColumnBytes(statement, 6);
        row.street = DicColumnBytes(statement, 7);
        row.key = DicColumnBytes(statement, 8);
        row.seq = sqlite3_column_int(statement, 9);
        rows.push_back(std::move(row));
    }
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
    auto rows = std::make_shared<const std::vector<TDicTownRow>>(readTowns(m_towns.get()));
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
    return readTowns(m_townsOfPostcode.get());
}

std::vector<TDicPostcodeCity> TDicStore::citiesOfPostcode(std::string_view prefix) const
{
    std::vector<TDicPostcodeCity> result;
    {
        TStatementUse use(m_mutex, m_citiesOfPostcode);
        use.bind(1, prefix);
        while (use.step()) {
            const TDicCityRow *row = city(use.bytes(0));
            if (!row)
                continue;
            if (result.empty() || result.back().city != row)
                result.push_back({row, 0, 0});
            (use.integer(1) == 0 ? result.back().towns : result.back().larges) += use.integer(2);
        }
    }
    std::sort(result.begin(), result.end(),
              [](const TDicPostcodeCity &a, const TDicPostcodeCity &b) { return a.city->code5 < b.city->code5; });
    return result;
}

std::optional<TDicTownRow> TDicStore::town(std::string_view code5, int serial, int seq) const
{
    TStatementUse use(m_mutex, m_town);
    use.bind(1, code5);
    use.bind(2, serial);
    use.bind(3, seq);
    std::vector<TDicTownRow> rows = readTowns(m_town.get());
    if (rows.empty())
        return std::nullopt;
    return std::move(rows.front());
}

int TDicStore::townCount(std::string_view code5, int kind) const
{
    TStatementUse use(m_mutex, m_townCount);
    use.bind(1, code5);
    use.bind(2, kind);
    return use.step() ? use.integer(0) : 0;
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
        result.areaCode = use.bytes(0);
        place = use.integer(1);
    }
    TStatementUse use(m_mutex, m_placeCities);
    use.bind(1, place);
    while (use.step()) {
        if (const TDicCityRow *row = city(use.bytes(0)))
            result.cities.push_back(row);
    }
    return result;
}
