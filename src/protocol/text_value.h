#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "protocol/command_table.h"

namespace kestrel {

// The longest user ID ("UD") the camera keeps.
inline constexpr size_t kUserIdMax = 16;

// The one rule for a text sent to the camera as the value of a text row,
// whoever sends it (a typed set, a setting file, the panel, the user ID
// dialog): no control byte (below 0x20, and 0x7F), which would break the
// command line or reach the camera's terminal raw, and no more characters
// than the row keeps. "" for a good text, else the reason naming the row
// ("the text for UD holds the control byte \x1b").
std::string CheckTextValue(const CommandTable& table, int cmdIndex, std::string_view text);

}  // namespace kestrel
