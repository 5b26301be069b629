// A whole-camera backup and restore against the paced simulated camera at
// 115200 bit/s: each part's wall time against its wire time (the simulator's
// own account) plus the pacing pauses of the correction transfers.
#include <chrono>
#include <cstdio>
#include <map>
#include <string>

#include "backup/camera_backup.h"
#include "base/user_interface.h"
#include "sim/pty_camera.h"

using namespace kestrel;

namespace {

struct Account {
  double modelled = 0;
  uint64_t lines = 0;
};

// Runs one operation and prints every part's ratio; returns the worst.
template <typename Run>
double Measure(const char* what, sim::PtyCamera& camera, BackupOptions options, Run run) {
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
    std::printf("%s failed\n", what);
    return 0;
  }
  double worst = 0, wall = 0, ideal = 0;
  for (const auto& [name, seconds] : result.seconds) {
    const Account& a = parts[name];
    const bool paced =
        name.starts_with("pixel-") || name.starts_with("high-") || name.starts_with("shading-");
    // A restore writes and reads each array back: both transfers pause.
    const double wire = a.modelled + (paced ? a.lines * options.pauseMs / 1000.0 : 0.0);
    const double ratio = wire > 0 ? seconds / wire : 0;
    std::printf("  %-8s %-34s %8.3f s, wire+pacing %8.3f s, ratio %.3f\n", what, name.c_str(),
                seconds, wire, ratio);
    if (ratio > worst) worst = ratio;
    wall += seconds;
    ideal += wire;
  }
  std::printf(
      "%s: %.1f s in all, wire+pacing %.1f s, ratio %.3f, worst part %.3f (target <= 1.10)\n", what,
      wall, ideal, wall / ideal, worst);
  return worst;
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
  BackupOptions options;
  std::string archive;
  Measure("backup", camera, options,
          [&](const BackupOptions& o, BackupRun& r) { return BackUpCamera(cmd, o, archive, r); });
  CheckedBackup backup;
  if (!CheckBackup(archive, backup).empty()) return 1;
  Measure("restore", camera, options,
          [&](const BackupOptions& o, BackupRun& r) { return RestoreCamera(cmd, backup, o, r); });
  return 0;
}
