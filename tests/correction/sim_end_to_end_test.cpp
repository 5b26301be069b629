// Every correction kind moved file -> camera -> file through the simulated
// camera on a pseudo-terminal.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "base/text_file.h"
#include "common/file_text.h"
#include "correction/data_file.h"
#include "correction/data_transfer.h"
#include "links.h"

namespace kestrel {
namespace {

// One group a line, the progress counting the lines, and closed.
void ExpectProgressCounted(testing::RecordingUi& ui, int lines) {
  ASSERT_GE(ui.progressTexts.size(), static_cast<size_t>(lines));
  const std::string first = ui.progressTexts[ui.progressTexts.size() - static_cast<size_t>(lines)];
  EXPECT_NE(first.find(": 1 of " + std::to_string(lines) + " lines "), std::string::npos) << first;
  EXPECT_EQ(ui.percents.back(), (lines - 1) * 100 / lines);
  EXPECT_FALSE(ui.progressOpen);
  ui.progressTexts.clear();
  ui.percents.clear();
}

TEST(SimEndToEnd, EveryKindAndSensorSurvivesFileToCameraToFile) {
  testing::SimLink sim;
  ASSERT_TRUE(sim.link.opened);
  CCamCmd& cmd = sim.link.cmd;
  CDataTransfer transfer(cmd, TransferTiming{3000, 3000, 0, 6000});
  testing::TempFolder dir;
  const std::string out = dir / "out.csv", back = dir / "back.csv";
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

      ASSERT_FALSE(WriteDataFile(out, values.data(), info.perCommand, RowsOf(kind)));
      ASSERT_EQ(LoadCorrectionFile(transfer, kind, out, sensor), 1) << cmd.LastFailure().text;
      ExpectProgressCounted(sim.link.ui, RowsOf(kind));
      EXPECT_EQ(sim.camera.WithModel(
                    [&](sim::CameraModel& m) { return m.Array(MnemonicOf(kind, sensor)); }),
                values);
      ASSERT_EQ(SaveCorrectionFile(transfer, kind, back, sensor), 1);
      ExpectProgressCounted(sim.link.ui, RowsOf(kind));
      std::string a, b;
      ASSERT_TRUE(ReadWholeFile(out, a));
      ASSERT_TRUE(ReadWholeFile(back, b));
      EXPECT_EQ(a, b);
    }
  }
}

}  // namespace
}  // namespace kestrel
