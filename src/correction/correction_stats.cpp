#include "correction/correction_stats.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "base/checked_input.h"
#include "base/text_file.h"
#include "base/text_scan.h"
#include "correction/data_file.h"

namespace kestrel {

namespace {

std::string Trimmed(const std::string& s) {
  const size_t first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    const size_t comma = line.find(',', start);
    out.push_back(Trimmed(line.substr(start, comma - start)));
    if (comma == std::string::npos) return out;
    start = comma + 1;
  }
}

bool Blank(const std::string& line) {
  return Trimmed(line).empty();
}

// The read-back files: `skip` header lines, then rows whose fields at
// `columns` are numbers (the gain corrections of the video file are
// fractions, so every field is read as a real).
bool ReadColumns(const std::vector<std::string>& lines, size_t skip,
                 const std::vector<size_t>& columns, std::vector<Series>& out,
                 std::string* problem) {
  for (size_t k = skip; k < lines.size(); ++k) {
    if (Blank(lines[k])) continue;
    const std::vector<std::string> fields = Fields(lines[k]);
    for (size_t c = 0; c < columns.size(); ++c) {
      const std::string field = columns[c] < fields.size() ? fields[columns[c]] : std::string();
      double v = 0;
      const auto r = std::from_chars(field.data(), field.data() + field.size(), v);
      if (field.empty() || r.ec != std::errc() || r.ptr != field.data() + field.size()) {
        if (problem)
          *problem = "line " + std::to_string(k + 1) + ": column " +
                     std::to_string(columns[c] + 1) + " holds no number";
        return false;
      }
      out[c].values.push_back(v);
    }
  }
  return true;
}

double Median(std::vector<double> window) {
  const size_t mid = window.size() / 2;
  std::nth_element(window.begin(), window.begin() + static_cast<long>(mid), window.end());
  if (window.size() % 2 == 1) return window[mid];
  const double upper = window[mid];
  return (*std::max_element(window.begin(), window.begin() + static_cast<long>(mid)) + upper) / 2;
}

}  // namespace

std::vector<double> RunningMedian(const std::vector<double>& values, int window) {
  const long half = std::max(window, 1) / 2;
  const long n = static_cast<long>(values.size());
  std::vector<double> out(values.size());
  for (long i = 0; i < n; ++i) {
    const long from = std::max(0L, i - half), to = std::min(n, i + half + 1);
    out[static_cast<size_t>(i)] =
        Median(std::vector<double>(values.begin() + from, values.begin() + to));
  }
  return out;
}

SeriesStats ComputeStats(const std::vector<double>& values, int window) {
  SeriesStats s;
  s.count = static_cast<int>(values.size());
  if (values.empty()) return s;
  const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
  s.minimum = *lo;
  s.maximum = *hi;
  double sum = 0;
  for (double v : values)
    sum += v;
  s.mean = sum / s.count;
  double squares = 0;
  for (double v : values)
    squares += (v - s.mean) * (v - s.mean);
  s.stddev = std::sqrt(squares / s.count);

  const std::vector<double> median = RunningMedian(values, window);
  double residuals = 0;
  for (size_t i = 0; i < values.size(); ++i)
    residuals += (values[i] - median[i]) * (values[i] - median[i]);
  s.noise = std::sqrt(residuals / s.count);
  for (size_t i = 0; i < values.size(); ++i)
    if (std::abs(values[i] - median[i]) > 3 * s.noise)
      s.outliers.push_back({static_cast<int>(i), values[i], median[i]});
  return s;
}

bool ReadSeriesText(const std::string& text, std::vector<Series>& out, std::string* problem) {
  out.clear();
  std::vector<std::string> lines = InputLines(text);
  while (!lines.empty() && Blank(lines.back()))
    lines.pop_back();
  if (lines.empty()) {
    if (problem) *problem = "the file holds no values";
    return false;
  }
  const std::string first = Fields(lines[0]).front();
  if (first == "Video") {
    out = {{"Video R", {}},      {"Video G", {}},      {"Video B", {}},
           {"Correction R", {}}, {"Correction G", {}}, {"Correction B", {}}};
    return ReadColumns(lines, 2, {1, 2, 3, 5, 6, 7}, out, problem);
  }
  if (first == "R") {
    out = {{"R", {}}, {"G", {}}, {"B", {}}};
    return ReadColumns(lines, 1, {0, 1, 2}, out, problem);
  }
  // A correction data file, read as the transfer commands read it. A file
  // with every value on one line holds one array.
  std::vector<std::string> fields = Fields(lines[0]);
  if (fields.size() > 1 && fields.back().empty()) fields.pop_back();  // a trailing comma
  const int rows = static_cast<int>(
      std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return !Blank(l); }));
  const int columns = static_cast<int>(fields.size());
  std::vector<int32_t> values;
  if (std::string why = ParseDataText(text, values, columns, rows); !why.empty()) {
    if (problem) *problem = why;
    return false;
  }
  out = SeriesOfArray("File", values, rows == 1 ? 1 : columns);
  return true;
}

std::vector<Series> SeriesOfArray(const std::string& name, const std::vector<int32_t>& values,
                                  int columns) {
  std::vector<Series> out(static_cast<size_t>(std::max(columns, 1)));
  for (size_t c = 0; c < out.size(); ++c) {
    out[c].name = out.size() == 1 ? name : name + " column " + std::to_string(c + 1);
    for (size_t i = c; i < values.size(); i += out.size())
      out[c].values.push_back(values[i]);
  }
  return out;
}

std::string StatsCsv(const std::vector<Series>& series, const std::vector<SeriesStats>& stats) {
  std::vector<std::string> lines = {"Series,Count,Min,Max,Mean,Std dev,Noise,Outliers"};
  auto number = [](double v) { return FixedText(v, 3); };
  for (size_t i = 0; i < series.size() && i < stats.size(); ++i) {
    const SeriesStats& s = stats[i];
    lines.push_back(series[i].name + "," + std::to_string(s.count) + "," + number(s.minimum) + "," +
                    number(s.maximum) + "," + number(s.mean) + "," + number(s.stddev) + "," +
                    number(s.noise) + "," + std::to_string(s.outliers.size()));
  }
  lines.push_back({});
  lines.push_back("Series,Pixel,Value,Running median");
  for (size_t i = 0; i < series.size() && i < stats.size(); ++i)
    for (const Outlier& o : stats[i].outliers)
      lines.push_back(series[i].name + "," + std::to_string(o.pixel) + "," + number(o.value) + "," +
                      number(o.median));
  return JoinCrLf(lines);
}

}  // namespace kestrel
