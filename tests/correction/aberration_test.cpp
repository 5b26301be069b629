#include <gtest/gtest.h>

#include <numeric>

#include "correction/aberration.h"
#include "util/text_file.h"
#include "fake_camera.h"

namespace kestrel {
namespace {

AberrationTable Ramp() {
  AberrationTable t{};
  for (int i = 0; i < kAberrationValues; ++i)
    t[static_cast<size_t>(i)] = (i - 56) * 577;
  return t;
}

TEST(AberrationFileTest, TextRoundTripAndLenientHeader) {
  const AberrationTable t = Ramp();
  const std::string text = FormatAberrationText(t);
  EXPECT_EQ(text.substr(0, text.find('\n') + 1), "Sens2,,,,,,\r\n");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 17);
  AberrationTable back{};
  EXPECT_EQ(ParseAberrationText(text, back), 112);
  EXPECT_EQ(back, t);
  // Any single word heads the file; LF line ends and trailing commas work too.
  std::string other = "Lens-A\n";
  for (int r = 0; r < 16; ++r) {
    for (int c = 0; c < 7; ++c)
      other += std::to_string(t[static_cast<size_t>(r * 7 + c)]) + ",";
    other += "\n";
  }
  EXPECT_EQ(ParseAberrationText(other, back), 112);
  EXPECT_EQ(back, t);
  // A short file leaves zeros.
  EXPECT_EQ(ParseAberrationText("Sens2\n1,2,3\n", back), 3);
  EXPECT_EQ(back[2], 3);
  EXPECT_EQ(back[3], 0);
}

class AberrationCameraTest : public ::testing::Test, public testing::CameraFixture {
 protected:
  void SetUp() override { ASSERT_TRUE(opened); }
  std::string path = ::testing::TempDir() + "aberration_test.csv";
  void TearDown() override { std::remove(path.c_str()); }
};

TEST_F(AberrationCameraTest, SaveThenLoadMovesTheWholeTable) {
  const AberrationTable t = Ramp();
  camera.SetArray("CAB2", std::vector<int>(t.begin(), t.end()));
  ASSERT_EQ(SaveAberrationFile(cmd, path, 500), 1);
  std::string text;
  ASSERT_TRUE(ReadWholeFile(path, text));
  EXPECT_EQ(text, FormatAberrationText(t));
  camera.SetArray("CAB2", {});
  ASSERT_EQ(LoadAberrationFile(cmd, path, 500), 1);
  EXPECT_EQ(camera.Array("CAB2"), std::vector<int>(t.begin(), t.end()));
  EXPECT_EQ(camera.Lines().back(), "CAB2=" + std::to_string(t[111]));
  EXPECT_EQ(ui.BoxTexts(),
            (std::vector<std::string>{"Succeeded in writing", "Succeeded in reading"}));
  EXPECT_EQ(ui.busyDepth, 0);
}

TEST_F(AberrationCameraTest, OutOfRangeFileSendsNothing) {
  AberrationTable t{};
  t[40] = 40000;
  ASSERT_TRUE(WriteFileAtomically(path, FormatAberrationText(t)));
  EXPECT_EQ(LoadAberrationFile(cmd, path, 500), 0);
  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{"Invalid parameter contains"});
  EXPECT_TRUE(camera.Lines().empty());
}

TEST_F(AberrationCameraTest, FailuresPartWayStopAndWriteNoFile) {
  camera.QueueAnswers("CAB2", {"1", "2", "<silent>"});
  EXPECT_EQ(SaveAberrationFile(cmd, path, 50), 0);
  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{"Faild reading camera parameter"});
  std::string text;
  EXPECT_FALSE(ReadWholeFile(path, text));
  EXPECT_EQ(ui.busyDepth, 0);
}

TEST_F(AberrationCameraTest, BlemishButtons) {
  EXPECT_EQ(BlemishWritePosition(cmd, BlemishColumn::User2, "12abc"), 1);
  EXPECT_EQ(BlemishWritePosition(cmd, BlemishColumn::Factory1, ""), 1);
  EXPECT_EQ(BlemishDetect(cmd, BlemishColumn::Factory2), 1);
  EXPECT_EQ(camera.Lines(), (std::vector<std::string>{"BLMP2=12", "BLMPF=0", "BLMDF2=0"}));
  EXPECT_EQ(ui.BoxTexts(), (std::vector<std::string>{"Completed", "Completed", "Completed"}));
  camera.QueueAnswers("BLMP", {"345"});
  int v = 0;
  EXPECT_EQ(BlemishReadPosition(cmd, BlemishColumn::User1, v), 1);
  EXPECT_EQ(v, 345);
  camera.Peer().SetHandler([](const std::string&) { return std::string("NG\r\n"); });
  EXPECT_EQ(BlemishDetect(cmd, BlemishColumn::User1), 0);
  EXPECT_EQ(ui.boxes.back().text, "Failed");
  EXPECT_EQ(ui.boxes.back().icon, MsgIcon::Warning);
}

}  // namespace
}  // namespace kestrel
