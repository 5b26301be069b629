#include "sim/pty_camera.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <stdexcept>
#include <thread>

#include "link/line_speed.h"

namespace kestrel::sim {

namespace {

uint64_t NowNs() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<uint64_t>(ts.tv_nsec);
}

constexpr uint64_t kMs = 1000000ull;
// A partial line that sees no byte for this long is garbage (a host at the
// wrong speed, a half-typed line): the camera forgets it.
constexpr uint64_t kPartialLineNs = 500 * kMs;
// The state file is written once the line has been quiet this long.
constexpr uint64_t kSaveIdleNs = 300 * kMs;
// The last stretch before a paced byte is due is waited out actively: sleeping
// overshoots by tens of microseconds, which is a tenth of a reply at 115200.
constexpr uint64_t kSpinNs = 60000;
// A host that has taken no byte for this long is not coming back for these.
constexpr uint64_t kStuckHostNs = 10000 * kMs;

}  // namespace

PtyCamera::PtyCamera(SimOptions options) : options_(std::move(options)) {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
    throw std::runtime_error("no pseudo-terminal");
  slavePath_ = ::ptsname(master_);
  // Our own slave descriptor keeps the line up between the program's opens,
  // and sets the line raw at the start speed until the program configures it.
  keepSlave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (keepSlave_ < 0) throw std::runtime_error("cannot open " + slavePath_);
  termios tio{};
  ::tcgetattr(keepSlave_, &tio);
  ::cfmakeraw(&tio);
  // A start speed the camera does not have is taken as 9600, below as well.
  const speed_t start = CodeOfBaud(options_.startBaud) ? TerminalSpeed(options_.startBaud) : B9600;
  ::cfsetispeed(&tio, start);
  ::cfsetospeed(&tio, start);
  ::tcsetattr(keepSlave_, TCSANOW, &tio);
  if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("no pipe");

  model_.knobs.rejected = options_.rejected;
  model_.knobs.clamped = options_.clamped;
  model_.knobs.calibrationResult = options_.calibrationResult;
  model_.knobs.calibrationPolls = options_.calibrationPolls;
  model_.knobs.sequenceIdleMs = options_.sequenceIdleMs;
  if (!options_.statePath.empty() && ::access(options_.statePath.c_str(), F_OK) == 0) {
    std::string why;
    if (!model_.LoadState(options_.statePath, &why)) throw std::runtime_error(why);
  } else {
    model_.PowerOn();
  }
  if (!options_.cameraId.empty()) model_.SetText("ID", options_.cameraId);
  baud_ = BaudOfCode(CodeOfBaud(options_.startBaud)) ? options_.startBaud : 9600;
  model_.baud = baud_;
  model_.SetInt("CBDRT", CodeOfBaud(baud_));
  random_ = options_.seed ? options_.seed : 1;
  latencyMs_.store(options_.latencyMs);
  if (options_.unsolicitedEveryMs > 0)
    nextUnsolicitedNs_ = NowNs() + static_cast<uint64_t>(options_.unsolicitedEveryMs) * kMs;
  thread_ = std::thread(&PtyCamera::Run, this);
}

PtyCamera::~PtyCamera() {
  stop_.store(true);
  char b = 1;
  [[maybe_unused]] ssize_t n = ::write(wake_[1], &b, 1);
  thread_.join();
  if (dirty_ && !options_.statePath.empty()) SaveState();
  if (master_ >= 0) ::close(master_);
  if (keepSlave_ >= 0) ::close(keepSlave_);
  ::close(wake_[0]);
  ::close(wake_[1]);
}

SimStats PtyCamera::Stats() const {
  std::lock_guard<std::mutex> lock(ioMutex_);
  SimStats s = stats_;
  if (firstInNs_ && lastOutNs_ > firstInNs_)
    s.activeSeconds = static_cast<double>(lastOutNs_ - firstInNs_) / 1e9;
  return s;
}

int PtyCamera::Baud() const {
  std::lock_guard<std::mutex> lock(ioMutex_);
  return baud_;
}

bool PtyCamera::SaveState(std::string* error) {
  if (options_.statePath.empty()) return true;
  std::lock_guard<std::mutex> lock(modelMutex_);
  dirty_ = false;
  return model_.SaveState(options_.statePath, error);
}

void PtyCamera::SendUnsolicited(const std::string& line) {
  Enqueue({line}, NowNs(), 0, false);
  char b = 2;
  [[maybe_unused]] ssize_t n = ::write(wake_[1], &b, 1);
}

int PtyCamera::HostBaud() const {
  // The master reports the terminal settings the program gave the slave.
  termios tio{};
  if (master_ < 0 || ::tcgetattr(master_, &tio) != 0) return 0;
  return BaudOfTerminalSpeed(::cfgetospeed(&tio));
}

bool PtyCamera::Chance(double share) {
  if (share <= 0) return false;
  random_ ^= random_ << 13;
  random_ ^= random_ >> 17;
  random_ ^= random_ << 5;
  return (random_ % 1000000u) < static_cast<uint32_t>(share * 1000000.0);
}

// What a UART at another speed makes of a stream: fewer or more bytes, none
// of them a line end, so garbage never passes for a line.
std::string PtyCamera::Garble(const std::string& bytes, size_t count) {
  std::string out;
  out.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const unsigned char b = static_cast<unsigned char>(bytes[i % bytes.size()]);
    out.push_back(static_cast<char>(0x80 | ((b * 37u + i * 11u) & 0x7F)));
  }
  return out;
}

void PtyCamera::Enqueue(std::vector<std::string> lines, uint64_t readyNs, int newBaud, bool error) {
  std::lock_guard<std::mutex> lock(ioMutex_);
  if (Chance(options_.dropShare)) {
    stats_.droppedLines += lines.size();
    return;
  }
  const bool garble = Chance(options_.garbleShare);
  const uint64_t byteNs = 10ull * 1000000000ull / static_cast<uint64_t>(baud_);
  uint64_t t = std::max(readyNs, txFreeNs_);
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string bytes = lines[i];
    if (garble && !bytes.empty()) {
      // A corrupted reply keeps its line end: the program gets a wrong line.
      bytes[0] = '~';
      for (size_t k = 2; k < bytes.size(); k += 3)
        bytes[k] = static_cast<char>(bytes[k] ^ 0x04);
      ++stats_.garbledLines;
    }
    bytes += "\r\n";
    // A line leaves in one piece once its last byte has crossed the wire: the
    // program cannot use it any earlier, and the host sees fewer wake-ups.
    if (options_.pace) t += byteNs * bytes.size();
    out_.push_back(
        Out{t, std::move(bytes), i + 1 == lines.size() ? newBaud : 0, error, {}, 0, false});
  }
  txFreeNs_ = t;
}

void PtyCamera::Flush(uint64_t nowNs) {
  int newBaud = 0;
  {
    std::lock_guard<std::mutex> lock(ioMutex_);
    while (!out_.empty() && out_.front().dueNs <= nowNs) {
      Out& item = out_.front();
      if (!item.started) {
        item.started = true;
        item.wire = item.bytes;
        const int host = options_.checkHostSpeed ? HostBaud() : baud_;
        if (host != baud_ && host > 0) {
          const size_t n = std::max<size_t>(
              1, static_cast<size_t>(static_cast<double>(item.bytes.size()) * host / baud_));
          item.wire = Garble(item.bytes, std::min(n, 4 * item.bytes.size()));
          ++stats_.garbledLines;
        }
      }
      // A host that reads slowly holds the camera up, as the driver's buffer
      // would; only one that has read nothing for a long time loses bytes.
      while (master_ >= 0 && item.written < item.wire.size()) {
        const ssize_t w =
            ::write(master_, item.wire.data() + item.written, item.wire.size() - item.written);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) break;
        item.written += static_cast<size_t>(w);
        stats_.bytesOut += static_cast<uint64_t>(w);
        blockedSinceNs_ = 0;
      }
      if (master_ >= 0 && item.written < item.wire.size()) {
        if (!blockedSinceNs_) blockedSinceNs_ = nowNs;
        if (nowNs - blockedSinceNs_ < kStuckHostNs) break;
        stats_.droppedLines += out_.size();
        out_.clear();
        blockedSinceNs_ = 0;
        break;
      }
      lastOutNs_ = NowNs();
      stats_.modelledSeconds += 10.0 * static_cast<double>(item.bytes.size()) / baud_;
      ++stats_.linesOut;
      if (item.error) ++stats_.errorLines;
      if (item.newBaud) {
        baud_ = item.newBaud;
        newBaud = item.newBaud;
      }
      out_.pop_front();
    }
  }
  if (newBaud) {
    std::lock_guard<std::mutex> lock(modelMutex_);
    model_.baud = newBaud;
  }
}

void PtyCamera::OnLine(const std::string& line, uint64_t endNs) {
  uint64_t count;
  {
    std::lock_guard<std::mutex> lock(ioMutex_);
    count = ++stats_.linesIn;
  }
  if (options_.hangUpAfterLines >= 0 && count > static_cast<uint64_t>(options_.hangUpAfterLines)) {
    DoHangUp();
    return;
  }
  if (silent_.load() ||
      (options_.silentAfterLines >= 0 && count > static_cast<uint64_t>(options_.silentAfterLines)))
    return;
  // The pause rule of the bulk transfers must not count the camera's own
  // latency as the host's pause: the clock the interpreter sees stands still
  // while a reply waits out its latency.
  const uint64_t latencyMs = static_cast<uint64_t>(std::max(0, latencyMs_.load()));
  const uint64_t realMs = endNs / kMs;
  const uint64_t clockMs = std::max(lastClockMs_, realMs - std::min(realMs, latencySpentMs_));
  lastClockMs_ = clockMs;
  Reply r;
  {
    std::lock_guard<std::mutex> lock(modelMutex_);
    r = interpreter_.Execute(line, clockMs);
    if (!r.lines.empty() && r.lines[0] == "COMPLETE") dirty_ = true;
  }
  const bool error = r.lines.size() == 1 && r.lines[0].rfind("ERROR", 0) == 0;
  if (options_.echo) r.lines.insert(r.lines.begin(), line);
  if (r.lines.empty()) return;
  uint64_t replyLatencyMs = latencyMs;
  if (const auto late = options_.lateReplies.find(line.substr(0, line.find_first_of("=?")));
      late != options_.lateReplies.end())
    replyLatencyMs += static_cast<uint64_t>(std::max(0, late->second));
  const uint64_t latencyNs = replyLatencyMs * kMs;
  latencySpentMs_ += replyLatencyMs;
  {
    std::lock_guard<std::mutex> lock(ioMutex_);
    stats_.modelledSeconds += static_cast<double>(latencyNs) / 1e9;
  }
  Enqueue(std::move(r.lines), endNs + latencyNs, r.newBaud, error);
}

void PtyCamera::DoHangUp() {
  if (master_ >= 0) ::close(master_);
  if (keepSlave_ >= 0) ::close(keepSlave_);
  master_ = keepSlave_ = -1;
  {
    std::lock_guard<std::mutex> lock(ioMutex_);
    out_.clear();
  }
  hungUp_.store(true);
}

void PtyCamera::Run() {
  ::prctl(PR_SET_TIMERSLACK, 1UL);
  char buffer[4096];
  for (;;) {
    uint64_t now = NowNs();
    uint64_t next = UINT64_MAX;
    bool blocked = false;
    {
      std::lock_guard<std::mutex> lock(ioMutex_);
      if (!out_.empty()) next = out_.front().dueNs;
      blocked = blockedSinceNs_ != 0;
    }
    if (blocked) next = std::max(next, now + 50 * kMs);  // woken by POLLOUT instead
    if (options_.unsolicitedEveryMs > 0) next = std::min(next, nextUnsolicitedNs_);
    if (interpreter_.HasPartial()) next = std::min(next, lastByteNs_ + kPartialLineNs);
    if (dirty_ && !options_.statePath.empty()) next = std::min(next, lastByteNs_ + kSaveIdleNs);

    timespec timeout{};
    timespec* tp = nullptr;
    if (next != UINT64_MAX) {
      const uint64_t wait = next > now + kSpinNs ? next - now - kSpinNs : 0;
      timeout.tv_sec = static_cast<time_t>(wait / 1000000000ull);
      timeout.tv_nsec = static_cast<long>(wait % 1000000000ull);
      tp = &timeout;
    }
    pollfd fds[2] = {{wake_[0], POLLIN, 0},
                     {master_, static_cast<short>(POLLIN | (blocked ? POLLOUT : 0)), 0}};
    const int r = ::ppoll(fds, master_ >= 0 ? 2 : 1, tp, nullptr);
    if (r < 0 && errno != EINTR) break;
    if (fds[0].revents & POLLIN) {
      char drain[16];
      while (::read(wake_[0], drain, sizeof drain) > 0) {
      }
      if (stop_.load()) return;
    }
    now = NowNs();
    if (master_ >= 0 && (fds[1].revents & POLLIN)) {
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n > 0) {
        int camBaud;
        uint64_t t;
        {
          std::lock_guard<std::mutex> lock(ioMutex_);
          camBaud = baud_;
          if (!firstInNs_) firstInNs_ = now;
          stats_.bytesIn += static_cast<uint64_t>(n);
          stats_.modelledSeconds += 10.0 * static_cast<double>(n) / camBaud;
          t = std::max(now, rxFreeNs_);
        }
        const int host = options_.checkHostSpeed ? HostBaud() : camBaud;
        const bool garbled = host > 0 && host != camBaud;
        if (garbled)
          t += static_cast<uint64_t>(n) * (options_.pace ? 10ull * 1000000000ull / camBaud : 0);
        const uint64_t byteNs = options_.pace ? 10ull * 1000000000ull / camBaud : 0;
        std::string line;
        // Bytes sent at another speed arrive with framing errors; the camera
        // drops them and the line they fell into.
        if (garbled) interpreter_.DropPartial();
        for (ssize_t i = 0; i < n && !garbled; ++i) {
          t += byteNs;
          const unsigned char b = static_cast<unsigned char>(buffer[i]);
          bool overflowed = false;
          if (interpreter_.Assemble(static_cast<char>(b), line, overflowed)) {
            // A line ended by CR is answered once the LF that follows it has
            // crossed the wire too, so that the modelled time is a true lower bound.
            OnLine(line, b == '\r' ? t + byteNs : t);
            if (master_ < 0) break;  // hung up
          } else if (overflowed) {
            Enqueue({err::kOverflow}, t, 0, true);
          }
        }
        {
          std::lock_guard<std::mutex> lock(ioMutex_);
          rxFreeNs_ = t;
        }
        lastByteNs_ = now;
      }
    } else if (master_ >= 0 && (fds[1].revents & (POLLHUP | POLLERR))) {
      ::usleep(1000);  // nobody holds the slave open for a moment
    }
    now = NowNs();
    Flush(now);
    if (options_.unsolicitedEveryMs > 0 && now >= nextUnsolicitedNs_) {
      Enqueue({options_.unsolicitedText}, now, 0, false);
      nextUnsolicitedNs_ = now + static_cast<uint64_t>(options_.unsolicitedEveryMs) * kMs;
    }
    if (interpreter_.HasPartial() && now >= lastByteNs_ + kPartialLineNs)
      interpreter_.DropPartial();
    if (dirty_ && !options_.statePath.empty() && now >= lastByteNs_ + kSaveIdleNs) SaveState();
  }
}

}  // namespace kestrel::sim
