// The sensor memory file reader over arbitrary file contents: one command per
// started group of eight lines, each carrying its address and exactly eight
// words, the addresses eight apart.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "service/sensor_memory.h"
#include "util/text_scan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  text.push_back('\0');
  FILE* f = fmemopen(text.data(), size == 0 ? 1 : size, "r");
  if (!f) return 0;
  kestrel::TextLineReader reader;
  reader.Attach(f);
  const uint32_t base = 0x2800;
  uint32_t address = base;
  for (const std::string& line : kestrel::SensorMemoryCommands(reader, "AMB", base)) {
    const std::string head = "AMB=" + kestrel::ToHex(address) + ",";
    if (line.compare(0, head.size(), head) != 0) __builtin_trap();
    size_t commas = 0;
    for (char c : line)
      commas += c == ',';
    if (commas != 8) __builtin_trap();
    address += 8;
  }
  std::fclose(f);
  return 0;
}
