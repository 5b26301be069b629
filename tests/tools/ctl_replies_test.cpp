// kestrelctl believes only what the camera said: one case per rule, against
// the simulated camera with its fault knobs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "ctl_run.h"
#include "sim/pty_camera.h"

namespace {

namespace fs = std::filesystem;
using kestrel::sim::CameraModel;
using kestrel::sim::PtyCamera;
using kestrel::sim::SimOptions;
using kestrel::testing::Ctl;
using kestrel::testing::CtlTempDir;
constexpr auto npos = std::string::npos;

std::string ReadAll(PtyCamera& camera, const std::string& more = {}) {
  return "--port " + camera.SlavePath() + " read-all" + more;
}

// Replies: an echo and unasked lines change nothing; an unreadable row is a
// comment, a value apply would refuse keeps -o from writing.
TEST(KestrelctlReplies, ReadAllWritesOnlyWhatTheCameraReported) {
  PtyCamera plain;
  const std::string want = Ctl(ReadAll(plain)).out;
  SimOptions o;
  o.echo = true;
  o.unsolicitedEveryMs = 5;
  PtyCamera camera(o);
  camera.WithModel([](CameraModel& m) {
    m.knobs.queryReplies = {{"LR", "LR=abc"}, {"PE", "PE=99999"}};
  });
  auto r = Ctl(ReadAll(camera));
  EXPECT_EQ(r.status, 1);
  std::string got = r.out;
  for (const auto& [name, comment] :
       {std::pair{"\nLR=", "\n# LR: not read (unreadable reply \"LR=abc\" for LR?)"},
        {"\nPE=", "\n# PE: the camera reports 99999, outside 136 to 13306"}}) {
    const size_t at = got.find(comment), line = want.find(name);
    ASSERT_NE(at, npos) << got;
    got.replace(at, std::string(comment).size(),
                want.substr(line, want.find('\n', line + 1) - line));
  }
  EXPECT_EQ(got, want);
  const fs::path file = CtlTempDir() / "replies.cam";
  r = Ctl(ReadAll(camera, " -o " + file.string()));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("PE: the camera reports 99999"), npos) << r.err;
  EXPECT_FALSE(fs::exists(file));
}

// Speed: CBDRT in a file is followed; a camera that refuses the switch is used
// at its speed; a late probe reply never answers the next command.
TEST(KestrelctlReplies, SpeedSwitchesAndLateProbesAreFollowed) {
  PtyCamera camera;
  const fs::path file = CtlTempDir() / "speed.cam";
  std::ofstream(file, std::ios::binary) << "CBDRT=16\r\nLR=1000\r\n";
  auto r = Ctl("--baud 9600 --port " + camera.SlavePath() + " apply " + file.string());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(camera.Baud(), 115200);
  EXPECT_EQ(camera.WithModel([](CameraModel& m) { return m.Int("LR"); }), 1000);

  PtyCamera refusing;
  refusing.WithModel([](CameraModel& m) { m.knobs.rejected = {"CBDRT"}; });
  r = Ctl(ReadAll(refusing));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("working at 9600 bit/s"), npos) << r.err;

  SimOptions late;
  late.latencyMs = 250;
  late.checkHostSpeed = false;
  PtyCamera slow(late);
  r = Ctl("--port " + slow.SlavePath() + " set LR=1500");
  EXPECT_EQ(r.status, 0) << r.err;
}

// Silence: a camera that answers neither a line nor the probe ends the replay.
TEST(KestrelctlReplies, ApplyStopsWhereTheCameraFellSilent) {
  SimOptions o;
  o.silentAfterLines = 2;
  PtyCamera camera(o);
  const fs::path file = CtlTempDir() / "silent.cam";
  std::ofstream(file, std::ios::binary)
      << "LR=1000\r\nLR=1001\r\nLR=1002\r\nLR=1003\r\nLR=1004\r\n";
  auto r = Ctl("--baud 9600 --port " + camera.SlavePath() + " apply " + file.string());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Stopped at line 3 of 5; the rest was not sent."), npos) << r.err;
  EXPECT_EQ(camera.Stats().linesIn, 4u);  // and the probe
}

}  // namespace
