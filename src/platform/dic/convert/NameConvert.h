#pragma once

#include <QString>

// Builds the name data file (Dic/wqname.db, see store/NameSchema.h) from the
// person names of the IPA dictionary: mecab-ipadic's Noun.name.csv, EUC-JP,
// one word a line (surface, two context ids, cost, six part-of-speech
// fields, base form, reading, pronunciation). Only the surname (姓) and given
// name (名) rows are taken; a row whose spelling or half-width reading does
// not fit the library's 12-byte fields, or has a character Shift-JIS lacks,
// is left out.
//
// Written as OutputFile + ".tmp" and renamed over OutputFile only when
// complete, so a failed run leaves an older file untouched.

struct TNameConvertStats {
    int Surnames = 0;
    int GivenNames = 0;
    int TooLong = 0;       // rows whose spelling or reading does not fit 12 bytes
    int Unencodable = 0;   // rows with a character Shift-JIS lacks
    int Duplicates = 0;    // a spelling listed again under the same reading
};

[[nodiscard]] bool BuildNameDictionary(const QString &CsvFile, const QString &OutputFile, QString *Error,
                                       TNameConvertStats *Stats = nullptr);
