#pragma once

// The name data file (Dic/wqname.db), written by murven-nameconv from the
// person names of the IPA dictionary (mecab-ipadic's Noun.name.csv) and read
// by the name library. An SQLite database of one table:
//
// name   one row per spelling of a reading
//   kind     INTEGER   0 surname (姓), 1 given name (名)
//   reading  BLOB      DicNameReading of the reading: half-width katakana,
//                      at most 12 bytes
//   kanji    BLOB      Shift-JIS, at most 12 bytes
//   cost     INTEGER   the dictionary's word cost: lower is more common
//
// A spelling listed twice under one reading keeps its lowest cost. Readings
// and spellings are BLOBs so that a prefix compares byte by byte.

constexpr const char *DicNameSchemaSql = "CREATE TABLE name (kind INTEGER NOT NULL, reading BLOB NOT NULL, "
                                         "kanji BLOB NOT NULL, cost INTEGER NOT NULL, "
                                         "PRIMARY KEY (kind, reading, kanji)) WITHOUT ROWID;";

// Both name fields are this wide in the library's entries.
constexpr int DicNameFieldBytes = 12;
