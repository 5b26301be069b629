// The simulated camera on a real pseudo-terminal, driven by the program's own
// link and transactions.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include <unistd.h>

#include "common/recording_ui.h"
#include "protocol/cam_cmd.h"
#include "sim/pty_camera.h"

namespace kestrel::sim {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class Host {
 public:
  explicit Host(SimOptions options = {}) : cam(options) { settings.commDevice = cam.SlavePath(); }
  bool Open() { return cmd.OpenConfiguredPort() == 1; }
  void Reopen(int baudIndex) {
    cmd.ClosePort();
    settings.baudRate = baudIndex;
    ASSERT_TRUE(Open());
  }
  int QueryInt(int row, int timeoutMs = 1000) {
    int v = -99999;
    return cmd.QueryInt(row, v, timeoutMs) == 1 ? v : -99999;
  }
  std::string QueryText(int row, int timeoutMs = 1000) {
    ParamValue v;
    return cmd.QueryValue(row, v, timeoutMs) == 1 ? v.textValue : "<failed>";
  }
  PtyCamera cam;  // outlives the command object
  Settings settings;
  testing::RecordingUi ui;
  CCamCmd cmd{settings, ui};
};

TEST(PtyCamera, AnswersTableSetsAndQueriesOverTheLink) {
  Host host;
  ASSERT_TRUE(host.Open());
  EXPECT_EQ(host.QueryInt(cmd::EA), 0);
  EXPECT_EQ(host.cmd.SetInt(18, 1000, 1000), 1);  // LR
  EXPECT_EQ(host.QueryInt(18), 1000);
  // An indexed row answers NAME=VALUE; the program takes the first value field.
  EXPECT_EQ(host.cmd.SetInt(cmd::CABT2 + 2, 5, 1000), 1);
  EXPECT_EQ(host.QueryInt(cmd::CABT2 + 2), 5);
  EXPECT_EQ(host.QueryInt(cmd::CABT2 + 1), 2);
  EXPECT_EQ(host.QueryText(cmd::MD), "HX-9302");
  EXPECT_EQ(host.cam.WithModel([](CameraModel& m) { return m.Int("CABT2", 2); }), 5);
  EXPECT_TRUE(host.ui.boxes.empty());

  // Closing and reopening the port leaves the camera running.
  host.Reopen(0);
  EXPECT_EQ(host.QueryInt(18), 1000);
  const SimStats s = host.cam.Stats();
  EXPECT_EQ(s.linesIn, 8u);
  EXPECT_EQ(s.linesOut, 8u);
  EXPECT_EQ(s.bytesIn, std::string("EA?\r\nLR=1000\r\nLR?\r\nCABT2=2,5\r\nCABT2?2\r\nCABT2?1\r\n"
                                   "MD?\r\nLR?\r\n")
                           .size());
}

// The start-up handshake: the switch is acknowledged at the old speed, and
// from then on only a host at the new speed understands the camera.
TEST(PtyCamera, SpeedSwitchAndGarbledBytesAtTheWrongSpeed) {
  Host host;
  ASSERT_TRUE(host.Open());
  EXPECT_EQ(host.cmd.SetInt(cmd::CBDRT, 16, 1000), 1);
  EXPECT_EQ(host.cam.Baud(), 115200);
  // Still at 9600: the camera drops what it cannot frame and stays silent.
  EXPECT_EQ(host.QueryInt(cmd::EA, 200), -99999);
  // What the camera sends now reaches the host as bytes that form no line.
  host.cam.SendUnsolicited("EVENT");
  uint8_t raw[64];
  ASSERT_EQ(host.cmd.ReadBytes(raw, 1, 1000), 1);
  const int n = 1 + host.cmd.ReadBytes(raw + 1, sizeof raw - 1, 50);
  for (int i = 0; i < n; ++i)
    EXPECT_GE(raw[i], 0x80) << i;
  EXPECT_EQ(host.cam.Stats().garbledLines, 1u);
  // At the new speed everything works, the repeated switch included.
  host.Reopen(4);
  EXPECT_EQ(host.cmd.SetInt(cmd::CBDRT, 16, 1000), 1);
  EXPECT_EQ(host.QueryInt(cmd::EA), 0);
  EXPECT_EQ(host.QueryInt(cmd::CBDRT), 16);
}

TEST(PtyCamera, PacingTakesTheWireTimeAndLatency) {
  SimOptions o;
  o.pace = true;
  o.latencyMs = 30;
  Host host(o);
  ASSERT_TRUE(host.Open());
  const auto t0 = Clock::now();
  EXPECT_EQ(host.QueryInt(cmd::EA), 0);
  const double took = std::chrono::duration<double>(Clock::now() - t0).count();
  // "EA?" CR LF and "EA=0" CR LF: 11 bytes of 10 bits at 9600 bit/s, plus 30 ms.
  const double limit = 11 * 10.0 / 9600 + 0.030;
  EXPECT_NEAR(host.cam.Stats().modelledSeconds, limit, 1e-9);
  EXPECT_GE(took, limit * 0.98);
}

// A slow camera's own latency is no pause of the host's: a transfer goes on.
TEST(PtyCamera, LatencyDoesNotRestartATransfer) {
  SimOptions o;
  // The host's own gaps between queries stay well under the idle time even on
  // a loaded machine; the latency is longer than it.
  o.latencyMs = 250;
  o.sequenceIdleMs = 200;
  Host host(o);
  ASSERT_TRUE(host.Open());
  EXPECT_EQ(host.QueryInt(cmd::LUTD1), 0);
  EXPECT_EQ(host.QueryInt(cmd::LUTD1), 16);
  EXPECT_EQ(host.QueryInt(cmd::LUTD1), 32);
  std::this_thread::sleep_for(400ms);  // a real pause does restart it
  EXPECT_EQ(host.QueryInt(cmd::LUTD1), 0);
}

TEST(PtyCamera, HangUpLeavesTheTransactionUnanswered) {
  SimOptions o;
  o.hangUpAfterLines = 2;
  Host host(o);
  ASSERT_TRUE(host.Open());
  EXPECT_EQ(host.cmd.SetInt(18, 500, 1000), 1);
  EXPECT_EQ(host.QueryInt(18), 500);
  EXPECT_EQ(host.QueryInt(18, 300), -99999);
  // The host may notice the hang-up before the camera's thread has noted it.
  for (int i = 0; i < 200 && !(host.cam.HungUp() && host.cmd.LinkLost()); ++i)
    std::this_thread::sleep_for(5ms);
  EXPECT_TRUE(host.cam.HungUp());
  EXPECT_TRUE(host.cmd.LinkLost());
  host.cmd.ClosePort();
  EXPECT_FALSE(host.Open());  // the device is gone
}

// A camera that rejects a command, falls silent after its quota, drops or
// garbles its replies: the host's set fails with the kind that says which.
TEST(PtyCamera, MisbehavingCamerasFailTheSetByKind) {
  struct Row {
    void (*configure)(SimOptions&);
    FailureKind kind;
    std::string text;  // its start
    int linkState;     // 1: the camera did answer
    uint64_t SimStats::*counter;
  } rows[] = {
      {[](SimOptions& o) { o.rejected = {"LR"}; }, FailureKind::Rejected,
       "ERROR REJECTED for LR=500", 1, &SimStats::errorLines},
      {[](SimOptions& o) { o.silentAfterLines = 1; }, FailureKind::NoAnswer,
       "No answer from Camera!", 0, &SimStats::linesOut},
      {[](SimOptions& o) { o.dropShare = 1.0; }, FailureKind::NoAnswer, "No answer from Camera!", 0,
       &SimStats::droppedLines},
      {[](SimOptions& o) { o.garbleShare = 1.0; }, FailureKind::Rejected, "~O", 1,
       &SimStats::garbledLines},
  };
  for (const Row& r : rows) {
    SimOptions o;
    r.configure(o);
    Host host(o);
    ASSERT_TRUE(host.Open());
    const bool quota = o.silentAfterLines > 0;
    if (quota) {
      EXPECT_EQ(host.QueryInt(cmd::EA), 0);  // the quota's one line
    }
    EXPECT_EQ(host.cmd.SetInt(18, 500, 300), 0) << r.text;
    EXPECT_EQ(host.cmd.LastFailure().kind, r.kind) << r.text;
    EXPECT_EQ(host.cmd.LastFailure().text.rfind(r.text, 0), 0u) << host.cmd.LastFailure().text;
    EXPECT_EQ(host.ui.LastLinkState(), r.linkState) << r.text;
    EXPECT_EQ(host.cam.Stats().*r.counter, 1u) << r.text;
    // The camera took the value whatever became of its answer.
    if (!o.rejected.empty() || quota) continue;
    EXPECT_EQ(host.cam.WithModel([](CameraModel& m) { return m.Int("LR"); }), 500) << r.text;
  }
}

TEST(PtyCamera, UnsolicitedLinesReachTheHost) {
  SimOptions o;
  o.unsolicitedEveryMs = 10;
  o.unsolicitedText = "TEMP ALARM";
  Host host(o);
  ASSERT_TRUE(host.Open());
  ASSERT_EQ(host.cmd.WaitLine(1, 1000), 1);
  EXPECT_EQ(host.cmd.PopLine(), "TEMP ALARM");
}

// What the host stored and chose to boot is there when the camera starts again.
TEST(PtyCamera, SettingAreasSurviveARestartWithAStateFile) {
  SimOptions o;
  o.statePath = ::testing::TempDir() + "ptycam_state_" + std::to_string(::getpid());
  std::remove(o.statePath.c_str());
  for (int run = 0; run < 2; ++run) {
    Host host(o);
    ASSERT_TRUE(host.Open());
    if (run == 0) {
      EXPECT_EQ(host.cmd.SetInt(18, 4321, 1000), 1);
      EXPECT_EQ(host.cmd.SetInt(cmd::SA, 1, 1000), 1);
      EXPECT_EQ(host.cmd.SetInt(CameraModel::RowOf("BAS00"), 1, 1000), 1);
    } else {
      EXPECT_EQ(host.QueryInt(cmd::EA), 1);
      EXPECT_EQ(host.QueryInt(18), 4321);
    }
  }
  std::remove(o.statePath.c_str());
}

// A long dump is not cut short when the host falls behind: the camera waits
// for room, as a serial driver's buffer would make it.
TEST(PtyCamera, LongDumpReachesASlowHostWhole) {
  Host host;
  ASSERT_TRUE(host.Open());
  host.cmd.SendCommand("DMW?&H260000, &H4000\r\n", 0);
  std::this_thread::sleep_for(300ms);  // not reading: every buffer on the way fills up
  int lines = 0;
  while (lines < 0x4000 && host.cmd.WaitLine(0, 2000) == 1)
    ++lines;
  EXPECT_EQ(lines, 0x4000);
  EXPECT_EQ(host.cmd.LineCount(), 0x4000);
  EXPECT_EQ(
      host.cmd.PopLine(), "DMW=&H260000, &H" + [&] {
        char b[16];
        std::snprintf(b, sizeof b, "%X",
                      host.cam.WithModel([](CameraModel& m) { return m.Memory(0x260000); }));
        return std::string(b);
      }());
  EXPECT_EQ(host.cam.Stats().droppedLines, 0u);
}

}  // namespace
}  // namespace kestrel::sim
