#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <string>

#include "correction/aberration.h"
#include "correction/calibration.h"
#include "correction/correction_kind.h"
#include "correction/data_transfer.h"

class QMenu;

namespace kestrel {

class CKestrelDlg;
class CLUTDlg;
class CCorrectionPlotDlg;
class QtUserInterface;

// What an operation of these tools ended in: `done` (when not empty) on
// success, else why it failed; a transfer the operator stopped still says how
// far it got. Returns 1 on success.
int ShowOutcome(QtUserInterface& ui, int ok, const Failure& failure, const std::string& done = {});

// Finds the panel's placeholders for correction data, calibration, LUT,
// blemish and aberration, enables them and connects them to their tools.
// Call once, after the panel is built.
void InstallCorrectionTools(CKestrelDlg& panel, QtUserInterface& ui);

// The tools behind those placeholders: one per panel, a child of it (object
// name "correctionTools"). Each command is also callable directly.
class CorrectionTools : public QObject {
  Q_OBJECT
 public:
  CorrectionTools(CKestrelDlg& panel, QtUserInterface& ui);
  ~CorrectionTools() override;

  static CorrectionTools* Of(CKestrelDlg& panel);

  CDataTransfer& Transfer() { return transfer_; }
  void SetCalibrationTiming(const CalibrationTiming& timing) { calibrationTiming_ = timing; }
  CLUTDlg& Lut(int channel);
  // The factory submenu of the Data menu ("Factory Tools"), shown in FACTORY mode.
  QMenu* FactoryMenu() const { return factoryMenu_; }

  // Data file commands: ask for a path, then load or save. Return 1 on success.
  int LoadData(CorrectionKind kind, int sensor);
  int SaveData(CorrectionKind kind, int sensor);
  // The same on a chosen path (what the commands do after the file dialog).
  int LoadDataFrom(CorrectionKind kind, int sensor, const QString& path);
  int SaveDataTo(CorrectionKind kind, int sensor, const QString& path);
  int StoreData(CorrectionKind kind, int sensor);

  void OpenCorrection(int target);
  void TapGain(int sensor);
  void Prnu(int sensor);
  void Fpld();
  void ColumnCal();
  void ReadoutCal();
  int AberrationLoad();
  int AberrationSave();
  void ShowLut(int channel);
  // The correction data plot, created on first use.
  CCorrectionPlotDlg& Plot();
  void ViewCorrectionData();

  void BlemishStart(BlemishColumn column);
  void BlemishRead(BlemishColumn column);
  void BlemishWrite(BlemishColumn column);

 private:
  friend void InstallCorrectionTools(CKestrelDlg&, QtUserInterface&);
  void Install();
  void InstallDataMenu();
  void InstallButtons();
  QString AskPath(bool save, const char* filter);
  void RememberFolder(const QString& path);
  void ReReadControls(std::initializer_list<uint32_t> ids);

  CKestrelDlg& panel_;
  QtUserInterface& ui_;
  CDataTransfer transfer_;
  CalibrationTiming calibrationTiming_;
  QPointer<CLUTDlg> lut_[2];
  QPointer<CCorrectionPlotDlg> plot_;
  QMenu* factoryMenu_ = nullptr;
};

}  // namespace kestrel
