#include "DicEntry.h"

#include "DicSchema.h"

#include <cstdio>

std::string DicOazaNumber(int serial)
{
    if (serial < 0 || serial > 3599)
        return {};
    char number[8];
    if (serial <= 999)
        std::snprintf(number, sizeof number, "%03d", serial);
    else
        std::snprintf(number, sizeof number, "%c%02d", 'A' + (serial - 1000) / 100, (serial - 1000) % 100);
    return number;
}

int DicOazaSerial(std::string_view number)
{
    if (number.size() != 3 || number[1] < '0' || number[1] > '9' || number[2] < '0' || number[2] > '9')
        return -1;
    const int low = (number[1] - '0') * 10 + (number[2] - '0');
    if (number[0] >= '0' && number[0] <= '9')
        return (number[0] - '0') * 100 + low;
    if (number[0] >= 'A' && number[0] <= 'Z')
        return 1000 + (number[0] - 'A') * 100 + low;
    return -1;
}

namespace {

constexpr std::string_view kRowDigits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

} // namespace

std::string DicRowNumber(int seq)
{
    if (seq < 0 || seq > DicMaxTownSeq)
        return {};
    if (seq <= 99)
        return {static_cast<char>('0' + seq / 10), static_cast<char>('0' + seq % 10)};
    const auto high = static_cast<std::size_t>(seq - 100);
    return {static_cast<char>('A' + high / kRowDigits.size()), kRowDigits[high % kRowDigits.size()]};
}

int DicRowSeq(std::string_view number)
{
    if (number.size() != 2)
        return -1;
    const std::size_t low = kRowDigits.find(number[1]);
    if (number[0] >= '0' && number[0] <= '9')
        return low < 10 ? (number[0] - '0') * 10 + static_cast<int>(low) : -1;
    if (number[0] >= 'A' && number[0] <= 'Z' && low != std::string_view::npos)
        return 100 + (number[0] - 'A') * static_cast<int>(kRowDigits.size()) + static_cast<int>(low);
    return -1;
}

std::string DicTownCode(int serial, int seq)
{
    const std::string oaza = DicOazaNumber(serial);
    const std::string row = DicRowNumber(seq);
    return oaza.empty() || row.empty() ? std::string() : oaza + row + "00";
}
