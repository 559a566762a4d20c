#pragma once

// The call shape of the telephone hyphenation library (libwqhyp.so), shared by
// the library and the program's wrapper. Plain C types only: the library is
// loaded at run time and looked up by the entry point's unmangled name.

#include <cstdint>

// The caller's clock at the time of the call, UTC, laid out as eight 16-bit
// fields (16 bytes): year, month 1..12, day of week 0 = Sunday, day 1..31,
// hour, minute, second, milliseconds.
struct TWqhypTime {
    std::uint16_t wYear;
    std::uint16_t wMonth;
    std::uint16_t wDayOfWeek;
    std::uint16_t wDay;
    std::uint16_t wHour;
    std::uint16_t wMinute;
    std::uint16_t wSecond;
    std::uint16_t wMilliseconds;
};
static_assert(sizeof(TWqhypTime) == 16, "the time record is 16 bytes on the wire");

// Size of the output buffer of GetHyphen: up to 13 characters and a NUL.
constexpr int WqhypOutputSize = 14;

// Codes of GetHyphen.
constexpr int WqhypOk = 0;
constexpr int WqhypWrongInput = 4; // null argument, a character other than digits and '-', too long
constexpr int WqhypNotFound = 8;   // not a valid Japanese number, or its hyphenated form does not fit

// GetHyphen(number, output, dataFolder, time): number is a NUL-terminated
// Shift-JIS string of digits (hyphens already in it are ignored); output
// receives the hyphenated number, NUL-terminated, in at most 14 bytes, and is
// written only on success; dataFolder ends with '/'. Returns one of the codes.
extern "C" {
using TGetHyphenFn = int (*)(const char *number, char *output, const char *dataFolder, const TWqhypTime *time);
}

// Name of the entry point.
constexpr const char *WqhypGetHyphenName = "GetHyphen";
