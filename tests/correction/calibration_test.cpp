#include <gtest/gtest.h>

#include <algorithm>

#include "base/settings.h"
#include "correction/calibration.h"
#include "links.h"

namespace kestrel {
namespace {

// A generous reply time-out: the simulated camera always answers, and a slow
// machine must not turn an answer into a time-out.
constexpr CalibrationTiming kTiming{2000, 0, 1000};

int Count(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

TEST(CalibrationTest, StatusCodesGiveTheirMessages) {
  const std::vector<std::pair<int, std::string>> cases = {
      {1, "Completed the Auto PRNU Pixel Gain Correction."},
      {2, "Error1 - Image was too bright."},
      {3, "Error2 - Image was too dark."},
      {4, "Error3 - Timeout error occurred."},
      {7, "Unknown error occurred."},
  };
  for (const auto& [status, text] : cases) {
    sim::SimOptions options;
    options.calibrationResult = status;
    options.calibrationPolls = 2;
    testing::SimLink sim(options);
    ASSERT_TRUE(sim.link.opened);
    const auto r = RunAutoCorrection(sim.link.cmd, 4, 2, kTiming);
    EXPECT_EQ(r, status == 1 ? AutoCorrectionResult::Completed : AutoCorrectionResult::CameraError);
    const auto& boxes = sim.link.ui.boxes;
    ASSERT_EQ(boxes.size(), 2u) << status;
    EXPECT_EQ(boxes[0].text, "Please turn on the light");
    EXPECT_EQ(boxes[0].caption, "Pixel Gain Correction");
    EXPECT_EQ(boxes[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(boxes[1].text, text);
    EXPECT_EQ(boxes[1].icon, status == 1 ? MsgIcon::Information : MsgIcon::Warning);
    const auto sent = sim.link.Sent();
    EXPECT_EQ(sent.front(), "PGR2=0");  // "User": the user form
    EXPECT_EQ(Count(sent, "PGS2?"), 3);
  }
}

TEST(CalibrationTest, ThousandZeroPollsEndTheWait) {
  sim::SimOptions options;
  options.calibrationResult = 0;  // runs forever
  testing::SimLink sim(options);
  ASSERT_TRUE(sim.link.opened);
  EXPECT_EQ(RunAutoCorrection(sim.link.cmd, 0, 1, kTiming), AutoCorrectionResult::StillRunning);
  const auto sent = sim.link.Sent();
  EXPECT_EQ(sent.front(), "SDR0=0");  // "Factory": the factory form
  EXPECT_EQ(Count(sent, "SDS?"), 1000);
  EXPECT_EQ(sim.link.ui.boxes.back().text, "Timeout by Kestrel.");
}

TEST(CalibrationTest, CancelSendsNothingAndAMissingStatusSaysSo) {
  sim::SimOptions options;
  options.rejected = {"PBS2"};
  testing::SimLink sim(options);
  ASSERT_TRUE(sim.link.opened);
  auto& ui = sim.link.ui;
  ui.answers = {MsgAnswer::Cancel};
  EXPECT_EQ(RunAutoCorrection(sim.link.cmd, 2, 2, kTiming), AutoCorrectionResult::Cancelled);
  EXPECT_EQ(ui.boxes[0].text, "Please shade the light");
  EXPECT_EQ(RunAutoCorrection(sim.link.cmd, 5, 0, kTiming), AutoCorrectionResult::NotRun);
  EXPECT_TRUE(sim.link.Sent().empty());

  EXPECT_EQ(RunAutoCorrection(sim.link.cmd, 5, 2, kTiming), AutoCorrectionResult::NoStatus);
  EXPECT_EQ(ui.boxes.back().text, "Timeout - Request.");
}

TEST(CalibrationTest, FactorySequencesSendTheirLinesInOrder) {
  testing::SimLink sim;
  ASSERT_TRUE(sim.link.opened);
  auto& ui = sim.link.ui;
  EXPECT_EQ(PrnuCalibration(sim.link.cmd, 2), 1);
  EXPECT_EQ(ui.boxes[0].caption, "PRNU Calibration");
  EXPECT_EQ(ui.boxes[0].text, "各色のLevelが約800LSBになるように調整してください");
  ReadoutCalibration(sim.link.cmd, 2);
  ColumnCalibration column;
  EXPECT_FALSE(column.Ok(sim.link.cmd));  // OK before Start does nothing
  column.Start(sim.link.cmd);
  EXPECT_FALSE(column.Ok(sim.link.cmd));
  EXPECT_TRUE(column.Ok(sim.link.cmd));
  EXPECT_EQ(column.Step(), 0);
  EXPECT_EQ(
      sim.link.Sent(),
      (std::vector<std::string>{
          "TR2=1",      "GA2T1=0", "PGL2=0",     "PGL2=1",                                // PRNU
          "GA1T1=0",    "GA2T1=0", "CBC0=1,2,0", "CBC0=1,2,1", "CBC0=1,2,0",              // readout
          "CBC0=1,2,1", "SA00=0",                                                         //
          "GA1T1=0",    "GA2T1=0", "AFM=7C,0",   "BYP=1",      "CBC0=0,0",   "AFM=7C,0",  // column
          "CBC0=0,1",   "BYP=0",   "SA00=0"}));
  const auto texts = ui.BoxTexts();
  ASSERT_EQ(texts.size(), 6u) << ::testing::PrintToString(texts);
  EXPECT_EQ(
      std::vector<std::string>(texts.begin() + 2, texts.end()),
      (std::vector<std::string>{"遮光してください", "青の Level を約800LSBに調整してください",
                                "遮光してください", "青の Level を約800LSBに調整してください"}));
  // Cancelling the first prompt leaves the two sets before it in effect.
  ui.answers = {MsgAnswer::Cancel};
  EXPECT_EQ(PrnuCalibration(sim.link.cmd, 1), 0);
  EXPECT_EQ(sim.link.Sent().back(), "GA1T1=0");
}

}  // namespace
}  // namespace kestrel
