// A whole-camera backup and restore against the paced simulated camera at
// 115200 bit/s: each part's wall time against its wire time (the simulator's
// own account) plus its pacing pauses: those between the lines of a correction
// transfer and the one before each store of a setting area.
//
// The first round runs as shipped and gives the wholes. A part's ratio in one
// run is at the mercy of a stall of a shared machine, so four more rounds
// follow without the correction transfers' pauses (every part other than the
// arrays is as shipped, the arrays are measured against their wire time
// alone, and a round takes a minute), and each part is judged by its median
// over the five rounds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "backup/camera_backup.h"
#include "base/user_interface.h"
#include "panel/areas.h"
#include "sim/pty_camera.h"

using namespace kestrel;

namespace {

constexpr int kRounds = 5;
constexpr double kTarget = 1.10;

struct Account {
  double modelled = 0;
  uint64_t lines = 0;
};

bool IsArray(const std::string& name) {
  return name.starts_with("pixel-") || name.starts_with("high-") || name.starts_with("shading-");
}

// Runs one operation and returns every part's ratio, printing them when asked.
template <typename Run>
std::map<std::string, double> Measure(const std::string& what, sim::PtyCamera& camera,
                                      BackupOptions options, bool print, Run run) {
  std::map<std::string, Account> parts;
  std::string current;
  sim::SimStats last = camera.Stats();
  options.onPart = [&](const std::string& name) {
    const sim::SimStats now = camera.Stats();
    if (!current.empty()) {
      parts[current].modelled += now.modelledSeconds - last.modelledSeconds;
      parts[current].lines += now.linesIn - last.linesIn;
    }
    current = name;
    last = now;
  };
  BackupRun result;
  if (!run(options, result)) {
    std::printf("%s failed\n", what.c_str());
    return {};
  }
  std::map<std::string, double> ratios;
  double worst = 0, wall = 0, ideal = 0;
  for (const auto& [name, seconds] : result.seconds) {
    const Account& a = parts[name];
    // A restore writes and reads each array back: both transfers pause.
    double wire = a.modelled + (IsArray(name) ? a.lines * options.pauseMs / 1000.0 : 0.0);
    if (what == "restore" && name.starts_with("area")) wire += kStorePauseMs / 1000.0;
    if (wire <= 0) continue;  // a part that sends nothing
    const double ratio = seconds / wire;
    ratios[name] = ratio;
    if (print)
      std::printf("  %-8s %-34s %8.3f s, wire+pacing %8.3f s, ratio %.3f\n", what.c_str(),
                  name.c_str(), seconds, wire, ratio);
    worst = std::max(worst, ratio);
    wall += seconds;
    ideal += wire;
  }
  if (print)
    std::printf("%s: %.1f s in all, wire+pacing %.1f s, ratio %.3f, worst part %.3f\n",
                what.c_str(), wall, ideal, wall / ideal, worst);
  return ratios;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main() {
  sim::SimOptions simOptions;
  simOptions.startBaud = 115200;
  simOptions.pace = true;
  sim::PtyCamera camera(simOptions);
  Settings settings;
  settings.commDevice = camera.SlavePath();
  settings.baudRate = 4;  // 115200
  UserInterface ui;
  CCamCmd cmd(settings, ui);
  if (cmd.OpenConfiguredPort() != 1) {
    std::fprintf(stderr, "cannot open the simulated camera\n");
    return 1;
  }
  std::map<std::string, std::vector<double>> seen;  // "backup lut-1.txt" -> ratio per round
  for (int round = 0; round < kRounds; ++round) {
    BackupOptions options;
    if (round > 0) options.pauseMs = 0;
    const bool print = round == 0;
    std::string archive;
    CheckedBackup backup;
    auto keep = [&](const std::string& what, const std::map<std::string, double>& ratios) {
      for (const auto& [name, ratio] : ratios)
        seen[what + " " + name].push_back(ratio);
      return !ratios.empty();
    };
    if (!keep("backup", Measure("backup", camera, options, print,
                                [&](const BackupOptions& o, BackupRun& r) {
                                  return BackUpCamera(cmd, o, archive, r);
                                })) ||
        !CheckBackup(archive, backup).empty() ||
        !keep("restore",
              Measure("restore", camera, options, print, [&](const BackupOptions& o, BackupRun& r) {
                return RestoreCamera(cmd, backup, o, r);
              })))
      return 1;
  }
  std::printf("\nEach part: the median of %d rounds\n", kRounds);
  int over = 0;
  for (const auto& [name, ratios] : seen) {
    const double m = Median(ratios);
    over += m > kTarget;
    std::printf("  %-44s %.3f%s\n", name.c_str(), m, m > kTarget ? "  over the target" : "");
  }
  std::printf("%d of %zu parts over %.2f x their wire and pacing time\n", over, seen.size(),
              kTarget);
  return 0;
}
