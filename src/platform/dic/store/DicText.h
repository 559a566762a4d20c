#pragma once

// Shift-JIS byte-string helpers of the dictionary libraries and their data
// converter. Plain C++: the libraries link no Qt.

#include <cstddef>
#include <string>
#include <string_view>

// Whether b starts a double-byte Shift-JIS character.
[[nodiscard]] constexpr bool DicIsLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The longest start of text of at most maxBytes bytes that ends on a
// character boundary.
[[nodiscard]] std::string_view DicCutBytes(std::string_view text, std::size_t maxBytes);

// text without leading and trailing blanks (ASCII space, tab, NUL and the
// double-byte space 0x8140).
[[nodiscard]] std::string_view DicTrim(std::string_view text);

// The text of a fixed-width field: up to the first NUL, trimmed.
[[nodiscard]] std::string_view DicField(const char *field, std::size_t size);

// text when it has at most maxBytes bytes; else its start cut on a character
// boundary, without trailing blanks, followed by the ellipsis "…" (0x81 0x63)
// so that the reader sees the text goes on, maxBytes in all at most.
[[nodiscard]] std::string DicCutMarked(std::string_view text, std::size_t maxBytes);

// Writes text into a fixed-width field: cut at a character boundary so that
// a NUL still fits when keepNul (else the field may be filled to the last
// byte), the rest NUL-filled.
void DicSetField(char *field, std::size_t size, std::string_view text, bool keepNul = true);

// The form of a name used for matching: double-byte spaces and blanks
// dropped, the small ヶ/ヵ and ケ/カ compared as one, "之" kept.
[[nodiscard]] std::string DicNormalizeKey(std::string_view text);

// The form of an address text or a dictionary name used for matching
// addresses: DicNormalizeKey, with every number in ASCII digits, so that
// half-width, full-width and kanji numerals compare as one (5, ５ and 五;
// 15, １５ and 十五).
[[nodiscard]] std::string DicAddressKey(std::string_view text);
// The same for a text already in DicNormalizeKey form. Without a number to
// rewrite the answer is key itself; otherwise it views buffer.
[[nodiscard]] std::string_view DicFoldNumerals(std::string_view key, std::string &buffer);

// Whether text consists of 1..maxDigits ASCII digits only.
[[nodiscard]] bool DicIsDigits(std::string_view text, std::size_t maxDigits);
