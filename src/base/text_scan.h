#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel {

// Number scanning for every reply and file parser.

namespace scan {

inline bool IsBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

inline void SkipBlanks(std::string_view text, size_t& pos) {
  while (pos < text.size() && IsBlank(text[pos]))
    ++pos;
}

// The text without white space at either end.
inline std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back()))
    s.remove_suffix(1);
  return s;
}

// The text without the CR and LF bytes at its end.
inline std::string_view WithoutLineEnd(std::string_view s) {
  while (!s.empty() && (s.back() == '\r' || s.back() == '\n'))
    s.remove_suffix(1);
  return s;
}

}  // namespace scan

// Pieces of the scanf-style patterns the camera's replies and the tool files
// are read with ("DMW=&H%lX, &H%lX", "0x%X", "%d\t%d\t%d", "AFG=%4X"), done
// by hand so they never read past the text and never depend on the locale.
// Each advances `pos` only on success.

// A literal of a pattern: a blank or tab in it matches any run of white space
// (also none); every other character must match exactly.
bool ScanLiteral(std::string_view text, size_t& pos, std::string_view literal);

// %X: white space, an optional "0x" or "0X", then at least one hexadecimal
// digit. maxWidth > 0 limits the characters taken after the white space
// (prefix included), as a field width does. Values beyond 32 bits keep their
// low 32 bits.
bool ScanHex(std::string_view text, size_t& pos, uint32_t& out, int maxWidth = 0);

// ScanHex of the last field of a camera's reply: at most eight digits (32
// bits) and nothing but white space after them, so "&H12abcz" or a value of
// nine digits is refused rather than cut.
bool ScanLastHex(std::string_view text, size_t& pos, uint32_t& out, int maxWidth = 0);

// %d: white space, an optional sign, at least one decimal digit. Values beyond
// 32 bits clamp to the nearest limit, so range checks refuse them instead of
// seeing a wrapped number.
bool ScanDec(std::string_view text, size_t& pos, int32_t& out);

// "%X" and "%04X"-style formatting without printf.
std::string ToHex(uint32_t value, int minDigits = 0);

// "%.Nf" in the C locale whatever the desktop's locale is, so files and lines
// always carry a decimal point.
std::string FixedText(double value, int decimals);

// Bytes as a person may see them in a terminal, a log or a message: control
// bytes (below 0x20, and 0x7F) become "\r", "\t" or "\x1B", so what the
// camera sent can never move a cursor, clear a screen or end a line early.
std::string Printable(std::string_view bytes);

// The leading integer as the camera protocol writes it: optional white space,
// optional sign, digits; no digits give 0. Out of range clamps.
int32_t ToInt(const std::string& text);

}  // namespace kestrel
