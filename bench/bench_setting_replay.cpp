// Replaying a FACTORY setting file of every binding into the simulated camera
// at 115200 bit/s with the line paced: wall time against the time the bytes
// need on the wire (the simulator's own account), and the CPU the replay used.
//
// Usage: bench_setting_replay [runs]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/checked_input.h"
#include "base/text_file.h"
#include "link/rs_port.h"
#include "panel/binding_table.h"
#include "panel/set_read_back.h"
#include "panel/setting_file.h"
#include "protocol/cam_cmd.h"
#include "sim/pty_camera.h"

namespace {

using namespace kestrel;
using Clock = std::chrono::steady_clock;

double ProcessCpuSeconds() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
         static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) * 1e-6;
}

double ThreadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  sim::SimOptions options;
  options.startBaud = 115200;
  options.pace = true;
  sim::PtyCamera camera(options);

  Settings settings;
  settings.commDevice = camera.SlavePath();
  settings.baudRate = 4;
  settings.operatingMode = kModeFactory;
  UserInterface ui;
  CCamCmd cmd(settings, ui);
  if (cmd.OpenConfiguredPort() != 1) {
    std::fprintf(stderr, "cannot open %s\n", camera.SlavePath().c_str());
    return 1;
  }
  BindingTable table(cmd);
  const std::string file = JoinCrLf(SettingFileLines(cmd, BindingValues(table), kModeFactory));
  const size_t lines = InputLines(file).size();

  std::printf("FACTORY setting file replay (%zu lines) at 115200 bit/s, paced simulator\n", lines);
  // The wire time of the lines alone: a replay without the read-back.
  LeaveOutReadBack(true);
  const double lineWire0 = camera.Stats().modelledSeconds;
  int status = ReplaySettingText(file, cmd, nullptr).ok() ? 0 : 1;
  const double lineWire = camera.Stats().modelledSeconds - lineWire0;
  LeaveOutReadBack(false);
  std::vector<double> toLines;
  std::vector<double> ratios;
  for (int run = 0; run < runs; ++run) {
    const sim::SimStats before = camera.Stats();
    const double cpu0 = ProcessCpuSeconds();
    const double uiCpu0 = ThreadCpuSeconds();
    const auto t0 = Clock::now();
    const ReplayResult r = ReplaySettingText(file, cmd, nullptr);
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    const double uiCpu = ThreadCpuSeconds() - uiCpu0;
    const double cpu = ProcessCpuSeconds() - cpu0;
    const sim::SimStats after = camera.Stats();
    const double wire = after.modelledSeconds - before.modelledSeconds;
    if (!r.ok()) status = 1;
    ratios.push_back(wall / wire);
    toLines.push_back(wall / lineWire);
    std::printf(
        "run %d: wall %.3f s, wire %.3f s, ratio %.3f x, replay thread CPU %.1f %% of wall "
        "(process incl. simulator %.1f %%)%s\n",
        run + 1, wall, wire, wall / wire, 100.0 * uiCpu / wall, 100.0 * cpu / wall,
        r.ok() ? "" : "  REPLAY FAILED");
  }
  // The machine is shared: the best and the median say more than the mean.
  std::sort(ratios.begin(), ratios.end());
  std::printf("ratio to the wire: best %.3f x, median %.3f x (target 1.10 x)\n", ratios.front(),
              ratios[ratios.size() / 2]);
  std::sort(toLines.begin(), toLines.end());
  std::printf("with the read-back, ratio to the wire time of the lines (%.3f s): median %.3f x "
              "(target 2.2 x)\n",
              lineWire, toLines[toLines.size() / 2]);
  return status;
}
