#include "Wqarea17.h"

#include "WqareaReader.h"
#include "platform/dic/DicApi.h"
#include "platform/dic/store/DicText.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <type_traits>

#define WQAREA_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr unsigned kAllKinds = 0xF;
constexpr unsigned kFaxKinds = 0x6; // kinds 1 (FAX) and 2 (phone and FAX)
constexpr std::size_t kMaxPhoneDigits = 15;

// Runs body; nothing may leave a C entry point, and an unexpected failure is
// reported as unreadable data.
template <typename Body>
int guard(Body body)
{
    try {
        return body();
    } catch (...) {
        return DicNotFound;
    }
}

bool isMonth(std::string_view text)
{
    return text.empty() || (text.size() == 6 && DicIsDigits(text, 6));
}

bool isOazaNumber(std::string_view text)
{
    if (text.size() != 3 || !DicIsDigits(text.substr(1), 2))
        return false;
    return (text[0] >= '0' && text[0] <= '9') || (text[0] >= 'A' && text[0] <= 'Z');
}

// The condition's fields as a filter; false for wrong input. The data folder
// goes to folder (it must not be empty).
bool readCondition(const TAreaSearchCondition &condition, unsigned allowedKinds, TWqareaFilter &filter,
                   std::string &folder)
{
    const std::string key(DicField(condition.AddressKey, sizeof condition.AddressKey));
    if (key.size() == 2 || key.size() == 5) {
        if (!DicIsDigits(key, 5))
            return false;
        filter.CityPrefix = key;
    } else if (key.size() == 8) {
        if (!DicIsDigits(key.substr(0, 5), 5) || !isOazaNumber(key.substr(5)))
            return false;
        filter.CityPrefix = key.substr(0, 5);
        filter.OazaNumber = key.substr(5);
    } else {
        return false;
    }
    if (condition.Category < 0 || condition.Category > 2)
        return false;
    filter.Category = condition.Category;
    const auto kinds = static_cast<unsigned>(condition.PhoneKinds);
    if (condition.PhoneKinds <= 0 || (kinds & ~kAllKinds) != 0)
        return false;
    filter.Kinds = kinds & allowedKinds;
    filter.MonthFrom = DicField(condition.MonthFrom, sizeof condition.MonthFrom);
    filter.MonthTo = DicField(condition.MonthTo, sizeof condition.MonthTo);
    if (!isMonth(filter.MonthFrom) || !isMonth(filter.MonthTo))
        return false;
    if (condition.CorporateForm < 0 || condition.CorporateForm > 7)
        return false;
    filter.CorporateForm = condition.CorporateForm;
    if (condition.MatchKind < 0 || condition.MatchKind > 3)
        return false;
    filter.MatchKind = condition.MatchKind;
    filter.NameKey = DicNormalizeKey(DicField(condition.Name, sizeof condition.Name));
    folder = DicField(condition.DataFolder, sizeof condition.DataFolder);
    return !folder.empty();
}

bool goesOn(TAreaSearchCallback callback, int progress)
{
    return callback == nullptr || callback(0, progress) != 0;
}

void setPosition(TAreaSearchPosition &position, std::int64_t lastKey, int returned, bool end)
{
    std::memset(&position, 0, sizeof position);
    position.Words[0] = static_cast<std::int32_t>(lastKey);
    position.Words[1] = returned;
    position.Words[2] = WqareaPositionMark;
    position.EndFlag = end ? 1 : 0;
}

std::string joinAddress(const TWqareaListing &row)
{
    return row.Pref + row.City + row.Address2a + row.Address2b + row.Address2c;
}

void fillHit(TAreaSearchHit &hit, const TWqareaListing &row)
{
    std::memset(&hit, 0, sizeof hit);
    DicSetField(hit.Phone, sizeof hit.Phone, row.Phone);
    hit.PhoneKind = row.PhoneKind;
    hit.RecordKey = static_cast<std::int32_t>(row.Key);
    DicSetField(hit.Name, sizeof hit.Name, row.Name);
    DicSetField(hit.Address, sizeof hit.Address, joinAddress(row));
    DicSetField(hit.FirstMonth, sizeof hit.FirstMonth, row.FirstMonth);
}

std::uint32_t coordinate(std::int64_t value)
{
    return value < 0 || value > static_cast<std::int64_t>(UINT32_MAX) ? 0 : static_cast<std::uint32_t>(value);
}

void fillRecord(TTelRecord &record, const TWqareaListing &row)
{
    std::memset(&record, 0, sizeof record);
    DicSetField(record.Phone, sizeof record.Phone, row.Phone);
    record.PhoneKind = row.PhoneKind;
    DicSetField(record.Postcode, sizeof record.Postcode, row.Postcode);
    DicSetField(record.Name, sizeof record.Name, row.Name);
    DicSetField(record.NameKana, sizeof record.NameKana, row.NameKana);
    DicSetField(record.Pref, sizeof record.Pref, row.Pref);
    DicSetField(record.City, sizeof record.City, row.City);
    DicSetField(record.Address2a, sizeof record.Address2a, row.Address2a);
    DicSetField(record.Address2b, sizeof record.Address2b, row.Address2b);
    DicSetField(record.Address2c, sizeof record.Address2c, row.Address2c);
    DicSetField(record.PrefKana, sizeof record.PrefKana, row.PrefKana);
    DicSetField(record.CityKana, sizeof record.CityKana, row.CityKana);
    DicSetField(record.Address2aKana, sizeof record.Address2aKana, row.Address2aKana);
    DicSetField(record.Address2bKana, sizeof record.Address2bKana, row.Address2bKana);
    DicSetField(record.Address2cKana, sizeof record.Address2cKana, row.Address2cKana);
    // Fixed widths, so the town code always starts at character 6.
    std::string codes = row.CityCode.substr(0, 5);
    codes.resize(5, ' ');
    DicSetField(record.Codes, sizeof record.Codes, codes + row.TownCode.substr(0, 6));
    record.ListingKind = row.ListingKind;
    DicSetField(record.FirstMonth, sizeof record.FirstMonth, row.FirstMonth);
    record.Latitude = coordinate(row.Latitude);
    record.Longitude = coordinate(row.Longitude);
}

int area(TAreaSearchCondition *condition, TAreaSearchHit *hits, std::int32_t *count, TAreaSearchPosition *position,
         std::int32_t limit, TAreaSearchCallback callback, unsigned allowedKinds)
{
    if (!condition || !hits || !count || !position || limit < 1)
        return DicWrongInput;
    if (condition->BlockSize < 1 || condition->BlockSize > WqareaMaxBlockSize)
        return DicWrongInput;
    TWqareaFilter filter;
    std::string folder;
    if (!readCondition(*condition, allowedKinds, filter, folder))
        return DicWrongInput;
    *count = 0;

    std::int64_t lastKey = 0;
    int returned = 0;
    if (condition->Continue != 0 && position->Words[2] == WqareaPositionMark && position->Words[0] >= 0
        && position->Words[1] >= 0) {
        lastKey = position->Words[0];
        returned = position->Words[1];
    }
    TWqareaReader reader;
    if (!reader.open(folder))
        return DicNotFound;
    if (!goesOn(callback, returned)) {
        setPosition(*position, lastKey, returned, false);
        return WqareaStopped;
    }
    if (filter.Kinds == 0 || returned >= limit) {
        setPosition(*position, lastKey, returned, true);
        return WqareaNoMore;
    }

    const int room = std::min(condition->BlockSize, limit - returned);
    int filled = 0;
    bool more = false;
    const auto scan = reader.scan(
        filter, lastKey,
        [&](const TWqareaListing &row) {
            if (filled == room) { // the block is full: only asked whether one more exists
                more = true;
                return false;
            }
            fillHit(hits[filled++], row);
            lastKey = row.Key;
            // At the limit nothing more is returned, so there is nothing to look for.
            return !(filled == room && returned + filled >= limit);
        },
        [&] { return goesOn(callback, returned + filled); });
    if (scan == TWqareaReader::TScan::Failed)
        return DicNotFound;
    *count = filled;
    returned += filled;
    if (scan == TWqareaReader::TScan::Stopped) {
        setPosition(*position, lastKey, returned, false);
        return WqareaStopped;
    }
    setPosition(*position, lastKey, returned, !more || returned >= limit);
    return filled > 0 ? DicOk : WqareaNoMore;
}

int areaCount(TAreaSearchCondition *condition, std::int32_t *count, std::int32_t limit,
              TAreaSearchCallback callback, unsigned allowedKinds)
{
    if (!condition || !count || limit < 1)
        return DicWrongInput;
    TWqareaFilter filter;
    std::string folder;
    if (!readCondition(*condition, allowedKinds, filter, folder))
        return DicWrongInput;
    *count = 0;
    TWqareaReader reader;
    if (!reader.open(folder))
        return DicNotFound;
    if (!goesOn(callback, 0))
        return WqareaStopped;
    if (filter.Kinds == 0)
        return WqareaNoMore;
    int found = 0;
    const auto scan = reader.scan(
        filter, 0, [&](const TWqareaListing &) { return ++found < limit; },
        [&] { return goesOn(callback, found); });
    if (scan == TWqareaReader::TScan::Failed)
        return DicNotFound;
    *count = found;
    if (scan == TWqareaReader::TScan::Stopped)
        return WqareaStopped;
    return found > 0 ? DicOk : WqareaNoMore;
}

// The request's number (digits, may be empty) and data folder; false for wrong input.
bool readRequest(const TTelSearchCondition &request, std::string &phone, std::string &folder)
{
    phone = DicField(request.Phone, sizeof request.Phone);
    folder = DicField(request.DataFolder, sizeof request.DataFolder);
    return (phone.empty() || DicIsDigits(phone, kMaxPhoneDigits)) && !folder.empty();
}

} // namespace

WQAREA_EXPORT int wqarea_area(TAreaSearchCondition *condition, TAreaSearchHit *hits, std::int32_t *count,
                              TAreaSearchPosition *position, std::int32_t limit, TAreaSearchCallback callback)
{
    return guard([&] { return area(condition, hits, count, position, limit, callback, kAllKinds); });
}

WQAREA_EXPORT int wqarea_area_fax(TAreaSearchCondition *condition, TAreaSearchHit *hits, std::int32_t *count,
                                  TAreaSearchPosition *position, std::int32_t limit, TAreaSearchCallback callback)
{
    return guard([&] { return area(condition, hits, count, position, limit, callback, kFaxKinds); });
}

WQAREA_EXPORT int wqarea_area_count(TAreaSearchCondition *condition, std::int32_t *count, std::int32_t limit,
                                    TAreaSearchCallback callback)
{
    return guard([&] { return areaCount(condition, count, limit, callback, kAllKinds); });
}

WQAREA_EXPORT int wqarea_area_count_fax(TAreaSearchCondition *condition, std::int32_t *count, std::int32_t limit,
                                        TAreaSearchCallback callback)
{
    return guard([&] { return areaCount(condition, count, limit, callback, kFaxKinds); });
}

WQAREA_EXPORT int wqarea_tel(TTelSearchCondition *request, void *result, std::int32_t *count)
{
    return guard([&] {
        if (!request || !result || !count)
            return DicWrongInput;
        std::string phone;
        std::string folder;
        if (!readRequest(*request, phone, folder) || phone.empty())
            return DicWrongInput;
        *count = 0;
        std::memset(result, 0, WqareaTelResultSize);
        TWqareaReader reader;
        if (!reader.open(folder))
            return DicNotFound;
        const auto rows = reader.byPhone(phone, WqareaMaxTelRecords);
        if (!rows || rows->empty())
            return DicNotFound;
        auto *records = static_cast<TTelRecord *>(result);
        for (std::size_t i = 0; i < rows->size(); ++i)
            fillRecord(records[i], (*rows)[i]);
        *count = static_cast<std::int32_t>(rows->size());
        return DicOk;
    });
}

WQAREA_EXPORT int wqarea_tel_one(std::int32_t /*reserved*/, TTelSearchCondition *request, TTelRecord *record,
                                 std::int32_t key)
{
    return guard([&] {
        if (!request || !record || key < 1)
            return DicWrongInput;
        std::string phone;
        std::string folder;
        if (!readRequest(*request, phone, folder))
            return DicWrongInput;
        TWqareaReader reader;
        if (!reader.open(folder))
            return DicNotFound;
        const auto row = reader.byKey(key);
        if (!row || (!phone.empty() && row->Phone != phone))
            return DicNotFound;
        fillRecord(*record, *row);
        return DicOk;
    });
}

WQAREA_EXPORT int pup_tel_mask(const char *in, char *out)
{
    return guard([&] {
        if (!in || !out)
            return DicWrongInput;
        const std::string_view digits(in, strnlen(in, kMaxPhoneDigits + 1));
        if (!DicIsDigits(digits, kMaxPhoneDigits))
            return DicWrongInput;
        std::string masked(digits);
        std::fill(masked.end() - static_cast<std::ptrdiff_t>(std::min<std::size_t>(4, masked.size())), masked.end(),
                  '*');
        std::memset(out, 0, 16);
        std::memcpy(out, masked.data(), masked.size());
        return DicOk;
    });
}

// The definitions must match what the program's wrapper looks up.
static_assert(std::is_same_v<decltype(&wqarea_tel), Twqarea_tel>);
static_assert(std::is_same_v<decltype(&wqarea_tel_one), Twqarea_tel_one>);
static_assert(std::is_same_v<decltype(&wqarea_area), Twqarea_area>);
static_assert(std::is_same_v<decltype(&wqarea_area_count), Twqarea_area_count>);
static_assert(std::is_same_v<decltype(&wqarea_area_fax), Twqarea_area_fax>);
static_assert(std::is_same_v<decltype(&wqarea_area_count_fax), Twqarea_area_count_fax>);
static_assert(std::is_same_v<decltype(&pup_tel_mask), Tpup_tel_mask>);
