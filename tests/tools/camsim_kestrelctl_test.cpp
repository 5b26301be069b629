// kestrelctl against kestrel-camsim on a real pseudo-terminal: the two
// programs as a user runs them, including a camera that hangs up or says
// nothing.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "camsim_process.h"
#include "common/file_text.h"
#include "ctl_run.h"

#if defined(CAMSIM_PATH) && defined(KESTRELCTL_PATH)

namespace {

using kestrel::testing::CamSim;
using kestrel::testing::Ctl;
using kestrel::testing::CtlResult;
using kestrel::testing::CtlTempDir;
using kestrel::testing::FileText;
using kestrel::testing::HasSubstr;
using kestrel::testing::Spawn;
using kestrel::testing::TempPath;
using kestrel::testing::Wait;
using namespace std::chrono_literals;

TEST(CamsimKestrelctl, SetsAndQueriesEveryKindOfRow) {
  CamSim cam({"--no-link"});
  ASSERT_EQ(cam.Path().rfind("/dev/pts/", 0), 0u) << cam.Path();
  CtlResult r = Ctl("--port " + cam.Path() + " set LR=1000 CABT2=2,5 CABN1=Wide");
  EXPECT_EQ(r.status, 0) << r.err;
  r = Ctl("--port " + cam.Path() + " query LR 'CABT2?2' 'CABT2?1' CABN1 MD EA");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "1000\n5\n2\nWide\nHX-9302\n0\n");
  // A raw line and everything the camera answers within the listening time.
  r = Ctl("--port " + cam.Path() + " --listen 300 send 'DMW?&H400004, &H2'");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("DMW=&H400004, &H1\n"));
  EXPECT_THAT(r.out, HasSubstr("DMW=&H400008, &H0\n"));
}

TEST(CamsimKestrelctl, CorrectionStoreSaysWhatTheCameraDid) {
  CamSim cam({"--no-link", "--reject", "PBDS"});
  CtlResult r = Ctl("--port " + cam.Path() + " correction store pixel-gain 1");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("Succeeded in storing pixel gain data"));
  r = Ctl("--port " + cam.Path() + " correction store pixel-black 1");
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("ERROR REJECTED for PBDS=0\nFailed storing pixel black data"));
}

// A service command the camera refuses exits 1 with the camera's own words;
// one it takes tells of its completion.
TEST(CamsimKestrelctl, ServiceCommandsTellTheCamerasReason) {
  CamSim cam({"--no-link", "--reject", "ULCK"});
  CtlResult r = Ctl("--port " + cam.Path() + " camera-id set A1");
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr(" for ULCK=6158273"));
  r = Ctl("--port " + cam.Path() + " user-id set LINE-3");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("Writing the User ID \"LINE-3\" has been completed."));
}

// A flaky cable: the camera hangs up and comes back on a new port; the link
// follows it, so a program that reconnects through the link finds it again.
TEST(CamsimKestrelctl, ReplugAfterAHangUpKeepsTheLink) {
  const std::string link = TempPath("camsim_replug"), state = TempPath("camsim_replug_state");
  // Probe, set and its read-back; the next run's probe meets the hang-up.
  CamSim cam({"--link", link, "--hang-up-after", "3", "--replug-after", "100", "--state", state});
  EXPECT_EQ(Ctl("--port " + link + " set LR=777").status, 0);
  EXPECT_EQ(Ctl("--port " + link + " --timeout 500 query LR").status, 1);
  CtlResult r;
  for (int i = 0; i < 50 && r.status != 0; ++i) {
    std::this_thread::sleep_for(50ms);
    r = Ctl("--port " + link + " query LR");
  }
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "170\n");  // a power cycle: the working settings were never stored
  EXPECT_EQ(cam.Stop(), 0);
  std::remove(state.c_str());
}

TEST(CamsimKestrelctl, StableLinkAndStatsOnSigterm) {
  const std::string link = TempPath("camsim_link"), stats = TempPath("camsim_stats2.json");
  CamSim cam({"--link", link, "--baud", "115200", "--stats", stats});
  char target[256] = {};
  ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(cam.Path(), target);
  CtlResult r = Ctl("--port " + link + " --baud 115200 query CBDRT");
  EXPECT_EQ(r.out, "16\n") << r.err;
  EXPECT_EQ(cam.Stop(), 0);
  struct stat st;
  EXPECT_NE(::lstat(link.c_str(), &st), 0);  // the link went with the camera
  const std::string json = FileText(stats);
  EXPECT_THAT(json, HasSubstr("\"baud\": 115200"));
  EXPECT_THAT(json, HasSubstr("\"modelled_seconds\""));
  std::remove(stats.c_str());
}

// Parses a JSON document with Python's reader and prints the Python
// expression `expr` over it (the document is `d`) as canonical JSON, so types
// show: 5 and "5" differ. "" when the document does not parse.
std::string Py(const std::string& document, const std::string& expr) {
  const std::string in = TempPath("json_in"), script = TempPath("json_py"),
                    out = TempPath("json_out");
  std::ofstream(in, std::ios::binary) << document;
  std::ofstream(script) << "import json, sys\nd = json.load(open(sys.argv[1]))\nprint(json.dumps("
                        << expr << ", sort_keys=True))\n";
  const std::string command = "python3 " + script + " " + in + " >" + out + " 2>/dev/null";
  std::string text = std::system(command.c_str()) == 0 ? FileText(out) : "";
  for (const std::string& path : {in, script, out})
    std::remove(path.c_str());
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

TEST(CamsimKestrelctl, JsonCarriesTypedValuesAndErrors) {
  CamSim cam({"--no-link"});
  const std::string port = cam.Path();
  ASSERT_EQ(Ctl("--port " + port + " set BL1S=-5 CABT2=1,5 LR=1000").status, 0);
  CtlResult r = Ctl("--port " + port + " --json query LR BL1S CABN1 'CABT2?1' MD");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Py(r.out, "d"),
            R"({"BL1S": -5, "CABN1": "", "CABT2?1": 5, "LR": 1000, "MD": "HX-9302"})")
      << r.out;
  r = Ctl("--port " + port + " info --json");
  EXPECT_EQ(Py(r.out, "sorted(d)"),
            R"(["camera_id", "firmware_version", "fpga1_version", "fpga2_version", "model_name", )"
            R"("user_id"])")
      << r.out;
  EXPECT_EQ(Py(Ctl("--port " + port + " --json temp").out,
               "[type(d['sensor1']).__name__, type(d['sensor2']).__name__]"),
            R"(["float", "float"])");

  // Every parameter a FACTORY setting file holds; an indexed command as an array.
  r = Ctl("--json --port " + port + " read-all --factory");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Py(r.out, "[len(d), d['BL1S'], d['CABN1'], d['CABT2'], 'TTO' in d]"),
            R"([208, -5, "", [2, 5, 2], false])")
      << r.out.substr(0, 300);

  // A failure is a document too, with the reason, and keeps its exit status.
  CamSim rejecting({"--no-link", "--reject", "GM"});
  r = Ctl("--port " + rejecting.Path() + " --json set GM=1");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(Py(r.out, "'REJECTED for GM=1' in d['error']"), "true") << r.out;
  r = Ctl("--port " + rejecting.Path() + " --json query NOSUCH");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(Py(r.out, "d"), R"({"error": "unknown command name NOSUCH"})");
  EXPECT_EQ(Ctl("--port " + rejecting.Path() + " --json send 'MD?'").status, 2);  // text only
}

TEST(CamsimKestrelctl, ParamsListsEveryBinding) {
  CtlResult r = Ctl("params --factory --json");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Py(r.out,
               "[[p['index'], p['minimum'], p['maximum'], p['unit'], p['setting_file']] "
               "for p in d if p['name'] in ('LR', 'CABL2', 'TTO', 'CABN1')]"),
            R"([[null, 170, 13340, "clocks", true], [null, 0, 1, null, false], )"
            R"([null, null, null, null, true], [0, -3, 3, null, true], [1, -3, 3, null, true], )"
            R"([2, -3, 3, null, true]])")
      << r.out.substr(0, 300);
}

// The panel's start-up as kestrelctl runs it: identify at 9600 bit/s, switch
// the camera to 115200, reopen and read every parameter at the new speed. The
// speed is remembered, so the next command answers without a time-out, and a
// set of "CBDRT" takes the tool along.
TEST(CamsimKestrelctl, ReadAllNegotiatesTheSpeedAndTheToolFollowsIt) {
  const std::string stats = TempPath("camsim_stats3.json");
  CamSim cam({"--no-link", "--pace", "--stats", stats});
  CtlResult r = Ctl("--port " + cam.Path() + " read-all");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("LR=170\n"));
  EXPECT_THAT(r.out, HasSubstr("CABA2=2,6\n"));
  EXPECT_THAT(FileText((CtlTempDir() / "settings.ini").string()), HasSubstr("Baud%20Rate=4"));
  r = Ctl("--port " + cam.Path() + " query MD");
  EXPECT_EQ(r.out, "HX-9302\n") << r.err;
  r = Ctl("--port " + cam.Path() + " set CBDRT=1 LR=500");
  EXPECT_EQ(r.status, 0) << r.err;
  r = Ctl("--port " + cam.Path() + " --timeout 300 query LR CBDRT");
  EXPECT_EQ(r.out, "500\n1\n") << r.err;
  EXPECT_THAT(FileText((CtlTempDir() / "settings.ini").string()), HasSubstr("Baud%20Rate=0"));
  EXPECT_EQ(cam.Stop(), 0);
  const std::string json = FileText(stats);
  EXPECT_THAT(json, HasSubstr("\"error_lines\": 0"));
  EXPECT_THAT(json, HasSubstr("\"garbled_lines\": 0"));
  std::remove(stats.c_str());
}

// A late answer to the first probe does not hide the camera, and a device
// that goes away during read-all ends it at once and says so.
TEST(CamsimKestrelctl, ReadAllSurvivesALateProbeAndStopsAtALostDevice) {
  {
    CamSim cam({"--no-link", "--late", "EA=300"});
    CtlResult r = Ctl("--port " + cam.Path() + " read-all");
    EXPECT_EQ(r.status, 0) << r.err;
  }
  const std::string stats = TempPath("camsim_stats.json");
  CamSim cam({"--no-link", "--hang-up-after", "30", "--stats", stats});
  const auto start = std::chrono::steady_clock::now();
  CtlResult r = Ctl("--port " + cam.Path() + " --baud 9600 read-all");
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("The camera or its adapter was disconnected"));
  EXPECT_THAT(r.err, HasSubstr("parameters could not be read"));
  // The camera exits by itself once it has hung up, and still reports.
  EXPECT_EQ(cam.WaitExit(5s), 0) << cam.Err();
  EXPECT_THAT(FileText(stats), HasSubstr("\"lines_out\": 30"));
  std::remove(stats.c_str());
}

// Files and streams: a device node is written into and stays one; standard
// output that is closed or full is a failure with the system's reason.
TEST(CamsimKestrelctl, DevicesAreWrittenIntoAndLostOutputFails) {
  CamSim cam({"--no-link"});
  const std::string null = TempPath("null"), port = "--port " + cam.Path() + " ";
  const bool device = ::mknod(null.c_str(), S_IFCHR | 0600, ::makedev(1, 3)) == 0;
  const std::pair<std::string, std::string> cases[] = {
      {"lut read 1 " + null, ""},
      {"afe save " + null, ""},
      {"read-all -o " + null, ""},
      {"query LR >&-", "cannot write to standard output: Bad file descriptor"},
      {"query LR >/dev/full", "cannot write to standard output: No space left on device"}};
  for (const auto& [args, reason] : cases) {
    if (!device && args.find(null) != std::string::npos) continue;  // mknod needs root
    const CtlResult r = Ctl(port + args);
    EXPECT_EQ(r.status, reason.empty() ? 0 : 1) << args << r.err;
    EXPECT_NE(r.err.find(reason), std::string::npos) << args << r.err;
    struct stat st {};
    EXPECT_TRUE(!device || (::stat(null.c_str(), &st) == 0 && S_ISCHR(st.st_mode))) << args;
  }
  std::remove(null.c_str());
}

// A transfer stopped half-way leaves the camera in the middle of the array:
// the retry at once still starts at entry 0, as its read-back shows.
TEST(CamsimKestrelctl, ARetryAfterAStoppedTransferStartsAtEntryZero) {
  CamSim cam({"--no-link", "--latency", "10"});
  const std::string lut = TempPath("ramp.txt");
  std::ofstream file(lut);
  file << "GammaData\r\n";
  for (int i = 0; i < 256; ++i)
    file << (255 - i) * 16 << "\r\n";
  file.close();
  const std::string write = "--port " + cam.Path() + " lut write --verify 1 " + lut;
  CtlResult r = Ctl(write, "timeout --foreground 1");
  EXPECT_EQ(r.status, 124) << r.err;  // timeout's status for the SIGTERM it sent
  EXPECT_NE(r.err.find("Stopped after "), std::string::npos) << r.err;
  r = Ctl(write);
  EXPECT_EQ(r.status, 0) << r.err;
  std::remove(lut.c_str());
}

// Set means set: a value the camera acknowledged but did not keep fails set
// and apply, unless the read-back is left out.
TEST(CamsimKestrelctl, AValueThatDidNotStickIsAFailure) {
  CamSim cam({"--no-link", "--clamp", "LR=1500"});
  const std::string file = TempPath("lr.cam"), port = "--port " + cam.Path() + " ";
  std::ofstream(file) << "LR=1400\r\nLR=2000\r\n";
  const std::pair<std::string, int> cases[] = {
      {"set LR=2000", 1}, {"apply " + file, 1}, {"set --no-verify LR=2000", 0}, {"set LR=1400", 0}};
  for (const auto& [args, status] : cases) {
    const CtlResult r = Ctl(port + args);
    EXPECT_EQ(r.status, status) << args << r.err;
    EXPECT_EQ(
        r.err.find("LR: the camera holds 1500 after LR=2000 was acknowledged") != std::string::npos,
        status == 1)
        << args << r.err;
  }
  std::remove(file.c_str());
}

// SIGINT, SIGTERM and SIGHUP: the command on the wire finishes, the run says
// how far it got, releases port and lock, and exits 128 + the signal.
TEST(CamsimKestrelctl, SignalsStopAfterTheCommandOnTheWire) {
  CamSim cam({"--no-link", "--latency", "10"});
  const std::string file = TempPath("long.cam");
  std::ofstream out(file);
  for (int i = 0; i < 200; ++i)
    out << "LR=" << 1000 + i << "\r\n";
  out.close();
  const std::filesystem::path lock =
      CtlTempDir() / "locks" / ("LCK.." + cam.Path().substr(5).replace(3, 1, "_"));
  for (const auto& [name, status] : {std::pair{"INT", 130}, {"TERM", 143}, {"HUP", 129}}) {
    // timeout passes its signal on and, preserving, exits as kestrelctl did;
    // in the foreground it signals kestrelctl once (a second signal ends a run
    // at once, by design).
    const CtlResult r =
        Ctl("--port " + cam.Path() + " apply " + file,
            std::string("timeout --foreground --preserve-status -s ") + name + " 1");
    EXPECT_EQ(r.status, status) << r.err;
    EXPECT_NE(r.err.find(" of 200; the rest was not sent."), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(lock)) << lock;
  }
  std::remove(file.c_str());
}

}  // namespace

#endif  // CAMSIM_PATH && KESTRELCTL_PATH
