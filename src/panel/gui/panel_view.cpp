#include "panel/gui/panel_view.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include "panel/gui/bound_widgets.h"

namespace kestrel {

namespace {

// The exposure display's " over": an exposure longer than the line period.
// Marked in a warning colour that reads on light and dark palettes alike.
void ShowAsWarning(QLabel* label, bool warning) {
  if (label->property("warning").toBool() == warning) return;
  label->setProperty("warning", warning);
  if (!warning) {
    label->setStyleSheet({});
    return;
  }
  const bool dark = label->palette().color(QPalette::Window).lightness() < 128;
  label->setStyleSheet(
      QString("#%1 { color: %2; background: %3; font-weight: bold; }")
          .arg(label->objectName(), dark ? "#ffcc80" : "#8a4b00", dark ? "#4a3000" : "#fff0c2"));
}

}  // namespace

void QtBindingView::Register(uint32_t id, QWidget* widget) {
  widgets_[id] = widget;
}
void QtBindingView::Alias(uint32_t spinId, uint32_t editId) {
  aliases_[spinId] = editId;
}

void QtBindingView::MarkUnavailable(uint32_t id) {
  unavailable_.insert(id);
  if (QWidget* w = Widget(id)) {
    wanted_[id] = w->isEnabled();
    w->setEnabled(false);
  }
}

void QtBindingView::MarkAvailable(uint32_t id) {
  unavailable_.erase(id);
  auto it = wanted_.find(id);
  if (it != wanted_.end()) {
    if (QWidget* w = Widget(id)) w->setEnabled(it->second);
    wanted_.erase(it);
  }
}

uint32_t QtBindingView::Resolve(uint32_t id) const {
  auto a = aliases_.find(id);
  return a == aliases_.end() ? id : a->second;
}

QWidget* QtBindingView::Widget(uint32_t id) const {
  auto it = widgets_.find(Resolve(id));
  return it == widgets_.end() ? nullptr : it->second.data();
}

bool QtBindingView::HasControl(uint32_t id) const {
  return Widget(id) != nullptr;
}

bool QtBindingView::HasSpin(uint32_t editId) const {
  return As<SpinEdit>(editId) != nullptr;
}

int QtBindingView::Selection(uint32_t id) const {
  if (auto* list = As<ListBox>(id)) return list->currentIndex();
  return -1;
}

void QtBindingView::SetSelection(uint32_t id, int index) {
  auto* list = As<ListBox>(id);
  if (!list) return;
  // An index the list does not have shows no selection, as a drop-down list does.
  list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

int32_t QtBindingView::SpinPosition(uint32_t editId) const {
  if (auto* spin = As<SpinEdit>(editId)) return spin->Position();
  return 0;
}

void QtBindingView::SetSpinPosition(uint32_t editId, int32_t position) {
  if (auto* spin = As<SpinEdit>(editId)) spin->SetPosition(position);
}

void QtBindingView::SetSpinRange(uint32_t editId, int32_t minimum, int32_t maximum) {
  if (auto* spin = As<SpinEdit>(editId)) spin->SetRange(minimum, maximum);
  UpdateToolTip(editId);
}

void QtBindingView::Describe(uint32_t id, const QString& words, const QString& mnemonic,
                             const QString& unit) {
  descriptions_[id] = {words, mnemonic, unit};
  UpdateToolTip(id);
}

QString QtBindingView::Explanation(uint32_t id) const {
  auto it = descriptions_.find(id);
  if (it == descriptions_.end()) return {};
  const Description& d = it->second;
  QString text = d.mnemonic.isEmpty() ? d.words : QString("%1 (%2)").arg(d.words, d.mnemonic);
  if (auto* spin = As<SpinEdit>(id)) {
    text += QString("\nRange %1 to %2").arg(spin->Minimum()).arg(spin->Maximum());
    if (!d.unit.isEmpty()) text += " " + d.unit;
  } else if (!d.unit.isEmpty()) {
    text += "\n" + d.unit;
  }
  return text;
}

void QtBindingView::UpdateToolTip(uint32_t id) {
  QWidget* w = Widget(id);
  if (!w || Unavailable(id)) return;
  const QString explanation = Explanation(id);
  const QString problem = ReadProblem(id);
  if (explanation.isEmpty() && !IsUnconfirmed(id) && problem.isEmpty()) return;
  if (!problem.isEmpty())
    w->setToolTip(problem + "\n" + explanation);
  else
    w->setToolTip(IsUnconfirmed(id) ? "Not confirmed by the camera\n" + explanation : explanation);
}

QString QtBindingView::ReadProblem(uint32_t id) const {
  auto it = readProblems_.find(Resolve(id));
  return it == readProblems_.end() ? QString() : it->second;
}

// A red frame that every style draws the same way, light or dark.
void QtBindingView::UpdateFrame(QWidget* w, uint32_t id) {
  const bool marked = IsUnconfirmed(id) || !ReadProblem(id).isEmpty();
  w->setStyleSheet(
      marked
          ? QString("#%1 { border: 2px solid #d0312d; border-radius: 2px; }").arg(w->objectName())
          : QString());
}

void QtBindingView::SetReadProblem(uint32_t id, const std::string& why) {
  QWidget* w = Widget(id);
  if (!w) return;
  id = Resolve(id);
  if (why.empty()) {
    readProblems_.erase(id);
  } else {
    readProblems_[id] = QString::fromStdString(why);
    // No value: the camera did not report one this panel can show.
    if (auto* spin = qobject_cast<SpinEdit*>(w)) spin->SetBoxText({});
    if (auto* list = qobject_cast<ListBox*>(w)) list->setCurrentIndex(-1);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->clear();
    if (auto* check = qobject_cast<QCheckBox*>(w)) {
      check->setTristate(true);
      check->setCheckState(Qt::PartiallyChecked);
    }
  }
  if (auto* check = qobject_cast<QCheckBox*>(w); check && why.empty()) check->setTristate(false);
  w->setProperty("readProblem", !why.empty());
  UpdateFrame(w, id);
  UpdateToolTip(id);
}

void QtBindingView::SetUnconfirmed(uint32_t id, bool unconfirmed) {
  QWidget* w = Widget(id);
  if (!w) return;
  if (unconfirmed)
    unconfirmed_.insert(id);
  else
    unconfirmed_.erase(id);
  w->setProperty("unconfirmed", unconfirmed);
  UpdateFrame(w, id);
  UpdateToolTip(id);
}

void QtBindingView::ReportStatus(const std::string& text) {
  if (status_) status_(QString::fromStdString(text));
}

std::string QtBindingView::Text(uint32_t id) const {
  QWidget* w = Widget(id);
  if (auto* spin = qobject_cast<SpinEdit*>(w)) return spin->text().toStdString();
  if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text().toStdString();
  if (auto* label = qobject_cast<QLabel*>(w)) return label->text().toStdString();
  if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text().toStdString();
  return {};
}

void QtBindingView::SetText(uint32_t id, const std::string& text) {
  QWidget* w = Widget(id);
  const QString t = QString::fromStdString(text);
  if (auto* spin = qobject_cast<SpinEdit*>(w)) {
    // Rewriting the box (a clamped number) does not move the spin by itself;
    // the table sets the position separately.
    spin->SetBoxText(t);
  } else if (auto* text = qobject_cast<TextEdit*>(w)) {
    text->Show(t);
  } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
    edit->setText(t);
    edit->setCursorPosition(0);
  } else if (auto* label = qobject_cast<QLabel*>(w)) {
    label->setText(t);
    ShowAsWarning(label, t.trimmed() == "over");
  } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
    button->setText(t);
  }
}

bool QtBindingView::Checked(uint32_t id) const {
  if (auto* box = As<QCheckBox>(id)) return box->isChecked();
  return false;
}

void QtBindingView::SetChecked(uint32_t id, bool checked) {
  if (auto* box = As<QCheckBox>(id)) box->setChecked(checked);
}

void QtBindingView::SetEnabled(uint32_t id, bool enabled) {
  QWidget* w = Widget(id);
  if (!w) return;
  if (Unavailable(id) || Unavailable(Resolve(id))) {
    wanted_[Resolve(id)] = enabled;
    return;
  }
  w->setEnabled(enabled);
}

void QtBindingView::ActivatePanel() {
  for (auto& [id, w] : widgets_) {
    if (!w) continue;
    QWidget* top = w->window();
    top->raise();
    top->activateWindow();
    return;
  }
}

}  // namespace kestrel
