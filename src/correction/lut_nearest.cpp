#include "correction/lut_nearest.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace kestrel::lut_detail {

namespace {
constexpr int kStartDistance = 999999;
}

int NearestSampleScan(const double* keys, int count, double target) {
  int best = kStartDistance;
  int bestJ = 0;
  for (int j = 0; j < count; ++j) {
    const double distance = std::fabs(keys[j] - target);
    if (best > distance) {
      best = static_cast<int>(distance);
      bestJ = j;
    }
  }
  return bestJ;
}

void NearestSampleIndex::Build(const double* keys, int count) {
  keys_ = keys;
  count_ = count;
  order_.resize(static_cast<size_t>(count));
  std::iota(order_.begin(), order_.end(), 0);
  // Curves that rise from left to right (nearly all) come sorted already.
  bool sorted = true;
  for (int j = 1; j < count && sorted; ++j)
    sorted = keys[j - 1] <= keys[j];
  if (!sorted)
    std::stable_sort(order_.begin(), order_.end(),
                     [keys](int a, int b) { return keys[a] < keys[b]; });
  sorted_.resize(static_cast<size_t>(count));
  for (int j = 0; j < count; ++j)
    sorted_[static_cast<size_t>(j)] = keys[order_[static_cast<size_t>(j)]];
}

int NearestSampleIndex::Find(double target) const {
  if (count_ <= 0) return 0;
  const auto lb = std::lower_bound(sorted_.begin(), sorted_.end(), target);
  const int at = static_cast<int>(lb - sorted_.begin());
  double nearest = INFINITY;
  if (at < count_) nearest = std::fabs(sorted_[static_cast<size_t>(at)] - target);
  if (at > 0) nearest = std::min(nearest, std::fabs(sorted_[static_cast<size_t>(at - 1)] - target));
  if (!(nearest < kStartDistance)) return NearestSampleScan(keys_, count_, target);
  const double limit = std::floor(nearest) + 1.0;
  int first = count_;
  for (int s = at - 1; s >= 0 && std::fabs(sorted_[static_cast<size_t>(s)] - target) < limit; --s)
    first = std::min(first, order_[static_cast<size_t>(s)]);
  for (int s = at; s < count_ && std::fabs(sorted_[static_cast<size_t>(s)] - target) < limit; ++s)
    first = std::min(first, order_[static_cast<size_t>(s)]);
  return first;
}

}  // namespace kestrel::lut_detail
