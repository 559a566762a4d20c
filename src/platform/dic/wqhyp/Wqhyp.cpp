#include "WqhypApi.h"

#include <phonenumbers/phonenumber.pb.h>
#include <phonenumbers/phonenumberutil.h>

#include <cstring>
#include <string>
#include <type_traits>

namespace {

// Longest number text looked at; anything longer is wrong input, so a
// missing NUL never makes the library read far past the caller's buffer.
constexpr std::size_t kMaxInput = 32;

} // namespace

extern "C" __attribute__((visibility("default"))) int GetHyphen(const char *number, char *output,
                                                                const char *dataFolder, const TWqhypTime *time)
{
    if (number == nullptr || output == nullptr || dataFolder == nullptr || time == nullptr)
        return WqhypWrongInput;
    const std::size_t length = strnlen(number, kMaxInput + 1);
    if (length == 0 || length > kMaxInput)
        return WqhypWrongInput;

    std::string digits;
    for (std::size_t i = 0; i < length; ++i) {
        const char c = number[i];
        if (c >= '0' && c <= '9')
            digits.push_back(c);
        else if (c != '-')
            return WqhypWrongInput;
    }
    if (digits.empty())
        return WqhypWrongInput;

    using i18n::phonenumbers::PhoneNumber;
    using i18n::phonenumbers::PhoneNumberUtil;
    try {
        const PhoneNumberUtil *util = PhoneNumberUtil::GetInstance();
        PhoneNumber parsed;
        if (util->Parse(digits, "JP", &parsed) != PhoneNumberUtil::NO_PARSING_ERROR)
            return WqhypNotFound;
        // A number whose area code is known but whose exchange is not (yet)
        // in service, such as 011-123-4567, is still hyphenated after its
        // area code, as long as the national form keeps every digit typed:
        // a number of the wrong length loses its leading 0 there instead.
        const bool valid = util->IsValidNumberForRegion(parsed, "JP");
        if (!valid && !util->IsPossibleNumber(parsed))
            return WqhypNotFound;
        std::string formatted;
        util->Format(parsed, PhoneNumberUtil::NATIONAL, &formatted);
        if (formatted.empty() || formatted.size() >= static_cast<std::size_t>(WqhypOutputSize))
            return WqhypNotFound;
        if (!valid) {
            std::string kept;
            for (const char c : formatted)
                if (c >= '0' && c <= '9')
                    kept.push_back(c);
            if (kept != digits || formatted.find('-') == std::string::npos)
                return WqhypNotFound;
        }
        std::memset(output, 0, WqhypOutputSize);
        std::memcpy(output, formatted.data(), formatted.size());
        return WqhypOk;
    } catch (...) {
        // Nothing may leave a C entry point.
        return WqhypNotFound;
    }
}

// The declared type must match what the wrapper looks up.
static_assert(std::is_same_v<decltype(&GetHyphen), TGetHyphenFn>);
