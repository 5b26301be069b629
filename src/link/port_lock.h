#pragma once

#include <string>
#include <vector>

namespace kestrel {

// The UUCP-style lock file that serial programs on Linux honour
// ("/var/lock/LCK..ttyUSB0", holding the owner's process ID as ten characters
// and a newline). Taken next to flock() so that terminal programs which only
// look for the file keep their hands off the camera's port too. A folder that
// cannot be written (an ordinary user on most systems) is no error: the lock
// file is then simply not taken.
class PortLock {
 public:
  enum class Result { Taken, Skipped, Busy };

  PortLock() = default;
  ~PortLock() { Release(); }
  PortLock(const PortLock&) = delete;
  PortLock& operator=(const PortLock&) = delete;

  // Takes the lock for the device at devicePath under the device's own name
  // and, when devicePath is a symbolic link (/dev/serial/by-id/...), under
  // the link's name too: other programs lock the name they were given. A
  // lock held by a live process under either name is Busy (holderPid set). A
  // lock left by a process that no longer runs is removed, and so is one
  // whose process ID now belongs to a process started after the lock was
  // written (the ID was reused after the holder was killed).
  Result Acquire(const std::string& devicePath);
  void Release();
  int HolderPid() const { return holderPid_; }

  // The folder of the lock files: $KESTREL_LOCK_DIR, else /var/lock, unless
  // changed here (tests).
  static void SetFolder(const std::string& folder);
  static std::string Folder();
  // "LCK..ttyUSB0"; a device below a subfolder of /dev keeps it with '_' for '/'
  // ("LCK..pts_3").
  static std::string FileName(const std::string& devicePath);

 private:
  // Takes one lock file; Busy sets holderPid_.
  Result AcquireFile(const std::string& path);
  std::vector<std::string> paths_;
  int holderPid_ = 0;
};

// "minicom (pid 1234)", or "pid 1234" when the program's name cannot be read.
std::string DescribeProcess(int pid);
// The process holding an flock() on the file, or 0 when none can be found.
int FlockHolder(const std::string& path);

}  // namespace kestrel
