// The simulated camera on a real pseudo-terminal, driven by the program's own
// link and transactions.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "common/recording_ui.h"
#include "link/rs_port.h"
#include "protocol/cam_cmd.h"
#include "sim/pty_camera.h"

namespace kestrel::sim {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class Host {
 public:
  explicit Host(const std::string& path, int baudIndex = 0) {
    settings.commDevice = path;
    settings.baudRate = baudIndex;
  }
  bool Open() { return cmd.OpenConfiguredPort() == 1; }
  void Reopen(int baudIndex) {
    cmd.ClosePort();
    settings.baudRate = baudIndex;
    ASSERT_TRUE(Open());
  }
  int QueryInt(int row, int timeoutMs = 1000) {
    int v = -99999;
    return cmd.QueryInt(row, v, timeoutMs, 0, 1) == 1 ? v : -99999;
  }
  std::string QueryText(int row, int timeoutMs = 1000) {
    ParamValue v;
    return cmd.QueryValue(row, v, timeoutMs, 0, 1) == 1 ? v.textValue : "<failed>";
  }
  Settings settings;
  CRsPort port;
  testing::RecordingUi ui;
  CCamCmd cmd{settings, port, ui};
};

TEST(PtyCamera, AnswersTableSetsAndQueriesOverTheLink) {
  PtyCamera cam;
  Host host(cam.SlavePath());
  ASSERT_TRUE(host.Open());
  EXPECT_EQ(host.QueryInt(cmd::EA), 0);
  EXPECT_EQ(host.cmd.SetInt(18, 1000, 1000), 1);  // LR
  EXPECT_EQ(host.QueryInt(18), 1000);
  // An indexed row answers NAME=VALUE; the program takes the first value field.
  EXPECT_EQ(host.cmd.SetInt(cmd::CABT2 + 2, 5, 1000), 1);
  EXPECT_EQ(host.QueryInt(cmd::CABT2 + 2), 5);
  EXPECT_EQ(host.QueryInt(cmd::CABT2 + 1), 2);
  EXPECT_EQ(host.QueryText(cmd::MD), "HX-9302");
  EXPECT_EQ(cam.WithModel([](CameraModel& m) { return m.Int("CABT2", 2); }), 5);
  EXPECT_TRUE(host.ui.boxes.empty());

  // Closing and reopening the port leaves the camera running.
  host.Reopen(0);
  EXPECT_EQ(host.QueryInt(18), 1000);
  const SimStats s = cam.Stats();
  EXPECT_EQ(s.linesIn, 8u);
  EXPECT_EQ(s.linesOut, 8u);
  EXPECT_EQ(s.bytesIn, std::string("EA?\r\nLR=1000\r\nLR?\r\nCABT2=2,5\r\nCABT2?2\r\nCABT2?1\r\n"
                                   "MD?\r\nLR?\r\n")
                           .size());
  EXPECT_GT(s.modelledSeconds, (s.bytesIn + s.bytesOut) * 10.0 / 9600 * 0.999);
}

TEST(PtyCamera, RejectedCommandGetsAnErrorLine) {
  SimOptions o;
  o.rejected = {"LR"};
  PtyCamera cam(o);
  Host host(cam.SlavePath());
  ASSERT_TRUE(host.Open());
  EXPECT_EQ(host.cmd.SetInt(18, 1000, 1000), 0);
  ASSERT_EQ(host.ui.BoxTexts().size(), 1u);
  EXPECT_EQ(host.ui.BoxTexts()[0], "ERROR REJECTED for LR=1000");
  EXPECT_EQ(host.cmd.SetInt(19, 1000, 1000), 1);  // LR2 is not rejected
  EXPECT_EQ(cam.Stats().errorLines, 1u);
}

}  // namespace
}  // namespace kestrel::sim
