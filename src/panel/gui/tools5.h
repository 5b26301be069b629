#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "panel/setting_file.h"

namespace kestrel {

class CKestrelDlg;
class QtUserInterface;
class CRsTermDlg;
class CCommSelDlg;
class CAreaSelDlg;
class CClSerial;

// ---------------------------------------------------------------- file dialogs

// What a tool asks of the file dialog: open or save, the remembered folder it
// starts in, the extension (default suffix) and the filter.
struct FileRequest {
  bool save = false;
  std::string folder;
  std::string extension;
  QString filter;
};

// Returns the chosen path, or "" when the user cancelled. Overwrite questions
// are the caller's: every tool asks them with its own texts.
std::string ChooseFile(QWidget* parent, const FileRequest& request);

// Tests and batch runs answer the file dialog without a person. An empty
// function brings back the real dialog.
using FileChooser = std::function<std::string(const FileRequest&)>;
void SetFileChooser(FileChooser chooser);

// ---------------------------------------------------------------- link strip

// The thin link-state strip of the tool dialogs: green while the camera
// answers, red while it does not.
class LinkStrip : public QWidget {
  Q_OBJECT
 public:
  explicit LinkStrip(QWidget* parent = nullptr);
  int State() const { return online_; }
  void SetState(int online);
  QSize sizeHint() const override { return {293, 4}; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  int online_ = 0;
};

// ---------------------------------------------------------------- panel side

// The panel as setting files and area commands see it: values go into the
// binding table, and a refresh goes through the panel so it is counted there.
class PanelSettings : public SettingsPanel {
 public:
  explicit PanelSettings(CKestrelDlg& panel);
  int CmdId2CtrlId(int cmdIndex) override;
  bool SetParam(int ctrlId, const ParamValue& value) override;
  void AfterReplay() override;
  void RefreshFromCamera() override;

 private:
  CKestrelDlg& panel_;
};

// The terminal, the communication dialog, the setting-file and area commands
// of the panel's menus and buttons. Lives as a child of the panel, so its
// windows end with the panel's (the terminal then hands its fields back to the
// settings, before the application saves them).
class Issue5Tools : public QObject {
  Q_OBJECT
 public:
  Issue5Tools(CKestrelDlg& panel, QtUserInterface& ui);
  ~Issue5Tools() override;

  CRsTermDlg& Terminal();
  CCommSelDlg& Communication();
  CClSerial& CameraLink() { return *cameraLink_; }
  PanelSettings& PanelSide() { return panelSettings_; }
  // The area dialog while it is open, else null.
  CAreaSelDlg* AreaDialog() const;

  // The menu commands and buttons.
  void SaveAs();
  void Open();
  void Reload();
  void LoadSettings();
  void StoreSettings();
  void StoreAll();
  void InitFlashData();
  void CameraReset();

  // Disables the panel and the tool windows for a long operation, so no
  // second command starts while the first one waits for the camera.
  void Busy(bool on);

 private:
  // Runs the area dialog; the chosen area, or -1 when it was cancelled.
  int RunAreaDialog(bool loading);
  void Connect();

  CKestrelDlg& panel_;
  QtUserInterface& ui_;
  PanelSettings panelSettings_;
  std::unique_ptr<CClSerial> cameraLink_;
  QPointer<CRsTermDlg> terminal_;
  QPointer<CCommSelDlg> comm_;
  QPointer<CAreaSelDlg> areaDialog_;
  int busyDepth_ = 0;
};

// Enables the panel's placeholders for the terminal, the communication dialog,
// the setting files and the area commands and connects them. Call once, after
// the panel is constructed and before it is initialised (the communication
// dialog's start-up guard may move the link back to the COM port).
void InstallIssue5Tools(CKestrelDlg& panel, QtUserInterface& ui);

}  // namespace kestrel
