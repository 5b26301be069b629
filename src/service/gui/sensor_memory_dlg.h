#pragma once

#include "gui/tool_window.h"

class QComboBox;
class QPushButton;

namespace kestrel {

class ToolContext;

// "Sensor Memory": the "Sensor" (SNOF) and "Trigger" (STOF) switches and the
// load and save of one block of the sensor memory. Created once with the
// panel; closing hides it.
class CSensMem : public ToolWindow {
  Q_OBJECT
 public:
  CSensMem(ToolContext& tools, QWidget* parent = nullptr);

  // Reads both switches from the camera; the panel's button runs it before
  // showing the window.
  void Refresh();
  void Load();
  void Save();

  QComboBox* Colour() const { return colour_; }
  QComboBox* Block() const { return block_; }
  QComboBox* SensorSwitch() const { return sensor_; }
  QComboBox* TriggerSwitch() const { return trigger_; }
  QPushButton* LoadButton() const { return load_; }
  QPushButton* SaveButton() const { return save_; }

 private:
  void SwitchChanged(bool trigger);

  ToolContext& tools_;
  QComboBox* colour_;
  QComboBox* block_;
  QComboBox* sensor_;
  QComboBox* trigger_;
  QPushButton* load_;
  QPushButton* save_;
};

}  // namespace kestrel
