#include "DicEntry.h"

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

std::string DicTownCode(int serial)
{
    return DicOazaNumber(serial) + "0000";
}
