#include "exchange/ImportFile.h"

#include "platform/Cp932.h"
#include "platform/TextLines.h"
#include "platform/Utf8.h"

#include <QFile>

#include <algorithm>

qint64 TImportFile::MaxFileBytes = qint64(256) * 1024 * 1024;

bool IsValidShiftJisLine(const QByteArray &Line)
{
    if (Line.contains('\0'))
        return false;
    bool ascii = true;
    for (char c : Line) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    // The decoder gives U+FFFD for every byte it cannot read.
    return ascii || !Cp932::decode(Line).contains(QChar(0xFFFD));
}

void TImportFile::SetBytes(const QByteArray &Bytes)
{
    m_lines.clear();
    m_invalidLines = 0;
    m_zip = Bytes.startsWith("PK\x03\x04") || Bytes.startsWith("PK\x05\x06");
    QByteArrayView text(Bytes);
    const bool bom = text.startsWith("\xEF\xBB\xBF");
    if (bom)
        text = text.sliced(3);
    // An end-of-file mark ends the text, as older editors wrote it.
    const qsizetype eof = text.indexOf('\x1A');
    if (eof >= 0)
        text = text.first(eof);
    const QList<QByteArray> lines = SplitLines(text);
    m_lines.reserve(lines.size());
    for (const QByteArray &line : lines) {
        TLine entry{line, IsValidShiftJisLine(line)};
        if (!entry.ValidText)
            ++m_invalidLines;
        m_lines.append(std::move(entry));
    }
    // Japanese text in UTF-8 often reads as valid Shift-JIS too (as other
    // characters), so any text that is valid UTF-8 with characters beyond
    // ASCII is pointed out, not only one whose lines fail.
    m_looksUtf8 = false;
    bool high = bom;
    for (qsizetype i = 0; i < text.size() && !high; ++i)
        high = static_cast<unsigned char>(text[i]) >= 0x80;
    if (high) {
        const std::optional<QString> decoded = Utf8::decode(text, Utf8::TEnd::Cut);
        m_looksUtf8 =
            decoded && std::any_of(decoded->cbegin(), decoded->cend(), [](QChar c) { return c.unicode() >= 0x80; });
    }
}

bool TImportFile::Load(const QString &Path, QString *Error)
{
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (Error)
            *Error = file.errorString();
        return false;
    }
    const auto tooLarge = [Error] {
        if (Error)
            *Error = QStringLiteral("ファイルが大きすぎます（取り込めるのは %1 MB までです）")
                         .arg(MaxFileBytes / (1024 * 1024));
        return false;
    };
    if (file.size() > MaxFileBytes)
        return tooLarge();
    // Read with the bound too: a pipe or a growing file tells no size.
    const QByteArray bytes = file.read(MaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        if (Error)
            *Error = file.errorString();
        return false;
    }
    if (bytes.size() > MaxFileBytes)
        return tooLarge();
    SetBytes(bytes);
    return true;
}
