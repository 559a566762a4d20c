#pragma once

// The call shapes of the dictionary libraries (libwqzs.so, libwqzplst.so,
// libwqtel.so, libwqk1ad.so, libwqzscnv.so, libwqmtad.so, the directory
// library libwqarea17.so and the name library libwqname99a.so), shared by the
// libraries and the program's wrappers.
// Plain C types only: the libraries are loaded at run time and looked up by
// the entry points' unmangled names.
//
// Every record is a wire format: packed, fixed-width, Shift-JIS text padded
// with NUL (or blanks; readers trim both). Texts passed as arguments are
// NUL-terminated Shift-JIS; folders end with '/'.

#include <cstddef>
#include <cstdint>

// Codes every library answers with.
constexpr int DicOk = 0;
constexpr int DicWrongInput = 4; // null pointer, wrong length, a non-digit where digits belong, bad index
constexpr int DicNotFound = 8;   // nothing matches (or the dictionary data is missing)
// WQZSCAdrs only: the city was found but no town of it matched.
constexpr int DicCityOnly = 1;
// WQZPLSTFirst and WQTLTown2First/Next statuses.
constexpr int DicBlockLast = 0; // this block is the last one
constexpr int DicBlockMore = 1; // more blocks follow

// The dictionary data file in the data folder (the program's Dic/ folder).
constexpr const char *DicDataFileName = "wqdic.db";

#pragma pack(push, 1)

// ---- Wqzs.dll: address text to cities, towns and large offices ----

struct TWqzsCity {             // 80 bytes
    char CityCode[6];          // JIS code with check digit
    char PrefKana[10];
    char Pref[10];
    char CityKana[26];
    char City[26];
    char Reserved[2];
};
static_assert(sizeof(TWqzsCity) == 80);
static_assert(offsetof(TWqzsCity, PrefKana) == 6 && offsetof(TWqzsCity, Pref) == 16);
static_assert(offsetof(TWqzsCity, CityKana) == 26 && offsetof(TWqzsCity, City) == 52);

struct TWqzsTown {             // 224 bytes
    char Postcode[10];         // seven digits
    char TownKana[102];
    char Town[102];
    char TownCode[7];
    char Reserved[3];
};
static_assert(sizeof(TWqzsTown) == 224);
static_assert(offsetof(TWqzsTown, TownKana) == 10 && offsetof(TWqzsTown, Town) == 112);
static_assert(offsetof(TWqzsTown, TownCode) == 214);

// A large office (both Wqzs.dll and Wqzplst.dll).
struct TDicLarge {             // 124 bytes
    char Kana[62];
    char Name[62];
};
static_assert(sizeof(TDicLarge) == 124);

// ---- Wqzplst.dll: postcode to cities, towns and large offices ----

struct TWqzplstCity {          // 90 bytes
    char CityCode[6];
    char Kana[40];             // prefecture reading + city reading
    char Name[40];             // prefecture + city
    std::int16_t TownCount;
    std::int16_t LargeCount;
};
static_assert(sizeof(TWqzplstCity) == 90);
static_assert(offsetof(TWqzplstCity, Name) == 46 && offsetof(TWqzplstCity, TownCount) == 86);

struct TWqzplstTown {          // 222 bytes
    char Postcode[8];
    char TownKana[102];
    char Town[102];
    char TownCode[7];
    char Reserved[3];
};
static_assert(sizeof(TWqzplstTown) == 222);
static_assert(offsetof(TWqzplstTown, Town) == 110 && offsetof(TWqzplstTown, TownCode) == 212);

// ---- Wqtel.dll: telephone number to the cities and towns of its area ----

struct TWqtelCity {            // 52 bytes
    char CityCode[6];
    char Name[40];             // prefecture + city
    char Reserved[2];
    std::int32_t TownCount;
};
static_assert(sizeof(TWqtelCity) == 52);
static_assert(offsetof(TWqtelCity, TownCount) == 48);

struct TWqtelTown {            // 96 bytes
    char KanaHead[2];          // the reading's first half-width katakana, then a NUL
    char Postcode[8];
    char Code[12];             // city code (6) + town code (6)
    char Town[74];
};
static_assert(sizeof(TWqtelTown) == 96);
static_assert(offsetof(TWqtelTown, Code) == 10 && offsetof(TWqtelTown, Town) == 22);

constexpr int WqtelBlockSize = 20;    // towns per WQTLTown2First/Next block
constexpr int WqtelMaxCities = 20;    // cities WQTLCity2 fills at most
constexpr int WqtelPrefixSize = 14;   // the prefix output of WQTLPrefix

// ---- Wqk1ad.dll: prefectures, cities and oaza with their readings ----

struct TWqk1adPref {           // 16 bytes
    std::int32_t Number;       // 1..47
    char Name[10];
    std::int16_t CityCount;
};
static_assert(sizeof(TWqk1adPref) == 16);

struct TWqk1adCity {           // 50 bytes
    char CityCode[6];          // five digits and a NUL
    char Head[2];              // first kana of the reading, one double-byte hiragana
    char Name[40];
    std::int16_t OhazaCount;
};
static_assert(sizeof(TWqk1adCity) == 50);
static_assert(offsetof(TWqk1adCity, Name) == 8 && offsetof(TWqk1adCity, OhazaCount) == 48);

struct TWqk1adOhaza {          // 56 bytes
    char Code[8];              // city code (5) + oaza number (3); not NUL-terminated when full
    char Reserved[4];          // a NUL after the code
    char Head[2];
    char Name[40];
    std::int16_t Tag;          // number of postcodes the oaza spans
};
static_assert(sizeof(TWqk1adOhaza) == 56);
static_assert(offsetof(TWqk1adOhaza, Head) == 12 && offsetof(TWqk1adOhaza, Tag) == 54);

constexpr int Wqk1adAllPrefectures = 47;
constexpr int Wqk1adRegionSize = 10;

// ---- WQZsCnv.dll: one free address text to one normalised address ----

struct TWqzscnvResult {        // 302 bytes
    char CityCode[6];
    char Postcode[10];
    char PrefKana[10];
    char Pref[10];
    char CityKana[26];
    char City[26];
    char TownKana[102];
    char Town[102];
    char TownCode[7];
    char Reserved[3];
};
static_assert(sizeof(TWqzscnvResult) == 302);
static_assert(offsetof(TWqzscnvResult, PrefKana) == 16 && offsetof(TWqzscnvResult, City) == 62);
static_assert(offsetof(TWqzscnvResult, TownKana) == 88 && offsetof(TWqzscnvResult, Town) == 190);
static_assert(offsetof(TWqzscnvResult, TownCode) == 292);

// ---- Wqmtad.dll: detail address of a city and town code ----

struct TWqmtadDetail {         // 236 bytes
    std::int32_t Latitude;     // 1/256 arc-second
    std::int32_t Longitude;
    char Postcode[8];
    char PrefKana[10];
    char Pref[10];
    char CityKana[26];
    char City[26];
    char OazaKana[38];
    char Oaza[38];
    char AzaKana[34];
    char Aza[38];
};
static_assert(sizeof(TWqmtadDetail) == 236);
static_assert(offsetof(TWqmtadDetail, Postcode) == 8 && offsetof(TWqmtadDetail, PrefKana) == 16);
static_assert(offsetof(TWqmtadDetail, CityKana) == 36 && offsetof(TWqmtadDetail, OazaKana) == 88);
static_assert(offsetof(TWqmtadDetail, Oaza) == 126 && offsetof(TWqmtadDetail, AzaKana) == 164);
static_assert(offsetof(TWqmtadDetail, Aza) == 198);

// ---- WqName99a.dll: name readings to the kanji of surnames and given names ----

// One candidate: the reading in half-width katakana, then the kanji; each
// field NUL-padded, a full field has no terminator.
struct TWqnameEntry {          // 24 bytes
    char Reading[12];
    char Kanji[12];
};
static_assert(sizeof(TWqnameEntry) == 24);

// The most candidates one reading gives (count and list alike).
constexpr int WqnameMaxCandidates = 300;
// The longest reading looked up (bytes before the NUL).
constexpr int WqnameMaxReading = 64;
// The name data file in the data folder.
constexpr const char *DicNameFileName = "wqname.db";

// Length of the look-up code of WQMTAdrs: city code (6) + the first five
// characters of the town code.
constexpr int WqmtadCodeLength = 11;

// ---- Wqarea17.dll: the telephone directory data set ----

struct TTelSearchCondition {   // 532 bytes
    char Phone[16];
    std::int32_t Always1;
    char DataFolder[256];
    char DicFolder[256];
};
static_assert(sizeof(TTelSearchCondition) == 532);
static_assert(offsetof(TTelSearchCondition, DataFolder) == 20 && offsetof(TTelSearchCondition, DicFolder) == 276);

struct TAreaSearchCondition {  // 648 bytes
    char Name[36];
    char AddressKey[56];
    std::int32_t Category;
    std::int32_t PhoneKinds;
    char MonthFrom[8];
    char MonthTo[8];
    std::int32_t CorporateForm;
    std::int32_t Continue;
    std::int32_t Always1;
    std::int32_t MatchKind;
    std::int32_t BlockSize;
    char DataFolder[256];
    char DicFolder[256];
};
static_assert(sizeof(TAreaSearchCondition) == 648);
static_assert(offsetof(TAreaSearchCondition, BlockSize) == 132);
static_assert(offsetof(TAreaSearchCondition, DataFolder) == 136 && offsetof(TAreaSearchCondition, DicFolder) == 392);

struct TAreaSearchHit {        // 264 bytes
    char Phone[14];
    char Reserved[2];
    std::int32_t PhoneKind;
    std::int32_t RecordKey;
    char Name[126];
    char Address[106];
    char FirstMonth[8];
};
static_assert(sizeof(TAreaSearchHit) == 264);

struct TAreaSearchPosition {   // 44 bytes, opaque but for the end flag
    std::int32_t Words[10];
    std::int32_t EndFlag;
};
static_assert(sizeof(TAreaSearchPosition) == 44);

struct TTelRecord {            // 588 bytes
    char Phone[14];
    char Reserved1[6];
    std::int32_t PhoneKind;
    char Postcode[8];
    char Name[120];
    char NameKana[62];
    char Pref[10];
    char City[26];
    char Address2a[38];
    char Address2b[38];
    char Address2c[82];
    char PrefKana[10];
    char CityKana[26];
    char Address2aKana[38];
    char Address2bKana[34];
    char Address2cKana[34];
    char Codes[16];
    char Reserved2[2];
    std::int32_t ListingKind;
    char FirstMonth[8];
    std::uint32_t Latitude;
    std::uint32_t Longitude;
};
static_assert(sizeof(TTelRecord) == 588);
static_assert(offsetof(TTelRecord, Name) == 32 && offsetof(TTelRecord, PrefKana) == 408);
static_assert(offsetof(TTelRecord, Codes) == 550 && offsetof(TTelRecord, Latitude) == 580);

constexpr int WqareaTelResultSize = 4704;
constexpr int WqareaTelOneResultSize = 588;
constexpr int WqareaHitSize = 264;

#pragma pack(pop)

extern "C" {
// Wqzs.dll
using TWQZsJisCount = int (*)(const char *text, std::int32_t *count, const char *folder);
using TWQZsJisList = int (*)(const char *text, TWqzsCity *cities, std::int32_t count, const char *folder);
using TWQZsTownCount = int (*)(const char *text, const TWqzsCity *city, std::int32_t *count, const char *folder);
using TWQZsLargeCount = int (*)(const char *text, const TWqzsCity *city, std::int32_t *count, const char *folder);
using TWQZsTownList = int (*)(const char *text, const TWqzsCity *city, TWqzsTown *towns, std::int32_t count,
                              const char *folder);
using TWQZsLargeList = int (*)(const char *text, const TWqzsCity *city, TWqzsTown *towns, TDicLarge *larges,
                               std::int32_t count, const char *folder);

// Wqzplst.dll. WQZPLSTFirst returns a list handle (nullptr unless status 0).
using TWQZPLSTFirst = void *(*)(const char *digits, std::int32_t *count, std::int16_t *status, const char *folder);
using TWQZPLSTCityList = int (*)(void *handle, TWqzplstCity *cities, std::int32_t reserved, std::int32_t count);
using TWQZPLSTTownList = int (*)(void *handle, const TWqzplstCity *city, TWqzplstTown *towns, std::int32_t reserved,
                                 std::int32_t count);
using TWQZPLSTLgTownList = int (*)(void *handle, const TWqzplstCity *city, TWqzplstTown *towns, TDicLarge *larges,
                                   std::int32_t reserved, std::int32_t count);
using TWQZPLSTClose = int (*)(void *handle);
// The formatted postcode ("123-4567") of the handle's search digits into out (9 bytes).
using TWQZPLSTPost = int (*)(void *handle, char *out);

// Wqtel.dll. WQTLTown2First returns a search handle (nullptr when none).
using TWQTLPrefix = int (*)(const char *digits, char *prefix, std::int16_t *count, const char *folder);
using TWQTLCity2 = int (*)(const char *digits, TWqtelCity *cities, const char *folder);
using TWQTLTown2First = void *(*)(const char *digits, const TWqtelCity *city, TWqtelTown *block,
                                  std::int32_t *status, const char *folder);
using TWQTLTown2Next = int (*)(void *handle, TWqtelTown *block);
using TWQTLTown2Prev = int (*)(void *handle, TWqtelTown *block);
using TWQTLTown2Close = int (*)(void *handle);

// Wqk1ad.dll
using TWQK1ADTdfkn = int (*)(TWqk1adPref *prefectures, const char *folder);
using TWQK1ADTdfknPart = int (*)(std::int32_t region, TWqk1adPref *prefectures, const char *folder);
using TWQK1ADCityAll = int (*)(std::int32_t prefecture, TWqk1adCity *cities, std::int32_t capacity,
                               const char *folder);
using TWQK1ADOhazaAll = int (*)(const char *cityCode, TWqk1adOhaza *oazas, std::int32_t capacity, const char *folder);
using TWQK1ADOhazaAll_Chome = TWQK1ADOhazaAll;
// The aza of one oaza (8-character code).
using TWQK1ADAzaAll = int (*)(const char *ohazaCode, TWqk1adOhaza *azas, std::int32_t capacity, const char *folder);

// WQZsCnv.dll
using TWQZSCAdrs = int (*)(const char *text, TWqzscnvResult *result, const char *folder);

// WqName99a.dll: WQNMSeiCount/WQNMMeiCount and WQNMSeiList/WQNMMeiList
// (surnames, given names). The reading is Shift-JIS kana of any width; the
// candidates are those whose reading starts with it, the reading itself
// first, then by reading, the most common spelling first within a reading.
using TWQNMCount = int (*)(const char *reading, std::int32_t reserved, std::int32_t *count, const char *folder);
using TWQNMList = int (*)(const char *reading, std::int32_t reserved, TWqnameEntry *entries, std::int32_t count,
                          const char *folder);

// Wqmtad.dll
using TWQMTAdrs = int (*)(const char *code, TWqmtadDetail *detail, const char *folder);

// Wqarea17.dll. The callback answers 0 to stop the call (which then returns 100), -1 to go on.
using TAreaSearchCallback = int (*)(std::int32_t reserved, std::int32_t progress);
using Twqarea_tel = int (*)(TTelSearchCondition *request, void *result, std::int32_t *count);
using Twqarea_tel_one = int (*)(std::int32_t reserved, TTelSearchCondition *request, TTelRecord *record,
                                std::int32_t key);
using Twqarea_area = int (*)(TAreaSearchCondition *condition, TAreaSearchHit *hits, std::int32_t *count,
                             TAreaSearchPosition *position, std::int32_t limit, TAreaSearchCallback callback);
using Twqarea_area_count = int (*)(TAreaSearchCondition *condition, std::int32_t *count, std::int32_t limit,
                                   TAreaSearchCallback callback);
using Twqarea_area_fax = Twqarea_area;
using Twqarea_area_count_fax = Twqarea_area_count;
// Masks the subscriber part of a number for display: in (digits), out (16 bytes).
using Tpup_tel_mask = int (*)(const char *in, char *out);
}
