#include "service/memory_dump.h"

#include <algorithm>

#include "base/text_file.h"
#include "base/text_scan.h"
#include "service/camera_file.h"

namespace kestrel {

namespace {
constexpr int kDumpIdleMs = 3000;
}

std::string MemoryWriteLine(const std::string& addrText, const std::string& dataText) {
  return "WMW=&H" + addrText + ", &H" + dataText + "\r\n";
}

std::string MemoryDumpLine(const std::string& addrText, const std::string& sizeText) {
  return "DMW?&H" + addrText + ", &H" + sizeText + "\r\n";
}

void SendMemoryWrite(CCamCmd& cmd, const std::string& addrText, const std::string& dataText) {
  cmd.SendCommand(MemoryWriteLine(addrText, dataText), 1);
}

void SendMemoryDump(CCamCmd& cmd, const std::string& addrText, const std::string& sizeText) {
  cmd.SendCommand(MemoryDumpLine(addrText, sizeText), 1);
}

bool ParseDumpReply(std::string_view line, DumpWord& out) {
  size_t pos = 0;
  DumpWord w;
  if (!ScanLiteral(line, pos, "DMW=&H") || !ScanHex(line, pos, w.address) ||
      !ScanLiteral(line, pos, ", &H") || !ScanLastHex(line, pos, w.data))
    return false;
  out = w;
  return true;
}

std::string DumpRecord(int number, const DumpWord* word) {
  std::string record = std::to_string(number) + ",";
  if (!word) return record + ",,";
  return record + "&H" + ToHex(word->address) + ",&H" + ToHex(word->data) + "," +
         std::to_string(word->data);
}

DumpSplit SplitDumpReply(std::string_view line) {
  DumpSplit s;
  for (char ch : line) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == ' ') continue;
    if (c < 0x20 || c > 0x7E) break;  // not printable (in any locale)
    if (s.state == 0) {
      if (c == '=') s.state = 1;
    } else if (s.state == 1) {
      if (c == ',')
        s.state = 2;
      else
        s.field1.push_back(ch);
    } else {
      s.field2.push_back(ch);
    }
  }
  return s;
}

uint32_t DumpSplitValue(const DumpSplit& split) {
  if (split.state != 2) return 0;
  size_t pos = 0;
  uint32_t value = 0;
  if (!ScanLiteral(split.field2, pos, "&H") || !ScanHex(split.field2, pos, value)) return 0;
  return value;
}

int CollectLines(CCamCmd& cmd, int count, int idleMs) {
  const int before = cmd.LineCount();
  int got = 0;
  for (;;) {
    if (cmd.WaitLine(0, idleMs) == 0) break;
    const int now = cmd.LineCount() - before;
    // Offline, a "received" line queues nothing: there is nothing to collect.
    if (now == got) break;
    got = now;
    if (got >= count) break;
  }
  return got;
}

int DumpToFile(CCamCmd& cmd, const std::string& path, const std::string& addrText,
               const std::string& sizeText) {
  UserInterface& ui = cmd.Ui();
  size_t pos = 0;
  uint32_t requested = 0;
  if (!ScanHex(sizeText, pos, requested)) requested = 0;
  const int count = requested > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(requested);
  auto fill = [&](AtomicTextFile& file, SavedValues& got) {
    cmd.ClearReceive();
    cmd.SendCommand(MemoryDumpLine(addrText, sizeText), 1);
    ui.AppendLog("Writing...");
    file.Line(kDumpFileHeader);
    const int lines = CollectLines(cmd, count, ReplyTimeout(cmd.Config(), kDumpIdleMs));
    ui.AppendLog("Received " + std::to_string(lines) + " data");
    if (lines == 0)
      return cmd.Fail(cmd.LinkLost() ? FailureKind::Lost : FailureKind::NoAnswer,
                      "No answer from Camera! (Timeout error)\nNo word arrived for " +
                          cmd.LastCommand() + "; no file was written.");
    got.values = std::max(count, lines);
    got.gaps = std::max(count - lines, 0);
    for (int i = 1; i <= lines; ++i) {
      DumpWord word;
      const bool ok = ParseDumpReply(cmd.PopLine(), word);
      got.gaps += ok ? 0 : 1;
      file.Line(DumpRecord(i, ok ? &word : nullptr));
    }
    return 1;
  };
  if (!SaveCameraFile(cmd, path, fill, "words did not arrive whole; the file holds what came."))
    return 0;
  ui.AppendLog("Completed!!");
  return 1;
}

}  // namespace kestrel
