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
// or by its name without the county (中井町 for 足柄上郡中井町); only when no
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

// Indexes of the keys (address keys) a rest selects: every key when the rest
// is empty; else, of the non-empty keys, those that are a prefix of the rest,
// keeping only the longest such; when none is, those starting with the rest.
// A rest starting with 大字 or 字 that selects nothing is read without it.
[[nodiscard]] std::vector<std::size_t> DicMatchKeys(const std::vector<std::string> &keys, std::string_view rest);

// The town of towns with the longest key the rest starts with (read without
// a leading 大字 or 字 when it names none with it); nullptr when none.
[[nodiscard]] const TDicTownRow *DicBestTown(const std::vector<TDicTownRow> &towns, std::string_view rest);

#pragma GCC visibility pop
