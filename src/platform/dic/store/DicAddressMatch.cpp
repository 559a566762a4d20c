#include "DicAddressMatch.h"

namespace {

// The key after the prefecture's name, or nothing when the key does not
// start with it.
bool afterPref(const TDicPrefRow *pref, std::string_view key, std::string_view &rest)
{
    if (!pref || pref->key.empty() || !key.starts_with(pref->key))
        return false;
    rest = key.substr(pref->key.size());
    return true;
}

} // namespace

std::vector<const TDicCityRow *> DicMatchCities(const TDicStore &store, std::string_view key)
{
    std::vector<const TDicCityRow *> whole;
    std::vector<const TDicCityRow *> partial;
    if (key.empty())
        return whole;
    for (const TDicCityRow &city : store.cities()) {
        if (city.key.empty())
            continue;
        std::string_view rest;
        const bool prefGiven = afterPref(store.pref(city.pref), key, rest);
        if (key.starts_with(city.key) || (prefGiven && rest.starts_with(city.key)))
            whole.push_back(&city);
        else if (std::string_view(city.key).starts_with(key)
                 || (prefGiven && (rest.empty() || std::string_view(city.key).starts_with(rest))))
            partial.push_back(&city);
    }
    return whole.empty() ? partial : whole;
}

const TDicCityRow *DicBestCity(const TDicStore &store, std::string_view key, std::size_t &used)
{
    const TDicPrefRow *given = nullptr;
    std::string_view rest = key;
    for (const TDicPrefRow &pref : store.prefs()) {
        if (afterPref(&pref, key, rest)) {
            given = &pref;
            break;
        }
    }
    const TDicCityRow *best = nullptr;
    for (const TDicCityRow &city : store.cities()) {
        if (city.key.empty() || (given && city.pref != given->no) || !rest.starts_with(city.key))
            continue;
        // Cities come in code order: a longer name replaces, an equal one does not.
        if (!best || city.key.size() > best->key.size())
            best = &city;
    }
    if (best)
        used = key.size() - rest.size() + best->key.size();
    return best;
}

std::string_view DicRestAfterCity(const TDicStore &store, const TDicCityRow &city, std::string_view key)
{
    std::string_view rest;
    if (afterPref(store.pref(city.pref), key, rest) && rest.starts_with(city.key))
        return rest.substr(city.key.size());
    if (!city.key.empty() && key.starts_with(city.key))
        return key.substr(city.key.size());
    return {};
}

std::vector<std::size_t> DicMatchKeys(const std::vector<std::string> &keys, std::string_view rest)
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
