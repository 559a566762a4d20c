#include "DicAddressMatch.h"

#include "DicText.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

namespace {

constexpr std::string_view kOaza = "\x91\xE5\x8E\x9A"; // 大字
constexpr std::string_view kAza = "\x8E\x9A";          // 字
constexpr std::string_view kCounty = "\x8C\x53";       // 郡
constexpr std::string_view kCity = "\x8E\x73";         // 市
constexpr std::string_view kWard = "\x8B\xE6";         // 区
constexpr std::string_view kTown = "\x92\xAC";         // 町
constexpr std::string_view kVillage = "\x91\xBA";      // 村
constexpr std::size_t kChar = 2;                       // bytes of one kanji

// The byte offset of the first mark after the key's first character; npos
// when there is none. Walks by characters so a trail byte never matches.
std::size_t findAfterFirst(std::string_view key, std::string_view mark)
{
    std::size_t width = 1;
    for (std::size_t i = 0; i < key.size(); i += width) {
        width = DicIsLeadByte(static_cast<unsigned char>(key[i])) ? 2 : 1;
        if (i > 0 && key.substr(i).starts_with(mark))
            return i;
    }
    return std::string_view::npos;
}

// The address keys of a city's name in the ways it is written in an
// address: whole, without the county (中井町 of 足柄上郡中井町) and, for a
// ward, the designated city's name alone (京都市 of 京都市下京区).
struct TCityKeys {
    std::string whole;
    std::size_t countyEnd = 0;     // the name without the county starts here; 0 outside a county
    std::size_t designatedEnd = 0; // the designated city's name ends here; 0 for all but wards

    [[nodiscard]] std::string_view withoutCounty() const
    {
        return countyEnd ? std::string_view(whole).substr(countyEnd) : std::string_view();
    }
    [[nodiscard]] std::string_view designated() const
    {
        return std::string_view(whole).substr(0, designatedEnd);
    }
};

TCityKeys keysOfCity(const TDicCityRow &city)
{
    TCityKeys keys;
    std::string buffer;
    keys.whole = DicFoldNumerals(city.key, buffer);
    const std::string_view whole = keys.whole;
    // A county is followed by a town or village name: 蒲郡市 and 大和郡山市
    // are cities of their own.
    if (const std::size_t county = findAfterFirst(whole, kCounty); county != std::string_view::npos) {
        const std::string_view tail = whole.substr(county + kCounty.size());
        if (tail.size() >= 2 * kChar && (tail.ends_with(kTown) || tail.ends_with(kVillage)))
            keys.countyEnd = county + kCounty.size();
    }
    if (const std::size_t name = findAfterFirst(whole, kCity); name != std::string_view::npos) {
        const std::string_view tail = whole.substr(name + kCity.size());
        if (tail.size() >= 2 * kChar && tail.ends_with(kWard))
            keys.designatedEnd = name + kCity.size();
    }
    return keys;
}

// The address keys of a store's prefectures and cities, in the order of
// prefs() and cities().
struct TStoreKeys {
    std::vector<std::string> prefs;
    std::vector<TCityKeys> cities;
};

// Made once per store: a store lives as long as the library, so its keys do.
const TStoreKeys &keysOf(const TDicStore &store)
{
    static std::mutex mutex;
    static std::map<const TDicStore *, std::unique_ptr<const TStoreKeys>> all;
    const std::lock_guard<std::mutex> lock(mutex);
    std::unique_ptr<const TStoreKeys> &keys = all[&store];
    if (!keys) {
        auto made = std::make_unique<TStoreKeys>();
        for (const TDicPrefRow &pref : store.prefs())
            made->prefs.push_back(DicAddressKey(pref.key));
        for (const TDicCityRow &city : store.cities())
            made->cities.push_back(keysOfCity(city));
        keys = std::move(made);
    }
    return *keys;
}

// The key after the city's prefecture's name, or nothing when the key does
// not start with it.
bool afterPref(const TDicStore &store, const TStoreKeys &keys, const TDicCityRow &city, std::string_view key,
               std::string_view &rest)
{
    const TDicPrefRow *pref = store.pref(city.pref);
    if (!pref)
        return false;
    const std::string &prefKey = keys.prefs[static_cast<std::size_t>(pref - store.prefs().data())];
    if (prefKey.empty() || !key.starts_with(prefKey))
        return false;
    rest = key.substr(prefKey.size());
    return true;
}

const TCityKeys &keysOfCity(const TDicStore &store, const TStoreKeys &keys, const TDicCityRow &city)
{
    return keys.cities[static_cast<std::size_t>(&city - store.cities().data())];
}

enum TPartKind { pkNone, pkDesignated, pkWhole };

struct TCityPart {
    TPartKind kind = pkNone;
    std::string_view rest;
};

// How the key names a city: by one of its forms (after the city's own
// prefecture or without one), the whole forms before the designated city's
// name, the longest part first.
TCityPart partOf(const TDicStore &store, const TStoreKeys &keys, const TDicCityRow &city, std::string_view key)
{
    const TCityKeys &forms = keysOfCity(store, keys, city);
    TCityPart best;
    const auto consider = [&best](TPartKind kind, std::string_view rest) {
        if (kind > best.kind || (kind == best.kind && rest.size() < best.rest.size()))
            best = {kind, rest};
    };
    std::string_view texts[2] = {key, {}};
    const std::size_t count = afterPref(store, keys, city, key, texts[1]) ? 2 : 1;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view text = texts[i];
        for (const std::string_view form : {std::string_view(forms.whole), forms.withoutCounty()}) {
            if (!form.empty() && text.starts_with(form))
                consider(pkWhole, text.substr(form.size()));
        }
        if (const std::string_view designated = forms.designated(); !designated.empty() && text.starts_with(designated))
            consider(pkDesignated, text.substr(designated.size()));
    }
    return best;
}

// Whether the key names the city only by the start of its name, or names
// the city's prefecture alone.
bool partlyNames(const TDicStore &store, const TStoreKeys &keys, const TDicCityRow &city, std::string_view key)
{
    std::string_view rest;
    if (afterPref(store, keys, city, key, rest) && rest.empty())
        return true;
    const TCityKeys &forms = keysOfCity(store, keys, city);
    const std::string_view withoutCounty = forms.withoutCounty();
    for (const std::string_view text : {key, rest}) {
        if (!text.empty() && (std::string_view(forms.whole).starts_with(text)
                              || (!withoutCounty.empty() && withoutCounty.starts_with(text))))
            return true;
    }
    return false;
}

// The rest without a leading 大字 or 字; false when it has neither.
bool withoutAza(std::string_view rest, std::string_view &stripped)
{
    for (const std::string_view mark : {kOaza, kAza}) {
        if (rest.starts_with(mark)) {
            stripped = rest.substr(mark.size());
            return true;
        }
    }
    return false;
}

const TDicTownRow *longestTown(const std::vector<TDicTownRow> &towns, std::string_view rest, std::size_t &length)
{
    const TDicTownRow *best = nullptr;
    length = 0;
    std::string buffer;
    for (const TDicTownRow &row : towns) {
        if (row.key.empty())
            continue;
        const std::string_view key = DicFoldNumerals(row.key, buffer);
        if (rest.starts_with(key) && key.size() > length) {
            best = &row;
            length = key.size();
        }
    }
    return best;
}

// The town the rest names and the bytes of its key (0 without one).
const TDicTownRow *townOfRest(const std::vector<TDicTownRow> &towns, std::string_view rest, std::size_t &length)
{
    const TDicTownRow *town = longestTown(towns, rest, length);
    std::string_view stripped;
    if (!town && withoutAza(rest, stripped))
        town = longestTown(towns, stripped, length);
    return town;
}

// Several cities named alike: those whose town list holds the longest town
// the rests name; all of them when none holds one.
std::vector<TDicCityMatch> byTown(const TDicStore &store, std::vector<TDicCityMatch> matches)
{
    if (matches.size() < 2)
        return matches;
    std::vector<std::size_t> lengths;
    for (const TDicCityMatch &match : matches) {
        std::size_t length = 0;
        if (!match.rest.empty())
            (void)townOfRest(*store.towns(match.city->code5, 0), match.rest, length);
        lengths.push_back(length);
    }
    const std::size_t longest = *std::max_element(lengths.begin(), lengths.end());
    if (longest == 0)
        return matches;
    std::vector<TDicCityMatch> kept;
    for (std::size_t i = 0; i < matches.size(); ++i) {
        if (lengths[i] == longest)
            kept.push_back(matches[i]);
    }
    return kept;
}

// Adds a match to the list of its kind, keeping only the longest parts.
void keepLongest(std::vector<TDicCityMatch> &list, const TDicCityMatch &match)
{
    if (!list.empty() && match.rest.size() > list.front().rest.size())
        return;
    if (!list.empty() && match.rest.size() < list.front().rest.size())
        list.clear();
    list.push_back(match);
}

std::vector<std::size_t> matchKeys(const std::vector<std::string> &keys, std::string_view rest)
{
    std::vector<std::size_t> result;
    if (rest.empty()) {
        for (std::size_t i = 0; i < keys.size(); ++i)
            result.push_back(i);
        return result;
    }
    std::size_t longest = 0;
    for (const std::string &key : keys) {
        if (!key.empty() && rest.starts_with(key))
            longest = std::max(longest, key.size());
    }
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::string_view key = keys[i];
        if (key.empty())
            continue;
        if (longest > 0 ? key.size() == longest && rest.starts_with(key) : key.starts_with(rest))
            result.push_back(i);
    }
    return result;
}

} // namespace

std::vector<TDicCityMatch> DicMatchCities(const TDicStore &store, std::string_view key, bool Partial)
{
    std::vector<TDicCityMatch> whole;
    std::vector<TDicCityMatch> designated;
    std::vector<TDicCityMatch> partial;
    if (key.empty())
        return whole;
    const TStoreKeys &keys = keysOf(store);
    for (const TDicCityRow &city : store.cities()) {
        if (city.key.empty())
            continue;
        const TCityPart part = partOf(store, keys, city, key);
        if (part.kind == pkWhole)
            keepLongest(whole, {&city, part.rest});
        else if (part.kind == pkDesignated)
            keepLongest(designated, {&city, part.rest});
        else if (Partial && whole.empty() && designated.empty() && partlyNames(store, keys, city, key))
            partial.push_back({&city, {}});
    }
    if (!whole.empty())
        return byTown(store, std::move(whole));
    if (!designated.empty())
        return byTown(store, std::move(designated));
    return partial;
}

std::string_view DicRestAfterCity(const TDicStore &store, const TDicCityRow &city, std::string_view key)
{
    const TCityPart part = partOf(store, keysOf(store), city, key);
    return part.kind == pkNone ? std::string_view() : part.rest;
}

std::vector<std::size_t> DicMatchKeys(const std::vector<std::string> &keys, std::string_view rest)
{
    std::vector<std::size_t> result = matchKeys(keys, rest);
    std::string_view stripped;
    if (result.empty() && withoutAza(rest, stripped))
        result = matchKeys(keys, stripped);
    return result;
}

const TDicTownRow *DicBestTown(const std::vector<TDicTownRow> &towns, std::string_view rest)
{
    std::size_t length = 0;
    return townOfRest(towns, rest, length);
}
