// The line assembler fed with arbitrary bytes: every line it queues is exactly
// the text the model below expects (no byte lost, none carried into the next
// line), an over-long line is reported once per buffer it fills, and no queued
// line reaches the buffer's size or holds an LF.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "link/camera_link_adapter.h"
#include "link/rs_port.h"
#include "protocol/cam_cmd.h"

namespace {

// Hands out the fuzz input one byte per read, like a Camera Link port would.
class ByteSource : public kestrel::CameraLinkAdapter {
 public:
  std::string data;
  size_t pos = 0;
  int Open() override { return 1; }
  int SetBaudRate(int) override { return 1; }
  int Write(const uint8_t*, int, int) override { return 1; }
  int Read(uint8_t* buffer, int count, int) override {
    int n = 0;
    while (n < count && pos < data.size())
      buffer[n++] = static_cast<uint8_t>(data[pos++]);
    return n;
  }
  int Close() override { return 1; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kBuffer = kestrel::CCamCmd::kLineBufferSize;
  ByteSource source;
  kestrel::Settings settings;
  settings.serialMode = 1;
  kestrel::UserInterface ui;
  // Built before the bytes arrive: the command object starts by discarding
  // whatever is waiting on the link.
  kestrel::CCamCmd cmd(settings, ui);
  cmd.SetCameraLink(&source);
  source.data.assign(reinterpret_cast<const char*>(data), size);
  // A line still open at the end is closed here: waiting for a byte that
  // never comes costs the byte time-out and tells nothing about the bytes.
  if (!source.data.empty() && source.data.back() != '\n') source.data.push_back('\n');

  // What the assembler must make of it: each LF ends a line; a buffer that
  // fills up is reported and dropped, so a line keeps its last length % size
  // bytes; one CR before the LF is dropped.
  std::vector<std::string> expected;
  size_t expectedOverflows = 0;
  std::string current;
  for (char c : source.data) {
    if (c == '\n') {
      if (!current.empty() && current.back() == '\r') current.pop_back();
      expected.push_back(current);
      current.clear();
      continue;
    }
    current.push_back(c);
    if (current.size() == kBuffer) {
      current.clear();
      ++expectedOverflows;
    }
  }

  std::vector<std::string> lines;
  size_t overflows = 0;
  while (source.pos < source.data.size()) {
    if (cmd.ReceiveLine(0) == 0 && cmd.LastFailure().kind == kestrel::FailureKind::Unreadable) {
      if (cmd.LastFailure().text != "RS-232C receiving buffer overflowed") __builtin_trap();
      ++overflows;
      cmd.Fail(kestrel::Failure{});
    }
    while (cmd.LineCount() > 0) {
      lines.push_back(cmd.PopLine());
      if (lines.back().size() >= kBuffer) __builtin_trap();
      if (lines.back().find('\n') != std::string::npos) __builtin_trap();
    }
  }
  if (lines != expected || overflows != expectedOverflows) __builtin_trap();
  return 0;
}
