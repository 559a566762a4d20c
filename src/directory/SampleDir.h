#pragma once

#include <QString>

#include <cstdint>

// The sample directory data set: no real telephone directory ships with the
// program, so a made-up one is written from public data: towns, postcodes,
// readings and municipality codes from the program's address dictionary
// (Dic/wqdic.db), the telephone area code of each town's municipality from
// the same file, and person names with their readings from the program's
// name data (Dic/wqname.db, taken from mecab-ipadic's name list). Every
// listing is invented: a surname and given name drawn at random, or a company
// made of a corporate form, a surname and a trade word; its number is the
// real area code of its address followed by random digits. Months run from
// 1995 to 2013; a few listings share a number (a second listing of the same
// household or office), and a few withhold their street number.
//
// The output is a disc-like folder: <folder>/Murven19/Dt01/ .. Dt07/, each
// with the seven region files; the listings live in one of them (the data
// file of WqareaSchema.h), the others carry a short synthetic-data note.
// The same seed and sizes always give the same bytes of data.

struct TSampleDirectoryOptions {
    QString DicFile;            // Dic/wqdic.db
    QString NameFile;           // Dic/wqname.db
    QString OutputFolder;       // the disc root
    int ListingsPerRegion = 20000;
    std::uint32_t Seed = 2014;
    int OnlyRegion = 0;         // 1..7 writes that region only; 0 all seven
};

// The seven files of a region folder, in the order the installation lists them.
extern const char *const AreaDataFileNames[7];

[[nodiscard]] bool GenerateSampleDirectory(const TSampleDirectoryOptions &Options, QString *Error,
                                           long long *Written = nullptr);
