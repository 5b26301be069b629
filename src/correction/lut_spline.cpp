#include "correction/lut_spline.h"

#include "correction/lut_nearest.h"

#include <algorithm>
#include <cmath>

namespace kestrel {

namespace {

constexpr int kMaxKnots = 16;
constexpr double kStep = 0.002;

// Natural cubic spline with unit knot spacing: segment k is
// a[k] + b[k]·u + c[k]·u² + d[k]·u³ for u = t − k.
struct Spline {
  int n = 0;
  double a[kMaxKnots] = {}, b[kMaxKnots] = {}, c[kMaxKnots] = {}, d[kMaxKnots] = {};

  void Fit(const double* values, int count) {
    n = count;
    for (int k = 0; k < n; ++k)
      a[k] = values[k];
    for (int k = 0; k < n; ++k)
      c[k] = 0.0;
    // c[k−1] + 4·c[k] + c[k+1] = 3·(a[k+1] − 2·a[k] + a[k−1]) for the interior
    // knots, c = 0 at both ends: a tridiagonal system, solved by elimination.
    const int m = n - 2;
    if (m > 0) {
      double diag[kMaxKnots], rhs[kMaxKnots];
      for (int i = 0; i < m; ++i) {
        const int k = i + 1;
        diag[i] = 4.0;
        rhs[i] = 3.0 * (a[k + 1] - 2.0 * a[k] + a[k - 1]);
      }
      for (int i = 1; i < m; ++i) {
        const double f = 1.0 / diag[i - 1];
        diag[i] -= f;
        rhs[i] -= f * rhs[i - 1];
      }
      c[m] = rhs[m - 1] / diag[m - 1];
      for (int i = m - 2; i >= 0; --i)
        c[i + 1] = (rhs[i] - c[i + 2]) / diag[i];
    }
    for (int k = 0; k + 1 < n; ++k) {
      d[k] = (c[k + 1] - c[k]) / 3.0;
      b[k] = a[k + 1] - a[k] - c[k] - d[k];
    }
  }

  double At(double t) const {
    // Outside the knots the first or last segment goes on.
    int k = static_cast<int>(std::floor(t));
    k = std::clamp(k, 0, n - 2);
    const double u = t - k;
    return a[k] + u * (b[k] + u * (c[k] + u * d[k]));
  }
};

}  // namespace

const LutTable& LutInputScale() {
  static const LutTable scale = [] {
    LutTable s{};
    for (int i = 0; i < kLutEntries; ++i)
      s[static_cast<size_t>(i)] = 16 * i;
    s[kLutEntries - 1] = kLutMaxValue;
    return s;
  }();
  return scale;
}

LutTable ComputeTableFromPoints(const LutPoint* points, int count) {
  LutTable table{};
  count = std::min(count, kMaxKnots - 1);
  if (count < 2) return table;
  double xs[kMaxKnots], ys[kMaxKnots];
  for (int k = 0; k < count; ++k) {
    xs[k] = points[k].x;
    ys[k] = points[k].y;
  }
  Spline sx, sy;
  sx.Fit(xs, count);
  sy.Fit(ys, count);

  // Sample both curves; t is accumulated by repeated addition, as the tables
  // the camera already holds were computed that way.
  static constexpr int kMaxSamples = 8000;
  double sampleX[kMaxSamples], sampleY[kMaxSamples], keys[kMaxSamples];
  int samples = 0;
  for (double t = 0.0; t <= count && samples < kMaxSamples; t += kStep) {
    sampleX[samples] = sx.At(t);
    sampleY[samples] = sy.At(t);
    keys[samples] = 16.0 * sampleX[samples];
    ++samples;
  }
  lut_detail::NearestSampleIndex nearest;
  nearest.Build(keys, samples);

  const LutTable& input = LutInputScale();
  for (int i = 0; i < kLutEntries; ++i) {
    const double target = input[static_cast<size_t>(i)];
    const int bestJ = nearest.Find(target);
    // The samples lie up to half a step apart (8 levels for two points), so the
    // nearest one alone leaves the curve jagged: a cleared editor would not give
    // the straight line. Interpolate towards the neighbouring sample on the
    // other side of the input level.
    double y = sampleY[bestJ];
    const double x0 = keys[bestJ];
    for (int other : {bestJ - 1, bestJ + 1}) {
      if (other < 0 || other >= samples) continue;
      const double x1 = keys[other];
      if (x1 != x0 && (x1 - target) * (x0 - target) <= 0.0) {
        y += (sampleY[other] - y) * (target - x0) / (x1 - x0);
        break;
      }
    }
    const double level = std::round((kLutGraphSize - y) * 16.0);
    const double clamped = std::clamp(level, 0.0, static_cast<double>(kLutMaxValue));
    table[static_cast<size_t>(i)] = static_cast<int32_t>(clamped);
  }
  return table;
}

std::array<LutCurvePoint, kLutEntries> LutCurve(const LutTable& table) {
  std::array<LutCurvePoint, kLutEntries> curve{};
  const LutTable& input = LutInputScale();
  for (int i = 0; i < kLutEntries; ++i) {
    const int32_t out = table[static_cast<size_t>(i)];
    // output/16 rounded with halves up: add one when the low four bits are 8 or more.
    const int32_t rounded = (out >> 4) + ((out & 0xF) >= 8 ? 1 : 0);
    LutCurvePoint& p = curve[static_cast<size_t>(i)];
    p.x = input[static_cast<size_t>(i)] / 16;
    p.y = kLutGraphSize - rounded;
    p.visible = p.x >= 0 && p.x <= kLutGraphSize && p.y >= 0 && p.y <= kLutGraphSize;
  }
  return curve;
}

}  // namespace kestrel
