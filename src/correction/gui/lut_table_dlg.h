#pragma once

#include <QDialog>
#include <QString>

#include "correction/lut_edit_points.h"
#include "correction/lut_spline.h"

class QLabel;

namespace kestrel {

class CCamCmd;
class QtUserInterface;

// The LUT editor of one channel: a 260 x 260 graph of the table, edit points
// shaped with the mouse, the camera's table read and written entry by entry,
// and the gamma data file. All rules live in LutEditPoints and lut_table.h;
// this class only draws and forwards.
class CLUTDlg : public QDialog {
  Q_OBJECT
 public:
  enum Mode { Edit = 0, View = 1 };

  // channel 0 is Ch1 (Sensor1), 1 is Ch2 (Sensor2).
  CLUTDlg(CCamCmd& cmd, QtUserInterface& ui, int channel, QWidget* parent = nullptr);

  int Channel() const { return channel_; }
  const LutEditPoints& Points() const { return points_; }
  // The table the graph shows: in Edit mode the one the points give, in View
  // mode the one read from the camera or a file.
  LutTable Table() const { return mode_ == Edit ? points_.Table() : table_; }

  // The buttons' work, callable without a click.
  void ReadTableData();
  void WriteTableData();
  void ClearTableData();
  // The gamma file commands on a chosen path (the buttons ask for one).
  bool LoadGamma(const QString& path);
  bool SaveGamma(const QString& path);

  // One mouse move in the editor's client pixels (what the graph forwards).
  void MouseMove(int px, int py, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);
  // The input and output of the table at graph x (0..260); none for -1.
  void ShowReadout(int gx);
  // Whether the points changed since the table was last written, read,
  // loaded or cleared.
  bool Unwritten() const { return unwritten_; }

 protected:
  // Escape, Close and the window's close box ask before unwritten edits go.
  void reject() override;
  void closeEvent(QCloseEvent* e) override;

 private:
  friend class LutGraph;
  void SetMode(int mode);
  void AskLoadGamma();
  void AskSaveGamma();
  bool MayClose();

  CCamCmd& cmd_;
  QtUserInterface& ui_;
  int channel_;
  int mode_ = Edit;
  LutEditPoints points_;
  LutTable table_{};
  QWidget* graph_ = nullptr;
  QLabel* modeText_ = nullptr;
  QLabel* readout_ = nullptr;
  bool unwritten_ = false;
};

}  // namespace kestrel
