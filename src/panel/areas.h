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

// The area commands. Each sends through the transactions, so a rejection or a
// time-out is reported there; each returns 1 on success. currentArea is the
// panel's current area; panel may be null (no refresh).

// "Load settings": current area := area; "LD" (20000 ms); refresh on success.
int LoadSettingsArea(CCamCmd& cmd, int& currentArea, int area, SettingsPanel* panel,
                     int timeoutMs = 20000);
// "Store settings": current area := area; "SA" 1|2 or "SA00" 0 (20000 ms);
// "Completed to store current setting data!" on success. Another area sends nothing.
int StoreSettingsArea(CCamCmd& cmd, int& currentArea, int area, int timeoutMs = 20000);
// "Reload": "EB" 0, then "EA" into the current area, then refresh.
int ReloadSettings(CCamCmd& cmd, int& currentArea, SettingsPanel* panel);
// "Store All": asks first; stores into areas 2, 1 and 0 in turn whatever fails,
// then reports completion or "Couldn't store current setting data!". Returns
// the number of failures (0 also when the question was declined: see declined).
int StoreAllAreas(CCamCmd& cmd, bool* declined = nullptr);
// "Init Flash Data": asks first; "CLID" 0 (8000 ms); a completion message.
int InitFlashData(CCamCmd& cmd);
// "Camera Reset": asks first; sends "CRS00=1" as a raw line, no reply awaited.
int CameraReset(CCamCmd& cmd);

// The communication dialog's forms.
// The area label for a queried area: "Factory Data", "User 1 Data", "User 2
// Data", "User 3 Data", "?" for another number, "???" when the query failed.
std::string AreaLabel(bool answered, int area);
// "Store" is enabled unless "Factory Data" (0) is selected in USER mode.
bool StoreButtonEnabled(int areaSelection, int operatingMode);
// "Get Area": "EA" (3000 ms, no error box) as the label text.
std::string GetAreaLabel(CCamCmd& cmd);
// "Store": progress "Now, Store camera data.", "SA"/"SA00" (40000 ms), the
// completion message when online, then the progress finish (100 %, a pause of
// finishPauseMs, close).
int StoreFromCommDialog(CCamCmd& cmd, int area, int finishPauseMs = 1000);
// "Load": "LD" (3000 ms), refresh on success.
int LoadFromCommDialog(CCamCmd& cmd, int area, SettingsPanel* panel);

}  // namespace kestrel
