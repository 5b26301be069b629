// A setting file saved from one simulated camera's panel replays into another
// camera, which then holds the same value for every parameter the file carries.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "common/recording_ui.h"
#include "link/rs_port.h"
#include "panel/binding_table.h"
#include "panel/headless_view.h"
#include "panel/setting_file.h"
#include "sim/pty_camera.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

// One camera with the panel's table attached to it.
struct Station {
  explicit Station(int mode) {
    settings.commDevice = camera.SlavePath();
    settings.operatingMode = mode;
    EXPECT_EQ(cmd.OpenConfiguredPort(), 1);
    table.AttachView(&view);
  }
  sim::PtyCamera camera;
  Settings settings;
  CRsPort port;
  testing::RecordingUi ui;
  CCamCmd cmd{settings, port, ui};
  BindingTable table{cmd};
  HeadlessBindingView view{table};
};

class SettingFileSimTest : public ::testing::TestWithParam<int> {};

TEST_P(SettingFileSimTest, ReplayMakesTheSecondCameraAnswerAlike) {
  const int mode = GetParam();
  Station a(mode);
  // Values away from the defaults, user and factory, plain, indexed and text.
  a.camera.WithModel([](sim::CameraModel& m) {
    m.SetInt("TGSM", 1);
    m.SetInt("LR", 1000);
    m.SetInt("PE", 900);
    m.SetInt("CABL2", -2, 1);
    m.SetInt("CABA2", 3, 2);
    m.SetText("CABN1", "LensA");
    m.SetInt("BAS00", 1);
    m.SetInt("CT1R9", 77);
    m.SetInt("GA1T2F", -5);
  });
  a.table.ReadAllParams();
  const fs::path file =
      fs::temp_directory_path() / ("setting_file_sim_" + std::to_string(::getpid()) + ".cam");
  ASSERT_TRUE(SaveSettingFile(file.string(), a.cmd, BindingValues(a.table), mode, a.ui));

  Station b(kModeUser);  // the replay does not consult the mode
  TablePanel<BindingTable> panel(b.table);
  const ReplayResult r = ReplaySettingFile(file.string(), b.cmd, &panel);
  fs::remove(file);
  EXPECT_TRUE(r.ok()) << ::testing::PrintToString(b.ui.BoxTexts());

  int compared = 0;
  for (int i = 0; i < a.table.Count(); ++i) {
    const ControlBinding& s = a.table.Slot(i);
    if (AlwaysSkippedInFiles(s.controlId) || (s.factory && mode != kModeFactory)) continue;
    const int row = s.cmdIndex;
    const auto ia = a.camera.WithModel([&](sim::CameraModel& m) { return m.RowInt(row); });
    const auto ib = b.camera.WithModel([&](sim::CameraModel& m) { return m.RowInt(row); });
    const auto ta = a.camera.WithModel([&](sim::CameraModel& m) { return m.RowText(row); });
    const auto tb = b.camera.WithModel([&](sim::CameraModel& m) { return m.RowText(row); });
    EXPECT_EQ(ia, ib) << s.command;
    EXPECT_EQ(ta, tb) << s.command;
    // The panel took every replayed value too.
    EXPECT_EQ(b.table.GetParam(s.controlId), a.table.GetParam(s.controlId)) << s.command;
    ++compared;
  }
  EXPECT_GT(compared, mode == kModeFactory ? 200 : 60);
  const auto factoryValue = b.camera.WithModel([](sim::CameraModel& m) { return m.Int("CT1R9"); });
  EXPECT_EQ(factoryValue, mode == kModeFactory ? 77 : 0);
}

INSTANTIATE_TEST_SUITE_P(Modes, SettingFileSimTest, ::testing::Values(kModeUser, kModeFactory));

}  // namespace
}  // namespace kestrel
