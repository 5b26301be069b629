// Exchanges with scripted cameras on pseudo-terminals: acknowledgements,
// rejections and time-outs, and replies taken for the command they answer
// when a camera answers late, speaks unasked or acknowledges twice.
#include <gtest/gtest.h>
#include <termios.h>

#include <chrono>
#include <thread>

#include "common/pty_peer.h"
#include "common/recording_ui.h"
#include "link/camera_link_adapter.h"
#include "protocol/cam_cmd.h"

namespace kestrel {
namespace {

using testing::PtyPeer;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Strings = std::vector<std::string>;

constexpr int kLR = 18;  // rows of the command table
constexpr int kPE = 24;

const char* const kTimeoutText =
    "No answer from Camera! (Timeout error)\nCheck power on Camera or serial cable connection.";

class TransactionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings.commDevice = peer.SlavePath();
    ASSERT_EQ(cmd.OpenConfiguredPort(), 1);
  }
  // Waits, with a generous deadline, until n bytes the peer sent have arrived.
  void AwaitBytes(int n) {
    for (auto end = Clock::now() + 5s; cmd.BytesWaiting() < n && Clock::now() < end;)
      std::this_thread::sleep_for(1ms);
    ASSERT_GE(cmd.BytesWaiting(), n);
  }
  Settings settings;
  testing::RecordingUi ui;
  CCamCmd cmd{settings, ui};
  PtyPeer peer;
};

TEST_F(TransactionTest, SetIsAcknowledgedByCompleteInAnyCase) {
  for (const char* ack : {"COMPLETE\r\n", "complete\r\n", "LR=1000\r\nComplete and more\r\n"}) {
    peer.SetHandler([ack](const std::string&) { return std::string(ack); });
    EXPECT_EQ(cmd.SetInt(kLR, 1000, 1000), 1) << ack;
  }
  EXPECT_EQ(ui.LastLinkState(), 1);
  EXPECT_EQ(ui.busyDepth, 0);
  EXPECT_EQ(peer.Bytes(), "LR=1000\r\nLR=1000\r\nLR=1000\r\n");
  EXPECT_EQ(cmd.LastCommand(), "LR=1000");
  EXPECT_EQ(ui.log.front(), "Tx: LR=1000");
  EXPECT_EQ(ui.log[1], "Rx: COMPLETE");
  EXPECT_EQ(ui.messages.front(), "LR=1000");
}

// Every way a transaction fails, the kind it is reported as and the text the
// person is shown.
TEST_F(TransactionTest, FailuresNameTheirReasonAndTheCommand) {
  const std::string lost = "The camera or its adapter was disconnected (" + peer.SlavePath() +
                           ": hung up).\nCheck the cable and the adapter.";
  const std::string silence = "-", hangUp = "";
  struct Row {
    std::string reply;
    bool query;
    int row;
    FailureKind kind;
    std::string text;
    int linkState;  // 1 when the camera did answer
  } rows[] = {
      {"COMPLET\r\n", false, 53 + 2, FailureKind::Rejected, "COMPLET for CABT2=2,9", 1},
      {silence, false, kLR, FailureKind::NoAnswer, kTimeoutText, 0},
      {silence, true, kLR, FailureKind::NoAnswer, kTimeoutText, 0},
      // 2047 bytes and the CR: the line buffer is full before the line feed.
      {std::string(2047, 'B') + "\r\n", true, kLR, FailureKind::Unreadable,
       "RS-232C receiving buffer overflowed", 0},
      {hangUp, true, kLR, FailureKind::Lost, lost, 0},
      {hangUp, false, kLR, FailureKind::Lost, lost, 0},  // and every transaction after, at once
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    const Row& r = rows[i];
    // The reply by value: the peer's thread may still answer a late line after the rows are gone.
    peer.SetHandler([this, reply = r.reply, silence](const std::string&) {
      if (reply.empty()) peer.HangUp();
      return reply == silence ? std::string() : reply;
    });
    const auto start = Clock::now();
    int value = 0;
    const int timeoutMs = r.kind == FailureKind::NoAnswer ? 200 : 3000;
    const int ok =
        r.query ? cmd.QueryInt(r.row, value, timeoutMs) : cmd.SetInt(r.row, 9, timeoutMs);
    const auto took = Clock::now() - start;
    EXPECT_EQ(ok, 0) << i;
    EXPECT_EQ(cmd.LastFailure().kind, r.kind) << i;
    EXPECT_EQ(cmd.LastFailure().text, r.text) << i;
    EXPECT_EQ(cmd.LastFailure().icon, MsgIcon::Warning) << i;
    if (r.kind == FailureKind::NoAnswer) {
      EXPECT_GE(took, 200ms) << i;
    }
    if (r.kind == FailureKind::Lost) {
      EXPECT_LT(took, 1s) << i;
    }
    EXPECT_EQ(ui.LastLinkState(), r.linkState) << i;
  }
  EXPECT_TRUE(ui.boxes.empty());  // the command object tells; it never shows
  EXPECT_TRUE(cmd.LinkLost());
}

// A reply counts only when it names the command asked (and its index) and its
// value reads whole; an echo and lines sent unasked are skipped. A line that
// never names the command is, at the time-out, the camera's unreadable answer.
TEST_F(TransactionTest, AReplyCountsOnlyWhenItNamesTheCommandAndReadsWhole) {
  struct Row {
    const char* reply;
    int row;
    std::string want;  // the value, or the failure's text
  } rows[] = {
      {"LR?\r\nEVENT\r\n LR = -5 \r\n", kLR, "-5"},
      {"CABL2=1,40\r\n", cmd::CABL2 + 1, "40"},
      {"UD= my cam, 2\r\n", cmd::UD, " my cam, 2"},
      {"LR=12abc\r\n", kLR, "unreadable reply \"LR=12abc\" for LR?"},
      {"LR=1e3\r\n", kLR, "unreadable reply \"LR=1e3\" for LR?"},
      {"LR=0x10\r\n", kLR, "unreadable reply \"LR=0x10\" for LR?"},
      {"LR=99999999999\r\n", kLR, "unreadable reply \"LR=99999999999\" for LR?"},
      {"LR=1,2\r\n", kLR, "unreadable reply \"LR=1,2\" for LR?"},
      {"eb=1\r\n", cmd::EB, "unreadable reply \"eb=1\" for EB?"},
      {"CABL2=2,40\r\n", cmd::CABL2 + 1, "unreadable reply \"CABL2=2,40\" for CABL2?1"},
      {"\x1b[2J\r\n", kLR, "unreadable reply \"\\x1B[2J\" for LR?"},
      {"ERROR REJECTED\r\n", kLR, "ERROR REJECTED for LR?"},
  };
  for (const Row& r : rows) {
    peer.SetHandler([reply = std::string(r.reply)](const std::string&) { return reply; });
    ParamValue v;
    const bool ok = cmd.QueryValue(r.row, v, 300) == 1;
    EXPECT_EQ(!ok                ? cmd.LastFailure().text
              : r.row == cmd::UD ? v.textValue
                                 : std::to_string(v.intValue),
              r.want)
        << r.reply;
  }
}

// An indexed query names its index; with logging off it leaves no trace.
TEST_F(TransactionTest, QueryWithLoggingOffTakesTheMatchingReply) {
  peer.SetHandler([](const std::string& line) {
    return std::string(line == "CABL2?1" ? "CABL2=40\r\n" : "ERROR\r\n");
  });
  int value = 0;
  EXPECT_EQ(cmd.QueryInt(45, value, 1000, 0), 1);
  EXPECT_EQ(value, 40);
  EXPECT_TRUE(ui.log.empty());
}

// Lines the camera sent before a command are logged, never taken for its
// reply: collected by the front end's poll, or discarded by the command.
TEST_F(TransactionTest, LinesBeforeTheCommandAreNeverItsReply) {
  peer.Send("STALE\r\nHALF");
  AwaitBytes(11);
  cmd.Poll();
  EXPECT_EQ(cmd.LineCount(), 1);
  EXPECT_EQ(ui.log.back(), "Rx: STALE");
  peer.SetHandler([](const std::string&) { return std::string("COMPLETE\r\n"); });
  EXPECT_EQ(cmd.SetInt(kLR, 1, 1000), 1);
  EXPECT_NE(std::find(ui.log.begin(), ui.log.end(), "Discarded: HALF"), ui.log.end());

  peer.Send("TEMP ALARM\r\nHAL");
  AwaitBytes(15);  // in the ring, not yet polled
  EXPECT_EQ(cmd.SetInt(kLR, 1, 1000), 1);
  EXPECT_NE(std::find(ui.messages.begin(), ui.messages.end(), "TEMP ALARM"), ui.messages.end());
  EXPECT_NE(std::find(ui.log.begin(), ui.log.end(), "Discarded: HAL"), ui.log.end());
}

TEST_F(TransactionTest, LineEndsAndTheLengthLimit) {
  peer.Send(std::string(2046, 'A') + "\r\n" + "\nABC\n");
  for (int i = 0; i < 3; ++i)
    ASSERT_EQ(cmd.WaitLine(0, 1000), 1);
  EXPECT_EQ(cmd.PopLine(), std::string(2046, 'A'));  // 2047 bytes before the LF fit
  EXPECT_EQ(cmd.PopLine(), "");
  EXPECT_EQ(cmd.PopLine(), "ABC");  // only a CR is dropped before the LF
  EXPECT_EQ(cmd.PopLine(), "");     // empty queue
}

// OFFLINE: a set succeeds unacknowledged, a query fails, a wait for a line
// gets an empty one at once; what was sent is logged.
TEST_F(TransactionTest, OfflineSetsSucceedAndQueriesFailAtOnce) {
  settings.offline = 1;
  const auto start = Clock::now();
  EXPECT_EQ(cmd.SetInt(kLR, 5, 3000), 1);
  int value = 77;
  EXPECT_EQ(cmd.QueryInt(kLR, value, 3000), 0);
  EXPECT_EQ(cmd.LastFailure().kind, FailureKind::NoAnswer);
  EXPECT_EQ(cmd.WaitLine(1, 3000), 1);
  EXPECT_EQ(cmd.PopLine(), "");
  EXPECT_LT(Clock::now() - start, 1s);
  EXPECT_EQ(ui.log, (Strings{"Tx: LR=5", "Tx: LR?"}));
}

TEST_F(TransactionTest, AClosedLostLinkReopensOnAnotherDevice) {
  peer.HangUp();
  int value = 0;
  EXPECT_EQ(cmd.QueryInt(kLR, value, 3000), 0);
  EXPECT_TRUE(cmd.LinkLost());
  EXPECT_EQ(cmd.ClosePort(), 1);
  PtyPeer other([](const std::string&) { return std::string("LR=3\r\n"); });
  settings.commDevice = other.SlavePath();
  ASSERT_EQ(cmd.OpenConfiguredPort(), 1);
  EXPECT_FALSE(cmd.LinkLost());
  EXPECT_EQ(cmd.QueryInt(kLR, value, 1000), 1);
  EXPECT_EQ(value, 3);
}

TEST_F(TransactionTest, AReplyAfterItsTimeOutIsNotTheNextCommandsReply) {
  peer.SetHandler([](const std::string& line) {
    if (line == "LR?") std::this_thread::sleep_for(300ms);  // answers late
    return line.substr(0, 2) + "=" + (line == "LR?" ? "1" : "2") + "\r\n";
  });
  int value = 0;
  EXPECT_EQ(cmd.QueryInt(kLR, value, 200), 0);
  ASSERT_EQ(cmd.QueryInt(kPE, value, 1000), 1) << cmd.LastFailure().text;
  EXPECT_EQ(value, 2);
  // The late reply was seen and logged, then dropped.
  EXPECT_NE(std::find(ui.log.begin(), ui.log.end(), "Rx: LR=1"), ui.log.end());
}

// The configured device at the speed of the baud index (any index outside
// the five is 9600), 8N1; nothing open: nothing written, a read waits out its
// time-out.
TEST_F(TransactionTest, PortOpensTheConfiguredDeviceAtTheBaudOfTheIndex) {
  cmd.ClosePort();
  for (const auto& [index, speed] : {std::pair{7, B9600}, {4, B115200}, {2, B38400}}) {
    settings.baudRate = index;
    ASSERT_EQ(cmd.OpenConfiguredPort(), 1);
    termios tio{};
    ASSERT_EQ(::tcgetattr(peer.MasterFd(), &tio), 0);
    EXPECT_EQ(::cfgetospeed(&tio), speed) << index;
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    cmd.ClosePort();
  }
  EXPECT_FALSE(cmd.LinkOpen());
  EXPECT_EQ(cmd.SetInt(kLR, 1, 10), 0);
  EXPECT_EQ(cmd.LastFailure().kind, FailureKind::NoAnswer);
  uint8_t byte;
  const auto start = Clock::now();
  EXPECT_EQ(cmd.ReadBytes(&byte, 1, 10), 0);
  EXPECT_GE(Clock::now() - start, 9ms);
  EXPECT_EQ(peer.Bytes(), "");
}

// A library that returns at once whatever its time-out, as one whose grabber
// is gone may do; and one that then reports an error.
class InstantAdapter : public CameraLinkAdapter {
 public:
  int Open() override { return 1; }
  int SetBaudRate(int) override { return 1; }
  int Write(const uint8_t*, int, int) override { return 1; }
  int Read(uint8_t*, int, int) override {
    ++reads;
    return 0;
  }
  int Close() override { return 1; }
  bool Lost() const override { return lost; }
  int LostCode() const override { return -10099; }
  int reads = 0;
  bool lost = false;
};

TEST(CameraLinkReception, SleepsBetweenReadsAndEndsAtOnceWhenTheLibraryFails) {
  Settings settings;
  settings.serialMode = 3;
  testing::RecordingUi ui;
  InstantAdapter adapter;
  CCamCmd cmd(settings, ui);
  cmd.SetCameraLink(&adapter);
  ASSERT_EQ(cmd.OpenPort(0), 1);
  adapter.reads = 0;
  EXPECT_EQ(cmd.WaitLine(0, 300), 0);
  EXPECT_LE(adapter.reads, 32);  // one attempt per 10 ms, not a spin
  EXPECT_EQ(cmd.BytesWaiting(), -1);
  adapter.lost = true;
  EXPECT_TRUE(cmd.LinkLost());
  const auto start = Clock::now();
  int value = 0;
  EXPECT_EQ(cmd.QueryInt(kLR, value, 3000), 0);
  EXPECT_LT(Clock::now() - start, 1s);
  EXPECT_EQ(cmd.LastFailure().kind, FailureKind::Lost);
  EXPECT_EQ(cmd.LastFailure().text,
            "The camera or its adapter was disconnected (Camera Link serial port: library "
            "error -10099).\nCheck the cable and the adapter.");
}

}  // namespace
}  // namespace kestrel
