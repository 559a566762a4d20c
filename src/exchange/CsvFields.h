#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// The one rule by which a text export writes, and the import reads, the
// fields of a comma-separated line (header and record lines alike), code
// page 932 bytes: a field that holds a comma or a double quote, or that the
// user asked to enclose, is written inside double quotes with each inner
// double quote doubled; reading a field that begins and ends with a double
// quote takes that pair off and halves the doubled quotes again. A field
// written so reads back as itself, whatever it holds.
//
// Only single-byte characters are looked at: the comma (0x2C) and the double
// quote (0x22) are never the trail byte of a double-byte character.

// Field as the line carries it; Enclose encloses it in quotes even when it
// holds neither separator.
[[nodiscard]] QByteArray CsvField(QByteArrayView Field, bool Enclose);

// The same for the field that Line holds from From to its end (a writer
// appends the field's text, then has it written so in place).
void WriteCsvFieldInPlace(QByteArray &Line, qsizetype From, bool Enclose);

// The text of a field cut from a line with its quotes kept (SplitCsvLine
// without StripQuotes).
[[nodiscard]] QByteArray CsvFieldText(QByteArrayView Field);

// Commas outside double quotes; only single-byte characters are looked at,
// so the second byte of a double-byte character never counts.
[[nodiscard]] int CountCsvFields(const QByteArray &Line);

// The line cut at the commas outside double quotes into Count parts (the
// last takes the rest); with StripQuotes each part is its text
// (CsvFieldText), else the part as the line carries it.
[[nodiscard]] QList<QByteArray> SplitCsvLine(const QByteArray &Line, int Count, bool StripQuotes);
