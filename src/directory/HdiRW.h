#pragma once

#include <QByteArray>
#include <QString>

#include <array>

// The hard-disk installation file (Murven19.hdi in the settings root): which
// regions of the directory data are installed on the hard disk, and where.
//
// Layout, little-endian: signature length L (1 byte), the signature (L bytes),
// entry count N (1 byte), then per entry the slot number 0..6 (1 byte), the
// path length P (2 bytes, unsigned) and the path (P bytes, absent when P is
// 0). Signature and paths pass through EncodeHdiText: each byte has its
// nibbles swapped and all bits inverted ("M" 0x4D is stored as 0x2B).

constexpr int HdiSlotCount = 7;
constexpr int HdiMaxPath = 260;

struct THdiSlot {
    // -1 slot empty, 0 the region lies in the settings root itself, above 0
    // the byte length of Path.
    int PathLength = -1;
    QByteArray Path; // the folder, as stored (system code page)
};

struct HdiFileRecord {
    QString FileName;
    QByteArray Signature; // "Murven19"
    int EntryCount = 0;
    std::array<THdiSlot, HdiSlotCount> Slots;
};

[[nodiscard]] QByteArray EncodeHdiText(const QByteArray &plain);
[[nodiscard]] QByteArray DecodeHdiText(const QByteArray &stored);

// Reads the file named in the record and compares its signature with the
// record's. A replace of the file that was interrupted is put right first
// (both here and in WriteHdiFile), as for every small file of the program. 0 read; 1 no such file; 2 signature length missing; 3 signature
// shorter than its length; 4 signature differs; 5 entry count missing; 6 slot
// number missing; 8 path length missing; 9 path shorter than its length.
// Slots the file does not name are empty. An entry naming a slot beyond 6, or
// a path longer than 260 bytes, is read past and ignored, so the record never
// takes more than it can hold.
[[nodiscard]] int ReadHdiFile(HdiFileRecord &Record);

// Writes the record (every slot whose PathLength is not -1, in slot order),
// replacing the file; with OnlyIfExists and no file present, 1 and nothing
// written. 0 written; 2..8 the step that could not be written, with the
// cause in *Error.
[[nodiscard]] int WriteHdiFile(const HdiFileRecord &Record, bool OnlyIfExists, QString *Error = nullptr);
