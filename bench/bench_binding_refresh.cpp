// A full FACTORY-mode refresh of the main panel (every binding plus the six
// calibration status labels) against a camera on a pseudo-terminal that paces
// each exchange as a 115200 bit/s line would. Reports wall time against the
// wire time of the bytes exchanged, and the CPU the panel side used.
//
// Usage: bench_binding_refresh [runs]
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "link/rs_port.h"
#include "panel/binding_table.h"
#include "panel/headless_view.h"
#include "protocol/cam_cmd.h"
#include "protocol/user_interface.h"

namespace {

using namespace kestrel;
using Clock = std::chrono::steady_clock;

constexpr double kBaud = 115200.0;
constexpr double kSecondsPerByte = 10.0 / kBaud;  // start, 8 data, stop

double ThreadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double ProcessCpuSeconds() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
         static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) * 1e-6;
}

// The camera: answers a line once the line and its reply would have crossed
// the wire, counting from the line's first byte (the panel writes byte by byte,
// and on a real line that writing overlaps the transmission). Keeps the sum of
// the wire times and its own CPU time.
class PacedCamera {
 public:
  PacedCamera() {
    openpty(&master_, &slave_, nullptr, nullptr, nullptr);
    path_ = ttyname(slave_);
    thread_ = std::thread([this] { Run(); });
  }
  ~PacedCamera() {
    stop_ = true;
    thread_.join();
    close(master_);
    close(slave_);
  }
  const std::string& Path() const { return path_; }
  double WireSeconds() const { return wire_.load(); }
  double CpuSeconds() const { return cpu_.load(); }
  void Reset() { wire_ = 0; }

 private:
  static std::string Answer(const std::string& line) {
    if (line.find('=') != std::string::npos) return "COMPLETE\r\n";
    const std::string name = line.substr(0, line.find('?'));
    std::string value = "1";
    if (name == "LR" || name == "LR2") value = "1000";
    if (name == "PE" || name == "PE2") value = "500";
    if (name.rfind("CABN", 0) == 0) value = "Lens";
    return name + "=" + value + "\r\n";
  }

  void Run() {
    std::string partial;
    Clock::time_point firstByte = Clock::now();
    char buf[256];
    while (!stop_) {
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      const ssize_t n = read(master_, buf, sizeof buf);
      if (n <= 0) continue;
      if (partial.empty()) firstByte = Clock::now();
      partial.append(buf, static_cast<size_t>(n));
      for (size_t lf; (lf = partial.find('\n')) != std::string::npos;) {
        std::string line = partial.substr(0, lf);
        partial.erase(0, lf + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string reply = Answer(line);
        const double wire = static_cast<double>(line.size() + 2 + reply.size()) * kSecondsPerByte;
        wire_ = wire_ + wire;
        cpu_ = ThreadCpuSeconds();
        std::this_thread::sleep_until(firstByte + std::chrono::duration_cast<Clock::duration>(
                                                      std::chrono::duration<double>(wire)));
        firstByte = Clock::now();
        [[maybe_unused]] ssize_t w = write(master_, reply.data(), reply.size());
      }
      cpu_ = ThreadCpuSeconds();
    }
  }

  int master_ = -1;
  int slave_ = -1;
  std::string path_;
  std::atomic<bool> stop_{false};
  std::atomic<double> wire_{0};
  std::atomic<double> cpu_{0};
  std::thread thread_;
};

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  PacedCamera camera;
  Settings settings;
  settings.commDevice = camera.Path();
  settings.baudRate = 4;
  settings.operatingMode = kModeFactory;
  CRsPort port;
  SilentUserInterface ui;
  CCamCmd cmd(settings, port, ui);
  if (cmd.OpenConfiguredPort() != 1) {
    std::fprintf(stderr, "cannot open %s\n", camera.Path().c_str());
    return 1;
  }
  BindingTable table(cmd);
  HeadlessBindingView view(table);
  table.AttachView(&view);

  std::printf("FACTORY refresh at 115200 bit/s, paced camera on a pty\n");
  for (int run = 0; run < runs; ++run) {
    camera.Reset();
    const double camCpu0 = camera.CpuSeconds();
    const double cpu0 = ProcessCpuSeconds();
    const auto t0 = Clock::now();
    table.RefreshFromCamera();
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    const double cpu = ProcessCpuSeconds() - cpu0 - (camera.CpuSeconds() - camCpu0);
    const double wire = camera.WireSeconds();
    std::printf("run %d: wall %.3f s, wire %.3f s, ratio %.3f x, panel CPU %.1f %% of wall\n",
                run + 1, wall, wire, wall / wire, 100.0 * cpu / wall);
  }
  return 0;
}
