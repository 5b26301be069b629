#include "util/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace kestrel {

namespace {

void SetError(std::string* error, const std::string& what) {
  if (error) *error = what + ": " + std::strerror(errno);
}

}  // namespace

bool WriteFileAtomically(const std::string& requested, const std::string& content,
                         std::string* error) {
  if (requested.empty()) {
    errno = ENOENT;
    SetError(error, "empty path");
    return false;
  }
  // Saving over a symbolic link replaces the file it points to, not the link.
  std::string path = requested;
  struct stat link {};
  if (::lstat(requested.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    if (char* real = ::realpath(requested.c_str(), nullptr)) {
      path = real;
      std::free(real);
    }
  }
  const std::string folder = FolderOf(path);
  std::string pattern = (folder.empty() && path[0] != '/' ? std::string(".") : folder) + "/." +
                        path.substr(path.find_last_of('/') + 1) + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) {
    SetError(error, "cannot create a file in the folder");
    return false;
  }
  const std::string temp(name.data());
  auto fail = [&](const char* what) {
    SetError(error, what);
    const int saved = errno;
    ::close(fd);
    ::unlink(temp.c_str());
    errno = saved;
    return false;
  };
  size_t done = 0;
  while (done < content.size()) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return fail("write failed");
    done += static_cast<size_t>(n);
  }
  // An existing target keeps its permissions; a new one gets the usual ones.
  struct stat st {};
  mode_t mode = 0666;
  if (::stat(path.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  if (::fchmod(fd, mode) != 0) return fail("cannot set the file mode");
  if (::fsync(fd) != 0) return fail("cannot flush the file");
  if (::close(fd) != 0) {
    SetError(error, "cannot close the file");
    ::unlink(temp.c_str());
    return false;
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    SetError(error, "cannot replace the file");
    ::unlink(temp.c_str());
    return false;
  }
  // Make the rename itself survive a power cut.
  const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

std::string JoinCrLf(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) {
    out += line;
    out += "\r\n";
  }
  return out;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t lf = text.find('\n', start);
    const bool last = lf == std::string::npos;
    if (last) lf = text.size();
    size_t end = lf;
    if (!last && end > start && text[end - 1] == '\r') --end;
    lines.push_back(text.substr(start, end - start));
    start = lf + 1;
  }
  return lines;
}

bool ReadWholeFile(const std::string& path, std::string& out) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// ---------------------------------------------------------------- line-by-line writer

bool AtomicTextFile::Create(const std::string& path) {
  Discard();
  // Nothing touches the disk before Commit, so a run that is stopped while the
  // camera still sends leaves nothing behind. What can be known now is checked
  // now, so that a file that cannot be written costs no camera traffic.
  struct stat st {};
  if (path.empty() || (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))) return false;
  const std::string folder = FolderOf(path);
  if (::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) != 0) return false;
  path_ = path;
  open_ = true;
  return true;
}

void AtomicTextFile::Line(std::string_view text) {
  if (!open_) return;
  content_.append(text);
  content_.append("\r\n");
}

bool AtomicTextFile::Commit() {
  if (!open_) return false;
  const bool ok = WriteFileAtomically(path_, content_);
  Discard();
  return ok;
}

void AtomicTextFile::Discard() {
  open_ = false;
  content_.clear();
}

}  // namespace kestrel
