#include "fake_camera.h"

#include <termios.h>

namespace kestrel::testing {

namespace {

int PortBaud(int masterFd) {
  termios tio{};
  if (::tcgetattr(masterFd, &tio) != 0) return 0;
  switch (::cfgetospeed(&tio)) {
    case B9600:
      return 9600;
    case B19200:
      return 19200;
    case B38400:
      return 38400;
    case B57600:
      return 57600;
    case B115200:
      return 115200;
    default:
      return 0;
  }
}

}  // namespace

FakeCamera::FakeCamera(int baud)
    : baud_(baud), peer_([this](const std::string& line) { return Handle(line); }) {}

void FakeCamera::Set(const std::string& key, const std::string& value) {
  std::lock_guard lock(mutex_);
  values_[key] = value;
}

std::string FakeCamera::Get(const std::string& key) const {
  std::lock_guard lock(mutex_);
  auto it = values_.find(key);
  return it == values_.end() ? std::string() : it->second;
}

void FakeCamera::Reject(const std::string& name) {
  std::lock_guard lock(mutex_);
  rejected_.insert(name);
}

void FakeCamera::Silence(bool silent) {
  std::lock_guard lock(mutex_);
  silent_ = silent;
}

int FakeCamera::Baud() const {
  std::lock_guard lock(mutex_);
  return baud_;
}

std::vector<std::string> FakeCamera::Sets() const {
  std::vector<std::string> out;
  std::vector<std::string> lines = peer_.Lines();
  for (size_t i = historyStart_; i < lines.size(); ++i)
    if (lines[i].find('=') != std::string::npos) out.push_back(lines[i]);
  return out;
}

std::vector<std::string> FakeCamera::Queries() const {
  std::vector<std::string> out;
  std::vector<std::string> lines = peer_.Lines();
  for (size_t i = historyStart_; i < lines.size(); ++i)
    if (lines[i].find('?') != std::string::npos) out.push_back(lines[i]);
  return out;
}

void FakeCamera::ClearHistory() {
  historyStart_ = peer_.Lines().size();
}

std::string FakeCamera::Handle(const std::string& line) {
  std::lock_guard lock(mutex_);
  if (silent_) return {};
  if (baud_ != 0 && PortBaud(peer_.MasterFd()) != baud_) return "\x86\xf8\x1e";
  if (size_t eq = line.find('='); eq != std::string::npos) {
    const std::string name = line.substr(0, eq);
    std::string value = line.substr(eq + 1);
    if (rejected_.count(name)) return "ERROR\r\n";
    std::string key = name;
    if (size_t comma = value.find(','); comma != std::string::npos) {
      key += "," + value.substr(0, comma);
      value = value.substr(comma + 1);
    }
    values_[key] = value;
    // The camera changes speed once it has acknowledged the switch.
    if (name == "CBDRT" && value == "16") baud_ = 115200;
    return "COMPLETE\r\n";
  }
  if (size_t q = line.find('?'); q != std::string::npos) {
    const std::string name = line.substr(0, q);
    std::string key = name;
    if (q + 1 < line.size()) key += "," + line.substr(q + 1);
    auto it = values_.find(key);
    return name + "=" + (it == values_.end() ? "0" : it->second) + "\r\n";
  }
  return "ERROR\r\n";
}

}  // namespace kestrel::testing
