#pragma once

#include <QDialog>
#include <QString>
#include <vector>

#include "correction/correction_kind.h"
#include "correction/correction_stats.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace kestrel {

class CDataTransfer;
class CorrectionPlot;
class QtUserInterface;
struct Settings;

// "View Correction Data": a kind's arrays read from the camera (Sensor1 and
// Sensor2) and the arrays of a file (a correction data file or one of the
// terminal's read-back files), drawn value against pixel, overlaid or as the
// difference camera − file, with statistics and the outlier pixels of every
// series. Clicking an outlier shows it in the plot.
class CCorrectionPlotDlg : public QDialog {
  Q_OBJECT
 public:
  CCorrectionPlotDlg(CDataTransfer& transfer, QtUserInterface& ui, Settings& config,
                     QWidget* parent);

  // Reads the kind's arrays of both sensors (one when the kind has one).
  // False when a read failed (the transfer has said why); nothing changes then.
  bool ReadCamera(CorrectionKind kind);
  // Replaces the file's arrays. False (with a message) when it cannot be read.
  bool OpenFile(const QString& path);
  // Shows camera − file instead of both.
  void SetDifference(bool on);

  bool ExportPng(const QString& path);
  bool ExportStatistics(const QString& path);

  CorrectionPlot& Plot() const { return *plot_; }
  QTableWidget& StatisticsTable() const { return *table_; }
  QListWidget& OutlierList() const { return *outliers_; }
  // The series shown and their statistics, in the table's order.
  const std::vector<Series>& Shown() const { return shown_; }
  const std::vector<SeriesStats>& Statistics() const { return stats_; }

 private:
  void Rebuild();
  void ShowCursor(int pixel);
  QString AskPath(bool save, const char* extension, const char* filter);

  CDataTransfer& transfer_;
  QtUserInterface& ui_;
  Settings& config_;
  std::vector<Series> camera_;
  std::vector<Series> file_;
  std::vector<Series> shown_;
  std::vector<SeriesStats> stats_;
  QComboBox* kind_ = nullptr;
  QComboBox* mode_ = nullptr;
  CorrectionPlot* plot_ = nullptr;
  QLabel* cursor_ = nullptr;
  QTableWidget* table_ = nullptr;
  QListWidget* outliers_ = nullptr;
};

}  // namespace kestrel
