#pragma once

// Matching of a free address text against the dictionary's prefectures,
// cities, towns and large offices, shared by the address-list library and the
// one-address conversion. Everything works on normalised keys
// (DicNormalizeKey of the text and of the names), so blanks and the small ヶ
// never decide a match.

#include "DicStore.h"

#include <string>
#include <string_view>
#include <vector>

#pragma GCC visibility push(hidden)

// The cities a text names, in JIS code order: those whose whole name the
// text starts with (after an optional prefecture name); when there is none,
// those whose name starts with the text (after an optional prefecture name),
// and all cities of a prefecture the text names alone.
[[nodiscard]] std::vector<const TDicCityRow *> DicMatchCities(const TDicStore &store, std::string_view key);

// The one city a text names for a conversion: the longest whole name (only
// cities of the prefecture when the text starts with one), the lowest code
// among equals; nullptr when none. used receives the key bytes the
// prefecture and city take.
[[nodiscard]] const TDicCityRow *DicBestCity(const TDicStore &store, std::string_view key, std::size_t &used);

// The key after the city's part of the text ([prefecture] + city name);
// empty when the text names the city only partly or not at all.
[[nodiscard]] std::string_view DicRestAfterCity(const TDicStore &store, const TDicCityRow &city,
                                                std::string_view key);

// Indexes of the keys a rest selects: every key when the rest is empty; else,
// of the non-empty keys, those that are a prefix of the rest, keeping only the
// longest such; when none is, those starting with the rest.
[[nodiscard]] std::vector<std::size_t> DicMatchKeys(const std::vector<std::string> &keys, std::string_view rest);

#pragma GCC visibility pop
