#include "core/AppSub.h"

#include "platform/Cp932.h"

#include <QDateTime>

#include <algorithm>

namespace {

constexpr qsizetype GroupLength = 5; // "@" + four hexadecimal digits

// Only upper-case digits: the wide form is written with them, and a plain
// text such as "@cafe" must not pass for it.
int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

QByteArray EncodeUnicodeField(QStringView text)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    QByteArray result;
    result.reserve(text.size() * GroupLength);
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        result.append('@');
        result.append(Digits[(u >> 12) & 0xF]);
        result.append(Digits[(u >> 8) & 0xF]);
        result.append(Digits[(u >> 4) & 0xF]);
        result.append(Digits[u & 0xF]);
    }
    return result;
}

namespace {

// A long name may go plain only when it reads back as itself.
bool plainNameAllowed(QStringView name)
{
    return !name.startsWith(u'@') && Cp932::canEncode(name);
}

} // namespace

QByteArray EncodeNameField(QStringView name, qsizetype width)
{
    QByteArray stored = EncodeUnicodeField(name);
    if (stored.size() <= width || !plainNameAllowed(name))
        return stored;
    QByteArray plain = Cp932::encode(name);
    return plain.size() <= width ? plain : stored;
}

QByteArray FitNameField(QStringView name, qsizetype width)
{
    const QByteArray stored = EncodeNameField(name, width);
    if (stored.size() <= width)
        return stored;
    if (plainNameAllowed(name))
        return Cp932::truncated(Cp932::encode(name), width);
    qsizetype units = std::max<qsizetype>(0, width) / GroupLength;
    // The high half of a pair alone would decode to a broken character.
    if (units > 0 && units <= name.size() && name[units - 1].isHighSurrogate())
        --units;
    return EncodeUnicodeField(name.first(units));
}

QString DecodeUnicodeField(QByteArrayView value)
{
    if (value.isEmpty())
        return {};
    // The wide form only when the whole value is made of its groups and
    // gives well-formed UTF-16; anything else ("@ab", "@1", "@cafe", a group
    // cut short) is a plain text that merely begins with "@".
    if (value.front() != '@' || value.size() % GroupLength != 0)
        return Cp932::decode(value);
    const qsizetype groups = value.size() / GroupLength;
    QString result;
    result.reserve(groups);
    for (qsizetype k = 0; k < groups; ++k) {
        const qsizetype at = k * GroupLength;
        if (value[at] != '@')
            return Cp932::decode(value);
        char16_t unit = 0;
        for (qsizetype i = 1; i < GroupLength; ++i) {
            const int d = hexDigit(value[at + i]);
            if (d < 0)
                return Cp932::decode(value);
            unit = static_cast<char16_t>((unit << 4) | d);
        }
        result.append(QChar(unit));
    }
    // A lone surrogate is no text the encoder was given.
    return result.isValidUtf16() ? result : Cp932::decode(value);
}

QByteArray CopyMbcsLeft(QByteArrayView s, qsizetype n)
{
    // The longest prefix that ends on a character boundary: one byte fewer
    // when byte n starts a double-byte character.
    return Cp932::truncated(s, n);
}

QDateTime TruncMilliseconds(const QDateTime &dateTime)
{
    if (!dateTime.isValid())
        return dateTime;
    // Zone offsets are whole seconds, so the milliseconds of the instant are
    // those of the reading; floored, for instants before 1970 too.
    const qint64 ms = dateTime.toMSecsSinceEpoch();
    const qint64 extra = ((ms % 1000) + 1000) % 1000;
    return dateTime.addMSecs(-extra);
}

QDateTime CurrentTimeStamp()
{
    // Cut on the instant and turned into local time once: every conversion
    // of a local time asks the C library for the zone, which looks at the
    // zone file each time, and a run stamps thousands of records.
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    return QDateTime::fromMSecsSinceEpoch(ms - ((ms % 1000) + 1000) % 1000, Qt::LocalTime);
}

void EnsureMailtoProtocol()
{
}
