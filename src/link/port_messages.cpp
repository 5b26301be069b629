#include "link/port_messages.h"

#include <grp.h>
#include <sys/stat.h>

#include <cstring>

#include "link/port_list.h"

namespace kestrel {

namespace {

std::string GroupOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0)
    if (const group* g = ::getgrgid(st.st_gid)) return g->gr_name;
  return "dialout";
}

std::string PresentPorts(const std::string& root) {
  const auto ports = ListSerialPorts(root);
  if (ports.empty()) return "No serial device is present; check that the adapter is plugged in.";
  std::string text = "Serial devices present:";
  for (const SerialPortInfo& p : ports) {
    text += "\n  " + p.path;
    if (p.device != p.path) text += " (" + p.device + ")";
  }
  return text;
}

}  // namespace

std::string DescribeOpenError(const std::string& path, const PortOpenError& error,
                              const std::string& root) {
  using Kind = PortOpenError::Kind;
  const std::string reason = " (" + std::string(std::strerror(error.error)) + ")";
  switch (error.kind) {
    case Kind::NoDevice:
      return "no such device: " + path + reason + ".\n" + PresentPorts(root);
    case Kind::Permission: {
      const std::string group = GroupOf(path);
      return "permission denied: " + path + reason + ".\nJoin the group that owns the port (" +
             group + "): sudo usermod -aG " + group + " $USER, then log in again.";
    }
    case Kind::Busy:
      return path + " is busy: " +
             (error.holderPid > 0 ? "it is in use by " + DescribeProcess(error.holderPid)
                                  : std::string("another program has it open")) +
             ".\nClose that program or choose another port.";
    case Kind::NotSerial:
      return path + " is not a serial port" + reason + ".";
    case Kind::None:
    case Kind::Other:
      break;
  }
  return "cannot open " + path + reason + ".";
}

std::string DisconnectedText(const std::string& where, const std::string& detail) {
  return "The camera or its adapter was disconnected (" + where + ": " + detail +
         ").\nCheck the cable and the adapter.";
}

}  // namespace kestrel
