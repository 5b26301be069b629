#include "link/net_port.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "link/port_messages.h"

namespace kestrel {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kTcp = "tcp://";
constexpr const char* kRfc2217 = "rfc2217://";
// How long a connection or a relay's confirmation may take beyond the round
// trip; a relay answers at once.
constexpr int kConnectMs = 3000;
constexpr int kConfirmMs = 2000;
constexpr int kWriteTimeoutMs = 20000;

bool StartsWith(const std::string& text, const char* prefix) {
  return text.rfind(prefix, 0) == 0;
}

int MillisecondsSince(Clock::time_point start) {
  return static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

}  // namespace

bool IsNetworkPort(const std::string& name) {
  return StartsWith(name, kTcp) || StartsWith(name, kRfc2217);
}

std::string ParseNetAddress(const std::string& name, NetAddress& out) {
  out = NetAddress{};
  std::string rest;
  if (StartsWith(name, kTcp)) {
    rest = name.substr(std::strlen(kTcp));
  } else if (StartsWith(name, kRfc2217)) {
    out.comPort = true;
    rest = name.substr(std::strlen(kRfc2217));
  } else {
    return name + " is not a network port (tcp://HOST:PORT or rfc2217://HOST:PORT)";
  }
  size_t colon;
  if (!rest.empty() && rest[0] == '[') {
    const size_t close = rest.find(']');
    if (close == std::string::npos) return name + ": the IPv6 address has no closing ]";
    out.host = rest.substr(1, close - 1);
    colon = close + 1;
    if (colon >= rest.size() || rest[colon] != ':') colon = std::string::npos;
  } else {
    colon = rest.rfind(':');
    if (colon != std::string::npos) out.host = rest.substr(0, colon);
  }
  if (colon == std::string::npos) return name + " names no port (HOST:PORT)";
  out.port = rest.substr(colon + 1);
  if (out.host.empty()) return name + " names no host (HOST:PORT)";
  int number = 0;
  for (char c : out.port) {
    if (c < '0' || c > '9' || number > 65535) return name + ": the port is a number 1 to 65535";
    number = number * 10 + (c - '0');
  }
  if (out.port.empty() || number < 1 || number > 65535)
    return name + ": the port is a number 1 to 65535";
  return {};
}

// ---------------------------------------------------------------- Telnet

std::string TelnetComPort::Escape(const uint8_t* bytes, int count) {
  std::string out;
  out.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    out.push_back(static_cast<char>(bytes[i]));
    if (bytes[i] == kIac) out.push_back(static_cast<char>(kIac));
  }
  return out;
}

std::string TelnetComPort::Greeting() {
  const uint8_t g[] = {kIac, kWill, kBinary,          kIac, kDo, kBinary,
                       kIac, kWill, kSuppressGoAhead, kIac, kDo, kSuppressGoAhead,
                       kIac, kWill, kComPortOption};
  return std::string(reinterpret_cast<const char*>(g), sizeof g);
}

std::string TelnetComPort::Command(uint8_t command, uint32_t value, int size) {
  std::string out{static_cast<char>(kIac), static_cast<char>(kSb),
                  static_cast<char>(kComPortOption), static_cast<char>(command)};
  for (int shift = 8 * (size - 1); shift >= 0; shift -= 8) {
    const auto byte = static_cast<uint8_t>(value >> shift);
    out.push_back(static_cast<char>(byte));
    if (byte == kIac) out.push_back(static_cast<char>(kIac));
  }
  out.push_back(static_cast<char>(kIac));
  out.push_back(static_cast<char>(kSe));
  return out;
}

std::string TelnetComPort::LineSettings(int baud) {
  // Data size 8, parity 1 (none), stop size 1 (one bit), control 1 (no flow control).
  return Command(kSetBaudRate, static_cast<uint32_t>(baud), 4) + Command(kSetDataSize, 8, 1) +
         Command(kSetParity, 1, 1) + Command(kSetStopSize, 1, 1) + Command(kSetControl, 1, 1);
}

void TelnetComPort::Feed(const uint8_t* bytes, int count, std::string& data, std::string& reply) {
  for (int i = 0; i < count; ++i) {
    const uint8_t b = bytes[i];
    switch (state_) {
      case State::Data:
        if (b == kIac)
          state_ = State::Iac;
        else
          data.push_back(static_cast<char>(b));
        break;
      case State::Iac:
        if (b == kIac) {
          data.push_back(static_cast<char>(b));
          state_ = State::Data;
        } else if (b == kSb) {
          sub_.clear();
          state_ = State::Sub;
        } else if (b >= kWill) {
          verb_ = b;
          state_ = State::Verb;
        } else {
          state_ = State::Data;  // NOP, GA and the like carry nothing for us
        }
        break;
      case State::Verb:
        Negotiate(verb_, b, reply);
        state_ = State::Data;
        break;
      case State::Sub:
        if (b == kIac)
          state_ = State::SubIac;
        else if (sub_.size() < 64)
          sub_.push_back(static_cast<char>(b));
        break;
      case State::SubIac:
        if (b == kIac) {
          if (sub_.size() < 64) sub_.push_back(static_cast<char>(b));
          state_ = State::Sub;
        } else {
          Subnegotiation();  // IAC SE, or a broken one ended by any other command
          state_ = State::Data;
        }
        break;
    }
  }
}

void TelnetComPort::Negotiate(uint8_t verb, uint8_t option, std::string& reply) {
  auto answer = [&](uint8_t v) {
    reply += {static_cast<char>(kIac), static_cast<char>(v), static_cast<char>(option)};
  };
  const bool wanted = option == kBinary || option == kSuppressGoAhead;
  switch (verb) {
    case kDo:
      if (option == kComPortOption) {
        comPort_ = 1;  // our WILL went out with the greeting
      } else if (wanted) {
        if (!weSaid_[option]) answer(kWill);
        weSaid_[option] = true;
      } else if (!theySaid_[option]) {
        answer(kWont);
        theySaid_[option] = true;
      }
      break;
    case kDont:
      if (option == kComPortOption) comPort_ = -1;
      break;
    case kWill:
      // Binary and no go-ahead from the relay too; anything else (an echo
      // above all) is declined.
      if (wanted) {
        if (!weSaid_[option]) answer(kDo);
        weSaid_[option] = true;
      } else if (!theySaid_[option]) {
        answer(kDont);
        theySaid_[option] = true;
      }
      break;
    default:  // WONT: the relay declines; nothing to answer
      break;
  }
}

void TelnetComPort::Subnegotiation() {
  if (sub_.size() < 2 || static_cast<uint8_t>(sub_[0]) != kComPortOption) return;
  const auto command = static_cast<uint8_t>(sub_[1]);
  if (command != kSetBaudRate + 100 || sub_.size() < 6) return;
  uint32_t baud = 0;
  for (size_t i = 2; i < 6; ++i)
    baud = (baud << 8) | static_cast<uint8_t>(sub_[i]);
  confirmedBaud_ = baud;
  ++confirmations_;
}

// ---------------------------------------------------------------- the port

NetPort::NetPort(std::string name) : name_(std::move(name)) {}

NetPort::~NetPort() {
  if (IsOpen()) Close();
}

int NetPort::Fail(FailureKind kind, const std::string& text) {
  openFailure_ = Failure(kind, text);
  return 0;
}

int NetPort::Connect() {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (const int r = ::getaddrinfo(address_.host.c_str(), address_.port.c_str(), &hints, &found);
      r != 0)
    return Fail(FailureKind::Lost, "cannot find the host " + address_.host + " of " + name_ + " (" +
                                       ::gai_strerror(r) + ").");
  int error = ECONNREFUSED;
  for (const addrinfo* a = found; a && fd_ < 0; a = a->ai_next) {
    const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
      error = errno;
      continue;
    }
    // The connection's set-up is one round trip: the first measure of the link.
    const auto start = Clock::now();
    int r = ::connect(fd, a->ai_addr, a->ai_addrlen);
    if (r != 0 && errno == EINPROGRESS) {
      pollfd p{fd, POLLOUT, 0};
      r = ::poll(&p, 1, kConnectMs);
      socklen_t size = sizeof error;
      if (r == 1 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0)
        r = 0;
      else if (r == 0)
        error = ETIMEDOUT, r = -1;
      else
        r = -1;
    } else if (r != 0) {
      error = errno;
    }
    if (r != 0) {
      ::close(fd);
      continue;
    }
    NoteRoundTrip(MillisecondsSince(start));
    fd_ = fd;
  }
  ::freeaddrinfo(found);
  if (fd_ < 0)
    return Fail(FailureKind::Lost, "cannot connect to " + name_ + " (" + std::strerror(error) +
                                       ").\nCheck that the relay runs on " + address_.host +
                                       " and listens on port " + address_.port + ".");
  const int on = 1;
  ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  // A relay that vanishes without closing (a host switched off, a cable
  // pulled) is noticed within about ten seconds of silence.
  const int idle = 5, interval = 2, count = 3;
  ::setsockopt(fd_, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
  ::setsockopt(fd_, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
  ::setsockopt(fd_, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
  ::setsockopt(fd_, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
  return 1;
}

void NetPort::NoteRoundTrip(int ms) {
  // The longest seen: a probe must wait for the slow case, not the average.
  if (ms > roundTripMs_.load()) roundTripMs_.store(ms);
}

int NetPort::Open(int baud) {
  if (IsOpen()) Close();
  openFailure_ = {};
  roundTripMs_.store(0);
  if (std::string why = ParseNetAddress(name_, address_); !why.empty())
    return Fail(FailureKind::BadInput, why);
  if (Connect() != 1) return 0;
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
    const int error = errno;
    Close();
    return Fail(FailureKind::Lost, "cannot open " + name_ + " (" + std::strerror(error) + ").");
  }
  wakeRead_ = pipeFds[0];
  wakeWrite_ = pipeFds[1];
  telnet_ = TelnetComPort{};
  stop_.store(false);
  lost_.store(false);
  lostError_.store(0);
  ring_.Reset();
  thread_ = std::thread(&NetPort::ReceiveLoop, this);
  if (!address_.comPort) return 1;
  if (!SendAll(TelnetComPort::Greeting()) || SetSpeed(baud) != 1) {
    const Failure why = openFailure_;
    Close();
    openFailure_ = why;
    return 0;
  }
  return 1;
}

int NetPort::SetSpeed(int baud) {
  if (!IsOpen()) return Fail(FailureKind::Lost, name_ + " is not open.");
  if (!address_.comPort) return 1;
  std::unique_lock<std::mutex> lock(mutex_);
  const int before = telnet_.Confirmations();
  const auto start = Clock::now();
  const std::string settings = TelnetComPort::LineSettings(baud);
  lock.unlock();
  if (!SendAll(settings))
    return Fail(FailureKind::Lost,
                "cannot reach " + name_ + " (" +
                    std::strerror(lostError_.load() ? lostError_.load() : EPIPE) + ").");
  lock.lock();
  // The relay confirms the speed once its line runs at it; a command sent
  // before would go out at the old one.
  const auto deadline = start + std::chrono::milliseconds(kConfirmMs + 2 * roundTripMs_.load());
  answered_.wait_until(lock, deadline, [&] {
    return telnet_.Confirmations() > before || telnet_.ComPortAnswer() < 0 || lost_.load();
  });
  if (telnet_.ComPortAnswer() < 0)
    return Fail(FailureKind::BadInput,
                name_ +
                    " refuses the COM port option of RFC 2217: it is a raw TCP port; name it "
                    "tcp://" +
                    name_.substr(std::strlen(kRfc2217)) + " and give the line's speed.");
  if (telnet_.Confirmations() == before)
    return Fail(FailureKind::Lost, name_ + " did not confirm the line speed of " +
                                       std::to_string(baud) + " bit/s (RFC 2217).");
  if (telnet_.ConfirmedBaud() != static_cast<uint32_t>(baud))
    return Fail(FailureKind::BadInput, name_ + " set its line to " +
                                           std::to_string(telnet_.ConfirmedBaud()) +
                                           " bit/s instead of " + std::to_string(baud) + ".");
  lock.unlock();
  NoteRoundTrip(MillisecondsSince(start));
  return 1;
}

bool NetPort::SendAll(const std::string& bytes) {
  if (fd_ < 0 || lost_.load()) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  const auto deadline = Clock::now() + std::chrono::milliseconds(kWriteTimeoutMs);
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) {
      const int left = -MillisecondsSince(deadline);
      if (left <= 0) {
        errno = ETIMEDOUT;
        return false;
      }
      pollfd p{fd_, POLLOUT, 0};
      ::poll(&p, 1, left);
      continue;
    }
    MarkLost(errno);  // reset or broken: the relay is gone
    return false;
  }
  return true;
}

int NetPort::Write(const uint8_t* bytes, int count) {
  if (address_.comPort) return SendAll(TelnetComPort::Escape(bytes, count)) ? 1 : 0;
  return SendAll(std::string(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count))) ? 1
                                                                                                : 0;
}

bool NetPort::Take(std::string& data, int& error) {
  uint8_t buffer[RxRing::kSize];
  for (;;) {
    const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n > 0) {
      if (!address_.comPort) {
        data.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(n));
        continue;
      }
      std::string reply;
      const int confirmations = telnet_.Confirmations();
      const int answer = telnet_.ComPortAnswer();
      telnet_.Feed(buffer, static_cast<int>(n), data, reply);
      if (!reply.empty()) ::send(fd_, reply.data(), reply.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
      if (telnet_.Confirmations() != confirmations || telnet_.ComPortAnswer() != answer)
        answered_.notify_all();
      continue;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return true;
    error = n < 0 ? errno : 0;
    return false;  // closed by the relay, or reset
  }
}

void NetPort::ReceiveLoop() {
  while (!stop_.load()) {
    pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (stop_.load() || fds[1].revents != 0) break;
    std::string data;
    int error = 0;
    bool open;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      open = Take(data, error);
    }
    for (size_t at = 0; at < data.size();) {
      at += static_cast<size_t>(ring_.Push(reinterpret_cast<const uint8_t*>(data.data()) + at,
                                           static_cast<int>(data.size() - at)));
      if (at < data.size() && !ring_.WaitForRoom()) return;
    }
    if (!open) {
      MarkLost(error);
      std::lock_guard<std::mutex> lock(mutex_);
      answered_.notify_all();
      break;
    }
  }
}

void NetPort::MarkLost(int error) {
  lostError_.store(error);
  lost_.store(true);
  ring_.Interrupt();
}

int NetPort::Read(uint8_t* dst, int count, int timeoutMs) {
  return ReadFromRing(ring_, lost_, dst, count, timeoutMs);
}

std::string NetPort::DiscardInput() {
  std::string discarded;
  if (fd_ < 0) return discarded;
  std::lock_guard<std::mutex> lock(mutex_);
  uint8_t buffer[RxRing::kSize];
  for (int n; (n = ring_.Read(buffer, RxRing::kSize)) > 0;)
    discarded.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(n));
  // What is still in the socket belongs to the past too; a loss shows at
  // the next read.
  int error = 0;
  if (!lost_.load()) Take(discarded, error);
  return discarded;
}

std::string NetPort::LostText() const {
  const int error = lostError_.load();
  return DisconnectedText(name_,
                          error != 0 ? std::strerror(error) : "the relay closed the connection");
}

int NetPort::Close() {
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
