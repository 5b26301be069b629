// Replies are taken for the command they answer: scripted cameras on
// pseudo-terminals that answer late, speak unasked or acknowledge twice.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

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

class AttributionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings.commDevice = peer.SlavePath();
    ASSERT_EQ(cmd.OpenConfiguredPort(), 1);
  }
  Settings settings;
  CRsPort port;
  testing::RecordingUi ui;
  CCamCmd cmd{settings, port, ui};
  PtyPeer peer;
};

TEST_F(AttributionTest, AReplyAfterItsTimeOutIsNotTheNextCommandsReply) {
  peer.SetHandler([](const std::string& line) {
    if (line == "LR?") std::this_thread::sleep_for(300ms);  // answers late
    return line.substr(0, 2) + "=" + (line == "LR?" ? "1" : "2") + "\r\n";
  });
  int value = 0;
  EXPECT_EQ(cmd.QueryInt(kLR, value, 200, 0, 1), 0);
  ASSERT_EQ(cmd.QueryInt(kPE, value, 1000, 1, 1), 1) << ui.BoxTexts().front();
  EXPECT_EQ(value, 2);
  EXPECT_TRUE(ui.boxes.empty());
  // The late reply was seen and logged, then dropped.
  EXPECT_NE(std::find(ui.log.begin(), ui.log.end(), "Rx: LR=1"), ui.log.end());
}

TEST_F(AttributionTest, ALineSentUnaskedJustBeforeASetIsLoggedNotTakenAsItsReply) {
  peer.SetHandler([](const std::string&) { return std::string("COMPLETE\r\n"); });
  peer.Send("TEMP ALARM\r\nHAL");
  std::this_thread::sleep_for(30ms);  // in the ring, not yet polled
  EXPECT_EQ(cmd.SetInt(kLR, 1, 1000), 1);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_NE(std::find(ui.messages.begin(), ui.messages.end(), "TEMP ALARM"), ui.messages.end());
  EXPECT_NE(std::find(ui.log.begin(), ui.log.end(), "Discarded: HAL"), ui.log.end());
}

TEST_F(AttributionTest, ARejectionInAReplayIsReportedAgainstItsOwnLine) {
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
  CRsPort port;
  testing::RecordingUi ui;
  InstantAdapter adapter;
  CCamCmd cmd(settings, port, ui, &adapter);
  adapter.reads = 0;
  EXPECT_EQ(cmd.WaitLine(0, 300), 0);
  EXPECT_LE(adapter.reads, 32);  // one attempt per 10 ms, not a spin
  adapter.lost = true;
  EXPECT_TRUE(cmd.LinkLost());
  const auto start = std::chrono::steady_clock::now();
  int value = 0;
  EXPECT_EQ(cmd.QueryInt(kLR, value, 3000, 1, 1), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  EXPECT_EQ(ui.BoxTexts(),
            Strings{"The camera or its adapter was disconnected (Camera Link serial port: library "
                    "error -10099).\nCheck the cable and the adapter."});
}

}  // namespace
}  // namespace kestrel
