// libwqtel.so: a telephone number to its area code, the cities of the area
// and, block by block (WqtelBlockSize towns), the towns of one of them.
// Numbers are ASCII digits only: a leading 0 and 6..11 digits in all; the
// area is that of the five digits after the 0.

#include "DicEntry.h"

#include <algorithm>
#include <type_traits>
#include <vector>

namespace {

// A town search: the city's town rows and the blocks handed out so far.
struct TTownCursor {
    std::string code6;
    std::shared_ptr<const std::vector<TDicTownRow>> rows;
    std::size_t next = 0;      // first row of the next block
    std::size_t lastStart = 0; // first row of the block returned last
};

TDicHandles<TTownCursor> &handles()
{
    static TDicHandles<TTownCursor> instance;
    return instance;
}

// The area's cities (at most WqtelMaxCities) of a number argument.
int areaOf(const char *digits, const char *folder, std::shared_ptr<TDicStore> &store, TDicArea &area)
{
    std::string_view number;
    std::string_view folderArg;
    if (!DicTextArg(digits, 11, number) || number.size() < 6 || !DicIsDigits(number, 11) || number.front() != '0'
        || !DicTextArg(folder, DicMaxFolder, folderArg))
        return DicWrongInput;
    store = TDicStore::forFolder(folderArg);
    if (!store)
        return DicNotFound;
    std::optional<TDicArea> found = store->area(number.substr(1, 5));
    if (!found || found->cities.empty())
        return DicNotFound;
    area = std::move(*found);
    if (area.cities.size() > static_cast<std::size_t>(WqtelMaxCities))
        area.cities.resize(WqtelMaxCities);
    return DicOk;
}

// Fills a block from the cursor's row `start` on; the status of that block.
int fillBlock(TTownCursor &cursor, std::size_t start, TWqtelTown *block)
{
    std::memset(block, 0, sizeof(TWqtelTown) * WqtelBlockSize);
    const std::size_t end = std::min(cursor.rows->size(), start + WqtelBlockSize);
    for (std::size_t i = start; i < end; ++i) {
        const TDicTownRow &row = (*cursor.rows)[i];
        TWqtelTown &entry = block[i - start];
        // The area-code search lists towns by the row of their reading,
        // as the postcode search does, so each entry carries its first kana.
        // A first byte of 0xA1..0xDF is a whole half-width katakana.
        if (const auto head = row.kana.empty() ? 0 : static_cast<unsigned char>(row.kana.front());
            head >= 0xA1 && head <= 0xDF)
            entry.KanaHead[0] = static_cast<char>(head);
        DicSetField(entry.Postcode, sizeof entry.Postcode, row.postcode);
        DicSetField(entry.Code, sizeof entry.Code, cursor.code6 + DicTownCode(row).substr(0, 6), false);
        DicSetField(entry.Town, sizeof entry.Town, row.name);
    }
    cursor.lastStart = start;
    cursor.next = end;
    return end < cursor.rows->size() ? DicBlockMore : DicBlockLast;
}

} // namespace

DIC_EXPORT int WQTLPrefix(const char *digits, char *prefix, std::int16_t *count, const char *folder)
{
    return DicGuard([&] {
        if (!prefix || !count)
            return DicWrongInput;
        std::shared_ptr<TDicStore> store;
        TDicArea area;
        if (const int rc = areaOf(digits, folder, store, area); rc != DicOk)
            return rc;
        DicSetField(prefix, WqtelPrefixSize, area.areaCode);
        *count = static_cast<std::int16_t>(area.cities.size());
        return DicOk;
    });
}

DIC_EXPORT int WQTLCity2(const char *digits, TWqtelCity *cities, const char *folder)
{
    return DicGuard([&] {
        if (!cities)
            return DicWrongInput;
        std::shared_ptr<TDicStore> store;
        TDicArea area;
        if (const int rc = areaOf(digits, folder, store, area); rc != DicOk)
            return rc;
        std::memset(cities, 0, sizeof(TWqtelCity) * WqtelMaxCities);
        for (std::size_t i = 0; i < area.cities.size(); ++i) {
            const TDicCityRow &city = *area.cities[i];
            const TDicPrefRow *pref = store->pref(city.pref);
            DicSetField(cities[i].CityCode, sizeof cities[i].CityCode, city.code6, false);
            DicSetField(cities[i].Name, sizeof cities[i].Name, (pref ? pref->name : std::string()) + city.name);
            cities[i].TownCount = store->townCount(city.code5, 0);
        }
        return DicOk;
    });
}

DIC_EXPORT void *WQTLTown2First(const char *digits, const TWqtelCity *city, TWqtelTown *block, std::int32_t *status,
                                const char *folder)
{
    if (!status)
        return nullptr;
    void *handle = nullptr;
    *status = DicGuard([&] {
        std::string_view code6;
        if (!city || !block || !DicCode6Field(city->CityCode, code6))
            return DicWrongInput;
        std::shared_ptr<TDicStore> store;
        TDicArea area;
        if (const int rc = areaOf(digits, folder, store, area); rc != DicOk)
            return rc;
        const TDicCityRow *found = nullptr;
        for (const TDicCityRow *c : area.cities) {
            if (c->code6 == code6)
                found = c;
        }
        if (!found)
            return DicNotFound;
        auto cursor = std::make_shared<TTownCursor>();
        cursor->code6 = found->code6;
        cursor->rows = store->towns(found->code5, 0);
        if (cursor->rows->empty())
            return DicNotFound;
        const int blockStatus = fillBlock(*cursor, 0, block);
        handle = handles().add(std::move(cursor));
        return blockStatus;
    });
    return handle;
}

DIC_EXPORT int WQTLTown2Next(void *handle, TWqtelTown *block)
{
    return DicGuard([&] {
        const std::shared_ptr<TTownCursor> cursor = handles().find(handle);
        if (!cursor || !block)
            return DicWrongInput;
        if (cursor->next >= cursor->rows->size())
            return DicNotFound;
        return fillBlock(*cursor, cursor->next, block);
    });
}

DIC_EXPORT int WQTLTown2Prev(void *handle, TWqtelTown *block)
{
    return DicGuard([&] {
        const std::shared_ptr<TTownCursor> cursor = handles().find(handle);
        if (!cursor || !block)
            return DicWrongInput;
        if (cursor->lastStart == 0)
            return DicNotFound;
        return fillBlock(*cursor, cursor->lastStart - WqtelBlockSize, block);
    });
}

DIC_EXPORT int WQTLTown2Close(void *handle)
{
    return DicGuard([&] { return handles().remove(handle) ? DicOk : DicWrongInput; });
}

static_assert(std::is_same_v<decltype(&WQTLPrefix), TWQTLPrefix>);
static_assert(std::is_same_v<decltype(&WQTLCity2), TWQTLCity2>);
static_assert(std::is_same_v<decltype(&WQTLTown2First), TWQTLTown2First>);
static_assert(std::is_same_v<decltype(&WQTLTown2Next), TWQTLTown2Next>);
static_assert(std::is_same_v<decltype(&WQTLTown2Prev), TWQTLTown2Prev>);
static_assert(std::is_same_v<decltype(&WQTLTown2Close), TWQTLTown2Close>);
