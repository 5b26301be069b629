// Reply lines of the memory dump and of the register and sensor memory
// queries, over arbitrary bytes: the split stays within the line,
// every value read writes back into a reply that reads the same, and a record
// of the dump file is one whole line.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "base/text_scan.h"
#include "link/rs_port.h"
#include "protocol/cam_cmd.h"
#include "service/afe_register.h"
#include "service/memory_dump.h"
#include "service/sensor_memory.h"
#include "service/terminal_routines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kestrel;
  static Settings settings;
  static UserInterface ui;
  static CCamCmd cmd(settings, ui);
  const std::string line(reinterpret_cast<const char*>(data), size);

  const DumpSplit split = SplitDumpReply(line);
  if (split.state < 0 || split.state > 2) __builtin_trap();
  if (split.field1.size() + split.field2.size() > line.size()) __builtin_trap();
  if (split.state < 2 && !split.field2.empty()) __builtin_trap();
  if (split.state < 2 && DumpSplitValue(split) != 0) __builtin_trap();

  DumpWord word;
  const bool matched = ParseDumpReply(line, word);
  const std::string record = DumpRecord(1, matched ? &word : nullptr);
  if (record.find_first_of("\r\n") != std::string::npos) __builtin_trap();
  if (matched) {
    if (record !=
        "1,&H" + ToHex(word.address) + ",&H" + ToHex(word.data) + "," + std::to_string(word.data))
      __builtin_trap();
    DumpWord again;
    const std::string reply = "DMW=&H" + ToHex(word.address) + ", &H" + ToHex(word.data);
    if (!ParseDumpReply(reply, again) || again.address != word.address || again.data != word.data)
      __builtin_trap();
  } else if (record != "1,,,") {
    __builtin_trap();
  }

  uint32_t value = 0;
  for (const char* stem : {"AFR", "AFG", "AFB"}) {
    if (!ParseAfeReply(line, stem, value)) continue;
    if (std::strcmp(stem, "AFR") != 0 && value > 0xFFFF) __builtin_trap();
    uint32_t again = 0;
    if (!ParseAfeReply(std::string(stem) + "=" + ToHex(value), stem, again) || again != value)
      __builtin_trap();
  }
  if (ParseSensorMemoryReply(line, "AMR", value)) {
    uint32_t again = 0;
    if (!ParseSensorMemoryReply("AMR=" + ToHex(value), "AMR", again) || again != value)
      __builtin_trap();
  }

  const uint32_t memory = DumpSplitValue(split);
  const int32_t black = CorrectionMemoryValue(PixelCorrectionKind::Black, memory);
  if (black < -128 || black > 127 || static_cast<uint8_t>(black) != (memory & 0xFF))
    __builtin_trap();
  if (CorrectionMemoryValue(PixelCorrectionKind::Gain, memory) != static_cast<int32_t>(memory))
    __builtin_trap();
  return 0;
}
