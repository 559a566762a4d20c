#pragma once

#include "core/ConvKykbn.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

class QPushButton;

// The address fields of a record that the address and postcode conversion
// reads and writes.
struct TAdrsFields
{
    QString Tdfkn, Adrs1, Adrs2, Adrs3, Pos, JisCode, AdrsKana;
    bool operator==(const TAdrsFields &) const = default;
};

// A converted address text between Adrs2 (at most 100 CP932 bytes, cut at a
// character boundary) and Adrs3: when the old Adrs3 is the tail of the new
// text (letter case aside) it stays, and Adrs2 is the text before it.
struct TAdrsSplit
{
    QString Adrs2, Adrs3;
};
[[nodiscard]] TAdrsSplit SplitConvertedAddress(const QString &NewText, const QString &OldAdrs3);

// What the conversion of one record may use. Merger: an address changed by
// a municipal merger to its new form (prefecture, city, the rest, the whole
// new address); the program has no such data, so it is left empty and no
// address changes. Lookup: the postcode (seven digits), JIS code, reading
// and town code of an address, when the dictionary knows exactly one.
// LargeOffice: whether a postcode belongs to a large office (kept as it
// is). OfTown: whether a postcode is one the dictionary gives the town that
// was looked up (a building's floor in it, or one of the town's several
// postcodes), which is kept as it is too: the address text rarely names the
// building the way the dictionary does.
struct TMergedAddress
{
    QString Pref, City, Rest, Full;
};
struct TAddressLookup
{
    QString Postcode, JisCode, PrefKana, CityKana, TownKana;
    QString TownCode{};
};
struct TAdrsConversion
{
    std::function<std::optional<TMergedAddress>(const QString &full)> Merger;
    std::function<std::optional<TAddressLookup>(const QString &full)> Lookup;
    std::function<bool(const QString &postcode)> LargeOffice;
    std::function<bool(const QString &postcode, const TAddressLookup &town)> OfTown;
};
// Converts one record's fields; true when anything changed.
[[nodiscard]] bool ConvertRecordAddress(TAdrsFields &Fields, const TAdrsConversion &Conversion);

// The address and postcode conversion of the open book after copying it
// into "backup.cap/" (a failed copy stops before anything changes). With
// the program's dictionary data: the postcode of an address the dictionary
// knows replaces a different one (not a large office's); addresses do not
// change (no merger data ships). NoDictionary: the dictionary data could not
// be used, so nothing was converted.
// LibFolder and DataFolder: where the dictionary libraries and their data
// are (the program folder and its "Dic/").
[[nodiscard]] bool ConvertAddresses(QWidget *Owner, const QString &LibFolder, const QString &DataFolder,
                                    TConversionCounts &Counts, bool *NoDictionary, QString *Error);

// The dialog "住所・郵便番号変換". Accepted after a conversion.
class TConvertAdrsPos : public QDialog
{
    Q_OBJECT

public:
    explicit TConvertAdrsPos(QWidget *parent = nullptr);
    std::function<bool()> CloseChildWindows;
    void btnConvertClick();

private:
    QPushButton *btnConvert = nullptr;
    QPushButton *btnClose = nullptr;
};
