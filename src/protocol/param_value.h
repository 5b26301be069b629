#pragma once

#include <cstdint>
#include <string>

namespace kestrel {

// The typed value of one command. Which field counts is decided by the
// command's row in the CommandTable, not by `type`.
struct ParamValue {
  int type = 0;
  int32_t intValue = 0;
  std::string textValue;

  static ParamValue Int(int32_t v) {
    ParamValue p;
    p.intValue = v;
    return p;
  }
  static ParamValue Text(std::string v) {
    ParamValue p;
    p.type = 2;
    p.textValue = std::move(v);
    return p;
  }
  bool operator==(const ParamValue&) const = default;
};

// A command or reply line split into its parts and resolved to a table row.
struct ParsedLine {
  std::string line;       // the line without spaces, CRs and LFs
  std::string name;       // text before the separator
  std::string separator;  // "=" or "?"
  std::string value1;
  std::string value2;
  int kind = 0;       // 0 no value, 1 one value, 2 index and value
  int cmdIndex = -1;  // resolved row, -1 when unresolved
  int indexNum = 0;   // value1 as an integer (kind 2 only)
  int error = 1;      // 0 resolved, 1 not
  int type = 0;
  int32_t intValue = 0;
  std::string textValue;
};

}  // namespace kestrel
