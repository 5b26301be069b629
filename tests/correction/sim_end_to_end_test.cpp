// Every correction kind moved file -> camera -> file through the simulated
// camera on a pseudo-terminal.
#include <gtest/gtest.h>
#include <unistd.h>

#include <random>
#include <vector>

#include "base/text_file.h"
#include "common/recording_ui.h"
#include "correction/data_file.h"
#include "correction/data_transfer.h"
#include "link/rs_port.h"
#include "protocol/cam_cmd.h"
#include "sim/pty_camera.h"

namespace kestrel {
namespace {

class SimEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    settings.commDevice = camera.SlavePath();
    ASSERT_EQ(cmd.OpenConfiguredPort(), 1);
  }
  void TearDown() override {
    for (const std::string& p : paths_)
      std::remove(p.c_str());
  }
  std::string Path(const std::string& name) {
    // The process number keeps test programs of other trees running at the
    // same time off these files.
    paths_.push_back(::testing::TempDir() + "e2e_" + std::to_string(::getpid()) + "_" + name);
    return paths_.back();
  }
  // One group a line, the progress counting the lines, and closed.
  void ExpectProgressCounted(int lines) {
    ASSERT_GE(ui.progressTexts.size(), static_cast<size_t>(lines));
    EXPECT_EQ(ui.progressTexts[ui.progressTexts.size() - static_cast<size_t>(lines)],
              "Completed  (0 / " + std::to_string(lines) + ")");
    EXPECT_EQ(ui.progressTexts.back(),
              "Completed  (" + std::to_string(lines - 1) + " / " + std::to_string(lines) + ")");
    EXPECT_EQ(ui.percents.back(), (lines - 1) * 100 / lines);
    EXPECT_FALSE(ui.progressOpen);
    ui.progressTexts.clear();
    ui.percents.clear();
  }
  std::vector<int32_t> Model(const std::string& name) {
    return camera.WithModel([&](sim::CameraModel& m) { return m.Array(name); });
  }

  sim::PtyCamera camera;
  Settings settings;
  testing::RecordingUi ui;
  CCamCmd cmd{settings, ui};
  std::vector<std::string> paths_;
};

TEST_F(SimEndToEnd, EveryKindAndSensorSurvivesFileToCameraToFile) {
  CDataTransfer transfer(cmd, TransferTiming{3000, 3000, 0, 6000});
  std::mt19937 random(7);
  for (int k = 0; k < kCorrectionKindCount; ++k) {
    const auto kind = static_cast<CorrectionKind>(k);
    const CorrectionKindInfo& info = InfoOf(kind);
    for (int sensor : {1, 2}) {
      if (sensor == 2 && info.mnemonic2 == nullptr) continue;
      SCOPED_TRACE(MnemonicOf(kind, sensor));
      std::uniform_int_distribution<int32_t> pick(info.minimum, info.maximum);
      std::vector<int32_t> values(static_cast<size_t>(info.count));
      for (int32_t& v : values)
        v = pick(random);
      values.front() = info.minimum;
      values.back() = info.maximum;

      const std::string out = Path("out.csv"), back = Path("back.csv");
      ASSERT_FALSE(WriteDataFile(out, values.data(), info.perCommand, RowsOf(kind)));
      ASSERT_EQ(LoadCorrectionFile(transfer, kind, out, sensor), 1) << cmd.LastFailure().text;
      ExpectProgressCounted(RowsOf(kind));
      EXPECT_EQ(Model(MnemonicOf(kind, sensor)), values);
      ASSERT_EQ(SaveCorrectionFile(transfer, kind, back, sensor), 1);
      ExpectProgressCounted(RowsOf(kind));
      std::string a, b;
      ASSERT_TRUE(ReadWholeFile(out, a));
      ASSERT_TRUE(ReadWholeFile(back, b));
      EXPECT_EQ(a, b);
    }
  }
}

}  // namespace
}  // namespace kestrel
