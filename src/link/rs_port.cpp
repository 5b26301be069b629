#include "link/rs_port.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "link/line_speed.h"
#include "link/port_messages.h"

namespace kestrel {

namespace {

constexpr int kWriteTimeoutMs = 20000;

// One byte's time on the line: start bit, eight data bits, stop bit.
int64_t ByteNs(int baud) {
  return baud > 0 ? 10'000'000'000LL / baud : 1'000'000;
}

// Switches the driver's low-latency flag; true when it changed. Drivers
// without the flag (pseudo-terminals, some adapters) refuse, which is fine.
bool SetLowLatency(int fd, bool on) {
  serial_struct serial{};
  if (::ioctl(fd, TIOCGSERIAL, &serial) != 0) return false;
  if (((serial.flags & ASYNC_LOW_LATENCY) != 0) == on) return false;
  serial.flags = on ? serial.flags | ASYNC_LOW_LATENCY : serial.flags & ~ASYNC_LOW_LATENCY;
  return ::ioctl(fd, TIOCSSERIAL, &serial) == 0;
}

tcflag_t SizeOf(int byteSize) {
  switch (byteSize) {
    case 5:
      return CS5;
    case 6:
      return CS6;
    case 7:
      return CS7;
    default:
      return CS8;
  }
}

}  // namespace

CRsPort::CRsPort(std::string portName) : name_(std::move(portName)) {}

CRsPort::~CRsPort() {
  if (IsOpen()) Close();
}

std::string CRsPort::DevicePath(const std::string& portName) {
  if (portName.size() > 3 && portName.compare(0, 3, "COM") == 0) {
    char* end = nullptr;
    long n = std::strtol(portName.c_str() + 3, &end, 10);
    if (*end == '\0' && n >= 1 && n <= 256) return "/dev/ttyS" + std::to_string(n - 1);
  }
  return portName;
}

int CRsPort::Fail(int fd, PortOpenError::Kind kind, int error) {
  lastError_.kind = kind;
  lastError_.error = error;
  lock_.Release();
  if (fd >= 0) {
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
  }
  return 0;
}

int CRsPort::Open(const std::string& portName, int baud, int byteSize, int stopBits,
                  int softwareFlow, int parityCheck) {
  // A second open would leave the receive thread of the first running.
  if (IsOpen()) Close();
  using Kind = PortOpenError::Kind;
  lastError_ = PortOpenError{};
  const std::string path = DevicePath(portName);
  path_ = path;
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    switch (error) {
      case ENOENT:
      case ENODEV:
      case ENXIO:
        return Fail(-1, Kind::NoDevice, error);
      case EACCES:
      case EPERM:
        return Fail(-1, Kind::Permission, error);
      case EBUSY:
        // Held with TIOCEXCL: the lock file or the flock names the holder.
        if (lock_.Acquire(path) == PortLock::Result::Busy)
          lastError_.holderPid = lock_.HolderPid();
        else
          lastError_.holderPid = FlockHolder(path);
        return Fail(-1, Kind::Busy, error);
      default:
        return Fail(-1, Kind::Other, error);
    }
  }
  // Exclusive use: another process holding the port (or opening it later) is
  // refused, whichever of the three conventions it honours.
  if (lock_.Acquire(path) == PortLock::Result::Busy) {
    lastError_.holderPid = lock_.HolderPid();
    ::close(fd);
    return Fail(-1, Kind::Busy, EBUSY);
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    lastError_.holderPid = FlockHolder(path);
    ::close(fd);
    return Fail(-1, Kind::Busy, error);
  }

  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) return Fail(fd, Kind::NotSerial, errno);
  ::ioctl(fd, TIOCEXCL);
  ::cfmakeraw(&tio);
  tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= SizeOf(byteSize) | CLOCAL | CREAD;
  if (stopBits != 0) tio.c_cflag |= CSTOPB;
  tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
  if (softwareFlow == 1) tio.c_iflag |= IXON | IXOFF;
  if (parityCheck & 1) tio.c_iflag |= INPCK;
  tio.c_cc[VSTART] = 0x13;
  tio.c_cc[VSTOP] = 0x11;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  speed_t speed = TerminalSpeed(baud);
  if (speed == B0 || ::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0)
    return Fail(fd, Kind::Other, EINVAL);
  if (::tcsetattr(fd, TCSANOW, &tio) != 0) return Fail(fd, Kind::Other, errno);
  byteNs_ = ByteNs(baud);

  // A USB adapter holds a short reply until its latency timer runs out (16 ms
  // on FTDI chips: over ten exchanges' worth of line time at 115200 bit/s)
  // unless the port asks for low latency; Close puts the flag back.
  lowLatencySet_ = SetLowLatency(fd, true);

  // Raise DTR. Devices without modem lines (pseudo-terminals) refuse; that is fine.
  int dtr = TIOCM_DTR;
  ::ioctl(fd, TIOCMBIS, &dtr);

  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return Fail(fd, Kind::Other, errno);
  const int signal = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (signal < 0) {
    const int error = errno;
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    return Fail(fd, Kind::Other, error);
  }

  fd_ = fd;
  wakeRead_ = pipeFds[0];
  wakeWrite_ = pipeFds[1];
  readerSignal_ = signal;
  stop_.store(false);
  lost_.store(false);
  lostError_.store(0);
  ring_.Reset();
  thread_ = std::thread(&CRsPort::ReceiveLoop, this);
  return 1;
}

void CRsPort::MarkLost(int error) {
  lostError_.store(error);
  lost_.store(true);
  // A reader asleep learns of it now, not at its time-out.
  ring_.Interrupt();
  SignalReader();
}

void CRsPort::SignalReader() {
  const uint64_t one = 1;
  [[maybe_unused]] ssize_t n = ::write(readerSignal_, &one, sizeof one);
}

long CRsPort::TakeFromDriver(int& error) {
  uint8_t buffer[RxRing::kSize];
  // Read and store under the lock, so that DiscardInput never misses bytes
  // that are on their way from the driver to the ring, and the receive thread
  // and a reader taking bytes themselves store them one after the other.
  std::lock_guard<std::mutex> lock(portMutex_);
  // The room is taken under the lock: the other side may have stored bytes.
  const int room = ring_.Room();
  if (room <= 0) {
    error = EAGAIN;
    return -1;
  }
  const ssize_t n = ::read(fd_, buffer, static_cast<size_t>(room));
  error = n < 0 ? errno : 0;
  if (n > 0) {
    ring_.Push(buffer, static_cast<int>(n));
    // Under the same lock as the reader's last look at the ring: either it
    // saw these bytes or it is asleep and gets the signal.
    if (readerSleeping_.load()) SignalReader();
  }
  return static_cast<long>(n);
}

void CRsPort::ReceiveLoop() {
  while (!stop_.load()) {
    pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    int r = ::poll(fds, 2, -1);
    if (r < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (stop_.load() || fds[1].revents != 0) break;
    if (fds[0].revents & POLLIN) {
      if (ring_.Room() == 0) {
        // Leave the rest in the driver's queue until the reader makes room.
        if (!ring_.WaitForRoom()) break;
        continue;
      }
      int error = 0;
      const long n = TakeFromDriver(error);
      if (n > 0) continue;
      if (n < 0 && (error == EAGAIN || error == EINTR)) continue;
      // With VMIN and VTIME at 0 an empty queue reads as 0 bytes: DiscardInput
      // took what poll reported. Only with the hang-up flag is it the end.
      if (n == 0 && !(fds[0].revents & (POLLHUP | POLLERR))) continue;
      // End of file or a read error: the device went away. A read racing the
      // other end's close gives EIO; with the hang-up flag seen, that is the reason.
      MarkLost(fds[0].revents & POLLHUP ? 0 : error);
      break;
    }
    if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
      MarkLost(0);
      break;
    }
  }
}

std::string CRsPort::DiscardInput() {
  std::string discarded;
  if (fd_ < 0) return discarded;
  std::lock_guard<std::mutex> lock(portMutex_);
  uint8_t buffer[RxRing::kSize];
  for (int n; (n = ring_.Read(buffer, RxRing::kSize)) > 0;)
    discarded.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(n));
  int queued = 0;
  if (!lost_.load() && ::ioctl(fd_, FIONREAD, &queued) == 0 && queued > 0) {
    // What the driver holds is read rather than only flushed, so the log can
    // show it; the flush then takes whatever came in meanwhile.
    for (ssize_t n; (n = ::read(fd_, buffer, sizeof buffer)) > 0;)
      discarded.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(n));
    ::tcflush(fd_, TCIFLUSH);
  }
  return discarded;
}

int CRsPort::Read(uint8_t* dst, int count, int timeoutMs) {
  return ReadFromRing(ring_, lost_, dst, count, timeoutMs, [this](int ms) { WaitForBytes(ms); });
}

void CRsPort::WaitForBytes(int timeoutMs) {
  // The reader sleeps on the port as well as on the receive thread's signal
  // and takes a reply from the driver itself: the kernel wakes it directly,
  // one hand-over fewer per exchange, which counts most on a busy machine.
  {
    std::lock_guard<std::mutex> lock(portMutex_);
    if (ring_.Count() > 0 || lost_.load()) return;
    readerSleeping_.store(true);
  }
  pollfd fds[2] = {{fd_, POLLIN, 0}, {readerSignal_, POLLIN, 0}};
  const int r = ::poll(fds, 2, timeoutMs);
  readerSleeping_.store(false);
  if (r <= 0) return;
  if (fds[1].revents & POLLIN) {
    uint64_t count;
    [[maybe_unused]] ssize_t n = ::read(readerSignal_, &count, sizeof count);
  }
  if (fds[0].revents & POLLIN) {
    int error = 0;
    TakeFromDriver(error);  // an empty read: the receive thread was first
  } else if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
    // The receive thread reports the loss; wait for that rather than spin.
    ring_.WaitForData(timeoutMs);
  }
}

int CRsPort::SetSpeed(int baud) {
  termios tio{};
  const speed_t speed = TerminalSpeed(baud);
  // The hardware may still be sending the last two bytes written (one in its
  // buffer, one on the line): they leave at the old speed.
  if (fd_ >= 0) std::this_thread::sleep_for(2 * std::chrono::nanoseconds(byteNs_));
  if (fd_ < 0 || ::tcgetattr(fd_, &tio) != 0 || speed == B0 || ::cfsetispeed(&tio, speed) != 0 ||
      ::cfsetospeed(&tio, speed) != 0 || ::tcsetattr(fd_, TCSANOW, &tio) != 0) {
    lastError_ = PortOpenError{PortOpenError::Kind::Other, fd_ < 0 ? EBADF : EINVAL, 0};
    return 0;
  }
  byteNs_ = ByteNs(baud);
  return 1;
}

std::string CRsPort::LostText() const {
  const int error = lostError_.load();
  return DisconnectedText(path_, error != 0 ? std::strerror(error) : "hung up");
}

Failure CRsPort::OpenFailure() const {
  return Failure(FailureKind::Lost, DescribeOpenError(path_, lastError_));
}

int CRsPort::Write(const uint8_t* bytes, int count) {
  if (fd_ < 0) return 0;
  std::lock_guard<std::mutex> lock(portMutex_);
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kWriteTimeoutMs);
  // One byte at a time, each handed to the driver and taken by the hardware
  // before the next: this paces the camera's serial input.
  for (int i = 0; i < count; ++i) {
    for (;;) {
      ssize_t n = ::write(fd_, bytes + i, 1);
      if (n == 1) break;
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno == EAGAIN) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        if (left <= 0) {
          errno = ETIMEDOUT;
          return 0;
        }
        pollfd p{fd_, POLLOUT, 0};
        ::poll(&p, 1, static_cast<int>(left));
        continue;
      }
      return 0;  // EIO and the like: the bytes did not go out; errno says why
    }
    if (!WaitUntilTaken(deadline)) {
      errno = ETIMEDOUT;
      return 0;
    }
  }
  return 1;
}

bool CRsPort::WaitUntilTaken(std::chrono::steady_clock::time_point deadline) {
  // tcdrain() would wait for the byte to leave the shift register, but a
  // serial driver checks that in steps of a whole kernel tick (4 ms at the
  // usual 250 Hz): forty byte times or more at 115200 bit/s for every byte. The
  // driver's own queue empties as soon as the hardware has the byte, so it
  // is watched instead, at the pace one byte takes on the line.
  for (;;) {
    int queued = 0;
    if (::ioctl(fd_, TIOCOUTQ, &queued) != 0) {
      ::tcdrain(fd_);  // a device that cannot tell
      return true;
    }
    if (queued <= 0) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::nanoseconds(byteNs_));
  }
}

int CRsPort::Close() {
  stop_.store(true);
  if (wakeWrite_ >= 0) {
    const uint8_t b = 1;
    [[maybe_unused]] ssize_t n = ::write(wakeWrite_, &b, 1);
  }
  ring_.Interrupt();
  if (readerSignal_ >= 0) SignalReader();
  if (thread_.joinable()) thread_.join();
  if (fd_ >= 0) {
    // Let the next program (or our own next open) have the port as it was.
    if (lowLatencySet_) SetLowLatency(fd_, false);
    lowLatencySet_ = false;
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
  }
  lock_.Release();
  if (wakeRead_ >= 0) ::close(wakeRead_);
  if (wakeWrite_ >= 0) ::close(wakeWrite_);
  if (readerSignal_ >= 0) ::close(readerSignal_);
  fd_ = wakeRead_ = wakeWrite_ = readerSignal_ = -1;
  return 1;
}

}  // namespace kestrel
