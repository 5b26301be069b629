#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "panel/binding_table.h"
#include "protocol/cam_cmd.h"
#include "protocol/param_value.h"
#include "protocol/user_interface.h"

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
};

// One binding as the file writer sees it, in slot order.
struct BindingValue {
  uint32_t ctrlId = 0;
  int cmdIndex = -1;
  bool factory = false;
  ParamValue value;
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

 private:
  Table& table_;
};

// Bindings no setting file carries: the blemish index and position boxes of
// both sensors, user and factory, and the hidden 2TAP output port.
bool AlwaysSkippedInFiles(uint32_t ctrlId);

// The lines of a setting file: every binding in slot order in the set syntax
// without line end, skipping factory bindings unless the mode is FACTORY and
// the always-skipped ones.
std::vector<std::string> SettingFileLines(const CCamCmd& cmd,
                                          const std::vector<BindingValue>& bindings,
                                          int operatingMode);

// Writes a setting file (CR LF, atomically). When it cannot be written shows
// the path followed by "\nCouldn't open this file" titled "File Open Error";
// the old file, if any, stays whole.
bool SaveSettingFile(const std::string& path, const CCamCmd& cmd,
                     const std::vector<BindingValue>& bindings, int operatingMode,
                     UserInterface& ui);

struct ReplayResult {
  bool opened = false;
  int lines = 0;       // lines in the file
  int unresolved = 0;  // lines that named no command (each reported)
  int failed = 0;      // commands the camera rejected or did not acknowledge
  int lostAtLine = 0;  // the line (from 1) at which a lost link ended the replay; 0 none
  bool ok() const { return opened && unresolved == 0 && failed == 0; }
};

// Longest line a setting file holds; longer lines are reported, not sent.
inline constexpr size_t kMaxSettingLine = 255;

// Replays file content into the camera line by line with SetValue (3000 ms),
// storing each value into its binding when a panel is given; reports lines
// naming no command with "Unresolved command! (%s)" and runs the panel's rules
// afterwards. Progress: "Now, reading camera setting file." and k*100/N.
ReplayResult ReplaySettingText(const std::string& text, CCamCmd& cmd, SettingsPanel* panel);
// The same for a file; a file that cannot be read shows the path followed by
// "\nCouldn't open this file" titled "File Open Error" and sends nothing.
ReplayResult ReplaySettingFile(const std::string& path, CCamCmd& cmd, SettingsPanel* panel);

}  // namespace kestrel
