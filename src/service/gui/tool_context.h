#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <string>

class QWidget;

namespace kestrel {

class CCamCmd;
class CKestrelDlg;
class QtUserInterface;
class SpinEdit;

// What the factory tool windows share: the panel (its binding table and
// view), the command object and the user interface, and one guard that keeps
// their camera operations from nesting.
class ToolContext {
 public:
  ToolContext(CKestrelDlg& panel, QtUserInterface& ui);

  CKestrelDlg& Panel() const { return panel_; }
  CCamCmd& Cmd() const { return cmd_; }
  QtUserInterface& Ui() const { return ui_; }

  // Runs f as one camera operation. A message box inside an operation moves
  // the focus out of the box that started it; that focus loss, or a click
  // that reaches another tool meanwhile, must not start a second exchange
  // inside the first. Returns false when f did not run.
  bool Operation(const std::function<void()>& f);

  // The control ID the panel's binding table gives this mnemonic; 0 when none.
  uint32_t ControlOf(const std::string& mnemonic) const;

  // A bound spin edit of the panel living in a tool window: registered with
  // the panel's view under its control ID, Enter and focus loss send its value,
  // a spin step stores, sends and saves the baseline. `after` runs after
  // either, inside the same operation.
  SpinEdit* MakeBoundSpin(const std::string& mnemonic, QWidget* parent,
                          std::function<void(uint32_t id)> after = {});

  // After an operation through the command object: when it failed (`ok` 0),
  // shows why. A query that fails while offline is not news and shows nothing.
  void ShowOutcome(int ok) const;
  void ShowQueryOutcome(int ok) const;

 private:
  CKestrelDlg& panel_;
  CCamCmd& cmd_;
  QtUserInterface& ui_;
  int depth_ = 0;
};

}  // namespace kestrel
