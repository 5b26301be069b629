// Bulk correction transfers against the paced simulated camera, and the LUT
// curve computation. Prints ratios to what the line allows.
#include <chrono>
#include <cstdio>
#include <numeric>
#include <vector>

#include "base/user_interface.h"
#include "correction/data_transfer.h"
#include "correction/lut_spline.h"
#include "link/rs_port.h"
#include "protocol/cam_cmd.h"
#include "sim/pty_camera.h"

using namespace kestrel;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// Transfers 1024 pixel black values one way; returns wall time over the ideal
// N × (pause + wire time + latency), the wire and latency part taken from the
// simulator's own accounting of the bytes it moved.
double TransferRatio(bool write, double& wall, double& ideal) {
  sim::SimOptions options;
  options.startBaud = 115200;
  options.pace = true;
  sim::PtyCamera camera(options);
  Settings settings;
  settings.commDevice = camera.SlavePath();
  settings.baudRate = 4;  // 115200
  UserInterface ui;
  CCamCmd cmd(settings, ui);
  if (cmd.OpenConfiguredPort() != 1) {
    std::fprintf(stderr, "cannot open the simulated camera\n");
    return 0;
  }
  CDataTransfer transfer(cmd);
  std::vector<int32_t> values(1024);
  std::iota(values.begin(), values.end(), -512);
  const sim::SimStats before = camera.Stats();
  const auto start = Clock::now();
  const int ok = write ? transfer.WriteCorrection(CorrectionKind::PixelBlack, values.data(), 1)
                       : transfer.ReadCorrection(CorrectionKind::PixelBlack, values.data(), 1);
  wall = Seconds(Clock::now() - start);
  const sim::SimStats after = camera.Stats();
  if (!ok) std::fprintf(stderr, "transfer failed\n");
  ideal =
      1024 * transfer.Timing().pauseMs / 1000.0 + (after.modelledSeconds - before.modelledSeconds);
  return wall / ideal;
}

}  // namespace

int main() {
  double wall = 0, ideal = 0;
  double r = TransferRatio(true, wall, ideal);
  std::printf(
      "correction write 1024 x PBD @115200 paced: %.3f s, ideal %.3f s, ratio %.3f (target <= "
      "1.05)\n",
      wall, ideal, r);
  r = TransferRatio(false, wall, ideal);
  std::printf(
      "correction read  1024 x PBD @115200 paced: %.3f s, ideal %.3f s, ratio %.3f (target <= "
      "1.05)\n",
      wall, ideal, r);

  // The curve is recomputed at every repaint of the editor: 15 points is the
  // most expensive case (7501 samples per spline).
  LutPoint points[15];
  for (int i = 0; i < 15; ++i)
    points[i] = {i * 260 / 14, 260 - (i * i * 260) / 196};
  const int runs = 50;
  int32_t sink = 0;
  const auto start = Clock::now();
  for (int i = 0; i < runs; ++i)
    sink += ComputeTableFromPoints(points, 15)[static_cast<size_t>(i % 256)];
  const double each = Seconds(Clock::now() - start) / runs;
  std::printf("ComputeTableFromPoints, 15 points: %.3f ms per table (target well under 5 ms)%s\n",
              each * 1000.0, sink == 42 ? " " : "");
  return 0;
}
