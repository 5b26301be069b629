// kestrel-camsim: the HX-9302 camera on a pseudo-terminal, for development,
// tests and benchmarks without hardware.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/settings.h"
#include "base/text_file.h"
#include "sim/pty_camera.h"

namespace {

using kestrel::sim::PtyCamera;
using kestrel::sim::SimOptions;
using kestrel::sim::SimStats;

void Usage(FILE* out) {
  std::fputs(
      "usage: kestrel-camsim [options]\n"
      "Runs the simulated camera on a pseudo-terminal, prints the port's path and\n"
      "keeps a symbolic link to it until SIGINT or SIGTERM.\n\n"
      "  --link PATH            stable link to the port (default $XDG_RUNTIME_DIR/kestrel-camsim,\n"
      "                         else /tmp/kestrel-camsim-$UID); --no-link for none\n",
      out);
  std::fprintf(out, "  --baud BPS             start speed (%s; default 9600)\n",
               kestrel::CameraBaudList(", ").c_str());
  std::fputs(
      "  --pace                 every byte takes its 8N1 time at the current speed\n"
      "  --no-speed-check       do not garble when the host's port speed differs\n"
      "  --state FILE           keep the setting areas and stored data in FILE\n"
      "  --stats FILE           write the counters as JSON on exit\n"
      "  --camera-id ID         the camera ID (default A000000001, or the state's)\n"
      "  --latency MS           delay before every reply\n"
      "  --late NAME=MS[,...]   delay the replies to these commands by MS more\n"
      "  --reject NAME[,NAME]   answer these commands with an error line\n"
      "  --clamp NAME=MAX[,...] acknowledge a set above MAX but keep MAX\n"
      "  --silent-after N       answer the first N lines only\n"
      "  --hang-up-after N      hang up when line N+1 arrives (and exit)\n"
      "  --replug-after MS      after a hang-up, come back on a new port after MS instead\n"
      "  --garble SHARE         corrupt this share (0..1) of replies\n"
      "  --drop SHARE           never send this share (0..1) of replies\n"
      "  --seed N               for --garble and --drop (default 1)\n"
      "  --unsolicited MS       send a line unasked this often\n"
      "  --unsolicited-text T   that line (default EVENT)\n"
      "  --echo                 send every line received back before its reply\n"
      "  --calibration-result N status a calibration run ends in (1 done, 2..4 errors,\n"
      "                         0 never ends; default 1)\n"
      "  --calibration-polls N  status polls that report \"running\" first (default 3)\n"
      "  --sequence-idle MS     a bulk transfer restarts after this pause (default 1000)\n"
      "  --version              print the version and exit\n",
      out);
}

bool ToInt(const std::string& s, long lo, long hi, int& out) {
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(s.c_str(), &end, 10);
  if (s.empty() || *end || errno || v < lo || v > hi) return false;
  out = static_cast<int>(v);
  return true;
}

bool ToShare(const std::string& s, double& out) {
  char* end = nullptr;
  double v = std::strtod(s.c_str(), &end);
  if (s.empty() || *end || !(v >= 0.0 && v <= 1.0)) return false;
  out = v;
  return true;
}

std::string DefaultLink() {
  const char* dir = std::getenv("XDG_RUNTIME_DIR");
  if (dir && *dir && ::access(dir, W_OK) == 0) return std::string(dir) + "/kestrel-camsim";
  return "/tmp/kestrel-camsim-" + std::to_string(::getuid());
}

std::string Json(const SimStats& s, int baud) {
  std::ostringstream o;
  o.precision(9);
  o << "{\n  \"bytes_in\": " << s.bytesIn << ",\n  \"bytes_out\": " << s.bytesOut
    << ",\n  \"lines_in\": " << s.linesIn << ",\n  \"lines_out\": " << s.linesOut
    << ",\n  \"error_lines\": " << s.errorLines << ",\n  \"garbled_lines\": " << s.garbledLines
    << ",\n  \"dropped_lines\": " << s.droppedLines
    << ",\n  \"modelled_seconds\": " << s.modelledSeconds
    << ",\n  \"active_seconds\": " << s.activeSeconds << ",\n  \"baud\": " << baud << "\n}\n";
  return o.str();
}

}  // namespace

int main(int argc, char** argv) {
  SimOptions o;
  std::string link = DefaultLink(), statsPath;
  int replugMs = -1;
  bool wantLink = true;
  std::vector<std::string> args(argv + 1, argv + argc);
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      return true;
    };
    std::string v;
    bool ok = true;
    if (a == "--help" || a == "-h") {
      Usage(stdout);
      return 0;
    } else if (a == "--version") {
      std::printf("kestrel-camsim %s\n", KESTREL_VERSION);
      return 0;
    } else if (a == "--pace") {
      o.pace = true;
    } else if (a == "--no-speed-check") {
      o.checkHostSpeed = false;
    } else if (a == "--no-link") {
      wantLink = false;
    } else if (a == "--link") {
      ok = value(link);
    } else if (a == "--state") {
      ok = value(o.statePath);
    } else if (a == "--camera-id") {
      ok = value(o.cameraId) && !o.cameraId.empty() && o.cameraId.size() <= 16;
    } else if (a == "--stats") {
      ok = value(statsPath);
    } else if (a == "--baud") {
      ok = value(v) && ToInt(v, 1, 1000000, o.startBaud) && kestrel::sim::CodeOfBaud(o.startBaud);
    } else if (a == "--latency") {
      ok = value(v) && ToInt(v, 0, 600000, o.latencyMs);
    } else if (a == "--reject") {
      ok = value(v);
      std::stringstream ss(v);
      for (std::string name; ok && std::getline(ss, name, ',');)
        if (!name.empty()) o.rejected.insert(name);
    } else if (a == "--clamp") {
      ok = value(v);
      std::stringstream ss(v);
      for (std::string item; ok && std::getline(ss, item, ',');) {
        const size_t eq = item.find('=');
        int limit = 0;
        ok = eq != std::string::npos && eq > 0 &&
             ToInt(item.substr(eq + 1), INT32_MIN, INT32_MAX, limit);
        if (ok) o.clamped[item.substr(0, eq)] = limit;
      }
    } else if (a == "--late") {
      ok = value(v);
      std::stringstream ss(v);
      for (std::string item; ok && std::getline(ss, item, ',');) {
        const size_t eq = item.find('=');
        int ms = 0;
        ok = eq != std::string::npos && eq > 0 && ToInt(item.substr(eq + 1), 0, 600000, ms);
        if (ok) o.lateReplies[item.substr(0, eq)] = ms;
      }
    } else if (a == "--silent-after") {
      ok = value(v) && ToInt(v, 0, INT32_MAX, o.silentAfterLines);
    } else if (a == "--hang-up-after") {
      ok = value(v) && ToInt(v, 0, INT32_MAX, o.hangUpAfterLines);
    } else if (a == "--garble") {
      ok = value(v) && ToShare(v, o.garbleShare);
    } else if (a == "--drop") {
      ok = value(v) && ToShare(v, o.dropShare);
    } else if (a == "--seed") {
      int seed = 0;
      ok = value(v) && ToInt(v, 0, INT32_MAX, seed);
      o.seed = static_cast<uint32_t>(seed);
    } else if (a == "--replug-after") {
      ok = value(v) && ToInt(v, 0, 3600000, replugMs);
    } else if (a == "--unsolicited") {
      ok = value(v) && ToInt(v, 1, 3600000, o.unsolicitedEveryMs);
    } else if (a == "--unsolicited-text") {
      ok = value(o.unsolicitedText);
    } else if (a == "--echo") {
      o.echo = true;
    } else if (a == "--calibration-result") {
      ok = value(v) && ToInt(v, 0, 255, o.calibrationResult);
    } else if (a == "--calibration-polls") {
      ok = value(v) && ToInt(v, 0, 1000000, o.calibrationPolls);
    } else if (a == "--sequence-idle") {
      int ms = 0;
      ok = value(v) && ToInt(v, 0, 3600000, ms);
      o.sequenceIdleMs = static_cast<uint32_t>(ms);
    } else {
      std::fprintf(stderr, "kestrel-camsim: unknown option %s\n", a.c_str());
      Usage(stderr);
      return 2;
    }
    if (!ok) {
      std::fprintf(stderr, "kestrel-camsim: bad or missing value for %s\n", a.c_str());
      return 2;
    }
  }

  // Signals are taken synchronously below; block them before any thread starts.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  std::unique_ptr<PtyCamera> cam;
  auto start = [&]() {
    try {
      cam = std::make_unique<PtyCamera>(o);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "kestrel-camsim: %s\n", e.what());
      return false;
    }
    if (wantLink) {
      // Replace a link left by an earlier run, but never a regular file.
      char target[4096];
      if (::readlink(link.c_str(), target, sizeof target) >= 0) ::unlink(link.c_str());
      if (::symlink(cam->SlavePath().c_str(), link.c_str()) != 0) {
        std::fprintf(stderr, "kestrel-camsim: cannot link %s: %s\n", link.c_str(),
                     std::strerror(errno));
        wantLink = false;
      }
    }
    std::printf("%s\n", cam->SlavePath().c_str());
    std::fflush(stdout);
    if (wantLink)
      std::fprintf(stderr, "kestrel-camsim: camera on %s (%s)\n", link.c_str(),
                   cam->SlavePath().c_str());
    return true;
  };
  SimStats s;
  int baud = o.startBaud;
  // Ends the camera: counts into the totals, writes the state file, and
  // removes the link only while it is still ours.
  auto stop = [&]() {
    const SimStats c = cam->Stats();
    s.bytesIn += c.bytesIn;
    s.bytesOut += c.bytesOut;
    s.linesIn += c.linesIn;
    s.linesOut += c.linesOut;
    s.errorLines += c.errorLines;
    s.garbledLines += c.garbledLines;
    s.droppedLines += c.droppedLines;
    s.modelledSeconds += c.modelledSeconds;
    s.activeSeconds += c.activeSeconds;
    baud = cam->Baud();
    const std::string slave = cam->SlavePath();
    cam.reset();
    if (wantLink) {
      char target[4096];
      const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
      if (n >= 0 && slave == std::string(target, static_cast<size_t>(n))) ::unlink(link.c_str());
    }
  };
  if (!start()) return 1;

  const timespec tick{0, 100 * 1000 * 1000};
  for (;;) {
    if (::sigtimedwait(&signals, nullptr, &tick) > 0) break;
    if (!cam->HungUp()) continue;
    std::fprintf(stderr, "kestrel-camsim: hung up\n");
    if (replugMs < 0) break;
    // Plugged in again after a while: a new port (the link follows it), the
    // same stored state, the power-on speed.
    stop();
    const timespec pause{replugMs / 1000, (replugMs % 1000) * 1000000L};
    if (::sigtimedwait(&signals, nullptr, &pause) > 0) {
      wantLink = false;  // already removed
      cam.reset();
      break;
    }
    if (!start()) return 1;
  }
  if (cam) stop();

  std::fprintf(stderr,
               "kestrel-camsim: %llu bytes in, %llu bytes out, %llu lines in, %llu lines out, "
               "%.3f s on the wire\n",
               static_cast<unsigned long long>(s.bytesIn),
               static_cast<unsigned long long>(s.bytesOut),
               static_cast<unsigned long long>(s.linesIn),
               static_cast<unsigned long long>(s.linesOut), s.modelledSeconds);
  if (!statsPath.empty() && !kestrel::WriteFileAtomically(statsPath, Json(s, baud))) {
    std::fprintf(stderr, "kestrel-camsim: cannot write %s: %s\n", statsPath.c_str(),
                 std::strerror(errno));
    return 1;
  }
  return 0;
}
