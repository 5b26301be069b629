#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <map>
#include <set>

#include "panel/binding_view.h"

namespace kestrel {

// The binding table's view of the panel's real widgets, found by control ID.
// Spin buttons share the widget of their edit box. Controls whose tools come
// with later work stay disabled whatever the rules ask, and remember what the
// rules asked so they come alive with the right state once wired.
class QtBindingView : public BindingView {
 public:
  void Register(uint32_t id, QWidget* widget);
  // A spin button ID that names the same widget as its edit box.
  void Alias(uint32_t spinId, uint32_t editId);
  void MarkUnavailable(uint32_t id);
  void MarkAvailable(uint32_t id);
  bool Unavailable(uint32_t id) const { return unavailable_.count(id) != 0; }

  // What the control's tooltip explains: its name in words, its unit and
  // mnemonic. The range comes from the spin and follows the range rules.
  void Describe(uint32_t id, const QString& words, const QString& mnemonic,
                const QString& unit = {});
  QString Explanation(uint32_t id) const;
  bool IsUnconfirmed(uint32_t id) const { return unconfirmed_.count(id) != 0; }
  // Where ReportStatus goes (the panel's status strip).
  void SetStatusSink(std::function<void(const QString&)> sink) { status_ = std::move(sink); }

  QWidget* Widget(uint32_t id) const;
  template <class T>
  T* As(uint32_t id) const {
    return qobject_cast<T*>(Widget(id));
  }
  const std::map<uint32_t, QPointer<QWidget>>& Widgets() const { return widgets_; }

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
  void ActivatePanel() override;
  void SetUnconfirmed(uint32_t id, bool unconfirmed) override;
  void SetReadProblem(uint32_t id, const std::string& why) override;
  QString ReadProblem(uint32_t id) const;
  void ReportStatus(const std::string& text) override;

 private:
  struct Description {
    QString words, mnemonic, unit;
  };
  uint32_t Resolve(uint32_t id) const;
  void UpdateToolTip(uint32_t id);
  void UpdateFrame(QWidget* w, uint32_t id);

  std::map<uint32_t, QPointer<QWidget>> widgets_;
  std::map<uint32_t, uint32_t> aliases_;
  std::set<uint32_t> unavailable_;
  std::map<uint32_t, bool> wanted_;  // what the rules asked of unavailable controls
  std::map<uint32_t, Description> descriptions_;
  std::set<uint32_t> unconfirmed_;
  std::map<uint32_t, QString> readProblems_;
  std::function<void(const QString&)> status_;
};

}  // namespace kestrel
