#include "link/port_lock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace kestrel {

namespace {

// /var/lock unless KESTREL_LOCK_DIR names another folder (systems that keep
// their lock files elsewhere; tests that must not meet each other's locks).
std::string& FolderSetting() {
  static std::string folder = [] {
    const char* chosen = std::getenv("KESTREL_LOCK_DIR");
    return std::string(chosen && *chosen ? chosen : "/var/lock");
  }();
  return folder;
}

// The process ID a lock file holds (ASCII, possibly padded; older programs
// wrote a binary int, which is read as well), or 0.
int ReadPid(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  char buffer[32] = {};
  const ssize_t n = ::read(fd, buffer, sizeof buffer - 1);
  ::close(fd);
  if (n == static_cast<ssize_t>(sizeof(int)) && (buffer[0] < ' ' || buffer[3] < ' ')) {
    int pid = 0;
    std::memcpy(&pid, buffer, sizeof pid);
    return pid;
  }
  if (n <= 0) return 0;
  return static_cast<int>(std::strtol(buffer, nullptr, 10));
}

bool Alive(int pid) {
  return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

// When the process started, in seconds since the epoch, or 0 when unknown.
double StartTime(int pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text;
  if (!std::getline(stat, text)) return 0;
  // The name in parentheses may hold blanks; field 22 counts from its end.
  const size_t close = text.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  for (int i = 3; i <= 22 && fields >> field; ++i)
    if (i == 22) {
      std::ifstream boot("/proc/stat");
      for (std::string line; std::getline(boot, line);)
        if (line.rfind("btime ", 0) == 0)
          return std::strtod(line.c_str() + 6, nullptr) +
                 std::strtod(field.c_str(), nullptr) / static_cast<double>(::sysconf(_SC_CLK_TCK));
    }
  return 0;
}

// The lock file's holder still holds it: alive, and running since before the
// file was written. A process started later got a killed holder's ID.
bool Holds(int pid, const std::string& path) {
  if (!Alive(pid)) return false;
  struct stat st {};
  const double started = StartTime(pid);
  // Seconds of slack: the boot time is given in whole seconds.
  return started == 0 || ::stat(path.c_str(), &st) != 0 ||
         started <= static_cast<double>(st.st_mtime) + 2;
}

}  // namespace

void PortLock::SetFolder(const std::string& folder) {
  FolderSetting() = folder;
}

std::string PortLock::Folder() {
  return FolderSetting();
}

std::string PortLock::FileName(const std::string& devicePath) {
  std::string name = devicePath;
  if (name.rfind("/dev/", 0) == 0)
    name = name.substr(5);
  else if (size_t slash = name.rfind('/'); slash != std::string::npos)
    name = name.substr(slash + 1);
  for (char& c : name)
    if (c == '/') c = '_';
  return "LCK.." + name;
}

PortLock::Result PortLock::Acquire(const std::string& devicePath) {
  Release();
  holderPid_ = 0;
  char resolved[PATH_MAX];
  const std::string device = ::realpath(devicePath.c_str(), resolved) ? resolved : devicePath;
  std::vector<std::string> names = {Folder() + "/" + FileName(device)};
  if (const std::string link = Folder() + "/" + FileName(devicePath); link != names[0])
    names.push_back(link);
  Result result = Result::Skipped;
  for (const std::string& path : names) {
    const Result one = AcquireFile(path);
    if (one == Result::Busy) {
      const int holder = holderPid_;
      Release();
      holderPid_ = holder;
      return Result::Busy;
    }
    if (one == Result::Taken) result = Result::Taken;
  }
  return result;
}

PortLock::Result PortLock::AcquireFile(const std::string& path) {
  char text[16];
  std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(::getpid()));
  // The file is written aside and linked into place whole: a program that
  // looks at the same moment never finds it without a process ID and takes it
  // for a stale one.
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::string aside = path + ".XXXXXX";
    const int fd = ::mkostemp(aside.data(), O_CLOEXEC);
    if (fd < 0) return Result::Skipped;  // no lock folder we may write to
    const bool written = ::fchmod(fd, 0644) == 0 && ::write(fd, text, 11) == 11;
    ::close(fd);
    const bool linked = written && ::link(aside.c_str(), path.c_str()) == 0;
    const int error = errno;
    ::unlink(aside.c_str());
    if (linked) {
      paths_.push_back(path);
      return Result::Taken;
    }
    if (!written || error != EEXIST) return Result::Skipped;
    const int pid = ReadPid(path);
    if (pid == ::getpid()) return Result::Skipped;  // ours already, from another open
    if (Holds(pid, path)) {
      holderPid_ = pid;
      return Result::Busy;
    }
    ::unlink(path.c_str());  // left by a program that ended without cleaning up
  }
  return Result::Skipped;
}

void PortLock::Release() {
  for (const std::string& path : paths_)
    if (ReadPid(path) == ::getpid()) ::unlink(path.c_str());
  paths_.clear();
}

std::string DescribeProcess(int pid) {
  std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
  std::string name;
  if (comm && std::getline(comm, name) && !name.empty())
    return name + " (pid " + std::to_string(pid) + ")";
  return "pid " + std::to_string(pid);
}

int FlockHolder(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return 0;
  // /proc/locks: "1: FLOCK  ADVISORY  WRITE 1234 00:05:87 0 EOF"
  std::ifstream locks("/proc/locks");
  for (std::string line; std::getline(locks, line);) {
    std::istringstream in(line);
    std::string id, kind, mode, access, where;
    int pid = 0;
    if (!(in >> id >> kind)) continue;
    if (kind == "->") in >> kind;  // a waiter, listed under the holder
    if (kind != "FLOCK" || !(in >> mode >> access >> pid >> where)) continue;
    unsigned major = 0, minor = 0;
    unsigned long long inode = 0;
    if (std::sscanf(where.c_str(), "%x:%x:%llu", &major, &minor, &inode) != 3) continue;
    if (inode == st.st_ino && ::makedev(major, minor) == st.st_dev) return pid;
  }
  return 0;
}

}  // namespace kestrel
