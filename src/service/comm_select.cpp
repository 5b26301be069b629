#include "service/comm_select.h"

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
    if (cmd.QueryValue(cmd::MD, v, kProbeTimeoutMs, 0, 1) == 1) {
      cmd.Ui().SetLinkState(1);
      s.commPort = port;
      s.commDevice.clear();
      return port;
    }
    cmd.ClosePort();
  }
  cmd.Ui().MessageBox(
      "No answer from Camera! (Timeout error)\nCheck power on Camera or serial cable connection.",
      MsgIcon::Warning, MsgButtons::Ok, "Communication Error");
  cmd.Ui().SetLinkState(0);
  return -1;
}

}  // namespace kestrel
