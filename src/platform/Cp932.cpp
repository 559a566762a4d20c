#include "platform/Cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

// The ICU converter behind this name is Microsoft's table; the plain
// "Shift_JIS" tables differ on the wave dash, the minus and the NEC rows.
constexpr const char *kCodecName = "windows-31j";

// Look-alikes that code page 932 spells with another code point.
char16_t bestFit(char16_t c)
{
    switch (c) {
    case 0x301C: return 0xFF5E; // WAVE DASH -> FULLWIDTH TILDE
    case 0x2212: return 0xFF0D; // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS
    case 0x2016: return 0x2225; // DOUBLE VERTICAL LINE -> PARALLEL TO
    case 0x2014: return 0x2015; // EM DASH -> HORIZONTAL BAR
    case 0x00A2: return 0xFFE0; // CENT SIGN
    case 0x00A3: return 0xFFE1; // POUND SIGN
    case 0x00AC: return 0xFFE2; // NOT SIGN
    case 0x00A5: return 0x005C; // YEN SIGN: the byte 0x5C shows as ¥ on Japanese systems
    case 0x203E: return 0x007E; // OVERLINE
    default: return c;
    }
}

QByteArray encodeStrict(QStringView text, bool *ok)
{
    QStringEncoder encoder(kCodecName, QStringConverter::Flag::Stateless);
    QByteArray out = encoder.encode(text);
    *ok = !encoder.hasError();
    return out;
}

} // namespace

namespace Cp932 {

QByteArray encode(QStringView text)
{
    if (text.isEmpty())
        return {};
    bool ok = false;
    QByteArray fast = encodeStrict(text, &ok);
    if (ok)
        return fast;

    // Slow path: one code point at a time, so each failure becomes one '?'.
    QByteArray out;
    out.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size();) {
        qsizetype len = (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2 : 1;
        QString one = text.mid(i, len).toString();
        if (len == 1)
            one[0] = QChar(bestFit(one[0].unicode()));
        QByteArray bytes = encodeStrict(one, &ok);
        out += ok ? bytes : QByteArray("?");
        i += len;
    }
    return out;
}

QString decode(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return {};
    QStringDecoder decoder(kCodecName, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

bool canEncode(QStringView text)
{
    bool ok = false;
    (void)encodeStrict(text, &ok);
    return ok;
}

bool isLeadByteAt(QByteArrayView text, qsizetype index)
{
    if (index < 0 || index >= text.size())
        return false;
    qsizetype i = 0;
    while (i < index)
        i += (isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
    return i == index && isLeadByte(static_cast<unsigned char>(text[i]));
}

bool isTrailByteAt(QByteArrayView text, qsizetype index)
{
    if (index <= 0 || index >= text.size())
        return false;
    return isLeadByteAt(text, index - 1);
}

qsizetype boundaryAtOrBefore(QByteArrayView text, qsizetype maxBytes)
{
    if (maxBytes <= 0)
        return 0;
    if (maxBytes >= text.size())
        return text.size();
    qsizetype i = 0;
    while (i < maxBytes) {
        qsizetype step = (isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
        if (i + step > maxBytes)
            break;
        i += step;
    }
    return i;
}

QByteArray truncated(QByteArrayView text, qsizetype maxBytes)
{
    return text.first(boundaryAtOrBefore(text, maxBytes)).toByteArray();
}

qsizetype byteLength(QStringView text)
{
    return encode(text).size();
}

QString truncatedToBytes(QStringView text, qsizetype maxBytes)
{
    if (maxBytes <= 0)
        return {};
    QString out;
    qsizetype used = 0;
    for (qsizetype i = 0; i < text.size();) {
        qsizetype len = (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2 : 1;
        QStringView one = text.mid(i, len);
        qsizetype bytes = encode(one).size();
        if (used + bytes > maxBytes)
            break;
        out += one;
        used += bytes;
        i += len;
    }
    return out;
}

} // namespace Cp932
