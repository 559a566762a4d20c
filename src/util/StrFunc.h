#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// Routines for Japanese text. The byte routines work on code page 932 text
// (QByteArray of Shift-JIS bytes, converted only through Cp932): a character
// is one byte or a lead byte followed by a trail byte, and no routine here
// ever cuts such a pair or takes a trail byte for a character of its own. The
// wide routines rewrite QString text for vertical printing. No routine throws;
// all are safe to call from any thread.
//
// The fixed tables below are in the order the routines try them: the order
// decides which entry matches first, so new entries go where they must win.

// ---- Fixed tables -------------------------------------------------------------

inline constexpr int PrefectureCount = 47;
inline constexpr int CompanyTypeCount = 9;
inline constexpr int CompanySpellingCount = 54; // six spellings per company type

// The 47 prefecture names in kanji, in the order of the national prefecture
// codes 1 to 47 (北海道 ... 沖縄県).
const QStringList &PrefectureNames();
// The same names as code page 932 text.
const QList<QByteArray> &PrefectureNamesAnsi();
// Their readings in half-width katakana as code page 932 bytes (one byte per
// letter), same order. Small kana are written as the full-size letter and the
// voiced mark is a letter of its own: 東京都 is ﾄｳｷﾖｳﾄ, 北海道 ﾎﾂｶｲﾄﾞｳ.
const QList<QByteArray> &PrefectureReadings();

struct TCompanyType {
    QString FullName;              // 株式会社
    QString FullWidthAbbreviation; // （株）
    QString HalfWidthAbbreviation; // (株)
};
// The nine company types: 株式会社 有限会社 合資会社 合名会社 相互会社
// 財団法人 社団法人 宗教法人 学校法人.
const QList<TCompanyType> &CompanyTypes();
// The 54 spellings of the abbreviations: for each company type in order, its
// letter X as （X） （X X） (X) (X X). Entry i belongs to company type i / 6.
// Two-sided spellings come first so they are replaced whole.
const QStringList &CompanySpellings();

// The full-width digits ０ to ９ and the kanji numerals 〇 to 九, paired by
// index (ten characters each).
const QString &FullWidthDigits();
const QString &KanjiDigits();

// The dashes － (U+FF0D), ― (U+2015), ‐ (U+2010) and their replacements by
// kind: 0 the long-vowel mark ー (U+30FC), 1 の.
const QString &Dashes();
const QString &DashReplacements();

// ---- Byte routines (code page 932) --------------------------------------------

// Kinds bits of FilterNumberChars.
enum TNumberCharKind : int {
    nckDigits = 1, // 0 to 9
    nckHyphen = 2, // -
    nckPeriod = 4, // .
};

// The single-byte characters of S that belong to Kinds, in order; double-byte
// characters (full-width digits too) and everything else are dropped.
// "03-12.5" with nckDigits gives "03125".
QByteArray FilterNumberChars(QByteArrayView S, int Kinds);

// S without its blanks (U+0020 and the full-width U+3000), as code page 932.
QByteArray RemoveSpaces(QStringView S);

// The form in which a caption meets the column names of a text file: the
// export writes it without blanks (RemoveSpaces) and the import recognises a
// header name in half width and without letter case. Two captions with the
// same key name the same column.
QString CaptionKey(QStringView S);

// The characters of S in reverse order; a double-byte character keeps its two
// bytes in their order.
QByteArray ReverseMbcsString(QByteArrayView S);

// Split modes of SplitFields.
enum TSplitMode : int {
    smWidth = 0,     // cut at a byte width
    smDelimiter = 1, // plain delimiter
    smCsv = 2,       // delimiter outside double quotes, enclosing quotes removed
    smCsvQuoted = 3, // the same, quotes kept
};

// Splits the text in Parts[0]. Every element of Parts is cleared, then filled
// from the front; the caller sizes the list, and the last element receives
// everything behind the last split (delimiters included). Delimiters are
// found only at character starts.
// - smWidth: the first Width bytes and the rest. When byte number Width (the
//   last byte kept) is the lead byte of a double-byte character, the first
//   part gets Width - 1 bytes and a blank, and the rest begins with that
//   character. Needs two parts; with one, the text stays whole in Parts[0].
// - smDelimiter: the text between the delimiters; parts without a field of
//   their own stay empty.
// - smCsv, smCsvQuoted: a field that opens a double quote runs on over
//   delimiters until the quote count closes it. smCsv strips one pair of
//   enclosing quotes from each part ("" inside is left as it is).
// Any other Mode leaves every part empty.
void SplitFields(QList<QByteArray> &Parts, int Mode, int Width, QByteArrayView Delimiter);

// How often Sub occurs in S, counting overlapping occurrences (the search
// resumes one character after each hit's first character). Only hits that
// start on a character count. An empty Sub occurs nowhere.
int CountOccurrences(QByteArrayView S, QByteArrayView Sub);

// When Address begins with one of the 47 prefecture names (tried in table
// order, byte for byte): Prefecture = that name, Rest = the remainder, true.
// Else Prefecture is empty, Rest = Address and the result is false.
bool SplitPrefecture(QByteArrayView Address, QByteArray &Prefecture, QByteArray &Rest);
// The same over the half-width kana readings. Address must already be in
// half-width katakana without small kana.
bool SplitPrefectureKana(QByteArrayView Address, QByteArray &Prefecture, QByteArray &Rest);

// The full-width or half-width form of S as a Japanese system maps widths:
// letters, digits, blanks, punctuation and katakana change width; ｶﾞ <-> ガ;
// hiragana and kanji stay. Characters whose other form code page 932 lacks
// are left as they are. Text that is not valid code page 932, or that the
// mapping cannot handle, is returned unchanged.
QByteArray ToFullWidth(QByteArrayView S);
QByteArray ToHalfWidth(QByteArrayView S);

// ---- Wide routines ----------------------------------------------------------

// The width mappings above on wide text.
QString ToFullWidthW(QStringView S);
QString ToHalfWidthW(QStringView S);

// The routines below go through their table in order; for each entry, as long
// as it occurs, its first occurrence is replaced (so text that a replacement
// brings together is matched again).

// S without any prefecture name.
QString RemovePrefectureNamesW(QStringView S);
// Every abbreviation spelling replaced by the full name: (株)山田 -> 株式会社山田.
QString ExpandCompanyTypeW(QStringView S);
// Every full company name replaced by its abbreviation in full-width or
// half-width parentheses: 有限会社山田 -> （有）山田 or (有)山田.
QString AbbreviateCompanyTypeW(QStringView S, bool FullWidthParens);
// The two below take text of either width alike, so that an address typed or
// imported in half-width characters converts as a widened one does.
// Every digit, half-width or full-width, replaced by its kanji numeral, one
// for one ("1203" -> 一二〇三), except the digits of a number written against
// a Latin letter, which stay as written ("J1ビル", "B2F").
QString DigitsToKanjiW(QStringView S);
// Every dash of either width (－, -, −, ―, ‐ and the like) replaced by the
// replacement of Kind (0: ー, 1: の), and the prolonged sound mark where it
// stands between two numbers ("２ー４"); any other Kind leaves S unchanged.
QString ReplaceDashesW(QStringView S, int Kind);

// A dash people type between the numbers of an address, of either width: the
// code page's own three, the hyphen-minus and the minus sign (both of which
// the code page keeps as its full-width hyphen), and the other hyphens and
// dashes an import may bring. Not the prolonged sound mark, which is a dash
// only between numbers.
[[nodiscard]] bool IsAddressDash(QChar c);

// A character of an address number: a digit of either width, or a kanji
// numeral 〇 to 九, 十, 百 or 千.
[[nodiscard]] bool IsAddressNumeral(QChar c);

// Address lines the user kept apart are set together with nothing between
// them, except where a number would run into the next one: "９－４－２１" and
// "２０３号室" would read as the one number 21203, "80-25" and "J1ビル" as the
// house number 25J1, so a full-width blank keeps them apart. A number is a
// digit of either width or a kanji numeral, whether the data format turned
// it into kanji or not; a Latin letter after it reads as part of it.
[[nodiscard]] bool AddressNumbersMeet(QStringView Before, QStringView After);
// With Apart the blank stands between the lines whatever they end and begin
// with: a building line set after its block number still reads as a line of
// its own ("７－３　東京ビルディング").
[[nodiscard]] QString JoinAddressLines(const QString &First, const QString &Second, bool Apart = false);
