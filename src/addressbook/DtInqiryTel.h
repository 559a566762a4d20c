#pragma once

#include "core/Inquiry.h"
#include "platform/dic/DicApi.h"

// The address record a directory listing fills in the record form: the
// number by its kind (FAX only, phone and FAX, main number), postcode,
// prefecture, address 1, address 2 of its three parts, the joined address
// reading, the municipality and local codes, the first-listing month, the
// position (1/256 arc-second into thousandths, in 64 bits: the product
// overflows 32) and the name as a person's (listing kind 99) or, with its
// company forms written out, as a company's. Every text is cut between
// characters to its field: the person's reading to 25 bytes, the address
// reading to 100, the company name to the record's 112 (see below).
[[nodiscard]] TAddressData AddressFromTelRecord(const TTelRecord &Record);

// The bytes the address table's company name column holds (the record's copy
// holds 112 of them).
inline constexpr qsizetype CorpKanjiColumnBytes = 120;

// A company listing's name as the record form shows and stores it, whole up to
// the column's 120 bytes: with its company forms written out when it then
// still fits the column, else as listed, so that writing the forms out never
// costs the end of the name. Empty for a private person.
[[nodiscard]] QString CorpKanjiFromTelRecord(const TTelRecord &Record);
