#include "panel/setting_file.h"

#include <algorithm>

#include "util/file_messages.h"
#include "util/text_file.h"

namespace kestrel {

namespace {

constexpr int kReplayTimeoutMs = 3000;

// The setting-file commands name a file they cannot write as they name one they
// cannot read: "Couldn't open this file", whatever step failed.
void ReportUnwritable(const std::string& path, UserInterface& ui) {
  ReportCannotRead(ui, path);
}

}  // namespace

std::vector<BindingValue> BindingValues(const BindingTable& table) {
  std::vector<BindingValue> out;
  out.reserve(static_cast<size_t>(table.Count()));
  for (int i = 0; i < table.Count(); ++i) {
    const ControlBinding& b = table.Slot(i);
    out.push_back({b.controlId, b.cmdIndex, b.factory != 0, b.current});
  }
  return out;
}

bool AlwaysSkippedInFiles(uint32_t ctrlId) {
  switch (ctrlId) {
    case 2701:  // BLMI
    case 2703:  // BLMI2
    case 2705:  // BLMP
    case 2707:  // BLMP2
    case 2719:  // BLMIF
    case 2721:  // BLMIF2
    case 2723:  // BLMPF
    case 2725:  // BLMPF2
    case 3939:  // TTO
      return true;
    default:
      return false;
  }
}

std::vector<std::string> SettingFileLines(const CCamCmd& cmd,
                                          const std::vector<BindingValue>& bindings,
                                          int operatingMode) {
  std::vector<std::string> lines;
  lines.reserve(bindings.size());
  for (const BindingValue& b : bindings) {
    if (!CommandTable::Valid(b.cmdIndex)) continue;  // an unused slot
    if (operatingMode != kModeFactory && b.factory) continue;
    if (AlwaysSkippedInFiles(b.ctrlId)) continue;
    lines.push_back(cmd.FormatSet(b.cmdIndex, b.value, false));
  }
  return lines;
}

bool SaveSettingFile(const std::string& path, const CCamCmd& cmd,
                     const std::vector<BindingValue>& bindings, int operatingMode,
                     UserInterface& ui) {
  if (!WriteFileAtomically(path, JoinCrLf(SettingFileLines(cmd, bindings, operatingMode)))) {
    ReportUnwritable(path, ui);
    return false;
  }
  return true;
}

ReplayResult ReplaySettingText(const std::string& text, CCamCmd& cmd, SettingsPanel* panel) {
  UserInterface& ui = cmd.Ui();
  ReplayResult result;
  result.opened = true;
  const std::vector<std::string> lines = SplitLines(text);
  result.lines = static_cast<int>(lines.size());

  ui.ShowProgress();
  ui.SetProgressMessage("Now, reading camera setting file.");
  for (size_t k = 0; k < lines.size(); ++k) {
    ui.SetProgressPercent(static_cast<int>(k * 100 / lines.size()));
    ui.PumpOneMessage();
    if (ui.CancelRequested()) break;  // after the command before, never inside one
    std::string line = lines[k];
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
      line.pop_back();

    ParsedLine r;
    // A longer line would reach the camera cut short; a query line ("EB?") would
    // set the value 0. Neither is sent.
    const bool resolved =
        line.size() <= kMaxSettingLine && cmd.ParseLine(line, r, 0) == 1 && r.separator == "=";
    if (!resolved) {
      ++result.unresolved;
      std::string shown =
          line.size() > kMaxSettingLine ? line.substr(0, kMaxSettingLine) + "..." : line;
      ui.MessageBox("Unresolved command! (" + shown + ")", MsgIcon::Warning);
      continue;
    }
    ParamValue value;
    value.type = r.type;
    value.intValue = r.intValue;
    value.realValue = r.realValue;
    value.textValue = r.textValue;

    // Whatever the camera answers, the panel takes the value.
    if (cmd.SetValue(r.cmdIndex, value, kReplayTimeoutMs) != 1) {
      ++result.failed;
      if (cmd.LinkLost()) {
        result.lostAtLine = static_cast<int>(k) + 1;  // the rest was never sent
        break;
      }
    }
    if (panel) {
      const int ctrlId = panel->CmdId2CtrlId(r.cmdIndex);
      if (ctrlId != -1) panel->SetParam(ctrlId, value);
    }
  }
  if (panel) panel->AfterReplay();
  ui.SetProgressPercent(100);
  ui.CloseProgress();
  return result;
}

ReplayResult ReplaySettingFile(const std::string& path, CCamCmd& cmd, SettingsPanel* panel) {
  std::string text;
  if (!ReadWholeFile(path, text)) {
    ReportCannotRead(cmd.Ui(), path);
    return {};
  }
  return ReplaySettingText(text, cmd, panel);
}

}  // namespace kestrel
