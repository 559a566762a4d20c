#pragma once

// Helpers of the search-class tests that stand in for a dictionary library
// with plain functions: filling its fixed fields and lists, and reading the
// message of what a call raised.

#include "platform/Cp932.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace DicFake
{

// Copies Text into a library field, blank-padded as the library writes it.
template <std::size_t N> void put(char (&Field)[N], const QByteArray &Text)
{
    std::memset(Field, ' ', N);
    std::memcpy(Field, Text.constData(), std::min<std::size_t>(N, static_cast<std::size_t>(Text.size())));
}

inline QByteArray sj(const char *Utf8) { return Cp932::encode(QString::fromUtf8(Utf8)); }

// The first N entries of From (as many as there are) into the caller's list.
template <class T> void fill(T *Out, std::int32_t N, const std::vector<T> &From)
{
    std::copy_n(From.begin(), std::min<std::size_t>(static_cast<std::size_t>(N), From.size()), Out);
}

// The message of the E that Call raises; empty when it raises none.
template <class E, class F> QString raised(F Call)
{
    try {
        (void)Call();
    } catch (const E &e) {
        return e.Message();
    }
    return {};
}

} // namespace DicFake
