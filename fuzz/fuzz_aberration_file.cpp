// Aberration files of any content: a table is taken whole or left alone, with
// a reason when refused, and a table written back reads the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "correction/aberration.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  kestrel::AberrationTable table;
  table.fill(99);
  const kestrel::AberrationTable untouched = table;
  if (!kestrel::ParseAberrationText(text, table).empty()) {
    if (table != untouched) std::abort();
    return 0;
  }
  kestrel::AberrationTable again{};
  if (!kestrel::ParseAberrationText(kestrel::FormatAberrationText(table), again).empty() ||
      again != table)
    std::abort();
  return 0;
}
