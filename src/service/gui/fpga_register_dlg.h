#pragma once

#include "gui/tool_window.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kestrel {

class ToolContext;

// "FPGA Read/Write": one FPGA register by offset, and the accumulated sample
// average of both sensors. Created once with the panel; closing hides it.
class CDlgFpgaReg : public ToolWindow {
  Q_OBJECT
 public:
  CDlgFpgaReg(ToolContext& tools, QWidget* parent = nullptr);

  void Read();
  void Write();
  void Get();
  // The Sensor2 half of Get; its button is hidden.
  void Sensor2();

  QLineEdit* Offset() const { return offset_; }
  QLineEdit* Data() const { return data_; }
  QLabel* Average(int sensor) const { return sensor == 1 ? average1_ : average2_; }
  QPushButton* ReadButton() const { return read_; }
  QPushButton* WriteButton() const { return write_; }
  QPushButton* GetButton() const { return get_; }

 private:
  // One sensor's average into its field; a failure is shown.
  void ReadAverage(int sensor);

  ToolContext& tools_;
  QLineEdit* offset_;
  QLineEdit* data_;
  QLabel* average1_;
  QLabel* average2_;
  QPushButton* read_;
  QPushButton* write_;
  QPushButton* get_;
  QPushButton* sensor2_;
};

}  // namespace kestrel
