#include "panel/comm_select.h"

#include <algorithm>

#include "link/port_list.h"

namespace kestrel {

namespace {
constexpr int kComPorts = 16;
constexpr int kProbeTimeoutMs = 1000;
}  // namespace

int NormalShutdownAtStart(Settings& settings, int storedValue) {
  settings.normalShutdown = storedValue;
  if (storedValue != 1) settings.serialMode = 0;
  return 0;
}

int AutoSearchPort(CCamCmd& cmd) {
  Settings& s = cmd.Config();
  if (s.serialMode != 0) return -1;
  cmd.ClosePort();
  for (int port = 0; port < kComPorts; ++port) {
    if (cmd.OpenPort(port) != 1) continue;
    ParamValue v;
    if (cmd.QueryValue(cmd::MD, v, kProbeTimeoutMs) == 1) {
      cmd.Ui().SetLinkState(1);
      s.commPort = port;
      s.commDevice.clear();
      return port;
    }
    cmd.ClosePort();
  }
  cmd.Ui().SetLinkState(0);
  cmd.Fail(FailureKind::NoAnswer, kNoAnswerText, MsgIcon::Warning, "Communication Error");
  return -1;
}

PortChoice FillPorts(Settings& settings, CClSerial& cameraLink) {
  PortChoice c;
  if (settings.serialMode == 0) {
    for (int i = 1; i <= kComPorts; ++i)
      c.items.push_back("COM" + std::to_string(i));
    // The devices really present follow the numbered ports, whose indices
    // "Comm Port" keeps; a remembered device that is gone is still offered.
    for (const SerialPortInfo& p : ListSerialPorts())
      c.items.push_back(p.path);
    if (!settings.commDevice.empty()) {
      const auto found = std::find(c.items.begin() + kComPorts, c.items.end(), settings.commDevice);
      c.selection = static_cast<int>(found - c.items.begin());
      if (found == c.items.end()) c.items.push_back(settings.commDevice);
    } else {
      c.selection = settings.commPort >= 0 && settings.commPort < kComPorts ? settings.commPort : 0;
    }
    return c;
  }
  cameraLink.SelectFromSettings();
  c.items = cameraLink.List(CClSerial::ListOfMode(settings.serialMode));
  c.selection = c.items.empty() ? -1 : settings.dllNo;
  return c;
}

void StorePortSelection(Settings& settings, CClSerial& cameraLink, const PortChoice& ports,
                        int index) {
  if (index < 0 || static_cast<size_t>(index) >= ports.items.size()) return;
  if (settings.serialMode == 0) {
    if (index < kComPorts) {
      settings.commPort = index;
      settings.commDevice.clear();
    } else {
      settings.commDevice = ports.items[static_cast<size_t>(index)];
    }
    return;
  }
  settings.dllNo = index;
  cameraLink.SetSelectedEntry(ports.items[static_cast<size_t>(index)]);
}

bool Reconnect(CCamCmd& cmd, const std::function<void(Settings&)>& change,
               const std::function<bool()>& connect, const std::function<void()>& refresh) {
  cmd.ClosePort();
  if (change) change(cmd.Config());
  const bool answered = connect && connect();
  cmd.Ui().SetLinkState(answered ? 1 : 0);
  if (answered && refresh) refresh();
  return answered;
}

}  // namespace kestrel
