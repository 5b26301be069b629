#pragma once

#include <string>
#include <vector>

#include "panel/setting_file.h"
#include "protocol/cam_cmd.h"

namespace kestrel {

// The camera's setting areas: 0 Factory, 1 User 1, 2 User 2.
enum SettingArea : int { kAreaFactory = 0, kAreaUser1 = 1, kAreaUser2 = 2 };

// What the area selection dialog shows: its items, the preselected index, its
// title and prompt. Loading offers every area; storing offers "Factory" only
// in FACTORY mode, and in USER mode the current area is lowered by one so it
// indexes the shorter list. A selection outside the list is clamped to it.
struct AreaChoice {
  std::vector<std::string> items;
  int selection = 0;
  std::string title;
  std::string prompt;
};
AreaChoice AreaSelection(bool loading, int operatingMode, int currentArea);
// The area an item text stands for: "Factory" 0, "User1" 1, "User2" 2, else -1.
int AreaOfItem(const std::string& text);

// The area commands. Each returns 1 on success; otherwise the command
// object's LastFailure() says why. currentArea is the panel's current area;
// panel may be null (no refresh). The questions asked before an operation and
// the completion messages belong to the window that runs it.
inline constexpr const char* kStoredText = "Completed to store current setting data!";

// "Load settings": current area := area; "LD" (20000 ms); refresh on success.
[[nodiscard]] int LoadSettingsArea(CCamCmd& cmd, int& currentArea, int area, SettingsPanel* panel,
                                   int timeoutMs = 20000);
// The pause before each store of "Store settings" and "Store All".
inline constexpr int kStorePauseMs = 20;
// "Store settings": current area := area; after kStorePauseMs, "SA" 1|2 or
// "SA00" 0 (20000 ms). Another area sends nothing and fails (BadInput).
[[nodiscard]] int StoreSettingsArea(CCamCmd& cmd, int& currentArea, int area,
                                    int timeoutMs = 20000);
// "Reload": "EB" 0, then "EA" into the current area, then refresh.
[[nodiscard]] int ReloadSettings(CCamCmd& cmd, int& currentArea, SettingsPanel* panel);
// "Store All": stores into areas 2, 1 and 0 in turn whatever fails, telling
// `reporter` each failure as it happens; fails with "Couldn't store current
// setting data!" when any did.
[[nodiscard]] int StoreAllAreas(CCamCmd& cmd, Reporter& reporter);
// "Init Flash Data": "CLID" 0 (8000 ms).
[[nodiscard]] int InitFlashData(CCamCmd& cmd);
// "Camera Reset": sends "CRS00=1" as a raw line, no reply awaited.
void CameraReset(CCamCmd& cmd);

// The communication dialog's forms.
// The area label for a queried area: "Factory Data", "User 1 Data", "User 2
// Data", "User 3 Data", "?" for another number, "???" when the query failed.
std::string AreaLabel(bool answered, int area);
// "Store" is enabled unless "Factory Data" (0) is selected in USER mode.
bool StoreButtonEnabled(int areaSelection, int operatingMode);
// "Get Area": "EA" (3000 ms, no error box) as the label text.
std::string GetAreaLabel(CCamCmd& cmd);
// "Store": progress "Storing the settings in the camera's flash…", "SA"/"SA00" (40000 ms), the
// completion message to `reporter` when online, then the progress finish
// (100 %, a pause of finishPauseMs, close).
[[nodiscard]] int StoreFromCommDialog(CCamCmd& cmd, int area, int finishPauseMs,
                                      Reporter& reporter);
// "Load": "LD" (3000 ms), refresh on success.
[[nodiscard]] int LoadFromCommDialog(CCamCmd& cmd, int area, SettingsPanel* panel);

}  // namespace kestrel
