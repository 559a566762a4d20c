#pragma once

#include <QColor>

#include <cstdint>

// Colours as the settings and layout files store them: a 32-bit TColor,
// 0x00BBGGRR (red in the low byte). Values with the high byte 0xFF name a
// system colour by its index (clWindow, clWindowText, ...), resolved against
// the application's palette when drawn.
using TColor = std::int32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;

// System colours: 0xFF000000 plus the index of the system colour.
constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000u);
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clHighlight = clSystemColor | 13;
constexpr TColor clHighlightText = clSystemColor | 14;
constexpr TColor clGrayText = clSystemColor | 17;
constexpr TColor clBtnText = clSystemColor | 18;
constexpr TColor clInfoBk = clSystemColor | 24;
constexpr TColor clInfoText = clSystemColor | 23;

[[nodiscard]] constexpr bool IsSystemColor(TColor c) noexcept
{
    return (static_cast<std::uint32_t>(c) & 0xFF000000u) == 0xFF000000u;
}

// The RGB value of a colour: system colours through the application palette.
[[nodiscard]] QColor ColorToQColor(TColor c);
// 0x00BBGGRR of an RGB colour (alpha is dropped).
[[nodiscard]] TColor QColorToColor(const QColor &c);
// The 24-bit form written as six hexadecimal digits BBGGRR, as the custom
// colour lists keep them ("FF0000" is blue); and back, default on bad text.
[[nodiscard]] QString ColorToHex(TColor c);
[[nodiscard]] TColor HexToColor(const QString &text, TColor defaultColor = clBlack);
