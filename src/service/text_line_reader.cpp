#include "service/text_line_reader.h"

namespace kestrel {

TextLineReader::~TextLineReader() {
  if (file_ && owned_) std::fclose(file_);
}

bool TextLineReader::Open(const std::string& path) {
  if (file_ && owned_) std::fclose(file_);
  file_ = std::fopen(path.c_str(), "rbe");
  owned_ = true;
  return file_ != nullptr;
}

void TextLineReader::Attach(FILE* stream) {
  if (file_ && owned_) std::fclose(file_);
  file_ = stream;
  owned_ = false;
}

bool TextLineReader::Next(std::string& line) {
  line.clear();
  if (!file_) return false;
  int c = std::getc(file_);
  if (c == EOF) return false;
  for (; c != EOF && c != '\n'; c = std::getc(file_))
    if (line.size() < kMaxLine) line.push_back(static_cast<char>(c));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

}  // namespace kestrel
