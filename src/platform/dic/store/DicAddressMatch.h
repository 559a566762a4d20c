#pragma once

// Matching of a free address text against the dictionary's prefectures,
// cities, towns and large offices, shared by the address-list library and the
// one-address conversion. Everything works on address keys (DicAddressKey of
// the text, the stored keys with their numerals folded alike), so blanks, the
// small ヶ and the way a number is written never decide a match.

#include "DicStore.h"

#include <string>
#include <string_view>
#include <vector>

#pragma GCC visibility push(hidden)

// A city a text names, and the rest of the text's key after the city's part
// (empty when the text names the city only partly).
struct TDicCityMatch {
    const TDicCityRow *city = nullptr;
    std::string_view rest;
};

// The cities a text names, in JIS code order; key is DicAddressKey(text).
// After an optional prefecture name the text names a city by its whole name
// or by its name without the county (中井町 for 足柄上郡中井町) or, for Tokyo's
// island towns, without the island (三宅村 for 三宅島三宅村); only when no
// city is named so, a designated city's name alone (京都市) names its wards.
// Of the cities named the longest way, when there are several, only those
// keep that have a town the rest names (the longest such town), unless none
// has: the text's town decides between cities, never their codes. When
// Partial and no city is named: the cities whose name (with or without the
// county) starts with the text, and all cities of a prefecture named alone.
[[nodiscard]] std::vector<TDicCityMatch> DicMatchCities(const TDicStore &store, std::string_view key,
                                                        bool Partial);

// The key after the part naming city as DicMatchCities reads it; empty when
// the text names the city only partly or not at all.
[[nodiscard]] std::string_view DicRestAfterCity(const TDicStore &store, const TDicCityRow &city,
                                                std::string_view key);

// Where the street indication of a Kyoto address ends in a rest (address
// key): after its last direction, 上る, 下る, 東入 or 西入 with their kana
// and okurigana forms (上ル, あがる, 東入ル, ひがしいる...), as in
// 烏丸通三条上る場之町 (the street 烏丸通, the crossing 三条, "north of it",
// then the town). A bare 東入 or 西入 counts only after a …通. 0 without one.
[[nodiscard]] std::size_t DicStreetEnd(std::string_view rest);

// Indexes of the keys (address keys) a rest selects: every key when the rest
// is empty; else, of the non-empty keys, those that are a prefix of the rest,
// keeping only the longest such; when none is, those starting with the rest.
// A rest starting with 大字 or 字 that selects nothing is read without it.
// After a street indication (DicStreetEnd) a key is taken from the start of
// the rest only when it reaches past the indication; else the rest after it
// selects.
[[nodiscard]] std::vector<std::size_t> DicMatchKeys(const std::vector<std::string> &keys, std::string_view rest);

// The town of towns with the longest key the rest starts with (read without
// a leading 大字 or 字 when it names none with it, and after a street
// indication as DicMatchKeys reads it); nullptr when none.
[[nodiscard]] const TDicTownRow *DicBestTown(const std::vector<TDicTownRow> &towns, std::string_view rest);

// Every row of that town's key, in their order: one town name may have rows
// of several postcodes that the text does not tell apart.
[[nodiscard]] std::vector<const TDicTownRow *> DicBestTowns(const std::vector<TDicTownRow> &towns,
                                                            std::string_view rest);

#pragma GCC visibility pop
