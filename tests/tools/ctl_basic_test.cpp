// kestrelctl's query, set and send against a scripted peer: the exact bytes on
// the wire, what is printed, and the exit statuses scripts rely on.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/pty_peer.h"
#include "ctl_run.h"

namespace {

using kestrel::testing::Ctl;
using kestrel::testing::CtlResult;
using kestrel::testing::HasSubstr;
using kestrel::testing::Not;
using kestrel::testing::PtyPeer;

std::string Camera(const std::string& line) {
  if (line.rfind("CABT2=", 0) == 0) return "Error\r\n";
  if (line.find('=') != std::string::npos) return "COMPLETE\r\n";
  return "";
}

TEST(KestrelctlBasic, SetSendsExactLinesAndStopsAtTheFirstFailure) {
  PtyPeer peer(Camera);
  CtlResult r =
      Ctl("--baud 9600 --port " + peer.SlavePath() + " set --no-verify LR=1000 ID=A000000001");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(peer.Bytes(), "LR=1000\r\nID=A000000001\r\n");

  r = Ctl("--baud 9600 --port " + peer.SlavePath() + " set --no-verify CABT2=2,5 LR=500");
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("Error for CABT2=2,5"));
  EXPECT_THAT(peer.Bytes(), Not(HasSubstr("LR=500")));

  // A text takes the rest of the argument whole.
  r = Ctl("--baud 9600 --port " + peer.SlavePath() + " set --no-verify 'UD=ab,cd' 'CABN1=Lens A'");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(peer.Bytes(), HasSubstr("UD=ab,cd\r\nCABN1=Lens A\r\n"));
}

// A command line that is wrong, values included, sends nothing and exits 2.
TEST(KestrelctlBasic, UsageErrorsSendNothingAndSilenceIsAFailure) {
  PtyPeer silent;
  const std::string port = "--baud 9600 --port " + silent.SlavePath() + " ";
  for (const std::string& args : {port + "query NOSUCH", port + "query eb", port + "set CABL2=5,1",
                                  port + "set LR=200 'UD=a\nEB=1'", port + "set LR=200 LR=abc",
                                  std::string("--baud 12345 query LR"), std::string("frobnicate")})
    EXPECT_EQ(Ctl(args).status, 2) << args;
  EXPECT_EQ(silent.Bytes(), "");
  CtlResult r = Ctl(port + "set LR=200 LR=abc");
  EXPECT_THAT(r.err, HasSubstr("\"abc\" is not a number for LR"));
  EXPECT_THAT(r.err, HasSubstr("nothing was sent"));

  r = Ctl(port + "--timeout 100 set LR=200");
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("No answer"));
  r = Ctl("--port /dev/no-such-port query LR");
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("no such device: /dev/no-such-port"));
}

// Register writes, dumps and file loads: hexadecimal arguments as the
// camera takes them, every outcome that is not an acknowledgement an exit 1
// with a message, every input file read and checked before anything is sent.
TEST(KestrelctlBasic, ServiceCommandsCheckArgumentsFilesAndAnswers) {
  PtyPeer peer([](const std::string& line) {
    if (line.rfind("FPGAWR=", 0) == 0) return std::string("NG\r\n");
    return line.empty() ? std::string() : std::string("COMPLETE\r\n");
  });
  const std::string port = "--baud 9600 --port " + peer.SlavePath() + " --timeout 2000 ";
  CtlResult r = Ctl(port + "memwrite 260000 0x1");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(peer.Bytes(), "WMW=&H260000, &H1\r\n");
  r = Ctl(port + "fpga write 1A FF");
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("NG for FPGAWR=&H1A, &HFF"));

  const std::string before = peer.Bytes();
  r = Ctl(port + "memwrite 0x 1");
  EXPECT_EQ(r.status, 2);
  EXPECT_THAT(r.err, HasSubstr("\"0x\" is not a hexadecimal number for ADDR"));
  // Files: a folder as a dump target, unreadable or wrong input files.
  const std::string dir = std::filesystem::temp_directory_path().string();
  const std::string fifo = dir + "/kestrelctl-fifo-" + std::to_string(getpid());
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string empty = dir + "/kestrelctl-empty-" + std::to_string(getpid());
  std::ofstream(empty).close();
  const std::pair<std::string, std::string> unreadable[] = {
      {"dump 260000 0x10 " + dir, dir + "\nCouldn't open the file"},
      {"correction write pixel-black 1 " + fifo, fifo + ": not a regular file"},
      {"aberration write " + empty, "the file holds 0 values where 112 are needed"},
      {"afe load " + empty, empty + ": the file holds no rows; nothing was sent"},
      {"terminal-routine write-correction black factory " + empty,
       "the file holds 0 lines where 2048 pixels are needed"},
  };
  for (const auto& [args, message] : unreadable) {
    r = Ctl(port + args);
    EXPECT_EQ(r.status, 1) << args;
    EXPECT_THAT(r.err, HasSubstr(message)) << args << ": " << r.err;
  }
  std::remove(fifo.c_str());
  std::remove(empty.c_str());
  EXPECT_EQ(peer.Bytes(), before);

  // A silent camera: a message and exit 1 within --timeout.
  PtyPeer silent;
  const auto start = std::chrono::steady_clock::now();
  r = Ctl("--baud 9600 --port " + silent.SlavePath() + " --timeout 100 afe write Tap1 47 12");
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("No answer from Camera! (Timeout error) for AFEW="));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

}  // namespace
