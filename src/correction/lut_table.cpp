#include "correction/lut_table.h"

#include <algorithm>
#include <climits>

#include "base/checked_input.h"
#include "base/file_messages.h"
#include "base/text_file.h"
#include "base/user_interface.h"
#include "protocol/cam_cmd.h"
#include "protocol/transfer_mark.h"

namespace kestrel {

namespace {

int LutRow(int channel) {
  return channel == 0 ? cmd::LUTD1 : cmd::LUTD2;
}

}  // namespace

int ReadLutTable(CCamCmd& cmd, int channel, LutTable& table, int timeoutMs) {
  UserInterface& ui = cmd.Ui();
  CCamCmd::LinkOwner owner(cmd);
  TransferMark mark;
  if (!mark.Begin(cmd, cmd.Table()[LutRow(channel)].mnemonic)) return 0;
  ui.BeginBusy();
  int read = 0;
  for (; read < kLutEntries; ++read) {
    if (ui.CancelRequested()) {
      cmd.Fail(FailureKind::Cancelled, "Stopped after " + std::to_string(read) + " of " +
                                           std::to_string(kLutEntries) + " entries.");
      break;
    }
    int value = 0;
    if (cmd.QueryInt(LutRow(channel), value, timeoutMs) != 1) break;
    // The table is 12 bits; the graph and the files know nothing else. A
    // value beyond them is not the camera's table: no clamped stand-in.
    if (value < 0 || value > kLutMaxValue) {
      cmd.Fail(FailureKind::Unreadable, cmd.Table()[LutRow(channel)].mnemonic +
                                            ": the camera reports " + std::to_string(value) +
                                            ", outside 0 to " + std::to_string(kLutMaxValue));
      break;
    }
    table[static_cast<size_t>(read)] = value;
  }
  ui.EndBusy();
  if (read == kLutEntries) mark.Ended();
  return read;
}

int WriteLutTable(CCamCmd& cmd, int channel, const LutTable& table, int timeoutMs) {
  UserInterface& ui = cmd.Ui();
  CCamCmd::LinkOwner owner(cmd);
  TransferMark mark;
  if (!mark.Begin(cmd, cmd.Table()[LutRow(channel)].mnemonic)) return 0;
  ui.BeginBusy();
  int ok = 1;
  for (int i = 0; i < kLutEntries && ok; ++i) {
    if (ui.CancelRequested()) {
      ok = cmd.Fail(FailureKind::Cancelled, "Stopped after " + std::to_string(i) + " of " +
                                                std::to_string(kLutEntries) +
                                                " entries; the rest was not sent.");
      break;
    }
    ok = cmd.SetInt(LutRow(channel), table[static_cast<size_t>(i)], timeoutMs) == 1;
  }
  ui.EndBusy();
  if (ok) mark.Ended();
  return ok;
}

std::string FormatGammaText(const LutTable& table) {
  std::string text = "GammaData\r\n";
  for (int32_t v : table)
    text += std::to_string(v) + "\r\n";
  return text;
}

std::string ParseGammaText(std::string_view text, LutTable& table) {
  const std::vector<std::string> lines = InputLines(text);
  std::vector<int32_t> values;
  std::string why = ParseValueRows(lines, 1, 1, kLutEntries, INT32_MIN, INT32_MAX, values);
  if (why.find("more than") != std::string::npos) return "Too many data";
  if (!why.empty()) return why;
  for (int k = 0; k < kLutEntries; ++k) {
    const int32_t v = values[static_cast<size_t>(k)];
    if (v < 0 || v > kLutMaxValue)
      return "Invalid data value: Line(" + std::to_string(k) + ") : Value(" + std::to_string(v) +
             ")";
  }
  std::copy(values.begin(), values.end(), table.begin());
  return {};
}

Failure LoadGammaFile(const std::string& path, LutTable& table) {
  std::string text;
  if (std::string why = ReadInputFile(path, DataFileCap(kLutEntries), text); !why.empty())
    return Failure(FailureKind::FileError, path + "\nCouldn't open this file\n" + why,
                   MsgIcon::Stop);
  if (std::string why = ParseGammaText(text, table); !why.empty())
    return Failure(FailureKind::BadInput, why, MsgIcon::Stop);
  return {};
}

Failure SaveGammaFile(const std::string& path, const LutTable& table) {
  if (!WriteFileAtomically(path, FormatGammaText(table)))
    return Failure(FailureKind::FileError, path + "\nCouldn't open this file" + SystemReason(errno),
                   MsgIcon::Stop);
  return {};
}

}  // namespace kestrel
