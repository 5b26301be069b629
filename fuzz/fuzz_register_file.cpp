// The AFE register table reader over arbitrary file contents: a refused file
// yields nothing; an accepted one three well-formed "AFx=ROW,VALUE" lines in
// hexadecimal a row, rows ascending.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "service/afe_register.h"

namespace {

bool IsHex(const std::string& s) {
  if (s.empty() || s.size() > 8) return false;
  for (char c : s)
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines;
  const std::string why = kestrel::RegisterFileCommands(text, lines);
  // Refused: nothing to send, and a reason. Accepted: three lines a row.
  if (!why.empty()) {
    if (!lines.empty()) __builtin_trap();
    return 0;
  }
  if (lines.empty() || lines.size() % 3 != 0 || lines.size() > 3 * kestrel::kAfeTableRows)
    __builtin_trap();
  unsigned long lastRow = 0;
  for (const std::string& line : lines) {
    if (line.size() < 7 || line[0] != 'A' || line[1] != 'F' ||
        (line[2] != 'R' && line[2] != 'G' && line[2] != 'B') || line[3] != '=')
      __builtin_trap();
    const size_t comma = line.find(',');
    if (comma == std::string::npos) __builtin_trap();
    const std::string row = line.substr(4, comma - 4);
    if (!IsHex(row) || !IsHex(line.substr(comma + 1))) __builtin_trap();
    const unsigned long r = std::stoul(row, nullptr, 16);
    if (r < lastRow) __builtin_trap();
    lastRow = r;
  }
  return 0;
}
