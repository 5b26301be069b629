#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "service/gui/about_info_dlg.h"
#include "service/gui/afe_register_dlg.h"
#include "service/gui/camera_id_dlg.h"
#include "service/gui/dac_write_dlg.h"
#include "service/gui/fpga_register_dlg.h"
#include "service/gui/sensor_memory_dlg.h"
#include "service/gui/temperature_monitor_dlg.h"

namespace kestrel {

class CKestrelDlg;
class QtUserInterface;
class ToolContext;

// The service and factory tools of the panel: AFE register, sensor memory,
// DAC, FPGA register, temperature, About box and camera ID. Lives as a child
// of the panel, so its windows end with the panel's.
class FactoryTools : public QObject {
  Q_OBJECT
 public:
  FactoryTools(CKestrelDlg& panel, QtUserInterface& ui);
  ~FactoryTools() override;

  ToolContext& Context() { return *context_; }
  CSensReg& Afe() { return *afe_; }
  CSensMem& SensorMemory() { return *sensorMemory_; }
  CDlgDAC& Dac() { return *dac_; }
  CDlgFpgaReg& Fpga() { return *fpga_; }
  CAboutDlg& About() { return *about_; }
  CDlgCameraId& CameraId() { return *cameraId_; }
  // The temperature window while it is open, else null.
  CDlgTemp* Temperature() const { return temperature_; }

  // What the panel's buttons and the Help menu do.
  void ShowAfe();
  void ShowSensorMemory();
  void ShowDac();
  void ShowFpga();
  void ShowTemperature();
  void ShowAbout();
  void ShowCameraId();

 private:
  CKestrelDlg& panel_;
  std::unique_ptr<ToolContext> context_;
  QPointer<CSensReg> afe_;
  QPointer<CSensMem> sensorMemory_;
  QPointer<CDlgDAC> dac_;
  QPointer<CDlgFpgaReg> fpga_;
  QPointer<CAboutDlg> about_;
  QPointer<CDlgCameraId> cameraId_;
  QPointer<CDlgTemp> temperature_;
};

// Creates the tools, registers the AFE and DAC windows' bound boxes with the
// panel's view (re-attaching the binding table when the panel has already
// resolved its widgets) and wires the panel's "AFE Write", "DAC Write",
// "FPGA R/W", "Temp", "Sensor Mem" and "Camera ID" buttons and the Help
// menu's "About" to them. Call once per panel, before or after Initialise().
FactoryTools* InstallFactoryTools(CKestrelDlg& panel, QtUserInterface& ui);

}  // namespace kestrel
