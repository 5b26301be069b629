// kestrelctl's setting-file, area, Camera Link and terminal commands against a
// scripted peer: bytes on the wire, output and exit statuses.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "common/pty_peer.h"
#include "ctl_run.h"
#include "sim/pty_camera.h"

namespace {

namespace fs = std::filesystem;
using kestrel::testing::Ctl;
using kestrel::testing::CtlResult;
using kestrel::testing::CtlTempDir;
using kestrel::testing::HasSubstr;
using kestrel::testing::Not;
using kestrel::testing::PtyPeer;

std::string Camera(const std::string& line) {
  if (line == "EA?") return "EA=1\r\n";
  if (line == "EB?") return "EB=0\r\n";
  if (line.rfind("LR=", 0) == 0) return "Error\r\n";
  if (line.find('=') != std::string::npos) return "COMPLETE\r\n";
  return "";
}

TEST(KestrelctlFiles, ApplyChecksTheWholeFileAndCountsRejections) {
  PtyPeer peer(Camera);
  const fs::path good = CtlTempDir() / "good.cam";
  std::ofstream(good, std::ios::binary) << "TGSM=1\r\nCABL2=1,-2\nCABN1=Lens A\r\n";
  CtlResult r =
      Ctl("--baud 9600 --port " + peer.SlavePath() + " apply --no-verify " + good.string());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(peer.Bytes(), "TGSM=1\r\nCABL2=1,-2\r\nCABN1=Lens A\r\n");

  // A bad line anywhere: the summary, and nothing sent.
  const fs::path bad = CtlTempDir() / "bad.cam";
  std::ofstream(bad, std::ios::binary) << "TR=1\r\nFOO=1\r\nTGSM=abc\r\nLR=300\r\n";
  r = Ctl("--baud 9600 --port " + peer.SlavePath() + " apply " + bad.string());
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("line 2: \"FOO\" is not a command"));
  EXPECT_THAT(peer.Bytes(), Not(HasSubstr("TR=1")));

  // A line the camera rejects: the rest still goes, the summary counts it.
  std::ofstream(bad, std::ios::binary) << "LR=300\r\nTR=1\r\n";
  r = Ctl("--port " + peer.SlavePath() + " apply --no-verify " + bad.string());
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("line 1: Error for LR=300"));
  EXPECT_THAT(peer.Bytes(), HasSubstr("LR=300\r\nTR=1\r\n"));

  r = Ctl("--port " + peer.SlavePath() + " apply /dev/zero");
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("/dev/zero: "));
}

TEST(KestrelctlFiles, SavedSettingsReplayIntoAnotherCamera) {
  kestrel::sim::PtyCamera a;
  a.WithModel([](kestrel::sim::CameraModel& m) {
    m.SetInt("LR", 1234);
    m.SetInt("CT1R9", 77);
  });
  const fs::path user = CtlTempDir() / "user.cam";
  const fs::path factory = CtlTempDir() / "factory.cam";
  CtlResult r = Ctl("--baud 9600 --port " + a.SlavePath() + " read-all -o " + user.string());
  ASSERT_EQ(r.status, 0) << r.err;
  r = Ctl("--baud 9600 --port " + a.SlavePath() + " read-all --factory -o " + factory.string());
  ASSERT_EQ(r.status, 0) << r.err;
  std::ifstream in(factory, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text.rfind("TGSM=0\r\nTR=0\r\n", 0), 0u);
  EXPECT_THAT(text, HasSubstr("\r\nLR=1234\r\n"));
  EXPECT_THAT(text, HasSubstr("\r\nCT1R9=77\r\n"));
  EXPECT_LT(fs::file_size(user), fs::file_size(factory));

  kestrel::sim::PtyCamera b;
  r = Ctl("--baud 9600 --port " + b.SlavePath() + " apply " + factory.string());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(b.WithModel([](kestrel::sim::CameraModel& m) { return m.Int("CT1R9"); }), 77);
  EXPECT_EQ(b.WithModel([](kestrel::sim::CameraModel& m) { return m.Int("LR"); }), 1234);
}

// Argument forms as getopt_long takes them, and "-" for standard input and
// output where a file is named: the exit status and what stdout shows.
TEST(KestrelctlFiles, ArgumentFormsAndDashForStandardStreams) {
  kestrel::sim::PtyCamera camera;
  camera.WithModel([](kestrel::sim::CameraModel& m) { m.SetInt("LR", 1234); });
  const std::string dev = camera.SlavePath(), cam = (CtlTempDir() / "forms.cam").string();
  std::ofstream(cam, std::ios::binary) << "LR=1234\r\n";
  const struct {
    std::string args, input;
    int status;
    std::string out;
  } rows[] = {
      {"-qV", "", 0, "kestrelctl "},
      {"query -h", "", 0, "usage: kestrelctl [options] query"},
      {"query LR --baud=9600 --json --port=" + dev, "", 0, "{\"LR\":1234}"},
      {"--port " + dev + " query LR -- --json", "", 2, ""},
      {"--port " + dev + " apply -", "LR=1234\r\n", 0, ""},
      {"diff " + cam + " - -q --json", "LR=99\r\n", 3, "\"b\":\"99\""},
      {"--port " + dev + " read-all -o - --factory", "", 0, "\r\nLR=1234\r\n"},
      {"--json --port " + dev + " read-all -o -", "", 1, "{\"error\""},
      {"--json=1 diff " + cam + " " + cam, "", 2, ""},
      {"diff " + cam + " " + cam + " --port", "", 2, ""},
      {"-x", "", 2, ""},
  };
  for (const auto& row : rows) {
    const CtlResult r = Ctl(row.args, {}, row.input);
    EXPECT_EQ(r.status, row.status) << row.args << ": " << r.err;
    EXPECT_NE(r.out.find(row.out), std::string::npos) << row.args << ": " << r.out;
  }
}

TEST(KestrelctlFiles, CameraLinkLibrariesReachTheCamera) {
  PtyPeer peer(Camera);
  const fs::path fake = fs::path(KESTRELCTL_PATH).parent_path() / "clfake";
  const std::string env =
      "KESTREL_CLFAKE_PORT=" + peer.SlavePath() + " CLSERIALPATH=" + (fake / "cl2000").string();
  const std::string lib3 = " --cl-library " + (fake / "cl11" / "libclallserial.so").string();
  CtlResult r = Ctl("--baud 9600 --cl-mode 3 --cl-port 1" + lib3 + " load 1", env);
  EXPECT_EQ(r.status, 0) << r.err;
  r = Ctl("--baud 9600 --cl-mode 3 --cl-port 2" + lib3 + " area", env);
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("offers no port 2"));
  EXPECT_EQ(peer.Bytes(), "LD=1\r\n");
  EXPECT_EQ(Ctl("--cl-mode 4 area").status, 2);
}

TEST(KestrelctlFiles, TerminalSendsTheLastLineAndEscapesWhatComesBack) {
  PtyPeer peer([](const std::string& line) {
    return line == "EB?" ? std::string("EB=0\x07\t\r\n") : Camera(line);
  });
  CtlResult r = Ctl("--baud 9600 --listen 300 --port " + peer.SlavePath() + " terminal", {},
                    "EB?\nFOO  \nMD?");
  EXPECT_EQ(r.status, 0) << r.err;
  // Each line carries a seconds stamp; a reply may come before or after the
  // lines typed after its command.
  std::string sent, received;
  std::istringstream lines(r.out);
  for (std::string line; std::getline(lines, line);) {
    ASSERT_GT(line.size(), 9u) << r.out;
    EXPECT_EQ(line.find_first_not_of("0123456789"), 4u) << r.out;
    (line.compare(5, 4, "Tx: ") == 0 ? sent : received) += line.substr(5) + '\n';
  }
  EXPECT_EQ(sent, "Tx: EB?\nTx: FOO  \nTx: MD?\n");
  EXPECT_EQ(received, "Rx: EB=0\\x07\\t\n");
  EXPECT_EQ(peer.Bytes(), "EB?\r\nFOO  \r\nMD?\r\n");
}

// The JSON output goes through Python's own parser.
bool ParsesAsJson(const std::string& text) {
  const fs::path file = CtlTempDir() / "out.json";
  std::ofstream(file, std::ios::binary) << text;
  return std::system(("python3 -m json.tool " + file.string() + " >/dev/null").c_str()) == 0;
}

TEST(KestrelctlFiles, DiffExitsByTheOutcomeAndPrintsJson) {
  kestrel::sim::PtyCamera camera;
  camera.WithModel([](kestrel::sim::CameraModel& m) {
    m.SetInt("LR", 1000);
    m.SetText("CABN1", "Lens \"A\",50mm");
    m.knobs.rejected.insert("TR2");
  });
  const std::string port = "--port " + camera.SlavePath() + " ";
  auto file = [](const char* name, const std::string& text) {
    const fs::path p = CtlTempDir() / name;
    std::ofstream(p, std::ios::binary) << text;
    return p.string();
  };
  const std::string same = file("same.cam", "LR=1000\r\nCABN1=Lens \"A\",50mm\r\nCABA2=1,6\r\n");
  const std::string other = file("other.cam", "LR=1000\r\nCABN1=Lens \"A\",60mm\r\nCABA2=1,5\r\n");
  const std::string refused = file("refused.cam", "LR=900\r\nTR2=1\r\n");

  CtlResult r = Ctl(port + "diff " + same);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  r = Ctl(port + "diff " + other);
  EXPECT_EQ(r.status, 3) << r.err;
  EXPECT_THAT(r.out, HasSubstr("CABA2[1]  file=5  camera=6"));
  // A row the camera refuses to read: listed with the camera's reason, and
  // the comparison is a failure, never "equal".
  r = Ctl(port + "diff --json " + refused);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(ParsesAsJson(r.out)) << r.out;
  EXPECT_THAT(r.out, HasSubstr("\"camera\":null,\"reason\":\"ERROR"));
  EXPECT_THAT(r.err, HasSubstr("1 of 2 parameters could not be read"));

  // Two files, no camera.
  r = Ctl("diff --json " + same + " " + other);
  EXPECT_EQ(r.status, 3);
  EXPECT_TRUE(ParsesAsJson(r.out)) << r.out;
  EXPECT_EQ(Ctl("diff " + same + " " + same).status, 0);
  EXPECT_EQ(Ctl("diff " + same + " " + file("bad.cam", "LR=1x\r\n")).status, 2);
  EXPECT_EQ(Ctl("diff").status, 2);

  // Statistics of a file.
  std::string values;
  for (int i = 0; i < 1024; ++i)
    values += std::to_string(i == 500 ? 900 : 40 + i % 3) + "\r\n";
  const std::string csv = file("black.csv", values);
  r = Ctl("correction stats --json pixel-black 2 " + csv);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(ParsesAsJson(r.out)) << r.out;
  EXPECT_THAT(r.out, HasSubstr("{\"pixel\":500,\"value\":900"));
}

}  // namespace
