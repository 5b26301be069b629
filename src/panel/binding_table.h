#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/user_interface.h"
#include "protocol/param_value.h"

namespace kestrel {

class CCamCmd;
class BindingView;
class UserInterface;

// Dialog control IDs the panel's rules name. The binding table is keyed on
// these numbers; the widgets carry them.
namespace ctrl {
inline constexpr uint32_t kNone = 0xFFFFFFFFu;  // an unused slot
// Lists and edits of the rules.
inline constexpr uint32_t TGSM = 2433, TR = 3032, TR2 = 1012, TG = 3075, TG2 = 2429, TI = 3096,
                          TI2 = 2430, TP = 3121, TP2 = 2431;
inline constexpr uint32_t LR = 3436, LR2 = 2434, AL = 3473, AL2 = 2437, PE = 3453, PE2 = 2440;
inline constexpr uint32_t BA = 3056, CLT = 3840, GM = 2458, GA1T1 = 3270, GA2T1 = 3307;
inline constexpr uint32_t MAV = 3647, MAVCG = 2565;  // the "Enable" check box and the lens list
inline constexpr uint32_t CABN1 = 2752, CABN2 = 2761, CABN3 = 2770;
inline constexpr uint32_t LUTC1 = 3940, LUTC2 = 3941, GMA1 = 3956, GMA2 = 3958;
inline constexpr uint32_t BLMT = 2695, BLMT2 = 2697, BLMI = 2701, BLMI2 = 2703;
inline constexpr uint32_t BLMP = 2705, BLMP2 = 2707, BLMIF = 2719, BLMIF2 = 2721;
inline constexpr uint32_t BLMPF = 2723, BLMPF2 = 2725, TTO = 3939, BYP = 3231;
// Calibration status labels.
inline constexpr uint32_t PBC = 2356, PGC = 2357, SDC = 2358, PBC2 = 2462, PGC2 = 2463, SDC2 = 2464;
// Spin buttons of the enabling rules.
inline constexpr uint32_t LRSpin = 3441, ALSpin = 3478, PESpin = 3458, LR2Spin = 2435,
                          AL2Spin = 2438, PE2Spin = 2441, GMA1Spin = 3957, GMA2Spin = 3959;
// Time display labels.
inline constexpr uint32_t LRTime = 3286, PETime = 3299, LR2Time = 2436, PE2Time = 2442;
// Buttons.
inline constexpr uint32_t AutoLineRate1 = 3497, AutoLineRate2 = 2439;
inline constexpr uint32_t ChannelBalanceShutter = 3937, ChannelBalanceGain = 3938;
inline constexpr uint32_t LutTable1 = 3942, LutTable2 = 3943;
// Layout.
inline constexpr uint32_t FactoryGroup = 3108, SeparatorUser = 2273, SeparatorFactory = 2266;
}  // namespace ctrl

// How a binding's widget looks; the Qt side builds its widgets from this.
enum class WidgetKind : int { List, SpinEdit, TextEdit, CheckBox, Label };
// Which window holds the widget.
enum class WidgetHost : int { Panel, AfeDialog, DacDialog };

// One widget bound to one command row.
struct ControlBinding {
  uint32_t controlId = ctrl::kNone;
  int cmdIndex = -1;
  bool widget = false;  // the view has a widget with this ID
  bool spin = false;    // ... and, for an edit box, a spin button
  int widgetType = 0;   // 1 edit, 2 spin, 3 list, 4 button (the check box), 0 label
  int valueKind = 0;    // 0 integer, 2 text
  int32_t minimum = 0;
  int32_t maximum = 255;
  int factory = 0;  // 1: read from the camera and written to setting files in FACTORY mode only
  ParamValue current;
  ParamValue baseline;  // the value last known to be in the camera
  // A set the camera did not acknowledge and a re-read that failed too: the
  // control shows the baseline, marked, until the next successful read.
  bool unconfirmed = false;
  // Why the control shows no value: the last read of it failed, could not be
  // read, or gave a value outside the range the panel binds ("" when it shows
  // the camera's value). Nothing is sent for it until it is read or set.
  std::string readProblem;

  // Layout, for the front end.
  WidgetKind kind = WidgetKind::Label;
  WidgetHost host = WidgetHost::Panel;
  const char* command = "";        // the command's mnemonic
  const char* group = "";          // the panel group that shows it
  const char* unit = "";           // what one step of the value is, where it has a unit
  std::vector<std::string> items;  // a list's items in index order
};

// The 225 bindings of the main panel and every rule between a user's action,
// the stored values and the camera. Owned by the panel; the tool dialogs call
// its operations too. Single-threaded, like everything on the panel.
//
// Results follow the panel's conventions: lookups give -1 and operations
// false when an ID is unknown, after the message the panel has always shown.
class BindingTable {
 public:
  static constexpr int kSlots = 226;
  static constexpr int kCount = 225;

  // Builds the table with its ranges and start values and saves the baseline,
  // so nothing counts as changed before the camera has been read.
  explicit BindingTable(CCamCmd& cmd);
  BindingTable(const BindingTable&) = delete;
  BindingTable& operator=(const BindingTable&) = delete;

  // Resolves every binding against the view's widgets, sets the spin ranges
  // and shows the current values. Pass nullptr to detach.
  void AttachView(BindingView* view);
  BindingView* View() const { return view_; }

  int Count() const { return count_; }
  const ControlBinding& Slot(int i) const { return slots_[static_cast<size_t>(i)]; }

  // Lookups.
  int CtrlId2BuffIndex(uint32_t id) const;
  int CtrlId2CmdId(uint32_t id) const;
  int CmdId2CtrlId(int cmdIndex) const;  // -1 when none, silently

  // The stored values.
  bool SetParamInt(uint32_t id, int32_t value);
  bool SetParamInt(uint32_t id, const std::string& text);
  bool SetParam(uint32_t id, const ParamValue& value);
  ParamValue GetParam(uint32_t id) const;
  int32_t GetParamInt(uint32_t id) const { return GetParam(id).intValue; }

  // Widgets <-> stored values.
  ParamValue ReadControl(uint32_t id) const;
  void UpdateControl(uint32_t id, const ParamValue& value);
  void UpdateAllControls();

  // Camera traffic.
  bool SendEditBoxValue(uint32_t id);
  // Sends every binding whose value differs from its baseline, in slot order;
  // stops at the first failure. Returns false when a set failed. No control
  // is left showing a value the camera did not take: the failed one shows
  // what the camera holds (read back; when that fails too, the last value it
  // confirmed, marked unconfirmed), the changed ones after it, which were not
  // sent, their baseline.
  bool SendChangedParams();
  void SaveBaseline();
  bool ReadParamFromCamera(uint32_t id);
  // Reads every binding the mode covers. A query that fails or cannot be
  // read leaves the control without a value, marked with the reason, and so
  // does a value outside the range the panel binds for the row (kept as the
  // camera said it); ReadSummary() says "N of M parameters could not be read".
  // Returns the number of queries that failed.
  int ReadAllParams();
  // The bindings the last ReadAllParams covered, and how many of them could
  // not be read; "N of M parameters could not be read" (and how many lie
  // outside the panel's range) when any, else "".
  int ReadCount() const { return readCount_; }
  int ReadFailures() const { return readFailures_; }
  const std::string& ReadSummary() const { return readSummary_; }
  void RefreshFromCamera();

  // Rules.
  void ApplyEnableRules();
  void ApplyGainRangeRule();
  void ApplyLineRateRule();
  void ApplyExposureRule();
  void UpdateTimeDisplays();
  // Calibration status labels by number: 0 SDC, 1 PGC, 2 PBC, 3 SDC2, 4 PGC2, 5 PBC2.
  bool ReadCalibrationStatus(int label);
  // All six, in the order PBC, PGC, SDC, PBC2, PGC2, SDC2.
  void ReadAllCalibrationStatus();

  // Notifications from the widgets: the change chains.
  void OnSelectionChanged(uint32_t id);
  // A spin step before the spin moves. Returns true when the panel handled it
  // (the new position has been shown); false leaves the step to the widget.
  bool OnSpinDelta(uint32_t editId, int delta);
  // An edit box lost the focus, or Enter was pressed in it.
  enum class Commit { FocusLoss, Enter };
  void OnEditCommitted(uint32_t id, Commit how);
  void OnCheckToggled(uint32_t id, bool checked);

  // The automatic line-rate and channel-balance buttons (IDs AutoLineRate1,
  // AutoLineRate2, ChannelBalanceShutter, ChannelBalanceGain). Returns true
  // when the camera completed the command.
  bool RunAutoCommand(uint32_t buttonId);

  CCamCmd& Cmd() const { return cmd_; }
  // Who is told, in the middle of a change chain, what went wrong (a set the
  // camera refused, a value that is not a number) and when an automatic
  // command completed: the panel's window. Nobody until one is set.
  void SetReporter(Reporter& reporter) { reporter_ = &reporter; }

 private:
  ControlBinding* Find(uint32_t id);
  const ControlBinding* Find(uint32_t id) const;
  UserInterface& Ui() const;
  void ReportSetFailure();
  bool FactoryMode() const;
  int ListIndex(uint32_t id) const;  // a list's selection as the rules read it
  void Enable(uint32_t id, bool on);
  void SetRange(uint32_t id, int32_t minimum, int32_t maximum);
  void ClampAndShow(uint32_t id);
  void AfterChange(bool enableRules);
  // After a set the camera did not acknowledge.
  void ShowCameraValue(ControlBinding& b);
  void SetConfirmed(ControlBinding& b);
  void SetReadProblem(ControlBinding& b, std::string why);

  CCamCmd& cmd_;
  SilentReporter nobody_;
  Reporter* reporter_ = &nobody_;
  BindingView* view_ = nullptr;
  std::array<ControlBinding, kSlots> slots_;
  int count_ = 0;
  int readCount_ = 0;
  int readFailures_ = 0;
  std::string readSummary_;
};

}  // namespace kestrel
