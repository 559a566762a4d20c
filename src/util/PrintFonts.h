#pragma once

#include <QByteArray>
#include <QStringList>

// Text copied from a printed PDF gives the characters printed. Qt's PDF
// writer maps each embedded glyph back to a character through the font's own
// character map, taking the lowest code point that shows the glyph; the
// Japanese faces map the Kangxi radicals (U+2F00..) and the CJK radical
// supplement (U+2E80..) to the glyphs of the ideographs themselves, so 田
// came back as ⽥ and 一 as ⼀ (and, in Noto, 　 as an em space, ・ as ‧).
// The faces the program prints with are therefore registered once more, from
// copies whose character maps no longer give such a glyph to a code point
// lower than the character Japanese text uses for it.

// Removes from every Unicode character map of a font file (TrueType,
// OpenType or a collection) the code points that show the same glyph as a
// character Japanese text uses (ASCII, CJK symbols, kana, ideographs,
// full-width forms) and lie below it. Changes the maps in place, so the file
// keeps its size. Returns how many mappings were removed, -1 when Data is no
// font file it can read (then Data is unchanged).
// A damaged file may list a character map many times over, each claiming
// every code point: a face's own Unicode maps are few (a BMP map and a full
// one, under one or two platforms), so no more than these are read.
constexpr int kMaxUnicodeMapsPerFace = 4;
constexpr int kMaxUnicodeMapsPerFile = 64;
[[nodiscard]] int UnaliasCharacterMaps(QByteArray &Data);

// The installed files of the faces the program prints with (IPAex Gothic and
// Mincho, the Noto Sans CJK collection with its mono face), as fontconfig
// finds them.
[[nodiscard]] QStringList PrintFontFiles();

// Registers the unaliased copies of the installed faces the program prints
// with (IPAex Gothic and Mincho, Noto Sans CJK with its mono face), once per
// run; later calls do nothing. Called before a print job begins. Returns the
// files that could not be read or registered (the face then prints as it is
// installed).
QStringList PreparePrintFonts();
