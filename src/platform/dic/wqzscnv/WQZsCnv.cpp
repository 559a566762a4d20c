// libwqzscnv.so: one free address text to one normalised address: the city
// the text names (as the address search reads it, see DicMatchCities), then
// the town with the longest name the rest starts with. Answers 0 (city and
// town), 1 (the city alone), 4 (no text) or 8: no city, or several cities
// that the text names alike and its town does not tell apart (府中市 of
// Tokyo and of Hiroshima, 京都市 without its ward), or a town name of
// several postcodes that the text does not tell apart (京都市下京区材木町 has
// three): one address is answered or none, never a guess among several.

#include "DicAddressMatch.h"
#include "DicEntry.h"

#include <type_traits>

namespace {

// Longest text looked at; addresses are far shorter.
constexpr std::size_t kMaxText = 1024;

} // namespace

DIC_EXPORT int WQZSCAdrs(const char *text, TWqzscnvResult *result, const char *folder)
{
    return DicGuard([&] {
        std::string_view textArg;
        std::string_view folderArg;
        if (!result || !DicTextArg(text, kMaxText, textArg) || !DicTextArg(folder, DicMaxFolder, folderArg))
            return DicWrongInput;
        std::memset(result, 0, sizeof *result);
        const std::string key = DicAddressKey(DicTrim(textArg));
        if (key.empty())
            return DicWrongInput;
        const std::shared_ptr<TDicStore> store = TDicStore::forFolder(folderArg);
        if (!store)
            return DicNotFound;
        const std::vector<TDicCityMatch> cities = DicMatchCities(*store, key, false);
        if (cities.size() != 1)
            return DicNotFound;
        const TDicCityRow *city = cities.front().city;

        const TDicPrefRow *pref = store->pref(city->pref);
        DicSetField(result->CityCode, sizeof result->CityCode, city->code6, false);
        DicSetField(result->PrefKana, sizeof result->PrefKana, pref ? pref->kana : std::string());
        DicSetField(result->Pref, sizeof result->Pref, pref ? pref->name : std::string());
        DicSetField(result->CityKana, sizeof result->CityKana, city->kana);
        DicSetField(result->City, sizeof result->City, city->name);

        const auto rows = store->towns(city->code5, 0);
        const std::vector<TDicTownRow> &towns = *rows;
        const std::vector<const TDicTownRow *> named = DicBestTowns(towns, cities.front().rest);
        const TDicTownRow *town = named.empty() ? nullptr : named.front();
        for (const TDicTownRow *other : named) {
            if (other->postcode != town->postcode) {
                std::memset(result, 0, sizeof *result);
                return DicNotFound;
            }
        }
        if (!town) {
            // The city's own postcode: its city-wide row (serial 0), first by postcode.
            if (!towns.empty() && towns.front().serial == 0) {
                DicSetField(result->Postcode, sizeof result->Postcode, towns.front().postcode);
                DicSetField(result->TownCode, sizeof result->TownCode, DicTownCode(towns.front()), false);
            }
            return DicCityOnly;
        }
        DicSetField(result->Postcode, sizeof result->Postcode, town->postcode);
        DicSetField(result->TownKana, sizeof result->TownKana, town->kana);
        DicSetField(result->Town, sizeof result->Town, town->name);
        DicSetField(result->TownCode, sizeof result->TownCode, DicTownCode(*town), false);
        return DicOk;
    });
}

static_assert(std::is_same_v<decltype(&WQZSCAdrs), TWQZSCAdrs>);
