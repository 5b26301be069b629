#include "panel/connection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "panel/comm_select.h"
#include "panel_fixture.h"
#include "sim/pty_camera.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// ---------------------------------------------------------------- finding the camera

class ConnectionTest : public ::testing::Test {
 protected:
  void Use(sim::SimOptions o) {
    camera = std::make_unique<sim::PtyCamera>(o);
    settings.commDevice = camera->SlavePath();
  }
  std::unique_ptr<sim::PtyCamera> camera;
  Settings settings;
  testing::RecordingUi ui;
  CCamCmd cmd{settings, ui};
  Connection connection{cmd, Connection::Timing{300, 100, 300}};
};

TEST_F(ConnectionTest, CameraAt9600IsMovedTo115200AndReadWhole) {
  // The line-speed check is off here: the camera model ends a line at its CR
  // and switches speed at once, so the LF behind it may arrive garbled in
  // front of the next line.
  sim::SimOptions o;
  o.checkHostSpeed = false;
  Use(o);
  camera->WithModel([](sim::CameraModel& m) {
    m.SetCurrentArea(2);
    m.SetInt("EA", 2);
  });
  ASSERT_TRUE(connection.NegotiateAndConnect());
  EXPECT_EQ(connection.CurrentArea(), 2);
  EXPECT_EQ(settings.baudRate, 4);
  EXPECT_EQ(camera->Baud(), 115200);

  settings.operatingMode = kModeFactory;
  BindingTable table(cmd);
  HeadlessBindingView view(table);
  table.AttachView(&view);
  EXPECT_EQ(table.ReadAllParams(), 0);  // at 115200, and the camera knows every bound command
  EXPECT_TRUE(ui.boxes.empty());
}

// The speed policy: with the speed given or "Keep Camera Speed" set, the
// camera found at 9600 stays there.
TEST_F(ConnectionTest, AGivenOrKeptSpeedIsNeverMoved) {
  for (const bool given : {false, true}) {
    Use({});
    settings.keepCameraSpeed = given ? 0 : 1;
    settings.speedGiven = given;
    ASSERT_TRUE(connection.NegotiateAndConnect()) << given;
    EXPECT_EQ(camera->Baud(), 9600) << given;
    EXPECT_EQ(settings.baudRate, 0) << given;
  }
}

TEST_F(ConnectionTest, CameraLeftAt115200IsFoundWithoutAFullTimeOutAtTheWrongSpeed) {
  sim::SimOptions o;
  o.startBaud = 115200;
  Use(o);
  settings.baudRate = 0;  // remembered 9600, as after a power cycle the other way round
  // The full time-out is far longer than the search, so a loaded machine
  // cannot blur the two.
  Connection patient{cmd, Connection::Timing{5000, 200, 5000}};
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(patient.NegotiateAndConnect());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_EQ(settings.baudRate, 4);
  EXPECT_FALSE(patient.LastFailure());
}

TEST_F(ConnectionTest, RefusedSpeedSwitchIsWorkedAroundAt9600) {
  sim::SimOptions o;
  o.rejected = {"CBDRT"};
  Use(o);
  EXPECT_TRUE(connection.NegotiateAndConnect());
  EXPECT_EQ(settings.baudRate, 0);
  EXPECT_EQ(connection.Note(),
            "The camera did not take the switch to 115200 bit/s (ERROR REJECTED for CBDRT=16); "
            "working at 9600 bit/s.");
}

TEST_F(ConnectionTest, NoAnswerAndNoPortSayWhy) {
  Use({});
  camera->SetSilent(true);
  settings.baudRate = 2;
  EXPECT_FALSE(connection.NegotiateAndConnect());
  EXPECT_EQ(connection.Failure(),
            "no answer at 38400, 9600, 115200, 57600 or 19200 bit/s on " + camera->SlavePath());
  EXPECT_FALSE(connection.LastFailure());  // the status line's to tell
  EXPECT_EQ(settings.baudRate, 2);         // still the speed to try first next time
  EXPECT_FALSE(cmd.LinkOpen());
  EXPECT_EQ(ui.LastLinkState(), 0);

  settings.commDevice = "/dev/kestrel-no-such-port";
  EXPECT_FALSE(connection.NegotiateAndConnect());
  EXPECT_EQ(connection.LastFailure().text.rfind(
                "Failed to initialize!\nno such device: /dev/kestrel-no-such-port (No such file "
                "or directory).\n",
                0),
            0u)
      << connection.LastFailure().text;
}

TEST_F(ConnectionTest, SlowCameraGetsTheFullTimeOutAtTheLastSpeed) {
  sim::SimOptions o;
  o.latencyMs = 250;  // later than a probe waits
  Use(o);
  Connection patient{cmd, Connection::Timing{1000, 100, 1000}};
  EXPECT_TRUE(patient.FindCamera()) << patient.Failure();
  EXPECT_EQ(settings.baudRate, 0);
}

// A device that goes away in the middle of a full read ends it within one
// time-out, not one time-out per parameter left.
TEST_F(ConnectionTest, ADeviceLostDuringAReadEndsItAtOnce) {
  sim::SimOptions o;
  o.hangUpAfterLines = 20;
  Use(o);
  ASSERT_EQ(cmd.OpenConfiguredPort(), 1);
  BindingTable table(cmd);
  const auto start = std::chrono::steady_clock::now();
  const int failed = table.ReadAllParams();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_GT(failed, 40);  // every USER-mode parameter from the twentieth on
  EXPECT_TRUE(cmd.LinkLost());
}

// ---------------------------------------------------------------- choosing the port

TEST(CommSelect, CameraLinkDllNoOutsideTheListFallsBackToTheFirstPort) {
  const fs::path fake = fs::canonical("/proc/self/exe").parent_path().parent_path() / "tools" /
                        "clfake" / "cl11" / "libclallserial.so";
  ASSERT_TRUE(fs::exists(fake));
  ::setenv("KESTREL_CLFAKE_PORTS", "3", 1);
  Settings s;
  CClSerial cl(s);
  cl.SetLibraryFile(3, fake.string());
  s.serialMode = 3;
  s.dllNo = 7;
  PortChoice c = FillPorts(s, cl);
  ::unsetenv("KESTREL_CLFAKE_PORTS");
  EXPECT_EQ(c.items.size(), 3u);
  EXPECT_EQ(c.selection, 0);
  EXPECT_EQ(s.dllNo, 0);
  EXPECT_EQ(cl.SelectedEntry(), "Kestrel Fake - port0");
  StorePortSelection(s, cl, c, 2);
  EXPECT_EQ(s.dllNo, 2);
  EXPECT_EQ(cl.SelectedEntry(), "Kestrel Fake - port2");
}

TEST_F(ConnectionTest, ReconnectClosesFirstAndRefreshesOnlyWhenTheCameraAnswers) {
  Use({});
  ASSERT_EQ(cmd.OpenConfiguredPort(), 1);
  int refreshed = 0;
  bool openWhileChanging = true;
  auto connect = [&] { return connection.Connect(); };
  auto refresh = [&] { ++refreshed; };
  EXPECT_TRUE(Reconnect(
      cmd, [&](Settings&) { openWhileChanging = cmd.LinkOpen(); }, connect, refresh));
  EXPECT_FALSE(openWhileChanging);
  EXPECT_EQ(refreshed, 1);
  EXPECT_EQ(ui.LastLinkState(), 1);

  EXPECT_FALSE(Reconnect(
      cmd, [](Settings& c) { c.commDevice = "/nonexistent/tty"; }, connect, refresh));
  EXPECT_EQ(connection.LastFailure().text.rfind(
                "Failed to initialize!\nno such device: /nonexistent/tty", 0),
            0u);
  EXPECT_EQ(ui.LastLinkState(), 0);
  EXPECT_EQ(refreshed, 1);
}

// ---------------------------------------------------------------- simulated camera

class SimulationTest : public testing::PanelTest {};

TEST_F(SimulationTest, AnswersAsTheCameraWould) {
  Commit(ctrl::CABN3, "Tele 85");
  const std::pair<const char*, const char*> cases[] = {
      {"VN?", "321"},           {"EB?", "EB=0"},
      {"EA?", "EA=2"},          {"LR?", "LR=170"},
      {"CABA2?1", "CABA2=1,6"}, {"CABA2?7", "<none>"},
      {"MD?", "MD="},  // a command without a binding
      {"LR=500", "COMPLETE"},   {"lr?", "<none>"},
      {"hello", "<none>"},      {"CABN3?", "CABN3=Tele 85"},
  };
  for (const auto& [line, expected] : cases) {
    const auto a = SimulateAnswer(cmd, table, line, 2);
    EXPECT_EQ(a ? a->line : std::string("<none>"), expected) << line;
  }
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
