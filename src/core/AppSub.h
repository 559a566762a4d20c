#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringView>

// Small record routines shared by the windows that read and write address
// and sender records: the "@" form of wide text in the tables' CP932 fields,
// cutting CP932 text without splitting a character, and time stamps
// without milliseconds.

// "@" form: UTF-16 text stored in a byte field as one group per UTF-16 unit,
// "@" followed by the unit as four upper-case hexadecimal digits, in text
// order ("あA" -> "@3042@0041"). A surrogate pair is two groups. The name
// fields are always written this way, so a 75-byte field holds 15 units and a
// 55-byte field 11.
[[nodiscard]] QByteArray EncodeUnicodeField(QStringView text);

// The bytes a name field (NameKanji 75, Joint1..Joint5 55) stores for a
// name, as every writer of a name stores it: the "@" form when it fits in
// Width bytes (15 or 11 units); a longer name as plain CP932 when each of its
// characters has a form there, it does not begin with "@" (which would read
// as the "@" form) and it fits, so a name of 16 to 37 characters (12 to 27
// joint) is kept whole; otherwise the "@" form, longer than the field, for
// the caller to refuse (the record form) or cut (FitNameField). The name is
// taken as given: callers trim it their own way.
[[nodiscard]] QByteArray EncodeNameField(QStringView name, qsizetype width);
// EncodeNameField cut to Width bytes for a writer that takes a name it
// cannot refuse (the import): plain CP932 cut at a character boundary when
// that form is open to the name, else the "@" form cut to whole groups and
// never inside a surrogate pair. Keeps as many characters as the field holds.
[[nodiscard]] QByteArray FitNameField(QStringView name, qsizetype width);

// Reads either form: a value that starts with "@" is decoded group by group
// (bytes behind the last whole five-byte group are ignored); any other value
// is plain CP932 text. A value that starts with "@" but whose groups are not
// all hexadecimal is taken as plain CP932 text too, so a typed "@" never
// makes a record unreadable.
[[nodiscard]] QString DecodeUnicodeField(QByteArrayView value);

// The first n bytes of s, one byte fewer when byte n (1-based) is the lead
// byte of a double-byte character; s itself when it is not longer than n.
[[nodiscard]] QByteArray CopyMbcsLeft(QByteArrayView s, qsizetype n);

// The same moment without its milliseconds (same time spec or zone). The
// cut is made on the instant, not on the wall-clock reading: in the hour a
// change from summer time repeats, a reading is ambiguous and rebuilding it
// from its fields would pick the other pass, an hour off.
[[nodiscard]] QDateTime TruncMilliseconds(const QDateTime &dateTime);

// The stamp every writer of AddDateTime and UpdDateTime puts on a record:
// the current local time without its milliseconds, so stored stamps compare
// equal to what a window shows to the second. Read it once per record when
// a record gets both stamps.
[[nodiscard]] QDateTime CurrentTimeStamp();

// Called before an e-mail address is opened as a "mailto:" link. Nothing to
// prepare here: the desktop's URL handler (QDesktopServices) opens mailto
// links by itself, so there is no protocol registration to repair.
void EnsureMailtoProtocol();
