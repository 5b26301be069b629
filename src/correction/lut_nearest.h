#pragma once

#include <vector>

namespace kestrel::lut_detail {

// The sample a LUT entry takes: scanning the keys (16·x of each curve sample) in
// order, the best distance so far is kept truncated to an integer, starting at
// 999999, and a sample replaces it only when the truncated best is greater than
// its exact distance. This is the rule as the editor has always applied it.
int NearestSampleScan(const double* keys, int count, double target);

// The same answer without scanning every sample for every entry. The rule
// always ends at the first sample (in scan order) whose distance is below
// floor(smallest distance) + 1, so sorting the keys once finds it with a
// binary search and a short walk.
class NearestSampleIndex {
 public:
  void Build(const double* keys, int count);
  int Find(double target) const;

 private:
  const double* keys_ = nullptr;
  int count_ = 0;
  std::vector<int> order_;      // sample indices by ascending key
  std::vector<double> sorted_;  // the keys in that order
};

}  // namespace kestrel::lut_detail
