#include "correction/lut_edit_points.h"

#include <cstdlib>
#include <utility>

namespace kestrel {

void LutEditPoints::Clear() {
  points_.fill({});
  points_[0] = {0, kLutGraphSize};
  points_[1] = {kLutGraphSize, 0};
  count_ = 2;
}

bool LutEditPoints::MouseMove(int px, int py, Buttons buttons) {
  // The accepted square is 256 pixels wide from the graph's corner.
  if (px < kGraphLeft || px > kGraphLeft + 256 || py < kGraphTop || py > kGraphTop + 256)
    return false;
  return MouseMoveInGraph(px - kGraphLeft, py - kGraphTop, buttons);
}

bool LutEditPoints::MouseMoveInGraph(int gx, int gy, Buttons buttons) {
  if (gx < 0 || gx > 256 || gy < 0 || gy > 256) return false;
  bool changed = false;
  if (buttons == Buttons::LeftOnly) {
    int found = -1;
    for (int i = 0; i < count_ && found < 0; ++i)
      if (std::abs(points_[i].x - gx) <= kGrabDistance &&
          std::abs(points_[i].y - gy) <= kGrabDistance)
        found = i;
    if (found >= 0) {
      points_[found] = {gx, gy};
      changed = true;
    } else if (count_ < kMaxPoints) {
      points_[count_] = {gx, gy};
      ++count_;
      changed = true;
    }
  } else if (buttons == Buttons::RightOnly) {
    int found = -1;
    for (int i = 1; i <= count_ - 2 && found < 0; ++i)
      if (std::abs(points_[i].x - gx) <= kDeleteDistance &&
          std::abs(points_[i].y - gy) <= kDeleteDistance)
        found = i;
    if (found >= 0 && count_ > 2) {
      for (int i = found; i + 1 < count_; ++i)
        points_[i] = points_[i + 1];
      --count_;
      points_[count_] = {};
      changed = true;
    }
  }
  if (changed) Sort();
  return changed;
}

void LutEditPoints::Sort() {
  // Every in-use pair is compared both ways; for so few points this simple
  // exchange sort leaves them in ascending x.
  for (int i = 0; i < count_; ++i)
    for (int j = 0; j < count_; ++j)
      if (points_[i].x < points_[j].x) std::swap(points_[i], points_[j]);
}

}  // namespace kestrel
