#pragma once

// The two-byte characters of the code page, for tests that take every one
// of them through a path that stores or writes text.

#include "platform/Cp932.h"

#include <QByteArray>
#include <QString>

// The NEC-selected IBM rows: second spellings Windows never writes.
[[nodiscard]] inline bool IsNecSelectedIbmPair(int Code)
{
    return Code >= 0xED40 && Code <= 0xEEFC;
}

// Calls Visit(code, bytes, text) for every pair that decodes to a character,
// in code order.
template <class TVisit>
void ForEachDecodablePair(TVisit &&Visit)
{
    Cp932::forEachPair([&Visit](char Lead, char Trail) {
        const char raw[2] = {Lead, Trail};
        const QByteArray bytes(raw, 2);
        const QString text = Cp932::decode(bytes);
        if (text != QString(QChar::ReplacementCharacter))
            Visit(int(static_cast<unsigned char>(Lead)) << 8 | static_cast<unsigned char>(Trail), bytes, text);
    });
}
