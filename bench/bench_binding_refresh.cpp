// A full FACTORY-mode refresh of the main panel (every binding plus the six
// calibration status labels) at 115200 bit/s, against the camera simulator
// pacing every byte as the line would. Reports wall time as a ratio to the
// wire-and-latency time the simulator models, and the CPU the process used.
//
// Usage: bench_binding_refresh [runs]
#include <dirent.h>
#include <sys/resource.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "base/user_interface.h"
#include "link/rs_port.h"
#include "panel/binding_table.h"
#include "panel/headless_view.h"
#include "protocol/cam_cmd.h"
#include "sim/pty_camera.h"

namespace {

double ProcessCpuSeconds() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
         static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) * 1e-6;
}

std::set<int> Threads() {
  std::set<int> tids;
  if (DIR* d = opendir("/proc/self/task")) {
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') tids.insert(std::atoi(e->d_name));
    closedir(d);
  }
  return tids;
}

// CPU time of another thread of this process, by its kernel thread ID (the
// clock ID encoding of Linux's per-thread CPU clocks).
double ThreadCpuSeconds(int tid) {
  const clockid_t clock = static_cast<clockid_t>((~static_cast<unsigned>(tid) << 3) | 6);
  timespec ts{};
  if (clock_gettime(clock, &ts) != 0) return 0;
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kestrel;
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  sim::SimOptions options;
  options.startBaud = 115200;
  options.pace = true;
  const std::set<int> before = Threads();
  sim::PtyCamera camera(options);
  int simTid = 0;
  for (int tid : Threads())
    if (!before.count(tid)) simTid = tid;

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
  HeadlessBindingView view(table);
  table.AttachView(&view);

  std::printf("FACTORY refresh at 115200 bit/s, simulator pacing the line\n");
  std::printf("(CPU: the panel's threads, the simulator's excluded)\n");
  for (int run = 0; run < runs; ++run) {
    const sim::SimStats start = camera.Stats();
    const double cpu0 = ProcessCpuSeconds() - ThreadCpuSeconds(simTid);
    const auto t0 = std::chrono::steady_clock::now();
    table.RefreshFromCamera();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double cpu = ProcessCpuSeconds() - ThreadCpuSeconds(simTid) - cpu0;
    const sim::SimStats after = camera.Stats();
    const double wire = after.modelledSeconds - start.modelledSeconds;
    std::printf("run %d: %llu lines, wall %.3f s, wire %.3f s, ratio %.3f x, CPU %.1f %% of wall\n",
                run + 1, static_cast<unsigned long long>(after.linesIn - start.linesIn), wall, wire,
                wall / wire, 100.0 * cpu / wall);
  }
  return 0;
}
