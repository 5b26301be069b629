#pragma once

#include <array>
#include <cstdint>

namespace kestrel {

inline constexpr int kLutEntries = 256;
inline constexpr int kLutMaxValue = 4095;
// The LUT graph is a square of this many pixels; y grows downwards.
inline constexpr int kLutGraphSize = 260;

using LutTable = std::array<int32_t, kLutEntries>;

struct LutPoint {
  int x = 0;  // graph pixels
  int y = 0;
  bool operator==(const LutPoint&) const = default;
};

// Input level i on the 0..4095 scale: 16·i, and 4095 for the last entry.
const LutTable& LutInputScale();

// The output table of a curve through the edit points (in graph pixels, 2..15
// of them, sorted by x): two natural cubic splines over the knot index, one for
// x and one for y, sampled every 0.002 of the index; each entry takes the
// sample nearest to its input level, interpolated linearly towards the next
// sample beyond it. Pure; runs at every repaint.
LutTable ComputeTableFromPoints(const LutPoint* points, int count);

// The curve of a table as the graph draws it: the point of entry i is
// (input/16, 260 − round(output/16)); visible is false for points outside the
// graph, which are skipped.
struct LutCurvePoint {
  int x;
  int y;
  bool visible;
};
std::array<LutCurvePoint, kLutEntries> LutCurve(const LutTable& table);

}  // namespace kestrel
