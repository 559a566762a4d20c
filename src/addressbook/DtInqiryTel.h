#pragma once

#include "core/Inquiry.h"
#include "platform/dic/DicApi.h"

// The address record a directory listing fills in the record form: the
// number by its kind (FAX only, phone and FAX, main number), postcode,
// prefecture, address 1, address 2 of its three parts, the joined address
// reading, the municipality and local codes, the first-listing month, the
// position (1/256 arc-second into thousandths, in 64 bits: the product
// overflows 32) and the name as a person's (listing kind 99) or, with its
// company forms written out, as a company's.
[[nodiscard]] TAddressData AddressFromTelRecord(const TTelRecord &Record);
