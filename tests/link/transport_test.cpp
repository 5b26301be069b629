// The one factory of transports: which link a port string and the settings
// give, what each says when it cannot open, and the offline stand-in.
#include <gtest/gtest.h>
#include <termios.h>

#include <chrono>
#include <thread>

#include "common/pty_peer.h"
#include "link/camera_link_adapter.h"
#include "link/transport.h"

namespace kestrel {
namespace {

using namespace std::chrono_literals;
using testing::PtyPeer;

class FakeAdapter : public CameraLinkAdapter {
 public:
  int Open() override { return opens += openable ? 1 : 0, openable ? 1 : 0; }
  int SetBaudRate(int b) override { return baud = b, b == 9600 ? 1 : 0; }
  std::string SpeedRefusal() const override { return baud == 9600 ? "" : "not at this speed"; }
  int Write(const uint8_t* bytes, int count, int) override {
    written.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count));
    return 1;
  }
  int Read(uint8_t*, int, int) override { return 0; }
  int Close() override { return ++closes, 1; }
  bool openable = true;
  int opens = 0, closes = 0, baud = 0;
  std::string written;
};

const uint8_t kLine[] = {'E', 'A', '?', '\r', '\n'};

TEST(Transport, TheSerialModeChoosesTheDeviceOrTheCameraLinkAdapter) {
  PtyPeer peer;
  Settings settings;
  FakeAdapter adapter;
  auto port = MakeTransport(peer.SlavePath(), settings, &adapter);
  ASSERT_EQ(port->Open(115200), 1);
  EXPECT_EQ(port->SetSpeed(19200), 1);
  termios tio{};
  ASSERT_EQ(::tcgetattr(peer.MasterFd(), &tio), 0);
  EXPECT_EQ(::cfgetospeed(&tio), B19200);
  EXPECT_EQ(port->Write(kLine, 5), 1);
  for (auto end = std::chrono::steady_clock::now() + 5s;
       peer.Bytes().size() < 5 && std::chrono::steady_clock::now() < end;)
    std::this_thread::sleep_for(1ms);
  EXPECT_EQ(peer.Bytes(), "EA?\r\n");
  EXPECT_EQ(adapter.opens, 0);
  port->Close();

  settings.serialMode = 2;  // the port string means nothing to the adapter
  auto link = MakeTransport(peer.SlavePath(), settings, &adapter);
  ASSERT_EQ(link->Open(9600), 1);
  EXPECT_EQ(link->Write(kLine, 5), 1);
  EXPECT_EQ(adapter.written, "EA?\r\n");
  EXPECT_EQ(link->Pending(), -1);  // a library cannot tell
  EXPECT_EQ(link->Close(), 1);
  EXPECT_EQ(adapter.closes, 1);
}

TEST(Transport, AFailedOpenSaysWhy) {
  Settings settings;
  auto missing = MakeTransport("COM256", settings, nullptr);
  EXPECT_EQ(missing->Open(9600), 0);
  EXPECT_EQ(missing->OpenFailure().kind, FailureKind::Lost);
  EXPECT_EQ(missing->OpenFailure().text.rfind("no such device: /dev/ttyS255 (", 0), 0u);
  auto notSerial = MakeTransport("/dev/null", settings, nullptr);
  EXPECT_EQ(notSerial->Open(9600), 0);
  EXPECT_EQ(notSerial->OpenFailure().text,
            "/dev/null is not a serial port (Inappropriate ioctl for device).");
  EXPECT_FALSE(notSerial->IsOpen());
  EXPECT_EQ(notSerial->Write(kLine, 5), 0);

  settings.serialMode = 3;
  FakeAdapter adapter;
  adapter.openable = false;
  for (CameraLinkAdapter* a :
       {static_cast<CameraLinkAdapter*>(nullptr), static_cast<CameraLinkAdapter*>(&adapter)}) {
    auto link = MakeTransport({}, settings, a);
    EXPECT_EQ(link->Open(9600), 0);
    EXPECT_EQ(link->OpenFailure().text,
              "cannot open the Camera Link serial port: the library, the manufacturer or the "
              "port is not available");
  }
  // The port opens but refuses the speed: the adapter's words, as bad input.
  adapter.openable = true;
  auto link = MakeTransport({}, settings, &adapter);
  EXPECT_EQ(link->Open(115200), 0);
  EXPECT_EQ(link->OpenFailure().kind, FailureKind::BadInput);
  EXPECT_EQ(link->OpenFailure().text, "not at this speed");
}

// OFFLINE stands in for the traffic only, switched at any moment: the device
// itself is opened, and is there again when the switch goes back.
TEST(Transport, OfflineSendsNothingReceivesNothingAndWaitsForNothing) {
  PtyPeer peer;
  Settings settings;
  settings.offline = 1;
  auto port = MakeTransport(peer.SlavePath(), settings, nullptr);
  ASSERT_EQ(port->Open(9600), 1);
  EXPECT_TRUE(port->IsOpen());
  EXPECT_FALSE(port->Answers());
  EXPECT_EQ(port->Write(kLine, 5), 1);
  peer.Send("EA=0\r\n");
  uint8_t buffer[8] = {7, 7, 7, 7, 7, 7, 7, 7};
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port->Read(buffer, 8, 3000), 8);  // at once, and nothing in it
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  EXPECT_EQ(buffer[0], 7);
  EXPECT_EQ(port->Pending(), 0);
  EXPECT_EQ(port->DiscardInput(), "");

  settings.offline = 0;
  EXPECT_TRUE(port->Answers());
  EXPECT_EQ(port->Read(buffer, 6, 3000), 6);
  EXPECT_EQ(std::string(buffer, buffer + 6), "EA=0\r\n");
  EXPECT_EQ(peer.Bytes(), "");  // what went out while offline went nowhere
}

}  // namespace
}  // namespace kestrel
