#pragma once

#include <QDialog>
#include <QString>
#include <vector>

#include "panel/setting_diff.h"

class QLabel;
class QTableWidget;

namespace kestrel {

class CKestrelDlg;
class PanelCommands;
class QtUserInterface;

// "Compare with Camera": the parameters on which a setting file and the
// camera differ, as a sortable table (caption, mnemonic, file value, camera
// value). The selected rows can be sent to the camera through the setting
// file replay, after which they are read back; the camera's values of all
// the file's parameters can be saved as a setting file.
class CCompareDlg : public QDialog {
  Q_OBJECT
 public:
  CCompareDlg(CKestrelDlg& panel, PanelCommands& commands, QtUserInterface& ui);

  // Reads the file and the camera's value of every parameter it names.
  // False (with a message) when the file cannot be read or compared.
  bool Compare(const QString& path);
  // Sends the selected rows' file values and reads them back.
  void ApplySelected();
  bool SaveCameraValues(const QString& path);

  QTableWidget& Table() const { return *table_; }
  const std::vector<SettingDifference>& Differences() const { return differences_; }

 private:
  void Fill();

  CKestrelDlg& panel_;
  PanelCommands& commands_;
  QtUserInterface& ui_;
  QString path_;
  CameraValues values_;
  std::vector<SettingDifference> differences_;
  QLabel* summary_ = nullptr;
  QTableWidget* table_ = nullptr;
};

}  // namespace kestrel
