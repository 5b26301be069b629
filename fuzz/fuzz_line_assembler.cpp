// The line assembler fed with arbitrary bytes: every queued line is shorter than
// the line buffer, holds no LF, and the overflow path recovers.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "link/camera_link_adapter.h"
#include "link/rs_port.h"
#include "protocol/cam_cmd.h"

namespace {

// Hands out the fuzz input one byte per read, like a Camera Link port would.
class ByteSource : public kestrel::CameraLinkAdapter {
 public:
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t pos = 0;
  int Open() override { return 1; }
  int SetBaudRate(int) override { return 1; }
  int Write(const uint8_t*, int, int) override { return 1; }
  int Read(uint8_t* buffer, int count, int) override {
    int n = 0;
    while (n < count && pos < size)
      buffer[n++] = data[pos++];
    return n;
  }
  int Close() override { return 1; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kestrel::Settings settings;
  settings.serialMode = 1;
  kestrel::CRsPort port;
  kestrel::SilentUserInterface ui;
  ByteSource source;
  source.data = data;
  source.size = size;
  kestrel::CCamCmd cmd(settings, port, ui, &source);
  size_t lfs = 0;
  for (size_t i = 0; i < size; ++i)
    lfs += data[i] == '\n';
  size_t lines = 0;
  while (source.pos < source.size) {
    if (cmd.ReceiveLine(0) == 1) ++lines;
    while (cmd.LineCount() > 0) {
      std::string line = cmd.PopLine();
      if (line.size() >= kestrel::CCamCmd::kLineBufferSize) __builtin_trap();
      if (line.find('\n') != std::string::npos) __builtin_trap();
    }
  }
  if (lines != lfs) __builtin_trap();
  return 0;
}
