#include "core/StartupPassword.h"

namespace {

constexpr char16_t kAlphabet[] = u"Q7K2M9X4B8R3W6T5";
constexpr quint16 kSeed = 0xA5C3;

// The key of the unit at Index, salted with the checksum of the units before it.
quint16 keyAt(int Index, quint16 Checksum)
{
    const quint16 positional = static_cast<quint16>(kSeed ^ static_cast<quint16>(Index * 0x3B1F));
    const quint16 rotated = static_cast<quint16>((Checksum << 5) | (Checksum >> 11));
    return static_cast<quint16>(positional ^ rotated);
}

int nibbleOf(QChar c)
{
    for (int i = 0; i < 16; ++i)
        if (c.unicode() == kAlphabet[i])
            return i;
    return -1;
}

bool isDropped(QChar c)
{
    return c == u'+' || c == u'-' || c == u'*' || c == u'/';
}

} // namespace

QString ScramblePassword(const QString &Plain)
{
    QString stored;
    stored.reserve(Plain.size() * 4);
    quint16 checksum = 0;
    for (int i = 0; i < Plain.size(); ++i) {
        const quint16 unit = Plain.at(i).unicode();
        const quint16 value = static_cast<quint16>(unit ^ keyAt(i, checksum));
        for (int shift = 12; shift >= 0; shift -= 4)
            stored.append(QChar(kAlphabet[(value >> shift) & 0xF]));
        checksum = static_cast<quint16>(checksum + unit);
    }
    return stored;
}

QString DerivePassword(const QString &Stored)
{
    QString plain;
    quint16 checksum = 0;
    const int groups = static_cast<int>(Stored.size() / 4);
    for (int g = 0; g < groups; ++g) {
        quint16 value = 0;
        bool valid = true;
        for (int k = 0; k < 4; ++k) {
            const int nibble = nibbleOf(Stored.at(g * 4 + k));
            if (nibble < 0) {
                valid = false;
                break;
            }
            value = static_cast<quint16>((value << 4) | nibble);
        }
        if (!valid)
            continue;
        const quint16 unit = static_cast<quint16>(value ^ keyAt(g, checksum));
        checksum = static_cast<quint16>(checksum + unit);
        if (!isDropped(QChar(unit)))
            plain.append(QChar(unit));
    }
    return plain;
}

TStoredPassword StoredPasswordState(const QString &Stored)
{
    if (Stored.isEmpty())
        return TStoredPassword::None;
    if (Stored.size() % 4 != 0)
        return TStoredPassword::Damaged;
    for (const QChar c : Stored)
        if (nibbleOf(c) < 0)
            return TStoredPassword::Damaged;
    return DerivePassword(Stored).isEmpty() ? TStoredPassword::None : TStoredPassword::Set;
}

QString UnreadableStoredPassword()
{
    // Outside the alphabet, so it can never derive a password.
    return QStringLiteral("<not a string>");
}

bool PasswordMatches(const QString &Stored, const QString &Entry)
{
    return StoredPasswordState(Stored) == TStoredPassword::Set && Entry == DerivePassword(Stored);
}

bool IsStorablePassword(const QString &Plain)
{
    for (const QChar c : Plain)
        if (isDropped(c))
            return false;
    return true;
}
