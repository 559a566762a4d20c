#pragma once

#include <Qt>

#include <cstdint>

// Horizontal alignment of a control's text or of a list column (header and
// cells), with the values the settings and layouts store.
enum class TAlignment : std::uint8_t {
    taLeftJustify = 0,
    taRightJustify = 1,
    taCenter = 2,
};

// The Qt alignment of a one-line text: horizontal as given, centred vertically.
[[nodiscard]] constexpr Qt::Alignment ToQtAlignment(TAlignment alignment)
{
    switch (alignment) {
    case TAlignment::taRightJustify:
        return Qt::AlignRight | Qt::AlignVCenter;
    case TAlignment::taCenter:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case TAlignment::taLeftJustify:
        break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}
