// The panel against the simulated camera on a pseudo-terminal, with the
// message boxes answered by the test; and the panel with the terminal, the
// communication dialog and the setting-file commands installed.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/file_dialog.h"
#include "gui/qt_user_interface.h"
#include "link/rs_port.h"
#include "panel/gui/kestrel_dlg.h"
#include "panel/gui/panel_commands.h"
#include "protocol/cam_cmd.h"
#include "service/gui/comm_log_dlg.h"
#include "service/gui/terminal_tools.h"
#include "sim/pty_camera.h"

namespace kestrel {

struct Box {
  std::string text;
  MsgIcon icon;
  MsgButtons buttons;
  std::string caption;
};

class PanelFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    // The start-up guard writes into the settings file; never the user's own.
    qputenv("KESTREL_CONFIG", Path("kestrel.ini").c_str());
    camera_ = NewCamera(cameraOptions_);
    settings_.commDevice = camera_->SlavePath();
    cmd_ = std::make_unique<CCamCmd>(settings_, ui_);
    QObject::connect(&ui_, &QtUserInterface::logLine,
                     [this](const QString& line) { log_.push_back(line.toStdString()); });
    ui_.SetResponder([this](const std::string& text, MsgIcon icon, MsgButtons buttons,
                            const std::string& caption) {
      boxes_.push_back({text, icon, buttons, caption});
      // A flash write is asked OK/Cancel and answered like a Yes/No.
      if (caption == QtUserInterface::kFlashCaption)
        return yesNo_ == MsgAnswer::Yes ? MsgAnswer::Ok : MsgAnswer::Cancel;
      return buttons == MsgButtons::YesNo ? yesNo_ : MsgAnswer::Ok;
    });
  }

  void TearDown() override {
    SetFileChooser({});
    panel_.reset();
    cmd_.reset();  // closes the link
    camera_.reset();
  }

  // The camera already runs at 115200 bit/s: the panel's first try at 9600
  // gets nothing and it connects on the second speed, which keeps the tests
  // clear of the speed switch itself.
  static std::unique_ptr<sim::PtyCamera> NewCamera(sim::SimOptions options = {}) {
    options.startBaud = 115200;
    return std::make_unique<sim::PtyCamera>(options);
  }

  // File dialogs answer with chosen_ and keep what they were asked.
  void AnswerFileDialogs() {
    SetFileChooser([this](const FileRequest& r) {
      requests_.push_back(r);
      return chosen_;
    });
  }

  // Makes the panel, lets `install` add tools before the panel resolves its
  // widgets (as at start-up), then shows it and connects.
  void StartPanel(int mode, const std::function<void()>& install = {}) {
    settings_.operatingMode = mode;
    Connection::Timing timing;
    timing.queryMs = 300;
    panel_ = std::make_unique<CKestrelDlg>(*cmd_, ui_, timing);
    if (install) install();
    panel_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel_.get()));
    connected_ = panel_->Initialise();
    if (expectConnected_) {
      ASSERT_TRUE(connected_);
    }
    QApplication::processEvents();
  }

  template <class F>
  decltype(auto) Model(F&& f) {
    return camera_->WithModel(std::forward<F>(f));
  }

  std::string Path(const char* name) const {
    return QDir(dir_.path()).filePath(name).toStdString();
  }

  // Whether the log shows `line` sent; where the first line sent starting
  // with `prefix` is in it (-1: none); how many lines sent start with it.
  bool Sent(const std::string& line) const {
    return std::find(log_.begin(), log_.end(), "Tx: " + line) != log_.end();
  }
  long SentAt(const std::string& prefix) const {
    for (size_t i = 0; i < log_.size(); ++i)
      if (log_[i].rfind("Tx: " + prefix, 0) == 0) return static_cast<long>(i);
    return -1;
  }
  long SentCount(const std::string& prefix) const {
    return std::count_if(log_.begin(), log_.end(),
                         [&](const std::string& l) { return l.rfind("Tx: " + prefix, 0) == 0; });
  }

  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> out;
    for (const Box& b : boxes_)
      out.push_back(b.text);
    return out;
  }

  QTemporaryDir dir_;
  sim::SimOptions cameraOptions_;
  Settings settings_;
  QtUserInterface ui_;
  std::unique_ptr<sim::PtyCamera> camera_;
  std::unique_ptr<CCamCmd> cmd_;
  std::unique_ptr<CKestrelDlg> panel_;
  std::vector<Box> boxes_;
  std::vector<std::string> log_;  // the communication log
  MsgAnswer yesNo_ = MsgAnswer::Yes;
  bool expectConnected_ = true;  // StartPanel fails the test when the panel finds no camera
  bool connected_ = false;
  std::vector<FileRequest> requests_;
  std::string chosen_;
};

class PanelToolsTest : public PanelFixture {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(PanelFixture::SetUp());
    AnswerFileDialogs();
  }

  void Start(int mode = kModeUser) {
    StartPanel(mode, [this] {
      tools_ = InstallPanelCommands(*panel_, ui_);
      terminal_ = InstallTerminal(*panel_, ui_);
    });
    ASSERT_NE(tools_, nullptr);
  }

  PanelCommands* tools_ = nullptr;
  CRsTermDlg* terminal_ = nullptr;
};

}  // namespace kestrel
