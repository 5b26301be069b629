// Aberration files of any content: at most 112 values are read, the rest stay
// 0, and a table written back reads the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "correction/aberration.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  kestrel::AberrationTable table;
  table.fill(99);
  const int read = kestrel::ParseAberrationText(text, table);
  if (read < 0 || read > kestrel::kAberrationValues) std::abort();
  for (int i = read; i < kestrel::kAberrationValues; ++i)
    if (table[static_cast<size_t>(i)] != 0) std::abort();
  kestrel::AberrationTable again{};
  if (kestrel::ParseAberrationText(kestrel::FormatAberrationText(table), again) !=
          kestrel::kAberrationValues ||
      again != table)
    std::abort();
  return 0;
}
