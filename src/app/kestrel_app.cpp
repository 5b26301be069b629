#include "app/kestrel_app.h"

#include <QApplication>
#include <QEventLoop>
#include <QPixmap>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <cstdio>

#include "correction/gui/correction_tools.h"
#include "gui/qt_user_interface.h"
#include "panel/gui/kestrel_dlg.h"
#include "panel/gui/panel_commands.h"
#include "protocol/cam_cmd.h"
#include "service/gui/factory_tools.h"
#include "service/gui/terminal_tools.h"
#include "settings/settings_store.h"

#include "sim/pty_camera.h"

namespace kestrel {

CKestrelApp::CKestrelApp()
    : ui_(std::make_unique<QtUserInterface>()), cmd_(std::make_unique<CCamCmd>(settings_, *ui_)) {}

CKestrelApp::~CKestrelApp() {
  panel_.reset();  // closes the link
  cmd_.reset();
  ui_.reset();
}

void CKestrelApp::LoadSettings(const Options& options) {
  store_ = std::make_unique<SettingsStore>(options.configPath);
  store_->Load(settings_);
  configured_ = settings_;
  if (!options.port.empty()) {
    settings_.serialMode = 0;
    settings_.commDevice = options.port;
    portOverridden_ = true;
  }
  if (options.factory) {
    settings_.operatingMode = kModeFactory;
    settings_.activeMode = "FACTORY";
    modeForced_ = true;
  }
}

bool CKestrelApp::SaveSettings() {
  if (!store_) return false;
  Settings out = settings_;
  if (portOverridden_) {
    // The device of this run only; what the Communication dialog configured stays.
    out.serialMode = configured_.serialMode;
    out.commDevice = configured_.commDevice;
    out.commPort = configured_.commPort;
  }
  if (simulatorRun_) out.baudRate = configured_.baudRate;
  // --factory is for this run: unless the user switched modes by hand, the
  // configured mode is what is saved.
  if (modeForced_ && settings_.operatingMode == kModeFactory)
    out.operatingMode = configured_.operatingMode;
  return store_->Save(out);
}

int CKestrelApp::Run(const Options& options) {
  LoadSettings(options);
  simulatorRun_ = options.simulator;
  if (options.simulator) {
    // The built-in camera on a pseudo-terminal: a real serial link, so the
    // panel runs exactly the code it runs against a camera.
    auto camera = std::make_shared<sim::PtyCamera>(sim::SimOptions{});
    settings_.serialMode = 0;
    settings_.commDevice = camera->SlavePath();
    simulator_ = camera;
    portOverridden_ = true;
  }

  // KESTREL_TRACE=1 copies the communication log to stderr: the terminal
  // window of a run that has no display.
  if (qEnvironmentVariableIntValue("KESTREL_TRACE") == 1)
    QObject::connect(ui_.get(), &QtUserInterface::logLine, [](const QString& line) {
      std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    });
  panel_ = std::make_unique<CKestrelDlg>(*cmd_, *ui_);
  // Before the start-up: the communication dialog's guard may move the link
  // back to the COM port after an abnormal end.
  InstallPanelCommands(*panel_, *ui_);
  InstallTerminal(*panel_, *ui_);
  InstallCorrectionTools(*panel_, *ui_);
  InstallFactoryTools(*panel_, *ui_);
  if (options.simulator) panel_->SetPortNote("Simulated camera on");
  if (!options.screenshot.empty()) {
    // A batch run has no one to answer questions: say what would have been
    // asked and take the first answer.
    panel_->SetAskOnExit(false);
    ui_->SetResponder(
        [](const std::string& text, MsgIcon, MsgButtons buttons, const std::string& caption) {
          std::fprintf(stderr, "kestrel: %s: %s\n", caption.c_str(), text.c_str());
          return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ? MsgAnswer::Yes
                                                                                    : MsgAnswer::Ok;
        });
  }
  panel_->show();
  QApplication::processEvents();
  if (const std::string note = store_->DamageReport(); !note.empty())
    ui_->Report(note, MsgIcon::Warning);
  panel_->Initialise();

  int status = 0;
  if (!options.screenshot.empty())
    status = ScreenshotAndSummary(QString::fromStdString(options.screenshot));
  else if (panel_->isVisible())  // not closed during the first search
    status = QApplication::exec();

  panel_.reset();
  SaveSettings();
  simulator_.reset();
  return status;
}

int CKestrelApp::ScreenshotAndSummary(const QString& file) {
  // In FACTORY mode the picture shows the factory area, scrolled into sight
  // where the screen is too small for the whole panel.
  if (settings_.operatingMode == kModeFactory) {
    QScrollBar* bar = panel_->ContentArea()->verticalScrollBar();
    bar->setValue(bar->maximum());
  }
  QApplication::processEvents();
  // Under a window manager the picture is the screen's, frame and all, once
  // the window manager has framed and placed the window.
  const bool windowManager = QGuiApplication::platformName() == "xcb";
  if (windowManager) {
    QEventLoop settle;
    QTimer::singleShot(800, &settle, &QEventLoop::quit);
    settle.exec();
  }
  const QRect frame = panel_->frameGeometry();
  const QPixmap shot =
      windowManager && panel_->screen()
          ? panel_->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height())
          : panel_->grab();
  const bool saved = shot.save(file, "PNG");
  // Whether the groups fit: the scroll bars the window needs.
  QScrollArea* area = panel_->ContentArea();
  const bool down = area->verticalScrollBar()->maximum() > 0;
  const bool sideways = area->horizontalScrollBar()->maximum() > 0;
  const QRect screen = panel_->screen() ? panel_->screen()->geometry() : QRect();

  std::string model = "(no answer)";
  std::string firmware = "(no answer)";
  if (panel_->Connected()) {
    ParamValue v;
    if (cmd_->QueryValue(cmd::MD, v, 3000)) model = v.textValue;
    int vn = 0;
    if (cmd_->QueryInt(cmd::VN, vn, 3000)) {
      char buf[48];
      std::snprintf(buf, sizeof buf, "%d.%d.%d.%d", vn / 1000, (vn % 1000) / 100, (vn % 100) / 10,
                    vn % 10);
      firmware = buf;
    }
  }
  const std::string port = panel_->PortDescription().toStdString();
  if (panel_->Connected()) {
    std::printf("Camera on %s\n  model:      %s\n  firmware:   %s\n  parameters: %d read\n",
                port.c_str(), model.c_str(), firmware.c_str(), panel_->RepliesInLastRefresh());
    if (!panel_->ReadSummary().empty()) std::printf("  %s\n", panel_->ReadSummary().c_str());
  } else {
    std::printf("No camera answered on %s\n", port.c_str());
  }
  std::printf("  window:     %dx%d, framed %dx%d, on a %dx%d screen; scrolls %s\n", panel_->width(),
              panel_->height(), frame.width(), frame.height(), screen.width(), screen.height(),
              down && sideways ? "both ways"
              : down           ? "down"
              : sideways       ? "sideways"
                               : "not at all");
  if (saved)
    std::printf("Screenshot: %s\n", file.toLocal8Bit().constData());
  else
    std::fprintf(stderr, "kestrel: could not write %s\n", file.toLocal8Bit().constData());
  std::fflush(stdout);
  return saved ? 0 : 1;
}

}  // namespace kestrel
