// Exchanges with scripted cameras on pseudo-terminals: acknowledgements,
// rejections and time-outs, and replies taken for the command they answer
// when a camera answers late, speaks unasked or acknowledges twice.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <termios.h>

#include "common/pty_peer.h"
#include "common/recording_ui.h"
#include "link/camera_link_adapter.h"
#include "link/rs_port.h"
#include "panel/setting_file.h"
#include "protocol/cam_cmd.h"

namespace kestrel {
namespace {

using testing::PtyPeer;
using namespace std::chrono_literals;
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
  Settings settings;
  testing::RecordingUi ui;
  CCamCmd cmd{settings, ui};
  PtyPeer peer;
};

TEST_F(TransactionTest, SetIsAcknowledgedByCompleteInAnyCase) {
  for (const char* ack : {"COMPLETE\r\n", "complete\r\n", "Complete and more\r\n"}) {
    peer.SetHandler([ack](const std::string&) { return std::string(ack); });
    EXPECT_EQ(cmd.SetInt(18, 1000, 1000), 1) << ack;
  }
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(ui.LastLinkState(), 1);
  EXPECT_EQ(ui.busyDepth, 0);
  EXPECT_EQ(peer.Bytes(), "LR=1000\r\nLR=1000\r\nLR=1000\r\n");
  EXPECT_EQ(cmd.LastCommand(), "LR=1000");
  EXPECT_EQ(ui.log.front(), "Tx: LR=1000");
  EXPECT_EQ(ui.log[1], "Rx: COMPLETE");
  EXPECT_EQ(ui.messages.front(), "LR=1000");
}

TEST_F(TransactionTest, RejectedSetShowsTheReplyAndTheCommand) {
  peer.SetHandler([](const std::string&) { return std::string("COMPLET\r\n"); });
  EXPECT_EQ(cmd.SetValue(53 + 2, ParamValue::Int(9), 1000), 0);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "COMPLET for CABT2=2,9");
  EXPECT_EQ(ui.boxes[0].icon, MsgIcon::Warning);
  EXPECT_EQ(ui.LastLinkState(), 1);  // the camera did answer
}

TEST_F(TransactionTest, SilentCameraTimesOut) {
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(cmd.SetInt(18, 5, 100), 0);
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, 100ms);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(ui.LastLinkState(), 0);

  int value = -1;
  EXPECT_EQ(cmd.QueryInt(18, value, 100), 0);
  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{kTimeoutText});
  EXPECT_EQ(cmd.QueryInt(18, value, 50), 0);
  EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(TransactionTest, QueryParsesTheMatchingReply) {
  peer.SetHandler([](const std::string& line) {
    if (line == "LR?") return std::string("LR = 1234\r\n");
    if (line == "CABL2?1") return std::string("CABL2=40\r\n");
    if (line == "ID?") return std::string("ID=A000000001\r\n");
    if (line == "EB?") return std::string("eb=1\r\n");
    return std::string("ERROR\r\n");
  });
  int value = 0;
  EXPECT_EQ(cmd.QueryInt(18, value, 1000), 1);
  EXPECT_EQ(value, 1234);
  EXPECT_EQ(cmd.QueryInt(45, value, 1000, 0), 1);
  EXPECT_EQ(value, 40);
  ParamValue text;
  EXPECT_EQ(cmd.QueryValue(cmd::ID, text, 1000), 1);
  EXPECT_EQ(text.textValue, "A000000001");
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(cmd.QueryInt(cmd::EB, value, 1000), 0);
  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{"eb=1 for EB?"});
  // The query with logging off left no trace in the log.
  for (const std::string& line : ui.log)
    EXPECT_EQ(line.find("CABL2"), std::string::npos);
}

TEST_F(TransactionTest, UnsolicitedLineAfterTheQueryIsTakenAsTheReply) {
  peer.SetHandler([this](const std::string&) {
    peer.Send("TEMP ALARM\r\n");
    std::this_thread::sleep_for(5ms);
    return std::string("LR=10\r\n");
  });
  int value = 0;
  EXPECT_EQ(cmd.QueryInt(18, value, 1000), 0);
  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{"TEMPALARM for LR?"});
}

TEST_F(TransactionTest, LinesBeforeTheCommandAreNeverItsReply) {
  peer.Send("STALE\r\nHALF");
  std::this_thread::sleep_for(30ms);
  cmd.Poll();  // the front end's timer collects and logs them
  EXPECT_EQ(cmd.LineCount(), 1);
  EXPECT_EQ(ui.log.back(), "Rx: STALE");
  peer.SetHandler([](const std::string&) { return std::string("COMPLETE\r\n"); });
  EXPECT_EQ(cmd.SetInt(18, 1, 1000), 1);
}

TEST_F(TransactionTest, LineLengthLimitIs2047BytesBeforeTheLineFeed) {
  peer.Send(std::string(2046, 'A') + "\r\n");
  EXPECT_EQ(cmd.WaitLine(0, 1000), 1);
  EXPECT_EQ(cmd.PopLine(), std::string(2046, 'A'));  // and nothing cut at 32
  EXPECT_TRUE(ui.boxes.empty());

  peer.Send(std::string(2047, 'B') + "\r\n");
  // The CR is the 2048th byte: the partial line is dropped with the message,
  // and the LF that follows ends an empty line.
  ASSERT_EQ(cmd.WaitLine(0, 1000), 1);
  EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{"RS-232C receiving buffer overflowed"});
  EXPECT_EQ(cmd.PopLine(), "");
  peer.Send("EB=1\r\n");
  ASSERT_EQ(cmd.WaitLine(0, 1000), 1);
  EXPECT_EQ(cmd.PopLine(), "EB=1");
}

TEST_F(TransactionTest, LineFeedAloneAndBareLineFeedEndings) {
  peer.Send("\nABC\n");
  ASSERT_EQ(cmd.WaitLine(0, 1000), 1);
  ASSERT_EQ(cmd.WaitLine(0, 1000), 1);
  EXPECT_EQ(cmd.PopLine(), "");
  EXPECT_EQ(cmd.PopLine(), "ABC");  // only a CR is dropped before the LF
  EXPECT_EQ(cmd.PopLine(), "");     // empty queue
}

TEST_F(TransactionTest, OfflineWritesNothingAndAnswersAtOnce) {
  settings.offline = 1;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(cmd.SetInt(18, 5, 3000), 1);
  int value = 77;
  EXPECT_EQ(cmd.QueryInt(18, value, 3000), 0);
  EXPECT_EQ(cmd.ReceiveLine(1), 1);
  EXPECT_EQ(cmd.WaitLine(1, 3000), 1);
  EXPECT_EQ(cmd.PopLine(), "");
  uint8_t buffer[4] = {9, 9, 9, 9};
  EXPECT_EQ(cmd.ReadBytes(buffer, 4, 1000), 4);
  EXPECT_EQ(buffer[0], 9);
  // With the simulated camera switched on as well nothing changes: no overflow, no wait.
  settings.simulation = 1;
  EXPECT_EQ(cmd.ReceiveLine(1), 1);
  EXPECT_EQ(cmd.WaitLine(1, 3000), 1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(ui.log, (std::vector<std::string>{"Tx: LR=5", "Tx: LR?"}));
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(peer.Bytes(), "");
}

TEST_F(TransactionTest, HangUpEndsTheWaitAtOnceAndReopenWorks) {
  peer.SetHandler([this](const std::string&) {
    peer.HangUp();
    return std::string();
  });
  const auto start = std::chrono::steady_clock::now();
  int value = 0;
  EXPECT_EQ(cmd.QueryInt(18, value, 3000), 0);
  EXPECT_EQ(cmd.SetInt(18, 5, 3000), 0);  // a lost link fails every transaction at once
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  const std::string lost = "The camera or its adapter was disconnected (" + peer.SlavePath() +
                           ": hung up).\nCheck the cable and the adapter.";
  EXPECT_EQ(ui.BoxTexts(), (std::vector<std::string>{lost, lost}));
  EXPECT_EQ(ui.LastLinkState(), 0);
  EXPECT_TRUE(cmd.LinkLost());
  EXPECT_EQ(cmd.ClosePort(), 1);

  PtyPeer other([](const std::string&) { return std::string("LR=3\r\n"); });
  settings.commDevice = other.SlavePath();
  ASSERT_EQ(cmd.OpenConfiguredPort(), 1);
  EXPECT_FALSE(cmd.LinkLost());
  EXPECT_EQ(cmd.QueryInt(18, value, 1000), 1);
  EXPECT_EQ(value, 3);
}

TEST(PortOpen, FailuresLeaveThePortClosed) {
  Settings settings;
  CRsPort port;
  testing::RecordingUi ui;
  CCamCmd cmd{settings, ui};
  EXPECT_EQ(port.Open("/dev/no-such-port", 9600, 8, 0, 0, 0), 0);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(port.Close(), 1);
  EXPECT_EQ(port.Write(reinterpret_cast<const uint8_t*>("x"), 1), 0);
  EXPECT_EQ(port.Open("/dev/null", 9600, 8, 0, 0, 0), 0);  // not a terminal
  EXPECT_EQ(CRsPort::DevicePath("COM1"), "/dev/ttyS0");
  EXPECT_EQ(CRsPort::DevicePath("COM16"), "/dev/ttyS15");
  EXPECT_EQ(CRsPort::DevicePath("/dev/ttyUSB0"), "/dev/ttyUSB0");
  EXPECT_EQ(CRsPort::DevicePath("COMx"), "COMx");

  // Nothing received: one byte with a 10 ms time-out gives 0 after about 10 ms.
  uint8_t byte;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(cmd.ReadBytes(&byte, 1, 10), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 9ms);
}

TEST(PortOpen, ExclusiveAndAtTheBaudOfTheIndex) {
  PtyPeer peer;
  Settings settings;
  settings.baudRate = 7;  // not one of the five: 9600
  settings.commDevice = peer.SlavePath();
  CRsPort port, second;
  testing::RecordingUi ui;
  CCamCmd cmd{settings, ui};
  ASSERT_EQ(cmd.OpenConfiguredPort(), 1);
  termios tio{};
  ASSERT_EQ(::tcgetattr(peer.MasterFd(), &tio), 0);
  EXPECT_EQ(::cfgetospeed(&tio), B9600);
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(second.Open(peer.SlavePath(), 9600, 8, 0, 0, 0), 0);
  cmd.ClosePort();
  settings.baudRate = 4;
  ASSERT_EQ(cmd.OpenConfiguredPort(), 1);
  ASSERT_EQ(::tcgetattr(peer.MasterFd(), &tio), 0);
  EXPECT_EQ(::cfgetospeed(&tio), B115200);
}

TEST_F(TransactionTest, AReplyAfterItsTimeOutIsNotTheNextCommandsReply) {
  peer.SetHandler([](const std::string& line) {
    if (line == "LR?") std::this_thread::sleep_for(300ms);  // answers late
    return line.substr(0, 2) + "=" + (line == "LR?" ? "1" : "2") + "\r\n";
  });
  int value = 0;
  EXPECT_EQ(cmd.QueryInt(kLR, value, 200), 0);
  ASSERT_EQ(cmd.QueryInt(kPE, value, 1000), 1) << ui.BoxTexts().front();
  EXPECT_EQ(value, 2);
  EXPECT_TRUE(ui.boxes.empty());
  // The late reply was seen and logged, then dropped.
  EXPECT_NE(std::find(ui.log.begin(), ui.log.end(), "Rx: LR=1"), ui.log.end());
}

TEST_F(TransactionTest, ALineSentUnaskedJustBeforeASetIsLoggedNotTakenAsItsReply) {
  peer.SetHandler([](const std::string&) { return std::string("COMPLETE\r\n"); });
  peer.Send("TEMP ALARM\r\nHAL");
  std::this_thread::sleep_for(30ms);  // in the ring, not yet polled
  EXPECT_EQ(cmd.SetInt(kLR, 1, 1000), 1);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_NE(std::find(ui.messages.begin(), ui.messages.end(), "TEMP ALARM"), ui.messages.end());
  EXPECT_NE(std::find(ui.log.begin(), ui.log.end(), "Discarded: HAL"), ui.log.end());
}

TEST_F(TransactionTest, ARejectionInAReplayIsReportedAgainstItsOwnLine) {
  peer.SetHandler([](const std::string& line) {
    if (line.rfind("LR=", 0) == 0) return std::string("COMPLETE\r\nCOMPLETE\r\n");  // twice
    if (line.rfind("EB=", 0) == 0) return std::string("ERROR\r\n");
    return std::string("COMPLETE\r\n");
  });
  const ReplayResult r = ReplaySettingText("LR=1000\r\nEB=5\r\nPE=700\r\n", cmd, nullptr);
  EXPECT_EQ(r.failed, 1);
  EXPECT_EQ(ui.BoxTexts(),
            Strings{"1 of 3 settings were not accepted by the camera:\nline 2: ERROR for EB=5\n"});
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
  adapter.reads = 0;
  EXPECT_EQ(cmd.WaitLine(0, 300), 0);
  EXPECT_LE(adapter.reads, 32);  // one attempt per 10 ms, not a spin
  adapter.lost = true;
  EXPECT_TRUE(cmd.LinkLost());
  const auto start = std::chrono::steady_clock::now();
  int value = 0;
  EXPECT_EQ(cmd.QueryInt(kLR, value, 3000), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  EXPECT_EQ(ui.BoxTexts(),
            Strings{"The camera or its adapter was disconnected (Camera Link serial port: library "
                    "error -10099).\nCheck the cable and the adapter."});
}

}  // namespace
}  // namespace kestrel
