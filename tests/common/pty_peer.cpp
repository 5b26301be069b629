#include "common/pty_peer.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

namespace kestrel::testing {

PtyPeer::PtyPeer(Handler handler) : handler_(std::move(handler)) {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
    throw std::runtime_error("no pseudo-terminal");
  slavePath_ = ::ptsname(master_);
  // Hold the slave open so the master never sees a hang-up between the
  // program's opens, and make the line raw from the start.
  keepSlave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios tio{};
  ::tcgetattr(keepSlave_, &tio);
  ::cfmakeraw(&tio);
  ::tcsetattr(keepSlave_, TCSANOW, &tio);
  if (::pipe2(wake_, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
  thread_ = std::thread(&PtyPeer::Run, this);
}

PtyPeer::~PtyPeer() {
  char b = 1;
  [[maybe_unused]] ssize_t n = ::write(wake_[1], &b, 1);
  thread_.join();
  HangUp();
  if (keepSlave_ >= 0) ::close(keepSlave_);
  ::close(wake_[0]);
  ::close(wake_[1]);
}

void PtyPeer::SetHandler(Handler handler) {
  std::lock_guard<std::mutex> lock(mutex_);
  handler_ = std::move(handler);
}

void PtyPeer::Send(const std::string& bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (master_ < 0) return;
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
}

std::vector<std::string> PtyPeer::Lines() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lines_;
}

std::string PtyPeer::Bytes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return bytes_;
}

void PtyPeer::HangUp() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (master_ >= 0) ::close(master_);
  master_ = -1;
  if (keepSlave_ >= 0) ::close(keepSlave_);
  keepSlave_ = -1;
}

void PtyPeer::Run() {
  char buffer[4096];
  for (;;) {
    int fd;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      fd = master_;
    }
    pollfd fds[2] = {{fd, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    int r = ::poll(fds, 2, fd >= 0 ? -1 : 20);
    if (r < 0 && errno == EINTR) continue;
    if (fds[1].revents) return;
    if (fd < 0 || !(fds[0].revents & POLLIN)) {
      if (fd >= 0 && (fds[0].revents & (POLLHUP | POLLERR)))
        ::usleep(1000);  // no slave open at the moment
      continue;
    }
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) continue;
    std::vector<std::string> complete;
    Handler handler;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      bytes_.append(buffer, static_cast<size_t>(n));
      for (ssize_t i = 0; i < n; ++i) {
        if (buffer[i] == '\n') {
          if (!partial_.empty() && partial_.back() == '\r') partial_.pop_back();
          lines_.push_back(partial_);
          complete.push_back(partial_);
          partial_.clear();
        } else {
          partial_.push_back(buffer[i]);
        }
      }
      handler = handler_;
    }
    for (const std::string& line : complete)
      if (handler) Send(handler(line));
  }
}

}  // namespace kestrel::testing
