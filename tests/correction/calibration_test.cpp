#include <gtest/gtest.h>

#include "correction/calibration.h"
#include "fake_camera.h"
#include "protocol/settings.h"

namespace kestrel {
namespace {

CalibrationTiming Fast() {
  CalibrationTiming t;
  t.queryTimeoutMs = 50;
  t.pollIntervalMs = 0;
  return t;
}

class CalibrationTest : public ::testing::Test, public testing::CameraFixture {
 protected:
  void SetUp() override { ASSERT_TRUE(opened); }
};

TEST(CalibrationRulesTest, RunButtonFollowsSettingAndMode) {
  EXPECT_FALSE(RunButtonEnabled(0, kModeFactory));
  EXPECT_FALSE(RunButtonEnabled(1, kModeUser));
  EXPECT_TRUE(RunButtonEnabled(1, kModeFactory));
  EXPECT_TRUE(RunButtonEnabled(2, kModeUser));
  EXPECT_TRUE(RunButtonEnabled(2, kModeFactory));
  EXPECT_EQ(ClampABlack("-4"), 0);
  EXPECT_EQ(ClampABlack("300"), 255);
  EXPECT_EQ(ClampABlack("96x"), 96);
}

TEST_F(CalibrationTest, StatusCodesGiveTheirMessages) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"1", "Completed the Auto PRNU Pixel Gain Correction."},
      {"2", "Error1 - Image was too bright."},
      {"3", "Error2 - Image was too dark."},
      {"4", "Error3 - Timeout error occurred."},
      {"7", "Unknown error occurred."},
  };
  for (const auto& [status, text] : cases) {
    ui.boxes.clear();
    camera.QueueAnswers("PGS2", {"0", "0", status});
    const auto r = RunAutoCorrection(cmd, 4, 2, Fast());
    EXPECT_EQ(r,
              status == "1" ? AutoCorrectionResult::Completed : AutoCorrectionResult::CameraError);
    ASSERT_EQ(ui.boxes.size(), 2u) << status;
    EXPECT_EQ(ui.boxes[0].text, "Please turn on the light");
    EXPECT_EQ(ui.boxes[0].caption, "Pixel Gain Correction");
    EXPECT_EQ(ui.boxes[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(ui.boxes[1].text, text);
    EXPECT_EQ(ui.boxes[1].icon, status == "1" ? MsgIcon::Information : MsgIcon::Warning);
  }
  EXPECT_EQ(camera.Lines().front(), "PGR2=0");  // "User": the user form
  EXPECT_EQ(camera.QueryCount("PGS2"), 15);
}

TEST_F(CalibrationTest, ThousandZeroPollsEndTheWait) {
  camera.QueueAnswers("SDS", {"0"});
  EXPECT_EQ(RunAutoCorrection(cmd, 0, 1, Fast()), AutoCorrectionResult::StillRunning);
  EXPECT_EQ(camera.Lines().front(), "SDR0=0");  // "Factory": the factory form
  EXPECT_EQ(camera.QueryCount("SDS"), 1000);
  EXPECT_EQ(ui.boxes.back().text, "Timeout by Kestrel.");
}

TEST_F(CalibrationTest, CancelSendsNothingAndAMissingStatusSaysSo) {
  ui.answers = {MsgAnswer::Cancel};
  EXPECT_EQ(RunAutoCorrection(cmd, 2, 2, Fast()), AutoCorrectionResult::Cancelled);
  EXPECT_EQ(ui.boxes[0].text, "Please shade the light");
  EXPECT_EQ(RunAutoCorrection(cmd, 5, 0, Fast()), AutoCorrectionResult::NotRun);
  EXPECT_TRUE(camera.Lines().empty());

  camera.QueueAnswers("PBS2", {"<silent>"});
  EXPECT_EQ(RunAutoCorrection(cmd, 5, 2, Fast()), AutoCorrectionResult::NoStatus);
  EXPECT_EQ(ui.boxes.back().text, "Timeout - Request.");
}

TEST_F(CalibrationTest, FactorySequencesSendTheirLinesInOrder) {
  EXPECT_EQ(PrnuCalibration(cmd, 2), 1);
  EXPECT_EQ(camera.Lines(), (std::vector<std::string>{"TR2=1", "GA2T1=0", "PGL2=0", "PGL2=1"}));
  EXPECT_EQ(ui.boxes[0].caption, "PRNU Calibration");
  EXPECT_EQ(ui.boxes[0].text, "各色のLevelが約800LSBになるように調整してください");

  testing::FakeCamera second;
  Settings s2;
  s2.commDevice = second.Path();
  CRsPort port2;
  testing::RecordingUi ui2;
  CCamCmd cmd2(s2, port2, ui2);
  ASSERT_EQ(cmd2.OpenConfiguredPort(), 1);
  ReadoutCalibration(cmd2, 2);
  EXPECT_EQ(second.Lines(),
            (std::vector<std::string>{"GA1T1=0", "GA2T1=0", "CBC0=1,2,0", "CBC0=1,2,1",
                                      "CBC0=1,2,0", "CBC0=1,2,1", "SA00=0"}));
  EXPECT_EQ(ui2.BoxTexts(), (std::vector<std::string>{
                                "遮光してください", "青の Level を約800LSBに調整してください",
                                "遮光してください", "青の Level を約800LSBに調整してください"}));

  ui2.answers = {MsgAnswer::Cancel};
  EXPECT_EQ(PrnuCalibration(cmd2, 1), 0);  // the first two sets stay in effect
  EXPECT_EQ(second.Lines().back(), "GA1T1=0");
}

TEST_F(CalibrationTest, ColumnCalibrationSteps) {
  ColumnCalibration cal;
  EXPECT_FALSE(cal.Ok(cmd));  // OK before Start does nothing
  cal.Start(cmd);
  EXPECT_EQ(cal.Step(), 1);
  EXPECT_FALSE(cal.Ok(cmd));
  EXPECT_EQ(cal.Step(), 2);
  EXPECT_TRUE(cal.Ok(cmd));
  EXPECT_EQ(cal.Step(), 0);
  EXPECT_EQ(camera.Lines(),
            (std::vector<std::string>{"GA1T1=0", "GA2T1=0", "AFM=7C,0", "BYP=1", "CBC0=0,0",
                                      "AFM=7C,0", "CBC0=0,1", "BYP=0", "SA00=0"}));
}

TEST_F(CalibrationTest, TapGainBalance) {
  EXPECT_EQ(TapGainBalance(cmd, 2), 1);
  EXPECT_EQ(camera.Lines().back(), "ATBF2=0");
  EXPECT_EQ(ui.boxes.back().text, "Completed");
  const auto rows = TapGainRows(cmd, 2);
  EXPECT_EQ(cmd.Table()[rows[0]].mnemonic, "GA2T1");
  EXPECT_EQ(cmd.Table()[rows[7]].mnemonic, "GA2T8F");
}

}  // namespace
}  // namespace kestrel
