#pragma once

#include <QRawFont>
#include <QString>
#include <QStringList>

// The faces the stored layouts name are Windows Japanese faces ("ＭＳ 明朝",
// "ＭＳ ゴシック", ...). Left to fontconfig some of them fall onto a Latin
// face here, so the printable items map them through this explicit table
// onto the Japanese faces installed with the program (IPAex, Noto CJK). A
// leading "@" (the vertical form of a face) is not part of the lookup; the
// item keeps it in its stream and lays the text out vertically.
//
// To add a face: one row in the table in FontFaces.cpp.

struct TResolvedFace {
    QString family; // the installed family that draws the face
    bool vertical = false;
};

// The installed families a Windows face name maps onto, in order of
// preference (without the "@"); an unknown face maps onto itself followed by
// the Mincho faces.
QStringList FaceCandidates(const QString &Face);

// The first installed candidate; the Mincho fallback when none is installed.
TResolvedFace ResolveFontFace(const QString &Face);

// The resolved face as a raw font at the given pixel size, without hinting
// (design metrics), bold or italic by the style bits of the layouts.
QRawFont LoadRawFont(const QString &Face, qreal PixelSize, int StyleBits);
