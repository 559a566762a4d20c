#include "items/ItemStream.h"

#include "platform/Cp932.h"

#include <QtEndian>

#include <cstring>

TItemReader::TItemReader(QByteArrayView Bytes, TItemReadContext Context)
    : m_bytes(Bytes), m_context(Context)
{
}

void TItemReader::seek(qsizetype Position)
{
    if (Position < 0 || Position > m_bytes.size())
        throw EItemFormatError(QStringLiteral("項目データの位置 %1 はデータの範囲外です。").arg(Position));
    m_pos = Position;
}

void TItemReader::need(qsizetype Count, const char *What) const
{
    if (Count < 0 || Count > remaining())
        throw EItemFormatError(QStringLiteral("項目データが壊れています（%1: %2 バイト必要、残り %3 バイト、位置 %4）。")
                                   .arg(QLatin1String(What))
                                   .arg(Count)
                                   .arg(remaining())
                                   .arg(m_pos));
}

qint32 TItemReader::readInt32()
{
    need(4, "int32");
    const qint32 v = qFromLittleEndian<qint32>(m_bytes.data() + m_pos);
    m_pos += 4;
    return v;
}

quint32 TItemReader::readUInt32()
{
    return static_cast<quint32>(readInt32());
}

quint8 TItemReader::readByte()
{
    need(1, "byte");
    return static_cast<quint8>(m_bytes[m_pos++]);
}

bool TItemReader::readFlag()
{
    return readByte() != 0;
}

double TItemReader::readDouble()
{
    need(8, "double");
    const quint64 bits = qFromLittleEndian<quint64>(m_bytes.data() + m_pos);
    m_pos += 8;
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

QByteArray TItemReader::readBytes(qsizetype Count)
{
    need(Count, "bytes");
    QByteArray out(m_bytes.data() + m_pos, Count);
    m_pos += Count;
    return out;
}

QByteArray TItemReader::readXorBytes()
{
    const qsizetype start = m_pos;
    const qint32 length = readInt32();
    if (length < 0 || length > remaining()) {
        m_pos = start;
        need(length < 0 ? -1 : qsizetype(length) + 4, "text length");
    }
    QByteArray out = readBytes(length);
    for (char &c : out)
        c = static_cast<char>(~static_cast<unsigned char>(c));
    return out;
}

QString TItemReader::readXorString()
{
    return Cp932::decode(readXorBytes());
}

QString TItemReader::readXorWideString()
{
    const qsizetype start = m_pos;
    const qint32 count = readInt32();
    if (count < 0 || qsizetype(count) * 2 > remaining()) {
        m_pos = start;
        need(count < 0 ? -1 : qsizetype(count) * 2 + 4, "wide text length");
    }
    QString out(count, Qt::Uninitialized);
    for (qint32 i = 0; i < count; ++i)
        out[i] = QChar(static_cast<char16_t>(qFromLittleEndian<quint16>(m_bytes.data() + m_pos + 2 * i) ^ 0xFFFF));
    m_pos += qsizetype(count) * 2;
    return out;
}

qint32 TItemReader::readCount(qint32 Limit, const char *What)
{
    const qsizetype start = m_pos;
    const qint32 n = readInt32();
    if (n < 0 || n > Limit)
        throw EItemFormatError(QStringLiteral("項目データが壊れています（%1 = %2、上限 %3、位置 %4）。")
                                   .arg(QLatin1String(What))
                                   .arg(n)
                                   .arg(Limit)
                                   .arg(start));
    return n;
}

void TItemWriter::writeInt32(qint32 Value)
{
    char b[4];
    qToLittleEndian(Value, b);
    m_bytes.append(b, 4);
}

void TItemWriter::writeUInt32(quint32 Value)
{
    writeInt32(static_cast<qint32>(Value));
}

void TItemWriter::writeByte(quint8 Value)
{
    m_bytes.append(static_cast<char>(Value));
}

void TItemWriter::writeDouble(double Value)
{
    quint64 bits;
    std::memcpy(&bits, &Value, sizeof bits);
    char b[8];
    qToLittleEndian(bits, b);
    m_bytes.append(b, 8);
}

void TItemWriter::writeBytes(QByteArrayView Bytes)
{
    m_bytes.append(Bytes);
}

void TItemWriter::writeXorBytes(QByteArrayView Bytes)
{
    writeInt32(static_cast<qint32>(Bytes.size()));
    for (char c : Bytes)
        m_bytes.append(static_cast<char>(~static_cast<unsigned char>(c)));
}

void TItemWriter::writeXorString(QStringView Text)
{
    writeXorBytes(Cp932::encode(Text));
}

void TItemWriter::writeXorWideString(QStringView Text)
{
    writeInt32(static_cast<qint32>(Text.size()));
    for (QChar c : Text) {
        char b[2];
        qToLittleEndian<quint16>(c.unicode() ^ 0xFFFF, b);
        m_bytes.append(b, 2);
    }
}
