#pragma once

#include <QByteArray>
#include <QList>

// The light border of four modules a QR reader needs around the symbol.
inline constexpr int QrQuietZone = 4;

// How the data bytes are packed into the symbol: plain bytes, or Shift-JIS
// double-byte characters in the denser Kanji mode.
enum class EQrMode { Bytes, Kanji };

// The dark (true) and light modules of the QR code of Data, error correction
// M, row by row and without the quiet zone; empty when Data is empty or does
// not fit a QR code.
[[nodiscard]] QList<QList<bool>> QrEncodeModules(const QByteArray &Data, EQrMode Mode);
