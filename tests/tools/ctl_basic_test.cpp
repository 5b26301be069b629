// kestrelctl's query, set and send against a scripted peer: the exact bytes on
// the wire, what is printed, and the exit statuses scripts rely on.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/pty_peer.h"

namespace {

using kestrel::testing::PtyPeer;

struct CtlRun {
  int status;
  std::string out;
  std::string err;
};

// Runs kestrelctl with a private settings file; captures stdout and stderr.
CtlRun Ctl(const std::string& args) {
  static const std::string dir = [] {
    auto d =
        std::filesystem::temp_directory_path() / ("kestrelctl-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(d);
    return d.string();
  }();
  const std::string errFile = dir + "/stderr";
  const std::string command =
      "KESTREL_CONFIG=" + dir + "/settings.ini " KESTRELCTL_PATH " " + args + " 2>" + errFile;
  CtlRun run{};
  FILE* pipe = ::popen(command.c_str(), "r");
  std::array<char, 4096> buffer;
  size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
    run.out.append(buffer.data(), n);
  run.status = WEXITSTATUS(::pclose(pipe));
  if (FILE* f = std::fopen(errFile.c_str(), "r")) {
    while ((n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0)
      run.err.append(buffer.data(), n);
    std::fclose(f);
  }
  return run;
}

std::string Camera(const std::string& line) {
  if (line == "LR?") return "LR=1000\r\n";
  if (line == "CABL2?1") return "CABL2=40\r\n";
  if (line == "ID?") return "ID=A000000001\r\n";
  if (line.rfind("CABT2=", 0) == 0) return "Error\r\n";
  if (line.find('=') != std::string::npos) return "COMPLETE\r\n";
  return "";
}

TEST(KestrelctlBasic, QueryPrintsOneValuePerLine) {
  PtyPeer peer(Camera);
  CtlRun r = Ctl("--baud 9600 --port " + peer.SlavePath() + " query LR CABL2?1 ID");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "1000\n40\nA000000001\n");
  EXPECT_EQ(peer.Bytes(), "LR?\r\nCABL2?1\r\nID?\r\n");
}

TEST(KestrelctlBasic, SetSendsExactLinesAndStopsAtTheFirstFailure) {
  PtyPeer peer(Camera);
  CtlRun r = Ctl("--baud 9600 --port " + peer.SlavePath() + " set LR=1000 ID=A000000001");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(peer.Bytes(), "LR=1000\r\nID=A000000001\r\n");

  r = Ctl("--baud 9600 --port " + peer.SlavePath() + " set CABT2=2,9 LR=5");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Error for CABT2=2,9"), std::string::npos) << r.err;
  EXPECT_EQ(peer.Bytes().find("LR=5"), std::string::npos);
}

TEST(KestrelctlBasic, UsageErrorsAndSilenceHaveTheirOwnStatus) {
  PtyPeer silent;
  EXPECT_EQ(Ctl("--baud 9600 --port " + silent.SlavePath() + " query NOSUCH").status, 2);
  EXPECT_EQ(Ctl("--baud 9600 --port " + silent.SlavePath() + " query eb").status, 2);
  EXPECT_EQ(Ctl("--baud 9600 --port " + silent.SlavePath() + " set CABL2=5,1").status, 2);
  EXPECT_EQ(Ctl("--baud 12345 query LR").status, 2);
  EXPECT_EQ(Ctl("frobnicate").status, 2);
  EXPECT_EQ(silent.Bytes(), "");  // nothing sent for a command line that is wrong

  CtlRun r = Ctl("--baud 9600 --port " + silent.SlavePath() + " --timeout 100 query LR");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("No answer from Camera! (Timeout error)"), std::string::npos);
  r = Ctl("--baud 9600 --port " + silent.SlavePath() + " --timeout 100 set LR=1");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("No answer"), std::string::npos);
  r = Ctl("--port /dev/no-such-port query LR");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("no such device: /dev/no-such-port"), std::string::npos);
}

TEST(KestrelctlBasic, SendPrintsEveryLineWithinTheListenTime) {
  PtyPeer peer([](const std::string& line) {
    return line == "VN?" ? std::string("VN=1.2\r\nEXTRA\r\n") : std::string();
  });
  CtlRun r = Ctl("--baud 9600 --port " + peer.SlavePath() + " --listen 200 send 'VN?'");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "VN=1.2\nEXTRA\n");
  EXPECT_EQ(peer.Bytes(), "VN?\r\n");
}

}  // namespace
