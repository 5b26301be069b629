#include "correction/aberration.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "base/checked_input.h"
#include "base/file_messages.h"
#include "base/text_file.h"
#include "base/text_scan.h"
#include "base/user_interface.h"
#include "correction/data_transfer.h"
#include "protocol/cam_cmd.h"
#include "protocol/transfer_mark.h"

namespace kestrel {

namespace {

constexpr int kPumpCount = 25;

void Pump(UserInterface& ui) {
  for (int i = 0; i < kPumpCount; ++i)
    ui.PumpOneMessage();
}

int Row(const CCamCmd& cmd, const char* mnemonic) {
  return cmd.Table().Find(mnemonic);
}

constexpr int kBlemishEntries = 8;

const char* DetectMnemonic(BlemishColumn c) {
  static const char* const names[] = {"BLMD", "BLMD2", "BLMDF", "BLMDF2"};
  return names[static_cast<int>(c)];
}

const char* PositionMnemonic(BlemishColumn c) {
  static const char* const names[] = {"BLMP", "BLMP2", "BLMPF", "BLMPF2"};
  return names[static_cast<int>(c)];
}

int SetOrFail(CCamCmd& cmd, int row, int value, int timeoutMs) {
  if (row < 0) return cmd.Fail(FailureKind::BadInput, "Failed");
  if (cmd.SetInt(row, value, timeoutMs) == 1) return 1;
  return FailAfterExchange(cmd, "Failed");
}

}  // namespace

std::string FormatAberrationText(const AberrationTable& table) {
  std::string text = "Sens2,,,,,,\r\n";
  for (int r = 0; r < kAberrationRows; ++r) {
    for (int c = 0; c < kAberrationColumns; ++c) {
      if (c > 0) text += ',';
      text += std::to_string(table[static_cast<size_t>(r * kAberrationColumns + c)]);
    }
    text += "\r\n";
  }
  return text;
}

std::string ParseAberrationText(std::string_view text, AberrationTable& table) {
  std::vector<int32_t> values;
  std::string why = ParseValueRows(InputLines(text), 1, kAberrationColumns, kAberrationValues,
                                   INT32_MIN, INT32_MAX, values);
  if (why.empty()) std::copy(values.begin(), values.end(), table.begin());
  return why;
}

int ReadAberrationTable(CCamCmd& cmd, AberrationTable& table, int timeoutMs) {
  UserInterface& ui = cmd.Ui();
  const int row = Row(cmd, "CAB2");
  CCamCmd::LinkOwner owner(cmd);
  TransferMark mark;
  if (!mark.Begin(cmd, "CAB2")) return 0;
  ui.BeginBusy();
  for (int i = 0; i < kAberrationValues; ++i) {
    int value = 0;
    if (ui.CancelRequested()) {
      ui.EndBusy();
      return cmd.Fail(FailureKind::Cancelled, "Failed reading camera parameter");
    }
    if (cmd.QueryInt(row, value, timeoutMs) != 1) {
      ui.EndBusy();
      return FailAfterExchange(cmd, "Failed reading camera parameter");
    }
    table[static_cast<size_t>(i)] = value;
    Pump(ui);
  }
  ui.EndBusy();
  mark.Ended();
  return 1;
}

int SaveAberrationFile(CCamCmd& cmd, const std::string& path, int timeoutMs) {
  AberrationTable table{};
  if (!ReadAberrationTable(cmd, table, timeoutMs)) return 0;
  if (!WriteFileAtomically(path, FormatAberrationText(table)))
    return cmd.Fail(FailureKind::FileError, "File open error" + FileReason(path, errno));
  return 1;
}

Failure ReadAberrationFile(const std::string& path, AberrationTable& table) {
  std::string text;
  if (std::string why = ReadInputFile(path, DataFileCap(kAberrationValues), text); !why.empty())
    return Failure(FailureKind::FileError, "File open error\n" + path + ": " + why);
  if (std::string why = ParseAberrationText(text, table); !why.empty())
    return Failure(FailureKind::BadInput, path + "\n" + why + "\nNothing was sent.");
  if (std::any_of(table.begin(), table.end(),
                  [](int32_t v) { return v < kAberrationMin || v > kAberrationMax; }))
    return Failure(FailureKind::BadInput, "Invalid parameter contains");
  return {};
}

int WriteAberrationTable(CCamCmd& cmd, const AberrationTable& table, int timeoutMs) {
  UserInterface& ui = cmd.Ui();
  const int row = Row(cmd, "CAB2");
  CCamCmd::LinkOwner owner(cmd);
  TransferMark mark;
  if (!mark.Begin(cmd, "CAB2")) return 0;
  ui.BeginBusy();
  for (int i = 0; i < kAberrationValues; ++i) {
    if (ui.CancelRequested()) {
      ui.EndBusy();
      return cmd.Fail(FailureKind::Cancelled, "Failed writing camera parameter");
    }
    if (cmd.SetInt(row, table[static_cast<size_t>(i)], timeoutMs) != 1) {
      ui.EndBusy();
      return FailAfterExchange(cmd, "Failed writing camera parameter");
    }
    Pump(ui);
  }
  ui.EndBusy();
  mark.Ended();
  return 1;
}

int LoadAberrationFile(CCamCmd& cmd, const std::string& path, int timeoutMs) {
  AberrationTable table{};
  if (Failure failure = ReadAberrationFile(path, table)) return cmd.Fail(std::move(failure));
  return WriteAberrationTable(cmd, table, timeoutMs);
}

int BlemishDetect(CCamCmd& cmd, BlemishColumn column) {
  return SetOrFail(cmd, Row(cmd, DetectMnemonic(column)), 0, 10000);
}

int ReadBlemishList(CCamCmd& cmd, BlemishColumn column, std::vector<int>& positions) {
  positions.clear();
  std::string index = PositionMnemonic(column);
  index[3] = 'I';  // BLMP -> BLMI, BLMPF2 -> BLMIF2
  const int indexRow = Row(cmd, index.c_str());
  const int positionRow = Row(cmd, PositionMnemonic(column));
  if (indexRow < 0 || positionRow < 0) return cmd.Fail(FailureKind::BadInput, "Failed");
  int selected = 1;
  if (cmd.QueryInt(indexRow, selected, 3000) != 1) return FailAfterExchange(cmd, "Failed");
  int ok = 1;
  for (int i = 1; i <= kBlemishEntries && ok == 1; ++i) {
    int value = 0;
    ok = cmd.SetInt(indexRow, i, 3000) == 1 && cmd.QueryInt(positionRow, value, 3000) == 1;
    if (ok == 1) positions.push_back(value);
  }
  const Failure why = cmd.LastFailure();
  const int restored = cmd.SetInt(indexRow, selected, 3000);
  if (ok != 1) return cmd.Fail(why.kind, why.text + "\nFailed");
  return restored == 1 ? 1 : FailAfterExchange(cmd, "Failed");
}

std::string BlemishFoundText(BlemishColumn column, const std::vector<int>& positions) {
  const bool sensor2 = column == BlemishColumn::User2 || column == BlemishColumn::Factory2;
  const bool factory = column == BlemishColumn::Factory1 || column == BlemishColumn::Factory2;
  std::string text = std::string(sensor2 ? "Sensor2" : "Sensor1") +
                     (factory ? " (factory list): " : " (user list): ");
  std::vector<int> found;
  for (int p : positions)
    if (p != 0) found.push_back(p);
  if (found.empty()) return text + "the camera found no blemished pixel.";
  text += "the camera found " + (found.size() == 1
                                     ? std::string("1 blemished pixel, at ")
                                     : std::to_string(found.size()) + " blemished pixels, at ");
  for (size_t i = 0; i < found.size(); ++i) {
    if (i > 0) text += i + 1 == found.size() ? " and " : ", ";
    text += std::to_string(found[i]);
  }
  return text + ".";
}

int BlemishReadPosition(CCamCmd& cmd, BlemishColumn column, int& value) {
  const int row = Row(cmd, PositionMnemonic(column));
  return row >= 0 && cmd.QueryInt(row, value, 3000) == 1 ? 1 : 0;
}

int BlemishWritePosition(CCamCmd& cmd, BlemishColumn column, const std::string& text) {
  size_t pos = 0;
  int32_t value = 0;
  if (!ScanDec(text, pos, value)) value = 0;
  return SetOrFail(cmd, Row(cmd, PositionMnemonic(column)), value, 10000);
}

}  // namespace kestrel
