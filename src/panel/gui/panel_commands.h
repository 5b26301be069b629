#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "panel/setting_file.h"

namespace kestrel {

class CKestrelDlg;
class QtUserInterface;
class CCommSelDlg;
class CAreaSelDlg;
class CCompareDlg;
class CClSerial;

// The panel as setting files and area commands see it: values go into the
// binding table, and a refresh goes through the panel so it is counted there.
class PanelSettings : public SettingsPanel {
 public:
  explicit PanelSettings(CKestrelDlg& panel);
  int CmdId2CtrlId(int cmdIndex) override;
  bool SetParam(int ctrlId, const ParamValue& value) override;
  void AfterReplay() override;
  void RefreshFromCamera() override;
  bool ReadParamFromCamera(int ctrlId) override;

 private:
  CKestrelDlg& panel_;
};

// The panel's own commands: the setting-file and area commands of its menus
// and buttons, and the communication dialog with the Camera Link adapter.
// Lives as a child of the panel (object name "panelCommands"), so its windows
// end with the panel's.
class PanelCommands : public QObject {
  Q_OBJECT
 public:
  PanelCommands(CKestrelDlg& panel, QtUserInterface& ui);
  ~PanelCommands() override;

  CCommSelDlg& Communication();
  CClSerial& CameraLink() { return *cameraLink_; }
  PanelSettings& PanelSide() { return panelSettings_; }
  // The area dialog while it is open, else null.
  CAreaSelDlg* AreaDialog() const;

  // The menu commands and buttons.
  void SaveAs();
  void Open();
  // Applies this setting file to the camera (Open after the choice, a recent file).
  void OpenFile(const QString& file);
  void Reload();
  void LoadSettings();
  void StoreSettings();
  void StoreAll();
  void InitFlashData();
  void CameraReset();
  // Asks for a setting file and shows how the camera differs from it.
  void CompareWithCamera();
  // The whole camera into one archive, and back (the progress window shows
  // the part and how far; Cancel stops between parts or commands).
  void BackUpCamera();
  void RestoreCamera();
  // The comparison window once it has been opened, else null.
  CCompareDlg* CompareWindow() const;

  // Tells why the last replay of a setting file was not ok.
  void ShowReplayFailure();

  // Disables the panel and its windows for a long operation, so no second
  // command starts while the first one waits for the camera (the tool windows
  // follow the panel's busyChanged signal).
  void Busy(bool on);

 private:
  // Runs the area dialog; the chosen area, or -1 when it was cancelled.
  int RunAreaDialog(bool loading);
  // Sends the values the panel held before a replay where they differ from
  // what it holds now.
  void PutBack(const std::vector<BindingValue>& before);
  void Connect();

  CKestrelDlg& panel_;
  // Kept apart from the panel: this object is the panel's child, so it ends
  // after the panel's own destructor has run.
  CCamCmd& cmd_;
  QtUserInterface& ui_;
  PanelSettings panelSettings_;
  std::unique_ptr<CClSerial> cameraLink_;
  QPointer<CCommSelDlg> comm_;
  QPointer<CAreaSelDlg> areaDialog_;
  QPointer<CCompareDlg> compare_;
  int busyDepth_ = 0;
};

// Asks before the camera's current settings are stored into a setting area
// (0 Factory, 1 User 1, 2 User 2); Cancel is the default.
bool ConfirmAreaStore(QtUserInterface& ui, int area);

// Enables the panel's placeholders for the communication dialog, the setting
// files and the area commands and connects them. Call once, after the panel is
// constructed and before it is initialised (the communication dialog's
// start-up guard may move the link back to the COM port).
PanelCommands* InstallPanelCommands(CKestrelDlg& panel, QtUserInterface& ui);

}  // namespace kestrel
