#pragma once

#include <chrono>
#include <cstdint>

namespace kestrel {

// Milliseconds from a fixed point, wrapping at 2^32; compare with unsigned differences.
inline uint32_t TickCount() {
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

inline uint32_t TicksSince(uint32_t start) {
  return TickCount() - start;
}

}  // namespace kestrel
