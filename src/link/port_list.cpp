#include "link/port_list.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <set>

namespace kestrel {

namespace {

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* e = ::readdir(dir))
      if (e->d_name[0] != '.') names.emplace_back(e->d_name);
    ::closedir(dir);
  }
  // Natural order, so ttyUSB2 comes before ttyUSB10.
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
  });
  return names;
}

bool HasPrefix(const std::string& s, const char* prefix) {
  return s.rfind(prefix, 0) == 0;
}

// A ttyS node only stands for a port when a UART answers behind it.
bool UartPresent(const std::string& root, const std::string& name) {
  std::ifstream type(root + "/sys/class/tty/" + name + "/type");
  int value = 0;
  if (type >> value) return value != 0;
  const int fd =
      ::open((root + "/dev/" + name).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  serial_struct info{};
  const bool present = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
  ::close(fd);
  return present;
}

std::string Resolved(const std::string& path) {
  char buffer[PATH_MAX];
  return ::realpath(path.c_str(), buffer) ? std::string(buffer) : std::string();
}

}  // namespace

std::vector<SerialPortInfo> ListSerialPorts(const std::string& root) {
  std::vector<SerialPortInfo> ports;
  std::set<std::string> seen;
  const std::string byId = root + "/dev/serial/by-id";
  for (const std::string& name : Entries(byId)) {
    const std::string device = Resolved(byId + "/" + name);
    if (device.empty() || !seen.insert(device).second) continue;
    ports.push_back({"/dev/serial/by-id/" + name, "/dev/" + device.substr(device.rfind('/') + 1)});
  }
  for (const std::string& name : Entries(root + "/dev")) {
    const bool usb = HasPrefix(name, "ttyUSB") || HasPrefix(name, "ttyACM");
    if (!usb && !(HasPrefix(name, "ttyS") && UartPresent(root, name))) continue;
    const std::string device = Resolved(root + "/dev/" + name);
    if (!device.empty() && !seen.insert(device).second) continue;
    ports.push_back({"/dev/" + name, "/dev/" + name});
  }
  return ports;
}

}  // namespace kestrel
