// Round trip of one query against a camera on a pseudo-terminal that answers
// at once: wall time per transaction (median) and the program's CPU time per
// transaction. The camera runs in a child process so that only the program's
// own threads (the caller and the receive thread) count as its CPU time.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/user_interface.h"
#include "link/rs_port.h"
#include "protocol/cam_cmd.h"
#include "sim/pty_camera.h"

namespace {

double CpuSeconds() {
  rusage u{};
  ::getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Result {
  double median = 0, p99 = 0, cpuPerQuery = 0, cpuShare = 0, modelled = 0, total = 0;
  int failures = 0;
};

// One run of `queries` queries of LR against a camera in a child process.
Result Run(int queries, bool pace) {
  using namespace kestrel;
  Result res;
  int toParent[2], toChild[2];
  if (::pipe(toParent) != 0 || ::pipe(toChild) != 0) std::exit(1);
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(toParent[0]);
    ::close(toChild[1]);
    sim::SimOptions o;
    o.startBaud = 115200;
    o.pace = pace;
    sim::PtyCamera cam(o);
    const std::string path = cam.SlavePath() + "\n";
    [[maybe_unused]] ssize_t w = ::write(toParent[1], path.data(), path.size());
    char b;
    [[maybe_unused]] ssize_t r = ::read(toChild[0], &b, 1);  // until the parent is done
    // Report the modelled wire time of the measured queries only.
    const double modelled = cam.Stats().modelledSeconds;
    w = ::write(toParent[1], &modelled, sizeof modelled);
    ::_exit(0);
  }
  ::close(toParent[1]);
  ::close(toChild[0]);
  std::string path;
  for (char ch; ::read(toParent[0], &ch, 1) == 1 && ch != '\n';)
    path.push_back(ch);

  Settings settings;
  settings.commDevice = path;
  settings.baudRate = 4;
  UserInterface ui;
  CCamCmd cmd(settings, ui);
  if (cmd.OpenConfiguredPort() != 1) {
    std::fprintf(stderr, "cannot open %s\n", path.c_str());
    std::exit(1);
  }
  int v = 0;
  std::vector<double> wall;
  wall.reserve(static_cast<size_t>(queries));
  const double cpu0 = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < queries; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    if (cmd.QueryInt(18, v, 3000) != 1) ++res.failures;
    wall.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  res.total = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double cpu = CpuSeconds() - cpu0;
  cmd.ClosePort();
  ::close(toChild[1]);
  if (::read(toParent[0], &res.modelled, sizeof res.modelled) != sizeof res.modelled)
    res.modelled = 0;
  ::waitpid(child, nullptr, 0);

  std::sort(wall.begin(), wall.end());
  res.median = wall[wall.size() / 2];
  res.p99 = wall[wall.size() * 99 / 100];
  res.cpuPerQuery = cpu / queries;
  res.cpuShare = cpu / res.total;
  return res;
}

}  // namespace

int main(int argc, char** argv) {
  const int queries = argc > 1 ? std::max(10, std::atoi(argv[1])) : 1000;
  Run(20, false);  // warm up the page cache and the allocator
  const Result fast = Run(queries, false);
  std::printf("query round trip, camera answering at once, %d queries%s\n", queries,
              fast.failures ? " (some FAILED)" : "");
  std::printf("  median wall %.3f ms per query = %.2f x the 1 ms target (p99 %.3f ms)\n",
              fast.median * 1e3, fast.median / 1e-3, fast.p99 * 1e3);
  std::printf(
      "  CPU %.3f ms per query = %.1f %% of wall (no idle time: the camera answers at "
      "once)\n",
      fast.cpuPerQuery * 1e3, 100.0 * fast.cpuShare);
  const Result paced = Run(queries, true);
  std::printf("query round trip, camera pacing 115200 bit/s, %d queries%s\n", queries,
              paced.failures ? " (some FAILED)" : "");
  const double wirePerQuery = paced.modelled / queries;
  std::printf("  median wall %.3f ms per query = %.3f x its wire time; all queries %.3f x\n",
              paced.median * 1e3, wirePerQuery > 0 ? paced.median / wirePerQuery : 0.0,
              paced.modelled > 0 ? paced.total / paced.modelled : 0.0);
  std::printf("  CPU %.3f ms per query = %.1f %% of wall (target under 10 %%)\n",
              paced.cpuPerQuery * 1e3, 100.0 * paced.cpuShare);
  return fast.failures || paced.failures ? 1 : 0;
}
