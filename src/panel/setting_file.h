#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/user_interface.h"
#include "panel/binding_table.h"
#include "panel/set_line_check.h"
#include "protocol/cam_cmd.h"
#include "protocol/param_value.h"

namespace kestrel {

// What setting files and area commands need of the main panel. The panel
// implements it over its binding table; kestrelctl and tests run without one.
class SettingsPanel {
 public:
  virtual ~SettingsPanel() = default;
  // Control ID of the first binding of a command row, or -1.
  virtual int CmdId2CtrlId(int cmdIndex) = 0;
  // Stores a value into a binding's current value (the baseline stays).
  virtual bool SetParam(int ctrlId, const ParamValue& value) = 0;
  // The rules run after a replay: enable rules, controls, enable rules again,
  // the gain range, line-rate and exposure rules, the calibration status read,
  // the time displays and the new baseline.
  virtual void AfterReplay() = 0;
  // Reads every parameter from the camera into the controls.
  virtual void RefreshFromCamera() = 0;
  // Reads one binding's value from the camera into its control.
  virtual bool ReadParamFromCamera(int ctrlId) = 0;
};

// One binding as the file writer sees it, in slot order.
struct BindingValue {
  uint32_t ctrlId = 0;
  int cmdIndex = -1;
  bool factory = false;
  ParamValue value;
  std::string readProblem;  // why the value is not the camera's (ControlBinding)
};

// The bindings of the panel's table in slot order, as the writer reads them.
std::vector<BindingValue> BindingValues(const BindingTable& table);

// The panel's side of a replay and of the area commands, over its binding
// table: TablePanel<BindingTable>. (A template, so the core links without the
// table's rules where nobody uses them.)
template <typename Table>
class TablePanel : public SettingsPanel {
 public:
  explicit TablePanel(Table& table) : table_(table) {}
  int CmdId2CtrlId(int cmdIndex) override { return table_.CmdId2CtrlId(cmdIndex); }
  bool SetParam(int ctrlId, const ParamValue& value) override {
    return table_.SetParam(static_cast<uint32_t>(ctrlId), value);
  }
  void AfterReplay() override {
    table_.ApplyEnableRules();
    table_.UpdateAllControls();
    table_.ApplyEnableRules();
    table_.ApplyGainRangeRule();
    table_.ApplyLineRateRule();
    table_.ApplyExposureRule();
    table_.ReadAllCalibrationStatus();
    table_.UpdateTimeDisplays();
    table_.SaveBaseline();
  }
  void RefreshFromCamera() override { table_.RefreshFromCamera(); }
  bool ReadParamFromCamera(int ctrlId) override {
    return table_.ReadParamFromCamera(static_cast<uint32_t>(ctrlId));
  }

 private:
  Table& table_;
};

// Bindings no setting file carries: the blemish index and position boxes of
// both sensors, user and factory, and the hidden 2TAP output port.
bool AlwaysSkippedInFiles(uint32_t ctrlId);

// The lines of a setting file: every binding in slot order in the set syntax
// without line end, skipping factory bindings unless the mode is FACTORY and
// the always-skipped ones. A binding with a read problem is a comment saying
// so ("# LR: not read (...)"), never a value.
std::vector<std::string> SettingFileLines(const CCamCmd& cmd,
                                          const std::vector<BindingValue>& bindings,
                                          int operatingMode);

// Writes a setting file (CR LF, atomically). When it cannot be written the
// failure (cmd.LastFailure()) is the path followed by "\nCouldn't open this
// file" titled "File Open Error"; the old file, if any, stays whole.
[[nodiscard]] bool SaveSettingFile(const std::string& path, CCamCmd& cmd,
                                   const std::vector<BindingValue>& bindings, int operatingMode);

// A setting file checked line by line before anything is sent.
struct SettingLine {
  size_t lineIndex = 0;  // counted from 0
  std::string text;
  CheckedSet set;
};
struct SettingFileCheck {
  int lines = 0;                      // lines in the file
  std::vector<SettingLine> good;      // the lines that can be sent, in file order
  std::vector<std::string> problems;  // "line 12: \"abc\" is not a number for TGSM"
};

// Checks every line with CheckSetLine; blank lines and comments (lines whose
// first character other than a blank is "#") are skipped.
SettingFileCheck CheckSettingText(const CommandTable& table, const std::string& text);
// The problems as one message: at most a screenful of lines, then how many more.
std::string ProblemSummary(const std::vector<std::string>& problems);

struct ReplayResult {
  bool opened = false;
  int lines = 0;       // lines in the file
  int unresolved = 0;  // lines that failed the check (none of them sent)
  int sent = 0;        // lines sent
  int failed = 0;      // lines the camera rejected or did not acknowledge
  int lostAtLine = 0;  // the line (from 1) at which a lost link ended the replay; 0 none
  bool cancelled = false;
  bool ok() const { return opened && unresolved == 0 && failed == 0 && !cancelled; }
  // Whether the command object's LastFailure() holds why this replay failed:
  // lines the person agreed to leave out are no failure of their own.
  bool FailureRecorded() const {
    return !opened || failed > 0 || cancelled || (unresolved > 0 && sent == 0);
  }
};

// Replays a setting file into the camera. Every line is checked first; when
// some are bad, one summary lists them and asks `asker` whether to send the
// good lines (OK) or nothing (Cancel); without an asker the good lines go.
// Nothing but bad lines sends nothing. The good lines go with SetValue (3000 ms) under
// the progress window ("Applying the setting file to the camera…", k*100/N), which
// can cancel between two lines. A line the camera takes is stored into its
// binding; a line it rejects or leaves unanswered is counted, and its binding
// is read back from the camera instead, so the panel never keeps a value the
// camera does not hold. The panel's rules run afterwards. When
// FailureRecorded(), cmd.LastFailure() says why: the bad lines, or one
// summary naming every line that was not accepted, or where a cancel stopped
// (Cancelled; without a text when the person declined to send anything).
ReplayResult ReplaySettingText(const std::string& text, CCamCmd& cmd, SettingsPanel* panel,
                               Reporter* asker = nullptr);
// The same for a file; a file that cannot be read fails with the path
// followed by "\nCouldn't open this file" and the reason, titled "File Open
// Error", and sends nothing.
ReplayResult ReplaySettingFile(const std::string& path, CCamCmd& cmd, SettingsPanel* panel,
                               Reporter* asker = nullptr);

// Largest setting file read: far more than the 225 lines of 255 characters
// the panel writes.
inline constexpr size_t kMaxSettingFileBytes = 1 << 20;

}  // namespace kestrel
