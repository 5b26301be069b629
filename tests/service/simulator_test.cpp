// The service tools end to end against the simulated camera, one scenario for
// each tool window's work.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "common/recording_ui.h"
#include "link/rs_port.h"
#include "protocol/cam_cmd.h"
#include "service/about_info.h"
#include "service/afe_register.h"
#include "service/camera_id.h"
#include "service/dac_write.h"
#include "service/fpga_register.h"
#include "service/memory_dump.h"
#include "service/sensor_memory.h"
#include "service/temperature_monitor.h"
#include "service/terminal_routines.h"
#include "sim/pty_camera.h"
#include "util/text_scan.h"

namespace kestrel {
namespace {

std::vector<std::string> FileLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  std::vector<std::string> lines;
  std::string text = s.str();
  for (size_t start = 0, at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
    lines.push_back(text.substr(start, at - start));
  return lines;
}

class SimulatorTest : public ::testing::Test {
 protected:
  explicit SimulatorTest(sim::SimOptions options = {}) : camera(Options(options)) {}
  static sim::SimOptions Options(sim::SimOptions o) {
    o.startBaud = 115200;
    return o;
  }
  void SetUp() override {
    char tmpl[] = "/tmp/kestrel-service-sim-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir = tmpl;
    settings.baudRate = 4;
    settings.commDevice = camera.SlavePath();
    ASSERT_EQ(cmd.OpenConfiguredPort(), 1);
  }
  void TearDown() override {
    cmd.ClosePort();
    const std::string rm = "rm -rf '" + dir + "'";
    ASSERT_EQ(std::system(rm.c_str()), 0);
  }
  std::string File(const std::string& name) const { return dir + "/" + name; }

  sim::PtyCamera camera;
  std::string dir;
  Settings settings;
  CRsPort port;
  testing::RecordingUi ui;
  CCamCmd cmd{settings, port, ui};
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
  std::vector<std::string> rows = FileLines(path);
  ASSERT_EQ(rows.size(), 128u);
  EXPECT_EQ(rows[1].substr(rows[1].find(',') + 1, 6), "0x101,");

  camera.WithModel([](sim::CameraModel& m) { m.Array("AFG").assign(128, 0); });
  ASSERT_EQ(LoadRegisterFile(cmd, path), 1);
  camera.WithModel([](sim::CameraModel& m) { EXPECT_EQ(m.Array("AFG")[127], 0x17F); });
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(SimulatorTest, SensorMemoryLoadSaveAndSwitches) {
  const std::string in = File("in.csv");
  std::ofstream(in) << "0x1\n0x2\n0x3\n0x4\n0x5\n0x6\n0x7\n0x8\n0xABCDEF01\n"
                    << "0x0\n0x0\n0x0\n0x0\n0x0\n0x0\n0x0\n";
  ASSERT_EQ(LoadSensorMemory(cmd, 1, 5, in), 1);
  camera.WithModel([](sim::CameraModel& m) {
    EXPECT_EQ(m.SensorMemory(0, 0x2800), 1u);
    EXPECT_EQ(m.SensorMemory(0, 0x2808), 0xABCDEF01u);
    EXPECT_EQ(m.SensorMemory(1, 0x2800), 0u);  // red only
  });
  const std::string out = File("out.csv");
  ASSERT_EQ(SaveSensorMemory(cmd, 1, 5, out), 1);
  std::vector<std::string> words = FileLines(out);
  ASSERT_EQ(words.size(), 1024u);
  EXPECT_EQ(words[0], "0x1");
  EXPECT_EQ(words[8], "0xABCDEF01");
  EXPECT_EQ(words[9], "0x0");

  EXPECT_EQ(SetSensorSwitch(cmd, SensorSwitch::Sensor, 1), 1);
  EXPECT_EQ(SetSensorSwitch(cmd, SensorSwitch::Trigger, 0), 1);
  int sensor = 0, trigger = 7;
  EXPECT_EQ(RefreshSensorSwitches(cmd, sensor, trigger), 1);
  EXPECT_EQ(sensor, 1);
  EXPECT_EQ(trigger, 0);
  EXPECT_EQ(SetSensorSwitch(cmd, SensorSwitch::Trigger, 1), 1);
  EXPECT_EQ(RefreshSensorSwitches(cmd, sensor, trigger), 1);
  EXPECT_EQ(trigger, 1);
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
  std::vector<std::string> rows = FileLines(csv);
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
  std::vector<std::string> rows = FileLines(video);
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

TEST_F(SimulatorTest, MemoryDumpToFile) {
  cmd.SendCommand(MemoryWriteLine("260008", "1F"), 1);
  ASSERT_EQ(cmd.WaitComplete(3000, 1), 1);
  const std::string path = File("dump.csv");
  ASSERT_EQ(DumpToFile(cmd, path, "260000", "10"), 1);
  std::vector<std::string> rows = FileLines(path);
  ASSERT_EQ(rows.size(), 17u);
  EXPECT_EQ(rows[3], "3,&H260008,&H1F,31");
  EXPECT_EQ(ui.log.front(), "Tx: WMW=&H260008, &H1F");
}

class NoWindow : public TemperatureHost {
  void StartTimer(int, int) override {}
  void StopTimer(int) override {}
  void ShowTemperatures(const std::string&, const std::string&) override {}
  void SetIndicator(bool) override {}
};

TEST_F(SimulatorTest, DacFpgaAndTemperature) {
  ASSERT_EQ(WriteAd5590(cmd, 3, 1, 5, "2048"), 1);
  ASSERT_EQ(WriteBh2220(cmd, "7"), 1);
  int partner = -1;
  ASSERT_EQ(cmd.QueryInt(cmd.Table().Find(BlackOffsetMnemonic(2, 5)), partner, 3000, 1, 1), 1);
  EXPECT_EQ(partner, 2048);

  WriteFpgaRegister(cmd, "1A", "BEEF");
  ASSERT_EQ(cmd.WaitLine(1, 3000), 1);  // its reply, which the panel's poll would take
  std::string data = "0", acc2;
  ASSERT_EQ(ReadFpgaRegister(cmd, "1A", data), 1);
  EXPECT_EQ(data, "BEEF");
  EXPECT_EQ(ReadSampleAverage(cmd, 2, acc2), 1);
  EXPECT_EQ(acc2, "508");

  camera.WithModel([](sim::CameraModel& m) {
    m.SetInt("TMP0", -16);
    m.SetInt("TMP02", 400);
  });
  NoWindow window;
  TemperatureMonitor monitor(cmd, window);
  monitor.Open();
  EXPECT_EQ(monitor.Sensor1Text() + "|" + monitor.Sensor2Text(), "-1.0|25.0");
  EXPECT_TRUE(monitor.Polling());
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(SimulatorTest, AboutFieldsUserIdAndCameraId) {
  CameraInfo info;
  ASSERT_EQ(RefreshCameraData(cmd, info), 6);
  EXPECT_EQ(info.modelName, "HX-9302");
  EXPECT_EQ(info.firmwareVersion, "  1.0.2.5");

  EXPECT_EQ(SaveUserId(cmd, "LINE-7 STATION 3"), 1);
  CameraIdBoxes boxes = {"K", "0", "0", "0", "", "0", "0", "0", "4", "2"};
  EXPECT_EQ(SaveCameraId(cmd, boxes), 1);
  ASSERT_EQ(RefreshCameraData(cmd, info), 6);
  EXPECT_EQ(info.cameraId, "K00000042");
  EXPECT_EQ(info.userId, "LINE-7 STATION 3");  // a text reply keeps its blanks
  EXPECT_EQ(settings.cameraId, "K00000042");
}

}  // namespace
}  // namespace kestrel
