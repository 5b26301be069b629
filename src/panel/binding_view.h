#pragma once

#include <cstdint>
#include <string>

namespace kestrel {

// The widgets of the main panel as the binding table sees them. Every widget is
// addressed by its dialog control ID, the key the whole panel is built on.
// The Qt main window implements this with real widgets; kestrelctl and the
// tests use HeadlessBindingView.
//
// An integer edit box and its spin button are one unit here, addressed by the
// edit box's ID: its position is the number the user sees and can step. Other
// controls named by the enabling rules (spin buttons, buttons, time labels) are
// addressed by their own IDs for SetEnabled only.
//
// Events travel the other way: the view calls BindingTable::OnSelectionChanged,
// OnSpinDelta, OnEditCommitted and OnCheckToggled.
class BindingView {
 public:
  virtual ~BindingView() = default;

  // Whether a widget with this ID exists (in the panel or one of its
  // subsidiary dialogs). Bindings without a widget keep their values but show
  // nothing.
  virtual bool HasControl(uint32_t id) const = 0;
  // Whether the edit box `editId` has a spin button.
  virtual bool HasSpin(uint32_t editId) const = 0;

  // Drop-down lists: the selected index, -1 when none.
  virtual int Selection(uint32_t id) const = 0;
  virtual void SetSelection(uint32_t id, int index) = 0;

  // Integer edit boxes with spin buttons. Setting the position also shows the
  // number in the edit box. The range is the spin's; the box itself accepts any
  // text until it is committed.
  virtual int32_t SpinPosition(uint32_t editId) const = 0;
  virtual void SetSpinPosition(uint32_t editId, int32_t position) = 0;
  virtual void SetSpinRange(uint32_t editId, int32_t minimum, int32_t maximum) = 0;

  // Text of edit boxes and labels.
  virtual std::string Text(uint32_t id) const = 0;
  virtual void SetText(uint32_t id, const std::string& text) = 0;

  // The "Enable" check box.
  virtual bool Checked(uint32_t id) const = 0;
  virtual void SetChecked(uint32_t id, bool checked) = 0;

  // Any control: lists, edits, spins, buttons, labels.
  virtual void SetEnabled(uint32_t id, bool enabled) = 0;

  // After a full read from the camera: bring the panel to the front.
  virtual void ActivatePanel() {}

  // A control whose value the camera neither confirmed nor could be asked
  // for again: it shows the last value the camera confirmed, marked as
  // uncertain until the next successful read.
  virtual void SetUnconfirmed(uint32_t /*id*/, bool /*unconfirmed*/) {}
  // A control whose value the camera did not report readably (or reported
  // outside the panel's range): it shows no value, marked, and `why` (the
  // reply quoted) explains it; "" clears the mark and the value is shown next.
  virtual void SetReadProblem(uint32_t /*id*/, const std::string& /*why*/) {}
  // One line on what just happened to the camera's values (the status strip).
  virtual void ReportStatus(const std::string& /*text*/) {}
};

}  // namespace kestrel
