// Runs kestrelctl as a script would, with a private settings file.
#pragma once

#include <gmock/gmock.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace kestrel::testing {

using ::testing::HasSubstr;
using ::testing::Not;

struct CtlResult {
  int status = -1;  // not run yet
  std::string out;
  std::string err;
};

// A folder of this test program's own, for the settings file and the files
// the tests write.
inline std::filesystem::path CtlTempDir() {
  static const std::filesystem::path dir = [] {
    auto d =
        std::filesystem::temp_directory_path() / ("kestrelctl-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(d / "locks");
    return d;
  }();
  return dir;
}

// Runs "env... kestrelctl args" with `input` on its standard input; captures
// its output, its errors and its exit status.
inline CtlResult Ctl(const std::string& args, const std::string& env = {},
                     const std::string& input = {}) {
  const std::string errFile = (CtlTempDir() / "stderr").string();
  const std::string inFile = (CtlTempDir() / "stdin").string();
  std::ofstream(inFile, std::ios::binary) << input;
  // A hung run ends after a minute with status 124. In the foreground, a
  // signal this timeout passes on reaches kestrelctl once, not twice through
  // the process group as well.
  // Lock files go to a folder of this program's own: a pseudo-terminal's
  // number comes back when its camera hangs up, while another test's run may
  // still hold the lock it took under that number.
  const std::string command = "KESTREL_CONFIG=" + (CtlTempDir() / "settings.ini").string() +
                              " KESTREL_LOCK_DIR=" + (CtlTempDir() / "locks").string() + " " + env +
                              " timeout --foreground 60 " KESTRELCTL_PATH " " + args + " <" +
                              inFile + " 2>" + errFile;
  CtlResult run{};
  FILE* pipe = ::popen(command.c_str(), "r");
  std::array<char, 4096> buffer;
  size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
    run.out.append(buffer.data(), n);
  run.status = WEXITSTATUS(::pclose(pipe));
  std::ifstream err(errFile);
  run.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
  return run;
}

}  // namespace kestrel::testing
