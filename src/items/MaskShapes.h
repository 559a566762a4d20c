#pragma once

#include "platform/Exception.h"

#include <QByteArray>
#include <QPainterPath>
#include <QString>

#include <vector>

// A mask shape file that cannot be used.
MURVEN_DECLARE_EXCEPTION(EMaskShapeError, Exception);

// The mask shapes that picture items cut their pictures with. They live in
// one text file of the program folder (Common/Mask/masks.txt), each shape
// numbered from 1; an item stores the number minus one. Outlines are given
// in the unit square with y pointing down:
//
//   shape <number> <name>
//   M x y | L x y | C x1 y1 x2 y2 x y | Z
//   end
//
// '#' starts a comment line. Every outline ends with Z, every point lies in
// the unit square, and the numbers run 1, 2, 3 ... without gaps, so no
// shape can shift the index of another.
struct TMaskShape {
    int Number = 0;
    QString Name;
    QPainterPath Path; // in the unit square
};

// Parses a shape file; raises EMaskShapeError naming the line at fault.
[[nodiscard]] std::vector<TMaskShape> ParseMaskShapes(const QByteArray &Text);

// The file the program installs: program folder + "Common/Mask/masks.txt".
[[nodiscard]] QString DefaultMaskFilePath();

// The program-wide library the picture items index. Loading replaces it;
// a file that cannot be read, or holds no shape, leaves it empty and raises
// EMaskShapeError.
void LoadMaskFiles(const QString &Path);
// Loads the installed file (DefaultMaskFilePath) as each editor window is
// created. A file missing or damaged leaves the library empty, is never
// written to, and its fault is kept for MaskFilesError: the picture
// dialog names it when the user asks for a mask, and a picture whose
// shape is not there shows uncut.
void LoadProgramMaskFiles();
// Why the last LoadProgramMaskFiles left the library empty (naming the
// file); empty when it loaded.
[[nodiscard]] QString MaskFilesError();
// Sets the library directly (tests, and editors that already parsed it).
void SetMaskFiles(std::vector<TMaskShape> Shapes);
void FreeMaskFiles();
[[nodiscard]] int MaskFileCount();
// The outline of shape Index (0-based), or nullptr when the library does not hold it.
[[nodiscard]] const QPainterPath *MaskShapeAt(int Index);
