#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "panel/binding_view.h"

namespace kestrel {

class BindingTable;

// Widgets without windows: every binding of the table gets a widget that
// remembers its state. kestrelctl runs the panel's read path on it, and tests
// drive the change chains through it as a user would.
class HeadlessBindingView : public BindingView {
 public:
  struct Widget {
    int selection = -1;
    int32_t position = 0;
    int32_t minimum = 0;
    int32_t maximum = 100;
    bool hasSpin = false;
    std::string text;
    bool checked = false;
    bool enabled = true;
  };

  HeadlessBindingView() = default;
  // One widget per binding of the table (spins for the integer edit boxes),
  // plus the controls the enabling rules and time displays name.
  explicit HeadlessBindingView(const BindingTable& table);

  // Adds or removes a widget by hand.
  Widget& Add(uint32_t id) { return widgets_[id]; }
  void Remove(uint32_t id) { widgets_.erase(id); }
  Widget* Get(uint32_t id);
  const Widget* Get(uint32_t id) const;

  bool HasControl(uint32_t id) const override;
  bool HasSpin(uint32_t editId) const override;
  int Selection(uint32_t id) const override;
  void SetSelection(uint32_t id, int index) override;
  int32_t SpinPosition(uint32_t editId) const override;
  void SetSpinPosition(uint32_t editId, int32_t position) override;
  void SetSpinRange(uint32_t editId, int32_t minimum, int32_t maximum) override;
  std::string Text(uint32_t id) const override;
  void SetText(uint32_t id, const std::string& text) override;
  bool Checked(uint32_t id) const override;
  void SetChecked(uint32_t id, bool checked) override;
  void SetEnabled(uint32_t id, bool enabled) override;
  bool Enabled(uint32_t id) const;

  // What a user does: type into an edit box (as a Windows spin reads its buddy,
  // the position follows the text when it holds a number in range).
  void Type(uint32_t id, const std::string& text);

 private:
  std::map<uint32_t, Widget> widgets_;
};

}  // namespace kestrel
