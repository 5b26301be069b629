#include "service/sensor_memory.h"

#include "util/file_messages.h"
#include "util/text_file.h"
#include "util/text_scan.h"

namespace kestrel {

namespace {

constexpr int kReplyMs = 3000;

bool ParseWord(std::string_view line, uint32_t& out) {
  size_t pos = 0;
  return ScanLiteral(line, pos, "0x") && ScanHex(line, pos, out);
}

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

std::vector<std::string> SensorMemoryCommands(TextLineReader& reader, const std::string& stem,
                                              uint32_t base) {
  std::vector<std::string> lines;
  std::string line;
  for (uint32_t address = base; reader.Next(line); address += kSensorMemoryGroup) {
    uint32_t word = 0;
    if (!ParseWord(line, word)) word = 0;
    std::string command = stem + "=" + ToHex(address) + "," + ToHex(word);
    for (int k = 1; k < kSensorMemoryGroup; ++k) {
      word = 0;
      if (reader.Next(line) && !ParseWord(line, word)) word = 0;
      command += "," + ToHex(word);
    }
    lines.push_back(std::move(command));
  }
  return lines;
}

bool ParseSensorMemoryReply(std::string_view line, std::string_view stem, uint32_t& out) {
  size_t pos = 0;
  return ScanLiteral(line, pos, stem) && ScanLiteral(line, pos, "=") && ScanHex(line, pos, out);
}

int LoadSensorMemory(CCamCmd& cmd, int colourIndex, int blockIndex, const std::string& path) {
  if (!ValidIndices(colourIndex, blockIndex)) return 0;
  UserInterface& ui = cmd.Ui();
  TextLineReader reader;
  if (!reader.Open(path)) {
    ReportCannotRead(ui, path);
    return 0;
  }
  const std::vector<std::string> lines =
      SensorMemoryCommands(reader, SensorMemoryStem(colourIndex), SensorMemoryBase(blockIndex));
  ui.BeginBusy();
  for (const std::string& line : lines) {
    cmd.SendCommand(line + "\r\n", 1);
    cmd.WaitLine(1, kReplyMs);  // the reply is only logged
  }
  ui.EndBusy();
  return 1;
}

int SaveSensorMemory(CCamCmd& cmd, int colourIndex, int blockIndex, const std::string& path) {
  if (!ValidIndices(colourIndex, blockIndex)) return 0;
  UserInterface& ui = cmd.Ui();
  AtomicTextFile file;
  if (!file.Create(path)) {
    ReportCannotCreate(ui, path, file.Error());
    return 0;
  }
  ui.BeginBusy();
  const std::string stem = SensorMemoryStem(colourIndex);
  const uint32_t base = SensorMemoryBase(blockIndex);
  for (uint32_t i = 0; i < kSensorMemoryWords; ++i) {
    // Each query starts clean: a late reply never lands on the next word.
    cmd.ClearReceive();
    cmd.SendCommand(stem + "?" + ToHex(base + i) + "\r\n", 1);
    uint32_t word = 0;
    const bool ok =
        cmd.WaitLine(1, kReplyMs) == 1 && ParseSensorMemoryReply(cmd.PopLine(), stem, word);
    file.Line(ok ? "0x" + ToHex(word) : std::string(kSensorMemoryMissing));
  }
  const bool written = file.Commit();
  ui.EndBusy();
  if (!written) {
    ReportCannotWrite(ui, path, file.Error());
    return 0;
  }
  return 1;
}

int SetSensorSwitch(CCamCmd& cmd, SensorSwitch which, int on) {
  return cmd.SetInt(which == SensorSwitch::Sensor ? cmd::SNOF : cmd::STOF, on, kReplyMs);
}

int RefreshSensorSwitches(CCamCmd& cmd, int& sensor, int& trigger) {
  int value = 0;
  if (cmd.QueryInt(cmd::SNOF, value, kReplyMs, 1, 1) != 1) return 0;
  sensor = value;
  if (cmd.QueryInt(cmd::STOF, value, kReplyMs, 1, 1) == 1) trigger = value;
  return 1;
}

}  // namespace kestrel
