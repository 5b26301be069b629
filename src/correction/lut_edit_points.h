#pragma once

#include <array>
#include <cstddef>

#include "correction/lut_spline.h"

namespace kestrel {

// The edit points of the LUT editor and the mouse rules that change them; the
// widget feeds it mouse moves and draws what it holds. Points are in graph
// pixels, kept sorted by x; the first and the last are never deleted and at
// most 15 are in use.
class LutEditPoints {
 public:
  static constexpr int kSlots = 16;
  static constexpr int kMaxPoints = 15;
  // Where the graph sits in the editor's client area.
  static constexpr int kGraphLeft = 160;
  static constexpr int kGraphTop = 20;
  // A press this close (in both x and y) grabs a point; a right press this close deletes one.
  static constexpr int kGrabDistance = 32;
  static constexpr int kDeleteDistance = 16;

  // The mouse buttons held during a move: exactly the left button, exactly the
  // right button (no other button, no modifier key), or anything else.
  enum class Buttons { LeftOnly, RightOnly, Other };

  LutEditPoints() { Clear(); }

  // Two points: bottom left (0, 260) and top right (260, 0).
  void Clear();

  // One mouse move at p in the editor's client pixels. Returns true when the
  // points changed, i.e. the graph needs repainting.
  bool MouseMove(int px, int py, Buttons buttons);
  // The same with p already in graph pixels (0..256 in both directions).
  bool MouseMoveInGraph(int gx, int gy, Buttons buttons);

  int Count() const { return count_; }
  const LutPoint& operator[](int i) const { return points_[static_cast<size_t>(i)]; }
  const LutPoint* Data() const { return points_.data(); }

  LutTable Table() const { return ComputeTableFromPoints(points_.data(), count_); }

 private:
  void Sort();

  std::array<LutPoint, kSlots> points_{};
  int count_ = 0;
};

}  // namespace kestrel
