#pragma once

#include <array>
#include "gui/tool_window.h"

class QLineEdit;
class QPushButton;

namespace kestrel {

class ToolContext;

// "Camera ID Set": the camera's ten-character ID, one character a box.
// Created once with the panel (the boxes are filled then); closing hides it.
class CDlgCameraId : public ToolWindow {
  Q_OBJECT
 public:
  CDlgCameraId(ToolContext& tools, QWidget* parent = nullptr);

  void SaveCameraId();

  QLineEdit* Box(int i) const { return boxes_[static_cast<size_t>(i)]; }
  QPushButton* SetButton() const { return set_; }

 private:
  ToolContext& tools_;
  std::array<QLineEdit*, 10> boxes_{};
  QPushButton* set_;
};

}  // namespace kestrel
