#pragma once

#include <QMainWindow>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <memory>

#include "panel/binding_table.h"
#include "panel/connection.h"
#include "panel/gui/panel_view.h"

class QGroupBox;
class QMenu;
class QAction;
class QLabel;
class QPushButton;
class QGridLayout;
class QScrollArea;
class QEventLoop;

namespace kestrel {

class CCamCmd;
class QtUserInterface;
class LinkLamp;
class WindowPlacement;
struct Settings;
enum class EditCommit;

// The main panel: every camera setting as a bound widget, the start-up
// connection, the USER and FACTORY layouts, the time displays, the automatic
// commands, the simulated camera, the link-state lamp and the way out.
class CKestrelDlg : public QMainWindow {
  Q_OBJECT
 public:
  // The letters that follow Shift+Ctrl+F12 to switch between USER and FACTORY.
  static constexpr int kModeKeys[3] = {Qt::Key_K, Qt::Key_E, Qt::Key_S};
  static constexpr int kPollMs = 50;
  static constexpr int kReconnectMs = 500;  // how often a missing device is looked for
  // The longest pause between searches for a camera behind a device that is
  // there but does not answer.
  static constexpr int kSearchBackoffMaxMs = 8000;
  // How often a running search takes its next step (each step waits at most
  // one byte time-out, 10 ms).
  static constexpr int kSearchStepMs = 10;
  static constexpr int kSimulationMs = 100;
  static constexpr size_t kRecentFiles = 8;

  CKestrelDlg(CCamCmd& cmd, QtUserInterface& ui, Connection::Timing timing = {},
              QWidget* parent = nullptr);
  ~CKestrelDlg() override;

  // The start-up sequence: resolve the widgets, apply the mode, then look for
  // the camera, read it and move it to 115200 bit/s. The search runs in small
  // steps on the event loop, so the window answers throughout; this returns
  // when the first search has ended (found, not found or cancelled), with
  // whether a camera was found. Without one the panel keeps looking.
  bool Initialise();
  bool Connected() const { return connected_; }

  // Looks for the camera now (the Connect action, F5 while offline): a
  // running search starts over, a pause between searches ends.
  void Connect();
  // Stops looking (the Cancel of the status strip); Connect starts again.
  void CancelSearch();
  bool Searching() const { return search_ != SearchState::Idle; }
  // The Connect / Cancel button of the status strip.
  QPushButton* ConnectButton() const { return connectButton_; }

  BindingTable& Table() { return table_; }
  QtBindingView& View() { return view_; }
  Connection& Link() { return connection_; }
  CCamCmd& Cmd() { return cmd_; }
  Settings& Config();

  // USER or FACTORY layout for the current operating mode.
  void ApplyModeLayout();
  void ToggleMode();
  // Sizes the window to show all of its groups, as far as its screen allows.
  void FitToContent();
  // The name the window's place is remembered under in the current mode.
  QString PlacementKey() const;
  QScrollArea* ContentArea() const { return scroll_; }
  QGroupBox* FactoryArea() const { return factoryArea_; }

  // A full re-read of the camera into the controls.
  void RefreshFromCamera();
  // The same from the menu (F5): not while another operation runs.
  void ReadCameraAgain();
  // Disables or enables the whole panel for long operations of other tools;
  // the tool windows follow through busyChanged.
  void Busy(bool on);
  // The panel's progress window over the panel, with this text.
  void ShowProgress(const QString& text);

  // Closing without the exit question (batch runs such as --screenshot).
  void SetAskOnExit(bool ask) { askOnExit_ = ask; }
  // Replies received during the last refresh (what the summary reports).
  // Of the last full read: the parameters read whole, and what could not be.
  int RepliesInLastRefresh() const { return table_.ReadCount() - table_.ReadFailures(); }
  const std::string& ReadSummary() const { return table_.ReadSummary(); }

  QString PortDescription() const;
  // Shows the port and speed in use in the status strips (after a reconnection).
  void UpdateStatusDetail();
  // A word on what is at the other end, shown with the port in the status strip.
  void SetPortNote(const QString& note) { portNote_ = note; }

  static QString Title();
  // After a setting file was applied or saved: the file in the title and
  // first among the recent files, and what was done in the status strip
  // ("Applied line3.cam: 216 lines").
  void FileDone(const QString& path, const QString& what);
  QString CurrentFile() const { return currentFile_; }
  // Opens the manual (F1): the installed README, else the source tree's.
  void OpenManual();

  // The buttons and menu entries whose tools come with later work, found by
  // object name, and how those tools switch them on. Buttons with a control
  // ID are found through View() and switched on with
  // View().MarkAvailable(id), which applies the state the enabling rules
  // asked for meanwhile. Names: pixelBlack1/2, pixelGain1/2, shading1/2 (the
  // "Calibration" buttons, 1 for Sensor1), blemishDetect1/2,
  // blemishRead1/2, blemishWrite1/2 and the factoryBlemish… forms,
  // tapBalance1/2, buttonAFEWrite, buttonDACWrite, buttonFPGARW, buttonTemp,
  // buttonTerminal, buttonSensorMem, buttonInitFlashData, buttonCameraID,
  // buttonCameraReset, buttonStoreAll; menu actions actionOpen, actionSaveAs,
  // actionReload, actionLoadSettings, actionStoreSettings, actionAbout,
  // actionCommunication, actionCompareWithCamera, actionViewCorrectionData
  // and the Data submenus menuPixelBlack, menuPixelGain, menuShading.
  QPushButton* ToolButton(const QString& name) const;
  QAction* MenuAction(const QString& name) const;
  static void MakeAvailable(QWidget* w);
  static void MakeAvailable(QAction* a);

 signals:
  void modeChanged(int mode);
  // A file of the File menu's recent files was chosen.
  void openRecentRequested(const QString& path);
  void busyChanged(bool busy);

 protected:
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  // Building the window.
  void BuildMenus();
  void FillRecentMenu();
  QWidget* BuildUserArea();
  QGroupBox* BuildFactoryArea();
  // The user groups in five columns, or (narrow) in four with the aberration
  // group in a row of its own below.
  void ArrangeUserArea(bool narrow);
  // A bound control; caption and column name it in words in its tooltip.
  QWidget* MakeBound(uint32_t id, const QString& caption = {}, const QString& column = {});
  QWidget* MakeLabel(uint32_t id);
  QPushButton* MakeButton(uint32_t id, const QString& text, bool available);
  QPushButton* MakeUnavailable(const QString& text, const QString& name, const QString& does = {});
  QGroupBox* MakeGroup(const QString& title, uint32_t id = 0);
  struct Row {
    const char* caption;
    uint32_t s1;
    uint32_t s2;
  };
  QGroupBox* SensorGroup(const QString& title, std::initializer_list<Row> rows,
                         bool headers = true);
  void AddRows(QGridLayout* grid, int firstRow, int firstColumn, std::initializer_list<Row> rows);
  void WireWidgets();

  // Events of the widgets, into the table's change chains.
  void OnSelection(uint32_t id);
  void OnSpinDelta(uint32_t id, int delta);
  void OnCommit(uint32_t id, EditCommit how);
  void OnCheck(uint32_t id, bool checked);
  void OnAutoButton(uint32_t id);
  void SetLinkState(int online);

  // Key filter of the mode switch; true when the key is consumed.
  bool FilterModeKey(int key, Qt::KeyboardModifiers mods);

  void PollTick();
  void SimulationTick();

  // The camera search of Connect, of the start and after a loss.
  enum class SearchState { Idle, Probing, Pausing };
  void StartSearch(bool patient);
  void SearchTick();
  void PauseSearch(int ms);
  // A camera answered the search: to 115200 bit/s, read every parameter.
  void CameraFound();
  // The panel has no camera: no values shown, the areas disabled.
  void ShowNoCamera();
  void UpdateConnectControls();
  // True while the panel is inside a camera operation: timers then stay out
  // of the receive queue.
  bool InOperation() const;

  // Runs f as one operation: nested widget events (a focus change caused by a
  // message box, say) are not turned into further camera traffic meanwhile.
  template <class F>
  void Operation(F&& f);

  CCamCmd& cmd_;
  QtUserInterface& ui_;
  BindingTable table_;
  QtBindingView view_;
  Connection connection_;
  QTimer pollTimer_;
  QTimer simulationTimer_;
  LinkLamp* userBar_ = nullptr;       // 2273
  LinkLamp* factoryBar_ = nullptr;    // 2266
  QGroupBox* factoryArea_ = nullptr;  // 3108
  QWidget* userArea_ = nullptr;
  QGridLayout* userGrid_ = nullptr;
  QGroupBox* aberration_ = nullptr;
  QGroupBox* cable_ = nullptr;
  bool narrowUser_ = false;
  QScrollArea* scroll_ = nullptr;
  WindowPlacement* placement_ = nullptr;
  int keyState_ = 0;
  int operationDepth_ = 0;
  bool connected_ = false;
  SearchState search_ = SearchState::Idle;
  QTimer searchTimer_;
  int searchPauseMs_ = 0;            // the pause after a search found no camera; doubles
  bool firstSearch_ = false;         // the search of the start, whose failure is told in a box
  QEventLoop* startLoop_ = nullptr;  // Initialise waits in it for the first search
  QPushButton* connectButton_ = nullptr;
  QAction* connectAction_ = nullptr;
  bool askOnExit_ = true;
  QString portNote_;
  QString currentFile_;
  QMenu* recentMenu_ = nullptr;
};

}  // namespace kestrel
