#pragma once

#include "platform/dic/DicApi.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

// The address results the dictionary search classes hand to their callers.
// Each search object owns one and returns a pointer to it; the next call
// overwrites it. Texts are Shift-JIS, trimmed, NUL-terminated when shorter
// than their field; the city code is read back as exactly 6 characters and
// the town code as 7 (6 in the telephone form). Coordinates are thousandths
// of an arc-second, 0 when no detail was found. The records keep their
// natural alignment: callers rely on the sizes.

// Town, city and large-office result of TAdrsSearch and TPosSearch.
struct TDicAdrsResult {
    char Postcode[9];  // "123-4567"
    char PrefKana[9];
    char Pref[9];
    char CityKana[37];
    char City[37];
    char TownKana[101];
    char Town[101];
    char LargeKana[61];
    char Large[61];
    char CityCode[6];
    char TownCode[7];
    std::int32_t Latitude;
    std::int32_t Longitude;
};
static_assert(sizeof(TDicAdrsResult) == 448);
static_assert(offsetof(TDicAdrsResult, LargeKana) == 303 && offsetof(TDicAdrsResult, CityCode) == 425);
static_assert(offsetof(TDicAdrsResult, Latitude) == 440);

// The result of TKykbnSearch: the searched number in front, no large office.
struct TDicTelAdrsResult {
    char Phone[14];
    char Postcode[9];
    char PrefKana[9];
    char Pref[9];
    char CityKana[37];
    char City[37];
    char TownKana[101];
    char Town[101];
    char CityCode[6];
    char TownCode[7]; // six characters and a NUL
    std::int32_t Latitude;
    std::int32_t Longitude;
};
static_assert(sizeof(TDicTelAdrsResult) == 340);
static_assert(offsetof(TDicTelAdrsResult, CityCode) == 317 && offsetof(TDicTelAdrsResult, Latitude) == 332);

// The result of TContinualAdrsSearch: neither telephone nor large office.
struct TDicAdrsShortResult {
    char Postcode[9];
    char PrefKana[9];
    char Pref[9];
    char CityKana[37];
    char City[37];
    char TownKana[101];
    char Town[101];
    char CityCode[6];
    char TownCode[7];
    std::int32_t Latitude;
    std::int32_t Longitude;
};
static_assert(sizeof(TDicAdrsShortResult) == 324);
static_assert(offsetof(TDicAdrsShortResult, Latitude) == 316);

// The postcode as results show it: trimmed; seven (or five) characters get
// a hyphen after the third, other lengths stay as they are.
[[nodiscard]] QByteArray FormatDicPostcode(const QByteArray &Postcode);

// Writes Text, trimmed, into a fixed text field (cut at a character
// boundary, NUL-terminated, the rest NUL). Code fields are filled to their
// last byte instead (Exact).
void SetDicField(char *Field, std::size_t Size, const QByteArray &Text, bool Exact = false);
template <std::size_t N>
void SetDicField(char (&Field)[N], const QByteArray &Text, bool Exact = false)
{
    SetDicField(Field, N, Text, Exact);
}

// The text of a fixed-width library field: up to its first NUL, trimmed.
[[nodiscard]] QByteArray DicFieldText(const char *Field, std::size_t Size);
template <std::size_t N>
[[nodiscard]] QByteArray DicFieldText(const char (&Field)[N])
{
    return DicFieldText(Field, N);
}

// The 11-character look-up code of the detail library: city code (up to 6)
// then town code (up to 7), cut to 13, eleven zeros after, the first 11.
[[nodiscard]] QByteArray DicDetailCode(const QByteArray &CityCode, const QByteArray &TownCode);

// Milliseconds of arc of a detail coordinate (1/256 arc-second), halves
// away from zero.
[[nodiscard]] std::int32_t DicDetailToMilliseconds(std::int32_t Value);

// Completes Result from the detail library (which the caller has loaded):
// on a hit, the texts (when Texts) and always the coordinates are replaced
// by the detail record's. Returns the library's code (103 when not loaded).
template <class TResult>
int CompleteDicDetail(TResult &Result, const QString &DataFolder, bool Texts);
// The same with the detail library held (from LibFolder) for this one call;
// when it cannot be loaded its error box has been shown and Result stays.
template <class TResult>
void CompleteDicDetailOnce(TResult &Result, const QString &LibFolder, const QString &DataFolder, bool Texts);
