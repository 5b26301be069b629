// The AFE register table reader over arbitrary file contents: every command it
// yields is a well-formed "AFx=ROW,VALUE" line in hexadecimal, rows ascending.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

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
  std::string text(reinterpret_cast<const char*>(data), size);
  text.push_back('\0');  // fmemopen wants a non-empty buffer
  FILE* f = fmemopen(text.data(), size == 0 ? 1 : size, "r");
  if (!f) return 0;
  kestrel::TextLineReader reader;
  reader.Attach(f);
  unsigned long lastRow = 0;
  for (const std::string& line : kestrel::RegisterFileCommands(reader)) {
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
  std::fclose(f);
  return 0;
}
