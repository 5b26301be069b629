#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// The text files of the program: every save goes through one atomic writer
// (a temporary file beside the target, flushed, then renamed over it). Files
// that are sent to the camera are read through util/checked_input.h.

// Writes the whole content to a temporary file in the target's folder and
// renames it over the target, so a failed or interrupted save leaves the old
// file whole and never a half file. The temporary file is created only now,
// with every byte at hand; it is flushed to the disk before the rename, and
// the folder after it. A target that is a symbolic link is written through:
// the file at the end of the link is replaced and the link kept. Only a
// regular file is ever replaced: a device node or FIFO is written into (as
// cp does), a folder is refused (EISDIR). Temporary
// files of this target left by a killed run are removed. False (with the
// reason in *error and in errno) when any step fails; the temporary file is
// then removed.
bool WriteFileAtomically(const std::string& path, const std::string& content,
                         std::string* error = nullptr);

// Programs used from a shell take "-" for standard input (ReadInputFile in
// base/checked_input.h) and standard output (WriteFileAtomically,
// AtomicTextFile) wherever a file is named. Off unless the program turns it
// on: in the panel "-" is a file's name. `stdoutTaken` refuses a write to "-"
// while standard output carries something else (errno EBUSY).
void SetDashIsStdio(bool on, bool stdoutTaken = false);
bool DashIsStdio(const std::string& path);

// Joins lines with CR LF after each, the line end of every file the program writes.
std::string JoinCrLf(const std::vector<std::string>& lines);

// Reads a whole file. False (errno says why) when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& out);

// The folder of a path: the text before its last '/', or "" when there is none.
std::string FolderOf(const std::string& path);

// A text file written line by line that appears whole or not at all: the
// lines collect in memory and Commit writes them through WriteFileAtomically.
// Until then an existing file keeps its old contents. Every line ends in
// CR LF, as the program's files do.
class AtomicTextFile {
 public:
  AtomicTextFile() = default;
  AtomicTextFile(const AtomicTextFile&) = delete;
  AtomicTextFile& operator=(const AtomicTextFile&) = delete;

  // Starts a file for this path. False when the path names a folder, a
  // device node or FIFO that cannot be written, or a file whose folder
  // cannot take a new file.
  bool Create(const std::string& path);
  void Line(std::string_view text);
  // Writes, flushes to the disk and renames. False on any failure.
  bool Commit();
  void Discard();
  // The system's error number of the last failed Create or Commit, 0 after
  // a success: what a message tells the user.
  int Error() const { return error_; }

 private:
  std::string path_;
  std::string content_;
  bool open_ = false;
  int error_ = 0;
};

}  // namespace kestrel
