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
