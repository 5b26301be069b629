#include <gtest/gtest.h>

#include <set>

#include "panel/binding_layout.h"
#include "panel/connection.h"
#include "panel_fixture.h"

namespace kestrel {
namespace {

using testing::PanelTest;
using Strings = std::vector<std::string>;

// ---------------------------------------------------------------- the table

// Each slot has its own control id and its own command row.
TEST(BindingLayoutTest, EverySlotResolvesToItsOwnCommandAndUniqueId) {
  Settings settings;
  testing::RecordingUi ui;
  CCamCmd cmd(settings, ui);
  BindingTable table(cmd);
  std::set<uint32_t> ids;
  std::set<int> rows;
  for (int i = 0; i < table.Count(); ++i) {
    const ControlBinding& b = table.Slot(i);
    EXPECT_TRUE(ids.insert(b.controlId).second) << b.controlId;
    ASSERT_TRUE(CommandTable::Valid(b.cmdIndex)) << b.command;
    EXPECT_EQ(cmd.Table()[b.cmdIndex].mnemonic, b.command);
    EXPECT_TRUE(rows.insert(b.cmdIndex).second) << b.command;
  }
}

// ---------------------------------------------------------------- edit boxes

// What a commit sends: the value as stored (clamped to the limits), once,
// with the index of an indexed row; a text exactly as typed. What is no
// number, or no text a line can carry, is refused: nothing is sent and the
// box shows the stored value again.
TEST_F(PanelTest, CommitsSendTheStoredValueOnceAndRefuseWhatCannotBeSent) {
  const struct {
    uint32_t id;
    const char* typed;
    const char* shown;  // afterwards
  } commits[] = {
      {ctrl::LR, "20000", "13340"},
      {ctrl::BLMT, "-5", "1"},
      {ctrl::GA1T1, "12", "12"},
      {ctrl::AL, "abc", "0"},
      {ctrl::GA1T1, " 12x", "12"},
      {ctrl::PE, "500", "500"},
      {ctrl::PE, "500", "500"},
      {ctrl::PE, "0500", "500"},
      {2764, "3", "3"},  // CABA2, Lens2
      {2777, "9", "6"},  // CABT2, Lens3
      {ctrl::CABN1, "Lens", "Lens"},
      {ctrl::CABN1, "Lens", "Lens"},
      {ctrl::CABN1, "lens", "lens"},
      {ctrl::CABN2, "x\r\nEB=1", ""},
      {ctrl::CABN2, "", ""},
  };
  for (const auto& c : commits) {
    Commit(c.id, c.typed,
           c.id == ctrl::PE ? BindingTable::Commit::Enter : BindingTable::Commit::FocusLoss);
    EXPECT_EQ(view.Text(c.id), c.shown) << c.typed;
  }
  Commit(ctrl::CABN2, std::string(250, 'x'));
  EXPECT_EQ(camera.Sets(), (Strings{"LR=13340", "BLMT=1", "GA1T1=12", "PE=500", "CABA2=1,3",
                                    "CABT2=2,6", "CABN1=Lens", "CABN1=lens"}));
  EXPECT_EQ(table.GetParamInt(ctrl::LR), 13340);
  EXPECT_EQ(ui.BoxTexts(),
            (Strings{"\"abc\" is not a number for AL", "\"12x\" is not a number for GA1T1",
                     "a text for CABN2 holds a line break",
                     "the text for CABN2 is longer than 249 characters"}));
}

// A set the camera did not take leaves no control showing it: the failed
// one shows what the camera answers when asked again, and it is not retried
// by later changes.
TEST_F(PanelTest, FailedSetShowsTheCameraValueAndIsNotRetried) {
  SetCamera("LR", 900);
  camera.RefuseSets("LR");
  Commit(ctrl::LR, "500");
  ASSERT_EQ(ui.BoxTexts(), (Strings{"ERROR REJECTED for LR=500"}));
  EXPECT_EQ(view.Text(ctrl::LR), "900");
  EXPECT_EQ(table.GetParamInt(ctrl::LR), 900);
  EXPECT_FALSE(table.Slot(table.CtrlId2BuffIndex(ctrl::LR)).unconfirmed);
  Select(ctrl::TR, 1);
  Commit(ctrl::AL, "7");
  EXPECT_EQ(camera.Sets(), (Strings{"LR=500", "TR=1", "AL=7"}));
  EXPECT_EQ(ui.boxes.size(), 1u);
}

// A camera that does not answer the re-read either: the value it last
// confirmed, marked; the changed values after the failed set were never sent
// and go back too.
TEST_F(PanelTest, ChangesAfterASetWithoutAnswerGoBackToTheLastConfirmedValues) {
  Commit(ctrl::AL, "9");
  camera.ClearHistory();
  table.SetParamInt(ctrl::GA1T1, 200);
  table.SetParamInt(ctrl::GA2T1, 50);
  camera.SetSilent(true);
  EXPECT_FALSE(table.SendChangedParams());
  EXPECT_EQ(camera.Sets(), (Strings{"GA1T1=200"}));
  EXPECT_EQ(table.GetParamInt(ctrl::GA1T1), 0);
  EXPECT_TRUE(table.Slot(table.CtrlId2BuffIndex(ctrl::GA1T1)).unconfirmed);
  EXPECT_EQ(table.GetParamInt(ctrl::GA2T1), 0);
  EXPECT_EQ(view.Text(ctrl::GA2T1), "0");
  // A failed query keeps the stored value and shows nothing.
  EXPECT_FALSE(table.ReadParamFromCamera(ctrl::AL));
  EXPECT_EQ(table.GetParamInt(ctrl::AL), 9);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(ui.LastLinkState(), 0);
  camera.SetSilent(false);
  EXPECT_TRUE(table.ReadParamFromCamera(ctrl::GA1T1));
  EXPECT_FALSE(table.Slot(table.CtrlId2BuffIndex(ctrl::GA1T1)).unconfirmed);
}

TEST_F(PanelTest, OnlyEditBoxesCommitAndBlemishPositionsAreLeftToTheirButtons) {
  Select(ctrl::TR, 1);
  camera.ClearHistory();
  table.OnEditCommitted(ctrl::TR, BindingTable::Commit::Enter);  // Enter on a list
  EXPECT_EQ(table.GetParamInt(ctrl::TR), 1);
  view.Type(ctrl::BLMP, "100");
  EXPECT_FALSE(table.SendEditBoxValue(ctrl::BLMP));
  EXPECT_FALSE(table.OnSpinDelta(ctrl::BLMP, 1));
  EXPECT_FALSE(table.OnSpinDelta(0, 1));
  EXPECT_TRUE(camera.Sets().empty());
  EXPECT_TRUE(ui.boxes.empty());
}

// ---------------------------------------------------------------- spins and lists

TEST_F(PanelTest, SpinPastItsLimitSendsTheLimitOnce) {
  Commit(ctrl::GMA1, "7");
  EXPECT_TRUE(table.OnSpinDelta(ctrl::GMA1, 1));
  EXPECT_TRUE(table.OnSpinDelta(ctrl::GMA1, 1));
  EXPECT_TRUE(table.OnSpinDelta(ctrl::GMA1, 5));
  EXPECT_EQ(view.Text(ctrl::GMA1), "8");
  EXPECT_TRUE(table.OnSpinDelta(3030, -1000));
  EXPECT_EQ(camera.Sets(), (Strings{"GMA1=7", "GMA1=8", "BL1S=-256"}));
}

TEST_F(PanelTest, MasterGainNarrowsAndClampsTheSecondGain) {
  Select(ctrl::GM, 1);  // Individual: 0..308
  Commit(ctrl::GA2T1, "200");
  EXPECT_EQ(table.GetParamInt(ctrl::GA2T1), 200);
  Select(ctrl::GM, 0);  // Master: -84..84
  EXPECT_EQ(table.GetParamInt(ctrl::GA2T1), 84);
  EXPECT_EQ(view.Text(ctrl::GA2T1), "84");
  EXPECT_EQ(view.Get(ctrl::GA2T1)->minimum, -84);
  EXPECT_EQ(camera.Sets(), (Strings{"GM=1", "GA2T1=200", "GM=0", "GA2T1=84"}));
  EXPECT_TRUE(table.OnSpinDelta(ctrl::GA2T1, -300));
  EXPECT_EQ(CameraInt("GA2T1"), -84);
}

TEST_F(PanelTest, ListsDriveTheEnablingRules) {
  table.ApplyEnableRules();  // start values: Sync, internal clock, no shutter
  EXPECT_TRUE(view.Enabled(ctrl::LR));
  EXPECT_FALSE(view.Enabled(ctrl::PE));
  EXPECT_FALSE(view.Enabled(ctrl::TR2));
  EXPECT_FALSE(view.Enabled(ctrl::TGSM));  // CL type "2Tap"
  EXPECT_FALSE(view.Enabled(ctrl::GMA1));
  EXPECT_FALSE(view.Enabled(ctrl::MAVCG));

  Select(ctrl::TG, 1);
  EXPECT_FALSE(view.Enabled(ctrl::LR));
  EXPECT_FALSE(view.Enabled(ctrl::AutoLineRate1));
  Select(ctrl::TR, 1);
  EXPECT_TRUE(view.Enabled(ctrl::PE));
  EXPECT_TRUE(view.Enabled(ctrl::PE2));  // Sync: Sensor2 follows TR
  Select(ctrl::CLT, 1);
  EXPECT_TRUE(view.Enabled(ctrl::TGSM));
  Select(ctrl::TGSM, 1);
  EXPECT_FALSE(view.Enabled(ctrl::CLT));
  EXPECT_TRUE(view.Enabled(ctrl::LR2));
  EXPECT_FALSE(view.Enabled(ctrl::PE2));  // ASync: TR2 is "No-shutter"
  Select(ctrl::LUTC2, 2);
  EXPECT_TRUE(view.Enabled(ctrl::LutTable2));
  EXPECT_FALSE(view.Enabled(ctrl::GMA2Spin));

  view.SetChecked(ctrl::MAV, true);
  table.OnCheckToggled(ctrl::MAV, true);
  EXPECT_TRUE(view.Enabled(ctrl::MAVCG));
  EXPECT_EQ(camera.Sets(), (Strings{"TG=1", "TR=1", "CLT=1", "TGSM=1", "LUTC2=2", "MAV=1"}));
}

TEST_F(PanelTest, TimeDisplaysFollowTheStoredValues) {
  Commit(ctrl::LR, "1000");
  EXPECT_EQ(view.Text(ctrl::LRTime), "149.925 µs");
  Select(ctrl::TR, 1);
  Commit(ctrl::PE, "1000");
  EXPECT_EQ(view.Text(ctrl::PETime), "149.925 µs");  // equal is not over
  Commit(ctrl::PE, "1200");
  EXPECT_EQ(view.Text(ctrl::PETime), " over");
  // Sync: Sensor2's exposure is judged against Sensor1's line period.
  Commit(ctrl::PE2, "1100");
  EXPECT_EQ(view.Text(ctrl::PE2Time), " over");
  Select(ctrl::TG, 1);
  EXPECT_EQ(view.Text(ctrl::PETime), "179.910 µs");
  Select(ctrl::TG, 0);
  Select(ctrl::TR, 2);  // PWC: never over
  EXPECT_EQ(view.Text(ctrl::PETime), "179.910 µs");
}

// ---------------------------------------------------------------- reading

TEST_F(PanelTest, RefreshReadsWhatTheModeShowsAndFlagsWhatIsOutOfRange) {
  Commit(3899, "5");  // SHDL16, in the AFE register dialog
  SetCamera("SHDL16", 33);
  camera.ClearHistory();
  SetCamera("LR", 2000);
  SetCamera("LR2", 0);  // outside the range: clamped and written back
  SetCamera("PE", 0);
  camera.WithModel([](sim::CameraModel& m) { m.SetText("CABN2", "Wide"); });
  SetCamera("PBC", 1);
  SetCamera("SDC2", 2);
  SetCamera("PGC", 7);
  view.SetText(ctrl::PGC, "old");
  table.RefreshFromCamera();

  const Strings queries = camera.Queries();
  EXPECT_EQ(queries.size(), 73u + 6u);  // nothing set, so nothing read back
  EXPECT_EQ(std::count(queries.begin(), queries.end(), "SHDL16?"), 0);
  EXPECT_EQ(view.Text(3899), "5");
  EXPECT_EQ(view.Text(ctrl::LR), "2000");
  EXPECT_EQ(view.Text(ctrl::CABN2), "Wide");
  EXPECT_EQ(view.Text(ctrl::LRTime), "299.850 µs");
  EXPECT_EQ(view.Text(ctrl::PBC), "Factory");
  EXPECT_EQ(view.Text(ctrl::SDC2), "User");
  EXPECT_EQ(view.Text(ctrl::PGC), "old");  // 7 is no status
  EXPECT_EQ(ui.progressTexts, (Strings{"Reading the camera's settings…"}));
  EXPECT_EQ(ui.percents.back(), 100);
  EXPECT_FALSE(ui.progressOpen);
  // Camera values outside the ranges the panel binds are flagged, never
  // clamped and written back.
  EXPECT_TRUE(camera.Sets().empty());
  EXPECT_EQ(table.ReadSummary(), "2 of 73 parameters lie outside the panel's range");

  // FACTORY mode reads every binding.
  settings.operatingMode = kModeFactory;
  SetCamera("LR", 99999);
  SetCamera("CABL2", -2, 2);
  camera.ClearHistory();
  table.RefreshFromCamera();
  EXPECT_EQ(camera.Queries().size(), 225u + 6u);
  EXPECT_EQ(view.Text(3899), "33");
  EXPECT_EQ(table.GetParamInt(2771), -2);
  EXPECT_TRUE(camera.Sets().empty());
}

TEST_F(PanelTest, AutoLineRateRereadsAndReports) {
  EXPECT_TRUE(table.RunAutoCommand(ctrl::AutoLineRate1));
  EXPECT_EQ(camera.Lines(), (Strings{"AR=0", "LR?", "PE?", "PE2?"}));
  // The values the camera chose, and the times computed from them.
  EXPECT_EQ(view.Text(ctrl::PE2), std::to_string(CameraInt("PE2")));
  EXPECT_EQ(view.Text(ctrl::LRTime), TimeText(CameraInt("LR")));
  EXPECT_EQ(ui.BoxTexts(), (Strings{"Completed the Auto Line Rate Set."}));
  camera.WithModel([](sim::CameraModel& m) { m.knobs.rejected.insert("CB"); });
  EXPECT_FALSE(table.RunAutoCommand(ctrl::ChannelBalanceGain));
  EXPECT_EQ(ui.BoxTexts().back(), "ERROR REJECTED for CB=0");
}

TEST_F(PanelTest, UnknownIdsAreReportedByTheFailingOperation) {
  EXPECT_EQ(table.CtrlId2CmdId(1), -1);
  EXPECT_FALSE(table.SetParamInt(1, 5));
  EXPECT_FALSE(table.SetParam(1, ParamValue::Int(5)));
  EXPECT_EQ(table.CmdId2CtrlId(cmd::EB), -1);
  EXPECT_EQ(ui.BoxTexts(), (Strings{"Unexpected error occurred in CtrlId2CmdId().",
                                    "Unexpected error occurred in SetParamInt().",
                                    "Unexpected error occurred in SetParam()."}));
  view.Remove(ctrl::AL);
  table.AttachView(&view);
  EXPECT_FALSE(table.SendEditBoxValue(ctrl::AL));
  EXPECT_EQ(ui.BoxTexts().back(), "Invalid handle was detected in SendEditBoxValue().");
}

}  // namespace
}  // namespace kestrel
