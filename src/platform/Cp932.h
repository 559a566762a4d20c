#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Shift-JIS as Windows writes it (code page 932, the "windows-31j" table):
// every byte text the program stores or exchanges goes through here, so the
// NEC and IBM extension characters (①, ㈱, Ⅱ) and the wave dash (～, U+FF5E)
// survive a round trip. A character is one byte, or a lead byte followed by a
// trail byte; nothing here ever cuts such a pair in half.
namespace Cp932 {

// Characters the code page lacks become '?', as the system conversion without a
// default character does; a few look-alikes that other Japanese code pages
// produce (U+301C wave dash, U+2212 minus, ¥, ‾, ¢, £, ¬, ‖, —) are
// mapped onto their code page 932 counterparts first.
[[nodiscard]] QByteArray encode(QStringView text);
// Invalid bytes decode to U+FFFD; a lone lead byte at the end too.
[[nodiscard]] QString decode(QByteArrayView bytes);
// True when every character of the text has a code page 932 form.
[[nodiscard]] bool canEncode(QStringView text);

// Byte classes of the code page (not position aware: a trail byte may also
// fall into the lead-byte range).
[[nodiscard]] constexpr bool isLeadByte(unsigned char c) noexcept
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
[[nodiscard]] constexpr bool isTrailByte(unsigned char c) noexcept
{
    return c >= 0x40 && c <= 0xFC && c != 0x7F;
}
// Calls Visit(lead, trail) for every lead and trail byte pair of the code
// page, in code order (whether the pair stands for a character or not).
template <class TVisit>
void forEachPair(TVisit &&Visit)
{
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!isLeadByte(static_cast<unsigned char>(lead)))
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail)
            if (isTrailByte(static_cast<unsigned char>(trail)))
                Visit(char(lead), char(trail));
    }
}

// Position aware: scans from the start of the text, so a trail byte that
// happens to lie in the lead range is never taken for a lead byte.
[[nodiscard]] bool isLeadByteAt(QByteArrayView text, qsizetype index);
[[nodiscard]] bool isTrailByteAt(QByteArrayView text, qsizetype index);

// Length of the largest prefix of at most maxBytes bytes that ends on a
// character boundary.
[[nodiscard]] qsizetype boundaryAtOrBefore(QByteArrayView text, qsizetype maxBytes);
// The text cut to at most maxBytes bytes without splitting a character.
[[nodiscard]] QByteArray truncated(QByteArrayView text, qsizetype maxBytes);
// Byte length of a wide text once encoded.
[[nodiscard]] qsizetype byteLength(QStringView text);
// The wide text cut so that its encoded form fits maxBytes bytes.
[[nodiscard]] QString truncatedToBytes(QStringView text, qsizetype maxBytes);

} // namespace Cp932
