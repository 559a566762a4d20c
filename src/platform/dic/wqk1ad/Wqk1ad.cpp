// libwqk1ad.so: prefectures (all, or those of one region), the cities of a
// prefecture and the oaza (distinct town names) of a city, each with the
// first kana of its reading as a heading. The data has no aza level.

#include "DicEntry.h"
#include "DicKana.h"

#include <algorithm>
#include <type_traits>

namespace {

constexpr int kRegions = 6;
// Serials 1..999 are written as three digits, 1000..3599 as a letter and two
// digits ("A00".."Z99"), the most an eight-character oaza code holds.
constexpr int kMaxSerial = 3599;

void fillPref(TWqk1adPref &entry, const TDicPrefRow &pref)
{
    std::memset(&entry, 0, sizeof entry);
    entry.Number = pref.no;
    DicSetField(entry.Name, sizeof entry.Name, pref.name);
    entry.CityCount = DicCount16(pref.cityCount);
}

int oazas(const char *cityCode, TWqk1adOhaza *oazas, std::int32_t capacity, const char *folder)
{
    std::string_view code5;
    std::string_view folderArg;
    if (!DicDigitsArg(cityCode, 5, code5) || capacity < 0 || (capacity > 0 && !oazas)
        || !DicTextArg(folder, DicMaxFolder, folderArg))
        return DicWrongInput;
    const std::shared_ptr<TDicStore> store = TDicStore::forFolder(folderArg);
    if (!store)
        return DicNotFound;
    if (capacity > 0)
        std::memset(oazas, 0, sizeof(TWqk1adOhaza) * static_cast<std::size_t>(capacity));
    int filled = 0;
    TWqk1adOhaza *current = nullptr;
    int currentSerial = 0;
    for (const TDicTownRow &row : *store->towns(code5, 0)) {
        if (row.serial <= 0 || row.serial > kMaxSerial)
            continue;
        if (row.serial != currentSerial) {
            if (filled == capacity)
                break;
            current = &oazas[filled++];
            currentSerial = row.serial;
            DicSetField(current->Code, sizeof current->Code, std::string(code5) + DicOazaNumber(row.serial), false);
            DicSetField(current->Head, sizeof current->Head, DicKanaHead(row.kana), false);
            DicSetField(current->Name, sizeof current->Name, row.name);
        }
        if (current->Tag < 32767)
            ++current->Tag;
    }
    return filled > 0 ? DicOk : DicNotFound;
}

} // namespace

DIC_EXPORT int WQK1ADTdfkn(TWqk1adPref *prefectures, const char *folder)
{
    return DicGuard([&] {
        std::string_view folderArg;
        if (!prefectures || !DicTextArg(folder, DicMaxFolder, folderArg))
            return DicWrongInput;
        const std::shared_ptr<TDicStore> store = TDicStore::forFolder(folderArg);
        if (!store || store->prefs().empty())
            return DicNotFound;
        std::memset(prefectures, 0, sizeof(TWqk1adPref) * Wqk1adAllPrefectures);
        int filled = 0;
        for (const TDicPrefRow &pref : store->prefs()) {
            if (filled < Wqk1adAllPrefectures)
                fillPref(prefectures[filled++], pref);
        }
        return DicOk;
    });
}

DIC_EXPORT int WQK1ADTdfknPart(std::int32_t region, TWqk1adPref *prefectures, const char *folder)
{
    return DicGuard([&] {
        std::string_view folderArg;
        if (region < 0 || region >= kRegions || !prefectures || !DicTextArg(folder, DicMaxFolder, folderArg))
            return DicWrongInput;
        const std::shared_ptr<TDicStore> store = TDicStore::forFolder(folderArg);
        if (!store)
            return DicNotFound;
        std::memset(prefectures, 0, sizeof(TWqk1adPref) * Wqk1adRegionSize);
        int filled = 0;
        for (const TDicPrefRow &pref : store->prefs()) {
            if (pref.region == region && filled < Wqk1adRegionSize)
                fillPref(prefectures[filled++], pref);
        }
        return filled > 0 ? DicOk : DicNotFound;
    });
}

DIC_EXPORT int WQK1ADCityAll(std::int32_t prefecture, TWqk1adCity *cities, std::int32_t capacity, const char *folder)
{
    return DicGuard([&] {
        std::string_view folderArg;
        if (prefecture < 1 || prefecture > Wqk1adAllPrefectures || capacity < 0 || (capacity > 0 && !cities)
            || !DicTextArg(folder, DicMaxFolder, folderArg))
            return DicWrongInput;
        const std::shared_ptr<TDicStore> store = TDicStore::forFolder(folderArg);
        if (!store)
            return DicNotFound;
        std::vector<const TDicCityRow *> found;
        for (const TDicCityRow &city : store->cities()) {
            if (city.pref == prefecture)
                found.push_back(&city);
        }
        std::stable_sort(found.begin(), found.end(),
                         [](const TDicCityRow *a, const TDicCityRow *b) { return a->sort < b->sort; });
        if (capacity > 0)
            std::memset(cities, 0, sizeof(TWqk1adCity) * static_cast<std::size_t>(capacity));
        const std::size_t n = std::min(found.size(), static_cast<std::size_t>(capacity));
        for (std::size_t i = 0; i < n; ++i) {
            DicSetField(cities[i].CityCode, sizeof cities[i].CityCode, found[i]->code5);
            DicSetField(cities[i].Head, sizeof cities[i].Head, found[i]->head, false);
            DicSetField(cities[i].Name, sizeof cities[i].Name, found[i]->name);
            cities[i].OhazaCount = DicCount16(found[i]->ohazaCount);
        }
        return found.empty() ? DicNotFound : DicOk;
    });
}

DIC_EXPORT int WQK1ADOhazaAll(const char *cityCode, TWqk1adOhaza *list, std::int32_t capacity, const char *folder)
{
    return DicGuard([&] { return oazas(cityCode, list, capacity, folder); });
}

// The data has no level finer than the oaza: the same list.
DIC_EXPORT int WQK1ADOhazaAll_Chome(const char *cityCode, TWqk1adOhaza *list, std::int32_t capacity,
                                    const char *folder)
{
    return DicGuard([&] { return oazas(cityCode, list, capacity, folder); });
}

DIC_EXPORT int WQK1ADAzaAll(const char *ohazaCode, TWqk1adOhaza * /*azas*/, std::int32_t /*capacity*/,
                            const char * /*folder*/)
{
    return DicGuard([&] {
        std::string_view code;
        return DicTextArg(ohazaCode, 8, code) && code.size() == 8 ? DicNotFound : DicWrongInput;
    });
}

static_assert(std::is_same_v<decltype(&WQK1ADTdfkn), TWQK1ADTdfkn>);
static_assert(std::is_same_v<decltype(&WQK1ADTdfknPart), TWQK1ADTdfknPart>);
static_assert(std::is_same_v<decltype(&WQK1ADCityAll), TWQK1ADCityAll>);
static_assert(std::is_same_v<decltype(&WQK1ADOhazaAll), TWQK1ADOhazaAll>);
static_assert(std::is_same_v<decltype(&WQK1ADOhazaAll_Chome), TWQK1ADOhazaAll_Chome>);
static_assert(std::is_same_v<decltype(&WQK1ADAzaAll), TWQK1ADAzaAll>);
