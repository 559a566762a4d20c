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
constexpr std::string_view kIsland = "\x93\x87";       // 島
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
    } else if (const std::size_t island = findAfterFirst(whole, kIsland); island != std::string_view::npos) {
        // Tokyo's island towns and villages are written with their island in
        // front (三宅島三宅村) or without it (三宅村), as a county is.
        const std::string_view tail = whole.substr(island + kIsland.size());
        if (tail.size() >= 2 * kChar && (tail.ends_with(kTown) || tail.ends_with(kVillage)))
            keys.countyEnd = island + kIsland.size();
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

// The towns with the longest key the text starts with, all of them when
// several rows share that key, and the bytes of the key (0 without one).
std::vector<const TDicTownRow *> longestTowns(const std::vector<TDicTownRow> &towns, std::string_view text,
                                              std::size_t &length)
{
    std::vector<const TDicTownRow *> best;
    length = 0;
    std::string buffer;
    for (const TDicTownRow &row : towns) {
        if (row.key.empty())
            continue;
        const std::string_view key = DicFoldNumerals(row.key, buffer);
        if (!text.starts_with(key) || key.size() < length)
            continue;
        if (key.size() > length)
            best.clear();
        best.push_back(&row);
        length = key.size();
    }
    return best;
}

// The same, read without a leading 大字 or 字 when it names none with it.
std::vector<const TDicTownRow *> longestTownsOrAza(const std::vector<TDicTownRow> &towns, std::string_view text,
                                                  std::size_t &length)
{
    std::vector<const TDicTownRow *> found = longestTowns(towns, text, length);
    std::string_view stripped;
    if (found.empty() && withoutAza(text, stripped))
        found = longestTowns(towns, stripped, length);
    return found;
}

// The towns the rest names and the bytes of the rest their key covers (0
// without one). A town is never read from the start of a street indication
// (烏丸通七条上る is no town 烏丸): a name that does not reach past the
// street part gives way to the town after it.
std::vector<const TDicTownRow *> townsOfRest(const std::vector<TDicTownRow> &towns, std::string_view rest,
                                            std::size_t &length)
{
    std::vector<const TDicTownRow *> found = longestTownsOrAza(towns, rest, length);
    const std::size_t street = DicStreetEnd(rest);
    if (street == 0 || (!found.empty() && length >= street))
        return found;
    found = longestTownsOrAza(towns, rest.substr(street), length);
    length = found.empty() ? 0 : length + street;
    return found;
}

const TDicTownRow *townOfRest(const std::vector<TDicTownRow> &towns, std::string_view rest, std::size_t &length)
{
    const std::vector<const TDicTownRow *> found = townsOfRest(towns, rest, length);
    return found.empty() ? nullptr : found.front();
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

namespace {

std::vector<std::size_t> matchKeysOrAza(const std::vector<std::string> &keys, std::string_view rest)
{
    std::vector<std::size_t> result = matchKeys(keys, rest);
    std::string_view stripped;
    if (result.empty() && withoutAza(rest, stripped))
        result = matchKeys(keys, stripped);
    return result;
}

// One way of writing a direction of Kyoto's street indications; a bare 東入
// or 西入 counts only after a street (…通), as towns are named 東入船.
struct TDirection {
    std::string_view word;
    bool afterStreetOnly;
};

constexpr std::string_view kStreet = "\x92\xCA"; // 通
constexpr TDirection kDirections[] = {
    {"\x8F\xE3\x82\xE9", false},                         // 上る
    {"\x8F\xE3\x83\x8B", false},                         // 上ル
    {"\x8F\xE3\xD9", false},                             // 上ﾙ
    {"\x8F\xE3\x82\xAA\x82\xE9", false},                 // 上がる
    {"\x89\xBA\x82\xE9", false},                         // 下る
    {"\x89\xBA\x83\x8B", false},                         // 下ル
    {"\x89\xBA\xD9", false},                             // 下ﾙ
    {"\x89\xBA\x82\xAA\x82\xE9", false},                 // 下がる
    {"\x93\x8C\x93\xFC\x82\xE9", false},                 // 東入る
    {"\x93\x8C\x93\xFC\x83\x8B", false},                 // 東入ル
    {"\x93\x8C\x93\xFC\xD9", false},                     // 東入ﾙ
    {"\x93\x8C\x93\xFC", true},                          // 東入
    {"\x90\xBC\x93\xFC\x82\xE9", false},                 // 西入る
    {"\x90\xBC\x93\xFC\x83\x8B", false},                 // 西入ル
    {"\x90\xBC\x93\xFC\xD9", false},                     // 西入ﾙ
    {"\x90\xBC\x93\xFC", true},                          // 西入
    {"\x82\xA0\x82\xAA\x82\xE9", false},                 // あがる
    {"\x82\xB3\x82\xAA\x82\xE9", false},                 // さがる
    {"\x82\xD0\x82\xAA\x82\xB5\x82\xA2\x82\xE9", false}, // ひがしいる
    {"\x82\xC9\x82\xB5\x82\xA2\x82\xE9", false},         // にしいる
};

} // namespace

std::size_t DicStreetEnd(std::string_view rest)
{
    std::size_t end = 0;
    bool street = false;
    for (std::size_t i = 0, width = 1; i < rest.size(); i += width) {
        width = DicIsLeadByte(static_cast<unsigned char>(rest[i])) ? 2 : 1;
        const std::string_view here = rest.substr(i);
        for (const TDirection &direction : kDirections) {
            // The longer forms come first: 東入ル before 東入.
            if (here.starts_with(direction.word) && (street || !direction.afterStreetOnly)) {
                width = direction.word.size();
                end = i + width;
                break;
            }
        }
        street = street || here.starts_with(kStreet);
    }
    return end;
}

std::vector<std::size_t> DicMatchKeys(const std::vector<std::string> &keys, std::string_view rest)
{
    std::vector<std::size_t> result = matchKeysOrAza(keys, rest);
    const std::size_t street = DicStreetEnd(rest);
    if (street == 0)
        return result;
    // Only a name that reaches past the street indication is read from its
    // start; else the town is the one after it.
    std::vector<std::size_t> whole;
    for (const std::size_t i : result) {
        if (keys[i].size() >= street && rest.starts_with(keys[i]))
            whole.push_back(i);
    }
    return whole.empty() ? matchKeysOrAza(keys, rest.substr(street)) : whole;
}

const TDicTownRow *DicBestTown(const std::vector<TDicTownRow> &towns, std::string_view rest)
{
    std::size_t length = 0;
    return townOfRest(towns, rest, length);
}

std::vector<const TDicTownRow *> DicBestTowns(const std::vector<TDicTownRow> &towns, std::string_view rest)
{
    std::size_t length = 0;
    return townsOfRest(towns, rest, length);
}
