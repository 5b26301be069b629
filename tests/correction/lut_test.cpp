#include <gtest/gtest.h>

#include <atomic>

#include <chrono>
#include <cmath>
#include <random>
#include <vector>

#include "base/text_file.h"
#include "correction/lut_edit_points.h"
#include "correction/lut_nearest.h"
#include "correction/lut_table.h"
#include "links.h"

namespace kestrel {
namespace {

using Buttons = LutEditPoints::Buttons;

std::vector<LutPoint> PointsOf(const LutEditPoints& p) {
  return std::vector<LutPoint>(p.Data(), p.Data() + p.Count());
}

TEST(LutSplineTest, ClearedEditorGivesTheStraightLine) {
  LutEditPoints points;
  const LutTable table = points.Table();
  for (int i = 0; i < 255; ++i)
    EXPECT_EQ(table[static_cast<size_t>(i)], 16 * i) << i;
  EXPECT_EQ(table[255], 4095);
}

TEST(LutSplineTest, CurvePassesThroughItsPointsAndStaysInRange) {
  // A knee: the curve goes through the middle point and is limited to 0..4095.
  const LutPoint knee[] = {{0, 260}, {64, 60}, {200, 10}, {256, -40}};
  const LutTable t = ComputeTableFromPoints(knee, 4);
  EXPECT_EQ(t[0], 0);
  EXPECT_EQ(t[64], (260 - 60) * 16);
  EXPECT_EQ(t[200], (260 - 10) * 16);
  EXPECT_EQ(t[255], 4095);  // above the top: clamped
  for (int32_t v : t) {
    EXPECT_GE(v, 0);
    EXPECT_LE(v, 4095);
  }
  for (int i = 1; i < 64; ++i)
    EXPECT_GE(t[static_cast<size_t>(i)], t[static_cast<size_t>(i - 1)]);
}

// The sample an entry takes, found the slow way: the first sample, in curve
// order, whose distance is below the whole part of the smallest distance + 1.
int FirstNearSample(const std::vector<double>& keys, double target) {
  double nearest = 999999;
  for (double k : keys)
    nearest = std::min(nearest, std::fabs(k - target));
  if (!(nearest < 999999)) return 0;
  for (size_t j = 0; j < keys.size(); ++j)
    if (std::fabs(keys[j] - target) < std::floor(nearest) + 1) return static_cast<int>(j);
  return 0;
}

// Both searches pick that sample, also for curves that turn back, repeat keys
// or tie at equal distances.
TEST(LutSplineTest, NearestSampleSearchesPickTheFirstNearSample) {
  std::mt19937 random(3);
  for (int round = 0; round < 100; ++round) {
    std::vector<double> keys(1 + random() % 1000);
    double x = std::uniform_real_distribution<double>(-500, 500)(random);
    for (double& k : keys) {
      const int mode = round % 4;
      x += mode == 0   ? 8.32
           : mode == 1 ? std::uniform_real_distribution<double>(-9, 9)(random)
           : mode == 2 ? static_cast<double>(random() % 3) - 1.0
                       : std::uniform_real_distribution<double>(-0.4, 0.6)(random);
      k = mode == 2 ? std::round(x) : x;
    }
    lut_detail::NearestSampleIndex index;
    index.Build(keys.data(), static_cast<int>(keys.size()));
    for (int32_t target : LutInputScale()) {
      const int expected = FirstNearSample(keys, target);
      ASSERT_EQ(index.Find(target), expected) << "round " << round << " target " << target;
      ASSERT_EQ(lut_detail::NearestSampleScan(keys.data(), static_cast<int>(keys.size()), target),
                expected)
          << "round " << round << " target " << target;
    }
  }
}

TEST(LutEditPointsTest, LeftButtonMovesANearPointOrAddsOne) {
  LutEditPoints p;
  // Near the bottom-left point (within 32 in both directions): it moves.
  EXPECT_TRUE(p.MouseMove(160 + 20, 20 + 240, Buttons::LeftOnly));
  EXPECT_EQ(PointsOf(p), (std::vector<LutPoint>{{20, 240}, {260, 0}}));
  // Away from every point: a new one, kept in x order.
  EXPECT_TRUE(p.MouseMoveInGraph(128, 128, Buttons::LeftOnly));
  EXPECT_EQ(PointsOf(p), (std::vector<LutPoint>{{20, 240}, {128, 128}, {260, 0}}));
  // Dragging a point past its neighbour reorders them.
  EXPECT_TRUE(p.MouseMoveInGraph(150, 128, Buttons::LeftOnly));
  EXPECT_TRUE(p.MouseMoveInGraph(10, 215, Buttons::LeftOnly));  // grabs (20, 240)
  EXPECT_EQ(p[0], (LutPoint{10, 215}));
  // Outside the accepted square, with modifiers or other buttons: nothing.
  EXPECT_FALSE(p.MouseMove(159, 100, Buttons::LeftOnly));
  EXPECT_FALSE(p.MouseMove(200, 277, Buttons::LeftOnly));
  EXPECT_FALSE(p.MouseMoveInGraph(60, 60, Buttons::Other));
  EXPECT_EQ(p.Count(), 3);
}

TEST(LutEditPointsTest, NoSixteenthPoint) {
  LutEditPoints p;
  for (int i = 1; i <= 13; ++i)
    p.MouseMoveInGraph(i * 12, (i * 40) % 257, Buttons::LeftOnly);
  ASSERT_EQ(p.Count(), 15);
  EXPECT_FALSE(p.MouseMoveInGraph(200, 200, Buttons::LeftOnly));  // an add is lost
  EXPECT_EQ(p.Count(), 15);
  EXPECT_FALSE(p.InUse(15));
  for (int i = 1; i < p.Count(); ++i)
    EXPECT_LE(p[i - 1].x, p[i].x);
}

TEST(LutEditPointsTest, RightButtonDeletesOnlyInnerPoints) {
  LutEditPoints p;
  // With two points nothing can be deleted, and the ends never are.
  EXPECT_FALSE(p.MouseMoveInGraph(0, 256, Buttons::RightOnly));
  EXPECT_FALSE(p.MouseMoveInGraph(256, 0, Buttons::RightOnly));
  p.MouseMoveInGraph(100, 100, Buttons::LeftOnly);
  p.MouseMoveInGraph(180, 50, Buttons::LeftOnly);
  ASSERT_EQ(p.Count(), 4);
  EXPECT_FALSE(p.MouseMoveInGraph(0, 256, Buttons::RightOnly));
  EXPECT_FALSE(p.MouseMoveInGraph(117, 100, Buttons::RightOnly));  // 17 away: too far
  EXPECT_TRUE(p.MouseMoveInGraph(116, 84, Buttons::RightOnly));
  EXPECT_EQ(PointsOf(p), (std::vector<LutPoint>{{0, 260}, {180, 50}, {260, 0}}));
  EXPECT_FALSE(p.InUse(3));
  p.Clear();
  EXPECT_EQ(PointsOf(p), (std::vector<LutPoint>{{0, 260}, {260, 0}}));
}

TEST(GammaFileTest, TheWholeTableOrNothing) {
  std::string good = "anything\r\n";
  for (int i = 0; i < kLutEntries; ++i)
    good += std::to_string(i * 16) + (i == 3 ? "\n\n" : "\r\n");
  LutTable t{};
  EXPECT_EQ(ParseGammaText(good, t), "");
  EXPECT_EQ(t[255], 255 * 16);
  // Short, not a number, a negative number: refused, the table left alone.
  t.fill(7);
  EXPECT_EQ(ParseGammaText("GammaData\r\n1\r\n2\r\n", t),
            "the file holds 2 values where 256 are needed");
  EXPECT_EQ(ParseGammaText("GammaData\r\n1a2\r\n", t), "line 2: \"1a2\" is not a number");
  std::string negative = good;
  negative.replace(negative.find("\r\n16\r\n"), 6, "\r\n-12\r\n");
  EXPECT_EQ(ParseGammaText(negative, t), "Invalid data value: Line(1) : Value(-12)");
  EXPECT_EQ(t[0], 7);
}

class GammaFileIo : public ::testing::Test {
 protected:
  std::string Write(const std::string& text) {
    path_ = ::testing::TempDir() + "gamma_test.csv";
    EXPECT_TRUE(WriteFileAtomically(path_, text));
    return path_;
  }
  void TearDown() override { std::remove(path_.c_str()); }
  testing::RecordingUi ui;
  std::string path_;
};

TEST_F(GammaFileIo, TooManyLinesAndValuesAbove4095FailTheLoad) {
  std::string text = "GammaData\r\n";
  for (int i = 0; i < 257; ++i)
    text += std::to_string(i) + "\r\n";
  LutTable t{};
  EXPECT_EQ(LoadGammaFile(ui, Write(text), t), 0);
  text.replace(text.find("\r\n1\r\n"), 5, "\r\n5000\r\n");
  text.erase(text.rfind("256\r\n"));
  EXPECT_EQ(LoadGammaFile(ui, Write(text), t), 0);
  EXPECT_EQ(ui.BoxTexts(), (std::vector<std::string>{"Too many data",
                                                     "Invalid data value: Line(1) : Value(5000)"}));
  EXPECT_EQ(ui.boxes[0].icon, MsgIcon::Stop);
  EXPECT_EQ(t, LutTable{});
}

TEST_F(GammaFileIo, SaveThenLoadRoundTripsAndMissingFilesSaySo) {
  LutEditPoints p;
  p.MouseMoveInGraph(60, 40, Buttons::LeftOnly);
  const LutTable table = p.Table();
  path_ = ::testing::TempDir() + "gamma_rt.csv";
  ASSERT_EQ(SaveGammaFile(ui, path_, table), 1);
  std::string text;
  ASSERT_TRUE(ReadWholeFile(path_, text));
  EXPECT_EQ(text.rfind("GammaData\r\n", 0), 0u);
  LutTable back{};
  ASSERT_EQ(LoadGammaFile(ui, path_, back), 1);
  EXPECT_EQ(back, table);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(LoadGammaFile(ui, "/nonexistent/g.csv", back), 0);
  EXPECT_EQ(ui.boxes.back().text,
            "/nonexistent/g.csv\nCouldn't open this file\nNo such file or directory");
}

TEST(LutCameraTest, ReadStopsSilentlyAndClampsToTwelveBits) {
  std::atomic<int> queries = 0;
  testing::PeerLink peer([&queries](const std::string&) {
    ++queries;
    return std::string(queries == 1 ? "LUTD1=5000\r\n" : queries == 2 ? "LUTD1=-3\r\n" : "");
  });
  ASSERT_TRUE(peer.link.opened);
  LutTable t{};
  t.fill(9);
  EXPECT_EQ(ReadLutTable(peer.link.cmd, 0, t, 50), 2);
  EXPECT_EQ(t[0], 4095);
  EXPECT_EQ(t[1], 0);
  EXPECT_EQ(t[2], 9);
  EXPECT_EQ(queries, 3);
  EXPECT_TRUE(peer.link.ui.boxes.empty());
  EXPECT_EQ(peer.link.ui.busyDepth, 0);
}

}  // namespace
}  // namespace kestrel
