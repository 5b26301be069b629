// The terminal's correction text reader over arbitrary file contents: a file
// is taken as exactly 2048 pixels of three numbers, or refused with a reason.
#include <cstddef>
#include <cstdint>
#include <string>

#include "service/terminal_routines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  kestrel::ColourTables tables;
  if (!kestrel::ParseCorrectionText(text, tables).empty()) return 0;
  for (const auto& t : tables)
    if (t.size() != static_cast<size_t>(kestrel::kTerminalPixels)) __builtin_trap();
  return 0;
}
