#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QStringList>
#include <QStringView>

// Line handling shared by the program's text formats (settings files,
// registry files, string-list texts).

// Lines of a text: CR LF, LF and a lone CR all end a line; text after the
// last break is a line too; a trailing break adds no empty line.
[[nodiscard]] QStringList SplitLines(QStringView text);
// The same for byte text (CP932: CR and LF never occur inside a double-byte
// character, whose trail bytes start at 0x40).
[[nodiscard]] QList<QByteArray> SplitLines(QByteArrayView text);

// Lines of a memo (a record's note or links, stored as its lines joined by
// CR LF): CR LF, LF and a lone CR each end a line, and unlike SplitLines a
// break at the end is followed by an empty last line, so a note typed with a
// line break at its end keeps it. An empty text has no lines.
[[nodiscard]] QStringList SplitMemoLines(QStringView text);

// The text without control characters and ASCII blanks at either end. An
// ideographic space (U+3000) belongs to a Japanese value and stays.
[[nodiscard]] QString TrimBlanks(QStringView text);
// The same as a view into the text, for walks that must not copy.
[[nodiscard]] QStringView TrimBlanksView(QStringView text);
// The same for byte text, as a view into it (no copy). Bytes up to 0x20
// never occur inside a CP932 double-byte character (trail bytes start at
// 0x40), so no character is cut.
[[nodiscard]] QByteArrayView TrimBlanks(QByteArrayView text);
