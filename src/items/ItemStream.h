#pragma once

#include "platform/Exception.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <QtGlobal>

// The byte form every printable item writes itself in inside layout files,
// the item-defaults file, undo steps and copied items: little-endian 32-bit
// integers, one byte for flags and small codes, and texts as a 32-bit length
// followed by their bytes (Shift-JIS) or UTF-16 units, each inverted (XOR
// 0xFF per byte, XOR 0xFFFF per unit). An item stream carries no class tag
// and no length of its own; the document around it decides which class
// reads the next item.
//
// The reader is bounded: it reads only from the bytes it was given, and a
// read past their end, or a stored length larger than what remains, throws
// EItemFormatError instead of allocating or reading on. Readers of counts and
// indexes stored in a stream check them against the limits they know.

MURVEN_DECLARE_EXCEPTION(EItemFormatError, Exception);

// The version the running program writes; readers of documents pass the
// version stored after the document's signature instead.
inline constexpr qint32 DrawRectVersion = 600;

// What a reader needs to know about the stream it reads: the version of the
// document (or DrawRectVersion for streams this program wrote itself, such as
// undo steps and pasted items). Passed along, never kept process-wide, so two
// documents of different versions can be read side by side.
struct TItemReadContext {
    qint32 FileVersion = DrawRectVersion;
};

class TItemReader
{
public:
    // The reader only views Bytes: they must outlive it. A temporary array
    // would be freed at once and the reader read freed memory.
    TItemReader(QByteArrayView Bytes, TItemReadContext Context);
    TItemReader(QByteArray &&Bytes, TItemReadContext Context) = delete;

    const TItemReadContext &context() const { return m_context; }
    qint32 fileVersion() const { return m_context.FileVersion; }
    // True when the stream's version is at least Version (a field added in
    // that release is present).
    bool hasVersion(qint32 Version) const { return m_context.FileVersion >= Version; }

    qsizetype position() const { return m_pos; }
    qsizetype remaining() const { return m_bytes.size() - m_pos; }
    bool atEnd() const { return remaining() == 0; }
    void seek(qsizetype Position);

    [[nodiscard]] qint32 readInt32();
    [[nodiscard]] quint32 readUInt32();
    [[nodiscard]] quint8 readByte();
    // A flag byte: any value other than 0 is set.
    [[nodiscard]] bool readFlag();
    [[nodiscard]] double readDouble();
    [[nodiscard]] QByteArray readBytes(qsizetype Count);
    // Inverted byte text, returned as its raw Shift-JIS bytes.
    [[nodiscard]] QByteArray readXorBytes();
    // Inverted byte text, decoded from Shift-JIS.
    [[nodiscard]] QString readXorString();
    // Inverted UTF-16 text.
    [[nodiscard]] QString readXorWideString();
    // A stored count that must lie in 0 .. Limit; anything else is damage.
    [[nodiscard]] qint32 readCount(qint32 Limit, const char *What);

private:
    void need(qsizetype Count, const char *What) const;

    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
    TItemReadContext m_context;
};

class TItemWriter
{
public:
    TItemWriter() = default;

    const QByteArray &bytes() const { return m_bytes; }
    QByteArray takeBytes() { return std::exchange(m_bytes, {}); }

    void writeInt32(qint32 Value);
    void writeUInt32(quint32 Value);
    void writeByte(quint8 Value);
    void writeFlag(bool Value) { writeByte(Value ? 1 : 0); }
    void writeDouble(double Value);
    void writeBytes(QByteArrayView Bytes);
    // Inverted byte text from raw Shift-JIS bytes.
    void writeXorBytes(QByteArrayView Bytes);
    // Inverted byte text: the text encoded as Shift-JIS first.
    void writeXorString(QStringView Text);
    // Inverted UTF-16 text.
    void writeXorWideString(QStringView Text);

private:
    QByteArray m_bytes;
};

// The stream form of one object: written by its writer, read back by its
// reader. Items and the design background implement it; the undo history
// keeps their snapshots through it.
class TStreamObject
{
public:
    virtual ~TStreamObject() = default;
    virtual void SaveToStream(TItemWriter &Stream) const = 0;
    virtual void LoadFromStream(TItemReader &Stream) = 0;
};
