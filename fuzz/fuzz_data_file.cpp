// Correction data files of any content: the reader never reads past the
// buffer, accepts exactly columns·rows numbers or says why not, and what it
// accepted writes back into a file that reads the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "correction/data_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int columns = data[0] % 2 ? 3 : 1;
  const int rows = columns == 3 ? 256 : 1024;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  std::vector<int32_t> values;
  if (!kestrel::ParseDataText(text, values, columns, rows).empty()) return 0;
  if (values.size() != static_cast<size_t>(columns * rows)) std::abort();
  std::vector<int32_t> again;
  const std::string written = kestrel::FormatDataText(values.data(), columns, rows);
  if (!kestrel::ParseDataText(written, again, columns, rows).empty() || again != values)
    std::abort();
  return 0;
}
