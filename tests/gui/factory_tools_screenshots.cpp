// Pictures of the factory tool windows for the docs. Runs only when
// KESTREL_SCREENSHOT_DIR names the folder to write them to
// (tools/screenshots.sh does that).
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "panel_fixture.h"
#include "service/gui/about_info_dlg.h"
#include "service/gui/afe_register_dlg.h"
#include "service/gui/camera_id_dlg.h"
#include "service/gui/dac_write_dlg.h"
#include "service/gui/factory_tools.h"
#include "service/gui/fpga_register_dlg.h"
#include "service/gui/sensor_memory_dlg.h"
#include "service/gui/temperature_monitor_dlg.h"

namespace kestrel {
namespace {

class FactoryToolsScreenshots : public PanelFixture {};

TEST_F(FactoryToolsScreenshots, EveryToolWindow) {
  const QString folder = qEnvironmentVariable("KESTREL_SCREENSHOT_DIR");
  if (folder.isEmpty()) GTEST_SKIP() << "KESTREL_SCREENSHOT_DIR not set";
  QDir().mkpath(folder);
  Model([](sim::CameraModel& m) {
    m.SetInt("TMP0", 612);
    m.SetInt("TMP02", 598);
    m.SetInt("VN", 1203);
    m.SetInt("PV", 2011);
    m.SetInt("PVFE", 2010);
    m.SetText("UD", "LINE3-WEST");
    for (int tap = 1; tap <= 16; ++tap) {
      m.SetInt("SHDL" + std::to_string(tap), 20 + tap);
      m.SetInt("SHPL" + std::to_string(tap), 4 + tap / 2);
    }
    for (int row = 0; row < 16; ++row) {
      m.SetInt("B1O" + std::to_string(row) + "F", 2048 + 8 * row);
      m.SetInt("B2O" + std::to_string(row) + "F", 2040 + 8 * row);
    }
    m.SetInt("SNOF", 1);
  });
  settings_.cameraId = "K93020417A";
  FactoryTools* tools = nullptr;
  ASSERT_NO_FATAL_FAILURE(StartPanel(kModeFactory, [&] {
    panel_->SetAskOnExit(false);
    tools = InstallFactoryTools(*panel_, ui_);
  }));
  auto shoot = [&](QWidget* w, const char* name) {
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    QApplication::processEvents();
    ASSERT_TRUE(w->grab().save(QDir(folder).filePath(name)));
    w->hide();
  };
  tools->Afe().Selector()->setCurrentIndex(2);
  tools->Afe().Address()->setCurrentIndex(7);
  tools->Afe().Data()->setText("12");
  shoot(&tools->Afe(), "afe.png");
  tools->ShowSensorMemory();
  tools->SensorMemory().Block()->setCurrentIndex(5);
  shoot(&tools->SensorMemory(), "sensor-memory.png");
  tools->Dac().Function()->setCurrentIndex(3);
  tools->Dac().Ad5590Data()->setText("2048");
  shoot(&tools->Dac(), "dac.png");
  tools->Fpga().Offset()->setText("1A");
  tools->Fpga().Get();
  shoot(&tools->Fpga(), "fpga.png");
  tools->ShowTemperature();
  CDlgTemp* temp = tools->Temperature();
  ASSERT_NE(temp, nullptr);
  shoot(temp, "temperature.png");
  tools->ShowAbout();
  shoot(&tools->About(), "about.png");
  tools->CameraId().SetButton()->setFocus();
  shoot(&tools->CameraId(), "camera-id.png");
}

}  // namespace
}  // namespace kestrel
