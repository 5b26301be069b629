#include "panel/areas.h"

#include <chrono>
#include <thread>
#include "base/translate.h"

namespace kestrel {

namespace {

constexpr int kQueryTimeoutMs = 3000;

void Pause(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// "SA" with 1 or 2, "SA00" with 0; any other area is no store command.
int SendStore(CCamCmd& cmd, int area, int timeoutMs) {
  if (area == kAreaUser1 || area == kAreaUser2) return cmd.SetInt(cmd::SA, area, timeoutMs);
  if (area == kAreaFactory) return cmd.SetInt(cmd::SA00, 0, timeoutMs);
  return cmd.Fail(FailureKind::BadInput, "no setting area " + std::to_string(area));
}

}  // namespace

AreaChoice AreaSelection(bool loading, int operatingMode, int currentArea) {
  AreaChoice c;
  int area = currentArea;
  if (loading) {
    c.items = {"Factory", "User1", "User2"};
    c.title = "Load setting data";
    c.prompt = "Select the memory area stored setting data";
  } else {
    if (operatingMode == kModeFactory) {
      c.items.push_back("Factory");
    } else {
      --area;
    }
    c.items.push_back("User1");
    c.items.push_back("User2");
    c.title = "Store setting data";
    c.prompt = "Select the memory area to store setting data";
  }
  const int count = static_cast<int>(c.items.size());
  c.selection = area < 0 ? 0 : area >= count ? count - 1 : area;
  return c;
}

int AreaOfItem(const std::string& text) {
  if (text == "Factory") return kAreaFactory;
  if (text == "User1") return kAreaUser1;
  if (text == "User2") return kAreaUser2;
  return -1;
}

int LoadSettingsArea(CCamCmd& cmd, int& currentArea, int area, SettingsPanel* panel,
                     int timeoutMs) {
  currentArea = area;
  if (cmd.SetInt(cmd::LD, area, timeoutMs) != 1) return 0;
  if (panel) panel->RefreshFromCamera();
  return 1;
}

int StoreSettingsArea(CCamCmd& cmd, int& currentArea, int area, int timeoutMs) {
  currentArea = area;
  Pause(kStorePauseMs);
  return SendStore(cmd, area, timeoutMs);
}

int ReloadSettings(CCamCmd& cmd, int& currentArea, SettingsPanel* panel) {
  if (cmd.SetInt(cmd::EB, 0, kQueryTimeoutMs) != 1) return 0;
  int area = 0;
  if (cmd.QueryInt(cmd::EA, area, kQueryTimeoutMs) != 1) return 0;
  currentArea = area;
  if (panel) panel->RefreshFromCamera();
  return 1;
}

int StoreAllAreas(CCamCmd& cmd, Reporter& reporter) {
  int failures = 0;
  for (int area : {kAreaUser2, kAreaUser1, kAreaFactory}) {
    Pause(kStorePauseMs);
    if (SendStore(cmd, area, 20000) == 1) continue;
    ++failures;
    const Failure& why = cmd.LastFailure();
    reporter.Report(why.text, why.icon, MsgButtons::Ok, why.caption);
  }
  if (failures == 0) return 1;
  return cmd.Fail(FailureKind::Rejected, "Couldn't store current setting data!");
}

int InitFlashData(CCamCmd& cmd) {
  return cmd.SetInt(cmd::CLID, 0, 8000);
}

void CameraReset(CCamCmd& cmd) {
  cmd.SendCommand("CRS00=1\r\n", 1);
}

std::string AreaLabel(bool answered, int area) {
  if (!answered) return "???";
  switch (area) {
    case 0:
      return "Factory Data";
    case 1:
      return "User 1 Data";
    case 2:
      return "User 2 Data";
    case 3:
      return "User 3 Data";
    default:
      return "?";
  }
}

bool StoreButtonEnabled(int areaSelection, int operatingMode) {
  return !(areaSelection == 0 && operatingMode == kModeUser);
}

std::string GetAreaLabel(CCamCmd& cmd) {
  int area = 0;
  const bool answered = cmd.QueryInt(cmd::EA, area, kQueryTimeoutMs) == 1;
  return AreaLabel(answered, area);
}

int StoreFromCommDialog(CCamCmd& cmd, int area, int finishPauseMs, Reporter& reporter) {
  UserInterface& ui = cmd.Ui();
  ui.ShowProgress();
  ui.SetProgressMessage(KESTREL_TR_NOOP("Kestrel", "Storing the settings in the camera's flash…"));
  const int ok = SendStore(cmd, area, 40000);
  // Told while the progress window still stands, as the store's last step.
  if (cmd.Config().offline == 0 && ok == 1) reporter.Report(kStoredText, MsgIcon::Information);
  ui.SetProgressPercent(100);
  Pause(finishPauseMs);
  ui.CloseProgress();
  return ok;
}

int LoadFromCommDialog(CCamCmd& cmd, int area, SettingsPanel* panel) {
  if (cmd.SetInt(cmd::LD, area, kQueryTimeoutMs) != 1) return 0;
  if (panel) panel->RefreshFromCamera();
  return 1;
}

}  // namespace kestrel
