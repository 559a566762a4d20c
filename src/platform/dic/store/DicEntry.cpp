#include "DicEntry.h"

#include <cstdio>

std::string DicTownCode(int serial)
{
    char code[16];
    std::snprintf(code, sizeof code, "%05d00", serial);
    return code;
}
