// libwqzscnv.so: one free address text to one normalised address: the city
// with the longest name the text starts with, then the town with the longest
// name the rest starts with. Answers 0 (city and town), 1 (the city alone),
// 8 (no city) or 4 (no text).

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
        const std::string key = DicNormalizeKey(DicTrim(textArg));
        if (key.empty())
            return DicWrongInput;
        const std::shared_ptr<TDicStore> store = TDicStore::forFolder(folderArg);
        if (!store)
            return DicNotFound;
        std::size_t used = 0;
        const TDicCityRow *city = DicBestCity(*store, key, used);
        if (!city)
            return DicNotFound;

        const TDicPrefRow *pref = store->pref(city->pref);
        DicSetField(result->CityCode, sizeof result->CityCode, city->code6, false);
        DicSetField(result->PrefKana, sizeof result->PrefKana, pref ? pref->kana : std::string());
        DicSetField(result->Pref, sizeof result->Pref, pref ? pref->name : std::string());
        DicSetField(result->CityKana, sizeof result->CityKana, city->kana);
        DicSetField(result->City, sizeof result->City, city->name);

        const auto rows = store->towns(city->code5, 0);
        const std::vector<TDicTownRow> &towns = *rows;
        const std::string_view rest = std::string_view(key).substr(used);
        const TDicTownRow *town = nullptr;
        for (const TDicTownRow &row : towns) {
            if (!row.key.empty() && rest.starts_with(row.key) && (!town || row.key.size() > town->key.size()))
                town = &row;
        }
        if (!town) {
            // The city's own postcode: its city-wide row (serial 0), first by postcode.
            if (!towns.empty() && towns.front().serial == 0) {
                DicSetField(result->Postcode, sizeof result->Postcode, towns.front().postcode);
                DicSetField(result->TownCode, sizeof result->TownCode, DicTownCode(0), false);
            }
            return DicCityOnly;
        }
        DicSetField(result->Postcode, sizeof result->Postcode, town->postcode);
        DicSetField(result->TownKana, sizeof result->TownKana, town->kana);
        DicSetField(result->Town, sizeof result->Town, town->name);
        DicSetField(result->TownCode, sizeof result->TownCode, DicTownCode(town->serial), false);
        return DicOk;
    });
}

static_assert(std::is_same_v<decltype(&WQZSCAdrs), TWQZSCAdrs>);
