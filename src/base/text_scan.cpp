#include "base/text_scan.h"

#include <algorithm>
#include <charconv>
#include <climits>

namespace kestrel {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

size_t SkipWhite(std::string_view text, size_t pos) {
  scan::SkipBlanks(text, pos);
  return pos;
}

}  // namespace

bool ScanLiteral(std::string_view text, size_t& pos, std::string_view literal) {
  size_t p = pos;
  for (char c : literal) {
    if (c == ' ' || c == '\t') {
      p = SkipWhite(text, p);
    } else {
      if (p >= text.size() || text[p] != c) return false;
      ++p;
    }
  }
  pos = p;
  return true;
}

bool ScanHex(std::string_view text, size_t& pos, uint32_t& out, int maxWidth) {
  size_t p = SkipWhite(text, pos);
  const size_t limit =
      maxWidth > 0 ? std::min(text.size(), p + static_cast<size_t>(maxWidth)) : text.size();
  // The prefix counts only when a digit follows it within the width.
  if (p + 2 < limit && text[p] == '0' && (text[p + 1] == 'x' || text[p + 1] == 'X') &&
      HexDigit(text[p + 2]) >= 0)
    p += 2;
  uint32_t value = 0;
  const size_t first = p;
  for (int d; p < limit && (d = HexDigit(text[p])) >= 0; ++p)
    value = (value << 4) | static_cast<uint32_t>(d);
  if (p == first) return false;
  out = value;
  pos = p;
  return true;
}

bool ScanLastHex(std::string_view text, size_t& pos, uint32_t& out, int maxWidth) {
  size_t p = pos;
  uint32_t value = 0;
  if (!ScanHex(text, p, value, maxWidth)) return false;
  size_t digits = 0;
  while (digits < p && HexDigit(text[p - 1 - digits]) >= 0)
    ++digits;
  // A "0x" prefix ends in a letter no hex digit has, so it is never counted.
  if (digits > 8 || scan::Trim(text.substr(p)).size() != 0) return false;
  out = value;
  pos = p;
  return true;
}

bool ScanDec(std::string_view text, size_t& pos, int32_t& out) {
  size_t p = SkipWhite(text, pos);
  bool negative = false;
  if (p < text.size() && (text[p] == '+' || text[p] == '-')) negative = text[p++] == '-';
  const size_t first = p;
  int64_t value = 0;
  for (; p < text.size() && text[p] >= '0' && text[p] <= '9'; ++p) {
    value = value * 10 + (text[p] - '0');
    if (value > int64_t{INT32_MAX} + 1) value = int64_t{INT32_MAX} + 1;
  }
  if (p == first) return false;
  if (negative) value = -value;
  out = static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
  pos = p;
  return true;
}

std::string ToHex(uint32_t value, int minDigits) {
  char buffer[16];
  auto r = std::to_chars(buffer, buffer + sizeof buffer, value, 16);
  std::string digits(buffer, r.ptr);
  for (char& c : digits)
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  if (static_cast<int>(digits.size()) < minDigits)
    digits.insert(0, static_cast<size_t>(minDigits) - digits.size(), '0');
  return digits;
}

std::string FixedText(double value, int decimals) {
  char buffer[400];
  auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  return r.ec == std::errc() ? std::string(buffer, r.ptr) : std::string();
}

std::string Printable(std::string_view bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += ch;
    }
  }
  return out;
}

int32_t ToInt(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && scan::IsBlank(text[i]))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > int64_t{INT32_MAX} + 1) value = int64_t{INT32_MAX} + 1;
  }
  if (negative) value = -value;
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

}  // namespace kestrel
