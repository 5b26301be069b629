#include "link/rs_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>

namespace kestrel {

namespace {

constexpr int kWriteTimeoutMs = 20000;

speed_t SpeedOf(int baud) {
  switch (baud) {
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    case 230400:
      return B230400;
    case 460800:
      return B460800;
    case 921600:
      return B921600;
    default:
      return B0;
  }
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

CRsPort::CRsPort() = default;

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

int CRsPort::Open(const std::string& portName, int baud, int byteSize, int stopBits,
                  int softwareFlow, int parityCheck) {
  const std::string path = DevicePath(portName);
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return 0;

  auto fail = [fd] {
    ::close(fd);
    return 0;
  };
  // Exclusive use: another process holding the port (or opening it later) is refused.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return fail();
  ::ioctl(fd, TIOCEXCL);

  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) return fail();
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
  speed_t speed = SpeedOf(baud);
  if (speed == B0 || ::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0)
    return fail();
  if (::tcsetattr(fd, TCSANOW, &tio) != 0) return fail();

  // Raise DTR. Devices without modem lines (pseudo-terminals) refuse; that is fine.
  int dtr = TIOCM_DTR;
  ::ioctl(fd, TIOCMBIS, &dtr);

  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return fail();

  fd_ = fd;
  wakeRead_ = pipeFds[0];
  wakeWrite_ = pipeFds[1];
  stop_.store(false);
  lost_.store(false);
  ring_.Reset();
  thread_ = std::thread(&CRsPort::ReceiveLoop, this);
  return 1;
}

void CRsPort::ReceiveLoop() {
  uint8_t buffer[RxRing::kSize];
  while (!stop_.load()) {
    pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    int r = ::poll(fds, 2, -1);
    if (r < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (stop_.load() || fds[1].revents != 0) break;
    if (fds[0].revents & POLLIN) {
      int room = ring_.Room();
      if (room == 0) {
        // Leave the rest in the driver's queue until the reader makes room.
        if (!ring_.WaitForRoom()) break;
        continue;
      }
      ssize_t n;
      {
        std::lock_guard<std::mutex> lock(portMutex_);
        n = ::read(fd_, buffer, static_cast<size_t>(room));
      }
      if (n > 0) {
        ring_.Push(buffer, static_cast<int>(n));
        continue;
      }
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      lost_.store(true);  // end of file or a read error: the device went away
      break;
    }
    if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
      lost_.store(true);
      break;
    }
  }
}

int CRsPort::Write(const uint8_t* bytes, int count) {
  if (fd_ < 0) return 0;
  std::lock_guard<std::mutex> lock(portMutex_);
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kWriteTimeoutMs);
  // One byte at a time, each handed to the driver and drained before the next:
  // this paces the camera's serial input.
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
    ::tcdrain(fd_);
  }
  return 1;
}

int CRsPort::Close() {
  stop_.store(true);
  if (wakeWrite_ >= 0) {
    const uint8_t b = 1;
    [[maybe_unused]] ssize_t n = ::write(wakeWrite_, &b, 1);
  }
  ring_.Interrupt();
  if (thread_.joinable()) thread_.join();
  if (fd_ >= 0) ::close(fd_);
  if (wakeRead_ >= 0) ::close(wakeRead_);
  if (wakeWrite_ >= 0) ::close(wakeWrite_);
  fd_ = wakeRead_ = wakeWrite_ = -1;
  return 1;
}

}  // namespace kestrel
