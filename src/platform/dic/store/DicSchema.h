#pragma once

// The dictionary data file (Dic/wqdic.db), written by murven-dicconv from the
// public postcode and municipality data and read by every dictionary library.
// An SQLite database; every text column a library copies into a record is a
// BLOB of Shift-JIS bytes, ready to copy; readings are half-width katakana.
//
// pref   one row per prefecture
//   no          INTEGER PRIMARY KEY   1..47 (JIS prefecture code)
//   name        BLOB                  "東京都"
//   kana        BLOB                  "ﾄｳｷｮｳﾄ"
//   region      INTEGER               0 北海道・東北, 1 関東, 2 中部, 3 近畿, 4 中国・四国, 5 九州・沖縄
//   city_count  INTEGER               rows of city with this pref
//
// city   one row per municipality (designated cities by ward)
//   code5       TEXT PRIMARY KEY      JIS code without check digit, "13101"
//   code6       TEXT                  with check digit, "131016"
//   pref        INTEGER               pref.no
//   name        BLOB                  "千代田区", "横浜市鶴見区", "足柄上郡中井町"
//   kana        BLOB                  half-width katakana only: digits of the source spelt out
//   head        BLOB                  first kana of the reading as one double-byte hiragana
//   sort        INTEGER               order within the prefecture: by reading, as the towns
//   ohaza_count INTEGER               distinct serials > 0 of its towns (kind 0)
//   key         BLOB                  DicNormalizeKey(name)
//
// town   one row per postcode entry
//   id          INTEGER PRIMARY KEY   order: code5, kind, serial, then within a serial the town's
//                                     leading row (its name with the reading that orders it), its
//                                     other rows, the rows of buildings in it; then postcode
//   code5       TEXT                  city.code5
//   serial      INTEGER               number of the town (oaza) within the city, from 1, in Japanese
//                                     reading order (voiced and small kana beside their plain ones);
//                                     0 for the city-wide row (empty name). A town is a name with its
//                                     reading: one name with two readings is two towns unless the
//                                     readings share a postcode. The floors of a large building and
//                                     the building's own row carry the serial of the town its name
//                                     starts with (a building in no town is a town of its own). A
//                                     large office carries the serial of its town name (0 when the
//                                     city has no such town).
//   seq         INTEGER               kind 0: number of the row within its town (code5, serial) in
//                                     id order, 0 for the town's leading row; 0 for a large office.
//                                     Town code = oaza number of serial ("000".."999", "A00".."Z99")
//                                     + row number of seq ("00".."99", then "A0".."ZZ" for 100..1035:
//                                     a letter, then a digit or letter) + "00". Only the first five
//                                     characters reach WQMTAdrs (city code 6 + 5 make its look-up
//                                     code) and six the telephone towns, so the row number comes
//                                     right after the oaza number; "XXX0000" is the town's leading
//                                     row. A large office's town code is that of the town it lies in.
//   postcode    TEXT                  seven digits
//   kind        INTEGER               0 town, 1 large office
//   name        BLOB                  the town (oaza and aza); for a large office, the town it lies in
//   kana        BLOB                  reading of name, half-width katakana: digits of the source
//                                     spelt out ("1ｼﾞｮｳﾋｶﾞｼ" -> "ｲﾁｼﾞｮｳﾋｶﾞｼ")
//   office      BLOB                  large office: its name; else empty
//   office_kana BLOB                  large office: its reading (empty when the source has none)
//   street      BLOB                  large office: the street part of its address; else empty
//   key         BLOB                  DicNormalizeKey(name)
//   indexes: town_postcode(postcode), town_city(code5, kind, serial, seq)
//
// area   telephone prefixes: the five digits after the leading 0
//   prefix      TEXT PRIMARY KEY      "46512"
//   area_code   TEXT                  the area code with its 0, "0465"
//   place       INTEGER               place.id
//
// place  one row per place name of the geocoder
//   id          INTEGER PRIMARY KEY
//   name        TEXT                  UTF-8, "小田原"
//
// place_city  the cities a place stands for: the municipalities it names in JIS code order,
//             or for a former town up to three, the likeliest first
//   place       INTEGER
//   seq         INTEGER               0, 1, ...
//   code5       TEXT
//   PRIMARY KEY (place, seq)
//
// meta   key/value TEXT pairs: "format" = DicSchemaVersion, "sources" = the
//        package names and versions the file was built from.

constexpr int DicSchemaVersion = 3;

// The highest seq: the last row number two characters can carry.
constexpr int DicMaxTownSeq = 1035;

constexpr const char *DicSchemaSql = R"sql(
CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT);
CREATE TABLE pref(no INTEGER PRIMARY KEY, name BLOB, kana BLOB, region INTEGER, city_count INTEGER);
CREATE TABLE city(code5 TEXT PRIMARY KEY, code6 TEXT, pref INTEGER, name BLOB, kana BLOB, head BLOB,
                  sort INTEGER, ohaza_count INTEGER, key BLOB);
CREATE TABLE town(id INTEGER PRIMARY KEY, code5 TEXT, serial INTEGER, seq INTEGER, postcode TEXT, kind INTEGER,
                  name BLOB, kana BLOB, office BLOB, office_kana BLOB, street BLOB, key BLOB);
CREATE TABLE area(prefix TEXT PRIMARY KEY, area_code TEXT, place INTEGER);
CREATE TABLE place(id INTEGER PRIMARY KEY, name TEXT);
CREATE TABLE place_city(place INTEGER, seq INTEGER, code5 TEXT, PRIMARY KEY(place, seq));
)sql";

// Created after the rows are in.
constexpr const char *DicIndexSql = R"sql(
CREATE INDEX town_postcode ON town(postcode);
CREATE INDEX town_city ON town(code5, kind, serial, seq);
)sql";
