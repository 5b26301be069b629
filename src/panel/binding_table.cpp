#include "panel/binding_table.h"

#include <algorithm>
#include <climits>

#include "base/checked_input.h"
#include "base/settings.h"
#include "base/translate.h"
#include "base/user_interface.h"
#include "panel/binding_layout.h"
#include "panel/binding_view.h"
#include "panel/connection.h"
#include "panel/set_line_check.h"
#include "panel/set_read_back.h"
#include "protocol/ack_tally.h"
#include "protocol/cam_cmd.h"

namespace kestrel {

namespace {

constexpr int kQueryMs = 3000;
constexpr int kSetMs = 3000;

// Blemish position boxes: written by their own buttons, never by the change chains.
bool IsBlemishPosition(uint32_t id) {
  return id == ctrl::BLMP || id == ctrl::BLMP2 || id == ctrl::BLMPF || id == ctrl::BLMPF2;
}

int WidgetTypeOf(WidgetKind kind) {
  switch (kind) {
    case WidgetKind::SpinEdit:
    case WidgetKind::TextEdit:
      return 1;
    case WidgetKind::List:
      return 3;
    case WidgetKind::CheckBox:
      return 4;
    case WidgetKind::Label:
      return 0;
  }
  return 0;
}

bool Changed(const ControlBinding& b) {
  return b.valueKind == kTypeText ? b.current.textValue != b.baseline.textValue
                                  : b.current.intValue != b.baseline.intValue;
}

}  // namespace

BindingTable::BindingTable(CCamCmd& cmd) : cmd_(cmd) {
  const std::vector<BindingDef>& layout = BindingLayout();
  const CommandTable& commands = cmd_.Table();
  for (size_t i = 0; i < layout.size() && i < kSlots; ++i) {
    const BindingDef& def = layout[i];
    ControlBinding& b = slots_[i];
    b.controlId = def.controlId;
    const int first = commands.Find(def.command);
    b.cmdIndex = first < 0 ? -1 : first + def.lensIndex;
    b.kind = def.kind;
    b.host = def.host;
    b.command = def.command.c_str();
    b.group = def.group;
    b.unit = UnitOf(def.command);
    b.items = def.items;
    b.widgetType = WidgetTypeOf(def.kind);
  }
  count_ = static_cast<int>(std::min<size_t>(layout.size(), kCount));

  for (int i = 0; i < count_; ++i) {
    ControlBinding& b = slots_[static_cast<size_t>(i)];
    const BindingDef& def = layout[static_cast<size_t>(i)];
    if (def.kind == WidgetKind::TextEdit) b.valueKind = kTypeText;
    b.minimum = def.minimum;
    b.maximum = def.maximum;
    b.factory = def.factory ? 1 : 0;
    if (b.valueKind == kTypeText)
      b.current.textValue.clear();
    else
      b.current.intValue = def.start;
  }
  SaveBaseline();
}

UserInterface& BindingTable::Ui() const {
  return cmd_.Ui();
}

void BindingTable::ReportSetFailure() {
  // A set the camera refused, or a device that went away, is told in the
  // system's words; one left unanswered shows on the control itself.
  const Failure& why = cmd_.LastFailure();
  if (why.kind != FailureKind::NoAnswer)
    reporter_->Report(why.text, why.icon, MsgButtons::Ok, why.caption);
}

bool BindingTable::FactoryMode() const {
  return cmd_.Config().operatingMode == kModeFactory;
}

ControlBinding* BindingTable::Find(uint32_t id) {
  for (int i = 0; i < count_; ++i)
    if (slots_[static_cast<size_t>(i)].controlId == id) return &slots_[static_cast<size_t>(i)];
  return nullptr;
}

const ControlBinding* BindingTable::Find(uint32_t id) const {
  return const_cast<BindingTable*>(this)->Find(id);
}

// ---------------------------------------------------------------- lookups

int BindingTable::CtrlId2BuffIndex(uint32_t id) const {
  if (const ControlBinding* b = Find(id)) return static_cast<int>(b - slots_.data());
  reporter_->Report("Unexpected error occurred in CtrlId2BuffIndex().", MsgIcon::Warning);
  return -1;
}

int BindingTable::CtrlId2CmdId(uint32_t id) const {
  if (const ControlBinding* b = Find(id)) return b->cmdIndex;
  reporter_->Report("Unexpected error occurred in CtrlId2CmdId().", MsgIcon::Warning);
  return -1;
}

int BindingTable::CmdId2CtrlId(int cmdIndex) const {
  if (cmdIndex < 0) return -1;
  for (int i = 0; i < count_; ++i) {
    const ControlBinding& b = slots_[static_cast<size_t>(i)];
    if (b.cmdIndex == cmdIndex) return static_cast<int>(b.controlId);
  }
  return -1;
}

// ---------------------------------------------------------------- values

bool BindingTable::SetParamInt(uint32_t id, int32_t value) {
  ControlBinding* b = Find(id);
  if (!b) {
    reporter_->Report("Unexpected error occurred in SetParamInt().", MsgIcon::Warning);
    return false;
  }
  b->current.intValue = value;
  return true;
}

bool BindingTable::SetParamInt(uint32_t id, const std::string& text) {
  ControlBinding* b = Find(id);
  if (!b) {
    reporter_->Report("Unexpected error occurred in SetParamInt().", MsgIcon::Warning);
    return false;
  }
  b->current.textValue = text;
  return true;
}

bool BindingTable::SetParam(uint32_t id, const ParamValue& value) {
  ControlBinding* b = Find(id);
  if (!b) {
    reporter_->Report("Unexpected error occurred in SetParam().", MsgIcon::Warning);
    return false;
  }
  b->current = value;
  return true;
}

ParamValue BindingTable::GetParam(uint32_t id) const {
  if (const ControlBinding* b = Find(id)) return b->current;
  reporter_->Report("Unexpected error occurred in GetParam().", MsgIcon::Warning);
  return slots_[0].current;
}

// ---------------------------------------------------------------- widgets

ParamValue BindingTable::ReadControl(uint32_t id) const {
  const ControlBinding* b = Find(id);
  ParamValue v;
  if (!b) return v;
  // Without a widget the stored value is the best answer: kestrelctl and the
  // tests run the rules without windows.
  if (!view_ || !b->widget) return b->current;
  switch (b->kind) {
    case WidgetKind::List:
      v.intValue = view_->Selection(id);
      break;
    case WidgetKind::SpinEdit:
      v.intValue = view_->SpinPosition(id);
      break;
    case WidgetKind::TextEdit:
      v.type = kTypeText;
      v.textValue = view_->Text(id);
      break;
    case WidgetKind::CheckBox:
      v.intValue = view_->Checked(id) ? 1 : 0;
      break;
    case WidgetKind::Label:
      break;
  }
  return v;
}

int BindingTable::ListIndex(uint32_t id) const {
  return ReadControl(id).intValue;
}

void BindingTable::UpdateControl(uint32_t id, const ParamValue& value) {
  const ControlBinding* b = Find(id);
  if (!b || !view_ || !b->widget || !b->readProblem.empty()) return;
  switch (b->kind) {
    case WidgetKind::List:
      view_->SetSelection(id, value.intValue);
      break;
    case WidgetKind::SpinEdit:
      if (b->spin)
        view_->SetSpinPosition(id, value.intValue);
      else
        view_->SetText(id, std::to_string(value.intValue));
      break;
    case WidgetKind::TextEdit:
      view_->SetText(id, value.textValue);
      break;
    case WidgetKind::CheckBox:
      view_->SetChecked(id, value.intValue == 1);
      break;
    case WidgetKind::Label:
      break;
  }
}

void BindingTable::UpdateAllControls() {
  for (int i = 0; i < count_; ++i) {
    const ControlBinding& b = slots_[static_cast<size_t>(i)];
    UpdateControl(b.controlId, b.current);
  }
}

void BindingTable::AttachView(BindingView* view) {
  view_ = view;
  for (int i = 0; i < count_; ++i) {
    ControlBinding& b = slots_[static_cast<size_t>(i)];
    b.widget = view_ && view_->HasControl(b.controlId);
    b.spin = b.widget && b.kind == WidgetKind::SpinEdit && view_->HasSpin(b.controlId);
    if (b.spin) view_->SetSpinRange(b.controlId, b.minimum, b.maximum);
  }
  UpdateAllControls();
}

void BindingTable::Enable(uint32_t id, bool on) {
  if (view_) view_->SetEnabled(id, on);
}

void BindingTable::SetRange(uint32_t id, int32_t minimum, int32_t maximum) {
  ControlBinding* b = Find(id);
  if (!b) return;
  b->minimum = minimum;
  b->maximum = maximum;
  if (view_ && b->spin) view_->SetSpinRange(id, minimum, maximum);
}

// Clamps the stored value into the binding's range and shows the result.
void BindingTable::ClampAndShow(uint32_t id) {
  ControlBinding* b = Find(id);
  if (!b || !b->readProblem.empty()) return;  // a value nobody knows is not clamped
  b->current.intValue = std::clamp(b->current.intValue, b->minimum, b->maximum);
  UpdateControl(id, b->current);
}

// ---------------------------------------------------------------- traffic

bool BindingTable::SendEditBoxValue(uint32_t id) {
  ControlBinding* b = Find(id);
  if (!b) {
    CtrlId2BuffIndex(id);
    return false;
  }
  if (!b->widget || !view_) {
    reporter_->Report("Invalid handle was detected in SendEditBoxValue().", MsgIcon::Warning);
    return false;
  }
  if (IsBlemishPosition(id)) return false;
  // Only edit boxes commit text: the text of a list ("Shutter sel") would read
  // as 0 and silently select its first item.
  if (b->kind != WidgetKind::SpinEdit && b->kind != WidgetKind::TextEdit) return false;
  const std::string text = view_->Text(id);
  // An empty box of a value never read: nothing was typed, nothing goes.
  if (!b->readProblem.empty() && text.empty()) return false;
  // A text the camera could not take whole, or a number with anything else
  // in it, is refused: the box shows the stored value again and nothing is
  // sent. A number outside the limits is clamped to them, as the spin is.
  std::string why;
  int32_t value = 0;
  if (b->valueKind == kTypeText) {
    CheckedSet set;
    why =
        CheckSetLine(cmd_.Table(), cmd_.FormatSet(b->cmdIndex, ParamValue::Text(text), false), set);
  } else {
    why = CheckDecimal(text, INT32_MIN, INT32_MAX, b->command, value);
  }
  if (!why.empty()) {
    UpdateControl(id, b->current);
    reporter_->Report(why, MsgIcon::Warning);
    return false;
  }
  if (b->valueKind == kTypeText) {
    SetParamInt(id, text);
  } else {
    SetParamInt(id, std::clamp(value, b->minimum, b->maximum));
    // The box always shows the number that was stored, also after clamping,
    // and the spin moves to it, so the next arrow steps from there.
    UpdateControl(id, b->current);
  }
  AfterChange(true);
  return true;
}

// The tail every change chain shares.
void BindingTable::AfterChange(bool enableRules) {
  if (enableRules) ApplyEnableRules();
  SendChangedParams();
  SaveBaseline();
  ApplyGainRangeRule();
  ApplyLineRateRule();
  ApplyExposureRule();
  UpdateTimeDisplays();
}

bool BindingTable::SendChangedParams() {
  for (int i = 0; i < count_; ++i) {
    ControlBinding& b = slots_[static_cast<size_t>(i)];
    if (b.cmdIndex < 0 || !Changed(b) || !b.readProblem.empty()) continue;
    if (cmd_.SetValue(b.cmdIndex, b.current, kSetMs) == 1 &&
        ReadBackSet(cmd_, b.cmdIndex, b.current, kQueryMs) == 1) {
      SetConfirmed(b);
      // A note of an earlier failure is old news once a value went through.
      if (view_) view_->ReportStatus({});
      continue;
    }
    ReportSetFailure();
    ShowCameraValue(b);
    // The walk ends here: what the later bindings hold was never sent.
    for (int j = i + 1; j < count_; ++j) {
      ControlBinding& later = slots_[static_cast<size_t>(j)];
      if (later.cmdIndex < 0 || !Changed(later)) continue;
      later.current = later.baseline;
      UpdateControl(later.controlId, later.current);
    }
    return false;
  }
  return true;
}

void BindingTable::SetReadProblem(ControlBinding& b, std::string why) {
  if (why.empty() && b.readProblem.empty()) return;
  b.readProblem = std::move(why);
  if (view_ && b.widget) view_->SetReadProblem(b.controlId, b.readProblem);
}

void BindingTable::SetConfirmed(ControlBinding& b) {
  SetReadProblem(b, {});
  if (!b.unconfirmed) return;
  b.unconfirmed = false;
  if (view_ && b.widget) view_->SetUnconfirmed(b.controlId, false);
}

void BindingTable::ShowCameraValue(ControlBinding& b) {
  auto text = [&b](const ParamValue& v) {
    return b.valueKind == kTypeText ? "\"" + v.textValue + "\"" : std::to_string(v.intValue);
  };
  const std::string sent = text(b.current);
  ParamValue held;
  std::string report = "The camera did not take " + std::string(b.command) + " = " + sent;
  if (*b.group) report += " (" + std::string(b.group) + ")";
  if (cmd_.QueryValue(b.cmdIndex, held, kQueryMs) == 1) {
    b.current = held;
    b.baseline = held;
    SetConfirmed(b);
    report += "; it keeps " + text(held) + ".";
  } else {
    b.current = b.baseline;
    b.unconfirmed = true;
    if (view_ && b.widget) view_->SetUnconfirmed(b.controlId, true);
    report += " nor answer when asked again; showing " + text(b.baseline) +
              ", the value it last confirmed.";
  }
  UpdateControl(b.controlId, b.current);
  if (view_) view_->ReportStatus(report);
}

void BindingTable::SaveBaseline() {
  for (int i = 0; i < count_; ++i) {
    ControlBinding& b = slots_[static_cast<size_t>(i)];
    b.baseline = b.current;
  }
}

bool BindingTable::ReadParamFromCamera(uint32_t id) {
  const int row = CtrlId2CmdId(id);
  if (row < 0) return false;
  ParamValue v;
  if (cmd_.QueryValue(row, v, kQueryMs) != 1) return false;
  SetParam(id, v);
  UpdateControl(id, v);
  if (ControlBinding* b = Find(id)) SetConfirmed(*b);
  return true;
}

namespace {

// "LR: not read (unreadable reply "LR=abc" for LR?)", on one line.
std::string NotRead(const ControlBinding& b, const std::string& why) {
  return std::string(b.command) + ": not read (" + why.substr(0, why.find('\n')) + ")";
}

}  // namespace

int BindingTable::ReadAllParams() {
  UserInterface& ui = Ui();
  ui.ShowProgress();
  ui.SetProgressMessage(KESTREL_TR_NOOP("Kestrel", "Reading the camera's settings…"));
  const bool factory = FactoryMode();
  int failed = 0;
  int outside = 0;
  readCount_ = 0;
  for (int i = 0; i < count_; ++i)
    readCount_ += (factory || !slots_[static_cast<size_t>(i)].factory) ? 1 : 0;
  for (int i = 0; i < count_; ++i) {
    ControlBinding& b = slots_[static_cast<size_t>(i)];
    if (!factory && b.factory) continue;
    if (ui.CancelRequested()) {
      // The values not read yet stay what they were; say so.
      if (view_)
        view_->ReportStatus(std::string("Reading the camera was cancelled: ") +
                            (*b.group
                                 ? "the controls from the " + std::string(b.group) + " group on"
                                 : std::string("some controls")) +
                            " still show the values read before.");
      break;
    }
    ParamValue v;
    if (b.cmdIndex >= 0 && cmd_.QueryValue(b.cmdIndex, v, kQueryMs) == 1) {
      b.current = v;
      SetConfirmed(b);
      if (std::string why = OutsideBoundRange(b.command, b.cmdIndex, v); !why.empty()) {
        ++outside;
        SetReadProblem(b, std::move(why));
      }
    } else {
      ++failed;
      SetReadProblem(b, NotRead(b, b.cmdIndex >= 0 ? cmd_.LastFailure().text : "no command"));
      // A device that went away, or a camera that answers neither this query
      // nor a short probe, answers nothing more: the rest count as unread at
      // once instead of one time-out each.
      const bool silent = cmd_.LastFailure().kind == FailureKind::NoAnswer && CameraSilent(cmd_);
      if (cmd_.LinkLost() || silent) {
        const std::string why =
            cmd_.LinkLost() ? cmd_.LostText() : "not asked: the camera fell silent";
        for (int j = i + 1; j < count_; ++j) {
          ControlBinding& later = slots_[static_cast<size_t>(j)];
          if (!factory && later.factory) continue;
          ++failed;
          SetReadProblem(later, NotRead(later, why));
        }
        break;
      }
    }
    ui.SetProgressPercent(i * 100 / (count_ + 2));
    ui.PumpOneMessage();
  }
  ui.SetProgressPercent(100);
  ui.CloseProgress();
  readFailures_ = failed;
  readSummary_.clear();
  const std::string of = " of " + std::to_string(readCount_) + " parameters ";
  if (failed > 0) readSummary_ = std::to_string(failed) + of + "could not be read";
  if (outside > 0)
    readSummary_ += failed > 0 ? "; " + std::to_string(outside) + " lie outside the panel's range"
                               : std::to_string(outside) + of + "lie outside the panel's range";
  if (view_) view_->ActivatePanel();
  return failed;
}

void BindingTable::RefreshFromCamera() {
  ApplyEnableRules();
  ReadAllParams();
  UpdateAllControls();
  SaveBaseline();
  SendChangedParams();
  SaveBaseline();
  UpdateAllControls();
  ApplyEnableRules();
  ApplyGainRangeRule();
  ApplyLineRateRule();
  ApplyExposureRule();
  ReadAllCalibrationStatus();
  UpdateTimeDisplays();
}

// ---------------------------------------------------------------- rules

void BindingTable::ApplyEnableRules() {
  const bool internal1 = ListIndex(ctrl::TG) == 0;
  for (uint32_t id :
       {ctrl::LR, ctrl::LRSpin, ctrl::LRTime, ctrl::AL, ctrl::ALSpin, ctrl::AutoLineRate1})
    Enable(id, internal1);

  const bool shutter1 = ListIndex(ctrl::TR) == 1;
  for (uint32_t id : {ctrl::PE, ctrl::PESpin, ctrl::PETime})
    Enable(id, shutter1);

  const bool async = ListIndex(ctrl::TGSM) == 1;
  Enable(ctrl::CLT, !async);
  for (uint32_t id : {ctrl::TR2, ctrl::TG2, ctrl::TI2, ctrl::TP2})
    Enable(id, async);
  const bool internal2 = async && ListIndex(ctrl::TG2) == 0;
  for (uint32_t id :
       {ctrl::LR2, ctrl::LR2Spin, ctrl::LR2Time, ctrl::AL2, ctrl::AL2Spin, ctrl::AutoLineRate2})
    Enable(id, internal2);

  const bool shutter2 = ListIndex(async ? ctrl::TR2 : ctrl::TR) == 1;
  for (uint32_t id : {ctrl::PE2, ctrl::PE2Spin, ctrl::PE2Time, ctrl::ChannelBalanceShutter})
    Enable(id, shutter2);

  Enable(ctrl::TGSM, ListIndex(ctrl::CLT) != 0);

  struct Lut {
    uint32_t mode, gamma, spin, table;
  };
  for (const Lut& l : {Lut{ctrl::LUTC1, ctrl::GMA1, ctrl::GMA1Spin, ctrl::LutTable1},
                       Lut{ctrl::LUTC2, ctrl::GMA2, ctrl::GMA2Spin, ctrl::LutTable2}}) {
    const int mode = ListIndex(l.mode);
    Enable(l.gamma, mode == 1);
    Enable(l.spin, mode == 1);
    Enable(l.table, mode == 2);
  }

  Enable(ctrl::MAVCG, ReadControl(ctrl::MAV).intValue == 1);
}

void BindingTable::ApplyGainRangeRule() {
  const bool individual = ListIndex(ctrl::GM) == 1;
  SetRange(ctrl::GA1T1, 0, 308);
  if (individual)
    SetRange(ctrl::GA2T1, 0, 308);
  else
    SetRange(ctrl::GA2T1, -84, 84);
  ClampAndShow(ctrl::GA1T1);
  ClampAndShow(ctrl::GA2T1);
  SendChangedParams();
  SaveBaseline();
}

void BindingTable::ApplyLineRateRule() {
  for (uint32_t id : {ctrl::LR, ctrl::LR2}) {
    SetRange(id, 170, 13340);
    ClampAndShow(id);
  }
  SendChangedParams();
  SaveBaseline();
}

void BindingTable::ApplyExposureRule() {
  SetRange(ctrl::PE, 136, 13306);
  ClampAndShow(ctrl::PE);
  SendChangedParams();
  SaveBaseline();
}

void BindingTable::UpdateTimeDisplays() {
  if (!view_) return;
  const int32_t lr = GetParamInt(ctrl::LR), lr2 = GetParamInt(ctrl::LR2);
  const int tr = GetParamInt(ctrl::TR), tg = GetParamInt(ctrl::TG);
  // A time computed from a value the camera did not report is not shown.
  auto shown = [this](std::initializer_list<uint32_t> ids, std::string text) {
    for (uint32_t id : ids)
      if (const ControlBinding* b = Find(id); b && !b->readProblem.empty()) return std::string();
    return text;
  };
  view_->SetText(ctrl::LRTime, shown({ctrl::LR}, TimeText(lr)));
  view_->SetText(ctrl::PETime, shown({ctrl::PE, ctrl::LR, ctrl::TR, ctrl::TG},
                                     ExposureText(GetParamInt(ctrl::PE), lr, tr, tg)));
  view_->SetText(ctrl::LR2Time, shown({ctrl::LR2}, TimeText(lr2)));
  const bool async = GetParamInt(ctrl::TGSM) == 1;
  view_->SetText(ctrl::PE2Time,
                 async ? shown({ctrl::PE2, ctrl::LR2, ctrl::TR2, ctrl::TG2, ctrl::TGSM},
                               ExposureText(GetParamInt(ctrl::PE2), lr2, GetParamInt(ctrl::TR2),
                                            GetParamInt(ctrl::TG2)))
                       : shown({ctrl::PE2, ctrl::LR, ctrl::TR, ctrl::TG, ctrl::TGSM},
                               ExposureText(GetParamInt(ctrl::PE2), lr, tr, tg)));
}

bool BindingTable::ReadCalibrationStatus(int label) {
  static constexpr uint32_t kLabels[] = {ctrl::SDC,  ctrl::PGC,  ctrl::PBC,
                                         ctrl::SDC2, ctrl::PGC2, ctrl::PBC2};
  if (label < 0 || label >= 6) return false;
  const uint32_t id = kLabels[label];
  const int row = CtrlId2CmdId(id);
  int value = -1;
  if (row < 0 || cmd_.QueryInt(row, value, kQueryMs) != 1) return false;
  static const char* const kTexts[] = {"Off (Bypass)", "Factory", "User"};
  if (value < 0 || value > 2) return false;
  if (view_) view_->SetText(id, kTexts[value]);
  return true;
}

void BindingTable::ReadAllCalibrationStatus() {
  for (int label : {2, 1, 0, 5, 4, 3})
    ReadCalibrationStatus(label);
}

// ---------------------------------------------------------------- change chains

void BindingTable::OnSelectionChanged(uint32_t id) {
  if (!Find(id)) {
    CtrlId2BuffIndex(id);
    return;
  }
  SetParamInt(id, ReadControl(id).intValue);
  AfterChange(true);
}

bool BindingTable::OnSpinDelta(uint32_t editId, int delta) {
  if (editId == 0 || IsBlemishPosition(editId)) return false;
  ControlBinding* b = Find(editId);
  if (!b) {
    CtrlId2BuffIndex(editId);
    return false;
  }
  if (b->kind != WidgetKind::SpinEdit) return false;
  const int64_t position = view_ && b->spin ? view_->SpinPosition(editId) : b->current.intValue;
  const auto value =
      static_cast<int32_t>(std::clamp<int64_t>(position + delta, b->minimum, b->maximum));
  SetParamInt(editId, value);
  UpdateControl(editId, b->current);
  AfterChange(false);
  return true;
}

void BindingTable::OnEditCommitted(uint32_t id, Commit how) {
  SendEditBoxValue(id);
  if (how == Commit::Enter) ApplyEnableRules();
}

void BindingTable::OnCheckToggled(uint32_t id, bool checked) {
  const int32_t value = checked ? 1 : 0;
  if (id == ctrl::MAV) Enable(ctrl::MAVCG, checked);
  if (!SetParamInt(id, value)) return;
  SendChangedParams();
  SaveBaseline();
}

// ---------------------------------------------------------------- buttons

bool BindingTable::RunAutoCommand(uint32_t buttonId) {
  const CommandTable& commands = cmd_.Table();
  const bool sync = GetParamInt(ctrl::TGSM) == 0;
  const char* command = nullptr;
  int timeoutMs = 0;
  std::vector<uint32_t> reread;
  const char* done = nullptr;
  switch (buttonId) {
    case ctrl::AutoLineRate1:
      command = "AR";
      timeoutMs = 10000;
      reread = {ctrl::LR, ctrl::PE};
      if (sync) reread.push_back(ctrl::PE2);
      done = "Completed the Auto Line Rate Set.";
      break;
    case ctrl::AutoLineRate2:
      command = "AR2";
      timeoutMs = 10000;
      reread = {ctrl::LR2, ctrl::PE2};
      done = "Completed the Auto Line Rate Set.";
      break;
    case ctrl::ChannelBalanceShutter:
      command = "AH";
      timeoutMs = 60000;
      reread = {ctrl::PE2};
      done = "Completed the Auto Channel Balance Shutter";
      break;
    case ctrl::ChannelBalanceGain:
      command = "CB";
      timeoutMs = 60000;
      reread = {ctrl::GA2T1};
      done = "Completed the Auto Channel Balance Gain";
      break;
    default:
      return false;
  }
  if (cmd_.SetInt(commands.Find(command), 0, timeoutMs) != 1) {
    ReportSetFailure();
    return false;
  }
  for (uint32_t id : reread)
    ReadParamFromCamera(id);
  SaveBaseline();
  ApplyEnableRules();
  UpdateTimeDisplays();
  reporter_->Report(done, MsgIcon::Information);
  return true;
}

// ---------------------------------------------------------------- files

}  // namespace kestrel
