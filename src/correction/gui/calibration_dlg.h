#pragma once

#include <QDialog>
#include <QLabel>

#include "correction/calibration.h"

class QComboBox;
class QPushButton;
class QSpinBox;

namespace kestrel {

class CKestrelDlg;
class QtUserInterface;

// A small online/offline lamp that follows the link state of the user
// interface, for the tool dialogs of the calibration runs.

// The automatic correction of one target (0..5: shading, pixel gain, pixel
// black of Sensor1, then of Sensor2): the camera's setting for it and the run.
class CDlgCorrect : public QDialog {
  Q_OBJECT
 public:
  CDlgCorrect(CKestrelDlg& panel, QtUserInterface& ui, int target, CalibrationTiming timing = {});

  int Setting() const { return setting_; }
  // The panel's label that shows this target's setting.
  static uint32_t SettingControlOf(int target);

  void OnSettingChanged(int index);
  AutoCorrectionResult RunAutoCorrection();
  AutoCorrectionResult LastResult() const { return last_; }

 private:
  void UpdateRunButton();

  CKestrelDlg& panel_;
  QtUserInterface& ui_;
  int target_;
  int setting_ = 0;
  CalibrationTiming timing_;
  AutoCorrectionResult last_ = AutoCorrectionResult::NotRun;
  QComboBox* list_ = nullptr;
  QLabel* runLabel_ = nullptr;
  QPushButton* run_ = nullptr;
};

// Column buffer calibration, stepped by the operator: "Start", the A.Black
// entries (each sent as it is committed), then "OK", which closes the dialog.
// "Cancel" and Escape put back what "Start" changed.
class CDlgColumnCal : public QDialog {
  Q_OBJECT
 public:
  CDlgColumnCal(CKestrelDlg& panel, QtUserInterface& ui);
  int Step() const { return steps_.Step(); }
  const ColumnCalibration& Steps() const { return steps_; }

 protected:
  void reject() override;

 private:
  void OnStart();
  void OnOk();
  void ShowStep();

  CKestrelDlg& panel_;
  QtUserInterface& ui_;
  ColumnCalibration steps_;
  QLabel* message_ = nullptr;
  QPushButton* start_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* ok_ = nullptr;
  QList<QSpinBox*> entries_;  // A.Black R, G, B: enabled after "Start"
};

// Readout channel calibration of one colour; closes with OK when the run ends.
class CDlgReadoutCal : public QDialog {
  Q_OBJECT
 public:
  CDlgReadoutCal(CKestrelDlg& panel, QtUserInterface& ui);

 private:
  CKestrelDlg& panel_;
  QtUserInterface& ui_;
  QComboBox* colour_ = nullptr;
};

}  // namespace kestrel
