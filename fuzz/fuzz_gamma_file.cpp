// Gamma data files of any content: a table is taken whole, every entry in
// 0..4095, or left alone with a reason; a table written back reads the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "correction/lut_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  kestrel::LutTable table;
  table.fill(-7);
  if (!kestrel::ParseGammaText(text, table).empty()) {
    for (int32_t v : table)
      if (v != -7) std::abort();
    return 0;
  }
  for (int32_t v : table)
    if (v < 0 || v > kestrel::kLutMaxValue) std::abort();
  kestrel::LutTable again{};
  if (!kestrel::ParseGammaText(kestrel::FormatGammaText(table), again).empty() || again != table)
    std::abort();
  return 0;
}
