// The Camera Link adapter against the project's fake serial libraries, which
// forward to a pseudo-terminal peer standing in for the camera.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "common/file_text.h"
#include "common/pty_peer.h"
#include "common/recording_ui.h"
#include "link/cl_serial.h"
#include "panel/connection.h"
#include "protocol/cam_cmd.h"
#include "sim/pty_camera.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;
using testing::PtyPeer;
using ListKind = CClSerial::ListKind;

// build/tests/test_link -> build/tools/clfake
fs::path FakeDir() {
  if (const char* dir = std::getenv("KESTREL_CLFAKE_DIR")) return dir;
  return fs::canonical("/proc/self/exe").parent_path().parent_path() / "tools" / "clfake";
}

std::string Answer(const std::string& line) {
  if (line.find('?') != std::string::npos) return line.substr(0, line.find('?')) + "=7\r\n";
  return "COMPLETE\r\n";
}

class ClSerialTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(FakeDir() / "cl11" / "libclallserial.so")) << FakeDir();
    temp = fs::temp_directory_path() /
           ("cl_serial_test_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(temp);
    fs::create_directories(temp);
    trace = temp / "trace.txt";
    ::setenv("KESTREL_CLFAKE_PORT", peer.SlavePath().c_str(), 1);
    ::setenv("KESTREL_CLFAKE_TRACE", trace.c_str(), 1);
    ::unsetenv("KESTREL_CLFAKE_BAUDS");
    ::unsetenv("KESTREL_CLFAKE_PORT1");
    ::setenv("CLSERIALPATH", (FakeDir() / "cl2000").c_str(), 1);
    cl.SetLibraryFile(2, FakeDir() / "cl2001" / "libclserial.so");
    cl.SetLibraryFile(3, FakeDir() / "cl11" / "libclallserial.so");
    cmd.SetCameraLink(&cl);
  }
  void TearDown() override {
    cmd.ClosePort();
    fs::remove_all(temp);
  }
  std::string Trace() const { return testing::FileText(trace); }
  // One set and one query through the adapter.
  void ExpectTraffic() {
    EXPECT_EQ(cmd.SetInt(cmd::EB, -5, 1000), 1);
    int v = 0;
    EXPECT_EQ(cmd.QueryInt(cmd::EA, v, 1000), 1);
    EXPECT_EQ(v, 7);
    EXPECT_EQ(peer.Bytes(), "EB=-5\r\nEA?\r\n");
  }

  PtyPeer peer{Answer};
  fs::path temp;
  fs::path trace;
  Settings settings;
  testing::RecordingUi ui;
  CClSerial cl{settings};
  CCamCmd cmd{settings, ui};
};

TEST_F(ClSerialTest, LibraryListHoldsOnlyMatchingFilesSorted) {
  cl.SetSerialFolder(temp.string());
  cl.ListLibraries();
  EXPECT_TRUE(cl.List(ListKind::Libraries).empty());
  settings.serialMode = 1;
  EXPECT_EQ(cmd.OpenPort(0), 0);  // nothing to choose, nothing to open

  const fs::path lib = FakeDir() / "cl2000" / "clserfake.so";
  for (const char* name : {"clserz.so", "libclserb.so", "clsera.so", "other.so", "clser.txt"})
    fs::create_symlink(lib, temp / name);
  fs::create_directory(temp / "clserdir.so");
  cl.ListLibraries();
  EXPECT_EQ(cl.List(ListKind::Libraries),
            (std::vector<std::string>{"clsera.so", "clserz.so", "libclserb.so"}));
  EXPECT_EQ(cl.GetEntry(ListKind::Libraries, 2), "libclserb.so");
  EXPECT_EQ(cl.GetEntry(ListKind::Libraries, 3), "");
  EXPECT_EQ(cl.GetEntry(ListKind::Libraries, -1), "");
}

TEST_F(ClSerialTest, Mode1RunsOnlyAt9600) {
  settings.serialMode = 1;
  settings.dllNo = 0;
  EXPECT_EQ(cl.SelectFromSettings(), 1);
  EXPECT_EQ(cl.SelectedEntry(), "clserfake.so");
  // The port opens, but the speed cannot be had: the link counts as not opened.
  settings.baudRate = 4;
  EXPECT_EQ(cmd.OpenPort(0), 0);
  EXPECT_EQ(cmd.OpenFailure().kind, FailureKind::BadInput);
  EXPECT_EQ(cmd.OpenFailureText(), "Selected baud rate is not supported in clserfake.so");
  EXPECT_NE(Trace().find("clSerialInit 0"), std::string::npos);
}

TEST_F(ClSerialTest, Mode2SelectsManufacturerAndSpeed) {
  settings.serialMode = 2;
  settings.dllNo = 7;  // outside the list: the first entry is taken
  EXPECT_EQ(cl.SelectFromSettings(), 2);
  EXPECT_EQ(settings.dllNo, 0);
  EXPECT_EQ(cl.List(ListKind::Manufacturers),
            (std::vector<std::string>{"Kestrel Fake", "Other Grabber"}));
  settings.camLinkSerialIndex = 1;
  settings.baudRate = 4;
  EXPECT_EQ(cmd.OpenPort(0), 1);
  ExpectTraffic();
  const std::string t = Trace();
  EXPECT_NE(t.find("clSelectManufacturer Kestrel Fake\nclSerialInit 1\n"), std::string::npos);
  EXPECT_NE(t.find("clSetBaudRate 16"), std::string::npos);
  EXPECT_TRUE(ui.boxes.empty());

  // A manufacturer the library does not know cannot open.
  cmd.ClosePort();
  cl.SetSelectedEntry("Nobody");
  EXPECT_EQ(cmd.OpenPort(0), 0);
  EXPECT_EQ(cmd.OpenFailure().kind, FailureKind::Lost);

  // A library that cannot be loaded leaves the list as it was.
  cl.SetLibraryFile(2, (temp / "missing.so").string());
  cl.ListManufacturers();
  EXPECT_EQ(cl.List(ListKind::Manufacturers).size(), 2u);
}

TEST_F(ClSerialTest, SpeedsOutsideTheMaskFallBackTo9600Only) {
  settings.serialMode = 3;
  cl.ListPorts();
  cl.SetSelectedEntry(cl.GetEntry(ListKind::Ports, 0));
  ::setenv("KESTREL_CLFAKE_BAUDS", "0x10", 1);  // 115200 only

  settings.baudRate = 0;  // 9600 is always taken, without asking the library to switch
  EXPECT_EQ(cmd.OpenPort(0), 1);
  EXPECT_EQ(Trace().find("clSetBaudRate"), std::string::npos);
  cmd.ClosePort();

  ::setenv("KESTREL_CLFAKE_BAUDS", "0x01", 1);
  settings.baudRate = 3;
  EXPECT_EQ(cmd.OpenPort(0), 0);
  EXPECT_EQ(cmd.OpenFailureText(), "Selected baud rate is not supported in Kestrel Fake - port0.");

  // Without an open port there is nothing to ask.
  cmd.ClosePort();
  EXPECT_EQ(cl.SetBaudRate(115200), 0);
}

TEST_F(ClSerialTest, Mode3OpensThePortAtDllNo) {
  PtyPeer second{[](const std::string&) { return std::string("COMPLETE\r\n"); }};
  ::setenv("KESTREL_CLFAKE_PORT1", second.SlavePath().c_str(), 1);
  settings.serialMode = 3;
  settings.dllNo = 1;
  EXPECT_EQ(cl.SelectFromSettings(), 2);
  EXPECT_EQ(cl.SelectedEntry(), "Kestrel Fake - port1");
  EXPECT_EQ(cmd.OpenPort(0), 1);
  EXPECT_EQ(cmd.SetInt(cmd::EB, 1, 1000), 1);
  EXPECT_EQ(second.Bytes(), "EB=1\r\n");
  EXPECT_EQ(peer.Bytes(), "");
  cmd.ClosePort();

  for (int dllNo : {2, 5, -1}) {  // out of range, far out, negative
    settings.dllNo = dllNo;
    EXPECT_EQ(cmd.OpenPort(0), 0) << dllNo;
  }
  EXPECT_TRUE(ui.boxes.empty());

  // Any other "Serial Mode" is the same library kind.
  settings.dllNo = 1;
  for (int mode : {5, -1}) {
    settings.serialMode = mode;
    EXPECT_EQ(cmd.OpenPort(0), 1) << mode;
    EXPECT_EQ(cmd.SetInt(cmd::EB, mode, 1000), 1);
    cmd.ClosePort();
  }
  EXPECT_EQ(second.Bytes(), "EB=1\r\nEB=5\r\nEB=-1\r\n");
}

TEST_F(ClSerialTest, LibraryWithoutFlushPortIsUnusable) {
  cl.SetLibraryFile(3, (FakeDir() / "cl11-noflush" / "libclallserial.so").string());
  settings.serialMode = 3;
  cl.ListPorts();
  EXPECT_TRUE(cl.List(ListKind::Ports).empty());
  EXPECT_EQ(cmd.OpenPort(0), 0);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(Trace().find("clSerialInit"), std::string::npos);
  EXPECT_EQ(cl.Close(), 1);  // unloads what failed the check
}

TEST_F(ClSerialTest, APortThatGoesAwayIsLostAtOnce) {
  settings.serialMode = 3;
  cl.ListPorts();
  ASSERT_EQ(cmd.OpenPort(0), 1);
  peer.HangUp();
  int value = 0;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(cmd.QueryInt(18, value, 3000), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_TRUE(cmd.LinkLost());
}

TEST_F(ClSerialTest, ListingWhileOpenLeavesThePortWorking) {
  settings.serialMode = 3;
  cl.ListPorts();
  EXPECT_EQ(cmd.OpenPort(0), 1);
  cl.ListPorts();  // loads and unloads the same library by itself
  EXPECT_EQ(cl.List(ListKind::Ports).size(), 2u);
  ExpectTraffic();
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

// The panel's start-up sequence against the simulated camera, through each
// kind of library: modes 2 and 3 switch the camera and the line to 115200.
TEST(ClSerialSim, PanelConnectsToTheSimulatorThroughEveryKind) {
  for (int mode : {1, 2, 3}) {
    sim::PtyCamera camera;
    ::setenv("KESTREL_CLFAKE_PORT", camera.SlavePath().c_str(), 1);
    ::unsetenv("KESTREL_CLFAKE_BAUDS");
    ::unsetenv("KESTREL_CLFAKE_TRACE");
    ::setenv("CLSERIALPATH", (FakeDir() / "cl2000").c_str(), 1);
    Settings settings;
    settings.serialMode = mode;
    testing::RecordingUi ui;
    CClSerial cl(settings);
    cl.SetLibraryFile(2, FakeDir() / "cl2001" / "libclserial.so");
    cl.SetLibraryFile(3, FakeDir() / "cl11" / "libclallserial.so");
    ASSERT_GT(cl.SelectFromSettings(), 0) << mode;
    CCamCmd cmd(settings, ui);
    cmd.SetCameraLink(&cl);
    Connection connection(cmd, Connection::Timing{1000, 200, 1000});
    if (mode == 1) {
      EXPECT_TRUE(connection.Connect());  // the 2000 interface stays at 9600
    } else {
      EXPECT_TRUE(connection.NegotiateAndConnect()) << mode;
      EXPECT_EQ(settings.baudRate, 4) << mode;
      EXPECT_EQ(camera.Baud(), 115200) << mode;
    }
    int area = -1;
    EXPECT_EQ(cmd.QueryInt(cmd::EA, area, 1000), 1) << mode;
    EXPECT_EQ(area, camera.WithModel([](sim::CameraModel& m) { return m.CurrentArea(); }));
    EXPECT_EQ(ui.BoxTexts(), std::vector<std::string>{}) << mode;
    cmd.ClosePort();
  }
}

}  // namespace
}  // namespace kestrel
