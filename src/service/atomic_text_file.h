#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// A text file that appears whole or not at all. Lines collect in a temporary
// file beside the target (same folder, so the final rename cannot cross file
// systems); Commit renames it over the target. Until then an existing file
// keeps its old contents, and a failure leaves no half-written file behind.
// Every line ends in CR LF, as files of existing installations do.
class AtomicTextFile {
 public:
  AtomicTextFile() = default;
  AtomicTextFile(const AtomicTextFile&) = delete;
  AtomicTextFile& operator=(const AtomicTextFile&) = delete;
  ~AtomicTextFile();  // discards an uncommitted file

  // Creates the temporary file. False when the folder cannot take it.
  bool Create(const std::string& path);
  void Line(std::string_view text);
  // Writes, flushes to the disk and renames. False on any failure; the
  // temporary file is removed then.
  bool Commit();
  void Discard();

 private:
  std::string path_;
  std::string tempPath_;
  std::string pending_;
  int fd_ = -1;
  bool failed_ = false;
};

}  // namespace kestrel
