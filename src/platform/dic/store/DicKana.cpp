#include "DicKana.h"

#include "DicText.h"

#include <array>

namespace {

// Trail bytes of the hiragana (lead byte 0x82) for the half-width katakana
// 0xA6 ｦ .. 0xDD ﾝ, small kana as their big form (a heading names a row of
// the syllabary); 0 for the prolonged sound mark ｰ, which has no hiragana.
constexpr std::array<unsigned char, 0xDD - 0xA6 + 1> kHiraganaTrail = {
    0xF0,                                     // ｦ を
    0xA0, 0xA2, 0xA4, 0xA6, 0xA8,             // ｧ..ｫ as あいうえお
    0xE2, 0xE4, 0xE6, 0xC2,                   // ｬｭｮｯ as やゆよつ
    0x00,                                     // ｰ
    0xA0, 0xA2, 0xA4, 0xA6, 0xA8,             // ｱ..ｵ
    0xA9, 0xAB, 0xAD, 0xAF, 0xB1,             // ｶ..ｺ
    0xB3, 0xB5, 0xB7, 0xB9, 0xBB,             // ｻ..ｿ
    0xBD, 0xBF, 0xC2, 0xC4, 0xC6,             // ﾀ..ﾄ
    0xC8, 0xC9, 0xCA, 0xCB, 0xCC,             // ﾅ..ﾉ
    0xCD, 0xD0, 0xD3, 0xD6, 0xD9,             // ﾊ..ﾎ
    0xDC, 0xDD, 0xDE, 0xDF, 0xE0,             // ﾏ..ﾓ
    0xE2, 0xE4, 0xE6,                         // ﾔﾕﾖ
    0xE7, 0xE8, 0xE9, 0xEA, 0xEB,             // ﾗ..ﾛ
    0xED, 0xF1,                               // ﾜﾝ
};

} // namespace

std::string DicKanaHead(std::string_view halfWidthReading)
{
    if (halfWidthReading.empty())
        return {};
    const auto b = static_cast<unsigned char>(halfWidthReading.front());
    if (b < 0xA6 || b > 0xDD || kHiraganaTrail[b - 0xA6] == 0)
        return {};
    return {static_cast<char>(0x82), static_cast<char>(kHiraganaTrail[b - 0xA6])};
}

std::string DicFoldSmallKana(std::string_view reading)
{
    // ｧｨｩｪｫ ｬｭｮ ｯ (0xA7..0xAF) as ｱｲｳｴｵ ﾔﾕﾖ ﾂ.
    static constexpr std::array<unsigned char, 0xAF - 0xA7 + 1> kBig = {0xB1, 0xB2, 0xB3, 0xB4, 0xB5,
                                                                        0xD4, 0xD5, 0xD6, 0xC2};
    std::string folded(reading);
    for (std::size_t i = 0; i < folded.size(); ++i) {
        const auto b = static_cast<unsigned char>(folded[i]);
        if (DicIsLeadByte(b))
            ++i;
        else if (b >= 0xA7 && b <= 0xAF)
            folded[i] = static_cast<char>(kBig[b - 0xA7]);
    }
    return folded;
}

namespace {

// The half-width forms of the 83 kana that hiragana (0x829F..0x82F1) and
// katakana (0x8340..0x8393, skipping 0x837F) share, in code order; nullptr
// for the ones kept as full-width katakana.
constexpr std::array<const char *, 83> kHalfKana = {
    "\xA7", "\xB1", "\xA8", "\xB2", "\xA9", "\xB3", "\xAA", "\xB4", "\xAB", "\xB5",                     // ぁ..お
    "\xB6", "\xB6\xDE", "\xB7", "\xB7\xDE", "\xB8", "\xB8\xDE", "\xB9", "\xB9\xDE", "\xBA", "\xBA\xDE", // か..ご
    "\xBB", "\xBB\xDE", "\xBC", "\xBC\xDE", "\xBD", "\xBD\xDE", "\xBE", "\xBE\xDE", "\xBF", "\xBF\xDE", // さ..ぞ
    "\xC0", "\xC0\xDE", "\xC1", "\xC1\xDE", "\xAF", "\xC2", "\xC2\xDE", "\xC3", "\xC3\xDE", "\xC4",     // た..と
    "\xC4\xDE",                                                                                         // ど
    "\xC5", "\xC6", "\xC7", "\xC8", "\xC9",                                                             // な..の
    "\xCA", "\xCA\xDE", "\xCA\xDF", "\xCB", "\xCB\xDE", "\xCB\xDF", "\xCC", "\xCC\xDE", "\xCC\xDF",     // は..ぷ
    "\xCD", "\xCD\xDE", "\xCD\xDF", "\xCE", "\xCE\xDE", "\xCE\xDF",                                     // へ..ぽ
    "\xCF", "\xD0", "\xD1", "\xD2", "\xD3",                                                             // ま..も
    "\xAC", "\xD4", "\xAD", "\xD5", "\xAE", "\xD6",                                                     // ゃ..よ
    "\xD7", "\xD8", "\xD9", "\xDA", "\xDB",                                                             // ら..ろ
    nullptr, "\xDC", nullptr, nullptr, "\xA6", "\xDD",                                                  // ゎ..ん
};

// The full-width katakana of kana position i (0..82).
std::string fullKatakana(int i)
{
    const int trail = i < 63 ? 0x40 + i : 0x41 + i; // 0x837F is no character
    return {static_cast<char>(0x83), static_cast<char>(trail)};
}

} // namespace

std::string DicNameReading(std::string_view reading)
{
    std::string out;
    out.reserve(reading.size());
    for (std::size_t i = 0; i < reading.size(); ++i) {
        const auto b = static_cast<unsigned char>(reading[i]);
        if (!DicIsLeadByte(b) || i + 1 >= reading.size()) {
            out.push_back(reading[i]);
            continue;
        }
        const auto t = static_cast<unsigned char>(reading[i + 1]);
        int kana = -1;
        if (b == 0x82 && t >= 0x9F && t <= 0xF1)
            kana = t - 0x9F;
        else if (b == 0x83 && t >= 0x40 && t <= 0x7E)
            kana = t - 0x40;
        else if (b == 0x83 && t >= 0x80 && t <= 0x93)
            kana = t - 0x41;
        if (kana >= 0) {
            const char *half = kHalfKana[static_cast<std::size_t>(kana)];
            out += half ? std::string(half) : fullKatakana(kana);
        } else if (b == 0x83 && t == 0x94) {
            out += "\xB3\xDE"; // ヴ
        } else if (b == 0x81 && t == 0x5B) {
            out.push_back(static_cast<char>(0xB0)); // ー
        } else if (b == 0x81 && (t == 0x4A || t == 0x4B)) {
            out.push_back(static_cast<char>(t == 0x4A ? 0xDE : 0xDF)); // ゛゜
        } else {
            out.append(reading.substr(i, 2));
        }
        ++i;
    }
    return out;
}
