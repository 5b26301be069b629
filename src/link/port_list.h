#pragma once

#include <string>
#include <vector>

namespace kestrel {

struct SerialPortInfo {
  std::string path;    // what to open and remember: the stable by-id name where there is one
  std::string device;  // the kernel's device node it stands for
};

// The serial devices present: /dev/serial/by-id/* first (stable across
// replugging), then ttyUSB*, ttyACM* and the ttyS* ports that have a UART
// behind them (sysfs "type", else TIOCGSERIAL), each device once. root
// prefixes /dev and /sys (tests build a tree of their own).
std::vector<SerialPortInfo> ListSerialPorts(const std::string& root = {});

}  // namespace kestrel
