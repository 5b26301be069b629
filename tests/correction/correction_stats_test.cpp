// Statistics of correction arrays against hand-computed values, and the arrays
// of the read-back files.
#include <gtest/gtest.h>

#include <cmath>

#include "base/checked_input.h"
#include "base/text_file.h"
#include "correction/correction_stats.h"
#include "service/terminal_routines.h"

namespace kestrel {
namespace {

TEST(CorrectionStats, HandComputedValuesAndOutliers) {
  // Twenty pixels at 10: pixel 4 is 40 above, pixel 15 40 below, pixel 10
  // only 10 above. The running median (window 3) is 10 everywhere, the
  // residuals are 40, -40 and 10: noise sqrt(3300 / 20) = 12.845, so 3σ is
  // 38.5 and only the two far pixels stand out.
  std::vector<double> v(20, 10.0);
  v[4] = 50;
  v[10] = 20;
  v[15] = -30;
  EXPECT_EQ(RunningMedian(v, 3), std::vector<double>(20, 10.0));
  // Count, minimum, maximum, mean, standard deviation (17 × 0.25 + 39.5² +
  // 40.5² + 9.5² = 3295 over 20), noise and each outlier with its median.
  EXPECT_EQ(InputLines(StatsCsv({{"Sensor1", v}}, {ComputeStats(v, 3)})),
            (std::vector<std::string>{"Series,Count,Min,Max,Mean,Std dev,Noise,Outliers",
                                      "Sensor1,20,-30.000,50.000,10.500,12.835,12.845,2", "",
                                      "Series,Pixel,Value,Running median",
                                      "Sensor1,4,50.000,10.000", "Sensor1,15,-30.000,10.000"}));

  // The median follows a shape, so a curved array has no outliers of its own.
  std::vector<double> bow;
  for (int i = 0; i < 101; ++i)
    bow.push_back(1000 + 0.05 * (i - 50) * (i - 50) + 2 * (i % 2));
  bow[70] += 60;
  const SeriesStats b = ComputeStats(bow);
  ASSERT_EQ(b.outliers.size(), 1u);
  EXPECT_EQ(b.outliers[0].pixel, 70);
  EXPECT_TRUE(ComputeStats({}).outliers.empty());
}

TEST(CorrectionStats, FilesOfEveryLayoutReadAsSeries) {
  // The terminal's video read-back file, as its writer writes it.
  ColourTables video, correction;
  for (int c = 0; c < 3; ++c) {
    video[c] = {100 + c, 200 + c};
    correction[c] = {8192, 4096 * (c + 1)};
  }
  std::vector<std::string> lines = {"Video, , , , Correction", "No., R, G, B, No., R, G, B"};
  for (int k = 0; k < 2; ++k)
    lines.push_back(VideoFileLine(PixelCorrectionKind::Gain, k, video, correction));
  const std::string videoFile = JoinCrLf(lines);
  const struct {
    std::string text;
    std::string problem;  // "" when the file reads
    size_t series;        // then: how many, and one of them
    size_t which;
    std::string name;
    std::vector<double> values;
  } cases[] = {
      {"-12,0,341\r\n5,6,7\r\n", "", 3, 2, "File column 3", {341, 7}},  // shading slope
      {"1,2,3,4\n", "", 1, 0, "File", {1, 2, 3, 4}},                    // one array on a line
      {"5,\n6,\n", "", 1, 0, "File", {5, 6}},                           // trailing commas
      {"R, G, B\r\n1, -2, 3\r\n4, 5, 6\r\n", "", 3, 1, "G", {-2, 5}},   // a terminal read-back
      {videoFile, "", 6, 1, "Video G", {101, 201}},
      {videoFile, "", 6, 5, "Correction B", {1.0, 1.5}},
      {"5\nfive\n", "line 2: \"five\" is not a number", 0, 0, "", {}},
      {videoFile + "2, 1, 2", "line 5: column 4 holds no number", 0, 0, "", {}},
  };
  for (const auto& c : cases) {
    std::vector<Series> s;
    std::string problem;
    EXPECT_EQ(ReadSeriesText(c.text, s, &problem), c.problem.empty()) << c.text;
    EXPECT_EQ(problem, c.problem);
    if (!c.problem.empty()) continue;
    ASSERT_EQ(s.size(), c.series) << c.text;
    EXPECT_EQ(s[c.which].name, c.name) << c.text;
    EXPECT_EQ(s[c.which].values, c.values) << c.text;
  }
}

}  // namespace
}  // namespace kestrel
