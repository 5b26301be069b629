#pragma once

#include <cstdio>
#include <string>

namespace kestrel {

// Reads a text file line by line: LF and CR LF both end a line, a last line
// without a line end still counts, and a line is one line whatever its length.
// Only the first kMaxLine characters of a line are kept; the rest of a longer
// line is skipped rather than read as further lines, so an overlong line can
// neither overrun a buffer nor shift the rows after it.
class TextLineReader {
 public:
  static constexpr size_t kMaxLine = 4096;

  TextLineReader() = default;
  TextLineReader(const TextLineReader&) = delete;
  TextLineReader& operator=(const TextLineReader&) = delete;
  ~TextLineReader();

  bool Open(const std::string& path);
  // Reads from a stream the caller keeps open and closes (fmemopen in tests).
  void Attach(FILE* stream);
  // The next line without its line end; false at the end of the file.
  bool Next(std::string& line);

 private:
  FILE* file_ = nullptr;
  bool owned_ = false;
};

}  // namespace kestrel
