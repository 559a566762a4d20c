#include "platform/Cp932.h"

#include <cstring>

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

// Opening an ICU converter costs more than converting a name, so each
// thread keeps one of each. Resetting an ICU-backed encoder does not clear
// its count of characters it could not convert, so a clean conversion is
// told by that count not growing.
class TCountingEncoder : public QStringEncoder
{
public:
    TCountingEncoder() : QStringEncoder(kCodecName, QStringConverter::Flag::Stateless) {}
    [[nodiscard]] qsizetype invalidCount() const { return state.invalidChars; }
};

TCountingEncoder &sharedEncoder()
{
    thread_local TCountingEncoder encoder;
    return encoder;
}

// A text ending in half a surrogate pair leaves that half waiting in the
// converter; it must not join the next text.
void forgetPendingHalf(TCountingEncoder &encoder, QStringView text)
{
    if (!text.isEmpty() && text.back().isHighSurrogate())
        encoder.resetState();
}

QStringDecoder &sharedDecoder()
{
    // It is only given whole pairs, so no call leaves anything pending.
    thread_local QStringDecoder decoder(kCodecName, QStringConverter::Flag::Stateless);
    return decoder;
}

QByteArray encodeStrict(QStringView text, bool *ok)
{
    TCountingEncoder &encoder = sharedEncoder();
    const qsizetype invalid = encoder.invalidCount();
    QByteArray out = encoder.encode(text);
    forgetPendingHalf(encoder, text);
    *ok = encoder.invalidCount() == invalid;
    return out;
}

} // namespace

namespace Cp932 {

// ASCII and the half-width katakana are mapped here directly: the ICU table
// swaps a few control characters (0x1A, 0x1C, 0x7F) against Windows, and a
// direct map is faster for the common case. Only double-byte runs and
// other characters go through ICU.
QByteArray encode(QStringView text)
{
    // Every UTF-16 unit gives at most two bytes (a pair, or "?" for half a
    // surrogate pair), so the bytes are written into a buffer of twice the
    // text's length and cut to size.
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    char *o = out.data();
    // Room for Bytes more and two for each of the Left units after them,
    // should a converter ever give more than two bytes a unit.
    const auto room = [&out, &o](qsizetype Bytes, qsizetype Left) {
        const qsizetype used = o - out.constData();
        if (used + Bytes + 2 * Left > out.size()) {
            out.resize(used + Bytes + 2 * Left);
            o = out.data() + used;
        }
    };
    for (qsizetype i = 0; i < text.size();) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            *o++ = char(c);
            ++i;
            continue;
        }
        if (c >= 0xFF61 && c <= 0xFF9F) {
            *o++ = char(0xA1 + (c - 0xFF61));
            ++i;
            continue;
        }
        qsizetype j = i;
        while (j < text.size() && text[j].unicode() >= 0x80
               && !(text[j].unicode() >= 0xFF61 && text[j].unicode() <= 0xFF9F))
            ++j;
        const QStringView run = text.sliced(i, j - i);
        // The converter asks for four bytes a character, so it writes into
        // a scratch buffer of the thread and the output keeps its own size.
        // A run that does not convert whole is taken a character at a time.
        TCountingEncoder &encoder = sharedEncoder();
        thread_local QByteArray scratch;
        const qsizetype invalid = encoder.invalidCount();
        if (scratch.size() < encoder.requiredSpace(run.size()))
            scratch.resize(encoder.requiredSpace(run.size()));
        const char *end = encoder.appendToBuffer(scratch.data(), run);
        forgetPendingHalf(encoder, run);
        const bool ok = encoder.invalidCount() == invalid;
        if (ok) {
            const qsizetype written = end - scratch.constData();
            room(written, text.size() - j);
            std::memcpy(o, scratch.constData(), size_t(written));
            o += written;
        } else {
            // One code point at a time, so each failure becomes one '?'.
            for (qsizetype k = 0; k < run.size();) {
                const qsizetype len =
                    (run[k].isHighSurrogate() && k + 1 < run.size() && run[k + 1].isLowSurrogate()) ? 2 : 1;
                QString one = run.sliced(k, len).toString();
                if (len == 1)
                    one[0] = QChar(bestFit(one[0].unicode()));
                if (one.size() == 1 && one[0].unicode() < 0x80) {
                    *o++ = char(one[0].unicode());
                } else {
                    bool converted = false;
                    const QByteArray b = encodeStrict(one, &converted);
                    if (converted) {
                        room(b.size(), text.size() - (i + k + len));
                        std::memcpy(o, b.constData(), size_t(b.size()));
                        o += b.size();
                    } else {
                        *o++ = '?';
                    }
                }
                k += len;
            }
        }
        i = j;
    }
    out.truncate(o - out.constData());
    return out;
}

QString decode(QByteArrayView bytes)
{
    // Every byte or pair gives at most one UTF-16 unit, so the text is
    // written into a buffer of the input's length and cut to size.
    const qsizetype n = bytes.size();
    QString out(n, Qt::Uninitialized);
    char16_t *o = reinterpret_cast<char16_t *>(out.data());
    char16_t *const begin = o;
    for (qsizetype i = 0; i < n;) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            *o++ = b;
            ++i;
        } else if (b >= 0xA1 && b <= 0xDF) {
            *o++ = char16_t(0xFF61 + (b - 0xA1));
            ++i;
        } else if (isLeadByte(b) && i + 1 < n && isTrailByte(static_cast<unsigned char>(bytes[i + 1]))) {
            // A run of well-formed pairs in one converter call.
            qsizetype j = i;
            while (j + 1 < n && isLeadByte(static_cast<unsigned char>(bytes[j]))
                   && isTrailByte(static_cast<unsigned char>(bytes[j + 1])))
                j += 2;
            char16_t *const runStart = o;
            o = reinterpret_cast<char16_t *>(
                sharedDecoder().appendToBuffer(reinterpret_cast<QChar *>(o), bytes.sliced(i, j - i)));
            // Unassigned pairs come back as the converter's substitute.
            for (char16_t *c = runStart; c != o; ++c)
                if (*c == 0x1A)
                    *c = QChar::ReplacementCharacter;
            i = j;
        } else {
            // 0x80, 0xA0, 0xFD-0xFF, a lone lead byte or a lead byte
            // without a valid trail byte.
            *o++ = QChar::ReplacementCharacter;
            ++i;
        }
    }
    out.truncate(o - begin);
    return out;
}

bool canEncode(QStringView text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80 && !(c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F)) {
            bool ok = false;
            (void)encodeStrict(text, &ok);
            return ok;
        }
    return true;
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
