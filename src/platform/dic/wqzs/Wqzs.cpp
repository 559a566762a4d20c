// libwqzs.so: an address text to its cities, then to the towns or large
// offices of one of them. A text that fits several cities alike lists them
// all for the user to choose (see DicMatchCities). The caller sends
// full-width Shift-JIS of at most 254 bytes; count calls and list calls must
// be given the same text, and a list call the count its count call answered.

#include "DicAddressMatch.h"
#include "DicEntry.h"

#include <type_traits>

namespace {

constexpr std::size_t kMaxText = 254;

struct TArgs {
    std::shared_ptr<TDicStore> store;
    std::string key;
};

// Checks text and folder; DicOk with the store and the text's key.
int open(const char *text, const char *folder, TArgs &args)
{
    std::string_view textArg;
    std::string_view folderArg;
    if (!DicTextArg(text, kMaxText, textArg) || !DicTextArg(folder, DicMaxFolder, folderArg))
        return DicWrongInput;
    args.key = DicAddressKey(textArg);
    if (args.key.empty())
        return DicWrongInput;
    args.store = TDicStore::forFolder(folderArg);
    return args.store ? DicOk : DicNotFound;
}

// Rows chosen from a city's rows (which the store keeps alive).
struct TSelected {
    std::shared_ptr<const std::vector<TDicTownRow>> all;
    std::vector<const TDicTownRow *> rows;
};

// The towns (kind 0) or large offices (kind 1) of a city entry the text selects.
int select(const char *text, const TWqzsCity *entry, int kind, const char *folder, TSelected &selected)
{
    std::string_view code6;
    if (!entry || !DicCode6Field(entry->CityCode, code6))
        return DicWrongInput;
    TArgs args;
    if (const int rc = open(text, folder, args); rc != DicOk)
        return rc;
    const TDicCityRow *city = args.store->cityOfCode6(code6);
    if (!city)
        return DicNotFound;
    const std::string_view rest = DicRestAfterCity(*args.store, *city, args.key);
    selected.all = args.store->towns(city->code5, kind);
    const auto &all = selected.all;
    auto &rows = selected.rows;
    std::vector<std::string> keys;
    keys.reserve(all->size());
    std::string buffer;
    for (const TDicTownRow &row : *all) {
        if (kind == 0)
            keys.emplace_back(DicFoldNumerals(row.key, buffer));
        else
            keys.emplace_back(DicFoldNumerals(row.key + DicNormalizeKey(row.street), buffer));
    }
    for (const std::size_t i : DicMatchKeys(keys, rest))
        rows.push_back(&(*all)[i]);
    return rows.empty() ? DicNotFound : DicOk;
}

int count(const char *text, const TWqzsCity *city, std::int32_t *count, const char *folder, int kind)
{
    if (!count)
        return DicWrongInput;
    TSelected selected;
    const int rc = select(text, city, kind, folder, selected);
    if (rc == DicOk)
        *count = static_cast<std::int32_t>(selected.rows.size());
    return rc;
}

int list(const char *text, const TWqzsCity *city, TWqzsTown *towns, TDicLarge *larges, std::int32_t count,
         const char *folder, int kind)
{
    if (!towns || (kind == 1 && !larges) || count <= 0)
        return DicWrongInput;
    TSelected selected;
    if (const int rc = select(text, city, kind, folder, selected); rc != DicOk)
        return rc;
    const std::vector<const TDicTownRow *> &rows = selected.rows;
    if (rows.size() != static_cast<std::size_t>(count))
        return DicWrongInput;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        DicFillTown(towns[i], *rows[i]);
        if (kind == 1)
            DicFillLarge(larges[i], *rows[i]);
    }
    return DicOk;
}

} // namespace

DIC_EXPORT int WQZsJisCount(const char *text, std::int32_t *count, const char *folder)
{
    return DicGuard([&] {
        if (!count)
            return DicWrongInput;
        TArgs args;
        if (const int rc = open(text, folder, args); rc != DicOk)
            return rc;
        const auto cities = DicMatchCities(*args.store, args.key, true);
        if (cities.empty())
            return DicNotFound;
        *count = static_cast<std::int32_t>(cities.size());
        return DicOk;
    });
}

DIC_EXPORT int WQZsJisList(const char *text, TWqzsCity *cities, std::int32_t count, const char *folder)
{
    return DicGuard([&] {
        if (!cities || count <= 0)
            return DicWrongInput;
        TArgs args;
        if (const int rc = open(text, folder, args); rc != DicOk)
            return rc;
        const auto matched = DicMatchCities(*args.store, args.key, true);
        if (matched.empty())
            return DicNotFound;
        if (matched.size() != static_cast<std::size_t>(count))
            return DicWrongInput;
        for (std::size_t i = 0; i < matched.size(); ++i) {
            const TDicCityRow &city = *matched[i].city;
            const TDicPrefRow *pref = args.store->pref(city.pref);
            TWqzsCity &entry = cities[i];
            std::memset(&entry, 0, sizeof entry);
            DicSetField(entry.CityCode, sizeof entry.CityCode, city.code6, false);
            DicSetField(entry.PrefKana, sizeof entry.PrefKana, pref ? pref->kana : std::string());
            DicSetField(entry.Pref, sizeof entry.Pref, pref ? pref->name : std::string());
            DicSetField(entry.CityKana, sizeof entry.CityKana, city.kana);
            DicSetField(entry.City, sizeof entry.City, city.name);
        }
        return DicOk;
    });
}

DIC_EXPORT int WQZsTownCount(const char *text, const TWqzsCity *city, std::int32_t *n, const char *folder)
{
    return DicGuard([&] { return count(text, city, n, folder, 0); });
}

DIC_EXPORT int WQZsLargeCount(const char *text, const TWqzsCity *city, std::int32_t *n, const char *folder)
{
    return DicGuard([&] { return count(text, city, n, folder, 1); });
}

DIC_EXPORT int WQZsTownList(const char *text, const TWqzsCity *city, TWqzsTown *towns, std::int32_t n,
                            const char *folder)
{
    return DicGuard([&] { return list(text, city, towns, nullptr, n, folder, 0); });
}

DIC_EXPORT int WQZsLargeList(const char *text, const TWqzsCity *city, TWqzsTown *towns, TDicLarge *larges,
                             std::int32_t n, const char *folder)
{
    return DicGuard([&] { return list(text, city, towns, larges, n, folder, 1); });
}

static_assert(std::is_same_v<decltype(&WQZsJisCount), TWQZsJisCount>);
static_assert(std::is_same_v<decltype(&WQZsJisList), TWQZsJisList>);
static_assert(std::is_same_v<decltype(&WQZsTownCount), TWQZsTownCount>);
static_assert(std::is_same_v<decltype(&WQZsLargeCount), TWQZsLargeCount>);
static_assert(std::is_same_v<decltype(&WQZsTownList), TWQZsTownList>);
static_assert(std::is_same_v<decltype(&WQZsLargeList), TWQZsLargeList>);
