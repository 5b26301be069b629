// The video read-back end to end against the simulated camera at the line's
// speed. (The tool windows' own tests drive the other routines against the
// simulator.)
#include <gtest/gtest.h>

#include "common/file_text.h"
#include "common/recording_ui.h"
#include "link/rs_port.h"
#include "protocol/cam_cmd.h"
#include "service/terminal_routines.h"
#include "sim/pty_camera.h"

namespace kestrel {
namespace {

// Dumps come back as bursts of thousands of lines; a paced camera sends them
// at the line's speed, as the real one does.
TEST(PacedSimulatorTest, VideoReadBackHoldsEveryWord) {
  sim::SimOptions paced;
  paced.startBaud = 115200;
  paced.pace = true;
  sim::PtyCamera camera(paced);
  Settings settings;
  settings.baudRate = 4;
  settings.commDevice = camera.SlavePath();
  testing::RecordingUi ui;
  CCamCmd cmd{settings, ui};
  ASSERT_EQ(cmd.OpenConfiguredPort(), 1);
  testing::TempFolder dir;
  const uint32_t control = camera.WithModel([](sim::CameraModel& m) { return m.Memory(0x400004); });
  const std::string video = dir / "video.csv";
  ASSERT_EQ(ReadVideoData(cmd, PixelCorrectionKind::Black, video), 1);
  std::vector<std::string> rows = testing::SplitCrLf(testing::FileText(video));
  ASSERT_EQ(rows.size(), 2050u);
  camera.WithModel([&](sim::CameraModel& m) {
    for (uint32_t k = 0; k < 2048; ++k) {
      auto word = [&](uint32_t base) { return std::to_string(m.Memory(base + 4 * k)); };
      auto corr = [&](const char* table) {
        return std::to_string(static_cast<int8_t>(m.Array(table)[k] & 0xFF));
      };
      ASSERT_EQ(rows[k + 2], std::to_string(k) + ", " + word(0x260000) + ", " + word(0x261000) +
                                 ", " + word(0x262000) + ", " + std::to_string(k) + ", " +
                                 corr("PBDR") + ", " + corr("PBDG") + ", " + corr("PBDB"))
          << k;
    }
    EXPECT_EQ(m.Memory(0x400004), control & 0xFFEF);  // the correction bit is clear again
  });
  EXPECT_TRUE(ui.boxes.empty());
}

}  // namespace
}  // namespace kestrel
