#pragma once

// The heading character of a reading: the first half-width katakana of a
// Shift-JIS reading as one double-byte hiragana ("ﾁﾖﾀﾞ" -> "ち"; a voicing
// mark after it is not looked at, so headings group ｶ and ｶﾞ together, and a
// small kana counts as its big form). The data converter writes the cities'
// headings with it and the kana library the oaza ones.

#include <string>
#include <string_view>

#pragma GCC visibility push(hidden)

// Two Shift-JIS bytes, or an empty string when the reading does not start
// with a half-width katakana (0xA6..0xDD).
[[nodiscard]] std::string DicKanaHead(std::string_view halfWidthReading);

// A Shift-JIS reading with its small half-width kana written as the big ones
// ("ﾄｳｷｮｳﾄ" -> "ﾄｳｷﾖｳﾄ"): the form of the program's table of prefecture
// readings, which the postcode search splits a prefecture-and-city reading
// by. Double-byte characters pass unchanged.
[[nodiscard]] std::string DicFoldSmallKana(std::string_view reading);

// A typed or stored name reading in the one form the name library matches
// on: Shift-JIS hiragana and full-width katakana (ヴ, the prolonged sound mark
// and the two voicing marks included) as half-width katakana, a voiced kana
// as its base and ﾞ or ﾟ ("よしこ", "ヨシコ" and "ﾖｼｺ" all give "ﾖｼｺ"). Kana
// without a half-width form (ゎ, ゐ, ゑ, ヵ, ヶ) become the full-width
// katakana; every other character passes unchanged, never split.
[[nodiscard]] std::string DicNameReading(std::string_view reading);

#pragma GCC visibility pop
