#include "correction/lut_table.h"

#include <algorithm>
#include <climits>

#include "protocol/cam_cmd.h"
#include "protocol/user_interface.h"
#include "util/file_messages.h"
#include "util/text_file.h"

namespace kestrel {

namespace {

constexpr int kChunk = 126;  // the longest piece of a line read at once

int LutRow(int channel) {
  return channel == 0 ? cmd::LUTD1 : cmd::LUTD2;
}

// Splits text the way a line reader with a 127-byte buffer does: up to and
// including a line end, at most 126 characters. CR LF counts as one line end.
class ChunkReader {
 public:
  explicit ChunkReader(std::string_view text) : text_(text) {}
  bool Next(std::string_view& out) {
    if (pos_ >= text_.size()) return false;
    size_t taken = 0;
    size_t end = pos_;
    while (end < text_.size() && taken < kChunk) {
      if (text_[end] == '\n') {
        ++end;
        break;
      }
      if (text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n') {
        end += 2;
        break;
      }
      ++end;
      ++taken;
    }
    out = text_.substr(pos_, end - pos_);
    pos_ = end;
    return true;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

}  // namespace

int ReadLutTable(CCamCmd& cmd, int channel, LutTable& table, int timeoutMs) {
  UserInterface& ui = cmd.Ui();
  ui.BeginBusy();
  int read = 0;
  for (; read < kLutEntries; ++read) {
    int value = 0;
    if (cmd.QueryInt(LutRow(channel), value, timeoutMs, 0, 1) != 1) break;
    // The table is 12 bits; the graph and the files know nothing else.
    table[static_cast<size_t>(read)] = std::clamp(value, 0, kLutMaxValue);
  }
  ui.EndBusy();
  return read;
}

int WriteLutTable(CCamCmd& cmd, int channel, const LutTable& table, int timeoutMs) {
  UserInterface& ui = cmd.Ui();
  ui.BeginBusy();
  int ok = 1;
  for (int i = 0; i < kLutEntries && ok; ++i)
    ok = cmd.SetInt(LutRow(channel), table[static_cast<size_t>(i)], timeoutMs) == 1;
  ui.EndBusy();
  return ok;
}

std::string FormatGammaText(const LutTable& table) {
  std::string text = "GammaData\r\n";
  for (int32_t v : table)
    text += std::to_string(v) + "\r\n";
  return text;
}

GammaParseResult ParseGammaText(std::string_view text, LutTable& table) {
  GammaParseResult result;
  ChunkReader reader(text);
  std::string_view line;
  if (!reader.Next(line)) return result;  // the header, whatever it holds
  for (int k = 0; reader.Next(line); ++k) {
    if (k >= kLutEntries) {
      result.tooMany = true;
      break;
    }
    int64_t value = 0;
    for (char c : line)
      if (c >= '0' && c <= '9') value = std::min<int64_t>(value * 10 + (c - '0'), INT32_MAX);
    if (value > kLutMaxValue && result.invalidLine < 0) {
      result.invalidLine = k;
      result.invalidValue = static_cast<int32_t>(value);
    }
    table[static_cast<size_t>(k)] = static_cast<int32_t>(std::min<int64_t>(value, kLutMaxValue));
    result.lines = k + 1;
  }
  return result;
}

int LoadGammaFile(UserInterface& ui, const std::string& path, LutTable& table) {
  std::string text;
  if (!ReadWholeFile(path, text)) {
    ui.MessageBox(path + "\nCouldn't open this file" + SystemReason(errno), MsgIcon::Stop);
    return 0;
  }
  const GammaParseResult r = ParseGammaText(text, table);
  if (r.invalidLine >= 0)
    ui.MessageBox("Invalid data value: Line(" + std::to_string(r.invalidLine) + ") : Value(" +
                      std::to_string(r.invalidValue) + ")",
                  MsgIcon::Stop);
  if (r.tooMany) {
    ui.MessageBox("Too many data", MsgIcon::Stop);
    return 0;
  }
  return 1;
}

int SaveGammaFile(UserInterface& ui, const std::string& path, const LutTable& table) {
  if (!WriteFileAtomically(path, FormatGammaText(table))) {
    ui.MessageBox(path + "\nCouldn't open this file" + SystemReason(errno), MsgIcon::Stop);
    return 0;
  }
  return 1;
}

}  // namespace kestrel
