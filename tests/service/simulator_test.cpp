// The service routines end to end against the simulated camera: what a file
// takes to the camera comes back the same. (The tool windows' own tests drive
// the other routines against the simulator.)
#include <gtest/gtest.h>

#include <fstream>

#include "common/file_text.h"
#include "common/recording_ui.h"
#include "link/rs_port.h"
#include "protocol/cam_cmd.h"
#include "service/afe_register.h"
#include "service/terminal_routines.h"
#include "sim/pty_camera.h"

namespace kestrel {
namespace {

class SimulatorTest : public ::testing::Test {
 protected:
  explicit SimulatorTest(sim::SimOptions options = {}) : camera(Options(options)) {}
  static sim::SimOptions Options(sim::SimOptions o) {
    o.startBaud = 115200;
    return o;
  }
  void SetUp() override {
    settings.baudRate = 4;
    settings.commDevice = camera.SlavePath();
    ASSERT_EQ(cmd.OpenConfiguredPort(), 1);
  }
  void TearDown() override { cmd.ClosePort(); }
  std::string File(const std::string& name) const { return dir / name; }

  sim::PtyCamera camera;
  testing::TempFolder dir;
  Settings settings;
  testing::RecordingUi ui;
  CCamCmd cmd{settings, ui};
};

TEST_F(SimulatorTest, AfeRegisterWriteAndTableRoundTrip) {
  ASSERT_EQ(WriteAfeRegister(cmd, 2, 0x47 - 0x40, "12"), 1);
  ASSERT_EQ(WriteAfeRegister(cmd, 17, 0xE4 - 0x40, "FF"), 1);
  camera.WithModel([](sim::CameraModel& m) {
    EXPECT_EQ((m.afe[{1, 0x47, 1}]), 0x12u);
    EXPECT_EQ((m.afe.count({1, 0x47, 2})), 0u);
    EXPECT_EQ((m.afe[{7, 0xE4, 2}]), 0xFFu);
    for (int i = 0; i < 128; ++i)
      m.Array("AFG")[static_cast<size_t>(i)] = 0x100 + i;
  });
  const std::string path = File("afe.csv");
  ASSERT_EQ(SaveRegisterFile(cmd, path), 1);
  std::vector<std::string> rows = testing::SplitCrLf(testing::FileText(path));
  ASSERT_EQ(rows.size(), 128u);
  EXPECT_EQ(rows[1].substr(rows[1].find(',') + 1, 6), "0x101,");

  camera.WithModel([](sim::CameraModel& m) { m.Array("AFG").assign(128, 0); });
  ASSERT_EQ(LoadRegisterFile(cmd, path), 1);
  camera.WithModel([](sim::CameraModel& m) { EXPECT_EQ(m.Array("AFG")[127], 0x17F); });
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(SimulatorTest, TerminalCorrectionRoutinesRoundTrip) {
  const std::string txt = File("black.txt");
  {
    std::ofstream file(txt);
    file << "1\t-2\t3\n4\t5\t-6\n";
    for (int i = 2; i < kTerminalPixels; ++i)
      file << "0\t0\t0\n";
  }
  ASSERT_EQ(WriteCorrectionData(cmd, PixelCorrectionKind::Black, PixelStoreArea::User, txt), 1);
  camera.WithModel([](sim::CameraModel& m) {
    EXPECT_EQ(m.Array("PBDG")[0], -2);
    EXPECT_EQ(m.Array("PBDB")[1], -6);
  });
  const std::string csv = File("black.csv");
  ASSERT_EQ(ReadCorrectionData(cmd, PixelCorrectionKind::Black, csv), 1);
  std::vector<std::string> rows = testing::SplitCrLf(testing::FileText(csv));
  ASSERT_EQ(rows.size(), 2049u);
  EXPECT_EQ(rows[1], "1, -2, 3");
  EXPECT_EQ(rows[2], "4, 5, -6");
  EXPECT_TRUE(ui.boxes.empty());
}

// Dumps come back as bursts of thousands of lines; a paced camera sends them
// at the line's speed, as the real one does.
class PacedSimulatorTest : public SimulatorTest {
 protected:
  static sim::SimOptions Paced() {
    sim::SimOptions o;
    o.pace = true;
    return o;
  }
  PacedSimulatorTest() : SimulatorTest(Paced()) {}
};

TEST_F(PacedSimulatorTest, VideoReadBackHoldsEveryWord) {
  const uint32_t control = camera.WithModel([](sim::CameraModel& m) { return m.Memory(0x400004); });
  const std::string video = File("video.csv");
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
