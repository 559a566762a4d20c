#include "exchange/CsvFields.h"

#include "platform/Cp932.h"
#include "util/StrFunc.h"

QByteArray CsvField(QByteArrayView Field, bool Enclose)
{
    QByteArray out = Field.toByteArray();
    WriteCsvFieldInPlace(out, 0, Enclose);
    return out;
}

void WriteCsvFieldInPlace(QByteArray &Line, qsizetype From, bool Enclose)
{
    const QByteArrayView field = QByteArrayView(Line).sliced(From);
    // One look at each byte for both marks: an export asks this of every
    // column of every line, most of them a few plain bytes. Neither mark is
    // ever the second byte of a double-byte character.
    qsizetype quotes = 0;
    bool comma = false;
    for (const char c : field) {
        quotes += c == '"';
        comma |= c == ',';
    }
    if (!Enclose && quotes == 0 && !comma)
        return;
    QByteArray written;
    written.reserve(field.size() + quotes + 2);
    written += '"';
    for (const char c : field) {
        written += c;
        if (c == '"')
            written += '"';
    }
    written += '"';
    Line.truncate(From);
    Line += written;
}

QByteArray CsvFieldText(QByteArrayView Field)
{
    if (Field.size() < 2 || !Field.startsWith('"') || !Field.endsWith('"'))
        return Field.toByteArray();
    // A lone quote inside (a file the export wrote before it doubled them)
    // stays as it is.
    QByteArray text;
    const QByteArrayView inner = Field.sliced(1, Field.size() - 2);
    text.reserve(inner.size());
    for (qsizetype i = 0; i < inner.size(); ++i) {
        text += inner[i];
        if (inner[i] == '"' && i + 1 < inner.size() && inner[i + 1] == '"')
            ++i;
    }
    return text;
}

int CountCsvFields(const QByteArray &Line)
{
    int commas = 0;
    bool quoted = false;
    for (qsizetype i = 0; i < Line.size(); ++i) {
        const auto c = static_cast<unsigned char>(Line[i]);
        if (Cp932::isLeadByte(c) && i + 1 < Line.size()) {
            ++i;
            continue;
        }
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            ++commas;
    }
    return commas;
}

QList<QByteArray> SplitCsvLine(const QByteArray &Line, int Count, bool StripQuotes)
{
    QList<QByteArray> parts(std::max(Count, 1));
    parts[0] = Line;
    SplitFields(parts, smCsvQuoted, 0, ",");
    if (StripQuotes) {
        for (QByteArray &part : parts)
            part = CsvFieldText(part);
    }
    return parts;
}
