// The data reply collector fed with arbitrary bytes, the way the transfer
// engine feeds it: the first byte picks how many values a reply carries.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "correction/data_transfer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int count = 1 + data[0] % 3;
  int32_t values[3] = {};
  kestrel::DataReplyBuffer buffer(count);
  for (size_t i = 1; i < size; ++i) {
    if (buffer.Add(static_cast<char>(data[i]), values)) {
      // A reply that parses is complete by definition, and its values format
      // back into a line that parses to the same values.
      if (!kestrel::DataReplyComplete(buffer.Text(), count)) std::abort();
      const std::string line = kestrel::FormatDataLine("PBD", values, count);
      int32_t again[3] = {};
      if (!kestrel::ParseDataReply(line, again, count)) std::abort();
      for (int j = 0; j < count; ++j)
        if (again[j] != values[j]) std::abort();
      break;
    }
    if (buffer.Text().size() > static_cast<size_t>(kestrel::CDataTransfer::kReplyChars))
      std::abort();
  }
  return 0;
}
