#pragma once

#include <functional>
#include <string>
#include <vector>

#include "link/cl_serial.h"

#include "base/settings.h"
#include "base/user_interface.h"
#include "protocol/cam_cmd.h"

namespace kestrel {

// The start-up guard "Normal Shutdown": a run that did not end normally (the
// value is not 1) starts on the COM port, whatever "Serial Mode" says. Call
// NormalShutdownAtStart with the stored value right after loading the settings
// and write what it returns at once; write NormalShutdownAtEnd() after the
// settings were saved at a normal end.
int NormalShutdownAtStart(Settings& settings, int storedValue);
constexpr int NormalShutdownAtEnd() {
  return 1;
}

// The same over any store with GetInt/SetInt/Sync (the application's settings store).
template <typename Store>
void GuardStartup(Settings& settings, Store& store) {
  settings.normalShutdown = store.GetInt("Normal Shutdown", 0);
  store.SetInt("Normal Shutdown", NormalShutdownAtStart(settings, settings.normalShutdown));
  store.Sync();
}
template <typename Store>
void MarkNormalShutdown(Store& store) {
  store.SetInt("Normal Shutdown", NormalShutdownAtEnd());
  store.Sync();
}

// The "Auto" search: closes the link, then tries "COM1" to "COM16" at the
// current bit rate and asks each for "MD" (1000 ms, no error box). The first
// that answers stays open, becomes "Comm Port" (and the chosen device path is
// dropped), and the link state goes online; its index is returned. When none
// answers: link state offline, -1, and the failure is the "No answer from
// Camera!" message titled "Communication Error". Only on the COM port
// category ("Serial Mode" 0); otherwise -1 at once, no failure.
int AutoSearchPort(CCamCmd& cmd);

// The communication dialog's port list for the current "Serial Mode": for the
// COM port "COM1" to "COM16", followed by the chosen device path when one is
// set (a USB adapter, the simulator's pseudo-terminal), which is then selected;
// for a Camera Link category the adapter's list for it, selecting "DLL No", or
// the first entry (and "DLL No" := 0) when "DLL No" is outside the list. The
// adapter is handed the selected entry.
struct PortChoice {
  std::vector<std::string> items;
  int selection = 0;  // -1 when the list is empty
};
PortChoice FillPorts(Settings& settings, CClSerial& cameraLink);

// Stores a port chosen in that list: "Comm Port" (and no device path) or
// "Comm Device" on the COM port, "DLL No" and the adapter's selected entry on
// Camera Link.
void StorePortSelection(Settings& settings, CClSerial& cameraLink, const PortChoice& ports,
                        int index);

// A reconnection of the communication dialog: closes the link, lets `change`
// alter the settings, connects as the panel does (`connect` shows "Failed to
// initialize!" itself), sets the link state from the result and, when the
// camera answered, runs `refresh`. Returns whether it answered.
bool Reconnect(CCamCmd& cmd, const std::function<void(Settings&)>& change,
               const std::function<bool()>& connect, const std::function<void()>& refresh);

}  // namespace kestrel
