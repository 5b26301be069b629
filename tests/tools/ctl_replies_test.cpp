// kestrelctl believes only what the camera said: one case per rule, against
// the simulated camera with its fault knobs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/file_text.h"
#include "ctl_run.h"
#include "sim/pty_camera.h"

namespace {

using kestrel::sim::CameraModel;
using kestrel::sim::PtyCamera;
using kestrel::sim::SimOptions;
using kestrel::testing::Ctl;
constexpr auto npos = std::string::npos;

std::string File(const char* name, const char* text) {
  const auto path = kestrel::testing::CtlTempDir() / name;
  std::ofstream(path, std::ios::binary) << text;
  return " " + path.string();
}

SimOptions Knobs(void (*set)(SimOptions&)) {
  SimOptions o;
  set(o);
  return o;
}

// Replies: with echoes and unasked lines an unreadable row is a comment, a
// value apply would refuse keeps -o from writing, the rest reads as ever.
TEST(KestrelctlReplies, ReadAllWritesOnlyWhatTheCameraReported) {
  PtyCamera plain, camera(Knobs([](SimOptions&o) { o.unsolicitedEveryMs = 5, o.echo = true; }));
  const std::string want = Ctl("--port " + plain.SlavePath() + " read-all").out;
  camera.WithModel([](CameraModel& m) {
    m.knobs.queryReplies = {{"LR", "LR=abc"}, {"PE", "PE=99999"}};
  });
  auto r = Ctl("--port " + camera.SlavePath() + " read-all");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("\n# LR: not read (unreadable reply \"LR=abc\" for LR?)\n"), npos) << r.out;
  EXPECT_NE(r.out.find("\n# PE: the camera reports 99999, outside 136 to 13306\n"), npos);
  EXPECT_EQ(r.out.substr(r.out.find("\nPE2=")), want.substr(want.find("\nPE2=")));
  r = Ctl("--port " + camera.SlavePath() + " read-all -o" + File("replies.cam", ""));
  EXPECT_NE(r.err.find("PE: the camera reports 99999"), npos) << r.err;
  EXPECT_EQ(kestrel::testing::FileText((kestrel::testing::CtlTempDir() / "replies.cam").string()),
            "");
}

// Speed: CBDRT in a file is followed; a camera that refuses the switch is used
// at its speed; a late probe reply never answers the next command.
TEST(KestrelctlReplies, SpeedSwitchesAndLateProbesAreFollowed) {
  PtyCamera camera, refusing,
      slow(Knobs([](SimOptions&o) { o.checkHostSpeed = false, o.latencyMs = 250; }));
  auto r = Ctl("--baud 9600 --port " + camera.SlavePath() + " apply" +
               File("speed.cam", "CBDRT=16\r\nLR=1000\r\n"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(camera.WithModel([](CameraModel& m) { return m.Int("LR"); }), 1000);
  refusing.WithModel([](CameraModel& m) { m.knobs.rejected = {"CBDRT"}; });
  r = Ctl("--port " + refusing.SlavePath() + " read-all");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("working at 9600 bit/s"), npos) << r.err;
  EXPECT_EQ(Ctl("--port " + slow.SlavePath() + " set LR=1500").status, 0);
}

// Silence: a camera that answers neither a line nor the probe ends the replay.
TEST(KestrelctlReplies, ApplyStopsWhereTheCameraFellSilent) {
  PtyCamera camera(Knobs([](SimOptions& o) { o.silentAfterLines = 2; }));
  auto r = Ctl("--baud 9600 --port " + camera.SlavePath() + " apply" +
               File("silent.cam", "LR=1000\r\nLR=1001\r\nLR=1002\r\nLR=1003\r\nLR=1004\r\n"));
  EXPECT_NE(r.err.find("Stopped at line 3 of 5; the rest was not sent."), npos) << r.err;
  EXPECT_EQ(camera.Stats().linesIn, 4u);  // and the probe
}

}  // namespace
