#pragma once

#include <string>

#include "link/rs_port.h"

namespace kestrel {

// What to tell the person at the machine when a port cannot be opened: the
// cause and the cure. "permission denied: /dev/ttyUSB0 (...)" names the group
// to join; "no such device" lists the serial devices that do exist; "busy"
// names the program holding the port when it can be known. root prefixes /dev
// and /sys for the device list (tests).
std::string DescribeOpenError(const std::string& path, const PortOpenError& error,
                              const std::string& root = {});

// The message of a transaction on a link whose device went away; detail is
// the system's word on it ("Input/output error", "hung up").
std::string DisconnectedText(const std::string& where, const std::string& detail);

}  // namespace kestrel
