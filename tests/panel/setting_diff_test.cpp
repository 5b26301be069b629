// Comparing setting files with the simulated camera and with each other.
#include <gtest/gtest.h>

#include "panel/setting_diff.h"
#include "panel_fixture.h"

namespace kestrel {
namespace {

class SettingDiffTest : public testing::PanelTest {
 protected:
  std::vector<SettingRow> Rows(const std::string& text) {
    const SettingRows r = ReadSettingRows(cmd, text);
    EXPECT_TRUE(r.problems.empty()) << r.problems.front();
    return r.rows;
  }
  // Each difference as "name: file | other", "-" for a side without a value.
  static std::vector<std::string> Shown(const std::vector<SettingDifference>& d) {
    std::vector<std::string> out;
    for (const SettingDifference& x : d)
      out.push_back(x.name + ": " + (x.hasFile ? x.file : "-") + " | " +
                    (x.hasOther ? x.other : "-"));
    return out;
  }
};

TEST_F(SettingDiffTest, FileAgainstCameraPlainIndexedTextAndRefusedRows) {
  camera.WithModel([](sim::CameraModel& m) {
    m.SetInt("LR", 1000);
    m.SetInt("CABA2", 3, 2);
    m.SetText("CABN1", "Lens A,50mm");
    m.SetText("CABN2", "Lens B, 35mm");
    m.knobs.rejected.insert("TR2");
  });
  // LR and CABN2 agree (text with a comma and a blank, exactly); LR2, the
  // indexed CABA2 row and CABN1 differ; TR2 cannot be read.
  const auto rows = Rows(
      "LR=1000\r\nLR2=500\r\nCABA2=2,5\r\nCABN1=Lens A,60mm\r\nCABN2=Lens B, 35mm\r\nTR2=0\r\n");
  const CameraValues values = ReadCameraValues(cmd, rows, 1000);
  EXPECT_EQ(values.Unread(), 1);
  EXPECT_TRUE(ui.boxes.empty());  // the reasons are returned, not shown
  const auto d = DiffWithCamera(cmd, values);
  ASSERT_EQ(Shown(d), (std::vector<std::string>{"LR2: 500 | 170", "CABA2[2]: 5 | 3",
                                                "CABN1: Lens A,60mm | Lens A,50mm", "TR2: 0 | -"}));
  EXPECT_EQ(d[0].caption, "Line Rate, Exposure: Line rate, Sensor2");
  EXPECT_EQ(d[1].caption, "Aberration: Lens3 CABA");
  EXPECT_NE(d[3].reason.find("ERROR"), std::string::npos) << d[3].reason;

  // The camera's values as a setting file: every row read, in file order.
  const auto lines = CameraValueLines(cmd, values);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[2], "CABA2=2,3");
  EXPECT_EQ(lines[3], "CABN1=Lens A,50mm");

  // A silent camera: the first row times out and the rest are not asked.
  camera.SetSilent(true);
  const CameraValues silent = ReadCameraValues(cmd, rows, 100);
  EXPECT_EQ(silent.Unread(), 6);
  EXPECT_EQ(silent.reasons[5], "not read: the camera stopped answering");
}

TEST_F(SettingDiffTest, TwoFilesAndFilesThatCannotBeCompared) {
  const auto a = Rows("LR=300\nCABN1=a, b\nTR=1\nTR=0\n");  // the later TR line wins
  const auto b = Rows("TR=0\r\nLR=0300\r\nCABN1=a,b\r\nPE=200\r\n");
  const auto d = DiffFiles(cmd, a, b);
  EXPECT_EQ(Shown(d), (std::vector<std::string>{"CABN1: a, b | a,b", "PE: - | 200"}));
  EXPECT_TRUE(DiffFiles(cmd, a, a).empty());

  const SettingRows bad = ReadSettingRows(cmd, "LR=17O\nFOO=1\nEB?\nLR=5\n");
  EXPECT_EQ(bad.problems,
            (std::vector<std::string>{"line 1: \"17O\" is not a whole number for LR",
                                      "line 2: \"FOO=1\" names no command in the set syntax",
                                      "line 3: \"EB?\" names no command in the set syntax"}));
}

}  // namespace
}  // namespace kestrel
