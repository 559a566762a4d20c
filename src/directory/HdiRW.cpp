#include "directory/HdiRW.h"

#include "platform/SafeFile.h"

#include <QFile>

QByteArray EncodeHdiText(const QByteArray &plain)
{
    QByteArray out = plain;
    for (char &c : out) {
        const auto b = static_cast<unsigned char>(c);
        c = static_cast<char>(~(((b & 0x0F) << 4) | (b >> 4)));
    }
    return out;
}

QByteArray DecodeHdiText(const QByteArray &stored)
{
    QByteArray out = stored;
    for (char &c : out) {
        const auto b = static_cast<unsigned char>(~static_cast<unsigned char>(c));
        c = static_cast<char>(((b & 0x0F) << 4) | (b >> 4));
    }
    return out;
}

int ReadHdiFile(HdiFileRecord &Record)
{
    for (THdiSlot &slot : Record.Slots)
        slot = THdiSlot{};
    Record.EntryCount = 0;

    RecoverSafeReplace(Record.FileName);
    QFile file(Record.FileName);
    if (!file.exists())
        return 1;
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray data = file.readAll();
    qsizetype at = 0;
    auto take = [&](qsizetype n, QByteArray *out) {
        if (at + n > data.size())
            return false;
        if (out)
            *out = data.mid(at, n);
        at += n;
        return true;
    };

    QByteArray byte;
    if (!take(1, &byte))
        return 2;
    QByteArray signature;
    if (!take(static_cast<unsigned char>(byte[0]), &signature))
        return 3;
    if (DecodeHdiText(signature) != Record.Signature)
        return 4;
    if (!take(1, &byte))
        return 5;
    const int count = static_cast<unsigned char>(byte[0]);
    for (int i = 0; i < count; ++i) {
        QByteArray slotByte;
        if (!take(1, &slotByte))
            return 6;
        QByteArray length;
        if (!take(2, &length))
            return 8;
        const int pathLength = static_cast<unsigned char>(length[0]) | (static_cast<unsigned char>(length[1]) << 8);
        QByteArray path;
        if (!take(pathLength, &path))
            return 9;
        const int slot = static_cast<unsigned char>(slotByte[0]);
        if (slot >= HdiSlotCount || pathLength > HdiMaxPath)
            continue;
        Record.Slots[slot].PathLength = pathLength;
        Record.Slots[slot].Path = DecodeHdiText(path);
        ++Record.EntryCount;
    }
    return 0;
}

int WriteHdiFile(const HdiFileRecord &Record, bool OnlyIfExists, QString *Error)
{
    RecoverSafeReplace(Record.FileName);
    if (OnlyIfExists && !QFile::exists(Record.FileName))
        return 1;
    QByteArray out;
    const QByteArray signature = Record.Signature.left(255);
    out += char(signature.size());
    out += EncodeHdiText(signature);
    int count = 0;
    for (const THdiSlot &slot : Record.Slots)
        count += slot.PathLength != -1 ? 1 : 0;
    out += char(count);
    for (int i = 0; i < HdiSlotCount; ++i) {
        const THdiSlot &slot = Record.Slots[i];
        if (slot.PathLength == -1)
            continue;
        const QByteArray path = slot.PathLength > 0 ? slot.Path.left(HdiMaxPath) : QByteArray();
        out += char(i);
        out += char(path.size() & 0xFF);
        out += char((path.size() >> 8) & 0xFF);
        out += EncodeHdiText(path);
    }
    // Written whole through the safe replace, so a failed write leaves the
    // previous installation record in place.
    return SafeReplaceFile(Record.FileName, out, Error) ? 0 : 8;
}
