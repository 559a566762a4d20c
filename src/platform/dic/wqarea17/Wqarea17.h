#pragma once

// libwqarea17.so: the telephone-directory search over one region's data file
// (dba17am in the data folder, WqareaSchema.h). Seven C entry points with
// the types of DicApi.h. The dictionary folder of a request is not used.
//
// wqarea_area (condition, hits, count, position, limit, callback)
//   Fills up to BlockSize hits (1..200) of the condition in record-key order.
//   - Name: compared with the listing name after DicNormalizeKey (blanks and
//     double-byte spaces dropped, small ヶ/ヵ as ケ/カ) on character boundaries;
//     MatchKind 0 prefix, 1 contains, 2 suffix, 3 exact; empty matches all.
//   - AddressKey: 2 digits = the prefecture (first two digits of city_code),
//     5 digits = city_code, 8 characters = city_code (5 digits) + the oaza
//     number (3 digits or a capital and two digits) = the first three
//     characters of town_code.
//   - Category 0 persons (listing kind 99), 1 companies, 2 both.
//   - PhoneKinds: bit 1 kind 0 (ordinary), 2 kind 1 (FAX), 4 kind 2 (phone and
//     FAX), 8 kind 3 (main number); 0 or other bits are wrong input.
//   - MonthFrom/MonthTo: "yyyymm" inclusive, empty = open.
//   - CorporateForm 1..7 selects that form only (persons have none); 0 any.
//   - Continue 0 starts at the first listing; any other value continues
//     after the position (a position this library did not write starts anew).
//   A block is full unless the condition ends with it, so the caller may
//   carry hits over pages. The position holds, in its words: 0 the last key
//   returned, 1 the hits returned so far, 2 WqareaPositionMark; the end flag
//   (offset 40) is 1 when no hit lies beyond the block (or Limit is reached),
//   else 0. Limit (>= 1) caps the hits returned over all calls of one
//   condition. The callback (may be null) is asked once at the start of every
//   call and after every 1000 listings read, with the hits found so far; 0
//   ends the call with 100, the hits found until then returned and the
//   position after them.
//   Codes: 0 a block, 1 nothing (more), 100 stopped, 4 wrong input (a null
//   pointer but the callback, a field out of range, Limit < 1), 8 the data
//   file missing or unreadable.
// wqarea_area_count (condition, count, limit, callback)
//   The number of hits (at most Limit); BlockSize and Continue are not used.
//   0 with hits, 1 none, 100 stopped (count so far), 4, 8.
// wqarea_area_fax / wqarea_area_count_fax
//   The same, only phone kinds 1 and 2 of the condition's mask.
// wqarea_tel (request, result, count)
//   Up to WqareaMaxTelRecords listings with request.Phone (digits), in key
//   order, into the 4704-byte result (zeroed first); 0 with count set, 8 none,
//   4 wrong input.
// wqarea_tel_one (reserved, request, record, key)
//   The full record of key, which must carry request.Phone unless that is
//   empty; 0, 8 not found, 4 wrong input (key < 1, a non-digit number).
// pup_tel_mask (in, out)
//   in (1..15 digits) with its last four digits (all, when shorter) replaced
//   by '*', into out (16 bytes, NUL-padded); 0, or 4.
//
// Texts are cut at a character boundary to their fields less one byte, so
// every text field keeps its NUL. Record fields: Codes = city_code (5) +
// town_code (6); Latitude/Longitude as stored (1/256 arc-second), values out
// of the 32-bit unsigned range give 0.

constexpr int WqareaNoMore = 1;
constexpr int WqareaStopped = 100;
constexpr int WqareaMaxTelRecords = 8;
constexpr int WqareaMaxBlockSize = 200;
// "WQA1": marks a position this library wrote.
constexpr int WqareaPositionMark = 0x31415157;
