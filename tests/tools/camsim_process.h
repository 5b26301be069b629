// kestrel-camsim and other programs as child processes of a test.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "common/file_text.h"

namespace kestrel::testing {

using namespace std::chrono_literals;

inline std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + name + "_" + std::to_string(::getpid());
}

inline pid_t Spawn(const std::vector<std::string>& argv, int out, int err) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(out, 1);
    ::dup2(err, 2);
    std::vector<char*> args;
    for (const std::string& a : argv)
      args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  return pid;
}

// Waits up to timeout for the child; kills it when it overstays. -1: killed.
inline int Wait(pid_t pid, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > end) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(5ms);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

#ifdef CAMSIM_PATH
// A camera process for one test; its port path comes from its first line.
class CamSim {
 public:
  explicit CamSim(std::vector<std::string> options) {
    options.insert(options.begin(), CAMSIM_PATH);
    int pipeFds[2];
    EXPECT_EQ(::pipe(pipeFds), 0);
    errPath_ = TempPath("camsim_err");
    const int err = ::open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_ = Spawn(options, pipeFds[1], err);
    ::close(pipeFds[1]);
    ::close(err);
    for (char ch; ::read(pipeFds[0], &ch, 1) == 1 && ch != '\n';)
      path_.push_back(ch);
    ::close(pipeFds[0]);
  }
  ~CamSim() {
    if (pid_ > 0) Stop();
    std::remove(errPath_.c_str());
  }
  const std::string& Path() const { return path_; }
  int Stop() {
    ::kill(pid_, SIGTERM);
    const int status = Wait(pid_, 5s);
    pid_ = -1;
    return status;
  }
  int WaitExit(std::chrono::milliseconds timeout) {
    const int status = Wait(pid_, timeout);
    pid_ = -1;
    return status;
  }
  std::string Err() const { return FileText(errPath_); }

 private:
  pid_t pid_ = -1;
  std::string path_, errPath_;
};

#endif  // CAMSIM_PATH

}  // namespace kestrel::testing
