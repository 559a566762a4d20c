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
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!Cp932::isLeadByte(static_cast<unsigned char>(lead)))
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (!Cp932::isTrailByte(static_cast<unsigned char>(trail)))
                continue;
            const char raw[2] = {char(lead), char(trail)};
            const QByteArray bytes(raw, 2);
            const QString text = Cp932::decode(bytes);
            if (text != QString(QChar::ReplacementCharacter))
                Visit(lead << 8 | trail, bytes, text);
        }
    }
}
