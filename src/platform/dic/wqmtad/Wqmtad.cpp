// libwqmtad.so: the detail address of a city code (6 digits) and the first
// five characters of a town code: its oaza number ("000" for the city itself)
// and its row number within the town ("00" for the town's leading row), so
// that the postcode and name answered are those of the very row the code was
// handed out for; a row that does not exist is not found, as a town that does
// not exist. The town name and its reading are split over the oaza and aza
// fields: as much as the oaza field holds (cut at a character boundary,
// possibly to its last byte), the rest in the aza field. No coordinates are
// known: latitude and longitude stay 0.

#include "DicEntry.h"

#include <cstdlib>
#include <type_traits>

namespace {

// Writes text over two fields: the first filled as far as it goes, the rest
// into the second.
void split(char *first, std::size_t firstSize, char *second, std::size_t secondSize, std::string_view text)
{
    const std::string_view head = DicCutBytes(text, firstSize);
    DicSetField(first, firstSize, head, false);
    DicSetField(second, secondSize, text.substr(head.size()), false);
}

} // namespace

DIC_EXPORT int WQMTAdrs(const char *code, TWqmtadDetail *detail, const char *folder)
{
    return DicGuard([&] {
        std::string_view codeArg;
        std::string_view folderArg;
        if (!detail || !DicTextArg(code, WqmtadCodeLength, codeArg) || codeArg.size() != WqmtadCodeLength
            || !DicIsDigits(codeArg.substr(0, 6), 6) || DicOazaSerial(codeArg.substr(6, 3)) < 0
            || DicRowSeq(codeArg.substr(9, 2)) < 0
            || !DicTextArg(folder, DicMaxFolder, folderArg))
            return DicWrongInput;
        std::memset(detail, 0, sizeof *detail);
        const std::shared_ptr<TDicStore> store = TDicStore::forFolder(folderArg);
        if (!store)
            return DicNotFound;
        const TDicCityRow *city = store->cityOfCode6(codeArg.substr(0, 6));
        if (!city)
            return DicNotFound;
        const int serial = DicOazaSerial(codeArg.substr(6, 3));
        const int seq = DicRowSeq(codeArg.substr(9, 2));
        const std::optional<TDicTownRow> town = store->town(city->code5, serial, seq);
        // The city itself answers without a town row (a city with no
        // city-wide postcode), but only as its leading row.
        if (!town && (serial != 0 || seq != 0))
            return DicNotFound;

        const TDicPrefRow *pref = store->pref(city->pref);
        DicSetField(detail->PrefKana, sizeof detail->PrefKana, pref ? pref->kana : std::string());
        DicSetField(detail->Pref, sizeof detail->Pref, pref ? pref->name : std::string());
        DicSetField(detail->CityKana, sizeof detail->CityKana, city->kana);
        DicSetField(detail->City, sizeof detail->City, city->name);
        if (town) {
            DicSetField(detail->Postcode, sizeof detail->Postcode, town->postcode);
            split(detail->OazaKana, sizeof detail->OazaKana, detail->AzaKana, sizeof detail->AzaKana, town->kana);
            split(detail->Oaza, sizeof detail->Oaza, detail->Aza, sizeof detail->Aza, town->name);
        }
        return DicOk;
    });
}

static_assert(std::is_same_v<decltype(&WQMTAdrs), TWQMTAdrs>);
