#pragma once

#include <string>
#include <string_view>

#include "protocol/command_table.h"
#include "protocol/param_value.h"

namespace kestrel {

// Longest set line the camera and the setting files take, line end not counted.
inline constexpr size_t kMaxSetLine = 255;

// A set line that passed the check: the row and the value to send.
struct CheckedSet {
  int cmdIndex = -1;
  ParamValue value;
};

// The one rule for a value typed or read from a file, before anything is sent:
// NAME=VALUE, or NAME=INDEX,VALUE for an indexed row, with blanks allowed
// around the name, the separators and a number. An integer row takes a whole
// decimal number within the range the panel binds for the row (its list's
// items, its spin box's limits), or within 32 bits when the panel binds none;
// a text row takes the whole rest of the line after "=" as it stands, commas
// and spaces included, but no line break, and the line must not exceed
// kMaxSetLine. Returns "" and fills `out` for a good line, else the reason
// naming the field ("\"abc\" is not a number for TGSM").
std::string CheckSetLine(const CommandTable& table, std::string_view line, CheckedSet& out);

// The range CheckSetLine allows for an integer row.
void BoundRange(int cmdIndex, int64_t& minimum, int64_t& maximum);

// "LR: the camera reports 99999, outside 170 to 13340" for an integer value
// a setting file could not carry back (CheckSetLine would refuse it); "" for
// a value inside that range and for a text.
std::string OutsideBoundRange(std::string_view name, int cmdIndex, const ParamValue& value);

}  // namespace kestrel
