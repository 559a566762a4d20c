#pragma once

// A small dictionary data file of real rows (Tokyo's 千代田区 and 府中市,
// Hiroshima's 府中市, 小田原市 with 45 town rows, two wards of 横浜市, two
// large offices, the areas 0465 and 045) written into a temporary folder,
// and the built dictionary libraries loaded as the program loads them.

#include "platform/Cp932.h"
#include "platform/dic/DicApi.h"
#include "DicSchema.h"

#include <QLibrary>
#include <QTemporaryDir>

#include <algorithm>
#include <string>
#include <vector>

// Shift-JIS of a wide text.
std::string sj(const QString &text);

struct TFixtureTown {
    const char *code5;
    const char *postcode;
    const char *name; // UTF-8
    const char *kana;
    const char *office = ""; // a large office when not empty
    const char *street = "";
};

class TDicFixture
{
public:
    // extraTowns are added to the real rows; format is the meta format.
    explicit TDicFixture(const std::vector<TFixtureTown> &extraTowns = {}, int format = DicSchemaVersion);

    // The data folder with its trailing '/'.
    [[nodiscard]] const std::string &folder() const { return m_folder; }
    // A folder without a data file.
    [[nodiscard]] const std::string &emptyFolder() const { return m_emptyFolder; }

private:
    QTemporaryDir m_dir;
    std::string m_folder;
    std::string m_emptyFolder;
};

// A built dictionary library, loaded for one test.
class TDicLibrary
{
public:
    explicit TDicLibrary(const char *name);
    template <typename F>
    [[nodiscard]] F fn(const char *entry)
    {
        return reinterpret_cast<F>(m_lib.resolve(entry));
    }
    [[nodiscard]] bool loaded() const { return m_lib.isLoaded(); }

private:
    QLibrary m_lib;
};

// A buffer of records guarded by a sentinel: the call must not write past
// `count` records. Records start zeroed.
template <typename T>
class TGuarded
{
public:
    explicit TGuarded(std::size_t count = 1)
        : m_bytes((count + 1) * sizeof(T), '\0'), m_count(count)
    {
        std::fill(m_bytes.begin() + static_cast<std::ptrdiff_t>(count * sizeof(T)), m_bytes.end(), '\x5A');
    }
    T *data() { return reinterpret_cast<T *>(m_bytes.data()); }
    T &operator[](std::size_t i) { return data()[i]; }
    [[nodiscard]] bool sentinelIntact() const
    {
        return std::all_of(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_count * sizeof(T)), m_bytes.end(),
                           [](char c) { return c == '\x5A'; });
    }
    // Whether no byte of the records was written.
    [[nodiscard]] bool untouched() const
    {
        return std::all_of(m_bytes.begin(), m_bytes.begin() + static_cast<std::ptrdiff_t>(m_count * sizeof(T)),
                           [](char c) { return c == '\0'; });
    }

private:
    std::string m_bytes;
    std::size_t m_count;
};

// A fixed field's bytes as a string, NULs kept (for byte-exact comparison).
template <std::size_t N>
std::string bytesOf(const char (&field)[N])
{
    return std::string(field, N);
}

// The expected bytes of a field: text then NULs up to N.
std::string padded(const std::string &text, std::size_t size);
