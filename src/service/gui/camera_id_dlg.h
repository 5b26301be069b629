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

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  // Typing or pasting into box i: one character a box from there on; the
  // focus moves to the box after the last one filled.
  void Spread(size_t i, const QString& text);

  ToolContext& tools_;
  std::array<QLineEdit*, 10> boxes_{};
  QPushButton* set_;
};

}  // namespace kestrel
