// The sensor memory file reader over arbitrary file contents: a refused file
// yields nothing; an accepted one a command per group of eight words, each
// carrying its address and exactly eight words, the addresses eight apart and
// within the block.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/text_scan.h"
#include "service/sensor_memory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const uint32_t base = 0x2800;
  std::vector<std::string> lines;
  if (!kestrel::SensorMemoryCommands(text, "AMB", base, lines).empty()) {
    if (!lines.empty()) __builtin_trap();
    return 0;
  }
  if (lines.empty() || lines.size() * 8 > kestrel::kSensorMemoryBlockWords) __builtin_trap();
  uint32_t address = base;
  for (const std::string& line : lines) {
    const std::string head = "AMB=" + kestrel::ToHex(address) + ",";
    if (line.compare(0, head.size(), head) != 0) __builtin_trap();
    size_t commas = 0;
    for (char c : line)
      commas += c == ',';
    if (commas != 8) __builtin_trap();
    address += 8;
  }
  return 0;
}
