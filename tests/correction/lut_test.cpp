#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <random>
#include <vector>

#include "base/text_file.h"
#include "common/file_text.h"
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

// The cleared editor gives the straight line; a knee passes through its
// points and is limited to 0..4095.
TEST(LutSplineTest, CurvePassesThroughItsPointsAndStaysInRange) {
  const LutTable line = LutEditPoints().Table();
  EXPECT_EQ(line[100], 1600);
  EXPECT_EQ(line[255], 4095);
  const LutPoint knee[] = {{0, 260}, {64, 60}, {200, 10}, {256, -40}};
  const LutTable t = ComputeTableFromPoints(knee, 4);
  EXPECT_EQ(t[0], 0);
  EXPECT_EQ(t[64], (260 - 60) * 16);
  EXPECT_EQ(t[200], (260 - 10) * 16);
  EXPECT_EQ(t[255], 4095);  // above the top: clamped
  for (int32_t v : t)
    EXPECT_TRUE(v >= 0 && v <= 4095) << v;
  for (int i = 1; i < 64; ++i)
    EXPECT_GE(t[static_cast<size_t>(i)], t[static_cast<size_t>(i - 1)]);
}

// The index finds the sample the editor's scan has always picked, also for
// curves that turn back, repeat keys or tie at equal distances.
TEST(LutSplineTest, NearestSampleIndexAgreesWithTheScan) {
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
      ASSERT_EQ(index.Find(target),
                lut_detail::NearestSampleScan(keys.data(), static_cast<int>(keys.size()), target))
          << "round " << round << " target " << target;
    }
  }
}

// The mouse rules, one move after another from the cleared editor: whether
// the move changed the points, and the points after it.
TEST(LutEditPointsTest, MouseMovesAddMoveAndDeleteByTheRules) {
  const auto L = Buttons::LeftOnly, R = Buttons::RightOnly;
  const struct {
    int gx, gy;  // in the graph; the editor's client pixels are (160, 20) further
    Buttons buttons;
    bool changed;
    std::vector<LutPoint> points;
  } moves[] = {
      // The ends are never deleted, with two points or more.
      {0, 256, R, false, {{0, 260}, {260, 0}}},
      {256, 0, R, false, {{0, 260}, {260, 0}}},
      // Near a point (within 32 both ways) it moves; away from all, a new one in x order.
      {20, 240, L, true, {{20, 240}, {260, 0}}},
      {128, 128, L, true, {{20, 240}, {128, 128}, {260, 0}}},
      // A point dragged past its neighbour is reordered.
      {150, 128, L, true, {{20, 240}, {150, 128}, {260, 0}}},
      {10, 215, L, true, {{10, 215}, {150, 128}, {260, 0}}},
      // Other buttons or modifiers, and moves outside the graph's square: nothing.
      {60, 60, Buttons::Other, false, {{10, 215}, {150, 128}, {260, 0}}},
      {-1, 80, L, false, {{10, 215}, {150, 128}, {260, 0}}},
      {40, 257, L, false, {{10, 215}, {150, 128}, {260, 0}}},
      {12, 213, R, false, {{10, 215}, {150, 128}, {260, 0}}},  // an end
      {255, 3, R, false, {{10, 215}, {150, 128}, {260, 0}}},
      // A right move deletes an inner point within 16 of it.
      {167, 128, R, false, {{10, 215}, {150, 128}, {260, 0}}},
      {166, 112, R, true, {{10, 215}, {260, 0}}},
  };
  LutEditPoints p;
  for (const auto& m : moves) {
    EXPECT_EQ(p.MouseMoveInGraph(m.gx, m.gy, m.buttons), m.changed) << m.gx << "," << m.gy;
    EXPECT_EQ(PointsOf(p), m.points) << m.gx << "," << m.gy;
  }
  EXPECT_TRUE(p.MouseMove(160 + 100, 20 + 100, L));  // client pixels
  EXPECT_EQ(p[1], (LutPoint{100, 100}));
}

TEST(LutEditPointsTest, NoSixteenthPoint) {
  LutEditPoints p;
  for (int i = 1; i <= 13; ++i)
    p.MouseMoveInGraph(i * 12, (i * 40) % 257, Buttons::LeftOnly);
  ASSERT_EQ(p.Count(), 15);
  EXPECT_FALSE(p.MouseMoveInGraph(200, 200, Buttons::LeftOnly));  // an add is lost
  EXPECT_EQ(p.Count(), 15);
  for (int i = 1; i < p.Count(); ++i)
    EXPECT_LE(p[i - 1].x, p[i].x);
}

TEST(GammaFileTest, TheWholeTableOrNothingAndSavedTablesLoad) {
  std::string good = "anything\r\n";
  for (int i = 0; i < kLutEntries; ++i)
    good += std::to_string(i * 16) + (i == 3 ? "\n\n" : "\r\n");
  LutTable t{};
  EXPECT_EQ(ParseGammaText(good, t), "");
  EXPECT_EQ(t[255], 255 * 16);
  // Short, too long, out of range: refused, the table left alone.
  std::string negative = good, high = good, longer = good + "1\r\n";
  negative.replace(negative.find("\r\n16\r\n"), 6, "\r\n-12\r\n");
  high.replace(high.find("\r\n16\r\n"), 6, "\r\n5000\r\n");
  const std::pair<std::string, std::string> cases[] = {
      {"GammaData\r\n1\r\n2\r\n", "the file holds 2 values where 256 are needed"},
      {longer, "Too many data"},
      {negative, "Invalid data value: Line(1) : Value(-12)"},
      {high, "Invalid data value: Line(1) : Value(5000)"},
  };
  t.fill(7);
  for (const auto& [text, why] : cases)
    EXPECT_EQ(ParseGammaText(text, t), why);
  EXPECT_EQ(t[0], 7);

  // Saved, then loaded.
  LutEditPoints p;
  p.MouseMoveInGraph(60, 40, Buttons::LeftOnly);
  const LutTable table = p.Table();
  testing::TempFolder dir;
  const std::string path = dir / "gamma.csv";
  ASSERT_FALSE(SaveGammaFile(path, table));
  EXPECT_EQ(testing::FileText(path).rfind("GammaData\r\n", 0), 0u);
  LutTable back{};
  ASSERT_FALSE(LoadGammaFile(path, back));
  EXPECT_EQ(back, table);
  const Failure missing = LoadGammaFile("/nonexistent/g.csv", back);
  EXPECT_EQ(missing.text, "/nonexistent/g.csv\nCouldn't open this file\nNo such file or directory");
  EXPECT_EQ(missing.icon, MsgIcon::Stop);
  EXPECT_EQ(missing.kind, FailureKind::FileError);
  ASSERT_TRUE(WriteFileAtomically(path, "GammaData\r\n1\r\n"));
  EXPECT_EQ(LoadGammaFile(path, back).kind, FailureKind::BadInput);
}

TEST(LutCameraTest, ReadStopsAtTheFirstSilenceOrValueBeyondTwelveBits) {
  std::atomic<int> queries = 0;
  testing::PeerLink peer([&queries](const std::string&) {
    ++queries;
    return std::string(queries == 1 ? "LUTD1=7\r\n" : queries == 3 ? "LUTD1=5000\r\n" : "");
  });
  ASSERT_TRUE(peer.link.opened);
  LutTable t{};
  t.fill(9);
  EXPECT_EQ(ReadLutTable(peer.link.cmd, 0, t, 50), 1);
  EXPECT_EQ(peer.link.cmd.LastFailure().kind, FailureKind::NoAnswer);
  EXPECT_EQ(ReadLutTable(peer.link.cmd, 0, t, 1000), 0);
  EXPECT_EQ(t[0], 7);
  EXPECT_EQ(t[1], 9);
  EXPECT_EQ(peer.link.cmd.LastFailure().text, "LUTD1: the camera reports 5000, outside 0 to 4095");
  EXPECT_EQ(peer.link.ui.busyDepth, 0);
}

}  // namespace
}  // namespace kestrel
