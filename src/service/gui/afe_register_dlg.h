#pragma once

#include "gui/tool_window.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace kestrel {

class ToolContext;
class SpinEdit;

// "AFE Write": one AFE register by selector, address and data, the per-tap
// SHDLOC and SHPLOC positions as bound parameters of the panel, and the
// register table file. Created once with the panel; closing hides it.
class CSensReg : public ToolWindow {
  Q_OBJECT
 public:
  CSensReg(ToolContext& tools, QWidget* parent = nullptr);

  void WriteAfeRegister();
  // The register table file. Their buttons are hidden (the camera's
  // production setup drives them); the window's context menu reaches them.
  void LoadRegisterFile();
  void SaveRegisterFile();

  QComboBox* Selector() const { return selector_; }
  QComboBox* Address() const { return address_; }
  QLineEdit* Data() const { return data_; }
  QPushButton* WriteButton() const { return write_; }
  SpinEdit* Shdloc(int tap) const { return shdloc_[tap - 1]; }
  SpinEdit* Shploc(int tap) const { return shploc_[tap - 1]; }

 private:
  ToolContext& tools_;
  QComboBox* selector_;
  QComboBox* address_;
  QLineEdit* data_;
  QPushButton* write_;
  QPushButton* load_;
  QPushButton* save_;
  SpinEdit* shdloc_[16] = {};
  SpinEdit* shploc_[16] = {};
};

}  // namespace kestrel
