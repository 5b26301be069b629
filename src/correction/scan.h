#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kestrel::scan {

inline bool IsBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

inline void SkipBlanks(std::string_view text, size_t& pos) {
  while (pos < text.size() && IsBlank(text[pos]))
    ++pos;
}

// Reads a decimal integer at pos the way "%d" does: white space, an optional
// sign, at least one digit. Values beyond 32 bits clamp to the nearest limit,
// so range checks refuse them instead of seeing a wrapped number. On failure
// pos is left alone.
inline bool ReadInt(std::string_view text, size_t& pos, int32_t& out) {
  size_t i = pos;
  SkipBlanks(text, i);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    if (value <= (INT64_C(1) << 32)) value = value * 10 + (text[i] - '0');
  if (negative) value = -value;
  out = value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : static_cast<int32_t>(value);
  pos = i;
  return true;
}

// Consumes one c at pos if it stands there.
inline void Accept(std::string_view text, size_t& pos, char c) {
  if (pos < text.size() && text[pos] == c) ++pos;
}

}  // namespace kestrel::scan
