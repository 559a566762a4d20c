#pragma once

// What every entry point of a dictionary library shares: the export marker,
// the exception barrier, argument checks and the registry of the handles a
// library hands out (so a stale or foreign handle is refused, not followed).

#include "DicStore.h"
#include "DicText.h"
#include "platform/dic/DicApi.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string_view>

#define DIC_EXPORT extern "C" __attribute__((visibility("default")))

#pragma GCC visibility push(hidden)

// Longest data folder path accepted (bytes before the NUL).
constexpr std::size_t DicMaxFolder = 4095;

// Runs an entry point's body: nothing may leave a C entry point, and a
// failure inside (memory, the data file) means the answer cannot be found.
template <typename F>
[[nodiscard]] int DicGuard(F &&body) noexcept
{
    try {
        return body();
    } catch (...) {
        return DicNotFound;
    }
}

// A NUL-terminated argument of at most maxBytes bytes (nullptr or longer:
// false). The NUL is looked for within maxBytes + 1 bytes only.
[[nodiscard]] inline bool DicTextArg(const char *text, std::size_t maxBytes, std::string_view &out)
{
    if (!text)
        return false;
    const std::size_t length = strnlen(text, maxBytes + 1);
    if (length > maxBytes)
        return false;
    out = std::string_view(text, length);
    return true;
}

// A text of exactly `length` ASCII digits.
[[nodiscard]] inline bool DicDigitsArg(const char *text, std::size_t length, std::string_view &out)
{
    return DicTextArg(text, length, out) && out.size() == length && DicIsDigits(out, length);
}

// The city of a six-character code field (a record's CityCode).
[[nodiscard]] inline bool DicCode6Field(const char *field, std::string_view &out)
{
    out = std::string_view(field, strnlen(field, 6));
    return out.size() == 6 && DicIsDigits(out, 6);
}

// The live handles of one kind a library handed out.
template <typename T>
class TDicHandles
{
public:
    void *add(std::shared_ptr<T> object)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        void *handle = object.get();
        m_objects.emplace(handle, std::move(object));
        return handle;
    }
    [[nodiscard]] std::shared_ptr<T> find(void *handle)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const auto it = m_objects.find(handle);
        return it == m_objects.end() ? nullptr : it->second;
    }
    [[nodiscard]] bool remove(void *handle)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_objects.erase(handle) > 0;
    }

private:
    std::mutex m_mutex;
    std::map<void *, std::shared_ptr<T>> m_objects;
};

// A 16-bit count field, capped.
[[nodiscard]] inline std::int16_t DicCount16(int count)
{
    return static_cast<std::int16_t>(count > 32767 ? 32767 : count);
}

// The oaza number of a town serial: "000" (the city itself), "001".."999",
// then "A00".."Z99" for 1000..3599; empty beyond.
[[nodiscard]] std::string DicOazaNumber(int serial);
// The serial of an oaza number; -1 when it is not one.
[[nodiscard]] int DicOazaSerial(std::string_view number);
// The row number of a seq (a row within its town): "00".."99", then
// "A0".."ZZ" (a letter, then a digit or letter) for 100..DicMaxTownSeq;
// empty beyond.
[[nodiscard]] std::string DicRowNumber(int seq);
// The seq of a row number; -1 when it is not one.
[[nodiscard]] int DicRowSeq(std::string_view number);
// Town code of a row: its town's oaza number, its row number within the town
// and "00" (the leading row: oaza number + "0000"). The row number follows
// the oaza number as only the first five characters reach WQMTAdrs.
[[nodiscard]] std::string DicTownCode(int serial, int seq);
[[nodiscard]] inline std::string DicTownCode(const TDicTownRow &row)
{
    return DicTownCode(row.serial, row.seq);
}

// A town entry of the address or postcode library (TWqzsTown, TWqzplstTown)
// from a row: zero-filled, then postcode, reading, name and town code.
template <typename TTown>
void DicFillTown(TTown &town, const TDicTownRow &row)
{
    std::memset(&town, 0, sizeof town);
    DicSetField(town.Postcode, sizeof town.Postcode, row.postcode);
    DicSetField(town.TownKana, sizeof town.TownKana, row.kana);
    DicSetField(town.Town, sizeof town.Town, row.name);
    DicSetField(town.TownCode, sizeof town.TownCode, DicTownCode(row), false);
}

// The bytes of a large office's name and reading that reach the user: the
// program's result record keeps 61 with the NUL, one less than the entry.
constexpr std::size_t DicLargeTextBytes = 60;

// The large-office entry of a row: zero-filled, then reading and name. A
// longer name (some 180 offices) is cut on a character and ends in "…", so
// the cut shows and survives the program's shorter field.
inline void DicFillLarge(TDicLarge &large, const TDicTownRow &row)
{
    std::memset(&large, 0, sizeof large);
    DicSetField(large.Kana, sizeof large.Kana, DicCutMarked(row.officeKana, DicLargeTextBytes));
    DicSetField(large.Name, sizeof large.Name, DicCutMarked(row.office, DicLargeTextBytes));
}

#pragma GCC visibility pop
