#include "DicText.h"

#include <algorithm>
#include <cstring>
#include <vector>

std::string_view DicCutBytes(std::string_view text, std::size_t maxBytes)
{
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t width = DicIsLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1;
        if (end + width > maxBytes || end + width > text.size())
            break;
        end += width;
    }
    return text.substr(0, end);
}

namespace {

bool isBlankAt(std::string_view text, std::size_t i, std::size_t &width)
{
    const auto b = static_cast<unsigned char>(text[i]);
    if (b == ' ' || b == '\t' || b == 0) {
        width = 1;
        return true;
    }
    if (b == 0x81 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x40) {
        width = 2;
        return true;
    }
    width = DicIsLeadByte(b) ? 2 : 1;
    return false;
}

} // namespace

std::string_view DicTrim(std::string_view text)
{
    // Walk by characters so a trail byte is never taken for a blank.
    std::size_t first = text.size();
    std::size_t last = 0;
    for (std::size_t i = 0, width = 1; i < text.size(); i += width) {
        if (!isBlankAt(text, i, width)) {
            if (first == text.size())
                first = i;
            last = std::min(text.size(), i + width);
        }
    }
    return first == text.size() ? std::string_view() : text.substr(first, last - first);
}

std::string_view DicField(const char *field, std::size_t size)
{
    if (!field)
        return {};
    const void *nul = std::memchr(field, 0, size);
    const std::size_t length = nul ? static_cast<std::size_t>(static_cast<const char *>(nul) - field) : size;
    return DicTrim(std::string_view(field, length));
}

std::string DicCutMarked(std::string_view text, std::size_t maxBytes)
{
    constexpr std::string_view kEllipsis = "\x81\x63";
    if (text.size() <= maxBytes)
        return std::string(text);
    if (maxBytes < kEllipsis.size())
        return std::string(DicCutBytes(text, maxBytes));
    return std::string(DicTrim(DicCutBytes(text, maxBytes - kEllipsis.size()))) + std::string(kEllipsis);
}

void DicSetField(char *field, std::size_t size, std::string_view text, bool keepNul)
{
    if (!field || size == 0)
        return;
    const std::string_view cut = DicCutBytes(text, keepNul ? size - 1 : size);
    // An empty answer (a blank field trims to a view of nothing) may carry no
    // address at all: there is nothing to copy from it.
    if (!cut.empty())
        std::memcpy(field, cut.data(), cut.size());
    std::memset(field + cut.size(), 0, size - cut.size());
}

std::string DicNormalizeKey(std::string_view text)
{
    std::string key;
    key.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (DicIsLeadByte(b) && i + 1 < text.size()) {
            const auto t = static_cast<unsigned char>(text[i + 1]);
            if (b == 0x81 && t == 0x40) { // double-byte space
                i += 2;
                continue;
            }
            if (b == 0x83 && t == 0x96) { // ヶ -> ケ
                key += "\x83\x50";
            } else if (b == 0x83 && t == 0x95) { // ヵ -> カ
                key += "\x83\x4A";
            } else {
                key += text.substr(i, 2);
            }
            i += 2;
            continue;
        }
        if (b != ' ' && b != '\t')
            key += static_cast<char>(b);
        ++i;
    }
    return key;
}

namespace {

constexpr int kTen = 10; // 十

// The value of the numeral character at text[i]: 0..9, kTen for 十, -1 for
// any other character. width receives the character's bytes, kanji whether
// it is a kanji numeral (a run of those is read as one number).
int numeralAt(std::string_view text, std::size_t i, std::size_t &width, bool &kanji)
{
    const auto b = static_cast<unsigned char>(text[i]);
    kanji = false;
    width = 1;
    if (b >= '0' && b <= '9')
        return b - '0';
    if (!DicIsLeadByte(b) || i + 1 >= text.size())
        return -1;
    width = 2;
    const unsigned code = (unsigned{b} << 8) | static_cast<unsigned char>(text[i + 1]);
    if (code >= 0x824F && code <= 0x8258) // full-width digits
        return static_cast<int>(code - 0x824F);
    kanji = true;
    switch (code) {
    case 0x815A: return 0;    // 〇
    case 0x88EA: return 1;    // 一
    case 0x93F1: return 2;    // 二
    case 0x8E4F: return 3;    // 三
    case 0x8E6C: return 4;    // 四
    case 0x8CDC: return 5;    // 五
    case 0x985A: return 6;    // 六
    case 0x8EB5: return 7;    // 七
    case 0x94AA: return 8;    // 八
    case 0x8BE3: return 9;    // 九
    case 0x8F5C: return kTen; // 十
    default: break;
    }
    kanji = false;
    return -1;
}

// A run of kanji numerals in digits: 十, 二十, 十五 and 二十五 as numbers
// (10, 20, 15, 25); a run without 十 digit by digit (一〇 = 10); any other
// run value by value.
void appendKanjiNumber(const std::vector<int> &run, std::string &out)
{
    const auto ten = std::find(run.begin(), run.end(), kTen);
    const auto before = ten - run.begin();
    const auto after = run.end() - ten - 1;
    const auto isDigit = [](int v) { return v >= 1 && v <= 9; };
    if (ten != run.end() && before <= 1 && after <= 1 && (before == 0 || isDigit(run.front()))
        && (after == 0 || isDigit(run.back()))) {
        out += std::to_string((before == 1 ? run.front() : 1) * 10 + (after == 1 ? run.back() : 0));
        return;
    }
    for (const int value : run)
        out += std::to_string(value);
}

} // namespace

std::string_view DicFoldNumerals(std::string_view key, std::string &buffer)
{
    // Most names hold no number but ASCII digits: those are kept as they are.
    std::size_t first = key.size();
    for (std::size_t i = 0, width = 1; i < key.size(); i += width) {
        bool kanji = false;
        if (numeralAt(key, i, width, kanji) >= 0 && width == 2) {
            first = i;
            break;
        }
    }
    if (first == key.size())
        return key;

    buffer.assign(key.substr(0, first));
    std::vector<int> run;
    for (std::size_t i = first, width = 1; i <= key.size(); i += width) {
        bool kanji = false;
        const int value = i < key.size() ? numeralAt(key, i, width, kanji) : -1;
        if (value >= 0 && kanji) {
            run.push_back(value);
            continue;
        }
        if (!run.empty()) {
            appendKanjiNumber(run, buffer);
            run.clear();
        }
        if (i == key.size())
            break;
        if (value >= 0)
            buffer += static_cast<char>('0' + value);
        else
            buffer += key.substr(i, width);
    }
    return buffer;
}

std::string DicAddressKey(std::string_view text)
{
    const std::string key = DicNormalizeKey(text);
    std::string buffer;
    return std::string(DicFoldNumerals(key, buffer));
}

bool DicIsDigits(std::string_view text, std::size_t maxDigits)
{
    if (text.empty() || text.size() > maxDigits)
        return false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}
