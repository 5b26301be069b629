// The panel with the terminal, the communication dialog and the setting-file
// commands installed, against the simulated camera on a pseudo-terminal.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "gui/file_dialog.h"
#include "gui/qt_user_interface.h"
#include "link/rs_port.h"
#include "panel/gui/kestrel_dlg.h"
#include "panel/gui/panel_commands.h"
#include "protocol/cam_cmd.h"
#include "service/gui/rs_term_dlg.h"
#include "service/gui/terminal_tools.h"
#include "sim/pty_camera.h"

namespace kestrel {

struct Box {
  std::string text;
  MsgIcon icon;
  MsgButtons buttons;
  std::string caption;
};

class PanelToolsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (qApp) return;  // another part of the program made it already
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "test_gui";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
  }

  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    // The start-up guard writes into the settings file; never the user's own.
    qputenv("KESTREL_CONFIG", Path("kestrel.ini").c_str());
    camera_ = NewCamera();
    settings_.commDevice = camera_->SlavePath();
    cmd_ = std::make_unique<CCamCmd>(settings_, port_, ui_);
    ui_.SetResponder([this](const std::string& text, MsgIcon icon, MsgButtons buttons,
                            const std::string& caption) {
      boxes_.push_back({text, icon, buttons, caption});
      return buttons == MsgButtons::YesNo ? yesNo_ : MsgAnswer::Ok;
    });
    SetFileChooser([this](const FileRequest& r) {
      requests_.push_back(r);
      return chosen_;
    });
  }

  void TearDown() override {
    SetFileChooser({});
    panel_.reset();
    cmd_.reset();
    port_.Close();
    camera_.reset();
  }

  // The camera already runs at 115200 bit/s, which keeps the tests clear of
  // the speed switch.
  static std::unique_ptr<sim::PtyCamera> NewCamera() {
    sim::SimOptions options;
    options.startBaud = 115200;
    return std::make_unique<sim::PtyCamera>(options);
  }

  void Start(int mode = kModeUser) {
    settings_.operatingMode = mode;
    Connection::Timing timing;
    timing.queryMs = 300;
    panel_ = std::make_unique<CKestrelDlg>(*cmd_, ui_, timing);
    tools_ = InstallPanelCommands(*panel_, ui_);
    terminal_ = InstallTerminal(*panel_, ui_);
    ASSERT_NE(tools_, nullptr);
    panel_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel_.get()));
    ASSERT_TRUE(panel_->Initialise());
    QApplication::processEvents();
  }

  std::string Path(const char* name) const {
    return QDir(dir_.path()).filePath(name).toStdString();
  }

  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> out;
    for (const Box& b : boxes_)
      out.push_back(b.text);
    return out;
  }

  QTemporaryDir dir_;
  Settings settings_;
  CRsPort port_;
  QtUserInterface ui_;
  std::unique_ptr<sim::PtyCamera> camera_;
  std::unique_ptr<CCamCmd> cmd_;
  std::unique_ptr<CKestrelDlg> panel_;
  PanelCommands* tools_ = nullptr;
  CRsTermDlg* terminal_ = nullptr;
  std::vector<Box> boxes_;
  MsgAnswer yesNo_ = MsgAnswer::Yes;
  std::vector<FileRequest> requests_;
  std::string chosen_;
};

}  // namespace kestrel
