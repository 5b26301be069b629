// The panel's start-up against the camera simulator: speed negotiation on a
// line that garbles at the wrong speed, then a full read of every binding.
#include <gtest/gtest.h>

#include "common/recording_ui.h"
#include "link/rs_port.h"
#include "panel/binding_table.h"
#include "panel/connection.h"
#include "panel/headless_view.h"
#include "protocol/cam_cmd.h"
#include "sim/pty_camera.h"

namespace kestrel {
namespace {

using sim::PtyCamera;
using sim::SimOptions;

SimOptions StartingAt(int baud) {
  SimOptions o;
  o.startBaud = baud;
  return o;
}

class SimulatorStartTest : public ::testing::Test {
 protected:
  void Use(PtyCamera& camera) { settings.commDevice = camera.SlavePath(); }
  Settings settings;
  testing::RecordingUi ui;
  CCamCmd cmd{settings, ui};
  Connection connection{cmd, Connection::Timing{500, 100, 1000}};
};

TEST_F(SimulatorStartTest, SwitchesACameraAt9600To115200AndReadsEverything) {
  // The line-speed check is off here: the camera model ends a line at its CR
  // and switches speed at once, so the LF behind it may arrive garbled in
  // front of the next line. FakeCamera checks the speeds of this sequence.
  SimOptions o = StartingAt(9600);
  o.checkHostSpeed = false;
  PtyCamera camera(o);
  camera.WithModel([](sim::CameraModel& m) {
    m.SetCurrentArea(2);
    m.SetInt("EA", 2);
    m.SetInt("LR", 4321);
    m.SetInt("CABS2", 6, 1);
  });
  Use(camera);
  ASSERT_TRUE(connection.NegotiateAndConnect());
  EXPECT_EQ(settings.baudRate, 4);
  EXPECT_EQ(camera.Baud(), 115200);
  EXPECT_EQ(connection.CurrentArea(), 2);

  settings.operatingMode = kModeFactory;
  BindingTable table(cmd);
  HeadlessBindingView view(table);
  table.AttachView(&view);
  EXPECT_EQ(table.ReadAllParams(), 0);  // the camera knows every bound command
  EXPECT_EQ(table.GetParamInt(ctrl::LR), 4321);
  EXPECT_EQ(table.GetParamInt(2766), 6);
  EXPECT_TRUE(ui.boxes.empty()) << ui.boxes.front().text;
}

TEST_F(SimulatorStartTest, FindsACameraThatOnlyTalksAt115200) {
  PtyCamera camera(StartingAt(115200));
  Use(camera);
  ASSERT_TRUE(connection.NegotiateAndConnect());
  EXPECT_EQ(settings.baudRate, 4);
  EXPECT_EQ(camera.Baud(), 115200);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(SimulatorStartTest, NoAnswerAtEitherSpeedLeaves9600) {
  SimOptions o;
  o.silentAfterLines = 0;
  PtyCamera camera(o);
  Use(camera);
  EXPECT_FALSE(connection.NegotiateAndConnect());
  EXPECT_EQ(settings.baudRate, 0);
  EXPECT_EQ(ui.LastLinkState(), 0);
  EXPECT_FALSE(cmd.LinkOpen());
}

}  // namespace
}  // namespace kestrel
