#pragma once

#include "platform/dic/store/DicText.h"

#include <string>
#include <string_view>

// The telephone-directory data of one region: the file dba17am in the
// region's data folder (Dt01/ .. Dt07/), written by the directory data
// installation and only read by libwqarea17.so. An SQLite database, not
// encrypted. Text the library copies into a record is stored as a BLOB of
// Shift-JIS bytes, ready to copy; codes, digits and months are ASCII TEXT.
//
// listing   one row per directory listing (one telephone number of one subscriber)
//   key             INTEGER PRIMARY KEY  1..2147483647; the record key handed to the program
//                                        (32-bit) and the order of every search result
//   phone           TEXT     the number, ASCII digits only, at most 13 ("0312345678")
//   phone_kind      INTEGER  0 ordinary, 1 FAX, 2 phone and FAX, 3 main number
//   name            BLOB     the listing name (person or company), at most 119 bytes
//   name_kana       BLOB     its reading, half-width katakana, at most 61 bytes
//   postcode        TEXT     5 or 7 digits
//   pref            BLOB     "東京都"                          at most  9 bytes
//   city            BLOB     "千代田区", "横浜市鶴見区"          at most 25 bytes
//   address2a       BLOB     oaza / town ("丸の内")             at most 37 bytes
//   address2b       BLOB     chome, block and number ("１丁目１－１") at most 37 bytes
//   address2c       BLOB     building and room                  at most 81 bytes
//   pref_kana       BLOB     readings of the five parts above, half-width katakana,
//   city_kana       BLOB       at most 9, 25, 37, 33 and 33 bytes
//   address2a_kana  BLOB
//   address2b_kana  BLOB
//   address2c_kana  BLOB
//   city_code       TEXT     JIS municipality code without check digit, 5 digits ("13101");
//                            its first two digits are the prefecture code
//   town_code       TEXT     6 characters: oaza number (3) + aza number (3). The oaza number is
//                            the one the address dictionary's oaza list gives as the last three
//                            characters of its 8-character oaza code ("001".."999", "A00".."Z99"),
//                            so that an oaza chosen there selects its listings here.
//   listing_kind    INTEGER  99 person; any other value a company or office
//   corporate_form  INTEGER  0 none/other, 1 株式, 2 有限, 3 合資, 4 合名, 5 相互, 6 財団法人, 7 社団法人
//   first_month     TEXT     month of the first listing, "yyyymm"
//   latitude        INTEGER  1/256 arc-second, 0 when unknown
//   longitude       INTEGER  1/256 arc-second, 0 when unknown
//
//   name_head       BLOB     WqareaNameHead of the name (format 2 on): its first two
//                            characters once blanks are dropped, for the name indexes
//
// Indexes: the three address keys (prefecture = first two digits of the city
// code, city, city + oaza number), each alone and followed by the name head,
// and the telephone number. A name is always searched within an address key;
// a prefix or exact match reads only the rows of its name head under that
// key, already in key order (the rowid ends every index entry), so the first
// page of a common name costs a few dozen rows however large the region.
//
// meta      key/value TEXT pairs: "format" = WqareaSchemaVersion.
//
// Formats: 1 had no name_head (and its files no name indexes); such a file is
// still read, matching names while the key's rows are read. A file without a
// "format" row is read as format 1. A format above WqareaSchemaVersion is
// refused: its rows may not mean what this reader takes them for.
//
// Sizes above are the record fields less their terminating NUL; longer texts
// are cut at a character boundary when a record is filled.

constexpr int WqareaSchemaVersion = 2;
// The first format with name_head and the name indexes.
constexpr int WqareaNameHeadVersion = 2;

// The data file's name inside the region's data folder.
constexpr const char *WqareaDataFileName = "dba17am";

constexpr const char *WqareaSchemaSql = R"sql(
CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT);
CREATE TABLE listing(key INTEGER PRIMARY KEY, phone TEXT, phone_kind INTEGER, name BLOB, name_kana BLOB,
                     postcode TEXT, pref BLOB, city BLOB, address2a BLOB, address2b BLOB, address2c BLOB,
                     pref_kana BLOB, city_kana BLOB, address2a_kana BLOB, address2b_kana BLOB,
                     address2c_kana BLOB, city_code TEXT, town_code TEXT, listing_kind INTEGER,
                     corporate_form INTEGER, first_month TEXT, latitude INTEGER, longitude INTEGER,
                     name_head BLOB);
)sql";

// Created after the rows are in. The expressions must stand exactly as the
// library's queries write them, or SQLite does not use the index.
constexpr const char *WqareaIndexSql = R"sql(
CREATE INDEX listing_pref ON listing(substr(city_code, 1, 2));
CREATE INDEX listing_city ON listing(city_code);
CREATE INDEX listing_oaza ON listing(city_code, substr(town_code, 1, 3));
CREATE INDEX listing_phone ON listing(phone);
CREATE INDEX listing_pref_name ON listing(substr(city_code, 1, 2), name_head);
CREATE INDEX listing_city_name ON listing(city_code, name_head);
CREATE INDEX listing_oaza_name ON listing(city_code, substr(town_code, 1, 3), name_head);
)sql";

// Characters of a name that its head keeps.
constexpr std::size_t WqareaNameHeadChars = 2;

// The head of a name already in DicNormalizeKey form: its first
// WqareaNameHeadChars Shift-JIS characters (all of a shorter name). A name
// matching a prefix or exact key has the head of the key (when the key has
// at least that many characters) or a head that begins with the key.
[[nodiscard]] inline std::string WqareaNameHead(std::string_view NormalizedName)
{
    std::size_t end = 0;
    for (std::size_t n = 0; n < WqareaNameHeadChars && end < NormalizedName.size(); ++n)
        end += DicIsLeadByte(static_cast<unsigned char>(NormalizedName[end])) && end + 1 < NormalizedName.size() ? 2 : 1;
    return std::string(NormalizedName.substr(0, end));
}

// The head stored with a listing name as it is written.
[[nodiscard]] inline std::string WqareaNameHeadOf(std::string_view Name)
{
    return WqareaNameHead(DicNormalizeKey(Name));
}
