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

// The messages of a run, by the status the camera ends it with.
TEST(CalibrationTest, StatusCodesGiveTheirMessages) {
  const std::vector<std::pair<int, std::string>> cases = {
      {2, "Error1 - Image was too bright."},
      {3, "Error2 - Image was too dark."},
      {4, "Error3 - Timeout error occurred."},
      {7, "Unknown error occurred."},
      {1, ""},
  };
  for (const auto& [status, text] : cases) {
    sim::SimOptions options;
    options.calibrationResult = status;
    options.calibrationPolls = 2;
    testing::SimLink sim(options);
    ASSERT_TRUE(sim.link.opened);
    const auto r = RunAutoCorrection(sim.link.cmd, sim.link.ui, 4, 2, kTiming);
    if (status == 1) {
      EXPECT_EQ(r, AutoCorrectionResult::Completed);
    } else {
      EXPECT_EQ(r, AutoCorrectionResult::CameraError);
      EXPECT_EQ(sim.link.cmd.LastFailure().text, text);
    }
    EXPECT_EQ(sim.link.ui.BoxTexts(), std::vector<std::string>{"Please turn on the light"});
    EXPECT_EQ(sim.link.ui.boxes[0].caption, "Pixel Gain Correction");
    EXPECT_EQ(sim.link.ui.boxes[0].buttons, MsgButtons::OkCancel);
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
  EXPECT_EQ(RunAutoCorrection(sim.link.cmd, sim.link.ui, 0, 1, kTiming),
            AutoCorrectionResult::StillRunning);
  const auto sent = sim.link.Sent();
  EXPECT_EQ(sent.front(), "SDR0=0");  // "Factory": the factory form
  EXPECT_EQ(Count(sent, "SDS?"), 1000);
  EXPECT_EQ(sim.link.cmd.LastFailure().text, "Timeout by Kestrel.");
}

TEST(CalibrationTest, CancelSendsNothingAndAMissingStatusSaysSo) {
  sim::SimOptions options;
  options.rejected = {"PBS2", "PBR"};
  testing::SimLink sim(options);
  ASSERT_TRUE(sim.link.opened);
  CCamCmd& cmd = sim.link.cmd;
  auto& ui = sim.link.ui;
  ui.answers = {MsgAnswer::Cancel};
  EXPECT_EQ(RunAutoCorrection(cmd, ui, 2, 2, kTiming), AutoCorrectionResult::Cancelled);
  EXPECT_EQ(cmd.LastFailure().kind, FailureKind::Cancelled);
  EXPECT_EQ(ui.boxes[0].text, "Please shade the light");
  EXPECT_EQ(RunAutoCorrection(cmd, ui, 5, 0, kTiming), AutoCorrectionResult::NotRun);
  EXPECT_TRUE(sim.link.Sent().empty());

  EXPECT_EQ(RunAutoCorrection(cmd, ui, 2, 2, kTiming), AutoCorrectionResult::RunFailed);
  EXPECT_EQ(cmd.LastFailure().kind, FailureKind::Rejected);
  EXPECT_EQ(RunAutoCorrection(cmd, ui, 5, 2, kTiming), AutoCorrectionResult::NoStatus);
  EXPECT_EQ(cmd.LastFailure().kind, FailureKind::Unreadable);
  EXPECT_EQ(cmd.LastFailure().text.substr(cmd.LastFailure().text.rfind('\n') + 1),
            "Timeout - Request.");
}

TEST(CalibrationTest, FactorySequencesSendTheirLinesInOrder) {
  sim::SimOptions options;
  options.rejected = {"SA00"};
  testing::SimLink sim(options);
  ASSERT_TRUE(sim.link.opened);
  CCamCmd& cmd = sim.link.cmd;
  auto& ui = sim.link.ui;
  EXPECT_EQ(PrnuCalibration(cmd, ui, 2), 1);
  EXPECT_EQ(ui.boxes[0].caption, "PRNU Calibration");
  EXPECT_EQ(ui.boxes[0].text, "各色のLevelが約800LSBになるように調整してください");
  ReadoutCalibration(cmd, ui, 2);
  ColumnCalibration column;
  EXPECT_FALSE(column.Ok(cmd, ui));  // OK before Start does nothing
  column.Start(cmd, ui);
  EXPECT_FALSE(column.Ok(cmd, ui));
  EXPECT_TRUE(column.Ok(cmd, ui));
  EXPECT_EQ(column.Step(), 0);
  EXPECT_EQ(
      sim.link.Sent(),
      (std::vector<std::string>{
          "TR2=1",      "GA2T1=0", "PGL2=0",     "PGL2=1",                                // PRNU
          "GA1T1=0",    "GA2T1=0", "CBC0=1,2,0", "CBC0=1,2,1", "CBC0=1,2,0",              // readout
          "CBC0=1,2,1", "SA00=0",                                                         //
          "GA1T1=0",    "GA2T1=0", "AFM=7C,0",   "BYP=1",      "CBC0=0,0",   "AFM=7C,0",  // column
          "CBC0=0,1",   "BYP=0",   "SA00=0"}));
  // The prompts, and each step the camera refused, when it happened.
  const auto texts = ui.BoxTexts();
  ASSERT_EQ(texts.size(), 8u) << ::testing::PrintToString(texts);
  EXPECT_EQ(std::vector<std::string>(texts.begin() + 2, texts.end()),
            (std::vector<std::string>{"遮光してください", "青の Level を約800LSBに調整してください",
                                      "遮光してください", "青の Level を約800LSBに調整してください",
                                      "ERROR REJECTED for SA00=0", "ERROR REJECTED for SA00=0"}));
  // Cancelling the first prompt leaves the two sets before it in effect.
  ui.answers = {MsgAnswer::Cancel};
  EXPECT_EQ(PrnuCalibration(cmd, ui, 1), 0);
  EXPECT_EQ(sim.link.Sent().back(), "GA1T1=0");
}

}  // namespace
}  // namespace kestrel
