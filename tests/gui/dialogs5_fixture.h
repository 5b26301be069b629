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

#include "app/qt_user_interface.h"
#include "link/rs_port.h"
#include "panel/gui/kestrel_dlg.h"
#include "panel/gui/tools5.h"
#include "protocol/cam_cmd.h"
#include "sim/pty_camera.h"

namespace kestrel {

struct Box {
  std::string text;
  MsgIcon icon;
  MsgButtons buttons;
  std::string caption;
};

class Dialogs5Test : public ::testing::Test {
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
    timing.retryPauseMs = 10;
    panel_ = std::make_unique<CKestrelDlg>(*cmd_, ui_, timing);
    InstallIssue5Tools(*panel_, ui_);
    tools_ = panel_->findChild<Issue5Tools*>();
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
  Issue5Tools* tools_ = nullptr;
  std::vector<Box> boxes_;
  MsgAnswer yesNo_ = MsgAnswer::Yes;
  std::vector<FileRequest> requests_;
  std::string chosen_;
};

}  // namespace kestrel
