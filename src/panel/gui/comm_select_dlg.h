#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "panel/comm_select.h"
#include "service/message_list.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QLineEdit;
class QSpinBox;

namespace kestrel {

class CKestrelDlg;
class CClSerial;
class QtUserInterface;
class SettingsPanel;
class SettingsStore;
class LinkLamp;

// "Communication": how the camera is reached (COM port, a device path such as
// a USB adapter or the simulator's pseudo-terminal, a network relay, or one of
// the three Camera Link library kinds), whether its speed may be moved, the bit rate, the camera's
// setting areas, the setting files, and the program's message list. Created with the panel, shown
// beside it, hidden by its own close.
class CCommSelDlg : public QDialog {
  Q_OBJECT
 public:
  // Runs the start-up guard on the settings store at `configPath` (empty: the
  // application's own file), then builds the window and takes its selections
  // into the settings.
  CCommSelDlg(CKestrelDlg& panel, QtUserInterface& ui, CClSerial& cameraLink,
              SettingsPanel& panelSide, const std::string& configPath = {});
  // Marks the run as ended normally.
  ~CCommSelDlg() override;

  // The message list.
  void AddMessage(const QString& text);
  MessageList& Messages() { return messages_; }
  QListWidget* MessageView() const { return messageView_; }

  // The indicator, the word "Online"/"Offline" and the strip.
  void SetLinkState(int online);
  // Shows the bit-rate caption and list with the current baud index.
  void ShowBaudControls();
  // "Store" is disabled while "Factory Data" is selected in USER mode.
  void ApplyStoreRule();

  // The widgets the user works with (tests and screenshots reach them here).
  QComboBox* CategoryList() const { return category_; }
  QComboBox* PortList() const { return port_; }
  QComboBox* BaudList() const { return baud_; }
  QComboBox* AreaList() const { return areaList_; }
  QLabel* AreaLabel() const { return areaLabel_; }
  QLabel* StateWord() const { return stateWord_; }
  QPushButton* StoreButton() const { return store_; }
  QComboBox* NetworkKind() const { return netKind_; }
  QLineEdit* NetworkHost() const { return netHost_; }
  QSpinBox* NetworkPort() const { return netPort_; }
  QCheckBox* KeepSpeedBox() const { return keepSpeed_; }

  // Reconnections on a new selection.
  void OnCategorySelected(int index);
  void OnPortSelected(int index);
  void OnPortTyped();
  void OnBaudSelected(int index);
  void OnSerialIndexSelected(int index);
  // "Connect" beside the relay's host and port: the camera behind it.
  void OnNetworkConnect();
  void OnKeepSpeed(bool keep);
  // The other buttons.
  void OnAuto();
  void OnGetArea();
  void OnStore();
  void OnLoad();
  void OnExport();
  void OnClear();

 signals:
  void writeToFileRequested();  // "Save to File…": the panel's "Save as"
  void readToFileRequested();   // "Apply from File…": the panel's "Open"
  // Around every command that talks to the camera.
  void busy(bool on);

 private:
  void FillPorts();
  void TakeSelections();
  // Closes the link, runs `change` on the settings, connects again and
  // refreshes the panel when the camera answered.
  void Reconnect(const std::function<void()>& change);
  void ApplyCategoryRules();

  CKestrelDlg& panel_;
  QtUserInterface& ui_;
  CClSerial& cameraLink_;
  SettingsPanel& panelSide_;
  std::string configPath_;
  MessageList messages_;
  PortChoice ports_;
  // The pause before the progress window closes after "Store".
  static constexpr int kStoreFinishPauseMs = 1000;
  bool filling_ = false;

  QLabel* stateIcon_ = nullptr;
  QLabel* stateWord_ = nullptr;
  QLabel* serialIndexCaption_ = nullptr;
  QComboBox* serialIndex_ = nullptr;
  QComboBox* category_ = nullptr;
  QLabel* portCaption_ = nullptr;
  QComboBox* port_ = nullptr;
  QLabel* baudCaption_ = nullptr;
  QComboBox* baud_ = nullptr;
  QPushButton* auto_ = nullptr;
  QLabel* areaLabel_ = nullptr;
  QComboBox* areaList_ = nullptr;
  QPushButton* store_ = nullptr;
  QPushButton* load_ = nullptr;
  QListWidget* messageView_ = nullptr;
  LinkLamp* strip_ = nullptr;
  QComboBox* netKind_ = nullptr;
  QLineEdit* netHost_ = nullptr;
  QSpinBox* netPort_ = nullptr;
  QCheckBox* keepSpeed_ = nullptr;
};

}  // namespace kestrel
