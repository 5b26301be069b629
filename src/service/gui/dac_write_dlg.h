#pragma once

#include <cstdint>
#include "gui/tool_window.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace kestrel {

class ToolContext;
class SpinEdit;

// "DAC Write": direct writes to the AD5590 and the BH2220, and the 2 x 16
// Black Offset (DAC) values as bound parameters of the panel. Created once
// with the panel; closing hides it.
class CDlgDAC : public ToolWindow {
  Q_OBJECT
 public:
  CDlgDAC(ToolContext& tools, QWidget* parent = nullptr);

  void WriteAd5590();
  void WriteBh2220();

  QComboBox* Function() const { return function_; }
  QComboBox* Sensor() const { return sensor_; }
  QComboBox* Channel() const { return channel_; }
  QLineEdit* Ad5590Data() const { return adData_; }
  QLineEdit* Bh2220Data() const { return bhData_; }
  QPushButton* Ad5590Write() const { return adWrite_; }
  QPushButton* Bh2220Write() const { return bhWrite_; }
  // column 1 or 2, row 0..15
  SpinEdit* BlackOffset(int column, int row) const { return offsets_[column - 1][row]; }

 private:
  // After a Black Offset value went out: its partner row shares the DAC, so
  // the camera's value of the partner is read back.
  void RefreshPartner(uint32_t id);

  ToolContext& tools_;
  QComboBox* function_;
  QComboBox* sensor_;
  QComboBox* channel_;
  QLineEdit* adData_;
  QLineEdit* bhData_;
  QPushButton* adWrite_;
  QPushButton* bhWrite_;
  SpinEdit* offsets_[2][16] = {};
};

}  // namespace kestrel
