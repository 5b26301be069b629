// Correction data files of any content: the reader never reads past the
// buffer, leaves zeros where the file runs short, and what it read writes back
// into a file that reads the same.
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
  std::vector<int32_t> values(static_cast<size_t>(columns * rows), 12345);
  const int read = kestrel::ParseDataText(text, values.data(), columns, rows);
  if (read < 0 || read > columns * rows) std::abort();
  for (size_t i = static_cast<size_t>(read); i < values.size(); ++i)
    if (values[i] != 0) std::abort();
  std::vector<int32_t> again(values.size(), -1);
  const std::string written = kestrel::FormatDataText(values.data(), columns, rows);
  if (kestrel::ParseDataText(written, again.data(), columns, rows) != columns * rows) std::abort();
  if (again != values) std::abort();
  return 0;
}
