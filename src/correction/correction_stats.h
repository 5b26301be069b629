#pragma once

#include <string>
#include <vector>

namespace kestrel {

// Statistics of one correction array, and the arrays a file holds.

// A pixel that stands out from its neighbours.
struct Outlier {
  int pixel = 0;
  double value = 0;
  double median = 0;  // the running median at that pixel
};

struct SeriesStats {
  int count = 0;
  double minimum = 0;
  double maximum = 0;
  double mean = 0;
  double stddev = 0;  // of the values (population: the array is every pixel)
  // Of the residuals from the running median: the pixel-to-pixel noise, free
  // of the slow shading shape that dominates `stddev`.
  double noise = 0;
  // Pixels farther than 3 × noise from the running median, in pixel order.
  std::vector<Outlier> outliers;
};

// Width of the running median, pixels (odd; the window shrinks at the ends).
inline constexpr int kMedianWindow = 15;

std::vector<double> RunningMedian(const std::vector<double>& values, int window = kMedianWindow);
SeriesStats ComputeStats(const std::vector<double>& values, int window = kMedianWindow);

// One array with the name a plot and a statistics table show.
struct Series {
  std::string name;
  std::vector<double> values;
};

// An array in buffer order as one series per column ("Sensor1", or
// "Sensor1 column 1".. for an array of several values per pixel group).
std::vector<Series> SeriesOfArray(const std::string& name, const std::vector<int32_t>& values,
                                  int columns);

// The arrays of a file, recognised by its first line:
// - "Video, , , , Correction": the terminal's video read-back (index, video
//   R, G, B, index, correction R, G, B; gain corrections are fractions);
// - "R, G, B": the terminal's correction read-back;
// - otherwise a correction data file, one array per column of its first row.
// False with the reason in *problem when a row does not hold its numbers.
bool ReadSeriesText(const std::string& text, std::vector<Series>& out, std::string* problem);

// The statistics as CSV (CR LF): one row per series, then one row per outlier.
std::string StatsCsv(const std::vector<Series>& series, const std::vector<SeriesStats>& stats);

}  // namespace kestrel
