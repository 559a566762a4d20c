#pragma once

#include "items/BarRect.h"

#include <QString>

// The customer barcode's town names from the postcode dictionary: the towns
// the dictionary lists under a postcode (for a large office's own postcode
// the town the office lies in), so that numerals belonging to a town's name
// ("一番町", "北二条西") are not read as the address number, and whether the
// postcode is such an own number. The
// dictionary is opened on first use from LibFolder (its data in DataFolder)
// and kept by the returned function; answers are remembered per postcode.
// A dictionary that cannot be opened gives no town names (the barcode then
// reads the address alone).
[[nodiscard]] TTownNameLookup DictionaryTownNames(const QString &LibFolder, const QString &DataFolder);
// The same over the program folder's dictionary.
[[nodiscard]] TTownNameLookup ProgramTownNames();
