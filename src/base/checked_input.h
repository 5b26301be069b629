#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// Input that is about to be written into the camera is read whole and checked
// whole first. Every function here returns an empty string when the input is
// good, and otherwise why not, in words that name the line and the field
// ("line 12: \"abc\" is not a number for TGSM").

// Reads a file that is to be sent: a regular file only (a folder, a FIFO or a
// device is refused at once, without blocking on it) and at most maxBytes long.
// The reason does not repeat the path ("No such file or directory", "not a
// regular file", "larger than 1048576 bytes"). "-" reads standard input to its
// end, once, where the program allows it (SetDashIsStdio, base/text_file.h).
std::string ReadInputFile(const std::string& path, size_t maxBytes, std::string& text);

// The size cap of a data file of `values` numbers: room for 64 characters a
// value, far beyond what any writer puts there, and far below what a wrong
// file (an image, a device) holds.
constexpr size_t DataFileCap(int values) {
  return static_cast<size_t>(values) * 64 + 4096;
}

// A whole decimal number: blanks around it, an optional sign, digits and
// nothing else, within [minimum, maximum]. `what` names the field in the
// message ("" for none).
std::string CheckDecimal(std::string_view field, int64_t minimum, int64_t maximum,
                         std::string_view what, int32_t& out);

// Hexadecimal digits only (an optional "0x" or "0X" is dropped), blanks around
// them allowed, at most maxDigits significant digits. `digits` receives the
// digits as written, without the prefix, to be sent as they stand.
std::string CheckHex(std::string_view field, int maxDigits, std::string_view what, uint32_t& out,
                     std::string* digits = nullptr);

// A word of the register and memory files: "0x" and at most eight hexadecimal
// digits, blanks around it allowed. A "----" gap, a number without its "0x"
// and a value beyond 32 bits are refused.
std::string CheckHexWord(std::string_view field, uint32_t& out);

// The lines of a text read whole: LF and CR LF both end a line, and a UTF-8
// byte-order mark at the start is dropped.
std::vector<std::string> InputLines(std::string_view text);

// The lines of a text read whole without the blank lines at its end.
std::vector<std::string> InputLinesTrimmed(std::string_view text);

// "line N: " for messages, lines counted from 1.
std::string LineLabel(size_t lineIndex);

// Rows of comma-separated decimal numbers, `columns` on every line, `count` in
// all, each within [minimum, maximum]. Blank lines are skipped, blanks around
// the commas and one trailing comma on a line are accepted. A line with
// another number of values, a field that is not a number (such as a "----"
// gap) and a file with more or fewer values are refused. `firstLine` skips
// header lines (they still count for the line numbers).
std::string ParseValueRows(const std::vector<std::string>& lines, size_t firstLine, int columns,
                           int count, int64_t minimum, int64_t maximum,
                           std::vector<int32_t>& values);

}  // namespace kestrel
