#include "base/text_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>

namespace kestrel {

namespace {

void SetError(std::string* error, const std::string& what) {
  if (error) *error = what + ": " + std::strerror(errno);
}

// The file a save of this path replaces: the path itself, or, where it is a
// symbolic link, the file at the end of the link chain, whether it exists yet
// or not. The links stay as they are.
bool ResolveTarget(const std::string& requested, std::string& path) {
  path = requested;
  for (int hops = 0;; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    if (hops == 40) {
      errno = ELOOP;
      return false;
    }
    std::vector<char> target(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n < 0) return false;
    const std::string next(target.data(), static_cast<size_t>(n));
    const std::string folder = FolderOf(path);
    path = next[0] == '/' || folder.empty() ? next : folder + "/" + next;
  }
}

// Temporary files are named ".<name>.<pid>.tmpXXXXXX" beside the target. One
// whose process is gone was left by a run that was killed or lost power
// half-way; the next save of the same target removes it. A live process's
// file is never touched, so two programs saving at once do not disturb each
// other.
std::string TemporaryPrefix(const std::string& name) {
  return "." + name + ".";
}

void RemoveStaleTemporaries(const std::string& folder, const std::string& name) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  const std::string prefix = TemporaryPrefix(name);
  while (const dirent* entry = ::readdir(dir)) {
    const std::string file = entry->d_name;
    if (file.compare(0, prefix.size(), prefix) != 0) continue;
    // "<pid>.tmp" and six characters of mkstemp, nothing else.
    const std::string rest = file.substr(prefix.size());
    const size_t dot = rest.find('.');
    if (dot == 0 || dot == std::string::npos || rest.size() != dot + 10 ||
        rest.compare(dot, 4, ".tmp") != 0 || rest.find_first_not_of("0123456789") != dot)
      continue;
    const long pid = std::strtol(rest.c_str(), nullptr, 10);
    if (pid <= 0 || pid > INT32_MAX) continue;
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    ::unlinkat(::dirfd(dir), file.c_str(), 0);
  }
  ::closedir(dir);
}

// Every byte, or false with errno saying why (ENOSPC for a write that took none).
bool WriteAll(int fd, const std::string& content) {
  size_t done = 0;
  while (done < content.size()) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = ENOSPC;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool dashIsStdio = false;
bool stdoutTaken = false;

// The content on standard output, for "-", after what the program printed
// there before.
bool WriteStdout(const std::string& content, std::string* error) {
  errno = EBUSY;
  const bool ok = !stdoutTaken && std::cout.flush() && std::fflush(stdout) == 0 &&
                  WriteAll(STDOUT_FILENO, content);
  if (!ok) SetError(error, "cannot write standard output");
  return ok;
}

// A target that is not a regular file is written into, as cp does: a device
// node takes the bytes (`/dev/null` discards them), a FIFO passes them to its
// reader. Replacing it with a regular file would destroy the node.
bool WriteInto(const std::string& path, const std::string& content, std::string* error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    SetError(error, "cannot open the file");
    return false;
  }
  if (!WriteAll(fd, content)) {
    const int saved = errno;
    SetError(error, "write failed");
    ::close(fd);
    errno = saved;
    return false;
  }
  if (::close(fd) != 0) {
    SetError(error, "cannot close the file");
    return false;
  }
  return true;
}

}  // namespace

void SetDashIsStdio(bool on, bool taken) {
  dashIsStdio = on;
  stdoutTaken = taken;
}

bool DashIsStdio(const std::string& path) {
  return dashIsStdio && path == "-";
}

bool WriteFileAtomically(const std::string& requested, const std::string& content,
                         std::string* error) {
  if (requested.empty()) {
    errno = ENOENT;
    SetError(error, "empty path");
    return false;
  }
  if (DashIsStdio(requested)) return WriteStdout(content, error);
  std::string path;
  if (!ResolveTarget(requested, path)) {
    SetError(error, "cannot follow the link");
    return false;
  }
  struct stat target {};
  if (::stat(path.c_str(), &target) == 0 && !S_ISREG(target.st_mode)) {
    if (!S_ISDIR(target.st_mode)) return WriteInto(path, content, error);
    errno = EISDIR;
    SetError(error, "cannot replace a folder");
    return false;
  }
  const std::string folder = FolderOf(path);
  const std::string dirName = folder.empty() && path[0] != '/' ? std::string(".") : folder;
  const std::string name = path.substr(path.find_last_of('/') + 1);
  RemoveStaleTemporaries(dirName.empty() ? "/" : dirName, name);
  std::string pattern =
      dirName + "/" + TemporaryPrefix(name) + std::to_string(::getpid()) + ".tmpXXXXXX";
  std::vector<char> temp(pattern.begin(), pattern.end());
  temp.push_back('\0');
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) {
    SetError(error, "cannot create a file in the folder");
    return false;
  }
  // On any failure: the reason, the temporary file gone, errno as the failed
  // step left it for the caller's message.
  auto fail = [&](const char* what, bool open) {
    const int saved = errno;
    SetError(error, what);
    if (open) ::close(fd);
    ::unlink(temp.data());
    errno = saved;
    return false;
  };
  if (!WriteAll(fd, content)) return fail("write failed", true);
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
  if (::fchmod(fd, mode) != 0) return fail("cannot set the file mode", true);
  if (::fsync(fd) != 0) return fail("cannot flush the file", true);
  if (::close(fd) != 0) return fail("cannot close the file", false);
  if (::rename(temp.data(), path.c_str()) != 0) return fail("cannot replace the file", false);
  // Make the rename itself survive a power cut.
  const int dir =
      ::open(dirName.empty() ? "/" : dirName.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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

bool ReadWholeFile(const std::string& path, std::string& out) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  if (S_ISDIR(st.st_mode)) {
    errno = EISDIR;
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  errno = 0;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad() && errno == 0) errno = EIO;
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
  error_ = 0;
  if (path.empty()) error_ = ENOENT;
  if (DashIsStdio(path) && stdoutTaken) error_ = EBUSY;
  if (DashIsStdio(path) && !error_) {
    path_ = path;
    open_ = true;
    return true;
  }
  const bool exists = !error_ && ::stat(path.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) error_ = EISDIR;
  // A device node or FIFO is written into, so it must take writing itself;
  // a regular file is replaced, so its folder must take a new file.
  const std::string folder = FolderOf(path);
  const std::string writable = exists && !S_ISREG(st.st_mode) ? path
                               : folder.empty()               ? std::string(".")
                                                              : folder;
  if (!error_ && ::access(writable.c_str(), W_OK | (writable == path ? 0 : X_OK)) != 0)
    error_ = errno;
  if (error_) {
    errno = error_;
    return false;
  }
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
  error_ = ok ? 0 : errno;
  Discard();
  errno = error_;
  return ok;
}

void AtomicTextFile::Discard() {
  open_ = false;
  content_.clear();
}

}  // namespace kestrel
