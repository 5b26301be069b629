#include "panel/headless_view.h"

#include <algorithm>

#include "panel/binding_table.h"
#include "protocol/cam_cmd.h"

namespace kestrel {

HeadlessBindingView::HeadlessBindingView(const BindingTable& table) {
  for (int i = 0; i < table.Count(); ++i) {
    const ControlBinding& b = table.Slot(i);
    Widget& w = widgets_[b.controlId];
    w.hasSpin = b.kind == WidgetKind::SpinEdit;
  }
  for (uint32_t id :
       {ctrl::LRSpin, ctrl::ALSpin, ctrl::PESpin, ctrl::LR2Spin, ctrl::AL2Spin, ctrl::PE2Spin,
        ctrl::GMA1Spin, ctrl::GMA2Spin, ctrl::LRTime, ctrl::PETime, ctrl::LR2Time, ctrl::PE2Time,
        ctrl::AutoLineRate1, ctrl::AutoLineRate2, ctrl::ChannelBalanceShutter,
        ctrl::ChannelBalanceGain, ctrl::LutTable1, ctrl::LutTable2})
    widgets_[id];
}

HeadlessBindingView::Widget* HeadlessBindingView::Get(uint32_t id) {
  auto it = widgets_.find(id);
  return it == widgets_.end() ? nullptr : &it->second;
}

const HeadlessBindingView::Widget* HeadlessBindingView::Get(uint32_t id) const {
  auto it = widgets_.find(id);
  return it == widgets_.end() ? nullptr : &it->second;
}

bool HeadlessBindingView::HasControl(uint32_t id) const {
  return Get(id) != nullptr;
}

bool HeadlessBindingView::HasSpin(uint32_t editId) const {
  const Widget* w = Get(editId);
  return w && w->hasSpin;
}

int HeadlessBindingView::Selection(uint32_t id) const {
  const Widget* w = Get(id);
  return w ? w->selection : -1;
}

void HeadlessBindingView::SetSelection(uint32_t id, int index) {
  if (Widget* w = Get(id)) w->selection = index;
}

int32_t HeadlessBindingView::SpinPosition(uint32_t editId) const {
  const Widget* w = Get(editId);
  return w ? w->position : 0;
}

void HeadlessBindingView::SetSpinPosition(uint32_t editId, int32_t position) {
  Widget* w = Get(editId);
  if (!w) return;
  // As a spin button does: the position stays inside the range, and the buddy
  // shows it.
  w->position = std::clamp(position, w->minimum, w->maximum);
  w->text = std::to_string(w->position);
}

void HeadlessBindingView::SetSpinRange(uint32_t editId, int32_t minimum, int32_t maximum) {
  if (Widget* w = Get(editId)) {
    w->minimum = minimum;
    w->maximum = maximum;
  }
}

std::string HeadlessBindingView::Text(uint32_t id) const {
  const Widget* w = Get(id);
  return w ? w->text : std::string();
}

void HeadlessBindingView::SetText(uint32_t id, const std::string& text) {
  if (Widget* w = Get(id)) w->text = text;
}

bool HeadlessBindingView::Checked(uint32_t id) const {
  const Widget* w = Get(id);
  return w && w->checked;
}

void HeadlessBindingView::SetChecked(uint32_t id, bool checked) {
  if (Widget* w = Get(id)) w->checked = checked;
}

void HeadlessBindingView::SetEnabled(uint32_t id, bool enabled) {
  if (Widget* w = Get(id)) w->enabled = enabled;
}

bool HeadlessBindingView::Enabled(uint32_t id) const {
  const Widget* w = Get(id);
  return w && w->enabled;
}

void HeadlessBindingView::Type(uint32_t id, const std::string& text) {
  Widget* w = Get(id);
  if (!w) return;
  w->text = text;
  if (w->hasSpin) w->position = std::clamp(ToInt(text), w->minimum, w->maximum);
}

}  // namespace kestrel
