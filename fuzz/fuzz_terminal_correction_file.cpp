// The terminal's correction text reader over arbitrary file contents: at most
// 2048 pixels, tables of exactly 2048 entries, zeros past the pixels read.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "service/terminal_routines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  text.push_back('\0');
  FILE* f = fmemopen(text.data(), size == 0 ? 1 : size, "r");
  if (!f) return 0;
  kestrel::TextLineReader reader;
  reader.Attach(f);
  kestrel::ColourTables tables;
  const int n = kestrel::ReadCorrectionText(reader, tables);
  if (n < 0 || n > kestrel::kTerminalPixels) __builtin_trap();
  for (const auto& t : tables) {
    if (t.size() != static_cast<size_t>(kestrel::kTerminalPixels)) __builtin_trap();
    for (size_t i = static_cast<size_t>(n); i < t.size(); ++i)
      if (t[i] != 0) __builtin_trap();
  }
  std::fclose(f);
  return 0;
}
