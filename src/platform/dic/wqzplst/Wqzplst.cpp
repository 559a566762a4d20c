// libwqzplst.so: the cities, towns and large offices of the postcodes that
// start with 1..7 digits. WQZPLSTFirst opens a list handle holding the digits
// and the cities; the list calls read it until WQZPLSTClose.

#include "DicEntry.h"
#include "DicKana.h"

#include <type_traits>
#include <vector>

namespace {

struct TPostcodeList {
    std::shared_ptr<TDicStore> store;
    std::string digits;
    std::vector<TDicPostcodeCity> cities;
};

TDicHandles<TPostcodeList> &handles()
{
    static TDicHandles<TPostcodeList> instance;
    return instance;
}

// The rows of one of the list's cities (the entry's code) of one kind.
int rowsOf(void *handle, const TWqzplstCity *entry, int kind, std::int32_t count, std::vector<TDicTownRow> &rows)
{
    std::string_view code6;
    if (!entry || !DicCode6Field(entry->CityCode, code6) || count <= 0)
        return DicWrongInput;
    const std::shared_ptr<TPostcodeList> list = handles().find(handle);
    if (!list)
        return DicWrongInput;
    const TDicPostcodeCity *city = nullptr;
    for (const TDicPostcodeCity &c : list->cities) {
        if (c.city->code6 == code6)
            city = &c;
    }
    if (!city || (kind == 0 ? city->towns : city->larges) == 0)
        return DicNotFound;
    if (count != DicCount16(kind == 0 ? city->towns : city->larges))
        return DicWrongInput;
    rows = list->store->townsOfPostcode(city->city->code5, kind, list->digits);
    if (rows.size() > static_cast<std::size_t>(count))
        rows.resize(static_cast<std::size_t>(count));
    return rows.empty() ? DicNotFound : DicOk;
}

} // namespace

DIC_EXPORT void *WQZPLSTFirst(const char *digits, std::int32_t *count, std::int16_t *status, const char *folder)
{
    if (!status)
        return nullptr;
    void *handle = nullptr;
    *status = static_cast<std::int16_t>(DicGuard([&] {
        std::string_view digitsArg;
        std::string_view folderArg;
        if (!count || !DicTextArg(digits, 7, digitsArg) || !DicIsDigits(digitsArg, 7)
            || !DicTextArg(folder, DicMaxFolder, folderArg))
            return DicWrongInput;
        auto list = std::make_shared<TPostcodeList>();
        list->store = TDicStore::forFolder(folderArg);
        if (!list->store)
            return DicNotFound;
        list->digits = digitsArg;
        list->cities = list->store->citiesOfPostcode(digitsArg);
        if (list->cities.empty())
            return DicNotFound;
        *count = static_cast<std::int32_t>(list->cities.size());
        handle = handles().add(std::move(list));
        return DicOk;
    }));
    return handle;
}

DIC_EXPORT int WQZPLSTCityList(void *handle, TWqzplstCity *cities, std::int32_t /*reserved*/, std::int32_t count)
{
    return DicGuard([&] {
        const std::shared_ptr<TPostcodeList> list = handles().find(handle);
        if (!list || !cities || count <= 0 || static_cast<std::size_t>(count) != list->cities.size())
            return DicWrongInput;
        for (std::size_t i = 0; i < list->cities.size(); ++i) {
            const TDicPostcodeCity &found = list->cities[i];
            const TDicPrefRow *pref = list->store->pref(found.city->pref);
            // The caller splits the reading after the prefecture by the
            // program's table of prefecture readings, which has no small kana
            // (ﾎﾂｶｲﾄﾞｳ, ﾄｳｷﾖｳﾄ, ﾄﾂﾄﾘｹﾝ): the prefecture part is written in that form.
            const std::string prefKana = pref ? DicFoldSmallKana(pref->kana) : std::string();
            const std::string prefName = pref ? pref->name : std::string();
            TWqzplstCity &entry = cities[i];
            std::memset(&entry, 0, sizeof entry);
            DicSetField(entry.CityCode, sizeof entry.CityCode, found.city->code6, false);
            DicSetField(entry.Kana, sizeof entry.Kana, prefKana + found.city->kana);
            DicSetField(entry.Name, sizeof entry.Name, prefName + found.city->name);
            entry.TownCount = DicCount16(found.towns);
            entry.LargeCount = DicCount16(found.larges);
        }
        return DicOk;
    });
}

DIC_EXPORT int WQZPLSTTownList(void *handle, const TWqzplstCity *city, TWqzplstTown *towns,
                               std::int32_t /*reserved*/, std::int32_t count)
{
    return DicGuard([&] {
        if (!towns)
            return DicWrongInput;
        std::vector<TDicTownRow> rows;
        if (const int rc = rowsOf(handle, city, 0, count, rows); rc != DicOk)
            return rc;
        for (std::size_t i = 0; i < rows.size(); ++i)
            DicFillTown(towns[i], rows[i]);
        return DicOk;
    });
}

DIC_EXPORT int WQZPLSTLgTownList(void *handle, const TWqzplstCity *city, TWqzplstTown *towns, TDicLarge *larges,
                                 std::int32_t /*reserved*/, std::int32_t count)
{
    return DicGuard([&] {
        if (!towns || !larges)
            return DicWrongInput;
        std::vector<TDicTownRow> rows;
        if (const int rc = rowsOf(handle, city, 1, count, rows); rc != DicOk)
            return rc;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            DicFillTown(towns[i], rows[i]);
            DicFillLarge(larges[i], rows[i]);
        }
        return DicOk;
    });
}

DIC_EXPORT int WQZPLSTClose(void *handle)
{
    return DicGuard([&] { return handles().remove(handle) ? DicOk : DicWrongInput; });
}

DIC_EXPORT int WQZPLSTPost(void *handle, char *out)
{
    return DicGuard([&] {
        const std::shared_ptr<TPostcodeList> list = handles().find(handle);
        if (!list || !out)
            return DicWrongInput;
        const std::string &d = list->digits;
        DicSetField(out, 9, d.size() == 7 ? d.substr(0, 3) + "-" + d.substr(3) : d);
        return DicOk;
    });
}

static_assert(std::is_same_v<decltype(&WQZPLSTFirst), TWQZPLSTFirst>);
static_assert(std::is_same_v<decltype(&WQZPLSTCityList), TWQZPLSTCityList>);
static_assert(std::is_same_v<decltype(&WQZPLSTTownList), TWQZPLSTTownList>);
static_assert(std::is_same_v<decltype(&WQZPLSTLgTownList), TWQZPLSTLgTownList>);
static_assert(std::is_same_v<decltype(&WQZPLSTClose), TWQZPLSTClose>);
static_assert(std::is_same_v<decltype(&WQZPLSTPost), TWQZPLSTPost>);
