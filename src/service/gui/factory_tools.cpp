#include "service/gui/factory_tools.h"

#include <QAction>
#include <QPushButton>

#include "gui/qt_user_interface.h"
#include "panel/gui/kestrel_dlg.h"
#include "service/gui/about_info_dlg.h"
#include "service/gui/afe_register_dlg.h"
#include "service/gui/camera_id_dlg.h"
#include "service/gui/dac_write_dlg.h"
#include "service/gui/fpga_register_dlg.h"
#include "service/gui/sensor_memory_dlg.h"
#include "service/gui/temperature_monitor_dlg.h"
#include "service/gui/tool_context.h"

namespace kestrel {

namespace {

void Present(QWidget* w) {
  w->show();
  w->raise();
  w->activateWindow();
}

}  // namespace

FactoryTools::FactoryTools(CKestrelDlg& panel, QtUserInterface& ui)
    : QObject(&panel), panel_(panel), context_(std::make_unique<ToolContext>(panel, ui)) {
  setObjectName("factoryTools");
  // Tool windows of the panel: on top of it, and destroyed with it.
  afe_ = new CSensReg(*context_, &panel);
  sensorMemory_ = new CSensMem(*context_, &panel);
  dac_ = new CDlgDAC(*context_, &panel);
  fpga_ = new CDlgFpgaReg(*context_, &panel);
  about_ = new CAboutDlg(*context_, &panel);
  cameraId_ = new CDlgCameraId(*context_, &panel);
}

FactoryTools::~FactoryTools() {
  // The windows are the panel's children and may already be gone; the
  // temperature window must not outlive the context its timers use.
  delete temperature_.data();
}

void FactoryTools::ShowAfe() {
  Present(afe_);
}
void FactoryTools::ShowDac() {
  Present(dac_);
}
void FactoryTools::ShowFpga() {
  Present(fpga_);
}
void FactoryTools::ShowCameraId() {
  Present(cameraId_);
}

void FactoryTools::ShowSensorMemory() {
  sensorMemory_->Refresh();
  Present(sensorMemory_);
}

void FactoryTools::ShowAbout() {
  about_->RefreshCameraData();
  Present(about_);
}

void FactoryTools::ShowTemperature() {
  if (temperature_) {
    Present(temperature_);
    return;
  }
  temperature_ = new CDlgTemp(*context_, &panel_);
  Present(temperature_);
  temperature_->Open();
}

FactoryTools* InstallFactoryTools(CKestrelDlg& panel, QtUserInterface& ui) {
  if (auto* existing = panel.findChild<FactoryTools*>()) return existing;
  auto* tools = new FactoryTools(panel, ui);
  // The bound boxes of the AFE and DAC windows exist now; a table that has
  // already resolved its widgets must resolve them again to see them.
  if (panel.Table().View()) panel.Table().AttachView(&panel.View());

  const std::pair<const char*, void (FactoryTools::*)()> buttons[] = {
      {"buttonAFEWrite", &FactoryTools::ShowAfe},
      {"buttonDACWrite", &FactoryTools::ShowDac},
      {"buttonFPGARW", &FactoryTools::ShowFpga},
      {"buttonTemp", &FactoryTools::ShowTemperature},
      {"buttonSensorMem", &FactoryTools::ShowSensorMemory},
      {"buttonCameraID", &FactoryTools::ShowCameraId}};
  for (const auto& [name, show] : buttons) {
    QPushButton* b = panel.ToolButton(name);
    if (!b) continue;
    CKestrelDlg::MakeAvailable(b);
    QObject::connect(b, &QPushButton::clicked, tools, show);
  }
  if (QAction* about = panel.MenuAction("actionAbout")) {
    CKestrelDlg::MakeAvailable(about);
    QObject::connect(about, &QAction::triggered, tools, &FactoryTools::ShowAbout);
  }
  return tools;
}

}  // namespace kestrel
