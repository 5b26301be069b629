#pragma once

#include "gui/tool_window.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kestrel {

class CLabel;
class ToolContext;

// "About HX-9302 Kestrel": the program's version, the camera's fields, the
// user ID and the help documents. Created once with the panel; closing hides
// it. The panel refreshes the camera fields each time it shows the box.
class CAboutDlg : public ToolWindow {
  Q_OBJECT
 public:
  // The maker's site behind the link label.
  static constexpr const char* kWebAddress = "https://www.corvid-imaging.example/hx-9302";

  CAboutDlg(ToolContext& tools, QWidget* parent = nullptr);

  void RefreshCameraData();
  void SaveUserId();
  void ViewHelpFile();
  // Lists the "*.pdf" files of the current directory again.
  void FillHelpList();

  QLabel* ModelName() const { return model_; }
  QLabel* CameraId() const { return cameraId_; }
  QLabel* Firmware() const { return firmware_; }
  QLineEdit* UserId() const { return userId_; }
  QRadioButton* Protect() const { return protect_; }
  QRadioButton* Edit() const { return edit_; }
  QPushButton* SaveButton() const { return save_; }
  QComboBox* HelpList() const { return help_; }
  QPushButton* ViewButton() const { return view_; }
  CLabel* Link() const { return link_; }

 private:
  void ApplyProtection();

  ToolContext& tools_;
  QLabel* model_;
  QLabel* cameraId_;
  QLabel* firmware_;
  QLabel* fpga1_;
  QLabel* fpga2_;
  QLineEdit* userId_;
  QRadioButton* protect_;
  QRadioButton* edit_;
  QPushButton* save_;
  QComboBox* help_;
  QPushButton* view_;
  CLabel* link_;
};

}  // namespace kestrel
