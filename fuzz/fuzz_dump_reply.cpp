// Reply lines of the memory dump, the register and sensor memory queries and
// the pixel queries, over arbitrary bytes: the split, the patterns and the
// records written from them.
#include <cstddef>
#include <cstdint>
#include <string>

#include "link/rs_port.h"
#include "protocol/cam_cmd.h"
#include "service/afe_register.h"
#include "service/memory_dump.h"
#include "service/sensor_memory.h"
#include "service/terminal_routines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static kestrel::Settings settings;
  static kestrel::CRsPort port;
  static kestrel::SilentUserInterface ui;
  static kestrel::CCamCmd cmd(settings, port, ui);
  const std::string line(reinterpret_cast<const char*>(data), size);

  const kestrel::DumpSplit split = kestrel::SplitDumpReply(line);
  if (split.state < 0 || split.state > 2) __builtin_trap();
  if (split.field1.size() + split.field2.size() > line.size()) __builtin_trap();
  if (split.state < 2 && !split.field2.empty()) __builtin_trap();
  (void)kestrel::DumpSplitValue(split);

  kestrel::DumpWord word;
  const bool matched = kestrel::ParseDumpReply(line, word);
  const std::string record = kestrel::DumpRecord(1, matched ? &word : nullptr);
  if (record.find_first_of("\r\n") != std::string::npos) __builtin_trap();

  uint32_t value = 0;
  (void)kestrel::ParseAfeReply(line, "AFG", value);
  if (kestrel::ParseAfeReply(line, "AFB", value) && value > 0xFFFF) __builtin_trap();
  (void)kestrel::ParseSensorMemoryReply(line, "AMR", value);
  (void)kestrel::CorrectionReplyValue(cmd, line);
  for (auto kind : {kestrel::PixelCorrectionKind::Black, kestrel::PixelCorrectionKind::Gain})
    (void)kestrel::CorrectionMemoryValue(kind, kestrel::DumpSplitValue(split));
  return 0;
}
