// Gamma data files of any content: at most 256 entries are stored, each in
// 0..4095, entries after the last line keep their values, and a stored table
// written back reads the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "correction/lut_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  kestrel::LutTable table;
  table.fill(-7);
  const kestrel::GammaParseResult r = kestrel::ParseGammaText(text, table);
  if (r.lines < 0 || r.lines > kestrel::kLutEntries) std::abort();
  for (int i = 0; i < kestrel::kLutEntries; ++i) {
    const int32_t v = table[static_cast<size_t>(i)];
    if (i < r.lines ? (v < 0 || v > kestrel::kLutMaxValue) : v != -7) std::abort();
  }
  if (r.invalidLine >= r.lines || (r.invalidLine >= 0 && r.invalidValue <= kestrel::kLutMaxValue))
    std::abort();
  if (r.lines == kestrel::kLutEntries) {
    kestrel::LutTable again{};
    const auto back = kestrel::ParseGammaText(kestrel::FormatGammaText(table), again);
    if (back.lines != kestrel::kLutEntries || back.tooMany || again != table) std::abort();
  }
  return 0;
}
