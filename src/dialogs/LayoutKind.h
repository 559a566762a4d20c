#pragma once

#include <cstdint>

// The kind of layout an editor hands to the print wizard and to the data
// format, layout detail and additional information dialogs.
enum class TLayoutKind : std::uint8_t { lkPostcard = 0, lkEnvelope = 1, lkLabel = 2, lkCard = 3 };
