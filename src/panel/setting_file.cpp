#include "panel/setting_file.h"

#include <algorithm>

#include "base/checked_input.h"
#include "base/file_messages.h"
#include "base/text_file.h"
#include "base/translate.h"
#include "panel/connection.h"
#include "panel/set_read_back.h"
#include "protocol/ack_tally.h"

namespace kestrel {

namespace {

constexpr int kReplayTimeoutMs = 3000;

}  // namespace

std::vector<BindingValue> BindingValues(const BindingTable& table) {
  std::vector<BindingValue> out;
  out.reserve(static_cast<size_t>(table.Count()));
  for (int i = 0; i < table.Count(); ++i) {
    const ControlBinding& b = table.Slot(i);
    out.push_back({b.controlId, b.cmdIndex, b.factory != 0, b.current, b.readProblem});
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
    lines.push_back(b.readProblem.empty() ? cmd.FormatSet(b.cmdIndex, b.value, false)
                                          : "# " + b.readProblem);
  }
  return lines;
}

bool SaveSettingFile(const std::string& path, CCamCmd& cmd,
                     const std::vector<BindingValue>& bindings, int operatingMode) {
  // A file that cannot be written is named as one that cannot be read:
  // "Couldn't open this file", whatever step failed.
  if (!WriteFileAtomically(path, JoinCrLf(SettingFileLines(cmd, bindings, operatingMode))))
    return cmd.Fail(CannotRead(path, errno)) == 1;
  return true;
}

SettingFileCheck CheckSettingText(const CommandTable& table, const std::string& text) {
  SettingFileCheck check;
  const std::vector<std::string> lines = InputLines(text);
  check.lines = static_cast<int>(lines.size());
  for (size_t k = 0; k < lines.size(); ++k) {
    const size_t first = lines[k].find_first_not_of(" \t");
    if (first == std::string::npos || lines[k][first] == '#') continue;
    SettingLine line{k, lines[k], {}};
    if (std::string why = CheckSetLine(table, lines[k], line.set); !why.empty())
      check.problems.push_back(LineLabel(k) + why);
    else
      check.good.push_back(std::move(line));
  }
  return check;
}

std::string ProblemSummary(const std::vector<std::string>& problems) {
  constexpr size_t kShown = 15;
  std::string text;
  for (size_t i = 0; i < problems.size() && i < kShown; ++i)
    text += problems[i] + "\n";
  if (problems.size() > kShown)
    text += "... and " + std::to_string(problems.size() - kShown) + " more\n";
  return text;
}

ReplayResult ReplaySettingText(const std::string& text, CCamCmd& cmd, SettingsPanel* panel,
                               Reporter* asker) {
  UserInterface& ui = cmd.Ui();
  ReplayResult result;
  result.opened = true;
  const SettingFileCheck check = CheckSettingText(cmd.Table(), text);
  result.lines = check.lines;
  result.unresolved = static_cast<int>(check.problems.size());
  const int n = static_cast<int>(check.good.size());
  if (!check.problems.empty()) {
    std::string summary = std::to_string(check.problems.size()) + " of " +
                          std::to_string(check.lines) + " lines cannot be sent:\n" +
                          ProblemSummary(check.problems);
    if (n == 0) {
      cmd.Fail(FailureKind::BadInput, summary + "Nothing was sent.");
      return result;
    }
    summary += "\nSend the " + std::to_string(n) + " good lines (OK) or nothing (Cancel)?";
    if (asker && asker->Report(summary, MsgIcon::Warning, MsgButtons::OkCancel) != MsgAnswer::Ok) {
      result.cancelled = true;
      cmd.Fail(FailureKind::Cancelled, {});
      return result;
    }
  }

  CCamCmd::LinkOwner owner(cmd);
  std::vector<std::string> rejected;
  FailureKind kind = FailureKind::None;  // of the last line that failed
  std::vector<int> reread;
  int stoppedAt = 0;  // the line after which nothing more was sent
  ui.ShowProgress();
  ui.SetProgressMessage(KESTREL_TR_NOOP("Kestrel", "Applying the setting file to the camera…"));
  {
    for (const SettingLine& line : check.good) {
      ui.SetProgressPercent(result.sent * 100 / n);
      ui.PumpOneMessage();
      // After the pump: a Cancel it delivered stops before the next command.
      if (ui.CancelRequested()) {
        result.cancelled = true;
        break;
      }
      ++result.sent;
      const int ctrlId = panel ? panel->CmdId2CtrlId(line.set.cmdIndex) : -1;
      if (cmd.SetValue(line.set.cmdIndex, line.set.value, kReplayTimeoutMs) != 1 ||
          ReadBackSet(cmd, line.set.cmdIndex, line.set.value, kReplayTimeoutMs) != 1) {
        ++result.failed;
        const Failure& why = cmd.LastFailure();
        kind = why.kind;
        rejected.push_back(LineLabel(line.lineIndex) + (why.kind == FailureKind::NoAnswer
                                                            ? "no answer for " + cmd.LastCommand()
                                                            : why.text));
        if (ctrlId != -1) reread.push_back(ctrlId);
        if (cmd.LinkLost()) {
          result.lostAtLine = static_cast<int>(line.lineIndex) + 1;  // the rest was never sent
          break;
        }
        // A camera that answers neither the line nor a short probe has gone
        // silent: the rest would each wait out a time-out for nothing.
        if (why.kind == FailureKind::NoAnswer && CameraSilent(cmd)) {
          stoppedAt = static_cast<int>(line.lineIndex) + 1;
          break;
        }
        continue;
      }
      if (ctrlId != -1) panel->SetParam(ctrlId, line.set.value);
      // The camera now listens at the new speed; so must the link.
      if (line.set.cmdIndex == kestrel::cmd::CBDRT &&
          !FollowCameraSpeed(cmd, line.set.value.intValue)) {
        ++result.failed;
        kind = cmd.LastFailure().kind;
        rejected.push_back(LineLabel(line.lineIndex) + cmd.LastFailure().text);
        stoppedAt = static_cast<int>(line.lineIndex) + 1;
        break;
      }
    }
  }
  if (panel) {
    // The camera keeps what it held before a rejected line; so does the panel,
    // read afresh, so no rule computes from a value nobody holds.
    if (!cmd.LinkLost())
      for (int ctrlId : reread)
        panel->ReadParamFromCamera(ctrlId);
    panel->AfterReplay();
  }
  ui.SetProgressPercent(100);
  ui.CloseProgress();
  const std::string stopped =
      "Stopped after " + std::to_string(result.sent) + " of " + std::to_string(n) + " settings.";
  if (result.failed > 0)
    cmd.Fail(kind, std::to_string(result.failed) + " of " + std::to_string(result.sent) +
                       " settings were not accepted by the camera:\n" + ProblemSummary(rejected) +
                       (result.cancelled ? stopped : "") +
                       (stoppedAt > 0 ? StoppedAtText(stoppedAt, result.lines) : ""));
  else if (result.cancelled)
    cmd.Fail(FailureKind::Cancelled, stopped);
  return result;
}

ReplayResult ReplaySettingFile(const std::string& path, CCamCmd& cmd, SettingsPanel* panel,
                               Reporter* asker) {
  std::string text;
  if (std::string why = ReadInputFile(path, kMaxSettingFileBytes, text); !why.empty()) {
    cmd.Fail(FailureKind::FileError, path + "\nCouldn't open this file\n" + why, MsgIcon::Warning,
             "File Open Error");
    return {};
  }
  return ReplaySettingText(text, cmd, panel, asker);
}

}  // namespace kestrel
