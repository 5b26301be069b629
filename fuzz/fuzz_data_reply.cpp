// The reply grammar over arbitrary lines, as every query and bulk read uses
// it: the first byte picks how many values a reply carries and whether the
// query named an index. A reply read whole formats back into a line that
// reads the same; nothing else ever yields values.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "correction/data_transfer.h"
#include "protocol/reply_grammar.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kestrel;
  if (size < 1) return 0;
  const int count = 1 + data[0] % 3;
  const ReplyForm form{"PBD", (data[0] & 4) ? 7 : -1, 0, count};
  const std::string line(reinterpret_cast<const char*>(data + 1), size - 1);
  int32_t values[3] = {};
  if (ReadReplyLine(line, "PBD?", form, values, nullptr) != ReplyLine::Reply) return 0;
  if (line.find("PBD") == std::string::npos || line.find('=') == std::string::npos) std::abort();
  std::string again = FormatDataLine("PBD", values, count);
  again.resize(again.size() - 2);  // the line end
  int32_t back[3] = {};
  if (ReadReplyLine(again, "PBD?", form, back, nullptr) != ReplyLine::Reply) std::abort();
  for (int j = 0; j < count; ++j)
    if (back[j] != values[j]) std::abort();
  return 0;
}
