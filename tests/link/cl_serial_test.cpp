// The Camera Link adapter against the project's fake serial libraries, which
// forward to a pseudo-terminal peer standing in for the camera.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "common/file_text.h"
#include "common/pty_peer.h"
#include "common/recording_ui.h"
#include "link/cl_serial.h"
#include "protocol/cam_cmd.h"

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
  void TearDown() override { cmd.ClosePort(); }
  std::string Trace() const { return testing::FileText(trace); }
  // One set and one query through the adapter.
  void ExpectTraffic() {
    const size_t before = peer.Bytes().size();
    EXPECT_EQ(cmd.SetInt(cmd::EB, -5, 1000), 1);
    int v = 0;
    EXPECT_EQ(cmd.QueryInt(cmd::EA, v, 1000), 1);
    EXPECT_EQ(v, 7);
    EXPECT_EQ(peer.Bytes().substr(before), "EB=-5\r\nEA?\r\n");
  }

  PtyPeer peer{Answer};
  testing::TempFolder folder;
  fs::path temp{folder.Path()};
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

// Which speeds each library kind takes: the 2000 interface runs at 9600
// only; the others at the speeds their mask offers, and always at 9600
// without being asked to switch. A refused speed is the open's failure.
TEST_F(ClSerialTest, SpeedsByLibraryKindAndMask) {
  struct Row {
    int mode;
    const char* mask;
    int baudIndex;
    const char* refusal;  // nullptr: the port opens
    const char* trace;    // the speed call the library saw, "" none
  } rows[] = {
      {1, "0x1f", 4, "Selected baud rate is not supported in clserfake.so", ""},
      {2, "0x1f", 4, nullptr, "clSetBaudRate 16"},
      {3, "0x10", 0, nullptr, ""},
      {3, "0x01", 3, "Selected baud rate is not supported in Kestrel Fake - port0.", ""},
  };
  for (const Row& r : rows) {
    fs::remove(trace);
    ::setenv("KESTREL_CLFAKE_BAUDS", r.mask, 1);
    settings.serialMode = r.mode;
    settings.baudRate = r.baudIndex;
    settings.dllNo = 0;
    settings.camLinkSerialIndex = 1;
    ASSERT_GT(cl.SelectFromSettings(), 0) << r.mode;
    EXPECT_EQ(cmd.OpenPort(0), r.refusal ? 0 : 1) << r.mode;
    if (r.refusal) {
      EXPECT_EQ(cmd.OpenFailure().kind, FailureKind::BadInput) << r.mode;
      EXPECT_EQ(cmd.OpenFailureText(), r.refusal);
    }
    EXPECT_EQ(Trace().find("clSetBaudRate") != std::string::npos, *r.trace != '\0') << r.mode;
    if (*r.trace) {
      EXPECT_NE(Trace().find(r.trace), std::string::npos) << Trace();
    }
    if (!r.refusal) ExpectTraffic();
    cmd.ClosePort();
  }
  // Without an open port there is nothing to ask.
  EXPECT_EQ(cl.SetBaudRate(115200), 0);
}

TEST_F(ClSerialTest, Mode2SelectsTheManufacturer) {
  settings.serialMode = 2;
  settings.dllNo = 7;  // outside the list: the first entry is taken
  EXPECT_EQ(cl.SelectFromSettings(), 2);
  EXPECT_EQ(settings.dllNo, 0);
  EXPECT_EQ(cl.List(ListKind::Manufacturers),
            (std::vector<std::string>{"Kestrel Fake", "Other Grabber"}));
  settings.camLinkSerialIndex = 1;
  EXPECT_EQ(cmd.OpenPort(0), 1);
  EXPECT_NE(Trace().find("clSelectManufacturer Kestrel Fake\nclSerialInit 1\n"), std::string::npos);

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
