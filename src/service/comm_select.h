#pragma once

#include <string>

#include "protocol/cam_cmd.h"
#include "protocol/settings.h"
#include "protocol/user_interface.h"

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
// answers: the "No answer from Camera!" message titled "Communication Error",
// link state offline, -1. Only on the COM port category ("Serial Mode" 0);
// otherwise -1 at once.
int AutoSearchPort(CCamCmd& cmd);

}  // namespace kestrel
