// Files as the tests read them back.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "util/text_file.h"

namespace kestrel::testing {

// The whole file; "" when it cannot be read.
inline std::string FileText(const std::string& path) {
  std::string text;
  ReadWholeFile(path, text);
  return text;
}

// The lines of a CR LF text; anything after the last CR LF fails the test.
inline std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
    lines.push_back(text.substr(start, at - start));
  EXPECT_EQ(start, text.size()) << "text after the last CR LF";
  return lines;
}

}  // namespace kestrel::testing
