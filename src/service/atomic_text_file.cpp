#include "service/atomic_text_file.h"

#include <cerrno>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrel {

namespace {

// Writing in blocks keeps memory flat for long files without a syscall a line.
constexpr size_t kFlushAt = 64 * 1024;

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

mode_t NewFileMode(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return st.st_mode & 07777;
  // What fopen would have given: 0666 less the umask (read without changing it
  // for long; nothing else in the process creates files concurrently).
  const mode_t mask = ::umask(022);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

AtomicTextFile::~AtomicTextFile() {
  Discard();
}

bool AtomicTextFile::Create(const std::string& path) {
  Discard();
  path_ = path;
  std::vector<char> name(path.begin(), path.end());
  for (char c : std::string_view(".tmpXXXXXX"))
    name.push_back(c);
  name.push_back('\0');
  fd_ = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd_ < 0) return false;
  tempPath_ = name.data();
  ::fchmod(fd_, NewFileMode(path));
  failed_ = false;
  pending_.clear();
  return true;
}

void AtomicTextFile::Line(std::string_view text) {
  if (fd_ < 0) return;
  pending_.append(text);
  pending_.append("\r\n");
  if (pending_.size() >= kFlushAt) {
    if (!WriteAll(fd_, pending_.data(), pending_.size())) failed_ = true;
    pending_.clear();
  }
}

bool AtomicTextFile::Commit() {
  if (fd_ < 0) return false;
  bool ok = !failed_ && WriteAll(fd_, pending_.data(), pending_.size());
  pending_.clear();
  ok = ok && ::fsync(fd_) == 0;
  ok = ::close(fd_) == 0 && ok;
  fd_ = -1;
  ok = ok && std::rename(tempPath_.c_str(), path_.c_str()) == 0;
  if (!ok) ::unlink(tempPath_.c_str());
  tempPath_.clear();
  return ok;
}

void AtomicTextFile::Discard() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
    ::unlink(tempPath_.c_str());
  }
  tempPath_.clear();
  pending_.clear();
}

}  // namespace kestrel
