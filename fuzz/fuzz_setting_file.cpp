// The setting-file reader over arbitrary bytes: the check before sending and
// the replay's accounting must hold for any file a user can pick. The camera
// is offline, so every line that passes the check "succeeds" at once.
#include <cstddef>
#include <cstdint>
#include <string>

#include "link/rs_port.h"
#include "panel/setting_file.h"
#include "protocol/cam_cmd.h"

namespace {

// Counts what the replay asks the user and checks the progress it reports.
class CheckingUi : public kestrel::UserInterface, public kestrel::Reporter {
 public:
  kestrel::MsgAnswer Report(const std::string& text, kestrel::MsgIcon, kestrel::MsgButtons,
                            const std::string&) override {
    // At most the one summary of the lines that cannot be sent.
    if (text.find(" lines cannot be sent:\n") == std::string::npos || ++boxes > 1) __builtin_trap();
    return kestrel::MsgAnswer::Ok;
  }
  void SetProgressPercent(int p) override {
    if (p < last || p > 100) __builtin_trap();
    last = p;
  }
  void ShowProgress() override { last = 0; }
  int boxes = 0;
  int last = 0;
};

struct Panel : kestrel::SettingsPanel {
  int CmdId2CtrlId(int cmdIndex) override { return cmdIndex; }
  bool SetParam(int ctrlId, const kestrel::ParamValue&) override {
    if (!kestrel::CommandTable::Valid(ctrlId)) __builtin_trap();
    ++stored;
    return true;
  }
  void AfterReplay() override { ++after; }
  void RefreshFromCamera() override {}
  bool ReadParamFromCamera(int) override { __builtin_trap(); }
  int stored = 0;
  int after = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static kestrel::Settings settings = [] {
    kestrel::Settings s;
    s.offline = 1;
    return s;
  }();
  CheckingUi ui;
  static kestrel::CCamCmd cmd(settings, ui);
  cmd.SetUserInterface(ui);
  const std::string text(reinterpret_cast<const char*>(data), size);

  const kestrel::SettingFileCheck check = kestrel::CheckSettingText(cmd.Table(), text);
  Panel panel;
  const kestrel::ReplayResult r = kestrel::ReplaySettingText(text, cmd, &panel, &ui);
  if (r.lines != check.lines || r.unresolved != static_cast<int>(check.problems.size()))
    __builtin_trap();
  // The question comes only when there is a choice: bad lines beside good ones.
  const bool choice = !check.problems.empty() && !check.good.empty();
  if (ui.boxes != (choice ? 1 : 0) || r.failed != 0) __builtin_trap();
  if (check.good.empty() && !check.problems.empty()) {
    // Nothing but bad lines: nothing is sent, and the failure says why.
    if (r.sent != 0 || panel.after != 0 || !r.FailureRecorded() ||
        cmd.LastFailure().kind != kestrel::FailureKind::BadInput)
      __builtin_trap();
    return 0;
  }
  if (r.sent != static_cast<int>(check.good.size()) || panel.stored != r.sent || panel.after != 1)
    __builtin_trap();
  for (const kestrel::SettingLine& line : check.good)
    if (line.text.size() > kestrel::kMaxSetLine && line.set.value.type == kestrel::kTypeText)
      __builtin_trap();
  if (ui.last != 100) __builtin_trap();
  return 0;
}
