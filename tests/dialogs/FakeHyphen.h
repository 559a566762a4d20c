#pragma once

#include "core/WqhypWrapper.h"

#include <cstring>
#include <string>

// Stands in for the hyphenation library in the sender tests: ten-digit
// Tokyo numbers become 03-1234-5678, anything else is refused.
inline int FakeTokyoHyphen(const char *Number, char *Output, const char *, const TWqhypTime *)
{
    const std::string n(Number);
    if (n.size() != 10)
        return 1;
    const std::string r = n.substr(0, 2) + "-" + n.substr(2, 4) + "-" + n.substr(6);
    std::memcpy(Output, r.c_str(), r.size() + 1);
    return 0;
}
