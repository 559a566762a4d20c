#include "DicText.h"

#include <algorithm>
#include <cstring>

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

void DicSetField(char *field, std::size_t size, std::string_view text, bool keepNul)
{
    if (!field || size == 0)
        return;
    const std::string_view cut = DicCutBytes(text, keepNul ? size - 1 : size);
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
