#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "base/settings.h"
#include "correction/calibration.h"
#include "links.h"

namespace kestrel {
namespace {

// A generous reply time-out: the simulated camera always answers, and a slow
// machine must not turn an answer into a time-out.
constexpr CalibrationTiming kTiming{2000, 0, 1000};

// A run by its target and setting, how the camera and the operator play
// along, and what it ends in: the result, the run command, how often the
// status was asked, the prompt and the reason (the last line of the failure).
TEST(CalibrationTest, RunsEndInTheirResultAndReason) {
  using R = AutoCorrectionResult;
  using Prompt = std::pair<std::string, std::string>;  // text, caption
  const Prompt G{"Please turn on the light", "Pixel Gain Correction"},
      B{"Please shade the light", "Pixel Black Correction"},
      S{"Please turn on the light", "Shading Correction"}, none;
  const struct {
    int target, setting, status;
    std::set<std::string> rejected;
    bool cancel;
    R result;
    std::string first;
    int polls;
    Prompt prompt;
    std::string why;
  } cases[] = {
      // "User": the user form; the camera's status codes.
      {4, 2, 2, {}, false, R::CameraError, "PGR2=0", 3, G, "Error1 - Image was too bright."},
      {4, 2, 3, {}, false, R::CameraError, "PGR2=0", 3, G, "Error2 - Image was too dark."},
      {4, 2, 4, {}, false, R::CameraError, "PGR2=0", 3, G, "Error3 - Timeout error occurred."},
      {4, 2, 7, {}, false, R::CameraError, "PGR2=0", 3, G, "Unknown error occurred."},
      {4, 2, 1, {}, false, R::Completed, "PGR2=0", 3, G, ""},
      // "Factory": a run that never ends is given up after a thousand polls.
      {0, 1, 0, {}, false, R::StillRunning, "SDR0=0", 1000, S, "Timeout by Kestrel."},
      {2, 2, 1, {}, true, R::Cancelled, "", 0, B, "cancelled; nothing was started"},
      {5, 0, 1, {}, false, R::NotRun, "", 0, none, "Nothing to run for this correction setting"},
      {2, 2, 1, {"PBR"}, false, R::RunFailed, "PBR=0", 0, B, "ERROR REJECTED for PBR=0"},
      {5, 2, 1, {"PBS2"}, false, R::NoStatus, "PBR2=0", 1, B, "Timeout - Request."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why + " " + std::to_string(c.target));
    sim::SimOptions options;
    options.calibrationResult = c.status;
    options.calibrationPolls = 2;
    options.rejected = c.rejected;
    testing::SimLink sim(options);
    ASSERT_TRUE(sim.link.opened);
    auto& ui = sim.link.ui;
    if (c.cancel) ui.answers = {MsgAnswer::Cancel};
    EXPECT_EQ(RunAutoCorrection(sim.link.cmd, ui, c.target, c.setting, kTiming), c.result);
    const Failure& failure = sim.link.cmd.LastFailure();
    EXPECT_EQ(failure.text.substr(failure.text.rfind('\n') + 1), c.why);
    EXPECT_EQ(failure.kind == FailureKind::Cancelled, c.cancel);
    if (c.prompt == none) {
      EXPECT_TRUE(ui.boxes.empty());
    } else {
      ASSERT_EQ(ui.BoxTexts(), std::vector<std::string>{c.prompt.first});
      EXPECT_EQ(ui.boxes[0].caption, c.prompt.second);
      EXPECT_EQ(ui.boxes[0].buttons, MsgButtons::OkCancel);
    }
    const auto sent = sim.link.Sent();
    EXPECT_EQ(sent.empty() ? "" : sent.front(), c.first);
    EXPECT_EQ(std::count_if(sent.begin(), sent.end(),
                            [](const std::string& l) { return l.back() == '?'; }),
              c.polls);
  }
  EXPECT_EQ(CorrectionTargetOf(4).completedText,
            std::string("Completed the Auto PRNU Pixel Gain Correction."));
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
  EXPECT_EQ(ui.boxes[0].text, "Adjust the light until every colour's level is about 800 LSB.");
  EXPECT_EQ(ReadoutCalibration(cmd, ui, 2), 1);
  ColumnCalibration column;
  EXPECT_FALSE(column.Ok(cmd, ui));  // OK before Start does nothing
  ASSERT_TRUE(column.Start(cmd, ui));
  EXPECT_TRUE(column.Ok(cmd, ui));  // one press runs both passes
  EXPECT_EQ(column.Step(), 0);
  EXPECT_EQ(
      sim.link.Sent(),
      (std::vector<std::string>{
          "TR2?",       "GA2T1?",     "TR2=1",      "GA2T1=0", "PGL2=0",     "PGL2=1",  // PRNU
          "GA1T1?",     "GA2T1?",     "GA1T1=0",    "GA2T1=0", "CBC0=1,2,0",            // readout
          "CBC0=1,2,1", "CBC0=1,2,0", "CBC0=1,2,1", "SA00=0",                           //
          "GA1T1?",     "GA2T1?",     "BYP?",       "AFR?7C",  "AFG?7C",     "AFB?7C",  // column
          "GA1T1=0",    "GA2T1=0",    "AFM=7C,0",   "BYP=1",   "CBC0=0,0",   "AFM=7C,0",
          "CBC0=0,1",   "BYP=0",      "SA00=0"}));
  // The prompts, and each step the camera refused, when it happened.
  const auto texts = ui.BoxTexts();
  ASSERT_EQ(texts.size(), 8u) << ::testing::PrintToString(texts);
  EXPECT_EQ(std::vector<std::string>(texts.begin() + 2, texts.end()),
            (std::vector<std::string>{
                "Shade the sensor from all light.", "Adjust the blue level to about 800 LSB.",
                "Shade the sensor from all light.", "Adjust the blue level to about 800 LSB.",
                "ERROR REJECTED for SA00=0", "ERROR REJECTED for SA00=0"}));
}

// Cancel at each prompt of each calibration leaves the camera as it was:
// what the run changed before the prompt is put back.
TEST(CalibrationTest, CancelAtAnyPromptPutsBackWhatTheRunChanged) {
  const struct {
    const char* name;
    int prompts;
    std::function<void(CCamCmd&, Reporter&)> run;
  } runs[] = {
      {"PRNU 1", 2, [](CCamCmd& c, Reporter& r) { EXPECT_EQ(PrnuCalibration(c, r, 1), 0); }},
      {"PRNU 2", 2, [](CCamCmd& c, Reporter& r) { EXPECT_EQ(PrnuCalibration(c, r, 2), 0); }},
      {"readout", 4, [](CCamCmd& c, Reporter& r) { EXPECT_EQ(ReadoutCalibration(c, r, 1), 0); }},
      {"FPLD", 1, [](CCamCmd& c, Reporter& r) { EXPECT_EQ(FpldCalibration(c, r), 0); }},
      {"column", 1,
       [](CCamCmd& c, Reporter& r) {
         ColumnCalibration column;  // its Cancel stays visible at its one step
         ASSERT_TRUE(column.Start(c, r));
         column.SetBlack(c, r, 2, 0x40);
         column.Cancel(c, r);
       }},
  };
  const char* ints[] = {"TR", "TR2", "GA1T1", "GA2T1", "BYP"};
  auto state = [&](sim::PtyCamera& camera) {
    return camera.WithModel([&](sim::CameraModel& m) {
      std::vector<int32_t> v;
      for (const char* n : ints)
        v.push_back(m.Int(n));
      for (const char* t : {"AFR", "AFG", "AFB"})
        v.push_back(m.Array(t)[ColumnCalibration::kBlackRegister]);
      return v;
    });
  };
  for (const auto& run : runs)
    for (int prompt = 0; prompt < run.prompts; ++prompt) {
      SCOPED_TRACE(std::string(run.name) + " prompt " + std::to_string(prompt));
      testing::SimLink sim;
      ASSERT_TRUE(sim.link.opened);
      sim.camera.WithModel([](sim::CameraModel& m) {
        m.SetInt("TR", 2);
        m.SetInt("TR2", 2);
        m.SetInt("BYP", 0);
        m.SetInt("GA1T1", 100);
        m.SetInt("GA2T1", 120);
        m.Array("AFR")[ColumnCalibration::kBlackRegister] = 0x11;
      });
      const std::vector<int32_t> before = state(sim.camera);
      sim.link.ui.answers.assign(static_cast<size_t>(prompt), MsgAnswer::Ok);
      sim.link.ui.answers.push_back(MsgAnswer::Cancel);
      run.run(sim.link.cmd, sim.link.ui);
      EXPECT_EQ(state(sim.camera), before);
      for (const auto& box : sim.link.ui.boxes)  // prompts only, no failure told
        EXPECT_EQ(box.buttons, MsgButtons::OkCancel) << box.text;
    }
}

}  // namespace
}  // namespace kestrel
