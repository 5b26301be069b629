#include <gtest/gtest.h>

#include <atomic>

#include "base/text_file.h"
#include "common/file_text.h"
#include "correction/aberration.h"
#include "links.h"

namespace kestrel {
namespace {

AberrationTable Ramp() {
  AberrationTable t{};
  for (int i = 0; i < kAberrationValues; ++i)
    t[static_cast<size_t>(i)] = (i - 56) * 577;
  return t;
}

TEST(AberrationFileTest, TextRoundTripAndWhatAFileMustHold) {
  const AberrationTable t = Ramp();
  const std::string text = FormatAberrationText(t);
  EXPECT_EQ(text.substr(0, text.find('\n') + 1), "Sens2,,,,,,\r\n");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 17);
  AberrationTable back{};
  EXPECT_EQ(ParseAberrationText(text, back), "");
  EXPECT_EQ(back, t);
  // Any header line is skipped; a short file is refused, never padded with zeros.
  back = {};
  EXPECT_EQ(ParseAberrationText("Sens2\n1,2,3\n", back), "line 2: 3 values where a line holds 7");
  EXPECT_EQ(ParseAberrationText("1,2,3,4,5,6,7\n" + text.substr(text.find('\n') + 1), back), "");
  EXPECT_EQ(back, t);
}

TEST(AberrationCameraTest, BadFilesSayWhyAndSendNothing) {
  testing::SimLink sim;
  ASSERT_TRUE(sim.link.opened);
  testing::TempFolder dir;
  const std::string path = dir / "aberration.csv";
  AberrationTable t{};
  t[40] = 40000;
  const std::pair<std::string, std::string> cases[] = {
      {FormatAberrationText(t), "Invalid parameter contains"},
      {"", path + "\nthe file holds 0 values where 112 are needed\nNothing was sent."},
  };
  for (const auto& [text, why] : cases) {
    ASSERT_TRUE(WriteFileAtomically(path, text));
    EXPECT_EQ(LoadAberrationFile(sim.link.cmd, path, 500), 0);
    EXPECT_EQ(sim.link.cmd.LastFailure().text, why);
  }
  std::remove(path.c_str());
  EXPECT_EQ(ReadAberrationFile(path, t).text,
            "File open error\n" + path + ": No such file or directory");
  EXPECT_TRUE(sim.link.Sent().empty());
}

TEST(AberrationCameraTest, AFailedQueryWritesNoFile) {
  std::atomic<int> queries = 0;
  testing::PeerLink peer([&queries](const std::string&) {
    return ++queries < 3 ? std::string("CAB2=1\r\n") : std::string();
  });
  ASSERT_TRUE(peer.link.opened);
  testing::TempFolder dir;
  const std::string path = dir / "none.csv";
  EXPECT_EQ(SaveAberrationFile(peer.link.cmd, path, 50), 0);
  EXPECT_EQ(peer.link.cmd.LastFailure().kind, FailureKind::NoAnswer);
  EXPECT_EQ(queries, 3);
  std::string text;
  EXPECT_FALSE(ReadWholeFile(path, text));
  EXPECT_EQ(peer.link.ui.busyDepth, 0);
}

TEST(BlemishTest, ButtonsSendTheirCommands) {
  sim::SimOptions options;
  options.rejected = {"BLMD"};
  testing::SimLink sim(options);
  ASSERT_TRUE(sim.link.opened);
  CCamCmd& cmd = sim.link.cmd;
  EXPECT_EQ(BlemishWritePosition(cmd, BlemishColumn::User2, "12abc"), 1);
  EXPECT_EQ(BlemishWritePosition(cmd, BlemishColumn::Factory1, ""), 1);
  EXPECT_EQ(BlemishDetect(cmd, BlemishColumn::Factory2), 1);
  int v = 0;
  EXPECT_EQ(BlemishReadPosition(cmd, BlemishColumn::User2, v), 1);
  EXPECT_EQ(v, 12);
  EXPECT_EQ(BlemishDetect(cmd, BlemishColumn::User1), 0);
  EXPECT_EQ(sim.link.Sent(),
            (std::vector<std::string>{"BLMP2=12", "BLMPF=0", "BLMDF2=0", "BLMP2?", "BLMD=0"}));
  EXPECT_EQ(cmd.LastFailure().kind, FailureKind::Rejected);
  EXPECT_EQ(cmd.LastFailure().text, "ERROR REJECTED for BLMD=0\nFailed");

  // What a detection found is read back from the list; the index stays.
  std::vector<int> found;
  sim.camera.WithModel([](sim::CameraModel& m) {
    m.SetInt("BLMTF2", 100);
    m.SetInt("BLMIF2", 5);
  });
  ASSERT_EQ(BlemishDetect(cmd, BlemishColumn::Factory2), 1);
  ASSERT_EQ(ReadBlemishList(cmd, BlemishColumn::Factory2, found), 1);
  EXPECT_EQ(BlemishFoundText(BlemishColumn::Factory2, found),
            "Sensor2 (factory list): the camera found 2 blemished pixels, at 37 and 171.");
  EXPECT_EQ(sim.camera.WithModel([](sim::CameraModel& m) { return m.Int("BLMIF2"); }), 5);
  EXPECT_EQ(BlemishFoundText(BlemishColumn::User1, {0, 0}),
            "Sensor1 (user list): the camera found no blemished pixel.");
}

}  // namespace
}  // namespace kestrel
