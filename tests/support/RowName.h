#pragma once

#include <string>

// Names the cases of a parametrised test after the `name` member of their rows.
inline constexpr auto rowName = [](const auto &info) { return std::string(info.param.name); };
