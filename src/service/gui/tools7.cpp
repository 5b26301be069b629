#include "service/gui/tools7.h"

#include <QAction>
#include <QPushButton>

#include "app/qt_user_interface.h"
#include "panel/gui/kestrel_dlg.h"
#include "service/gui/about_dlg.h"
#include "service/gui/dlg_camera_id.h"
#include "service/gui/dlg_dac.h"
#include "service/gui/dlg_fpga_reg.h"
#include "service/gui/dlg_temp.h"
#include "service/gui/sens_mem.h"
#include "service/gui/sens_reg.h"
#include "service/gui/tool_context.h"

namespace kestrel {

namespace {

void Present(QWidget* w) {
  w->show();
  w->raise();
  w->activateWindow();
}

}  // namespace

Issue7Tools::Issue7Tools(CKestrelDlg& panel, QtUserInterface& ui)
    : QObject(&panel), panel_(panel), context_(std::make_unique<ToolContext>(panel, ui)) {
  setObjectName("issue7Tools");
  // Tool windows of the panel: on top of it, and destroyed with it.
  afe_ = new CSensReg(*context_, &panel);
  sensorMemory_ = new CSensMem(*context_, &panel);
  dac_ = new CDlgDAC(*context_, &panel);
  fpga_ = new CDlgFpgaReg(*context_, &panel);
  about_ = new CAboutDlg(*context_, &panel);
  cameraId_ = new CDlgCameraId(*context_, &panel);
}

Issue7Tools::~Issue7Tools() {
  // The windows are the panel's children and may already be gone; the
  // temperature window must not outlive the context its timers use.
  delete temperature_.data();
}

void Issue7Tools::ShowAfe() {
  Present(afe_);
}
void Issue7Tools::ShowDac() {
  Present(dac_);
}
void Issue7Tools::ShowFpga() {
  Present(fpga_);
}
void Issue7Tools::ShowCameraId() {
  Present(cameraId_);
}

void Issue7Tools::ShowSensorMemory() {
  sensorMemory_->Refresh();
  Present(sensorMemory_);
}

void Issue7Tools::ShowAbout() {
  about_->RefreshCameraData();
  Present(about_);
}

void Issue7Tools::ShowTemperature() {
  if (temperature_) {
    Present(temperature_);
    return;
  }
  temperature_ = new CDlgTemp(*context_, &panel_);
  Present(temperature_);
  temperature_->Open();
}

Issue7Tools* InstallIssue7Tools(CKestrelDlg& panel, QtUserInterface& ui) {
  if (auto* existing = panel.findChild<Issue7Tools*>()) return existing;
  auto* tools = new Issue7Tools(panel, ui);
  // The bound boxes of the AFE and DAC windows exist now; a table that has
  // already resolved its widgets must resolve them again to see them.
  if (panel.Table().View()) panel.Table().AttachView(&panel.View());

  const std::pair<const char*, void (Issue7Tools::*)()> buttons[] = {
      {"buttonAFEWrite", &Issue7Tools::ShowAfe},
      {"buttonDACWrite", &Issue7Tools::ShowDac},
      {"buttonFPGARW", &Issue7Tools::ShowFpga},
      {"buttonTemp", &Issue7Tools::ShowTemperature},
      {"buttonSensorMem", &Issue7Tools::ShowSensorMemory},
      {"buttonCameraID", &Issue7Tools::ShowCameraId}};
  for (const auto& [name, show] : buttons) {
    QPushButton* b = panel.ToolButton(name);
    if (!b) continue;
    CKestrelDlg::MakeAvailable(b);
    QObject::connect(b, &QPushButton::clicked, tools, show);
  }
  if (QAction* about = panel.MenuAction("actionAbout")) {
    CKestrelDlg::MakeAvailable(about);
    QObject::connect(about, &QAction::triggered, tools, &Issue7Tools::ShowAbout);
  }
  return tools;
}

}  // namespace kestrel
