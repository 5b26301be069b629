#include "panel/connection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "common/recording_ui.h"
#include "fake_camera.h"
#include "link/rs_port.h"
#include "panel/binding_table.h"
#include "panel_fixture.h"
#include "protocol/cam_cmd.h"

namespace kestrel {
namespace {

using testing::FakeCamera;
using Strings = std::vector<std::string>;

// ---------------------------------------------------------------- speed negotiation

class ConnectionTest : public ::testing::Test {
 protected:
  ConnectionTest() : camera(9600) {
    settings.commDevice = camera.SlavePath();
    settings.baudRate = 2;
  }
  FakeCamera camera;
  Settings settings;
  CRsPort port;
  testing::RecordingUi ui;
  CCamCmd cmd{settings, port, ui};
  Connection connection{cmd, Connection::Timing{300, 50, 300}};
};

TEST_F(ConnectionTest, CameraAt9600IsMovedTo115200) {
  camera.Set("EA", "2");
  ASSERT_TRUE(connection.NegotiateAndConnect());
  EXPECT_EQ(connection.CurrentArea(), 2);
  EXPECT_EQ(settings.baudRate, 4);
  EXPECT_EQ(camera.Lines(), (Strings{"EA?", "CBDRT=16", "CBDRT=16"}));
  EXPECT_EQ(camera.Baud(), 115200);
  // The link is open at the new speed.
  int area = -1;
  EXPECT_EQ(cmd.QueryInt(cmd::EA, area, 300, 1, 1), 1);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ConnectionTest, RefusedSpeedSwitchLeavesTheLinkAt9600Unread) {
  camera.Reject("CBDRT");
  EXPECT_FALSE(connection.NegotiateAndConnect());
  EXPECT_EQ(settings.baudRate, 0);
  EXPECT_EQ(ui.BoxTexts(), (Strings{"ERROR for CBDRT=16"}));
  EXPECT_TRUE(port.IsOpen());
}

TEST_F(ConnectionTest, MissingPortSaysFailedToInitializeAtEachSpeed) {
  settings.commDevice = "/dev/kestrel-no-such-port";
  EXPECT_FALSE(connection.NegotiateAndConnect());
  EXPECT_EQ(ui.BoxTexts(), (Strings{"Failed to initialize!", "Failed to initialize!"}));
  EXPECT_EQ(ui.boxes[0].icon, MsgIcon::Warning);
  EXPECT_EQ(settings.baudRate, 0);
}

// ---------------------------------------------------------------- time displays

TEST(TimeDisplayTest, PeriodsAndOverExposure) {
  EXPECT_EQ(TimeText(1000), "149.925us");
  EXPECT_EQ(TimeText(170), "25.487us");
  EXPECT_EQ(TimeText(0), "0.000us");
  EXPECT_EQ(ExposureText(1200, 1000, 1, 0), " over");
  EXPECT_EQ(ExposureText(1200, 1000, 1, 1), "179.910us");  // external clock
  EXPECT_EQ(ExposureText(1200, 1000, 2, 0), "179.910us");  // PWC
  EXPECT_EQ(ExposureText(1000, 1000, 1, 0), "149.925us");  // equal is not over
}

// ---------------------------------------------------------------- simulated camera

class SimulationTest : public testing::PanelTest {};

TEST_F(SimulationTest, AnswersAsTheCameraWould) {
  auto answer = [&](const std::string& line) {
    auto a = SimulateAnswer(cmd, table, line, 2);
    return a ? a->line : std::string("<none>");
  };
  EXPECT_EQ(answer("VN?"), "321");
  EXPECT_EQ(answer("EB?"), "EB=0");
  EXPECT_EQ(answer("EA?"), "EA=2");
  EXPECT_EQ(answer("LR?"), "LR=170");
  EXPECT_EQ(answer("CABA2?1"), "CABA2=1,6");
  EXPECT_EQ(answer("CABA2?7"), "<none>");
  EXPECT_EQ(answer("MD?"), "MD=");  // a command without a binding
  EXPECT_EQ(answer("LR=500"), "COMPLETE");
  EXPECT_EQ(answer("lr?"), "<none>");
  EXPECT_EQ(answer("hello"), "<none>");
  Commit(ctrl::CABN3, "Tele 85");
  EXPECT_EQ(answer("CABN3?"), "CABN3=Tele 85");
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(SimulationTest, TickAnswersTheOldestLineEvenOffline) {
  settings.offline = 1;
  camera.Peer().Send("VN?\r\nLR?\r\n");
  settings.offline = 0;
  ASSERT_EQ(cmd.WaitLine(1, 1000), 1);
  ASSERT_EQ(cmd.WaitLine(1, 1000), 1);
  settings.offline = 1;
  EXPECT_TRUE(SimulationTick(cmd, table, 0));
  EXPECT_EQ(settings.offline, 1);
  EXPECT_TRUE(SimulationTick(cmd, table, 0));
  EXPECT_FALSE(SimulationTick(cmd, table, 0));
  settings.offline = 0;
  for (int i = 0; i < 100 && camera.Peer().Bytes().size() < 13; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(camera.Peer().Bytes(), "321\r\nLR=170\r\n");
  EXPECT_EQ(ui.messages, (Strings{"VN?", "LR?", "321", "LR=170"}));
}

}  // namespace
}  // namespace kestrel
