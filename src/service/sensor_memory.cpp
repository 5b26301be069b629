#include "service/sensor_memory.h"

#include "base/checked_input.h"
#include "base/file_messages.h"
#include "base/text_file.h"
#include "base/text_scan.h"
#include "protocol/ack_tally.h"
#include "service/camera_file.h"

namespace kestrel {

namespace {

constexpr int kReplyMs = 3000;

bool ValidIndices(int colourIndex, int blockIndex) {
  return colourIndex >= 0 && colourIndex < kSensorMemoryColours && blockIndex >= 0 &&
         blockIndex < kSensorMemoryBlocks;
}

}  // namespace

const std::array<std::string, kSensorMemoryColours>& SensorMemoryColourItems() {
  static const std::array<std::string, kSensorMemoryColours> items = {"ALL", "RED", "GREEN",
                                                                      "BLUE"};
  return items;
}

std::string SensorMemoryStem(int colourIndex) {
  static const char* const stems[kSensorMemoryColours] = {"AMM", "AMR", "AMG", "AMB"};
  return colourIndex >= 0 && colourIndex < kSensorMemoryColours ? stems[colourIndex] : "";
}

const std::array<std::string, kSensorMemoryBlocks>& SensorMemoryBlockItems() {
  static const std::array<std::string, kSensorMemoryBlocks> items = {
      "MEMOFF0",    "MEMOFF1",    "MEMOFF2",    "MEMOFF3",    "MEMOFF4",
      "MEMCH0",     "MEMCH1",     "MEMCH2",     "MEMCH3",     "MEMCH4",
      "MEMPXDSNU0", "MEMPXDSNU1", "MEMPXDSNU2", "MEMPXDSNU3", "MEMPXSHADE0",
      "MEMPXPRNU0", "MEMPXPRNU1", "MEMPXPRNU2", "MEMPXPRNU3"};
  return items;
}

uint32_t SensorMemoryBase(int blockIndex) {
  return static_cast<uint32_t>(blockIndex) << 11;
}

std::string SensorMemoryCommands(std::string_view text, const std::string& stem, uint32_t base,
                                 std::vector<std::string>& out) {
  out.clear();
  std::vector<std::string> lines;
  const std::vector<std::string> words = InputLinesTrimmed(text);
  if (words.empty()) return "the file holds no words";
  if (words.size() % kSensorMemoryGroup != 0)
    return "the file holds " + std::to_string(words.size()) + " words, not a whole number of " +
           std::to_string(kSensorMemoryGroup) + "-word groups";
  if (words.size() > kSensorMemoryBlockWords)
    return "the file holds " + std::to_string(words.size()) + " words where a block holds " +
           std::to_string(kSensorMemoryBlockWords);
  std::string command;
  for (size_t k = 0; k < words.size(); ++k) {
    uint32_t word = 0;
    if (std::string why = CheckHexWord(words[k], word); !why.empty()) return LineLabel(k) + why;
    if (k % kSensorMemoryGroup == 0) command = stem + "=" + ToHex(base + static_cast<uint32_t>(k));
    command += "," + ToHex(word);
    if (k % kSensorMemoryGroup == kSensorMemoryGroup - 1) lines.push_back(command);
  }
  out = std::move(lines);
  return {};
}

bool ParseSensorMemoryReply(std::string_view line, std::string_view stem, uint32_t& out) {
  size_t pos = 0;
  return ScanLiteral(line, pos, stem) && ScanLiteral(line, pos, "=") && ScanLastHex(line, pos, out);
}

int LoadSensorMemory(CCamCmd& cmd, int colourIndex, int blockIndex, const std::string& path) {
  if (!ValidIndices(colourIndex, blockIndex))
    return cmd.Fail(FailureKind::BadInput, "no such colour or block");
  std::string text;
  std::vector<std::string> lines;
  if (std::string why = ReadInputFile(path, DataFileCap(kSensorMemoryBlockWords), text);
      !why.empty())
    return cmd.Fail(FailureKind::FileError, path + "\nCouldn't open this file\n" + why,
                    MsgIcon::Warning, "File Open Error");
  if (std::string why = SensorMemoryCommands(text, SensorMemoryStem(colourIndex),
                                             SensorMemoryBase(blockIndex), lines);
      !why.empty())
    return cmd.Fail(FailureKind::BadInput, path + "\n" + why + "\nNothing was sent.");
  return SendAcknowledgedLines(cmd, lines, ReplyTimeout(cmd.Config(), kReplyMs));
}

int SaveSensorMemory(CCamCmd& cmd, int colourIndex, int blockIndex, const std::string& path) {
  if (!ValidIndices(colourIndex, blockIndex))
    return cmd.Fail(FailureKind::BadInput, "no such colour or block");
  const std::string stem = SensorMemoryStem(colourIndex);
  const uint32_t base = SensorMemoryBase(blockIndex);
  auto fill = [&](AtomicTextFile& file, SavedValues& got) {
    got.values = kSensorMemoryWords;
    for (uint32_t i = 0; i < kSensorMemoryWords; ++i) {
      if (cmd.Ui().CancelRequested())
        return cmd.Fail(FailureKind::Cancelled, "Stopped after " + std::to_string(i) + " of " +
                                                    std::to_string(kSensorMemoryWords) +
                                                    " words; no file was written.");
      // Each query starts clean: a late reply never lands on the next word.
      cmd.ClearReceive();
      cmd.SendCommand(stem + "?" + ToHex(base + i) + "\r\n", 1);
      uint32_t word = 0;
      const bool ok = cmd.WaitLine(1, ReplyTimeout(cmd.Config(), kReplyMs)) == 1 &&
                      ParseSensorMemoryReply(cmd.PopLine(), stem, word);
      file.Line(ok ? "0x" + ToHex(word) : std::string(kSensorMemoryMissing));
      got.gaps += ok ? 0 : 1;
    }
    return 1;
  };
  return SaveCameraFile(cmd, path, fill, kDashGaps);
}

int SetSensorSwitch(CCamCmd& cmd, SensorSwitch which, int on) {
  return cmd.SetInt(which == SensorSwitch::Sensor ? cmd::SNOF : cmd::STOF, on,
                    ReplyTimeout(cmd.Config(), kReplyMs));
}

int RefreshSensorSwitches(CCamCmd& cmd, int& sensor, int& trigger) {
  int value = 0;
  if (cmd.QueryInt(cmd::SNOF, value, ReplyTimeout(cmd.Config(), kReplyMs)) != 1) return 0;
  sensor = value;
  if (cmd.QueryInt(cmd::STOF, value, ReplyTimeout(cmd.Config(), kReplyMs)) != 1) return 0;
  trigger = value;
  return 1;
}

}  // namespace kestrel
