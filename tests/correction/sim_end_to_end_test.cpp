// Every correction kind, the LUTs and the aberration table moved camera -> file
// -> camera through the simulated camera on a pseudo-terminal.
#include <gtest/gtest.h>
#include <unistd.h>

#include <random>
#include <vector>

#include "base/text_file.h"
#include "common/recording_ui.h"
#include "correction/aberration.h"
#include "correction/data_file.h"
#include "correction/data_transfer.h"
#include "correction/lut_edit_points.h"
#include "correction/lut_table.h"
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
      ASSERT_EQ(WriteDataFile(ui, out, values.data(), info.perCommand, RowsOf(kind)), 1)
          << ::testing::PrintToString(ui.BoxTexts());
      ASSERT_EQ(LoadCorrectionFile(transfer, kind, out, sensor), 1)
          << ::testing::PrintToString(ui.BoxTexts());
      EXPECT_EQ(Model(MnemonicOf(kind, sensor)), values);
      ASSERT_EQ(SaveCorrectionFile(transfer, kind, back, sensor), 1);
      std::string a, b;
      ASSERT_TRUE(ReadWholeFile(out, a));
      ASSERT_TRUE(ReadWholeFile(back, b));
      EXPECT_EQ(a, b);
      EXPECT_EQ(ui.BoxTexts(), (std::vector<std::string>{info.loadMessage, info.saveMessage}));
      ui.boxes.clear();
    }
  }
}

TEST_F(SimEndToEnd, LutAndAberrationTablesRoundTrip) {
  LutEditPoints points;
  points.MouseMoveInGraph(70, 90, LutEditPoints::Buttons::LeftOnly);
  points.MouseMoveInGraph(180, 30, LutEditPoints::Buttons::LeftOnly);
  const LutTable table = points.Table();
  ASSERT_EQ(WriteLutTable(cmd, 1, table), 1);
  EXPECT_EQ(Model("LUTD2"), std::vector<int32_t>(table.begin(), table.end()));
  const std::string gamma = Path("gamma.csv");
  LutTable read{};
  ASSERT_EQ(ReadLutTable(cmd, 1, read), 256);
  ASSERT_EQ(SaveGammaFile(ui, gamma, read), 1);
  LutTable loaded{};
  ASSERT_EQ(LoadGammaFile(ui, gamma, loaded), 1);
  EXPECT_EQ(loaded, table);

  AberrationTable ab{};
  for (int i = 0; i < kAberrationValues; ++i)
    ab[static_cast<size_t>(i)] = i % 2 ? -32768 + i : 32767 - i;
  const std::string file = Path("aberration.csv");
  ASSERT_TRUE(WriteFileAtomically(file, FormatAberrationText(ab)));
  ASSERT_EQ(LoadAberrationFile(cmd, file), 1);
  EXPECT_EQ(Model("CAB2"), std::vector<int32_t>(ab.begin(), ab.end()));
  const std::string back = Path("aberration_back.csv");
  ASSERT_EQ(SaveAberrationFile(cmd, back), 1);
  const auto texts = ui.BoxTexts();
  EXPECT_EQ(std::vector<std::string>(texts.end() - 2, texts.end()),
            (std::vector<std::string>{"Succeeded in reading", "Succeeded in writing"}));
  std::string a, b;
  ASSERT_TRUE(ReadWholeFile(file, a));
  ASSERT_TRUE(ReadWholeFile(back, b));
  EXPECT_EQ(a, b);
}

}  // namespace
}  // namespace kestrel
